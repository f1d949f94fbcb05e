#include "recovery/field_conversions.h"

#include <QDate>
#include <QRegularExpression>

#include "common/general.h"

namespace kalvor::recovery::conversions {

QVariant Text(const QString& field) {
    return field.isNull() ? QString(QLatin1String("")) : field;
}

QVariant Value(const QString& field) {
    if (field.isEmpty()) {
        return QVariant();
    }
    return field;
}

QVariant Unescaped(const QString& field) {
    QString text = field;
    return general::Unescape_Texte(text);
}

double Number(const QString& field) {
    // Blanks anywhere are skipped, as the run time's Val does.
    QString digits;
    bool point = false, exponent = false, any = false;
    for (const QChar c : field) {
        if (c == u' ' || c == u'\t' || c == u'\n' || c == u'\r') {
            continue;
        }
        if (c.isDigit() && c.unicode() < 128) {
            digits += c;
            any = true;
        } else if ((c == u'-' || c == u'+') && (digits.isEmpty() || digits.endsWith(u'e'))) {
            digits += c;
        } else if (c == u'.' && !point && !exponent) {
            digits += c;
            point = true;
        } else if ((c == u'e' || c == u'E' || c == u'd' || c == u'D') && any && !exponent) {
            digits += u'e';
            exponent = true;
        } else {
            break;
        }
    }
    // A dangling exponent or sign reads as if it were not there.
    while (!digits.isEmpty() && !digits.back().isDigit() && digits.back() != u'.') {
        digits.chop(1);
    }
    if (!any) {
        return 0;
    }
    bool ok = false;
    const double value = digits.toDouble(&ok);
    return ok ? value : 0;
}

QVariant Date(const QString& field) {
    if (field.isEmpty() || field.startsWith(QLatin1String("0000-00-00"))) {
        return QVariant();
    }
    return field;
}

QVariant LegalDeposit(const QString& field) {
    static const QRegularExpression monthYear(QStringLiteral("^(\\d{1,2})/(\\d{4})$"));
    const QRegularExpressionMatch m = monthYear.match(field);
    if (m.hasMatch()) {
        const QDate first(m.captured(2).toInt(), m.captured(1).toInt(), 1);
        if (first.isValid()) {
            return first;
        }
        if (m.captured(2).toInt() == 0) {
            return QVariant();
        }
    }
    return Date(field);
}

QVariant Rating(const QString& field) {
    if (field.isEmpty()) {
        return QVariant();
    }
    int points = 0;
    for (const QChar c : field) {
        if (c == QChar(0x00A4)) {
            points += 2;
        } else if (c == u'l') {
            points += 1;
        } else {
            return field;
        }
    }
    return points;
}

int MarquePage(const QString& typeobjet) {
    return Number(typeobjet) == kBookmarkTypeCode ? 1 : 0;
}

}  // namespace kalvor::recovery::conversions
