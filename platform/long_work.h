#pragma once

#include <QObject>
#include <QPointer>
#include <QThread>
#include <atomic>
#include <functional>

namespace kalvor {

class Prompt;

// Long work started from the window: one piece at a time, each on a thread of
// its own, so that the window answers at once and never runs its events from
// inside other work. The window keeps one and follows the work through it.
class LongWork : public QObject {
    Q_OBJECT
  public:
    explicit LongWork(QObject* parent = nullptr);
    // A piece of work still running is cancelled and waited for: what it
    // holds (settings, the database) goes with the window.
    ~LongWork() override;

    // Runs `work` on a new thread unless a piece of work runs already (false
    // then, and nothing runs). `ended` runs on this object's thread once
    // `work` has returned, not at all when this object is gone; `cancel` is
    // what cancel() asks of this piece, from this object's thread.
    bool start(std::function<void()> work, std::function<void()> ended,
               std::function<void()> cancel = {});
    bool running() const { return thread_ != nullptr; }
    // What a start refused while work runs says.
    static QString Busy_Text();
    // Tells the user so, for a start or a press refused while work runs.
    static void Say_Busy(Prompt& prompt);
    // Cancels the running piece of work, and no other.
    void cancel();
    // Cancels the running piece and waits for its thread to end; its `ended`
    // does not run. For the owner of what the work uses, as it goes.
    void abandon();

    // From the work's thread: runs `call` on this object's thread and waits
    // for it. False, `call` not run, when the work is being given up. On this
    // object's own thread, `call` runs at once.
    bool callOnWindow(const std::function<void()>& call);

  signals:
    void runningChanged(bool running);

  private:
    QThread* thread_ = nullptr;
    quint64 started_ = 0;  // pieces started so far: tells an abandoned one
    std::function<void()> cancel_;
    std::atomic<bool> givenUp_{false};
};

}  // namespace kalvor
