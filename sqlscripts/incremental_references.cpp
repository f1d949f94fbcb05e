#include "sqlscripts/incremental_references.h"

#include <sqlite3.h>

#include <algorithm>
#include <vector>

#include "catalogue/catalogue_schema.h"
#include "platform/dao/database.h"
#include "sqlscripts/author_rows.h"
#include "sqlscripts/referenced_rows.h"
#include "sqlscripts/replacing_row_writer.h"
#include "sqlscripts/series_rows.h"

namespace kalvor {
namespace {

// Whether the site held the row before this export: an earlier item names
// it (an id that is not a whole number counts as new).
bool held(const referenced_rows::Ids& earlier, const dao::RowCursor& row, int id) {
    return earlier && row.Type(id) == SQLITE_INTEGER &&
           std::binary_search(earlier->begin(), earlier->end(), row.Int(id));
}

// The whole-number ids of a one-column query, sorted, each once.
std::vector<qint64> sortedIds(dao::Database& db, const QString& sql) {
    auto rows = db.OpenCursor(sql);
    std::vector<qint64> ids;
    while (rows->Next()) {
        if (rows->Type(0) == SQLITE_INTEGER) {
            ids.push_back(rows->Int(0));
        }
    }
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    return ids;
}

}  // namespace

IncrementalReferences::IncrementalReferences(DataScript& out, const QString& prefix,
                                             const QString& GV_Version_Base)
    : out_(out), prefix_(prefix), version_(GV_Version_Base) {}

IncrementalReferences::Gained IncrementalReferences::Write(dao::Database& db, ExportGroup group,
                                                           const QString& fresh,
                                                           const QString& earlier, bool few) {
    const auto refs = few ? referenced_rows::ReadChosen(db, group, version_, fresh)
                          : referenced_rows::Read(db, group, version_, fresh);
    const auto known = referenced_rows::Held(db, group, version_, earlier, refs);
    Gained gained;

    const QString authors = AuthorsTable(group);
    ReplacingRowWriter authorWriter(out_, prefix_, authors, QStringLiteral("idauteur"));
    author_rows::ForEachAuthor(
        db, refs.authors, author_rows::AuthorIdQuery(group, version_, fresh),
        [&](const dao::RowCursor& author) {
            authorWriter.Write(author_rows::AuthorRow(authorWriter.line(), author));
            if (firstSent(authors, author) &&
                !held(known.authors, author, catalogue::auteur::IdAuteur)) {
                ++gained.authors;
            }
        });

    ReplacingRowWriter seriesWriter(out_, prefix_, SeriesTable(group), QStringLiteral("idserie"));
    series_rows::ForEachSeries(
        db, refs.series, group, version_, fresh, [&](const dao::RowCursor& series) {
            seriesWriter.Write(series_rows::SeriesRow(seriesWriter.line(), series));
            if (!held(known.series, series, catalogue::serie::IdSerie)) {
                ++gained.series;
            }
        });
    return gained;
}

// Whether this run had not sent the author to the table yet.
bool IncrementalReferences::firstSent(const QString& table, const dao::RowCursor& author) {
    using catalogue::auteur::IdAuteur;
    if (author.Type(IdAuteur) != SQLITE_INTEGER) {
        return true;
    }
    QSet<qint64>& sent = sent_[table];
    const qint64 id = author.Int(IdAuteur);
    if (sent.contains(id)) {
        return false;
    }
    sent.insert(id);
    return true;
}

qint32 IncrementalReferences::WriteSharedIdAuthors(dao::Database& db, ExportGroup group,
                                                   const QString& fresh,
                                                   const QString& otherEarlier) {
    const bool wishList = group == ExportGroup::Acheter;
    const QString own = wishList ? QStringLiteral("ACHETER") : QStringLiteral("ALBUMS");
    const QString other = wishList ? QStringLiteral("ALBUMS") : QStringLiteral("ACHETER");
    const QString table = AuthorsTable(wishList ? ExportGroup::Albums : ExportGroup::Acheter);
    const QString freshIds = QStringLiteral("SELECT %1.IdAlbum FROM %1 where ").arg(own) + fresh;
    std::vector<qint64> ids =
        sortedIds(db, QStringLiteral("SELECT COLLABORATEURS.IdAuteur FROM COLLABORATEURS where "
                                     "COLLABORATEURS.IdAlbum in (%1) and COLLABORATEURS.IdAlbum in "
                                     "(SELECT IdAlbum FROM %2)")
                          .arg(freshIds, other));
    std::erase_if(ids, [&](qint64 id) { return sent_[table].contains(id); });
    if (ids.empty()) {
        return 0;
    }
    const referenced_rows::Ids earlierAuthors = sortedIds(
        db, author_rows::AlbumAuthorIds(other, QStringLiteral("where ") + otherEarlier + u' ') +
                QStringLiteral(" and COLLABORATEURS.IdAlbum not in (") + freshIds +
                QStringLiteral(")"));

    ReplacingRowWriter writer(out_, prefix_, table, QStringLiteral("idauteur"));
    qint32 gained = 0;
    author_rows::ForEachAuthor(db, ids, QString(), [&](const dao::RowCursor& author) {
        writer.Write(author_rows::AuthorRow(writer.line(), author));
        if (firstSent(table, author) &&
            !held(earlierAuthors, author, catalogue::auteur::IdAuteur)) {
            ++gained;
        }
    });
    return gained;
}

}  // namespace kalvor
