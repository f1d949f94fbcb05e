#pragma once

#include <QStringList>

namespace kalvor::sitegen {

// The body of a PHP array that pairs each letter the site holds as its
// reference (one Windows-1252 lacks) with the letter every case of it is
// read as, by Unicode's simple case folding: "931=>963, 962=>963, ...", a
// few pairs a line.
QStringList CaseFoldLines();

}  // namespace kalvor::sitegen
