#include "e2e/site/cgi_page.h"

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

namespace kalvor::e2e {

QByteArray CgiPage::header(const QByteArray& name) const {
    for (const auto& [key, value] : headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0) {
            return value;
        }
    }
    return QByteArray();
}

CgiPage runCgi(const QString& folder, const QString& page, const QString& query,
               const QStringList& settings, const QString& remoteAddr, const QString& method) {
    CgiPage reply;
    QTemporaryDir logs;
    const QString log = logs.filePath(QStringLiteral("php-errors.log"));
    const QString script = folder + u'/' + page;

    QProcessEnvironment env;
    env.insert(QStringLiteral("PATH"), qEnvironmentVariable("PATH"));
    env.insert(QStringLiteral("REDIRECT_STATUS"), QStringLiteral("200"));
    env.insert(QStringLiteral("GATEWAY_INTERFACE"), QStringLiteral("CGI/1.1"));
    env.insert(QStringLiteral("SERVER_PROTOCOL"), QStringLiteral("HTTP/1.1"));
    env.insert(QStringLiteral("SERVER_NAME"), QStringLiteral("localhost"));
    env.insert(QStringLiteral("REQUEST_METHOD"), method);
    env.insert(QStringLiteral("DOCUMENT_ROOT"), folder);
    env.insert(QStringLiteral("SCRIPT_FILENAME"), script);
    env.insert(QStringLiteral("SCRIPT_NAME"), u'/' + page);
    env.insert(QStringLiteral("QUERY_STRING"), query);
    if (!remoteAddr.isEmpty()) {
        env.insert(QStringLiteral("REMOTE_ADDR"), remoteAddr);
    }
    env.insert(QStringLiteral("REQUEST_URI"),
               u'/' + page + (query.isEmpty() ? QString() : u'?' + query));

    QProcess php;
    php.setProcessEnvironment(env);
    php.setWorkingDirectory(folder);
    QStringList arguments;
    for (const QString& setting :
         QStringList{QStringLiteral("output_buffering=0"), QStringLiteral("short_open_tag=0"),
                     QStringLiteral("display_errors=0"), QStringLiteral("log_errors=1"),
                     QStringLiteral("error_reporting=E_ALL"), QStringLiteral("error_log=") + log,
                     QStringLiteral("opcache.enable=0"),
                     QStringLiteral("mysqli.default_socket=") +
                         qEnvironmentVariable("KALVOR_TEST_MYSQL_SOCKET")} +
             settings) {
        arguments << QStringLiteral("-d") << setting;
    }
    php.start(QStringLiteral("php-cgi"), arguments);
    php.closeWriteChannel();
    if (!php.waitForFinished(60000) || php.exitStatus() != QProcess::NormalExit) {
        php.kill();
        reply.failure = QStringLiteral("php-cgi : ") + php.errorString();
        return reply;
    }
    const QByteArray out = php.readAllStandardOutput();
    QFile logged(log);
    if (logged.open(QIODevice::ReadOnly)) {
        reply.errorLog = logged.readAll();
    }
    reply.errorLog += php.readAllStandardError();

    const qsizetype end = out.indexOf("\r\n\r\n");
    if (end < 0) {
        reply.failure = QStringLiteral("php-cgi : réponse sans en-têtes");
        reply.body = out;
        return reply;
    }
    reply.status = 200;
    for (const QByteArray& line : out.left(end).split('\n')) {
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0) {
            continue;
        }
        const QByteArray name = line.left(colon).trimmed();
        const QByteArray value = line.mid(colon + 1).trimmed();
        if (name.compare("Status", Qt::CaseInsensitive) == 0) {
            reply.status = value.left(3).toInt();
        }
        reply.headers.append({name, value});
    }
    reply.body = out.mid(end + 4);
    return reply;
}

}  // namespace kalvor::e2e
