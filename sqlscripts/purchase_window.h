#pragma once

#include <QDate>
#include <QString>
#include <vector>

namespace kalvor {
namespace dao {
class Database;
}

// The collection's albums that an incremental export sends, chosen before
// anything is read of them: its cost follows what it sends.
namespace purchase_window {

// The albums (rowids, sorted) whose purchase date reads into the days from
// `from` to `to`, as read_date() reads it, and those among the dates looked
// at that no date reads from, which their row then refuses.
std::vector<qint64> AlbumsOfTheWindow(dao::Database& db, const QDate& from, const QDate& to);
// The condition that chooses `rows` of `table` by their rowid.
QString RowsOf(const QString& table, const std::vector<qint64>& rows);
// The rowids of a one-column query.
std::vector<qint64> Rowids(dao::Database& db, const QString& sql);

}  // namespace purchase_window
}  // namespace kalvor
