// The authoring library as the program loads it: subtitles and menu
// highlights muxed with spumux, discs authored with dvdauthor from the three
// Author.xml layouts and read back with lsdvd, failures, cancel, progress.
#include "author/dvdauthorlib.h"
#include "xmlscan.h"
#include "mux/tormux.h"

#include "rtl/paths.h"
#include "rtl/sysutils.h"
#include "testmedia.h"
#include "win32/dynlib.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <future>
#include <sstream>
#include <string>
#include <vector>

using namespace outsidetest;

namespace {

std::vector<char> Buffer512(const std::string& text)
{
    std::vector<char> buffer(512, '\0');
    text.copy(buffer.data(), 511);
    return buffer;
}

struct AuthorLib {
    AuthorLib() : lib("dvdauthor.dll")
    {
        spumux = lib.Symbol<TSpumuxMain>("spumux_main");
        author = lib.Symbol<TAuthorMain>("author_main");
        vobsMB = lib.Symbol<TGetVOBsMB>("getVOBsMB");
        subtitlePercent = lib.Symbol<TGetSubtitleMuxPercent>("getSubtitleMuxPercent");
        cancel = lib.Symbol<TAuthorCancel>("AuthorCancel");
        lastError = lib.Symbol<TAuthorLastError>("AuthorLastError");
    }
    bool Ready() const { return spumux && author && vobsMB && subtitlePercent && cancel && lastError; }
    // The program's calls: every path in a zero-filled 512-byte buffer.
    int Spumux(const std::string& xml, const std::string& in, const std::string& out)
    {
        auto a = Buffer512(xml), b = Buffer512(in), c = Buffer512(out);
        return spumux(a.data(), b.data(), c.data());
    }
    int Author(const std::string& xml)
    {
        auto a = Buffer512(xml);
        return author(a.data());
    }

    Library lib;
    TSpumuxMain spumux = nullptr;
    TAuthorMain author = nullptr;
    TGetVOBsMB vobsMB = nullptr;
    TGetSubtitleMuxPercent subtitlePercent = nullptr;
    TAuthorCancel cancel = nullptr;
    TAuthorLastError lastError = nullptr;
};

// DVD streams multiplexed into a VOB through the multiplexer library.
std::string MakeVob(const std::string& folder, const std::string& name, Disc disc, double seconds)
{
    Streams in = MakeStreams(folder, disc, seconds, name);
    Library tormux("Tormux.dll");
    auto mplex = tormux.Symbol<TMPlex>("MPlex");
    if (!mplex)
        throw std::runtime_error("Tormux.dll cannot be loaded");
    const std::string vob = JoinPath(folder, name + ".vob");
    std::string args[] = {"Keldara.exe", "-f", "8", "-o", vob, in.video, in.audio, "-O", "0"};
    char* argv[9];
    for (int i = 0; i < 9; ++i)
        argv[i] = args[i].data();
    if (mplex(9, argv) != MUX_OK)
        throw std::runtime_error("the test streams could not be multiplexed");
    DeleteFile(in.video);
    DeleteFile(in.audio);
    return vob;
}

struct LsdvdTitle {
    int chapters = 0;
    int subpictures = 0;
    std::vector<double> chapterStarts;   // seconds
};

double Seconds(const std::string& hms)   // "HH:MM:SS.mmm"
{
    int h = 0, m = 0;
    double s = 0;
    std::sscanf(hms.c_str(), "%d:%d:%lf", &h, &m, &s);
    return h * 3600 + m * 60 + s;
}

std::vector<LsdvdTitle> ReadDisc(const std::string& dest)
{
    std::string text;
    if (Run({"lsdvd", "-c", dest}, &text) != 0)
        return {};
    std::vector<LsdvdTitle> titles;
    std::istringstream lines(text);
    double start = 0;
    for (std::string line; std::getline(lines, line);) {
        line = Trim(line);
        if (line.starts_with("Title:")) {
            LsdvdTitle title;
            std::size_t c = line.find("Chapters: "), s = line.find("Subpictures: ");
            if (c != std::string::npos)
                title.chapters = std::atoi(line.c_str() + c + 10);
            if (s != std::string::npos)
                title.subpictures = std::atoi(line.c_str() + s + 13);
            titles.push_back(title);
            start = 0;
        } else if (line.starts_with("Chapter:") && !titles.empty()) {
            std::size_t l = line.find("Length: ");
            titles.back().chapterStarts.push_back(start);
            if (l != std::string::npos)
                start += Seconds(line.substr(l + 8, 12));
        }
    }
    return titles;
}

// One disc's working folder, named the hard way: the paths go into XML.
class DiscFixture {
public:
    DiscFixture() : folder_("keldara-author"), work_(JoinPath(folder_.Path(), "Work & \"Play\" 'Ünïcode'") + "/")
    {
        ForceDirectories(work_);
    }
    const std::string& Work() const { return work_; }
    std::string Dest() const { return work_ + "DVD_DISC"; }
    std::string Xml() const { return work_ + "Author.xml"; }
    std::string W() const { return XmlEscape(work_); }

    std::string Title(const std::string& name, double seconds = 3.0, Disc disc = Disc::DvdPal)
    {
        return MakeVob(work_, name, disc, seconds);
    }

    // A one-second menu stream with `buttons` highlight buttons stacked down the page.
    std::string Menu(AuthorLib& lib, const std::string& name, int buttons)
    {
        const std::string still = MakeVob(work_, name + "_still", Disc::DvdPal, 1.0);
        std::string boxes, xmlButtons;
        for (int i = 0; i < buttons; ++i) {
            const int y = 40 + i * 60;
            boxes += Format("%sdrawbox=x=100:y=%d:w=200:h=40:color=0x0000ff:t=fill", i ? "," : "", y);
            xmlButtons += Format("    <button x0=\"100\" y0=\"%d\" x1=\"300\" y1=\"%d\"/>\n", y, y + 40);
        }
        const std::string highlight = work_ + name + "_highlight_P.png", select = work_ + name + "_select_P.png";
        for (const auto& [png, colour] : {std::pair{highlight, "0x0000ff"}, std::pair{select, "0xff0000"}}) {
            std::string filter = StringReplace(boxes, "0x0000ff", colour, rfReplaceAll);
            if (Run({"ffmpeg", "-nostdin", "-v", "error", "-y", "-f", "lavfi", "-i", "color=c=0x010101:s=720x576",
                     "-vf", filter, "-frames:v", "1", "-pix_fmt", "rgb24", png}) != 0)
                throw std::runtime_error("ffmpeg could not draw the menu masks");
        }
        const std::string xml = work_ + name + "_P.xml";
        WriteText(xml, "<subpictures>\r\n  <stream>\r\n    <spu start=\"00:00:00.0\" end=\"00:00:00.0\"\r\n"
                       "         highlight=\"" + XmlEscape(highlight) + "\"\r\n         select=\"" +
                           XmlEscape(select) + "\"\r\n         transparent=\"010101\" force=\"yes\" >\r\n" +
                           xmlButtons + "    </spu>\r\n  </stream>\r\n</subpictures>\r\n");
        const std::string out = work_ + name + ".vob";
        if (lib.Spumux(xml, still, out) != AUTHOR_OK)
            throw std::runtime_error(std::string("menu spumux failed: ") + lib.lastError());
        DeleteFile(still);
        return out;
    }

    // The Author.xml blocks shared by the layouts, for a 4:3 PAL disc.
    static std::string MenuStreams(int indent)
    {
        const std::string pad(static_cast<std::size_t>(indent), ' ');
        return pad + "<video format=\"pal\" aspect=\"4:3\"\n" + pad + "       resolution=\"720x576\" />\n" + pad +
               "<audio format=\"ac3\"\n" + pad + "       quant=\"16bps\" dolby=\"surround\"\n" + pad +
               "       samplerate=\"48khz\" lang=\"EN\"/>\n";
    }

private:
    OutputFolder folder_;
    std::string work_;
};

TEST(AuthorLibrary, ExportsTheProgramsEntries)
{
    AuthorLib lib;
    ASSERT_TRUE(lib.lib.Loaded()) << LastLibraryError();
    EXPECT_TRUE(lib.Ready());
    EXPECT_EQ(ReadAuthorCounter(lib.vobsMB()), 0);
    EXPECT_EQ(ReadAuthorCounter(lib.subtitlePercent()), 0);
    EXPECT_EQ(ReadAuthorCounter(nullptr), 0);
}

std::string SubtitleXml(const std::string& srt, const char* fps, int height)
{
    return Format("<subpictures>\n   <stream>\n      <textsub filename=\"%s\" characterset=\"UTF-8\"\n"
                  "         fontsize=\"28\" font=\"ARIAL.TTF\" horizontal-alignment=\"center\"\n"
                  "         vertical-alignment=\"bottom\" left-margin=\"60\" right-margin=\"60\"\n"
                  "         top-margin=\"20\" bottom-margin=\"30\"\n"
                  "         subtitle-fps=\"%s\" movie-fps=\"%s\"\n"
                  "         movie-width=\"720\" movie-height=\"%d\"\n      />\n   </stream>\n</subpictures>\n",
                  XmlEscape(srt), fps, fps, height);
}

const char* kSrt = "1\n00:00:00,400 --> 00:00:01,200\nTom & Jerry \xE2\x80\x93 D\xC3\xBCsseldorf\n\n"
                   "2\n00:00:01,500 --> 00:00:02,500\n<Second> \"line\"\n";

TEST(AuthorLibrary, TextSubtitlesAreMuxedIntoTheVob)
{
    DiscFixture disc;
    AuthorLib lib;
    ASSERT_TRUE(lib.Ready());
    const std::string vob = disc.Title("clip");
    const std::string srt = disc.Work() + "Subtitle.srt";
    WriteText(srt, kSrt);
    WriteText(disc.Work() + "subtitle.xml", SubtitleXml(srt, "25", 576));
    const std::string out = disc.Work() + "clipsubtitle.vob";
    ASSERT_EQ(lib.Spumux(disc.Work() + "subtitle.xml", vob, out), AUTHOR_OK) << lib.lastError();
    EXPECT_STREQ(lib.lastError(), "");
    EXPECT_EQ(ReadAuthorCounter(lib.subtitlePercent()), 100);
    std::vector<std::string> streams = ProbeStreams(out);
    EXPECT_NE(std::find(streams.begin(), streams.end(), "subtitle:dvd_subtitle"), streams.end()) << streams.size();
    EXPECT_TRUE(FileExists(vob));
}

TEST(AuthorLibrary, NtscSubtitlesNeedNoVideoFormatFromTheCaller)
{
    ::unsetenv("VIDEO_FORMAT");
    DiscFixture disc;
    AuthorLib lib;
    ASSERT_TRUE(lib.Ready());
    const std::string vob = disc.Title("ntsc", 2.0, Disc::DvdNtsc);
    const std::string srt = disc.Work() + "Subtitle.srt";
    WriteText(srt, kSrt);
    WriteText(disc.Work() + "subtitle.xml", SubtitleXml(srt, "29.97", 480));
    EXPECT_EQ(lib.Spumux(disc.Work() + "subtitle.xml", vob, disc.Work() + "ntscsubtitle.vob"), AUTHOR_OK)
        << lib.lastError();
}

TEST(AuthorLibrary, SkippedSubpicturesFailAndLeaveNoOutput)
{
    DiscFixture disc;
    AuthorLib lib;
    ASSERT_TRUE(lib.Ready());
    const std::string vob = disc.Title("clip", 3.0);
    const std::string png = disc.Work() + "pic.png";
    ASSERT_EQ(outsidetest::Run({"ffmpeg", "-nostdin", "-v", "error", "-y", "-f", "lavfi", "-i", "color=c=0x010101:s=720x576",
                   "-vf", "drawbox=x=10:y=10:w=100:h=40:color=white:t=fill", "-frames:v", "1", "-pix_fmt", "rgb24",
                   png}),
              0);
    // The second picture starts before the first: spumux drops it and still exits 0.
    const std::string xml = disc.Work() + "late.xml";
    WriteText(xml, "<subpictures><stream>\n<spu start=\"00:00:02.0\" end=\"00:00:02.5\" image=\"" + XmlEscape(png) +
                       "\" transparent=\"010101\"/>\n<spu start=\"00:00:01.0\" end=\"00:00:01.5\" image=\"" +
                       XmlEscape(png) + "\" transparent=\"010101\"/>\n</stream></subpictures>\n");
    const std::string out = disc.Work() + "out.vob";
    EXPECT_EQ(lib.Spumux(xml, vob, out), AUTHOR_FAILED);
    EXPECT_NE(LowerCase(lib.lastError()).find("skip"), std::string::npos) << lib.lastError();
    EXPECT_FALSE(FileExists(out));
}

TEST(AuthorLibrary, SpumuxRefusesMissingFilesAndWritingOverItsInput)
{
    DiscFixture disc;
    AuthorLib lib;
    ASSERT_TRUE(lib.Ready());
    const std::string vob = disc.Title("clip", 2.0);
    const std::string xml = disc.Work() + "subtitle.xml";
    WriteText(xml, SubtitleXml(disc.Work() + "none.srt", "25", 576));
    const std::int64_t size = FileSize64(vob);
    EXPECT_EQ(lib.Spumux(xml, vob, vob), AUTHOR_BAD_ARGUMENTS);
    EXPECT_EQ(FileSize64(vob), size);
    EXPECT_EQ(lib.Spumux(xml, disc.Work() + "missing.vob", disc.Work() + "o.vob"), AUTHOR_MISSING_INPUT);
    EXPECT_EQ(lib.Spumux(disc.Work() + "missing.xml", vob, disc.Work() + "o.vob"), AUTHOR_MISSING_INPUT);
    EXPECT_EQ(lib.Spumux("", vob, disc.Work() + "o.vob"), AUTHOR_BAD_ARGUMENTS);
    // The subtitle file itself is missing: spumux fails, nothing is left behind.
    EXPECT_EQ(lib.Spumux(xml, vob, disc.Work() + "o.vob"), AUTHOR_FAILED);
    EXPECT_FALSE(FileExists(disc.Work() + "o.vob"));
}

// Titles part of every layout: one pgc per title, chapters as given.
std::string Titles(const std::vector<std::string>& vobs, const std::vector<std::string>& chapters,
                   const std::vector<bool>& subtitled = {})
{
    std::string text = "      <titles>\n" + DiscFixture::MenuStreams(9);
    bool any = false;
    for (bool s : subtitled)
        any = any || s;
    if (any)
        text += "          <subpicture lang=\"EN\"/>\n";
    for (std::size_t i = 0; i < vobs.size(); ++i) {
        text += "        <pgc>\n";
        if (i < subtitled.size() && subtitled[i])
            text += "          <pre> subtitle=64; </pre>\n";
        text += "          <vob file=\"" + XmlEscape(vobs[i]) + "\" chapters=\"" + chapters[i] + "\" />\n";
        text += i + 1 < vobs.size() ? Format("          <post>jump title %d;</post>\n", static_cast<int>(i + 2))
                                    : "          <post>call vmgm menu;</post>\n";
        text += "        </pgc>\n";
    }
    return text + "      </titles>\n";
}

TEST(AuthorLibrary, OneTitleWithoutMenu)
{
    DiscFixture disc;
    AuthorLib lib;
    ASSERT_TRUE(lib.Ready());
    const std::string vob = disc.Title("clip");
    WriteText(disc.Xml(), "<dvdauthor dest=\"" + XmlEscape(disc.Dest()) + "\">\n  <vmgm>\n  </vmgm>\n  <titleset>\n" +
                              Titles({vob}, {"00:00:00.00"}) + "  </titleset>\n</dvdauthor>\n");
    ASSERT_EQ(lib.Author(disc.Xml()), AUTHOR_OK) << lib.lastError();
    std::vector<LsdvdTitle> titles = ReadDisc(disc.Dest());
    ASSERT_EQ(titles.size(), 1u);
    EXPECT_EQ(titles[0].chapters, 1);
    EXPECT_TRUE(FileExists(disc.Dest() + "/VIDEO_TS/VTS_01_1.VOB"));
}

TEST(AuthorLibrary, SeveralTitlesWithChaptersWhereAsked)
{
    DiscFixture disc;
    AuthorLib lib;
    ASSERT_TRUE(lib.Ready());
    const std::string first = disc.Title("first", 6.0), second = disc.Title("second", 3.0);
    WriteText(disc.Xml(), "<dvdauthor dest=\"" + XmlEscape(disc.Dest()) + "\">\n  <vmgm>\n  </vmgm>\n  <titleset>\n" +
                              Titles({first, second}, {"0, 00:00:02.00, 00:00:04.00", "00:00:00.00"}) +
                              "  </titleset>\n</dvdauthor>\n");
    ASSERT_EQ(lib.Author(disc.Xml()), AUTHOR_OK) << lib.lastError();
    std::vector<LsdvdTitle> titles = ReadDisc(disc.Dest());
    ASSERT_EQ(titles.size(), 2u);
    ASSERT_EQ(titles[0].chapterStarts.size(), 3u);
    // Chapters start on a GOP (12 frames, 0.48 s) at or before the asked time.
    const double asked[] = {0.0, 2.0, 4.0};
    for (int j = 0; j < 3; ++j)
        EXPECT_NEAR(titles[0].chapterStarts[j], asked[j], 0.5) << "chapter " << j + 1;
    EXPECT_EQ(titles[1].chapters, 1);
}

TEST(AuthorLibrary, ConvertLayoutWithTitleMenuIsAuthored)
{
    DiscFixture disc;
    AuthorLib lib;
    ASSERT_TRUE(lib.Ready());
    const std::string a = disc.Title("a"), b = disc.Title("b");
    disc.Menu(lib, "TitleSub", 2);
    std::string x = "<dvdauthor dest=\"" + XmlEscape(disc.Dest()) + "\">\n  <vmgm>\n      <menus lang=\"EN\">\n" +
                    DiscFixture::MenuStreams(9) + "         <subpicture lang=\"EN\"/>\n" +
                    "         <pgc entry=\"title\">\n        <vob file=\"" + disc.W() +
                    "TitleSub.vob\" pause=\"inf\"/>\n        <button> jump title 1 ; </button>\n"
                    "        <button> jump title 2 ; </button>\n         </pgc>\n      </menus>\n  </vmgm>\n"
                    "  <titleset>\n      <menus lang=\"EN\">\n" +
                    DiscFixture::MenuStreams(9) + "         <subpicture lang=\"EN\"/>\n         <pgc>\n" +
                    "        <button> jump title 1 chapter  1; </button>\n"
                    "        <button> jump title 2 chapter  1; </button>\n       <vob file=\"" +
                    disc.W() + "TitleSub.vob\" pause=\"inf\"/>\n      </pgc>\n    </menus>\n" +
                    Titles({a, b}, {"00:00:00.00", "00:00:00.00"}) + "  </titleset>\n</dvdauthor>\n";
    WriteText(disc.Xml(), x);
    ASSERT_EQ(lib.Author(disc.Xml()), AUTHOR_OK) << lib.lastError();
    EXPECT_EQ(ReadDisc(disc.Dest()).size(), 2u);
    EXPECT_TRUE(FileExists(disc.Dest() + "/VIDEO_TS/VIDEO_TS.VOB"));   // the title menu
}

TEST(AuthorLibrary, TitleMenuLayoutWithASubtitledTitleIsAuthored)
{
    DiscFixture disc;
    AuthorLib lib;
    ASSERT_TRUE(lib.Ready());
    const std::string plain = disc.Title("plain");
    const std::string a = disc.Title("a");
    const std::string srt = disc.Work() + "Subtitle.srt";
    WriteText(srt, kSrt);
    WriteText(disc.Work() + "subtitle.xml", SubtitleXml(srt, "25", 576));
    ASSERT_EQ(lib.Spumux(disc.Work() + "subtitle.xml", a, disc.Work() + "asubtitle.vob"), AUTHOR_OK)
        << lib.lastError();
    ASSERT_TRUE(DeleteFile(a));
    ASSERT_TRUE(RenameFile(disc.Work() + "asubtitle.vob", a));
    disc.Menu(lib, "TitleSub", 2);
    std::string menu = "         <pgc entry=\"title\">\n         <pre> button = 1024; </pre>\n        <vob file=\"" +
                       disc.W() + "TitleSub.vob\" pause=\"inf\"/>\n        <button> jump title 1 ; </button>\n"
                       "        <button> jump title 2 ; </button>\n         </pgc>\n";
    std::string x = "<dvdauthor dest=\"" + XmlEscape(disc.Dest()) + "\">\n  <vmgm>\n      <menus lang=\"EN\">\n" +
                    DiscFixture::MenuStreams(9) + "         <subpicture lang=\"EN\"/>\n" + menu +
                    "      </menus>\n  </vmgm>\n  <titleset>\n      <menus lang=\"EN\">\n" +
                    DiscFixture::MenuStreams(9) + "         <subpicture lang=\"EN\"/>\n" +
                    StringReplace(menu, " entry=\"title\"", "", 0) + "      </menus>\n" +
                    Titles({a, plain}, {"00:00:00.00", "00:00:00.00"}, {true, false}) +
                    "  </titleset>\n</dvdauthor>\n";
    WriteText(disc.Xml(), x);
    ASSERT_EQ(lib.Author(disc.Xml()), AUTHOR_OK) << lib.lastError();
    std::vector<LsdvdTitle> titles = ReadDisc(disc.Dest());
    ASSERT_EQ(titles.size(), 2u);
    EXPECT_EQ(titles[0].subpictures, 1);
}

TEST(AuthorLibrary, ChapterMenuLayoutIsAuthored)
{
    DiscFixture disc;
    AuthorLib lib;
    ASSERT_TRUE(lib.Ready());
    const std::string a = disc.Title("a", 6.0), b = disc.Title("b", 3.0);
    const std::string main = disc.Menu(lib, "MainSubP", 2);
    disc.Menu(lib, "TitleSub", 3);
    disc.Menu(lib, "ChapterSub_0", 4);
    disc.Menu(lib, "ChapterSub_1", 2);
    std::string x = "<dvdauthor dest=\"" + XmlEscape(disc.Dest()) + "\">\n  <vmgm>\n      <menus lang=\"EN\">\n" +
                    DiscFixture::MenuStreams(9) + "         <subpicture lang=\"EN\"/>\n" +
                    "         <pgc entry=\"title\">\n         <pre> button = 1024; </pre>\n        <vob file=\"" +
                    XmlEscape(main) + "\" pause=\"10\"/>\n          <post> jump titleset 1 menu ; </post>\n" +
                    "        <button> jump title 1 ;</button>\n        <button> jump titleset 1 menu ;</button>\n" +
                    "         </pgc>\n      </menus>\n  </vmgm>\n  <titleset>\n      <menus lang=\"EN\">\n" +
                    "         <subpicture lang=\"EN\"/>\n         <pgc entry=\"root\">\n" +
                    "         <pre> button = 2048; </pre>\n        <vob file=\"" + disc.W() +
                    "TitleSub.vob\" pause=\"inf\"/>\n          <button> jump vmgm menu ; </button>\n" +
                    "        <button> jump menu 2; </button>\n        <button> jump menu 3; </button>\n" +
                    "         </pgc>\n";
    const int chapterCounts[] = {3, 1};
    for (int k = 0; k < 2; ++k) {
        x += "         <pgc>\n          <pre> button = 2048; </pre>\n        <vob file=\"" + disc.W() +
             Format("ChapterSub_%d.vob", k) + "\" pause=\"inf\"/>\n          <button> jump menu 1 ; </button>\n";
        for (int j = 1; j <= chapterCounts[k]; ++j)
            x += Format("        <button> jump title %d chapter %d ; </button>\n", k + 1, j);
        x += "         </pgc>\n";
    }
    x += "      </menus>\n" + Titles({a, b}, {"0, 00:00:02.00, 00:00:04.00", "00:00:00.00"}) +
         "  </titleset>\n</dvdauthor>\n";
    WriteText(disc.Xml(), x);
    ASSERT_EQ(lib.Author(disc.Xml()), AUTHOR_OK) << lib.lastError();
    std::vector<LsdvdTitle> titles = ReadDisc(disc.Dest());
    ASSERT_EQ(titles.size(), 2u);
    EXPECT_EQ(titles[0].chapters, 3);
    EXPECT_TRUE(FileExists(disc.Dest() + "/VIDEO_TS/VTS_01_0.VOB"));   // the titleset menus
}

TEST(AuthorLibrary, MixedTvStandardsInOneTitlesetFail)
{
    DiscFixture disc;
    AuthorLib lib;
    ASSERT_TRUE(lib.Ready());
    const std::string pal = disc.Title("pal", 2.0), ntsc = disc.Title("ntsc", 2.0, Disc::DvdNtsc);
    WriteText(disc.Xml(), "<dvdauthor dest=\"" + XmlEscape(disc.Dest()) + "\">\n  <vmgm>\n  </vmgm>\n  <titleset>\n" +
                              Titles({pal, ntsc}, {"00:00:00.00", "00:00:00.00"}) + "  </titleset>\n</dvdauthor>\n");
    EXPECT_EQ(lib.Author(disc.Xml()), AUTHOR_FAILED);
    EXPECT_NE(std::string(lib.lastError()).find("skipping"), std::string::npos) << lib.lastError();
    // The half-written disc is gone; the titles stay.
    EXPECT_FALSE(DirectoryExists(disc.Dest()));
    EXPECT_TRUE(FileExists(pal));
    EXPECT_TRUE(FileExists(ntsc));
}

TEST(AuthorLibrary, NoPanScanOnFourByThreeVideoFails)
{
    DiscFixture disc;
    AuthorLib lib;
    ASSERT_TRUE(lib.Ready());
    const std::string vob = disc.Title("clip", 2.0);
    std::string titles = Titles({vob}, {"00:00:00.00"});
    titles = StringReplace(titles, "resolution=\"720x576\" />", "resolution=\"720x576\"\n widescreen=\"nopanscan\" />", 0);
    WriteText(disc.Xml(), "<dvdauthor dest=\"" + XmlEscape(disc.Dest()) + "\">\n  <vmgm>\n  </vmgm>\n  <titleset>\n" +
                              titles + "  </titleset>\n</dvdauthor>\n");
    EXPECT_EQ(lib.Author(disc.Xml()), AUTHOR_FAILED);
    EXPECT_NE(std::string(lib.lastError()), "");
    EXPECT_EQ(lib.Author(disc.Work() + "missing.xml"), AUTHOR_MISSING_INPUT);
}

// ---- fake programs: cancel, progress and the environment they get ----

class FakeAuthoring : public ::testing::Test {
protected:
    FakeAuthoring() : folder_("keldara-author-fake"), fakes_(Bin()) {}
    std::string Bin()
    {
        ForceDirectories(folder_.File("bin"));
        return folder_.File("bin");
    }
    std::string F(const std::string& name) const { return folder_.File(name); }
    OutputFolder folder_;
    FakePrograms fakes_;
};

// A program stream of 2048-byte packs, the first carrying `payload` after its pack header.
std::string PackedStream(int packs, const std::string& payload = {})
{
    std::string stream;
    for (int i = 0; i < packs; ++i) {
        std::string pack(2048, '\xff');
        pack.replace(0, 14, std::string("\x00\x00\x01\xba\x44\x00\x04\x00\x04\x01\x01\x89\xc3\xf8", 14));
        if (i == 0 && !payload.empty())
            pack.replace(14, payload.size(), payload);
        stream += pack;
    }
    return stream;
}

TEST_F(FakeAuthoring, CancelKillsDvdauthorAndItsChildren)
{
    fakes_.Add("dvdauthor", "echo $$ > '" + F("author.pid") + "'\nsleep 60 &\necho $! > '" + F("sleep.pid") +
                                "'\nwait\n");
    WriteText(F("Author.xml"), "<dvdauthor><vmgm/></dvdauthor>\n");
    AuthorLib lib;
    ASSERT_TRUE(lib.Ready());
    auto run = std::async(std::launch::async, [&] { return lib.Author(F("Author.xml")); });
    ASSERT_TRUE(WaitUntil([&] { return FileSize64(F("sleep.pid")) > 0; }));
    const int authorPid = std::stoi(ReadText(F("author.pid"))), sleepPid = std::stoi(ReadText(F("sleep.pid")));
    EXPECT_EQ(lib.Author(F("Author.xml")), AUTHOR_BUSY);
    lib.cancel();
    ASSERT_EQ(run.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_EQ(run.get(), AUTHOR_CANCELLED);
    EXPECT_FALSE(ProcessAlive(authorPid));
    // The whole group was signalled; a grandchild dies a moment later.
    EXPECT_TRUE(WaitUntil([&] { return !ProcessAlive(sleepPid); }, 5000));
    // The job is over: its later steps do not run.
    EXPECT_EQ(lib.Spumux(F("Author.xml"), F("Author.xml"), F("out.vob")), AUTHOR_CANCELLED);
}

TEST_F(FakeAuthoring, FailedRunLeavesNoPartialDiscOnAnyPath)
{
    // dvdauthor writes the first VOB of the disc, then ends in each way a run can fail.
    const std::string dest = F("Work/DVD_DISC");
    const std::string vob = F("Work/clip.vob");
    ForceDirectories(F("Work"));
    WriteText(vob, std::string(4096, 'v'));
    const std::string write = "mkdir -p '" + dest + "/VIDEO_TS' && head -c 8192 /dev/zero > '" + dest +
                              "/VIDEO_TS/VTS_01_1.VOB'\n";
    const std::vector<std::pair<std::string, int>> endings = {
        {"exit 1", AUTHOR_FAILED},
        {"kill -9 $$", AUTHOR_FAILED},
        {"echo 'ERR:  Could not write: No space left on device' >&2\nexit 1", AUTHOR_FAILED},
        {"touch '" + F("written") + "'\nsleep 60", AUTHOR_CANCELLED},
    };
    for (const auto& [ending, code] : endings) {
        SCOPED_TRACE(ending);
        DeleteFile(F("written"));
        fakes_.Add("dvdauthor", write + ending + "\n");
        WriteText(F("Author.xml"), "<dvdauthor dest=\"" + XmlEscape(dest) + "\"><vmgm/></dvdauthor>\n");
        AuthorLib lib;
        ASSERT_TRUE(lib.Ready());
        auto run = std::async(std::launch::async, [&] { return lib.Author(F("Author.xml")); });
        if (code == AUTHOR_CANCELLED) {
            ASSERT_TRUE(WaitUntil([&] { return FileExists(F("written")); }));
            lib.cancel();
        }
        ASSERT_EQ(run.wait_for(std::chrono::seconds(10)), std::future_status::ready);
        EXPECT_EQ(run.get(), code) << lib.lastError();
        EXPECT_FALSE(DirectoryExists(dest));
        EXPECT_TRUE(FileExists(vob));
    }

    // A destination that was there before keeps what it held; only the disc folder goes.
    ForceDirectories(dest);
    WriteText(dest + "/notes.txt", "mine");
    fakes_.Add("dvdauthor", write + "exit 1\n");
    AuthorLib lib;
    EXPECT_EQ(lib.Author(F("Author.xml")), AUTHOR_FAILED);
    EXPECT_TRUE(FileExists(dest + "/notes.txt"));
    EXPECT_FALSE(DirectoryExists(dest + "/VIDEO_TS"));
}

TEST_F(FakeAuthoring, VobMegabytesFollowDvdauthorsProgressLines)
{
    fakes_.Add("dvdauthor", "echo \"$VIDEO_FORMAT\" > '" + F("format") + "'\n"
                            "printf 'STAT: VOBU 10 at 3MB, 1 PGCs\\rSTAT: VOBU 20 at 5MB, 1 PGCs\\r' >&2\n"
                            "while [ ! -f '" + F("go") + "' ]; do sleep 0.02; done\n"
                            "printf 'STAT: VOBU 2 at 1MB, 1 PGCs\\r' >&2\n");
    WriteText(F("Author.xml"), "<dvdauthor>\n<titleset><titles><video format=\"ntsc\"/></titles></titleset>\n"
                               "</dvdauthor>\n");
    AuthorLib lib;
    ASSERT_TRUE(lib.Ready());
    int* counter = lib.vobsMB();
    auto run = std::async(std::launch::async, [&] { return lib.Author(F("Author.xml")); });
    EXPECT_TRUE(WaitUntil([&] { return ReadAuthorCounter(counter) == 5; }));
    WriteText(F("go"), "");
    ASSERT_EQ(run.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_EQ(run.get(), AUTHOR_OK) << lib.lastError();
    EXPECT_EQ(ReadAuthorCounter(counter), 6);
    EXPECT_EQ(Trim(ReadText(F("format"))), "NTSC");
}

TEST_F(FakeAuthoring, DvdauthorThatLeavesNoDiscFails)
{
    fakes_.Add("dvdauthor", "exit 0");
    WriteText(F("Author.xml"), "<dvdauthor dest=\"" + XmlEscape(F("DVD")) + "\"><vmgm/></dvdauthor>\n");
    AuthorLib lib;
    ASSERT_TRUE(lib.Ready());
    EXPECT_EQ(lib.Author(F("Author.xml")), AUTHOR_BAD_OUTPUT);
    fakes_.Add("dvdauthor", "exit 1");
    EXPECT_EQ(lib.Author(F("Author.xml")), AUTHOR_FAILED);
}

// Programs that say they succeeded (exit 0, no complaint) but wrote something
// else than what they were asked for: the run fails with the reason, nothing
// of theirs is kept, and an input is never replaced.
TEST_F(FakeAuthoring, OutputsThatAreNotWhatTheProgramsMakeAreFailures)
{
    const std::string dest = F("DVD");
    WriteText(F("Author.xml"), "<dvdauthor dest=\"" + XmlEscape(dest) + "\"><vmgm/></dvdauthor>\n");
    const std::string ts = "mkdir -p '" + dest + "/VIDEO_TS' && cd '" + dest + "/VIDEO_TS' && ";
    const std::string vmg = "printf 'DVDVIDEO-VMG' > VIDEO_TS.IFO && head -c 4096 /dev/zero >> VIDEO_TS.IFO";
    const std::string vts = "printf 'DVDVIDEO-VTS' > VTS_01_0.IFO && head -c 4096 /dev/zero >> VTS_01_0.IFO";
    const std::vector<std::pair<std::string, std::string>> liars = {
        {"head -c 16384 /dev/urandom > VIDEO_TS.IFO && " + vts, "VIDEO_TS.IFO that is not one"},
        {vmg + " && head -c 4096 /dev/urandom > VTS_01_0.IFO", "VTS_01_0.IFO that is not one"},
        {vmg, "no title set"},
    };
    AuthorLib lib;
    ASSERT_TRUE(lib.Ready());
    for (const auto& [script, reason] : liars) {
        SCOPED_TRACE(script);
        fakes_.Add("dvdauthor", ts + script + "\n");
        EXPECT_EQ(lib.Author(F("Author.xml")), AUTHOR_BAD_OUTPUT);
        EXPECT_NE(std::string(lib.lastError()).find(reason), std::string::npos) << lib.lastError();
        EXPECT_FALSE(DirectoryExists(dest));
    }
    fakes_.Add("dvdauthor", ts + vmg + " && " + vts + "\n");
    EXPECT_EQ(lib.Author(F("Author.xml")), AUTHOR_OK) << lib.lastError();
    EXPECT_TRUE(FileExists(dest + "/VIDEO_TS/VIDEO_TS.IFO"));

    // spumux writing blocks of other bytes, or a stream that stops in the middle of a pack.
    WriteText(F("in.vob"), PackedStream(8));
    WriteText(F("menu.xml"), "<subpictures/>\n");
    for (const std::string& output : {std::string("head -c 20480 /dev/urandom"),
                                      "head -c 5000 '" + F("in.vob") + "'"}) {
        SCOPED_TRACE(output);
        fakes_.Add("spumux", "cat >/dev/null\n" + output + "\n");
        EXPECT_EQ(lib.Spumux(F("menu.xml"), F("in.vob"), F("out.vob")), AUTHOR_BAD_OUTPUT);
        EXPECT_NE(std::string(lib.lastError()).find("spumux: "), std::string::npos) << lib.lastError();
        EXPECT_FALSE(FileExists(F("out.vob")));
        EXPECT_EQ(ReadText(F("in.vob")), PackedStream(8));
    }
}

TEST_F(FakeAuthoring, SubtitlePercentIsTheShareOfTheStreamFed)
{
    // A PAL sequence header at the start of an otherwise blank stream.
    std::string stream(200000, '\0');
    stream.replace(0, 12, std::string("\x00\x00\x01\xB3\x2D\x02\x40\x23\xFF\xFF\xE0\x00", 12));
    WriteText(F("in.vob"), stream);
    WriteText(F("menu.xml"), "<subpictures/>\n");
    fakes_.Add("spumux", "echo \"$VIDEO_FORMAT $*\" > '" + F("args") + "'\n"
                         "head -c 100000 >/dev/null\ntouch '" + F("halfway") + "'\n"
                         "while [ ! -f '" + F("go") + "' ]; do sleep 0.02; done\n"
                         "cat >/dev/null\ncat '" + F("packs.vob") + "'\n");
    WriteText(F("packs.vob"), PackedStream(2));
    AuthorLib lib;
    ASSERT_TRUE(lib.Ready());
    int* percent = lib.subtitlePercent();
    auto run = std::async(std::launch::async, [&] { return lib.Spumux(F("menu.xml"), F("in.vob"), F("out.vob")); });
    ASSERT_TRUE(WaitUntil([&] { return FileExists(F("halfway")); }));
    EXPECT_TRUE(WaitUntil([&] { return ReadAuthorCounter(percent) == 50; }));
    WriteText(F("go"), "");
    ASSERT_EQ(run.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_EQ(run.get(), AUTHOR_OK) << lib.lastError();
    EXPECT_EQ(ReadAuthorCounter(percent), 100);
    EXPECT_EQ(FileSize64(F("out.vob")), 4096);
    EXPECT_EQ(Trim(ReadText(F("args"))), "PAL -m dvd " + F("menu.xml"));
}

TEST_F(FakeAuthoring, SubtitleFontIsTheInstalledFontTheGraphicsDrawArialWith)
{
    WriteText(F("in.vob"), PackedStream(4, std::string("\x00\x00\x01\xB3\x2D\x02\x40\x23\xFF\xFF\xE0\x00", 12)));
    WriteText(F("subtitle.xml"), SubtitleXml(F("Subtitle.srt"), "25", 576));
    fakes_.Add("spumux", "cp \"$3\" '" + F("seen.xml") + "'\necho \"$3\" > '" + F("seen.path") + "'\n"
                         "cat\necho 'INFO: 2 subtitles added, 0 subtitles skipped, stream: 32, offset: 0.16' >&2\n");
    AuthorLib lib;
    ASSERT_TRUE(lib.Ready());
    ASSERT_EQ(lib.Spumux(F("subtitle.xml"), F("in.vob"), F("out.vob")), AUTHOR_OK) << lib.lastError();
    const std::vector<XmlTag> tags = ScanStartTags(ReadText(F("seen.xml")));
    ASSERT_EQ(tags.size(), 3u);
    const XmlAttribute* font = tags[2].Find("font");
    ASSERT_NE(font, nullptr);
    EXPECT_TRUE(FileExists(font->value)) << font->value;
    EXPECT_NE(font->value.find("Liberation"), std::string::npos) << font->value;
    // Everything else is the caller's description, and the rewritten copy is gone.
    EXPECT_EQ(tags[2].Find("filename")->value, F("Subtitle.srt"));
    EXPECT_EQ(tags[2].Find("movie-height")->value, "576");
    EXPECT_FALSE(FileExists(Trim(ReadText(F("seen.path")))));
    EXPECT_EQ(FileSize64(F("out.vob")), 8192);
}

} // namespace
