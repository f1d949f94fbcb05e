#include "sitecheck/site_comparison.h"

#include <gtest/gtest.h>

#include "catalogue/sqlite_catalogue.h"
#include "common/vb.h"
#include "platform/dao/db_engine.h"
#include "platform/prompt.h"
#include "sitecheck/check_result.h"
#include "sitecheck/site_work_tables.h"
#include "support/test_paths.h"

using namespace kalvor;
using namespace kalvor::site;

namespace {

const QDateTime kDay(QDate(2024, 3, 10), QTime(12, 0, 0));

class WorkTables : public ::testing::Test {
  protected:
    void SetUp() override {
        base = env.path() + QStringLiteral("/catalogue.db");
        catalogue::BuildSqliteCatalogue(
            test::fixturePath(QStringLiteral("catalogue/catalogue-v6.sql")), base);
        ASSERT_TRUE(Create_Tables_Temp(base, prompt));
        auto db = dao::DBEngine::OpenDatabase(base);
        db->Execute(QStringLiteral("CREATE TABLE REFS (nom TEXT(255), lot INTEGER)"));
    }
    void add(const QString& table, const QString& key, const QString& type, const QString& file,
             const QDateTime& when = kDay) {
        auto db = dao::DBEngine::OpenDatabase(base);
        auto rs = db->OpenRecordset(table);
        rs->AddNew();
        rs->SetField(QStringLiteral("key"), key);
        rs->SetField(QStringLiteral("type"), type);
        rs->SetField(QStringLiteral("file"), file);
        rs->SetField(QStringLiteral("creation"), when);
        rs->SetField(QStringLiteral("ok"), false);
        rs->Update();
    }
    void reference(const QString& name, int lot = 1) {
        auto db = dao::DBEngine::OpenDatabase(base);
        auto rs = db->OpenRecordset(QStringLiteral("REFS"));
        rs->AddNew();
        rs->SetField(0, name);
        rs->SetField(1, lot);
        rs->Update();
    }
    bool compare(const QString& rep, int lot = 1) {
        return Compare_Fichiers(
            base, rep, QStringLiteral("select nom from REFS where lot = %1").arg(lot), prompt);
    }
    // "key type file ok" of every files row, or "type file : probleme" of
    // every thumbnail, sorted (the files rows also as stored).
    QStringList files(bool sorted = true) {
        auto db = dao::DBEngine::OpenDatabase(base);
        auto rs =
            db->OpenRecordset(QStringLiteral("select key, type, file, ok from ") + kTableFiles);
        QStringList list;
        for (; !rs->Eof(); rs->MoveNext()) {
            list << QStringLiteral("%1 %2 %3 %4")
                        .arg(rs->Fields(0).toString(), rs->Fields(1).toString(),
                             rs->Fields(2).toString())
                        .arg(rs->Fields(3).toInt() != 0);
        }
        if (sorted) {
            list.sort();
        }
        return list;
    }
    QStringList thumbs() {
        auto db = dao::DBEngine::OpenDatabase(base);
        auto rs = db->OpenRecordset(kTableThumbs);
        QStringList list;
        for (; !rs->Eof(); rs->MoveNext()) {
            list << rs->Fields(QStringLiteral("type")).toString() + u' ' +
                        rs->Fields(QStringLiteral("file")).toString() + QStringLiteral(" : ") +
                        rs->Fields(QStringLiteral("probleme")).toString();
        }
        list.sort();
        return list;
    }

    test::IsolatedEnvironment env;
    RecordingPrompt prompt;
    QString base;
};

}  // namespace

TEST_F(WorkTables, ANameIsFoundOnlyWhenAListedFileHasItsExactSpelling) {
    vb::ScopedClock clock(kDay);
    add(kTableFiles, kKeyListed, QStringLiteral("couvertures"), QStringLiteral("abc.jpg"));
    add(kTableFiles, kKeyListed, QStringLiteral("couvertures"), QStringLiteral("ABC.jpg"));
    add(kTableFiles, kKeyListed, QStringLiteral("couvertures"), QStringLiteral("keep.jpg"));
    add(kTableFiles, kKeyListed, QStringLiteral("couvertures"), QStringLiteral("l'été \"1\".jpg"));
    add(kTableFiles, kKeyListed, QStringLiteral("versos"), QStringLiteral("other.jpg"));
    reference(QStringLiteral("ABC.jpg"));  // its twin in lower case is listed first
    reference(QStringLiteral("Abc.jpg"));
    reference(QStringLiteral("Abc.jpg"));
    reference(QStringLiteral("l'été \"1\".jpg"));
    reference(QStringLiteral("other.jpg"));  // listed, but as another kind

    ASSERT_TRUE(compare(QStringLiteral("couvertures")));
    EXPECT_EQ(files(), (QStringList{
                           "EX couvertures ABC.jpg 1",
                           "EX couvertures abc.jpg 0",
                           "EX couvertures keep.jpg 0",
                           "EX couvertures l'été \"1\".jpg 1",
                           "EX versos other.jpg 0",
                           "MI couvertures Abc.jpg 1",  // once, though referenced twice
                           "MI couvertures other.jpg 0",
                       }));
    EXPECT_TRUE(prompt.shown().empty());

    // The wish list's statement meets the names the collection left missing.
    reference(QStringLiteral("other.jpg"), 2);
    reference(QStringLiteral("keep.jpg"), 2);
    reference(QStringLiteral("new.jpg"), 2);
    ASSERT_TRUE(compare(QStringLiteral("couvertures"), 2));
    const QStringList after = files();
    EXPECT_TRUE(after.contains(QStringLiteral("MI couvertures other.jpg 1")));
    EXPECT_TRUE(after.contains(QStringLiteral("EX couvertures keep.jpg 1")));
    EXPECT_TRUE(after.contains(QStringLiteral("MI couvertures new.jpg 0")));
    EXPECT_EQ(after.size(), 8);

    auto db = dao::DBEngine::OpenDatabase(base);
    auto added = db->OpenRecordset(
        QStringLiteral("select creation from TEMP_KALVOR_FILES where file = 'new.jpg'"));
    EXPECT_EQ(added->Fields(0).toDateTime(), kDay);
}

// Missing names are added in the order the statements first give them: the
// trees show names equal but for letter case in that order.
TEST_F(WorkTables, MissingNamesAreAddedInStatementOrderKindByKind) {
    vb::ScopedClock clock(kDay);
    const QString c = QStringLiteral("couvertures");
    const QString v = QStringLiteral("versos");
    add(kTableFiles, kKeyListed, c, QStringLiteral("a.jpg"));
    add(kTableFiles, kKeyListed, c, QStringLiteral("A.jpg"));
    add(kTableFiles, kKeyListed, c, QStringLiteral("same.jpg"));
    add(kTableFiles, kKeyListed, c, QStringLiteral("same.jpg"));  // listed twice
    add(kTableFiles, kKeyListed, v, QStringLiteral("shared.jpg"));
    for (const char* name : {"b.jpg", "shared.jpg", "B.jpg", "same.jpg", "a.jpg", "b.jpg"}) {
        reference(QString::fromLatin1(name), 1);
    }
    for (const char* name : {"shared.jpg", "b.jpg"}) {
        reference(QString::fromLatin1(name), 2);
    }
    for (const char* name : {"d.jpg", "B.jpg", "c.jpg", "d.jpg"}) {
        reference(QString::fromLatin1(name), 3);
    }
    ASSERT_TRUE(compare(c, 1));
    ASSERT_TRUE(compare(v, 2));
    // Without an order of its own a distinct statement gives its names sorted.
    ASSERT_TRUE(Compare_Fichiers(
        base, c, QStringLiteral("select distinct nom from REFS where lot = 3"), prompt));
    EXPECT_EQ(files(false), (QStringList{
                                "EX couvertures a.jpg 1",
                                "EX couvertures A.jpg 0",
                                "EX couvertures same.jpg 1",
                                "EX couvertures same.jpg 1",
                                "EX versos shared.jpg 1",
                                "MI couvertures b.jpg 1",
                                "MI couvertures shared.jpg 0",
                                "MI couvertures B.jpg 1",
                                "MI versos b.jpg 0",
                                "MI couvertures c.jpg 0",
                                "MI couvertures d.jpg 0",
                            }));

    add(kTableThumbs, kKeyListed, c, QStringLiteral("m_Z.jpg"));
    add(kTableThumbs, kKeyListed, c, QStringLiteral("m_a.jpg"));
    add(kTableThumbs, kKeyListed, c, QStringLiteral("m_z.jpg"));
    Compare_Miniatures(base, QStringLiteral("m_"), prompt);
    CheckResult result;
    Read_Check_Result(base, result);
    EXPECT_EQ(result.Missing_Files(c),
              (QStringList{"b.jpg", "B.jpg", "c.jpg", "d.jpg", "shared.jpg"}));
    EXPECT_EQ(result.Missing_Files(v), QStringList{"b.jpg"});
    EXPECT_EQ(result.Unreferenced_Files(c), QStringList{"A.jpg"});
    ASSERT_EQ(result.thumbnails.size(), 2);
    EXPECT_EQ(result.thumbnails[0].file, QStringLiteral("m_Z.jpg"));
    EXPECT_EQ(result.thumbnails[1].file, QStringLiteral("m_z.jpg"));
    EXPECT_TRUE(prompt.shown().empty());
}

// The column holds 255 characters, whatever their bytes.
TEST_F(WorkTables, ANameTooLongForTheTableEndsTheAdditionsThere) {
    add(kTableFiles, kKeyListed, QStringLiteral("photos"), QStringLiteral("p0.jpg"));
    const QString accented(200, QChar(0xE9));
    reference(QStringLiteral("p1.jpg"));
    reference(accented);
    auto db = dao::DBEngine::OpenDatabase(base);
    db->ExecuteScript(QStringLiteral("INSERT INTO REFS VALUES ('%1', 1)").arg(QString(256, u'x')));
    reference(QStringLiteral("p2.jpg"));
    reference(QStringLiteral("p0.jpg"));

    EXPECT_FALSE(compare(QStringLiteral("photos")));
    EXPECT_EQ(prompt.texts(), QStringList{"Problème lors de la comparaison des fichiers."});
    EXPECT_EQ(files(false), (QStringList{"EX photos p0.jpg 1", "MI photos p1.jpg 0",
                                         "MI photos " + accented + " 0"}));
}

TEST_F(WorkTables, NothingReferencedChangesNothing) {
    add(kTableFiles, kKeyListed, QStringLiteral("photos"), QStringLiteral("a.jpg"));
    EXPECT_TRUE(compare(QStringLiteral("photos")));
    EXPECT_EQ(files(), QStringList{"EX photos a.jpg 0"});
}

TEST_F(WorkTables, AStatementThatFailsIsReported) {
    EXPECT_FALSE(Compare_Fichiers(base, QStringLiteral("parabd"),
                                  QStringLiteral("select imageEx from EXLIBRIS"), prompt));
    ASSERT_EQ(prompt.shown().size(), 1u);
    EXPECT_EQ(prompt.shown()[0].text,
              QStringLiteral("Problème lors de la comparaison des fichiers."));
    EXPECT_EQ(prompt.shown()[0].icon, PromptIcon::Critical);
}

TEST_F(WorkTables, ThumbnailsKeepOnlyTheirProblems) {
    const QDateTime later = kDay.addDays(1);
    const QString c = QStringLiteral("couvertures");
    add(kTableFiles, kKeyListed, c, QStringLiteral("ABC.JPG"));
    add(kTableFiles, kKeyListed, c, QStringLiteral("same.jpg"));
    add(kTableFiles, kKeyListed, c, QStringLiteral("new.jpg"), later);
    add(kTableFiles, kKeyMissing, c, QStringLiteral("gone.jpg"), later);
    add(kTableThumbs, kKeyListed, c, QStringLiteral("m_abc.jpg"), later);  // any case
    add(kTableThumbs, kKeyListed, c, QStringLiteral("m_same.jpg"));        // same date
    add(kTableThumbs, kKeyListed, c, QStringLiteral("m_new.jpg"));         // image newer
    add(kTableThumbs, kKeyListed, c, QStringLiteral("m_gone.jpg"));        // only known as missing
    add(kTableThumbs, kKeyListed, c, QStringLiteral("M_abc.jpg"));
    add(kTableThumbs, kKeyListed, QStringLiteral("versos"), QStringLiteral("m_abc.jpg"));

    Compare_Miniatures(base, QStringLiteral("m_"), prompt);
    EXPECT_EQ(thumbs(),
              (QStringList{
                  "couvertures M_abc.jpg : format du fichier non conforme (m_)",
                  "couvertures m_gone.jpg : Pas d'image correspondante",
                  "couvertures m_new.jpg : Dates incohérentes : fichier (11/03/2024 12:00:00) - "
                  "miniature (10/03/2024 12:00:00)",
                  "versos m_abc.jpg : Pas d'image correspondante",
              }));
    EXPECT_TRUE(prompt.shown().empty());
}

TEST_F(WorkTables, WithoutAPrefixEveryThumbnailIsLookedUpUnderItsOwnName) {
    add(kTableFiles, kKeyListed, QStringLiteral("revues"), QStringLiteral("r1.jpg"));
    add(kTableThumbs, kKeyListed, QStringLiteral("revues"), QStringLiteral("R1.jpg"));
    add(kTableThumbs, kKeyListed, QStringLiteral("revues"), QStringLiteral("m_r1.jpg"));
    Compare_Miniatures(base, QString(), prompt);
    EXPECT_EQ(thumbs(), QStringList{"revues m_r1.jpg : Pas d'image correspondante"});
}

TEST_F(WorkTables, AFailedThumbnailCheckIsReported) {
    ASSERT_TRUE(Drop_Tables_Temp(base, prompt));
    Compare_Miniatures(base, QStringLiteral("m_"), prompt);
    ASSERT_EQ(prompt.shown().size(), 1u);
    EXPECT_EQ(prompt.shown()[0].text,
              QStringLiteral("erreur pendant la comparaison des miniatures"));
}

namespace {

// The names each statement gives, per kind, in statement order.
QList<QPair<QString, QStringList>> referencedNames(const QString& base,
                                                   const CompareOptions& options) {
    QList<QPair<QString, QStringList>> result;
    auto db = dao::DBEngine::OpenDatabase(base);
    for (const CatalogueReference& ref : Catalogue_References(base, options)) {
        auto rs = db->OpenRecordset(ref.sql);
        QStringList names;
        for (; !rs->Eof(); rs->MoveNext()) {
            names << rs->Fields(0).toString();
        }
        names.sort();
        result.append({ref.rep, names});
    }
    return result;
}

}  // namespace

TEST(CatalogueReferences, BothGenerationsReferenceTheSameImages) {
    test::IsolatedEnvironment env;
    const QString v5 = env.path() + QStringLiteral("/v5.db");
    const QString v6 = env.path() + QStringLiteral("/v6.db");
    catalogue::BuildSqliteCatalogue(test::fixturePath(QStringLiteral("catalogue/catalogue-v5.sql")),
                                    v5);
    catalogue::BuildSqliteCatalogue(test::fixturePath(QStringLiteral("catalogue/catalogue-v6.sql")),
                                    v6);
    const CompareOptions all{true, true, true, true, true};
    const auto older = referencedNames(v5, all);
    const auto newer = referencedNames(v6, all);
    ASSERT_EQ(older.size(), 12);
    ASSERT_EQ(newer.size(), 12);
    for (int i = 0; i < older.size(); ++i) {
        EXPECT_EQ(older[i].first, newer[i].first);
        EXPECT_EQ(older[i].second, newer[i].second) << older[i].first.toStdString() << " " << i;
    }
    const QStringList kinds = {"couvertures", "dedicaces",   "versos",    "photos",
                               "planches",    "couvertures", "dedicaces", "versos",
                               "photos",      "planches",    "parabd",    "revues"};
    for (int i = 0; i < kinds.size(); ++i) {
        EXPECT_EQ(newer[i].first, kinds[i]);
    }
    // Owned covers: 70 albums but one Null and one empty name; the wish
    // list's 15 covers are its own.
    EXPECT_EQ(newer[0].second.size(), 68);
    EXPECT_EQ(newer[5].second.size(), 15);
    EXPECT_FALSE(newer[0].second.contains(newer[5].second.first()));

    // Without collaborators an author known only through them has no photo.
    const auto fewer = referencedNames(v6, {true, false, false, false, false});
    EXPECT_EQ(fewer.size(), 5);
    EXPECT_LE(fewer[3].second.size(), newer[3].second.size());
}
