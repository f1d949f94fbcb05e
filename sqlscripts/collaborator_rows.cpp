#include "sqlscripts/collaborator_rows.h"

#include <algorithm>
#include <charconv>
#include <utility>

#include <sqlite3.h>

#include "catalogue/catalogue_schema.h"
#include "platform/dao/database.h"
#include "platform/error.h"
#include "sqlscripts/data_script.h"
#include "sqlscripts/script_text.h"
#include "sqlscripts/sql_statements.h"
#include "sqlscripts/sql_values.h"

namespace kalvor::collaborator_rows {
namespace {

bool isNull(const QVariant& value) {
    return !value.isValid() || value.isNull();
}

bool isWhole(const QVariant& value) {
    return value.typeId() == QMetaType::Int || value.typeId() == QMetaType::LongLong;
}

// The number an isWhole value holds, read in place: a conversion costs more
// than the line it goes into.
qint64 wholeOf(const QVariant& value) {
    return value.typeId() == QMetaType::Int ? *static_cast<const int*>(value.constData())
                                            : *static_cast<const qlonglong*>(value.constData());
}

script_text::Encoding encodingOf(bool utf8) {
    return utf8 ? script_text::Encoding::Utf8 : script_text::Encoding::Cp1252;
}

// sql::Identifier of the value, whole numbers the site's columns hold
// without a detour.
void appendIdentifier(std::string& out, const QVariant& value, bool utf8) {
    if (isWhole(value)) {
        const qint64 n = wholeOf(value);
        if (sql::FitsSiteRange(double(n))) {
            char digits[24];
            const auto end = std::to_chars(digits, digits + sizeof digits, n).ptr;
            out.append(digits, end - digits);
            return;
        }
    }
    script_text::Append(out, sql::Identifier(value), false, encodingOf(utf8));
}

std::string encoded(const QString& text, bool utf8) {
    std::string bytes;
    script_text::Append(bytes, text, false, encodingOf(utf8));
    return bytes;
}

}  // namespace

QString LinkLine(const QString& prefix, const QVariant& idAlbum, const QVariant& idAuteur,
                 const QVariant& type) {
    return QStringLiteral("INSERT INTO ") + prefix + QStringLiteral("collaborateurs VALUES (") +
           sql::Identifier(idAlbum) + QStringLiteral(", ") + sql::Identifier(idAuteur) +
           QStringLiteral(", ") + sql::Identifier(type) + QStringLiteral(");");
}

QString ExtraCollaboratorsQuery(ExportGroup group, const QString& GV_Version_Base,
                                const QString& condition) {
    const bool v6 = catalogue::IsV6(GV_Version_Base);
    if (!condition.isEmpty()) {
        const QString table = !v6 && group == ExportGroup::Acheter ? QStringLiteral("ACHETER")
                                                                   : QStringLiteral("ALBUMS");
        const QString own = !v6                             ? QString()
                            : group == ExportGroup::Acheter ? QStringLiteral("AAcheter=1 and ")
                                                            : QStringLiteral("AAcheter=0 and ");
        return QStringLiteral(
                   "select c.IdAlbum, c.IdAuteur, c.TypeCollaboration, %1.IdScenariste, "
                   "%1.IdDessinateur, %1.idColoriste from %1 INNER JOIN COLLABORATEURS c ON "
                   "%1.IdAlbum = c.IdAlbum where %2(%3) order by c.IdAlbum, c.IdAuteur, "
                   "c.TypeCollaboration")
            .arg(table, own, condition);
    }
    QString albums;
    if (group == ExportGroup::Acheter) {
        albums = v6 ? QStringLiteral("ALBUMS a where AAcheter=1 and")
                    : QStringLiteral("ACHETER a where");
    } else {
        albums = v6 ? QStringLiteral("ALBUMS a where AAcheter = 0 and")
                    : QStringLiteral("ALBUMS a where");
    }
    // Each link of the collection finds its album by its key, rather than
    // most albums, through their flag's index, looking for their links.
    const QString join =
        group == ExportGroup::Acheter ? QStringLiteral(", ") : QStringLiteral(" CROSS JOIN ");
    return QStringLiteral(
               "select c.IdAlbum, c.IdAuteur, c.TypeCollaboration, a.IdScenariste, "
               "a.IdDessinateur, a.idColoriste from COLLABORATEURS c") +
           join + albums +
           QStringLiteral(
               " a.idalbum=c.idalbum order by c.IdAlbum, c.IdAuteur, c.TypeCollaboration");
}

QString SharedIdAlbumsQuery(ExportGroup group, const QString& condition, bool few) {
    const QString columns = QStringLiteral("IdAlbum, IdScenariste, IdDessinateur, idColoriste");
    if (group != ExportGroup::Acheter && few && !condition.isEmpty()) {
        return QStringLiteral(
                   "select ACHETER.IdAlbum, ACHETER.IdScenariste, ACHETER.IdDessinateur, "
                   "ACHETER.idColoriste from ALBUMS INNER JOIN ACHETER ON ACHETER.IdAlbum = "
                   "ALBUMS.IdAlbum where ") +
               condition;
    }
    if (group != ExportGroup::Acheter) {
        // The wish list is read whole: a join would fetch the collection's
        // albums one by one through the condition's index.
        return QStringLiteral("select ") + columns + QStringLiteral(" from ACHETER");
    }
    QString sql = QStringLiteral(
        "select o.IdAlbum, o.IdScenariste, o.IdDessinateur, o.idColoriste from ALBUMS o "
        "INNER JOIN ACHETER ON o.IdAlbum = ACHETER.IdAlbum");
    if (!condition.isEmpty()) {
        sql += QStringLiteral(" where ") + condition;
    }
    return sql;
}

void RequireAlbumIds(dao::Database& db) {
    // Texts sort after every number: found at once through an index.
    auto texts = db.OpenCursor(
        QStringLiteral("select IdAlbum, IdAuteur from COLLABORATEURS where IdAlbum >= ''"));
    while (texts->Next()) {
        const QVariant album = texts->Value(0);
        if (sql::NoValue(album)) {
            continue;
        }
        bool whole = false;
        sql::TextForm(album).trimmed().toLongLong(&whole);
        if (!whole) {
            throw Error(err::TypeMismatch,
                        QStringLiteral("Incompatibilité de type (table COLLABORATEURS, IdAuteur "
                                       "%1, colonne IdAlbum : « %2 »)")
                            .arg(sql::TextForm(texts->Value(1)), sql::TextForm(album).left(60)));
        }
    }
}

void LinkBuffer::Add(const QVariant& idAlbum, const std::string& line) {
    lines_.emplace(idAlbum.toLongLong(), line);
}

void LinkBuffer::WriteUpTo(DataScript& out, const QVariant& last) {
    const auto end = isNull(last) ? lines_.end() : lines_.upper_bound(last.toLongLong());
    for (auto it = lines_.begin(); it != end; ++it) {
        out.WriteBytes(it->second);
    }
    lines_.erase(lines_.begin(), end);
}

LinkWriter::LinkWriter(const QString& prefix, bool utf8)
    : prefix_(prefix),
      utf8_(utf8),
      head_(encoded(
          QStringLiteral("INSERT INTO ") + prefix + QStringLiteral("collaborateurs VALUES ("),
          utf8)),
      deleteHead_(encoded(QStringLiteral("DELETE FROM ") + prefix +
                              QStringLiteral("collaborateurs where idalbum = "),
                          utf8)) {}

QString LinkWriter::key(const QVariant& idAlbum, const QVariant& idAuteur, const QVariant& type) {
    return sql::TextForm(idAlbum) + u',' + sql::TextForm(idAuteur) + u',' + sql::TextForm(type);
}

namespace {

// A value the site cannot hold is named where the catalogue has it: an
// album's own authors are checked by its row, so the extra ones.
[[noreturn]] void refuse(const Error& e, const QVariant& idAlbum, const QVariant& idAuteur,
                         const QVariant& type) {
    const std::pair<const QVariant*, const char*> values[] = {
        {&idAlbum, "IdAlbum"}, {&idAuteur, "IdAuteur"}, {&type, "TypeCollaboration"}};
    for (const auto& [value, column] : values) {
        try {
            sql::Identifier(*value);
        } catch (const Error&) {
            throw Error(e.Number(),
                        e.Description() + QStringLiteral(" (table COLLABORATEURS, IdAlbum %1, "
                                                         "colonne %2 : « %3 »)")
                                              .arg(sql::TextForm(idAlbum), QLatin1String(column),
                                                   sql::TextForm(*value).left(60)));
        }
    }
    throw e;
}

}  // namespace

void LinkWriter::write(const QVariant& idAlbum, const QVariant& idAuteur, const QVariant& type) {
    if (isNull(idAuteur) ||
        (!excluded_.isEmpty() && excluded_.contains(key(idAlbum, idAuteur, type)))) {
        return;
    }
    if (!buffer_ && !out_) {
        return;
    }
    line_ = head_;
    try {
        appendIdentifier(line_, idAlbum, utf8_);
        line_.append(", ", 2);
        appendIdentifier(line_, idAuteur, utf8_);
        line_.append(", ", 2);
        appendIdentifier(line_, type, utf8_);
    } catch (const Error& e) {
        refuse(e, idAlbum, idAuteur, type);
    }
    line_.append(");", 2);
    if (buffer_) {
        buffer_->Add(idAlbum, line_);
    } else {
        out_->WriteBytes(line_);
    }
}

void LinkWriter::WriteOwnLinks(const dao::RowCursor& album) {
    using namespace catalogue::album;
    const QVariant id = album.Value(IdAlbum);
    if (replacing_) {
        line_ = deleteHead_;
        appendIdentifier(line_, id, utf8_);
        line_ += ';';
        out_->WriteBytes(line_);
    }
    write(id, album.Value(IdScenariste), 0);
    write(id, album.Value(IdDessinateur), 1);
    write(id, album.Value(idColoriste), 2);
}

template <typename Take>
void LinkWriter::readExtras(dao::Database& db, const QString& sql, Take take) {
    auto links = db.OpenCursor(sql);
    QString previous;
    while (links->Next()) {
        const QVariant album = links->Value(0);
        const QVariant author = links->Value(1);
        const QVariant type = links->Value(2);
        if (isNull(album) || isNull(author) || isNull(type)) {
            continue;
        }
        const QString k = key(album, author, type);
        if (k == previous) {
            continue;
        }
        previous = k;
        // Types 0, 1 and 2 are also the album's own links of that role.
        const QString t = sql::TextForm(type);
        const int own = t == u"0" ? 3 : t == u"1" ? 4 : t == u"2" ? 5 : -1;
        if (own >= 0) {
            const QVariant ownId = links->Value(own);
            if (!isNull(ownId) && sql::TextForm(ownId) == sql::TextForm(author)) {
                continue;
            }
        }
        take(Link{album, author, type});
    }
}

void LinkWriter::WriteExtraCollaborators(dao::Database& db, ExportGroup group,
                                         const QString& GV_Version_Base) {
    readExtras(db, ExtraCollaboratorsQuery(group, GV_Version_Base),
               [this](const Link& link) { write(link.album, link.author, link.type); });
}

void LinkWriter::HoldExtraCollaborators(dao::Database& db, ExportGroup group,
                                        const QString& GV_Version_Base, const QString& condition) {
    held_.clear();
    heldById_.clear();
    QList<Link> links;
    bool whole = true;
    readExtras(db, ExtraCollaboratorsQuery(group, GV_Version_Base, condition),
               [&](const Link& link) {
                   whole = whole && isWhole(link.album);
                   links.append(link);
               });
    // Whole-number album ids, as AutoNumber gives them, are looked up as
    // numbers: the text form of every album written would cost more than
    // the links themselves.
    for (const Link& link : std::as_const(links)) {
        if (whole) {
            heldById_[wholeOf(link.album)].append(link);
        } else {
            held_[sql::TextForm(link.album)].append(link);
        }
    }
}

const QList<LinkWriter::Link>* LinkWriter::heldFor(const QVariant& idAlbum) const {
    if (!heldById_.isEmpty()) {
        qint64 id = 0;
        if (isWhole(idAlbum)) {
            id = wholeOf(idAlbum);
        } else {
            // Another form of the id finds the links whose text it shares.
            const QString text = sql::TextForm(idAlbum);
            bool ok = false;
            id = text.toLongLong(&ok);
            if (!ok || QString::number(id) != text) {
                return nullptr;
            }
        }
        const auto at = heldById_.constFind(id);
        return at == heldById_.constEnd() ? nullptr : &*at;
    }
    const auto at = held_.constFind(sql::TextForm(idAlbum));
    return at == held_.constEnd() ? nullptr : &*at;
}

void LinkWriter::WriteHeldExtras(const dao::RowCursor& album) {
    using namespace catalogue::album;
    if (held_.isEmpty() && heldById_.isEmpty()) {
        return;
    }
    const QList<Link>* links = nullptr;
    const auto kind = album.Kind(IdAlbum);
    if (!heldById_.isEmpty() && album.Type(IdAlbum) == SQLITE_INTEGER &&
        (kind == dao::fieldvalue::Kind::Integer || kind == dao::fieldvalue::Kind::Untyped)) {
        const auto at = heldById_.constFind(album.Int(IdAlbum));
        links = at == heldById_.constEnd() ? nullptr : &*at;
    } else {
        links = heldFor(album.Value(IdAlbum));
    }
    if (links) {
        for (const Link& link : *links) {
            write(link.album, link.author, link.type);
        }
    }
}

void LinkWriter::ExcludeCollectionLinksOfWishList(dao::Database& db, bool extras) {
    // The owned albums whose ids the wish list repeats.
    auto own = db.OpenCursor(SharedIdAlbumsQuery(ExportGroup::Acheter, {}));
    while (own->Next()) {
        for (int type = 0; type < 3; ++type) {
            if (!own->IsNull(1 + type)) {
                excluded_.insert(key(own->Value(0), own->Value(1 + type), type));
            }
        }
    }
    if (!extras) {
        return;
    }
    auto shared = db.OpenCursor(QStringLiteral(
        "select c.IdAlbum, c.IdAuteur, c.TypeCollaboration from (COLLABORATEURS c INNER JOIN "
        "ALBUMS a ON c.IdAlbum = a.IdAlbum) INNER JOIN ACHETER b ON c.IdAlbum = b.IdAlbum"));
    while (shared->Next()) {
        excluded_.insert(key(shared->Value(0), shared->Value(1), shared->Value(2)));
    }
}

void LinkWriter::HoldSharedIdLinks(dao::Database& db, const QString& sql) {
    shared_.clear();
    auto albums = db.OpenCursor(sql);
    while (albums->Next()) {
        // Album ids are whole numbers (AutoNumber).
        if (albums->Type(0) != SQLITE_INTEGER) {
            continue;
        }
        QList<Link>& links = shared_[albums->Int(0)];
        for (int type = 0; type < 3; ++type) {
            if (!albums->IsNull(1 + type)) {
                links.append(Link{albums->Value(0), albums->Value(1 + type), type});
            }
        }
    }
}

void LinkWriter::WriteHeldSharedIdLinks(const dao::RowCursor& album) {
    using namespace catalogue::album;
    if (shared_.isEmpty() || album.Type(IdAlbum) != SQLITE_INTEGER) {
        return;
    }
    const auto at = shared_.constFind(album.Int(IdAlbum));
    if (at == shared_.constEnd()) {
        return;
    }
    // The site's key is the whole link: one the album wrote is not repeated.
    const auto same = [](const Link& a, const Link& b) {
        return sql::TextForm(a.author) == sql::TextForm(b.author) &&
               sql::TextForm(a.type) == sql::TextForm(b.type);
    };
    const QVariant id = album.Value(IdAlbum);
    const QList<Link>* held = heldFor(id);
    const QList<Link> extras = held ? *held : QList<Link>();
    const int ownColumns[] = {IdScenariste, IdDessinateur, idColoriste};
    for (const Link& link : *at) {
        const QVariant own = album.Value(ownColumns[link.type.toInt()]);
        if (!isNull(own) && same(link, Link{id, own, link.type})) {
            continue;
        }
        if (std::any_of(extras.begin(), extras.end(),
                        [&](const Link& extra) { return same(link, extra); })) {
            continue;
        }
        write(id, link.author, link.type);
    }
}

void LinkWriter::ExcludeHeldSharedIdLinks() {
    for (const QList<Link>& links : std::as_const(shared_)) {
        for (const Link& link : links) {
            excluded_.insert(key(link.album, link.author, link.type));
        }
    }
}

}  // namespace kalvor::collaborator_rows
