#pragma once

#include <QByteArray>
#include <QString>
#include <chrono>
#include <functional>

namespace kalvor::dao {

// How a piece of work run in a child process ended.
struct ChildOutcome {
    enum class End { Done, Failed, Crashed, TimedOut };
    End end = End::Crashed;
    QByteArray result;       // Done: what the work returned
    int errorNumber = 0;     // Failed: the kalvor::Error (or other exception) it raised
    QString description;     // Failed
    int signal = 0;          // Crashed: the signal that ended it, 0 when it exited early
    QByteArray diagnostics;  // the start of what it printed on its standard outputs
};

// Runs `work` in a forked copy of this process, so that a crash, a hang or a
// runaway allocation there cannot take this process down: the child is killed
// once `limit` has passed, and its address space may grow by `memory` bytes.
// What it prints goes into the outcome, not onto this process's outputs.
ChildOutcome CallInChild(const std::function<QByteArray()>& work, std::chrono::milliseconds limit,
                         qint64 memory);

}  // namespace kalvor::dao
