#pragma once

#include <QString>

#include "catalogue/catalogue_schema.h"

namespace kalvor::catalogue {

// A large invented catalogue for benchmarks: `albums` albums (a sixth of them
// on the wish list) with proportionate series, authors, collaborators,
// collectibles and magazines, in the given generation's tables and column
// orders, written as a new SQLite file. Returns the number of rows written.
long WriteSyntheticCatalogue(const QString& databasePath, Generation generation, int albums);

}  // namespace kalvor::catalogue
