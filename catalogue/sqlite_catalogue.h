#pragma once

#include <QString>

namespace kalvor::catalogue {

// Builds a SQLite catalogue file from a SQLite script (the form of the
// fixtures and of the synthetic generator); its text columns compare as the
// Access engine's do. Raises kalvor::Error when the file exists or the
// script fails.
void BuildSqliteCatalogue(const QString& scriptPath, const QString& databasePath);

}  // namespace kalvor::catalogue
