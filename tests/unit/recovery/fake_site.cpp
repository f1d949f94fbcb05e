#include "unit/recovery/fake_site.h"

#include <QTcpSocket>

#include "platform/cp1252.h"

namespace kalvor::test {

FakeSite::FakeSite() {
    server_.listen(QHostAddress::LocalHost);
    QObject::connect(&server_, &QTcpServer::newConnection, [this] {
        QTcpSocket* socket = server_.nextPendingConnection();
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
            // The request so far rides on the socket itself.
            QByteArray request = socket->property("request").toByteArray() + socket->readAll();
            socket->setProperty("request", request);
            if (request.contains("\r\n\r\n")) {
                socket->setProperty("request", QByteArray());
                answer(socket, request);
            }
        });
        QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    });
}

QString FakeSite::url() const {
    return QStringLiteral("http://127.0.0.1:%1").arg(server_.serverPort());
}

QByteArray FakeSite::row(const QStringList& fields) {
    return cp1252::encode(fields.join(QStringLiteral("@@@"))) + "#end#";
}

void FakeSite::answer(QTcpSocket* socket, const QByteArray& request) {
    const QByteArray target = request.split(' ').value(1);
    Request r;
    r.path = target.left(target.indexOf('?'));
    const QByteArray query =
        target.indexOf('?') < 0 ? QByteArray() : target.mid(target.indexOf('?') + 1);
    for (const QByteArray& pair : query.split('&')) {
        const qsizetype eq = pair.indexOf('=');
        const QByteArray name = pair.left(eq);
        // A "+" reads as a blank, as PHP reads it.
        QByteArray value = eq < 0 ? QByteArray() : pair.mid(eq + 1);
        value.replace('+', ' ');
        value = QByteArray::fromPercentEncoding(value);
        if (name == "pwd") {
            r.pwd = value;
        } else if (name == "tablename") {
            r.tablename = value;
        }
    }
    requests_ << r;

    const QString table = QString::fromLatin1(r.tablename);
    if (onRequest) {
        onRequest(table);
    }
    if (!stopAt_.isEmpty() && (stopped_ || table == stopAt_)) {
        stopped_ = true;
        socket->abort();
        return;
    }
    int status = 200;
    QByteArray body;
    bool marked = false;
    if (missing_ || r.path != "/recovery.php") {
        status = 404;
        body = "<html><body><h1>Not Found</h1></body></html>";
    } else if (r.pwd != password_) {
        body = "invalid password";
    } else {
        body = bodies_.value(table);
        marked = endMarked_;
    }
    socket->write("HTTP/1.1 " + QByteArray::number(status) +
                  (status == 200 ? " OK" : " Not Found") +
                  "\r\nContent-Type: text/html\r\nConnection: close\r\n" +
                  (marked ? QByteArray("X-Kalvor-Fin: #fin#\r\n")
                          : "Content-Length: " + QByteArray::number(body.size()) + "\r\n") +
                  "\r\n" + body);
    socket->disconnectFromHost();
}

}  // namespace kalvor::test
