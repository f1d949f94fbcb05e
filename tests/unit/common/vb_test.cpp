#include "common/vb.h"

#include <gtest/gtest.h>

#include "platform/error.h"

using namespace kalvor;
using namespace kalvor::vb;

namespace {
int errorNumber(const std::function<void()>& f) {
    try {
        f();
    } catch (const Error& e) {
        return e.Number();
    }
    return 0;
}
}  // namespace

TEST(Vb, WholeNumbersRoundHalvesToEven) {
    EXPECT_EQ(CInt(QStringLiteral("2.5")), 2);
    EXPECT_EQ(CInt(QStringLiteral("3.5")), 4);
    EXPECT_EQ(CInt(QStringLiteral("-2.5")), -2);
    EXPECT_EQ(CInt(QVariant(7.49)), 7);
    EXPECT_EQ(CInt(QStringLiteral("2,5")), 2);
    EXPECT_EQ(CLng(QVariant(70000)), 70000);
}

TEST(Vb, ConversionsRaiseTypeMismatchAndOverflow) {
    EXPECT_EQ(errorNumber([] { CInt(QStringLiteral("abc")); }), err::TypeMismatch);
    EXPECT_EQ(errorNumber([] { CInt(QVariant()); }), err::TypeMismatch);
    EXPECT_EQ(errorNumber([] { CInt(QStringLiteral("32768")); }), err::Overflow);
    EXPECT_EQ(CInt(QStringLiteral("-32768")), -32768);
    EXPECT_EQ(errorNumber([] { CLng(QVariant(3e10)); }), err::Overflow);
    Int16Counter counter;
    for (int i = 0; i < 32767; ++i) {
        ++counter;
    }
    EXPECT_EQ(counter.value(), 32767);
    EXPECT_EQ(errorNumber([&] { ++counter; }), err::Overflow);
}

TEST(Vb, DayFirstDateTexts) {
    EXPECT_EQ(ParseDayFirst(QStringLiteral("25/12/2024")).date(), QDate(2024, 12, 25));
    EXPECT_EQ(ParseDayFirst(QStringLiteral("1/2/05")).date(), QDate(2005, 2, 1));
    EXPECT_EQ(ParseDayFirst(QStringLiteral("29/02/00")).date(), QDate(2000, 2, 29));
    EXPECT_EQ(ParseDayFirst(QStringLiteral("25/12/2024 10:30:00")).time(), QTime(10, 30));
    EXPECT_FALSE(ParseDayFirst(QStringLiteral("31/02/2024")).isValid());
}
