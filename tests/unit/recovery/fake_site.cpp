#include "unit/recovery/fake_site.h"

#include <QRegularExpression>
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
            const qsizetype head = request.indexOf("\r\n\r\n");
            if (head < 0) {
                return;
            }
            static const QRegularExpression lengthLine(
                QStringLiteral("\r\ncontent-length: *(\\d+)"),
                QRegularExpression::CaseInsensitiveOption);
            const auto length = lengthLine.match(QString::fromLatin1(request.left(head)));
            if (length.hasMatch() && request.size() < head + 4 + length.captured(1).toLongLong()) {
                return;
            }
            socket->setProperty("request", QByteArray());
            answer(socket, request);
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

namespace {

// name=value pairs as PHP reads them: "+" as a blank, then %XX.
QHash<QByteArray, QByteArray> formValues(const QByteArray& encoded) {
    QHash<QByteArray, QByteArray> values;
    for (const QByteArray& pair : encoded.split('&')) {
        const qsizetype eq = pair.indexOf('=');
        QByteArray value = eq < 0 ? QByteArray() : pair.mid(eq + 1);
        value.replace('+', ' ');
        values.insert(pair.left(eq), QByteArray::fromPercentEncoding(value));
    }
    return values;
}

}  // namespace

void FakeSite::answer(QTcpSocket* socket, const QByteArray& request) {
    const QList<QByteArray> line = request.left(request.indexOf("\r\n")).split(' ');
    Request r;
    r.method = line.value(0);
    r.target = line.value(1);
    r.path = r.target.left(r.target.indexOf('?'));
    const auto address = formValues(
        r.target.indexOf('?') < 0 ? QByteArray() : r.target.mid(r.target.indexOf('?') + 1));
    const auto posted = r.method == "POST" && !addressOnly_
                            ? formValues(request.mid(request.indexOf("\r\n\r\n") + 4))
                            : QHash<QByteArray, QByteArray>();
    r.pwd = posted.value("pwd", address.value("pwd"));
    r.tablename = posted.value("tablename", address.value("tablename"));
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
    const bool found = !missing_ && r.path == "/recovery.php";
    const bool busy = found && busy_-- > 0;
    if (!found) {
        status = missing_ ? missingStatus_ : 404;
        body =
            "<html><head><title>404 Not Found</title></head><body><h1>Not Found</h1>"
            "</body></html>";
    } else if (busy && !addressOnly_) {
        // Left unread, the refusal says so from its first bytes, which no
        // proxy takes off.
        body = "Retry-After: 1";
    } else if (busy || r.pwd != password_) {
        body = "invalid password";
    } else {
        body = bodies_.value(table, "#fin##0#");  // a table not set is empty
        const qsizetype mark = body.lastIndexOf("#fin#");
        if (withoutMark_ && mark >= 0) {
            body.truncate(mark);
        } else if (uncounted_ && mark >= 0) {
            body.truncate(mark + 5);
        }
        marked = endMarked_;
    }
    // What PHP shows of an earlier script that reads the password only from
    // the address.
    if (found && addressOnly_ && !address.contains("pwd")) {
        body.prepend(
            "<br />\n<b>Warning</b>:  Undefined array key \"pwd\" in recovery.php on "
            "line 4<br />\n");
    }
    if (found && byteOrderMark_) {
        if (body == "invalid password" && !addressOnly_) {
            body += "<!-- X-Kalvor-Recovery: post -->";
        }
        body += banner_;
        socket->write(
            "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nConnection: close\r\n"
            "Content-Length: " +
            QByteArray::number(body.size() + 3) + "\r\n\r\n\xEF\xBB\xBF" + body);
        socket->disconnectFromHost();
        return;
    }
    if (found) {
        body += banner_;
    }
    if (commentsLost_) {
        static const QRegularExpression comment(QStringLiteral("<!--.*-->"),
                                                QRegularExpression::InvertedGreedinessOption);
        body = QString::fromLatin1(body).remove(comment).toLatin1();
    }
    socket->write(
        "HTTP/1.1 " + QByteArray::number(status) + (status == 200 ? " OK" : " Not Found") +
        "\r\nContent-Type: text/html\r\nConnection: close\r\n" +
        (addressOnly_ || !found || headersLost_ ? QByteArray()
                                                : QByteArray("X-Kalvor-Recovery: post\r\n")) +
        (busy && !headersLost_ ? QByteArray("Retry-After: 1\r\n") : QByteArray()) +
        (marked && !headersLost_ ? QByteArray("X-Kalvor-Fin: #fin#\r\n")
                                 : "Content-Length: " + QByteArray::number(body.size()) + "\r\n") +
        "\r\n" + body);
    socket->disconnectFromHost();
}

}  // namespace kalvor::test
