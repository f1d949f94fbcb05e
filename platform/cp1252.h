#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

namespace kalvor::cp1252 {

// The Windows ANSI code page of the original platform. Characters outside it
// become "?", as the system converter does.
QByteArray encode(const QString& text);
QString decode(const QByteArray& bytes);

// Appends the encoded text.
void Append(QByteArray& out, QStringView text);
// The byte of one character, "?" when the page lacks it.
char FromCodePoint(char32_t c);

}  // namespace kalvor::cp1252
