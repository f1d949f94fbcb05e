// The .htaccess shipped beside require.php, served by a real Apache: a
// require.php of an earlier publication, opened with "<?", is sent as its
// text where the host does not refuse it.
#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include "sitegen/site_files.h"
#include "support/test_paths.h"

using namespace kalvor;
using namespace kalvor::sitegen;

namespace {

const char kApache[] = "/usr/sbin/apache2";

// The status line and body of a GET of `path` on loopback `port`.
QByteArray get(quint16 port, const QByteArray& path) {
    QTcpSocket socket;
    socket.connectToHost(QStringLiteral("127.0.0.1"), port);
    if (!socket.waitForConnected(5000)) {
        return QByteArray();
    }
    socket.write("GET " + path + " HTTP/1.0\r\nHost: localhost\r\n\r\n");
    while (socket.waitForReadyRead(5000)) {
    }
    const QByteArray reply = socket.readAll();
    return reply.left(reply.indexOf("\r\n")) + reply.mid(reply.indexOf("\r\n\r\n"));
}

}  // namespace

TEST(RequireGuard, ApacheSendsNoRequirePhpBesideIt) {
    if (!QFileInfo::exists(QString::fromLatin1(kApache))) {
        GTEST_SKIP() << "apache2 is not installed";
    }
    QTemporaryDir dir;
    const QString www = dir.path() + QStringLiteral("/www");
    QDir().mkpath(www);
    test::writeAll(www + QStringLiteral("/require.php"),
                   "<?\r\n$password = \"mot-de-passe-mysql\";\r\n?>\r\n");
    test::writeAll(www + QStringLiteral("/index.html"), "le site\r\n");
    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
    const quint16 port = probe.serverPort();
    probe.close();
    const QString modules = QStringLiteral("/usr/lib/apache2/modules/");
    test::writeAll(dir.path() + QStringLiteral("/httpd.conf"),
                   QStringLiteral("ServerRoot %1\nListen 127.0.0.1:%2\nServerName localhost\n"
                                  "LoadModule mpm_prefork_module %3mod_mpm_prefork.so\n"
                                  "LoadModule authz_core_module %3mod_authz_core.so\n"
                                  "PidFile %1/httpd.pid\nErrorLog %1/error.log\n"
                                  "DocumentRoot %1/www\n"
                                  "<Directory %1/www>\nAllowOverride All\n</Directory>\n")
                       .arg(dir.path())
                       .arg(port)
                       .arg(modules)
                       .toUtf8());
    QProcess apache;
    apache.setProcessChannelMode(QProcess::MergedChannels);
    apache.start(
        QString::fromLatin1(kApache),
        {QStringLiteral("-f"), dir.path() + QStringLiteral("/httpd.conf"), QStringLiteral("-X")});
    ASSERT_TRUE(apache.waitForStarted());
    for (int i = 0; i < 50 && get(port, "/index.html").isEmpty(); ++i) {
        QThread::msleep(100);
    }

    // Without it, the password goes to whoever asks.
    EXPECT_TRUE(get(port, "/require.php").contains("mot-de-passe-mysql"));
    Create_Require_Guard(www);
    for (const QByteArray& path :
         {QByteArray("/require.php"), QByteArray("/Require.PHP"), QByteArray("/require.php?x=1")}) {
        const QByteArray reply = get(port, path);
        EXPECT_TRUE(reply.startsWith("HTTP/1.1 403")) << reply.toStdString();
        EXPECT_FALSE(reply.contains("mot-de-passe-mysql")) << path.toStdString();
    }
    EXPECT_EQ(get(port, "/index.html"), "HTTP/1.1 200 OK\r\n\r\nle site\r\n");
    apache.terminate();
    apache.waitForFinished(5000);
}
