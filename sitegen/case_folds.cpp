#include "sitegen/case_folds.h"

#include <QChar>

#include "platform/cp1252.h"

namespace kalvor::sitegen {

namespace {

// Greek writes its capitals without the tonos and the dialytika of its small
// letters ("ΟΔΥΣΣΕΑΣ" for "Οδυσσέας"): in the Greek block, a letter is read
// as its letter without them.
char32_t folded(char32_t c) {
    char32_t f = QChar::toCaseFolded(c);
    if (c < 0x370 || c > 0x3FF || !QChar::isLetter(c)) {
        return f;
    }
    while (QChar::decompositionTag(f) == QChar::Canonical) {
        f = QChar::toCaseFolded(QChar::decomposition(f).toUcs4().constFirst());
    }
    return f;
}

}  // namespace

QStringList CaseFoldLines() {
    constexpr int kPerLine = 10;
    QStringList lines;
    QStringList pairs;
    for (char32_t c = 0x80; c <= QChar::LastValidCodePoint; ++c) {
        // Windows-1252 holds a few letters that Latin-1 lacks (Œ, Š, Ž, Ÿ): a
        // latin1 collation leaves their cases apart.
        if (QChar::isSurrogate(c) || (!cp1252::Lacks(c) && c <= 0xFF)) {
            continue;
        }
        const char32_t f = folded(c);
        if (f == c) {
            continue;
        }
        pairs << QStringLiteral("%1=>%2").arg(uint(c)).arg(uint(f));
        if (pairs.size() == kPerLine) {
            lines << QStringLiteral("    ") + pairs.join(QStringLiteral(", ")) + u',';
            pairs.clear();
        }
    }
    if (!pairs.isEmpty()) {
        lines << QStringLiteral("    ") + pairs.join(QStringLiteral(", ")) + u',';
    }
    return lines;
}

}  // namespace kalvor::sitegen
