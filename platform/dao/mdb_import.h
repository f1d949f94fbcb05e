#pragma once

#include <QString>
#include <QStringList>

struct sqlite3;

namespace kalvor::dao {

// Copies every user table of an Access file into the SQLite database, in the
// file's table and column order, with the catalogue's declared type names
// (COUNTER, LONG, TEXT(n), MEMO, DATETIME, YESNO, CURRENCY...), Nulls, whole
// memos, dates in the stored form, Yes/No as -1/0, and its indexes. Returns
// the tables' names. Raises kalvor::Error when the file cannot be read, or
// is damaged or cut short: it is read in a child process, so that libmdb
// failing on it cannot take this one down.
QStringList ImportAccessFile(const QString& path, sqlite3* db);

}  // namespace kalvor::dao
