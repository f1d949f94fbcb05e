#include "sitecheck/check_report_lists.h"

#include <QStringList>
#include <algorithm>

#include "platform/dao/database.h"
#include "sitecheck/site_work_tables.h"

namespace kalvor::site {
namespace {

QStringList firstColumn(dao::Database& db, const QString& sql) {
    QStringList values;
    auto rows = db.OpenRecordset(sql);
    for (; !rows->Eof(); rows->MoveNext()) {
        values << rows->Fields(0).toString();
    }
    rows->Close();
    return values;
}

}  // namespace

const QList<ReportSection>& Report_Sections() {
    static const QList<ReportSection> sections = [] {
        const QStringList kinds = {"couvertures", "versos", "dedicaces", "planches",
                                   "photos",      "parabd", "revues"};
        QList<ReportSection> list;
        for (const char* type : {"file", "thumb"}) {
            for (const QString& kind : kinds) {
                list.append({kind, QString::fromLatin1(type)});
            }
        }
        return list;
    }();
    return sections;
}

bool Check_Tables_Present(dao::Database& GV_Base_Site) {
    const dao::TableDefs tables = GV_Base_Site.TableDefs();
    for (int i = 0; i < tables.Count(); ++i) {
        if (tables.Item(i).Name() == kTableFiles) {
            return true;
        }
    }
    return false;
}

QList<ReportRow> Get_Liste_Fichiers(dao::Database& GV_Base_Site, const QString& kind) {
    const QStringList unused =
        firstColumn(GV_Base_Site, QStringLiteral("select file from ") + kTableFiles +
                                      QStringLiteral(" where key = 'EX' and type = '") + kind +
                                      QStringLiteral("' and ok = 0 order by file"));
    // Every missing name once, whatever its `ok`.
    const QStringList missing =
        firstColumn(GV_Base_Site, QStringLiteral("select file from ") + kTableFiles +
                                      QStringLiteral(" where key = 'MI' and type = '") + kind +
                                      QStringLiteral("' order by file"));
    QList<ReportRow> rows(std::max<qsizetype>({missing.size(), unused.size(), 1}));
    for (qsizetype i = 0; i < missing.size(); ++i) {
        rows[i].left = missing[i];
    }
    for (qsizetype i = 0; i < unused.size(); ++i) {
        rows[i].right = unused[i];
    }
    return rows;
}

QList<ReportRow> Get_Liste_Miniatures(dao::Database& GV_Base_Site, const QString& kind) {
    QList<ReportRow> rows;
    auto result = GV_Base_Site.OpenRecordset(QStringLiteral("select file,probleme from ") +
                                             kTableThumbs + QStringLiteral(" where type = '") +
                                             kind + QStringLiteral("' order by file"));
    for (; !result->Eof(); result->MoveNext()) {
        rows.append({result->Fields(0).toString(), result->Fields(1).toString()});
    }
    result->Close();
    if (rows.isEmpty()) {
        rows.append(ReportRow());
    }
    return rows;
}

}  // namespace kalvor::site
