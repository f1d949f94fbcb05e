#pragma once

#include <QString>

namespace kalvor::recovery {

// A copy of the recovery database beside it, for a run to fill: the base
// itself changes only when the copy replaces it, in one step, once the whole
// recovery succeeded. A copy not put in place is removed.
class WorkCopy {
  public:
    // Raises kalvor::Error when the base cannot be read or written, or the
    // copy made.
    explicit WorkCopy(const QString& base);
    ~WorkCopy();
    WorkCopy(const WorkCopy&) = delete;
    WorkCopy& operator=(const WorkCopy&) = delete;

    const QString& path() const { return path_; }

    // The copy becomes the base. Raises kalvor::Error when it cannot; the
    // base is then left as it was.
    void Replace();

  private:
    QString base_;
    QString path_;
    bool placed_ = false;
};

}  // namespace kalvor::recovery
