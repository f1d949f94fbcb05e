#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTcpServer>
#include <functional>

namespace kalvor::test {

// A site's recovery.php served from this thread (it answers while the
// program waits with events running): canned replies per table name, the
// password test, a missing script, and tables where the site stops answering.
// It reads the values from a posted form first, then from the address, as
// this version's script does; or, as the scripts of earlier versions, only
// from the address.
class FakeSite {
  public:
    FakeSite();

    // Base address, without a closing "/".
    QString url() const;

    // A whole table: its rows, then the end mark. A table not set is sent
    // whole and empty.
    void setReply(const QString& table, const QByteArray& rows) {
        bodies_[table] = rows + "#fin##" + QByteArray::number(rows.count("#end#")) + '#';
    }
    // The reply exactly as given.
    void setRawReply(const QString& table, const QByteArray& body) { bodies_[table] = body; }
    // Expected password, compared with the request's decoded bytes.
    void setPassword(const QByteArray& password) { password_ = password; }
    // Every request answered with a not-found page, with status 404 or, as
    // many hosts answer, 200.
    void setMissing(bool missing, int status = 404) {
        missing_ = missing;
        missingStatus_ = status;
    }
    // The connection is dropped, without a reply, from this table on.
    void stopAt(const QString& table) { stopAt_ = table; }
    // Rows sent as this version's recovery.php sends them: the end mark
    // announced in a header, and no length (the close ends the reply).
    void setEndMarked(bool marked) { endMarked_ = marked; }
    // Values read only from the address, and no header that says otherwise.
    void setAddressOnly(bool only) { addressOnly_ = only; }
    // Tables sent without their end mark, as by sites published before it.
    void setWithoutMark(bool without) { withoutMark_ = without; }
    // Tables sent with the mark alone, as by the version before counts.
    void setUncounted(bool uncounted) { uncounted_ = uncounted; }
    // No header of the site's own reaches the program, as behind a proxy
    // that drops them or after a byte-order mark before the script.
    void setHeadersLost(bool lost) { headersLost_ = lost; }
    // Nor any HTML comment, as behind a proxy that minifies.
    void setCommentsLost(bool lost) { commentsLost_ = lost; }
    // A byte-order mark before the script: no header at all, the mark in
    // the body, and the refusals carrying what their headers would say.
    void setByteOrderMark(bool mark) { byteOrderMark_ = mark; }
    // A host's banner after every reply of the script.
    void setBanner(const QByteArray& banner) { banner_ = banner; }
    // The next `posts` requests refused unread, as while another request
    // tries a password.
    void setBusy(int posts) { busy_ = posts; }
    // Called with each request's table name before it is answered.
    std::function<void(const QString&)> onRequest;

    // Requests as received, the values read decoded to bytes.
    struct Request {
        QByteArray method;
        QByteArray target;  // as in the request line
        QByteArray path;
        QByteArray pwd;
        QByteArray tablename;
    };
    const QList<Request>& requests() const { return requests_; }

    // The reply a row of fields gives: "@@@" between, "#end#" after, in
    // Windows-1252.
    static QByteArray row(const QStringList& fields);

  private:
    void answer(class QTcpSocket* socket, const QByteArray& request);

    QTcpServer server_;
    QHash<QString, QByteArray> bodies_;
    QByteArray password_ = "secret";
    bool missing_ = false;
    bool byteOrderMark_ = false;
    int missingStatus_ = 404;
    QString stopAt_;
    bool stopped_ = false;
    bool endMarked_ = false;
    bool addressOnly_ = false;
    bool withoutMark_ = false;
    bool uncounted_ = false;
    bool headersLost_ = false;
    bool commentsLost_ = false;
    int busy_ = 0;
    QByteArray banner_;
    QList<Request> requests_;
};

}  // namespace kalvor::test
