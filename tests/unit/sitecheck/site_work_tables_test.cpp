#include <gtest/gtest.h>

#include "catalogue/sqlite_catalogue.h"
#include "platform/dao/db_engine.h"
#include "platform/prompt.h"
#include "sitecheck/site_work_tables.h"
#include "support/test_paths.h"

using namespace kalvor;

namespace {

class DropTablesTempTest : public ::testing::Test {
  protected:
    test::IsolatedEnvironment env;
    RecordingPrompt prompt;

    QString catalogueWithWorkTables(const QString& tables) {
        const QString path = env.path() + QStringLiteral("/catalogue.db");
        catalogue::BuildSqliteCatalogue(
            test::fixturePath(QStringLiteral("catalogue/catalogue-v6.sql")), path);
        auto db = dao::DBEngine::OpenDatabase(path);
        for (const QString& name : tables.split(u' ', Qt::SkipEmptyParts)) {
            db->Execute(QStringLiteral("CREATE TABLE ") + name +
                        QStringLiteral(" (nom TEXT(255))"));
        }
        db->Close();
        return path;
    }
    QStringList tablesOf(const QString& path) {
        auto db = dao::DBEngine::OpenDatabase(path);
        QStringList names;
        const dao::TableDefs defs = db->TableDefs();
        for (int i = 0; i < defs.Count(); ++i) {
            names << defs.Item(i).Name();
        }
        return names;
    }
};

}  // namespace

TEST_F(DropTablesTempTest, RemovesTheWorkTablesThatAreThere) {
    const QString both =
        catalogueWithWorkTables(QStringLiteral("TEMP_KALVOR_FILES TEMP_KALVOR_THUMBS"));
    const int before = int(tablesOf(both).size());
    EXPECT_TRUE(site::Drop_Tables_Temp(both, prompt));
    const QStringList after = tablesOf(both);
    EXPECT_FALSE(after.contains(site::kTableFiles));
    EXPECT_FALSE(after.contains(site::kTableThumbs));
    EXPECT_EQ(after.size(), before - 2);  // the catalogue's own tables stay
    // Nothing to drop is no failure either.
    EXPECT_TRUE(site::Drop_Tables_Temp(both, prompt));
    EXPECT_TRUE(prompt.shown().empty());
}

TEST_F(DropTablesTempTest, WorksOnTheCopyOfAnAccessCatalogue) {
    const QString mdb = test::fixturePath(QStringLiteral("catalogue/catalogue-v6.mdb"));
    auto db = dao::DBEngine::OpenDatabase(mdb);
    db->Execute(QStringLiteral("CREATE TABLE TEMP_KALVOR_THUMBS (nom TEXT(255))"));
    db->Close();
    EXPECT_TRUE(site::Drop_Tables_Temp(mdb, prompt));
    EXPECT_FALSE(tablesOf(mdb).contains(site::kTableThumbs));
}

TEST_F(DropTablesTempTest, AMissingCatalogueFailsSilently) {
    EXPECT_FALSE(site::Drop_Tables_Temp(QString(), prompt));
    EXPECT_FALSE(site::Drop_Tables_Temp(env.path() + QStringLiteral("/absent.mdb"), prompt));
    EXPECT_TRUE(prompt.shown().empty());
}

TEST_F(DropTablesTempTest, CreatesBothTablesWithTheirColumnsInOrder) {
    const QString path = catalogueWithWorkTables(QString());
    ASSERT_TRUE(site::Create_Tables_Temp(path, prompt));
    auto db = dao::DBEngine::OpenDatabase(path);
    const dao::TableDefs defs = db->TableDefs();
    const auto columns = [&](const QString& table) {
        QStringList list;
        for (const dao::Field& f : defs.Item(table).Fields()) {
            list << QStringLiteral("%1:%2:%3").arg(f.Name).arg(int(f.Type)).arg(f.Size);
        }
        return list;
    };
    const QStringList files = {"key:10:2", "type:10:20", "file:10:255", "creation:8:0", "ok:1:0"};
    EXPECT_EQ(columns(site::kTableFiles), files);
    EXPECT_EQ(columns(site::kTableThumbs), files + QStringList{"probleme:10:255"});
    db->Close();
    // A second creation meets the tables it made.
    EXPECT_FALSE(site::Create_Tables_Temp(path, prompt));
    EXPECT_TRUE(prompt.shown().empty());
}

TEST_F(DropTablesTempTest, OnlyTheExactNamesAreDropped) {
    const QString path =
        catalogueWithWorkTables(QStringLiteral("temp_kalvor_files TEMP_KALVOR_THUMBS"));
    EXPECT_TRUE(site::Drop_Tables_Temp(path, prompt));
    const QStringList after = tablesOf(path);
    EXPECT_TRUE(after.contains(QStringLiteral("temp_kalvor_files")));
    EXPECT_FALSE(after.contains(site::kTableThumbs));
    EXPECT_FALSE(site::Create_Tables_Temp(path, prompt));
}

TEST_F(DropTablesTempTest, ATableInUseIsReported) {
    const QString mdb = test::fixturePath(QStringLiteral("catalogue/catalogue-v5.mdb"));
    ASSERT_TRUE(site::Drop_Tables_Temp(mdb, prompt));
    ASSERT_TRUE(site::Create_Tables_Temp(mdb, prompt));
    auto db = dao::DBEngine::OpenDatabase(mdb);
    auto open = db->OpenRecordset(site::kTableFiles);
    EXPECT_FALSE(site::Drop_Tables_Temp(mdb, prompt));
    ASSERT_EQ(prompt.shown().size(), 1u);
    EXPECT_EQ(prompt.shown()[0].text, QStringLiteral("Veuillez fermer la base ") + mdb +
                                          QStringLiteral(" et relancer le traitement."));
    EXPECT_EQ(prompt.shown()[0].icon, PromptIcon::Critical);
    open->Close();
    EXPECT_TRUE(site::Drop_Tables_Temp(mdb, prompt));
}
