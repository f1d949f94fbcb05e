#pragma once

#include <QString>
#include <QVariant>

namespace kalvor::sql {

// The value kinds of a data-script row. Each takes a catalogue value as the
// database layer gives it (Null is a null QVariant) and returns its SQL text,
// quotes included. Numbers are written with a decimal point whatever the
// locale; a Yes/No column goes through YesNo (the catalogue reads True as -1).

// Where the site wants a number or a date, a blank text (a cleared cell,
// whatever its column is declared) is no value, as Null.
bool NoValue(const QVariant& value);

// 'text' escaped for the script; Null gives ''.
QString QuotedText(const QVariant& value);
// The key of a row, bare. Null cannot be a key: Error 94; a text that is no
// number cannot either: Error 13; nor a number beyond InSiteRange.
QString Identifier(const QVariant& value);
// A number, bare; Null gives 0, the default of the site columns written so.
QString BareValue(const QVariant& value);
// A number, bare; Null gives null.
QString NumberOrNull(const QVariant& value);
// The word null, for the columns the export does not fill.
QString Null();
// 'YYYY-MM-DD'; Null gives '0000-00-00'.
QString QuotedDate(const QVariant& value);
// Legal deposit as 'MM/YYYY'; Null gives null.
QString LegalDeposit(const QVariant& value);
// 1 for Yes, 0 for No (and for Null).
QString YesNo(const QVariant& value);
// The album rating: a number becomes the site's rating text, quoted; Null
// or a blank gives ''. The site counts its letters back: a text that is no
// number is refused (Error 13), and so is a number below 0 (Error 5) or
// above kHighestRating, whose text the site's column would cut (Error 6).
QString Rating(const QVariant& value);
constexpr int kHighestRating = 100;  // 50 letters in notealbum
// The author's display name from the catalogue's Pseudo, Nom and Prenom: the
// pen name when there is one, else "Nom, Prenom", or Nom alone; quoted.
QString AuthorDisplay(const QVariant& pseudo, const QVariant& nom, const QVariant& prenom);

// Whether the site's whole-number columns (32 bits) hold the number once
// rounded.
bool FitsSiteRange(double number);
// The number, when FitsSiteRange; else Error 6, the overflow.
double InSiteRange(double number);

// The value's text as the scripts write it: digits with a decimal point,
// dates as dd/mm/yyyy, Yes/No as 1/0, Null as the empty text.
QString TextForm(const QVariant& value);
// The text escaped for a quoted value (Null as the empty text).
QString Escaped(const QVariant& value);

}  // namespace kalvor::sql
