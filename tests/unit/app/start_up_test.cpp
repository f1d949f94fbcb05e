#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include "app/start_up.h"
#include "common/general.h"
#include "platform/prompt.h"
#include "platform/registry/registry.h"
#include "settings/settings.h"
#include "sqlscripts/script_set.h"
#include "support/file_size_limit.h"
#include "support/test_paths.h"

using namespace kalvor;

namespace {

void setValue(const QString& key, const QString& name, const QString& value) {
    general::Set_Registry_Value(HKEY_CURRENT_USER, key, name, value);
}
const QString kConfig = QStringLiteral("software\\Kalvor\\Config");

class StartUpTest : public ::testing::Test {
  protected:
    test::IsolatedEnvironment env;
    RecordingPrompt prompt;
};

}  // namespace

TEST_F(StartUpTest, VersionSixKeyGivesPathAndFolder) {
    setValue(QStringLiteral("Software\\Ormelo6"), QStringLiteral("CheminBase"),
             QStringLiteral("/srv/bd/catalogue.mdb"));
    setValue(QStringLiteral("Software\\Orme Lo v5\\Base"), QStringLiteral("CheminBase"),
             QStringLiteral("/old/v5.mdb"));
    Settings s;
    start_up::Locate_Catalogue(s);
    EXPECT_EQ(s.GV_Version_Base, QStringLiteral("v6"));  // v6 wins over v5
    EXPECT_EQ(s.GV_Chemin_Base, QStringLiteral("/srv/bd/catalogue.mdb"));
    EXPECT_EQ(s.GV_Rep_Base, QStringLiteral("/srv/bd/"));
}

TEST_F(StartUpTest, VersionFiveReadsItsBaseSubKey) {
    Registry::currentUser().createKey(QStringLiteral("Software\\Orme Lo v5"));
    setValue(QStringLiteral("Software\\Orme Lo v5\\Base"), QStringLiteral("CheminBase"),
             QStringLiteral("C:\\BD\\v5.mdb"));
    Settings s;
    start_up::Locate_Catalogue(s);
    EXPECT_EQ(s.GV_Version_Base, QStringLiteral("v5"));
    EXPECT_EQ(s.GV_Chemin_Base, QStringLiteral("C:\\BD\\v5.mdb"));
    EXPECT_EQ(s.GV_Rep_Base, QStringLiteral("C:\\BD\\"));
}

TEST_F(StartUpTest, NoKeyAtAllIsVersionFourWithoutPath) {
    Settings s;
    start_up::Locate_Catalogue(s);
    EXPECT_EQ(s.GV_Version_Base, QStringLiteral("v4"));
    EXPECT_TRUE(s.GV_Chemin_Base.isEmpty());
    EXPECT_TRUE(s.GV_Rep_Base.isEmpty());

    setValue(QStringLiteral("Software\\Orme Lo v4\\Base"), QStringLiteral("CheminBase"),
             QStringLiteral("catalogue.mdb"));
    start_up::Locate_Catalogue(s);
    EXPECT_EQ(s.GV_Chemin_Base, QStringLiteral("catalogue.mdb"));
    EXPECT_TRUE(s.GV_Rep_Base.isEmpty());  // no separator in the path
}

TEST_F(StartUpTest, WinePrefixKeyIsMappedToALinuxPath) {
    const QString wine = env.path() + QStringLiteral("/wine");
    QDir().mkpath(wine + QStringLiteral("/drive_c/BD"));
    QDir().mkpath(wine + QStringLiteral("/dosdevices"));
    QFile::link(QStringLiteral("../drive_c"), wine + QStringLiteral("/dosdevices/c:"));
    test::writeAll(wine + QStringLiteral("/drive_c/BD/bd.mdb"), "x");
    test::writeAll(wine + QStringLiteral("/user.reg"),
                   "WINE REGISTRY Version 2\n\n[Software\\\\Ormelo6] 1700000000\n"
                   "\"CheminBase\"=\"C:\\\\BD\\\\bd.mdb\"\n");
    Registry::reopenCurrentUser();
    Settings s;
    start_up::Locate_Catalogue(s);
    EXPECT_EQ(s.GV_Version_Base, QStringLiteral("v6"));
    EXPECT_TRUE(s.GV_Chemin_Base.endsWith(QStringLiteral("/drive_c/BD/bd.mdb")))
        << s.GV_Chemin_Base.toStdString();
    EXPECT_TRUE(s.GV_Rep_Base.endsWith(QStringLiteral("/drive_c/BD/")));
}

TEST_F(StartUpTest, CommandLineFormatOverridesTheStoredOne) {
    setValue(kConfig, QStringLiteral("latin1"), QStringLiteral("True"));
    Settings stored;
    start_up::Form_Load(stored, CommandLine::Parse(QString()), prompt);
    EXPECT_TRUE(stored.opt_latin1());

    Settings utf8;
    start_up::Form_Load(utf8, CommandLine::Parse(QStringLiteral("utf8")), prompt);
    EXPECT_TRUE(utf8.opt_utf8());

    setValue(kConfig, QStringLiteral("latin1"), QStringLiteral("False"));
    Settings latin;
    start_up::Form_Load(latin, CommandLine::Parse(QStringLiteral("latin1")), prompt);
    EXPECT_TRUE(latin.opt_latin1());
    EXPECT_FALSE(latin.Mode_Commande);
    EXPECT_EQ(latin.GV_App_Path, env.programFolder());
}

namespace {

// An export that moves every mark and also changes a setting, as a careless
// export might: the unattended run must keep only the marks.
DataExports movingExports(bool result, bool* sawCommandMode = nullptr) {
    DataExports exports;
    auto run = [=](Settings& s, Prompt& prompt) {
        if (sawCommandMode != nullptr) {
            *sawCommandMode = s.Mode_Commande;
        }
        s.GV_LastRun = QStringLiteral("05/06/2024");
        s.GV_LastId = 120;
        s.GV_LastIdPara = 30;
        s.GV_LastIdRevue = 12;
        s.GV_LastRun_Changed = true;
        s.box_titre = QStringLiteral("Changé");
        if (result) {
            prompt.message(QStringLiteral("terminée"), QString(), PromptIcon::Information);
        }
        return result;
    };
    exports.btn_Donnees_SQL_Click = run;
    exports.btn_LastDonnees_SQL_Click = run;
    return exports;
}

QString config(const QString& name) {
    const QVariant v = general::Get_Registry_Value(HKEY_CURRENT_USER, kConfig, name);
    return v.typeId() == QMetaType::QString ? v.toString() : QStringLiteral("<absent>");
}

}  // namespace

TEST_F(StartUpTest, UnattendedRunSavesTheMarksAndNothingElse) {
    setValue(kConfig, QStringLiteral("Titre"), QStringLiteral("Ma BD"));
    const CommandLine line = CommandLine::Parse(QStringLiteral("dernieres_donnees utf8"));
    Settings s;
    start_up::Form_Load(s, line, prompt);
    s.GV_Chemin_Base = QStringLiteral("/bd/collection.mdb");
    const QByteArray before = test::readAll(env.registryPath());

    bool commandMode = false;
    EXPECT_EQ(start_up::Run_Command_Export(s, line, prompt, movingExports(true, &commandMode)), 0);
    EXPECT_TRUE(commandMode);
    EXPECT_EQ(config(QStringLiteral("lastrun")), QStringLiteral("05/06/2024"));
    EXPECT_EQ(config(QStringLiteral("lastid")), QStringLiteral("120"));
    EXPECT_EQ(config(QStringLiteral("lastidpara")), QStringLiteral("30"));
    EXPECT_EQ(config(QStringLiteral("lastidrevue")), QStringLiteral("12"));
    EXPECT_EQ(config(QStringLiteral("Titre")), QStringLiteral("Ma BD"));

    // Apart from the four marks, the store is byte for byte what it was.
    QStringList changed;
    const QStringList old = QString::fromUtf8(before).split(QStringLiteral("\r\n"));
    for (const QString& l :
         QString::fromUtf8(test::readAll(env.registryPath())).split(QStringLiteral("\r\n"))) {
        if (!old.contains(l)) {
            changed << l.section(u'=', 0, 0);
        }
    }
    changed.sort();
    EXPECT_EQ(changed,
              (QStringList{"\"lastid\"", "\"lastidpara\"", "\"lastidrevue\"", "\"lastrun\""}));
}

// No one sees a box in an unattended run: what the load would show is logged.
TEST_F(StartUpTest, UnattendedStartLogsTheMessagesTheWindowWouldShow) {
    setValue(kConfig, QStringLiteral("prefixe_table"), QStringLiteral("kv x"));
    Settings s;
    start_up::Form_Load_Unattended(s, CommandLine::Parse(QStringLiteral("donnees")), prompt);
    EXPECT_TRUE(prompt.shown().empty());
    const QString log = QString::fromUtf8(test::readAll(general::Log_Path()));
    EXPECT_TRUE(
        log.startsWith(QStringLiteral("Kalvorform.form_load\r\n")) &&
        log.contains(QStringLiteral("\n[Kalvor 1.8.3] Le champ « préfixe pour les tables »")))
        << log.toStdString();
}

TEST_F(StartUpTest, UnattendedExitCodes) {
    const CommandLine line = CommandLine::Parse(QStringLiteral("donnees"));
    Settings failed;
    failed.GV_Chemin_Base = QStringLiteral("/bd/collection.mdb");
    EXPECT_EQ(start_up::Run_Command_Export(failed, line, prompt, movingExports(false)), 1);
    // The marks an export moved before failing are kept, as any run keeps them.
    EXPECT_EQ(config(QStringLiteral("lastid")), QStringLiteral("120"));

    Settings missing = failed;
    EXPECT_EQ(start_up::Run_Command_Export(missing, line, prompt, DataExports{}), 1);
    ASSERT_EQ(prompt.shown().size(), 1u);
    EXPECT_EQ(prompt.shown()[0].icon, PromptIcon::Critical);
    EXPECT_TRUE(prompt.shown()[0].text.contains(QStringLiteral("donnees")));
}

// The export went through, its marks did not: the failure is said first,
// then that the scripts are written all the same.
TEST_F(StartUpTest, MarksThatCannotBeSavedAreReportedAndTheRunFails) {
    setValue(kConfig, QStringLiteral("Titre"), QStringLiteral("Ma BD"));
    const CommandLine line = CommandLine::Parse(QStringLiteral("donnees"));
    Settings s;
    start_up::Form_Load(s, line, prompt);
    s.GV_Chemin_Base = QStringLiteral("/bd/collection.mdb");
    Registry::currentUser().takeProblem();  // as main() shows it
    const QByteArray before = test::readAll(env.registryPath());
    const QString cannot = QStringLiteral("Les réglages ne peuvent pas être enregistrés dans ") +
                           env.registryPath() + QStringLiteral(" (");
    {
        test::FileSizeLimit full(16);
        EXPECT_EQ(start_up::Run_Command_Export(s, line, prompt, movingExports(true)), 1);
    }
    QFile::remove(env.registryPath() + QStringLiteral(".lock"));
    QDir().mkpath(env.registryPath() + QStringLiteral(".lock"));
    EXPECT_EQ(start_up::Run_Command_Export(s, line, prompt, movingExports(true)), 1);
    EXPECT_EQ(test::readAll(env.registryPath()), before);
    const QString written = QStringLiteral(
        "terminée ; mais les marques de la dernière exportation n'ont pas été enregistrées : la "
        "prochaine exportation des dernières données enverra de nouveau ce que celle-ci a "
        "envoyé.");
    EXPECT_EQ(prompt.texts(),
              (QStringList{cannot + QStringLiteral("fichier trop volumineux)."), written,
                           cannot + QStringLiteral("verrou ") + env.registryPath() +
                               QStringLiteral(".lock : c'est un dossier)."),
                           written}));
    EXPECT_EQ(prompt.shown()[0].icon, PromptIcon::Critical);
}

// On a new account or over a garbage file, a run that saves no mark writes no
// settings file and no lock: one that moved none, or one refused (and logged)
// for want of a catalogue, the program's own sample standing for none.
TEST_F(StartUpTest, UnattendedRunWithoutMovedMarksWritesNothing) {
    const CommandLine line = CommandLine::Parse(QStringLiteral("donnees"));
    DataExports exports;
    exports.btn_Donnees_SQL_Click = [](Settings&, Prompt&) { return true; };
    const QString sample =
        test::sourceDir() + QStringLiteral("/samples/../samples/catalogue-v6.mdb");
    // The sample the environment names through a link.
    const QString named = test::fixturePath(QStringLiteral("catalogue/catalogue-v5.mdb"));
    QFile::link(named, env.path() + QStringLiteral("/exemple.mdb"));
    qputenv("KALVOR_SAMPLE_CATALOGUE", (env.path() + QStringLiteral("/exemple.mdb")).toUtf8());
    for (const QByteArray& store : {QByteArray(), QByteArray("\x01 pas des r\xe9glages\n[\n")}) {
        if (!store.isEmpty()) {
            test::writeAll(env.registryPath(), store);
        }
        for (const QString& catalogue :
             {QStringLiteral("/bd/collection.mdb"), QString(), sample, named}) {
            Registry::reopenCurrentUser();
            Settings s;
            start_up::Form_Load(s, line, prompt);
            s.GV_Chemin_Base = catalogue;
            EXPECT_EQ(start_up::Run_Command_Export(s, line, prompt, exports),
                      catalogue.startsWith(u"/bd") ? 0 : 1);
            EXPECT_EQ(QFileInfo::exists(env.registryPath()) ? test::readAll(env.registryPath())
                                                            : QByteArray(),
                      store);
            EXPECT_FALSE(QFileInfo::exists(env.registryPath() + QStringLiteral(".lock")));
        }
    }
    qunsetenv("KALVOR_SAMPLE_CATALOGUE");
    const QString log = QString::fromUtf8(test::readAll(general::Log_Path()));
    EXPECT_TRUE(log.contains(QStringLiteral("\nerreur : Aucun catalogue n'est désigné.")))
        << log.toStdString();
}

TEST_F(StartUpTest, FailureOfTheLoadIsNotedAndLogged) {
    Settings s;
    s.GV_Erreurs = QStringLiteral("trace");
    start_up::Form_Load_Failed(s, QStringLiteral("Fichier introuvable"));
    EXPECT_TRUE(s.GV_Erreurs.endsWith(QStringLiteral("\nerreur : Fichier introuvable")));
    const QString log = QString::fromLatin1(test::readAll(general::Log_Path()));
    EXPECT_TRUE(log.startsWith(QStringLiteral("Kalvorform.form_load\r\n"))) << log.toStdString();
    EXPECT_TRUE(prompt.shown().empty());
}

// Every start, the window's as the unattended ones', first undoes the
// publication of data scripts that a kill cut before it succeeded: the
// earlier set whole, nothing hidden, and the marks of that set, said in
// the log. One cut once it had succeeded is tidied, its marks on disk
// before its list goes, though the start holds the settings in a batch.
// What a killed save of the settings left goes too, unless a save holds
// the file.
TEST_F(StartUpTest, TheLoadFinishesThePublicationAKillCut) {
    const QString scripts = env.path() + QStringLiteral("/export/scripts/");
    setValue(QStringLiteral("software\\Kalvor\\Repertoires"), QStringLiteral("Export"),
             env.path() + QStringLiteral("/export"));
    // Killed after its list, every earlier file aside and no new one in.
    test::writeAll(scripts + ".donnees-remplacees/donnees.sql", "-- earlier\r\n");
    test::writeAll(scripts + ".donnees-en-cours/donnees_ALBUMS.sql", "-- new\r\n");
    test::writeAll(scripts + ".donnees-en-cours/.publication",
                   "+donnees_ALBUMS.sql\n-donnees.sql\n=lastid=40\n<lastid=30\n");
    setValue(QStringLiteral("software\\Kalvor\\Config"), QStringLiteral("lastid"), "40");
    test::writeAll(env.registryPath() + ".Zk3bQ9", "killed");
    test::writeAll(env.registryPath() + ".backup", "yours");
    {
        // A save at work holds the file: what looks killed may be its own.
        const int held =
            ::open(QFile::encodeName(env.registryPath() + ".lock"), O_RDWR | O_CREAT, 0600);
        ASSERT_EQ(::flock(held, LOCK_EX), 0);
        Registry::currentUser().removeKilledSaves();
        EXPECT_TRUE(QFileInfo::exists(env.registryPath() + ".Zk3bQ9"));
        ::close(held);
    }
    Settings s;
    start_up::Form_Load(s, CommandLine{}, prompt);
    EXPECT_EQ(QDir(scripts).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{"donnees.sql"});
    EXPECT_EQ(s.GV_LastId, 30);
    EXPECT_TRUE(s.GV_Erreurs.contains("ont été retirés de")) << s.GV_Erreurs.toStdString();
    EXPECT_TRUE(test::readAll(general::Log_Path()).contains("ont été retirés de"));
    EXPECT_FALSE(QFileInfo::exists(env.registryPath() + ".Zk3bQ9"));
    EXPECT_TRUE(QFileInfo::exists(env.registryPath() + ".backup"));

    test::writeAll(scripts + ".donnees-remplacees/donnees.sql", "-- earlier\r\n");
    QFile::rename(scripts + "donnees.sql", scripts + "donnees_ALBUMS.sql");
    test::writeAll(scripts + ".donnees-en-cours/.publication-faite",
                   "+donnees_ALBUMS.sql\n-donnees.sql\n=lastid=41\n<lastid=30\n");
    Settings again;
    again.GV_Export = s.GV_Export;
    {
        Registry::Batch held(Registry::currentUser());
        MendScriptsFolder(again);
        EXPECT_EQ(Registry(env.registryPath(), env.path())
                      .value(QStringLiteral("software\\Kalvor\\Config"), QStringLiteral("lastid")),
                  "41");
    }
    EXPECT_EQ(QDir(scripts).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{"donnees_ALBUMS.sql"});
}
