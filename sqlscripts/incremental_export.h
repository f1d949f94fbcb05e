#pragma once

namespace kalvor {

class Prompt;
class Settings;

// The main window's button "Générer les données depuis la dernière Mise à
// Jour", also run by the command-line word "dernieres_donnees". Writes
// GV_Export/scripts/dernieres_donnees.sql with what the catalogue gained
// since the last full export of each ticked group (FullExportRecord), so
// that the newest script alone brings the site to the catalogue: the
// collection's albums bought from that export's day (or an earlier one
// typed in box_LastRun) to today, the wish-list albums, magazine issues and
// collectibles above its marks (all of a group no full export sent), with
// every author and series they name.
// Every row the site may hold already is deleted first, so the script never
// inserts a key twice.
// On success moves the last-export marks, shows the new date in box_LastRun
// and shows the summary (not in Mode_Commande), whose counts are what the
// script gives a site that holds the full export's scripts; on failure shows the error,
// adds it to GV_Erreurs, writes the log and leaves every mark as it was.
// Returns true when the script was written.
bool btn_LastDonnees_SQL_Click(Settings& settings, Prompt& prompt);

}  // namespace kalvor
