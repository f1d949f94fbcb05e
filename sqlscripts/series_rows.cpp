#include "sqlscripts/series_rows.h"

#include "catalogue/catalogue_schema.h"
#include "platform/dao/database.h"
#include "sqlscripts/data_script.h"
#include "sqlscripts/referenced_rows.h"
#include "sqlscripts/row_line.h"

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

const std::string& SeriesRow(RowLine& line, const dao::RowCursor& series) {
    using namespace catalogue::serie;
    return line.Start()
        .Identifier(series, IdSerie)
        .QuotedText(series, Titre)
        .QuotedText(series, Style)
        .Comment(series, Count)
        .QuotedText(series, Planche)
        .QuotedText(series, Internet)
        .BareValue(series, EnCours)
        .Bytes();
}

void ForEachSeries(dao::Database& db, const referenced_rows::Ids& ids, ExportGroup group,
                   const QString& GV_Version_Base, const QString& condition,
                   const std::function<void(const dao::RowCursor&)>& row) {
    referenced_rows::ForEach(
        db, ids,
        QStringLiteral("SELECT IdSerie, Titre, Style, Planche, Internet, EnCours, Commentaire"),
        QStringLiteral("SERIES"), QStringLiteral("IdSerie"),
        SeriesQuery(group, GV_Version_Base, condition), row);
}

void WriteSeries(dao::Database& db, const referenced_rows::Ids& ids, ExportGroup group,
                 const QString& GV_Version_Base, const QString& prefix, DataScript& out) {
    RowLine line(out.Utf8(), RowLine::Head(out.Utf8(), prefix, SeriesTable(group)));
    ForEachSeries(db, ids, group, GV_Version_Base, {},
                  [&](const dao::RowCursor& series) { out.WriteBytes(SeriesRow(line, series)); });
}

}  // namespace kalvor::series_rows
