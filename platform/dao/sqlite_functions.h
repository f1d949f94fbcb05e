#pragma once

struct sqlite3;

namespace kalvor::dao {

// The text collation JET, Jet's like, the Jet functions that the translated
// statements call (jet_mid, jet_lcase, ...) and read_date, on one connection.
void RegisterJetFunctions(sqlite3* db);

// What a function of ours says of a value it cannot read, which the
// statement's failure carries as Error 13.
inline constexpr const char* kTypeMismatch = "Incompatibilité de type";

}  // namespace kalvor::dao
