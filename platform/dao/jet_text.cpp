#include "platform/dao/jet_text.h"

#include <QStringDecoder>
#include <QVarLengthArray>
#include <algorithm>
#include <array>
#include <memory>

namespace kalvor::dao::jet {
namespace {

// Per UTF-16 unit: the folded base letter (primary weight) and the folded
// letter with its accent (secondary weight). Built once for the whole BMP.
struct Weights {
    std::array<char16_t, 65536> primary;
    std::array<char16_t, 65536> secondary;
    Weights() {
        for (int c = 0; c < 65536; ++c) {
            const QChar ch{char16_t(c)};
            char16_t folded = ch.isSurrogate() ? char16_t(c) : ch.toCaseFolded().unicode();
            secondary[c] = folded;
            char16_t base = folded;
            const QString decomposed = QChar(folded).decomposition();
            if (!decomposed.isEmpty() && QChar(folded).decompositionTag() == QChar::Canonical)
                base = QChar(decomposed.at(0)).toCaseFolded().unicode();
            primary[c] = base;
        }
    }
};

const Weights& weights() {
    static const std::unique_ptr<Weights> w = std::make_unique<Weights>();
    return *w;
}

// Ligatures sort as their two letters ("œ" as "oe").
template <typename Out>
void expand(QStringView text, const std::array<char16_t, 65536>& table, Out& out) {
    for (QChar ch : text) {
        char16_t c = table[ch.unicode()];
        switch (c) {
            case u'œ':
                out.append(u'o');
                out.append(u'e');
                break;
            case u'æ':
                out.append(u'a');
                out.append(u'e');
                break;
            case u'ß':
                out.append(u's');
                out.append(u's');
                break;
            default:
                out.append(c);
        }
    }
}

using Buffer = QVarLengthArray<char16_t, 256>;

int compareBuffers(const Buffer& a, const Buffer& b) {
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i)
        if (a[i] != b[i])
            return a[i] < b[i] ? -1 : 1;
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool isAscii(QStringView s) {
    return std::all_of(s.begin(), s.end(), [](QChar c) { return c.unicode() < 0x80; });
}

QStringView decodeUtf8(const char* text, int length, QVarLengthArray<QChar, 256>& out) {
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QByteArrayView bytes(text, length);
    out.resize(decoder.requiredSpace(bytes.size()));
    const QChar* end = decoder.appendToBuffer(out.data(), bytes);
    return QStringView(out.data(), end - out.data());
}

}  // namespace

int Compare(QStringView a, QStringView b) {
    const Weights& w = weights();
    if (isAscii(a) && isAscii(b)) {
        const qsizetype n = std::min(a.size(), b.size());
        for (qsizetype i = 0; i < n; ++i) {
            char16_t x = w.secondary[a[i].unicode()], y = w.secondary[b[i].unicode()];
            if (x != y)
                return x < y ? -1 : 1;
        }
        return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
    }
    Buffer pa, pb;
    expand(a, w.primary, pa);
    expand(b, w.primary, pb);
    if (int r = compareBuffers(pa, pb))
        return r;
    Buffer sa, sb;
    expand(a, w.secondary, sa);
    expand(b, w.secondary, sb);
    return compareBuffers(sa, sb);
}

int CompareUtf8(const char* a, int lengthA, const char* b, int lengthB) {
    bool ascii = true;
    for (int i = 0; i < lengthA && ascii; ++i)
        ascii = static_cast<unsigned char>(a[i]) < 0x80;
    for (int i = 0; i < lengthB && ascii; ++i)
        ascii = static_cast<unsigned char>(b[i]) < 0x80;
    if (ascii) {
        const Weights& w = weights();
        const int n = std::min(lengthA, lengthB);
        for (int i = 0; i < n; ++i) {
            char16_t x = w.secondary[static_cast<unsigned char>(a[i])];
            char16_t y = w.secondary[static_cast<unsigned char>(b[i])];
            if (x != y)
                return x < y ? -1 : 1;
        }
        return lengthA == lengthB ? 0 : (lengthA < lengthB ? -1 : 1);
    }
    // Decoded on the stack: the engine calls this for every comparison.
    QVarLengthArray<QChar, 256> ua, ub;
    return Compare(decodeUtf8(a, lengthA, ua), decodeUtf8(b, lengthB, ub));
}

namespace {

bool sameLetter(QChar a, QChar b) {
    const Weights& w = weights();
    return w.secondary[a.unicode()] == w.secondary[b.unicode()];
}

// Reads a [...] list at pattern[p] (p on '['); sets `end` after ']'.
bool matchList(QStringView pattern, qsizetype p, QChar c, qsizetype& end) {
    qsizetype i = p + 1;
    bool negate = false;
    if (i < pattern.size() && pattern[i] == u'!') {
        negate = true;
        ++i;
    }
    bool found = false;
    bool first = true;
    while (i < pattern.size() && (pattern[i] != u']' || first)) {
        first = false;
        QChar lo = pattern[i];
        if (i + 2 < pattern.size() && pattern[i + 1] == u'-' && pattern[i + 2] != u']') {
            QChar hi = pattern[i + 2];
            const Weights& w = weights();
            char16_t x = w.secondary[c.unicode()];
            if (x >= w.secondary[lo.unicode()] && x <= w.secondary[hi.unicode()])
                found = true;
            i += 3;
        } else {
            if (sameLetter(lo, c))
                found = true;
            ++i;
        }
    }
    end = i < pattern.size() ? i + 1 : i;
    return found != negate;
}

}  // namespace

bool Like(QStringView text, QStringView pattern) {
    // Iterative matcher with backtracking to the last '*'.
    qsizetype t = 0, p = 0, starP = -1, starT = 0;
    while (t < text.size()) {
        if (p < pattern.size()) {
            QChar pc = pattern[p];
            if (pc == u'*') {
                starP = ++p;
                starT = t;
                continue;
            }
            qsizetype next = p + 1;
            bool ok;
            if (pc == u'?')
                ok = true;
            else if (pc == u'#')
                ok = text[t].isDigit();
            else if (pc == u'[')
                ok = matchList(pattern, p, text[t], next);
            else
                ok = sameLetter(pc, text[t]);
            if (ok) {
                p = next;
                ++t;
                continue;
            }
        }
        if (starP < 0)
            return false;
        p = starP;
        t = ++starT;
    }
    while (p < pattern.size() && pattern[p] == u'*')
        ++p;
    return p == pattern.size();
}

}  // namespace kalvor::dao::jet
