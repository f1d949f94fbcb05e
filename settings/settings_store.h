#pragma once

// The stored settings: one row per registry value, the only place where a
// value's name is written. The load and the save walk their own orders (the
// load fires handlers, the save follows the file's order), but both take the
// name, the member and the default from here.

#include <QString>
#include <array>
#include <optional>

#include "settings/settings.h"

namespace kalvor::store {

enum class Section { Config, Folders };

// In the order of the load.
enum class Key {
    Export,
    Titre,
    Couvertures,
    Versos,
    Photos,
    Planches,
    Dedicaces,
    Parabd,
    Revues,
    Repertoire,
    Require,
    Manuel,
    Split,
    SplitGroup,
    Collection,
    Email,
    SitePrincipal,
    Stats,
    NbCol,
    Eo,
    Int,
    Dedicace,
    Reliure,
    Tt,
    ColorAuteur,
    Miniature,
    ListeCollection,
    ListeStyle,
    ListeDl,
    ListeAchat,
    ListeNotes,
    Moteur,
    Icone,
    NbListe,
    Perso1,
    Perso2,
    Perso3,
    Perso4,
    Host,
    Login,
    Password,
    Base,
    PrefixeTable,
    LastId,
    LastIdPara,
    LastIdRevue,
    LastRun,
    LastCollaborateurs,
    LastFull,
    Prefix,
    ThumbCouvertures,
    ThumbVersos,
    ThumbPhotos,
    ThumbPlanches,
    ThumbDedicaces,
    ThumbParabd,
    ThumbRevues,
    SeriesAccueil,
    ImageAccueil,
    ColAccueil,
    LigneAccueil,
    Commentaire,
    Imprimer,
    BaspageUse,
    BaspageHaut,
    Auteur,
    DediPlace,
    Site,
    OptPathParabd,
    PluginTintinId,
    PluginTintin,
    Verso,
    Latin1,
    TriPara1,
    TriPara2,
    TriPara3,
    TriPara4,
    TriPara5,
    TriPara6,
    TriPara7,
    Count
};

// Text: a QString member. State: a check box (0, 1 or 2). Number: a whole
// number kept as an int.
enum class Kind { Text, State, Number };

struct Row {
    Key key;
    Section section;
    const char* name;
    Kind kind;
    QString Settings::*text = nullptr;  // Text
    int Settings::*number = nullptr;    // State, Number
    // UTF-8; nullptr: a missing value leaves the member as it is.
    const char* byDefault = nullptr;
    // Run after the load sets the member, as when the user changes it.
    void (Settings::*changed)() = nullptr;
};

const Row& row(Key key);
Key next(Key key, int steps = 1);

// The stored text; nothing when missing or empty.
std::optional<QString> read(Key key);
void write(Key key, const QString& value);

// A check box takes 0, 1 or 2; anything else is refused as the control does.
int checkState(qint32 n);

// The row's member from the stored value, its default or as it is; then its
// change handler. Throws when the text is no valid number or state.
void load(Settings& s, Key key);
// The row's member, as text.
void save(const Settings& s, Key key);

// One image kind: the folder name and the four texts that hold its folders.
struct ImageKind {
    QString folder;
    Key rep;
    Key thumb;
    QString Settings::*repVar;
    QString Settings::*thumbVar;
    QString Settings::*path;
    QString Settings::*boxThumb;
};
enum KindIndex { kCouvertures, kVersos, kPhotos, kPlanches, kDedicaces, kParabd, kRevues };
const std::array<ImageKind, 7>& imageKinds();
// The order in which the folder boxes are filled and stored.
constexpr std::array<int, 7> kBoxOrder{kCouvertures, kPlanches, kPhotos, kVersos,
                                       kDedicaces,   kParabd,   kRevues};

}  // namespace kalvor::store
