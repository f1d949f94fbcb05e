#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <string>

#include "sqlscripts/export_group.h"

namespace kalvor {
class DataScript;
class RowLine;
namespace dao {
class Database;
class RowCursor;
}  // namespace dao
namespace collaborator_rows {
class LinkWriter;
}

// Rows of the site tables albums and acheter (same 30 columns).
namespace album_rows {

// The 34 album columns of the group (Albums or Acheter): an explicit list
// from ALBUMS in "v6", the table itself (ALBUMS or ACHETER) otherwise. A
// condition limits the albums (the incremental export's new ones).
QString AlbumSource(ExportGroup group, const QString& GV_Version_Base,
                    const QString& condition = {});
std::unique_ptr<dao::RowCursor> OpenAlbums(dao::Database& db, ExportGroup group,
                                           const QString& GV_Version_Base);
// The same albums in the order of their ids, so that consecutive rows make a
// range of ids.
QString AlbumsByIdSource(ExportGroup group, const QString& GV_Version_Base);

// How coteactuelle is written: rounded to a whole number (the full export),
// or as the catalogue gives it.
enum class Cote { Whole, AsIs };

// The line of the album the cursor stands on (positions of catalogue::album),
// built in `line`.
const std::string& AlbumRow(RowLine& line, const dao::RowCursor& album, Cote cote = Cote::Whole);

// Refuses, naming table, id and column, a purchase date of the collection
// that the rows cannot write: the incremental export, which chooses albums
// by that date, could not tell whether to send it.
void RequireReadablePurchaseDates(dao::Database& db, const QString& GV_Version_Base);

// Refuses, naming it, an album of a newer catalogue whose list flag
// (AAcheter) is neither 0 nor 1: it would be in neither list.
void RequireListFlags(dao::Database& db, const QString& GV_Version_Base);

// One line per album, each followed by the album's own links; afterRow runs
// after the links.
void WriteAlbums(dao::RowCursor& albums, const QString& prefix, const QString& table,
                 DataScript& out, collaborator_rows::LinkWriter& links,
                 const std::function<void()>& afterRow = {});

}  // namespace album_rows
}  // namespace kalvor
