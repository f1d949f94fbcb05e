#include <gtest/gtest.h>

#include <QFile>
#include <QMap>

#include "catalogue/sqlite_catalogue.h"
#include "catalogue_tools/case_conversion.h"
#include "platform/dao/db_engine.h"
#include "platform/error.h"
#include "platform/prompt.h"
#include "settings/settings.h"
#include "support/test_paths.h"

using namespace kalvor;
using caseconv::Case;
using caseconv::Tables;

namespace {

// Every cell of a table, "<Null>" for Null, keyed by table and column.
using Cells = QMap<QString, QStringList>;

Cells cells(const QString& path, const QStringList& tables) {
    Cells out;
    auto db = dao::DBEngine::OpenDatabase(path);
    for (const QString& table : tables) {
        auto rs = db->OpenRecordset(table);
        for (; !rs->Eof(); rs->MoveNext()) {
            for (int i = 0; i < rs->FieldCount(); ++i) {
                const QVariant v = rs->Fields(i);
                out[table + u'.' + rs->FieldName(i).toLower()]
                    << (v.isNull() ? QStringLiteral("<Null>") : v.toString());
            }
        }
    }
    return out;
}

class CaseConversionTest : public ::testing::Test {
  protected:
    test::IsolatedEnvironment env;
    RecordingPrompt prompt;
    Settings settings;

    QStringList tables(const QString& version) const {
        return version == QStringLiteral("v6")
                   ? QStringList{"SERIES",         "AUTEURS", "ALBUMS",
                                 "COLLABORATEURS", "PARABD",  "REVUES"}
                   : QStringList{"SERIES",         "AUTEURS",  "ALBUMS", "ACHETER",
                                 "COLLABORATEURS", "EXLIBRIS", "REVUES"};
    }
    // The fixture catalogue with a few accented image names.
    QString catalogue(const QString& version) {
        const QString path = env.path() + u'/' + version + QStringLiteral(".db");
        catalogue::BuildSqliteCatalogue(test::fixturePath(QStringLiteral("catalogue/catalogue-") +
                                                          version + QStringLiteral(".sql")),
                                        path);
        auto db = dao::DBEngine::OpenDatabase(path);
        db->ExecuteScript(QStringLiteral(
            "UPDATE AUTEURS SET Surnom = 'Photo_Lœwen_Été.jpg' WHERE IdAuteur = 14;"
            "UPDATE ALBUMS SET Couverture = 'Couv_Cœur_ÇA.JPG' WHERE IdAlbum = 15;"));
        db->Close();
        settings.GV_Chemin_Base = path;
        settings.GV_Version_Base = version;
        return path;
    }
};

// What a column holds after the conversion of some of its rows.
QStringList converted(const QStringList& before, Case c, const std::function<bool(int)>& row) {
    QStringList after = before;
    for (int i = 0; i < after.size(); ++i) {
        if (row(i) && after[i] != QStringLiteral("<Null>")) {
            after[i] = c == Case::Upper ? after[i].toUpper() : after[i].toLower();
        }
    }
    return after;
}

}  // namespace

TEST_F(CaseConversionTest, StatementsFollowTheBoxesAndTheGeneration) {
    Tables all{1, 1, 1, 1, 1, 1};
    EXPECT_EQ(
        caseconv::Statements(all, QStringLiteral("v6"), Case::Upper),
        (QStringList{"UPDATE ALBUMS SET ALBUMS.Couverture = UCase([couverture]) where AACHETER=0",
                     "UPDATE ALBUMS SET ALBUMS.exlibris = UCase([exlibris]) where AACHETER=0",
                     "UPDATE ALBUMS SET ALBUMS.dedicace = UCase([dedicace]) where AACHETER=0",
                     "UPDATE ALBUMS SET ALBUMS.Couverture = UCase([couverture]) where AACHETER=1",
                     "UPDATE ALBUMS SET ALBUMS.exlibris = UCase([exlibris]) where AACHETER=1",
                     "UPDATE ALBUMS SET ALBUMS.dedicace = UCase([dedicace]) where AACHETER=1",
                     "UPDATE AUTEURS SET AUTEURS.surnom = UCase([surnom])",
                     "UPDATE SERIES SET SERIES.planche = UCase([planche])",
                     "UPDATE PARABD SET PARABD.image1 = UCase([image1])",
                     "UPDATE PARABD SET PARABD.image2 = UCase([image2])",
                     "UPDATE REVUES SET REVUES.Couverture = UCase([couverture])"}));
    Tables some;
    some.opt_conv_acheter = 1;
    some.opt_conv_exlibris = 1;
    EXPECT_EQ(caseconv::Statements(some, QStringLiteral("v5"), Case::Lower),
              (QStringList{"UPDATE ACHETER SET ACHETER.Couverture = LCase([couverture])",
                           "UPDATE ACHETER SET ACHETER.exlibris = LCase([exlibris])",
                           "UPDATE ACHETER SET ACHETER.dedicace = LCase([dedicace])",
                           "UPDATE EXLIBRIS SET EXLIBRIS.imageex = LCase([imageex])"}));
}

TEST_F(CaseConversionTest, NewerCatalogueChangesOnlyTheTickedParts) {
    const QString path = catalogue(QStringLiteral("v6"));
    const Cells before = cells(path, tables(QStringLiteral("v6")));
    Tables ticked;
    ticked.opt_conv_albums = 1;
    ticked.opt_conv_auteur = 1;
    prompt.queueAnswers({true});
    caseconv::cmd_majuscule_Click(settings, ticked, prompt);
    ASSERT_EQ(prompt.texts(),
              (QStringList{QStringLiteral("Voulez-vous réellement modifier la base"),
                           QStringLiteral("base modifiée")}));
    EXPECT_EQ(prompt.shown()[0].icon, PromptIcon::Exclamation);
    EXPECT_TRUE(prompt.shown()[0].question);
    EXPECT_EQ(prompt.shown()[1].icon, PromptIcon::Information);
    EXPECT_EQ(prompt.shown()[1].title, QStringLiteral("Kalvor 1.8.3"));

    const Cells after = cells(path, tables(QStringLiteral("v6")));
    const QStringList aacheter = before["ALBUMS.aacheter"];
    const auto owned = [&](int row) { return aacheter[row] == QStringLiteral("0"); };
    Cells expected = before;
    for (const char* column : {"ALBUMS.couverture", "ALBUMS.exlibris", "ALBUMS.dedicace"}) {
        expected[column] = converted(before[column], Case::Upper, owned);
    }
    expected["AUTEURS.surnom"] =
        converted(before["AUTEURS.surnom"], Case::Upper, [](int) { return true; });
    EXPECT_EQ(after, expected);
    // Accents convert; Null and the empty text stay.
    EXPECT_TRUE(after["AUTEURS.surnom"].contains(QStringLiteral("PHOTO_LŒWEN_ÉTÉ.JPG")));
    EXPECT_TRUE(after["ALBUMS.couverture"].contains(QStringLiteral("COUV_CŒUR_ÇA.JPG")));
    EXPECT_TRUE(after["AUTEURS.surnom"].contains(QStringLiteral("<Null>")));
    EXPECT_TRUE(after["ALBUMS.couverture"].contains(QString()));
    // The wish list kept its own case.
    EXPECT_TRUE(after["ALBUMS.couverture"].contains(QStringLiteral("Couv_Album73.JPG")));

    // Again in the same direction: nothing more changes.
    prompt.queueAnswers({true});
    caseconv::cmd_majuscule_Click(settings, ticked, prompt);
    EXPECT_EQ(cells(path, tables(QStringLiteral("v6"))), after);

    // The wish list and the objects in lower case, the collection untouched.
    Tables wish;
    wish.opt_conv_acheter = 1;
    wish.opt_conv_exlibris = 1;
    prompt.queueAnswers({true});
    caseconv::cmd_minuscule_Click(settings, wish, prompt);
    Cells lowered = after;
    for (const char* column : {"ALBUMS.couverture", "ALBUMS.exlibris", "ALBUMS.dedicace"}) {
        lowered[column] =
            converted(after[column], Case::Lower, [&](int row) { return !owned(row); });
    }
    for (const char* column : {"PARABD.image1", "PARABD.image2"}) {
        lowered[column] = converted(after[column], Case::Lower, [](int) { return true; });
    }
    EXPECT_EQ(cells(path, tables(QStringLiteral("v6"))), lowered);
}

TEST_F(CaseConversionTest, OlderCatalogueConvertsItsOwnTables) {
    const QString path = catalogue(QStringLiteral("v5"));
    const Cells before = cells(path, tables(QStringLiteral("v5")));
    Tables ticked;
    ticked.opt_conv_acheter = 1;
    ticked.opt_conv_serie = 1;
    ticked.opt_conv_exlibris = 1;
    ticked.opt_conv_revues = 1;
    prompt.queueAnswers({true});
    caseconv::cmd_minuscule_Click(settings, ticked, prompt);
    EXPECT_EQ(prompt.texts().last(), QStringLiteral("base modifiée"));
    Cells expected = before;
    for (const char* column : {"ACHETER.couverture", "ACHETER.exlibris", "ACHETER.dedicace",
                               "SERIES.planche", "EXLIBRIS.imageex", "REVUES.couverture"}) {
        expected[column] = converted(before[column], Case::Lower, [](int) { return true; });
    }
    EXPECT_EQ(cells(path, tables(QStringLiteral("v5"))), expected);
    EXPECT_NE(expected, before);
}

TEST_F(CaseConversionTest, NothingTickedOrNoAnswerOpensNothing) {
    const QString path = catalogue(QStringLiteral("v6"));
    const QByteArray bytes = test::readAll(path);
    caseconv::cmd_majuscule_Click(settings, Tables{}, prompt);
    Tables ticked;
    ticked.opt_conv_revues = 1;
    caseconv::cmd_minuscule_Click(settings, ticked, prompt);  // answered No
    EXPECT_EQ(prompt.texts(), (QStringList{QStringLiteral("sélectionner les tables à modifier"),
                                           QStringLiteral("Voulez-vous réellement modifier la "
                                                          "base")}));
    EXPECT_EQ(prompt.shown()[0].icon, PromptIcon::Critical);
    EXPECT_EQ(test::readAll(path), bytes);
}

TEST_F(CaseConversionTest, AccessCatalogueIsRefusedBeforeTheQuestion) {
    // A copy, so that even a faulty write could not reach the fixture.
    const QString mdb = env.path() + QStringLiteral("/catalogue.mdb");
    ASSERT_TRUE(QFile::copy(test::fixturePath(QStringLiteral("catalogue/catalogue-v6.mdb")), mdb));
    const QByteArray bytes = test::readAll(mdb);
    const Cells before = cells(mdb, tables(QStringLiteral("v6")));
    settings.GV_Chemin_Base = mdb;
    settings.GV_Version_Base = QStringLiteral("v6");
    prompt.queueAnswers({true});
    caseconv::cmd_majuscule_Click(settings, Tables{1, 1, 1, 1, 1, 1}, prompt);
    ASSERT_EQ(prompt.shown().size(), 1u);
    EXPECT_FALSE(prompt.shown()[0].question);
    EXPECT_EQ(prompt.shown()[0].icon, PromptIcon::Critical);
    EXPECT_TRUE(prompt.shown()[0].text.contains(QStringLiteral("base Access")))
        << (prompt.texts()[0]).toStdString();
    EXPECT_EQ(test::readAll(mdb), bytes);
    EXPECT_EQ(cells(mdb, tables(QStringLiteral("v6"))), before);  // nor its copy in memory
}

TEST_F(CaseConversionTest, AFailingStatementIsShownAndClosesTheCatalogue) {
    // An older-generation conversion of the wish list meets no ACHETER table
    // on a newer catalogue; the albums before it stay converted.
    const QString path = catalogue(QStringLiteral("v6"));
    settings.GV_Version_Base = QStringLiteral("v5");
    Tables ticked;
    ticked.opt_conv_albums = 1;
    ticked.opt_conv_acheter = 1;
    prompt.queueAnswers({true});
    caseconv::cmd_minuscule_Click(settings, ticked, prompt);
    ASSERT_EQ(prompt.shown().size(), 2u);
    EXPECT_TRUE(prompt.shown()[1].text.startsWith(
        QStringLiteral("Erreur lors de la modification de la base : ")))
        << (prompt.shown()[1].text).toStdString();
    EXPECT_EQ(prompt.shown()[1].icon, PromptIcon::Critical);
    EXPECT_FALSE(prompt.busy());
    EXPECT_TRUE(cells(path, {QStringLiteral("ALBUMS")})["ALBUMS.couverture"].contains(
        QStringLiteral("couv_album73.jpg")));
    // Closed: the file can be removed and opened anew at once.
    EXPECT_NO_THROW(dao::DBEngine::OpenDatabase(path)->Execute(
        QStringLiteral("UPDATE SERIES SET Planche = Planche")));
}
