#pragma once

#include <QElapsedTimer>
#include <QEventLoop>

namespace kalvor {

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

}  // namespace kalvor
