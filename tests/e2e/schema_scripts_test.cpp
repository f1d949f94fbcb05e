#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "common/vb.h"
#include "e2e/e2e_servers.h"
#include "platform/textfile.h"
#include "sqlscripts/schema_scripts.h"
#include "sqlscripts/sql_statements.h"
#include "sqlscripts/sql_values.h"
#include "support/test_paths.h"

using namespace kalvor;

namespace {

const QStringList kTables = {"series",   "series2",  "series3",    "series4",        "auteurs",
                             "auteurs2", "auteurs3", "albums",     "acheter",        "parabd",
                             "kalvor",   "model",    "model_item", "collaborateurs", "revues"};

const QStringList kSeriesColumns = {"idserie", "titre",    "style",  "commentaire",
                                    "planche", "internet", "encours"};
const QStringList kAuteursColumns = {
    "idauteur", "nom",         "prenom",   "photo",  "datenaissance", "datedeces", "pays",
    "pseudo",   "commentaire", "scenario", "dessin", "couleur",       "internet",  "display"};
const QStringList kAlbumsColumns = {
    "idalbum",   "num",        "titre",     "idserie",     "iddessinateur", "idscenariste",
    "dateachat", "editeur",    "format",    "collection",  "coteactuelle",  "reference",
    "dl",        "couverture", "notealbum", "idcoloriste", "broche",        "nbpages",
    "numa",      "verso",      "edo",       "integrale",   "dedicace",      "commentaire",
    "perso1",    "perso2",     "perso3",    "perso4",      "horsserie",     "editionlimitee"};
const QStringList kParabdColumns = {
    "idparabd", "idalbum",     "idserie",      "description", "iddessinateur", "dl",
    "numero",   "nombre",      "largeur",      "longueur",    "libraire",      "editeur",
    "signe",    "hc",          "ea",           "tireapart",   "typeobjet",     "typecouleur",
    "imageex",  "commentaire", "idscenariste", "idcoloriste", "dateachat"};
const QStringList kRevuesColumns = {"idrevue",     "idserie", "num",        "date",   "editeur",
                                    "periodicite", "reliure", "prix_achat", "cote",   "commentaire",
                                    "serie1",      "serie2",  "serie3",     "serie4", "sujet1",
                                    "sujet2",      "sujet3",  "sujet4",     "sujet5", "couverture"};

QStringList expectedColumns(const QString& table) {
    if (table.startsWith("series"))
        return kSeriesColumns;
    if (table.startsWith("auteurs"))
        return kAuteursColumns;
    if (table == "albums" || table == "acheter")
        return kAlbumsColumns;
    if (table == "parabd")
        return kParabdColumns;
    if (table == "revues")
        return kRevuesColumns;
    if (table == "kalvor")
        return {"last_update"};
    if (table == "model")
        return {"model", "model_desc"};
    if (table == "model_item")
        return {"model", "model_item", "item_desc"};
    return {"idalbum", "idauteur", "typecollaboration"};
}

// SHOW CREATE TABLE as text (the raw output spreads it over several rows).
QString showCreate(const QString& db, const QString& table) {
    const e2e::SqlResult r = e2e::runSql(db, ("SHOW CREATE TABLE `" + table + "`;").toUtf8());
    EXPECT_TRUE(r.ok) << r.errors.toStdString();
    QStringList lines;
    for (const QStringList& row : r.rows) {
        lines.append(row.join(u'\t'));
    }
    return lines.join(u'\n');
}

// The column definitions, in order, as the server shows them.
QStringList columnLines(const QString& createTable) {
    QStringList columns;
    for (const QString& line : createTable.split(u'\n')) {
        if (line.startsWith(QStringLiteral("  `"))) {
            columns.append(line.trimmed());
        }
    }
    return columns;
}

QStringList columnNames(const QString& createTable) {
    QStringList names;
    for (const QString& line : columnLines(createTable)) {
        names.append(line.section(u'`', 1, 1));
    }
    return names;
}

QStringList tablesOf(const QString& db) {
    QStringList names;
    for (const QStringList& row : e2e::runSql(db, "SHOW TABLES;").rows) {
        names.append(row.value(0));
    }
    names.sort();
    return names;
}

QStringList column(const QString& db, const QString& query) {
    QStringList values;
    const e2e::SqlResult r = e2e::runSql(db, query.toUtf8());
    EXPECT_TRUE(r.ok) << r.errors.toStdString();
    for (const QStringList& row : r.rows) {
        values.append(row.join(u'|'));
    }
    return values;
}

class SchemaOnMariaDb : public ::testing::TestWithParam<bool> {
  protected:
    void SetUp() override {
        KALVOR_REQUIRE_SERVERS();
        vb::ScopedClock clock(QDateTime(QDate(2024, 3, 9), QTime(10, 0)));
        schema_scripts::Create_Tables_Sql({dir.path(), prefix, GetParam()});
        db = e2e::createDatabase(GetParam() ? "schema_utf8" : "schema_latin1");
    }
    QString script(const QString& name) const { return dir.path() + "/scripts/" + name; }
    void loadClean(const QString& name) {
        const e2e::LoadResult r = e2e::loadScriptFile(db, script(name));
        ASSERT_TRUE(r.ok) << name.toStdString() << ": " << r.errors.toStdString();
        EXPECT_TRUE(r.diagnostics.isEmpty())
            << name.toStdString() << ": " << r.diagnostics.join("\n").toStdString();
    }

    QTemporaryDir dir;
    QString prefix = QStringLiteral("bd_");
    QString db;
};

TEST_P(SchemaOnMariaDb, TablesLoadWithoutWarningWithTheirColumnsInOrder) {
    loadClean("tables.sql");
    QStringList expected;
    for (const QString& t : kTables) {
        expected.append(prefix + t);
    }
    expected.sort();
    ASSERT_EQ(tablesOf(db), expected);
    for (const QString& t : kTables) {
        const QString create = showCreate(db, prefix + t);
        EXPECT_EQ(columnNames(create), expectedColumns(t)) << t.toStdString();
        EXPECT_TRUE(create.contains("ENGINE=MyISAM")) << t.toStdString();
    }
    // The accents of the comments and code lists arrive whole in both encodings.
    EXPECT_TRUE(
        showCreate(db, prefix + "series").contains("COMMENT='table séries basée sur ormelo 4.22'"));
    EXPECT_TRUE(showCreate(db, prefix + "collaborateurs")
                    .contains("COMMENT='table collaborateurs basée sur ormelo 5'"));
    EXPECT_EQ(
        column(db, "SELECT item_desc FROM bd_model_item WHERE model_item = 1005 AND model = 0;"),
        QStringList{"Sérigraphie"});
    EXPECT_EQ(column(db, "SELECT item_desc FROM bd_model_item WHERE model = 1 AND model_item = 1;"),
              QStringList{"Édition originale"});
    EXPECT_EQ(
        column(db, "SELECT model, COUNT(*) FROM bd_model_item GROUP BY model ORDER BY model;"),
        (QStringList{"0|30", "1|2", "98|2", "99|2"}));
    EXPECT_EQ(column(db, "SELECT model_desc FROM bd_model ORDER BY model;"),
              (QStringList{"Type d'objet Parabd", "eo", "SignéNonSigné", "OuiNon"}));
    EXPECT_EQ(column(db, "SELECT last_update FROM bd_kalvor;"), QStringList{"2024-03-09"});
}

TEST_P(SchemaOnMariaDb, DeleteTablesClearsAFullAndAPartialSchema) {
    loadClean("tables.sql");
    loadClean("delete_tables.sql");
    EXPECT_TRUE(tablesOf(db).isEmpty());

    loadClean("tables.sql");
    ASSERT_TRUE(e2e::runSql(db, "DROP TABLE bd_parabd, bd_series4, bd_revues;").ok);
    const e2e::LoadResult r = e2e::loadScriptFile(db, script("delete_tables.sql"));
    ASSERT_TRUE(r.ok) << r.errors.toStdString();
    // The server only remarks on the three tables that were already gone.
    ASSERT_EQ(r.diagnostics.size(), 3) << r.diagnostics.join("\n").toStdString();
    for (const QString& d : r.diagnostics) {
        EXPECT_TRUE(d.startsWith("Note (Code 1051): Unknown table")) << d.toStdString();
    }
    EXPECT_TRUE(tablesOf(db).isEmpty());
    loadClean("tables.sql");  // and the schema can be made again
}

// The layout that the upgrade script starts from: every column of parabd
// NOT NULL, type codes 0 to 5 in a tinyint, list 0 of model_item holding
// those six codes, revues.reliure a number; the other tables as tables.sql
// makes them, with varchar(255) texts, blob comments and the album tables
// without an index on the rating.
QByteArray narrowed(QByteArray tables) {
    return tables.replace(" text default NULL", " varchar(255) default NULL")
        .replace("mediumblob", "blob")
        .replace("(255))", ")")
        .replace(",\r\nKEY notealbum(notealbum)", "");
}
const char* const kVersion173 = R"SQL(SET NAMES utf8;
DROP TABLE bd_parabd, bd_model_item, bd_revues;
CREATE TABLE bd_parabd (
  idparabd int(8) NOT NULL default '0',
  idalbum int(8) NOT NULL default '0',
  idserie int(8) NOT NULL default '0',
  description varchar(255) NOT NULL default '',
  iddessinateur int(8) NOT NULL default '0',
  dl varchar(7) NOT NULL default '',
  numero int(4) NOT NULL default '0',
  nombre int(4) NOT NULL default '0',
  largeur varchar(8) NOT NULL default '',
  longueur varchar(8) NOT NULL default '',
  libraire varchar(255) NOT NULL default '',
  editeur varchar(255) NOT NULL default '',
  signe tinyint(1) NOT NULL default '0',
  hc tinyint(1) NOT NULL default '0',
  ea tinyint(1) NOT NULL default '0',
  tireapart tinyint(1) NOT NULL default '0',
  typeobjet tinyint(1) NOT NULL default '0',
  typecouleur tinyint(1) NOT NULL default '0',
  imageex varchar(255) NOT NULL default '',
  commentaire blob NOT NULL,
  idscenariste int(8) NOT NULL default '0',
  idcoloriste int(8) NOT NULL default '0',
  dateachat date NOT NULL default '0000-00-00',
  PRIMARY KEY  (idparabd)
) ENGINE=MyISAM DEFAULT CHARSET=latin1;
CREATE TABLE bd_model_item (
  model int(2) NOT NULL default '0',
  model_item tinyint(3) NOT NULL default '0',
  item_desc varchar(255) default NULL,
  PRIMARY KEY  (model,model_item)
) ENGINE=MyISAM DEFAULT CHARSET=latin1;
INSERT INTO bd_model_item VALUES (0, 0, 'Ex-Libris'), (0, 1, 'Marque Page'), (0, 2, 'Statuette'),
  (0, 3, 'Affiche'), (0, 4, 'Divers'), (0, 5, 'Portfolio'), (1, 0, 'Réédition'),
  (1, 1, 'Édition originale'), (98, 0, 'Non Signé'), (98, 1, 'Signé'), (99, 0, 'Non'), (99, 1, 'Oui');
CREATE TABLE bd_revues (
idrevue int(8) NOT NULL default '0',
idserie int(8) default '0',
num integer(8) default NULL,
date date default '0000-00-00',
editeur varchar(255) default NULL,
periodicite varchar(255) default NULL,
reliure int(4) default '0',
prix_achat int(6) default NULL,
cote int(6) default NULL,
commentaire blob,
serie1 varchar(255) default NULL,
serie2 varchar(255) default NULL,
serie3 varchar(255) default NULL,
serie4 varchar(255) default NULL,
sujet1 varchar(255) default NULL,
sujet2 varchar(255) default NULL,
sujet3 varchar(255) default NULL,
sujet4 varchar(255) default NULL,
sujet5 varchar(255) default NULL,
couverture varchar(255) default NULL,
PRIMARY KEY  (idrevue)
) ENGINE=MyISAM DEFAULT CHARSET=latin1;
INSERT INTO bd_parabd (idparabd, typeobjet, commentaire, description)
  VALUES (10, 0, '', 'a'), (11, 1, '', 'b'), (12, 2, '', 'c'), (13, 3, '', 'd'), (14, 4, '', 'e'),
         (15, 5, '', 'f');
)SQL";

TEST_P(SchemaOnMariaDb, UpgradeTakesTheEarlierLayoutToTheCurrentOne) {
    ASSERT_TRUE(e2e::loadScript(db, narrowed(test::readAll(script("tables.sql")))).ok);
    const e2e::LoadResult old = e2e::loadScript(db, kVersion173);
    ASSERT_TRUE(old.ok) << old.errors.toStdString();
    loadClean("evolution_version173_a_version181.sql");

    EXPECT_EQ(column(db, "SELECT idparabd, typeobjet FROM bd_parabd ORDER BY idparabd;"),
              (QStringList{"10|1001", "11|1009", "12|2001", "13|1004", "14|1000", "15|1002"}));
    const QStringList list0 =
        column(db, "SELECT model_item FROM bd_model_item WHERE model = 0 ORDER BY model_item;");
    ASSERT_EQ(list0.size(), 30);
    EXPECT_EQ(list0.first(), "1000");
    EXPECT_EQ(list0.last(), "4007");
    EXPECT_EQ(
        column(db, "SELECT item_desc FROM bd_model_item WHERE model = 0 AND model_item = 4004;"),
        QStringList{"Crayonné"});
    EXPECT_EQ(column(db, "SELECT COUNT(*) FROM bd_model_item WHERE model <> 0;"), QStringList{"6"});

    // parabd now has the columns that a fresh schema gives it.
    const QString fresh = e2e::createDatabase("schema_fresh");
    ASSERT_TRUE(e2e::loadScriptFile(fresh, script("tables.sql")).ok);
    for (const QString& t : kTables) {
        EXPECT_EQ(columnLines(showCreate(db, prefix + t)),
                  columnLines(showCreate(fresh, prefix + t)))
            << t.toStdString();
    }
    EXPECT_TRUE(showCreate(db, "bd_albums").contains("KEY `collection` (`collection`(255))"));
    // An issue's "Au numéro" text loads as a data script writes it.
    const e2e::LoadResult issue =
        e2e::loadScript(db, (sql::ScriptHeader(true).join('\n') +
                             "\nINSERT INTO bd_revues (idrevue, reliure) VALUES (1, 'Au numéro');")
                                .toUtf8());
    ASSERT_TRUE(issue.ok) << issue.errors.toStdString();
    EXPECT_TRUE(issue.diagnostics.isEmpty()) << issue.diagnostics.join("\n").toStdString();
    EXPECT_EQ(column(db, "SELECT reliure FROM bd_revues;"), QStringList{"Au numéro"});
    const QString ratingIndex =
        "SELECT TABLE_NAME, COLUMN_NAME FROM information_schema.STATISTICS WHERE TABLE_SCHEMA = "
        "DATABASE() AND INDEX_NAME = 'notealbum' ORDER BY TABLE_NAME;";
    const QStringList ratingIndexes{"bd_acheter|notealbum", "bd_albums|notealbum"};
    EXPECT_EQ(column(db, ratingIndex), ratingIndexes);
    EXPECT_EQ(column(fresh, ratingIndex), ratingIndexes);

    // Run again on rows that already hold new codes: they stay as they are.
    ASSERT_TRUE(
        e2e::runSql(db,
                    "INSERT INTO bd_parabd (idparabd, typeobjet) VALUES (20, 1004), (21, 2003);")
            .ok);
    loadClean("evolution_version173_a_version181.sql");
    EXPECT_EQ(column(db, "SELECT typeobjet FROM bd_parabd WHERE idparabd >= 20 ORDER BY idparabd;"),
              (QStringList{"1004", "2003"}));
    EXPECT_EQ(column(db, "SELECT COUNT(*) FROM bd_model_item WHERE model = 0;"), QStringList{"30"});
    EXPECT_EQ(column(db, ratingIndex), ratingIndexes);
}

// Rows built from the value kinds, with the characters that have broken
// statements or texts before: they load without a remark and read back as meant.
TEST_P(SchemaOnMariaDb, RowsOfEveryValueKindLoadAndReadBack) {
    loadClean("tables.sql");
    const bool utf8 = GetParam();
    const QVariant null;
    const QString awkward = QStringLiteral("L'été <b> \\ 5€");
    const QString memo = sql::Escaped(QStringLiteral("né 5€ l'a \\"));
    const QDateTime day(QDate(1957, 2, 8), QTime(0, 0));
    const QString path = dir.path() + "/rows.sql";
    {
        TextFile file = CreateTextFile(path);
        for (const QString& line : sql::ScriptHeader(utf8)) {
            file.WriteLine(line);
        }
        ScriptLine(sql::DeleteRows(prefix, "series")).WriteTo(file, utf8);
        sql::InsertRow(
            prefix, "series",
            {sql::Identifier(12), sql::QuotedText(awkward), sql::QuotedText(null), sql::Memo(memo),
             sql::QuotedText("pl.jpg"), sql::QuotedText(""), sql::BareValue(null)})
            .WriteTo(file, utf8);
        sql::InsertRow(prefix, "auteurs",
                       {sql::Identifier(4), sql::QuotedText("O'Neil"), sql::QuotedText("Dan"),
                        sql::QuotedText(null), sql::QuotedDate(day), sql::QuotedDate(null),
                        sql::QuotedText("Canada"), sql::QuotedText(""), sql::Memo(""),
                        sql::YesNo(-1), sql::YesNo(0), sql::BareValue(null), sql::QuotedText(null),
                        sql::AuthorDisplay("", "O'Neil", "Dan")})
            .WriteTo(file, utf8);
        QList<sql::RowValue> album = {sql::Identifier(5),
                                      sql::NumberOrNull(null),
                                      sql::QuotedText(awkward),
                                      sql::Identifier(12),
                                      sql::Identifier(4),
                                      sql::Identifier(4),
                                      sql::QuotedDate(day),
                                      sql::QuotedText("Dupuis"),
                                      sql::BareValue(2),
                                      sql::QuotedText(null),
                                      sql::NumberOrNull(12.4),
                                      sql::QuotedText("R-1"),
                                      sql::LegalDeposit(day),
                                      sql::QuotedText("c.jpg"),
                                      sql::Rating(7),
                                      sql::Identifier(1),
                                      sql::YesNo(-1),
                                      sql::NumberOrNull(null),
                                      sql::QuotedText("2a"),
                                      sql::QuotedText(""),
                                      sql::YesNo(0),
                                      sql::YesNo(-1),
                                      sql::QuotedText(""),
                                      sql::Memo(memo),
                                      sql::QuotedText("p1"),
                                      sql::QuotedText("p2"),
                                      sql::QuotedText("p3"),
                                      sql::BareValue(null),
                                      sql::YesNo(0),
                                      sql::YesNo(0)};
        sql::InsertRow(prefix, "albums", album).WriteTo(file, utf8);
        ScriptLine(sql::DeleteCollaborateurs(prefix, 5)).WriteTo(file, utf8);
        sql::InsertRow(prefix, "collaborateurs", {sql::Identifier(5), sql::Identifier(4), "0"})
            .WriteTo(file, utf8);
        ScriptLine(sql::LastUpdate(prefix, QDate(2024, 3, 10))).WriteTo(file, utf8);
        file.Close();
    }
    const e2e::LoadResult r = e2e::loadScriptFile(db, path);
    ASSERT_TRUE(r.ok) << r.errors.toStdString();
    EXPECT_TRUE(r.diagnostics.isEmpty()) << r.diagnostics.join("\n").toStdString();

    EXPECT_EQ(column(db, "SELECT titre, style, HEX(commentaire), encours FROM bd_series;"),
              QStringList{"L'été &lt;b&gt; \\ 5€||6EE9203580206C2761205C|0"});
    EXPECT_EQ(column(db,
                     "SELECT datenaissance, datedeces, scenario, dessin, couleur, display "
                     "FROM bd_auteurs;"),
              QStringList{"1957-02-08|0000-00-00|1|0|0|O'Neil, Dan"});
    EXPECT_EQ(column(db,
                     "SELECT num, titre, dateachat, coteactuelle, dl, notealbum, broche, nbpages, "
                     "edo, integrale, perso4 FROM bd_albums;"),
              QStringList{"NULL|L'été &lt;b&gt; \\ 5€|1957-02-08|12|02/1957|¤¤¤l|1|NULL|0|1|0"});
    EXPECT_EQ(column(db, "SELECT COUNT(*) FROM bd_collaborateurs;"), QStringList{"1"});
    EXPECT_EQ(column(db, "SELECT last_update FROM bd_kalvor;"), QStringList{"2024-03-10"});
}

INSTANTIATE_TEST_SUITE_P(Encoding, SchemaOnMariaDb, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Utf8" : "Latin1"; });

}  // namespace
