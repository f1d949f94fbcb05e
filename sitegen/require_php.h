#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include "platform/prompt.h"

namespace kalvor {

class Settings;

namespace sitegen {

// One chart of the statistics page, in display order.
struct RequireStat {
    QString stat;    // chart code "ST01" .. "ST11"
    int use = 0;     // 1 shown
    int nb = 0;      // number of values
    int type = 0;    // 1 percentages, 0 counts
    int autres = 0;  // 1 with an "Autres" bar
};

// What the configuration command reads of the main window, under the names of
// its controls and module variables. Check boxes: only 1 counts as ticked.
struct ConfigSettings {
    QString GV_Export;

    int opt_albums = 0, opt_acheter = 0, opt_parabd = 0, opt_revues = 0, Opt_Collaborateurs = 0;
    bool Opt_Absolu = false, Opt_versonone = false;
    QString path_versos;

    QString box_host, box_login, box_password, box_base, box_prefixe_table;
    int opt_imprimer = 0;

    QString box_titre;
    QString GV_Verso;  // "left", "none", "right"
    int GV_Auteur = 0, GV_Nb_Col = 0, GV_Dedi_Place = 0;
    int opt_colorauteur = 0, opt_commentaire = 0, opt_nb_liste = 0;
    int opt_icones = 0, opt_eo = 0, opt_int = 0, opt_dedicace = 0, opt_reliure = 0, opt_tt = 0;
    int opt_listecollection = 0, opt_listestyle = 0, opt_listedl = 0, opt_listeachat = 0,
        opt_listenotes = 0, opt_moteur = 0;
    int opt_miniatures = 0, opt_manual = 0;
    QString box_prefix;
    int opt_email = 0, opt_quitter = 0;
    QString box_email, box_siteprincipal;

    QString box_series_accueil;
    int opt_image_accueil = 0;
    QString box_col_accueil, box_ligne_accueil, box_albums_accueil;
    int opt_stats = 0;
    int opt_baspage = 0;
    QString box_baspage;

    QString GV_Rep_Couvertures, GV_Rep_Planches, GV_Rep_Versos, GV_Rep_Photos, GV_Rep_Dedicaces,
        GV_Rep_Parabd, GV_Rep_Revues;
    QString box_thumb_couvertures, box_thumb_planches, box_thumb_versos, box_thumb_photos,
        box_thumb_dedicaces, box_thumb_parabd, box_thumb_revues;

    int opt_perso1 = 0, opt_perso2 = 0, opt_perso3 = 0, opt_perso4 = 0;
    QString GV_Perso1, GV_Perso2, GV_Perso3, GV_Perso4;
    QString GV_Tri_Para_1, GV_Tri_Para_2, GV_Tri_Para_3, GV_Tri_Para_4, GV_Tri_Para_5,
        GV_Tri_Para_6, GV_Tri_Para_7;
    qint32 GV_Plugin_Tintin_Id = 0;
    QString GV_Plugin_Tintin_Path;
};

ConfigSettings configSettings(const Settings& settings);

// The lines of require.php, stamped with `when`.
QStringList requirePhpLines(const ConfigSettings& s, const QList<RequireStat>& stats,
                            const QDateTime& when);

// A refusal of the configuration command: its message and title.
struct ConfigRefusal {
    QString text;
    QString title;
    PromptIcon icon = PromptIcon::Critical;
    bool isEmpty() const { return text.isEmpty(); }
};

// The checks of the command in their order, then the numbers that are written
// bare; the first that fails, or an empty refusal.
ConfigRefusal checkConfig(const ConfigSettings& s);

// Kalvorform.btn_Create_Config_Click: checks, writes GV_Export/require.php
// whole (stamped with vb::Now()) and reports through the prompt. A failure is
// shown, added to GV_Erreurs and logged. True when the file was written.
bool btn_Create_Config_Click(const ConfigSettings& s, const QList<RequireStat>& stats,
                             Prompt& prompt, QString& GV_Erreurs);
bool btn_Create_Config_Click(Settings& settings, const QList<RequireStat>& stats, Prompt& prompt);

}  // namespace sitegen
}  // namespace kalvor
