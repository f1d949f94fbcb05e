#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "platform/dao/db_engine.h"
#include "sqlscripts/memo_text.h"
#include "sqlscripts/sql_values.h"
#include "support/test_paths.h"

using namespace kalvor;

namespace {

// The chunk queries as the catalogue engine runs them.
TEST(GetCommentaireOnACatalogue, ReadsShortExactAndLongComments) {
    QTemporaryDir dir;
    auto db = dao::DBEngine::CreateDatabase(dir.path() + "/cat.sqlite");
    db->ExecuteScript(
        "CREATE TABLE AUTEURS (IdAuteur INTEGER PRIMARY KEY, Commentaire MEMO);"
        "INSERT INTO AUTEURS VALUES (1, NULL), (2, ''), (3, 'L''été <b>'),"
        " (4, printf('%.255c', 'a')), (5, printf('%.13000c', 'b') || 'fin');");
    const auto read = [&](const char* id) {
        return memo_text::GetCommentaire(*db, "AUTEURS", "IdAuteur", id);
    };
    EXPECT_EQ(read("1"), "");
    EXPECT_EQ(read("2"), "");
    EXPECT_EQ(read("3"), QStringLiteral("L\\'été &lt;b&gt;"));
    EXPECT_EQ(read("4"), QString(255, u'a'));
    EXPECT_EQ(read("5"), QString(13000, u'b') + "fin");
}

TEST(GetCommentaireOnACatalogue, ReadsTheAccessFixtureWhole) {
    for (const char* file : {"catalogue/catalogue-v6.mdb", "catalogue/catalogue-v5.mdb"}) {
        auto db = dao::DBEngine::OpenDatabase(test::fixturePath(file));
        const auto whole = [&](const QString& table, const QString& key, const QString& id) {
            auto rs = db->OpenRecordset("select Commentaire from " + table + " where " + key +
                                        " = " + id);
            return sql::Escaped(rs->Fields(0));
        };
        // 13,100 characters; exactly 255 (then an empty piece); 690 in three pieces.
        const QString longMemo = memo_text::GetCommentaire(*db, "AUTEURS", "IdAuteur", "13");
        EXPECT_EQ(longMemo.size(), 13100) << file;
        EXPECT_EQ(longMemo, whole("AUTEURS", "IdAuteur", "13")) << file;
        EXPECT_EQ(memo_text::GetCommentaire(*db, "SERIES", "IdSerie", "4"),
                  whole("SERIES", "IdSerie", "4"))
            << file;
        EXPECT_EQ(memo_text::GetCommentaire(*db, "SERIES", "IdSerie", "1"),
                  whole("SERIES", "IdSerie", "1"))
            << file;
    }
}

}  // namespace
