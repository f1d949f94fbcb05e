#include "sqlscripts/sql_values.h"

#include <QDateTime>
#include <algorithm>
#include <cmath>
#include <limits>

#include "common/general.h"
#include "common/vb.h"
#include "platform/dao/jet_date.h"
#include "platform/error.h"
#include "sqlscripts/site_codes.h"

namespace kalvor::sql {
namespace {

constexpr int kInvalidUseOfNull = 94;

bool isNull(const QVariant& value) {
    return !value.isValid() || value.isNull();
}

QString quoted(const QString& text) {
    return u'\'' + text + u'\'';
}

QString numberText(double d) {
    return QString::number(d, 'g', 15);
}

// A value that stands bare in the row, in a whole-number column of the
// site. A text that is no number, or a number beyond the column's range,
// would be stored as 0 or as the range's end without a word: refused.
QString bareNumber(const QVariant& value) {
    switch (value.typeId()) {
        case QMetaType::Bool:
            return YesNo(value);
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::Short:
        case QMetaType::UShort: {
            const qint64 n = value.toLongLong();
            InSiteRange(double(n));
            return QString::number(n);
        }
        default:
            return numberText(InSiteRange(vb::CDbl(value)));
    }
}

QDate dateOf(const QVariant& value) {
    QDate date;
    switch (value.typeId()) {
        case QMetaType::QDateTime:
            date = value.toDateTime().date();
            break;
        case QMetaType::QDate:
            date = value.toDate();
            break;
        default:
            date = dao::jetdate::ReadStored(QVariant(value.toString())).date();
    }
    if (!date.isValid()) {
        throw Error(err::TypeMismatch, QStringLiteral("Incompatibilité de type"));
    }
    return date;
}

QString fourDigitYear(const QDate& date) {
    return QStringLiteral("%1").arg(date.year(), 4, 10, QLatin1Char('0'));
}

QString twoDigits(int n) {
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

}  // namespace

bool FitsSiteRange(double number) {
    const double whole = std::round(number);
    return whole >= std::numeric_limits<qint32>::min() &&
           whole <= std::numeric_limits<qint32>::max();
}

double InSiteRange(double number) {
    if (!FitsSiteRange(number)) {
        throw Error(err::Overflow, QStringLiteral("Dépassement de capacité"));
    }
    return number;
}

bool NoValue(const QVariant& value) {
    if (isNull(value)) {
        return true;
    }
    if (value.typeId() != QMetaType::QString) {
        return false;
    }
    const QString text = value.toString();
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c == u' ' || c == u'\t'; });
}

QString TextForm(const QVariant& value) {
    if (isNull(value)) {
        return QString();
    }
    switch (value.typeId()) {
        case QMetaType::Bool:
            return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
        case QMetaType::Double:
        case QMetaType::Float:
            return numberText(value.toDouble());
        case QMetaType::QDate:
            return value.toDate().toString(QStringLiteral("dd/MM/yyyy"));
        case QMetaType::QDateTime: {
            const QDateTime when = value.toDateTime();
            return when.toString(when.time() == QTime(0, 0)
                                     ? QStringLiteral("dd/MM/yyyy")
                                     : QStringLiteral("dd/MM/yyyy hh:mm:ss"));
        }
        default:
            return value.toString();
    }
}

QString Escaped(const QVariant& value) {
    QString text = TextForm(value);
    return general::Escape_Texte(text);
}

QString QuotedText(const QVariant& value) {
    return quoted(Escaped(value));
}

QString Identifier(const QVariant& value) {
    if (isNull(value)) {
        throw Error(kInvalidUseOfNull, QStringLiteral("Utilisation incorrecte de Null"));
    }
    return bareNumber(value);
}

QString BareValue(const QVariant& value) {
    return NoValue(value) ? QStringLiteral("0") : bareNumber(value);
}

QString NumberOrNull(const QVariant& value) {
    return NoValue(value) ? Null() : bareNumber(value);
}

QString Null() {
    return QStringLiteral("null");
}

QString QuotedDate(const QVariant& value) {
    if (NoValue(value)) {
        return QStringLiteral("'0000-00-00'");
    }
    const QDate date = dateOf(value);
    return quoted(fourDigitYear(date) + u'-' + twoDigits(date.month()) + u'-' +
                  twoDigits(date.day()));
}

QString LegalDeposit(const QVariant& value) {
    if (NoValue(value)) {
        return Null();
    }
    const QDate date = dateOf(value);
    return quoted(twoDigits(date.month()) + u'/' + fourDigitYear(date));
}

QString YesNo(const QVariant& value) {
    if (NoValue(value)) {
        return QStringLiteral("0");
    }
    if (value.typeId() == QMetaType::Bool) {
        return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    }
    return vb::CDbl(value) != 0 ? QStringLiteral("1") : QStringLiteral("0");
}

QString Rating(const QVariant& value) {
    if (NoValue(value)) {
        return QStringLiteral("''");
    }
    if (!vb::IsNumeric(value)) {
        throw Error(err::TypeMismatch, QStringLiteral("Incompatibilité de type"));
    }
    const qint32 points = vb::CLng(value);
    if (points > kHighestRating) {
        throw Error(err::Overflow, QStringLiteral("Dépassement de capacité"));
    }
    if (points < 0) {
        throw Error(err::InvalidArgument,
                    QStringLiteral("Argument ou appel de procédure incorrect"));
    }
    return quoted(site_codes::GetNote(TextForm(value)));
}

QString AuthorDisplay(const QVariant& pseudo, const QVariant& nom, const QVariant& prenom) {
    const QString pen = Escaped(pseudo);
    if (!pen.isEmpty()) {
        return quoted(pen);
    }
    const QString first = Escaped(prenom);
    if (first.isEmpty()) {
        return quoted(Escaped(nom));
    }
    return quoted(Escaped(nom) + QStringLiteral(", ") + first);
}

}  // namespace kalvor::sql
