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
    if (!ids || ids->empty()) {
        return;
    }
    std::vector<qint64>& list = *ids;
    const auto [lowest, highest] = std::minmax_element(list.begin(), list.end());
    const qint64 low = *lowest;
    const quint64 span = quint64(*highest) - quint64(low);
    // Ids are counters, each named many times: marking them in their range
    // sorts them in one pass when the range is not much wider than the list.
    if (span < quint64(list.size()) * 8 + 4096) {
        std::vector<bool> named(size_t(span) + 1);
        for (const qint64 id : list) {
            named[size_t(quint64(id) - quint64(low))] = true;
        }
        list.clear();
        for (size_t k = 0; k < named.size(); ++k) {
            if (named[k]) {
                list.push_back(qint64(quint64(low) + k));
            }
        }
        return;
    }
    std::sort(list.begin(), list.end());
    list.erase(std::unique(list.begin(), list.end()), list.end());
}

// One pass over the group's items that `condition` chooses, and over those
// that `earlier` chooses when it is given: each row says by a last column
// whether it is one of the first (1), whose ids go to `refs`, or of the
// others (0), whose ids go to `before`; a row of neither (Null) is passed
// over. Each condition is tried once a row, the first before the second.
void read(dao::Database& db, ExportGroup group, const QString& GV_Version_Base,
          const QString& condition, const QString& earlier, Refs& refs, Refs* before) {
    const bool v6 = catalogue::IsV6(GV_Version_Base);
    const bool split = before && !earlier.isEmpty();
    const QString chosen = split ? QString() : condition;
    const QString flag =
        split
            ? QStringLiteral(", CASE WHEN (%1) THEN 1 WHEN (%2) THEN 0 END").arg(condition, earlier)
            : QString();
    const auto where = [&chosen](const QString& own) {
        QStringList terms;
        if (!own.isEmpty()) {
            terms << own;
        }
        if (!chosen.isEmpty()) {
            terms << QStringLiteral("(") + chosen + QStringLiteral(")");
        }
        return terms.isEmpty() ? QString() : QStringLiteral(" where ") + terms.join(" and ");
    };
    // The set of the row's ids: `refs` unless the flag column says otherwise.
    Refs skipped;
    const auto sets = [&](const dao::RowCursor& row, int flagColumn) -> Refs& {
        if (!split || row.Int(flagColumn) != 0) {
            return refs;
        }
        return row.IsNull(flagColumn) ? skipped : *before;
    };
    if (group == ExportGroup::Parabd) {
        const QString items =
            v6 ? QStringLiteral("SELECT PARABD.IdAuteur, PARABD.IdSerie%1 FROM PARABD")
               : QStringLiteral("SELECT EXLIBRIS.IdDessinateur, EXLIBRIS.IdSerie%1 FROM EXLIBRIS");
        auto cursor = db.OpenCursor(items.arg(flag) + where({}));
        while (cursor->Next()) {
            Refs& into = sets(*cursor, 2);
            collect(*cursor, {0}, into.authors);
            collect(*cursor, {1}, into.series);
        }
    } else {
        const bool wishList = group == ExportGroup::Acheter;
        const QString table =
            !v6 && wishList ? QStringLiteral("ACHETER") : QStringLiteral("ALBUMS");
        const QString own = !v6        ? QString()
                            : wishList ? QStringLiteral("AAcheter = 1")
                                       : QStringLiteral("AAcheter = 0");
        // The collection in one pass in the table's order: an index on the
        // condition's column would fetch the albums one by one, all of them
        // when the condition holds for all. The wish list of a newer
        // catalogue is a small part of the table, which its flag's index finds.
        const QString scan = v6 && wishList ? QString() : QStringLiteral(" NOT INDEXED");
        auto albums = db.OpenCursor(
            QStringLiteral("SELECT %1.IdDessinateur, %1.IdScenariste, %1.IdColoriste, %1.IdSerie%2 "
                           "FROM %1%3")
                .arg(table, flag, scan) +
            where(own));
        while (albums->Next()) {
            Refs& into = sets(*albums, 4);
            collect(*albums, {0, 1, 2}, into.authors);
            collect(*albums, {3}, into.series);
        }
        // Each link finds its album by its key: there are fewer links than
        // albums, each of which would be looked for among the links.
        auto links = db.OpenCursor(
            QStringLiteral("SELECT COLLABORATEURS.IdAuteur%2 FROM COLLABORATEURS CROSS JOIN %1 "
                           "ON %1.IdAlbum = COLLABORATEURS.IdAlbum")
                .arg(table, flag) +
            where(own));
        while (links->Next()) {
            collect(*links, {0}, sets(*links, 1).authors);
        }
    }
    sortUnique(refs.authors);
    sortUnique(refs.series);
    if (before) {
        sortUnique(before->authors);
        sortUnique(before->series);
    }
}

}  // namespace

Refs Read(dao::Database& db, ExportGroup group, const QString& GV_Version_Base,
          const QString& condition) {
    Refs refs{std::vector<qint64>(), std::vector<qint64>()};
    read(db, group, GV_Version_Base, condition, {}, refs, nullptr);
    return refs;
}

Refs Read(dao::Database& db, ExportGroup group, const QString& GV_Version_Base,
          const QString& condition, const QString& earlier, Refs& before) {
    Refs refs{std::vector<qint64>(), std::vector<qint64>()};
    before = Refs{std::vector<qint64>(), std::vector<qint64>()};
    read(db, group, GV_Version_Base, condition, earlier, refs, &before);
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
