#include "common/vb.h"

#include <cmath>
#include <limits>

#include "platform/error.h"

namespace kalvor::vb {
namespace {

std::function<QDateTime()>& clock() {
    static std::function<QDateTime()> fn = [] { return QDateTime::currentDateTime(); };
    return fn;
}

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

QString Format(const QDateTime& when, const QString& pattern) {
    QString out;
    const QDate date = when.date();
    const QTime time = when.time();
    qsizetype i = 0;
    auto run = [&](QChar c) {
        qsizetype n = 0;
        while (i + n < pattern.size() && pattern.at(i + n).toLower() == c) {
            ++n;
        }
        return n;
    };
    auto two = [](int v) { return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0')); };
    while (i < pattern.size()) {
        const QChar c = pattern.at(i).toLower();
        const qsizetype n =
            (c == u'd' || c == u'm' || c == u'y' || c == u'h' || c == u'n' || c == u's') ? run(c)
                                                                                         : 0;
        if (n == 0) {
            out.append(pattern.at(i++));
            continue;
        }
        if (c == u'd') {
            out += n >= 2 ? two(date.day()) : QString::number(date.day());
        } else if (c == u'm') {
            out += n >= 2 ? two(date.month()) : QString::number(date.month());
        } else if (c == u'y') {
            out += n >= 4 ? QStringLiteral("%1").arg(date.year(), 4, 10, QLatin1Char('0'))
                          : two(date.year() % 100);
        } else if (c == u'h') {
            out += n >= 2 ? two(time.hour()) : QString::number(time.hour());
        } else if (c == u'n') {
            out += n >= 2 ? two(time.minute()) : QString::number(time.minute());
        } else {
            out += n >= 2 ? two(time.second()) : QString::number(time.second());
        }
        i += n;
    }
    return out;
}

QDateTime ParseDayFirst(const QString& text) {
    const QString t = text.trimmed();
    for (const char* f : {"d/M/yyyy H:mm:ss", "d/M/yyyy H:mm", "d/M/yyyy", "d/M/yy"}) {
        QDateTime dt = QDateTime::fromString(t, QString::fromLatin1(f));
        if (dt.isValid()) {
            if (QString::fromLatin1(f).endsWith(QStringLiteral("yy")) && dt.date().year() < 1930) {
                dt = dt.addYears(100);  // 00 to 29 are 2000 to 2029
            }
            return dt;
        }
    }
    return {};
}

QDateTime Now() {
    return clock()();
}

ScopedClock::ScopedClock(const QDateTime& fixed) : previous_(clock()) {
    clock() = [fixed] { return fixed; };
}

ScopedClock::~ScopedClock() {
    clock() = previous_;
}

Int16Counter& Int16Counter::operator++() {
    if (value_ == std::numeric_limits<qint16>::max()) {
        overflow();
    }
    ++value_;
    return *this;
}

}  // namespace kalvor::vb
