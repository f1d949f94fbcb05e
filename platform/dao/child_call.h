#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
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

// Runs `program` with `arguments` in a process of its own, so that a crash, a
// hang or a runaway allocation there cannot take this process down: it is
// killed once `limit` has passed, and its address space may grow by `memory`
// bytes. It is a fresh process, started without running any code of this
// one, so that a lock held by another thread here cannot hold it. What it
// prints goes into the outcome. The program answers through AnswerCaller.
ChildOutcome CallInChild(const QString& program, const QStringList& arguments,
                         std::chrono::milliseconds limit, qint64 memory);

// The main of a program that CallInChild runs: keeps to the bounds it was
// given, runs `work` on the arguments meant for it and sends back its result
// or its failure. Returns the program's exit status.
int AnswerCaller(
    int argc, char** argv,
    const std::function<QByteArray(const QStringList& arguments, qint64 memory)>& work);

}  // namespace kalvor::dao
