#pragma once

namespace kalvor {

class Prompt;
class Settings;

// The main window's button "Génération du script pour alimenter les tables à
// partir de la base Orme Lo'", also run by the command-line word "donnees".
// Writes the data scripts of every ticked collection into GV_Export/scripts:
// "donnees.sql", or one file per table with the author and album tables cut
// into parts of box_SplitGroup rows. On success moves the last-export marks
// and shows the summary (not in Mode_Commande); on failure shows the error,
// adds it to GV_Erreurs, writes the log and leaves every mark as it was.
// Returns true when the scripts were written.
bool btn_Donnees_SQL_Click(Settings& settings, Prompt& prompt);

}  // namespace kalvor
