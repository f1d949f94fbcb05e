#pragma once

#include <QString>
#include <QVariant>

// What the recovery makes of a field of the site's reply before storing it.
// The site sends NULL and the empty text alike, as an empty field.
namespace kalvor::recovery::conversions {

// The field's text for a text column; empty stays the empty text.
QVariant Text(const QString& field);
// The field for a number, date or Yes/No column: empty gives Null (the
// database cannot take the empty text there), anything else goes as sent.
QVariant Value(const QString& field);
// The text with "&lt;" and "&gt;" turned back into "<" and ">".
QVariant Unescaped(const QString& field);
// The number at the start of the text, "." as decimal point, blanks skipped;
// 0 when there is none.
double Number(const QString& field);
// Null for "0000-00-00" and for an empty field; else as sent.
QVariant Date(const QString& field);
// The legal deposit "MM/YYYY" as the first day of that month; Null when
// empty or zero; any other text as sent.
QVariant LegalDeposit(const QString& field);
// The rating text, 2 per "¤" and 1 per "l", as its number; Null when empty;
// any other text as sent.
QVariant Rating(const QString& field);
// The site's object-type code of a bookmark.
constexpr int kBookmarkTypeCode = 1009;
// 1 for the bookmark's object-type code, else 0.
int MarquePage(const QString& typeobjet);

}  // namespace kalvor::recovery::conversions
