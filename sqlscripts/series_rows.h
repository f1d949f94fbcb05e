#pragma once

#include <QString>
#include <functional>
#include <string>

#include "sqlscripts/export_group.h"
#include "sqlscripts/referenced_rows.h"

namespace kalvor {
class DataScript;
class RowLine;
namespace dao {
class Database;
class RowCursor;
}  // namespace dao

// Rows of the site tables series, series2 and series3.
namespace series_rows {

// The series that hold at least one item of the group, each once, by id:
// IdSerie, Titre, Style, Planche, Internet, EnCours, Commentaire. A
// condition on the items limits them (the incremental export's new ones).
QString SeriesQuery(ExportGroup group, const QString& GV_Version_Base,
                    const QString& condition = {});

// The line of the series the cursor stands on (the columns of
// SeriesQuery), built in `line`.
const std::string& SeriesRow(RowLine& line, const dao::RowCursor& series);

// The series of SeriesQuery, chosen among all by their `ids` when there
// are (referenced_rows).
void ForEachSeries(dao::Database& db, const referenced_rows::Ids& ids, ExportGroup group,
                   const QString& GV_Version_Base, const QString& condition,
                   const std::function<void(const dao::RowCursor&)>& row);

// Every series of the group, one line each.
void WriteSeries(dao::Database& db, const referenced_rows::Ids& ids, ExportGroup group,
                 const QString& GV_Version_Base, const QString& prefix, DataScript& out);

}  // namespace series_rows
}  // namespace kalvor
