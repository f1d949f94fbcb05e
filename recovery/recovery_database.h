#pragma once

#include <QString>

namespace kalvor::recovery {

// The CREATE TABLE and CREATE INDEX statements of a SQLite script, in order.
QString SchemaStatements(const QString& script);

// Builds the empty recovery database at `path` (replaced when it exists):
// the tables and indexes of the older catalogue layout, from the schema of
// `layoutScript`, with the columns the imports fill that the script leaves
// out, added at the end of their tables.
void CreateRecoveryDatabase(const QString& layoutScript, const QString& path);

}  // namespace kalvor::recovery
