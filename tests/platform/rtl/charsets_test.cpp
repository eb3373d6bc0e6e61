// 8-bit text of other systems shown as UTF-8.
#include "rtl/charsets.h"

#include <gtest/gtest.h>

TEST(DecodeToUtf8, NamedSetsBecomeUtf8AndBadBytesAMark)
{
    EXPECT_EQ(DecodeToUtf8("Caf\xE9 \xE0 Z\xFCrich", "ISO-8859-1"), "Caf\xC3\xA9 \xC3\xA0 Z\xC3\xBCrich");
    EXPECT_EQ(DecodeToUtf8("\x8A" "koda \xE8" "aj", "CP1250"), "\xC5\xA0koda \xC4\x8D" "aj");
    EXPECT_EQ(DecodeToUtf8("\xC4\xE3\xBA\xC3", "GB2312"), "\xE4\xBD\xA0\xE5\xA5\xBD");
    // Broken UTF-8 and a cut character: each lost byte is one U+FFFD, the rest stays.
    EXPECT_EQ(DecodeToUtf8("a\xFF" "b", "UTF-8"), "a\xEF\xBF\xBD" "b");
    EXPECT_EQ(DecodeToUtf8("ab\xC3", "UTF-8"), "ab\xEF\xBF\xBD");
    EXPECT_EQ(DecodeToUtf8("", "CP1250"), "");
}

TEST(DecodeToUtf8, UnknownSetsReadUtf8AsItIsAndOtherBytesAsLatin1)
{
    EXPECT_EQ(DecodeToUtf8("Caf\xC3\xA9", "NO-SUCH-SET"), "Caf\xC3\xA9");
    EXPECT_EQ(DecodeToUtf8("Caf\xE9", "NO-SUCH-SET"), "Caf\xC3\xA9");
}

// The system's converter takes five- and six-byte forms and values past
// U+10FFFF for UTF-8; what comes out is always well-formed.
TEST(DecodeToUtf8, Utf8ComesOutWellFormedWhateverTheBytes)
{
    const std::string cases[] = {
        "\xFC\x84\x80\x80\x80\x80",   // a six-byte form
        "\xF8\x88\x80\x80\x80",       // a five-byte form
        "\xF4\x90\x80\x80",           // U+110000
        "\xF7\xBF\xBF\xBF",           // U+1FFFFF
        "\xED\xA0\x80",               // a surrogate
        "\xC0\xAF",                   // an overlong slash
        "\xE0\x80\xAF",               // another
        "\x80\xBF",                   // stray continuation bytes
    };
    for (const std::string& bad : cases) {
        SCOPED_TRACE(::testing::PrintToString(bad));
        EXPECT_FALSE(IsValidUtf8(bad));
        const std::string out = DecodeToUtf8("a" + bad + "b", "UTF-8");
        EXPECT_TRUE(IsValidUtf8(out));
        EXPECT_EQ(out.front(), 'a');
        EXPECT_EQ(out.back(), 'b');
        EXPECT_NE(out.find("\xEF\xBF\xBD"), std::string::npos);
        EXPECT_TRUE(IsValidUtf8(DecodeToUtf8(bad, "utf8")));
    }
    // The largest characters of each length stay as they are.
    const std::string good = "\x7F\xDF\xBF\xEF\xBF\xBF\xF4\x8F\xBF\xBF\xE2\x82\xAC\xF0\x9F\x8E\xAC";
    EXPECT_TRUE(IsValidUtf8(good));
    EXPECT_EQ(DecodeToUtf8(good, "UTF-8"), good);
    EXPECT_EQ(Utf8CharLength("\xF0\x9F\x8E\xAC"), 4);
    EXPECT_EQ(Utf8CharLength("\xF0\x9F\x8E"), 0);   // cut
    // Wide sets that can name values UTF-8 cannot hold.
    EXPECT_TRUE(IsValidUtf8(DecodeToUtf8(std::string("\x00\x11\x00\x00", 4), "UCS-4BE")));
    EXPECT_TRUE(IsValidUtf8(DecodeToUtf8(std::string("\x7F\xFF\xFF\xFF", 4), "UCS-4BE")));
}

TEST(Utf8Scanner, FollowsCharactersSplitBetweenPieces)
{
    const std::string text = "Bonjour, \xC3\xA7" "a va ? \xC3\x89t\xC3\xA9 \xF0\x9F\x8E\xAC";
    for (std::size_t cut = 0; cut <= text.size(); ++cut) {
        TUtf8Scanner scanner;
        scanner.Feed(text.substr(0, cut));
        scanner.Feed(text.substr(cut));
        EXPECT_TRUE(scanner.Valid()) << cut;
        EXPECT_TRUE(scanner.SawNonAscii());
    }
    TUtf8Scanner cutShort;
    cutShort.Feed("ab\xC3");
    EXPECT_FALSE(cutShort.Valid());   // the file ends inside a character
    TUtf8Scanner ascii;
    ascii.Feed("plain text\r\n");
    EXPECT_TRUE(ascii.Valid());
    EXPECT_FALSE(ascii.SawNonAscii());
    TUtf8Scanner latin1;
    latin1.Feed("Caf\xE9 cr\xE8me");
    EXPECT_FALSE(latin1.Valid());
}
