#include "sqlscripts/script_text.h"

#include <QString>

#include "platform/cp1252.h"

namespace kalvor::script_text {
namespace {

// Longest replacement of one character: "&lt;" for a byte.
constexpr size_t kGrowth = 4;

inline char* escapedAscii(char* p, char c, bool escape) {
    if (escape) {
        switch (c) {
            case '\\':
                *p++ = '\\';
                *p++ = '\\';
                return p;
            case '\'':
                *p++ = '\\';
                *p++ = '\'';
                return p;
            case '<':
                return std::copy_n("&lt;", 4, p);
            case '>':
                return std::copy_n("&gt;", 4, p);
            default:
                break;
        }
    }
    *p++ = c;
    return p;
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
    out.resize(start + utf8.size() * kGrowth);
    char* p = out.data() + start;
    const auto* s = reinterpret_cast<const unsigned char*>(utf8.data());
    const unsigned char* end = s + utf8.size();
    while (s < end) {
        if (*s < 0x80) {
            p = escapedAscii(p, char(*s++), escape);
            continue;
        }
        int length = 0;
        const char32_t c = decode(s, end, length);
        if (c == char32_t(-1)) {
            out.resize(start);
            return false;
        }
        if (encoding == Encoding::Utf8) {
            p = std::copy_n(reinterpret_cast<const char*>(s), length, p);
        } else {
            *p++ = cp1252::FromCodePoint(c);
        }
        s += length;
    }
    out.resize(p - out.data());
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
    Append(out, escaped, false, encoding);
}

}  // namespace kalvor::script_text
