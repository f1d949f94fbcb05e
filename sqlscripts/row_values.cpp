#include "sqlscripts/row_values.h"

#include <cmath>

#include "common/vb.h"
#include "sqlscripts/sql_values.h"

namespace kalvor::sql {
QString WholeOrNull(const QVariant& value) {
    if (NoValue(value)) {
        return Null();
    }
    return QString::number(static_cast<qint64>(std::round(InSiteRange(vb::CDbl(value)))));
}

QString DateOrNull(const QVariant& value) {
    return NoValue(value) ? Null() : QuotedDate(value);
}

QString CustomNumber(const QVariant& value) {
    return NoValue(value) ? QStringLiteral("0") : QString::number(vb::CLng(value));
}

QString NumeroOrNull(const QVariant& value) {
    if (NoValue(value) || (vb::IsNumeric(value) && vb::CDbl(value) == 0)) {
        return Null();
    }
    return NumberOrNull(value);
}

}  // namespace kalvor::sql
