#pragma once

#include <QString>
#include <functional>

#include "recovery/work_copy_disk.h"

namespace kalvor::recovery {

// A copy of the recovery database beside it, for a run to fill: the base
// itself changes only when the copy replaces it, in one step, once the whole
// recovery succeeded. A copy not put in place is removed. The base is held
// by one run at a time, from its claim to the end of the run.
class WorkCopy {
  public:
    // Claims the base for this run. Raises kalvor::Error when the base or its
    // folder cannot be written, or when another run holds it.
    explicit WorkCopy(const QString& base, const WorkCopyDisk& disk = WorkCopyDisk::System());
    ~WorkCopy();
    WorkCopy(const WorkCopy&) = delete;
    WorkCopy& operator=(const WorkCopy&) = delete;

    // Makes the copy, with the base's permissions. Raises kalvor::Error when
    // it cannot.
    void Make();

    const QString& path() const { return path_; }

    // The copy, written to disk, becomes the base, unless `goOn` says no
    // once it is on disk (false then). Raises kalvor::Error when it cannot;
    // the base is then left as it was.
    bool Replace(const std::function<bool()>& goOn = [] { return true; });

  private:
    const WorkCopyDisk& disk_;
    QString base_;
    QString path_;
    int lock_ = -1;
    bool made_ = false;
    bool placed_ = false;
};

}  // namespace kalvor::recovery
