#include <QDir>
#include <QTemporaryDir>
#include <algorithm>
#include <random>

#include <gtest/gtest.h>

#include "catalogue/sqlite_catalogue.h"
#include "e2e/e2e_servers.h"
#include "platform/cp1252.h"
#include "platform/dao/db_engine.h"
#include "platform/prompt.h"
#include "settings/settings.h"
#include "sqlscripts/full_export.h"
#include "sqlscripts/schema_scripts.h"
#include "support/test_paths.h"

using namespace kalvor;

namespace {

struct Load {
    const char* generation;  // "v6" or "v5"
    bool utf8;
    bool split;
};

std::string loadName(const ::testing::TestParamInfo<Load>& info) {
    return std::string(info.param.generation) + (info.param.utf8 ? "_utf8" : "_latin1") +
           (info.param.split ? "_split" : "_single");
}

// The fixture catalogue's rows per site table (both generations hold the
// same data): authors and series of each collection, every album, link,
// collectible and magazine issue, the magazine titles without regard to
// letter case, and the link that repeats an album's own author once.
const QList<QPair<QString, int>> kCounts = {
    {"auteurs", 23}, {"auteurs2", 17},        {"auteurs3", 8}, {"series", 11},  {"series2", 7},
    {"series3", 8},  {"series4", 4},          {"albums", 70},  {"acheter", 15}, {"parabd", 12},
    {"revues", 20},  {"collaborateurs", 265}, {"kalvor", 1},
};

class FullExportOnMariaDb : public ::testing::TestWithParam<Load> {
  protected:
    void SetUp() override {
        KALVOR_REQUIRE_SERVERS();
        s.GV_Export = dir.path();
        s.GV_Prefixe_Table = QStringLiteral("bd_");
        s.GV_Version_Base = QString::fromLatin1(GetParam().generation);
        s.format =
            GetParam().utf8 ? Settings::FormatDonnees::Utf8 : Settings::FormatDonnees::Latin1;
        s.split = GetParam().split ? Settings::Split::Yes : Settings::Split::No;
        s.box_SplitGroup = QStringLiteral("20");  // several album and author parts
        s.opt_albums = s.opt_acheter = s.opt_revues = s.opt_parabd = 1;
        s.Opt_Collaborateurs = 1;
        schema_scripts::Create_Tables_Sql({s.GV_Export, s.GV_Prefixe_Table, GetParam().utf8});
        db = e2e::createDatabase(QStringLiteral("donnees_%1_%2_%3")
                                     .arg(GetParam().generation)
                                     .arg(GetParam().utf8)
                                     .arg(GetParam().split));
        load("tables.sql");
    }

    void load(const QString& name) {
        const e2e::LoadResult r = e2e::loadScriptFile(db, dir.path() + "/scripts/" + name);
        ASSERT_TRUE(r.ok) << name.toStdString() << ": " << r.errors.toStdString();
        EXPECT_TRUE(r.diagnostics.isEmpty())
            << name.toStdString() << ": " << r.diagnostics.join("\n").toStdString();
    }

    // Exports, then loads every data script in name order, as a user who
    // runs the folder's files one after the other would.
    void exportAndLoad() {
        ASSERT_TRUE(btn_Donnees_SQL_Click(s, prompt))
            << prompt.texts().join("\n").toStdString() << s.GV_Erreurs.toStdString();
        const QStringList files =
            QDir(dir.path() + "/scripts").entryList({"donnees*.sql"}, QDir::Files, QDir::Name);
        ASSERT_EQ(files.size() > 1, GetParam().split) << files.join(" ").toStdString();
        for (const QString& file : files) {
            load(file);
        }
    }

    QString value(const QString& query) {
        const e2e::SqlResult r = e2e::runSql(db, query.toUtf8());
        EXPECT_TRUE(r.ok) << r.errors.toStdString();
        return r.rows.isEmpty() ? QString() : r.rows.first().join(u'|');
    }

    // The bytes a page receives for a column: the connection is latin1.
    QByteArray asPagesRead(const QString& column, const QString& table, const QString& where) {
        return QByteArray::fromHex(
            value(QStringLiteral("SET NAMES latin1; SELECT HEX(CONVERT(%1 USING latin1)) FROM "
                                 "bd_%2 WHERE %3;")
                      .arg(column, table, where))
                .toLatin1());
    }
    QByteArray storedBytes(const QString& column, const QString& table, const QString& where) {
        return QByteArray::fromHex(
            value(QStringLiteral("SELECT HEX(%1) FROM bd_%2 WHERE %3;").arg(column, table, where))
                .toLatin1());
    }

    test::IsolatedEnvironment env;
    QTemporaryDir dir;
    Settings s;
    RecordingPrompt prompt;
    QString db;
};

TEST_P(FullExportOnMariaDb, AccessCatalogueLoadsWithTheCatalogueRowCounts) {
    s.GV_Chemin_Base = test::fixturePath(QStringLiteral("catalogue/catalogue-%1.mdb")
                                             .arg(QString::fromLatin1(GetParam().generation)));
    exportAndLoad();
    for (const auto& [table, count] : kCounts) {
        EXPECT_EQ(value("SELECT COUNT(*) FROM bd_" + table + ";"), QString::number(count))
            << table.toStdString();
    }
    // The link that COLLABORATEURS repeats is there once, the magazine
    // without a title counts as the empty title, the capitals title as its
    // lower-case twin.
    EXPECT_EQ(value("SELECT COUNT(*) FROM bd_collaborateurs WHERE idalbum = 5 AND idauteur = 4;"),
              "1");
    EXPECT_EQ(value("SELECT s.titre FROM bd_revues r JOIN bd_series4 s ON s.idserie = r.idserie "
                    "WHERE r.idrevue = 20;"),
              "");
    EXPECT_EQ(
        value("SELECT COUNT(DISTINCT idserie) FROM bd_revues WHERE idrevue BETWEEN 9 AND 16;"),
        "1");
    EXPECT_EQ(value("SELECT typeobjet FROM bd_parabd WHERE idparabd = 12;"), "1000");
}

TEST_P(FullExportOnMariaDb, AccentsEuroAndApostropheReadBackAsWritten) {
    const QString catalogue = dir.path() + "/catalogue.sqlite";
    catalogue::BuildSqliteCatalogue(
        test::fixturePath(QStringLiteral("catalogue/catalogue-%1.sql")
                              .arg(QString::fromLatin1(GetParam().generation))),
        catalogue);
    const QString title = QStringLiteral("L'été d'une œuvre à 10 €");
    const QString comment = QStringLiteral("Cœur brisé : 12 € l'été");
    // Letters beyond Windows-1252 are written as references of seven
    // characters: 255 of them, and a comment past blob's 65,535 bytes.
    const QString cyrillic(255, QChar(0x043A));
    const QString longComment(11000, QChar(0x010D));
    const bool v6 = QString::fromLatin1(GetParam().generation) == u"v6";
    {
        auto cat = dao::DBEngine::OpenDatabase(catalogue);
        cat->ExecuteScript(
            QStringLiteral("UPDATE ALBUMS SET Titre = '%1', Commentaire = '%2' "
                           "WHERE IdAlbum = 1; UPDATE SERIES SET Titre = '%3' WHERE IdSerie = 1; "
                           "UPDATE AUTEURS SET Prenom = 'Gas' || char(13, 10) || 'pard', "
                           "Commentaire = '%4' WHERE IdAuteur = 14; UPDATE REVUES SET "
                           "NomRevue = 'Spirou' || char(13, 10) || 'Hebdo' WHERE IdRevue = 1; "
                           "UPDATE %5 SET Largeur = 1.0 / 3 WHERE %6 = 1;")
                .arg(QString(title).replace("'", "''"), QString(comment).replace("'", "''"),
                     cyrillic, longComment)
                .arg(v6 ? "PARABD" : "EXLIBRIS", v6 ? "IdParabd" : "IdExlibris"));
    }
    s.GV_Chemin_Base = catalogue;
    exportAndLoad();
    // A host that loads in strict mode stores the same.
    const QString loaded = db;
    const QString strict = e2e::createDatabase(QStringLiteral("strict_%1").arg(db));
    const QString scripts = dir.path() + "/scripts/";
    for (const QString& file :
         QStringList{"tables.sql"} + QDir(scripts).entryList({"donnees*.sql"}, QDir::Files)) {
        QByteArray script = test::readAll(scripts + file);
        script.replace("'NO_ENGINE_SUBSTITUTION'", "'STRICT_ALL_TABLES'");
        const e2e::LoadResult r = e2e::loadScript(strict, script);
        ASSERT_TRUE(r.ok) << file.toStdString() << ": " << r.errors.toStdString();
    }
    for (const QString& site : {loaded, strict}) {
        db = site;
        EXPECT_EQ(asPagesRead("titre", "series", "idserie = 1"),
                  QByteArray("&#1082;").repeated(255));
        EXPECT_EQ(storedBytes("commentaire", "auteurs", "idauteur = 14"),
                  QByteArray("&#269;").repeated(11000));
        EXPECT_EQ(asPagesRead("prenom", "auteurs", "idauteur = 14"), "Gas\r\npard");
        // A dimension is written with fifteen digits.
        EXPECT_EQ(asPagesRead("largeur", "parabd", "idparabd = 1"), "0.333333333333333");
        EXPECT_EQ(value("SELECT HEX(s.titre) FROM bd_revues r JOIN bd_series4 s ON s.idserie = "
                        "r.idserie WHERE r.idrevue = 1;"),
                  QByteArray("Spirou\r\nHebdo").toHex().toUpper());
    }
    db = loaded;
    EXPECT_EQ(asPagesRead("titre", "albums", "idalbum = 1"), cp1252::encode(title));
    // Comments are blobs that keep the bytes they were given: Windows-1252
    // in both encodings, as the pages read them.
    EXPECT_EQ(storedBytes("commentaire", "albums", "idalbum = 1"), cp1252::encode(comment));
    EXPECT_EQ(asPagesRead("titre", "series", "idserie = 3"), cp1252::encode("Cœur d'Acier"));
    EXPECT_EQ(asPagesRead("nom", "auteurs", "idauteur = 14"), cp1252::encode("Lœwen"));
    EXPECT_EQ(asPagesRead("notealbum", "albums", "idalbum = 8"),
              cp1252::encode(QString(5, QChar(0x00A4))));
}

INSTANTIATE_TEST_SUITE_P(Catalogues, FullExportOnMariaDb,
                         ::testing::Values(Load{"v6", false, false}, Load{"v6", true, false},
                                           Load{"v6", false, true}, Load{"v6", true, true},
                                           Load{"v5", false, false}, Load{"v5", true, false},
                                           Load{"v5", false, true}, Load{"v5", true, true}),
                         loadName);

// Split scripts loaded in any order, or twice, over an earlier site: the
// site's tables are those the single file gives. Parts of 7 rows make ten
// album files, and "10sur10" sorts before "1sur10".
class SplitLoads : public ::testing::TestWithParam<const char*> {
  protected:
    void SetUp() override {
        KALVOR_REQUIRE_SERVERS();
        const QString generation = QString::fromLatin1(GetParam());
        catalogue = dir.filePath("catalogue.sqlite");
        catalogue::BuildSqliteCatalogue(
            test::fixturePath("catalogue/catalogue-" + generation + ".sql"), catalogue);
        // Album 3 entered again, so its row comes last; a wish-list album
        // among the collection's ids (an older catalogue counts them apart).
        change(
            "CREATE TEMP TABLE a AS SELECT * FROM ALBUMS WHERE IdAlbum = 3;"
            "DELETE FROM ALBUMS WHERE IdAlbum = 3; INSERT INTO ALBUMS SELECT * FROM a;" +
            QString(generation == "v6"
                        ? "UPDATE ALBUMS SET AAcheter = 1 WHERE IdAlbum = 33;"
                        : "UPDATE ACHETER SET IdAlbum = 5 WHERE IdAlbum = 80;"
                          "UPDATE COLLABORATEURS SET IdAlbum = 5 WHERE IdAlbum = 80;"));
        s.GV_Chemin_Base = catalogue;
        s.GV_Prefixe_Table = QStringLiteral("bd_");
        s.GV_Version_Base = generation;
        s.box_SplitGroup = QStringLiteral("7");
        s.opt_albums = s.opt_acheter = s.opt_revues = s.opt_parabd = 1;
        s.Opt_Collaborateurs = 1;
        schema_scripts::Create_Tables_Sql({dir.path(), s.GV_Prefixe_Table, false});
    }

    void change(const QString& script) {
        dao::DBEngine::OpenDatabase(catalogue)->ExecuteScript(script);
    }

    // Exports into a folder of its own, or that of an earlier export; its
    // data scripts, in name order.
    QStringList exportScripts(bool split, int into = 0) {
        s.GV_Export = dir.filePath(QString::number(into ? into : ++exports));
        QDir().mkpath(s.GV_Export);
        s.split = split ? Settings::Split::Yes : Settings::Split::No;
        EXPECT_TRUE(btn_Donnees_SQL_Click(s, prompt)) << s.GV_Erreurs.toStdString();
        QStringList files;
        for (const QString& f :
             QDir(s.GV_Export + "/scripts").entryList({"donnees*.sql"}, QDir::Files, QDir::Name)) {
            files << s.GV_Export + "/scripts/" + f;
        }
        return files;
    }

    QString newSite() {
        const QString db = e2e::createDatabase(QStringLiteral("split_") + GetParam());
        load(db, {dir.filePath("scripts/tables.sql")});
        return db;
    }

    void load(const QString& db, const QStringList& files) {
        for (const QString& file : files) {
            const e2e::LoadResult r = e2e::loadScriptFile(db, file);
            ASSERT_TRUE(r.ok) << file.toStdString() << ": " << r.errors.toStdString();
        }
    }

    // Every table of the site: its name, row count and a hash of its rows.
    std::vector<std::string> tables(const QString& db) {
        const e2e::SqlResult columns = e2e::runSql(
            db,
            "SELECT table_name, GROUP_CONCAT(CONCAT('IFNULL(HEX(CONCAT(`', column_name, "
            "'`)), ''-'')') ORDER BY ordinal_position) FROM information_schema.columns "
            "WHERE table_schema = DATABASE() GROUP BY table_name;");
        EXPECT_TRUE(columns.ok) << columns.errors.toStdString();
        std::vector<std::string> result;
        for (const QStringList& table : columns.rows) {
            const e2e::SqlResult rows = e2e::runSql(
                db, QStringLiteral("SELECT COUNT(*), MD5(GROUP_CONCAT(h ORDER BY h)) FROM "
                                   "(SELECT MD5(CONCAT_WS('|', %1)) h FROM %2) r;")
                        .arg(table.value(1), table.value(0))
                        .toUtf8());
            EXPECT_TRUE(rows.ok) << rows.errors.toStdString();
            result.push_back((table.value(0) + u' ' + rows.rows.value(0).join(u' ')).toStdString());
        }
        return result;
    }

    test::IsolatedEnvironment env;
    QTemporaryDir dir;
    QString catalogue;
    Settings s;
    RecordingPrompt prompt;
    int exports = 0;
};

TEST_P(SplitLoads, AnyOrderAndRepeatedFilesGiveTheTablesOfTheSingleFile) {
    const QString single = newSite();
    load(single, exportScripts(false));
    const std::vector<std::string> expected = tables(single);

    QStringList files = exportScripts(true);
    ASSERT_EQ(files.filter("donnees_ALBUMS_").size(), 10);
    ASSERT_EQ(files.filter("donnees_AUTEURS_").size(), 4);
    const QString site = newSite();
    load(site, files);
    EXPECT_EQ(tables(site), expected) << "name order";
    std::mt19937 random(24);
    std::shuffle(files.begin(), files.end(), random);
    load(site, files + files.mid(0, 5));
    EXPECT_EQ(tables(site), expected) << "shuffled, some twice";

    // An album gone from the catalogue goes from the site at the next load
    // over it, whatever the order.
    change("DELETE FROM ALBUMS WHERE IdAlbum = 30; DELETE FROM COLLABORATEURS WHERE IdAlbum = 30;");
    const QString fresh = newSite();
    load(fresh, exportScripts(false));
    const std::vector<std::string> shrunk = tables(fresh);
    ASSERT_NE(shrunk, expected);
    // Over the earlier split export, in parts of another size: its files
    // left beside the new ones would bring the album back.
    s.box_SplitGroup = QStringLiteral("9");
    files = exportScripts(true, 2);
    ASSERT_EQ(files.filter("donnees_ALBUMS_").size(), 8);
    std::shuffle(files.begin(), files.end(), random);
    load(site, files);
    EXPECT_EQ(tables(site), shrunk) << "over the earlier site";
}

INSTANTIATE_TEST_SUITE_P(Catalogues, SplitLoads, ::testing::Values("v6", "v5"),
                         [](const auto& info) { return std::string(info.param); });

}  // namespace
