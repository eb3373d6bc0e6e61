// The authoring library's workings: control-file scanning, TV standard
// detection, reading dvdauthor's and spumux's messages, subtitle fonts.
#include "authorlog.h"
#include "subfonts.h"
#include "tvstandard.h"
#include "xmlscan.h"

#include "testmedia.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

TEST(XmlScan, ReadsAttributesWithEntitiesAndSkipsWhatIsNotAStartTag)
{
    const std::string text = "<?xml version=\"1.0\"?>\n<!-- <vob file=\"commented.vob\"/> -->\n"
                             "<dvdauthor dest='/w/A &amp; B &quot;x&quot; &#252;&#x1F600;'>\n"
                             "<![CDATA[ <vob file=\"cdata.vob\"/> ]]>\n"
                             "  <vob\n file = \"/w/t.vob\"   chapters=\"0, 00:00:02.00\" />\n</dvdauthor>";
    std::vector<XmlTag> tags = ScanStartTags(text);
    ASSERT_EQ(tags.size(), 2u);
    EXPECT_EQ(tags[0].name, "dvdauthor");
    ASSERT_NE(tags[0].Find("dest"), nullptr);
    EXPECT_EQ(tags[0].Find("dest")->value, "/w/A & B \"x\" \xC3\xBC\xF0\x9F\x98\x80");
    EXPECT_EQ(tags[1].name, "vob");
    const XmlAttribute* file = tags[1].Find("file");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(text.substr(file->rawBegin, file->rawEnd - file->rawBegin), "/w/t.vob");
    EXPECT_EQ(tags[1].Find("chapters")->value, "0, 00:00:02.00");
    EXPECT_EQ(tags[1].Find("missing"), nullptr);
}

TEST(XmlScan, BrokenTextEndsTheScanWithoutReadingPastIt)
{
    EXPECT_EQ(ScanStartTags("<a x=\"1\"/><b y=\"unterminated").size(), 1u);
    EXPECT_EQ(ScanStartTags("<a x=1/>").size(), 0u);
    EXPECT_EQ(ScanStartTags("<!-- never closed <a/>").size(), 0u);
    EXPECT_EQ(ScanStartTags("<").size(), 0u);
    EXPECT_EQ(ScanStartTags("<a b").size(), 0u);
    EXPECT_EQ(ScanStartTags("").size(), 0u);
    // Unknown or malformed entities stay as written.
    EXPECT_EQ(XmlUnescape("&nope; &#xZZ; &#; & &amp"), "&nope; &#xZZ; &#; & &amp");
    EXPECT_EQ(XmlUnescape("&#0;&#x110000;"), "\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(XmlScan, EscapeRoundTripsEveryMarkupCharacter)
{
    const std::string text = "Tom & Jerry's <\"Düsseldorf\"> 100%";
    EXPECT_EQ(XmlEscape(text), "Tom &amp; Jerry&apos;s &lt;&quot;Düsseldorf&quot;&gt; 100%");
    EXPECT_EQ(XmlUnescape(XmlEscape(text)), text);
}

std::vector<std::uint8_t> SequenceHeader(int width, int height, int rateCode)
{
    return {0x47, 0x00, 0x00, 0x01, 0xB3, static_cast<std::uint8_t>(width >> 4),
            static_cast<std::uint8_t>(((width & 0xF) << 4) | (height >> 8)), static_cast<std::uint8_t>(height & 0xFF),
            static_cast<std::uint8_t>(0x20 | rateCode), 0xFF, 0xFF, 0xE0};
}

TEST(TvStandardProbe, FrameRateDecidesAndHeightWhenTheRateSaysNothing)
{
    auto of = [](const std::vector<std::uint8_t>& b) { return TvStandardOfBytes(b.data(), b.size()); };
    EXPECT_EQ(of(SequenceHeader(720, 576, 3)), TvStandard::Pal);
    EXPECT_EQ(of(SequenceHeader(720, 480, 4)), TvStandard::Ntsc);
    EXPECT_EQ(of(SequenceHeader(352, 240, 1)), TvStandard::Ntsc);
    EXPECT_EQ(of(SequenceHeader(352, 288, 0)), TvStandard::Pal);
    EXPECT_EQ(of(SequenceHeader(640, 360, 0)), TvStandard::Unknown);
    // A header cut short at the end of the data is not read past it.
    std::vector<std::uint8_t> cut = SequenceHeader(720, 576, 3);
    cut.resize(7);
    EXPECT_EQ(of(cut), TvStandard::Unknown);
    EXPECT_EQ(TvStandardOfBytes(nullptr, 100), TvStandard::Unknown);
    EXPECT_EQ(VideoFormatName(TvStandard::Pal), "PAL");
    EXPECT_EQ(VideoFormatName(TvStandard::Unknown), "");
}

TEST(TvStandardProbe, ControlFileFormatFirstThenTheFirstStream)
{
    EXPECT_EQ(TvStandardOfAuthorXml(ScanStartTags("<titles><video format=\"NTSC\" aspect=\"4:3\"/></titles>")),
              TvStandard::Ntsc);
    outsidetest::OutputFolder folder("keldara-tvprobe");
    std::vector<std::uint8_t> pal = SequenceHeader(720, 576, 3);
    outsidetest::WriteText(folder.File("t.vob"), std::string(pal.begin(), pal.end()));
    const std::string xml = "<titleset><menus><subpicture lang=\"EN\"/></menus><titles><pgc><vob file=\"" +
                            XmlEscape(folder.File("missing.vob")) + "\"/><vob file=\"" +
                            XmlEscape(folder.File("t.vob")) + "\"/></pgc></titles></titleset>";
    EXPECT_EQ(TvStandardOfAuthorXml(ScanStartTags(xml)), TvStandard::Pal);
    EXPECT_EQ(TvStandardOfAuthorXml(ScanStartTags("<vmgm/>")), TvStandard::Unknown);
    EXPECT_EQ(ProbeTvStandard(folder.File("missing.vob")), TvStandard::Unknown);
}

TEST(AuthorMessages, MegabytesAddUpOverVobSetsAndIgnoreTheFixingPass)
{
    AuthorLog log;
    for (const char* line : {"STAT: Picking VTS 01", "STAT: VOBU 10 at 1MB, 1 PGCs", "STAT: VOBU 20 at 3MB, 1 PGCs",
                             "STAT: VOBU 2 at 0MB, 1 PGCs", "STAT: VOBU 40 at 7MB, 2 PGCs",
                             "STAT: fixing VOBU at 2MB (20/40, 50%)", "STAT: fixed 40 VOBUs   "})
        log.Take(line);
    EXPECT_EQ(log.MegabytesWritten(), 10);
    EXPECT_EQ(log.Problem(), "");
    log.Take("WARN: unknown mpeg2 aspect ratio 1");
    log.Take("WARN: Video PTS does not line up on a multiple of a field.");
    EXPECT_EQ(log.Problem(), "");
}

TEST(AuthorMessages, SkippedFilesAndErrorsMakeTheRunFail)
{
    AuthorLog mixed;
    mixed.Take("WARN: attempt to update tv format from pal to ntsc; skipping");
    mixed.Take("ERR:  later error");
    EXPECT_EQ(mixed.Problem(), "WARN: attempt to update tv format from pal to ntsc; skipping");
    AuthorLog error;
    error.Take("ERR:  Cannot jump to title #3, only 2 exist");
    EXPECT_NE(error.Problem(), "");
}

TEST(SpumuxMessages, SkippedOrMissingSubtitlesMakeTheRunFail)
{
    SpumuxLog good;
    good.Take("INFO: 3 subtitles added, 0 subtitles skipped, stream: 32, offset: 0.16");
    EXPECT_EQ(good.Problem(), "");
    SpumuxLog skipped;
    skipped.Take("INFO: 1 subtitles added, 1 subtitles skipped, stream: 32, offset: 0.16");
    EXPECT_NE(skipped.Problem(), "");
    SpumuxLog none;
    none.Take("INFO: 0 subtitles added, 0 subtitles skipped, stream: 32, offset: 0.16");
    EXPECT_NE(none.Problem(), "");
    SpumuxLog warned;
    warned.Take("WARN:  Sub with too short or negative duration on line 1, skipping");
    warned.Take("INFO: 2 subtitles added, 0 subtitles skipped, stream: 32, offset: 0.16");
    EXPECT_NE(warned.Problem(), "");
    SpumuxLog quiet;   // no totals printed: judged by exit status alone
    EXPECT_EQ(quiet.Problem(), "");
}

TEST(AuthorMessages, NumbersPastAnyRangeSaturateInsteadOfOverflowing)
{
    // A tool's line chooses its numbers: sums of them stop at the largest int.
    AuthorLog log;
    log.Take("STAT: VOBU 1 at 2000000000MB, 1 PGCs");
    log.Take("STAT: VOBU 1 at 1MB, 1 PGCs");   // a new VOB set
    log.Take("STAT: VOBU 1 at 2000000000MB, 1 PGCs");
    EXPECT_EQ(log.MegabytesWritten(), 2147483647);
    log.Take("STAT: VOBU 99999999999999999999999 at 99999999999999999999999999MB, 1 PGCs");
    EXPECT_EQ(log.MegabytesWritten(), 2147483647);
    AuthorLog negative;
    negative.Take("STAT: VOBU 1 at -5MB, 1 PGCs");
    EXPECT_EQ(negative.MegabytesWritten(), 0);

    SpumuxLog spumux;
    spumux.Take("INFO: 9223372036854775807 subtitles added, 9223372036854775807 subtitles skipped");
    spumux.Take("INFO: 1 subtitles added, 1 subtitles skipped");
    EXPECT_EQ(spumux.Problem(), "2147483647 subtitles were skipped");
}

TEST(XmlScan, TextOfManyAmpersandsIsKeptAsItIs)
{
    // No ';' anywhere: each '&' is looked at alone, not searched past to the end.
    const std::string raw(1 << 20, '&');
    EXPECT_EQ(XmlUnescape(raw), raw);
    EXPECT_EQ(XmlUnescape("&amp;&&lt;&#x41;&#65;&bogus;&toolongentityname;"), "&&<AA&bogus;&toolongentityname;");
}

TEST(SubtitleFonts, DesktopFontNamesBecomeInstalledFilesEscaped)
{
    const std::string xml = "<subpictures>\n   <stream>\n      <textsub filename=\"/w/Subtitle.srt\" "
                            "characterset=\"ISO8859-1\"\n         fontsize=\"28\" font=\"ARIAL.TTF\" "
                            "horizontal-alignment=\"center\"\n      />\n   </stream>\n"
                            "   <stream><textsub font='arialbd.ttf'/></stream>\n"
                            "   <stream><spu font=\"ARIAL.TTF\"/></stream>\n</subpictures>\n";
    std::vector<std::string> asked;
    bool changed = false;
    std::string mapped = MapSubtitleFonts(xml, [&](const std::string& name) {
        asked.push_back(name);
        return name == "ARIAL.TTF" ? std::string("/fonts/Sans & \"Serif\".ttf") : std::string();
    }, changed);
    EXPECT_TRUE(changed);
    EXPECT_EQ(asked, (std::vector<std::string>{"ARIAL.TTF", "arialbd.ttf"}));
    std::string expected = xml;
    expected.replace(expected.find("ARIAL.TTF"), 9, "/fonts/Sans &amp; &quot;Serif&quot;.ttf");
    EXPECT_EQ(mapped, expected);
    // Mapped again, the font is a path now: nothing more to do when it exists.
    outsidetest::OutputFolder folder("keldara-subfonts");
    const std::string font = folder.File("my font.ttf");
    outsidetest::WriteText(font, "x");
    const std::string withFile = "<textsub font=\"" + XmlEscape(font) + "\"/>";
    EXPECT_EQ(MapSubtitleFonts(withFile, [](const std::string&) { return std::string("/other.ttf"); }, changed),
              withFile);
    EXPECT_FALSE(changed);
}

} // namespace
