#include "e2e/e2e_servers.h"

#include <QEventLoop>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QRegularExpression>
#include <QTimer>
#include <QUuid>

#include <gtest/gtest.h>

namespace kalvor::e2e {
namespace {

QStringList clientArgs() {
    return {QStringLiteral("--no-defaults"),
            QStringLiteral("--socket=") + qEnvironmentVariable("KALVOR_TEST_MYSQL_SOCKET"),
            QStringLiteral("-uroot"), QStringLiteral("--batch"), QStringLiteral("--raw")};
}

}  // namespace

bool serversAnnounced() {
    return !qEnvironmentVariable("KALVOR_TEST_MYSQL_SOCKET").isEmpty();
}

QString createDatabase(const QString& hint) {
    const QString name =
        QStringLiteral("t_") + hint + u'_' + QUuid::createUuid().toString(QUuid::Id128).left(8);
    const SqlResult r = runSql(QString(), QStringLiteral("CREATE DATABASE %1;").arg(name).toUtf8());
    EXPECT_TRUE(r.ok) << r.errors.toStdString();
    return name;
}

SqlResult runSql(const QString& database, const QByteArray& script) {
    QProcess client;
    QStringList args = clientArgs();
    if (!database.isEmpty()) {
        args << database;
    }
    client.start(QStringLiteral("mariadb"), args);
    SqlResult result;
    if (!client.waitForStarted()) {
        result.errors = QStringLiteral("mariadb client did not start");
        return result;
    }
    client.write(script);
    client.closeWriteChannel();
    client.waitForFinished(120000);
    result.errors = QString::fromUtf8(client.readAllStandardError());
    result.ok = client.exitStatus() == QProcess::NormalExit && client.exitCode() == 0;
    const QList<QByteArray> lines = client.readAllStandardOutput().split('\n');
    bool header = true;
    for (const QByteArray& line : lines) {
        if (line.isEmpty()) {
            continue;
        }
        if (header) {  // column names
            header = false;
            continue;
        }
        result.rows.append(QString::fromUtf8(line).split(u'\t'));
    }
    return result;
}

SqlResult runSqlFile(const QString& database, const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return SqlResult{false, QStringLiteral("cannot read ") + path, {}};
    }
    return runSql(database, file.readAll());
}

LoadResult loadScript(const QString& database, const QByteArray& script) {
    QProcess client;
    QStringList args = clientArgs();
    args << QStringLiteral("--show-warnings");
    if (!database.isEmpty()) {
        args << database;
    }
    client.start(QStringLiteral("mariadb"), args);
    LoadResult result;
    if (!client.waitForStarted()) {
        result.errors = QStringLiteral("mariadb client did not start");
        return result;
    }
    client.write(script);
    client.closeWriteChannel();
    client.waitForFinished(120000);
    result.errors = QString::fromUtf8(client.readAllStandardError());
    result.ok = client.exitStatus() == QProcess::NormalExit && client.exitCode() == 0;
    static const QRegularExpression diagnostic(
        QStringLiteral("^(Note|Warning|Error) \\(Code \\d+\\): "));
    for (const QByteArray& line : client.readAllStandardOutput().split('\n')) {
        const QString text = QString::fromUtf8(line);
        if (diagnostic.match(text).hasMatch()) {
            result.diagnostics.append(text);
        }
    }
    return result;
}

LoadResult loadScriptFile(const QString& database, const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return LoadResult{false, QStringLiteral("cannot read ") + path, {}};
    }
    return loadScript(database, file.readAll());
}

QString phpRoot() {
    return qEnvironmentVariable("KALVOR_TEST_PHP_ROOT");
}
QString phpUrl() {
    return qEnvironmentVariable("KALVOR_TEST_PHP_URL");
}
QStringList phpLogLines(const QString& text) {
    QFile log(qEnvironmentVariable("KALVOR_TEST_DIR") + QStringLiteral("/php.log"));
    QStringList lines;
    if (log.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : log.readAll().split('\n')) {
            if (line.contains(text.toUtf8())) {
                lines << QString::fromUtf8(line);
            }
        }
    }
    return lines;
}
QString mysqlHost() {
    return QStringLiteral("127.0.0.1:") + qEnvironmentVariable("KALVOR_TEST_MYSQL_PORT");
}
QString mysqlUser() {
    return qEnvironmentVariable("KALVOR_TEST_MYSQL_USER");
}
QString mysqlPassword() {
    return qEnvironmentVariable("KALVOR_TEST_MYSQL_PASSWORD");
}

Page fetch(const QString& url) {
    QNetworkAccessManager manager;
    QNetworkRequest request{QUrl(url)};
    request.setTransferTimeout(30000);
    QNetworkReply* reply = manager.get(request);
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    loop.exec();
    Page page;
    page.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    page.body = reply->readAll();
    reply->deleteLater();
    return page;
}

}  // namespace kalvor::e2e
