#include "platform/inet.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QThread>
#include <QTimer>
#include <QUrl>
#include <optional>
#include <utility>

#include "platform/cp1252.h"
#include "platform/error.h"
#include "platform/site_replies.h"

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

// What is kept of a reply once it is gone.
struct Received {
    int status = 0;
    QByteArray body;
    QNetworkReply::NetworkError error = QNetworkReply::NoError;
    QString reason;
    QString errorText;
    QVariant length;
    QByteArray encoding;
    bool marked = false;
    QList<QByteArray> headers;
};

Received takeReply(QNetworkReply& reply) {
    Received r;
    r.status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    // A timed-out reply is closed: reading it would only print a warning.
    r.body = reply.isOpen() ? reply.readAll() : QByteArray();
    r.error = reply.error();
    r.reason = reply.attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
    r.errorText = reply.errorString();
    r.length = reply.header(QNetworkRequest::ContentLengthHeader);
    // Qt inflates a compressed body: its length is not the one announced.
    r.encoding = reply.rawHeader("Content-Encoding");
    r.marked = reply.hasRawHeader(Inet::kEndMarkHeader);
    for (const QByteArray& name : reply.rawHeaderList()) {
        r.headers << name.toLower();
    }
    return r;
}

// Where a redirection of a post goes, or an invalid address when it is not
// followed. Followed as Qt follows a GET: never from https to http, which
// `insecure` then tells.
QUrl redirection(const QNetworkReply& reply, const QUrl& at, bool& insecure) {
    const int status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QUrl next =
        at.resolved(reply.attribute(QNetworkRequest::RedirectionTargetAttribute).toUrl());
    if (status < 300 || status > 399 || !next.isValid()) {
        return QUrl();
    }
    insecure = at.scheme() == u"https" && next.scheme() == u"http";
    if (next.scheme() != u"https" && (next.scheme() != u"http" || insecure)) {
        return QUrl();
    }
    return next;
}

// What PHP said last before a reply stopped short: its fatal error, most
// often. Read from the reply's end only, which may be a whole table.
QString phpEnd(const QByteArray& body) {
    const std::optional<QString> message = replies::PhpMessage(cp1252::decode(body.right(4000)));
    return message ? QStringLiteral(", PHP ayant écrit « %1 »").arg(*message) : QString();
}

// Qt words its failures in English; the messages around them are French.
QString networkReason(const Received& r) {
    switch (r.error) {
        case QNetworkReply::ConnectionRefusedError:
            return QStringLiteral("connexion refusée");
        case QNetworkReply::HostNotFoundError:
            return QStringLiteral("serveur introuvable");
        case QNetworkReply::SslHandshakeFailedError:
            return QStringLiteral("échec de la connexion sécurisée");
        case QNetworkReply::TemporaryNetworkFailureError:
        case QNetworkReply::NetworkSessionFailedError:
            return QStringLiteral("réseau indisponible");
        case QNetworkReply::ProxyConnectionRefusedError:
        case QNetworkReply::ProxyConnectionClosedError:
        case QNetworkReply::ProxyNotFoundError:
        case QNetworkReply::ProxyTimeoutError:
            return QStringLiteral("échec du proxy");
        default:
            return QStringLiteral("erreur réseau : %1").arg(r.errorText);
    }
}

// The body of a reply that came whole with a 200, without its end mark;
// `whole` tells whether the mark was there.
QByteArray checkedBody(Received& r, const QString& url, bool late, const replies::EndMark& endMark,
                       bool& whole, bool& proved, bool& counted) {
    if (r.error == QNetworkReply::TooManyRedirectsError) {
        throw Error(err::HttpError,
                    QStringLiteral("Le site %1 renvoie sans fin vers une autre adresse (boucle "
                                   "de redirections).")
                        .arg(url));
    }
    if (r.error == QNetworkReply::InsecureRedirectError) {
        throw Error(err::HttpError,
                    QStringLiteral("Le site %1 renvoie vers une adresse non sécurisée (http), "
                                   "qui n'est pas suivie.")
                        .arg(url));
    }
    if (late || r.status == 0 ||
        (r.error != QNetworkReply::NoError && r.error < QNetworkReply::ContentAccessDenied)) {
        if (late || r.error == QNetworkReply::OperationCanceledError ||
            r.error == QNetworkReply::TimeoutError) {
            throw Error(err::HttpError,
                        QStringLiteral("Le site %1 n'a pas répondu à temps.").arg(url));
        }
        // The site was reached: the connection was cut during its reply, or
        // before it.
        if (r.status == 0 && r.error == QNetworkReply::RemoteHostClosedError) {
            throw Error(err::HttpError,
                        QStringLiteral("Le site %1 a fermé la connexion sans répondre.").arg(url));
        }
        if (r.status != 0) {
            throw Error(err::HttpError,
                        QStringLiteral("La réponse du site pour %1 est incomplète (connexion "
                                       "coupée après %2 octets).")
                            .arg(url)
                            .arg(r.body.size()));
        }
        throw Error(err::HttpError,
                    QStringLiteral("Impossible de joindre %1 (%2).").arg(url, networkReason(r)));
    }
    if (r.status != 200) {
        QString message =
            QStringLiteral("Le site a répondu %1 %2 pour %3.").arg(r.status).arg(r.reason, url);
        // The site's own scripts say in UTF-8 why they failed and what cures it.
        if (r.headers.contains(QByteArray(Inet::kErrorHeader).toLower())) {
            message += u' ' + QString::fromUtf8(r.body).trimmed();
        }
        throw Error(err::HttpError, message);
    }
    // Qt takes a close of the connection for the end of the body, even
    // before the length the reply announced.
    if (r.length.isValid() && (r.encoding.isEmpty() || r.encoding == "identity") &&
        r.body.size() < r.length.toLongLong()) {
        throw Error(err::HttpError,
                    QStringLiteral("La réponse du site pour %1 est incomplète (%2 octets reçus "
                                   "sur %3).")
                        .arg(url)
                        .arg(r.body.size())
                        .arg(r.length.toLongLong()));
    }
    r.body = replies::WithoutByteOrderMark(std::move(r.body));
    whole = false;
    proved = false;
    counted = false;
    if (!endMark.isEmpty()) {
        if (const std::optional<replies::ProvedEnd> end = replies::ProvedEndOf(r.body)) {
            QByteArrayView reply;
            if (const std::optional<QString> fault =
                    replies::ProvedEndFault(r.body, *end, endMark.answers, reply)) {
                throw Error(err::HttpError,
                            QStringLiteral("La réponse du site pour %1 est incomplète ou altérée "
                                           "(%2%3).")
                                .arg(url, *fault, phpEnd(r.body.first(end->at))));
            }
            whole = proved = counted = true;
            const qsizetype start = end->at - reply.size();
            r.body.truncate(end->at);
            r.body.remove(0, start);
            return std::move(r.body);
        }
        const QByteArray& mark = endMark.mark;
        if (const qsizetype at = replies::EndMarkAt(r.body, mark); at >= 0) {
            const std::optional<qint64> sent = replies::CountAfterMark(r.body, at + mark.size());
            r.body.truncate(at);
            // A line or a row left out on the way, the mark kept.
            if (const qint64 got = sent ? replies::CountedUnits(r.body, mark) : 0;
                sent && got != *sent) {
                const std::optional<QString> php = replies::PhpMessage(cp1252::decode(r.body));
                throw Error(err::ReplyMiscounted,
                            QStringLiteral("La réponse du site pour %1 est incomplète ou altérée "
                                           "(%2 ligne(s) reçue(s) sur les %3 envoyée(s)%4).")
                                .arg(url)
                                .arg(got)
                                .arg(*sent)
                                .arg(php ? QStringLiteral(", PHP ayant écrit « %1 »").arg(*php)
                                         : QString()));
            }
            whole = true;
            counted = sent.has_value();
        } else if (r.marked) {
            throw Error(err::HttpError,
                        QStringLiteral("La réponse du site pour %1 est incomplète (sa fin "
                                       "manque%2).")
                            .arg(url, phpEnd(r.body)));
        }
    }
    return std::move(r.body);
}

// A reply goes once the event loop is done with it.
struct DeleteLater {
    void operator()(QObject* object) const { object->deleteLater(); }
};

}  // namespace

Inet::Inet(int timeoutMs, int deadlineMs) : timeoutMs_(timeoutMs), deadlineMs_(deadlineMs) {}

Inet::~Inet() = default;

QNetworkAccessManager* Inet::manager() {
    if (!manager_) {
        manager_ = std::make_unique<QNetworkAccessManager>();
    }
    return manager_.get();
}

QString Inet::OpenURL(const QString& url, const replies::EndMark& endMark, Text text) {
    return fetch(url, nullptr, endMark, text);
}

QString Inet::PostForm(const QString& url, const QByteArray& form, const replies::EndMark& endMark,
                       Text text) {
    return fetch(url, &form, endMark, text);
}

bool Inet::lastHadHeader(const QByteArray& name) const {
    return lastHeaders_.contains(name.toLower());
}

bool Inet::lastWasNotFoundPage(const QString& reply, bool holdsData) const {
    return !holdsData && !lastHadHeader(kEndMarkHeader) &&
           reply.contains(QLatin1String("404 NOT FOUND"), Qt::CaseInsensitive);
}

QNetworkReply* Inet::send(const QUrl& at, const QByteArray* form) {
    QNetworkRequest request(at);
    // Only a silence: a site that sends a byte now and then never reaches it.
    request.setTransferTimeout(timeoutMs_);
    if (form != nullptr) {
        // Qt would follow a redirection of a post with a GET that drops
        // the form: fetch follows them itself.
        request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                             QNetworkRequest::ManualRedirectPolicy);
        request.setHeader(QNetworkRequest::ContentTypeHeader,
                          QByteArrayLiteral("application/x-www-form-urlencoded"));
        return manager()->post(request, *form);
    }
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    return manager()->get(request);
}

QString Inet::fetch(const QString& url, const QByteArray* form, const replies::EndMark& endMark,
                    Text text) {
    lastStatus_ = 0;
    lastWhole_ = false;
    lastProved_ = false;
    lastCounted_ = false;
    lastHeaders_.clear();
    if (busy_) {
        throw Error(err::HttpError, QStringLiteral("Une requête est déjà en cours."));
    }
    const QUrl target = QUrl::fromUserInput(url);
    if (!target.isValid() || (target.scheme() != u"http" && target.scheme() != u"https")) {
        throw Error(err::HttpError, QStringLiteral("Adresse invalide : %1").arg(url));
    }
    busy_ = true;
    aborted_ = false;
    bool late = false;
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, [this, &late] {
        late = true;
        if (current_) {
            current_->abort();
        }
    });
    deadline.start(deadlineMs_);
    std::unique_ptr<QNetworkReply, DeleteLater> reply;
    QUrl at = target;
    bool redirectLoop = false;
    bool insecure = false;
    for (int hops = 0;; ++hops) {
        reply.reset(send(at, form));
        current_ = reply.get();
        QEventLoop loop;
        QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
        if (!reply->isFinished()) {
            loop.exec();  // only this thread's own events: the work's, never the window's
        }
        if (form == nullptr || !reply->isFinished() || late || aborted_) {
            break;
        }
        const QUrl next = redirection(*reply, at, insecure);
        if (!next.isValid()) {
            break;
        }
        if (hops == 10) {
            redirectLoop = true;
            break;
        }
        reply.reset();
        at = next;
    }
    deadline.stop();
    current_ = nullptr;
    busy_ = false;
    // The loop also ends when the program quits: the request goes with it.
    if (!reply->isFinished()) {
        aborted_ = true;
        reply->abort();
    }
    Received received = takeReply(*reply);
    reply.reset();
    lastStatus_ = received.status;
    lastHeaders_ = received.headers;

    if (aborted_) {
        lastStatus_ = 0;
        throw Error(err::HttpError, QStringLiteral("La requête vers %1 a été annulée.").arg(url));
    }
    if (redirectLoop) {
        received.error = QNetworkReply::TooManyRedirectsError;
    }
    if (insecure) {
        received.error = QNetworkReply::InsecureRedirectError;
    }
    bool whole = false;
    bool proved = false;
    bool counted = false;
    const QByteArray body = checkedBody(received, url, late, endMark, whole, proved, counted);
    lastWhole_ = whole;
    lastProved_ = proved;
    lastCounted_ = counted;
    return text == Text::Windows1252 ? cp1252::decode(body) : decodeLines(body);
}

void Inet::Abort() {
    if (QThread::currentThread() != home_.thread()) {
        aborted_ = true;
        QMetaObject::invokeMethod(
            &home_, [this] { Abort(); }, Qt::QueuedConnection);
        return;
    }
    if (current_) {
        aborted_ = true;
        current_->abort();
    }
    if (pausing_ != nullptr) {
        aborted_ = true;
        pausing_->quit();
    }
}

bool Inet::Pause(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    aborted_ = false;
    pausing_ = &loop;
    loop.exec();
    pausing_ = nullptr;
    return !aborted_;
}

QString SiteFileUrl(const QString& site, const QString& file) {
    QString folder = site;
    while (folder.endsWith(u'/')) {
        folder.chop(1);
    }
    return folder + u'/' + file;
}

}  // namespace kalvor
