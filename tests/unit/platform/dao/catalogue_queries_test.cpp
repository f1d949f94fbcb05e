// The readers' statements on the fixture catalogues, in both generations and
// both file forms; expectations come from the fixtures' description.
#include <gtest/gtest.h>

#include <QDateTime>

#include "dao_fixture.h"
#include "platform/dao/dao_errors.h"
#include "platform/dao/db_engine.h"

using namespace kalvor;
using namespace kalvor::dao;

namespace {

struct Source {
    const char* generation;
    bool access;
};

std::string sourceName(const testing::TestParamInfo<Source>& info) {
    return std::string(info.param.generation) + (info.param.access ? "_mdb" : "_sqlite");
}

class CatalogueQueries : public testing::TestWithParam<Source> {
  protected:
    void SetUp() override {
        const QString g = QString::fromLatin1(GetParam().generation);
        db = DBEngine::OpenDatabase(GetParam().access ? test::accessCatalogue(g)
                                                      : test::sqliteCatalogue(g));
    }
    bool v6() const { return QString::fromLatin1(GetParam().generation) == QLatin1String("v6"); }

    QList<QVariant> column(const QString& sql, int index = 0) {
        auto rs = db->OpenRecordset(sql);
        QList<QVariant> values;
        while (!rs->Eof()) {
            values << rs->Fields(index);
            rs->MoveNext();
        }
        return values;
    }
    QVariant scalar(const QString& sql) { return column(sql).value(0); }

    std::unique_ptr<Database> db;
};

TEST_P(CatalogueQueries, TablesOpenedByNameGiveTheirRowCounts) {
    auto series = db->OpenRecordset(QStringLiteral("SERIES"));
    auto albums = db->OpenRecordset(QStringLiteral("ALBUMS"));
    EXPECT_EQ(series->RecordCount(), 12);
    EXPECT_EQ(albums->RecordCount(), v6() ? 85 : 70);
    EXPECT_EQ(albums->FieldName(22),
              v6() ? QStringLiteral("Appreciation") : QStringLiteral("NoteAlbum"));
    EXPECT_EQ(albums->FieldCount(), v6() ? 35 : 34);
}

TEST_P(CatalogueQueries, TintinSeriesHavingCollectibles) {
    const QString sql =
        v6() ? QStringLiteral(
                   "SELECT distinct  s.idserie, s.titre FROM SERIES s, parabd p  where "
                   "p.idserie = s.idserie and lcase(titre) like '*tintin*' ")
             : QStringLiteral(
                   "SELECT distinct  s.idserie, s.titre FROM SERIES s, exlibris p  "
                   "where p.idserie = s.idserie and lcase(titre) like '*tintin*' ");
    auto rs = db->OpenRecordset(sql);
    ASSERT_EQ(rs->RecordCount(), 1);
    EXPECT_EQ(rs->Fields(QStringLiteral("IdSerie")).toInt(), 2);
    EXPECT_EQ(rs->Fields(1).toString(), QStringLiteral("Les Grelots de Tintinnabule"));
}

TEST_P(CatalogueQueries, DistinctMagazineTitlesIgnoreLetterCaseAndComeSorted) {
    const QList<QVariant> titles = column(QStringLiteral("SELECT DISTINCT NomRevue FROM REVUES;"));
    ASSERT_EQ(titles.size(), 4);
    EXPECT_TRUE(titles[0].isNull());
    EXPECT_EQ(titles[1].toString().toLower(), QStringLiteral("le petit crayonneur"));
    EXPECT_EQ(titles[2].toString(), QStringLiteral("Phylactère Hebdo"));
    EXPECT_EQ(titles[3].toString(), QStringLiteral("Planches d'Aujourd'hui"));
}

TEST_P(CatalogueQueries, TextEqualityIgnoresCaseButNotAccents) {
    EXPECT_EQ(scalar(QStringLiteral("select count(*) from REVUES where NomRevue = 'le petit "
                                    "crayonneur'"))
                  .toInt(),
              8);
    EXPECT_EQ(scalar(QStringLiteral("select count(*) from REVUES where NomRevue = \"PHYLACTÈRE "
                                    "HEBDO\""))
                  .toInt(),
              8);
    EXPECT_EQ(scalar(QStringLiteral("select count(*) from REVUES where NomRevue = 'Phylactere "
                                    "Hebdo'"))
                  .toInt(),
              0);
    EXPECT_EQ(scalar(QStringLiteral("select count(*) from AUTEURS where Nom = 'LŒWEN'")).toInt(),
              1);
}

TEST_P(CatalogueQueries, SeriesOfAWindowOfPurchaseDates) {
    const QString sql = QStringLiteral(
                            "SELECT DISTINCT B.IdSerie, A.Titre, A.Style,  A.Planche, A.Internet, "
                            "A.EnCours FROM SERIES A, ALBUMS B where %1B.IdSerie = A.IdSerie and "
                            "B.DateAchat > #12/31/2018# and B.DateAchat <= #12/31/2019#;")
                            .arg(v6() ? QStringLiteral("AAcheter = 0 and ") : QString());
    QList<int> ids;
    for (const QVariant& v : column(sql))
        ids << v.toInt();
    EXPECT_EQ(ids, (QList<int>{1, 2, 3, 4, 6}));
}

TEST_P(CatalogueQueries, DateLiteralBoundsAreMidnight) {
    const QString where = v6() ? QStringLiteral("AAcheter = 0 and ") : QString();
    EXPECT_EQ(scalar(QStringLiteral("select count(*) from ALBUMS where %1DateAchat <= #1/12/2019#")
                         .arg(where))
                  .toInt(),
              2);
    EXPECT_EQ(scalar(QStringLiteral("select count(*) from ALBUMS where %1DateAchat > #1/12/2019# "
                                    "and DateAchat < #1/13/2019 00:00:01#")
                         .arg(where))
                  .toInt(),
              0);
    EXPECT_EQ(
        scalar(QStringLiteral("select count(*) from ALBUMS where %1DateAchat is null").arg(where))
            .toInt(),
        3);
}

TEST_P(CatalogueQueries, AuthorsOfTheWishListByUnion) {
    const QString sql =
        v6() ? QStringLiteral(
                   "SELECT ALBUMS.IdDessinateur FROM ALBUMS where AAcheter = 1 and ALBUMS.IdAlbum "
                   "> 72"
                   " Union SELECT ALBUMS.IdScenariste FROM ALBUMS where AAcheter = 1 and "
                   "ALBUMS.IdAlbum > 72 Union SELECT ALBUMS.IdColoriste FROM ALBUMS where "
                   "AAcheter = 1 and ALBUMS.IdAlbum > 72 Union SELECT COLLABORATEURS.IdAuteur FROM "
                   "ALBUMS INNER JOIN COLLABORATEURS ON ALBUMS.IdAlbum = COLLABORATEURS.IdAlbum "
                   "WHERE AAcheter = 1 and ALBUMS.IdAlbum > 72")
             : QStringLiteral(
                   "SELECT ACHETER.IdDessinateur FROM ACHETER where ACHETER.IdAlbum > 72 Union "
                   "SELECT ACHETER.IdScenariste FROM ACHETER where ACHETER.IdAlbum > 72 Union "
                   "SELECT ACHETER.IdColoriste FROM ACHETER where ACHETER.IdAlbum > 72 Union "
                   "SELECT COLLABORATEURS.IdAuteur FROM ACHETER INNER JOIN COLLABORATEURS ON "
                   "ACHETER.IdAlbum = COLLABORATEURS.IdAlbum WHERE ACHETER.IdAlbum > 72");
    const QList<QVariant> ids = column(sql);
    // Each id once, in order; 24 and 20 come only from album 73's collaborators.
    QList<int> values;
    for (const QVariant& v : ids)
        values << v.toInt();
    EXPECT_TRUE(std::is_sorted(values.begin(), values.end()));
    EXPECT_EQ(QSet<int>(values.begin(), values.end()).size(), values.size());
    EXPECT_TRUE(values.contains(24));
    EXPECT_TRUE(values.contains(20));
    EXPECT_TRUE(values.contains(5));  // collaborator of album 80
}

TEST_P(CatalogueQueries, WishListAlbumRowsByPosition) {
    const QString sql =
        v6() ? QStringLiteral(
                   "select IdAlbum, Num, Titre, IdSerie, IdDessinateur, IdScenariste, DateAchat, "
                   "PrixAchat, Editeur, Etat, Format, EdO, HorsSerie, Integrale, EditionLimitee, "
                   "Collection, CoteActuelle, Reference, DL, Commentaire, Couverture, Possede, "
                   "Appreciation as NoteAlbum, idColoriste, Broche, Dedicace, ExLibris, NbPAges, "
                   "Perso1, Perso2, Perso3, NumA, Perso4, Prete from ALBUMS where AAcheter=1 and "
                   "IdAlbum > 80")
             : QStringLiteral("select * from ACHETER where IdAlbum > 80");
    auto rs = db->OpenRecordset(sql);
    ASSERT_EQ(rs->RecordCount(), 5);
    EXPECT_EQ(rs->FieldName(22), QStringLiteral("NoteAlbum"));
    rs->MoveLast();
    EXPECT_EQ(rs->Fields(0).toInt(), 85);
    EXPECT_EQ(rs->Fields(2).toString(), QStringLiteral("Radeau (édition limitée)"));
    EXPECT_TRUE(rs->Fields(6).isNull());
    EXPECT_EQ(rs->Fields(16).typeId(), QMetaType::Double);
    EXPECT_DOUBLE_EQ(rs->Fields(16).toDouble(), 49.90);
    EXPECT_EQ(rs->Fields(18).toDateTime(), QDateTime(QDate(2024, 6, 1), QTime(0, 0)));
    EXPECT_EQ(rs->Fields(QStringLiteral("possede")).toInt(), 0);
    EXPECT_EQ(rs->Fields(QStringLiteral("EditionLimitee")).toInt(), -1);
}

TEST_P(CatalogueQueries, MemoReadInPiecesOf255) {
    auto piece = [&](int start) {
        return scalar(
            QStringLiteral("select mid(Commentaire,%1,255) from AUTEURS where IdAuteur = 13")
                .arg(start));
    };
    EXPECT_TRUE(piece(1).toString().startsWith(QStringLiteral("[001]")));
    EXPECT_EQ(piece(1).toString().size(), 255);
    EXPECT_EQ(piece(13006).toString().size(), 95);
    EXPECT_FALSE(piece(13101).isNull());
    EXPECT_EQ(piece(13101).toString(), QString());
    EXPECT_EQ(scalar(QStringLiteral("select Commentaire from AUTEURS where IdAuteur = 13"))
                  .toString()
                  .size(),
              13100);
    EXPECT_TRUE(
        scalar(QStringLiteral("select mid(Commentaire,1,255) from SERIES where IdSerie = 3"))
            .isNull());
}

TEST_P(CatalogueQueries, NullStaysApartFromEmptyText) {
    auto rs = db->OpenRecordset(QStringLiteral(
        "select IdAuteur, Nom, Prenom, Surnom, DateNaissance, DateDeces, Pays, Pseudo, Scenario, "
        "Dessin, Couleur, Internet from AUTEURS where IdAuteur = 4"));
    ASSERT_FALSE(rs->Eof());
    EXPECT_FALSE(rs->Fields(7).isNull());
    EXPECT_EQ(rs->Fields(7).toString(), QString());
    EXPECT_EQ(rs->Fields(4).toDateTime(), QDateTime(QDate(1948, 3, 7), QTime(0, 0)));
    EXPECT_EQ(rs->Fields(QStringLiteral("scenario")).toInt(), -1);
    EXPECT_TRUE(scalar(QStringLiteral("select Pseudo from AUTEURS where IdAuteur = 5")).isNull());
    EXPECT_EQ(scalar(QStringLiteral("select Internet from SERIES where IdSerie = 3")),
              QVariant(QString()));
    EXPECT_EQ(scalar(QStringLiteral("select Nom from AUTEURS where IdAuteur = 10")).toString(),
              QStringLiteral("Tisserand  "));
}

TEST_P(CatalogueQueries, MagazinesAndCollectiblesUnderTheReadersNames) {
    if (v6()) {
        auto rs = db->OpenRecordset(QStringLiteral(
            "select idRevue, NomRevue, Num, Date, Editeur, Periodicite, AuNumero, PrixAchat,Cote, "
            "Commentaire,'' as serie1, '' as serie2, '' as serie3, '' as serie4,'' as sujet1,'' "
            "as sujet2,'' as sujet3,'' as sujet4,'' as sujet5,Couverture,0 as sujetSerie1,0 as "
            "sujetSerie2,0 as sujetSerie3,0 as sujetSerie4,0 as sujetSerie5 from REVUES; "));
        EXPECT_EQ(rs->RecordCount(), 20);
        EXPECT_EQ(rs->FieldCount(), 25);
        EXPECT_EQ(rs->Fields(QStringLiteral("serie1")), QVariant(QString()));
        EXPECT_EQ(rs->FieldName(19), QStringLiteral("Couverture"));
    } else {
        auto rs = db->OpenRecordset(QStringLiteral("REVUES"));
        EXPECT_EQ(rs->RecordCount(), 20);
        EXPECT_EQ(rs->Fields(QStringLiteral("SERIE1")).toString().isEmpty(), false);
    }
    const QString objects =
        v6() ? QStringLiteral(
                   "select IdParabd as IdExlibris, IdAlbum,IdSerie,descriptif as "
                   "Description,IdAuteur "
                   "as IdDessinateur,DateSortie as DL,Numero,Tirage as Nombre,Largeur,Hauteur,"
                   "Fabricant as Libraire,Editeur,Signe,HorsCommerce as HC,CategorieObjet as EA,0 "
                   "as "
                   "TireAPart,TypeObjet,Aspect as TypeCouleur,Image1 as ImageEx,DateAchat,"
                   "CategorieObjet from PARABD where idParabd > 9")
             : QStringLiteral(
                   "select IdExlibris, IdAlbum,IdSerie,Description,IdDessinateur,DL,Numero,Nombre,"
                   "Largeur,Hauteur,Libraire,Editeur,Signe,HC,EA,TireAPart,TypeObjet,TypeCouleur,"
                   "ImageEx,DateAchat,999 as CategorieObjet from EXLIBRIS where idExlibris > 9");
    auto rs = db->OpenRecordset(objects);
    ASSERT_EQ(rs->RecordCount(), 3);
    EXPECT_EQ(rs->FieldName(20), QStringLiteral("CategorieObjet"));
    EXPECT_DOUBLE_EQ(rs->Fields(QStringLiteral("Hauteur")).toDouble(), 29.7);
    if (!v6()) {
        EXPECT_EQ(rs->Fields(20).toInt(), 999);
    }
    rs->MoveLast();
    EXPECT_TRUE(rs->Fields(16).isNull());  // object 12 has no TypeObjet
    EXPECT_EQ(scalar(v6() ? QStringLiteral("select max(IdParabd) from PARABD")
                          : QStringLiteral("select max(IdEXlibris) from EXLIBRIS"))
                  .toInt(),
              12);
    EXPECT_EQ(scalar(QStringLiteral("select max(IdRevue) from REVUES")).toInt(), 20);
    EXPECT_DOUBLE_EQ(
        scalar(QStringLiteral("select PrixAchat from REVUES where idRevue = 9")).toDouble(), 12.5);
}

TEST_P(CatalogueQueries, CollaboratorsOfAnAlbum) {
    auto rs = db->OpenRecordset(QStringLiteral("select * from COLLABORATEURS where IdAlbum = 12"));
    EXPECT_EQ(rs->RecordCount(), 2);
    EXPECT_EQ(rs->Fields(1).toInt(), 24);
    auto none = db->OpenRecordset(QStringLiteral("select * from COLLABORATEURS where IdAlbum = 1"));
    EXPECT_EQ(none->RecordCount(), 0);
    EXPECT_TRUE(none->Eof());
    EXPECT_TRUE(none->Bof());
    try {
        none->Fields(0);
        FAIL();
    } catch (const Error& e) {
        EXPECT_EQ(e.Number(), errors::NoCurrentRecord);
    }
}

TEST_P(CatalogueQueries, MissingTablesAndFieldsAreErrors) {
    const QString other =
        v6() ? QStringLiteral("select * from ACHETER") : QStringLiteral("select * from PARABD");
    try {
        db->OpenRecordset(other);
        FAIL();
    } catch (const Error& e) {
        EXPECT_EQ(e.Number(), errors::TableNotFound);
    }
    auto rs = db->OpenRecordset(QStringLiteral("SERIES"));
    try {
        rs->Fields(QStringLiteral("Nothing"));
        FAIL();
    } catch (const Error& e) {
        EXPECT_EQ(e.Number(), errors::ItemNotFound);
    }
}

INSTANTIATE_TEST_SUITE_P(Fixtures, CatalogueQueries,
                         testing::Values(Source{"v6", true}, Source{"v6", false},
                                         Source{"v5", true}, Source{"v5", false}),
                         sourceName);

// The Access file and the SQLite build of the same data read alike.
class SameDataBothForms : public testing::TestWithParam<const char*> {};

TEST_P(SameDataBothForms, EveryTableReadsTheSame) {
    const QString g = QString::fromLatin1(GetParam());
    auto access = DBEngine::OpenDatabase(test::accessCatalogue(g));
    auto sqlite = DBEngine::OpenDatabase(test::sqliteCatalogue(g));
    auto defs = access->TableDefs();
    ASSERT_GE(defs.Count(), 6);
    for (int t = 0; t < defs.Count(); ++t) {
        const QString table = defs[t].Name();
        auto a = access->OpenRecordset(table);
        auto b = sqlite->OpenRecordset(table);
        ASSERT_EQ(a->RecordCount(), b->RecordCount()) << table.toStdString();
        ASSERT_EQ(a->FieldCount(), b->FieldCount()) << table.toStdString();
        for (int i = 0; i < a->FieldCount(); ++i)
            EXPECT_EQ(a->FieldName(i), b->FieldName(i));
        while (!a->Eof()) {
            for (int i = 0; i < a->FieldCount(); ++i) {
                const QVariant x = a->Fields(i), y = b->Fields(i);
                EXPECT_EQ(x.isNull(), y.isNull())
                    << table.toStdString() << " " << a->FieldName(i).toStdString();
                EXPECT_EQ(x.typeId(), y.typeId())
                    << table.toStdString() << " " << a->FieldName(i).toStdString();
                EXPECT_EQ(x, y) << table.toStdString() << " " << a->FieldName(i).toStdString()
                                << " " << x.toString().left(60).toStdString() << " / "
                                << y.toString().left(60).toStdString();
            }
            a->MoveNext();
            b->MoveNext();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Fixtures, SameDataBothForms, testing::Values("v6", "v5"));

}  // namespace
