#include "platform/dao/mdb_values.h"

#include <QtEndian>
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
            return mdb_get_int32(mdb->pg_buf, col->cur_value_start);
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

}  // namespace

// The UTF-8 form of a Jet 4 text: UCS-2, or after the mark FF FE one byte
// per character. -1 where only libmdb's own conversion says what comes out:
// a compressed text switching to two bytes a character, a Null character
// (it ends the value), an odd length, a surrogate or a non-character.
int plainUtf8(const unsigned char* src, int len, char* out) {
    char* end = out;
    if (len >= 2 && src[0] == 0xFF && src[1] == 0xFE) {
        for (int k = 2; k < len; ++k) {
            if (src[k] == 0)
                return -1;
            end = appendUtf8(end, src[k]);
        }
        return int(end - out);
    }
    if (len % 2 != 0)
        return -1;
    for (int k = 0; k < len; k += 2) {
        const unsigned c = src[k] | (unsigned(src[k + 1]) << 8);
        if (c == 0 || (c >= 0xD800 && c < 0xE000) || c >= 0xFFFE)
            return -1;
        end = appendUtf8(end, c);
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
    char* text = mdb_col_to_string(mdb, mdb->pg_buf, col->cur_value_start, MDB_TEXT, len);
    const size_t n = strnlen(text, buffer.size() - 1);
    std::memcpy(buffer.data(), text, n);
    g_free(text);
    return int(n);
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
        char text[64];
        const int n =
            std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.tm_year + 1900,
                          t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
        sqlite3_bind_text(stmt, column, text, n, SQLITE_TRANSIENT);
        return;
    }
    // Dates libmdb leaves unconverted: its own text.
    char* text = mdb_col_to_string(mdb, mdb->pg_buf, start, MDB_DATETIME, len);
    sqlite3_bind_text(stmt, column, text, -1, SQLITE_TRANSIENT);
    g_free(text);
}

}  // namespace kalvor::dao
