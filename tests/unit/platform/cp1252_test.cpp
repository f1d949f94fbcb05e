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

TEST(Cp1252, LacksWhatItHasNoByteFor) {
    for (const char32_t held : {0x00, 0x7F, 0x81, 0xA0, 0xFF, 0x152, 0x178, 0x20AC, 0x2122}) {
        EXPECT_FALSE(cp1252::Lacks(held)) << std::hex << uint(held);
    }
    // U+0080 is not the euro of byte 80; a lone surrogate is no character.
    for (const char32_t lacked : {0x80, 0x100, 0x179, 0x3A3, 0xD800, 0x2123, 0x1F600}) {
        EXPECT_TRUE(cp1252::Lacks(lacked)) << std::hex << uint(lacked);
    }
    EXPECT_EQ(cp1252::FirstLacked(u"é€ok"), -1);
    EXPECT_EQ(cp1252::FirstLacked(QString::fromUtf8("ab\xF0\x9F\x98\x80")), 2);
}
