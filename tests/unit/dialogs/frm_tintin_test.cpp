#include "dialogs/frm_tintin.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

#include "platform/dao/db_engine.h"
#include "platform/prompt.h"
#include "settings/settings.h"
#include "support/test_paths.h"

namespace kalvor {
namespace {

// A catalogue holding `qualifying` series with "tintin" in their title and a
// collectible each, besides series that must never be offered.
QString buildCatalogue(const QString& folder, const QString& version, int qualifying) {
    const QString path =
        folder + QStringLiteral("/catalogue-%1-%2.db").arg(version).arg(qualifying);
    const QString objects =
        version == u"v6" ? QStringLiteral("PARABD") : QStringLiteral("EXLIBRIS");
    QString script = QStringLiteral(
                         "CREATE TABLE SERIES (IdSerie INTEGER PRIMARY KEY, Titre TEXT);"
                         "CREATE TABLE %1 (Id%1 INTEGER PRIMARY KEY, IdSerie INTEGER);"
                         // A Tintin series without any collectible.
                         "INSERT INTO SERIES VALUES (900, 'Tintin sans objet');"
                         // Collectibles of a series without the word.
                         "INSERT INTO SERIES VALUES (901, 'Spirou');"
                         "INSERT INTO %1 VALUES (901, 901);")
                         .arg(objects);
    const QStringList titles = {"Les aventures de Tintin",
                                "TINTIN au pays de l'or",
                                "Tintinnabule",
                                "Le retour de tintin",
                                "Hommage à TinTin",
                                "tintin",
                                "Encore Tintin"};
    for (int i = 0; i < qualifying; ++i) {
        const int id = 10 + i;
        QString title = titles.at(i);
        title.replace(QLatin1Char('\''), QStringLiteral("''"));
        script += QStringLiteral("INSERT INTO SERIES VALUES (%1, '%2');").arg(id).arg(title);
        // Two collectibles: the series is still offered once.
        script +=
            QStringLiteral("INSERT INTO %1 VALUES (%2, %3);").arg(objects).arg(id * 10).arg(id);
        script +=
            QStringLiteral("INSERT INTO %1 VALUES (%2, %3);").arg(objects).arg(id * 10 + 1).arg(id);
    }
    auto db = dao::DBEngine::CreateDatabase(path);
    db->ExecuteScript(script);
    db->Close();
    return path;
}

class FrmTintinTest : public ::testing::Test {
  protected:
    test::IsolatedEnvironment env;
    Settings settings;
    RecordingPrompt prompt;

    void useCatalogue(const QString& version, int qualifying) {
        settings.GV_Version_Base = version;
        settings.GV_Chemin_Base = buildCatalogue(env.path(), version, qualifying);
    }
    static int visibleOptions(const FrmTintin& dialog) {
        int n = 0;
        for (int i = 0; i < FrmTintin::kOptions; ++i) {
            n += dialog.opt_tintin(i)->isVisibleTo(&dialog) ? 1 : 0;
        }
        return n;
    }
};

TEST_F(FrmTintinTest, NoQualifyingSeriesShowsNoOption) {
    useCatalogue("v6", 0);
    FrmTintin dialog(settings, prompt);
    ASSERT_TRUE(dialog.Form_Load());
    EXPECT_EQ(dialog.windowTitle(), "Configuration du plugin Tintin");
    EXPECT_EQ(dialog.Nb_Find, 0);
    EXPECT_EQ(visibleOptions(dialog), 0);
    EXPECT_FALSE(dialog.btn_desactiver()->isEnabled());
    EXPECT_EQ(dialog.box_plugin_tintin_path()->text(), Settings::PluginTintinDefaultPath());

    // Said instead of an empty list; "Activer" could save nothing, and
    // "Fermer" asks nothing about the address it could not save.
    EXPECT_TRUE(dialog.lbl_aucune_serie()->isVisibleTo(&dialog));
    EXPECT_FALSE(dialog.btn_activer()->isEnabled());
    dialog.show();
    dialog.box_plugin_tintin_path()->setText("http://ailleurs.test/anim");
    dialog.btn_annuler()->click();
    EXPECT_TRUE(prompt.shown().empty());
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(settings.GV_Plugin_Tintin_Id, 0);
    EXPECT_EQ(settings.GV_Plugin_Tintin_Path, Settings::PluginTintinDefaultPath());
}

TEST_F(FrmTintinTest, OneSeriesIsSelectedWhenItIsTheChosenOne) {
    useCatalogue("v6", 1);
    settings.GV_Plugin_Tintin_Id = 10;
    settings.GV_Plugin_Tintin_Path = "http://animations.test/voitures";
    FrmTintin dialog(settings, prompt);
    ASSERT_TRUE(dialog.Form_Load());
    ASSERT_EQ(dialog.Nb_Find, 1);
    EXPECT_EQ(visibleOptions(dialog), 1);
    EXPECT_EQ(dialog.opt_tintin(0)->text(), "Les aventures de Tintin");
    EXPECT_TRUE(dialog.opt_tintin(0)->isChecked());
    EXPECT_TRUE(dialog.btn_desactiver()->isEnabled());
    EXPECT_EQ(dialog.box_plugin_tintin_path()->text(), "http://animations.test/voitures");
}

TEST_F(FrmTintinTest, SixSeriesFillEveryOptionWhatEverTheCase) {
    for (const char* version : {"v6", "v5"}) {
        useCatalogue(version, 6);
        FrmTintin dialog(settings, prompt);
        ASSERT_TRUE(dialog.Form_Load()) << version;
        EXPECT_EQ(dialog.Nb_Find, 6) << version;
        EXPECT_EQ(visibleOptions(dialog), 6) << version;
        QStringList titles;
        for (const TintinSeries& s : dialog.Tablo_Plugin) {
            titles << s.titre;
        }
        EXPECT_TRUE(titles.contains("TINTIN au pays de l'or")) << version;
        EXPECT_FALSE(titles.contains("Tintin sans objet")) << version;
        EXPECT_FALSE(dialog.opt_tintin(3)->isChecked());
    }
    EXPECT_TRUE(prompt.shown().empty());
}

TEST_F(FrmTintinTest, SevenSeriesAreRefused) {
    useCatalogue("v6", 7);
    settings.GV_Plugin_Tintin_Id = 12;
    EXPECT_EQ(FrmTintin::ShowDefault(settings, prompt), nullptr);
    EXPECT_EQ(FrmTintin::Default(), nullptr);
    ASSERT_EQ(prompt.shown().size(), 1u);
    EXPECT_EQ(prompt.shown()[0].text, "Prévu jusqu'à 6 séries contenant Tintin");
    EXPECT_EQ(prompt.shown()[0].title, "Kalvor 1.8.3");
    EXPECT_EQ(prompt.shown()[0].icon, PromptIcon::Critical);
    EXPECT_EQ(settings.GV_Plugin_Tintin_Id, 12);
}

TEST_F(FrmTintinTest, ButtonsSetTheSeriesAndTheAddress) {
    useCatalogue("v6", 3);
    FrmTintin dialog(settings, prompt);
    ASSERT_TRUE(dialog.Form_Load());
    dialog.show();
    dialog.opt_tintin(1)->setChecked(true);
    dialog.box_plugin_tintin_path()->setText("http://ailleurs.test/anim");
    dialog.btn_activer()->click();
    EXPECT_EQ(settings.GV_Plugin_Tintin_Id, dialog.Tablo_Plugin.at(1).idserie);
    EXPECT_EQ(settings.GV_Plugin_Tintin_Path, "http://ailleurs.test/anim");
    EXPECT_FALSE(dialog.isVisible());

    // Fermer drops a typed address, once the user has agreed to; the
    // default button writes at once.
    ASSERT_TRUE(dialog.Form_Load());
    dialog.show();
    EXPECT_TRUE(dialog.opt_tintin(1)->isChecked());
    dialog.btn_default()->click();
    dialog.box_plugin_tintin_path()->setText("http://perdu.test");
    dialog.btn_annuler()->click();
    ASSERT_EQ(prompt.shown().size(), 1u);
    EXPECT_TRUE(prompt.shown()[0].question);
    EXPECT_TRUE(prompt.shown()[0].text.contains("Activer"));
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.box_plugin_tintin_path()->text(), "http://perdu.test");
    prompt.queueAnswers({true});
    dialog.reject();  // Escape
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(settings.GV_Plugin_Tintin_Path, Settings::PluginTintinDefaultPath());
    EXPECT_EQ(settings.GV_Plugin_Tintin_Id, dialog.Tablo_Plugin.at(1).idserie);
    prompt.clear();

    ASSERT_TRUE(dialog.Form_Load());
    dialog.box_plugin_tintin_path()->setText("http://autre.test");
    dialog.btn_desactiver()->click();
    EXPECT_EQ(settings.GV_Plugin_Tintin_Id, 0);
    EXPECT_EQ(settings.GV_Plugin_Tintin_Path, Settings::PluginTintinDefaultPath());
    EXPECT_TRUE(prompt.shown().empty());
}

TEST_F(FrmTintinTest, AMissingCatalogueIsReportedAndTheDialogStaysClosed) {
    settings.GV_Version_Base = "v6";
    settings.GV_Chemin_Base = env.path() + "/absent.mdb";
    EXPECT_EQ(FrmTintin::ShowDefault(settings, prompt), nullptr);
    ASSERT_EQ(prompt.shown().size(), 1u);
    EXPECT_TRUE(prompt.shown()[0].text.contains("absent.mdb"));
    EXPECT_EQ(prompt.shown()[0].icon, PromptIcon::Critical);
}

TEST(TintinSeriesQuery, KeepsTheCatalogueGenerationsApart) {
    EXPECT_EQ(Tintin_Series_Query("v6"),
              "SELECT distinct  s.idserie, s.titre FROM SERIES s, parabd p  where p.idserie = "
              "s.idserie and lcase(titre) like '*tintin*' ");
    EXPECT_TRUE(Tintin_Series_Query("v5").contains("FROM SERIES s, exlibris p  where"));
}

}  // namespace
}  // namespace kalvor
