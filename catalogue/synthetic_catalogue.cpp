#include "catalogue/synthetic_catalogue.h"

#include <QStringList>
#include <algorithm>

#include "platform/dao/db_engine.h"

namespace kalvor::catalogue {
namespace {

const char* kAlbumColumns =
    "IdAlbum COUNTER NOT NULL, Num INTEGER, Titre TEXT(255), IdSerie LONG, IdDessinateur LONG, "
    "IdScenariste LONG, DateAchat DATETIME, PrixAchat CURRENCY, Editeur TEXT(100), Etat BYTE, "
    "Format BYTE, EdO YESNO, HorsSerie YESNO, Integrale YESNO, EditionLimitee YESNO, Collection "
    "TEXT(100), CoteActuelle CURRENCY, Reference TEXT(50), DL DATETIME, Commentaire MEMO, "
    "Couverture TEXT(255), Possede YESNO, %1 INTEGER, idColoriste LONG, Broche YESNO, Dedicace "
    "TEXT(255), ExLibris TEXT(255), NbPAges INTEGER, Perso1 TEXT(255), Perso2 TEXT(255), Perso3 "
    "TEXT(255), NumA TEXT(10), Perso4 DOUBLE, Prete YESNO%2, PRIMARY KEY (IdAlbum)";

QString schema(Generation g) {
    const bool v6 = g == Generation::V6;
    QString s = QStringLiteral(
        "CREATE TABLE SERIES (IdSerie COUNTER NOT NULL, Titre TEXT(255), Style TEXT(50), Planche "
        "TEXT(255), Internet TEXT(255), EnCours BYTE, Commentaire MEMO, PRIMARY KEY (IdSerie));"
        "CREATE INDEX SERIES_Titre ON SERIES (Titre);"
        "CREATE TABLE AUTEURS (IdAuteur COUNTER NOT NULL, Nom TEXT(100), Prenom TEXT(100), Surnom "
        "TEXT(255), DateNaissance DATETIME, DateDeces DATETIME, Pays TEXT(50), Pseudo TEXT(100), "
        "Scenario YESNO, Dessin YESNO, Couleur YESNO, Internet TEXT(255), Commentaire MEMO, "
        "PRIMARY KEY (IdAuteur));");
    s += QStringLiteral("CREATE TABLE ALBUMS (%1);")
             .arg(QString::fromLatin1(kAlbumColumns)
                      .arg(v6 ? QStringLiteral("Appreciation") : QStringLiteral("NoteAlbum"),
                           v6 ? QStringLiteral(", AAcheter BYTE") : QString()));
    if (!v6)
        s +=
            QStringLiteral("CREATE TABLE ACHETER (%1);")
                .arg(
                    QString::fromLatin1(kAlbumColumns).arg(QStringLiteral("NoteAlbum"), QString()));
    // The indexes of the catalogues the application writes.
    for (const QString& t : v6 ? QStringList{"ALBUMS"} : QStringList{"ALBUMS", "ACHETER"})
        for (const char* c :
             {"IdSerie", "DateAchat", "IdScenariste", "IdDessinateur", "idColoriste"})
            s += QStringLiteral("CREATE INDEX %1_%2 ON %1 (%2);").arg(t, QLatin1String(c));
    if (v6)
        s += QStringLiteral("CREATE INDEX ALBUMS_AAcheter ON ALBUMS (AAcheter);");
    s += QStringLiteral(
        "CREATE TABLE COLLABORATEURS (IdAlbum LONG, IdAuteur LONG, TypeCollaboration BYTE);"
        "CREATE INDEX COLLABORATEURS_IdAlbum ON COLLABORATEURS (IdAlbum);"
        "CREATE INDEX COLLABORATEURS_IdAuteur ON COLLABORATEURS (IdAuteur);");
    if (v6)
        s += QStringLiteral(
            "CREATE TABLE PARABD (IdParabd COUNTER NOT NULL, IdAlbum LONG, IdSerie LONG, "
            "descriptif "
            "TEXT(255), IdAuteur LONG, DateSortie DATETIME, Numero LONG, Tirage LONG, Largeur "
            "DOUBLE, Hauteur DOUBLE, Fabricant TEXT(100), Editeur TEXT(100), Signe YESNO, "
            "HorsCommerce YESNO, CategorieObjet INTEGER, TypeObjet INTEGER, Aspect BYTE, Image1 "
            "TEXT(255), DateAchat DATETIME, Commentaire MEMO, Image2 TEXT(255), PRIMARY KEY "
            "(IdParabd));"
            "CREATE TABLE REVUES (idRevue COUNTER NOT NULL, NomRevue TEXT(100), Num INTEGER, Date "
            "DATETIME, Editeur TEXT(100), Periodicite TEXT(50), AuNumero TEXT(50), PrixAchat "
            "CURRENCY, Cote CURRENCY, Commentaire MEMO, Couverture TEXT(255), PRIMARY KEY "
            "(idRevue));"
            "CREATE INDEX PARABD_IdSerie ON PARABD (IdSerie);"
            "CREATE INDEX PARABD_IdAuteur ON PARABD (IdAuteur);");
    else
        s += QStringLiteral(
            "CREATE TABLE EXLIBRIS (IdExlibris COUNTER NOT NULL, IdAlbum LONG, IdSerie LONG, "
            "Description TEXT(255), IdDessinateur LONG, DL DATETIME, Numero LONG, Nombre LONG, "
            "Largeur DOUBLE, Hauteur DOUBLE, Libraire TEXT(100), Editeur TEXT(100), Signe YESNO, "
            "HC "
            "YESNO, EA YESNO, TireAPart YESNO, TypeObjet INTEGER, TypeCouleur BYTE, ImageEx "
            "TEXT(255), DateAchat DATETIME, Commentaire MEMO, PRIMARY KEY (IdExlibris));"
            "CREATE INDEX EXLIBRIS_IdSerie ON EXLIBRIS (IdSerie);"
            "CREATE INDEX EXLIBRIS_IdDessinateur ON EXLIBRIS (IdDessinateur);"
            "CREATE TABLE REVUES (idRevue COUNTER NOT NULL, NomRevue TEXT(100), Num INTEGER, Date "
            "DATETIME, Editeur TEXT(100), Periodicite TEXT(50), AuNumero TEXT(50), PrixAchat "
            "CURRENCY, Cote CURRENCY, Commentaire MEMO, Serie1 TEXT(100), Serie2 TEXT(100), Serie3 "
            "TEXT(100), Serie4 TEXT(100), Sujet1 TEXT(100), Sujet2 TEXT(100), Sujet3 TEXT(100), "
            "Sujet4 TEXT(100), Sujet5 TEXT(100), Couverture TEXT(255), PRIMARY KEY (idRevue));");
    return s;
}

QString date(int n) {
    return QStringLiteral("'%1-%2-%3 00:00:00'")
        .arg(2000 + n % 26)
        .arg(1 + n % 12, 2, 10, QLatin1Char('0'))
        .arg(1 + n % 28, 2, 10, QLatin1Char('0'));
}

QString id(int n) {
    return QString::number(n);
}

const QString kNull = QStringLiteral("NULL");

// Row counts of a catalogue of `albums` albums.
struct Sizes {
    explicit Sizes(const SyntheticOptions& o)
        : albums(o.albums),
          series(std::max(1, o.albums / 8)),
          authors(std::max(3, o.albums / 10)),
          collectibles(std::max(1, o.albums / 12)),
          magazines(std::max(1, o.albums / 20)),
          authorOne(o.authorOne) {}
    // The n-th regular author; author 1 is one of them only when it is a
    // regular author itself.
    int author(int n) const {
        return authorOne == SyntheticOptions::AuthorOne::Regular ? n % authors + 1
                                                                 : n % (authors - 1) + 2;
    }
    // The author and the series that only undated albums name.
    int undatedAuthor() const { return authors + 1; }
    int undatedSeries() const { return series + 1; }
    int albums, series, authors, collectibles, magazines;
    SyntheticOptions::AuthorOne authorOne;
};

struct Album {
    int id = 0;
    int series = 0;
    QString artist, writer, colourist = QStringLiteral("1");
    QString bought;  // DateAchat as an SQL value
    bool wish = false;
};

QString albumRow(bool v6, const Album& a) {
    const QString table = a.wish && !v6 ? QStringLiteral("ACHETER") : QStringLiteral("ALBUMS");
    return QStringLiteral(
               "INSERT INTO %1 VALUES (%2, %3, 'Album n°%2 « Élan »', %4, %5, %6, %7, 12.5, "
               "'Éditions Pélican', 3, 0, %8, 0, 0, 0, 'Collection', NULL, 'REF-%2', %9, "
               "'Commentaire de l''album %2', 'Couv_%2.JPG', %10, %11, %12, 0, NULL, NULL, 48, "
               "'Étagère', NULL, NULL, '', 0, 0%13);")
        .arg(table)
        .arg(a.id)
        .arg(a.id % 40 + 1)
        .arg(a.series)
        .arg(a.artist)
        .arg(a.writer)
        .arg(a.bought)
        .arg(a.id % 9 ? 0 : -1)
        .arg(date(a.id + 3))
        .arg(a.wish ? 0 : -1)
        .arg(a.id % 11)
        .arg(a.colourist)
        .arg(v6 ? QStringLiteral(", %1").arg(a.wish ? 1 : 0) : QString());
}

QString authorRow(int i) {
    return QStringLiteral(
               "INSERT INTO AUTEURS VALUES (%1, 'Nom%1', 'Prénom', 'Photo_%1.jpg', "
               "%2, NULL, 'France', %3, -1, 0, 0, NULL, 'Biographie %1');")
        .arg(i)
        .arg(date(i))
        .arg(i % 4 ? kNull : QStringLiteral("'Pseudo%1'").arg(i));
}

QString seriesRow(int i) {
    return QStringLiteral(
               "INSERT INTO SERIES VALUES (%1, 'Série n°%1 l''Étoile', 'Aventure', "
               "'Planche_%1.JPG', NULL, %2, 'Commentaire de la série %1');")
        .arg(i)
        .arg(i % 3);
}

// The awkward cases, in turn over the owned albums: in a cycle of 16, the
// writer, the artist and the colourist left Null then 0 (1-6), an id without
// a row in each role (7-9), no author at all (10), no purchase date (11-12).
void shape(Album& a, const SyntheticOptions& o, const Sizes& z) {
    const int k = a.id % 16;
    QString* roles[] = {&a.writer, &a.artist, &a.colourist};
    if (o.absentAuthors && k >= 1 && k <= 6) {
        *roles[(k - 1) / 2] = k % 2 ? kNull : id(0);
    }
    if (o.absentAuthors && k == 10) {
        a.writer = a.colourist = kNull;
        a.artist = id(0);
    }
    if (o.danglingAuthors && k >= 7 && k <= 9) {
        *roles[k - 7] = id(9000 + a.id);
    }
    if (o.undatedAlbums && (k == 11 || k == 12)) {
        a.bought = kNull;
        if (k == 11) {
            a.writer = id(z.undatedAuthor());
            a.series = z.undatedSeries();
        }
    }
}

}  // namespace

long WriteSyntheticCatalogue(const QString& databasePath, Generation g, int albums) {
    SyntheticOptions o;
    o.albums = albums;
    return WriteSyntheticCatalogue(databasePath, g, o);
}

long WriteSyntheticCatalogue(const QString& databasePath, Generation g, const SyntheticOptions& o) {
    using AuthorOne = SyntheticOptions::AuthorOne;
    const bool v6 = g == Generation::V6;
    const Sizes z(o);
    const int albums = z.albums, series = z.series, authors = z.authors;
    long rows = 0;
    QString sql = QStringLiteral("BEGIN;");
    for (int i = 1; i <= series; ++i, ++rows)
        sql += seriesRow(i);
    if (o.undatedAlbums) {
        sql += seriesRow(z.undatedSeries());
        ++rows;
    }
    for (int i = 1; i <= authors; ++i) {
        if (i == 1 && o.authorOne == AuthorOne::Missing)
            continue;
        sql += i == 1 && o.authorOne == AuthorOne::NoAuthor
                   ? QStringLiteral(
                         "INSERT INTO AUTEURS VALUES (1, 'Aucun', NULL, NULL, NULL, NULL, NULL, "
                         "NULL, 0, 0, 0, NULL, 'Pas d''auteur');")
                   : authorRow(i);
        ++rows;
    }
    if (o.undatedAlbums) {
        sql += authorRow(z.undatedAuthor());
        ++rows;
    }
    for (int i = 1; i <= albums; ++i, ++rows) {
        Album a;
        a.id = i;
        a.wish = i % 6 == 0;
        a.series = i % series + 1;
        a.artist = id(z.author(i));
        a.writer = id(z.author(i * 7));
        a.bought = a.wish ? kNull : date(i);
        if (!a.wish)
            shape(a, o, z);
        sql += albumRow(v6, a);
        if (i % 8 == 0) {
            sql += QStringLiteral("INSERT INTO COLLABORATEURS VALUES (%1, %2, %3);")
                       .arg(i)
                       .arg(z.author(i * 3))
                       .arg(i % 3);
            ++rows;
        }
    }
    for (int i = 1; i <= z.collectibles; ++i, ++rows)
        sql += v6 ? QStringLiteral(
                        "INSERT INTO PARABD VALUES (%1, %2, %3, 'Ex-libris %1', %4, %5, "
                        "%1, 300, 15, 21, 'Atelier', 'Éditeur', -1, 0, %6, 1, 1, "
                        "'Ex_%1.JPG', %5, 'Objet %1', NULL);")
                        .arg(i)
                        .arg(i * 12 % albums + 1)
                        .arg(i % series + 1)
                        .arg(z.author(i))
                        .arg(date(i))
                        .arg(i % 9 + 1)
                  : QStringLiteral(
                        "INSERT INTO EXLIBRIS VALUES (%1, %2, %3, 'Ex-libris %1', %4, "
                        "%5, %1, 300, 15, 21, 'Librairie', 'Éditeur', -1, 0, 0, 0, %6, "
                        "1, 'Ex_%1.JPG', %5, 'Objet %1');")
                        .arg(i)
                        .arg(i * 12 % albums + 1)
                        .arg(i % series + 1)
                        .arg(z.author(i))
                        .arg(date(i))
                        .arg(i % 6);
    for (int i = 1; i <= z.magazines; ++i, ++rows)
        sql +=
            QStringLiteral(
                "INSERT INTO REVUES VALUES (%1, 'Revue %2', %1, %3, 'Presse', "
                "'Mensuel', 'Au numéro', 2.5, NULL, 'Numéro %1'%4, 'Revue_%1.JPG');")
                .arg(i)
                .arg(i % 5)
                .arg(date(i))
                .arg(v6 ? QString()
                        : QStringLiteral(", NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL"));
    sql += QStringLiteral("COMMIT;");
    auto db = dao::DBEngine::CreateDatabase(databasePath);
    db->ExecuteScript(schema(g));
    db->ExecuteScript(sql);
    db->Close();
    return rows;
}

long GrowSyntheticCatalogue(const QString& databasePath, Generation g, const SyntheticOptions& o,
                            const QDate& lastExport) {
    const bool v6 = g == Generation::V6;
    const Sizes z(o);
    const auto day = [&lastExport](int n) {
        return QStringLiteral("'%1 00:00:00'").arg(lastExport.addDays(n).toString(Qt::ISODate));
    };
    const int newArtist = z.authors + 2, newWriter = z.authors + 3;
    const int newSeries = z.series + 2, laterSeries = z.series + 3;
    QString sql = QStringLiteral("BEGIN;") + authorRow(newArtist) + authorRow(newWriter) +
                  seriesRow(newSeries) + seriesRow(laterSeries);
    long rows = 4;
    const auto add = [&](int n, int series, const QString& artist, const QString& writer,
                         const QString& colourist, const QString& bought) {
        Album a;
        a.id = z.albums + n;
        a.series = series;
        a.artist = artist;
        a.writer = writer;
        a.colourist = colourist;
        a.bought = bought;
        sql += albumRow(v6, a);
        ++rows;
    };
    add(1, newSeries, id(newArtist), id(z.author(1)), kNull, day(1));
    add(2, laterSeries, id(z.author(2)), id(newWriter), id(0), kNull);
    add(3, laterSeries, id(z.author(3)), id(newWriter), id(1), day(2));
    add(4, o.undatedAlbums ? z.undatedSeries() : 1, id(9000 + z.albums + 4),
        id(o.undatedAlbums ? z.undatedAuthor() : z.author(4)), id(0), day(3));
    add(5, 1, kNull, id(0), id(newArtist), day(4));
    const int lastWished = v6 ? z.albums + 5 : z.albums / 6 * 6;
    for (int n = 1; n <= o.grownWishList; ++n) {
        Album a;
        a.id = lastWished + n;
        a.wish = true;
        a.series = n % 3 ? laterSeries : n % z.series + 1;
        a.artist = id(n % 2 ? newArtist : z.author(a.id * 5));
        a.writer = id(n % 2 ? z.author(a.id * 7) : newWriter);
        a.colourist = n % 4 ? id(z.author(n)) : kNull;
        a.bought = kNull;
        sql += albumRow(v6, a);
        ++rows;
    }
    if (o.grownWishList > 0) {
        const int first = lastWished + 1;
        sql += QStringLiteral(
                   "INSERT INTO COLLABORATEURS VALUES (%1, %2, 2);"
                   "INSERT INTO COLLABORATEURS VALUES (%1, %3, 1);")
                   .arg(first)
                   .arg(z.author(first * 3))
                   .arg(z.author(first));
        rows += 2;
    }
    sql += QStringLiteral("COMMIT;");
    auto db = dao::DBEngine::OpenDatabase(databasePath);
    db->ExecuteScript(sql);
    db->Close();
    return rows;
}

}  // namespace kalvor::catalogue
