#pragma once

#include <QString>
#include <optional>

namespace kalvor {

// One data export at a time in a scripts folder: the full export and the
// incremental one both hold it while they write there, so that two exports
// (the window and a scheduled run, or two settings files naming one folder)
// never mix their files. The lock is the system's on a hidden file of the
// folder, held by the process: a killed run holds it no more.
class ExportLock {
  public:
    enum class Export { Full, Incremental };

    // Holds `folder` (which must exist) for `what`, or throws the French
    // error that names the export holding it.
    ExportLock(const QString& folder, Export what);
    // Holds `folder` for the start that mends it when no export does;
    // nothing when one does.
    static std::optional<ExportLock> TryHold(const QString& folder);
    ~ExportLock();  // the hidden file goes, then the lock
    ExportLock(ExportLock&& other) noexcept;
    ExportLock& operator=(ExportLock&&) = delete;
    ExportLock(const ExportLock&) = delete;
    ExportLock& operator=(const ExportLock&) = delete;

    // The hidden file's name in the folder.
    static const QString kFileName;

  private:
    ExportLock() = default;
    // The lock's descriptor, or -1 when another export holds it (its
    // description in `holder`).
    static int take(const QString& path, QString* holder);

    QString path_;
    int fd_ = -1;
};

}  // namespace kalvor
