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
