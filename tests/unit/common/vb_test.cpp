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

// One rule for every count and id typed in a box or kept in the settings.
TEST(Vb, WholeNumberTexts) {
    struct Case {
        const char* text;
        std::optional<qint32> value;
        bool tooLarge;
    };
    for (const Case& c :
         {Case{"120", 120, false}, Case{" 300 ", 300, false}, Case{"0120", 120, false},
          Case{"2147483647", 2147483647, false}, Case{"+120", {}, false}, Case{"-1", {}, false},
          Case{"2.5", {}, false}, Case{"1e2", {}, false}, Case{"", {}, false},
          Case{"1 2", {}, false}, Case{"2147483648", {}, true}, Case{"99999999999", {}, true},
          Case{"99999999999x", {}, false}}) {
        const WholeNumberText read = ReadWholeNumber(QString::fromLatin1(c.text));
        EXPECT_EQ(read.value, c.value) << c.text;
        EXPECT_EQ(read.tooLarge, c.tooLarge) << c.text;
    }
    EXPECT_FALSE(WholeNumber(QStringLiteral("١٢")));  // digits of another script
}

TEST(Vb, DayFirstDateTexts) {
    EXPECT_EQ(ParseDayFirst(QStringLiteral("25/12/2024")).date(), QDate(2024, 12, 25));
    EXPECT_EQ(ParseDayFirst(QStringLiteral("1/2/05")).date(), QDate(2005, 2, 1));
    EXPECT_EQ(ParseDayFirst(QStringLiteral("29/02/00")).date(), QDate(2000, 2, 29));
    EXPECT_EQ(ParseDayFirst(QStringLiteral("25/12/2024 10:30:00")).time(), QTime(10, 30));
    EXPECT_FALSE(ParseDayFirst(QStringLiteral("31/02/2024")).isValid());
}
