#pragma once

#include <QByteArray>
#include <QString>

namespace kalvor::cp1252 {

// Windows-1252, the code page of the catalogue's texts and of the generated
// site. A character it lacks becomes "?", as Windows' own converter makes it.
QByteArray encode(const QString& text);
QString decode(const QByteArray& bytes);

}  // namespace kalvor::cp1252
