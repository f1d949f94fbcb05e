#pragma once

// Values read straight from the bytes of an Access row: libmdb's own texts
// for them, printed and copied again, cost more than the rest of the row.

// libmdb's header needs glib's types declared first.
#include <glib.h>
#include <mdbtools.h>
#include <sqlite3.h>

#include <QtGlobal>
#include <vector>

namespace kalvor::dao {

// A whole number as libmdb reads it: a byte, or a signed 16 or 32-bit value.
qint64 wholeNumber(MdbHandle* mdb, const MdbColumn* col);

// The UTF-8 form of a Jet 4 text into out (three bytes a character at most):
// UCS-2, or after the mark FF FE one byte per character. -1 where only
// libmdb's own conversion says what comes out.
int plainUtf8(const unsigned char* src, int len, char* out);

// Whether texts can skip libmdb's conversion (Jet 4 and later, into UTF-8).
bool plainTexts(MdbHandle* mdb);

// A text's UTF-8 form in buffer, and its length, as the bound buffer would
// have held it.
int readText(MdbHandle* mdb, const MdbColumn* col, bool plain, std::vector<char>& buffer);
// What a damaged memo's row states and what its pages gave, in bytes.
struct MemoDamage {
    size_t stored = 0;
    size_t read = 0;
};
// The same for a memo; scratch holds a memo stored in pieces. -1, with
// `damage` filled, when its pages do not give the length its row states.
int readMemo(MdbHandle* mdb, const MdbColumn* col, bool plain, std::vector<char>& buffer,
             std::vector<unsigned char>& scratch, MemoDamage& damage);

// Money as a number of units; dates as libmdb writes "%Y-%m-%d %H:%M:%S".
void bindMoney(sqlite3_stmt* stmt, int column, MdbHandle* mdb, const MdbColumn* col);
void bindDate(sqlite3_stmt* stmt, int column, MdbHandle* mdb, const MdbColumn* col);

}  // namespace kalvor::dao
