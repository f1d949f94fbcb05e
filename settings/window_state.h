#pragma once

#include <QString>
#include <array>

namespace kalvor {

// What the settings' handlers show, hide, enable and caption in the window.
// Nothing is stored from it, and the exports, the site and the check never
// read it: they see the values only.
struct WindowState {
    // Statistics and thumbnails start off, as their check boxes do.
    std::array<bool, 8> TabNavig_TabEnabled{true, true, true, false, true, false, true, true};
    // The seven image labels lbl_couvertures.. and boxes path_couvertures..
    bool image_folders_Visible = true;
    bool lbl_choix_parabd_Visible = false, opt_path_parabd_Visible = false,
         opt_path_exlibris_Visible = false;
    bool lbl_groupe_Visible = false, box_SplitGroup_Visible = false;
    bool box_email_Visible = false, box_siteprincipal_Visible = false;
    bool box_LastRun_Visible = false, lbl_lastrun_Visible = false;
    bool frame_dedicace_Visible = false;
    bool box_col_accueil_Visible = false, box_ligne_accueil_Visible = false,
         box_albums_accueil_Visible = false, lbl_col_Visible = false, lbl_ligne_Visible = false;
    bool lbl_baspage_Visible = false, box_baspage_Visible = false;
    QString lbl_ligne_Caption = QStringLiteral("nb de lignes :");
    bool btn_LastDonnees_SQL_Enabled = false;
    QString btn_LastDonnees_SQL_ToolTipText;
};

}  // namespace kalvor
