#include "sqlscripts/referenced_rows.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "platform/dao/database.h"
#include "platform/dao/db_engine.h"

using namespace kalvor;

namespace {

// The ids an older catalogue's albums name, through their own columns and
// their links: each once, in order, whether they lie close together (as
// counters do) or far apart.
TEST(ReferencedRows, IdsComeSortedOnceWhateverTheirRange) {
    QTemporaryDir dir;
    auto db = dao::DBEngine::CreateDatabase(dir.filePath("albums.db"));
    db->ExecuteScript(QStringLiteral(
        "BEGIN; CREATE TABLE ALBUMS (IdAlbum LONG, IdDessinateur LONG, IdScenariste LONG,"
        "  IdColoriste LONG, IdSerie LONG);"
        "CREATE TABLE COLLABORATEURS (IdAlbum LONG, IdAuteur LONG, TypeCollaboration LONG);"
        "INSERT INTO ALBUMS VALUES (1, 3, 3, 5, 2);"
        "INSERT INTO ALBUMS VALUES (2, 5, NULL, 7, 2);"
        "INSERT INTO COLLABORATEURS VALUES (1, 9, 1);"
        "INSERT INTO COLLABORATEURS VALUES (2, 3, 0);"
        "INSERT INTO COLLABORATEURS VALUES (8, 11, 0); COMMIT;"));
    const auto close = referenced_rows::Read(*db, ExportGroup::Albums, QStringLiteral("v5"));
    EXPECT_EQ(close.authors, std::vector<qint64>({3, 5, 7, 9}));
    EXPECT_EQ(close.series, std::vector<qint64>({2}));

    db->ExecuteScript(QStringLiteral(
        "INSERT INTO ALBUMS VALUES (3, -5, 9000000000000000000, -9000000000000000000, 4);"
        "INSERT INTO ALBUMS VALUES (4, 9000000000000000000, 3, 3, -9000000000000000000);"));
    const auto apart = referenced_rows::Read(*db, ExportGroup::Albums, QStringLiteral("v5"));
    EXPECT_EQ(apart.authors,
              std::vector<qint64>({-9000000000000000000, -5, 3, 5, 7, 9, 9000000000000000000}));
    EXPECT_EQ(apart.series, std::vector<qint64>({-9000000000000000000, 2, 4}));
}

}  // namespace
