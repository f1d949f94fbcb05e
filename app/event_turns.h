#pragma once

#include <QElapsedTimer>
#include <QEventLoop>

namespace kalvor {

// The window's events, run every few hundredths of a second of the work the
// window does itself (the result trees): an assistive tool's call waits for
// the next turn, and a wait beyond 50 ms is felt.
class EventTurns {
  public:
    EventTurns() { since_.start(); }
    void restart() { since_.start(); }
    bool due() const { return since_.elapsed() >= 25; }
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
