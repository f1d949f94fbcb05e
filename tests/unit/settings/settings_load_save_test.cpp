#include <QFile>
#include <QMap>

#include <gtest/gtest.h>

#include "common/general.h"
#include "platform/prompt.h"
#include "platform/registry/registry.h"
#include "qt_printers.h"
#include "settings/settings.h"
#include "settings/settings_store.h"
#include "support/test_paths.h"

using namespace kalvor;

namespace {

const QString kConfig = QStringLiteral("software\\Kalvor\\Config");
const QString kFolders = QStringLiteral("software\\Kalvor\\Repertoires");

void setConfig(const QString& name, const QString& value) {
    general::Set_Registry_Value(HKEY_CURRENT_USER, kConfig, name, value);
}
const QString kAbsent = QStringLiteral("<absent>");
QString stored(const QVariant& v) {
    return v.typeId() == QMetaType::QString ? v.toString() : kAbsent;
}
QString config(const QString& name) {
    return stored(general::Get_Registry_Value(HKEY_CURRENT_USER, kConfig, name));
}
QString folder(const QString& name) {
    return stored(general::Get_Registry_Value(HKEY_CURRENT_USER, kFolders, name));
}

// A settings object as the start-up makes it, loaded from the store.
struct Loaded {
    RecordingPrompt prompt;
    Settings s;
    explicit Loaded(const QString& version = QStringLiteral("v6")) {
        s.GV_Version_Base = version;
        s.GV_Rep_Base = QStringLiteral("/srv/catalogue/");
        s.Check_Config(prompt);
    }
};

QStringList readErrors(const QString& errors) {
    QStringList lines;
    for (const QString& line : errors.split(u'\n')) {
        if (line.startsWith(QStringLiteral("erreur"))) {
            lines << line;
        }
    }
    return lines;
}

QString logText() {
    QFile f(general::Log_Path());
    if (general::Log_Path().isEmpty() || !f.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QString::fromUtf8(f.readAll());
}

}  // namespace

TEST(SettingsLoad, AnEmptyStoreGivesEveryDefault) {
    test::IsolatedEnvironment env;
    Loaded l;
    const Settings& s = l.s;

    EXPECT_EQ(s.GV_Export, env.programFolder());
    EXPECT_EQ(s.box_phpexport, env.programFolder());
    EXPECT_EQ(s.box_titre, QStringLiteral("Ma collection de Bandes Dessinées"));
    EXPECT_TRUE(s.Opt_split_no());
    EXPECT_EQ(s.box_SplitGroup, QStringLiteral("500"));
    EXPECT_FALSE(s.window.box_SplitGroup_Visible);
    EXPECT_FALSE(s.window.lbl_groupe_Visible);
    EXPECT_EQ(s.GV_Collection_Bits, QStringLiteral("1"));
    EXPECT_EQ(s.opt_albums, 1);
    EXPECT_EQ(s.opt_acheter + s.opt_parabd + s.Opt_Collaborateurs + s.opt_revues, 0);
    for (int box : {s.opt_stats,           s.opt_eo,         s.opt_int,         s.opt_dedicace,
                    s.opt_reliure,         s.opt_tt,         s.opt_colorauteur, s.opt_miniatures,
                    s.opt_listecollection, s.opt_listestyle, s.opt_listedl,     s.opt_listeachat,
                    s.opt_listenotes,      s.opt_moteur,     s.opt_icones,      s.opt_nb_liste,
                    s.opt_perso1,          s.opt_perso2,     s.opt_perso3,      s.opt_perso4,
                    s.opt_commentaire,     s.opt_imprimer,   s.opt_baspage,     s.opt_email,
                    s.opt_quitter}) {
        EXPECT_EQ(box, 0);
    }
    EXPECT_EQ(s.GV_LastId, 999999999);
    EXPECT_EQ(s.GV_LastIdPara, 999999999);
    EXPECT_EQ(s.GV_LastIdRevue, 999999999);
    EXPECT_FALSE(s.window.box_LastRun_Visible);
    EXPECT_FALSE(s.window.lbl_lastrun_Visible);
    EXPECT_FALSE(s.window.btn_LastDonnees_SQL_Enabled);
    EXPECT_EQ(s.box_series_accueil, QStringLiteral("20"));
    EXPECT_EQ(s.opt_image_accueil, 0);
    EXPECT_FALSE(s.window.box_col_accueil_Visible);
    EXPECT_TRUE(s.Opt_versonone());
    EXPECT_EQ(s.GV_Verso, QStringLiteral("none"));
    EXPECT_TRUE(s.opt_utf8());
    EXPECT_EQ(s.GV_Tri_Para_1, QStringLiteral("typeobjet"));
    EXPECT_EQ(s.GV_Tri_Para_5, QStringLiteral("right(a.dl, 4), left(a.dl, 2)"));
    EXPECT_EQ(s.GV_Tri_Para_7, QStringLiteral("description"));
    // No stored folder: absolute mode under the catalogue's folder.
    EXPECT_TRUE(s.Opt_Absolu());
    EXPECT_EQ(s.GV_Rep_Couvertures, QStringLiteral("/srv/catalogue/Couvertures"));
    EXPECT_EQ(s.path_parabd, QStringLiteral("/srv/catalogue/ExLibris"));
    EXPECT_TRUE(s.opt_path_parabd());
    EXPECT_EQ(s.GV_Auteur, 0);
    EXPECT_EQ(s.GV_Nb_Col, 0);
    EXPECT_EQ(s.GV_Dedi_Place, 0);
    EXPECT_EQ(s.GV_Prefixe_Table, QString());
    EXPECT_EQ(s.GV_Plugin_Tintin_Id, 0);
    EXPECT_TRUE(s.GV_Plugin_Tintin_Path.endsWith(QStringLiteral("/plugins/voitures")));
    EXPECT_FALSE(s.window.TabNavig_TabEnabled[Settings::kTabStatistiques]);
    EXPECT_FALSE(s.window.TabNavig_TabEnabled[Settings::kTabMiniatures]);
    EXPECT_FALSE(s.GV_Loading_Config);

    EXPECT_TRUE(readErrors(s.GV_Erreurs).isEmpty()) << s.GV_Erreurs.toStdString();
    EXPECT_TRUE(l.prompt.shown().empty());
    EXPECT_FALSE(QFile::exists(env.programFolder() + QStringLiteral("/kalvor.log")));
    EXPECT_TRUE(s.GV_Erreurs.endsWith(QStringLiteral(
        "\nGV_Tri_Para_1 : typeobjet\nGV_Tri_Para_2 : a.editeur\nGV_Tri_Para_3 : c.num"
        "\nGV_Tri_Para_4 : numero\nGV_Tri_Para_5 : right(a.dl, 4), left(a.dl, 2)"
        "\nGV_Tri_Para_6 : libraire\nGV_Tri_Para_7 : description")));
}

TEST(SettingsLoad, CollectionBitSetTicksItsBoxes) {
    struct Case {
        const char* stored;
        const char* bits;
        int albums, acheter, parabd, collaborateurs, revues;
    };
    for (const Case& c : {Case{"21", "21", 1, 0, 1, 0, 1}, Case{"0", "0", 0, 0, 0, 0, 0},
                          Case{"abc", "1", 1, 0, 0, 0, 0}, Case{"31", "31", 1, 1, 1, 1, 1},
                          Case{"10", "10", 0, 1, 0, 1, 0}}) {
        SCOPED_TRACE(c.stored);
        test::IsolatedEnvironment env;
        setConfig(QStringLiteral("collection"), QString::fromLatin1(c.stored));
        Loaded l;
        EXPECT_EQ(l.s.GV_Collection_Bits, QString::fromLatin1(c.bits));
        EXPECT_EQ(l.s.opt_albums, c.albums);
        EXPECT_EQ(l.s.opt_acheter, c.acheter);
        EXPECT_EQ(l.s.opt_parabd, c.parabd);
        EXPECT_EQ(l.s.Opt_Collaborateurs, c.collaborateurs);
        EXPECT_EQ(l.s.opt_revues, c.revues);
        EXPECT_TRUE(readErrors(l.s.GV_Erreurs).isEmpty());
    }
}

TEST(SettingsLoad, SortTermsAreTakenOnlyWhenAllSevenArePresent) {
    test::IsolatedEnvironment env;
    for (int i = 1; i <= 6; ++i) {
        setConfig(QStringLiteral("Tri_Para%1").arg(i), QStringLiteral("t%1").arg(i));
    }
    {
        Loaded six;
        EXPECT_EQ(six.s.GV_Tri_Para_1, QStringLiteral("typeobjet"));
        EXPECT_EQ(six.s.GV_Tri_Para_6, QStringLiteral("libraire"));
    }
    setConfig(QStringLiteral("Tri_Para7"), QStringLiteral("t7"));
    Loaded seven;
    EXPECT_EQ(seven.s.GV_Tri_Para_1, QStringLiteral("t1"));
    EXPECT_EQ(seven.s.GV_Tri_Para_7, QStringLiteral("t7"));
    EXPECT_TRUE(
        seven.s.GV_Erreurs.endsWith(QStringLiteral("\nGV_Tri_Para_6 : t6\nGV_Tri_Para_7 : t7")));
}

TEST(SettingsLoad, IncrementalExportButtonNeedsAnEarlierExport) {
    {
        test::IsolatedEnvironment env;
        setConfig(QStringLiteral("Lastid"), QStringLiteral("120"));
        Loaded l;
        EXPECT_TRUE(l.s.window.btn_LastDonnees_SQL_Enabled);
        EXPECT_FALSE(l.s.window.box_LastRun_Visible);
        EXPECT_EQ(l.s.GV_LastId, 120);
    }
    {
        test::IsolatedEnvironment env;
        setConfig(QStringLiteral("Lastrun"), QStringLiteral("03/02/2024"));
        Loaded l;
        EXPECT_TRUE(l.s.window.btn_LastDonnees_SQL_Enabled);
        EXPECT_TRUE(l.s.window.box_LastRun_Visible);
        EXPECT_TRUE(l.s.window.lbl_lastrun_Visible);
        EXPECT_EQ(l.s.box_LastRun, QStringLiteral("03/02/2024"));
        EXPECT_EQ(l.s.GV_LastRun, QStringLiteral("03/02/2024"));
        EXPECT_EQ(l.s.window.btn_LastDonnees_SQL_ToolTipText,
                  QStringLiteral("crée le fichier dernieres_donnees.sql (albums ajoutés depuis le "
                                 "03/02/2024)"));
    }
    {
        test::IsolatedEnvironment env;
        setConfig(QStringLiteral("Lastid"), QStringLiteral("999999999"));
        Loaded l;
        EXPECT_FALSE(l.s.window.btn_LastDonnees_SQL_Enabled);
    }
    for (const char* mark : {"Lastidpara", "Lastidrevue"}) {
        test::IsolatedEnvironment env;
        setConfig(QString::fromLatin1(mark), QStringLiteral("12"));
        Loaded l;
        EXPECT_TRUE(l.s.window.btn_LastDonnees_SQL_Enabled) << mark;
    }
}

TEST(SettingsLoad, MarksAboveSixteenBitsAreKept) {
    test::IsolatedEnvironment env;
    setConfig(QStringLiteral("Lastid"), QStringLiteral("70000"));
    setConfig(QStringLiteral("Lastidpara"), QStringLiteral("40000"));
    setConfig(QStringLiteral("Lastidrevue"), QStringLiteral("123456"));
    setConfig(QStringLiteral("plugin_tintin_id"), QStringLiteral("33000"));
    Loaded l;
    EXPECT_EQ(l.s.GV_LastId, 70000);
    EXPECT_EQ(l.s.GV_LastIdPara, 40000);
    EXPECT_EQ(l.s.GV_LastIdRevue, 123456);
    EXPECT_EQ(l.s.GV_Plugin_Tintin_Id, 33000);
    EXPECT_TRUE(readErrors(l.s.GV_Erreurs).isEmpty());
}

TEST(SettingsLoad, AValueThatCannotBeReadIsLoggedUnderItsGroupAndTheLoadGoesOn) {
    test::IsolatedEnvironment env;
    setConfig(QStringLiteral("Lastid"), QStringLiteral("abc"));
    setConfig(QStringLiteral("stats"), QStringLiteral("7"));  // no check-box state
    setConfig(QStringLiteral("image_accueil"), QStringLiteral("1"));
    setConfig(QStringLiteral("col_accueil"), QStringLiteral("6"));  // no such list position
    setConfig(QStringLiteral("site"), QStringLiteral("http://bd.example/"));
    Loaded l;
    EXPECT_EQ(readErrors(l.s.GV_Erreurs),
              (QStringList{QStringLiteral("erreur lors de la lecture : stats"),
                           QStringLiteral("erreur lors de la lecture : Lastid"),
                           QStringLiteral("erreur lors de la lecture : image_accueil")}));
    EXPECT_EQ(l.s.GV_LastId, 999999999);
    EXPECT_EQ(l.s.opt_stats, 0);
    EXPECT_EQ(l.s.box_site, QStringLiteral("http://bd.example/"));
    EXPECT_TRUE(l.prompt.shown().empty());
    const QString log = logText();
    EXPECT_TRUE(log.startsWith(QStringLiteral("Kalvorform.Check_config\r\n"))) << log.toStdString();
    EXPECT_TRUE(log.contains(QStringLiteral("GV_Tri_Para_7 : description")));
}

// A number of home-page rows or albums that its list does not hold is a
// value that cannot be read: noted, logged, and the default shown instead.
TEST(SettingsLoad, AHomePageCountOutsideItsListKeepsTheDefault) {
    for (const char* col : {"1", "3"}) {
        test::IsolatedEnvironment env;
        setConfig(QStringLiteral("image_accueil"), QStringLiteral("1"));
        setConfig(QStringLiteral("col_accueil"), QString::fromLatin1(col));
        setConfig(QStringLiteral("ligne_accueil"), QStringLiteral("30"));
        Loaded l;
        const bool albums = l.s.box_col_accueil == u"Auto";
        EXPECT_EQ(albums ? l.s.box_albums_accueil : l.s.box_ligne_accueil,
                  albums ? QStringLiteral("12") : QStringLiteral("5"))
            << col;
        EXPECT_EQ(readErrors(l.s.GV_Erreurs),
                  QStringList{QStringLiteral("erreur lors de la lecture : image_accueil")});
        EXPECT_TRUE(logText().startsWith(QStringLiteral("Kalvorform.Check_config")));
        l.s.save_Config();
        EXPECT_EQ(config(QStringLiteral("ligne_accueil")),
                  albums ? QStringLiteral("12") : QStringLiteral("5"));
    }
    test::IsolatedEnvironment env;
    setConfig(QStringLiteral("image_accueil"), QStringLiteral("1"));
    setConfig(QStringLiteral("col_accueil"), QStringLiteral("1"));
    setConfig(QStringLiteral("ligne_accueil"), QStringLiteral("24"));
    Loaded l;
    EXPECT_EQ(l.s.box_albums_accueil, QStringLiteral("24"));
    EXPECT_TRUE(readErrors(l.s.GV_Erreurs).isEmpty());
}

TEST(SettingsLoad, BooleansWrittenByEarlierVersionsAreNotLost) {
    test::IsolatedEnvironment env;
    setConfig(QStringLiteral("eo"), QStringLiteral("true"));
    setConfig(QStringLiteral("int"), QStringLiteral("True"));
    setConfig(QStringLiteral("dedicace"), QStringLiteral("-1"));
    Loaded l;
    EXPECT_EQ(l.s.opt_eo, 1);
    EXPECT_EQ(l.s.opt_int, 1);
    EXPECT_EQ(l.s.opt_dedicace, 1);
    EXPECT_TRUE(l.s.window.frame_dedicace_Visible);
    EXPECT_EQ(readErrors(l.s.GV_Erreurs),
              QStringList(3, QStringLiteral("erreur lors de la lecture : eo, int, ...")));
    EXPECT_TRUE(logText().startsWith(QStringLiteral("Kalvorform.Check_config")));

    for (const char* text : {"True", "TRUE", "Vrai", "-1", "true"}) {
        test::IsolatedEnvironment again;
        setConfig(QStringLiteral("latin1"), QString::fromLatin1(text));
        EXPECT_TRUE(Loaded().s.opt_latin1()) << text;
    }
    for (const char* text : {"False", "faux", "0", "FALSE"}) {
        test::IsolatedEnvironment again;
        setConfig(QStringLiteral("latin1"), QString::fromLatin1(text));
        EXPECT_TRUE(Loaded().s.opt_utf8()) << text;
    }
}

TEST(SettingsLoad, SplitIsOnOnlyForTheSavedWord) {
    test::IsolatedEnvironment env;
    setConfig(QStringLiteral("split"), QStringLiteral("True"));
    setConfig(QStringLiteral("splitgroup"), QStringLiteral("800"));
    Loaded l;
    EXPECT_TRUE(l.s.Opt_split_no());
    EXPECT_EQ(l.s.box_SplitGroup, QStringLiteral("800"));
}

// A stored group that is no number would stop every split export and warn at
// every start: the default, noted in the log, and no message.
TEST(SettingsLoad, ASplitGroupThatIsNoNumberIsReadAsTheDefaultAndSavedAsANumber) {
    test::IsolatedEnvironment env;
    setConfig(QStringLiteral("split"), QStringLiteral("true"));
    setConfig(QStringLiteral("splitgroup"), QStringLiteral("x"));
    Loaded l;
    EXPECT_EQ(l.s.box_SplitGroup, QStringLiteral("500"));
    EXPECT_EQ(readErrors(l.s.GV_Erreurs),
              QStringList{QStringLiteral("erreur lors de la lecture : Split")});
    EXPECT_TRUE(
        l.s.GV_Erreurs.contains(QStringLiteral("\nsplitgroup « x » refusé : 500 retenu\n")));
    EXPECT_TRUE(l.prompt.shown().empty());
    EXPECT_TRUE(logText().startsWith(QStringLiteral("Kalvorform.Check_config\r\n")));

    // Typed and never left (the window closed from its box): the group
    // accepted last is saved.
    setConfig(QStringLiteral("splitgroup"), QStringLiteral("800"));
    Loaded again;
    again.s.box_SplitGroup = QStringLiteral("8x");
    again.s.save_Config();
    EXPECT_EQ(config(QStringLiteral("splitgroup")), QStringLiteral("800"));
}

TEST(SettingsLoad, CustomFieldCaptionsComeFromTheCatalogueApplication) {
    test::IsolatedEnvironment env;
    test::writeAll(env.path() + QStringLiteral("/wine/user.reg"),
                   "WINE REGISTRY Version 2\r\n\r\n"
                   "[Software\\\\Ormelo6] 1700000000\r\n"
                   "\"Perso1\"=\"Prix : \"\r\n\"Perso2\"=\" : :\"\r\n\"Perso3\"=\"Lieu\"\r\n\r\n"
                   "[Software\\\\Orme Lo v5\\\\Config] 1700000000\r\n"
                   "\"Perso1\"=\"Ancien:\"\r\n");
    Registry::reopenCurrentUser();
    Loaded v6(QStringLiteral("v6"));
    EXPECT_EQ(v6.s.GV_Perso1, QStringLiteral("Prix"));
    EXPECT_EQ(v6.s.PersoCaption(1), QStringLiteral("Prix"));
    EXPECT_EQ(v6.s.GV_Perso2, QString());
    EXPECT_EQ(v6.s.GV_Perso3, QStringLiteral("Lieu"));
    EXPECT_EQ(v6.s.GV_Perso4, QString());
    Loaded v5(QStringLiteral("v5"));
    EXPECT_EQ(v5.s.GV_Perso1, QStringLiteral("Ancien"));
}

TEST(SettingsLoad, ARefusedTablePrefixIsReportedAndKeptAsStored) {
    test::IsolatedEnvironment env;
    setConfig(QStringLiteral("prefixe_table"), QStringLiteral("kv'; drop"));
    Loaded l;
    EXPECT_EQ(l.s.GV_Prefixe_Table, QStringLiteral("kv'; drop"));
    EXPECT_EQ(l.s.box_prefixe_table, QStringLiteral("kv'; drop"));
    ASSERT_EQ(l.prompt.shown().size(), 1u);
    EXPECT_EQ(l.prompt.shown()[0].icon, PromptIcon::Critical);
    // Corrected a key at a time: the texts on the way are refused, not undone.
    for (const char* typed : {"kv'; dro", "kv"}) {
        l.s.box_prefixe_table = QString::fromLatin1(typed);
        l.s.box_prefixe_table_Change(l.prompt);
        EXPECT_EQ(l.s.GV_Prefixe_Table, QString::fromLatin1(typed));
    }
}

// ---------------------------------------------------------------- save

TEST(SettingsSave, TheMarksAreWrittenOnlyWhenAnExportMovedThem) {
    test::IsolatedEnvironment env;
    setConfig(QStringLiteral("Lastrun"), QStringLiteral("01/01/2020"));
    setConfig(QStringLiteral("Lastid"), QStringLiteral("5"));
    {
        Loaded l;
        l.s.GV_LastRun = QStringLiteral("09/09/2029");
        l.s.GV_LastId = 77;
        l.s.save_Config();
        l.s.Save_LastRun();
    }
    EXPECT_EQ(config(QStringLiteral("lastrun")), QStringLiteral("01/01/2020"));
    EXPECT_EQ(config(QStringLiteral("lastid")), QStringLiteral("5"));
    EXPECT_EQ(config(QStringLiteral("lastidpara")), kAbsent);

    test::IsolatedEnvironment fresh;
    Settings s;
    s.GV_LastRun_Changed = true;
    s.GV_LastRun = QStringLiteral("14/07/2025");
    s.GV_LastId = 70000;
    s.GV_LastIdPara = 12;
    s.Save_LastRun();
    EXPECT_EQ(config(QStringLiteral("Lastrun")), QStringLiteral("14/07/2025"));
    EXPECT_EQ(config(QStringLiteral("Lastid")), QStringLiteral("70000"));
    EXPECT_EQ(config(QStringLiteral("Lastidpara")), QStringLiteral("12"));
    EXPECT_EQ(config(QStringLiteral("Lastidrevue")), QStringLiteral("999999999"));
    // Only the marks: nothing else of the settings is written.
    EXPECT_EQ(config(QStringLiteral("Titre")), kAbsent);
}

// The window stays open while a scheduled export moves the marks and another
// program adds a value; each save writes the file once and keeps theirs.
TEST(SettingsSave, ASaveKeepsWhatAnotherProcessWroteMeanwhile) {
    test::IsolatedEnvironment env;
    setConfig(QStringLiteral("Lastrun"), QStringLiteral("01/01/2020"));
    setConfig(QStringLiteral("Lastid"), QStringLiteral("5"));
    Loaded window;
    const auto elsewhere = [&](const QString& key, const QString& name, const QString& value) {
        Registry(env.registryPath(), env.path()).setValue(key, name, value);
    };
    const auto onDisk = [&](const QString& key, const QString& name) {
        return Registry(env.registryPath(), env.path()).value(key, name).value_or(kAbsent);
    };
    elsewhere(kConfig, QStringLiteral("Lastrun"), QStringLiteral("02/02/2022"));
    elsewhere(kConfig, QStringLiteral("Lastid"), QStringLiteral("40"));
    elsewhere(kFolders, QStringLiteral("Autre"), QStringLiteral("x"));

    Registry& store = Registry::currentUser();
    const int writes = store.writes();
    window.s.box_titre = QStringLiteral("Nouveau titre");
    EXPECT_TRUE(window.s.save_Config());
    EXPECT_EQ(store.writes(), writes + 1);
    EXPECT_EQ(onDisk(kConfig, QStringLiteral("Titre")), QStringLiteral("Nouveau titre"));
    EXPECT_EQ(onDisk(kConfig, QStringLiteral("Lastrun")), QStringLiteral("02/02/2022"));
    EXPECT_EQ(onDisk(kConfig, QStringLiteral("Lastid")), QStringLiteral("40"));
    EXPECT_EQ(onDisk(kFolders, QStringLiteral("Autre")), QStringLiteral("x"));

    // Marks this run moved are written over the other process's.
    elsewhere(kFolders, QStringLiteral("Autre"), QStringLiteral("y"));
    window.s.GV_LastRun_Changed = true;
    window.s.GV_LastRun = QStringLiteral("03/03/2023");
    window.s.GV_LastId = 50;
    EXPECT_TRUE(window.s.Save_LastRun());
    EXPECT_EQ(store.writes(), writes + 2);
    EXPECT_EQ(onDisk(kConfig, QStringLiteral("Lastrun")), QStringLiteral("03/03/2023"));
    EXPECT_EQ(onDisk(kConfig, QStringLiteral("Lastid")), QStringLiteral("50"));
    EXPECT_EQ(onDisk(kFolders, QStringLiteral("Autre")), QStringLiteral("y"));

    // An export's marks go over the file as it is now, not as this process
    // last saw it; a reload keeps what this process has not saved yet, and
    // shows a mark gone from the file as never set.
    elsewhere(kConfig, QStringLiteral("Lastid"), QStringLiteral("70"));
    EXPECT_TRUE(Settings::Write_Marks({{Settings::Mark::LastId, QStringLiteral("50")}}));
    EXPECT_EQ(onDisk(kConfig, QStringLiteral("Lastid")), QStringLiteral("50"));
    {
        Registry::Batch start(store);
        window.s.box_titre = QStringLiteral("Gardé");
        store::save(window.s, store::Key::Titre);
        elsewhere(kConfig, QStringLiteral("Lastcollaborateurs"), QString());
        window.s.GV_LastCollaborateurs = QStringLiteral("1");
        window.s.Reload_Marks();
        EXPECT_EQ(window.s.GV_LastCollaborateurs, QString());
        // Written at once, though the start's batch is open.
        EXPECT_TRUE(Settings::Write_Marks({{Settings::Mark::LastId, QStringLiteral("61")}}));
        EXPECT_EQ(onDisk(kConfig, QStringLiteral("Lastid")), QStringLiteral("61"));
    }
    EXPECT_EQ(onDisk(kConfig, QStringLiteral("Titre")), QStringLiteral("Gardé"));
}

TEST(SettingsSave, SwitchedOffValuesAreWrittenEmptyOrFixed) {
    test::IsolatedEnvironment env;
    RecordingPrompt prompt;
    Settings s;
    s.Opt_Sousrep_Click(prompt);
    s.box_prefix = QStringLiteral("p_");
    s.opt_miniatures = 1;
    s.opt_miniatures_Click();
    s.save_Config();
    EXPECT_EQ(config(QStringLiteral("prefix")), QStringLiteral("p_"));
    EXPECT_EQ(folder(QStringLiteral("Thumb_Revues")), QStringLiteral("Revues/thumbs"));

    s.box_prefix = QStringLiteral("zz_");
    s.opt_miniatures = 0;
    s.opt_miniatures_Click();
    s.box_email = QStringLiteral("moi@bd.example");
    s.opt_email = 0;
    s.box_SplitGroup = QStringLiteral("1000");
    s.Opt_split_no_Click();
    s.opt_image_accueil = 0;
    s.box_col_accueil = QStringLiteral("3");
    s.opt_latin1_Click();
    s.save_Config();
    EXPECT_EQ(config(QStringLiteral("prefix")), QStringLiteral("p_"));  // not written
    for (const char* kind :
         {"Couvertures", "Versos", "Photos", "Planches", "Dedicaces", "Parabd", "Revues"}) {
        EXPECT_EQ(folder(QStringLiteral("Thumb_") + QString::fromLatin1(kind)), kAbsent) << kind;
    }
    EXPECT_EQ(config(QStringLiteral("email")), kAbsent);
    EXPECT_EQ(config(QStringLiteral("split")), QStringLiteral("false"));
    EXPECT_EQ(config(QStringLiteral("splitgroup")), QStringLiteral("500"));
    EXPECT_EQ(config(QStringLiteral("col_accueil")), kAbsent);
    EXPECT_EQ(config(QStringLiteral("latin1")), QStringLiteral("True"));
    EXPECT_EQ(config(QStringLiteral("repertoire")), QStringLiteral("sousrep"));
    EXPECT_EQ(folder(QStringLiteral("opt_path_parabd")), QStringLiteral("1"));
}

// ---------------------------------------------------------------- round trip

namespace {

// Everything that the save writes and the load gives back.
QMap<QString, QString> persisted(const Settings& s) {
    QMap<QString, QString> m;
    const auto n = [](int v) { return QString::number(v); };
    m[u"titre"_qs] = s.box_titre;
    m[u"repertoire"_qs] = n(static_cast<int>(s.repertoire));
    m[u"parabd"_qs] = n(static_cast<int>(s.nom_parabd));
    for (const QString* rep :
         {&s.GV_Rep_Couvertures, &s.GV_Rep_Versos, &s.GV_Rep_Photos, &s.GV_Rep_Planches,
          &s.GV_Rep_Dedicaces, &s.GV_Rep_Parabd, &s.GV_Rep_Revues}) {
        m[u"rep"_qs] += *rep + u'|';
    }
    if (s.Opt_Absolu()) {
        for (const QString* box :
             {&s.path_couvertures, &s.path_versos, &s.path_photos, &s.path_planches,
              &s.path_dedicaces, &s.path_parabd, &s.path_revues}) {
            m[u"path"_qs] += *box + u'|';
        }
    }
    for (const QString* thumb :
         {&s.GV_Thumb_Couvertures, &s.GV_Thumb_Versos, &s.GV_Thumb_Photos, &s.GV_Thumb_Planches,
          &s.GV_Thumb_Dedicaces, &s.GV_Thumb_Parabd, &s.GV_Thumb_Revues}) {
        m[u"thumb"_qs] += *thumb + u'|';
    }
    m[u"prefix"_qs] = s.box_prefix;
    m[u"require"_qs] = s.GV_Require + u'|' + s.box_require;
    m[u"export"_qs] = s.GV_Export + u'|' + s.box_phpexport;
    m[u"email"_qs] = n(s.opt_email) + s.box_email + n(s.window.box_email_Visible);
    m[u"quitter"_qs] =
        n(s.opt_quitter) + s.box_siteprincipal + n(s.window.box_siteprincipal_Visible);
    m[u"stats"_qs] = n(s.opt_stats) + n(s.window.TabNavig_TabEnabled[3]);
    m[u"nb_col"_qs] = n(s.GV_Nb_Col) + n(s.opt_col);
    m[u"collection"_qs] = s.GV_Collection_Bits + n(s.opt_albums) + n(s.opt_acheter) +
                          n(s.opt_parabd) + n(s.Opt_Collaborateurs) + n(s.opt_revues);
    m[u"verso"_qs] = s.GV_Verso + n(static_cast<int>(s.verso));
    m[u"db"_qs] = s.box_host + u'|' + s.box_login + u'|' + s.box_password + u'|' + s.box_base +
                  u'|' + s.box_prefixe_table + u'|' + s.GV_Prefixe_Table;
    m[u"manuel"_qs] = n(s.opt_manual);
    m[u"split"_qs] =
        n(static_cast<int>(s.split)) + s.box_SplitGroup + n(s.window.box_SplitGroup_Visible);
    m[u"checks"_qs] = n(s.opt_eo) + n(s.opt_int) + n(s.opt_dedicace) + n(s.opt_reliure) +
                      n(s.opt_tt) + n(s.opt_colorauteur) + n(s.opt_listecollection) +
                      n(s.opt_listestyle) + n(s.opt_listedl) + n(s.opt_listeachat) +
                      n(s.opt_listenotes) + n(s.opt_moteur) + n(s.opt_icones) + n(s.opt_nb_liste) +
                      n(s.opt_perso1) + n(s.opt_perso2) + n(s.opt_perso3) + n(s.opt_perso4) +
                      n(s.opt_miniatures) + n(s.window.TabNavig_TabEnabled[5]) +
                      n(s.window.frame_dedicace_Visible);
    m[u"marks"_qs] = s.GV_LastRun + u'|' + s.box_LastRun + u'|' + n(s.GV_LastId) + u'|' +
                     n(s.GV_LastIdPara) + u'|' + n(s.GV_LastIdRevue);
    m[u"accueil"_qs] = s.box_series_accueil + u'|' + n(s.opt_image_accueil) + u'|' +
                       s.box_col_accueil + u'|' + s.box_ligne_accueil + u'|' +
                       s.box_albums_accueil + u'|' + s.window.lbl_ligne_Caption;
    m[u"pages"_qs] = n(s.opt_commentaire) + n(s.opt_imprimer) + n(s.opt_baspage) + s.box_baspage +
                     n(s.window.box_baspage_Visible);
    m[u"auteur"_qs] = n(s.GV_Auteur) + n(s.opt_auteur) + n(s.GV_Dedi_Place) + n(s.opt_dedi_place);
    m[u"site"_qs] = s.box_site;
    m[u"plugin"_qs] = n(s.GV_Plugin_Tintin_Id) + s.GV_Plugin_Tintin_Path;
    m[u"format"_qs] = n(static_cast<int>(s.format));
    m[u"tri"_qs] = s.GV_Tri_Para_1 + s.GV_Tri_Para_2 + s.GV_Tri_Para_3 + s.GV_Tri_Para_4 +
                   s.GV_Tri_Para_5 + s.GV_Tri_Para_6 + s.GV_Tri_Para_7;
    return m;
}

struct RoundTrip {
    const char* name;
    bool thumbs;
    bool split;
    Settings::Repertoire mode;
    bool exlibris;
    bool latin1;
    bool autoColumns;
};

}  // namespace

TEST(SettingsRoundTrip, SaveThenLoadGivesBackTheSameSettings) {
    using R = Settings::Repertoire;
    const RoundTrip cases[] = {
        {"absolute, thumbnails, split", true, true, R::Absolu, false, false, true},
        {"absolute, plain", false, false, R::Absolu, true, true, false},
        {"relative, thumbnails", true, false, R::Relatif, true, false, false},
        {"relative, split", false, true, R::Relatif, false, true, true},
        {"sub-folder, thumbnails, split", true, true, R::Sousrep, true, true, true},
        {"sub-folder, plain", false, false, R::Sousrep, false, false, false},
    };
    for (const RoundTrip& c : cases) {
        SCOPED_TRACE(c.name);
        test::IsolatedEnvironment env;
        RecordingPrompt prompt;
        Settings a;
        a.GV_Version_Base = QStringLiteral("v6");
        a.GV_Rep_Base = QStringLiteral("/srv/catalogue/");
        a.Check_Config(prompt);

        a.box_titre = QStringLiteral("Mes BD à moi");
        a.nom_parabd = c.exlibris ? Settings::NomParabd::Exlibris : Settings::NomParabd::Parabd;
        if (c.mode == R::Absolu) {
            a.path_couvertures = QStringLiteral("/var/www/img/couv");
            a.path_couvertures_LostFocus();
            a.Opt_Absolu_Click();
        } else if (c.mode == R::Relatif) {
            a.Opt_Relatif_Click(prompt);
        } else {
            a.Opt_Sousrep_Click(prompt);
        }
        c.exlibris ? a.opt_path_exlibris_Click(prompt) : a.opt_path_parabd_Click(prompt);
        a.opt_miniatures = c.thumbs ? 1 : 0;
        a.opt_miniatures_Click();
        if (c.thumbs) {
            a.box_thumb_photos = QStringLiteral("mini\\photos\\");
            a.box_thumb_photos_LostFocus();
            a.box_prefix = QStringLiteral("t_");
        }
        c.split ? a.Opt_split_yes_Click() : a.Opt_split_no_Click();
        a.box_SplitGroup = c.split ? QStringLiteral("250") : QStringLiteral("500");
        c.latin1 ? a.opt_latin1_Click() : a.opt_utf8_Click();
        a.box_require = QStringLiteral("conf");
        a.box_require_LostFocus();
        a.box_phpexport = env.path();
        a.box_phpexport_LostFocus(prompt);
        a.opt_email = 1;
        a.box_email = QStringLiteral("moi@bd.example");
        a.opt_email_Click();
        a.opt_quitter = 1;
        a.box_siteprincipal = QStringLiteral("http://bd.example");
        a.opt_quitter_Click();
        a.opt_stats = 1;
        a.opt_stats_Click();
        a.opt_col2_Click();
        a.opt_albums = 0;
        a.opt_albums_Click();
        a.opt_parabd = 1;
        a.opt_parabd_Click();
        a.opt_revues = 1;
        a.opt_revues_Click();
        a.Opt_versoleft_Click();
        a.box_host = QStringLiteral("db.example");
        a.box_login = QStringLiteral("bd");
        a.box_password = QStringLiteral("s\"e\\cret");
        a.box_base = QStringLiteral("collection");
        a.box_prefixe_table = QStringLiteral("kv_");
        a.box_prefixe_table_Change(prompt);
        a.opt_manual = 1;
        a.opt_eo = 1;
        a.opt_dedicace = 1;
        a.opt_dedicace_Click();
        a.opt_icones = 1;
        a.opt_perso3 = 1;
        a.GV_LastRun_Changed = true;
        a.GV_LastRun = QStringLiteral("05/06/2024");
        a.box_LastRun = a.GV_LastRun;
        a.GV_LastId = 40000;
        a.GV_LastIdPara = 17;
        a.GV_LastIdRevue = 3;
        a.box_series_accueil = QStringLiteral("30");
        a.opt_image_accueil = 1;
        a.opt_image_accueil_Click();
        a.box_col_accueil = c.autoColumns ? QStringLiteral("Auto") : QStringLiteral("3");
        a.box_col_accueil_Click();
        a.box_albums_accueil = QStringLiteral("18");
        a.box_ligne_accueil = QStringLiteral("7");
        a.opt_commentaire = 1;
        a.opt_baspage = 1;
        a.opt_baspage_Click();
        a.box_baspage = QStringLiteral("40");
        a.opt_auteur2_Click();
        a.opt_dedi_place1_Click();
        a.box_site = QStringLiteral("http://bd.example/site/");
        a.GV_Plugin_Tintin_Id = 42;
        a.GV_Plugin_Tintin_Path = QStringLiteral("http://anim.example/plugins/voitures");
        a.GV_Tri_Para_3 = QStringLiteral("c.num desc");
        a.save_Config();

        RecordingPrompt quiet;
        Settings b;
        b.GV_Version_Base = QStringLiteral("v6");
        b.GV_Rep_Base = QStringLiteral("/srv/catalogue/");
        b.Check_Config(quiet);
        EXPECT_TRUE(quiet.shown().empty());
        EXPECT_TRUE(readErrors(b.GV_Erreurs).isEmpty()) << b.GV_Erreurs.toStdString();

        // Only the combo box of the chosen column mode is saved; the load
        // gives the other one what turning the images on gives it.
        QMap<QString, QString> expected = persisted(a);
        if (c.autoColumns) {
            expected[u"accueil"_qs].replace(u"|7|"_qs, u"||"_qs);
        } else {
            expected[u"accueil"_qs].replace(u"|18|"_qs, u"|12|"_qs);
        }
        EXPECT_EQ(persisted(b), expected);
    }
}
