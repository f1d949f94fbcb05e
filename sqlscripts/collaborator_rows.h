#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QVariant>
#include <map>
#include <string>

#include "sqlscripts/export_group.h"

namespace kalvor {
class DataScript;
namespace dao {
class Database;
class RowCursor;
}  // namespace dao

// Rows of the site table collaborateurs, which links the albums of both
// collections to their authors: 0 script, 1 drawing, 2 colour.
namespace collaborator_rows {

// "INSERT INTO " prefix "collaborateurs VALUES (" album ", " author ", " type ");"
QString LinkLine(const QString& prefix, const QVariant& idAlbum, const QVariant& idAuteur,
                 const QVariant& type);

// The catalogue's COLLABORATEURS rows of the group's albums, with the
// album's own three author ids, ordered by album, author and type. A
// `condition` on the albums' table chooses a few, whose links are found
// through their keys.
QString ExtraCollaboratorsQuery(ExportGroup group, const QString& GV_Version_Base,
                                const QString& condition = {});

// Older catalogues number the wish list (ACHETER) apart from the collection
// (ALBUMS), so one id may name an album in each. The own author ids of the
// other table's albums that may share an id with the group's albums that
// `condition` chooses: IdAlbum, IdScenariste, IdDessinateur, idColoriste.
// `few`: the condition chooses a few albums, found through their keys.
QString SharedIdAlbumsQuery(ExportGroup group, const QString& condition, bool few = false);

// Refuses, naming it, a COLLABORATEURS row whose album id is a text that
// is no whole number: it would link no album, and the link be lost.
void RequireAlbumIds(dao::Database& db);

// Link lines kept back until the file that replaces their album's id range
// is being written.
class LinkBuffer {
  public:
    void Add(const QVariant& idAlbum, const std::string& line);
    // Writes, in the order they came, the lines of the albums up to `last`,
    // or every line left when `last` is Null.
    void WriteUpTo(DataScript& out, const QVariant& last = {});

  private:
    std::multimap<qint64, std::string> lines_;  // equal ids keep their order
};

// Writes the link lines of one export so that the site table, whose key is
// the whole link, never receives one twice.
class LinkWriter {
  public:
    LinkWriter(const QString& prefix, bool utf8);

    // Where the lines go; the album pass may move it between files. Without
    // a target (nor a buffer) they are dropped: another file holds them.
    void SetTarget(DataScript* out) { out_ = out; }
    // Keeps the lines back instead.
    void SetBuffer(LinkBuffer* buffer) { buffer_ = buffer; }
    // Each album first deletes the links the site holds for it: for the
    // incremental export, and for a wish list exported without the
    // collection, whose table is not emptied.
    void SetReplacing(bool replacing) { replacing_ = replacing; }

    // The own links of the album the cursor stands on (positions of
    // catalogue::album), in the order script, drawing, colour. A Null
    // author id brings no link.
    void WriteOwnLinks(const dao::RowCursor& album);
    // The extra collaborators of the group's albums, except those that
    // repeat one of the album's own links or an earlier row.
    void WriteExtraCollaborators(dao::Database& db, ExportGroup group,
                                 const QString& GV_Version_Base);
    // The same, kept by album until WriteHeldExtras writes those of an
    // album: one query instead of one for each album written.
    void HoldExtraCollaborators(dao::Database& db, ExportGroup group,
                                const QString& GV_Version_Base, const QString& condition = {});
    // Those of the album the cursor stands on.
    void WriteHeldExtras(const dao::RowCursor& album);

    // Older catalogues keep the wish list in a table of its own, whose ids
    // may repeat those of the collection: the links the collection already
    // wrote for such ids are not written again for the wish list.
    void ExcludeCollectionLinksOfWishList(dao::Database& db, bool extras);

    // Replacing an album's links deletes every link of its id, those of the
    // other table's album of that id too (SharedIdAlbumsQuery): they are
    // kept by album, and written back after the album's own and extra links.
    void HoldSharedIdLinks(dao::Database& db, const QString& sql);
    void WriteHeldSharedIdLinks(const dao::RowCursor& album);
    // Extra collaborators written later for all the albums leave out the
    // held links.
    void ExcludeHeldSharedIdLinks();

  private:
    struct Link {
        QVariant album, author, type;
    };
    // The extra links of a query, in its order, each once.
    template <typename Take>
    void readExtras(dao::Database& db, const QString& sql, Take take);
    void write(const QVariant& idAlbum, const QVariant& idAuteur, const QVariant& type);
    static QString key(const QVariant& idAlbum, const QVariant& idAuteur, const QVariant& type);
    // The held extra links of an album, if any.
    const QList<Link>* heldFor(const QVariant& idAlbum) const;

    QString prefix_;
    bool utf8_;
    std::string head_, deleteHead_;
    std::string line_;
    DataScript* out_ = nullptr;
    LinkBuffer* buffer_ = nullptr;
    bool replacing_ = false;
    QSet<QString> excluded_;
    QHash<QString, QList<Link>> held_;     // by the album id's text form
    QHash<qint64, QList<Link>> heldById_;  // instead, when every id is whole
    QHash<qint64, QList<Link>> shared_;
};

}  // namespace collaborator_rows
}  // namespace kalvor
