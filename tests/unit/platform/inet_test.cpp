#include "platform/inet.h"

#include <QTcpServer>
#include <QTcpSocket>

#include <gtest/gtest.h>

#include "platform/error.h"

using namespace kalvor;

namespace {

// A one-page HTTP server in this thread: it answers while Inet waits, which
// also shows that events keep running during the wait.
class TinyServer {
  public:
    explicit TinyServer(QByteArray response) : response_(std::move(response)) {
        server_.listen(QHostAddress::LocalHost);
        QObject::connect(&server_, &QTcpServer::newConnection, [this] {
            QTcpSocket* socket = server_.nextPendingConnection();
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                request_ += socket->readAll();
                if (request_.contains("\r\n\r\n") && !response_.isEmpty()) {
                    socket->write(response_);
                    socket->disconnectFromHost();
                }
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
}
