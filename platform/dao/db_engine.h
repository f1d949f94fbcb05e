#pragma once

#include <QString>
#include <memory>

#include "platform/dao/database.h"

namespace kalvor::dao {

// Opens catalogue and work databases. A SQLite file is opened read-write.
// An Access file (.mdb/.accdb, recognised by its header) is read once per
// process into an in-memory copy (read again when its size or time changes);
// every Database opened on it shares that copy, so work tables created in it
// outlive the Database that created them, but not the process.
class DBEngine {
  public:
    // Error 3024 when there is no such file, 3343 when it is empty, neither
    // format, or an Access file that is damaged or cut short.
    static std::unique_ptr<Database> OpenDatabase(const QString& path);
    // A new empty SQLite database file. Error 3000 when it exists.
    static std::unique_ptr<Database> CreateDatabase(const QString& path);
    // True when the file's header is Jet's or ACE's.
    static bool IsAccessFile(const QString& path);
};

}  // namespace kalvor::dao
