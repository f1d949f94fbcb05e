#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>
#include <optional>

#include <gtest/gtest.h>
#include <unistd.h>

#include "catalogue/sqlite_catalogue.h"
#include "common/general.h"
#include "common/vb.h"
#include "platform/cp1252.h"
#include "platform/dao/db_engine.h"
#include "platform/prompt.h"
#include "settings/settings.h"
#include "sqlscripts/export_lock.h"
#include "sqlscripts/full_export.h"
#include "sqlscripts/incremental_export.h"
#include "support/stored_marks.h"
#include "support/test_paths.h"

using namespace kalvor;

namespace {

const QDateTime kNow(QDate(2024, 3, 9), QTime(14, 5));
const QString kTitle = QStringLiteral("Kalvor 1.8.3 - Génération SQL");

class FullExport : public ::testing::Test {
  protected:
    void SetUp() override {
        s.GV_Export = dir.path();
        s.GV_Version_Base = QStringLiteral("v6");
        s.format = Settings::FormatDonnees::Latin1;
        s.box_SplitGroup = QStringLiteral("500");
        s.GV_LastRun = QStringLiteral("01/01/2020");
        s.GV_LastId = 7;
        s.GV_LastIdRevue = 8;
        s.GV_LastIdPara = 9;
        test::StoreMarks(s);
    }

    QString fixtureCopy(const char* generation, const QString& mend = {}) {
        const QString path = dir.filePath(QStringLiteral("catalogue-%1.sqlite").arg(n++));
        catalogue::BuildSqliteCatalogue(
            test::fixturePath(QStringLiteral("catalogue/catalogue-%1.sql").arg(generation)), path);
        if (!mend.isEmpty()) {
            dao::DBEngine::OpenDatabase(path)->ExecuteScript(mend);
        }
        return path;
    }

    // The older fixture with wish-list album 80 numbered 5, as owned album 5
    // is: writer 4 in both, artist 99 in the wish list, no links of its own.
    QString sharedIdCatalogue() {
        return fixtureCopy("v5",
                           "UPDATE ACHETER SET IdAlbum = 5, IdScenariste = 4, IdDessinateur = 99 "
                           "WHERE IdAlbum = 80; DELETE FROM COLLABORATEURS WHERE IdAlbum = 80;");
    }

    // A catalogue of `count` owned albums, album i by author i alone.
    QString numberedCatalogue(int count) {
        return fixtureCopy(
            "v6", QStringLiteral(
                      "DELETE FROM COLLABORATEURS; DELETE FROM PARABD; DELETE FROM ALBUMS;"
                      "DELETE FROM AUTEURS;"
                      "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1)"
                      " INSERT INTO AUTEURS (IdAuteur, Nom, Scenario, Dessin, Couleur)"
                      " SELECT i, 'Auteur ' || i, 0, -1, 0 FROM n WHERE %1 > 0;"
                      "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1)"
                      " INSERT INTO ALBUMS (IdAlbum, Num, Titre, IdSerie, IdDessinateur,"
                      " IdScenariste, idColoriste, AAcheter, EdO, HorsSerie, Integrale,"
                      " EditionLimitee, Possede, Broche, Prete)"
                      " SELECT i, i, 'Album ' || i, 1, i, i, i, 0, 0, 0, 0, 0, -1, 0, 0 FROM n"
                      " WHERE %1 > 0;")
                      .arg(count));
    }

    bool run() { return btn_Donnees_SQL_Click(s, prompt); }

    QStringList scripts() const {
        return QDir(dir.filePath("scripts")).entryList(QDir::Files, QDir::Name);
    }
    // A script's statements, without its two header lines.
    QStringList statements(const QString& name) const {
        QStringList lines =
            cp1252::decode(test::readAll(dir.filePath("scripts/" + name))).split("\r\n");
        EXPECT_EQ(lines.takeLast(), "") << name.toStdString();
        return lines.mid(2);
    }

    test::IsolatedEnvironment env;
    vb::ScopedClock clock{kNow};
    QTemporaryDir dir;
    Settings s;
    RecordingPrompt prompt;
    int n = 0;
};

struct SplitCase {
    int rows;
    QStringList authorFiles;
    QList<int> firstIds;  // first author of each file
};

class SplitRule : public FullExport, public ::testing::WithParamInterface<SplitCase> {};

TEST_P(SplitRule, CutsAuthorsAndAlbumsIntoFilesOfTheGroupSize) {
    const SplitCase& c = GetParam();
    s.GV_Chemin_Base = numberedCatalogue(c.rows);
    s.split = Settings::Split::Yes;
    s.opt_albums = 1;
    ASSERT_TRUE(run()) << s.GV_Erreurs.toStdString();

    QStringList albumFiles = c.authorFiles;
    albumFiles.replaceInStrings("AUTEURS", "ALBUMS");
    QStringList expected = c.authorFiles + albumFiles;
    expected << "donnees_SERIES.sql";
    expected.sort();
    EXPECT_EQ(scripts(), expected);

    for (const QString& stem : {QStringLiteral("AUTEURS"), QStringLiteral("ALBUMS")}) {
        QStringList files = c.authorFiles;
        files.replaceInStrings("AUTEURS", stem);
        const QString table = stem == "AUTEURS" ? "auteurs" : "albums";
        const QStringList emptied = stem == "AUTEURS"
                                        ? QStringList{"auteurs idauteur"}
                                        : QStringList{"albums idalbum", "collaborateurs idalbum"};
        int written = 0;
        for (qsizetype k = 0; k < files.size(); ++k) {
            // Each file first deletes its own id range: the first from the
            // bottom, the last without a top, one file the whole table.
            QStringList deletes;
            for (const QString& e : emptied) {
                const QString t = e.section(' ', 0, 0), id = e.section(' ', 1);
                QStringList range;
                if (k > 0) {
                    range << QStringLiteral("%1 > %2").arg(id).arg(c.firstIds[k] - 1);
                }
                if (k + 1 < files.size()) {
                    range << QStringLiteral("%1 <= %2").arg(id).arg(c.firstIds[k + 1] - 1);
                }
                deletes << "DELETE FROM " + t +
                               (range.isEmpty() ? ";" : " where " + range.join(" and ") + ";");
            }
            EXPECT_EQ(statements(files[k]).mid(0, deletes.size()), deletes);
            const QStringList rows =
                statements(files[k]).filter(QRegularExpression("^INSERT INTO " + table + " "));
            written += int(rows.size());
            EXPECT_LE(rows.size(), 500);
            if (c.rows > 0) {
                EXPECT_TRUE(rows.value(0).startsWith(
                    QStringLiteral("INSERT INTO %1 VALUES (%2,").arg(table).arg(c.firstIds[k])))
                    << files[k].toStdString() << rows.value(0).toStdString();
            }
        }
        EXPECT_EQ(written, c.rows) << stem.toStdString();
    }
    // The links follow their album, and the last line closes the last file.
    EXPECT_EQ(statements(albumFiles.last()).last(),
              "update kalvor set last_update = '2024-03-09';");
    if (c.rows > 0) {
        EXPECT_EQ(statements(albumFiles.last()).filter("INSERT INTO collaborateurs").size(),
                  3 * (c.rows - 500 * (albumFiles.size() - 1)));
    }

    QString summary = "Génération des donnees terminée";
    for (const QString& f : c.authorFiles + QStringList{"donnees_SERIES.sql"} + albumFiles) {
        summary += "\n" + dir.path() + "/scripts/" + f;
    }
    ASSERT_EQ(prompt.shown().size(), 1u);
    EXPECT_EQ(prompt.shown()[0].text, summary);
    EXPECT_EQ(prompt.shown()[0].title, kTitle);
    EXPECT_EQ(prompt.shown()[0].icon, PromptIcon::Information);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, SplitRule,
    ::testing::Values(
        SplitCase{0, {"donnees_AUTEURS.sql"}, {}}, SplitCase{500, {"donnees_AUTEURS.sql"}, {1}},
        SplitCase{1000, {"donnees_AUTEURS_1sur2.sql", "donnees_AUTEURS_2sur2.sql"}, {1, 501}},
        SplitCase{
            1001,
            {"donnees_AUTEURS_1sur3.sql", "donnees_AUTEURS_2sur3.sql", "donnees_AUTEURS_3sur3.sql"},
            {1, 501, 1001}}),
    [](const auto& info) { return "T" + std::to_string(info.param.rows); });

TEST_F(FullExport, SplitFilesOfEveryGroupAndTheirOrderInTheSummary) {
    s.GV_Chemin_Base = fixtureCopy("v6");
    s.split = Settings::Split::Yes;
    s.opt_albums = s.opt_acheter = s.opt_revues = s.opt_parabd = 1;
    s.Opt_Collaborateurs = 1;
    ASSERT_TRUE(run()) << s.GV_Erreurs.toStdString();
    const QStringList files = {"donnees_AUTEURS.sql",  "donnees_SERIES.sql",  "donnees_ALBUMS.sql",
                               "donnees_AUTEURS2.sql", "donnees_SERIES2.sql", "donnees_ACHETER.sql",
                               "donnees_AUTEURS3.sql", "donnees_SERIES3.sql", "donnees_PARABD.sql",
                               "donnees_REVUES.sql"};
    QString summary = "Génération des donnees terminée";
    for (const QString& f : files) {
        summary += "\n" + dir.path() + "/scripts/" + f;
    }
    EXPECT_EQ(prompt.texts(), QStringList{summary});
    EXPECT_EQ(statements("donnees_REVUES.sql").mid(0, 2),
              (QStringList{"DELETE FROM series4;", "DELETE FROM revues;"}));
    // The closing line goes to the last file written: the collectibles'.
    EXPECT_EQ(statements("donnees_PARABD.sql").last(),
              "update kalvor set last_update = '2024-03-09';");
    // The wish list's links go to the album file that deletes their range,
    // so that the files load in any order.
    EXPECT_TRUE(statements("donnees_ACHETER.sql").filter("collaborateurs").isEmpty());
    const QStringList albums = statements("donnees_ALBUMS.sql");
    EXPECT_GT(albums.indexOf("INSERT INTO collaborateurs VALUES (73, 24, 2);"),
              albums.indexOf("INSERT INTO collaborateurs VALUES (5, 19, 2);"));
}

// Nothing ticked, there is nothing to write: the last script stays.
TEST_F(FullExport, NoGroupIsRefusedAndTheLastScriptKept) {
    s.GV_Chemin_Base = fixtureCopy("v6");
    s.opt_albums = 1;
    ASSERT_TRUE(run()) << s.GV_Erreurs.toStdString();
    const QByteArray last = test::readAll(dir.filePath("scripts/donnees.sql"));
    s.opt_albums = 0;
    s.GV_Collection_Bits = "0";
    s.GV_LastRun_Changed = false;
    prompt.clear();
    EXPECT_FALSE(run());
    EXPECT_EQ(prompt.texts(),
              QStringList{"Aucune collection n'est cochée (le réglage « collection » vaut « 0 ») : "
                          "l'exportation n'a aucune donnée à écrire. Cochez une collection."});
    EXPECT_EQ(test::readAll(dir.filePath("scripts/donnees.sql")), last);
    EXPECT_FALSE(s.GV_LastRun_Changed);

    // Split with nothing to write has no file for that line: refused.
    prompt.clear();
    s.split = Settings::Split::Yes;
    s.GV_Collection_Bits = "8";
    EXPECT_FALSE(run());
    EXPECT_EQ(prompt.texts(),
              QStringList{"Aucune collection n'est cochée (le réglage « collection » vaut « 8 ») : "
                          "l'exportation n'a aucune donnée à écrire. Cochez une collection."});
    EXPECT_EQ(QDir(dir.filePath("scripts")).entryList(QDir::Files), QStringList{"donnees.sql"});
}

// The export keeps to the rule of the split group's box: a fraction is no
// more a group than 0 is, and nothing is written.
TEST_F(FullExport, ASplitGroupTheBoxWouldRefuseIsRefusedByValue) {
    s.GV_Chemin_Base = fixtureCopy("v6");
    s.split = Settings::Split::Yes;
    s.opt_albums = 1;
    for (const char* group : {"0", "250.5", "-300", "2e2"}) {
        SCOPED_TRACE(group);
        prompt.clear();
        s.box_SplitGroup = QString::fromLatin1(group);
        EXPECT_FALSE(run());
        EXPECT_EQ(prompt.texts(),
                  QStringList{QStringLiteral("Le nombre de lignes par fichier (« regrouper les "
                                             "albums par », réglage « splitgroup ») vaut « %1 » : "
                                             "ce n'est pas un nombre entier positif. Corrigez-le, "
                                             "ou choisissez « Créer un seul fichier ».")
                                  .arg(group)});
        EXPECT_FALSE(QDir(dir.filePath("scripts")).exists());
    }
}

TEST_F(FullExport, MarksMoveWhenTheWholeRunSucceeded) {
    s.GV_Chemin_Base = fixtureCopy("v6");
    s.opt_albums = s.opt_acheter = s.opt_revues = s.opt_parabd = 1;
    ASSERT_TRUE(run()) << s.GV_Erreurs.toStdString();
    EXPECT_EQ(s.GV_LastRun, "09/03/2024");
    EXPECT_EQ(s.GV_LastId, 85);
    EXPECT_EQ(s.GV_LastIdRevue, 20);
    EXPECT_EQ(s.GV_LastIdPara, 12);
    EXPECT_EQ(s.GV_LastCollaborateurs, "0");  // albums sent without their extra collaborators
    EXPECT_TRUE(s.GV_LastRun_Changed);
}

// An empty group was exported whole: the next incremental export sends
// everything it gains, from the first id on. The collection's albums sent
// earlier still lack their extra collaborators.
TEST_F(FullExport, OnlyTheCollectionMovesTheDateAndAnEmptyGroupMarksZero) {
    for (const char* generation : {"v5", "v6"}) {
        SCOPED_TRACE(generation);
        const bool v6 = QLatin1String(generation) == QLatin1String("v6");
        s.GV_Chemin_Base = fixtureCopy(
            generation, v6 ? "DELETE FROM ALBUMS WHERE AAcheter = 1; DELETE FROM REVUES; "
                             "DELETE FROM PARABD;"
                           : "DELETE FROM ACHETER; DELETE FROM REVUES; DELETE FROM EXLIBRIS;");
        s.GV_Version_Base = QString::fromLatin1(generation);
        s.GV_LastId = s.GV_LastIdRevue = s.GV_LastIdPara = Settings::kNeverExported;
        s.opt_acheter = s.opt_revues = s.opt_parabd = s.Opt_Collaborateurs = 1;
        s.GV_LastCollaborateurs = "0";
        test::StoreMarks(s);
        ASSERT_TRUE(run()) << s.GV_Erreurs.toStdString();
        EXPECT_EQ(s.GV_LastRun, "01/01/2020");
        EXPECT_EQ(s.GV_LastCollaborateurs, "0");
        EXPECT_EQ(s.GV_LastId, 0);
        EXPECT_EQ(s.GV_LastIdRevue, 0);
        EXPECT_EQ(s.GV_LastIdPara, 0);
        EXPECT_TRUE(s.GV_LastRun_Changed);
    }
}

TEST_F(FullExport, AFailedRunLeavesEveryMarkAndReportsOnce) {
    // The collectibles, the last group, meet a catalogue without PARABD.
    s.GV_Chemin_Base = fixtureCopy("v6", "DROP TABLE PARABD;");
    s.opt_albums = s.opt_acheter = s.opt_revues = s.opt_parabd = 1;
    s.GV_Erreurs = "avant";
    EXPECT_FALSE(run());
    EXPECT_EQ(s.GV_LastRun, "01/01/2020");
    EXPECT_EQ(s.GV_LastId, 7);
    EXPECT_EQ(s.GV_LastIdRevue, 8);
    EXPECT_EQ(s.GV_LastIdPara, 9);
    EXPECT_FALSE(s.GV_LastRun_Changed);

    ASSERT_EQ(prompt.shown().size(), 1u);
    // The box names its cause, as the log does.
    EXPECT_EQ(prompt.shown()[0].text,
              "Erreur lors de la création des donnees : " + s.GV_Erreurs.section("erreur : ", 1));
    EXPECT_EQ(prompt.shown()[0].title, kTitle);
    EXPECT_EQ(prompt.shown()[0].icon, PromptIcon::Critical);
    EXPECT_FALSE(prompt.busy());
    EXPECT_TRUE(s.GV_Erreurs.startsWith("avant\nerreur : ")) << s.GV_Erreurs.toStdString();
    EXPECT_GT(s.GV_Erreurs.size(), QString("avant\nerreur : ").size());
    const QString log = QString::fromUtf8(test::readAll(general::Log_Path()));
    EXPECT_TRUE(log.startsWith("Kalvorform.btn_donnees_SQL_click")) << log.toStdString();
    // The unfinished script does not take its name.
    EXPECT_TRUE(scripts().isEmpty()) << scripts().join(" ").toStdString();
}

TEST_F(FullExport, UnattendedRunsSayOnOneLineWhatTheyWroteOrWhyTheyFailed) {
    s.GV_Chemin_Base = fixtureCopy("v6");
    s.Mode_Commande = true;
    s.opt_albums = 1;
    EXPECT_TRUE(run());
    EXPECT_EQ(prompt.texts(), QStringList{"Génération des donnees terminée : " +
                                          dir.filePath("scripts/donnees.sql")});
    prompt.clear();

    s.GV_Export = dir.filePath("missing");  // the export folder must exist
    EXPECT_FALSE(run());
    // No one reads the log of a scheduled run: its cause follows the message.
    EXPECT_EQ(prompt.texts(), QStringList{"Erreur lors de la création des donnees : "
                                          "Chemin d'accès introuvable : " +
                                          dir.filePath("missing/scripts")});
    EXPECT_FALSE(QDir(dir.filePath("missing")).exists());

    // A value the export cannot read is named where the catalogue holds it.
    s.GV_Export = dir.path();
    s.opt_parabd = 1;
    s.Opt_Collaborateurs = 1;
    const struct {
        const char* mend;
        QString cause;
    } unreadable[] = {
        {"UPDATE ALBUMS SET DateAchat = 'demain' WHERE IdAlbum = 12;",
         "Incompatibilité de type (table ALBUMS, IdAlbum 12, colonne DateAchat : « demain »)"},
        {"UPDATE PARABD SET TypeObjet = 'affiche' WHERE IdParabd = 3;",
         "Incompatibilité de type (table PARABD, IdParabd 3, colonne TypeObjet : « affiche »)"},
        // The site would store 0, or the end of its range, without a word.
        {"UPDATE ALBUMS SET IdSerie = 'quatre' WHERE IdAlbum = 12;",
         "Incompatibilité de type (table ALBUMS, IdAlbum 12, colonne IdSerie : « quatre »)"},
        {"UPDATE ALBUMS SET NbPAges = 5000000000 WHERE IdAlbum = 12;",
         "Dépassement de capacité (table ALBUMS, IdAlbum 12, colonne NbPAges : « 5000000000 »)"},
        {"UPDATE ALBUMS SET CoteActuelle = -2147483649 WHERE IdAlbum = 12;",
         "Dépassement de capacité (table ALBUMS, IdAlbum 12, colonne CoteActuelle : "
         "« -2147483649 »)"},
        {"INSERT INTO COLLABORATEURS VALUES (12, 5000000000, 1);",
         "Dépassement de capacité (table COLLABORATEURS, IdAlbum 12, colonne IdAuteur : "
         "« 5000000000 »)"},
        {"UPDATE ALBUMS SET Appreciation = 101 WHERE IdAlbum = 12;",
         "Dépassement de capacité (table ALBUMS, IdAlbum 12, colonne Appreciation : « 101 »)"},
        // The site counts a rating's letters back, lists an album by its
        // flag and finds a link or a series by its id.
        {"UPDATE ALBUMS SET Appreciation = 'abc' WHERE IdAlbum = 12;",
         "Incompatibilité de type (table ALBUMS, IdAlbum 12, colonne Appreciation : « abc »)"},
        {"UPDATE ALBUMS SET Appreciation = -2 WHERE IdAlbum = 12;",
         "Argument ou appel de procédure incorrect (table ALBUMS, IdAlbum 12, colonne "
         "Appreciation : « -2 »)"},
        {"UPDATE ALBUMS SET AAcheter = 'x' WHERE IdAlbum = 12;",
         "Incompatibilité de type (table ALBUMS, IdAlbum 12, colonne AAcheter : « x »)"},
        {"INSERT INTO COLLABORATEURS VALUES ('douze', 5, 1);",
         "Incompatibilité de type (table COLLABORATEURS, IdAuteur 5, colonne IdAlbum : "
         "« douze »)"},
        {"UPDATE SERIES SET IdSerie = 'un' WHERE IdSerie = 1;",
         "Incompatibilité de type (table SERIES, colonne IdSerie : « un »)"},
        {"UPDATE AUTEURS SET IdAuteur = 'cinq' WHERE IdAuteur = 5;",
         "Incompatibilité de type (table AUTEURS, colonne IdAuteur : « cinq »)"},
        {"UPDATE PARABD SET Largeur = 'vingt-cinq centimetres et demi' WHERE IdParabd = 3;",
         "Texte trop long pour le site (table PARABD, IdParabd 3, colonne Largeur : 30 octets, "
         "la colonne du site en tient 24)"},
        // Each letter written as "&#1078;": more than the site's column holds.
        {"UPDATE SERIES SET Titre = replace(hex(zeroblob(5000)), '0', 'ж') WHERE IdSerie = 1;",
         "Texte trop long pour le site (table SERIES, IdSerie 1, colonne Titre : 70000 octets, "
         "la colonne du site en tient 65535)"},
    };
    for (const auto& c : unreadable) {
        s.GV_Chemin_Base = fixtureCopy("v6", QString::fromUtf8(c.mend));
        prompt.clear();
        EXPECT_FALSE(run());
        EXPECT_EQ(prompt.texts(),
                  QStringList{"Erreur lors de la création des donnees : " + c.cause})
            << prompt.texts().join("").toStdString();
    }
}

// Two exports into one folder (the window and a scheduled run, or two
// settings files naming it): the second, full or incremental, is refused at
// once naming the first, writes nothing and moves no mark.
TEST_F(FullExport, ASecondExportIntoAFolderBeingWrittenIsRefused) {
    s.GV_Chemin_Base = fixtureCopy("v6");
    s.opt_albums = 1;
    ASSERT_TRUE(run()) << s.GV_Erreurs.toStdString();
    const QByteArray earlier = test::readAll(dir.filePath("scripts/donnees.sql"));
    s.box_LastRun = s.GV_LastRun;
    s.GV_LastRun_Changed = false;
    std::optional<ExportLock> other(std::in_place, dir.filePath("scripts"),
                                    ExportLock::Export::Full);
    QDir().mkpath(dir.filePath("scripts/.donnees-en-cours"));  // where the other writes
    for (const bool incremental : {false, true}) {
        prompt.clear();
        EXPECT_FALSE(incremental ? btn_LastDonnees_SQL_Click(s, prompt) : run());
        EXPECT_TRUE(QRegularExpression("^Erreur lors de la création des donnees : L'exportation "
                                       "complète \\(donnees\\) du processus " +
                                       QString::number(::getpid()) +
                                       ", commencée le [0-9/]{10} à [0-9:]{8}, écrit déjà dans le "
                                       "dossier " +
                                       dir.filePath("scripts") +
                                       " : relancez celle-ci quand elle sera finie.$")
                        .match(prompt.texts().join(""))
                        .hasMatch())
            << prompt.texts().join("").toStdString();
        EXPECT_EQ(test::readAll(dir.filePath("scripts/donnees.sql")), earlier);
        EXPECT_TRUE(QDir(dir.filePath("scripts/.donnees-en-cours")).exists());
        EXPECT_FALSE(s.GV_LastRun_Changed);
    }
    other.reset();
    s.split = Settings::Split::Yes;
    ASSERT_TRUE(run()) << s.GV_Erreurs.toStdString();
    // Once it is gone, what it left is dropped; nothing of the lock stays.
    EXPECT_EQ(QDir(dir.filePath("scripts"))
                  .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name),
              (QStringList{"donnees_ALBUMS.sql", "donnees_AUTEURS.sql", "donnees_SERIES.sql"}));
}

// A publication cut after its list, and no start since: that run did not
// succeed, so the export first puts back the earlier set and its marks,
// then publishes its own.
TEST_F(FullExport, AnExportFirstFinishesAPublicationCutBeforeIt) {
    s.GV_Chemin_Base = fixtureCopy("v6");
    s.opt_albums = 1;
    const QString scripts = dir.filePath("scripts/");
    test::writeAll(scripts + ".donnees-remplacees/donnees_AUTEURS.sql", "earlier");
    test::writeAll(scripts + ".donnees-en-cours/donnees_SERIES.sql", "cut");
    test::writeAll(scripts + ".donnees-en-cours/.publication",
                   "+donnees_SERIES.sql\n-donnees_AUTEURS.sql\n=lastid=3\n<lastid=2\n");
    ASSERT_TRUE(run()) << s.GV_Erreurs.toStdString();
    EXPECT_EQ(QDir(scripts).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{"donnees.sql"});
    EXPECT_EQ(s.GV_LastId, 2);
    EXPECT_TRUE(prompt.texts().join("").endsWith(
        "le dossier tient de nouveau ceux de l'exportation précédente, avec ses marques de "
        "dernière exportation."));
}

TEST_F(FullExport, AWishListWithoutTheCollectionReplacesItsAlbumsLinks) {
    s.GV_Chemin_Base = fixtureCopy("v6");
    s.opt_acheter = 1;
    ASSERT_TRUE(run());
    const QStringList lines = statements("donnees.sql");
    EXPECT_FALSE(lines.contains("DELETE FROM collaborateurs;"));
    const qsizetype album =
        lines.indexOf(QRegularExpression("^INSERT INTO acheter VALUES \\(73,.*"));
    ASSERT_GT(album, 0);
    EXPECT_EQ(lines.mid(album + 1, 4),
              (QStringList{"DELETE FROM collaborateurs where idalbum = 73;",
                           "INSERT INTO collaborateurs VALUES (73, 6, 0);",
                           "INSERT INTO collaborateurs VALUES (73, 12, 1);",
                           "INSERT INTO collaborateurs VALUES (73, 11, 2);"}));
}

TEST_F(FullExport, OlderWishListIdsThatRepeatCollectionIdsGiveEachLinkOnce) {
    // An older catalogue counts its wish list apart: album 5 is in both tables,
    // with the same writer, and COLLABORATEURS rows belong to both.
    s.GV_Chemin_Base = sharedIdCatalogue();
    s.GV_Version_Base = QStringLiteral("v5");
    s.opt_albums = s.opt_acheter = 1;
    s.Opt_Collaborateurs = 1;
    ASSERT_TRUE(run()) << s.GV_Erreurs.toStdString();
    const QStringList lines = statements("donnees.sql");
    EXPECT_EQ(lines.count("INSERT INTO collaborateurs VALUES (5, 4, 0);"), 1);
    EXPECT_EQ(lines.count("INSERT INTO collaborateurs VALUES (5, 19, 2);"), 1);
    EXPECT_EQ(lines.count("INSERT INTO collaborateurs VALUES (5, 99, 1);"), 1);
}

TEST_F(FullExport, AnOlderWishListWithoutTheCollectionKeepsTheLinksOfOwnedAlbums) {
    // Wish-list album 5 (writer 4, artist 99, colourist 7) replaces the
    // links of id 5, which owned album 5 (writer 4, artist 5, colourist 7)
    // holds too; COLLABORATEURS rows (5, 4, 0) and (5, 19, 2) belong to both.
    s.GV_Chemin_Base = sharedIdCatalogue();
    s.GV_Version_Base = QStringLiteral("v5");
    s.opt_acheter = 1;
    s.Opt_Collaborateurs = 1;
    ASSERT_TRUE(run()) << s.GV_Erreurs.toStdString();
    const QStringList lines = statements("donnees.sql");
    QStringList links = lines.filter("collaborateurs VALUES (5,");
    std::sort(links.begin(), links.end());
    EXPECT_EQ(links, (QStringList{"INSERT INTO collaborateurs VALUES (5, 19, 2);",
                                  "INSERT INTO collaborateurs VALUES (5, 4, 0);",
                                  "INSERT INTO collaborateurs VALUES (5, 5, 1);",
                                  "INSERT INTO collaborateurs VALUES (5, 7, 2);",
                                  "INSERT INTO collaborateurs VALUES (5, 99, 1);"}));
    EXPECT_EQ(lines.count("DELETE FROM collaborateurs where idalbum = 5;"), 1);
}

}  // namespace
