#pragma once

#include <QDateTime>
#include <QThread>

namespace kalvor::test {

// Waits until the clock is into the next second, and a little past it: a
// file put there from then on has a later change time, in whole seconds,
// than one put there before, as the site's files are judged.
inline void waitForNextSecond() {
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    QThread::msleep(static_cast<unsigned long>(1000 - now % 1000 + 80));
}

}  // namespace kalvor::test
