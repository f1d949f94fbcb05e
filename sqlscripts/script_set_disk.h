#pragma once

#include <QByteArray>
#include <QString>

namespace kalvor {

// What the set of data scripts asks of the file system while it publishes
// and mends, each call answering 0 or the system's error number; tests stand
// in for it to fail a step or to stop there, as a kill would.
class ScriptSetDisk {
  public:
    virtual ~ScriptSetDisk() = default;

    // Replaces `to` with `from`, in one step.
    virtual int Rename(const QString& from, const QString& to) const;
    // Writes the file or folder, as it stands, to disk.
    virtual int Sync(const QString& path) const;
    // Creates the file anew with `bytes` and writes it to disk.
    virtual int Write(const QString& path, const QByteArray& bytes) const;
    // A file, or a folder once empty.
    virtual int Remove(const QString& path) const;

    static const ScriptSetDisk& System();
};

}  // namespace kalvor
