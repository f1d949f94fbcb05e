#include "sqlscripts/purchase_window.h"

#include <sqlite3.h>

#include <QDateTime>
#include <QStringList>
#include <algorithm>
#include <string>
#include <string_view>

#include "platform/dao/database.h"
#include "platform/dao/jet_date.h"
#include "platform/dao/row_cursor.h"

namespace kalvor::purchase_window {

QString RowsOf(const QString& table, const std::vector<qint64>& rows) {
    if (rows.empty()) {
        return table + QStringLiteral(".rowid is null");
    }
    QString list;
    list.reserve(qsizetype(rows.size()) * 7);
    for (const qint64 row : rows) {
        list += (list.isEmpty() ? QString() : QStringLiteral(",")) + QString::number(row);
    }
    return table + QStringLiteral(".rowid in (") + list + u')';
}

std::vector<qint64> Rowids(dao::Database& db, const QString& sql) {
    std::vector<qint64> rows;
    auto found = db.OpenCursor(sql);
    while (found->Next()) {
        rows.push_back(found->Int(0));
    }
    return rows;
}

// Found through the order of the dates (an index on them): stored dates sort by day, so only those
// from `from` on are read, with the forms that sort apart from them and may read into the window:
// day numbers of the window, texts before any digit, and day-first texts ("5/1/2027", "15-01-27")
// whose one or two first digits sort below `from`. A text that reads as a day of the window never
// sorts elsewhere ("2027-1-15" sorts after every day of January).
std::vector<qint64> AlbumsOfTheWindow(dao::Database& db, const QDate& from, const QDate& to) {
    const QString first = from.toString(Qt::ISODate);
    const QDate oleDayZero(1899, 12, 30);
    // Binary order, whatever the column's collation; bounds that do not
    // look like numbers, which a date column would compare as numbers.
    const QString date = QStringLiteral("ALBUMS.DateAchat COLLATE BINARY");
    const auto range = [&](const QString& low, const QString& high) {
        return QStringLiteral("(%1 >= '%2' and %1 < '%3')").arg(date, low, high);
    };
    QStringList ranges{QStringLiteral("(ALBUMS.DateAchat >= %1 and ALBUMS.DateAchat < %2)")
                           .arg(oleDayZero.daysTo(from))
                           .arg(oleDayZero.daysTo(to) + 1),
                       date + QStringLiteral(" >= '") + first + u'\'',
                       range(QString(), QStringLiteral("/\x7f"))};
    QStringList prefixes;
    for (int n = 0; n < 100; ++n) {
        if (n < 10) {
            prefixes << QString::number(n);
        }
        prefixes << QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
    }
    for (const QString& digits : std::as_const(prefixes)) {
        if (digits + u'/' < first) {
            ranges << range(digits + u'!', digits + QStringLiteral("/\x7f"));
        }
    }
    const std::string low = (first + QStringLiteral(" 00:00:00")).toStdString();
    const std::string high = (to.toString(Qt::ISODate) + QStringLiteral(" 23:59:59")).toStdString();
    const auto inside = [&](std::string_view stored) { return stored >= low && stored <= high; };
    std::vector<qint64> rows;
    auto dates = db.OpenCursor(QStringLiteral("SELECT rowid, DateAchat FROM ALBUMS where ") +
                               ranges.join(QStringLiteral(" or ")));
    while (dates->Next()) {
        QVariant value;
        switch (dates->Type(1)) {
            case SQLITE_NULL:
                continue;
            case SQLITE_TEXT: {
                const std::string_view text = dates->Utf8(1);
                int y = 0, m = 0, d = 0;
                if (text.size() == 19 && dao::jetdate::IsStoredForm(text, y, m, d)) {
                    if (inside(text)) {
                        rows.push_back(dates->Int(0));
                    }
                    continue;
                }
                if (dao::jetdate::IsBlank(text)) {
                    continue;
                }
                value = QString::fromUtf8(text.data(), qsizetype(text.size()));
                break;
            }
            case SQLITE_INTEGER:
            case SQLITE_FLOAT:
                value = dates->Double(1);
                break;
            default:
                value = dates->Value(1);
        }
        const QDateTime when = dao::jetdate::ReadStored(value);
        if (!when.isValid() || inside(dao::jetdate::ToStored(when).toStdString())) {
            rows.push_back(dates->Int(0));
        }
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

}  // namespace kalvor::purchase_window
