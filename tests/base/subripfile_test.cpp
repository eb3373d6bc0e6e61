// SubRip files as other programs write them: cues found whatever the line
// ends, numbering and encoding; the cues of a trimmed clip's kept part in its
// own time; and the text spumux is given.
#include "base/subripfile.h"

#include "testkit/tempfolder.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

using Lines = std::vector<std::string>;

std::string Write(const testkit::TempFolder& folder, const std::string& bytes)
{
    const std::string path = folder.File("cues.srt");
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

TEST(SubRipTiming, TakesTheUsualFormsAndRefusesOthers)
{
    double start = 0, end = 0;
    ASSERT_TRUE(ParseSubRipTiming("00:01:02,500 --> 00:01:04,000", start, end));
    EXPECT_DOUBLE_EQ(start, 62.5);
    EXPECT_DOUBLE_EQ(end, 64);
    ASSERT_TRUE(ParseSubRipTiming("  1:2:3.25-->101:00:00,7  X1:100 X2:200", start, end));
    EXPECT_DOUBLE_EQ(start, 3723.25);
    EXPECT_DOUBLE_EQ(end, 363600.7);
    ASSERT_TRUE(ParseSubRipTiming("00:00:05 --> 00:00:06", start, end));
    EXPECT_DOUBLE_EQ(start, 5);
    for (const char* line : {"00:00:01,000 -> 00:00:02,000", "00:61:00,000 --> 00:62:00,000", "1", "",
                             "00:00:01,000 --> ", "00:00:01,000 --> 00:00:02,000x", "text --> more"})
        EXPECT_FALSE(ParseSubRipTiming(line, start, end)) << line;
}

TEST(SubRipFileTest, CuesAreFoundWhateverTheNumbersLineEndsAndEncoding)
{
    testkit::TempFolder folder("keldara-subrip");
    // Old Mac line ends, a cue of two lines, a missing empty line before the next number,
    // a first cue with no number, and a cue with no text.
    SubRipFile file = ReadSubRipFile(Write(folder,
        "00:00:01,000 --> 00:00:02,000\rOne\rtwo lines\r\r2\r00:00:03,000 --> 00:00:04,000\rThree\r3\n"
        "00:00:05,000 --> 00:00:06,000\r\nFour\r\n\r\n4\r\n00:00:07,000 --> 00:00:08,000\r\n\r\n"));
    ASSERT_TRUE(file.read);
    EXPECT_EQ(file.encoding, TextEncoding::Bytes);
    ASSERT_EQ(file.cues.size(), 4u);
    EXPECT_EQ(file.cues[0].text, (Lines{"One", "two lines"}));
    EXPECT_EQ(file.cues[1].text, Lines{"Three"});
    EXPECT_DOUBLE_EQ(file.cues[2].start, 5);
    EXPECT_EQ(file.cues[2].text, Lines{"Four"});
    EXPECT_TRUE(file.cues[3].text.empty());

    // UTF-16: the text in UTF-8; UTF-8: as it is.
    std::string utf16 = "\xFF\xFE";
    for (const char c : std::string("1\r\n00:00:01,000 --> 00:00:02,000\r\n\xE9t\xE9\r\n")) utf16 += c, utf16 += '\0';
    file = ReadSubRipFile(Write(folder, utf16));
    EXPECT_EQ(file.encoding, TextEncoding::Utf16LE);
    ASSERT_EQ(file.cues.size(), 1u);
    EXPECT_EQ(file.cues[0].text, Lines{"\xC3\xA9t\xC3\xA9"});
    file = ReadSubRipFile(Write(folder, "1\n00:00:01,000 --> 00:00:02,000\n\xC3\xA9t\xC3\xA9\n"));
    EXPECT_EQ(file.encoding, TextEncoding::Utf8);
    EXPECT_EQ(file.cues[0].text, Lines{"\xC3\xA9t\xC3\xA9"});

    file = ReadSubRipFile(Write(folder, "not a subtitle file\n"));
    EXPECT_TRUE(file.read);
    EXPECT_TRUE(file.cues.empty());
    EXPECT_FALSE(ReadSubRipFile(folder.File("missing.srt")).read);
}

TEST(SubRipFileTest, TheKeptPartsCuesAreShiftedCutAndDropped)
{
    const std::vector<SubRipCue> cues = {
        {1.0, 3.5, {"ends before the begin"}},
        {3.0, 4.0, {"ends at the begin"}},
        {3.5, 5.5, {"spans the begin"}},
        {5.0, 6.5, {"inside"}},
        {6.0, 6.0, {"no length"}},
        {7.0, 7.5, {}},
        {9.0, 11.0, {"spans the end"}},
        {10.0, 12.0, {"starts at the end"}},
    };
    const std::vector<SubRipCue> kept = CuesWithin(cues, 4.0, 10.0);
    ASSERT_EQ(kept.size(), 3u);
    EXPECT_EQ(kept[0].text, Lines{"spans the begin"});
    EXPECT_DOUBLE_EQ(kept[0].start, 0);
    EXPECT_DOUBLE_EQ(kept[0].end, 1.5);
    EXPECT_DOUBLE_EQ(kept[1].start, 1);
    EXPECT_DOUBLE_EQ(kept[1].end, 2.5);
    EXPECT_DOUBLE_EQ(kept[2].start, 5);
    EXPECT_DOUBLE_EQ(kept[2].end, 6);
    // No end: to the clip's end.
    const std::vector<SubRipCue> rest = CuesWithin(cues, 4.0, 0);
    ASSERT_EQ(rest.size(), 4u);
    EXPECT_DOUBLE_EQ(rest[3].end, 8);
    EXPECT_EQ(CuesWithin(cues, 0, 0).size(), 6u);

    EXPECT_EQ(SubRipText(kept),
              "1\n00:00:00,000 --> 00:00:01,500\nspans the begin\n\n"
              "2\n00:00:01,000 --> 00:00:02,500\ninside\n\n"
              "3\n00:00:05,000 --> 00:00:06,000\nspans the end\n\n");
    EXPECT_EQ(SubRipText({{3725.0005, 363600.25, {"a", "b"}}}), "1\n01:02:05,001 --> 101:00:00,250\na\nb\n\n");
}

} // namespace
