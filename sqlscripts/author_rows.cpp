#include "sqlscripts/author_rows.h"

#include "catalogue/catalogue_schema.h"
#include "platform/dao/database.h"
#include "sqlscripts/data_script.h"
#include "sqlscripts/row_line.h"
#include "sqlscripts/sql_values.h"

namespace kalvor::author_rows {
namespace {

const QString kColumns = QStringLiteral(
    "IdAuteur, Nom, Prenom, Surnom, DateNaissance, DateDeces, Pays, Pseudo, Scenario, Dessin, "
    "Couleur, Internet");

}  // namespace

QString AlbumAuthorIds(const QString& table, const QString& where) {
    const QString albums = QStringLiteral("SELECT %1.%2 FROM %1 ") + where;
    return albums.arg(table, QStringLiteral("IdDessinateur")) + QStringLiteral("Union ") +
           albums.arg(table, QStringLiteral("IdScenariste")) + QStringLiteral("Union ") +
           albums.arg(table, QStringLiteral("IdColoriste")) + QStringLiteral("Union ") +
           QStringLiteral(
               "SELECT COLLABORATEURS.IdAuteur FROM %1 INNER JOIN COLLABORATEURS ON "
               "%1.IdAlbum = COLLABORATEURS.IdAlbum ")
               .arg(table) +
           where;
}

const std::string& AuthorRow(RowLine& line, const dao::RowCursor& author) {
    using namespace catalogue::auteur;
    return line.Start()
        .Identifier(author, IdAuteur)
        .QuotedText(author, Nom)
        .QuotedText(author, Prenom)
        .QuotedText(author, Surnom)
        .QuotedDate(author, DateNaissance)
        .QuotedDate(author, DateDeces)
        .QuotedText(author, Pays)
        .QuotedText(author, Pseudo)
        .Comment(author, Count)
        .YesNo(author, Scenario)
        .YesNo(author, Dessin)
        .YesNo(author, Couleur)
        .QuotedText(author, Internet)
        .AuthorDisplay(author, Pseudo, Nom, Prenom)
        .Bytes();
}

QString AuthorIdQuery(ExportGroup group, const QString& GV_Version_Base, const QString& condition) {
    const bool v6 = catalogue::IsV6(GV_Version_Base);
    const auto where = [&condition](const QString& own) {
        if (condition.isEmpty()) {
            return own.isEmpty() ? own : QStringLiteral("where ") + own + u' ';
        }
        return QStringLiteral("where ") +
               (own.isEmpty() ? QString() : own + QStringLiteral(" and ")) + condition + u' ';
    };
    switch (group) {
        case ExportGroup::Albums:
            return v6 ? AlbumAuthorIds(QStringLiteral("ALBUMS"),
                                       where(QStringLiteral("AAcheter = 0")))
                      : AlbumAuthorIds(QStringLiteral("ALBUMS"), where({}));
        case ExportGroup::Acheter:
            return v6 ? AlbumAuthorIds(QStringLiteral("ALBUMS"),
                                       where(QStringLiteral("AAcheter=1")))
                      : AlbumAuthorIds(QStringLiteral("ACHETER"), where({}));
        default:
            return (v6 ? QStringLiteral(
                             "SELECT distinct PARABD.IdAuteur as IdDessinateur FROM PARABD")
                       : QStringLiteral("SELECT distinct EXLIBRIS.IdDessinateur FROM EXLIBRIS")) +
                   (condition.isEmpty() ? QString() : QStringLiteral(" where ") + condition);
    }
}

QString AuthorsSource(const QString& idQuery) {
    return QStringLiteral("select ") + kColumns +
           QStringLiteral(", Commentaire from AUTEURS where IdAuteur in (") + idQuery +
           QStringLiteral(") order by IdAuteur");
}

void ForEachAuthor(dao::Database& db, const referenced_rows::Ids& ids, const QString& idQuery,
                   const std::function<void(const dao::RowCursor&)>& row) {
    referenced_rows::ForEach(
        db, ids, QStringLiteral("select ") + kColumns + QStringLiteral(", Commentaire"),
        QStringLiteral("AUTEURS"), QStringLiteral("IdAuteur"), AuthorsSource(idQuery), row);
}

void WriteAuthors(dao::Database& db, const referenced_rows::Ids& ids, const QString& idQuery,
                  const QString& prefix, const QString& table, DataScript& out,
                  const std::function<void()>& afterRow) {
    RowLine line(out.Utf8(), RowLine::Head(out.Utf8(), prefix, table));
    ForEachAuthor(db, ids, idQuery, [&](const dao::RowCursor& author) {
        out.WriteBytes(AuthorRow(line, author));
        if (afterRow) {
            afterRow();
        }
    });
}

}  // namespace kalvor::author_rows
