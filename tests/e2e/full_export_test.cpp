#include <QCryptographicHash>
#include <QDir>
#include <QHash>
#include <QRegularExpression>
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
                           "UPDATE %5 SET Largeur = 1.0 / 3 WHERE %6 = 1; UPDATE ALBUMS SET "
                           "Dedicace = 'a' || char(0) || 'b' WHERE IdAlbum = 2;")
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
        // A NUL, at which the client would stop the load.
        EXPECT_EQ(asPagesRead("dedicace", "albums", "idalbum = 2"), QByteArray("a\0b", 3));
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

// The site's text columns as the generated tables.sql declares them: name and type.
QList<QPair<QString, QString>> textColumns(const QString& tablesSql, const QString& table) {
    QList<QPair<QString, QString>> columns;
    bool in = false;
    for (const QString& raw : tablesSql.split(QStringLiteral("\r\n"))) {
        const QString line = raw.trimmed();
        if (line.startsWith(QStringLiteral("CREATE TABLE "))) {
            in = line.section(u' ', 2, 2) == QStringLiteral("bd_") + table;
            continue;
        }
        const QString type = line.section(u' ', 1, 1).remove(u',').toLower();
        if (in &&
            QRegularExpression("^(.*text|.*blob|(var)?char\\(\\d+\\))$").match(type).hasMatch())
            columns.append({line.section(u' ', 0, 0), type});
    }
    return columns;
}

// The bytes a text type holds; a varchar's letters, as many bytes here.
qint64 capacity(const QString& type) {
    if (type.contains(u'('))
        return type.section(u'(', 1).chopped(1).toLongLong();
    if (type.startsWith(u"tiny"))
        return 255;
    if (type.startsWith(u"medium"))
        return 16777215;
    if (type.startsWith(u"long"))
        return 4294967295;
    return 65535;
}

// Each text column of the site, as tables.sql declares it, takes its widest
// value (as much as its type holds, within what the export writes: 65,535
// bytes a text, a comment as much as keeps its row loadable), each in a row
// of its own; the script loads and gives every value back whole.
class WidestValues : public FullExportOnMariaDb {};

TEST_P(WidestValues, EveryTextColumnTakesItsWidestValue) {
    struct Source {
        QString table, key, site, siteKey;
        QHash<QString, QString> columns;  // site column: catalogue column
        QStringList derived;              // written from other values
    };
    const QList<Source> sources = {
        {"SERIES",
         "IdSerie",
         "series",
         "idserie",
         {{"titre", "Titre"},
          {"style", "Style"},
          {"commentaire", "Commentaire"},
          {"planche", "Planche"},
          {"internet", "Internet"}},
         {}},
        {"AUTEURS",
         "IdAuteur",
         "auteurs",
         "idauteur",
         {{"nom", "Nom"},
          {"prenom", "Prenom"},
          {"photo", "Surnom"},
          {"pays", "Pays"},
          {"pseudo", "Pseudo"},
          {"commentaire", "Commentaire"},
          {"internet", "Internet"}},
         {"display"}},
        {"ALBUMS",
         "IdAlbum",
         "albums",
         "idalbum",
         {{"titre", "Titre"},
          {"editeur", "Editeur"},
          {"collection", "Collection"},
          {"reference", "Reference"},
          {"couverture", "Couverture"},
          {"numa", "NumA"},
          {"verso", "ExLibris"},
          {"dedicace", "Dedicace"},
          {"commentaire", "Commentaire"},
          {"perso1", "Perso1"},
          {"perso2", "Perso2"},
          {"perso3", "Perso3"}},
         {"dl", "notealbum"}},
        {"PARABD",
         "IdParabd",
         "parabd",
         "idparabd",
         {{"description", "descriptif"},
          {"libraire", "Fabricant"},
          {"editeur", "Editeur"},
          {"imageex", "Image1"},
          {"commentaire", "Commentaire"}},
         {"dl", "largeur", "longueur"}},
        {"REVUES",
         "idRevue",
         "revues",
         "idrevue",
         {{"editeur", "Editeur"},
          {"periodicite", "Periodicite"},
          {"reliure", "AuNumero"},
          {"commentaire", "Commentaire"},
          {"couverture", "Couverture"}},
         {"serie1", "serie2", "serie3", "serie4", "sujet1", "sujet2", "sujet3", "sujet4",
          "sujet5"}},
        // The magazines' titles, read through the issue that names them.
        {"REVUES",
         "idRevue",
         "series4",
         "idrevue",
         {{"titre", "NomRevue"}},
         {"style", "commentaire", "planche", "internet"}},
    };
    const QString catalogue = dir.path() + "/catalogue.sqlite";
    catalogue::BuildSqliteCatalogue(test::fixturePath("catalogue/catalogue-v6.sql"), catalogue);
    s.GV_Chemin_Base = catalogue;
    exportAndLoad();
    // Each column in a row of its own; a comment (16 MiB is enough once) in
    // a row the site holds in this table alone.
    const auto idsOf = [&](const QString& table, const QString& key, const QString& others) {
        QStringList ids;
        for (const QStringList& row :
             e2e::runSql(db, QStringLiteral("SELECT %1 FROM bd_%2 ORDER BY %1 IN (%3), %1;")
                                 .arg(key, table, others)
                                 .toUtf8())
                 .rows)
            ids << row.value(0);
        return ids;
    };
    const QString tablesSql = cp1252::decode(test::readAll(dir.path() + "/scripts/tables.sql"));
    struct Widest {
        QString site, siteKey, column, id, table, key, source;
        qint64 size;
    };
    QList<Widest> cells;
    QString empty;
    for (const Source& source : sources) {
        const QString other = source.site == "auteurs"
                                  ? "SELECT idauteur FROM bd_auteurs2 UNION SELECT idauteur FROM "
                                    "bd_auteurs3"
                              : source.site == "series"
                                  ? "SELECT idserie FROM bd_series2 UNION SELECT idserie FROM "
                                    "bd_series3"
                                  : "SELECT 0";
        QStringList ids =
            idsOf(source.site == "series4" ? "revues" : source.site, source.siteKey, other);
        if (source.site == "series4")
            ids = ids.mid(10);  // apart from the issues' other columns
        for (const auto& [name, type] : textColumns(tablesSql, source.site)) {
            if (source.derived.contains(name))
                continue;
            ASSERT_TRUE(source.columns.contains(name))
                << "no catalogue column fills " << source.site.toStdString() << '.'
                << name.toStdString();
            ASSERT_FALSE(ids.isEmpty()) << source.site.toStdString();
            const qint64 limit = name == "commentaire" ? 16777215 : 65535;
            cells.append({source.site, source.siteKey, name,
                          name == "commentaire" ? ids.takeFirst() : ids.takeLast(), source.table,
                          source.key, source.columns[name], std::min(capacity(type), limit)});
            empty += QStringLiteral("UPDATE %1 SET %2 = '' WHERE %3 = %4;")
                         .arg(source.table, source.columns[name], source.key, cells.last().id);
        }
    }
    // An author's display name is his pen name, else his name and first name.
    QString names;
    for (const Widest& cell : cells) {
        if (cell.site == "auteurs" && cell.column != "pseudo")
            names += QStringLiteral("UPDATE AUTEURS SET Pseudo = %1 WHERE IdAuteur = %2;")
                         .arg(cell.column == "nom" ? "NULL, Prenom = NULL" : "'p'", cell.id);
    }
    dao::DBEngine::OpenDatabase(catalogue)->ExecuteScript(empty + names);
    exportAndLoad();
    const auto filled = [](const Widest& cell, qint64 size) {
        return QStringLiteral(
                   "UPDATE %1 SET %2 = substr(replace(hex(zeroblob(%3)), '0', 'x'), "
                   "1, %4) WHERE %5 = %6;")
            .arg(cell.table, cell.source)
            .arg(size / 2 + 1)
            .arg(size)
            .arg(cell.key, cell.id);
    };
    // A comment takes what its row leaves of the statement MariaDB loads.
    const QByteArray script = test::readAll(dir.path() + "/scripts/donnees.sql");
    QString fill;
    for (Widest& cell : cells) {
        if (cell.size > 1000000) {
            const QByteArray head = "\r\nINSERT INTO bd_" + cell.site.toLatin1() + " VALUES (" +
                                    cell.id.toLatin1() + ",";
            const qsizetype at = script.indexOf(head);
            ASSERT_GE(at, 0) << head.constData();
            const qsizetype line = script.indexOf("\r\n", at + 2) - at - 2;
            cell.size = std::min(cell.size, 16777215 - line);
        }
        fill += filled(cell, cell.size);
    }
    dao::DBEngine::OpenDatabase(catalogue)->ExecuteScript(fill);
    exportAndLoad();
    for (const Widest& cell : cells) {
        const QString query =
            cell.site == "series4"
                ? QStringLiteral(
                      "SELECT LENGTH(s.titre), MD5(s.titre) FROM bd_revues r JOIN "
                      "bd_series4 s ON s.idserie = r.idserie WHERE r.idrevue = %1;")
                      .arg(cell.id)
                : QStringLiteral("SELECT LENGTH(%1), MD5(%1) FROM bd_%2 WHERE %3 = %4;")
                      .arg(cell.column, cell.site, cell.siteKey, cell.id);
        EXPECT_EQ(value(query),
                  QString::number(cell.size) + u'|' +
                      QCryptographicHash::hash(QByteArray(cell.size, 'x'), QCryptographicHash::Md5)
                          .toHex())
            << cell.site.toStdString() << '.' << cell.column.toStdString() << ' ' << cell.size;
    }
    EXPECT_EQ(cells.size(), 35);

    // One byte more than its widest is refused by the export, naming the
    // column: the site would cut it, or could not load its row. One comment
    // of 16 MiB at a time.
    QString clear;
    for (const Widest& cell : cells) {
        if (cell.column == "commentaire")
            clear += filled(cell, 0);
    }
    for (const Widest& cell : cells) {
        dao::DBEngine::OpenDatabase(catalogue)->ExecuteScript(clear + filled(cell, cell.size + 1));
        prompt.clear();
        EXPECT_FALSE(btn_Donnees_SQL_Click(s, prompt));
        EXPECT_TRUE(prompt.texts().join("").contains("colonne " + cell.source + " : "))
            << cell.site.toStdString() << '.' << cell.column.toStdString() << ' '
            << prompt.texts().join("").toStdString();
        dao::DBEngine::OpenDatabase(catalogue)->ExecuteScript(filled(cell, cell.size));
    }
}

INSTANTIATE_TEST_SUITE_P(Catalogues, FullExportOnMariaDb,
                         ::testing::Values(Load{"v6", false, false}, Load{"v6", true, false},
                                           Load{"v6", false, true}, Load{"v6", true, true},
                                           Load{"v5", false, false}, Load{"v5", true, false},
                                           Load{"v5", false, true}, Load{"v5", true, true}),
                         loadName);
// One file of each encoding.
INSTANTIATE_TEST_SUITE_P(Catalogues, WidestValues,
                         ::testing::Values(Load{"v6", false, false}, Load{"v6", true, false}),
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
