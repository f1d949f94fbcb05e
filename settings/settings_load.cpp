#include <optional>

#include "common/general.h"
#include "common/vb.h"
#include "platform/error.h"
#include "platform/prompt.h"
#include "platform/registry/registry.h"
#include "settings/settings.h"
#include "settings/settings_store.h"

namespace kalvor {
namespace {

using store::Key;
using store::read;

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

// Runs the load's steps one by one: a step that fails is noted under the
// current group's label and the load goes on with the next one. Each value
// goes through its control's handler, in the order the window has always
// filled them: later handlers read what earlier ones set.
class ConfigLoad {
  public:
    ConfigLoad(Settings& s, Prompt& prompt) : s_(s), prompt_(prompt) {}

    void run() {
        foldersAndPublishing();
        collectionAndPages();
        connectionAndMarks();
        homePageAndFooter();
        captionsAndPlugin();
        sortOrder();
    }
    int failures() const { return failures_; }
    void lastExportMarks();

  private:
    void group(const char* label) { label_ = QString::fromUtf8(label); }
    template <class F>
    void step(F&& f) {
        try {
            f();
        } catch (const std::exception&) {
            s_.GV_Erreurs += QStringLiteral("\nerreur lors de la lecture : ") + label_;
            ++failures_;
        }
    }
    void plain(Key key) {
        step([&] { store::load(s_, key); });
    }
    void mark(const char* label, Key key, std::optional<QString>& unreadable) {
        group(label);
        unreadable.reset();
        step([&] {
            // "84.6" or "1e2" would be rounded or scaled into another id,
            // and the items between the two skipped for good.
            try {
                if (const auto text = read(key); text && !vb::WholeNumber(*text)) {
                    throw Error(err::TypeMismatch, QStringLiteral("Type incompatible"));
                }
                store::load(s_, key);
            } catch (const std::exception&) {
                unreadable = read(key);
                throw;
            }
        });
    }

    void foldersAndPublishing();
    void folderMode();
    void collectionAndPages();
    void connectionAndMarks();
    void homePageAndFooter();
    void captionsAndPlugin();
    void sortOrder();

    Settings& s_;
    Prompt& prompt_;
    QString label_;
    int failures_ = 0;
};

void ConfigLoad::foldersAndPublishing() {
    group("Software\\KALVOr\\Repertoires\\Export");
    step([&] {
        s_.GV_Export = read(Key::Export).value_or(s_.GV_App_Path);
        s_.box_phpexport = s_.GV_Export;
    });
    plain(Key::Titre);

    group("Répertoires");
    for (const store::ImageKind& k : store::imageKinds()) {
        plain(k.rep);
    }
    folderMode();

    group("Require");
    step([&] {
        if (auto v = read(Key::Require)) {
            s_.box_require = *v;
            s_.GV_Require = *v;
        }
    });
    plain(Key::Manuel);

    group("Split");
    step([&] {
        if (read(Key::Split) == QStringLiteral("true")) {
            s_.Opt_split_yes_Click();
        } else {
            s_.Opt_split_no_Click();
        }
    });
    std::optional<QString> refused;
    step([&] {
        store::load(s_, Key::SplitGroup);
        // A stored group that is no number would stop every split export:
        // the default stands in for it, and the failure is noted.
        if (!vb::WholeNumber(s_.box_SplitGroup)) {
            refused = s_.box_SplitGroup;
            s_.box_SplitGroup = QString::fromUtf8(store::row(Key::SplitGroup).byDefault);
            s_.splitGroupAccepted = s_.box_SplitGroup;
            throw Error(err::TypeMismatch, QStringLiteral("Type incompatible"));
        }
        s_.splitGroupAccepted = s_.box_SplitGroup;
        s_.box_SplitGroup_Change(prompt_);
    });
    if (refused) {
        s_.GV_Erreurs += QStringLiteral("\nsplitgroup « ") + *refused +
                         QStringLiteral(" » refusé : ") + s_.box_SplitGroup +
                         QStringLiteral(" retenu");
    }
}

void ConfigLoad::folderMode() {
    group("Types Répertoires");
    step([&] {
        using Repertoire = Settings::Repertoire;
        const QString mode = read(Key::Repertoire).value_or(QString());
        Repertoire chosen = Repertoire::Absolu;
        if (mode == u"relatif") {
            chosen = Repertoire::Relatif;
        } else if (mode == u"sousrep") {
            chosen = Repertoire::Sousrep;
        } else if (mode != u"absolu") {
            if (s_.GV_Rep_Couvertures == u"../Couvertures") {
                chosen = Repertoire::Relatif;
            } else if (s_.GV_Rep_Couvertures == u"Couvertures") {
                chosen = Repertoire::Sousrep;
            }
        }
        if (chosen == Repertoire::Relatif) {
            s_.Opt_Relatif_Click(prompt_);
        } else if (chosen == Repertoire::Sousrep) {
            s_.Opt_Sousrep_Click(prompt_);
        } else {
            for (int i : store::kBoxOrder) {
                const store::ImageKind& k = store::imageKinds()[i];
                if (auto v = read(k.rep)) {
                    s_.*k.path = *v;
                }
            }
            s_.Opt_Absolu_Click();
        }
    });
}

void ConfigLoad::collectionAndPages() {
    group("Collection");
    s_.collectionRefused.reset();
    step([&] {
        const QString stored = read(Key::Collection).value_or(QString());
        s_.GV_Collection_Bits = vb::IsNumeric(stored) ? stored : QStringLiteral("1");
        const qint32 wanted = vb::CLng(s_.GV_Collection_Bits);
        qint32 n = wanted;
        struct Box {
            int Settings::*state;
            void (Settings::*click)();
            int weight;
        };
        for (const Box& b :
             {Box{&Settings::opt_revues, &Settings::opt_revues_Click, 16},
              Box{&Settings::Opt_Collaborateurs, &Settings::Opt_Collaborateurs_Click, 8},
              Box{&Settings::opt_parabd, &Settings::opt_parabd_Click, 4},
              Box{&Settings::opt_acheter, &Settings::opt_acheter_Click, 2},
              Box{&Settings::opt_albums, &Settings::opt_albums_Click, 1}}) {
            const qint32 state = n / b.weight;
            n = n % b.weight;
            step([&] {
                s_.*b.state = store::checkState(state);
                (s_.*b.click)();
            });
        }
        // The boxes give the value again from what they took (32 ticks
        // none): the export names the stored one.
        if (QString::number(wanted) != s_.GV_Collection_Bits) {
            s_.collectionRefused = stored;
        }
    });

    group("Email");
    step([&] {
        const auto v = read(Key::Email);
        if (v) {
            s_.box_email = *v;
        }
        s_.opt_email = v ? 1 : 0;
        s_.opt_email_Click();
    });
    step([&] {
        const auto v = read(Key::SitePrincipal);
        if (v) {
            s_.box_siteprincipal = *v;
        }
        s_.opt_quitter = v ? 1 : 0;
        s_.opt_quitter_Click();
    });

    group("stats");
    plain(Key::Stats);
    step([&] {
        const auto v = read(Key::NbCol);
        if (isNumberEqual(v, 1)) {
            s_.opt_col1_Click();
        } else if (isNumberEqual(v, 2)) {
            s_.opt_col2_Click();
        } else {
            s_.opt_col0_Click();
        }
    });

    group("eo, int, ...");
    for (Key k = Key::Eo; k <= Key::NbListe; k = store::next(k)) {
        plain(k);
    }
    group("Perso");
    for (Key k = Key::Perso1; k <= Key::Perso4; k = store::next(k)) {
        plain(k);
    }
    // Earlier versions kept these three as "true"; their first reading as a
    // number failed and was noted above.
    for (Key k : {Key::Int, Key::Eo, Key::Dedicace}) {
        step([&] {
            const auto v = read(k);
            if (v && isTrueText(*v)) {
                const store::Row& r = store::row(k);
                s_.*r.number = 1;
                if (r.changed != nullptr) {
                    (s_.*r.changed)();
                }
            }
        });
    }
}

void ConfigLoad::connectionAndMarks() {
    group("DB Infos");
    for (Key k : {Key::Host, Key::Login, Key::Password, Key::Base}) {
        plain(k);
    }
    step([&] {
        store::load(s_, Key::PrefixeTable);
        s_.box_prefixe_table_Change(prompt_);
    });

    lastExportMarks();

    group("Prefix");
    plain(Key::Prefix);

    group("Répertoires Thumbs");
    for (int i : store::kBoxOrder) {
        plain(store::imageKinds()[i].thumb);
    }
}

void ConfigLoad::lastExportMarks() {
    mark("Lastid", Key::LastId, s_.unreadableMarks.lastId);
    mark("LastIdPara", Key::LastIdPara, s_.unreadableMarks.lastIdPara);
    mark("LastIdrevue", Key::LastIdRevue, s_.unreadableMarks.lastIdRevue);

    group("Lastrun");
    step([&] {
        const auto v = read(Key::LastRun);
        if (v) {
            s_.GV_LastRun = *v;
        }
        s_.Show_LastRun();
        s_.window.box_LastRun_Visible = v.has_value();
        s_.window.lbl_lastrun_Visible = v.has_value();
    });

    group("Lastcollaborateurs");
    plain(Key::LastCollaborateurs);
    plain(Key::LastFull);
}

void ConfigLoad::homePageAndFooter() {
    group("serie_accueil");
    plain(Key::SeriesAccueil);

    group("image_accueil");
    step([&] {
        const auto image = read(Key::ImageAccueil);
        if (!image || vb::CDbl(*image) != 1) {
            s_.opt_image_accueil = 0;
            s_.opt_image_accueil_Click();
            return;
        }
        s_.opt_image_accueil = 1;
        s_.opt_image_accueil_Click();
        s_.window.box_col_accueil_Visible = true;
        s_.window.lbl_col_Visible = true;
        s_.window.lbl_ligne_Visible = true;
        const auto col = read(Key::ColAccueil);
        const qint32 index = (col ? vb::CLng(*col) : 0) - 1;
        if (index < -1 || index >= Settings::ColAccueilItems().size()) {
            throw Error(380, QStringLiteral("Valeur de propriété non valide"));
        }
        s_.box_col_accueil = index < 0 ? QString() : Settings::ColAccueilItems().at(index);
        s_.box_col_accueil_Click();
        // A number outside its list could not be shown there and would reach
        // the site: it cannot be read, and the list keeps its default.
        const bool albums = s_.box_col_accueil == u"Auto";
        QString& box = albums ? s_.box_albums_accueil : s_.box_ligne_accueil;
        const QStringList& items =
            albums ? Settings::AlbumsAccueilItems() : Settings::LigneAccueilItems();
        box = albums ? QStringLiteral("12") : QStringLiteral("5");
        if (const auto ligne = read(Key::LigneAccueil)) {
            if (!items.contains(*ligne)) {
                throw Error(380, QStringLiteral("Valeur de propriété non valide"));
            }
            box = *ligne;
        }
    });

    group("Commentaires");
    plain(Key::Commentaire);
    plain(Key::Imprimer);

    group("Bas de Page");
    step([&] {
        if (auto use = read(Key::BaspageUse)) {
            s_.opt_baspage = store::checkState(vb::CInt(*use));
            s_.opt_baspage_Click();
            plain(Key::BaspageHaut);
        } else {
            s_.opt_baspage = 0;
            s_.opt_baspage_Click();
        }
    });

    group("Auteur");
    step([&] {
        const auto v = read(Key::Auteur);
        if (v == QStringLiteral("1")) {
            s_.opt_auteur1_Click();
        } else if (v == QStringLiteral("2")) {
            s_.opt_auteur2_Click();
        } else {
            s_.opt_auteur0_Click();
        }
    });
    step([&] {
        if (read(Key::DediPlace) == QStringLiteral("1")) {
            s_.opt_dedi_place1_Click();
        } else {
            s_.opt_dedi_place0_Click();
        }
    });
}

void ConfigLoad::captionsAndPlugin() {
    group("utilisation des champs Perso");
    // The custom fields are named in the catalogue application's own key.
    const QString persoKey = s_.GV_Version_Base == u"v6"
                                 ? QStringLiteral("Software\\Ormelo6")
                                 : QStringLiteral("Software\\Orme Lo ") + s_.GV_Version_Base +
                                       QStringLiteral("\\Config");
    QString Settings::*const persoVars[] = {&Settings::GV_Perso1, &Settings::GV_Perso2,
                                            &Settings::GV_Perso3, &Settings::GV_Perso4};
    for (int i = 0; i < 4; ++i) {
        step([&] {
            const QVariant v = general::Get_Registry_Value(HKEY_CURRENT_USER, persoKey,
                                                           QStringLiteral("Perso%1").arg(i + 1));
            const QString caption =
                trimCaption(v.typeId() == QMetaType::QString ? v.toString() : QString());
            s_.*persoVars[i] = caption;
        });
    }

    group("Site");
    plain(Key::Site);

    group("Répertoire Parabd");
    step([&] {
        if (read(Key::OptPathParabd) == QStringLiteral("2")) {
            s_.opt_path_exlibris_Click(prompt_);
        } else {
            s_.opt_path_parabd_Click(prompt_);
        }
    });

    group("Plugin Tintin");
    plain(Key::PluginTintinId);
    step([&] {
        s_.GV_Plugin_Tintin_Path =
            read(Key::PluginTintin).value_or(Settings::PluginTintinDefaultPath());
    });
    step([&] {
        const auto v = read(Key::Verso);
        if (v == QStringLiteral("right")) {
            s_.Opt_versoright_Click();
        } else if (v == QStringLiteral("left")) {
            s_.Opt_versoleft_Click();
        } else {
            s_.Opt_versonone_Click();
        }
    });
    step([&] {
        s_.opt_utf8_Click();
        if (auto v = read(Key::Latin1)) {
            if (booleanOf(*v)) {
                s_.opt_latin1_Click();
            }
        }
    });
}

void ConfigLoad::sortOrder() {
    group("Tri ParaBD");
    step([&] {
        std::array<std::optional<QString>, 7> stored;
        bool all = true;
        for (int i = 0; i < 7; ++i) {
            stored[i] = read(store::next(Key::TriPara1, i));
            all = all && stored[i].has_value();
        }
        for (int i = 0; i < 7; ++i) {
            s_.*store::row(store::next(Key::TriPara1, i)).text =
                all ? *stored[i] : Settings::TriParaDefaults()[i];
        }
    });
    for (int i = 0; i < 7; ++i) {
        s_.GV_Erreurs += QStringLiteral("\nGV_Tri_Para_%1 : ").arg(i + 1) +
                         s_.*store::row(store::next(Key::TriPara1, i)).text;
    }
}

}  // namespace

void Settings::Check_Config(Prompt& prompt) {
    GV_Loading_Config = true;
    ConfigLoad load(*this, prompt);
    load.run();
    GV_Loading_Config = false;
    savedMarks_ = marks();
    if (load.failures() > 0) {
        general::Write_Log(QStringLiteral("Kalvorform.Check_config"), GV_Erreurs);
    }
}

void Settings::Reload_Marks() {
    Registry::currentUser().reload();
    const bool typed = box_LastRun != GV_LastRun;
    const QString box = box_LastRun;
    // A mark gone from the file reads as one never set.
    GV_LastRun.clear();
    GV_LastCollaborateurs.clear();
    GV_LastFull.clear();
    GV_LastId = GV_LastIdPara = GV_LastIdRevue = kNeverExported;
    RecordingPrompt unused;
    ConfigLoad(*this, unused).lastExportMarks();
    if (typed) {
        box_LastRun = box;
        lastRunTip();
    }
    savedMarks_ = marks();
}

void Settings::Show_LastRun() {
    if (!GV_LastRun.isEmpty()) {
        box_LastRun = GV_LastRun;
        lastRunTip();
        window.box_LastRun_Visible = true;
        window.lbl_lastrun_Visible = true;
    }
    // Disabled only while no export was ever made: one of the collectibles
    // or the magazines alone sets no date and no wish-list mark.
    const bool never = box_LastRun.isEmpty() && GV_LastId == kNeverExported &&
                       GV_LastIdPara == kNeverExported && GV_LastIdRevue == kNeverExported;
    window.btn_LastDonnees_SQL_Enabled = !never;
}

void Settings::lastRunTip() {
    window.btn_LastDonnees_SQL_ToolTipText =
        QStringLiteral("crée le fichier dernieres_donnees.sql (albums ajoutés depuis le ") +
        box_LastRun + u')';
}

}  // namespace kalvor
