#include "sqlscripts/magazine_rows.h"

#include "catalogue/catalogue_schema.h"
#include "platform/dao/database.h"
#include "platform/dao/jet_text.h"
#include "sqlscripts/data_script.h"
#include "sqlscripts/row_values.h"
#include "sqlscripts/sql_statements.h"
#include "sqlscripts/sql_values.h"

namespace kalvor::magazine_rows {

bool TitleList::JetLess::operator()(const QString& a, const QString& b) const {
    return dao::jet::Compare(a, b) < 0;
}

std::pair<int, bool> TitleList::Add(const QVariant& title) {
    const auto [at, added] = numbers_.try_emplace(sql::TextForm(title), Count() + 1);
    return {at->second, added};
}

int TitleList::Find(const QVariant& title) const {
    const auto at = numbers_.find(sql::TextForm(title));
    return at == numbers_.end() ? 0 : at->second;
}

ScriptLine PseudoSeriesRow(const QString& prefix, int number, const QVariant& title) {
    return sql::InsertRow(
        prefix, QStringLiteral("series4"),
        {QString::number(number), sql::QuotedText(title), QStringLiteral("'Revue'"), sql::Null(),
         sql::Null(), sql::Null(), sql::Null()});
}

QString IssueSource(const QString& GV_Version_Base) {
    if (!catalogue::IsV6(GV_Version_Base)) {
        return QStringLiteral("REVUES");
    }
    return QStringLiteral(
        "select idRevue, NomRevue, Num, Date, Editeur, Periodicite, AuNumero, PrixAchat,Cote, "
        "Commentaire,'' as serie1, '' as serie2, '' as serie3, '' as serie4,'' as sujet1,'' as "
        "sujet2,'' as sujet3,'' as sujet4,'' as sujet5,Couverture,0 as sujetSerie1,0 as "
        "sujetSerie2,0 as sujetSerie3,0 as sujetSerie4,0 as sujetSerie5 from REVUES; ");
}

ScriptLine IssueRow(const QString& prefix, const dao::Recordset& issue, const TitleList& titles) {
    using namespace catalogue::revue;
    const int number = titles.Find(issue.Fields(NomRevue));
    const auto text = [&issue](const char* name) {
        return sql::QuotedText(issue.Fields(QString::fromLatin1(name)));
    };
    return sql::InsertRow(prefix, QStringLiteral("revues"),
                          {sql::Identifier(issue.Fields(idRevue)),
                           number > 0 ? QString::number(number) : sql::Null(),
                           sql::NumberOrNull(issue.Fields(Num)),
                           sql::QuotedDate(issue.Fields(Date)),
                           sql::QuotedText(issue.Fields(Editeur)),
                           sql::QuotedText(issue.Fields(Periodicite)),
                           text("AuNumero"),
                           sql::WholeOrNull(issue.Fields(QStringLiteral("PrixAchat"))),
                           sql::WholeOrNull(issue.Fields(QStringLiteral("Cote"))),
                           sql::Memo(sql::Escaped(issue.Fields(QStringLiteral("Commentaire")))),
                           text("Serie1"),
                           text("Serie2"),
                           text("Serie3"),
                           text("Serie4"),
                           text("Sujet1"),
                           text("Sujet2"),
                           text("Sujet3"),
                           text("Sujet4"),
                           text("Sujet5"),
                           text("Couverture")});
}

void WriteMagazines(dao::Database& db, const QString& GV_Version_Base, const QString& prefix,
                    DataScript& out) {
    TitleList titles;
    auto names = db.OpenRecordset(QStringLiteral("SELECT DISTINCT NomRevue FROM REVUES;"));
    for (; !names->Eof(); names->MoveNext()) {
        const QVariant title = names->Fields(0);
        const auto [number, added] = titles.Add(title);
        if (added) {
            out.Write(PseudoSeriesRow(prefix, number, title));
        }
    }
    names->Close();

    auto issues = db.OpenRecordset(IssueSource(GV_Version_Base));
    for (; !issues->Eof(); issues->MoveNext()) {
        out.Write(IssueRow(prefix, *issues, titles));
    }
    issues->Close();
}

}  // namespace kalvor::magazine_rows
