#pragma once

#include <QString>

namespace kalvor {

class Prompt;
class Settings;

// The collaborators check: rows of COLLABORATEURS that repeat an album's own
// author in the same role, and rows whose author has no record.
namespace collaborators {

// The report text of the catalogue at `path` ("" when nothing is wrong): the
// album and the anomaly of each entry, a line feed and a carriage return
// between two entries.
// "v6" reads the wish list from ALBUMS (AAcheter = 1), any other version from
// ACHETER. Raises kalvor::Error when the catalogue cannot be read.
QString Check_Collaborateurs(const QString& path, const QString& version);

// The button: the report or "Pas d'anomalie dans la base" in a message box;
// on failure a critical message, the trace and the log.
void btn_collaborateurs_Click(Settings& settings, Prompt& prompt);

}  // namespace collaborators
}  // namespace kalvor
