#include "canned_site.h"

#include <QTcpSocket>

namespace kalvor::test {

CannedSite::CannedSite() {
    server_.listen(QHostAddress::LocalHost);
    QObject::connect(&server_, &QTcpServer::newConnection, [this] {
        QTcpSocket* socket = server_.nextPendingConnection();
        auto* request = new QByteArray;
        QObject::connect(socket, &QObject::destroyed, [request] { delete request; });
        QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, request] {
            *request += socket->readAll();
            if (!request->contains("\r\n\r\n") || silent_) {
                return;
            }
            ++requests_;
            const QString target = QString::fromLatin1(request->split(' ').value(1));
            const Reply reply = pages_.value(target, unknown_);
            QByteArray response =
                "HTTP/1.0 " + QByteArray::number(reply.status) +
                (reply.status == 200 ? " OK" : " Error") +
                "\r\nContent-Type: text/plain;charset=ISO-8859-1\r\n" +
                (endMarked_ ? QByteArray("X-Kalvor-Fin: #fin#\r\n")
                            : "Content-Length: " + QByteArray::number(reply.body.size()) + "\r\n") +
                "\r\n" + reply.body;
            socket->write(response);
            socket->disconnectFromHost();
        });
    });
}

namespace {

// A listing's lines, its mark and their count.
QByteArray counted(const QByteArray& lines) {
    return lines + "#fin#\n#" + QByteArray::number(lines.count('\n')) + "#\n";
}

}  // namespace

void CannedSite::page(const QString& pathAndQuery, const QByteArray& body, int status) {
    pages_.insert(pathAndQuery, {status, body});
}

void CannedSite::files(const QString& rep, const QByteArray& body) {
    page(QStringLiteral("/check_files.php?current_rep=") + rep, counted(body));
}

void CannedSite::thumbs(const QString& rep, const QByteArray& body) {
    page(QStringLiteral("/check_thumbs.php?current_rep=") + rep, counted(body));
}

void CannedSite::emptyListings() {
    for (const char* rep :
         {"couvertures", "versos", "photos", "planches", "dedicaces", "parabd", "revues"}) {
        files(QString::fromLatin1(rep), QByteArray());
        thumbs(QString::fromLatin1(rep), QByteArray());
    }
}

QString CannedSite::url() const {
    return QStringLiteral("http://127.0.0.1:%1").arg(server_.serverPort());
}

}  // namespace kalvor::test
