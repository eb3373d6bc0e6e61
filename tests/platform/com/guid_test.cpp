#include "com/guid.h"
#include "com/widestring.h"

#include <gtest/gtest.h>

namespace {
constexpr GUID kSample{0xB98DAA1A, 0x1FEC, 0x44E8, {0x89, 0xB3, 0x4C, 0x1C, 0x99, 0x68, 0x45, 0x6A}};
}

TEST(Guid, TextRoundTripsInBothCases)
{
    EXPECT_EQ(GuidToString(kSample), "{B98DAA1A-1FEC-44E8-89B3-4C1C9968456A}");
    auto upper = GuidFromString("{B98DAA1A-1FEC-44E8-89B3-4C1C9968456A}");
    auto lower = GuidFromString("b98daa1a-1fec-44e8-89b3-4c1c9968456a");
    ASSERT_TRUE(upper && lower);
    EXPECT_EQ(*upper, kSample);
    EXPECT_EQ(*lower, kSample);
}

TEST(Guid, MalformedTextsAreRefused)
{
    for (const char* bad : {"", "{}", "{B98DAA1A-1FEC-44E8-89B3-4C1C9968456}", "{B98DAA1A-1FEC-44E8-89B3-4C1C9968456AA}",
                            "{B98DAA1A+1FEC-44E8-89B3-4C1C9968456A}", "{G98DAA1A-1FEC-44E8-89B3-4C1C9968456A}",
                            "(B98DAA1A-1FEC-44E8-89B3-4C1C9968456A)", "{B98DAA1A-1FEC-44E8-89B3-4C1C9968456A"})
        EXPECT_FALSE(GuidFromString(bad)) << bad;
}

TEST(Guid, WideFormsHonourTheirBuffers)
{
    wchar_t small[38];
    EXPECT_EQ(StringFromGUID2(kSample, small, 38), 0);   // no room for the terminator
    wchar_t buffer[39];
    ASSERT_EQ(StringFromGUID2(kSample, buffer, 39), 39);
    EXPECT_EQ(WideToUtf8(buffer), GuidToString(kSample));

    CLSID parsed{};
    EXPECT_EQ(CLSIDFromString(buffer, &parsed), S_OK);
    EXPECT_EQ(parsed, kSample);
    EXPECT_EQ(CLSIDFromString(L"B98DAA1A-1FEC-44E8-89B3-4C1C9968456A", &parsed), CO_E_CLASSSTRING);
    EXPECT_EQ(CLSIDFromString(L"{B98DAA1A-1FEC-44E8-89B3-4C1C9968456\x00e9}", &parsed), CO_E_CLASSSTRING);
}

TEST(WideString, Utf8ConversionsKeepEveryCodePointAndEveryByte)
{
    std::string text = "Vid\xC3\xA9o \xE2\x82\xAC \xF0\x9F\x8E\xAC";
    EXPECT_EQ(WideToUtf8(Utf8ToWide(text)), text);
    // Bytes that are not UTF-8 travel as U+DC00 + byte and come back as themselves.
    EXPECT_EQ(Utf8ToWide("a\xC3"), std::wstring(L"a\xDCC3"));        // truncated sequence
    EXPECT_EQ(Utf8ToWide("\xC0\xAF"), std::wstring(L"\xDCC0\xDCAF"));  // overlong form
    for (const std::string bytes : {"a\xC3", "\xC0\xAF", "Caf\xE9.avi", "\xED\xB3\x80", "\xFF\xFE\x80"})
        EXPECT_EQ(WideToUtf8(Utf8ToWide(bytes)), bytes);
    // Lone surrogates that do not stand for a byte are no text.
    EXPECT_EQ(WideToUtf8(std::wstring(L"\xD800x\xDC10")), "\xEF\xBF\xBDx\xEF\xBF\xBD");
    wchar_t fixed[4];
    CopyWide(fixed, 4, L"abcdef");
    EXPECT_EQ(std::wstring(fixed), L"abc");
}

TEST(WideString, Utf16ConversionsPairSurrogatesAndKeepEveryByte)
{
    const std::string text = "Vid\xC3\xA9o \xE2\x82\xAC \xF0\x9F\x8E\xAC";
    EXPECT_EQ(Utf8ToUtf16(text), std::u16string(u"Vid\u00E9o \u20AC \U0001F3AC"));
    EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(text)), text);
    // A Latin-1 name stored in a registry file reads back byte for byte.
    for (const std::string bytes : {"Caf\xE9.avi", "a\xC3", "\xFF\xFE\x80"})
        EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(bytes)), bytes);
    // Unpaired surrogates (a high one at the end, a low one alone) are no text.
    EXPECT_EQ(Utf16ToUtf8(std::u16string(u"x") + char16_t(0xD83C)), "x\xEF\xBF\xBD");
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xDC10)) + u"y"), "\xEF\xBF\xBDy");
}
