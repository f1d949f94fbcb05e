#include "platform/dao/mdb_values.h"

#include <QtEndian>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace kalvor::dao {

// A whole number as libmdb reads it: a byte, or a signed 16 or 32-bit value.
qint64 wholeNumber(MdbHandle* mdb, const MdbColumn* col) {
    switch (col->col_type) {
        case MDB_BYTE:
            return mdb_get_byte(mdb->pg_buf, col->cur_value_start);
        case MDB_INT:
            return short(mdb_get_int16(mdb->pg_buf, col->cur_value_start));
        default:
            // libmdb gives the four bytes unsigned; a Long is signed.
            return qint32(mdb_get_int32(mdb->pg_buf, col->cur_value_start));
    }
}

namespace {

char* appendUtf8(char* out, unsigned c) {
    if (c < 0x80) {
        *out++ = char(c);
    } else if (c < 0x800) {
        *out++ = char(0xC0 | (c >> 6));
        *out++ = char(0x80 | (c & 0x3F));
    } else {
        *out++ = char(0xE0 | (c >> 12));
        *out++ = char(0x80 | ((c >> 6) & 0x3F));
        *out++ = char(0x80 | (c & 0x3F));
    }
    return out;
}

// Eight stored bytes, read as one little-endian word: a run of plain ASCII,
// the common case, is checked and copied a word at a time.
quint64 eightBytes(const unsigned char* p) {
    quint64 w;
    std::memcpy(&w, p, 8);
    return qFromLittleEndian(w);
}

constexpr quint64 kOnes = 0x0101010101010101ull;
constexpr quint64 kHighBits = 0x8080808080808080ull;  // with w - kOnes: a byte 0 or above 0x7F
constexpr quint64 kOnes16 = 0x0001000100010001ull;
constexpr quint64 kHigh16 = 0x8000800080008000ull;
constexpr quint64 kNotAscii16 = 0xFF80FF80FF80FF80ull;

}  // namespace

// The UTF-8 form of a Jet 4 text: UCS-2, or after the mark FF FE one byte
// per character. -1 where only libmdb's own conversion says what comes out:
// a compressed text switching to two bytes a character, a Null character
// (it ends the value), an odd length, a surrogate or a non-character.
int plainUtf8(const unsigned char* src, int len, char* out) {
    char* end = out;
    if (len >= 2 && src[0] == 0xFF && src[1] == 0xFE) {
        for (int k = 2; k < len;) {
            if (k + 8 <= len) {
                const quint64 w = eightBytes(src + k);
                if (((w | (w - kOnes)) & kHighBits) == 0) {
                    std::memcpy(end, src + k, 8);
                    end += 8;
                    k += 8;
                    continue;
                }
            }
            // A word that is not plain ASCII is taken a byte at a time.
            for (const int stop = std::min(k + 8, len); k < stop; ++k) {
                if (src[k] == 0)
                    return -1;
                end = appendUtf8(end, src[k]);
            }
        }
        return int(end - out);
    }
    if (len % 2 != 0)
        return -1;
    for (int k = 0; k < len;) {
        if (k + 8 <= len) {
            const quint64 w = eightBytes(src + k);
            if ((w & kNotAscii16) == 0 && (((w - kOnes16) & ~w) & kHigh16) == 0) {
                end[0] = char(w);
                end[1] = char(w >> 16);
                end[2] = char(w >> 32);
                end[3] = char(w >> 48);
                end += 4;
                k += 8;
                continue;
            }
        }
        for (const int stop = std::min(k + 8, len); k < stop; k += 2) {
            const unsigned c = src[k] | (unsigned(src[k + 1]) << 8);
            if (c == 0 || (c >= 0xD800 && c < 0xE000) || c >= 0xFFFE)
                return -1;
            end = appendUtf8(end, c);
        }
    }
    return int(end - out);
}

// Whether texts can skip libmdb's conversion: Jet 4 and later files, read
// into UTF-8 (libmdb's target unless MDBICONV names another).
bool plainTexts(MdbHandle* mdb) {
    const char* target = std::getenv("MDBICONV");
    return mdb->f->jet_version != MDB_VER_JET3 &&
           (!target || !*target || std::strcmp(target, "UTF-8") == 0);
}

namespace {

// libmdb's text of a value, cut where the bound buffer would have cut it.
int libmdbText(MdbHandle* mdb, const MdbColumn* col, std::vector<char>& buffer) {
    char* text = mdb_col_to_string(mdb, mdb->pg_buf, col->cur_value_start, col->col_type,
                                   col->cur_value_len);
    const size_t n = strnlen(text, buffer.size() - 1);
    std::memcpy(buffer.data(), text, n);
    g_free(text);
    return int(n);
}

// An entry of a page of long values: the page's bytes and where it lies.
bool longValue(MdbHandle* mdb, guint32 pageRow, const unsigned char*& bytes, size_t& size) {
    void* page = nullptr;
    int offset = 0;
    if (mdb_find_pg_row(mdb, int(pageRow), &page, &offset, &size) != 0 || offset < 0 ||
        size_t(offset) + size > size_t(mdb->fmt->pg_size))
        return false;
    bytes = static_cast<const unsigned char*>(page) + offset;
    return true;
}

// A memo's stored text: in the row itself, alone on a page of long values,
// or in pieces each naming the next. False when the pages do not give the
// length the row states; `length` is then what they gave.
bool memoBytes(MdbHandle* mdb, const MdbColumn* col, std::vector<unsigned char>& scratch,
               const unsigned char*& bytes, size_t& length, size_t& stored) {
    const int start = col->cur_value_start, len = col->cur_value_len;
    length = stored = 0;
    if (len < MDB_MEMO_OVERHEAD)
        return false;
    const guint32 header = mdb_get_int32(mdb->pg_buf, start);
    const guint32 first = mdb_get_int32(mdb->pg_buf, start + 4);
    stored = header & 0x3FFFFFFFu;
    if (header & 0x80000000u) {
        bytes = mdb->pg_buf + start + MDB_MEMO_OVERHEAD;
        length = size_t(len - MDB_MEMO_OVERHEAD);
        return length == stored;
    }
    if (header & 0x40000000u)
        return longValue(mdb, first, bytes, length) && length == stored;
    if (header & 0xFF000000u)
        return false;
    scratch.clear();
    for (guint32 next = first; next != 0;) {
        const unsigned char* piece = nullptr;
        size_t size = 0;
        if (!longValue(mdb, next, piece, size) || size <= 4 || scratch.size() + size - 4 > stored)
            break;
        next = mdb_get_int32(const_cast<unsigned char*>(piece), 0);
        scratch.insert(scratch.end(), piece + 4, piece + size);
    }
    bytes = scratch.data();
    length = scratch.size();
    return length == stored;
}

}  // namespace

// A text's UTF-8 form in buffer, and its length, as the bound buffer would
// have held it.
int readText(MdbHandle* mdb, const MdbColumn* col, bool plain, std::vector<char>& buffer) {
    const int len = col->cur_value_len;
    if (len == 0)
        return 0;
    if (plain && 3 * size_t(len) < buffer.size()) {
        const int n = plainUtf8(mdb->pg_buf + col->cur_value_start, len, buffer.data());
        if (n >= 0)
            return n;
    }
    return libmdbText(mdb, col, buffer);
}

int readMemo(MdbHandle* mdb, const MdbColumn* col, bool plain, std::vector<char>& buffer,
             std::vector<unsigned char>& scratch, MemoDamage& damage) {
    if (col->cur_value_len == 0)
        return 0;
    const unsigned char* bytes = nullptr;
    size_t length = 0;
    size_t stored = 0;
    // libmdb gives an empty or cut text for a memo whose pages are damaged.
    if (!memoBytes(mdb, col, scratch, bytes, length, stored)) {
        damage = {stored, length};
        return -1;
    }
    if (plain) {
        if (3 * length >= buffer.size())
            buffer.resize(3 * length + 1);
        const int n = plainUtf8(bytes, int(length), buffer.data());
        if (n >= 0)
            return n;
    }
    return libmdbText(mdb, col, buffer);
}

// The stored number of a money value: a count of ten-thousandths.
void bindMoney(sqlite3_stmt* stmt, int column, MdbHandle* mdb, const MdbColumn* col) {
    if (col->cur_value_len == 0) {
        sqlite3_bind_null(stmt, column);
    } else if (col->cur_value_len == 8) {
        qint64 units = 0;
        std::memcpy(&units, mdb->pg_buf + col->cur_value_start, 8);
        sqlite3_bind_double(stmt, column, double(qFromLittleEndian(units)) / 10000.0);
    } else {
        char* text = mdb_money_to_string(mdb, col->cur_value_start);
        sqlite3_bind_double(stmt, column, std::strtod(text, nullptr));
        g_free(text);
    }
}

namespace {

// A number of `width` decimal digits, leading zeros kept.
void digits(char* out, int width, int number) {
    for (int k = width - 1; k >= 0; --k) {
        out[k] = char('0' + number % 10);
        number /= 10;
    }
}

}  // namespace

// The stored form of a date, as libmdb writes it with the format
// "%Y-%m-%d %H:%M:%S" (its own calendar, a time rounded to the second).
void bindDate(sqlite3_stmt* stmt, int column, MdbHandle* mdb, const MdbColumn* col) {
    const int start = col->cur_value_start, len = col->cur_value_len;
    if (len == 0) {
        sqlite3_bind_null(stmt, column);
        return;
    }
    const double days = len == 8 ? mdb_get_double(mdb->pg_buf, start) : -1;
    if (days >= 0.0 && days <= 1e6) {
        tm t{};
        mdb_date_to_tm(days, &t);
        // Days up to a million stay within years of four digits.
        char text[] = "0000-00-00 00:00:00";
        digits(text, 4, t.tm_year + 1900);
        digits(text + 5, 2, t.tm_mon + 1);
        digits(text + 8, 2, t.tm_mday);
        digits(text + 11, 2, t.tm_hour);
        digits(text + 14, 2, t.tm_min);
        digits(text + 17, 2, t.tm_sec);
        sqlite3_bind_text(stmt, column, text, sizeof text - 1, SQLITE_TRANSIENT);
        return;
    }
    // Dates libmdb leaves unconverted: its own text.
    char* text = mdb_col_to_string(mdb, mdb->pg_buf, start, MDB_DATETIME, len);
    sqlite3_bind_text(stmt, column, text, -1, SQLITE_TRANSIENT);
    g_free(text);
}

}  // namespace kalvor::dao
