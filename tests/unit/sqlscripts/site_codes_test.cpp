#include <gtest/gtest.h>

#include "platform/error.h"
#include "sqlscripts/site_codes.h"

using namespace kalvor;
using site_codes::GetNote;
using site_codes::GetTypeObjet;

namespace {

int errorNumber(const QString& rating) {
    try {
        GetNote(rating);
    } catch (const Error& e) {
        return e.Number();
    }
    return 0;
}

TEST(GetNote, TwoPointsPerGlyphAndAnLForTheOddOne) {
    EXPECT_EQ(GetNote("0"), "");
    EXPECT_EQ(GetNote("1"), "l");
    EXPECT_EQ(GetNote("2"), QStringLiteral("¤"));
    EXPECT_EQ(GetNote("7"), QStringLiteral("¤¤¤l"));
    EXPECT_EQ(GetNote("9"), QStringLiteral("¤¤¤¤l"));
    EXPECT_EQ(GetNote("10"), QStringLiteral("¤¤¤¤¤"));
    EXPECT_EQ(GetNote("6.5"), QStringLiteral("¤¤¤"));  // half to even
    EXPECT_EQ(GetNote("7,5"), QStringLiteral("¤¤¤¤"));
    EXPECT_EQ(GetNote("40000").size(), 20000);  // 32-bit: no overflow at 32,768
}

TEST(GetNote, NegativeIsEmptyOthersFail) {
    EXPECT_EQ(GetNote("-1"), "");
    EXPECT_EQ(GetNote("-4"), "");
    EXPECT_EQ(errorNumber("bien"), err::TypeMismatch);
    EXPECT_EQ(errorNumber(""), err::TypeMismatch);
    EXPECT_EQ(errorNumber("3000000000"), err::Overflow);
}

TEST(GetTypeObjet, OlderCatalogueTypesGoToTheirNewCodes) {
    EXPECT_EQ(GetTypeObjet(0, 999), 1001);
    EXPECT_EQ(GetTypeObjet(1, 999), 1009);  // the category wins over family 1
    EXPECT_EQ(GetTypeObjet(2, 999), 2001);
    EXPECT_EQ(GetTypeObjet(3, 999), 1004);
    EXPECT_EQ(GetTypeObjet(4, 999), 1000);
    EXPECT_EQ(GetTypeObjet(5, 999), 1002);
    EXPECT_EQ(GetTypeObjet(6, 999), 1000);
    EXPECT_EQ(GetTypeObjet(-1, 999), 1000);
}

TEST(GetTypeObjet, FamilyAndItem) {
    for (int item = 0; item <= 15; ++item) {
        EXPECT_EQ(GetTypeObjet(1, item), 1000 + item);
    }
    EXPECT_EQ(GetTypeObjet(1, 16), 1000);
    EXPECT_EQ(GetTypeObjet(1, -1), 1000);
    EXPECT_EQ(GetTypeObjet(2, 0), 1000);
    EXPECT_EQ(GetTypeObjet(2, 1), 2001);
    EXPECT_EQ(GetTypeObjet(2, 5), 2005);
    EXPECT_EQ(GetTypeObjet(2, 6), 1000);
    EXPECT_EQ(GetTypeObjet(3, 0), 1000);
    EXPECT_EQ(GetTypeObjet(3, 3), 3003);
    EXPECT_EQ(GetTypeObjet(3, 4), 1000);
    EXPECT_EQ(GetTypeObjet(4, 0), 1000);
    EXPECT_EQ(GetTypeObjet(4, 7), 4007);
    EXPECT_EQ(GetTypeObjet(4, 8), 1000);
    EXPECT_EQ(GetTypeObjet(0, 3), 1000);
    EXPECT_EQ(GetTypeObjet(5, 1), 1000);
    EXPECT_EQ(GetTypeObjet(-2, 1), 1000);
}

}  // namespace
