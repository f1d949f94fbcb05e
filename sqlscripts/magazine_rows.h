#pragma once

#include <QString>
#include <QVariant>
#include <map>
#include <string>
#include <vector>

#include "sqlscripts/script_line.h"

namespace kalvor {
class DataScript;
class RowLine;
namespace dao {
class Database;
class RowCursor;
}  // namespace dao

// Rows of the site tables series4 (one pseudo-series per magazine title) and
// revues (the issues), both written whole from the catalogue's REVUES.
namespace magazine_rows {

// The magazine titles numbered from 1 in the order they are added. Titles
// are one when the catalogue engine finds them equal (letter case aside);
// a Null title is the empty title.
class TitleList {
  public:
    // The title's number, and true when it was new.
    std::pair<int, bool> Add(const QVariant& title);
    // The title's number; 0 when it is not in the list.
    int Find(const QVariant& title) const;
    int Count() const { return int(numbers_.size()); }

  private:
    struct JetLess {
        bool operator()(const QString& a, const QString& b) const;
    };
    std::map<QString, int, JetLess> numbers_;
};

// "INSERT INTO " prefix "series4 VALUES (" k ",'" title "','Revue',null,null,null,null);"
// with the title in column `column` of `names`.
const std::string& PseudoSeriesRow(RowLine& line, int number, const dao::RowCursor& names,
                                   int column);

// The issues: the explicit column list from REVUES in "v6" (empty serie1-4
// and sujet1-5), the table itself otherwise.
QString IssueSource(const QString& GV_Version_Base);

// Positions of the issue columns read by name.
struct IssueColumns {
    explicit IssueColumns(const dao::RowCursor& issues);
    std::vector<int> byName;
};

// The line of the issue the cursor stands on, built in `line`; idserie is
// the title's number in `titles`, null when the title is not there.
const std::string& IssueRow(RowLine& line, const dao::RowCursor& issue, const IssueColumns& columns,
                            const TitleList& titles);

// Both tables: the series4 rows of the distinct titles, then one revues row
// per issue. The DELETE lines are the caller's.
void WriteMagazines(dao::Database& db, const QString& GV_Version_Base, const QString& prefix,
                    DataScript& out);

}  // namespace magazine_rows
}  // namespace kalvor
