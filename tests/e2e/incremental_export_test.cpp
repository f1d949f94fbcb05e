#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <algorithm>
#include <functional>

#include <gtest/gtest.h>

#include "catalogue/sqlite_catalogue.h"
#include "catalogue/synthetic_catalogue.h"
#include "common/vb.h"
#include "e2e/e2e_servers.h"
#include "platform/dao/db_engine.h"
#include "platform/prompt.h"
#include "settings/settings.h"
#include "sqlscripts/full_export.h"
#include "sqlscripts/incremental_export.h"
#include "sqlscripts/schema_scripts.h"
#include "sqlscripts/script_set.h"
#include "support/test_paths.h"
#include "unit/sqlscripts/grown_catalogue.h"

using namespace kalvor;

namespace {

struct Load {
    const char* generation;
    bool utf8;
};

const QStringList kTables = {"auteurs", "auteurs2", "auteurs3",   "series",         "series2",
                             "series3", "series4",  "albums",     "acheter",        "parabd",
                             "revues",  "model",    "model_item", "collaborateurs", "kalvor"};

// The site after the full export of 10/01/2027 and the incremental export of
// 20/01/2027 holds what a full export of the grown catalogue gives on
// 20/01/2027, table by table: the fixture, and a synthetic catalogue.
class IncrementalOnTopOfFull : public ::testing::TestWithParam<Load> {
  protected:
    void SetUp() override {
        KALVOR_REQUIRE_SERVERS();
        catalogue = dir.filePath("catalogue.sqlite");
        catalogue::BuildSqliteCatalogue(
            test::fixturePath(
                QStringLiteral("catalogue/catalogue-%1.sql").arg(GetParam().generation)),
            catalogue);
    }

    bool v6() const { return QLatin1String(GetParam().generation) == QLatin1String("v6"); }

    Settings settings(const QString& folder) const {
        Settings s;
        s.GV_Export = folder;
        s.GV_Chemin_Base = catalogue;
        s.GV_Prefixe_Table = QStringLiteral("bd_");
        s.GV_Version_Base = QString::fromLatin1(GetParam().generation);
        s.format =
            GetParam().utf8 ? Settings::FormatDonnees::Utf8 : Settings::FormatDonnees::Latin1;
        s.opt_albums = s.opt_acheter = s.opt_revues = s.opt_parabd = 1;
        s.Opt_Collaborateurs = 1;
        return s;
    }

    // A database loaded with tables.sql and the full export of `s`.
    QString fullSite(Settings& s, const QString& hint) {
        QDir().mkpath(s.GV_Export);
        schema_scripts::Create_Tables_Sql({s.GV_Export, s.GV_Prefixe_Table, GetParam().utf8});
        EXPECT_TRUE(btn_Donnees_SQL_Click(s, prompt)) << s.GV_Erreurs.toStdString();
        const QString db = e2e::createDatabase(
            hint + QStringLiteral("_%1_%2").arg(GetParam().generation).arg(GetParam().utf8));
        load(db, s.GV_Export + "/scripts/tables.sql");
        load(db, s.GV_Export + "/scripts/donnees.sql");
        return db;
    }

    void load(const QString& db, const QString& path) {
        const e2e::LoadResult r = e2e::loadScriptFile(db, path);
        ASSERT_TRUE(r.ok) << path.toStdString() << ": " << r.errors.toStdString();
        EXPECT_TRUE(r.diagnostics.isEmpty())
            << path.toStdString() << ": " << r.diagnostics.join("\n").toStdString();
    }

    QStringList columns(const QString& db, const QString& table) {
        const e2e::SqlResult r = e2e::runSql(
            db, QStringLiteral("SELECT column_name FROM information_schema.columns WHERE "
                               "table_schema = DATABASE() AND table_name = 'bd_%1' ORDER BY "
                               "ordinal_position;")
                    .arg(table)
                    .toUtf8());
        EXPECT_TRUE(r.ok) << r.errors.toStdString();
        QStringList names;
        for (const QStringList& row : r.rows) {
            names << row.value(0);
        }
        return names;
    }

    // Every row of a table, sorted, one text per row; line ends inside a
    // value are shown so that a row stays one line of the client's output.
    QStringList rows(const QString& db, const QString& table, const QStringList& names) {
        QStringList shown;
        for (const QString& c : names) {
            shown << QStringLiteral("REPLACE(REPLACE(`%1`, CHAR(13), '\\\\r'), CHAR(10), '\\\\n')")
                         .arg(c);
        }
        const e2e::SqlResult r = e2e::runSql(
            db, QStringLiteral("SELECT %1 FROM bd_%2;").arg(shown.join(", "), table).toUtf8());
        EXPECT_TRUE(r.ok) << r.errors.toStdString();
        QStringList out;
        for (const QStringList& row : r.rows) {
            out << row.join(u'|');
        }
        std::sort(out.begin(), out.end());
        return out;
    }

    // The rows only one site holds.
    static void expectSameRows(const QStringList& published, const QStringList& whole) {
        QStringList extra, missing;
        std::set_difference(published.begin(), published.end(), whole.begin(), whole.end(),
                            std::back_inserter(extra));
        std::set_difference(whole.begin(), whole.end(), published.begin(), published.end(),
                            std::back_inserter(missing));
        EXPECT_TRUE(extra.isEmpty() && missing.isEmpty())
            << "only after the incremental export:\n"
            << extra.join("\n").toStdString() << "\nonly in the full export:\n"
            << missing.join("\n").toStdString();
        EXPECT_EQ(published.size(), whole.size());
    }

    QString value(const QString& db, const QString& query) {
        const e2e::SqlResult r = e2e::runSql(db, query.toUtf8());
        EXPECT_TRUE(r.ok) << r.errors.toStdString();
        return r.rows.isEmpty() ? QString() : r.rows.first().join(u'|');
    }

    struct Sites {
        QString published;  // full export, then the incremental one
        QString whole;      // full export of the grown catalogue
    };

    // The full export of 10/01/2027, `grow`, the incremental export of
    // 20/01/2027 loaded on top, and a full export of the grown catalogue
    // that day.
    Sites publishGrowAndUpdate(const std::function<void()>& grow) {
        Sites sites;
        Settings later = settings(dir.filePath("site"));
        {
            vb::ScopedClock clock(QDateTime(QDate(2027, 1, 10), QTime(12, 0)));
            Settings s = settings(dir.filePath("site"));
            sites.published = fullSite(s, "inc");
            // What the next start reads back from the saved marks.
            later.box_LastRun = s.GV_LastRun;
            later.GV_LastRun = s.GV_LastRun;
            later.GV_LastId = s.GV_LastId;
            later.GV_LastIdRevue = s.GV_LastIdRevue;
            later.GV_LastIdPara = s.GV_LastIdPara;
        }
        EXPECT_EQ(later.box_LastRun, "10/01/2027");
        grow();

        vb::ScopedClock clock(QDateTime(QDate(2027, 1, 20), QTime(9, 30)));
        EXPECT_TRUE(btn_LastDonnees_SQL_Click(later, prompt)) << later.GV_Erreurs.toStdString();
        load(sites.published, dir.filePath("site/scripts/dernieres_donnees.sql"));
        Settings s = settings(dir.filePath("whole"));
        sites.whole = fullSite(s, "full");
        return sites;
    }

    void expectSameTables(const QString& published, const QString& whole) {
        for (const QString& table : kTables) {
            SCOPED_TRACE(table.toStdString());
            const QStringList names = columns(whole, table);
            ASSERT_FALSE(names.isEmpty());
            expectSameRows(rows(published, table, names), rows(whole, table, names));
        }
    }

    test::IsolatedEnvironment env;
    QTemporaryDir dir;
    QString catalogue;
    RecordingPrompt prompt;
};

TEST_P(IncrementalOnTopOfFull, GivesTheSiteOfAFullExportOfTheGrownCatalogue) {
    const Sites sites = publishGrowAndUpdate([this] {
        dao::DBEngine::OpenDatabase(catalogue)->ExecuteScript(test::GrownCatalogue(v6()));
    });
    const QString& published = sites.published;
    const QString& whole = sites.whole;
    expectSameTables(published, whole);
    // Both sites hold the new rows.
    EXPECT_EQ(value(published, "SELECT COUNT(*) FROM bd_albums;"), "72");
    EXPECT_EQ(value(published, "SELECT COUNT(*) FROM bd_revues;"), "22");
    EXPECT_EQ(value(published, "SELECT last_update FROM bd_kalvor;"), "2027-01-20");
    EXPECT_EQ(value(published, "SELECT coteactuelle FROM bd_albums WHERE idalbum = 90;"), "13");

    // No false "Exemplaire Auteur" badge on a new "v6" object of item 3.
    EXPECT_EQ(value(published, "SELECT ea FROM bd_parabd WHERE idparabd = 13;"), v6() ? "0" : "1");

    // Loading the same script twice keeps the site as it is.
    load(published, dir.filePath("site/scripts/dernieres_donnees.sql"));
    expectSameRows(rows(published, "albums", columns(whole, "albums")),
                   rows(whole, "albums", columns(whole, "albums")));
}

// An older catalogue numbers its wish list apart from the collection: the
// new wish-list albums take ids of owned albums, old ones and ones bought in
// the window, and some of their links repeat those owned albums' links. On
// the site, an id's links are those of both albums.
TEST_P(IncrementalOnTopOfFull, KeepsTheLinksOfAlbumsThatShareAnId) {
    catalogue = dir.filePath("synthetic.sqlite");
    catalogue::SyntheticOptions options;
    options.albums = 64;
    options.grownWishList = 10;
    const catalogue::Generation generation =
        v6() ? catalogue::Generation::V6 : catalogue::Generation::Older;
    catalogue::WriteSyntheticCatalogue(catalogue, generation, options);

    const Sites sites = publishGrowAndUpdate([&] {
        catalogue::GrowSyntheticCatalogue(catalogue, generation, options, QDate(2027, 1, 10));
        // The album added without a purchase date waits for the next full
        // export: dated, it is in the window.
        dao::DBEngine::OpenDatabase(catalogue)->ExecuteScript(QStringLiteral(
            "UPDATE ALBUMS SET DateAchat = '2027-01-12 00:00:00' WHERE IdAlbum = 66;"));
    });
    expectSameTables(sites.published, sites.whole);

    const QString shared = value(sites.whole,
                                 "SELECT COUNT(*) FROM bd_acheter JOIN bd_albums USING (idalbum) "
                                 "WHERE idalbum > 60;");
    EXPECT_EQ(shared, v6() ? "0" : "9");
    EXPECT_EQ(value(sites.published, "SELECT COUNT(*) FROM bd_acheter;"), "20");
}

// A collector who started without a wish list, magazines or collectibles
// adds some after a full export: the next incremental export, from the
// marks that export left, sends them all. In an older catalogue the new
// wish-list album 86 shares its id with an owned album, and brings a new
// author through COLLABORATEURS alone.
TEST_P(IncrementalOnTopOfFull, ItemsAddedToGroupsThatWereEmptyReachTheSite) {
    dao::DBEngine::OpenDatabase(catalogue)->ExecuteScript(
        v6() ? QStringLiteral("DELETE FROM ALBUMS WHERE AAcheter = 1; DELETE FROM REVUES; "
                              "DELETE FROM PARABD;")
             : QStringLiteral("DELETE FROM ACHETER; DELETE FROM REVUES; DELETE FROM EXLIBRIS;"));
    const Sites sites = publishGrowAndUpdate([this] {
        QString grown = test::GrownCatalogue(v6());
        if (!v6()) {
            grown += QStringLiteral(
                "INSERT INTO AUTEURS (IdAuteur, Nom, Scenario, Dessin, Couleur) VALUES "
                "(31, 'Trente-et-un', 0, 0, -1);"
                "INSERT INTO ACHETER (IdAlbum, Titre, IdSerie, IdDessinateur, IdScenariste, "
                "idColoriste) VALUES (86, 'Même numéro', 3, 9, 12, NULL);"
                "INSERT INTO COLLABORATEURS VALUES (86, 31, 2);");
        }
        dao::DBEngine::OpenDatabase(catalogue)->ExecuteScript(grown);
    });
    expectSameTables(sites.published, sites.whole);
    EXPECT_EQ(value(sites.published, "SELECT COUNT(*) FROM bd_acheter;"), v6() ? "2" : "3");
    EXPECT_EQ(value(sites.published, "SELECT COUNT(*) FROM bd_revues;"), "2");
    EXPECT_EQ(value(sites.published, "SELECT COUNT(*) FROM bd_parabd;"), "2");
    if (!v6()) {
        // The owned album 86 shows its new collaborator.
        EXPECT_EQ(value(sites.published, "SELECT nom FROM bd_auteurs WHERE idauteur = 31;"),
                  "Trente-et-un");
    }
}

// A comment's line breaks reach the site whole, CR included, through the
// stock client, from both exports.
TEST_P(IncrementalOnTopOfFull, CommentsKeepTheirLineBreaks) {
    const QString crlf = QStringLiteral("'Ligne un' || char(13, 10) || 'ligne deux'");
    dao::DBEngine::OpenDatabase(catalogue)->ExecuteScript(
        QStringLiteral("UPDATE ALBUMS SET Commentaire = %1 WHERE IdAlbum = 5;"
                       "UPDATE AUTEURS SET Commentaire = %1 WHERE IdAuteur = 4;")
            .arg(crlf));
    const Sites sites = publishGrowAndUpdate([this, crlf] {
        dao::DBEngine::OpenDatabase(catalogue)->ExecuteScript(
            test::GrownCatalogue(v6()) +
            QStringLiteral("UPDATE SERIES SET Commentaire = %1 WHERE IdSerie = 13;").arg(crlf));
    });
    expectSameTables(sites.published, sites.whole);
    const QString shown = QStringLiteral("Ligne un\\r\\nligne deux");
    for (const QString& site : {sites.published, sites.whole}) {
        for (const char* query :
             {"SELECT REPLACE(REPLACE(commentaire, CHAR(13), '\\\\r'), CHAR(10), '\\\\n') FROM "
              "bd_albums WHERE idalbum = 5;",
              "SELECT REPLACE(REPLACE(commentaire, CHAR(13), '\\\\r'), CHAR(10), '\\\\n') FROM "
              "bd_auteurs WHERE idauteur = 4;",
              "SELECT REPLACE(REPLACE(commentaire, CHAR(13), '\\\\r'), CHAR(10), '\\\\n') FROM "
              "bd_series WHERE idserie = 13;"}) {
            EXPECT_EQ(value(site, QString::fromLatin1(query)), shown) << query;
        }
    }
}

// What an owner does between two full exports, step by step.
enum class Step {
    Full,            // of every collection
    FullCollection,  // collection=9: the collection and its links
    FullKilled,      // of every collection, killed once its set was listed
    Incremental,
    Start,       // of Kalvor, which mends the folder first
    DeleteFull,  // donnees.sql, loaded: the README allows it
    Grow,        // test::GrownCatalogue
    GrowIssue,   // magazine issue 23
    GrowMore,    // owned album 92 bought that day, wish-list album 95, object 16
};
struct Did {
    Step step;
    int day = 0;  // of January 2027, for an export
    bool loaded = false;
};
struct Sequence {
    const char* name;
    std::vector<Did> steps;
};

// Whatever ran, failed or was loaded before, the scripts the owner was told
// to load, in the README's order (the full export's, then the newest
// dernieres_donnees.sql), give the site of a full export of the catalogue
// as it is at the end.
TEST_P(IncrementalOnTopOfFull, TheScriptsToLoadBringTheSiteToTheCatalogueWhateverCameBefore) {
    using S = Step;
    const Sequence sequences[] = {
        {"full_of_the_collection_alone",
         {{S::Full, 10, true},
          {S::Grow},
          {S::Incremental, 16},
          {S::FullCollection, 17, true},
          {S::Incremental, 20, true}}},
        {"full_deleted_after_its_load",
         {{S::Full, 10, true},
          {S::Grow},
          {S::Incremental, 16},
          {S::GrowIssue},
          {S::Full, 17, true},
          {S::DeleteFull},
          {S::Incremental, 20, true}}},
        {"full_killed_then_a_start",
         {{S::Full, 10, true},
          {S::Grow},
          {S::FullKilled, 16},
          {S::Start},
          {S::Incremental, 20, true}}},
        {"nightly_runs_loaded_now_and_then",
         {{S::Full, 10, true},
          {S::Grow},
          {S::Incremental, 14},
          {S::GrowIssue},
          {S::Incremental, 15, true},
          {S::GrowMore},
          {S::Incremental, 18},
          {S::Incremental, 20, true}}},
    };
    const QString v6Table = v6() ? "ALBUMS" : "ACHETER";
    const QString objects = v6() ? "PARABD" : "EXLIBRIS";
    const QString objectKey = v6() ? "IdParabd" : "IdExlibris";
    const QString copy =
        "CREATE TEMP TABLE t AS SELECT * FROM %1 WHERE %2 = %3; "
        "UPDATE t SET %2 = %4; INSERT INTO %1 SELECT * FROM t; DROP TABLE t;";
    const QString grow[] = {
        test::GrownCatalogue(v6()),
        copy.arg("REVUES", "IdRevue", "22", "23"),
        copy.arg("ALBUMS", "IdAlbum", "91", "92") + copy.arg(v6Table, "IdAlbum", "93", "95") +
            copy.arg(objects, objectKey, "13", "16") +
            "INSERT INTO COLLABORATEURS VALUES (95, 27, 2);",
    };
    const QList<Settings::Mark> marks{Settings::Mark::LastRun,
                                      Settings::Mark::LastId,
                                      Settings::Mark::LastIdPara,
                                      Settings::Mark::LastIdRevue,
                                      Settings::Mark::LastCollaborateurs,
                                      Settings::Mark::LastFull};
    Settings::MarkTexts none;
    for (const Settings::Mark mark : marks) {
        none.append({mark, QString()});
    }
    int n = 0;
    for (const Sequence& sequence : sequences) {
        SCOPED_TRACE(sequence.name);
        ++n;
        catalogue::BuildSqliteCatalogue(
            test::fixturePath(
                QStringLiteral("catalogue/catalogue-%1.sql").arg(GetParam().generation)),
            catalogue = dir.filePath(QStringLiteral("catalogue-%1.sqlite").arg(n)));
        Settings::Write_Marks(none);
        const QString folder = dir.filePath(QStringLiteral("seq%1").arg(n));
        const QString scripts = folder + "/scripts/";
        QDir().mkpath(folder);
        schema_scripts::Create_Tables_Sql({folder, "bd_", GetParam().utf8});
        const QString site = e2e::createDatabase(
            QStringLiteral("seq%1_%2_%3").arg(n).arg(GetParam().generation).arg(GetParam().utf8));
        load(site, scripts + "tables.sql");
        int day = 10;
        for (const Did& did : sequence.steps) {
            day = std::max(day, did.day);
            vb::ScopedClock clock(QDateTime(QDate(2027, 1, day), QTime(12, 0)));
            Settings s = settings(folder);
            s.Reload_Marks();
            s.Show_LastRun();
            switch (did.step) {
                case S::Full:
                case S::FullCollection:
                    if (did.step == S::FullCollection) {
                        s.opt_acheter = s.opt_revues = s.opt_parabd = 0;
                    }
                    ASSERT_TRUE(btn_Donnees_SQL_Click(s, prompt)) << s.GV_Erreurs.toStdString();
                    break;
                case S::FullKilled: {
                    // Its set, written whole elsewhere, laid aside with its
                    // list; its marks not yet written.
                    const Settings::MarkTexts before = Settings::Stored_Marks(none);
                    Settings elsewhere = settings(dir.filePath(QStringLiteral("cut%1").arg(n)));
                    QDir().mkpath(elsewhere.GV_Export);
                    ASSERT_TRUE(btn_Donnees_SQL_Click(elsewhere, prompt));
                    QByteArray list = "+donnees.sql\n-donnees.sql\n";
                    for (const auto& [mark, text] : Settings::Stored_Marks(none)) {
                        list +=
                            "=" + Settings::MarkName(mark).toUtf8() + "=" + text.toUtf8() + "\n";
                    }
                    for (const auto& [mark, text] : before) {
                        list +=
                            "<" + Settings::MarkName(mark).toUtf8() + "=" + text.toUtf8() + "\n";
                    }
                    Settings::Write_Marks(before);
                    test::writeAll(scripts + ".donnees-en-cours/donnees.sql",
                                   test::readAll(elsewhere.GV_Export + "/scripts/donnees.sql"));
                    test::writeAll(scripts + ".donnees-en-cours/.publication", list);
                    break;
                }
                case S::Incremental:
                    ASSERT_TRUE(btn_LastDonnees_SQL_Click(s, prompt)) << s.GV_Erreurs.toStdString();
                    break;
                case S::Start:
                    MendScriptsFolder(s);
                    break;
                case S::DeleteFull:
                    ASSERT_TRUE(QFile::remove(scripts + "donnees.sql"));
                    break;
                default:
                    dao::DBEngine::OpenDatabase(catalogue)->ExecuteScript(
                        grow[int(did.step) - int(S::Grow)]);
            }
            if (did.loaded) {
                load(site, scripts + (did.step == S::Incremental ? "dernieres_donnees.sql"
                                                                 : "donnees.sql"));
            }
        }
        // The newest script holds each row once.
        const QStringList lines =
            QString::fromLatin1(test::readAll(scripts + "dernieres_donnees.sql")).split('\n');
        const QStringList rows = lines.filter(QRegularExpression("^INSERT INTO bd_(?!collab)"));
        EXPECT_EQ(QSet<QString>(rows.begin(), rows.end()).size(), rows.size());
        EXPECT_LE(lines.filter(QRegularExpression("^DELETE FROM bd_revues;")).size(), 1);

        vb::ScopedClock clock(QDateTime(QDate(2027, 1, day), QTime(12, 0)));
        Settings s = settings(dir.filePath(QStringLiteral("whole%1").arg(n)));
        expectSameTables(site, fullSite(s, QStringLiteral("whole%1").arg(n)));
    }
}

INSTANTIATE_TEST_SUITE_P(Catalogues, IncrementalOnTopOfFull,
                         ::testing::Values(Load{"v6", false}, Load{"v6", true}, Load{"v5", false},
                                           Load{"v5", true}),
                         [](const auto& info) {
                             return std::string(info.param.generation) +
                                    (info.param.utf8 ? "_utf8" : "_latin1");
                         });

}  // namespace
