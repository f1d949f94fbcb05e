#include "catalogue/catalogue_counts.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "catalogue/catalogue_schema.h"
#include "catalogue/sqlite_catalogue.h"
#include "catalogue/synthetic_catalogue.h"
#include "platform/dao/db_engine.h"
#include "platform/error.h"
#include "support/test_paths.h"

using namespace kalvor;

TEST(CatalogueCounts, StatusBarCountsOfBothGenerations) {
    // "v6" counts the wish list among the albums.
    const auto v6 =
        catalogue::ReadCounts(test::fixturePath(QStringLiteral("catalogue/catalogue-v6.mdb")));
    EXPECT_EQ(catalogue::AlbumsPanelText(v6), QStringLiteral("85 albums"));
    EXPECT_EQ(catalogue::SeriesPanelText(v6), QStringLiteral("12 series"));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("v5.db"));
    catalogue::BuildSqliteCatalogue(test::fixturePath(QStringLiteral("catalogue/catalogue-v5.sql")),
                                    path);
    const auto v5 = catalogue::ReadCounts(path);
    EXPECT_EQ(v5.albums, 70);
    EXPECT_EQ(v5.series, 12);
    EXPECT_EQ(catalogue::ReadGeneration(path), catalogue::Generation::Older);

    // A file without the catalogue's tables is named as such.
    const QString other = dir.filePath(QStringLiteral("autre.db"));
    dao::DBEngine::CreateDatabase(other)->ExecuteScript(QStringLiteral("CREATE TABLE ALBUMS (x);"));
    EXPECT_EQ(catalogue::ReadGeneration(other), std::nullopt);
    try {
        catalogue::ReadCounts(other);
        ADD_FAILURE() << "counted";
    } catch (const Error& e) {
        EXPECT_EQ(e.Number(), 3078);
        EXPECT_EQ(e.Description(), QStringLiteral("Table ou requête « SERIES » introuvable."));
    }
}

TEST(CatalogueSchema, GenerationSwitch) {
    EXPECT_EQ(catalogue::GenerationOf(QStringLiteral("v6")), catalogue::Generation::V6);
    EXPECT_EQ(catalogue::GenerationOf(QStringLiteral("v5")), catalogue::Generation::Older);
    EXPECT_EQ(catalogue::GenerationOf(QStringLiteral("V6")), catalogue::Generation::Older);
    EXPECT_EQ(catalogue::WishListTable(catalogue::Generation::Older), QStringLiteral("ACHETER"));
    EXPECT_EQ(catalogue::CollectiblesTable(catalogue::Generation::V6), QStringLiteral("PARABD"));
    EXPECT_EQ(catalogue::album::NoteAlbum, 22);
    EXPECT_EQ(catalogue::album::Count, 34);
    EXPECT_EQ(catalogue::exlibris::CategorieObjet, 20);
}

TEST(SyntheticCatalogue, BothGenerationsReadLikeTheRealOnes) {
    QTemporaryDir dir;
    const QString v6 = dir.filePath(QStringLiteral("v6.db"));
    const QString v5 = dir.filePath(QStringLiteral("v5.db"));
    catalogue::WriteSyntheticCatalogue(v6, catalogue::Generation::V6, 60);
    catalogue::WriteSyntheticCatalogue(v5, catalogue::Generation::Older, 60);
    EXPECT_EQ(catalogue::ReadCounts(v6).albums, 60);  // wish list included
    const auto older = catalogue::ReadCounts(v5);
    EXPECT_EQ(older.albums, 50);
    EXPECT_EQ(older.series, 7);
    auto db = dao::DBEngine::OpenDatabase(v5);
    EXPECT_EQ(db->OpenRecordset(QStringLiteral("ACHETER"))->RecordCount(), 10);
    EXPECT_EQ(db->OpenRecordset(QStringLiteral("select * from ACHETER"))->FieldName(22),
              QStringLiteral("NoteAlbum"));
}
