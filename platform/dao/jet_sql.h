#pragma once

#include <QString>

// Jet SQL as the program writes it, rewritten for SQLite.
namespace kalvor::dao::jetsql {

enum class Kind { Select, Action, CreateTable, TableName };

struct Translated {
    Kind kind = Kind::Action;
    QString sql;                        // SQLite text (for TableName: the table's name)
    bool distinctWithoutOrder = false;  // SELECT DISTINCT with no ORDER BY
};

// #m/d/yyyy# dates, "texts" in double quotes, [names], * and ? of like
// (handled by the engine's like), Jet functions, & for concatenation,
// True/False, UPDATE T SET T.col, DELETE * FROM, a trailing ";".
// Raises kalvor::Error 3075 on a malformed date or unclosed text.
Translated Translate(const QString& jet);

// Adds the text collation to the text columns of CREATE TABLE statements
// (TEXT, MEMO, VARCHAR, CHAR, LONGTEXT) that have none; the rest unchanged.
// NOCASE is also Jet's comparison on the program's connections, and other
// tools know it.
QString AddTextCollation(const QString& sqlite, const QString& collation = QStringLiteral("JET"));

// A name as a quoted SQLite identifier.
QString QuoteName(const QString& name);

}  // namespace kalvor::dao::jetsql
