#include "rtl/sysutils.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

TEST(Conversions, IntegersInDecimalAndBothHexForms)
{
    EXPECT_EQ(StrToIntDef("42", -1), 42);
    EXPECT_EQ(StrToIntDef("-17", 0), -17);
    EXPECT_EQ(StrToIntDef("+5", 0), 5);
    EXPECT_EQ(StrToIntDef("$1F", 0), 31);
    EXPECT_EQ(StrToIntDef("0x1f", 0), 31);
    EXPECT_EQ(StrToIntDef("-$10", 0), -16);
    EXPECT_EQ(StrToIntDef("$FFFFFFFF", 0), -1);   // hex wraps into the 32-bit pattern
    EXPECT_EQ(StrToIntDef("2147483647", 0), 2147483647);
    EXPECT_EQ(StrToIntDef("-2147483648", 0), std::numeric_limits<int>::min());
    // Refused: overflow, blanks, empty, trailing garbage, bare prefixes.
    for (const char* bad : {"2147483648", " 1", "1 ", "", "12a", "$", "0x", "-", "1.5", "$1FFFFFFFF"})
        EXPECT_EQ(StrToIntDef(bad, -99), -99) << bad;
    std::int64_t big = 0;
    EXPECT_TRUE(TryStrToInt64("9223372036854775807", big));
    EXPECT_EQ(big, std::numeric_limits<std::int64_t>::max());
    EXPECT_FALSE(TryStrToInt64("9223372036854775808", big));
    EXPECT_EQ(StrToInt64Def("-9223372036854775808", 0), std::numeric_limits<std::int64_t>::min());
    try {
        StrToInt("abc");
        FAIL() << "no exception";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "'abc' is not a valid integer value");
    }
}

TEST(Conversions, FloatsParseWithPointOnly)
{
    EXPECT_DOUBLE_EQ(StrToFloatDef("1.5", 0), 1.5);
    EXPECT_DOUBLE_EQ(StrToFloatDef(" -2.5e3 ", 0), -2500);
    EXPECT_DOUBLE_EQ(StrToFloatDef(".5", 0), 0.5);
    for (const char* bad : {"1,5", "inf", "nan", "", "1.5x", "--1", "0x10"})
        EXPECT_DOUBLE_EQ(StrToFloatDef(bad, 7), 7) << bad;
    EXPECT_THROW(StrToFloat("x"), EConvertError);
}

TEST(Conversions, FloatToStrPrintsLikeTheFramework)
{
    EXPECT_EQ(FloatToStr(0.5), "0.5");
    EXPECT_EQ(FloatToStr(3), "3");
    EXPECT_EQ(FloatToStr(-3), "-3");
    EXPECT_EQ(FloatToStr(0), "0");
    EXPECT_EQ(FloatToStr(1e20), "1E20");
    EXPECT_EQ(FloatToStr(1.5e20), "1.5E20");
    EXPECT_EQ(FloatToStr(1e14), "100000000000000");
    EXPECT_EQ(FloatToStr(1e15), "1E15");
    EXPECT_EQ(FloatToStr(0.0001), "0.0001");
    EXPECT_EQ(FloatToStr(0.00001), "1E-5");
    EXPECT_EQ(FloatToStr(0.1), "0.1");                  // 15 digits hide the binary error
    EXPECT_EQ(FloatToStr(1.0 / 3), "0.333333333333333");
    EXPECT_EQ(FloatToStr(29.97), "29.97");
    EXPECT_EQ(FloatToStr(std::numeric_limits<double>::quiet_NaN()), "NAN");
}

TEST(Conversions, FormatFloatPictures)
{
    EXPECT_EQ(FormatFloat("0.00", 3.14159), "3.14");
    EXPECT_EQ(FormatFloat("0.00", 0.005), "0.01");     // half away from zero
    EXPECT_EQ(FormatFloat("0.00", 2.675), "2.68");
    EXPECT_EQ(FormatFloat("0.00", -0.001), "0.00");    // no "-0.00"
    EXPECT_EQ(FormatFloat("0.00", 1234.5), "1234.50");
    EXPECT_EQ(FormatFloat("#,##0.0", 1234567.25), "1,234,567.3");
    EXPECT_EQ(FormatFloat("#.##", 0.5), ".5");
    EXPECT_EQ(FormatFloat("0", 2.5), "3");
    EXPECT_EQ(FormatFloat("000", 7), "007");
    EXPECT_EQ(FormatFloat("0.00 MB", 1.5), "1.50 MB");
    EXPECT_EQ(FormatFloat("0.0;(0.0)", -2), "(2.0)");
    EXPECT_EQ(FormatFloat("0.00E+00", 1234.5), "1.23E+03");
    EXPECT_EQ(FormatFloat("0.00", 99.999), "100.00");
}

TEST(Conversions, FormatDirectives)
{
    EXPECT_EQ(Format("%d items", 5), "5 items");
    EXPECT_EQ(Format("[%5d][%-5d][%.3d]", 42, 42, 7), "[   42][42   ][007]");
    EXPECT_EQ(Format("%05d", -42), "-0042");
    EXPECT_EQ(Format("%s=%s", "key", std::string("value")), "key=value");
    EXPECT_EQ(Format("[%-6s][%6s][%.2s]", "ab", "ab", "abcdef"), "[ab    ][    ab][ab]");
    EXPECT_EQ(Format("%x %X %.4x", 255, 255u, 10), "FF FF 000A");
    EXPECT_EQ(Format("%x", -1), "FFFFFFFF");
    EXPECT_EQ(Format("%.2f %f", 3.14159, 2.0), "3.14 2.00");
    EXPECT_EQ(Format("%n", 1234567.891), "1,234,567.89");
    EXPECT_EQ(Format("%e", 1234.5), "1.23450000000000E+003");
    EXPECT_EQ(Format("%g", 0.5), "0.5");
    EXPECT_EQ(Format("%u", -1), "4294967295");
    EXPECT_EQ(Format("100%%"), "100%");
    EXPECT_EQ(Format("%1:s %0:s %s", "a", "b"), "b a b");
    EXPECT_EQ(Format("%*d", 4, 7), "   7");
    EXPECT_EQ(Format("%d", std::int64_t{-9223372036854775807LL - 1}), "-9223372036854775808");
    EXPECT_EQ(Format("%4s|", "\xC3\xA9"), "   \xC3\xA9|");   // width counts characters, not bytes
    // Mismatches and malformed directives raise instead of printing garbage.
    EXPECT_THROW(Format("%d", "text"), EConvertError);
    EXPECT_THROW(Format("%s", 5), EConvertError);
    EXPECT_THROW(Format("%f", 5), EConvertError);
    EXPECT_THROW(Format("%d %d", 5), EConvertError);
    EXPECT_THROW(Format("%", 5), EConvertError);
    EXPECT_THROW(Format("%q", 5), EConvertError);
}

TEST(TextHelpers, TrimCaseCompareReplace)
{
    EXPECT_EQ(Trim(" \t\r\nabc \x01"), "abc");
    EXPECT_EQ(TrimLeft("  a "), "a ");
    EXPECT_EQ(TrimRight("  a "), "  a");
    EXPECT_EQ(UpperCase("vts_01.vob \xC3\xA9"), "VTS_01.VOB \xC3\xA9");
    EXPECT_EQ(LowerCase("ABC"), "abc");
    EXPECT_EQ(CompareText("abc", "ABD"), -1);
    EXPECT_EQ(CompareText("abc", "ab"), 1);
    EXPECT_TRUE(SameText("Region0", "REGION0"));
    EXPECT_FALSE(SameText("Region", "Region0"));
    EXPECT_TRUE(StartsText("vts_", "VTS_01_1.VOB"));
    EXPECT_TRUE(EndsText(".VOB", "vts_01_1.vob"));
    EXPECT_FALSE(EndsText("long suffix", "x"));
    EXPECT_EQ(QuotedStr("it's"), "'it''s'");
    EXPECT_EQ(StringReplace("a-b-c", "-", "+", 0), "a+b-c");
    EXPECT_EQ(StringReplace("a-b-c", "-", "+", rfReplaceAll), "a+b+c");
    EXPECT_EQ(StringReplace("xAx", "a", "bb", rfReplaceAll | rfIgnoreCase), "xbbx");
    EXPECT_EQ(StringReplace("aaa", "a", "aa", rfReplaceAll), "aaaaaa");   // no rescanning of the replacement
    EXPECT_EQ(StringReplace("abc", "", "x", rfReplaceAll), "abc");
    EXPECT_EQ(BoolToStr(true), "-1");
    EXPECT_EQ(BoolToStr(false, true), "False");
    EXPECT_EQ(IntToHex(0xABC, 6), "000ABC");
}

TEST(CheckedAccess, OutOfBoundsRaisesRangeError)
{
    std::vector<int> v{1, 2, 3};
    EXPECT_EQ(CheckedAt(v, 2), 3);
    CheckedAt(v, 0) = 9;
    EXPECT_EQ(v[0], 9);
    EXPECT_THROW(CheckedAt(v, 3), ERangeError);
    EXPECT_THROW(CheckedAt(v, -1), ERangeError);
    std::vector<int> empty;
    EXPECT_THROW(CheckedAt(empty, 0), ERangeError);
    EXPECT_THROW(Abort(), EAbort);
}

TEST(Dates, DaysSince1899AndBack)
{
    EXPECT_DOUBLE_EQ(EncodeDate(1899, 12, 30), 0);
    EXPECT_DOUBLE_EQ(EncodeDate(1900, 1, 1), 2);
    EXPECT_DOUBLE_EQ(EncodeDate(2000, 1, 1), 36526);
    EXPECT_DOUBLE_EQ(EncodeDate(2024, 2, 29), 45351);
    EXPECT_THROW(EncodeDate(2023, 2, 29), EConvertError);
    EXPECT_THROW(EncodeDate(2023, 13, 1), EConvertError);
    EXPECT_THROW(EncodeTime(24, 0, 0, 0), EConvertError);
    const TDateTime t = EncodeDate(2026, 12, 9) + EncodeTime(23, 59, 58, 999);
    int y, mo, d, h, mi, s, ms;
    DecodeDate(t, y, mo, d);
    DecodeTime(t, h, mi, s, ms);
    EXPECT_EQ(y * 10000 + mo * 100 + d, 20261209);
    EXPECT_EQ(h * 10000000 + mi * 100000 + s * 1000 + ms, 235958999);
    DecodeDate(-1.25, y, mo, d);   // before the epoch the time of day is the absolute fraction
    DecodeTime(-1.25, h, mi, s, ms);
    EXPECT_EQ(y * 10000 + mo * 100 + d, 18991229);
    EXPECT_EQ(h, 6);
    EXPECT_THROW(DecodeDate(std::nan(""), y, mo, d), EConvertError);
    const TDateTime now = Now();
    DecodeDate(now, y, mo, d);
    EXPECT_GE(y, 2024);
}
