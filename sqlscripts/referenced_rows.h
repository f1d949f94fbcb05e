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

// The group's items, limited by `condition` as those queries are, read in
// one pass over the whole table.
Refs Read(dao::Database& db, ExportGroup group, const QString& GV_Version_Base,
          const QString& condition = {});
// The same for a few items that `condition` finds through the catalogue's
// keys and indexes (the incremental export's new ones).
Refs ReadChosen(dao::Database& db, ExportGroup group, const QString& GV_Version_Base,
                const QString& condition);
// Among the ids of `named`, those that the group's items `earlier` chooses
// name too, each looked for through the indexes of the referring columns.
Refs Held(dao::Database& db, ExportGroup group, const QString& GV_Version_Base,
          const QString& earlier, const Refs& named);

// Calls `row`, in the order of their ids, for each row of `table` whose id
// (`key`, the first of `columns`) is among `ids`: a few looked up by key,
// many in one pass over the table. Without ids, for each row of `chosen`
// (the same rows, chosen by the engine). A key that is not a whole number
// is refused, naming it: no item could name its row.
void ForEach(dao::Database& db, const Ids& ids, const QString& columns, const QString& table,
             const QString& key, const QString& chosen,
             const std::function<void(const dao::RowCursor&)>& row);

}  // namespace referenced_rows
}  // namespace kalvor
