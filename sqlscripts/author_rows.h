#pragma once

#include <QString>
#include <QVariant>
#include <functional>
#include <memory>

#include "sqlscripts/export_group.h"
#include "sqlscripts/script_line.h"

namespace kalvor {
class DataScript;
namespace dao {
class Database;
class Recordset;
}  // namespace dao

// Rows of the site tables auteurs, auteurs2 and auteurs3.
namespace author_rows {

// "select IdAuteur, Nom, ... , Internet from AUTEURS where IdAuteur = " id:
// the twelve columns of an author row, in the readers' order.
QString AuthorQuery(const QVariant& id);

// The line of the author the recordset stands on (columns of AuthorQuery).
// The comment is a thirteenth column when the recordset has one, else it is
// read from the catalogue in pieces.
ScriptLine AuthorRow(dao::Database& db, const QString& prefix, const QString& table,
                     const dao::Recordset& author);

// The ids the group's items name, as one query: writers, artists,
// colourists and extra collaborators of the albums; the authors of the
// collectibles. A condition limits the items (the incremental export's new
// ones); its columns name their table, as the albums' query joins two.
QString AuthorIdQuery(ExportGroup group, const QString& GV_Version_Base,
                      const QString& condition = {});

// The authors of an id query that AUTEURS holds, each once, by id, with
// their comment: a Null id or one that names no author brings no row, so
// the count is that of the rows to write.
std::unique_ptr<dao::Recordset> OpenAuthors(dao::Database& db, const QString& idQuery);

// One line per author of `authors` (from OpenAuthors); afterRow runs after
// each line.
void WriteAuthors(dao::Database& db, dao::Recordset& authors, const QString& prefix,
                  const QString& table, DataScript& out,
                  const std::function<void()>& afterRow = {});

}  // namespace author_rows
}  // namespace kalvor
