#include "platform/cp1252.h"

#include <gtest/gtest.h>

using namespace kalvor;

TEST(Cp1252, AccentsAndEuroTakeTheirCodePageBytes) {
    EXPECT_EQ(cp1252::encode(QStringLiteral("é€œŒ…")), QByteArray("\xE9\x80\x9C\x8C\x85"));
    EXPECT_EQ(cp1252::encode(QStringLiteral("¤ÿ")), QByteArray("\xA4\xFF"));
}

TEST(Cp1252, CharactersOutsideThePageBecomeQuestionMarks) {
    EXPECT_EQ(cp1252::encode(QStringLiteral("a\u0101b")), QByteArray("a?b"));
    // One character beyond the basic plane is one "?", not two.
    EXPECT_EQ(cp1252::encode(QString::fromUtf8("x\xF0\x9F\x98\x80y")), QByteArray("x?y"));
}

TEST(Cp1252, DecodeIsTheInverseOfEncodeOnEveryByte) {
    QByteArray all;
    for (int b = 0; b < 256; ++b) {
        all.append(static_cast<char>(b));
    }
    EXPECT_EQ(cp1252::encode(cp1252::decode(all)), all);
    EXPECT_EQ(cp1252::decode(QByteArray("\x80\xE9")), QStringLiteral("€é"));
}
