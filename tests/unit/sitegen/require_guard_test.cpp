// What keeps require.php from the web, served by real servers: a require.php
// of an earlier publication, opened with "<?", is sent as its text, MySQL
// password included, where the host does not refuse it. On Apache, the
// .htaccess shipped beside it; on nginx, the README's lines.
#include <unistd.h>
#include <QDir>
#include <QProcess>
#include <QRegularExpression>
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
const char kNginx[] = "/usr/sbin/nginx";
const QByteArray kPassword = "mot-de-passe-mysql";

// Every way of naming require.php that reached PHP through a server that
// splits the path info off at the first ".php".
const QByteArray kForms[] = {
    "/require.php",       "/Require.PHP",           "/require.php?x=1",     "/require.php/x.php",
    "/require.php/.php",  "/require.php/index.php", "/require.php%2fx.php", "/require.php/%2e.php",
    "/REQUIRE.php/x.php", "/sous/require.php/x.php"};

// The copies editors and tools leave beside it, and the site's own state
// (the password tries' lock and secret, the cache's bookkeeping, the marks
// of troubles said once), each as a file and its address.
const std::pair<const char*, const char*> kCopies[] = {
    {"require.php~", "/require.php~"},
    {"require.php.bak", "/require.php.bak"},
    {"require.php.BAK", "/require.php.BAK"},
    {"require.php.orig", "/require.php.orig"},
    {"require.php.old", "/require.php.old"},
    {"require.php.save", "/require.php.save"},
    {"require.php.swp", "/require.php.swp"},
    {".require.php.swp", "/.require.php.swp"},
    {".require.php.swo", "/.require.php.swo"},
    {"#require.php#", "/%23require.php%23"},
    {".#require.php", "/.%23require.php"},
    {"require.php.txt", "/require.php.txt"},
    {"require.php.1", "/require.php.1"},
    {"Require.PHP.dist", "/Require.PHP.dist"},
    {"require - Copie.php", "/require%20-%20Copie.php"},
    {"Copie de require.php", "/Copie%20de%20require.php"},
    {"require (1).php", "/require%20(1).php"},
    {"require.old.php", "/require.old.php"},
    {"sous/require.php.bak", "/sous/require.php.bak"},
    {".htrecovery.verrou", "/.htrecovery.verrou"},
    {".htrecovery.sel.php", "/.htrecovery.sel.php"},
    {".htminiatures-0a.signale", "/.htminiatures-0a.signale"},
    {"cache/.htkalvor-a-effacer.verrou", "/cache/.htkalvor-a-effacer.verrou"},
    {"cache/0123456789abcdef/.htetat", "/cache/0123456789abcdef/.htetat"},
    {"cache/0123456789abcdef/.htplace", "/cache/0123456789abcdef/.htplace"},
    {"cache/0123456789abcdef/.htliste-0", "/cache/0123456789abcdef/.htliste-0"},
};

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

quint16 freePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}

// A server of the test's own, stopped with it.
class Server {
  public:
    Server(const QString& program, const QStringList& arguments) {
        process_.setProcessChannelMode(QProcess::MergedChannels);
        process_.start(program, arguments);
        process_.waitForStarted();
    }
    ~Server() {
        process_.terminate();
        if (!process_.waitForFinished(5000)) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }
    // Waits until `ready` holds; false, with what the server said, if it never does.
    bool waitUntil(const std::function<bool()>& ready) {
        for (int i = 0; i < 100; ++i) {
            if (ready()) {
                return true;
            }
            if (process_.state() == QProcess::NotRunning) {
                break;
            }
            QThread::msleep(100);
        }
        ADD_FAILURE() << process_.readAll().toStdString();
        return false;
    }

  private:
    QProcess process_;
};

void writeSite(const QString& www) {
    test::writeAll(www + QStringLiteral("/require.php"),
                   "<?\r\n$password = \"" + kPassword + "\";\r\n?>\r\n");
    test::writeAll(www + QStringLiteral("/sous/require.php"),
                   "<?\r\n$password = \"" + kPassword + "\";\r\n?>\r\n");
    for (const auto& [name, path] : kCopies) {
        test::writeAll(www + u'/' + QString::fromUtf8(name),
                       "<?\r\n$password = \"" + kPassword + "\";\r\n?>\r\n");
    }
    test::writeAll(www + QStringLiteral("/index.html"), "le site\r\n");
    test::writeAll(www + QStringLiteral("/prerequis.php"), "<?php echo 'page ' . 'php';\r\n");
}

// Every form refused with a status that starts with `status`, no password sent.
void expectRefused(quint16 port, const QByteArray& status) {
    QList<QByteArray> paths(std::begin(kForms), std::end(kForms));
    for (const auto& [name, path] : kCopies) {
        paths << path;
    }
    for (const QByteArray& path : paths) {
        const QByteArray reply = get(port, path);
        EXPECT_TRUE(reply.startsWith("HTTP/1.1 " + status))
            << path.toStdString() << ": " << reply.toStdString();
        EXPECT_FALSE(reply.contains(kPassword)) << path.toStdString();
    }
}

// The nginx lines the README gives: its one block marked "nginx".
QString readmeNginxLines() {
    const QString readme =
        QString::fromUtf8(test::readAll(test::sourceDir() + QStringLiteral("/README.md")));
    const QRegularExpressionMatch block =
        QRegularExpression(QStringLiteral("```nginx\n(.*?)```"),
                           QRegularExpression::DotMatchesEverythingOption)
            .match(readme);
    return block.captured(1);
}

}  // namespace

// Apache 2.4 reads the rules of its own module; loaded with the old access
// module alone, and the access rules of a 2.2 host's folder, it reads those
// of 2.2, as a host still on 2.2 does.
TEST(RequireGuard, ApacheSendsNoRequirePhpBesideIt) {
    if (!QFileInfo::exists(QString::fromLatin1(kApache))) {
        GTEST_SKIP() << "apache2 is not installed";
    }
    const std::pair<const char*, const char*> versions[] = {
        {"authz_core", ""}, {"access_compat", "Order Allow,Deny\nAllow from all\nSatisfy Any\n"}};
    for (const auto& [module, access] : versions) {
        SCOPED_TRACE(module);
        QTemporaryDir dir;
        const QString www = dir.path() + QStringLiteral("/www");
        writeSite(www);
        const quint16 port = freePort();
        test::writeAll(dir.path() + QStringLiteral("/httpd.conf"),
                       QStringLiteral("ServerRoot %1\nListen 127.0.0.1:%2\nServerName localhost\n"
                                      "LoadModule mpm_prefork_module %3mod_mpm_prefork.so\n"
                                      "LoadModule %4_module %3mod_%4.so\n"
                                      "PidFile %1/httpd.pid\nErrorLog %1/error.log\n"
                                      "DocumentRoot %1/www\n"
                                      "<Directory %1/www>\nAllowOverride All\n%5</Directory>\n")
                           .arg(dir.path())
                           .arg(port)
                           .arg(QStringLiteral("/usr/lib/apache2/modules/"),
                                QString::fromLatin1(module), QString::fromLatin1(access))
                           .toUtf8());
        Server apache(QString::fromLatin1(kApache),
                      {QStringLiteral("-f"), dir.path() + QStringLiteral("/httpd.conf"),
                       QStringLiteral("-X")});
        ASSERT_TRUE(apache.waitUntil([&] { return !get(port, "/index.html").isEmpty(); }));

        // Without it, the password goes to whoever asks.
        EXPECT_TRUE(get(port, "/require.php").contains(kPassword));
        EXPECT_TRUE(get(port, "/require.php~").contains(kPassword));
        Create_Require_Guard(www);
        QFile::copy(www + QStringLiteral("/.htaccess"), www + QStringLiteral("/sous/.htaccess"));
        // 404 where no file has the name asked for (another case, an encoded slash).
        expectRefused(port, "4");
        EXPECT_EQ(get(port, "/index.html"), "HTTP/1.1 200 OK\r\n\r\nle site\r\n");
    }
}

// nginx before Debian's own snippet and php-fpm with the host's php.ini,
// which split "/require.php/x.php" into require.php and its path info.
TEST(RequireGuard, NginxWithTheReadmeLinesSendsNoRequirePhp) {
    const QStringList fpm =
        QDir(QStringLiteral("/usr/sbin")).entryList({QStringLiteral("php-fpm*")}, QDir::Files);
    if (!QFileInfo::exists(QString::fromLatin1(kNginx)) || fpm.isEmpty()) {
        GTEST_SKIP() << "nginx or php-fpm is not installed";
    }
    const QString lines = readmeNginxLines();
    ASSERT_TRUE(lines.contains(QStringLiteral("require"))) << "no nginx block in the README";
    QTemporaryDir dir;
    const QString root = dir.path();
    const QString www = root + QStringLiteral("/www");
    writeSite(www);
    // Debian's snippet includes "fastcgi.conf" relative to the configuration.
    QFile::link(QStringLiteral("/etc/nginx/snippets"), root + QStringLiteral("/snippets"));
    QFile::link(QStringLiteral("/etc/nginx/fastcgi.conf"), root + QStringLiteral("/fastcgi.conf"));
    const bool asRoot = ::geteuid() == 0;

    test::writeAll(root + QStringLiteral("/fpm.conf"),
                   QStringLiteral("[global]\npid = %1/fpm.pid\nerror_log = %1/fpm.log\n"
                                  "[site]\nlisten = %1/fpm.sock\npm = static\n"
                                  "pm.max_children = 2\n%2")
                       .arg(root, asRoot ? QStringLiteral("user = root\n") : QString())
                       .toUtf8());
    QStringList fpmArguments{QStringLiteral("-F"), QStringLiteral("-y"),
                             root + QStringLiteral("/fpm.conf")};
    if (asRoot) {
        fpmArguments << QStringLiteral("-R");
    }
    Server php(QStringLiteral("/usr/sbin/") + fpm.first(), fpmArguments);
    ASSERT_TRUE(php.waitUntil([&] { return QFileInfo::exists(root + "/fpm.sock"); }));

    // One server as Debian's stock site hands PHP its files, one with the
    // README's lines before that.
    const quint16 stock = freePort();
    const quint16 guarded = freePort();
    const QString server = QStringLiteral(
        "server {\nlisten 127.0.0.1:%1;\nroot %2;\nindex index.html;\n"
        "location / {\ntry_files $uri $uri/ =404;\n}\n%3\n"
        "location ~ \\.php$ {\ninclude snippets/fastcgi-php.conf;\n"
        "fastcgi_pass unix:%4/fpm.sock;\n}\n}\n");
    QString conf = QStringLiteral(
                       "pid %1/nginx.pid;\nerror_log %1/nginx.log;\n%2"
                       "events {}\nhttp {\naccess_log off;\n")
                       .arg(root, asRoot ? QStringLiteral("user root;\n") : QString());
    for (const char* temp : {"client_body", "proxy", "fastcgi", "uwsgi", "scgi"}) {
        conf += QStringLiteral("%1_temp_path %2/%1;\n").arg(QString::fromLatin1(temp), root);
    }
    conf += server.arg(QString::number(stock), www, QString(), root);
    conf += server.arg(QString::number(guarded), www, lines, root);
    test::writeAll(root + QStringLiteral("/nginx.conf"), (conf + "}\n").toUtf8());
    Server nginx(QString::fromLatin1(kNginx),
                 {QStringLiteral("-p"), root, QStringLiteral("-c"), root + "/nginx.conf",
                  QStringLiteral("-e"), root + "/nginx.log", QStringLiteral("-g"),
                  QStringLiteral("daemon off;")});
    ASSERT_TRUE(nginx.waitUntil([&] { return !get(guarded, "/index.html").isEmpty(); }));

    // Without the lines, PHP gets require.php and sends it whole.
    EXPECT_TRUE(get(stock, "/require.php/x.php").contains(kPassword));
    EXPECT_TRUE(get(stock, "/require.php%2fx.php").contains(kPassword));
    expectRefused(guarded, "403");
    EXPECT_TRUE(get(stock, "/.htrecovery.verrou").contains(kPassword));
    // A name outside the class is served.
    EXPECT_EQ(get(guarded, "/prerequis.php"), "HTTP/1.1 200 OK\r\n\r\npage php");
    EXPECT_EQ(get(guarded, "/index.html"), "HTTP/1.1 200 OK\r\n\r\nle site\r\n");
}
