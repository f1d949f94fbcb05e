#include "recovery/recovery_database.h"

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
    const QString layout = test::fixturePath(QStringLiteral("catalogue/catalogue-v5.sql"));
    const QString path = dir.path() + QStringLiteral("/recovery.db");
    CreateRecoveryDatabase(layout, path);
    CreateRecoveryDatabase(layout, path);  // made again over the old one
    const QString catalogue = dir.path() + QStringLiteral("/catalogue.db");
    catalogue::BuildSqliteCatalogue(layout, catalogue);

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
