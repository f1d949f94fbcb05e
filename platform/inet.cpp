#include "platform/inet.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QUrl>

#include "platform/cp1252.h"
#include "platform/error.h"

namespace kalvor {
namespace {

QString decodeLines(const QByteArray& body) {
    QString text;
    qsizetype from = 0;
    while (from <= body.size()) {
        qsizetype end = body.indexOf('\n', from);
        if (end < 0) {
            end = body.size();
        }
        const QByteArrayView line = QByteArrayView(body).sliced(from, end - from);
        text += line.isValidUtf8() ? QString::fromUtf8(line) : cp1252::decode(line.toByteArray());
        if (end < body.size()) {
            text += u'\n';
        }
        from = end + 1;
    }
    return text;
}

}  // namespace

Inet::Inet(int timeoutMs) : timeoutMs_(timeoutMs) {}

Inet::~Inet() {
    delete manager_;
}

QNetworkAccessManager* Inet::manager() {
    if (manager_ == nullptr) {
        manager_ = new QNetworkAccessManager();
    }
    return manager_;
}

QString Inet::OpenURL(const QString& url, Text text) {
    lastStatus_ = 0;
    if (busy_) {
        throw Error(err::HttpError, QStringLiteral("Une requête est déjà en cours."));
    }
    const QUrl target = QUrl::fromUserInput(url);
    if (!target.isValid() || (target.scheme() != u"http" && target.scheme() != u"https")) {
        throw Error(err::HttpError, QStringLiteral("Adresse invalide : %1").arg(url));
    }
    QNetworkRequest request(target);
    request.setTransferTimeout(timeoutMs_);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    busy_ = true;
    QNetworkReply* reply = manager()->get(request);
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    if (!reply->isFinished()) {
        loop.exec();  // window events run meanwhile
    }
    busy_ = false;
    lastStatus_ = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    // A timed-out reply is closed: reading it would only print a warning.
    const QByteArray body = reply->isOpen() ? reply->readAll() : QByteArray();
    const QNetworkReply::NetworkError error = reply->error();
    const QString errorText = reply->errorString();
    const QString reason = reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
    reply->deleteLater();

    if (lastStatus_ == 0 ||
        (error != QNetworkReply::NoError && error < QNetworkReply::ContentAccessDenied)) {
        if (error == QNetworkReply::OperationCanceledError ||
            error == QNetworkReply::TimeoutError) {
            throw Error(err::HttpError,
                        QStringLiteral("Le site %1 n'a pas répondu à temps.").arg(url));
        }
        throw Error(err::HttpError,
                    QStringLiteral("Impossible de joindre %1 (%2).").arg(url, errorText));
    }
    if (lastStatus_ != 200) {
        throw Error(
            err::HttpError,
            QStringLiteral("Le site a répondu %1 %2 pour %3.").arg(lastStatus_).arg(reason, url));
    }
    return text == Text::Windows1252 ? cp1252::decode(body) : decodeLines(body);
}

}  // namespace kalvor
