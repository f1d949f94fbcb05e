#pragma once

#include <QString>

namespace kalvor::recovery {

// What the work copy asks of the file system, each call answering 0 or the
// system's error number; tests stand in for it.
class WorkCopyDisk {
  public:
    virtual ~WorkCopyDisk() = default;

    // Whether the file or folder takes writes.
    virtual int Writable(const QString& path) const;
    // Writes the file or folder, as it stands, to disk.
    virtual int Sync(const QString& path) const;
    virtual int Rename(const QString& from, const QString& to) const;

    static const WorkCopyDisk& System();
};

}  // namespace kalvor::recovery
