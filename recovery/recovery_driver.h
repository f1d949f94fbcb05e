#pragma once

#include <QString>

#include "platform/event_turns.h"
#include "recovery/recovery_steps.h"
#include "recovery/table_import.h"
#include "recovery/work_copy_disk.h"

namespace kalvor {
class Inet;
class Prompt;

namespace recovery {

// What the recovery shows and asks of its dialog.
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
    // While running: the run button disabled and the hourglass pointer.
    virtual void SetRunning(bool running) = 0;
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
                   const WorkCopyDisk& disk = WorkCopyDisk::System())
        : view_(view), prompt_(prompt), disk_(disk) {}

    void btn_process_Click(const QString& site, const QString& password, Inet& inet);

    // Ends the imports at once, the request under way dropped: the base is
    // left as it was, and the run says it was cancelled.
    void Cancel();

    const RecoveryState& state() const { return state_; }

  private:
    void runSteps(const SiteAccess& access, const RecoveryBase& work, bool emptyFirst);
    // Shows the rows stored so far of one table and lets window events run,
    // at most every few hundredths of a second; false once cancelled.
    bool stored(const QString& tablename, qint64 rows);
    void reportCancel();
    QString kept() const;

    RecoveryView& view_;
    Prompt& prompt_;
    const WorkCopyDisk& disk_;
    RecoveryState state_;
    RecoveryCounts counts_;  // this run's rows, as they are stored
    EventTurns turns_;
    Inet* importing_ = nullptr;  // while the imports run
    bool cancelled_ = false;
    bool keepsEarlier_ = false;  // the base holds an earlier recovery
};

}  // namespace recovery
}  // namespace kalvor
