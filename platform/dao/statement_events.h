#pragma once

#include <QElapsedTimer>
#include <QEventLoop>

struct sqlite3;

namespace kalvor::dao {

// While one lives, a statement that runs long lets the window repaint and
// its timers and transfers run, every few hundredths of a second. User input
// waits for the statement's end: what it starts may use the same database.
class StatementEvents {
  public:
    StatementEvents();
    ~StatementEvents();
    StatementEvents(const StatementEvents&) = delete;
    StatementEvents& operator=(const StatementEvents&) = delete;
};

// The window's events, run at most every few hundredths of a second of work:
// a window that waits a tenth of a second for its events looks hung.
class EventTurns {
  public:
    EventTurns() { since_.start(); }
    void restart() { since_.start(); }
    bool due() const { return since_.elapsed() >= 40; }
    void run(QEventLoop::ProcessEventsFlags flags = QEventLoop::AllEvents);
    void runWhenDue() {
        if (due()) {
            run();
        }
    }

  private:
    QElapsedTimer since_;
};

// Lets the statements of `db` take their turn.
void WatchStatements(sqlite3* db);

}  // namespace kalvor::dao
