#pragma once

#include <QString>
#include <functional>
#include <optional>
#include <vector>

#include "sqlscripts/export_group.h"

namespace kalvor {
namespace dao {
class Database;
class RowCursor;
}  // namespace dao

// The authors and series that a group's items name, gathered in one pass
// over the items: the engine would otherwise read the items once for each
// author role and for the series, and sort every id they name.
namespace referenced_rows {

// Sorted whole-number ids, each once; none when an item names an id that is
// not a whole number (the query then chooses the rows itself).
using Ids = std::optional<std::vector<qint64>>;

struct Refs {
    Ids authors;  // as author_rows::AuthorIdQuery chooses them
    Ids series;   // as series_rows::SeriesQuery chooses them
};

// The group's items, limited by `condition` as those queries are.
Refs Read(dao::Database& db, ExportGroup group, const QString& GV_Version_Base,
          const QString& condition = {});
// The same, and in the same pass, into `before`, what the items that
// `earlier` chooses name; no item may meet both conditions.
Refs Read(dao::Database& db, ExportGroup group, const QString& GV_Version_Base,
          const QString& condition, const QString& earlier, Refs& before);

// Calls `row` for each row of `ordered` (a whole table in the order of its
// id, the first column) whose id is among `ids`; for each row of `chosen`
// (the same rows, chosen by the engine) when there are no ids.
void ForEach(dao::Database& db, const Ids& ids, const QString& ordered, const QString& chosen,
             const std::function<void(const dao::RowCursor&)>& row);

}  // namespace referenced_rows
}  // namespace kalvor
