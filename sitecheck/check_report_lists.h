#pragma once

#include <QList>
#include <QString>

namespace kalvor::dao {
class Database;
}

namespace kalvor::site {

// One section of the printed check report: an image kind, for its files or
// for its thumbnails.
struct ReportSection {
    QString kind;  // the `type` of the work tables: "couvertures", ...
    QString type;  // "file" or "thumb"
};

// The 14 sections in print order: the seven kinds for their files, then the
// same seven for their thumbnails. Printed whichever kinds the check fetched.
const QList<ReportSection>& Report_Sections();

// A row of a section's two-column table; an empty cell prints as an empty box.
struct ReportRow {
    QString left;
    QString right;
};

// True once a check has left its work tables in the catalogue (the name is
// matched exactly, as the check creates it).
bool Check_Tables_Present(dao::Database& GV_Base_Site);

// Missing files on the left, files the catalogue does not use on the right,
// each column in name order on its own; at least one row.
QList<ReportRow> Get_Liste_Fichiers(dao::Database& GV_Base_Site, const QString& kind);

// Thumbnails with a problem: the file on the left, its problem on the right;
// at least one row.
QList<ReportRow> Get_Liste_Miniatures(dao::Database& GV_Base_Site, const QString& kind);

}  // namespace kalvor::site
