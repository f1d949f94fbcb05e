#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QTranslator>
#include <functional>

#include <gtest/gtest.h>

#include "app/command_line.h"
#include "app/kalvorform.h"
#include "app/qt_translations.h"
#include "app/renamer_frame.h"
#include "app/start_up.h"
#include "catalogue/sqlite_catalogue.h"
#include "common/banner.h"
#include "common/general.h"
#include "common/vb.h"
#include "dialogs/frm_choix_dir.h"
#include "dialogs/frm_para.h"
#include "dialogs/frm_recovery.h"
#include "dialogs/stats_grid_widget.h"
#include "platform/dao/database.h"
#include "platform/dao/db_engine.h"
#include "platform/prompt.h"
#include "platform/registry/registry.h"
#include "program_job.h"
#include "program_run.h"
#include "recovery/recovery_database.h"
#include "settings/settings.h"
#include "support/file_size_limit.h"
#include "support/test_paths.h"
#include "support/work_end.h"
#include "unit/recovery/fake_site.h"

using namespace kalvor;

namespace {

void setValue(const QString& key, const QString& name, const QString& value) {
    general::Set_Registry_Value(HKEY_CURRENT_USER, key, name, value);
}
const QString kConfig = QStringLiteral("software\\Kalvor\\Config");

using test::ProgramRun;

class KalvorformTest : public ::testing::Test {
  protected:
    test::IsolatedEnvironment env;
    void useCatalogue(const QString& key, const QString& path) {
        setValue(key, QStringLiteral("CheminBase"), path);
    }
    // Made, and kept as the export folder.
    QString useExportFolder() {
        const QString folder = env.path() + QStringLiteral("/export");
        QDir().mkpath(folder);
        setValue(QStringLiteral("software\\Kalvor\\Repertoires"), QStringLiteral("Export"), folder);
        return folder;
    }
};

void typeServer(ProgramRun& run) {
    run.type("box_host", QStringLiteral("localhost"));
    run.type("box_login", QStringLiteral("kalvor"));
    run.type("box_base", QStringLiteral("bd"));
}

}  // namespace

TEST_F(KalvorformTest, StartsOnAVersionSixCatalogueWithItsCounts) {
    const QString path = test::fixturePath(QStringLiteral("catalogue/catalogue-v6.mdb"));
    useCatalogue(QStringLiteral("Software\\Ormelo6"), path);
    ProgramRun run;
    EXPECT_EQ(run.settings.GV_Version_Base, QStringLiteral("v6"));
    EXPECT_EQ(run.window.windowTitle(), QStringLiteral("Kalvor 1.8.3"));
    EXPECT_EQ(run.window.statusPanel(1), path);
    EXPECT_EQ(run.window.statusPanel(2), QStringLiteral("85 albums"));
    EXPECT_EQ(run.window.statusPanel(3), QStringLiteral("12 series"));
    EXPECT_EQ(run.window.helpFile(), env.programFolder() + QStringLiteral("/Kalvor.chm"));
    // An empty store: statistics and thumbnails are off, so are their tabs.
    EXPECT_FALSE(run.window.TabNavig()->isTabEnabled(Settings::kTabStatistiques));
    EXPECT_FALSE(run.window.TabNavig()->isTabEnabled(Settings::kTabMiniatures));
    EXPECT_EQ(run.window.TabNavig()->count(), 8);
    EXPECT_EQ(run.window.TabNavig()->tabText(6), QStringLiteral("7. Génération"));
    EXPECT_TRUE(run.prompt.shown().empty());
    // No help file is shipped: F1 and "Aide" say so, and log nothing.
    run.window.show();
    run.window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&run.window));
    QTest::keyClick(&run.window, Qt::Key_F1);
    run.find<QAction>("aide_aide")->trigger();
    EXPECT_EQ(run.prompt.texts(),
              QStringList(2, QStringLiteral("Aucun fichier d'aide : ") + run.window.helpFile() +
                                 QStringLiteral(" n'existe pas.")));
    EXPECT_FALSE(QFileInfo::exists(general::Log_Path()));
}

TEST_F(KalvorformTest, MenusHoldTheirItemsInOrder) {
    ProgramRun run;
    QStringList seen;
    for (QAction* top : run.window.menuBar()->actions()) {
        QStringList items;
        for (QAction* a : top->menu()->actions()) {
            items << a->objectName();
        }
        seen << top->menu()->objectName() + u':' + items.join(u',');
    }
    EXPECT_EQ(seen, (QStringList{QStringLiteral("fichier:fichier_ouvrir,fichier_quitter"),
                                 QStringLiteral("application:kalvor,Renommer,recovery"),
                                 QStringLiteral("aide:aide_propos,aide_aide")}));
}

TEST_F(KalvorformTest, StartsOnAVersionFiveCatalogue) {
    Registry::currentUser().createKey(QStringLiteral("Software\\Orme Lo v5"));
    useCatalogue(QStringLiteral("Software\\Orme Lo v5\\Base"),
                 test::fixturePath(QStringLiteral("catalogue/catalogue-v5.mdb")));
    ProgramRun run;
    EXPECT_EQ(run.settings.GV_Version_Base, QStringLiteral("v5"));
    EXPECT_EQ(run.window.statusPanel(2), QStringLiteral("70 albums"));
    EXPECT_EQ(run.window.statusPanel(3), QStringLiteral("12 series"));
}

TEST_F(KalvorformTest, StartsWithoutCatalogue) {
    setValue(QStringLiteral("software\\Kalvor\\Stats"), QStringLiteral("ST03_use"),
             QStringLiteral("1"));
    setValue(kConfig, QStringLiteral("stats"), QStringLiteral("1"));
    ProgramRun run;
    EXPECT_EQ(run.settings.GV_Version_Base, QStringLiteral("v4"));
    EXPECT_TRUE(run.window.statusPanel(1).isEmpty());
    EXPECT_TRUE(run.window.statusPanel(2).isEmpty());
    EXPECT_EQ(run.settings.GV_Erreurs.count(QStringLiteral("\nerreur : ")), 1);
    EXPECT_TRUE(QString::fromLatin1(test::readAll(general::Log_Path()))
                    .startsWith(QStringLiteral("Kalvorform.form_load")));
    EXPECT_TRUE(run.prompt.shown().empty());
    // The rest of the window is still prepared, so that leaving it does not
    // write default charts over the saved ones.
    EXPECT_TRUE(run.window.TabNavig()->isTabEnabled(Settings::kTabStatistiques));
    EXPECT_TRUE(run.window.statsGrid().chart(3).used);
    run.window.close();
    EXPECT_EQ(
        general::Get_Registry_Value(HKEY_CURRENT_USER, QStringLiteral("software\\Kalvor\\Stats"),
                                    QStringLiteral("ST03_use"))
            .toString(),
        QStringLiteral("1"));
}

// The sample stands in for a catalogue no one named, said so, and is never
// written into the settings; a named catalogue outweighs it.
TEST_F(KalvorformTest, StartsOnTheSampleOnlyWhenNoCatalogueIsNamed) {
    qunsetenv("KALVOR_SAMPLE_CATALOGUE");
    {
        // Without either, the start-up's entry says so.
        ProgramRun run;
        EXPECT_TRUE(run.settings.GV_Erreurs.contains(
            QStringLiteral("\nerreur : Aucun catalogue n'est désigné.")))
            << run.settings.GV_Erreurs.toStdString();
        EXPECT_FALSE(run.settings.GV_Erreurs.contains(QStringLiteral("«  »")));
        run.window.close();
    }
    const QString sample = test::fixturePath(QStringLiteral("catalogue/catalogue-v5.mdb"));
    qputenv("KALVOR_SAMPLE_CATALOGUE", sample.toUtf8());
    {
        ProgramRun run;
        EXPECT_EQ(run.window.statusPanel(1), QStringLiteral("Catalogue d'exemple : ") + sample);
        EXPECT_EQ(run.window.statusPanel(2), QStringLiteral("70 albums"));
        run.window.close();
    }
    EXPECT_FALSE(test::readAll(env.registryPath()).contains("CheminBase"));
    const QString named = test::fixturePath(QStringLiteral("catalogue/catalogue-v6.mdb"));
    useCatalogue(QStringLiteral("Software\\Ormelo6"), named);
    ProgramRun run;
    EXPECT_EQ(run.window.statusPanel(1), named);
    qunsetenv("KALVOR_SAMPLE_CATALOGUE");
}

TEST_F(KalvorformTest, ADamagedCatalogueIsRefusedAndTheWindowGoesOn) {
    const QString v6 = test::fixturePath(QStringLiteral("catalogue/catalogue-v6.mdb"));
    QByteArray bytes = test::readAll(v6);
    bytes[0x18037] = char(0x9c);  // sends libmdb's row reader out of bounds
    const QString damaged = env.path() + QStringLiteral("/damaged.mdb");
    test::writeAll(damaged, bytes);
    const QString refusal = QStringLiteral("La base Access « %1 » est endommagée").arg(damaged);

    // At start-up, as any catalogue that cannot be read: noted and logged.
    useCatalogue(QStringLiteral("Software\\Ormelo6"), damaged);
    ProgramRun run;
    EXPECT_TRUE(run.window.statusPanel(2).isEmpty());
    EXPECT_TRUE(run.settings.GV_Erreurs.contains(refusal)) << run.settings.GV_Erreurs.toStdString();
    EXPECT_TRUE(run.prompt.shown().empty());

    // Opened by hand: its message, then another catalogue opens.
    EXPECT_FALSE(run.window.Open_Collection(damaged));
    ASSERT_EQ(run.prompt.shown().size(), 1u);
    EXPECT_TRUE(run.prompt.shown()[0].text.contains(refusal));
    EXPECT_TRUE(run.window.Open_Collection(v6));
    EXPECT_EQ(run.window.statusPanel(2), QStringLiteral("85 albums"));
}

TEST_F(KalvorformTest, ControlsShowTheLoadedSettingsAndRunTheirHandlers) {
    setValue(kConfig, QStringLiteral("collection"), QStringLiteral("21"));
    setValue(kConfig, QStringLiteral("split"), QStringLiteral("true"));
    setValue(kConfig, QStringLiteral("auteur"), QStringLiteral("2"));
    setValue(kConfig, QStringLiteral("image_accueil"), QStringLiteral("1"));
    setValue(kConfig, QStringLiteral("col_accueil"), QStringLiteral("3"));
    setValue(kConfig, QStringLiteral("ligne_accueil"), QStringLiteral("7"));
    ProgramRun run;
    EXPECT_TRUE(run.find<QCheckBox>("opt_revues")->isChecked());
    EXPECT_TRUE(run.find<QCheckBox>("opt_albums")->isChecked());
    EXPECT_FALSE(run.find<QCheckBox>("opt_acheter")->isChecked());
    EXPECT_TRUE(run.find<QRadioButton>("Opt_split_yes")->isChecked());
    EXPECT_FALSE(run.find<QLineEdit>("box_SplitGroup")->isHidden());
    EXPECT_TRUE(run.find<QRadioButton>("opt_auteur2")->isChecked());
    EXPECT_EQ(run.find<QComboBox>("box_col_accueil")->currentText(), QStringLiteral("3"));
    EXPECT_EQ(run.find<QComboBox>("box_ligne_accueil")->currentText(), QStringLiteral("7"));
    EXPECT_TRUE(run.find<QComboBox>("box_albums_accueil")->isHidden());

    // Clicks go through the handlers of the settings.
    run.find<QCheckBox>("opt_acheter")->click();
    EXPECT_EQ(run.settings.GV_Collection_Bits, QStringLiteral("23"));
    run.find<QRadioButton>("Opt_split_no")->click();
    EXPECT_TRUE(run.find<QLineEdit>("box_SplitGroup")->isHidden());
    run.find<QCheckBox>("opt_stats")->click();
    EXPECT_TRUE(run.window.TabNavig()->isTabEnabled(Settings::kTabStatistiques));
    run.find<QCheckBox>("opt_miniatures")->click();
    EXPECT_TRUE(run.window.TabNavig()->isTabEnabled(Settings::kTabMiniatures));
    EXPECT_EQ(run.find<QLineEdit>("box_prefix")->text(), QStringLiteral("m_"));
    EXPECT_FALSE(run.find<QLineEdit>("box_thumb_couvertures")->text().isEmpty());

    // The relative mode asks its question; Yes moves the thumbnail folders.
    run.prompt.queueAnswers({true});
    run.find<QRadioButton>("Opt_Relatif")->click();
    QCoreApplication::processEvents();  // asked once the click has returned
    EXPECT_EQ(run.find<QLineEdit>("box_thumb_couvertures")->text(),
              QStringLiteral("../Couvertures/thumbs"));
    EXPECT_TRUE(run.find<QLineEdit>("path_couvertures")->isHidden());
    EXPECT_FALSE(run.find<QRadioButton>("opt_path_exlibris")->isHidden());
    // A second click on the chosen option changes nothing and asks nothing.
    run.prompt.clear();
    run.find<QRadioButton>("Opt_Relatif")->click();
    QCoreApplication::processEvents();
    EXPECT_TRUE(run.prompt.shown().empty());

    // Leaving a box runs its check.
    run.type("box_SplitGroup", QStringLiteral("50"));
    EXPECT_EQ(run.find<QLineEdit>("box_SplitGroup")->text(), QStringLiteral("500"));
    EXPECT_TRUE(run.prompt.texts().contains(QStringLiteral("Minimum 100 !")));
    run.type("box_require", QStringLiteral("config"));
    EXPECT_EQ(run.settings.GV_Require, QStringLiteral("config/"));
    EXPECT_EQ(run.find<QLineEdit>("box_require")->text(), QStringLiteral("config/"));
}

TEST_F(KalvorformTest, ClosingSavesWhatTheWidgetsChangedForTheNextStart) {
    useCatalogue(QStringLiteral("Software\\Ormelo6"),
                 test::fixturePath(QStringLiteral("catalogue/catalogue-v6.mdb")));
    {
        ProgramRun run;
        run.type("box_titre", QStringLiteral("Mes Bandes Dessinées"));
        run.type("box_host", QStringLiteral("db.example"));
        run.find<QCheckBox>("opt_eo")->click();
        run.find<QRadioButton>("Opt_versoleft")->click();
        run.find<QRadioButton>("opt_latin1")->click();
        run.window.MSFlexGrid_Stats()->model().moveDown(1);
        run.window.close();
    }
    ProgramRun next;
    EXPECT_EQ(next.find<QLineEdit>("box_titre")->text(), QStringLiteral("Mes Bandes Dessinées"));
    EXPECT_EQ(next.find<QLineEdit>("box_host")->text(), QStringLiteral("db.example"));
    EXPECT_TRUE(next.find<QCheckBox>("opt_eo")->isChecked());
    EXPECT_TRUE(next.find<QRadioButton>("Opt_versoleft")->isChecked());
    EXPECT_EQ(next.settings.GV_Verso, QStringLiteral("left"));
    EXPECT_TRUE(next.find<QRadioButton>("opt_latin1")->isChecked());
    EXPECT_EQ(next.window.statsGrid().chart(1).code, QStringLiteral("ST02"));
}

// A settings file named relative to the folder the program starts in is that
// file for the whole run, wherever the catalogue lies.
TEST_F(KalvorformTest, ARelativeSettingsFileStaysTheOneOfTheStartFolder) {
    const QString folder = env.path() + QStringLiteral("/Collection");
    const QString base = folder + QStringLiteral("/catalogue.db");
    QDir().mkpath(folder);
    catalogue::BuildSqliteCatalogue(test::fixturePath(QStringLiteral("catalogue/catalogue-v6.sql")),
                                    base);
    useCatalogue(QStringLiteral("Software\\Ormelo6"), base);
    struct StartFolder {
        QString before = QDir::currentPath();
        ~StartFolder() { QDir::setCurrent(before); }
    } start;
    QDir::setCurrent(env.path());
    qputenv("KALVOR_REGISTRY", "registry.reg");
    Registry::reopenCurrentUser();
    {
        ProgramRun run;
        EXPECT_EQ(run.window.statusPanel(1), base);
        run.type("box_titre", QStringLiteral("Relatif"));
        run.window.close();
    }
    EXPECT_FALSE(QFileInfo::exists(folder + QStringLiteral("/registry.reg")));
    EXPECT_TRUE(test::readAll(env.registryPath()).contains("\"Titre\"=\"Relatif\""));
}

TEST_F(KalvorformTest, CommandLineLatinIsSavedAtExit) {
    {
        ProgramRun run(QStringLiteral("latin1"));
        EXPECT_TRUE(run.find<QRadioButton>("opt_latin1")->isChecked());
        run.window.fichier_quitter_Click();
    }
    EXPECT_EQ(general::Get_Registry_Value(HKEY_CURRENT_USER, kConfig, QStringLiteral("latin1"))
                  .toString()
                  .toLower(),
              QStringLiteral("true"));
}

TEST_F(KalvorformTest, SettingsThatCannotBeSavedAtExitAreReported) {
    setValue(kConfig, QStringLiteral("Titre"), QStringLiteral("Ma BD"));
    ProgramRun run;
    run.type("box_titre", QStringLiteral("Autre"));
    const QByteArray before = test::readAll(env.registryPath());
    {
        test::FileSizeLimit full(16);
        run.window.close();
    }
    EXPECT_EQ(test::readAll(env.registryPath()), before);
    ASSERT_EQ(run.prompt.shown().size(), 1u);
    EXPECT_TRUE(run.prompt.shown()[0].text.startsWith(
        QStringLiteral("Les réglages ne peuvent pas être enregistrés")));
}

TEST_F(KalvorformTest, NothingIsSavedWhenACommandLineExportRan) {
    setValue(kConfig, QStringLiteral("Titre"), QStringLiteral("Ma BD"));
    ProgramRun run;
    const QByteArray before = test::readAll(env.registryPath());
    run.settings.Mode_Commande = true;
    run.type("box_titre", QStringLiteral("Autre"));
    run.window.close();
    EXPECT_EQ(test::readAll(env.registryPath()), before);
}

TEST_F(KalvorformTest, OpeningAnotherCatalogueCountsItFirst) {
    const QString v6 = test::fixturePath(QStringLiteral("catalogue/catalogue-v6.mdb"));
    useCatalogue(QStringLiteral("Software\\Ormelo6"), v6);
    ProgramRun run;
    const QString repBase = run.settings.GV_Rep_Base;

    // A file that is no catalogue: a message, and the catalogue in use stays.
    const QString bad = env.path() + QStringLiteral("/notes.mdb");
    test::writeAll(bad, "pas une base");
    EXPECT_FALSE(run.window.Open_Collection(bad));
    ASSERT_EQ(run.prompt.shown().size(), 1u);
    EXPECT_EQ(run.prompt.shown()[0].icon, PromptIcon::Critical);
    EXPECT_TRUE(run.prompt.shown()[0].text.contains(bad));
    EXPECT_EQ(run.settings.GV_Chemin_Base, v6);
    EXPECT_EQ(run.window.statusPanel(2), QStringLiteral("85 albums"));

    const QString v5 = test::fixturePath(QStringLiteral("catalogue/catalogue-v5.mdb"));
    EXPECT_TRUE(run.window.Open_Collection(v5));
    EXPECT_EQ(run.settings.GV_Chemin_Base, v5);
    EXPECT_EQ(run.settings.GV_Rep_Base, repBase);  // the start-up folder stays
    EXPECT_EQ(run.window.statusPanel(1), v5);
    EXPECT_EQ(run.window.statusPanel(2), QStringLiteral("70 albums"));
}

TEST_F(KalvorformTest, AnOpenedCatalogueIsReadAsItsTablesSay) {
    const QString exportFolder = useExportFolder();
    setValue(kConfig, QStringLiteral("collection"), QStringLiteral("3"));  // and the wish list
    ProgramRun run;  // no key of the catalogue application: "v4"
    ASSERT_EQ(run.settings.GV_Version_Base, QStringLiteral("v4"));
    const QString v6 = test::fixturePath(QStringLiteral("catalogue/catalogue-v6.mdb"));
    ASSERT_TRUE(run.window.Open_Collection(v6));
    EXPECT_EQ(run.settings.GV_Version_Base, QStringLiteral("v6"));
    run.press("btn_Donnees_SQL");
    ASSERT_EQ(run.prompt.shown().size(), 1u);
    EXPECT_EQ(run.prompt.shown()[0].icon, PromptIcon::Information)
        << run.prompt.texts()[0].toStdString();
    EXPECT_TRUE(QFileInfo::exists(exportFolder + QStringLiteral("/scripts/donnees.sql")));

    // A SQLite file of neither generation is refused; the catalogue in use stays.
    run.prompt.clear();
    const QString script = env.path() + QStringLiteral("/autre.sql");
    test::writeAll(script,
                   "CREATE TABLE ALBUMS (IdAlbum INTEGER);\n"
                   "CREATE TABLE SERIES (IdSerie INTEGER);\n");
    const QString other = env.path() + QStringLiteral("/autre.sqlite");
    catalogue::BuildSqliteCatalogue(script, other);
    EXPECT_FALSE(run.window.Open_Collection(other));
    ASSERT_EQ(run.prompt.shown().size(), 1u);
    EXPECT_TRUE(run.prompt.texts()[0].contains(QStringLiteral("n'est pas une base Ormelo'")))
        << run.prompt.texts()[0].toStdString();
    EXPECT_EQ(run.settings.GV_Chemin_Base, v6);
    EXPECT_EQ(run.settings.GV_Version_Base, QStringLiteral("v6"));
    EXPECT_EQ(run.window.statusPanel(1), v6);

    // Back to the older generation: "v5" only with the application's v5 key.
    ASSERT_TRUE(run.window.Open_Collection(
        test::fixturePath(QStringLiteral("catalogue/catalogue-v5.mdb"))));
    EXPECT_EQ(run.settings.GV_Version_Base, QStringLiteral("v4"));
}

TEST_F(KalvorformTest, AtStartTheCatalogueTablesOutweighTheKeys) {
    useCatalogue(QStringLiteral("Software\\Ormelo6"),
                 test::fixturePath(QStringLiteral("catalogue/catalogue-v5.mdb")));
    ProgramRun run;
    EXPECT_EQ(run.settings.GV_Version_Base, QStringLiteral("v4"));
    EXPECT_EQ(run.window.statusPanel(2), QStringLiteral("70 albums"));
}

// Named in the settings, a file of neither generation is no catalogue either:
// noted and logged as one that cannot be read, and no counts shown.
TEST_F(KalvorformTest, AtStartAFileOfNeitherGenerationIsNoCatalogue) {
    const QString script = env.path() + QStringLiteral("/autre.sql");
    test::writeAll(script,
                   "CREATE TABLE ALBUMS (IdAlbum INTEGER);\n"
                   "CREATE TABLE SERIES (IdSerie INTEGER);\n"
                   "INSERT INTO ALBUMS VALUES (1);\n");
    const QString other = env.path() + QStringLiteral("/autre.sqlite");
    catalogue::BuildSqliteCatalogue(script, other);
    useCatalogue(QStringLiteral("Software\\Ormelo6"), other);
    ProgramRun run;
    EXPECT_TRUE(run.window.statusPanel(1).isEmpty());
    EXPECT_TRUE(run.window.statusPanel(2).isEmpty());
    EXPECT_EQ(run.settings.GV_Erreurs.count(QStringLiteral("\nerreur : ")), 1);
    EXPECT_TRUE(run.settings.GV_Erreurs.contains(
        QStringLiteral("Le fichier « %1 » n'est pas une base Ormelo'").arg(other)))
        << run.settings.GV_Erreurs.toStdString();
    EXPECT_TRUE(QString::fromUtf8(test::readAll(general::Log_Path()))
                    .startsWith(QStringLiteral("Kalvorform.form_load")));
    EXPECT_TRUE(run.prompt.shown().empty());
}

TEST_F(KalvorformTest, CaptionsOfUnnamedCustomFieldsAndOfTheLastExportDate) {
    setValue(QStringLiteral("Software\\Orme Lo v4\\Config"), QStringLiteral("Perso2"),
             QStringLiteral("Prêté à : "));
    ProgramRun run;
    EXPECT_EQ(run.find<QCheckBox>("opt_perso1")->text(), QStringLiteral("Perso 1"));
    EXPECT_EQ(run.find<QCheckBox>("opt_perso2")->text(), QStringLiteral("Prêté à"));
    EXPECT_EQ(run.find<QCheckBox>("opt_perso4")->text(), QStringLiteral("Perso 4"));
    EXPECT_TRUE(run.settings.GV_Perso1.isEmpty());  // what the site is given stays
    EXPECT_EQ(run.find<QLabel>("lbl_lastrun")->text(), QStringLiteral("après le (jj/mm/aaaa) :"));
}

TEST(QtFrench, QtDialogsSpeakFrench) {
    QTranslator* french = InstallQtFrench();
    ASSERT_NE(french, nullptr);
    QFileDialog dialog;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    auto* lookIn = dialog.findChild<QLabel*>(QStringLiteral("lookInLabel"));
    ASSERT_NE(lookIn, nullptr);
    EXPECT_EQ(lookIn->text(), QCoreApplication::translate("QFileDialog", "Look in:"));
    EXPECT_NE(lookIn->text(), QStringLiteral("Look in:"));
    EXPECT_EQ(QCoreApplication::translate("QPrintDialog", "Print"), QStringLiteral("Imprimer"));
    QCoreApplication::removeTranslator(french);
    delete french;
}

// Writes the window as the sample catalogue shows it, when asked to.
TEST_F(KalvorformTest, Screenshot) {
    const QString target = qEnvironmentVariable("KALVOR_SCREENSHOT");
    QString catalogue = test::sourceDir() + QStringLiteral("/samples/catalogue-v6.mdb");
    if (!target.isEmpty()) {
        // Where a collector keeps it, so that the picture shows no path of the
        // machine that took it (run with HOME set to a neutral folder).
        const QString kept = QDir::homePath() + QStringLiteral("/bd/collection.mdb");
        QDir().mkpath(QFileInfo(kept).path());
        QFile::remove(kept);
        ASSERT_TRUE(QFile::copy(catalogue, kept));
        catalogue = kept;
    }
    useCatalogue(QStringLiteral("Software\\Ormelo6"), catalogue);
    // The store that scripts/run writes at a first start.
    setValue(QStringLiteral("software\\Kalvor\\Repertoires"), QStringLiteral("Export"),
             QDir::homePath() + QStringLiteral("/kalvor-export"));
    ProgramRun run;
    run.window.resize(run.window.sizeHint());
    const QPixmap shot = run.window.grab();
    EXPECT_FALSE(shot.isNull());
    if (!target.isEmpty()) {
        const int tab = qEnvironmentVariableIntValue("KALVOR_SCREENSHOT_TAB");
        run.window.TabNavig()->setCurrentIndex(tab);
        EXPECT_TRUE(run.window.grab().save(target));
    }
}

TEST_F(KalvorformTest, GenerationButtonsWriteIntoTheExportFolder) {
    QString exportFolder = useExportFolder();
    useCatalogue(QStringLiteral("Software\\Ormelo6"),
                 test::fixturePath(QStringLiteral("catalogue/catalogue-v6.mdb")));
    ProgramRun run;
    typeServer(run);
    run.type("box_prefixe_table", QStringLiteral("kv_"));

    // Set as a screen reader or a dictation tool sets them, without key
    // presses: boxes that act when left act at once.
    const auto dictate = [&](const char* box, const QString& text) {
        QAccessible::queryAccessibleInterface(run.find<QLineEdit>(box))
            ->setText(QAccessible::Value, text);
    };
    dictate("box_titre", QStringLiteral("Dicté"));
    dictate("path_couvertures", QStringLiteral("images\\covers\\"));
    dictate("box_phpexport", QStringLiteral("/nowhere"));
    EXPECT_EQ(run.prompt.texts(), QStringList{QStringLiteral("Ce répertoire n'existe pas !")});
    exportFolder += QStringLiteral("/dicté");
    QDir().mkpath(exportFolder);
    dictate("box_phpexport", exportFolder);
    dictate("box_baspage", QStringLiteral("5e1"));
    EXPECT_EQ(run.find<QLineEdit>("box_baspage")->text(), QStringLiteral("25"));
    // A paste through the same interface.
    QAccessible::queryAccessibleInterface(run.find<QLineEdit>("box_require"))
        ->editableTextInterface()
        ->insertText(0, QStringLiteral("config"));
    EXPECT_EQ(run.settings.GV_Require, QStringLiteral("config/"));
    run.prompt.clear();

    run.find<QPushButton>("btn_Create_Config")->click();
    const QString config =
        QString::fromLatin1(test::readAll(exportFolder + QStringLiteral("/require.php")));
    EXPECT_TRUE(config.contains(QStringLiteral("\"Dicté\";")))
        << run.prompt.texts().join(u'|').toStdString();
    EXPECT_TRUE(config.contains(QStringLiteral("\"images/covers\";")));
    run.find<QPushButton>("btn_Create_Structure")->click();
    const QString tables =
        QString::fromLatin1(test::readAll(exportFolder + QStringLiteral("/scripts/tables.sql")));
    EXPECT_TRUE(tables.contains(QStringLiteral("kv_albums")));
    run.press("btn_Donnees_SQL");
    EXPECT_TRUE(QFileInfo::exists(exportFolder + QStringLiteral("/scripts/donnees.sql")));
    EXPECT_TRUE(run.settings.GV_LastRun_Changed);
    for (const RecordingPrompt::Shown& shown : run.prompt.shown()) {
        EXPECT_EQ(shown.icon, PromptIcon::Information) << shown.text.toStdString();
    }
    run.window.close();
    EXPECT_EQ(
        general::Get_Registry_Value(HKEY_CURRENT_USER, kConfig, QStringLiteral("Titre")).toString(),
        QStringLiteral("Dicté"));
}

// Rank 1 set by keys empties the ranks below: the dialog refuses to close,
// and neither require.php nor the settings take that order. Closing the
// window with the dialog still open ends the program.
TEST_F(KalvorformTest, ARefusedSortOrderIsNotKeptAndTheDialogGoesWithTheWindow) {
    const QString exportFolder = useExportFolder();
    useCatalogue(QStringLiteral("Software\\Ormelo6"),
                 test::fixturePath(QStringLiteral("catalogue/catalogue-v6.mdb")));
    ProgramRun run;
    typeServer(run);
    run.window.show();
    run.find<QPushButton>("btn_TriPara")->click();
    FrmPara* para = FrmPara::Default();
    ASSERT_NE(para, nullptr);
    QTest::keyClick(para->cbo_para_tri(1), Qt::Key_Down);
    ASSERT_EQ(para->cbo_para_tri(1)->currentText(), QStringLiteral("Editeur"));
    para->btn_annuler()->click();
    EXPECT_EQ(run.prompt.texts(),
              QStringList{QStringLiteral("Tous les champs doivent être renseignés")});
    EXPECT_TRUE(para->isVisible());

    run.find<QPushButton>("btn_Create_Config")->click();
    const QString config =
        QString::fromLatin1(test::readAll(exportFolder + QStringLiteral("/require.php")));
    EXPECT_TRUE(config.contains(QStringLiteral("\"typeobjet,a.editeur,c.num,numero,")))
        << config.toStdString();

    // Alt+F4, the program's event loop running.
    QTimer::singleShot(0, &run.window, [&run] { run.window.close(); });
    QTimer::singleShot(5000, &run.window, [] { QCoreApplication::exit(1); });
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_EQ(FrmPara::Default(), nullptr);
    EXPECT_EQ(general::Get_Registry_Value(HKEY_CURRENT_USER, kConfig, QStringLiteral("Tri_Para1"))
                  .toString(),
              QStringLiteral("typeobjet"));
}

// PHP takes "08" for no number and "010" for an octal 8.
TEST_F(KalvorformTest, NumbersTypedWithLeadingZerosReachRequirePhpAsTheirValue) {
    const QString exportFolder = useExportFolder();
    setValue(kConfig, QStringLiteral("image_accueil"), QStringLiteral("1"));
    setValue(kConfig, QStringLiteral("col_accueil"), QStringLiteral("1"));  // "Auto"
    ProgramRun run;
    typeServer(run);
    run.type("box_series_accueil", QStringLiteral("08"));
    run.find<QCheckBox>("opt_baspage")->click();
    run.type("box_baspage", QStringLiteral("019"));
    ASSERT_EQ(run.find<QLineEdit>("box_baspage")->text(), QStringLiteral("019"));
    run.find<QPushButton>("btn_Create_Config")->click();
    const QString path = exportFolder + QStringLiteral("/require.php");
    const QString text = QString::fromLatin1(test::readAll(path));
    EXPECT_TRUE(text.contains(QStringLiteral("\r\n$GV_series_accueil = 8; ")));
    EXPECT_TRUE(text.contains(QStringLiteral("\r\n$GV_ligne_accueil  = 12; ")));
    EXPECT_TRUE(text.contains(QStringLiteral("\r\n$GV_taille_baspage = 19; ")));
    run.type("box_series_accueil", QStringLiteral("010"));
    run.find<QPushButton>("btn_Create_Config")->click();
    EXPECT_TRUE(QString::fromLatin1(test::readAll(path))
                    .contains(QStringLiteral("\r\n$GV_series_accueil = 10; ")));
    // A count that is none is named as the screen names its box.
    const QString label = run.find<QLabel>("lbl_series_accueil")->text().chopped(2);
    run.type("box_series_accueil", QStringLiteral("dix"));
    run.prompt.clear();
    run.find<QPushButton>("btn_Create_Config")->click();
    ASSERT_EQ(run.prompt.texts().size(), 1);
    EXPECT_TRUE(run.prompt.texts()[0].startsWith(QStringLiteral("Le champ « ") + label +
                                                 QStringLiteral(" » doit être")));
    if (QStandardPaths::findExecutable(QStringLiteral("php")).isEmpty()) {
        GTEST_SKIP() << "php is not installed";
    }
    QProcess lint;
    lint.start(QStringLiteral("php"), {QStringLiteral("-l"), path});
    lint.waitForFinished(30000);
    EXPECT_EQ(lint.exitCode(), 0) << lint.readAllStandardOutput().toStdString();
}

// Left with no number, the box gets its last group back; a window closed
// from the box saves that group, and the next start shows no warning.
TEST_F(KalvorformTest, TheSplitGroupStaysANumberHoweverTheBoxIsLeft) {
    setValue(kConfig, QStringLiteral("split"), QStringLiteral("true"));
    setValue(kConfig, QStringLiteral("splitgroup"), QStringLiteral("800"));
    {
        ProgramRun run;
        EXPECT_TRUE(run.prompt.shown().empty());
        run.type("box_SplitGroup", QStringLiteral("x"));
        EXPECT_EQ(run.find<QLineEdit>("box_SplitGroup")->text(), QStringLiteral("800"));
        ASSERT_FALSE(run.prompt.texts().isEmpty());
        EXPECT_TRUE(run.prompt.texts().last().startsWith(QStringLiteral("Veuillez entrer")));
        EXPECT_FALSE(run.prompt.texts().contains(QStringLiteral("Minimum 100 !")));

        // Set whole, as a dictation tool does: refused once.
        run.prompt.clear();
        QAccessible::queryAccessibleInterface(run.find<QLineEdit>("box_SplitGroup"))
            ->setText(QAccessible::Value, QStringLiteral("12.5"));
        EXPECT_EQ(run.prompt.texts().size(), 1) << run.prompt.texts().join(u'|').toStdString();
        EXPECT_EQ(run.find<QLineEdit>("box_SplitGroup")->text(), QStringLiteral("800"));

        auto* box = run.find<QLineEdit>("box_SplitGroup");
        box->selectAll();
        box->insert(QStringLiteral("x"));
        ASSERT_EQ(run.settings.box_SplitGroup, QStringLiteral("x"));
        run.window.close();
    }
    EXPECT_EQ(general::Get_Registry_Value(HKEY_CURRENT_USER, kConfig, QStringLiteral("splitgroup"))
                  .toString(),
              QStringLiteral("800"));
    ProgramRun next;
    EXPECT_TRUE(next.prompt.shown().empty());
    EXPECT_EQ(next.find<QLineEdit>("box_SplitGroup")->text(), QStringLiteral("800"));
}

// A scheduled export runs while the window is open, after the window's own
// export: closing the window must not put back its older marks.
TEST_F(KalvorformTest, TheMarksOfALaterExportElsewhereOutliveTheWindow) {
    useExportFolder();
    const QString base = env.path() + QStringLiteral("/catalogue.db");
    catalogue::BuildSqliteCatalogue(test::fixturePath(QStringLiteral("catalogue/catalogue-v6.sql")),
                                    base);
    useCatalogue(QStringLiteral("Software\\Ormelo6"), base);
    setValue(kConfig, QStringLiteral("collection"), QStringLiteral("23"));
    const auto onDisk = [&](const char* name) {
        return Registry(env.registryPath(), env.path())
            .value(kConfig, QString::fromLatin1(name))
            .value_or(QStringLiteral("(absent)"));
    };

    ProgramRun run;
    // The catalogue loses an album while the window is open.
    const int counted = run.window.statusPanel(2).section(u' ', 0, 0).toInt();
    {
        auto db = dao::DBEngine::OpenDatabase(base);
        db->Execute(
            QStringLiteral("DELETE FROM ALBUMS WHERE IdAlbum = (SELECT min(IdAlbum) "
                           "FROM ALBUMS)"));
        db->Close();
    }
    run.press("btn_Donnees_SQL");
    EXPECT_EQ(run.window.statusPanel(2), QStringLiteral("%1 albums").arg(counted - 1));
    // Saved as the export ends.
    const QString windowLastId = QString::number(run.settings.GV_LastId);
    const QString windowLastIdRevue = QString::number(run.settings.GV_LastIdRevue);
    EXPECT_EQ(onDisk("lastid"), windowLastId);
    EXPECT_EQ(onDisk("lastidrevue"), windowLastIdRevue);

    // The catalogue gains a wish-list album and a magazine issue, and the
    // scheduled job exports them.
    {
        auto db = dao::DBEngine::OpenDatabase(base);
        db->Execute(QStringLiteral("UPDATE ALBUMS SET IdAlbum = 9001 WHERE IdAlbum = ") +
                    windowLastId);
        db->Execute(QStringLiteral("UPDATE REVUES SET IdRevue = 9002 WHERE IdRevue = ") +
                    windowLastIdRevue);
        db->Close();
    }
    const test::Job job = test::runProgram(env, {QStringLiteral("dernieres_donnees")});
    ASSERT_EQ(job.exitCode, 0) << job.output.toStdString();
    EXPECT_EQ(onDisk("lastid"), QStringLiteral("9001"));
    EXPECT_EQ(onDisk("lastidrevue"), QStringLiteral("9002"));

    run.type("box_titre", QStringLiteral("Autre titre"));
    run.window.close();
    EXPECT_EQ(onDisk("Titre"), QStringLiteral("Autre titre"));
    EXPECT_EQ(onDisk("lastid"), QStringLiteral("9001"));
    EXPECT_EQ(onDisk("lastidrevue"), QStringLiteral("9002"));
}

TEST_F(KalvorformTest, IncrementalExportButtonFollowsTheLastExport) {
    {
        useExportFolder();
        useCatalogue(QStringLiteral("Software\\Ormelo6"),
                     test::fixturePath(QStringLiteral("catalogue/catalogue-v6.mdb")));
        vb::ScopedClock clock{QDateTime(QDate(2024, 2, 1), QTime(9, 0))};
        ProgramRun never;
        auto* button = never.find<QPushButton>("btn_LastDonnees_SQL");
        EXPECT_FALSE(button->isEnabled());
        EXPECT_TRUE(never.find<QLineEdit>("box_LastRun")->isHidden());
        // The first export, a full one, makes the next one possible at once.
        never.press("btn_Donnees_SQL");
        EXPECT_TRUE(button->isEnabled()) << never.prompt.texts().join(' ').toStdString();
        EXPECT_EQ(never.find<QLineEdit>("box_LastRun")->text(), QStringLiteral("01/02/2024"));
        EXPECT_FALSE(never.find<QLineEdit>("box_LastRun")->isHidden());
    }
    setValue(kConfig, QStringLiteral("Lastrun"), QStringLiteral("01/02/2024"));
    ProgramRun run;
    auto* button = run.find<QPushButton>("btn_LastDonnees_SQL");
    EXPECT_TRUE(button->isEnabled());
    EXPECT_EQ(button->toolTip(),
              QStringLiteral("crée le fichier dernieres_donnees.sql (albums ajoutés depuis le "
                             "01/02/2024)"));
    EXPECT_EQ(run.find<QLineEdit>("box_LastRun")->text(), QStringLiteral("01/02/2024"));
    EXPECT_FALSE(run.find<QLineEdit>("box_LastRun")->isHidden());
    // The tip names the date the export reads: the one in the box.
    run.type("box_LastRun", QStringLiteral("15/01/2024"));
    EXPECT_TRUE(button->toolTip().endsWith(QStringLiteral("depuis le 15/01/2024)")));
}

TEST_F(KalvorformTest, ClosingTheWindowDuringARecoveryWaitsForItsEnd) {
    const QString base = env.path() + QStringLiteral("/recovery.db");
    recovery::CreateRecoveryDatabase(
        test::fixturePath(QStringLiteral("catalogue/catalogue-v5.sql")), base);
    test::FakeSite site;
    site.setReply(QStringLiteral("series"),
                  test::FakeSite::row({"1", "Série", "", "", "", "", "0"}));
    ProgramRun run;
    run.settings.box_site = site.url();
    run.settings.box_password = QStringLiteral("secret");
    run.window.show();
    run.window.recovery_Click();
    FrmRecovery::Default()->setDatabaseChooser([&] { return base; });
    bool openAfterClose = false;
    site.onRequest = [&](const QString& table) {
        if (table == QStringLiteral("auteurs")) {
            run.window.close();
            openAfterClose = run.window.isVisible();
        }
    };
    FrmRecovery::Default()->btn_process()->click();
    test::waitForWork(run.window.work());
    EXPECT_TRUE(openAfterClose);
    EXPECT_EQ(run.prompt.texts(), QStringList{QStringLiteral("Récupération réussie")});
    EXPECT_EQ(site.requests().size(), 7);
    QCoreApplication::processEvents();
    EXPECT_FALSE(run.window.isVisible());
}

// What each control holds and shows; the window's own ones with their state.
QStringList valuesOf(QWidget* root) {
    QStringList out{root->objectName() + (root->isVisible() ? u'+' : u'-')};
    for (QWidget* w : root->findChildren<QWidget*>()) {
        const QString name = w->objectName() + u'=';
        if (auto* box = qobject_cast<QLineEdit*>(w)) {
            out << name + box->text();
        } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            out << name + (button->isChecked() ? u'1' : u'0');
        } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
            out << name + combo->currentText();
        } else if (auto* view = qobject_cast<QAbstractItemView*>(w)) {
            for (const QModelIndex& index : view->selectionModel()->selectedIndexes()) {
                out << name + index.data().toString();
            }
        } else if (auto* label = qobject_cast<QLabel*>(w)) {
            out << name + label->text();
        }
    }
    return out;
}

// Every action of every control, a text set and pasted in every box, each
// action of the first cells of every list; the controls that read enabled
// meanwhile are named in `enabled`.
void actOnEverything(QWidget* root, QStringList& enabled) {
    QList<QWidget*> widgets = root->findChildren<QWidget*>();
    widgets.prepend(root);
    const auto actOn = [](QAccessibleInterface* control) {
        if (QAccessibleActionInterface* actions = control->actionInterface()) {
            for (const QString& action : actions->actionNames()) {
                actions->doAction(action);
            }
        }
    };
    for (QWidget* w : widgets) {
        QAccessibleInterface* control = QAccessible::queryAccessibleInterface(w);
        if (control == nullptr || !w->isVisibleTo(root)) {
            continue;
        }
        const bool acts = control->actionInterface() != nullptr &&
                          !control->actionInterface()->actionNames().isEmpty();
        if ((acts || qobject_cast<QLineEdit*>(w) != nullptr) && !control->state().disabled) {
            enabled << w->objectName();
        }
        if (qobject_cast<QLineEdit*>(w) != nullptr) {
            control->setText(QAccessible::Value, QStringLiteral("dicté"));
            if (QAccessibleEditableTextInterface* paste = control->editableTextInterface()) {
                paste->insertText(0, QStringLiteral("collé"));
            }
        }
        actOn(control);
        if (qobject_cast<QAbstractItemView*>(w) != nullptr) {
            for (int i = 0; i < std::min(control->childCount(), 6); ++i) {
                actOn(control->child(i));
            }
        }
    }
}

// The items of every list, tree and grid under `root` that read enabled, or
// focused while their list has no focus.
void itemsAlive(QWidget* root, QStringList& alive) {
    for (QAbstractItemView* view : root->findChildren<QAbstractItemView*>()) {
        QAccessibleInterface* list = QAccessible::queryAccessibleInterface(view);
        for (int i = 0; i < list->childCount(); ++i) {
            const QAccessible::State state = list->child(i)->state();
            if (!state.disabled || (state.focused && !view->hasFocus())) {
                alive << view->objectName() + u'[' + QString::number(i) + u']';
            }
        }
    }
}

// The objects of the whole application that read as having the focus.
int focusedObjects(QAccessibleInterface* object) {
    int focused = object->state().focused ? 1 : 0;
    for (int i = 0; i < object->childCount(); ++i) {
        focused += focusedObjects(object->child(i));
    }
    return focused;
}

// While a recovery runs, the renamer view, the folder chooser and the sort
// dialog left open take nothing: pressed, toggled and set, each keeps its
// value and reads disabled. So does the recovery's own site.
TEST_F(KalvorformTest, NothingActsWhileWorkRuns) {
    const QString base = env.path() + QStringLiteral("/recovery.db");
    recovery::CreateRecoveryDatabase(
        test::fixturePath(QStringLiteral("catalogue/catalogue-v5.sql")), base);
    const QString folders = env.path() + QStringLiteral("/dossiers");
    for (const char* sub : {"/a", "/b", "/c"}) {
        QDir().mkpath(folders + QString::fromLatin1(sub));
        QFile file(folders + QString::fromLatin1(sub) + QStringLiteral(".jpg"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    test::FakeSite site;
    site.setReply(QStringLiteral("series"),
                  test::FakeSite::row({"1", "Série", "", "", "", "", "0"}));
    ProgramRun run;
    run.settings.box_site = site.url();
    run.settings.box_password = QStringLiteral("secret");
    run.settings.GV_Export = folders + QStringLiteral("/a");
    run.window.show();
    run.window.FrameRenommer()->Form_Load(folders + u'/');
    run.find<QPushButton>("btn_open_path")->click();
    FrmChoixDir* chooser = FrmChoixDir::Default();
    ASSERT_NE(chooser, nullptr);
    chooser->DirList_Click(folders + QStringLiteral("/b"));
    ASSERT_TRUE(chooser->btOK()->isEnabled());
    run.find<QPushButton>("btn_TriPara")->click();
    run.window.recovery_Click();
    FrmRecovery* recovery = FrmRecovery::Default();
    recovery->setDatabaseChooser([&] { return base; });
    QWidget* roots[] = {run.window.FrameRenommer(), chooser, FrmPara::Default()};
    // Read once as a reader does, which marks the item each combo box shows.
    focusedObjects(QAccessible::queryAccessibleInterface(qApp));
    QList<QStringList> before;
    for (QWidget* root : roots) {
        before << valuesOf(root);
    }
    const QString exportBefore = run.settings.GV_Export;
    const QString sortBefore = run.settings.GV_Tri_Para_1;
    QStringList enabled;
    QStringList itemsEnabled;
    int focused = 0;
    site.onRequest = [&](const QString& table) {
        if (table == QStringLiteral("auteurs")) {
            for (QWidget* root : roots) {
                actOnEverything(root, enabled);
            }
            actOnEverything(recovery->box_site(), enabled);
            itemsAlive(&run.window, itemsEnabled);
            itemsAlive(chooser, itemsEnabled);
            itemsAlive(FrmPara::Default(), itemsEnabled);
            focused = focusedObjects(QAccessible::queryAccessibleInterface(qApp));
        }
    };
    recovery->btn_process()->click();
    test::waitForWork(run.window.work());
    EXPECT_EQ(enabled.join(u' ').toStdString(), "");
    EXPECT_EQ(itemsEnabled.join(u' ').toStdString(), "");
    EXPECT_EQ(focused, 1);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(valuesOf(roots[i]).join(u'|').toStdString(), before[i].join(u'|').toStdString());
    }
    EXPECT_EQ(recovery->box_site()->text(), site.url());
    EXPECT_EQ(run.settings.GV_Export, exportBefore);
    EXPECT_EQ(run.settings.GV_Tri_Para_1, sortBefore);
    EXPECT_EQ(run.prompt.texts(), QStringList{QStringLiteral("Récupération réussie")});
    // Once the work has ended they all take input again.
    EXPECT_TRUE(chooser->btOK()->isEnabled());
    EXPECT_TRUE(run.find<QLineEdit>("box_caract_from")->isEnabled());
    EXPECT_TRUE(recovery->box_site()->isEnabled());
}

// An assistive tool's call returns before the box that its action shows: the
// box would hold the call until the tool gives up, unread meanwhile.
TEST_F(KalvorformTest, BoxesComeOnceTheActionHasReturned) {
    Settings settings;
    Kalvorform window(settings);  // its own message boxes
    start_up::Form_Load(settings, CommandLine::Parse(QString()), window.prompt());
    window.Form_Load_Interactive();
    window.show();
    struct Seen {
        QString text;
        bool duringCall;
        QString status;           // of the recovery dialog, as the box is read
        QPointer<QWidget> owner;  // where the focus goes back
    };
    QList<Seen> seen;
    bool duringCall = false;
    QPointer<QWidget> reading;
    QTimer reader;  // reads each box, then answers it, Yes to a question
    QObject::connect(&reader, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || modal != reading) {
            reading = modal;
            if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                seen.append({box->text(), duringCall, {}, box->parentWidget()});
            } else if (modal != nullptr) {
                seen.append({modal->windowTitle(), duringCall, {}, modal->parentWidget()});
            }
            return;
        }
        if (FrmRecovery::Default() != nullptr) {
            seen.last().status = FrmRecovery::Default()->statusText();
        }
        reading = nullptr;
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            QAbstractButton* answer = box->button(QMessageBox::Yes);
            (answer != nullptr ? answer : box->button(QMessageBox::Ok))->click();
        } else if (auto* dialog = qobject_cast<QDialog*>(modal)) {
            dialog->reject();
        }
    });
    reader.start(5);
    // Every action here shows one box: wait until it is read, then let
    // anything still queued come up, so that a second box is seen too.
    const auto awaitTheBox = [&] {
        const auto settled = [&] {
            return !seen.isEmpty() && QApplication::activeModalWidget() == nullptr;
        };
        EXPECT_TRUE(QTest::qWaitFor(settled, 30000));
        QCoreApplication::processEvents();
        EXPECT_TRUE(QTest::qWaitFor(settled, 30000));
    };
    const auto call = [&](const std::function<void()>& action) {
        seen.clear();
        duringCall = true;
        action();
        duringCall = false;
        awaitTheBox();
        QStringList texts;
        for (const Seen& s : seen) {
            EXPECT_FALSE(s.duringCall) << s.text.toStdString();
            texts << s.text;
        }
        return texts;
    };
    const auto setText = [&](const char* box, const QString& text) {
        return call([&] {
            QAccessible::queryAccessibleInterface(window.findChild<QLineEdit*>(box))
                ->setText(QAccessible::Value, text);
        });
    };
    const auto toggle = [&](const char* option) {
        return call([&] {
            QAccessible::queryAccessibleInterface(window.findChild<QRadioButton*>(option))
                ->actionInterface()
                ->doAction(QAccessibleActionInterface::toggleAction());
        });
    };
    const auto menu = [&](const char* item) {
        return call([&] { window.findChild<QAction*>(item)->trigger(); });
    };

    EXPECT_EQ(setText("box_baspage", QStringLiteral("12.5")).size(), 1);
    EXPECT_EQ(settings.box_baspage, QStringLiteral("25"));
    const QStringList prefix = setText("box_prefixe_table", QStringLiteral("漫_"));
    ASSERT_EQ(prefix.size(), 1);
    EXPECT_TRUE(prefix[0].contains(QStringLiteral("« 漫 »"))) << prefix[0].toStdString();
    EXPECT_EQ(
        toggle("Opt_Relatif"),
        QStringList{QStringLiteral("modifier les répertoires des miniatures en conséquence ?")});
    EXPECT_TRUE(settings.Opt_Relatif());
    EXPECT_EQ(settings.box_thumb_couvertures, QStringLiteral("../Couvertures/thumbs"));
    EXPECT_EQ(toggle("Opt_Sousrep").size(), 1);
    EXPECT_EQ(settings.box_thumb_couvertures, QStringLiteral("Couvertures/thumbs"));
    EXPECT_EQ(toggle("opt_path_exlibris").size(), 1);
    EXPECT_EQ(menu("aide_aide").size(), 1);
    EXPECT_EQ(menu("fichier_ouvrir"), QStringList{QStringLiteral("Ouvrir une Collection")});

    // A dialog's box belongs to it: the focus comes back there.
    window.TabNavig()->setCurrentIndex(2);
    window.findChild<QPushButton*>(QStringLiteral("btn_TriPara"))->click();
    FrmPara* para = FrmPara::Default();
    ASSERT_TRUE(QTest::qWaitForWindowActive(para));
    QTest::keyClick(para->cbo_para_tri(1), Qt::Key_Down);
    const QStringList refused = call([&] { para->btn_annuler()->click(); });
    EXPECT_EQ(refused, QStringList{QStringLiteral("Tous les champs doivent être renseignés")});
    EXPECT_EQ(seen.value(0).owner, para);
    para->btn_tri_defaut()->click();
    para->close();

    // The question to empty the base, then the box of a failed recovery,
    // read with the status line cleared.
    const QString base = env.path() + QStringLiteral("/recovery.db");
    recovery::CreateRecoveryDatabase(
        test::fixturePath(QStringLiteral("catalogue/catalogue-v5.sql")), base);
    {
        auto db = dao::DBEngine::OpenDatabase(base);
        db->Execute(QStringLiteral("insert into revues (idRevue, NomRevue) values (7, 'Vieille')"));
    }
    test::FakeSite site;
    settings.box_site = site.url();
    settings.box_password = QStringLiteral("autre");
    window.recovery_Click();
    ASSERT_TRUE(QTest::qWaitForWindowActive(FrmRecovery::Default()));
    FrmRecovery::Default()->setDatabaseChooser([&] { return base; });
    seen.clear();
    FrmRecovery::Default()->btn_process()->click();
    test::waitForWork(window.work());
    awaitTheBox();
    ASSERT_EQ(seen.size(), 2);
    EXPECT_EQ(seen[0].text,
              QStringLiteral("la base Recovery n'est pas vide - Voulez-vous la vider ?"));
    EXPECT_EQ(seen[0].owner, FrmRecovery::Default());
    EXPECT_TRUE(seen[1].text.startsWith(QStringLiteral("Mot de passe invalide !")))
        << seen[1].text.toStdString();
    EXPECT_EQ(seen[1].status, QString());
    FrmRecovery::Default()->close();

    // A box whose window goes before it is read: the boxes after it come.
    auto* passing = new QDialog(&window);
    passing->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(passing));
    reader.stop();
    window.prompt().message(QStringLiteral("Premier"), kBanner, PromptIcon::Information);
    window.prompt().message(QStringLiteral("Second"), kBanner, PromptIcon::Information);
    ASSERT_TRUE(QTest::qWaitFor([] { return QApplication::activeModalWidget() != nullptr; }));
    EXPECT_EQ(QApplication::activeModalWidget()->parentWidget(), passing);
    delete passing;
    seen.clear();
    reader.start(5);
    awaitTheBox();
    ASSERT_EQ(seen.size(), 1);
    EXPECT_EQ(seen[0].text, QStringLiteral("Second"));

    // Said while leaving: read before the program ends.
    window.prompt().message(QStringLiteral("Dernier mot"), kBanner, PromptIcon::Information);
    seen.clear();
    window.close();
    ASSERT_EQ(seen.size(), 1);
    EXPECT_EQ(seen[0].text, QStringLiteral("Dernier mot"));
}
