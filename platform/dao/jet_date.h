#pragma once

#include <QDateTime>
#include <QString>
#include <QVariant>

// The one stored form of dates, "yyyy-MM-dd hh:mm:ss", so that text order
// is time order and a literal compares right with and without a time part.
namespace kalvor::dao::jetdate {

QString ToStored(const QDateTime& when);
// Stored text (also "yyyy-MM-dd" alone) or an OLE day number; invalid if not.
QDateTime FromStored(const QVariant& stored);
// The text between # signs: month first, "m/d/yyyy", "m/d/yy", with an
// optional "h:n[:s]" and AM/PM; also "yyyy-mm-dd". Invalid if not a date.
QDateTime ParseLiteral(const QString& text);
// A date given as text by a caller: "dd/mm/yyyy [hh:nn[:ss]]" (the regional
// order) or "yyyy-mm-dd [hh:nn:ss]". Invalid if not a date.
QDateTime ParseText(const QString& text);
// Access stores days since 30 December 1899, the fraction for the time.
QDateTime FromOleDays(double days);

}  // namespace kalvor::dao::jetdate
