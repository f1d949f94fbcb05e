#pragma once

#include <QElapsedTimer>
#include <QMutex>
#include <QString>
#include <atomic>
#include <memory>

#include "recovery/recovery_steps.h"
#include "recovery/table_import.h"
#include "recovery/work_copy_disk.h"

namespace kalvor {
class Inet;
class Prompt;

namespace recovery {

class WorkCopy;

// What the recovery shows and asks of its dialog. While the imports run,
// every call but ChooseDatabase may come from the work's thread.
class RecoveryView {
  public:
    virtual ~RecoveryView() = default;
    // The first panel of the status bar.
    virtual void SetStatus(const QString& text) = 0;
    // The recovery database the user picks; empty when none was.
    virtual QString ChooseDatabase() = 0;
    // Shows or hides the result lines.
    virtual void Labels_Show(bool status) = 0;
    virtual void ShowCounts(const RecoveryCounts& counts) = 0;
};

// One import of the run: the site table, the highest field index of its rows
// and the status text shown before it.
struct ImportStep {
    QString tablename;
    qint16 dimension;
    QString status;
};
const QList<ImportStep>& ImportSteps();

// The recovery command: checks the chosen database (a base that holds rows
// is emptied when the user agrees), imports the seven site tables in order
// until one fails, removes the collaborator rows that repeat an album's own
// authors, counts the rows and says how it went. All of it is done on a copy
// of the base, which replaces it only when every step succeeded: a refusal,
// a failure or a cancel leaves the base as it was.
class RecoveryDriver {
  public:
    RecoveryDriver(RecoveryView& view, Prompt& prompt,
                   const WorkCopyDisk& disk = WorkCopyDisk::System());
    ~RecoveryDriver();

    // What is asked of the user before the work starts: the site and the
    // base. False when the run does not go on.
    bool Prepare(const QString& site, const QString& password);
    // The base checked and claimed, whether to empty it asked, then the
    // imports into it and the end said; on the work's thread, `inet` made
    // there.
    void Run(Inet& inet);
    // Lets a prepared run go without running it.
    void Forget_Prepared();

    // Ends the imports at once, the request under way dropped: the base is
    // left as it was, and the run says it was cancelled. Once the copy is
    // taking the base's place it is too late: the run goes to its end and
    // says so. Any thread.
    void Cancel();

    const RecoveryState& state() const { return state_; }
    // True while the run asks whether to empty the base.
    bool Asking() const { return asking_; }

  private:
    // The prepared base checked and claimed, and whether to empty it asked.
    // False when the run does not go on, said when refused.
    bool claim();
    void runSteps(const SiteAccess& access, const RecoveryBase& work, bool emptyFirst);
    // Shows the rows stored so far of one table, at most every few
    // hundredths of a second; false once cancelled.
    bool stored(const QString& tablename, qint64 rows);
    void reportCancel();
    // From here on the base is replaced, unless a cancel came first.
    bool claimReplace();
    QString kept() const;

    RecoveryView& view_;
    Prompt& prompt_;
    const WorkCopyDisk& disk_;
    RecoveryState state_;
    RecoveryCounts counts_;  // this run's rows, as they are stored
    QElapsedTimer shown_;    // since the counts were last shown
    // The prepared run.
    std::unique_ptr<WorkCopy> work_;
    QString chosen_;
    QString site_;
    QString password_;
    bool emptyFirst_ = false;
    bool prepared_ = false;
    std::atomic<bool> asking_{false};

    QMutex cancelling_;          // over importing_, replacing_ and lateCancel_
    Inet* importing_ = nullptr;  // while the imports run
    std::atomic<bool> cancelled_{false};
    bool replacing_ = false;     // the copy is taking the base's place
    bool lateCancel_ = false;    // a cancel came after that
    bool keepsEarlier_ = false;  // the base holds an earlier recovery
};

}  // namespace recovery
}  // namespace kalvor
