#pragma once

#include <QByteArray>
#include <QString>

#include "sqlscripts/export_group.h"

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
const QByteArray& SeriesRow(RowLine& line, const dao::RowCursor& series);

// Every series of the group, one line each.
void WriteSeries(dao::Database& db, ExportGroup group, const QString& GV_Version_Base,
                 const QString& prefix, DataScript& out);

}  // namespace series_rows
}  // namespace kalvor
