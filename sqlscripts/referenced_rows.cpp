#include "sqlscripts/referenced_rows.h"

#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <optional>

#include "catalogue/catalogue_schema.h"
#include "platform/dao/database.h"
#include "platform/error.h"
#include "sqlscripts/sql_values.h"

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

// The group's items that `condition` chooses: one pass over the table, or,
// for a few chosen through keys and indexes (`few`), those alone.
void read(dao::Database& db, ExportGroup group, const QString& GV_Version_Base,
          const QString& condition, bool few, Refs& refs) {
    const bool v6 = catalogue::IsV6(GV_Version_Base);
    const auto where = [&condition](const QString& own) {
        QStringList terms;
        if (!own.isEmpty()) {
            terms << own;
        }
        if (!condition.isEmpty()) {
            terms << QStringLiteral("(") + condition + QStringLiteral(")");
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
        // The collection in one pass in the table's order: an index on the
        // condition's column would fetch the albums one by one, all of them
        // when the condition holds for all. The wish list of a newer
        // catalogue is a small part of the table, which its flag's index finds.
        const QString scan = few || (v6 && wishList) ? QString() : QStringLiteral(" NOT INDEXED");
        auto albums = db.OpenCursor(
            QStringLiteral("SELECT %1.IdDessinateur, %1.IdScenariste, %1.IdColoriste, %1.IdSerie "
                           "FROM %1%2")
                .arg(table, scan) +
            where(own));
        while (albums->Next()) {
            collect(*albums, {0, 1, 2}, refs.authors);
            collect(*albums, {3}, refs.series);
        }
        // Each link finds its album by its key: there are fewer links than
        // albums, each of which would be looked for among the links. A few
        // albums find their links instead.
        const QString join = few ? QStringLiteral(
                                       "SELECT COLLABORATEURS.IdAuteur FROM %1 INNER "
                                       "JOIN COLLABORATEURS ON %1.IdAlbum = "
                                       "COLLABORATEURS.IdAlbum")
                                 : QStringLiteral(
                                       "SELECT COLLABORATEURS.IdAuteur FROM "
                                       "COLLABORATEURS CROSS JOIN %1 ON %1.IdAlbum = "
                                       "COLLABORATEURS.IdAlbum");
        auto links = db.OpenCursor(join.arg(table) + where(own));
        while (links->Next()) {
            collect(*links, {0}, refs.authors);
        }
    }
    sortUnique(refs.authors);
    sortUnique(refs.series);
}

QString idList(const std::vector<qint64>& ids) {
    QString list;
    list.reserve(qsizetype(ids.size()) * 7);
    for (const qint64 id : ids) {
        if (!list.isEmpty()) {
            list += u',';
        }
        list += QString::number(id);
    }
    return list;
}

// The whole-number ids of the first column, sorted.
std::vector<qint64> wholeIds(dao::Database& db, const QString& sql) {
    std::vector<qint64> ids;
    auto rows = db.OpenCursor(sql);
    while (rows->Next()) {
        if (rows->Type(0) == SQLITE_INTEGER) {
            ids.push_back(rows->Int(0));
        }
    }
    std::sort(ids.begin(), ids.end());
    return ids;
}

// The row's key as a whole number, whatever its column is declared; none
// for no value. Any other value is refused: no item can name its row.
std::optional<qint64> keyOf(const dao::RowCursor& row, const QString& table, const QString& key) {
    if (row.Type(0) == SQLITE_INTEGER) {
        return row.Int(0);
    }
    const QVariant value = row.Value(0);
    if (sql::NoValue(value)) {
        return std::nullopt;
    }
    const QString text = sql::TextForm(value).trimmed();
    bool whole = false;
    qint64 id = text.toLongLong(&whole);
    if (!whole) {
        const double number = text.toDouble(&whole);
        whole = whole && number == std::trunc(number) && std::fabs(number) < 9e18;
        id = qint64(number);
    }
    if (!whole) {
        throw Error(err::TypeMismatch,
                    QStringLiteral("Incompatibilité de type (table %1, colonne %2 : « %3 »)")
                        .arg(table, key, text.left(60)));
    }
    return id;
}

}  // namespace

Refs Read(dao::Database& db, ExportGroup group, const QString& GV_Version_Base,
          const QString& condition) {
    Refs refs{std::vector<qint64>(), std::vector<qint64>()};
    read(db, group, GV_Version_Base, condition, false, refs);
    return refs;
}

Refs ReadChosen(dao::Database& db, ExportGroup group, const QString& GV_Version_Base,
                const QString& condition) {
    Refs refs{std::vector<qint64>(), std::vector<qint64>()};
    read(db, group, GV_Version_Base, condition, true, refs);
    return refs;
}

Refs Held(dao::Database& db, ExportGroup group, const QString& GV_Version_Base,
          const QString& earlier, const Refs& named) {
    const bool v6 = catalogue::IsV6(GV_Version_Base);
    const bool wishList = group == ExportGroup::Acheter;
    QString table;
    QStringList authorColumns;
    QString own;
    if (group == ExportGroup::Parabd) {
        table = v6 ? QStringLiteral("PARABD") : QStringLiteral("EXLIBRIS");
        authorColumns << (v6 ? QStringLiteral("IdAuteur") : QStringLiteral("IdDessinateur"));
    } else {
        table = !v6 && wishList ? QStringLiteral("ACHETER") : QStringLiteral("ALBUMS");
        authorColumns << QStringLiteral("IdDessinateur") << QStringLiteral("IdScenariste")
                      << QStringLiteral("IdColoriste");
        // "+": the flag's index would fetch the whole list for each id.
        if (v6) {
            own = wishList ? QStringLiteral("+ALBUMS.AAcheter = 1 and ")
                           : QStringLiteral("+ALBUMS.AAcheter = 0 and ");
        }
    }
    const QString chosen = own + QStringLiteral("(") + earlier + QStringLiteral(")");
    // One look-up per id and column, which stops at the first item found.
    const auto named_by = [&](const QString& column, const QString& outer) {
        return QStringLiteral("EXISTS (SELECT 1 FROM %1 WHERE %1.%2 = %3 and %4)")
            .arg(table, column, outer, chosen);
    };
    Refs held;
    if (named.authors) {
        held.authors.emplace();
        if (!named.authors->empty()) {
            QStringList terms;
            for (const QString& column : authorColumns) {
                terms << named_by(column, QStringLiteral("AUTEURS.IdAuteur"));
            }
            if (group != ExportGroup::Parabd) {
                terms << QStringLiteral(
                             "EXISTS (SELECT 1 FROM COLLABORATEURS INNER JOIN %1 ON %1.IdAlbum = "
                             "COLLABORATEURS.IdAlbum WHERE COLLABORATEURS.IdAuteur = "
                             "AUTEURS.IdAuteur and %2)")
                             .arg(table, chosen);
            }
            held.authors = wholeIds(
                db, QStringLiteral("SELECT AUTEURS.IdAuteur FROM AUTEURS WHERE AUTEURS.IdAuteur "
                                   "in (%1) and (%2)")
                        .arg(idList(*named.authors), terms.join(QStringLiteral(" or "))));
        }
    }
    if (named.series) {
        held.series.emplace();
        if (!named.series->empty()) {
            held.series = wholeIds(
                db,
                QStringLiteral("SELECT SERIES.IdSerie FROM SERIES WHERE SERIES.IdSerie in (%1) and "
                               "%2")
                    .arg(idList(*named.series),
                         named_by(QStringLiteral("IdSerie"), QStringLiteral("SERIES.IdSerie"))));
        }
    }
    return held;
}

void ForEach(dao::Database& db, const Ids& ids, const QString& columns, const QString& table,
             const QString& key, const QString& chosen,
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
    const QString from = columns + QStringLiteral(" from ") + table;
    const QString order = QStringLiteral(" order by ") + key;
    // A few rows are looked up by their keys, when every key is a number
    // the look-up finds (texts sort after every number).
    const bool numberKeys =
        !db.OpenCursor(QStringLiteral("SELECT %1 FROM %2 WHERE %1 >= ''").arg(key, table))->Next();
    if (numberKeys) {
        auto last = db.OpenCursor(QStringLiteral("SELECT max(rowid) FROM ") + table);
        const bool few = last->Next() && qint64(ids->size()) * 2 < last->Int(0);
        last.reset();
        if (few) {
            auto rows = db.OpenCursor(from + QStringLiteral(" where ") + key +
                                      QStringLiteral(" in (") + idList(*ids) + u')' + order);
            while (rows->Next()) {
                row(*rows);
            }
            return;
        }
    }
    auto rows = db.OpenCursor(from + order);
    while (rows->Next()) {
        const std::optional<qint64> id = keyOf(*rows, table, key);
        if (id && std::binary_search(ids->begin(), ids->end(), *id)) {
            row(*rows);
        }
    }
}

}  // namespace kalvor::referenced_rows
