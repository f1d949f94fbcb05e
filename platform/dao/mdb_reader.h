#pragma once

#include <QByteArray>
#include <QString>

namespace kalvor::dao {

// Reads every user table of an Access file through libmdb into a new SQLite
// database, in the file's table and column order, and returns that database
// as a serialized image. Run by the Access reader program only: libmdb
// trusts the file it reads. Raises kalvor::Error, or std::bad_alloc when
// memory runs out.
QByteArray ReadAccessImage(const QString& path);

}  // namespace kalvor::dao
