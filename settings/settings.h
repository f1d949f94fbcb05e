#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <optional>
#include <utility>

#include "common/banner.h"
#include "settings/window_state.h"

namespace kalvor {

class Prompt;

// The settings of the main window: every control value of the option, folder
// and connection tabs and every module variable (GV_...), under the names the
// window's controls carry. The window binds its widgets to these members; the
// exports and the site generator read them.
//
// A control's Click/Change/LostFocus effect is one member function here. The
// widget's signal calls it after storing the new value, and the load calls it
// on every assignment: a handler runs whenever a value is set, by the user or
// by code, unchanged values included. After a handler returns, the window refreshes its widgets
// from the members (values, and the window state).
//
// Check boxes hold their state as an int: 0 unticked, 1 ticked, 2 greyed;
// only 1 counts as ticked. Option groups hold the selected option; each
// option button has an accessor of its own name and a _Click that selects it.
class Settings {
  public:
    enum class Repertoire { Absolu, Relatif, Sousrep };
    enum class NomParabd { Parabd, Exlibris };
    enum class Verso { Right, Left, None };
    enum class Split { No, Yes };
    enum class FormatDonnees { Utf8, Latin1 };

    // Index of the tabs of TabNavig that options switch on and off.
    static constexpr int kTabStatistiques = 3;
    static constexpr int kTabMiniatures = 5;
    static constexpr qint32 kNeverExported = 999999999;

    static const QString& PluginTintinDefaultPath();
    static const std::array<QString, 7>& TriParaDefaults();
    // The lists of the home-page combo boxes.
    static const QStringList& ColAccueilItems();     // "Auto", "2", "3", "4"
    static const QStringList& LigneAccueilItems();   // "2" to "10"
    static const QStringList& AlbumsAccueilItems();  // "6" to "24"

    Settings();

    // ---- Load and save (registry: software\Kalvor\Config and \Repertoires;
    // every stored value, its name and its default in settings_store.cpp)

    // Reads every setting; needs GV_Version_Base (custom-field captions) and
    // GV_Rep_Base (absolute image folders). Never throws: a value that cannot
    // be read is noted in GV_Erreurs and the log is written at the end.
    void Check_Config(Prompt& prompt);
    // Everything but the statistics grid, which saves itself afterwards. Each
    // writes the store once; false when it could not be written (the store's
    // takeProblem() says why).
    bool save_Config();
    // The last-export marks an export of this run moved since they were
    // loaded or last saved; nothing when no export moved them.
    bool Save_LastRun();
    // "après le" and the incremental-export button from the marks, as a
    // start shows them once saved.
    void Show_LastRun();

    // The last-export marks live in the settings file: another process (a
    // scheduled export) may move them while a window is open. Each export
    // reads them as it starts and writes those it moved as it ends, both
    // while it holds its folder.
    enum class Mark { LastRun, LastId, LastIdPara, LastIdRevue, LastCollaborateurs, LastFull };
    using MarkTexts = QList<std::pair<Mark, QString>>;
    // The marks as the file holds them now. A date typed in box_LastRun since
    // it last showed a mark is kept: the incremental export starts from it.
    void Reload_Marks();
    // Writes `marks` over the file's as it is now. False when the file cannot
    // be written (the store's takeProblem() says why).
    static bool Write_Marks(const MarkTexts& marks);
    // The file's texts of the marks `marks` names ("" for one it lacks),
    // which writing back puts the file as it is now.
    static MarkTexts Stored_Marks(const MarkTexts& marks);
    // The stored name of a mark, and the mark of a stored name.
    static QString MarkName(Mark mark);
    static std::optional<Mark> MarkNamed(const QString& name);
    // The marks as they are now are those of the file: nothing left to save.
    void Marks_Saved();

    // ---- Module variables

    QString GV_Erreurs;  // module error text, never cleared
    QString GV_App_Path;
    QString GV_Chemin_Base;
    QString GV_Rep_Base;  // folder of the catalogue, ending with its separator
    QString GV_Version_Base;
    bool Mode_Commande = false;  // a command-line export is running
    bool GV_Loading_Config = false;

    QString GV_Export;
    QString GV_Require;  // empty or ending with "/"
    QString GV_Prefixe_Table;
    QString GV_Collection_Bits =
        QStringLiteral("0");  // albums 1, acheter 2, parabd 4, collaborateurs 8, revues 16
    QString GV_Verso = QStringLiteral("none");  // "left", "none", "right"
    int GV_Auteur = 0;
    int GV_Nb_Col = 0;
    int GV_Dedi_Place = 0;

    QString GV_Rep_Couvertures, GV_Rep_Versos, GV_Rep_Photos, GV_Rep_Planches, GV_Rep_Dedicaces,
        GV_Rep_Parabd, GV_Rep_Revues;
    QString GV_Thumb_Couvertures, GV_Thumb_Versos, GV_Thumb_Photos, GV_Thumb_Planches,
        GV_Thumb_Dedicaces, GV_Thumb_Parabd, GV_Thumb_Revues;

    QString GV_Perso1, GV_Perso2, GV_Perso3, GV_Perso4;
    // Custom field n (1 to 4) as the window, the chart grid and the site name
    // it: "Perso n" when the catalogue application names none.
    QString PersoCaption(int n) const;
    QString GV_Tri_Para_1, GV_Tri_Para_2, GV_Tri_Para_3, GV_Tri_Para_4, GV_Tri_Para_5,
        GV_Tri_Para_6, GV_Tri_Para_7;
    qint32 GV_Plugin_Tintin_Id = 0;  // series id, 0 = off
    QString GV_Plugin_Tintin_Path;

    // Last-export marks
    QString GV_LastRun;  // dd/mm/yyyy
    qint32 GV_LastId = kNeverExported;
    qint32 GV_LastIdPara = kNeverExported;
    qint32 GV_LastIdRevue = kNeverExported;
    // Whether the albums on the site have their extra collaborators: "1"
    // they have, "0" some were sent without; empty when no export said.
    QString GV_LastCollaborateurs;
    // What the last full export of each group sent ("lastfull"): the marks
    // it left for its groups, which only a full export moves.
    QString GV_LastFull;
    bool GV_LastRun_Changed = false;
    // The text of each id mark the load could not read as a whole number (a
    // settings file edited by hand). Read as never exported, the mark would
    // keep the group's new items off the site and then move past them: the
    // incremental export refuses it until corrected or set by a full export.
    struct UnreadableMarks {
        std::optional<QString> lastId, lastIdPara, lastIdRevue;
    } unreadableMarks;
    // The stored "collection" when its boxes could not take it (32, say), until
    // the user ticks a box: what the export names if nothing is published.
    std::optional<QString> collectionRefused;

    // ---- Text boxes

    QString box_titre = QStringLiteral("Ma collection de Bandes Dessinées");
    QString box_phpexport, box_require;
    QString box_host, box_login, box_password, box_base, box_prefixe_table;
    QString box_email, box_siteprincipal, box_site;
    QString box_SplitGroup, box_LastRun;
    // The split group as last loaded or accepted on leaving its box: what a
    // text that is no number gives way to.
    QString splitGroupAccepted = QStringLiteral("500");
    QString box_series_accueil, box_baspage, box_prefix;
    QString path_couvertures, path_versos, path_photos, path_planches, path_dedicaces, path_parabd,
        path_revues;
    QString box_thumb_couvertures, box_thumb_versos, box_thumb_photos, box_thumb_planches,
        box_thumb_dedicaces, box_thumb_parabd, box_thumb_revues;

    // ---- Combo boxes (text of the shown item, "" when none)

    QString box_col_accueil, box_ligne_accueil, box_albums_accueil;

    // ---- Check boxes

    int opt_albums = 0, opt_acheter = 0, opt_parabd = 0, Opt_Collaborateurs = 0, opt_revues = 0;
    int opt_manual = 0, opt_email = 0, opt_quitter = 0, opt_stats = 0;
    int opt_eo = 0, opt_int = 0, opt_dedicace = 0, opt_reliure = 0, opt_tt = 0, opt_colorauteur = 0,
        opt_miniatures = 0;
    int opt_listecollection = 0, opt_listestyle = 0, opt_listedl = 0, opt_listeachat = 0,
        opt_listenotes = 0, opt_moteur = 0, opt_icones = 0, opt_nb_liste = 0;
    int opt_perso1 = 0, opt_perso2 = 0, opt_perso3 = 0, opt_perso4 = 0;
    int opt_commentaire = 0, opt_imprimer = 0, opt_baspage = 0, opt_image_accueil = 0;

    // ---- Option groups

    Repertoire repertoire = Repertoire::Absolu;  // Opt_Absolu, Opt_Relatif, Opt_Sousrep
    NomParabd nom_parabd = NomParabd::Parabd;    // opt_path_parabd, opt_path_exlibris
    Verso verso = Verso::None;                   // Opt_versoright, Opt_versoleft, Opt_versonone
    Split split = Split::No;                     // Opt_split_no, Opt_split_yes
    FormatDonnees format = FormatDonnees::Utf8;  // opt_utf8, opt_latin1
    int opt_auteur = 0;                          // opt_auteur0 .. opt_auteur2
    int opt_col = 0;                             // opt_col0 .. opt_col2
    int opt_dedi_place = 0;                      // opt_dedi_place0, opt_dedi_place1

    bool Opt_Absolu() const { return repertoire == Repertoire::Absolu; }
    bool Opt_Relatif() const { return repertoire == Repertoire::Relatif; }
    bool Opt_Sousrep() const { return repertoire == Repertoire::Sousrep; }
    bool opt_path_parabd() const { return nom_parabd == NomParabd::Parabd; }
    bool opt_path_exlibris() const { return nom_parabd == NomParabd::Exlibris; }
    bool Opt_versoright() const { return verso == Verso::Right; }
    bool Opt_versoleft() const { return verso == Verso::Left; }
    bool Opt_versonone() const { return verso == Verso::None; }
    bool Opt_split_yes() const { return split == Split::Yes; }
    bool Opt_split_no() const { return split == Split::No; }
    bool opt_utf8() const { return format == FormatDonnees::Utf8; }
    bool opt_latin1() const { return format == FormatDonnees::Latin1; }
    bool opt_auteur0() const { return opt_auteur == 0; }
    bool opt_auteur1() const { return opt_auteur == 1; }
    bool opt_auteur2() const { return opt_auteur == 2; }
    bool opt_col0() const { return opt_col == 0; }
    bool opt_col1() const { return opt_col == 1; }
    bool opt_col2() const { return opt_col == 2; }
    bool opt_dedi_place0() const { return opt_dedi_place == 0; }
    bool opt_dedi_place1() const { return opt_dedi_place == 1; }

    // ---- What the handlers show, hide, enable and caption

    WindowState window;

    // ---- Publishing and page options

    void box_prefixe_table_Change(Prompt& prompt);
    void box_baspage_LostFocus(Prompt& prompt);
    void opt_baspage_Click();
    void opt_auteur0_Click();
    void opt_auteur1_Click();
    void opt_auteur2_Click();
    void opt_col0_Click();
    void opt_col1_Click();
    void opt_col2_Click();
    void opt_dedi_place0_Click();
    void opt_dedi_place1_Click();
    void opt_dedicace_Click();
    void box_col_accueil_Click();
    void opt_image_accueil_Click();
    void opt_quitter_Click();
    void opt_email_Click();
    void opt_stats_Click();
    void opt_albums_Click();
    void opt_acheter_Click();
    void opt_parabd_Click();
    void Opt_Collaborateurs_Click();
    void opt_revues_Click();
    void Opt_versoright_Click();
    void Opt_versoleft_Click();
    void Opt_versonone_Click();
    void Opt_split_yes_Click();
    void Opt_split_no_Click();
    void opt_utf8_Click();
    void opt_latin1_Click();
    void box_SplitGroup_Change(Prompt& prompt);
    // True when the focus is to go back into box_SplitGroup; a text that is
    // no whole number is refused and the accepted group comes back.
    bool box_SplitGroup_LostFocus(Prompt& prompt);
    void box_LastRun_LostFocus(Prompt& prompt);
    void box_phpexport_LostFocus(Prompt& prompt);
    void box_require_LostFocus();

    // ---- Image and thumbnail folders

    void Opt_Absolu_Click();
    void Opt_Relatif_Click(Prompt& prompt);
    void Opt_Sousrep_Click(Prompt& prompt);
    void opt_path_parabd_Click(Prompt& prompt);
    void opt_path_exlibris_Click(Prompt& prompt);
    void Maj_Thumbs();
    void opt_miniatures_Click();
    void path_couvertures_LostFocus();
    void path_versos_LostFocus();
    void path_photos_LostFocus();
    void path_planches_LostFocus();
    void path_dedicaces_LostFocus();
    void path_parabd_LostFocus();
    void path_revues_LostFocus();
    void box_thumb_couvertures_LostFocus();
    void box_thumb_versos_LostFocus();
    void box_thumb_photos_LostFocus();
    void box_thumb_planches_LostFocus();
    void box_thumb_dedicaces_LostFocus();
    void box_thumb_parabd_LostFocus();
    void box_thumb_revues_LostFocus();

  private:
    // The marks as this run last read or wrote them. Another process (a
    // scheduled export) may store newer ones while the window is open: a mark
    // this run did not move since is never written back over them.
    std::optional<std::array<QString, 6>> savedMarks_;
    std::array<QString, 6> marks() const;

    void relativeOrSubfolder(Repertoire mode, Prompt& prompt);
    void nomParabd(NomParabd nom, Prompt& prompt);
    void collectionClick();
    // The incremental-export button's tip names the date the export reads.
    void lastRunTip();
};

}  // namespace kalvor
