#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/dao/mdb_values.h"

namespace kalvor::dao {
namespace {

// The UTF-8 form, or nothing where libmdb's own conversion must decide.
std::optional<std::string> utf8Of(const std::vector<unsigned char>& bytes) {
    std::vector<char> out(3 * bytes.size() + 1);
    const int n = plainUtf8(bytes.data(), int(bytes.size()), out.data());
    if (n < 0) {
        return std::nullopt;
    }
    return std::string(out.data(), size_t(n));
}

TEST(AccessTexts, StoredFormsGiveTheirUtf8OrAreLeftToLibmdb) {
    struct Case {
        const char* what;
        std::vector<unsigned char> bytes;
        std::optional<std::string> utf8;
    };
    const Case cases[] = {
        {"two bytes a character", {'B', 0, 0xE9, 0, 0xAC, 0x20}, "B\xC3\xA9\xE2\x82\xAC"},
        {"compressed, accents kept", {0xFF, 0xFE, 'C', 0xE9, 'l'}, "C\xC3\xA9l"},
        {"empty compressed text", {0xFF, 0xFE}, ""},
        {"compressed text switching back", {0xFF, 0xFE, 'a', 0, 0xAC, 0x20}, std::nullopt},
        {"odd length", {'a', 0, 'b'}, std::nullopt},
        {"a Null character", {'a', 0, 0, 0}, std::nullopt},
        {"a surrogate", {0x3D, 0xD8, 0x00, 0xDE}, std::nullopt},
        {"a non-character", {0xFF, 0xFF}, std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(utf8Of(c.bytes), c.utf8) << c.what;
    }
}

}  // namespace
}  // namespace kalvor::dao
