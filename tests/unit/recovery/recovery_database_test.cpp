#include "recovery/recovery_database.h"

#include <sqlite3.h>

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "catalogue/sqlite_catalogue.h"
#include "platform/dao/database.h"
#include "platform/dao/db_engine.h"
#include "recovery/table_import.h"
#include "support/test_paths.h"

namespace kalvor::recovery {
namespace {

QStringList columns(dao::Database& db, const QString& table) {
    auto rs = db.OpenRecordset(QStringLiteral("select * from ") + table);
    QStringList names;
    for (int i = 0; i < rs->FieldCount(); ++i) {
        names << rs->FieldName(i);
    }
    return names;
}

TEST(RecoveryDatabase, HasTheOlderLayoutsTablesInOrderEmptyWithTheColumnsTheImportsFill) {
    QTemporaryDir dir;
    const QString layout = test::sourceDir() + QStringLiteral("/recovery/older_layout.sql");
    const QString path = dir.path() + QStringLiteral("/recovery.db");
    CreateRecoveryDatabase(layout, path);
    CreateRecoveryDatabase(layout, path);  // made again over the old one
    // The layout the program ships is that of a real older catalogue.
    const QString catalogue = dir.path() + QStringLiteral("/catalogue.db");
    catalogue::BuildSqliteCatalogue(test::fixturePath(QStringLiteral("catalogue/catalogue-v5.sql")),
                                    catalogue);

    auto recovered = dao::DBEngine::OpenDatabase(path);
    auto original = dao::DBEngine::OpenDatabase(catalogue);
    for (const char* table :
         {"SERIES", "AUTEURS", "ALBUMS", "ACHETER", "COLLABORATEURS", "EXLIBRIS", "REVUES"}) {
        const QString name = QString::fromLatin1(table);
        const QStringList expected = columns(*original, name);
        const QStringList got = columns(*recovered, name);
        EXPECT_EQ(got.mid(0, expected.size()), expected) << table;
        EXPECT_EQ(recovered->OpenRecordset(name)->RecordCount(), 0) << table;
    }
    for (const char* site :
         {"series", "auteurs", "collaborateurs", "albums", "acheter", "parabd", "revues"}) {
        const QStringList present = columns(*recovered, LocalTable(QString::fromLatin1(site)));
        for (const QString& column : ImportedColumns(QString::fromLatin1(site))) {
            EXPECT_TRUE(present.contains(column, Qt::CaseInsensitive))
                << site << " " << column.toStdString();
        }
    }
    // Texts compare as the catalogue's do.
    recovered->Execute(QStringLiteral("insert into series (IdSerie, Titre) values (1, 'Écume')"));
    EXPECT_EQ(recovered->OpenRecordset(QStringLiteral("select * from series where Titre = 'éCUME'"))
                  ->RecordCount(),
              1);
}

// The first column of a query on a plain SQLite connection, with no
// collation of ours, or the engine's error; rows joined by "|".
std::string plainSqlite(const QString& path, const char* sql) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* stmt = nullptr;
    QStringList rows;
    if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) != SQLITE_OK) {
        rows << QString::fromUtf8(sqlite3_errmsg(db));
    }
    while (stmt && sqlite3_step(stmt) == SQLITE_ROW) {
        rows << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return rows.join(u'|').toStdString();
}

TEST(RecoveryDatabase, AnySqliteToolSortsItsTextsWhileTheProgramKeepsJetsOrder) {
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/recovery.db");
    CreateRecoveryDatabase(test::sourceDir() + QStringLiteral("/recovery/older_layout.sql"), path);
    {
        auto db = dao::DBEngine::OpenDatabase(path);
        int id = 0;
        for (const char* title : {"eden", "Zorro", "Écume", "Eau", "ange"}) {
            db->Execute(QStringLiteral("insert into SERIES (IdSerie, Titre) values (%1, '%2')")
                            .arg(++id)
                            .arg(QString::fromUtf8(title)));
        }
        auto sorted = db->OpenRecordset(QStringLiteral("select Titre from SERIES order by Titre"));
        QStringList titles;
        for (; !sorted->Eof(); sorted->MoveNext()) {
            titles << sorted->Fields(0).toString();
        }
        EXPECT_EQ(titles.join(u'|').toStdString(), "ange|Eau|Écume|eden|Zorro");
    }
    EXPECT_EQ(plainSqlite(path, "SELECT Titre FROM SERIES ORDER BY Titre"),
              "ange|Eau|eden|Zorro|Écume");
    EXPECT_EQ(plainSqlite(path, "SELECT Ville FROM EXLIBRIS ORDER BY Ville"), "");
    EXPECT_EQ(plainSqlite(path, "PRAGMA integrity_check"), "ok");
}

TEST(RecoveryDatabase, TheSchemaIsTheCreateStatementsOfTheScriptOnly) {
    const QString script = QStringLiteral(
        "-- comment\nPRAGMA foreign_keys = OFF;\nCREATE TABLE A (\n  x LONG,\n  y TEXT(5)\n);\n"
        "INSERT INTO A VALUES (1, 'CREATE TABLE B (z LONG);');\nCREATE INDEX A_x ON A (x);\n"
        "COMMIT;\n");
    EXPECT_EQ(
        SchemaStatements(script),
        QStringLiteral("CREATE TABLE A (\nx LONG,\ny TEXT(5)\n);\nCREATE INDEX A_x ON A (x);\n"));
}

}  // namespace
}  // namespace kalvor::recovery
