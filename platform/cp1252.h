#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

namespace kalvor::cp1252 {

// Windows-1252, the code page of the catalogue's texts and of the generated
// site. A character it lacks becomes "?", as Windows' own converter makes it.
QByteArray encode(const QString& text);
QString decode(const QByteArray& bytes);

// Appends the encoded text.
void Append(QByteArray& out, QStringView text);
// The byte of one character, "?" when the page lacks it.
char FromCodePoint(char32_t c);
// Whether the page lacks the character: the site shows such a letter as its
// reference ("&#269;"). A lone surrogate is lacked too.
bool Lacks(char32_t c);
// The position of the first character of the text the page lacks, -1 when
// it holds them all.
qsizetype FirstLacked(QStringView text);

}  // namespace kalvor::cp1252
