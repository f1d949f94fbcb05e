#include "platform/inet.h"

#include <QFile>
#include <QProcess>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslServer>
#include <QSslSocket>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include "platform/error.h"
#include "support/proved_reply.h"

using namespace kalvor;

namespace {

// A one-page HTTP server in this thread: it answers while Inet waits, which
// also shows that events keep running during the wait. Given `everyMs`, it
// sends `piece` bytes of the response at each tick and closes a tick after
// the last.
class TinyServer {
  public:
    explicit TinyServer(QByteArray response, int everyMs = 0, int piece = 1)
        : response_(std::move(response)), everyMs_(everyMs), piece_(piece) {
        server_.listen(QHostAddress::LocalHost);
        QObject::connect(&server_, &QTcpServer::newConnection, [this] {
            QTcpSocket* socket = server_.nextPendingConnection();
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                request_ += socket->readAll();
                if (!request_.contains("\r\n\r\n") || response_.isEmpty()) {
                    return;
                }
                if (everyMs_ == 0) {
                    socket->write(response_);
                    socket->disconnectFromHost();
                    return;
                }
                socket->write(response_.left(piece_));
                auto* tick = new QTimer(socket);
                QObject::connect(tick, &QTimer::timeout, socket,
                                 [this, socket, sent = qsizetype(piece_)]() mutable {
                                     if (sent < response_.size()) {
                                         socket->write(response_.mid(sent, piece_));
                                         sent += piece_;
                                     } else {
                                         socket->disconnectFromHost();
                                     }
                                 });
                tick->start(everyMs_);
            });
        });
    }
    QString url(const QString& path) const {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(server_.serverPort()).arg(path);
    }
    const QByteArray& request() const { return request_; }

  private:
    QTcpServer server_;
    QByteArray response_;
    int everyMs_;
    int piece_;
    QByteArray request_;
};

int failureNumber(Inet& inet, const QString& url) {
    try {
        inet.OpenURL(url);
    } catch (const Error& e) {
        return e.Number();
    }
    return 0;
}

// The body read, or the failure's text.
QString outcome(Inet& inet, const QString& url, const replies::EndMark& endMark = {}) {
    try {
        return inet.OpenURL(url, endMark);
    } catch (const Error& e) {
        return e.Description();
    }
}

}  // namespace

TEST(Inet, ReturnsTheWholeBodyReadAsWindows1252) {
    TinyServer server(
        "HTTP/1.0 200 OK\r\nContent-Type: text/plain; charset=ISO-8859-1\r\n\r\n"
        "Cl\xE9mence.jpg@@@01/02/2024 10:11:12\nx\x80\n");
    Inet inet;
    EXPECT_EQ(inet.OpenURL(server.url(QStringLiteral("/check_files.php?current_rep=couvertures"))),
              QStringLiteral("Clémence.jpg@@@01/02/2024 10:11:12\nx€\n"));
    EXPECT_TRUE(server.request().startsWith("GET /check_files.php?current_rep=couvertures "));
    EXPECT_FALSE(inet.StillExecuting());
}

TEST(Inet, ANotFoundPageIsAFailureWithItsStatus) {
    TinyServer server("HTTP/1.0 404 Not Found\r\n\r\n<h1>404 Not Found</h1>");
    Inet inet;
    EXPECT_EQ(failureNumber(inet, server.url(QStringLiteral("/recovery.php"))), err::HttpError);
    EXPECT_EQ(inet.lastStatus(), 404);

    // The site's own scripts say why they failed; a host's page is not quoted.
    TinyServer site(
        "HTTP/1.0 500 Internal Server Error\r\nX-Kalvor-Erreur: require.php\r\n\r\n"
        "Le site ne trouve aucun de ses r\xC3\xA9glages dans require.php.\n");
    const QString url = site.url(QStringLiteral("/recovery.php"));
    EXPECT_EQ(outcome(inet, url),
              QStringLiteral("Le site a répondu 500 Internal Server Error pour %1. Le site ne "
                             "trouve aucun de ses réglages dans require.php.")
                  .arg(url));
    TinyServer host("HTTP/1.0 500 Internal Server Error\r\n\r\n<h1>Oops</h1>");
    EXPECT_FALSE(outcome(inet, host.url(QStringLiteral("/"))).contains(QStringLiteral("Oops")));
}

TEST(Inet, NoServerAndNoAnswerAreFailuresNotTexts) {
    Inet inet(300);
    quint16 closedPort = 0;
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost);
        closedPort = probe.serverPort();
    }
    EXPECT_EQ(failureNumber(inet, QStringLiteral("http://127.0.0.1:%1/").arg(closedPort)),
              err::HttpError);
    TinyServer silent{QByteArray()};
    EXPECT_EQ(failureNumber(inet, silent.url(QStringLiteral("/"))), err::HttpError);
    EXPECT_EQ(failureNumber(inet, QStringLiteral("ftp://example/")), err::HttpError);

    // Said as what they are, not as a cut connection or a number.
    TinyServer loop("HTTP/1.0 302 Found\r\nLocation: /recovery.php\r\n\r\n");
    const QString again = loop.url(QStringLiteral("/recovery.php"));
    EXPECT_EQ(outcome(inet, again),
              QStringLiteral("Le site %1 renvoie sans fin vers une autre adresse (boucle de "
                             "redirections).")
                  .arg(again));
    try {
        inet.PostForm(again, "pwd=x");
        ADD_FAILURE() << "a posted form followed without end";
    } catch (const Error& e) {
        EXPECT_TRUE(e.Description().endsWith(QStringLiteral("(boucle de redirections).")));
    }
    // The system's reason, whatever the failure: here the broadcast address.
    const QString read = outcome(inet, QStringLiteral("http://255.255.255.255/"));
    EXPECT_TRUE(read.startsWith(QStringLiteral("Impossible de joindre http://255.255.255.255/ (")))
        << read.toStdString();
    EXPECT_FALSE(read.contains(QStringLiteral(" n° "))) << read.toStdString();
}

TEST(Inet, ASiteThatSendsAByteNowAndThenIsGivenUpAtTheDeadline) {
    TinyServer trickling("HTTP/1.0 200 OK\r\n\r\n" + QByteArray(60, 'x'), 20);
    Inet inet(1000, 300);
    const QString url = trickling.url(QStringLiteral("/recovery.php"));
    EXPECT_EQ(outcome(inet, url), QStringLiteral("Le site %1 n'a pas répondu à temps.").arg(url));
    EXPECT_FALSE(inet.StillExecuting());
}

TEST(Inet, AReplyCutShortIsAFailureWhenItsLengthOrItsEndMarkSaysSo) {
    const QByteArray kFolder = "check_files:couvertures";
    const QString cut = QStringLiteral("La réponse du site pour %1 est incomplète (%2).");
    // When the close follows the body by a moment, Qt often takes the body
    // for whole.
    for (int i = 0; i < 20; ++i) {
        TinyServer server("HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\nabc", 1, 1000);
        Inet inet;
        ASSERT_EQ(failureNumber(inet, server.url(QStringLiteral("/"))), err::HttpError) << i;
    }
    const QString altered = QStringLiteral(
        "La réponse du site pour %1 est incomplète ou altérée (%2 ligne(s) "
        "reçue(s) sur les %3 envoyée(s)).");
    const struct {
        const char* name;
        QByteArray head;
        QByteArray body;
        QString read;  // null: cut
        const char* mark = "#fin#\n";
        int got = 0, sent = 0;        // a count that differs
        const char* fault = nullptr;  // why this version's mark refuses it
    } cases[] = {
        {"cut after a whole line", "X-Kalvor-Fin: #fin#\r\n", "a\n", QString()},
        {"counted whole", "",
         "a\nb\n#fin#\n#2#\nH\xE9"
         "berg\xE9"
         " par Free\n",
         "a\nb\n"},
        {"a line left out, the mark and its count kept", "X-Kalvor-Fin: #fin#\r\n",
         "a\n#fin#\n#2#\n", QString(), "#fin#\n", 1, 2},
        {"a row left out of a table", "", "1@@@a#end#3@@@c#end##fin##3#", QString(), "#fin#", 2, 3},
        {"a table counted whole, a value holding the row end", "",
         "1@@@a#end##end#2@@@b#end##fin##3#", "1@@@a#end##end#2@@@b#end#", "#fin#"},
        {"the mark amid a line", "X-Kalvor-Fin: #fin#\r\n", "a#fin#\n", QString()},
        {"a host's banner after the mark", "X-Kalvor-Fin: #fin#\r\n",
         "a\n#fin#\n<script src=\"pub.js\"></script>", "a\n"},
        {"a byte-order mark before the script", "X-Kalvor-Fin: #fin#\r\n",
         "\xEF\xBB\xBF"
         "a\n#fin#\n",
         "a\n"},
        {"the header lost on the way", "", "a\n#fin#\n", "a\n"},
        {"a line end after the script's end", "X-Kalvor-Fin: #fin#\r\n", "a\n#fin#\n\r\n \n",
         "a\n"},
        // This version's mark, which names the folder and proves the bytes.
        {"proved, white space before and a banner after", "X-Kalvor-Fin: #fin#\r\n",
         "\r\n " + test::proved(kFolder, "a\n") + "\n<script></script>", "a\n"},
        {"cut inside its mark", "X-Kalvor-Fin: #fin#\r\n", "a\n#fin:check_files:couvertures#2#",
         QString()},
        {"kept for another folder", "", test::proved("check_files:versos", "a\n") + "\n", QString(),
         "#fin#\n", 0, 0,
         "elle répond à « check_files:versos » et non à « check_files:couvertures » : une "
         "réponse gardée pour une autre demande ?"},
        {"a banner before it without a line end", "",
         "Page h\xE9"
         "berg\xE9"
         "e gratuitement " +
             test::proved(kFolder, "a\n"),
         QString(), "#fin#\n", 0, 0, "un texte la précède : « Page hébergée gratuitement »"},
        {"a line left out", "", test::proved(kFolder, "a\nb\n").remove(0, 2), QString(), "#fin#\n",
         0, 0, "2 octet(s) reçu(s) sur les 4 envoyé(s)"},
        {"its line ends changed by a host", "",
         test::proved(kFolder, "a\nb\n").replace("a\nb\n", "a\r\nb\r\n"), QString(), "#fin#\n", 0,
         0, "son contenu n'est plus celui que le site a envoyé : son empreinte (CRC-32) diffère"},
    };
    for (const auto& c : cases) {
        TinyServer server("HTTP/1.0 200 OK\r\n" + c.head + "\r\n" + c.body);
        Inet inet;
        const QString url = server.url(QStringLiteral("/check_files.php"));
        const QString expected = c.fault ? QStringLiteral(
                                               "La réponse du site pour %1 est incomplète ou "
                                               "altérée (%2).")
                                               .arg(url, QString::fromUtf8(c.fault))
                                 : c.sent > 0      ? altered.arg(url).arg(c.got).arg(c.sent)
                                 : c.read.isNull() ? cut.arg(url, QStringLiteral("sa fin manque"))
                                                   : c.read;
        EXPECT_EQ(outcome(inet, url, {c.mark, kFolder}), expected) << c.name;
    }
    // Closed amid the chunks, the site was reached: never "Impossible de
    // joindre". Under load Qt may take the chunks read for the whole body.
    for (int i = 0; i < 20; ++i) {
        TinyServer server("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n6\r\nabcdef\r\n");
        Inet inet;
        const QString url = server.url(QStringLiteral("/recovery.php"));
        const QString read = outcome(inet, url);
        EXPECT_TRUE(read == u"abcdef" ||
                    read == cut.arg(url, QStringLiteral("connexion coupée après 6 octets")))
            << read.toStdString();
    }
}

TEST(Inet, APostedFormFollowsARedirectionWithItsBody) {
    TinyServer moved("HTTP/1.0 200 OK\r\nX-Kalvor-Recovery: post\r\n\r\nrows");
    TinyServer site("HTTP/1.0 301 Moved Permanently\r\nLocation: " +
                    moved.url(QStringLiteral("/site/recovery.php?tablename=albums")).toLatin1() +
                    "\r\n\r\n");
    Inet inet;
    EXPECT_EQ(
        inet.PostForm(site.url(QStringLiteral("/recovery.php?tablename=albums")), "pwd=a%26b"),
        QStringLiteral("rows"));
    EXPECT_TRUE(inet.lastHadHeader("x-kalvor-recovery"));
    EXPECT_TRUE(site.request().startsWith("POST /recovery.php?tablename=albums "));
    EXPECT_TRUE(moved.request().startsWith("POST /site/recovery.php?tablename=albums "));
    EXPECT_TRUE(moved.request().endsWith("\r\n\r\npwd=a%26b")) << moved.request().toStdString();
}

TEST(Inet, AnHttpsSiteThatSendsAPostToHttpIsNamedAsForAGet) {
    // A certificate of its own for 127.0.0.1, which the program is made to
    // trust.
    QTemporaryDir dir;
    const QString key = dir.filePath(QStringLiteral("key.pem"));
    const QString cert = dir.filePath(QStringLiteral("cert.pem"));
    QProcess openssl;
    openssl.start(
        QStringLiteral("openssl"),
        {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "1", "-subj", "/CN=127.0.0.1",
         "-addext", "subjectAltName=IP:127.0.0.1", "-keyout", key, "-out", cert});
    ASSERT_TRUE(openssl.waitForFinished(60000) && openssl.exitCode() == 0);
    QFile keyFile(key);
    QFile certFile(cert);
    ASSERT_TRUE(keyFile.open(QIODevice::ReadOnly) && certFile.open(QIODevice::ReadOnly));
    const QSslCertificate certificate(&certFile, QSsl::Pem);
    QSslConfiguration client = QSslConfiguration::defaultConfiguration();
    const QSslConfiguration before = client;
    client.addCaCertificate(certificate);
    QSslConfiguration::setDefaultConfiguration(client);

    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setLocalCertificate(certificate);
    tls.setPrivateKey(QSslKey(&keyFile, QSsl::Rsa));
    QSslServer server;
    server.setSslConfiguration(tls);
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    const QByteArray moved = "HTTP/1.0 301 Moved Permanently\r\nLocation: http://127.0.0.1:" +
                             QByteArray::number(server.serverPort()) + "/recovery.php\r\n\r\n";
    QObject::connect(&server, &QSslServer::pendingConnectionAvailable, [&] {
        auto* socket = static_cast<QSslSocket*>(server.nextPendingConnection());
        QObject::connect(socket, &QSslSocket::readyRead, socket, [socket, moved] {
            if (socket->property("answered").toBool()) {
                return;
            }
            socket->setProperty("answered", true);
            socket->write(moved);
            socket->disconnectFromHost();
        });
    });
    const QString url =
        QStringLiteral("https://127.0.0.1:%1/recovery.php").arg(server.serverPort());
    Inet inet;
    QString posted;
    QString got;
    try {
        inet.PostForm(url, "pwd=a");
    } catch (const Error& e) {
        posted = e.Description();
    }
    got = outcome(inet, url);
    QSslConfiguration::setDefaultConfiguration(before);
    EXPECT_TRUE(posted.contains(QStringLiteral("non sécurisée"))) << posted.toStdString();
    EXPECT_EQ(posted, got);
}
