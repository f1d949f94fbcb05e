#include "settings/settings_store.h"

#include "common/general.h"
#include "common/vb.h"
#include "platform/error.h"

namespace kalvor::store {
namespace {

using S = Settings;
constexpr Section C = Section::Config;
constexpr Section R = Section::Folders;
constexpr Kind Text = Kind::Text;
constexpr Kind State = Kind::State;
constexpr Kind Number = Kind::Number;

// The store ignores case, so both spellings name the same keys; but reading
// creates a missing key, and a key keeps the spelling it was created with.
const QString kConfigRead = QStringLiteral("Software\\KALVOr\\Config");
const QString kFoldersRead = QStringLiteral("Software\\KALVOr\\Repertoires");
const QString kConfigWrite = QStringLiteral("software\\Kalvor\\Config");
const QString kFoldersWrite = QStringLiteral("software\\Kalvor\\Repertoires");

// clang-format off
constexpr Row kRows[] = {
    {Key::Export,           R, "Export",           Text,   &S::GV_Export},
    {Key::Titre,            C, "Titre",            Text,   &S::box_titre, {}, "Ma collection de Bandes Dessinées"},
    {Key::Couvertures,      R, "Couvertures",      Text,   &S::GV_Rep_Couvertures},
    {Key::Versos,           R, "Versos",           Text,   &S::GV_Rep_Versos},
    {Key::Photos,           R, "Photos",           Text,   &S::GV_Rep_Photos},
    {Key::Planches,         R, "Planches",         Text,   &S::GV_Rep_Planches},
    {Key::Dedicaces,        R, "Dedicaces",        Text,   &S::GV_Rep_Dedicaces},
    {Key::Parabd,           R, "Parabd",           Text,   &S::GV_Rep_Parabd},
    {Key::Revues,           R, "Revues",           Text,   &S::GV_Rep_Revues},
    {Key::Repertoire,       C, "repertoire",       Text},
    {Key::Require,          R, "Require",          Text,   &S::GV_Require},
    {Key::Manuel,           C, "manuel",           State,  {}, &S::opt_manual},
    {Key::Split,            C, "split",            Text},
    {Key::SplitGroup,       C, "splitgroup",       Text,   &S::box_SplitGroup, {}, "500"},
    {Key::Collection,       C, "collection",       Text,   &S::GV_Collection_Bits},
    {Key::Email,            C, "email",            Text,   &S::box_email},
    {Key::SitePrincipal,    C, "siteprincipal",    Text,   &S::box_siteprincipal},
    {Key::Stats,            C, "stats",            State,  {}, &S::opt_stats, "0", &S::opt_stats_Click},
    {Key::NbCol,            C, "nb_col",           Number, {}, &S::GV_Nb_Col},
    {Key::Eo,               C, "eo",               State,  {}, &S::opt_eo, "0"},
    {Key::Int,              C, "int",              State,  {}, &S::opt_int, "0"},
    {Key::Dedicace,         C, "dedicace",         State,  {}, &S::opt_dedicace, "0", &S::opt_dedicace_Click},
    {Key::Reliure,          C, "reliure",          State,  {}, &S::opt_reliure, "0"},
    {Key::Tt,               C, "tt",               State,  {}, &S::opt_tt, "0"},
    {Key::ColorAuteur,      C, "colorauteur",      State,  {}, &S::opt_colorauteur, "0"},
    {Key::Miniature,        C, "miniature",        State,  {}, &S::opt_miniatures, "0", &S::opt_miniatures_Click},
    {Key::ListeCollection,  C, "listecollection",  State,  {}, &S::opt_listecollection, "0"},
    {Key::ListeStyle,       C, "listestyle",       State,  {}, &S::opt_listestyle, "0"},
    {Key::ListeDl,          C, "listedl",          State,  {}, &S::opt_listedl, "0"},
    {Key::ListeAchat,       C, "listeachat",       State,  {}, &S::opt_listeachat, "0"},
    {Key::ListeNotes,       C, "listenotes",       State,  {}, &S::opt_listenotes, "0"},
    {Key::Moteur,           C, "moteur",           State,  {}, &S::opt_moteur, "0"},
    {Key::Icone,            C, "icone",            State,  {}, &S::opt_icones, "0"},
    {Key::NbListe,          C, "nb_liste",         State,  {}, &S::opt_nb_liste, "0"},
    {Key::Perso1,           C, "perso1",           State,  {}, &S::opt_perso1, "0"},
    {Key::Perso2,           C, "perso2",           State,  {}, &S::opt_perso2, "0"},
    {Key::Perso3,           C, "perso3",           State,  {}, &S::opt_perso3, "0"},
    {Key::Perso4,           C, "perso4",           State,  {}, &S::opt_perso4, "0"},
    {Key::Host,             C, "host",             Text,   &S::box_host},
    {Key::Login,            C, "login",            Text,   &S::box_login},
    {Key::Password,         C, "password",         Text,   &S::box_password},
    {Key::Base,             C, "base",             Text,   &S::box_base},
    {Key::PrefixeTable,     C, "prefixe_table",    Text,   &S::box_prefixe_table, {}, ""},
    {Key::LastId,           C, "lastid",           Number, {}, &S::GV_LastId, "999999999"},
    {Key::LastIdPara,       C, "lastidpara",       Number, {}, &S::GV_LastIdPara, "999999999"},
    {Key::LastIdRevue,      C, "lastidrevue",      Number, {}, &S::GV_LastIdRevue, "999999999"},
    {Key::LastRun,          C, "lastrun",          Text,   &S::GV_LastRun},
    {Key::LastCollaborateurs, C, "lastcollaborateurs", Text, &S::GV_LastCollaborateurs},
    {Key::LastFull,         C, "lastfull",         Text,   &S::GV_LastFull},
    {Key::Prefix,           C, "prefix",           Text,   &S::box_prefix},
    {Key::ThumbCouvertures, R, "Thumb_Couvertures", Text,  &S::GV_Thumb_Couvertures},
    {Key::ThumbVersos,      R, "Thumb_Versos",     Text,   &S::GV_Thumb_Versos},
    {Key::ThumbPhotos,      R, "Thumb_Photos",     Text,   &S::GV_Thumb_Photos},
    {Key::ThumbPlanches,    R, "Thumb_Planches",   Text,   &S::GV_Thumb_Planches},
    {Key::ThumbDedicaces,   R, "Thumb_Dedicaces",  Text,   &S::GV_Thumb_Dedicaces},
    {Key::ThumbParabd,      R, "Thumb_Parabd",     Text,   &S::GV_Thumb_Parabd},
    {Key::ThumbRevues,      R, "Thumb_Revues",     Text,   &S::GV_Thumb_Revues},
    {Key::SeriesAccueil,    C, "series_accueil",   Text,   &S::box_series_accueil, {}, "20"},
    {Key::ImageAccueil,     C, "image_accueil",    State,  {}, &S::opt_image_accueil},
    {Key::ColAccueil,       C, "col_accueil",      Text},
    {Key::LigneAccueil,     C, "ligne_accueil",    Text},
    {Key::Commentaire,      C, "commentaire",      State,  {}, &S::opt_commentaire, "0"},
    {Key::Imprimer,         C, "imprimer",         State,  {}, &S::opt_imprimer, "0"},
    {Key::BaspageUse,       C, "Baspage_use",      State,  {}, &S::opt_baspage},
    {Key::BaspageHaut,      C, "Baspage_haut",     Text,   &S::box_baspage},
    {Key::Auteur,           C, "auteur",           Number, {}, &S::GV_Auteur},
    {Key::DediPlace,        C, "dedi_place",       Number, {}, &S::GV_Dedi_Place},
    {Key::Site,             C, "site",             Text,   &S::box_site},
    {Key::OptPathParabd,    R, "opt_path_parabd",  Text},
    {Key::PluginTintinId,   C, "plugin_tintin_id", Number, {}, &S::GV_Plugin_Tintin_Id, "0"},
    {Key::PluginTintin,     R, "plugin_tintin",    Text,   &S::GV_Plugin_Tintin_Path},
    {Key::Verso,            C, "verso",            Text,   &S::GV_Verso},
    {Key::Latin1,           C, "latin1",           Text},
    {Key::TriPara1,         C, "Tri_Para1",        Text,   &S::GV_Tri_Para_1},
    {Key::TriPara2,         C, "Tri_Para2",        Text,   &S::GV_Tri_Para_2},
    {Key::TriPara3,         C, "Tri_Para3",        Text,   &S::GV_Tri_Para_3},
    {Key::TriPara4,         C, "Tri_Para4",        Text,   &S::GV_Tri_Para_4},
    {Key::TriPara5,         C, "Tri_Para5",        Text,   &S::GV_Tri_Para_5},
    {Key::TriPara6,         C, "Tri_Para6",        Text,   &S::GV_Tri_Para_6},
    {Key::TriPara7,         C, "Tri_Para7",        Text,   &S::GV_Tri_Para_7},
};
// clang-format on

constexpr char lower(char c) {
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}
constexpr bool sameName(const char* a, const char* b) {
    for (; *a != 0 && lower(*a) == lower(*b); ++a, ++b) {
    }
    return lower(*a) == lower(*b);
}
// row() finds a row by its key's position, and the store ignores case.
constexpr bool wellFormed() {
    for (std::size_t i = 0; i < std::size(kRows); ++i) {
        if (kRows[i].key != static_cast<Key>(i)) {
            return false;
        }
        for (std::size_t j = 0; j < i; ++j) {
            if (kRows[j].section == kRows[i].section && sameName(kRows[j].name, kRows[i].name)) {
                return false;
            }
        }
    }
    return true;
}
static_assert(std::size(kRows) == static_cast<std::size_t>(Key::Count));
static_assert(wellFormed(), "rows out of key order or a name stored twice");

const QString& readKey(Section section) {
    return section == Section::Config ? kConfigRead : kFoldersRead;
}
const QString& writeKey(Section section) {
    return section == Section::Config ? kConfigWrite : kFoldersWrite;
}

}  // namespace

const Row& row(Key key) {
    return kRows[static_cast<int>(key)];
}

Key next(Key key, int steps) {
    return static_cast<Key>(static_cast<int>(key) + steps);
}

std::optional<QString> read(Key key) {
    const Row& r = row(key);
    const QVariant v = general::Get_Registry_Value(HKEY_CURRENT_USER, readKey(r.section),
                                                   QString::fromLatin1(r.name));
    if (v.typeId() != QMetaType::QString) {
        return std::nullopt;
    }
    return v.toString();
}

void write(Key key, const QString& value) {
    const Row& r = row(key);
    general::Set_Registry_Value(HKEY_CURRENT_USER, writeKey(r.section), QString::fromLatin1(r.name),
                                value);
}

int checkState(qint32 n) {
    if (n < 0 || n > 2) {
        throw Error(380, QStringLiteral("Valeur de propriété non valide"));
    }
    return n;
}

void load(Settings& s, Key key) {
    const Row& r = row(key);
    std::optional<QString> v = read(key);
    if (!v && r.byDefault != nullptr) {
        v = QString::fromUtf8(r.byDefault);
    }
    if (v) {
        switch (r.kind) {
            case Kind::Text:
                s.*r.text = *v;
                break;
            case Kind::State:
                s.*r.number = checkState(vb::CInt(*v));
                break;
            case Kind::Number:
                s.*r.number = vb::CLng(*v);
                break;
        }
    }
    if (r.changed != nullptr) {
        (s.*r.changed)();
    }
}

void save(const Settings& s, Key key) {
    const Row& r = row(key);
    write(key, r.kind == Kind::Text ? s.*r.text : QString::number(s.*r.number));
}

const std::array<ImageKind, 7>& imageKinds() {
    static const std::array<ImageKind, 7> all{{
        {QStringLiteral("Couvertures"), Key::Couvertures, Key::ThumbCouvertures,
         &S::GV_Rep_Couvertures, &S::GV_Thumb_Couvertures, &S::path_couvertures,
         &S::box_thumb_couvertures},
        {QStringLiteral("Versos"), Key::Versos, Key::ThumbVersos, &S::GV_Rep_Versos,
         &S::GV_Thumb_Versos, &S::path_versos, &S::box_thumb_versos},
        {QStringLiteral("Photos"), Key::Photos, Key::ThumbPhotos, &S::GV_Rep_Photos,
         &S::GV_Thumb_Photos, &S::path_photos, &S::box_thumb_photos},
        {QStringLiteral("Planches"), Key::Planches, Key::ThumbPlanches, &S::GV_Rep_Planches,
         &S::GV_Thumb_Planches, &S::path_planches, &S::box_thumb_planches},
        {QStringLiteral("Dedicaces"), Key::Dedicaces, Key::ThumbDedicaces, &S::GV_Rep_Dedicaces,
         &S::GV_Thumb_Dedicaces, &S::path_dedicaces, &S::box_thumb_dedicaces},
        {QStringLiteral("Parabd"), Key::Parabd, Key::ThumbParabd, &S::GV_Rep_Parabd,
         &S::GV_Thumb_Parabd, &S::path_parabd, &S::box_thumb_parabd},
        {QStringLiteral("Revues"), Key::Revues, Key::ThumbRevues, &S::GV_Rep_Revues,
         &S::GV_Thumb_Revues, &S::path_revues, &S::box_thumb_revues},
    }};
    return all;
}

}  // namespace kalvor::store
