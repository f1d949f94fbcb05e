#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// The private MariaDB and PHP servers that scripts/test starts. Tests that
// need them call GTEST_SKIP when they are absent (ctest run by hand), and
// fail when scripts/test announced them but they do not answer.
namespace kalvor::e2e {

bool serversAnnounced();

// A fresh empty database; its name is returned.
QString createDatabase(const QString& hint);

struct SqlResult {
    bool ok = false;
    QString errors;           // what the client printed on stderr
    QList<QStringList> rows;  // tab-separated output, NULL as "NULL"
};

// Runs a script through the mariadb client, as a user would load it.
SqlResult runSql(const QString& database, const QByteArray& script);
SqlResult runSqlFile(const QString& database, const QString& path);

// Loads a script as runSql does, with the client's --show-warnings: every
// note, warning and error that the server raised, as the client prints them
// ("Note (Code 1051): Unknown table 'db.t'"). A script that loads as a real
// host should take it gives ok and no diagnostics.
struct LoadResult {
    bool ok = false;
    QString errors;           // what the client printed on stderr
    QStringList diagnostics;  // notes and warnings, in order
};
LoadResult loadScript(const QString& database, const QByteArray& script);
LoadResult loadScriptFile(const QString& database, const QString& path);

// Folder served by PHP, and its address.
QString phpRoot();
QString phpUrl();
// The lines of the PHP server's log, its access log among them, that hold
// `text`.
QStringList phpLogLines(const QString& text);

struct Page {
    int status = 0;
    QByteArray body;
};
Page fetch(const QString& url);

// MySQL connection settings for generated require.php files.
QString mysqlHost();
QString mysqlUser();
QString mysqlPassword();

}  // namespace kalvor::e2e

#define KALVOR_REQUIRE_SERVERS()                        \
    do {                                                \
        if (!kalvor::e2e::serversAnnounced())           \
            GTEST_SKIP() << "run through scripts/test"; \
    } while (0)
