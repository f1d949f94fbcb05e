#pragma once

#include <QString>

#include "sqlscripts/export_group.h"
#include "sqlscripts/script_line.h"

namespace kalvor {
class DataScript;
namespace dao {
class Database;
class Recordset;
}  // namespace dao

// Rows of the site tables series, series2 and series3.
namespace series_rows {

// The series that hold at least one item of the group, each once, by id:
// IdSerie, Titre, Style, Planche, Internet, EnCours, Commentaire. A
// condition on the items limits them (the incremental export's new ones).
QString SeriesQuery(ExportGroup group, const QString& GV_Version_Base,
                    const QString& condition = {});

// The line of the series the recordset stands on (IdSerie, Titre, Style,
// Planche, Internet, EnCours). The comment is a seventh column when the
// recordset has one, else it is read from the catalogue in pieces.
ScriptLine SeriesRow(dao::Database& db, const QString& prefix, const QString& table,
                     const dao::Recordset& series);

// Every series of the group, one line each.
void WriteSeries(dao::Database& db, ExportGroup group, const QString& GV_Version_Base,
                 const QString& prefix, DataScript& out);

}  // namespace series_rows
}  // namespace kalvor
