#include "common/vb.h"

#include <QRegularExpression>
#include <cmath>
#include <limits>

#include "platform/error.h"
#include "platform/two_digit_year.h"
#include "platform/variant_number.h"

namespace kalvor::vb {
namespace {

[[noreturn]] void typeMismatch() {
    throw Error(err::TypeMismatch, QStringLiteral("Incompatibilité de type"));
}
[[noreturn]] void overflow() {
    throw Error(err::Overflow, QStringLiteral("Dépassement de capacité"));
}

}  // namespace

double RoundHalfEven(double value) {
    return std::nearbyint(value);
}

bool IsNumeric(const QVariant& value) {
    return NumberOf(value).has_value();
}

double CDbl(const QVariant& value) {
    const std::optional<double> number = NumberOf(value);
    if (!number) {
        typeMismatch();
    }
    return *number;
}

qint16 CInt(const QVariant& value) {
    const double d = RoundHalfEven(CDbl(value));
    if (d < std::numeric_limits<qint16>::min() || d > std::numeric_limits<qint16>::max()) {
        overflow();
    }
    return static_cast<qint16>(d);
}

qint32 CLng(const QVariant& value) {
    const double d = RoundHalfEven(CDbl(value));
    if (d < std::numeric_limits<qint32>::min() || d > std::numeric_limits<qint32>::max()) {
        overflow();
    }
    return static_cast<qint32>(d);
}

WholeNumberText ReadWholeNumber(const QString& text) {
    const QString digits = text.trimmed();
    if (digits.isEmpty()) {
        return {};
    }
    qint64 value = 0;
    bool tooLarge = false;
    for (QChar c : digits) {
        if (c < u'0' || c > u'9') {
            return {};
        }
        if (!tooLarge) {
            value = value * 10 + (c.unicode() - u'0');
            tooLarge = value > std::numeric_limits<qint32>::max();
        }
    }
    if (tooLarge) {
        return {std::nullopt, true};
    }
    return {qint32(value), false};
}

std::optional<qint32> WholeNumber(const QString& text) {
    return ReadWholeNumber(text).value;
}

QDateTime ParseDayFirst(const QString& text) {
    QString t = text.trimmed();
    static const QRegularExpression shortYear(
        QStringLiteral("^([0-9]{1,2}/[0-9]{1,2}/)([0-9]{2})$"));
    if (const QRegularExpressionMatch m = shortYear.match(t); m.hasMatch()) {
        t = m.captured(1) + QString::number(FullYear(m.captured(2).toInt()));
    }
    for (const char* f : {"d/M/yyyy H:mm:ss", "d/M/yyyy H:mm", "d/M/yyyy"}) {
        const QDateTime dt = QDateTime::fromString(t, QString::fromLatin1(f));
        if (dt.isValid()) {
            return dt;
        }
    }
    return {};
}

Int16Counter& Int16Counter::operator++() {
    if (value_ == std::numeric_limits<qint16>::max()) {
        overflow();
    }
    ++value_;
    return *this;
}

}  // namespace kalvor::vb
