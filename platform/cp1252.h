#pragma once

#include <QByteArray>
#include <QString>

namespace kalvor::cp1252 {

// The Windows ANSI code page of the original platform. Characters outside it
// become "?", as the system converter does.
QByteArray encode(const QString& text);
QString decode(const QByteArray& bytes);

}  // namespace kalvor::cp1252
