// Text files read line by line: every kind of line end, pieces split at any
// byte, byte-order marks, UTF-16 of both orders, the encoding guessed from the
// bytes, over-long lines cut, and files that cannot be read.
#include "rtl/textfile.h"
#include "tempfolder.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Lines = std::vector<std::string>;

Lines ReadAll(const std::string& path, TextEncoding* encoding = nullptr, std::size_t maxLine = 1000)
{
    TTextLineReader reader(path, maxLine);
    Lines lines;
    for (std::string line; reader.ReadLine(line);) lines.push_back(line);
    EXPECT_FALSE(reader.Failed());
    if (encoding) *encoding = reader.Encoding();
    return lines;
}

std::string Utf16(const std::u16string& text, bool little, bool mark = true)
{
    std::string bytes = mark ? (little ? "\xFF\xFE" : "\xFE\xFF") : "";
    for (const char16_t unit : text) {
        const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
        bytes += little ? low : high;
        bytes += little ? high : low;
    }
    return bytes;
}

TEST(TextLineReader, SplitsOnCrLfAndCrLfMixedAndKeepsEmptyLines)
{
    TempFolder dir;
    const std::string path = dir / "mixed.srt";
    const Lines want = {"1", "00:00:01,000 --> 00:00:02,000", "", "a", "", "b"};
    WriteBytes(path, "1\r00:00:01,000 --> 00:00:02,000\n\r\na\r\rb");
    EXPECT_EQ(ReadAll(path), want);
    WriteBytes(path, "1\r00:00:01,000 --> 00:00:02,000\n\r\na\r\rb\r\n");   // an ending line end adds no line
    EXPECT_EQ(ReadAll(path), want);
    WriteBytes(path, "");
    EXPECT_TRUE(ReadAll(path).empty());
    WriteBytes(path, "\n");
    EXPECT_EQ(ReadAll(path), Lines{""});
    WriteBytes(path, "\r\n\r\n");
    EXPECT_EQ(ReadAll(path), (Lines{"", ""}));
}

TEST(TextLineReader, LineEndsSplitBetweenPiecesCountOnce)
{
    // The reader takes 64 KiB pieces: CR LF, CR CR and a UTF-8 character across the boundary.
    TempFolder dir;
    const std::string path = dir / "long.txt";
    for (const std::string& tail : {std::string("\r\nnext"), std::string("\r\rnext"), std::string("\n\rnext")}) {
        for (std::size_t shift = 0; shift < 3; ++shift) {
            const std::string first(64 * 1024 - 1 - shift, 'x');
            WriteBytes(path, first + tail);
            TextEncoding encoding{};
            const Lines lines = ReadAll(path, &encoding, 70000);
            const std::size_t empties = tail == "\r\nnext" ? 0 : 1;
            ASSERT_EQ(lines.size(), 2 + empties) << shift;
            EXPECT_EQ(lines.front(), first);
            EXPECT_EQ(lines.back(), "next");
            EXPECT_EQ(encoding, TextEncoding::Bytes);
        }
    }
    const std::string first(64 * 1024 - 1, 'x');
    WriteBytes(path, first + "\xC3\xA9t\xC3\xA9\n");
    TextEncoding encoding{};
    EXPECT_EQ(ReadAll(path, &encoding, 70000), Lines{first + "\xC3\xA9t\xC3\xA9"});
    EXPECT_EQ(encoding, TextEncoding::Utf8);
}

TEST(TextLineReader, TellsUtf8FromEightBitTextAndDropsTheMark)
{
    TempFolder dir;
    const std::string path = dir / "a.srt";
    TextEncoding encoding{};
    WriteBytes(path, "Bonjour, \xC3\xA7" "a va ?\r\n\xC3\x89t\xC3\xA9 \xC3\xA0 No\xC3\xABl\r\n");
    EXPECT_EQ(ReadAll(path, &encoding), (Lines{"Bonjour, \xC3\xA7" "a va ?", "\xC3\x89t\xC3\xA9 \xC3\xA0 No\xC3\xABl"}));
    EXPECT_EQ(encoding, TextEncoding::Utf8);
    WriteBytes(path, "\xEF\xBB\xBF" "Caf\xC3\xA9\n");
    EXPECT_EQ(ReadAll(path, &encoding), Lines{"Caf\xC3\xA9"});
    EXPECT_EQ(encoding, TextEncoding::Utf8);
    WriteBytes(path, "\xEF\xBB\xBFplain\n");   // a mark alone says UTF-8
    ReadAll(path, &encoding);
    EXPECT_EQ(encoding, TextEncoding::Utf8);
    WriteBytes(path, "Caf\xE9 cr\xE8me\n");
    EXPECT_EQ(ReadAll(path, &encoding), Lines{"Caf\xE9 cr\xE8me"});
    EXPECT_EQ(encoding, TextEncoding::Bytes);
    // One Latin-1 byte late in a UTF-8-looking file makes it 8-bit text.
    WriteBytes(path, "\xC3\xA9t\xC3\xA9\n" + std::string(200000, 'a') + "\n\xE9t\xE9\n");
    EXPECT_EQ(TextFileEncoding(path), TextEncoding::Bytes);
    WriteBytes(path, "only ASCII\n");
    EXPECT_EQ(TextFileEncoding(path), TextEncoding::Bytes);
    WriteBytes(path, "ends inside a character \xC3");
    EXPECT_EQ(TextFileEncoding(path), TextEncoding::Bytes);
    EXPECT_EQ(TextFileEncoding(dir / "missing"), TextEncoding::Bytes);
}

TEST(TextLineReader, Utf16OfBothOrdersComesAsUtf8)
{
    TempFolder dir;
    const std::string path = dir / "w.srt";
    const std::u16string text = u"1\r\n00:00:01,000 --> 00:00:02,000\r\n\u00C9t\u00E9 \u20AC \U0001F3AC\rend";
    const Lines want = {"1", "00:00:01,000 --> 00:00:02,000", "\xC3\x89t\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x8E\xAC", "end"};
    for (const bool little : {true, false}) {
        SCOPED_TRACE(little);
        TextEncoding encoding{};
        WriteBytes(path, Utf16(text, little));
        EXPECT_EQ(ReadAll(path, &encoding), want);
        EXPECT_EQ(encoding, little ? TextEncoding::Utf16LE : TextEncoding::Utf16BE);
        EXPECT_EQ(TextFileEncoding(path), encoding);
    }
    // A surrogate pair and a unit split across the 64 KiB pieces.
    for (std::size_t pad : {32766u, 32767u}) {
        const std::u16string longText = std::u16string(pad, u'x') + u"\U0001F3AC\n";
        WriteBytes(path, Utf16(longText, true));
        const Lines lines = ReadAll(path, nullptr, 70000);
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0], std::string(pad, 'x') + "\xF0\x9F\x8E\xAC");
    }
    // Halves without their pair, and an odd last byte, each become U+FFFD.
    WriteBytes(path, Utf16(u"a\xD800" u"b\xDC00" u"c", true) + "d");
    EXPECT_EQ(ReadAll(path), Lines{"a\xEF\xBF\xBD" "b\xEF\xBF\xBD" "c\xEF\xBF\xBD"});
    // Without a mark UTF-16 is not guessed.
    WriteBytes(path, Utf16(u"ab\n", true, false));
    TextEncoding encoding{};
    const Lines raw = {std::string("a\0b\0", 4), std::string("\0", 1)};
    EXPECT_EQ(ReadAll(path, &encoding), raw);
    EXPECT_EQ(encoding, TextEncoding::Bytes);
}

TEST(TextLineReader, CutsOverlongLinesAndAnswersFalseForWhatCannotBeRead)
{
    TempFolder dir;
    const std::string path = dir / "big.txt";
    WriteBytes(path, std::string(300000, 'y') + "\nshort\n");
    EXPECT_EQ(ReadAll(path, nullptr, 100), (Lines{std::string(100, 'y'), "short"}));
    EXPECT_EQ(ReadAll(path, nullptr, 0), (Lines{"", ""}));

    TTextLineReader missing(dir / "missing.srt");
    std::string line = "left";
    EXPECT_FALSE(missing.IsOpen());
    EXPECT_FALSE(missing.ReadLine(line));
    EXPECT_TRUE(line.empty());
    EXPECT_TRUE(missing.Failed());
    TTextLineReader folder(dir.Path());
    EXPECT_FALSE(folder.ReadLine(line));
    EXPECT_TRUE(folder.Failed());
}

} // namespace
