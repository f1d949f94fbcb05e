#include <QVariant>

#include <gtest/gtest.h>

#include "platform/variant_number.h"

using kalvor::NumberOf;

TEST(VariantNumber, NumbersTruthAndTextsThatReadAsNumbers) {
    EXPECT_EQ(NumberOf(QVariant(7)), 7.0);
    EXPECT_EQ(NumberOf(QVariant(qint64(1) << 40)), double(qint64(1) << 40));
    EXPECT_EQ(NumberOf(QVariant(2.5)), 2.5);
    EXPECT_EQ(NumberOf(QVariant::fromValue<signed char>(65)), 65.0);
    EXPECT_EQ(NumberOf(QVariant(true)), -1.0);
    EXPECT_EQ(NumberOf(QVariant(false)), 0.0);
    EXPECT_EQ(NumberOf(QStringLiteral(" 12 ")), 12.0);
    EXPECT_EQ(NumberOf(QStringLiteral("2,5")), 2.5);
    EXPECT_EQ(NumberOf(QStringLiteral("-2.5")), -2.5);
}

TEST(VariantNumber, NothingElseIsANumber) {
    EXPECT_FALSE(NumberOf(QVariant()));
    EXPECT_FALSE(NumberOf(QStringLiteral("")));
    EXPECT_FALSE(NumberOf(QStringLiteral("   ")));
    EXPECT_FALSE(NumberOf(QStringLiteral("abc")));
    EXPECT_FALSE(NumberOf(QStringLiteral("12abc")));
    // Texts that name no finite number are not numbers either.
    EXPECT_FALSE(NumberOf(QStringLiteral("inf")));
    EXPECT_FALSE(NumberOf(QStringLiteral("nan")));
    EXPECT_FALSE(NumberOf(QStringLiteral("1e999")));
}
