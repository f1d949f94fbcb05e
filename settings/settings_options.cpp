#include "settings/settings.h"

#include <QFileInfo>

#include "common/banner.h"
#include "common/table_prefix.h"
#include "common/vb.h"
#include "platform/prompt.h"

namespace kalvor {
namespace {

// A count of albums: "12.5" or "-5" are numbers, and refused all the same.
QString splitGroupRefusal() {
    return QStringLiteral("Veuillez entrer un nombre entier, en chiffres seuls");
}

}  // namespace

void Settings::box_prefixe_table_Change(Prompt& prompt) {
    if (!IsTablePrefix(box_prefixe_table)) {
        prompt.message(TablePrefixRefusal(box_prefixe_table), kBanner, PromptIcon::Critical);
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
    // The whole numbers that the configuration file can carry bare.
    const std::optional<qint32> height = vb::WholeNumber(box_baspage);
    if (!height || *height < 10 || *height > 100) {
        prompt.message(QStringLiteral("Hauteur du pied de page comprise entre 10 et 100 : un "
                                      "nombre entier, sans décimale"),
                       kBanner, PromptIcon::Critical);
        box_baspage = QStringLiteral("25");
    }
}

void Settings::opt_baspage_Click() {
    const bool on = opt_baspage == 1;
    window.lbl_baspage_Visible = on;
    window.box_baspage_Visible = on;
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
    window.frame_dedicace_Visible = opt_dedicace == 1;
}

void Settings::box_col_accueil_Click() {
    if (box_col_accueil == u"Auto") {
        if (box_albums_accueil.isEmpty()) {
            box_albums_accueil = QStringLiteral("12");
        }
        window.box_ligne_accueil_Visible = false;
        window.lbl_ligne_Caption = QStringLiteral("nb d'albums :");
        window.box_albums_accueil_Visible = true;
    } else {
        if (box_ligne_accueil.isEmpty()) {
            box_ligne_accueil = QStringLiteral("5");
        }
        window.box_ligne_accueil_Visible = true;
        window.lbl_ligne_Caption = QStringLiteral("nb de lignes :");
        window.box_albums_accueil_Visible = false;
    }
}

void Settings::opt_image_accueil_Click() {
    if (opt_image_accueil == 1) {
        if (box_col_accueil.isEmpty()) {
            box_col_accueil = QStringLiteral("Auto");
        }
        // The same rule as choosing the column count.
        box_col_accueil_Click();
        window.box_col_accueil_Visible = true;
        window.lbl_col_Visible = true;
        window.lbl_ligne_Visible = true;
    } else {
        window.box_col_accueil_Visible = false;
        window.box_ligne_accueil_Visible = false;
        window.box_albums_accueil_Visible = false;
        window.lbl_col_Visible = false;
        window.lbl_ligne_Visible = false;
    }
}

void Settings::opt_quitter_Click() {
    window.box_siteprincipal_Visible = opt_quitter == 1;
}

void Settings::opt_email_Click() {
    window.box_email_Visible = opt_email == 1;
}

void Settings::opt_stats_Click() {
    window.TabNavig_TabEnabled[kTabStatistiques] = opt_stats == 1;
}

void Settings::collectionClick() {
    if (!GV_Loading_Config) {
        collectionRefused.reset();
    }
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
    window.lbl_groupe_Visible = true;
    window.box_SplitGroup_Visible = true;
}
void Settings::Opt_split_no_Click() {
    split = Split::No;
    window.lbl_groupe_Visible = false;
    window.box_SplitGroup_Visible = false;
}

void Settings::opt_utf8_Click() {
    format = FormatDonnees::Utf8;
}
void Settings::opt_latin1_Click() {
    format = FormatDonnees::Latin1;
}

void Settings::box_SplitGroup_Change(Prompt& prompt) {
    if (!vb::WholeNumber(box_SplitGroup)) {
        prompt.message(splitGroupRefusal(), kBanner, PromptIcon::Critical);
    }
}

bool Settings::box_SplitGroup_LostFocus(Prompt& prompt) {
    // The data export splits by a count of rows: a fraction or a word would
    // stop it, and be saved for every later start.
    const std::optional<qint32> group = vb::WholeNumber(box_SplitGroup);
    if (!group) {
        prompt.message(splitGroupRefusal(), kBanner, PromptIcon::Critical);
        box_SplitGroup = splitGroupAccepted;
        return false;
    }
    if (*group >= 100) {
        splitGroupAccepted = box_SplitGroup;
        return false;
    }
    prompt.message(QStringLiteral("Minimum 100 !"), kBanner, PromptIcon::Critical);
    box_SplitGroup = QStringLiteral("500");
    splitGroupAccepted = box_SplitGroup;
    return true;
}

void Settings::box_LastRun_LostFocus(Prompt& prompt) {
    if (!vb::ParseDayFirst(box_LastRun).isValid()) {
        prompt.message(QStringLiteral("format de date incorrect : jj/mm/aaaa attendu"), kBanner,
                       PromptIcon::Critical);
        box_LastRun = GV_LastRun;
    }
    if (!box_LastRun.isEmpty()) {
        lastRunTip();
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

}  // namespace kalvor
