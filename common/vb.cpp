#include "common/vb.h"

#include <QRegularExpression>
#include <cmath>
#include <limits>

#include "platform/error.h"
#include "platform/two_digit_year.h"

namespace kalvor::vb {
namespace {

[[noreturn]] void typeMismatch() {
    throw Error(err::TypeMismatch, QStringLiteral("Incompatibilité de type"));
}
[[noreturn]] void overflow() {
    throw Error(err::Overflow, QStringLiteral("Dépassement de capacité"));
}

bool toDouble(const QVariant& value, double& out) {
    if (!value.isValid() || value.isNull()) {
        return false;
    }
    switch (value.typeId()) {
        case QMetaType::Bool:
            out = value.toBool() ? -1.0 : 0.0;  // True is -1
            return true;
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Double:
        case QMetaType::Float:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::UChar:
        case QMetaType::Char:
        case QMetaType::SChar:
            out = value.toDouble();
            return true;
        default:
            break;
    }
    QString text = value.toString().trimmed();
    if (text.isEmpty()) {
        return false;
    }
    text.replace(u',', u'.');
    bool ok = false;
    out = text.toDouble(&ok);
    return ok && std::isfinite(out);
}

}  // namespace

double RoundHalfEven(double value) {
    return std::nearbyint(value);
}

bool IsNumeric(const QVariant& value) {
    double d = 0;
    return toDouble(value, d);
}

double CDbl(const QVariant& value) {
    double d = 0;
    if (!toDouble(value, d)) {
        typeMismatch();
    }
    return d;
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
