#pragma once

#include <QString>
#include <optional>
#include <string>

namespace kalvor {
class DataScript;
class RowLine;
namespace dao {
class Database;
class RowCursor;
}  // namespace dao

// Rows of the site table parabd: collectibles of PARABD ("v6") or EXLIBRIS,
// read under the older table's column names.
namespace collectible_rows {

// Every collectible, 21 columns (positions of catalogue::exlibris), then
// its comment. With `aboveId`, the incremental export's query: the objects
// above that id. A "v6" object has no author's-copy flag: the site's badge
// ("ea") stays off, whichever export sends it.
QString CollectibleQuery(const QString& GV_Version_Base,
                         std::optional<qint32> aboveId = std::nullopt);

// The line of the collectible the cursor stands on (the columns of
// CollectibleQuery), built in `line`.
const std::string& CollectibleRow(RowLine& line, const dao::RowCursor& item);

// One line per collectible. The DELETE line is the caller's.
void WriteCollectibles(dao::Database& db, const QString& GV_Version_Base, const QString& prefix,
                       DataScript& out);

}  // namespace collectible_rows
}  // namespace kalvor
