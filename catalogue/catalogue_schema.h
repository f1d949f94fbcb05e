#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace kalvor::dao {
class TableDefs;
}

// The catalogue's tables as its readers rely on them: column orders (readers
// take columns by position) and the two generations of the catalogue.
namespace kalvor::catalogue {

enum class Generation { V6, Older };

// "v6" selects the newer generation; any other version the older one.
Generation GenerationOf(const QString& GV_Version_Base);
inline bool IsV6(const QString& GV_Version_Base) {
    return GV_Version_Base == QLatin1String("v6");
}

// The generation a catalogue's own tables show, whatever the registry says:
// the older one keeps its wish list in ACHETER or its collectibles in
// EXLIBRIS, the newer one marks its wish list in ALBUMS.AAcheter. Nothing
// for a file without ALBUMS and SERIES, or that is neither.
std::optional<Generation> GenerationOfTables(const dao::TableDefs& tables);

// Album rows, positions 0-33, the same for ALBUMS and ACHETER; position 22
// is NoteAlbum (read from Appreciation in "v6").
namespace album {
enum Column {
    IdAlbum = 0,
    Num,
    Titre,
    IdSerie,
    IdDessinateur,
    IdScenariste,
    DateAchat,
    PrixAchat,
    Editeur,
    Etat,
    Format,
    EdO,
    HorsSerie,
    Integrale,
    EditionLimitee,
    Collection,
    CoteActuelle,
    Reference,
    DL,
    Commentaire,
    Couverture,
    Possede,
    NoteAlbum,
    idColoriste,
    Broche,
    Dedicace,
    ExLibris,
    NbPAges,
    Perso1,
    Perso2,
    Perso3,
    NumA,
    Perso4,
    Prete,
    Count
};
}

// Series rows of the readers' select list (the comment is read apart).
namespace serie {
enum Column { IdSerie = 0, Titre, Style, Planche, Internet, EnCours, Count };
}

// Author rows of the readers' explicit list (the comment is read apart).
namespace auteur {
enum Column {
    IdAuteur = 0,
    Nom,
    Prenom,
    Surnom,
    DateNaissance,
    DateDeces,
    Pays,
    Pseudo,
    Scenario,
    Dessin,
    Couleur,
    Internet,
    Count
};
}

// The first three columns of COLLABORATEURS.
namespace collaborateur {
enum Column { IdAlbum = 0, IdAuteur, TypeCollaboration, Count };
}

// Collectible rows under the older names (PARABD aliased in "v6").
namespace exlibris {
enum Column {
    IdExlibris = 0,
    IdAlbum,
    IdSerie,
    Description,
    IdDessinateur,
    DL,
    Numero,
    Nombre,
    Largeur,
    Hauteur,
    Libraire,
    Editeur,
    Signe,
    HC,
    EA,
    TireAPart,
    TypeObjet,
    TypeCouleur,
    ImageEx,
    DateAchat,
    CategorieObjet,
    Count
};
}

// Magazine rows: the first six by position, the rest by name; "v6" select
// list positions.
namespace revue {
enum Column { idRevue = 0, NomRevue, Num, Date, Editeur, Periodicite, Count = 6 };
}

// Names of a generation's tables.
QString WishListTable(Generation g);      // "ALBUMS" (AAcheter = 1) or "ACHETER"
QString CollectiblesTable(Generation g);  // "PARABD" or "EXLIBRIS"

}  // namespace kalvor::catalogue
