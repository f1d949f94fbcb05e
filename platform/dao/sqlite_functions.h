#pragma once

struct sqlite3;

namespace kalvor::dao {

// The text collation JET, Jet's like, and the Jet functions that the
// translated statements call (jet_mid, jet_lcase, ...), on one connection.
void RegisterJetFunctions(sqlite3* db);

}  // namespace kalvor::dao
