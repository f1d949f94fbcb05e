#include "sqlscripts/author_rows.h"

#include "catalogue/catalogue_schema.h"
#include "platform/dao/database.h"
#include "sqlscripts/data_script.h"
#include "sqlscripts/memo_text.h"
#include "sqlscripts/sql_statements.h"
#include "sqlscripts/sql_values.h"

namespace kalvor::author_rows {
namespace {

const QString kColumns = QStringLiteral(
    "IdAuteur, Nom, Prenom, Surnom, DateNaissance, DateDeces, Pays, Pseudo, Scenario, Dessin, "
    "Couleur, Internet");

QString albumIds(const QString& table, const QString& where) {
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

}  // namespace

QString AuthorQuery(const QVariant& id) {
    return QStringLiteral("select ") + kColumns +
           QStringLiteral(" from AUTEURS where IdAuteur = ") + sql::Identifier(id);
}

ScriptLine AuthorRow(dao::Database& db, const QString& prefix, const QString& table,
                     const dao::Recordset& author) {
    using namespace catalogue::auteur;
    const QString id = sql::Identifier(author.Fields(IdAuteur));
    const QString comment = author.FieldCount() > Count
                                ? sql::Escaped(author.Fields(Count))
                                : memo_text::GetCommentaire(db, QStringLiteral("AUTEURS"),
                                                            QStringLiteral("IdAuteur"), id);
    return sql::InsertRow(
        prefix, table,
        {id, sql::QuotedText(author.Fields(Nom)), sql::QuotedText(author.Fields(Prenom)),
         sql::QuotedText(author.Fields(Surnom)), sql::QuotedDate(author.Fields(DateNaissance)),
         sql::QuotedDate(author.Fields(DateDeces)), sql::QuotedText(author.Fields(Pays)),
         sql::QuotedText(author.Fields(Pseudo)), sql::Memo(comment),
         sql::YesNo(author.Fields(Scenario)), sql::YesNo(author.Fields(Dessin)),
         sql::YesNo(author.Fields(Couleur)), sql::QuotedText(author.Fields(Internet)),
         sql::AuthorDisplay(author.Fields(Pseudo), author.Fields(Nom), author.Fields(Prenom))});
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
            return v6 ? albumIds(QStringLiteral("ALBUMS"), where(QStringLiteral("AAcheter = 0")))
                      : albumIds(QStringLiteral("ALBUMS"), where({}));
        case ExportGroup::Acheter:
            return v6 ? albumIds(QStringLiteral("ALBUMS"), where(QStringLiteral("AAcheter=1")))
                      : albumIds(QStringLiteral("ACHETER"), where({}));
        default:
            return (v6 ? QStringLiteral(
                             "SELECT distinct PARABD.IdAuteur as IdDessinateur FROM PARABD")
                       : QStringLiteral("SELECT distinct EXLIBRIS.IdDessinateur FROM EXLIBRIS")) +
                   (condition.isEmpty() ? QString() : QStringLiteral(" where ") + condition);
    }
}

std::unique_ptr<dao::Recordset> OpenAuthors(dao::Database& db, const QString& idQuery) {
    return db.OpenRecordset(QStringLiteral("select ") + kColumns +
                            QStringLiteral(", Commentaire from AUTEURS where IdAuteur in (") +
                            idQuery + QStringLiteral(") order by IdAuteur"));
}

void WriteAuthors(dao::Database& db, dao::Recordset& authors, const QString& prefix,
                  const QString& table, DataScript& out, const std::function<void()>& afterRow) {
    if (authors.RecordCount() == 0) {
        return;
    }
    for (authors.MoveFirst(); !authors.Eof(); authors.MoveNext()) {
        out.Write(AuthorRow(db, prefix, table, authors));
        if (afterRow) {
            afterRow();
        }
    }
}

}  // namespace kalvor::author_rows
