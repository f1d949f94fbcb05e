#pragma once

#include <QHash>
#include <QSet>
#include <QString>

#include "sqlscripts/export_group.h"

namespace kalvor {

class DataScript;
namespace dao {
class Database;
class RowCursor;
}  // namespace dao

// The authors and series that an incremental export sends with each
// group's new items. What an earlier item names may never have reached the
// site (an album added undated, or with a purchase date already past): each
// row replaces the site's copy, if any. The counts are of what the site
// gains: rows that no earlier item names, an author sent to one table by two
// groups counted once.
class IncrementalReferences {
  public:
    IncrementalReferences(DataScript& out, const QString& prefix, const QString& GV_Version_Base);

    struct Gained {
        qint32 series = 0, authors = 0;
    };

    // Every author the group's new items (`fresh`) name, as writer, artist,
    // colourist or through COLLABORATEURS, and every series they belong to;
    // `earlier` chooses the items the site held already. `few`: the new
    // items are found through keys and indexes, not in a pass over all.
    Gained Write(dao::Database& db, ExportGroup group, const QString& fresh, const QString& earlier,
                 bool few);

    // In an older catalogue a COLLABORATEURS row names an album id, which
    // may be a collection album's and a wish-list album's at once: the site
    // shows it on both cards, and a full export sends its author with both
    // lists. The rows of the group's new albums (`fresh`) that name an album
    // of the other list send their authors to the other list's table too.
    // Counted when the other list's earlier albums (`otherEarlier`) do not
    // name them: these very rows, which the catalogue cannot date, are taken
    // as new with their new album. Returns the authors counted.
    qint32 WriteSharedIdAuthors(dao::Database& db, ExportGroup group, const QString& fresh,
                                const QString& otherEarlier);

  private:
    bool firstSent(const QString& table, const dao::RowCursor& author);

    DataScript& out_;
    QString prefix_, version_;
    QHash<QString, QSet<qint64>> sent_;  // author ids sent, by table
};

}  // namespace kalvor
