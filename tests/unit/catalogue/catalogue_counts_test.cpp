#include "catalogue/catalogue_counts.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "catalogue/catalogue_schema.h"
#include "catalogue/sqlite_catalogue.h"
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
