#pragma once

#include <QList>
#include <QString>

#include "platform/dao/table_def.h"

namespace kalvor::dao {

class Database;

// The tables of a database, in creation order (engine tables left out). A
// snapshot taken by Database::TableDefs(); Append and Delete change the
// database and the snapshot alike.
class TableDefs {
  public:
    TableDefs(Database& db, QList<TableDef> tables) : db_(&db), tables_(std::move(tables)) {}

    int Count() const { return int(tables_.size()); }
    // By position from 0; Error 3265 beyond the end.
    const TableDef& Item(int index) const;
    // By name without case; Error 3265 when there is none.
    const TableDef& Item(const QString& name) const;
    const TableDef& operator[](int index) const { return Item(index); }
    bool Contains(const QString& name) const;

    // Creates the table with its fields in order. Error 3010 when it exists.
    void Append(const TableDef& table);
    // Drops the table (DROP TABLE). Error 3265 when it does not exist.
    void Delete(const QString& name);

  private:
    Database* db_;
    QList<TableDef> tables_;
};

}  // namespace kalvor::dao
