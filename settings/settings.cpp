#include "settings/settings.h"

#include <QFileInfo>
#include <optional>

#include "common/general.h"
#include "common/table_prefix.h"
#include "common/vb.h"
#include "platform/error.h"
#include "platform/program_folder.h"
#include "platform/prompt.h"
#include "platform/registry/registry.h"

namespace kalvor {
namespace {

const QString kConfigRead = QStringLiteral("Software\\KALVOr\\Config");
const QString kFoldersRead = QStringLiteral("Software\\KALVOr\\Repertoires");
const QString kConfigWrite = QStringLiteral("software\\Kalvor\\Config");
const QString kFoldersWrite = QStringLiteral("software\\Kalvor\\Repertoires");

// One image kind: its registry and folder name and the four texts that hold
// its folders.
struct Kind {
    QString name;
    QString Settings::*rep;
    QString Settings::*thumb;
    QString Settings::*path;
    QString Settings::*boxThumb;
};

const std::array<Kind, 7>& kinds() {
    static const std::array<Kind, 7> all{{
        {QStringLiteral("Couvertures"), &Settings::GV_Rep_Couvertures,
         &Settings::GV_Thumb_Couvertures, &Settings::path_couvertures,
         &Settings::box_thumb_couvertures},
        {QStringLiteral("Versos"), &Settings::GV_Rep_Versos, &Settings::GV_Thumb_Versos,
         &Settings::path_versos, &Settings::box_thumb_versos},
        {QStringLiteral("Photos"), &Settings::GV_Rep_Photos, &Settings::GV_Thumb_Photos,
         &Settings::path_photos, &Settings::box_thumb_photos},
        {QStringLiteral("Planches"), &Settings::GV_Rep_Planches, &Settings::GV_Thumb_Planches,
         &Settings::path_planches, &Settings::box_thumb_planches},
        {QStringLiteral("Dedicaces"), &Settings::GV_Rep_Dedicaces, &Settings::GV_Thumb_Dedicaces,
         &Settings::path_dedicaces, &Settings::box_thumb_dedicaces},
        {QStringLiteral("Parabd"), &Settings::GV_Rep_Parabd, &Settings::GV_Thumb_Parabd,
         &Settings::path_parabd, &Settings::box_thumb_parabd},
        {QStringLiteral("Revues"), &Settings::GV_Rep_Revues, &Settings::GV_Thumb_Revues,
         &Settings::path_revues, &Settings::box_thumb_revues},
    }};
    return all;
}
enum KindIndex { kCouvertures, kVersos, kPhotos, kPlanches, kDedicaces, kParabd, kRevues };
// The order in which the folder boxes are filled and stored.
constexpr std::array<int, 7> kBoxOrder{kCouvertures, kPlanches, kPhotos, kVersos,
                                       kDedicaces,   kParabd,   kRevues};

std::optional<QString> read(const QString& key, const QString& name) {
    const QVariant v = general::Get_Registry_Value(HKEY_CURRENT_USER, key, name);
    if (v.typeId() != QMetaType::QString) {
        return std::nullopt;
    }
    return v.toString();
}

void write(const QString& key, const QString& name, const QString& value) {
    general::Set_Registry_Value(HKEY_CURRENT_USER, key, name, value);
}

// A check box takes 0, 1 or 2; anything else is refused as the control does.
int checkState(qint32 n) {
    if (n < 0 || n > 2) {
        throw Error(380, QStringLiteral("Valeur de propriété non valide"));
    }
    return n;
}
int checkStateOf(const std::optional<QString>& v) {
    return checkState(v ? vb::CInt(*v) : 0);
}

// A Boolean kept as text: the words of any language version in any case
// ("True", "Vrai", "false"), or a number, non-zero being true.
bool booleanOf(const QString& text) {
    const QString t = text.trimmed().toLower();
    if (t == u"true" || t == u"vrai") {
        return true;
    }
    if (t == u"false" || t == u"faux") {
        return false;
    }
    return vb::CDbl(t) != 0;
}
bool isTrueText(const QString& text) {
    try {
        return booleanOf(text);
    } catch (const Error&) {
        return false;
    }
}

bool isNumberEqual(const std::optional<QString>& v, double n) {
    return v && vb::IsNumeric(*v) && vb::CDbl(*v) == n;
}

QString trimCaption(QString caption) {
    while (!caption.isEmpty() && (caption.endsWith(u' ') || caption.endsWith(u':'))) {
        caption.chop(1);
    }
    return caption;
}

void normalise(QString& box, QString& variable) {
    box.replace(u'\\', u'/');
    if (box.endsWith(u'/')) {
        box.chop(1);
    }
    variable = box;
}

// Runs the load's steps one by one: a step that fails is noted under the
// current group's label and the load goes on with the next one.
class Loader {
  public:
    explicit Loader(QString& errors) : errors_(errors) {}
    void group(const QString& label) { label_ = label; }
    template <class F>
    void step(F&& f) {
        try {
            f();
        } catch (const std::exception&) {
            errors_ += QStringLiteral("\nerreur lors de la lecture : ") + label_;
            ++failures_;
        }
    }
    int failures() const { return failures_; }

  private:
    QString& errors_;
    QString label_;
    int failures_ = 0;
};

}  // namespace

const QString& Settings::PluginTintinDefaultPath() {
    static const QString path = QStringLiteral("http://www.kalvor.example/plugins/voitures");
    return path;
}

const std::array<QString, 7>& Settings::TriParaDefaults() {
    static const std::array<QString, 7> terms{QStringLiteral("typeobjet"),
                                              QStringLiteral("a.editeur"),
                                              QStringLiteral("c.num"),
                                              QStringLiteral("numero"),
                                              QStringLiteral("right(a.dl, 4), left(a.dl, 2)"),
                                              QStringLiteral("libraire"),
                                              QStringLiteral("description")};
    return terms;
}

static QStringList numbers(int from, int to) {
    QStringList list;
    for (int i = from; i <= to; ++i) {
        list << QString::number(i);
    }
    return list;
}

const QStringList& Settings::ColAccueilItems() {
    static const QStringList items{QStringLiteral("Auto"), QStringLiteral("2"), QStringLiteral("3"),
                                   QStringLiteral("4")};
    return items;
}
const QStringList& Settings::LigneAccueilItems() {
    static const QStringList items = numbers(2, 10);
    return items;
}
const QStringList& Settings::AlbumsAccueilItems() {
    static const QStringList items = numbers(6, 24);
    return items;
}

Settings::Settings()
    : GV_App_Path(programFolder()), GV_Plugin_Tintin_Path(PluginTintinDefaultPath()) {
    QString* const tri[] = {&GV_Tri_Para_1, &GV_Tri_Para_2, &GV_Tri_Para_3, &GV_Tri_Para_4,
                            &GV_Tri_Para_5, &GV_Tri_Para_6, &GV_Tri_Para_7};
    for (int i = 0; i < 7; ++i) {
        *tri[i] = TriParaDefaults()[i];
    }
}

// ---------------------------------------------------------------- load

void Settings::Check_Config(Prompt& prompt) {
    GV_Loading_Config = true;
    Loader load(GV_Erreurs);
    const QString& C = kConfigRead;
    const QString& R = kFoldersRead;

    load.group(QStringLiteral("Software\\KALVOr\\Repertoires\\Export"));
    load.step([&] {
        GV_Export = read(R, QStringLiteral("Export")).value_or(GV_App_Path);
        box_phpexport = GV_Export;
    });
    load.step([&] {
        box_titre = read(C, QStringLiteral("Titre"))
                        .value_or(QStringLiteral("Ma collection de Bandes Dessinées"));
    });

    load.group(QStringLiteral("Répertoires"));
    for (const Kind& k : kinds()) {
        load.step([&] {
            if (auto v = read(R, k.name)) {
                this->*k.rep = *v;
            }
        });
    }

    load.group(QStringLiteral("Types Répertoires"));
    load.step([&] {
        const QString mode = read(C, QStringLiteral("repertoire")).value_or(QString());
        Repertoire chosen = Repertoire::Absolu;
        if (mode == u"relatif") {
            chosen = Repertoire::Relatif;
        } else if (mode == u"sousrep") {
            chosen = Repertoire::Sousrep;
        } else if (mode != u"absolu") {
            if (GV_Rep_Couvertures == u"../Couvertures") {
                chosen = Repertoire::Relatif;
            } else if (GV_Rep_Couvertures == u"Couvertures") {
                chosen = Repertoire::Sousrep;
            }
        }
        if (chosen == Repertoire::Relatif) {
            Opt_Relatif_Click(prompt);
        } else if (chosen == Repertoire::Sousrep) {
            Opt_Sousrep_Click(prompt);
        } else {
            for (int i : kBoxOrder) {
                if (auto v = read(R, kinds()[i].name)) {
                    this->*kinds()[i].path = *v;
                }
            }
            Opt_Absolu_Click();
        }
    });

    load.group(QStringLiteral("Require"));
    load.step([&] {
        if (auto v = read(R, QStringLiteral("Require"))) {
            box_require = *v;
            GV_Require = *v;
        }
    });
    load.step([&] {
        if (auto v = read(C, QStringLiteral("manuel"))) {
            opt_manual = checkStateOf(v);
        }
    });

    load.group(QStringLiteral("Split"));
    load.step([&] {
        if (read(C, QStringLiteral("split")) == QStringLiteral("true")) {
            Opt_split_yes_Click();
        } else {
            Opt_split_no_Click();
        }
    });
    load.step([&] {
        box_SplitGroup = read(C, QStringLiteral("splitgroup")).value_or(QStringLiteral("500"));
        box_SplitGroup_Change(prompt);
    });

    load.group(QStringLiteral("Collection"));
    load.step([&] {
        const QString bits = read(C, QStringLiteral("collection")).value_or(QString());
        GV_Collection_Bits = vb::IsNumeric(bits) ? bits : QStringLiteral("1");
        qint32 n = vb::CLng(GV_Collection_Bits);
        struct Box {
            int Settings::*state;
            int weight;
        };
        for (const Box& b : {Box{&Settings::opt_revues, 16}, Box{&Settings::Opt_Collaborateurs, 8},
                             Box{&Settings::opt_parabd, 4}, Box{&Settings::opt_acheter, 2},
                             Box{&Settings::opt_albums, 1}}) {
            const qint32 state = n / b.weight;
            n = n % b.weight;
            load.step([&] {
                this->*b.state = checkState(state);
                collectionClick();
            });
        }
    });

    load.group(QStringLiteral("Email"));
    load.step([&] {
        if (auto v = read(C, QStringLiteral("email"))) {
            box_email = *v;
            opt_email = 1;
        } else {
            opt_email = 0;
        }
        opt_email_Click();
    });
    load.step([&] {
        if (auto v = read(C, QStringLiteral("siteprincipal"))) {
            box_siteprincipal = *v;
            opt_quitter = 1;
        } else {
            opt_quitter = 0;
        }
        opt_quitter_Click();
    });

    load.group(QStringLiteral("stats"));
    load.step([&] {
        opt_stats = checkStateOf(read(C, QStringLiteral("stats")));
        opt_stats_Click();
    });
    load.step([&] {
        const auto v = read(C, QStringLiteral("nb_col"));
        if (isNumberEqual(v, 1)) {
            opt_col1_Click();
        } else if (isNumberEqual(v, 2)) {
            opt_col2_Click();
        } else {
            opt_col0_Click();
        }
    });

    load.group(QStringLiteral("eo, int, ..."));
    struct Check {
        const char* name;
        int Settings::*state;
        void (Settings::*click)();
    };
    const Check checks[] = {
        {"eo", &Settings::opt_eo, nullptr},
        {"int", &Settings::opt_int, nullptr},
        {"dedicace", &Settings::opt_dedicace, &Settings::opt_dedicace_Click},
        {"reliure", &Settings::opt_reliure, nullptr},
        {"tt", &Settings::opt_tt, nullptr},
        {"colorauteur", &Settings::opt_colorauteur, nullptr},
        {"miniature", &Settings::opt_miniatures, &Settings::opt_miniatures_Click},
        {"listecollection", &Settings::opt_listecollection, nullptr},
        {"listestyle", &Settings::opt_listestyle, nullptr},
        {"listedl", &Settings::opt_listedl, nullptr},
        {"listeachat", &Settings::opt_listeachat, nullptr},
        {"listenotes", &Settings::opt_listenotes, nullptr},
        {"moteur", &Settings::opt_moteur, nullptr},
        {"icone", &Settings::opt_icones, nullptr},
        {"nb_liste", &Settings::opt_nb_liste, nullptr},
    };
    for (const Check& c : checks) {
        load.step([&] {
            this->*c.state = checkStateOf(read(C, QString::fromLatin1(c.name)));
            if (c.click != nullptr) {
                (this->*c.click)();
            }
        });
    }

    load.group(QStringLiteral("Perso"));
    int Settings::*const persoChecks[] = {&Settings::opt_perso1, &Settings::opt_perso2,
                                          &Settings::opt_perso3, &Settings::opt_perso4};
    for (int i = 0; i < 4; ++i) {
        load.step([&] {
            this->*persoChecks[i] = checkStateOf(read(C, QStringLiteral("Perso%1").arg(i + 1)));
        });
    }
    // Earlier versions kept these three as "true"; their first reading as a
    // number failed and was noted above.
    for (const Check& c : {checks[1], checks[0], checks[2]}) {
        load.step([&] {
            const auto v = read(C, QString::fromLatin1(c.name));
            if (v && isTrueText(*v)) {
                this->*c.state = 1;
                if (c.click != nullptr) {
                    (this->*c.click)();
                }
            }
        });
    }

    load.group(QStringLiteral("DB Infos"));
    QString Settings::*const dbBoxes[] = {&Settings::box_host, &Settings::box_login,
                                          &Settings::box_password, &Settings::box_base};
    const char* const dbNames[] = {"host", "login", "password", "base"};
    for (int i = 0; i < 4; ++i) {
        load.step([&] {
            if (auto v = read(C, QString::fromLatin1(dbNames[i]))) {
                this->*dbBoxes[i] = *v;
            }
        });
    }
    load.step([&] {
        box_prefixe_table = read(C, QStringLiteral("prefixe_table")).value_or(QString());
        box_prefixe_table_Change(prompt);
    });

    const auto readMark = [&](const QString& label, const QString& name, qint32& mark) {
        load.group(label);
        load.step([&] {
            const auto v = read(C, name);
            mark = v ? vb::CLng(*v) : kNeverExported;
        });
    };
    readMark(QStringLiteral("Lastid"), QStringLiteral("Lastid"), GV_LastId);
    readMark(QStringLiteral("LastIdPara"), QStringLiteral("Lastidpara"), GV_LastIdPara);
    readMark(QStringLiteral("LastIdrevue"), QStringLiteral("Lastidrevue"), GV_LastIdRevue);

    load.group(QStringLiteral("Lastrun"));
    load.step([&] {
        if (auto v = read(C, QStringLiteral("Lastrun"))) {
            box_LastRun = *v;
            GV_LastRun = *v;
            box_LastRun_Visible = true;
            lbl_lastrun_Visible = true;
            btn_LastDonnees_SQL_ToolTipText =
                QStringLiteral("crée le fichier dernieres_donnees.sql (albums ajoutés depuis le ") +
                box_LastRun + u')';
        } else {
            box_LastRun_Visible = false;
            lbl_lastrun_Visible = false;
        }
    });
    btn_LastDonnees_SQL_Enabled = !(box_LastRun.isEmpty() && GV_LastId == kNeverExported);

    load.group(QStringLiteral("Prefix"));
    load.step([&] {
        if (auto v = read(C, QStringLiteral("prefix"))) {
            box_prefix = *v;
        }
    });

    load.group(QStringLiteral("Répertoires Thumbs"));
    for (int i : {kCouvertures, kPlanches, kPhotos, kVersos, kDedicaces, kParabd, kRevues}) {
        load.step([&] {
            if (auto v = read(R, QStringLiteral("Thumb_") + kinds()[i].name)) {
                this->*kinds()[i].thumb = *v;
            }
        });
    }

    load.group(QStringLiteral("serie_accueil"));
    load.step([&] {
        box_series_accueil =
            read(C, QStringLiteral("series_accueil")).value_or(QStringLiteral("20"));
    });

    load.group(QStringLiteral("image_accueil"));
    load.step([&] {
        const auto image = read(C, QStringLiteral("image_accueil"));
        if (image && vb::CDbl(*image) == 1) {
            opt_image_accueil = 1;
            opt_image_accueil_Click();
            box_col_accueil_Visible = true;
            lbl_col_Visible = true;
            lbl_ligne_Visible = true;
            const auto col = read(C, QStringLiteral("col_accueil"));
            const qint32 index = (col ? vb::CLng(*col) : 0) - 1;
            if (index < -1 || index >= ColAccueilItems().size()) {
                throw Error(380, QStringLiteral("Valeur de propriété non valide"));
            }
            box_col_accueil = index < 0 ? QString() : ColAccueilItems().at(index);
            box_col_accueil_Click();
            const auto ligne = read(C, QStringLiteral("ligne_accueil"));
            if (box_col_accueil == u"Auto") {
                box_albums_accueil = ligne.value_or(QStringLiteral("12"));
            } else {
                box_ligne_accueil = ligne.value_or(QStringLiteral("5"));
            }
        } else {
            opt_image_accueil = 0;
            opt_image_accueil_Click();
        }
    });

    load.group(QStringLiteral("Commentaires"));
    load.step([&] { opt_commentaire = checkStateOf(read(C, QStringLiteral("commentaire"))); });
    load.step([&] { opt_imprimer = checkStateOf(read(C, QStringLiteral("imprimer"))); });

    load.group(QStringLiteral("Bas de Page"));
    load.step([&] {
        if (auto use = read(C, QStringLiteral("Baspage_use"))) {
            opt_baspage = checkStateOf(use);
            opt_baspage_Click();
            if (auto height = read(C, QStringLiteral("Baspage_haut"))) {
                box_baspage = *height;
            }
        } else {
            opt_baspage = 0;
            opt_baspage_Click();
        }
    });

    load.group(QStringLiteral("Auteur"));
    load.step([&] {
        const auto v = read(C, QStringLiteral("auteur"));
        if (v == QStringLiteral("1")) {
            opt_auteur1_Click();
        } else if (v == QStringLiteral("2")) {
            opt_auteur2_Click();
        } else {
            opt_auteur0_Click();
        }
    });
    load.step([&] {
        if (read(C, QStringLiteral("dedi_place")) == QStringLiteral("1")) {
            opt_dedi_place1_Click();
        } else {
            opt_dedi_place0_Click();
        }
    });

    load.group(QStringLiteral("utilisation des champs Perso"));
    const QString persoKey =
        GV_Version_Base == u"v6"
            ? QStringLiteral("Software\\Ormelo6")
            : QStringLiteral("Software\\Orme Lo ") + GV_Version_Base + QStringLiteral("\\Config");
    QString Settings::*const persoVars[] = {&Settings::GV_Perso1, &Settings::GV_Perso2,
                                            &Settings::GV_Perso3, &Settings::GV_Perso4};
    QString Settings::*const persoCaptions[] = {
        &Settings::opt_perso1_Caption, &Settings::opt_perso2_Caption, &Settings::opt_perso3_Caption,
        &Settings::opt_perso4_Caption};
    for (int i = 0; i < 4; ++i) {
        load.step([&] {
            const QString caption = trimCaption(
                read(persoKey, QStringLiteral("Perso%1").arg(i + 1)).value_or(QString()));
            this->*persoVars[i] = caption;
            this->*persoCaptions[i] = caption;
        });
    }

    load.group(QStringLiteral("Site"));
    load.step([&] {
        if (auto v = read(C, QStringLiteral("site"))) {
            box_site = *v;
        }
    });

    load.group(QStringLiteral("Répertoire Parabd"));
    load.step([&] {
        if (read(R, QStringLiteral("opt_path_parabd")) == QStringLiteral("2")) {
            opt_path_exlibris_Click(prompt);
        } else {
            opt_path_parabd_Click(prompt);
        }
    });

    load.group(QStringLiteral("Plugin Tintin"));
    load.step([&] {
        const auto v = read(C, QStringLiteral("plugin_tintin_id"));
        GV_Plugin_Tintin_Id = v ? vb::CLng(*v) : 0;
    });
    load.step([&] {
        GV_Plugin_Tintin_Path =
            read(R, QStringLiteral("plugin_tintin")).value_or(PluginTintinDefaultPath());
    });
    load.step([&] {
        const auto v = read(C, QStringLiteral("verso"));
        if (v == QStringLiteral("right")) {
            Opt_versoright_Click();
        } else if (v == QStringLiteral("left")) {
            Opt_versoleft_Click();
        } else {
            Opt_versonone_Click();
        }
    });
    load.step([&] {
        opt_utf8_Click();
        if (auto v = read(C, QStringLiteral("latin1"))) {
            if (booleanOf(*v)) {
                opt_latin1_Click();
            }
        }
    });

    load.group(QStringLiteral("Tri ParaBD"));
    QString* const tri[] = {&GV_Tri_Para_1, &GV_Tri_Para_2, &GV_Tri_Para_3, &GV_Tri_Para_4,
                            &GV_Tri_Para_5, &GV_Tri_Para_6, &GV_Tri_Para_7};
    load.step([&] {
        std::array<std::optional<QString>, 7> stored;
        bool all = true;
        for (int i = 0; i < 7; ++i) {
            stored[i] = read(C, QStringLiteral("Tri_Para%1").arg(i + 1));
            all = all && stored[i].has_value();
        }
        for (int i = 0; i < 7; ++i) {
            *tri[i] = all ? *stored[i] : TriParaDefaults()[i];
        }
    });
    for (int i = 0; i < 7; ++i) {
        GV_Erreurs += QStringLiteral("\nGV_Tri_Para_%1 : ").arg(i + 1) + *tri[i];
    }

    GV_Loading_Config = false;
    if (load.failures() > 0) {
        general::Write_Log(QStringLiteral("Kalvorform.Check_config"), GV_Erreurs);
    }
}

// ---------------------------------------------------------------- save

bool Settings::save_Config() {
    Registry::Batch batch(Registry::currentUser());
    const QString& C = kConfigWrite;
    const QString& R = kFoldersWrite;
    const auto state = [](int s) { return QString::number(s); };

    write(C, QStringLiteral("Titre"), box_titre);
    write(C, QStringLiteral("repertoire"),
          Opt_Absolu()    ? QStringLiteral("absolu")
          : Opt_Sousrep() ? QStringLiteral("sousrep")
                          : QStringLiteral("relatif"));
    for (int i : kBoxOrder) {
        write(R, kinds()[i].name, this->*kinds()[i].rep);
    }
    write(R, QStringLiteral("Require"), GV_Require);
    write(R, QStringLiteral("Export"), GV_Export);

    const bool thumbs = opt_miniatures == 1;
    if (thumbs) {
        write(C, QStringLiteral("prefix"), box_prefix);
    }
    for (int i : {kCouvertures, kVersos, kPlanches, kPhotos, kDedicaces, kParabd, kRevues}) {
        write(R, QStringLiteral("Thumb_") + kinds()[i].name,
              thumbs ? this->*kinds()[i].thumb : QString());
    }

    write(C, QStringLiteral("email"), opt_email == 1 ? box_email : QString());
    write(C, QStringLiteral("siteprincipal"), opt_quitter == 1 ? box_siteprincipal : QString());
    write(C, QStringLiteral("stats"), state(opt_stats));
    write(C, QStringLiteral("nb_col"), QString::number(GV_Nb_Col));
    write(C, QStringLiteral("collection"), GV_Collection_Bits);
    write(C, QStringLiteral("verso"), GV_Verso);

    write(C, QStringLiteral("host"), box_host);
    write(C, QStringLiteral("login"), box_login);
    write(C, QStringLiteral("password"), box_password);
    write(C, QStringLiteral("base"), box_base);
    write(C, QStringLiteral("prefixe_table"), box_prefixe_table);
    write(C, QStringLiteral("manuel"), state(opt_manual));

    if (Opt_split_yes()) {
        write(C, QStringLiteral("split"), QStringLiteral("true"));
        write(C, QStringLiteral("splitgroup"), box_SplitGroup);
    } else {
        write(C, QStringLiteral("split"), QStringLiteral("false"));
        write(C, QStringLiteral("splitgroup"), QStringLiteral("500"));
    }

    const std::pair<const char*, int> checks[] = {
        {"eo", opt_eo},
        {"int", opt_int},
        {"dedicace", opt_dedicace},
        {"reliure", opt_reliure},
        {"tt", opt_tt},
        {"colorauteur", opt_colorauteur},
        {"listecollection", opt_listecollection},
        {"listestyle", opt_listestyle},
        {"listedl", opt_listedl},
        {"listeachat", opt_listeachat},
        {"listenotes", opt_listenotes},
        {"moteur", opt_moteur},
        {"icone", opt_icones},
        {"nb_liste", opt_nb_liste},
        {"perso1", opt_perso1},
        {"perso2", opt_perso2},
        {"perso3", opt_perso3},
        {"perso4", opt_perso4},
        {"miniature", opt_miniatures},
    };
    for (const auto& [name, s] : checks) {
        write(C, QString::fromLatin1(name), state(s));
    }

    Save_LastRun();

    write(C, QStringLiteral("series_accueil"), box_series_accueil);
    write(C, QStringLiteral("image_accueil"), state(opt_image_accueil));
    if (opt_image_accueil == 1) {
        if (box_col_accueil == u"Auto") {
            write(C, QStringLiteral("col_accueil"), QStringLiteral("1"));
            write(C, QStringLiteral("ligne_accueil"), box_albums_accueil);
        } else {
            write(C, QStringLiteral("col_accueil"), box_col_accueil);
            write(C, QStringLiteral("ligne_accueil"), box_ligne_accueil);
        }
    } else {
        write(C, QStringLiteral("col_accueil"), QString());
        write(C, QStringLiteral("ligne_accueil"), QString());
    }

    write(C, QStringLiteral("commentaire"), state(opt_commentaire));
    write(C, QStringLiteral("imprimer"), state(opt_imprimer));
    write(C, QStringLiteral("Baspage_use"), state(opt_baspage));
    write(C, QStringLiteral("Baspage_haut"), box_baspage);
    write(C, QStringLiteral("auteur"), QString::number(GV_Auteur));
    write(C, QStringLiteral("dedi_place"), QString::number(GV_Dedi_Place));
    write(C, QStringLiteral("site"), box_site);
    write(R, QStringLiteral("opt_path_parabd"),
          opt_path_parabd() ? QStringLiteral("1") : QStringLiteral("2"));
    write(C, QStringLiteral("plugin_tintin_id"), QString::number(GV_Plugin_Tintin_Id));
    write(R, QStringLiteral("plugin_tintin"), GV_Plugin_Tintin_Path);
    write(C, QStringLiteral("latin1"),
          opt_latin1() ? QStringLiteral("True") : QStringLiteral("False"));
    const QString* const tri[] = {&GV_Tri_Para_1, &GV_Tri_Para_2, &GV_Tri_Para_3, &GV_Tri_Para_4,
                                  &GV_Tri_Para_5, &GV_Tri_Para_6, &GV_Tri_Para_7};
    for (int i = 0; i < 7; ++i) {
        write(C, QStringLiteral("Tri_Para%1").arg(i + 1), *tri[i]);
    }
    return batch.commit();
}

bool Settings::Save_LastRun() {
    if (!GV_LastRun_Changed) {
        return true;
    }
    Registry::Batch batch(Registry::currentUser());
    write(kConfigWrite, QStringLiteral("lastrun"), GV_LastRun);
    write(kConfigWrite, QStringLiteral("lastid"), QString::number(GV_LastId));
    write(kConfigWrite, QStringLiteral("lastidpara"), QString::number(GV_LastIdPara));
    write(kConfigWrite, QStringLiteral("lastidrevue"), QString::number(GV_LastIdRevue));
    return batch.commit();
}

// ---------------------------------------------------------------- options

void Settings::box_prefixe_table_Change(Prompt& prompt) {
    if (!IsTablePrefix(box_prefixe_table)) {
        prompt.message(TablePrefixRefusal(), kBanner, PromptIcon::Critical);
        // A stored prefix stays as stored, and every writer refuses it until
        // it is corrected: dropping it would aim the scripts at other tables.
        // A typed one falls back to the prefix in force when that one is good.
        if (!GV_Loading_Config && IsTablePrefix(GV_Prefixe_Table)) {
            box_prefixe_table = GV_Prefixe_Table;
            return;
        }
    }
    GV_Prefixe_Table = box_prefixe_table;
}

void Settings::box_baspage_LostFocus(Prompt& prompt) {
    if (box_baspage.isEmpty()) {
        box_baspage = QStringLiteral("25");
        return;
    }
    const bool number = vb::IsNumeric(box_baspage);
    const double height = number ? vb::CDbl(box_baspage) : 0;
    if (!number || height < 10 || height > 100) {
        prompt.message(QStringLiteral("Hauteur du pied de page comprise entre 10 et 100"), kBanner,
                       PromptIcon::Critical);
        box_baspage = QStringLiteral("25");
    }
}

void Settings::opt_baspage_Click() {
    const bool on = opt_baspage == 1;
    lbl_baspage_Visible = on;
    box_baspage_Visible = on;
    if (on && box_baspage.isEmpty()) {
        box_baspage = QStringLiteral("25");
    }
}

void Settings::opt_auteur0_Click() {
    opt_auteur = 0;
    GV_Auteur = 0;
}
void Settings::opt_auteur1_Click() {
    opt_auteur = 1;
    GV_Auteur = 1;
}
void Settings::opt_auteur2_Click() {
    opt_auteur = 2;
    GV_Auteur = 2;
}
void Settings::opt_col0_Click() {
    opt_col = 0;
    GV_Nb_Col = 0;
}
void Settings::opt_col1_Click() {
    opt_col = 1;
    GV_Nb_Col = 1;
}
void Settings::opt_col2_Click() {
    opt_col = 2;
    GV_Nb_Col = 2;
}
void Settings::opt_dedi_place0_Click() {
    opt_dedi_place = 0;
    GV_Dedi_Place = 0;
}
void Settings::opt_dedi_place1_Click() {
    opt_dedi_place = 1;
    GV_Dedi_Place = 1;
}

void Settings::opt_dedicace_Click() {
    frame_dedicace_Visible = opt_dedicace == 1;
}

void Settings::box_col_accueil_Click() {
    if (box_col_accueil == u"Auto") {
        if (box_albums_accueil.isEmpty()) {
            box_albums_accueil = QStringLiteral("12");
        }
        box_ligne_accueil_Visible = false;
        lbl_ligne_Caption = QStringLiteral("nb d'albums :");
        box_albums_accueil_Visible = true;
    } else {
        if (box_ligne_accueil.isEmpty()) {
            box_ligne_accueil = QStringLiteral("5");
        }
        box_ligne_accueil_Visible = true;
        lbl_ligne_Caption = QStringLiteral("nb de lignes :");
        box_albums_accueil_Visible = false;
    }
}

void Settings::opt_image_accueil_Click() {
    if (opt_image_accueil == 1) {
        if (box_col_accueil.isEmpty()) {
            box_col_accueil = QStringLiteral("Auto");
        }
        // The same rule as choosing the column count.
        box_col_accueil_Click();
        box_col_accueil_Visible = true;
        lbl_col_Visible = true;
        lbl_ligne_Visible = true;
    } else {
        box_col_accueil_Visible = false;
        box_ligne_accueil_Visible = false;
        box_albums_accueil_Visible = false;
        lbl_col_Visible = false;
        lbl_ligne_Visible = false;
    }
}

void Settings::opt_quitter_Click() {
    box_siteprincipal_Visible = opt_quitter == 1;
}

void Settings::opt_email_Click() {
    box_email_Visible = opt_email == 1;
}

void Settings::opt_stats_Click() {
    TabNavig_TabEnabled[kTabStatistiques] = opt_stats == 1;
}

void Settings::collectionClick() {
    const auto ticked = [](int state) { return state == 1 ? 1 : 0; };
    GV_Collection_Bits =
        QString::number(ticked(opt_albums) + 2 * ticked(opt_acheter) + 4 * ticked(opt_parabd) +
                        8 * ticked(Opt_Collaborateurs) + 16 * ticked(opt_revues));
}
void Settings::opt_albums_Click() {
    collectionClick();
}
void Settings::opt_acheter_Click() {
    collectionClick();
}
void Settings::opt_parabd_Click() {
    collectionClick();
}
void Settings::Opt_Collaborateurs_Click() {
    collectionClick();
}
void Settings::opt_revues_Click() {
    collectionClick();
}

void Settings::Opt_versoright_Click() {
    verso = Verso::Right;
    GV_Verso = QStringLiteral("right");
}
void Settings::Opt_versoleft_Click() {
    verso = Verso::Left;
    GV_Verso = QStringLiteral("left");
}
void Settings::Opt_versonone_Click() {
    verso = Verso::None;
    GV_Verso = QStringLiteral("none");
}

void Settings::Opt_split_yes_Click() {
    split = Split::Yes;
    lbl_groupe_Visible = true;
    box_SplitGroup_Visible = true;
}
void Settings::Opt_split_no_Click() {
    split = Split::No;
    lbl_groupe_Visible = false;
    box_SplitGroup_Visible = false;
}

void Settings::opt_utf8_Click() {
    format = FormatDonnees::Utf8;
}
void Settings::opt_latin1_Click() {
    format = FormatDonnees::Latin1;
}

void Settings::box_SplitGroup_Change(Prompt& prompt) {
    if (!vb::IsNumeric(box_SplitGroup)) {
        prompt.message(QStringLiteral("Veuillez entrer un nombre"), kBanner, PromptIcon::Critical);
    }
}

bool Settings::box_SplitGroup_LostFocus(Prompt& prompt) {
    // A text that is no number is refused like a group too small: the split
    // of the data script needs at least 100.
    if (vb::IsNumeric(box_SplitGroup) && vb::CDbl(box_SplitGroup) >= 100) {
        return false;
    }
    prompt.message(QStringLiteral("Minimum 100 !"), kBanner, PromptIcon::Critical);
    box_SplitGroup = QStringLiteral("500");
    return true;
}

void Settings::box_LastRun_LostFocus(Prompt& prompt) {
    if (!vb::ParseDayFirst(box_LastRun).isValid()) {
        prompt.message(QStringLiteral("format de date incorrect"), kBanner, PromptIcon::Critical);
        box_LastRun = GV_LastRun;
    }
}

void Settings::box_phpexport_LostFocus(Prompt& prompt) {
    // Only a folder: every generated file is created inside it.
    if (!box_phpexport.isEmpty() && QFileInfo(box_phpexport).isDir()) {
        GV_Export = box_phpexport;
        return;
    }
    prompt.message(QStringLiteral("Ce répertoire n'existe pas !"), kBanner, PromptIcon::Critical);
    box_phpexport = GV_Export;
}

void Settings::box_require_LostFocus() {
    if (!box_require.isEmpty() && !box_require.endsWith(u'/')) {
        box_require += u'/';
    }
    GV_Require = box_require;
}

// ---------------------------------------------------------------- folders

void Settings::Opt_Absolu_Click() {
    repertoire = Repertoire::Absolu;
    lbl_choix_parabd_Visible = false;
    opt_path_exlibris_Visible = false;
    opt_path_parabd_Visible = false;
    image_folders_Visible = true;
    QString base = GV_Rep_Base;
    base.replace(u'\\', u'/');
    for (int i : kBoxOrder) {
        QString& box = this->*kinds()[i].path;
        if (box.isEmpty()) {
            box = base + (i == kParabd ? QStringLiteral("ExLibris") : kinds()[i].name);
        }
    }
    for (int i : kBoxOrder) {
        this->*kinds()[i].rep = this->*kinds()[i].path;
    }
}

void Settings::relativeOrSubfolder(Repertoire mode, Prompt& prompt) {
    repertoire = mode;
    lbl_choix_parabd_Visible = true;
    opt_path_exlibris_Visible = true;
    opt_path_parabd_Visible = true;
    image_folders_Visible = false;
    const QString lead = mode == Repertoire::Relatif ? QStringLiteral("../") : QString();
    for (int i : kBoxOrder) {
        const QString name =
            i == kParabd && opt_path_exlibris() ? QStringLiteral("Exlibris") : kinds()[i].name;
        this->*kinds()[i].rep = lead + name;
    }
    if (!GV_Loading_Config &&
        prompt.askYesNo(QStringLiteral("modifier les répertoires des miniatures en conséquence ?"),
                        kBanner, PromptIcon::Question)) {
        Maj_Thumbs();
    }
}

void Settings::Opt_Relatif_Click(Prompt& prompt) {
    relativeOrSubfolder(Repertoire::Relatif, prompt);
}
void Settings::Opt_Sousrep_Click(Prompt& prompt) {
    relativeOrSubfolder(Repertoire::Sousrep, prompt);
}

void Settings::nomParabd(NomParabd nom, Prompt& prompt) {
    nom_parabd = nom;
    const QString name =
        nom == NomParabd::Exlibris ? QStringLiteral("Exlibris") : QStringLiteral("Parabd");
    const QString other =
        nom == NomParabd::Exlibris ? QStringLiteral("Parabd") : QStringLiteral("Exlibris");
    if (Opt_Relatif()) {
        GV_Rep_Parabd = QStringLiteral("../") + name;
    } else if (Opt_Sousrep()) {
        GV_Rep_Parabd = name;
    }
    if (box_thumb_parabd.contains(other, Qt::CaseSensitive) && !GV_Loading_Config &&
        prompt.askYesNo(QStringLiteral("modifier le répertoire miniature en conséquence ?"),
                        kBanner, PromptIcon::Question)) {
        GV_Thumb_Parabd = GV_Rep_Parabd + QStringLiteral("/thumbs");
        box_thumb_parabd = GV_Thumb_Parabd;
    }
}

void Settings::opt_path_parabd_Click(Prompt& prompt) {
    nomParabd(NomParabd::Parabd, prompt);
}
void Settings::opt_path_exlibris_Click(Prompt& prompt) {
    nomParabd(NomParabd::Exlibris, prompt);
}

void Settings::Maj_Thumbs() {
    for (const Kind& k : kinds()) {
        this->*k.thumb = this->*k.rep + QStringLiteral("/thumbs");
        this->*k.boxThumb = this->*k.thumb;
    }
}

void Settings::opt_miniatures_Click() {
    if (opt_miniatures == 1) {
        TabNavig_TabEnabled[kTabMiniatures] = true;
        for (const Kind& k : kinds()) {
            if ((this->*k.thumb).isEmpty()) {
                this->*k.thumb = this->*k.rep + QStringLiteral("/thumbs");
                this->*k.boxThumb = this->*k.thumb;
            }
        }
        if (box_prefix.isEmpty()) {
            box_prefix = QStringLiteral("m_");
        }
    } else {
        for (const Kind& k : kinds()) {
            (this->*k.thumb).clear();
            (this->*k.boxThumb).clear();
        }
        TabNavig_TabEnabled[kTabMiniatures] = false;
    }
}

void Settings::path_couvertures_LostFocus() {
    normalise(path_couvertures, GV_Rep_Couvertures);
}
void Settings::path_versos_LostFocus() {
    normalise(path_versos, GV_Rep_Versos);
}
void Settings::path_photos_LostFocus() {
    normalise(path_photos, GV_Rep_Photos);
}
void Settings::path_planches_LostFocus() {
    normalise(path_planches, GV_Rep_Planches);
}
void Settings::path_dedicaces_LostFocus() {
    normalise(path_dedicaces, GV_Rep_Dedicaces);
}
void Settings::path_parabd_LostFocus() {
    normalise(path_parabd, GV_Rep_Parabd);
}
void Settings::path_revues_LostFocus() {
    normalise(path_revues, GV_Rep_Revues);
}
void Settings::box_thumb_couvertures_LostFocus() {
    normalise(box_thumb_couvertures, GV_Thumb_Couvertures);
}
void Settings::box_thumb_versos_LostFocus() {
    normalise(box_thumb_versos, GV_Thumb_Versos);
}
void Settings::box_thumb_photos_LostFocus() {
    normalise(box_thumb_photos, GV_Thumb_Photos);
}
void Settings::box_thumb_planches_LostFocus() {
    normalise(box_thumb_planches, GV_Thumb_Planches);
}
void Settings::box_thumb_dedicaces_LostFocus() {
    normalise(box_thumb_dedicaces, GV_Thumb_Dedicaces);
}
void Settings::box_thumb_parabd_LostFocus() {
    normalise(box_thumb_parabd, GV_Thumb_Parabd);
}
void Settings::box_thumb_revues_LostFocus() {
    normalise(box_thumb_revues, GV_Thumb_Revues);
}

}  // namespace kalvor
