#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <functional>
#include <memory>

struct sqlite3;
struct sqlite3_stmt;

namespace kalvor::dao {

// One SQLite connection: a file's, or the shared in-memory copy of an
// Access file. Database and Recordset objects share it.
class Connection {
  public:
    ~Connection();
    static std::shared_ptr<Connection> OpenFile(const QString& path, bool create);
    // The process's copy of an Access file, imported on first use and again
    // when the file's size or time changed.
    static std::shared_ptr<Connection> AccessCopy(const QString& path);

    sqlite3* handle() const { return db_; }
    // Ends a file's connection (its locks go with it); a copy stays cached.
    void close();
    const QString& path() const { return path_; }
    bool isAccessCopy() const { return accessCopy_; }
    bool isProtected(const QString& table) const { return protected_.contains(table.toLower()); }

    // Table recordsets open on a table lock it against DROP and ALTER.
    void lockTable(const QString& table) { ++openTables_[table.toLower()]; }
    void unlockTable(const QString& table);
    bool isTableOpen(const QString& table) const { return openTables_.value(table.toLower()) > 0; }

    // Raises the kalvor::Error that stands for the engine's last failure.
    [[noreturn]] void fail(int rc, const QString& sql) const;
    sqlite3_stmt* prepare(const QString& sql) const;
    void exec(const QString& sql) const;

    // The table's name as stored, found without case; empty when none.
    QString tableName(const QString& anyCase) const;
    QStringList tableNames() const;

  private:
    Connection() = default;
    void setUp();

    sqlite3* db_ = nullptr;
    QString path_;
    bool accessCopy_ = false;
    QSet<QString> protected_;
    QHash<QString, int> openTables_;
};

// Tests: `hook` sees each statement before it is prepared, to write as
// another process would between two reads of one operation. Empty: none.
void SetStatementHookForTests(std::function<void(const QString& sql)> hook);

// Finalises a statement when it goes out of scope.
struct Statement {
    sqlite3_stmt* stmt = nullptr;
    explicit Statement(sqlite3_stmt* s) : stmt(s) {}
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
};

}  // namespace kalvor::dao
