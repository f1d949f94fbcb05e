#include "sqlscripts/script_text.h"

#include <QString>
#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>

#include "common/general.h"
#include "platform/cp1252.h"

namespace kalvor::script_text {
namespace {

constexpr quint64 kOnes = 0x0101010101010101ull;
constexpr quint64 kHighBits = 0x8080808080808080ull;

// Whether one of the eight bytes of w is c.
constexpr bool hasByte(quint64 w, unsigned char c) {
    const quint64 v = w ^ (kOnes * c);
    return ((v - kOnes) & ~v & kHighBits) != 0;
}

// Whether the eight bytes at s all stand as they are: ASCII, and none that
// an escape replaces.
inline bool plainWord(const unsigned char* s, bool escape) {
    quint64 w;
    std::memcpy(&w, s, 8);
    if (w & kHighBits)
        return false;
    return !escape || !(hasByte(w, '\\') || hasByte(w, '\'') || hasByte(w, '<') || hasByte(w, '>'));
}

// The ASCII bytes an escape replaces.
constexpr std::array<bool, 128> kEscaped = [] {
    std::array<bool, 128> table{};
    table['\\'] = table['\''] = table['<'] = table['>'] = true;
    return table;
}();
constexpr std::array<bool, 128> kNeverEscaped{};

// The escaped form of an ASCII byte, or nothing when it stands as it is.
std::string_view escapeOf(unsigned char c) {
    switch (c) {
        case '\\':
            return "\\\\";
        case '\'':
            return "\\'";
        case '<':
            return "&lt;";
        case '>':
            return "&gt;";
        default:
            return {};
    }
}

// "&#269;": a character the site's code page lacks, as its pages show it.
void appendReference(std::string& out, char32_t c) {
    char digits[8];
    const auto end = std::to_chars(digits, digits + sizeof digits, quint32(c)).ptr;
    out += "&#";
    out.append(digits, size_t(end - digits));
    out += ';';
}

inline bool continuation(unsigned char b) {
    return (b & 0xC0) == 0x80;
}

// The character of the sequence at s (length `length` bytes, lead byte
// included), or -1 when it is not well formed, or one whose decoding may
// differ: surrogates, non-characters.
char32_t decode(const unsigned char* s, const unsigned char* end, int& length) {
    const unsigned char b = s[0];
    char32_t c;
    char32_t min;
    if (b >= 0xC2 && b <= 0xDF) {
        length = 2;
        c = b & 0x1F;
        min = 0x80;
    } else if (b >= 0xE0 && b <= 0xEF) {
        length = 3;
        c = b & 0x0F;
        min = 0x800;
    } else if (b >= 0xF0 && b <= 0xF4) {
        length = 4;
        c = b & 0x07;
        min = 0x10000;
    } else {
        return char32_t(-1);
    }
    if (end - s < length) {
        return char32_t(-1);
    }
    for (int k = 1; k < length; ++k) {
        if (!continuation(s[k])) {
            return char32_t(-1);
        }
        c = (c << 6) | (s[k] & 0x3F);
    }
    if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF) || (c >= 0xFDD0 && c <= 0xFDEF) ||
        (c & 0xFFFE) == 0xFFFE) {
        return char32_t(-1);
    }
    return c;
}

}  // namespace

bool AppendUtf8(std::string& out, std::string_view utf8, bool escape, Encoding encoding) {
    const size_t start = out.size();
    out.reserve(start + utf8.size() + utf8.size() / 8 + 8);
    const auto* s = reinterpret_cast<const unsigned char*>(utf8.data());
    const unsigned char* end = s + utf8.size();
    const bool* escaped = escape ? kEscaped.data() : kNeverEscaped.data();
    // Bytes that stand as they are go out in runs.
    const unsigned char* run = s;
    while (s < end) {
        if (end - s >= 8 && plainWord(s, escape)) {
            s += 8;
            continue;
        }
        for (const unsigned char* stop = std::min(s + 8, end); s < stop;) {
            const unsigned char b = *s;
            if (b < 0x80 && !escaped[b]) {
                ++s;
                continue;
            }
            if (b < 0x80) {
                out.append(reinterpret_cast<const char*>(run), size_t(s - run));
                out += escapeOf(b);
                run = ++s;
                continue;
            }
            int length = 0;
            const char32_t c = decode(s, end, length);
            if (c == char32_t(-1)) {
                out.resize(start);
                return false;
            }
            s += length;
            if (encoding == Encoding::Cp1252) {
                out.append(reinterpret_cast<const char*>(run), size_t(s - length - run));
                if (escape && cp1252::Lacks(c))
                    appendReference(out, c);
                else
                    out += cp1252::FromCodePoint(c);
                run = s;
            } else if (escape && cp1252::Lacks(c)) {
                out.append(reinterpret_cast<const char*>(run), size_t(s - length - run));
                appendReference(out, c);
                run = s;
            }
        }
    }
    out.append(reinterpret_cast<const char*>(run), size_t(end - run));
    return true;
}

void Append(std::string& out, QStringView text, bool escape, Encoding encoding) {
    if (!escape) {
        const QByteArray bytes =
            encoding == Encoding::Utf8 ? text.toUtf8() : cp1252::encode(text.toString());
        out.append(bytes.constData(), size_t(bytes.size()));
        return;
    }
    QString escaped;
    escaped.reserve(text.size() + 8);
    for (const QChar c : text) {
        switch (c.unicode()) {
            case u'\\':
                escaped += QLatin1String("\\\\");
                break;
            case u'\'':
                escaped += QLatin1String("\\'");
                break;
            case u'<':
                escaped += QLatin1String("&lt;");
                break;
            case u'>':
                escaped += QLatin1String("&gt;");
                break;
            default:
                escaped += c;
        }
    }
    general::Convert_References(escaped);
    Append(out, escaped, false, encoding);
}

}  // namespace kalvor::script_text
