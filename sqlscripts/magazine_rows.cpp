#include "sqlscripts/magazine_rows.h"

#include "catalogue/catalogue_schema.h"
#include "platform/dao/database.h"
#include "platform/dao/jet_text.h"
#include "sqlscripts/data_script.h"
#include "sqlscripts/row_line.h"
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

const std::string& PseudoSeriesRow(RowLine& line, int number, const dao::RowCursor& names,
                                   int column) {
    return line.Start()
        .Value(number)
        .QuotedText(names, column)
        .Value(QStringLiteral("'Revue'"))
        .Value(sql::Null())
        .Value(sql::Null())
        .Value(sql::Null())
        .Value(sql::Null())
        .Bytes();
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

IssueColumns::IssueColumns(const dao::RowCursor& issues) {
    for (const char* name :
         {"AuNumero", "PrixAchat", "Cote", "Commentaire", "Serie1", "Serie2", "Serie3", "Serie4",
          "Sujet1", "Sujet2", "Sujet3", "Sujet4", "Sujet5", "Couverture"}) {
        byName.push_back(issues.IndexOf(QString::fromLatin1(name)));
    }
}

const std::string& IssueRow(RowLine& line, const dao::RowCursor& issue, const IssueColumns& columns,
                            const TitleList& titles) {
    using namespace catalogue::revue;
    const int number = titles.Find(issue.Value(NomRevue));
    const std::vector<int>& at = columns.byName;
    line.Start().Identifier(issue, idRevue);
    if (number > 0) {
        line.Value(number);
    } else {
        line.Value(sql::Null());
    }
    line.NumberOrNull(issue, Num)
        .QuotedDate(issue, Date)
        .QuotedText(issue, Editeur)
        .QuotedText(issue, Periodicite)
        .QuotedText(issue, at[0])
        .WholeOrNull(issue, at[1])
        .WholeOrNull(issue, at[2])
        .Comment(issue, at[3]);
    for (size_t k = 4; k < at.size(); ++k) {
        line.QuotedText(issue, at[k]);
    }
    return line.Bytes();
}

void WriteMagazines(dao::Database& db, const QString& GV_Version_Base, const QString& prefix,
                    DataScript& out) {
    TitleList titles;
    auto names = db.OpenCursor(QStringLiteral("SELECT DISTINCT NomRevue FROM REVUES;"));
    RowLine series(out.Utf8(), RowLine::Head(out.Utf8(), prefix, QStringLiteral("series4")));
    while (names->Next()) {
        const auto [number, added] = titles.Add(names->Value(0));
        if (added) {
            out.WriteBytes(PseudoSeriesRow(series, number, *names, 0));
        }
    }
    names.reset();

    auto issues = db.OpenCursor(IssueSource(GV_Version_Base));
    const IssueColumns columns(*issues);
    RowLine line(out.Utf8(), RowLine::Head(out.Utf8(), prefix, QStringLiteral("revues")));
    while (issues->Next()) {
        out.WriteBytes(IssueRow(line, *issues, columns, titles));
    }
}

}  // namespace kalvor::magazine_rows
