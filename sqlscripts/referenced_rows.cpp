#include "sqlscripts/referenced_rows.h"

#include <sqlite3.h>

#include <algorithm>

#include "catalogue/catalogue_schema.h"
#include "platform/dao/database.h"

namespace kalvor::referenced_rows {
namespace {

// Adds the columns' ids; a value other than a whole number or Null spoils
// the set.
void collect(dao::RowCursor& items, const std::vector<int>& columns, Ids& ids) {
    if (!ids) {
        return;
    }
    for (int column : columns) {
        const int type = items.Type(column);
        if (type == SQLITE_INTEGER) {
            ids->push_back(items.Int(column));
        } else if (type != SQLITE_NULL) {
            ids.reset();
            return;
        }
    }
}

void sortUnique(Ids& ids) {
    if (ids) {
        std::sort(ids->begin(), ids->end());
        ids->erase(std::unique(ids->begin(), ids->end()), ids->end());
    }
}

}  // namespace

Refs Read(dao::Database& db, ExportGroup group, const QString& GV_Version_Base,
          const QString& condition) {
    const bool v6 = catalogue::IsV6(GV_Version_Base);
    Refs refs{std::vector<qint64>(), std::vector<qint64>()};
    const auto where = [&condition](const QString& own) {
        QStringList terms;
        if (!own.isEmpty()) {
            terms << own;
        }
        if (!condition.isEmpty()) {
            terms << condition;
        }
        return terms.isEmpty() ? QString() : QStringLiteral(" where ") + terms.join(" and ");
    };
    if (group == ExportGroup::Parabd) {
        const QString items =
            v6 ? QStringLiteral("SELECT PARABD.IdAuteur, PARABD.IdSerie FROM PARABD")
               : QStringLiteral("SELECT EXLIBRIS.IdDessinateur, EXLIBRIS.IdSerie FROM EXLIBRIS");
        auto cursor = db.OpenCursor(items + where({}));
        while (cursor->Next()) {
            collect(*cursor, {0}, refs.authors);
            collect(*cursor, {1}, refs.series);
        }
    } else {
        const bool wishList = group == ExportGroup::Acheter;
        const QString table =
            !v6 && wishList ? QStringLiteral("ACHETER") : QStringLiteral("ALBUMS");
        const QString own = !v6        ? QString()
                            : wishList ? QStringLiteral("AAcheter = 1")
                                       : QStringLiteral("AAcheter = 0");
        // One pass in the table's order: an index on the condition's column
        // would fetch the albums one by one, all of them when the condition
        // holds for all.
        auto albums = db.OpenCursor(
            QStringLiteral("SELECT %1.IdDessinateur, %1.IdScenariste, %1.IdColoriste, %1.IdSerie "
                           "FROM %1 NOT INDEXED")
                .arg(table) +
            where(own));
        while (albums->Next()) {
            collect(*albums, {0, 1, 2}, refs.authors);
            collect(*albums, {3}, refs.series);
        }
        auto links = db.OpenCursor(
            QStringLiteral("SELECT COLLABORATEURS.IdAuteur FROM %1 NOT INDEXED INNER JOIN "
                           "COLLABORATEURS ON %1.IdAlbum = COLLABORATEURS.IdAlbum")
                .arg(table) +
            where(own));
        while (links->Next()) {
            collect(*links, {0}, refs.authors);
        }
    }
    sortUnique(refs.authors);
    sortUnique(refs.series);
    return refs;
}

void ForEach(dao::Database& db, const Ids& ids, const QString& ordered, const QString& chosen,
             const std::function<void(const dao::RowCursor&)>& row) {
    if (!ids) {
        auto rows = db.OpenCursor(chosen);
        while (rows->Next()) {
            row(*rows);
        }
        return;
    }
    if (ids->empty()) {
        return;
    }
    auto rows = db.OpenCursor(ordered);
    while (rows->Next()) {
        if (rows->Type(0) == SQLITE_INTEGER &&
            std::binary_search(ids->begin(), ids->end(), rows->Int(0))) {
            row(*rows);
        }
    }
}

}  // namespace kalvor::referenced_rows
