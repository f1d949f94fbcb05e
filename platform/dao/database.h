#pragma once

#include <QString>
#include <QVariant>
#include <memory>

#include "platform/dao/recordset.h"
#include "platform/dao/row_cursor.h"
#include "platform/dao/table_def.h"
#include "platform/dao/table_defs.h"

namespace kalvor::dao {

// An open catalogue or work database. The SQL it takes is Jet's (translated
// for the engine): #m/d/yyyy# dates, like with * and ?, lcase/ucase/mid/left/
// right/len/iif, Union, INNER JOIN, double-quoted texts, names in any case,
// text compared and sorted without regard to case, accents kept.
class Database {
  public:
    class Impl;
    explicit Database(std::unique_ptr<Impl> impl);
    ~Database();  // closes
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // A SELECT statement or a table's name alone (then the table's own column
    // order, and the recordset may add, edit and delete rows).
    std::unique_ptr<Recordset> OpenRecordset(const QString& sqlOrTableName);
    // A SELECT statement (or a table's name) read row by row, for whole-table
    // passes.
    std::unique_ptr<RowCursor> OpenCursor(const QString& select);
    // Runs an action statement (UPDATE, DELETE, INSERT, CREATE, DROP, ALTER).
    void Execute(const QString& sql);
    // Rows changed by the last Execute.
    long RecordsAffected() const;

    dao::TableDefs TableDefs();
    TableDef CreateTableDef(const QString& name) const { return TableDef(name); }
    Field CreateField(const QString& name, FieldType type, int size = 0) const {
        return Field{name, type, size};
    }

    // Runs SQLite statements as they are, several at once (building test and
    // benchmark catalogues from scripts). Not for Jet SQL.
    void ExecuteScript(const QString& sqliteScript);
    // Writes the database whole into `path` (absent or an empty file), as it
    // stands after its last complete write. A write that fails names `path`.
    void CopyTo(const QString& path);
    // Runs one SQLite statement, not Jet SQL, once per list of values bound
    // in order to its parameters: texts, numbers, Yes/No as -1 / 0, dates in
    // their stored form, Null. One preparation for many rows; RecordsAffected
    // then counts them all.
    void ExecuteBound(const QString& sqliteStatement, const QList<QVariantList>& rows);
    // Stores the rows of a SELECT statement (Jet SQL), the same rows in the
    // same order as its recordset reads them, through `sqliteInsert`, an
    // "INSERT INTO table (columns)" of SQLite. Returns their number.
    long InsertSelect(const QString& sqliteInsert, const QString& jetSelect);

    // Every read from now until Close sees the database as it stands now,
    // whatever another process writes meanwhile (which waits for Close, or
    // is not seen). An Access file's copy changes only here: nothing to do.
    void HoldView();
    // True for an Access file read into memory: work tables may be created
    // and changed, its own tables are read-only (Error 3027 on change).
    bool IsAccessCopy() const;
    const QString& Path() const;

    // Ends the use of the database; further calls raise Error 3420.
    // Recordsets already opened keep their rows but can no longer change them.
    void Close();
    bool IsOpen() const;

  private:
    friend class TableDefs;
    std::unique_ptr<Impl> impl_;
};

}  // namespace kalvor::dao
