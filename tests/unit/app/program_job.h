#pragma once

#include <QString>
#include <QStringList>

#include "support/test_paths.h"

namespace kalvor::test {

// What the program printed and how it ended, -1 when it did not end by itself.
struct Job {
    int exitCode = -1;
    QString output;
};

// The program as a scheduled job starts it, in `env`: no display and no
// platform named, nothing on its standard input.
Job runProgram(const IsolatedEnvironment& env, const QStringList& arguments);

// The store of `env`: the catalogue (the v6 fixture when empty),
// `exportFolder`, and `config` lines of the program's own key.
void writeStore(const IsolatedEnvironment& env, const QString& exportFolder,
                const QString& config = QString(), const QString& catalogue = QString());

}  // namespace kalvor::test
