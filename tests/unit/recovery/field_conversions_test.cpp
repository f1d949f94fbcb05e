#include "recovery/field_conversions.h"

#include <QDate>

#include <gtest/gtest.h>

namespace kalvor::recovery::conversions {
namespace {

TEST(RecoveryConversions, NumberReadsTheLeadingNumberWithAPointAndSkipsBlanks) {
    EXPECT_EQ(Number(QStringLiteral("12")), 12);
    EXPECT_EQ(Number(QStringLiteral("21.5")), 21.5);
    EXPECT_EQ(Number(QStringLiteral(" 1 2.5 ")), 12.5);
    EXPECT_EQ(Number(QStringLiteral("-3")), -3);
    EXPECT_EQ(Number(QStringLiteral("12abc")), 12);
    EXPECT_EQ(Number(QStringLiteral("1.5.7")), 1.5);
    EXPECT_EQ(Number(QStringLiteral("2e3")), 2000);
    EXPECT_EQ(Number(QStringLiteral("7e")), 7);
    // Nothing that starts a number: 0.
    EXPECT_EQ(Number(QString()), 0);
    EXPECT_EQ(Number(QStringLiteral("")), 0);
    EXPECT_EQ(Number(QStringLiteral("Hors-série")), 0);
    EXPECT_EQ(Number(QStringLiteral("12,5")), 12);
}

TEST(RecoveryConversions, DatesAndLegalDepositsGiveNullForZeroAndEmpty) {
    EXPECT_TRUE(Date(QStringLiteral("0000-00-00")).isNull());
    EXPECT_TRUE(Date(QStringLiteral("0000-00-00 00:00:00")).isNull());
    EXPECT_TRUE(Date(QString()).isNull());
    EXPECT_EQ(Date(QStringLiteral("1926-08-14")), QVariant(QStringLiteral("1926-08-14")));

    EXPECT_EQ(LegalDeposit(QStringLiteral("03/1965")), QVariant(QDate(1965, 3, 1)));
    EXPECT_EQ(LegalDeposit(QStringLiteral("3/1965")), QVariant(QDate(1965, 3, 1)));
    EXPECT_TRUE(LegalDeposit(QStringLiteral("")).isNull());
    EXPECT_TRUE(LegalDeposit(QStringLiteral("00/0000")).isNull());
    EXPECT_TRUE(LegalDeposit(QStringLiteral("0000-00-00")).isNull());
    // Not a month: left for the database to refuse.
    EXPECT_EQ(LegalDeposit(QStringLiteral("13/2020")), QVariant(QStringLiteral("13/2020")));
}

TEST(RecoveryConversions, TheRatingTextCountsTwoPerCurrencySignAndOnePerL) {
    EXPECT_EQ(Rating(QStringLiteral("¤¤¤l")), QVariant(7));
    EXPECT_EQ(Rating(QStringLiteral("¤")), QVariant(2));
    EXPECT_EQ(Rating(QStringLiteral("l")), QVariant(1));
    EXPECT_EQ(Rating(QStringLiteral("¤¤¤¤¤")), QVariant(10));
    EXPECT_TRUE(Rating(QString()).isNull());
    EXPECT_EQ(Rating(QStringLiteral("8")), QVariant(QStringLiteral("8")));
}

TEST(RecoveryConversions, OnlyTheBookmarkCodeMarksABookmark) {
    EXPECT_EQ(MarquePage(QStringLiteral("1009")), 1);
    EXPECT_EQ(MarquePage(QStringLiteral("1")), 0);
    EXPECT_EQ(MarquePage(QStringLiteral("1001")), 0);
    EXPECT_EQ(MarquePage(QString()), 0);
}

TEST(RecoveryConversions, TextsAreUnescapedAndEmptyValuesAreNull) {
    EXPECT_EQ(Unescaped(QStringLiteral("SF &lt;rétro&gt; &amp;")),
              QVariant(QStringLiteral("SF <rétro> &amp;")));
    EXPECT_EQ(Text(QString()), QVariant(QStringLiteral("")));
    EXPECT_FALSE(Text(QString()).isNull());
    EXPECT_TRUE(Value(QStringLiteral("")).isNull());
    EXPECT_EQ(Value(QStringLiteral("0")), QVariant(QStringLiteral("0")));
}

}  // namespace
}  // namespace kalvor::recovery::conversions
