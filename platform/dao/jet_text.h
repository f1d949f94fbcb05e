#pragma once

#include <QString>
#include <QStringView>

// Text rules of the Jet engine: comparisons ignore letter case but keep
// accents; sorting puts accented letters beside their base letter.
namespace kalvor::dao::jet {

// <0, 0, >0. Equal exactly when the texts differ only in letter case.
int Compare(QStringView a, QStringView b);
// The same on UTF-8 bytes (SQLite's collation callback).
int CompareUtf8(const char* a, int lengthA, const char* b, int lengthB);

// Jet's like: * any text, ? one character, # one digit, [abc] [!abc] [a-z]
// one character of (or not of) a list; letter case ignored.
bool Like(QStringView text, QStringView pattern);

}  // namespace kalvor::dao::jet
