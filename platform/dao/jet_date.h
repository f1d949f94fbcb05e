#pragma once

#include <QDateTime>
#include <QString>
#include <QVariant>
#include <string_view>

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

// Whether a text is in the stored form, "yyyy-MM-dd" or "yyyy-MM-dd
// hh:mm:ss", and a real date; its day in y, m, d.
inline bool IsStoredForm(std::string_view text, int& y, int& m, int& d) {
    const auto digits = [&text](size_t at, size_t count, int& value) {
        value = 0;
        for (size_t i = at; i < at + count; ++i) {
            if (text[i] < '0' || text[i] > '9')
                return false;
            value = value * 10 + (text[i] - '0');
        }
        return true;
    };
    if (text.size() != 10 && text.size() != 19)
        return false;
    if (text[4] != '-' || text[7] != '-' || !digits(0, 4, y) || !digits(5, 2, m) ||
        !digits(8, 2, d) || !QDate::isValid(y, m, d))
        return false;
    if (text.size() == 10)
        return true;
    int h = 0, n = 0, s = 0;
    return text[10] == ' ' && text[13] == ':' && text[16] == ':' && digits(11, 2, h) &&
           digits(14, 2, n) && digits(17, 2, s) && h < 24 && n < 60 && s < 60;
}

// The date a reader takes from any stored value, whatever its column is
// declared: what FromStored reads, a day number kept as text ("44362"), or
// a text that starts with a stored day ("2021-06-15T10:00:00.000") by that
// day. Invalid if not a date.
QDateTime ReadStored(const QVariant& stored);
// A cleared cell: an empty text or blanks, which a date or a number column
// holds as no value.
bool IsBlank(std::string_view text);

}  // namespace kalvor::dao::jetdate
