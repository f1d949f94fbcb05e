#include "platform/clock.h"

#include <gtest/gtest.h>

namespace kalvor::vb {
namespace {

TEST(Clock, AFixedClockHoldsForItsScopeOnly) {
    const QDateTime fixed(QDate(2026, 1, 2), QTime(3, 4));
    {
        ScopedClock clock(fixed);
        EXPECT_EQ(Now(), fixed);
    }
    EXPECT_NE(Now(), fixed);
}

}  // namespace
}  // namespace kalvor::vb
