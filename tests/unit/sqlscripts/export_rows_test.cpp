#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "catalogue/sqlite_catalogue.h"
#include "platform/cp1252.h"
#include "platform/dao/db_engine.h"
#include "platform/prompt.h"
#include "settings/settings.h"
#include "sqlscripts/full_export.h"
#include "sqlscripts/magazine_rows.h"
#include "support/test_paths.h"

using namespace kalvor;

namespace {

// The rows of the fixture catalogue, written by hand from the catalogue's
// values: every value form, Nulls, escapes, rounding and codes.
class FixtureRows : public ::testing::Test {
  protected:
    // Exports a SQLite copy of a fixture, after `mend`, into one file.
    QByteArray exportCatalogue(const char* generation, bool utf8, const QString& mend = {}) {
        const QString path = dir.filePath(QStringLiteral("%1-%2.sqlite").arg(generation).arg(n++));
        catalogue::BuildSqliteCatalogue(
            test::fixturePath(QStringLiteral("catalogue/catalogue-%1.sql").arg(generation)), path);
        if (!mend.isEmpty()) {
            dao::DBEngine::OpenDatabase(path)->ExecuteScript(mend);
        }
        Settings s;
        s.GV_Export = dir.path();
        s.GV_Chemin_Base = path;
        s.GV_Version_Base = QString::fromLatin1(generation);
        s.format = utf8 ? Settings::FormatDonnees::Utf8 : Settings::FormatDonnees::Latin1;
        s.opt_albums = s.opt_acheter = s.opt_revues = s.opt_parabd = 1;
        s.Opt_Collaborateurs = 1;
        RecordingPrompt prompt;
        EXPECT_TRUE(btn_Donnees_SQL_Click(s, prompt)) << s.GV_Erreurs.toStdString();
        return test::readAll(dir.filePath("scripts/donnees.sql"));
    }
    QStringList lines(const char* generation, const QString& mend = {}) {
        return cp1252::decode(exportCatalogue(generation, false, mend))
            .split(QStringLiteral("\r\n"));
    }

    test::IsolatedEnvironment env;
    QTemporaryDir dir;
    int n = 0;
};

TEST_F(FixtureRows, AuthorsAndSeriesOfEachCollection) {
    const QStringList v6 = lines("v6");
    for (
        const char* line : {
            // apostrophe in name and display; Null pen name, death date and web site
            R"(INSERT INTO auteurs VALUES (5,'D\'Aubrac','Léonie','daubrac.jpg','1962-07-14','0000-00-00','Belgique','','Dessinatrice, lavis et aquarelle.',0,1,0,'','D\'Aubrac, Léonie');)",
            // family name alone: no first name, no dates, no comment
            R"(INSERT INTO auteurs VALUES (8,'Ostrowski','','OSTROWSKI.JPG','0000-00-00','0000-00-00','Pologne','','',0,1,0,'','Ostrowski');)",
            // < and > of a pen name, which is the display name
            R"(INSERT INTO auteurs VALUES (23,'Garnier-Vidal','Joëlle','jog.jpg','1972-04-22','0000-00-00','France','Jo&lt;G&gt;','',0,1,0,'','Jo&lt;G&gt;');)",
            // linked only through COLLABORATEURS, in both album tables
            R"(INSERT INTO auteurs VALUES (24,'Marquet','Aurèle',)",
            R"(INSERT INTO auteurs2 VALUES (24,'Marquet','Aurèle',)",
            // linked only to collectibles
            R"(INSERT INTO auteurs3 VALUES (25,'Bellamy','Ysé',)",
            // empty web site, Null comment; in the three series tables
            R"(INSERT INTO series VALUES (3,'Cœur d\'Acier','Science-fiction','','PLANCHE_COEUR.PNG','',1);)",
            R"(INSERT INTO series2 VALUES (3,'Cœur d\'Acier','Science-fiction','','PLANCHE_COEUR.PNG','',1);)",
            R"(INSERT INTO series3 VALUES (3,'Cœur d\'Acier','Science-fiction','','PLANCHE_COEUR.PNG','',1);)",
            // wish list only; < and > in the genre
            R"(INSERT INTO series2 VALUES (10,'Mécaniques Célestes','SF &lt;rétro&gt;','Repérée au festival ; aucun album acheté pour l\'instant.','Planche_Mecaniques.JPG','',1);)",
        }) {
        const QString expected = QString::fromUtf8(line);
        EXPECT_TRUE(std::any_of(v6.begin(), v6.end(), [&](const QString& l) {
            return l.startsWith(expected);
        })) << line;
    }
    for (const char* absent :
         {"INSERT INTO auteurs VALUES (3,", "INSERT INTO auteurs VALUES (25,",
          "INSERT INTO series VALUES (10,", "INSERT INTO auteurs3 VALUES (24,"}) {
        EXPECT_FALSE(std::any_of(v6.begin(), v6.end(), [&](const QString& l) {
            return l.startsWith(absent);
        })) << absent;
    }
    // The 13,100-character memo is written whole.
    const auto memo = std::find_if(v6.begin(), v6.end(), [](const QString& l) {
        return l.startsWith("INSERT INTO auteurs VALUES (13,");
    });
    ASSERT_NE(memo, v6.end());
    EXPECT_TRUE(memo->contains("[131] ")) << memo->size();
}

const char* const kAlbum26 =
    R"(INSERT INTO albums VALUES (26,null,'Carnet d\'enquête',4,10,13,null,'Brumaire',0,'Polar Noir',null,'978-2-0000-0026-6','12/2015','','',1,0,null,'','Verso_26.JPG',0,0,'Dedicace_Brumes_HS.JPG','','Étagère A','Offert par l\'éditeur','',0,1,0);)";

TEST_F(FixtureRows, AlbumsInEveryValueForm) {
    const QStringList v6 = lines("v6");
    for (
        const char* line : {
            // rating 7, backslash in a custom field, "¤" in the comment, Null value
            R"(INSERT INTO albums VALUES (12,3,'La Cloche à fromage',2,9,9,'2020-10-10','Éditions du Korrigan',0,'Rigolade',null,'978-2-0000-0012-2','04/2018','COUV_ALBUM12.Jpg','¤¤¤l',19,0,48,'','',0,0,'','Ma note : ¤¤¤l (7/10), comme sur le site.','Carton B\\07','','',0,0,0);)",
            // hors-série: Null number, purchase date, pages, cover and rating
            kAlbum26,
            // Perso4 2.5 to even, NumA, limited edition, rating 9
            R"(INSERT INTO albums VALUES (33,6,'Les Menhirs chantants (édition spéciale)',5,14,15,'2025-04-19','L\'Ancre & la Plume',0,'Légendes',35,'978-2-0000-0033-3','11/2024','COUV_ALBUM33.Jpg','¤¤¤¤l',7,0,56,'bis','verso33.jpg',0,0,'DEDICACE_33.jpg','','Étagère B','','',2,0,1);)",
            // wish list: value 12.60 rounded, Null Perso4 as 0
            R"(INSERT INTO acheter VALUES (72,7,'Limaille',3,12,6,null,'Atelier Cyan',1,'Horizons',13,'978-2-0000-0072-2','09/2025','COUV_ALBUM72.Jpg','',11,0,64,'','',0,0,'','','','','',0,0,0);)",
        }) {
        EXPECT_TRUE(v6.contains(QString::fromUtf8(line))) << line;
    }
    // The value of album 1 (120.50) rounds up; 15 and 16 (12.40, 12.60) to 12 and 13.
    const auto cote = [&v6](int id) {
        for (const QString& l : v6) {
            if (l.startsWith(QStringLiteral("INSERT INTO albums VALUES (%1,").arg(id))) {
                return l.section(u',', 10, 10);
            }
        }
        return QString();
    };
    EXPECT_EQ(cote(1), "121");
    EXPECT_EQ(cote(15), "12");
    EXPECT_EQ(cote(16), "13");

    // A cell an editor cleared (empty or blanks) is no value, as a Null is.
    EXPECT_TRUE(lines("v6",
                      "UPDATE ALBUMS SET Num = '', DateAchat = '  ', NbPAges = ' ', "
                      "DL = '' WHERE IdAlbum = 26;")
                    .contains(QString::fromUtf8(kAlbum26).replace("'12/2015'", "null")));
}

TEST_F(FixtureRows, LinksOfAnAlbumAreWrittenOnceAfterItsLine) {
    const QStringList v6 = lines("v6");
    const qsizetype album5 = v6.indexOf(QRegularExpression("^INSERT INTO albums VALUES \\(5,.*"));
    ASSERT_GT(album5, 0);
    EXPECT_EQ(v6.mid(album5 + 1, 3), (QStringList{"INSERT INTO collaborateurs VALUES (5, 4, 0);",
                                                  "INSERT INTO collaborateurs VALUES (5, 5, 1);",
                                                  "INSERT INTO collaborateurs VALUES (5, 7, 2);"}));
    // COLLABORATEURS repeats (5, 4, 0): it stays one line. Its other rows
    // come after the albums of their collection.
    EXPECT_EQ(v6.count("INSERT INTO collaborateurs VALUES (5, 4, 0);"), 1);
    const qsizetype extra = v6.indexOf("INSERT INTO collaborateurs VALUES (5, 19, 2);");
    const qsizetype extraWish = v6.indexOf("INSERT INTO collaborateurs VALUES (73, 24, 2);");
    const qsizetype lastAlbum =
        v6.indexOf(QRegularExpression("^INSERT INTO albums VALUES \\(89,.*"));
    const qsizetype lastWish =
        v6.indexOf(QRegularExpression("^INSERT INTO acheter VALUES \\(85,.*"));
    EXPECT_GT(extra, lastAlbum);
    EXPECT_LT(extra, v6.indexOf("DELETE FROM auteurs2;"));
    EXPECT_GT(extraWish, lastWish);
    EXPECT_EQ(v6.filter(QRegularExpression("^INSERT INTO collaborateurs ")).size(), 265);
}

TEST_F(FixtureRows, CollectiblesOfBothGenerations) {
    const QStringList v6 = lines("v6");
    for (
        const char* line : {
            R"(INSERT INTO parabd VALUES (3,null,2,'Statuette du sonneur',9,'11/2021',112,500,'12','25','Atelier Grès & Fils','Éditions du Korrigan',0,0,0,0,2001,3,'STATUETTE_GRELOT.JPG','Résine peinte à la main ; boîte d\'origine.',null,null,'2022-01-08');)",
            R"(INSERT INTO parabd VALUES (9,null,null,'T-shirt du festival',25,'05/2024',null,200,'','','Textiles du Bocage','',0,1,0,0,2003,1,'TShirt_Festival.jpg','',null,null,'2024-05-11');)",
            // TypeObjet Null: "Divers"
            R"(INSERT INTO parabd VALUES (12,13,2,'Magnet Tintinnabule',25,'06/2026',null,null,'5','5','Aimants & Cie','Éditions du Korrigan',0,1,0,0,1000,1,'magnet_tintinnabule.JPG','Type d\'objet non renseigné (Null).',null,null,'2026-06-20');)",
        }) {
        EXPECT_TRUE(v6.contains(QString::fromUtf8(line))) << line;
    }
    const QStringList v5 = lines("v5");
    // Older type 6 is unknown; EA and TireAPart are the catalogue's own.
    EXPECT_TRUE(v5.contains(QString::fromUtf8(
        R"(INSERT INTO parabd VALUES (9,null,null,'T-shirt du festival',25,'05/2024',null,200,'','','Textiles du Bocage','',0,1,0,0,1000,1,'TShirt_Festival.jpg','',null,null,'2024-05-11');)")));
    const auto row = [&v5](int id) {
        for (const QString& l : v5) {
            if (l.startsWith(QStringLiteral("INSERT INTO parabd VALUES (%1,").arg(id))) {
                return l;
            }
        }
        return QString();
    };
    EXPECT_TRUE(row(5).contains(",1,0,1,0,1002,0,'portfolio_naufrages.JPG'"))
        << row(5).toStdString();
    // The 300-character comment, "<G>" escaped, is whole.
    EXPECT_TRUE(row(5).contains("Jo&lt;G&gt;"));
}

TEST_F(FixtureRows, MagazinesByTitleWithoutRegardToCase) {
    const QStringList v6 = lines("v6");
    EXPECT_EQ(
        v6.filter(QRegularExpression("^INSERT INTO series4 ")),
        (QStringList{
            "INSERT INTO series4 VALUES (1,'','Revue',null,null,null,null);",
            "INSERT INTO series4 VALUES (2,'Le Petit Crayonneur','Revue',null,null,null,null);",
            "INSERT INTO series4 VALUES (3,'Phylactère Hebdo','Revue',null,null,null,null);",
            "INSERT INTO series4 VALUES (4,'Planches "
            "d\\'Aujourd\\'hui','Revue',null,null,null,null);"}));
    for (
        const char* line : {
            // hors-série: Null number, prices rounded
            R"(INSERT INTO revues VALUES (8,3,null,'2021-07-01','Presse Bulle SA','Hebdomadaire','Hors-série',7,12,'Numéro hors-série d\'été, non numéroté.','','','','','','','','','','Revue_PH_HS.JPG');)",
            // the title in capitals
            R"(INSERT INTO revues VALUES (15,2,7,)",
            // quotes and backslashes in the comment
            R"(INSERT INTO revues VALUES (19,4,3,'2023-09-01','Atelier Cyan','Trimestrielle','Au numéro',10,null,'L\'"éditorial" cite un chemin C:\\BD\\Revues (sic).','','','','','','','','','','PLANCHES_AUJOURDHUI_03.JPG');)",
            // Null title
            R"(INSERT INTO revues VALUES (20,1,1,'2024-02-01','','','',null,null,'Revue sans titre (NomRevue Null).','','','','','','','','','','');)",
        }) {
        const QString expected = QString::fromUtf8(line);
        EXPECT_TRUE(std::any_of(v6.begin(), v6.end(), [&](const QString& l) {
            return l.startsWith(expected);
        })) << line;
    }
    // The older table's subjects and series; 12.50 rounds away from zero.
    EXPECT_TRUE(lines("v5").contains(QString::fromUtf8(
        R"(INSERT INTO revues VALUES (13,2,5,'2022-05-15','Éditions Mine de Plomb','Mensuelle','Abonnement',13,14,'','Les Chroniques de Maëlwenn','','','','Encrage &lt;pinceau&gt; &gt; plume ?','','','','','Crayonneur_05.jpg');)")));
}

TEST_F(FixtureRows, Utf8LinesKeepTheirCommentsInWindows1252) {
    const QByteArray bytes = exportCatalogue("v6", true);
    EXPECT_TRUE(bytes.startsWith(
        "SET NAMES utf8;\r\nSET SESSION sql_mode = 'NO_ENGINE_SUBSTITUTION';\r\n"));
    // Title and rating in UTF-8, the comment of the same line in one byte a letter.
    EXPECT_TRUE(bytes.contains("(12,3,'La Cloche \xC3\xA0 fromage',"));
    EXPECT_TRUE(bytes.contains(",'\xC2\xA4\xC2\xA4\xC2\xA4l',19,"));
    EXPECT_TRUE(bytes.contains(",'Ma note : \xA4\xA4\xA4l (7/10), comme sur le site.',"));
    EXPECT_TRUE(bytes.contains("(17,'P\xC3\xA9trovic','Milena',"));
    EXPECT_TRUE(bytes.contains("INSERT INTO collaborateurs VALUES (5, 19, 2);\r\n"));
    const QByteArray latin1 = exportCatalogue("v6", false);
    EXPECT_TRUE(latin1.startsWith("SET NAMES latin1;\r\n"));
    EXPECT_TRUE(latin1.contains("(12,3,'La Cloche \xE0 fromage',"));
}

TEST_F(FixtureRows, NullAndUnknownAuthorIdsAreSkipped) {
    const QStringList v6 = lines("v6",
                                 "UPDATE ALBUMS SET idColoriste = NULL WHERE IdAlbum = 21;"
                                 "UPDATE ALBUMS SET IdScenariste = 999 WHERE IdAlbum = 22;"
                                 "UPDATE PARABD SET IdAuteur = NULL WHERE IdParabd = 9;"
                                 "INSERT INTO COLLABORATEURS VALUES (23, NULL, 1);");
    EXPECT_FALSE(v6.filter(QRegularExpression("^INSERT INTO auteurs VALUES \\(999,")).size());
    // The album keeps its row; the link to no colourist is left out.
    EXPECT_EQ(v6.filter(QRegularExpression("^INSERT INTO collaborateurs VALUES \\(21, ")).size(),
              2);
    EXPECT_EQ(v6.filter(QRegularExpression("^INSERT INTO collaborateurs VALUES \\(23, ")).size(),
              3);
    EXPECT_EQ(v6.filter(QRegularExpression("^INSERT INTO auteurs3 ")).size(), 8);
    EXPECT_EQ(
        v6.filter(QRegularExpression(
                      "^INSERT INTO parabd VALUES \\(9,null,null,'T-shirt du festival',null,"))
            .size(),
        1);
}

TEST(MagazineTitleList, NumbersTitlesAsTheCatalogueEngineComparesThem) {
    magazine_rows::TitleList titles;
    EXPECT_EQ(titles.Add(QStringLiteral("Le Petit Crayonneur")), std::make_pair(1, true));
    EXPECT_EQ(titles.Add(QVariant()), std::make_pair(2, true));
    EXPECT_EQ(titles.Add(QStringLiteral("LE PETIT CRAYONNEUR")), std::make_pair(1, false));
    EXPECT_EQ(titles.Add(QString()), std::make_pair(2, false));
    EXPECT_EQ(titles.Find(QStringLiteral("le petit crayonneur")), 1);
    EXPECT_EQ(titles.Find(QStringLiteral("Le Petit Crayonneür")), 0);  // accents count
    EXPECT_EQ(titles.Find(QVariant()), 2);
    EXPECT_EQ(titles.Count(), 2);
}

}  // namespace
