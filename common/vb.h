#pragma once

#include <QDateTime>
#include <QString>
#include <QVariant>
#include <optional>

#include "platform/clock.h"

// Small conversions with fixed rules: whole numbers rounded half to even,
// 16- and 32-bit ranges checked, a comma or a point before decimals,
// day-first date texts.
namespace kalvor::vb {

// Rounds to the nearest whole number, a half going to the even one.
double RoundHalfEven(double value);

// True for a number, or a text that reads as one ("12", " 2.5", "2,5").
bool IsNumeric(const QVariant& value);

// Conversions that raise Error 13 (not a number), 6 (out of range).
double CDbl(const QVariant& value);
qint16 CInt(const QVariant& value);
qint32 CLng(const QVariant& value);

// The one rule for a count or an id as typed in a box or kept in the
// settings: ASCII digits, blanks around them allowed; no sign, fraction,
// exponent or word. A number past 2,147,483,647 is too large to be held.
struct WholeNumberText {
    std::optional<qint32> value;
    bool tooLarge = false;
};
WholeNumberText ReadWholeNumber(const QString& text);
// The value, none for a text the rule refuses.
std::optional<qint32> WholeNumber(const QString& text);

// A date text read day first ("25/12/2024", "25/12/2024 10:30:00"); invalid
// when the text is not a date.
QDateTime ParseDayFirst(const QString& text);

// A 16-bit row counter: going past 32,767 raises the overflow error, which
// ends the run through its failure path.
class Int16Counter {
  public:
    Int16Counter& operator++();
    qint16 value() const { return value_; }
    void reset() { value_ = 0; }

  private:
    qint16 value_ = 0;
};

}  // namespace kalvor::vb
