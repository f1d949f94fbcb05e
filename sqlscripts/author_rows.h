#pragma once

#include <QString>
#include <QVariant>
#include <functional>
#include <memory>
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

// Rows of the site tables auteurs, auteurs2 and auteurs3.
namespace author_rows {

// The line of the author the cursor stands on (columns of AuthorsSource),
// built in `line`.
const std::string& AuthorRow(RowLine& line, const dao::RowCursor& author);

// The author ids the albums of `table` that `where` keeps name: writers,
// artists, colourists and extra collaborators. `where` ends the query, so a
// clause added after it limits the collaborators only.
QString AlbumAuthorIds(const QString& table, const QString& where);

// The ids the group's items name, as one query: writers, artists,
// colourists and extra collaborators of the albums; the authors of the
// collectibles. A condition limits the items (the incremental export's new
// ones); its columns name their table, as the albums' query joins two.
QString AuthorIdQuery(ExportGroup group, const QString& GV_Version_Base,
                      const QString& condition = {});

// The authors of an id query that AUTEURS holds, each once, by id: IdAuteur,
// Nom, Prenom, Surnom, DateNaissance, DateDeces, Pays, Pseudo, Scenario,
// Dessin, Couleur, Internet, and the comment, read whole. A Null id or one
// that names no author brings no row.
QString AuthorsSource(const QString& idQuery);

// The authors of AuthorsSource(idQuery), chosen among all by their `ids`
// when there are (referenced_rows).
void ForEachAuthor(dao::Database& db, const referenced_rows::Ids& ids, const QString& idQuery,
                   const std::function<void(const dao::RowCursor&)>& row);

// One line per author of ForEachAuthor; afterRow runs after each line.
void WriteAuthors(dao::Database& db, const referenced_rows::Ids& ids, const QString& idQuery,
                  const QString& prefix, const QString& table, DataScript& out,
                  const std::function<void()>& afterRow = {});

}  // namespace author_rows
}  // namespace kalvor
