#pragma once

#include <QString>

// What the fixture catalogue gains after an export made on 10/01/2027, for
// the incremental export's tests (SQLite statements on a copy of the
// fixture's script, "v6" or older generation):
// - collection albums 90 (15/01/2027: new series 13, new artist 26, known
//   writer 4, price 12.5) and 91 (20/01/2027: known series 12, artist 24,
//   who was only a collaborator so far, new author 27 through COLLABORATEURS
//   alone, and a COLLABORATEURS row that repeats its own writer 6);
// - wish-list albums 93 (new series 14, new author 28) and 94 (series 3,
//   author 24 again, and 9, known to the wish list);
// - magazine issues 21 (known title) and 22 (a new title);
// - collectibles 13 (new author 29, new series 15, "v6" family 2 item 3)
//   and 14 (known author 25, known series 2).
namespace kalvor::test {

inline QString GrownCatalogue(bool v6) {
    const QString rating = v6 ? QStringLiteral("Appreciation") : QStringLiteral("NoteAlbum");
    const QString albumColumns =
        QStringLiteral(
            "IdAlbum, Num, Titre, IdSerie, IdDessinateur, IdScenariste, DateAchat, "
            "Editeur, Format, EdO, HorsSerie, Integrale, EditionLimitee, Collection, "
            "CoteActuelle, DL, Commentaire, Couverture, Possede, %1, idColoriste, "
            "Broche, NbPAges, Perso4, Prete")
            .arg(rating);
    const QString owned =
        QStringLiteral("INSERT INTO ALBUMS (") + albumColumns +
        (v6 ? QStringLiteral(", AAcheter) VALUES (%1, 0);") : QStringLiteral(") VALUES (%1);"));
    const QString wished = v6 ? QStringLiteral("INSERT INTO ALBUMS (") + albumColumns +
                                    QStringLiteral(", AAcheter) VALUES (%1, 1);")
                              : QStringLiteral("INSERT INTO ACHETER (") + albumColumns +
                                    QStringLiteral(") VALUES (%1);");
    QString script = QStringLiteral(
        "INSERT INTO SERIES VALUES (13, 'Les Îles d''été', 'Aventure', 'Planche_Iles.jpg', NULL, "
        "1, 'Série toute neuve.');"
        "INSERT INTO SERIES VALUES (14, 'Vœux pieux', 'Humour', NULL, NULL, 1, NULL);"
        "INSERT INTO SERIES VALUES (15, 'Objets trouvés', 'Divers', NULL, NULL, 0, NULL);"
        "INSERT INTO AUTEURS VALUES (26, 'Quéméner', 'Loïc', NULL, '1991-02-03 00:00:00', NULL, "
        "'France', NULL, 0, -1, 0, NULL, 'Premier album.');"
        "INSERT INTO AUTEURS VALUES (27, 'Ferrand', 'Agathe', NULL, NULL, NULL, 'France', "
        "'Agaf', 0, 0, -1, NULL, NULL);"
        "INSERT INTO AUTEURS VALUES (28, 'Dubreuil', NULL, NULL, NULL, NULL, 'Belgique', NULL, "
        "-1, -1, 0, NULL, NULL);"
        "INSERT INTO AUTEURS VALUES (29, 'Lenoir', 'Zoé', NULL, NULL, NULL, 'Suisse', NULL, 0, "
        "-1, 0, NULL, 'Graveuse.');");
    script += owned.arg(QStringLiteral(
        "90, 1, 'L''Été des îles', 13, 26, 4, '2027-01-15 00:00:00', 'Éditions du Large', 0, -1, "
        "0, 0, 0, 'Grand Large', 12.5, '2026-11-01 00:00:00', 'Acheté à la sortie.', "
        "'Couv_Album90.JPG', -1, 8, 7, 0, 48, 1, 0"));
    script += owned.arg(QStringLiteral(
        "91, 7, 'Le Bélier noir', 12, 24, 6, '2027-01-20 00:00:00', 'Éditions du Large', 0, 0, "
        "0, 0, 0, NULL, NULL, NULL, NULL, 'Couv_Album91.JPG', -1, NULL, 7, 0, NULL, NULL, 0"));
    script += wished.arg(QStringLiteral(
        "93, 1, 'Prière d''attendre', 14, 28, 28, NULL, 'Rire & Cie', 0, 0, 0, 0, 0, NULL, 9.95, "
        "NULL, 'À offrir.', NULL, 0, NULL, 1, 0, NULL, NULL, 0"));
    script += wished.arg(QStringLiteral(
        "94, 7, 'Fusion', 3, 24, 9, NULL, 'Éditions du Large', 0, 0, 0, 0, 0, NULL, NULL, "
        "'2026-12-01 00:00:00', NULL, NULL, 0, NULL, 11, 0, 52, NULL, 0"));
    script += QStringLiteral(
        "INSERT INTO COLLABORATEURS VALUES (91, 27, 2);"
        "INSERT INTO COLLABORATEURS VALUES (91, 6, 0);");
    if (v6) {
        script += QStringLiteral(
            "INSERT INTO PARABD VALUES (13, NULL, 15, 'Gravure « Lenoir »', 29, NULL, 12, 50, "
            "20, 30, 'Atelier Lenoir', NULL, -1, 0, 3, 2, 0, 'Gravure_Lenoir.JPG', "
            "'2027-01-12 00:00:00', 'Tirage de tête.', NULL);"
            "INSERT INTO PARABD VALUES (14, 14, 2, 'Badge grelot', 25, NULL, NULL, NULL, NULL, "
            "NULL, NULL, NULL, 0, 0, 1, 1, 1, 'badge.jpg', NULL, NULL, NULL);"
            "INSERT INTO REVUES VALUES (21, 'Phylactère Hebdo', 108, '2027-01-13 00:00:00', "
            "'Presse Bulle SA', 'Hebdomadaire', 'Au numéro', 2.80, NULL, NULL, NULL);"
            "INSERT INTO REVUES VALUES (22, 'Bulles d''hiver', 1, '2027-01-14 00:00:00', NULL, "
            "'Trimestriel', NULL, 5.50, NULL, 'Premier numéro.', 'Bulles_01.JPG');");
    } else {
        script += QStringLiteral(
            "INSERT INTO EXLIBRIS VALUES (13, NULL, 15, 'Gravure « Lenoir »', 29, NULL, 12, 50, "
            "20, 30, 'Atelier Lenoir', NULL, -1, 0, -1, 0, 2, 0, 'Gravure_Lenoir.JPG', "
            "'2027-01-12 00:00:00', 'Tirage de tête.');"
            "INSERT INTO EXLIBRIS VALUES (14, 14, 2, 'Badge grelot', 25, NULL, NULL, NULL, NULL, "
            "NULL, NULL, NULL, 0, 0, 0, 0, 1, 1, 'badge.jpg', NULL, NULL);"
            "INSERT INTO REVUES (idRevue, NomRevue, Num, Date, Editeur, Periodicite, AuNumero, "
            "PrixAchat, Cote, Commentaire, Couverture) VALUES (21, 'Phylactère Hebdo', 108, "
            "'2027-01-13 00:00:00', 'Presse Bulle SA', 'Hebdomadaire', 'Au numéro', 2.80, NULL, "
            "NULL, NULL);"
            "INSERT INTO REVUES (idRevue, NomRevue, Num, Date, Editeur, Periodicite, AuNumero, "
            "PrixAchat, Cote, Commentaire, Couverture) VALUES (22, 'Bulles d''hiver', 1, "
            "'2027-01-14 00:00:00', NULL, 'Trimestriel', NULL, 5.50, NULL, 'Premier numéro.', "
            "'Bulles_01.JPG');");
    }
    return script;
}

}  // namespace kalvor::test
