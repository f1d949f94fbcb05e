#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include "e2e/e2e_servers.h"

using namespace kalvor;

TEST(Harness, MariaDbLoadsAScriptAndPhpServesAPageThatReachesIt) {
    KALVOR_REQUIRE_SERVERS();
    const QString db = e2e::createDatabase(QStringLiteral("harness"));
    const e2e::SqlResult load = e2e::runSql(
        db, "CREATE TABLE t (a int, b varchar(10)) ENGINE=MyISAM; INSERT INTO t VALUES (1,'x');");
    ASSERT_TRUE(load.ok) << load.errors.toStdString();
    const e2e::SqlResult rows = e2e::runSql(db, "SELECT a, b FROM t;");
    ASSERT_EQ(rows.rows.size(), 1);
    EXPECT_EQ(rows.rows[0], (QStringList{QStringLiteral("1"), QStringLiteral("x")}));

    QFile page(e2e::phpRoot() + QStringLiteral("/harness.php"));
    ASSERT_TRUE(page.open(QIODevice::WriteOnly));
    page.write(
        QStringLiteral("<?php $c = mysqli_connect('%1', '%2', '%3', '%4', %5); "
                       "$r = mysqli_query($c, 'SELECT b FROM t'); $row = mysqli_fetch_row($r); "
                       "echo 'ok:' . $row[0];")
            .arg(QStringLiteral("127.0.0.1"), e2e::mysqlUser(), e2e::mysqlPassword(), db,
                 qEnvironmentVariable("KALVOR_TEST_MYSQL_PORT"))
            .toUtf8());
    page.close();
    const e2e::Page got = e2e::fetch(e2e::phpUrl() + QStringLiteral("/harness.php"));
    EXPECT_EQ(got.status, 200);
    EXPECT_EQ(got.body, QByteArray("ok:x"));
}
