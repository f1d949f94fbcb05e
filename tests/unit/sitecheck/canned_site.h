#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QTcpServer>

namespace kalvor::test {

// A site on loopback, in the test's own thread, that answers each path and
// query with a canned reply; unknown addresses get a 404 page. It answers
// only while the caller lets events run, as the program does while it waits.
class CannedSite {
  public:
    CannedSite();

    // `body` sent with status 200 as ISO-8859-1 text for "/path?query".
    void page(const QString& pathAndQuery, const QByteArray& body, int status = 200);
    // Listings of both scripts for one kind, whole: the end mark follows.
    void files(const QString& rep, const QByteArray& body);
    void thumbs(const QString& rep, const QByteArray& body);
    // Every folder of both scripts listed whole and empty.
    void emptyListings();
    // The reply to unknown addresses, a 404 page unless set: many hosts
    // answer a missing file with their own page and status 200.
    void setUnknown(const QByteArray& body, int status) { unknown_ = {status, body}; }
    // Connections are taken and never answered.
    void setSilent(bool silent) { silent_ = silent; }
    // Replies as this version's listings come: the end mark announced in a
    // header, and no length (the close ends the reply).
    void setEndMarked(bool marked) { endMarked_ = marked; }

    QString url() const;  // no trailing slash
    int requests() const { return requests_; }

  private:
    struct Reply {
        int status;
        QByteArray body;
    };
    QTcpServer server_;
    QHash<QString, Reply> pages_;
    Reply unknown_{404, "<h1>Not Found</h1>"};
    bool silent_ = false;
    bool endMarked_ = false;
    int requests_ = 0;
};

}  // namespace kalvor::test
