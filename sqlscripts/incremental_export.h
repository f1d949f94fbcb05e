#pragma once

namespace kalvor {

class Prompt;
class Settings;

// The main window's button "Générer les données depuis la dernière Mise à
// Jour", also run by the command-line word "dernieres_donnees". Writes
// GV_Export/scripts/dernieres_donnees.sql with what the catalogue gained
// since the last export, group by ticked group: the collection's albums
// bought after the date of box_LastRun (and not after today), the wish-list
// albums, magazine issues and collectibles above their marks (all of a
// group whose mark was never set), with every author and series they name.
// Every row the site may hold already is deleted first, so the script never
// inserts a key twice.
// On success moves the last-export marks, shows the new date in box_LastRun
// and shows the summary (not in Mode_Commande), whose authors and series are
// counted when new to the site; on failure shows the error,
// adds it to GV_Erreurs, writes the log and leaves every mark as it was.
// Returns true when the script was written.
bool btn_LastDonnees_SQL_Click(Settings& settings, Prompt& prompt);

}  // namespace kalvor
