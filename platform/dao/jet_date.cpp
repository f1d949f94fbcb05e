#include "platform/dao/jet_date.h"

#include <QRegularExpression>
#include <cmath>

#include "platform/two_digit_year.h"

namespace kalvor::dao::jetdate {
namespace {

// 31 December 9999, the last day Access stores.
constexpr double kLastOleDay = 2958466;

QDateTime build(int y, int m, int d, int h, int n, int s) {
    QDate date(y, m, d);
    QTime time(h, n, s);
    if (!date.isValid() || !time.isValid())
        return {};
    // Catalogue dates carry no zone: kept as UTC they read back exactly as
    // stored (no daylight-saving gap shifts them) and cost no zone look-up.
    return QDateTime(date, time, Qt::UTC);
}

}  // namespace

QString ToStored(const QDateTime& when) {
    return when.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

QDateTime FromOleDays(double days) {
    // Negative values count whole days backwards but the fraction forwards.
    double whole = std::trunc(days);
    double fraction = std::fabs(days - whole);
    qint64 seconds = qint64(std::llround(fraction * 86400.0));
    QDateTime base(QDate(1899, 12, 30), QTime(0, 0), Qt::UTC);
    return base.addDays(qint64(whole)).addSecs(seconds);
}

QDateTime FromStored(const QVariant& stored) {
    if (!stored.isValid() || stored.isNull())
        return {};
    if (stored.typeId() == QMetaType::Double || stored.typeId() == QMetaType::LongLong ||
        stored.typeId() == QMetaType::Int)
        return FromOleDays(stored.toDouble());
    const QString text = stored.toString();
    static const QRegularExpression iso(QStringLiteral(
        "^(\\d{4})-(\\d{1,2})-(\\d{1,2})(?:[ T](\\d{1,2}):(\\d{2})(?::(\\d{2}))?)?$"));
    auto m = iso.match(text.trimmed());
    if (m.hasMatch())
        return build(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt(),
                     m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).toInt());
    return ParseText(text);
}

namespace {

QDateTime parseSlashed(const QString& text, bool monthFirst) {
    static const QRegularExpression re(
        QStringLiteral("^(\\d{1,2})[/-](\\d{1,2})[/"
                       "-](\\d{2}|\\d{4})(?:\\s+(\\d{1,2}):(\\d{1,2})(?::(\\d{1,2}))?\\s*"
                       "([AaPp][Mm])?)?$"));
    auto m = re.match(text.trimmed());
    if (!m.hasMatch())
        return {};
    int a = m.captured(1).toInt(), b = m.captured(2).toInt();
    const int written = m.captured(3).toInt();
    int y = m.captured(3).size() == 2 ? FullYear(written) : written;
    int h = m.captured(4).toInt(), n = m.captured(5).toInt(), s = m.captured(6).toInt();
    const QString ampm = m.captured(7).toUpper();
    if (!ampm.isEmpty()) {
        if (h < 1 || h > 12)
            return {};
        if (ampm == QLatin1String("PM") && h < 12)
            h += 12;
        if (ampm == QLatin1String("AM") && h == 12)
            h = 0;
    }
    return monthFirst ? build(y, a, b, h, n, s) : build(y, b, a, h, n, s);
}

QDateTime parseIso(const QString& text) {
    static const QRegularExpression re(QStringLiteral(
        "^(\\d{4})-(\\d{1,2})-(\\d{1,2})(?:[ T](\\d{1,2}):(\\d{2})(?::(\\d{2}))?)?$"));
    auto m = re.match(text.trimmed());
    if (!m.hasMatch())
        return {};
    return build(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt(),
                 m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).toInt());
}

}  // namespace

QDateTime ParseLiteral(const QString& text) {
    QDateTime iso = parseIso(text);
    return iso.isValid() ? iso : parseSlashed(text, true);
}

QDateTime ParseText(const QString& text) {
    QDateTime iso = parseIso(text);
    return iso.isValid() ? iso : parseSlashed(text, false);
}

QDateTime ReadStored(const QVariant& stored) {
    const QDateTime when = FromStored(stored);
    if (when.isValid() || stored.typeId() != QMetaType::QString)
        return when;
    const QString text = stored.toString().trimmed();
    // A day number kept as text (a column that is not declared a date).
    bool number = false;
    const double days = text.toDouble(&number);
    if (number && std::fabs(days) < kLastOleDay)
        return FromOleDays(days);
    const QDate day = QDate::fromString(text.left(10), Qt::ISODate);
    return day.isValid() ? QDateTime(day, QTime(0, 0), Qt::UTC) : QDateTime();
}

bool IsBlank(std::string_view text) {
    for (const char c : text)
        if (c != ' ' && c != '\t')
            return false;
    return true;
}

}  // namespace kalvor::dao::jetdate
