#include "sqlscripts/series_rows.h"

#include "catalogue/catalogue_schema.h"
#include "platform/dao/database.h"
#include "sqlscripts/data_script.h"
#include "sqlscripts/memo_text.h"
#include "sqlscripts/sql_statements.h"
#include "sqlscripts/sql_values.h"

namespace kalvor::series_rows {

QString SeriesQuery(ExportGroup group, const QString& GV_Version_Base, const QString& condition) {
    const bool v6 = catalogue::IsV6(GV_Version_Base);
    QString items;
    switch (group) {
        case ExportGroup::Albums:
            items = v6 ? QStringLiteral("ALBUMS where AAcheter = 0") : QStringLiteral("ALBUMS");
            break;
        case ExportGroup::Acheter:
            items = v6 ? QStringLiteral("ALBUMS where AAcheter = 1") : QStringLiteral("ACHETER");
            break;
        default:
            items = v6 ? QStringLiteral("PARABD") : QStringLiteral("EXLIBRIS");
    }
    if (!condition.isEmpty()) {
        items += (items.contains(QStringLiteral(" where ")) ? QStringLiteral(" and ")
                                                            : QStringLiteral(" where ")) +
                 condition;
    }
    // Each series once without sorting the items: the comment comes with it.
    return QStringLiteral(
               "SELECT IdSerie, Titre, Style, Planche, Internet, EnCours, Commentaire FROM "
               "SERIES where IdSerie in (SELECT IdSerie FROM ") +
           items + QStringLiteral(") order by IdSerie;");
}

ScriptLine SeriesRow(dao::Database& db, const QString& prefix, const QString& table,
                     const dao::Recordset& series) {
    using namespace catalogue::serie;
    const QString id = sql::Identifier(series.Fields(IdSerie));
    const QString comment = series.FieldCount() > Count
                                ? sql::Escaped(series.Fields(Count))
                                : memo_text::GetCommentaire(db, QStringLiteral("SERIES"),
                                                            QStringLiteral("IdSerie"), id);
    return sql::InsertRow(
        prefix, table,
        {id, sql::QuotedText(series.Fields(Titre)), sql::QuotedText(series.Fields(Style)),
         sql::Memo(comment), sql::QuotedText(series.Fields(Planche)),
         sql::QuotedText(series.Fields(Internet)), sql::BareValue(series.Fields(EnCours))});
}

void WriteSeries(dao::Database& db, ExportGroup group, const QString& GV_Version_Base,
                 const QString& prefix, DataScript& out) {
    auto series = db.OpenRecordset(SeriesQuery(group, GV_Version_Base));
    const QString table = SeriesTable(group);
    for (; !series->Eof(); series->MoveNext()) {
        out.Write(SeriesRow(db, prefix, table, *series));
    }
    series->Close();
}

}  // namespace kalvor::series_rows
