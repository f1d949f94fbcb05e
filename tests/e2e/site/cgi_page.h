#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <utility>

// A site page run through PHP's CGI as a production host runs it: output
// buffering and short tags off, errors logged and never shown. The built-in
// server forgives what such hosts do not (a header after the first output).
namespace kalvor::e2e {

struct CgiPage {
    int status = 0;
    QList<std::pair<QByteArray, QByteArray>> headers;
    QByteArray body;
    QByteArray errorLog;  // what PHP logged while it ran
    QString failure;      // why php-cgi gave no reply at all

    // The value of the first header of that name, any case.
    QByteArray header(const QByteArray& name) const;
};

// `page` of `folder` with `query` as its query string, run in `folder`;
// `settings` are php.ini lines more ("name=value"); asked by the client
// `remoteAddr` (none when empty) with `method`.
CgiPage runCgi(const QString& folder, const QString& page, const QString& query = QString(),
               const QStringList& settings = {}, const QString& remoteAddr = QString(),
               const QString& method = QStringLiteral("GET"));

}  // namespace kalvor::e2e
