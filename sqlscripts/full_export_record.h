#pragma once

#include <QDate>
#include <QString>
#include <optional>

namespace kalvor {

struct ExportMarks;

// What the last full export of each group sent, kept in the settings file
// beside the marks ("lastfull") and written with them, under the export
// folder's lock, as that export's set comes in: the marks it left for its
// groups. Only a full export moves it. The incremental export sends
// everything above it, so that its newest script alone, loaded after the
// full export's scripts, brings the site to the catalogue whatever ran or
// was loaded between; the script files themselves say nothing.
struct FullExportRecord {
    // A group with nothing recorded was never sent by a full export.
    std::optional<QDate> collection;
    std::optional<qint32> wishList, magazines, collectibles;

    // An entry that cannot be read counts as never sent: the group then goes
    // whole, which loses nothing.
    static FullExportRecord Read(const QString& text);
    QString Text() const;
    // The groups a full export sent take its marks; the others keep theirs.
    void Take(const ExportMarks& marks);
};

}  // namespace kalvor
