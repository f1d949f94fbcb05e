#include "sqlscripts/collaborator_rows.h"

#include "catalogue/catalogue_schema.h"
#include "platform/dao/database.h"
#include "sqlscripts/data_script.h"
#include "sqlscripts/sql_statements.h"
#include "sqlscripts/sql_values.h"

namespace kalvor::collaborator_rows {
namespace {

bool isNull(const QVariant& value) {
    return !value.isValid() || value.isNull();
}

}  // namespace

QString LinkLine(const QString& prefix, const QVariant& idAlbum, const QVariant& idAuteur,
                 const QVariant& type) {
    return QStringLiteral("INSERT INTO ") + prefix + QStringLiteral("collaborateurs VALUES (") +
           sql::Identifier(idAlbum) + QStringLiteral(", ") + sql::Identifier(idAuteur) +
           QStringLiteral(", ") + sql::Identifier(type) + QStringLiteral(");");
}

QString ExtraCollaboratorsQuery(ExportGroup group, const QString& GV_Version_Base,
                                const QString& idAlbum) {
    const bool v6 = catalogue::IsV6(GV_Version_Base);
    QString albums;
    if (group == ExportGroup::Acheter) {
        albums = v6 ? QStringLiteral("ALBUMS a where AAcheter=1 and")
                    : QStringLiteral("ACHETER a where");
    } else {
        albums = v6 ? QStringLiteral("ALBUMS a where AAcheter = 0 and")
                    : QStringLiteral("ALBUMS a where");
    }
    return QStringLiteral(
               "select c.IdAlbum, c.IdAuteur, c.TypeCollaboration, a.IdScenariste, "
               "a.IdDessinateur, a.idColoriste from COLLABORATEURS c, ") +
           albums + QStringLiteral(" a.idalbum=c.idalbum") +
           (idAlbum.isEmpty() ? QString() : QStringLiteral(" and c.IdAlbum = ") + idAlbum) +
           QStringLiteral(" order by c.IdAlbum, c.IdAuteur, c.TypeCollaboration");
}

void LinkBuffer::Add(const QVariant& idAlbum, const QString& line) {
    lines_.emplace(idAlbum.toLongLong(), line);
}

void LinkBuffer::WriteUpTo(DataScript& out, const QVariant& last) {
    const auto end = isNull(last) ? lines_.end() : lines_.upper_bound(last.toLongLong());
    for (auto it = lines_.begin(); it != end; ++it) {
        out.Write(it->second);
    }
    lines_.erase(lines_.begin(), end);
}

QString LinkWriter::key(const QVariant& idAlbum, const QVariant& idAuteur, const QVariant& type) {
    return sql::TextForm(idAlbum) + u',' + sql::TextForm(idAuteur) + u',' + sql::TextForm(type);
}

void LinkWriter::write(const QVariant& idAlbum, const QVariant& idAuteur, const QVariant& type) {
    if (isNull(idAuteur) ||
        (!excluded_.isEmpty() && excluded_.contains(key(idAlbum, idAuteur, type)))) {
        return;
    }
    if (buffer_) {
        buffer_->Add(idAlbum, LinkLine(prefix_, idAlbum, idAuteur, type));
    } else if (out_) {
        out_->Write(LinkLine(prefix_, idAlbum, idAuteur, type));
    }
}

void LinkWriter::WriteOwnLinks(const QVariant& idAlbum, const QVariant& idScenariste,
                               const QVariant& idDessinateur, const QVariant& idColoriste) {
    if (replacing_) {
        out_->Write(sql::DeleteCollaborateurs(prefix_, idAlbum));
    }
    write(idAlbum, idScenariste, 0);
    write(idAlbum, idDessinateur, 1);
    write(idAlbum, idColoriste, 2);
}

void LinkWriter::WriteExtraCollaborators(dao::Database& db, ExportGroup group,
                                         const QString& GV_Version_Base, const QString& idAlbum) {
    auto links = db.OpenRecordset(ExtraCollaboratorsQuery(group, GV_Version_Base, idAlbum));
    QString previous;
    for (; !links->Eof(); links->MoveNext()) {
        const QVariant album = links->Fields(0);
        const QVariant author = links->Fields(1);
        const QVariant type = links->Fields(2);
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
        if (own >= 0 && !isNull(links->Fields(own)) &&
            sql::TextForm(links->Fields(own)) == sql::TextForm(author)) {
            continue;
        }
        write(album, author, type);
    }
    links->Close();
}

void LinkWriter::ExcludeCollectionLinksOfWishList(dao::Database& db, bool extras) {
    auto own = db.OpenRecordset(QStringLiteral(
        "select a.IdAlbum, a.IdScenariste, a.IdDessinateur, a.idColoriste from ALBUMS a "
        "INNER JOIN ACHETER b ON a.IdAlbum = b.IdAlbum"));
    for (; !own->Eof(); own->MoveNext()) {
        for (int type = 0; type < 3; ++type) {
            if (!isNull(own->Fields(1 + type))) {
                excluded_.insert(key(own->Fields(0), own->Fields(1 + type), type));
            }
        }
    }
    if (!extras) {
        return;
    }
    auto shared = db.OpenRecordset(QStringLiteral(
        "select c.IdAlbum, c.IdAuteur, c.TypeCollaboration from (COLLABORATEURS c INNER JOIN "
        "ALBUMS a ON c.IdAlbum = a.IdAlbum) INNER JOIN ACHETER b ON c.IdAlbum = b.IdAlbum"));
    for (; !shared->Eof(); shared->MoveNext()) {
        excluded_.insert(key(shared->Fields(0), shared->Fields(1), shared->Fields(2)));
    }
}

}  // namespace kalvor::collaborator_rows
