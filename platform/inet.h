#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <atomic>
#include <memory>

#include "platform/site_replies.h"

class QNetworkAccessManager;
class QNetworkReply;
class QUrl;
class QEventLoop;

namespace kalvor {

// The transfer control: a GET of a whole URL, or a form posted to it, whose
// body comes back as text (the site serves ISO-8859-1, read as
// Windows-1252). It waits in an event loop of the thread that made it, which
// must be the work's own; one request at a time; a time limit; no retry. A reply other than 200 is
// a failure, not a text to parse.
class Inet {
  public:
    // The longest a whole reply may take. The largest one, the albums of a
    // 20,000-album site (some 18 MB), needs about five minutes on a 512 kbit/s
    // line; twice that is left before the site is given up.
    static constexpr int kDeadlineMs = 10 * 60 * 1000;

    // The site's endpoints that end their reply with a mark send this header,
    // so that a reply cut short can be told from the reply of an older site.
    static constexpr char kEndMarkHeader[] = "X-Kalvor-Fin";
    // A failure of the site's scripts sends this header, its cause in the body.
    static constexpr char kErrorHeader[] = "X-Kalvor-Erreur";

    // `timeoutMs` bounds a silence, `deadlineMs` the whole reply.
    enum class Text {
        Windows1252,
        // Each line in UTF-8 when it is valid UTF-8, else in Windows-1252: a
        // listing names files as the host stores them, and hosts store names
        // uploaded from Linux or by most FTP clients in UTF-8.
        LinesInTheirOwnEncoding,
    };

    explicit Inet(int timeoutMs = 60000, int deadlineMs = kDeadlineMs);
    ~Inet();
    Inet(const Inet&) = delete;
    Inet& operator=(const Inet&) = delete;

    // Throws kalvor::Error (err::HttpError) on any failure, a reply shorter
    // than its Content-Length included. A byte-order mark before the body is
    // dropped. With an `endMark`, a reply that holds it after its last line
    // or row comes back without it and what follows it, and a reply whose
    // header announces the mark but does not hold it was cut short: a
    // failure, as is one whose count after the mark differs from its lines
    // or rows, and one whose mark of this version names another answer or
    // vouches for other bytes, or follows text.
    QString OpenURL(const QString& url, const replies::EndMark& endMark = {},
                    Text text = Text::Windows1252);
    // The same for a POST of `form`, already URL-encoded; a redirection is
    // followed with the form posted again.
    QString PostForm(const QString& url, const QByteArray& form,
                     const replies::EndMark& endMark = {}, Text text = Text::Windows1252);

    // Drops the request under way: OpenURL fails at once, saying so. It may
    // be called from another thread, the window's.
    void Abort();
    // Waits `ms` as a request does; false when Abort ended the wait.
    bool Pause(int ms);

    bool StillExecuting() const { return busy_; }
    // HTTP status of the last reply, 0 when none came.
    int lastStatus() const { return lastStatus_; }
    // Whether the last reply carried this header.
    bool lastHadHeader(const QByteArray& name) const;
    // Whether the last reply held the end mark it was asked with: a reply
    // that came whole from the site's own script.
    bool lastCameWhole() const { return lastWhole_; }
    // Whether it held this version's mark, checked: its texts are escaped.
    bool lastCameProved() const { return lastProved_; }
    // Whether its mark also told what the reply holds, by a count or this
    // version's proof: the files of the version before counts send the
    // mark alone, and a line or row left out on the way goes unseen there.
    bool lastCameCounted() const { return lastCounted_; }
    // Whether the last reply, `reply`, is a host's own page for a missing
    // script served as a success: no end-mark header of the site's scripts,
    // none of the caller's data (`holdsData`), and the words "404 not found"
    // in any case. A reply that names a file "404 not found.jpg" holds data.
    bool lastWasNotFoundPage(const QString& reply, bool holdsData) const;
    void setTimeout(int ms) { timeoutMs_ = ms; }
    void setDeadline(int ms) { deadlineMs_ = ms; }

  private:
    QNetworkAccessManager* manager();
    // The request for `at`, a post when there is a `form`.
    QNetworkReply* send(const QUrl& at, const QByteArray* form);
    QString fetch(const QString& url, const QByteArray* form, const replies::EndMark& endMark,
                  Text text);

    int timeoutMs_;
    int deadlineMs_;
    bool busy_ = false;
    std::atomic<bool> aborted_{false};
    int lastStatus_ = 0;
    bool lastWhole_ = false;
    bool lastProved_ = false;
    bool lastCounted_ = false;
    QList<QByteArray> lastHeaders_;
    std::unique_ptr<QNetworkAccessManager> manager_;
    QPointer<QNetworkReply> current_;
    QEventLoop* pausing_ = nullptr;
    // Lives on the thread that made this control: an Abort from another
    // thread is carried out there.
    QObject home_;
};

// The address of one of the site's files: an address typed with its closing
// "/" names the same folder.
QString SiteFileUrl(const QString& site, const QString& file);

}  // namespace kalvor
