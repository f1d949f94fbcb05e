#include "platform/cp1252.h"

#include <array>

namespace kalvor::cp1252 {
namespace {

// 0x80..0x9F; the five holes keep their C1 control meaning, as Windows does.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  //
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  //
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  //
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// The byte of every character up to the highest the page holds; 0 for none
// (U+0000 is the only character whose byte is 0).
constexpr char32_t kTableEnd = 0x2200;
using Table = std::array<unsigned char, kTableEnd>;

constexpr Table makeTable() {
    Table table{};
    for (char32_t c = 0; c < 0x100; ++c) {
        if (c < 0x80 || c >= 0xA0) {
            table[c] = static_cast<unsigned char>(c);
        }
    }
    for (std::size_t i = 0; i < kHigh.size(); ++i) {
        table[kHigh[i]] = static_cast<unsigned char>(0x80 + i);
    }
    return table;
}

constexpr Table kTable = makeTable();

}  // namespace

char FromCodePoint(char32_t c) {
    if (Lacks(c)) {
        return '?';
    }
    return static_cast<char>(kTable[c]);
}

bool Lacks(char32_t c) {
    return c >= kTableEnd || (kTable[c] == 0 && c != 0);
}

qsizetype FirstLacked(QStringView text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (Lacks(text[i].unicode())) {
            return i;
        }
    }
    return -1;
}

void Append(QByteArray& out, QStringView text) {
    const qsizetype start = out.size();
    out.resize(start + text.size());
    char* p = out.data() + start;
    const char16_t* s = text.utf16();
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = s[i];
        if (c < 0x80) {
            *p++ = static_cast<char>(c);
        } else if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(s[i + 1])) {
            ++i;  // one character outside the page, one "?"
            *p++ = '?';
        } else {
            *p++ = FromCodePoint(c);
        }
    }
    out.truncate(p - out.constData());
}

QByteArray encode(const QString& text) {
    QByteArray out;
    Append(out, text);
    return out;
}

QString decode(const QByteArray& bytes) {
    QString out;
    out.resize(bytes.size());
    QChar* p = out.data();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes.at(i));
        p[i] = (b >= 0x80 && b < 0xA0) ? QChar(kHigh[b - 0x80]) : QChar(b);
    }
    return out;
}

}  // namespace kalvor::cp1252
