#include "sqlscripts/script_text.h"

#include <gtest/gtest.h>

#include <QString>
#include <string>

namespace kalvor::script_text {
namespace {

// Plain ASCII is scanned a word at a time: each character that must change
// is put at every place of a word, and at the end, and read both ways, from
// the engine's bytes and through QString.
TEST(ScriptText, EachSpecialCharacterWhereverItFallsReadsAsThroughQString) {
    const char* specials[] = {
        "\\", "'", "<", ">", "\xC3\xA9", "\xE2\x82\xAC", "\xC5\x93", "\xF0\x9F\x98\x80"};
    const std::string plain = "Tintin au pays des Soviets";
    for (const char* special : specials) {
        for (size_t at = 0; at <= plain.size(); ++at) {
            const std::string text = plain.substr(0, at) + special + plain.substr(at);
            for (const bool escape : {true, false}) {
                for (const Encoding encoding : {Encoding::Utf8, Encoding::Cp1252}) {
                    std::string fromBytes = "x";
                    std::string fromQString = "x";
                    ASSERT_TRUE(AppendUtf8(fromBytes, text, escape, encoding));
                    Append(fromQString, QString::fromStdString(text), escape, encoding);
                    EXPECT_EQ(fromBytes, fromQString)
                        << text << " escape " << escape << " utf8 " << (encoding == Encoding::Utf8);
                }
            }
        }
    }
}

TEST(ScriptText, BytesThatAreNotUtf8AppendNothing) {
    for (const std::string& text : {std::string("Gaston \xE9t\xE9 et ses gaffes"),
                                    std::string("long enough to fill a word \xC3"),
                                    std::string("surrogate \xED\xA0\x80 inside")}) {
        std::string out = "kept";
        EXPECT_FALSE(AppendUtf8(out, text, true, Encoding::Utf8));
        EXPECT_EQ(out, "kept");
    }
    std::string out = "a";
    ASSERT_TRUE(AppendUtf8(out, "<l'\\>", true, Encoding::Cp1252));
    EXPECT_EQ(out, "a&lt;l\\'\\\\&gt;");
}

// A letter the site's pages cannot hold is its reference in a quoted text,
// in both encodings; Windows-1252 letters keep their bytes.
TEST(ScriptText, EscapedLettersBeyondWindows1252AreReferences) {
    const std::string text =
        "Kova\xC4\x8D"
        "evi\xC4\x87 \xC3\xA9\xE2\x82\xAC \xF0\x9F\x98\x80";
    const struct {
        bool escape;
        Encoding encoding;
        std::string expected;
    } cases[] = {
        {true, Encoding::Utf8, "Kova&#269;evi&#263; \xC3\xA9\xE2\x82\xAC &#128512;"},
        {true, Encoding::Cp1252, "Kova&#269;evi&#263; \xE9\x80 &#128512;"},
        {false, Encoding::Utf8, text},
        {false, Encoding::Cp1252, "Kova?evi? \xE9\x80 ?"},
    };
    for (const auto& c : cases) {
        std::string fromBytes;
        ASSERT_TRUE(AppendUtf8(fromBytes, text, c.escape, c.encoding));
        EXPECT_EQ(fromBytes, c.expected);
        std::string fromQString;
        Append(fromQString, QString::fromStdString(text), c.escape, c.encoding);
        EXPECT_EQ(fromQString, c.expected);
    }
}

}  // namespace
}  // namespace kalvor::script_text
