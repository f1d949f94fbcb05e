#pragma once

#include <QString>
#include <QVariant>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/dao/field_value.h"

struct sqlite3_stmt;

namespace kalvor::dao {

class Connection;

// The rows of a query read one at a time, for the exports: nothing is kept
// but the current row, and its values are read where the engine holds them.
// Value() gives what a Recordset would give for the same column.
class RowCursor {
  public:
    RowCursor(std::shared_ptr<Connection> connection, const QString& sql);
    ~RowCursor();
    RowCursor(const RowCursor&) = delete;
    RowCursor& operator=(const RowCursor&) = delete;

    // Steps to the next row; false past the last one.
    bool Next();

    int FieldCount() const { return int(kinds_.size()); }
    // Position of a column, found without case; Error 3265 when missing.
    int IndexOf(const QString& name) const;
    // The column's kind, from its declared type.
    fieldvalue::Kind Kind(int column) const { return kinds_[column]; }
    // The engine's storage class of the current value (SQLITE_INTEGER...).
    int Type(int column) const;
    bool IsNull(int column) const;
    qint64 Int(int column) const;
    double Double(int column) const;
    // A text value's UTF-8 bytes, valid until the next step.
    std::string_view Utf8(int column) const;
    QVariant Value(int column) const;
    // Where a column's values come from, to name them: the table, "" for a
    // computed column; the table's own column name, else the query's.
    QString TableOf(int column) const;
    QString ColumnOf(int column) const;

  private:
    std::shared_ptr<Connection> connection_;
    sqlite3_stmt* stmt_ = nullptr;
    QString sql_;
    std::vector<fieldvalue::Kind> kinds_;
    QStringList names_;
};

}  // namespace kalvor::dao
