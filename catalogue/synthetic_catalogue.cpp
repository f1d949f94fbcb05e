#include "catalogue/synthetic_catalogue.h"

#include <QStringList>

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
    for (const QString& t : v6 ? QStringList{"ALBUMS"} : QStringList{"ALBUMS", "ACHETER"})
        for (const char* c :
             {"IdSerie", "DateAchat", "IdScenariste", "IdDessinateur", "idColoriste"})
            s += QStringLiteral("CREATE INDEX %1_%2 ON %1 (%2);").arg(t, QLatin1String(c));
    s += QStringLiteral(
        "CREATE TABLE COLLABORATEURS (IdAlbum LONG, IdAuteur LONG, TypeCollaboration BYTE);"
        "CREATE INDEX COLLABORATEURS_IdAlbum ON COLLABORATEURS (IdAlbum);");
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
            "(idRevue));");
    else
        s += QStringLiteral(
            "CREATE TABLE EXLIBRIS (IdExlibris COUNTER NOT NULL, IdAlbum LONG, IdSerie LONG, "
            "Description TEXT(255), IdDessinateur LONG, DL DATETIME, Numero LONG, Nombre LONG, "
            "Largeur DOUBLE, Hauteur DOUBLE, Libraire TEXT(100), Editeur TEXT(100), Signe YESNO, "
            "HC "
            "YESNO, EA YESNO, TireAPart YESNO, TypeObjet INTEGER, TypeCouleur BYTE, ImageEx "
            "TEXT(255), DateAchat DATETIME, Commentaire MEMO, PRIMARY KEY (IdExlibris));"
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

}  // namespace

long WriteSyntheticCatalogue(const QString& databasePath, Generation g, int albums) {
    const bool v6 = g == Generation::V6;
    const int series = std::max(1, albums / 8);
    const int authors = std::max(3, albums / 10);
    const int collectibles = std::max(1, albums / 12);
    const int magazines = std::max(1, albums / 20);
    long rows = 0;
    QString sql = QStringLiteral("BEGIN;");
    for (int i = 1; i <= series; ++i, ++rows)
        sql += QStringLiteral(
                   "INSERT INTO SERIES VALUES (%1, 'Série n°%1 l''Étoile', 'Aventure', "
                   "'Planche_%1.JPG', NULL, %2, 'Commentaire de la série %1');")
                   .arg(i)
                   .arg(i % 3);
    for (int i = 1; i <= authors; ++i, ++rows)
        sql += QStringLiteral(
                   "INSERT INTO AUTEURS VALUES (%1, 'Nom%1', 'Prénom', 'Photo_%1.jpg', "
                   "%2, NULL, 'France', %3, -1, 0, 0, NULL, 'Biographie %1');")
                   .arg(i)
                   .arg(date(i))
                   .arg(i % 4 ? QStringLiteral("NULL") : QStringLiteral("'Pseudo%1'").arg(i));
    for (int i = 1; i <= albums; ++i, ++rows) {
        const bool wish = i % 6 == 0;
        const QString table = wish && !v6 ? QStringLiteral("ACHETER") : QStringLiteral("ALBUMS");
        sql += QStringLiteral(
                   "INSERT INTO %1 VALUES (%2, %3, 'Album n°%2 « Élan »', %4, %5, %6, %7, 12.5, "
                   "'Éditions Pélican', 3, 0, %8, 0, 0, 0, 'Collection', NULL, 'REF-%2', %9, "
                   "'Commentaire de l''album %2', 'Couv_%2.JPG', %10, %11, 1, 0, NULL, NULL, 48, "
                   "'Étagère', NULL, NULL, '', 0, 0%12);")
                   .arg(table)
                   .arg(i)
                   .arg(i % 40 + 1)
                   .arg(i % series + 1)
                   .arg(i % authors + 1)
                   .arg((i * 7) % authors + 1)
                   .arg(wish ? QStringLiteral("NULL") : date(i))
                   .arg(i % 9 ? 0 : -1)
                   .arg(date(i + 3))
                   .arg(wish ? 0 : -1)
                   .arg(i % 11)
                   .arg(v6 ? QStringLiteral(", %1").arg(wish ? 1 : 0) : QString());
        if (i % 8 == 0) {
            sql += QStringLiteral("INSERT INTO COLLABORATEURS VALUES (%1, %2, %3);")
                       .arg(i)
                       .arg((i * 3) % authors + 1)
                       .arg(i % 3);
            ++rows;
        }
    }
    for (int i = 1; i <= collectibles; ++i, ++rows)
        sql += v6 ? QStringLiteral(
                        "INSERT INTO PARABD VALUES (%1, %2, %3, 'Ex-libris %1', %4, %5, "
                        "%1, 300, 15, 21, 'Atelier', 'Éditeur', -1, 0, %6, 1, 1, "
                        "'Ex_%1.JPG', %5, 'Objet %1', NULL);")
                        .arg(i)
                        .arg(i * 12 % albums + 1)
                        .arg(i % series + 1)
                        .arg(i % authors + 1)
                        .arg(date(i))
                        .arg(i % 9 + 1)
                  : QStringLiteral(
                        "INSERT INTO EXLIBRIS VALUES (%1, %2, %3, 'Ex-libris %1', %4, "
                        "%5, %1, 300, 15, 21, 'Librairie', 'Éditeur', -1, 0, 0, 0, %6, "
                        "1, 'Ex_%1.JPG', %5, 'Objet %1');")
                        .arg(i)
                        .arg(i * 12 % albums + 1)
                        .arg(i % series + 1)
                        .arg(i % authors + 1)
                        .arg(date(i))
                        .arg(i % 6);
    for (int i = 1; i <= magazines; ++i, ++rows)
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

}  // namespace kalvor::catalogue
