#pragma once

#include <QEventLoop>
#include <QTimer>

#include <gtest/gtest.h>

#include "platform/long_work.h"

namespace kalvor::test {

// The window's turns until its long work has ended, as the user waits.
inline void waitForWork(const LongWork& work, int ms = 60000) {
    if (work.running()) {
        QEventLoop loop;
        QObject::connect(&work, &LongWork::runningChanged, &loop, [&](bool running) {
            if (!running) {
                loop.quit();
            }
        });
        QTimer::singleShot(ms, &loop, &QEventLoop::quit);
        loop.exec();
    }
    EXPECT_FALSE(work.running()) << "the work did not end";
}

}  // namespace kalvor::test
