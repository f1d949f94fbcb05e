#include "sitecheck/check_result.h"

#include <gtest/gtest.h>

#include "catalogue/sqlite_catalogue.h"
#include "platform/dao/db_engine.h"
#include "platform/error.h"
#include "platform/prompt.h"
#include "sitecheck/site_work_tables.h"
#include "support/test_paths.h"

using namespace kalvor;
using namespace kalvor::site;

TEST(CheckResult, ReadsTheWorkTablesInKindAndNameOrder) {
    test::IsolatedEnvironment env;
    RecordingPrompt prompt;
    const QString base = env.path() + QStringLiteral("/catalogue.db");
    catalogue::BuildSqliteCatalogue(test::fixturePath(QStringLiteral("catalogue/catalogue-v5.sql")),
                                    base);
    CheckResult result;
    EXPECT_THROW(Read_Check_Result(base, result), Error);  // no check yet

    ASSERT_TRUE(Create_Tables_Temp(base, prompt));
    {
        auto db = dao::DBEngine::OpenDatabase(base);
        auto files = db->OpenRecordset(kTableFiles);
        auto thumbs = db->OpenRecordset(kTableThumbs);
        const auto add = [](dao::Recordset& rs, const char* key, const char* type, const char* file,
                            bool ok, const char* problem = nullptr) {
            rs.AddNew();
            rs.SetField(QStringLiteral("key"), QString::fromUtf8(key));
            rs.SetField(QStringLiteral("type"), QString::fromUtf8(type));
            rs.SetField(QStringLiteral("file"), QString::fromUtf8(file));
            rs.SetField(QStringLiteral("creation"), QDateTime::currentDateTime());
            rs.SetField(QStringLiteral("ok"), ok);
            if (problem) {
                rs.SetField(QStringLiteral("probleme"), QString::fromUtf8(problem));
            }
            rs.Update();
        };
        add(*files, "MI", "versos", "v.jpg", false);
        add(*files, "MI", "couvertures", "b.jpg", true);  // referenced twice
        add(*files, "MI", "couvertures", "A.jpg", false);
        add(*files, "EX", "couvertures", "used.jpg", true);
        add(*files, "EX", "couvertures", "Zed.jpg", false);
        add(*files, "EX", "couvertures", "alpha.jpg", false);
        add(*thumbs, "EX", "photos", "m_p.jpg", false, "Pas d'image correspondante");
        add(*thumbs, "EX", "couvertures", "q.jpg", false);
    }
    Read_Check_Result(base, result);

    // Keys count across kinds; names sort without regard to case.
    const auto texts = [](const QList<TreeNode>& nodes) {
        QStringList list;
        for (const TreeNode& n : nodes) {
            list << n.rootKey + u'/' + n.key + u'/' + n.text;
        }
        return list;
    };
    EXPECT_EQ(texts(result.Missing_Nodes()),
              (QStringList{"CO/MI1/A.jpg", "CO/MI2/b.jpg", "VE/MI3/v.jpg"}));
    EXPECT_EQ(texts(result.Unreferenced_Nodes()),
              (QStringList{"CO/EX1/alpha.jpg", "CO/EX2/Zed.jpg"}));
    EXPECT_EQ(texts(result.Thumbnail_Nodes()),
              (QStringList{"CO/TH1/q.jpg : ", "PH/TH2/m_p.jpg : Pas d'image correspondante"}));
    EXPECT_EQ(result.Missing_Files(QStringLiteral("couvertures")), (QStringList{"A.jpg", "b.jpg"}));
    EXPECT_TRUE(result.Unreferenced_Files(QStringLiteral("revues")).isEmpty());
    ASSERT_EQ(result.Thumbnail_Problems(QStringLiteral("photos")).size(), 1);

    QStringList roots;
    for (const TreeRoot& r : Tree_Roots()) {
        roots << r.key + u' ' + r.text;
        EXPECT_EQ(r.key, r.type.left(2).toUpper());
    }
    EXPECT_EQ(roots, (QStringList{"CO Couvertures", "VE Versos", "DE Dédicaces", "PL Planches",
                                  "PA Para-BD", "PH Photos", "RE Revues"}));
}
