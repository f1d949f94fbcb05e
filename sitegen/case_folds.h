#pragma once

#include <QStringList>

namespace kalvor::sitegen {

// The body of a PHP array that pairs each letter whose cases the site's
// database leaves apart (one Windows-1252 lacks, held as its reference, or
// one of its letters that Latin-1 lacks) with the letter every case of it is
// read as, by Unicode's simple case folding: "931=>963, 962=>963, ...", a
// few pairs a line.
QStringList CaseFoldLines();

}  // namespace kalvor::sitegen
