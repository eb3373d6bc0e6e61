// The subtitle stage: the spumux description byte for byte, the region's font
// and character set, a real spumux run of an 8-bit subtitle file, and the
// disc builder's runs with a subtitled clip (read back with lsdvd), a broken
// and a missing subtitle file, and Stop while spumux runs.
#include "builderfixture.h"
#include "discfixture.h"

#include "pipeline/qv_spumuxthread.h"
#include "pipeline/subtitlexml.h"

#include "author/dvdauthorlib.h"
#include "skin/kivbutton.h"

namespace {

using Lines = std::vector<std::string>;

// Three cues in ISO-8859-1, with accented letters.
const std::string kLatin1Srt =
    "1\r\n00:00:00,200 --> 00:00:01,400\r\nCaf\xE9 cr\xE8me \xE0 la gare\r\n\r\n"
    "2\r\n00:00:01,500 --> 00:00:02,400\r\nGr\xFC\xDF" "e aus K\xF6ln\r\n\r\n"
    "3\r\n00:00:02,500 --> 00:00:02,900\r\nNa\xEFve \xC9t\xE9\r\n";

TEST(SubtitleXml, PalLinesAreWrittenByteForByteWithEscapedValues)
{
    SubtitleXmlValues v;
    v.subtitleFile = "/home/Zo\xC3\xAB/F\xC3\xAAte & \"Spiel\" <1>/RES/Subtitle.srt";
    v.characterSet = "ISO-8859-1";
    v.fontSize = 28;
    v.fontFile = "ARIAL.TTF";
    v.pal = true;
    EXPECT_EQ(SubtitleXmlText(v),
              "<subpictures>\n"
              "   <stream>\n"
              "      <textsub filename=\"/home/Zo\xC3\xAB/F\xC3\xAAte &amp; &quot;Spiel&quot; &lt;1&gt;/RES/Subtitle.srt\" "
              "characterset=\"ISO-8859-1\"\n"
              "         fontsize=\"28\" font=\"ARIAL.TTF\" horizontal-alignment=\"center\"\n"
              "         vertical-alignment=\"bottom\" left-margin=\"60\" right-margin=\"60\"\n"
              "         top-margin=\"20\" bottom-margin=\"30\"\n"
              "         subtitle-fps=\"25\" movie-fps=\"25\"\n"
              "         movie-width=\"720\" movie-height=\"576\"\n"
              "      />\n"
              "   </stream>\n"
              "</subpictures>\n");
}

TEST(SubtitleXml, NtscTakes2997AndFourHundredEightyLines)
{
    SubtitleXmlValues v;
    v.subtitleFile = "/r/Subtitle.SRT";
    v.characterSet = "CP1250";
    v.fontSize = 24;
    v.fontFile = "TAHOMA.TTF";
    v.pal = false;
    EXPECT_EQ(SubtitleXmlText(v),
              "<subpictures>\n"
              "   <stream>\n"
              "      <textsub filename=\"/r/Subtitle.SRT\" characterset=\"CP1250\"\n"
              "         fontsize=\"24\" font=\"TAHOMA.TTF\" horizontal-alignment=\"center\"\n"
              "         vertical-alignment=\"bottom\" left-margin=\"60\" right-margin=\"60\"\n"
              "         top-margin=\"20\" bottom-margin=\"30\"\n"
              "         subtitle-fps=\"29.97\" movie-fps=\"29.97\"\n"
              "         movie-width=\"720\" movie-height=\"480\"\n"
              "      />\n"
              "   </stream>\n"
              "</subpictures>\n");
}

class SubtitleRegionTest : public ShellTest {
protected:
    void TearDown() override
    {
        CharacterSet.SetLength(0);
        LanguageCode.SetLength(0);
        RegionLanguage.SetLength(0);
        ShellTest::TearDown();
    }
};

TEST_F(SubtitleRegionTest, RegionsOutsideTheFileTakeRegionZeroAndFontsDefaultToArial)
{
    outsidetest::WriteText(program_ + "Language.ini",
                           "[Region]\nRegionCount=3\n"
                           "[Region0]\nRegionLanguage=English\nLanguageCode=EN\nCharacterSet=ISO-8859-1\n"
                           "RegionFontFileName=VERDANA.TTF\n"
                           "[Region1]\nRegionLanguage=Czech\nLanguageCode=CS\nCharacterSet=CP1250\n"
                           "[Region2]\nRegionLanguage=Dutch\nLanguageCode=NL\nRegionFontFileName=\n");
    ReadLanguageRegions();
    EXPECT_EQ(SubtitleRegion(1), 1);
    EXPECT_EQ(SubtitleRegion(-1), 0);
    EXPECT_EQ(SubtitleRegion(3), 0);
    EXPECT_EQ(RegionFontFileName(0), "VERDANA.TTF");
    EXPECT_EQ(RegionFontFileName(1), "ARIAL.TTF");   // no key
    EXPECT_EQ(RegionFontFileName(2), "ARIAL.TTF");   // an empty value
    EXPECT_EQ(RegionCharacterSet(1), "CP1250");
    EXPECT_EQ(RegionCharacterSet(2), "ISO-8859-1");
    CharacterSet.SetLength(0);
    EXPECT_EQ(RegionCharacterSet(SubtitleRegion(4)), "ISO-8859-1");
}

// A real spumux run through the job and its thread, as the disc builder starts it.
class SpumuxJobTest : public disctest::WorkerTest {
protected:
    // Runs the job on its thread; answers the message it posted.
    disctest::Posted RunJob(const std::shared_ptr<SpumuxJob>& job, disctest::Receiver& r)
    {
        new TQV_SpumuxThread(false, job);
        return r.Next();
    }
    std::string Description(const std::string& srt)
    {
        SubtitleXmlValues v;
        v.subtitleFile = srt;
        v.characterSet = "ISO-8859-1";
        v.fontFile = "ARIAL.TTF";
        const std::string xml = work_ + "subtitle.xml";
        outsidetest::WriteText(xml, SubtitleXmlText(v));
        return xml;
    }
};

TEST_F(SpumuxJobTest, Latin1SubtitleBecomesADvdSubtitleStream)
{
    const std::string vob = disctest::MuxVob(work_, "clip", 3.0);
    const std::string srt = work_ + "Subtitle & \xC3\xA9t\xC3\xA9.srt";
    outsidetest::WriteText(srt, kLatin1Srt);
    disctest::Receiver r;
    auto job = std::make_shared<SpumuxJob>(r.Handle(), Description(srt), vob, work_ + "clipsubtitle.vob");
    const disctest::Posted p = RunJob(job, r);
    EXPECT_EQ(p.message, 1237u);
    EXPECT_EQ(p.w, 0u);
    EXPECT_EQ(p.l, 0);
    ASSERT_TRUE(job->Finished());
    ASSERT_EQ(job->Result(), AUTHOR_OK) << job->Error();
    EXPECT_EQ(job->Percent(), 0);   // the library is gone
    const Lines streams = outsidetest::ProbeStreams(work_ + "clipsubtitle.vob");
    EXPECT_NE(std::find(streams.begin(), streams.end(), "subtitle:dvd_subtitle"), streams.end())
        << ::testing::PrintToString(streams);
}

TEST_F(SpumuxJobTest, BrokenSubtitleFileFailsAndLeavesNoOutput)
{
    const std::string vob = disctest::MuxVob(work_, "clip", 1.0);
    const std::string srt = work_ + "broken.srt";
    outsidetest::WriteText(srt, "this is\nno subtitle file\n");
    disctest::Receiver r;
    auto job = std::make_shared<SpumuxJob>(r.Handle(), Description(srt), vob, work_ + "clipsubtitle.vob");
    EXPECT_EQ(RunJob(job, r).message, 1237u);
    EXPECT_NE(job->Result(), AUTHOR_OK);
    EXPECT_FALSE(job->Error().empty());
    EXPECT_FALSE(FileExists(work_ + "clipsubtitle.vob"));
}

TEST_F(SpumuxJobTest, CancelledBeforeItStartsRunsNothingAndStillPosts)
{
    disctest::Receiver r;
    auto job = std::make_shared<SpumuxJob>(r.Handle(), work_ + "none.xml", work_ + "none.vob", work_ + "out.vob");
    job->Cancel();
    EXPECT_EQ(RunJob(job, r).message, 1237u);
    EXPECT_EQ(job->Result(), AUTHOR_CANCELLED);
}

// Disc-builder runs with subtitled clips.
class SubtitleRunTest : public BuilderTest {
protected:
    void SetUp() override
    {
        BuilderTest::SetUp();
        outsidetest::WriteText(program_ + "Language.ini",
                               "[Region]\nRegionCount=2\n"
                               "[Region0]\nRegionLanguage=English\nLanguageCode=EN\nCharacterSet=ISO-8859-1\n"
                               "[Region1]\nRegionLanguage=German\nLanguageCode=DE\nCharacterSet=ISO-8859-1\n"
                               "RegionFontFileName=ARIAL.TTF\n");
        ReadLanguageRegions();
    }
    void TearDown() override
    {
        BuilderTest::TearDown();
        CharacterSet.SetLength(0);
        LanguageCode.SetLength(0);
        RegionLanguage.SetLength(0);
    }
    void Build()
    {
        Record();   // a burn stage with a writer: no question about the disc
        ReadyBuilder(1);
        StartBuilder();
        ASSERT_TRUE(builder->RunActive());
        ASSERT_TRUE(BuildToEnd());
    }
    std::string Srt(const std::string& name, const std::string& text)
    {
        outsidetest::WriteText(media_ + name, text);
        return media_ + name;
    }
    // "Subtitle: 01, Language: de - ..." lines of each title, as lsdvd reads the disc.
    static std::vector<Lines> SubpictureLines(const std::string& dest)
    {
        std::string text;
        if (outsidetest::Run({"lsdvd", "-s", dest}, &text) != 0) return {};
        std::vector<Lines> titles;
        std::istringstream lines(text);
        for (std::string line; std::getline(lines, line);) {
            line = Trim(line);
            if (line.starts_with("Title:")) titles.emplace_back();
            else if (line.starts_with("Subtitle:") && !titles.empty())
                titles.back().push_back(line.substr(0, line.find(", Content")));
        }
        return titles;
    }
};

TEST_F(SubtitleRunTest, SubtitledClipGetsOneSubpictureStreamInItsRegionsLanguage)
{
    AddClipFile("Holiday.avi", 2);
    TQV_MovieImage* second = AddClipFile("Garden party.avi", 3);
    second->SubtitleFile = Srt("Garden \xC3\xA9t\xC3\xA9.srt", kLatin1Srt);
    second->SubtitleLanguage = 1;
    second->SubtitleFontSize = 28;
    Build();
    const std::string dest = work_ + "DVD_DISC";
    const Lines log = BuilderLog();
    EXPECT_NE(std::find(log.begin(), log.end(), "Add subtitle to Garden party.avi >>>"), log.end());
    EXPECT_EQ(log.back(), "Process finished.");
    for (const std::string& line : log) EXPECT_EQ(line.find("skipped"), std::string::npos) << line;
    const std::vector<Lines> subpictures = SubpictureLines(dest);
    ASSERT_EQ(subpictures.size(), 2u);
    EXPECT_TRUE(subpictures[0].empty()) << ::testing::PrintToString(subpictures[0]);
    ASSERT_EQ(subpictures[1].size(), 1u) << ::testing::PrintToString(subpictures[1]);
    EXPECT_TRUE(subpictures[1][0].starts_with("Subtitle: 01, Language: de")) << subpictures[1][0];
    EXPECT_EQ(outsidetest::ReadText(program_ + "RES/Subtitle.srt"), kLatin1Srt);   // spumux got the bytes as they are
    const std::string xml = outsidetest::ReadText(program_ + "RES/subtitle.xml");
    EXPECT_NE(xml.find("fontsize=\"28\" font=\"ARIAL.TTF\""), std::string::npos) << xml;
    EXPECT_TRUE(FilesIn(work_).empty());

    // A picture of the subtitled title while the first cue shows (the second title starts at 2 s),
    // with the subpictures drawn over it by ffmpeg and without: the cue adds light letters low
    // on the picture. Kept with KELDARA_KEEP_TEST_OUTPUT=1.
    outsidetest::OutputFolder frames("keldara-subtitle-frame");
    const std::string vob = dest + "/VIDEO_TS/VTS_01_1.VOB";
    ASSERT_TRUE(FileExists(vob));
    auto frame = [&](bool overlay, const std::string& out) {
        std::vector<std::string> argv = {"ffmpeg", "-nostdin", "-v", "error", "-y", "-probesize", "50M",
                                         "-analyzeduration", "50M", "-i", vob};
        if (overlay) argv.insert(argv.end(), {"-filter_complex", "[0:v][0:s:0]overlay"});
        argv.insert(argv.end(), {"-ss", "2.8", "-frames:v", "1", out});
        return outsidetest::Run(argv);
    };
    const std::string shown = frames.File("subtitled.png"), plain = frames.File("plain.png");
    ASSERT_EQ(frame(true, shown), 0);
    ASSERT_EQ(frame(false, plain), 0);
    auto lightLow = [](const std::string& png) {   // light pixels in the lowest fifth
        std::string gray;
        outsidetest::Run({"ffmpeg", "-nostdin", "-v", "error", "-i", png, "-vf", "crop=iw:ih/5:0:ih*4/5", "-f",
                          "rawvideo", "-pix_fmt", "gray", "-"},
                         &gray);
        return std::count_if(gray.begin(), gray.end(), [](char c) { return static_cast<unsigned char>(c) > 200; });
    };
    EXPECT_GT(lightLow(shown), lightLow(plain) + 200);
}

TEST_F(SubtitleRunTest, BrokenAndMissingSubtitleFilesSkipOnlyTheSubtitle)
{
    TQV_MovieImage* first = AddClipFile("Holiday.avi", 1);
    TQV_MovieImage* second = AddClipFile("Garden party.avi", 1);
    first->SubtitleFile = Srt("broken.srt", "not\na subtitle\n");
    second->SubtitleFile = media_ + "gone.srt";
    Build();
    EXPECT_EQ(BoxTexts(), (Lines{"Can not find Subtitle file, progress is skiped."}));
    const Lines log = BuilderLog();
    ASSERT_GE(log.size(), 4u);
    EXPECT_EQ(log[1], "Mux Holiday.avi >>>");
    EXPECT_EQ(log[2], "Add subtitle to Holiday.avi >>>");
    EXPECT_TRUE(log[3].starts_with("The subtitle of Holiday.avi is skipped: ")) << log[3];
    EXPECT_EQ(log[4], "Convert Garden party.avi >>> DVD_DISC_2.vob");
    EXPECT_EQ(log.back(), "Process finished.");
    const std::vector<Lines> subpictures = SubpictureLines(work_ + "DVD_DISC");
    ASSERT_EQ(subpictures.size(), 2u);   // both clips are on the disc, unsubtitled
    EXPECT_TRUE(subpictures[0].empty());
    EXPECT_TRUE(subpictures[1].empty());
}

TEST_F(SubtitleRunTest, ASpumuxThatLiesNeverTakesTheClipsPlace)
{
    // spumux says it succeeded over blocks of other bytes: the clip keeps its own stream.
    ForceDirectories(root_ + "/fakebin");
    outsidetest::FakePrograms fakes(root_ + "/fakebin");
    fakes.Add("spumux", "cat >/dev/null\nhead -c 40960 /dev/urandom\n");
    TQV_MovieImage* clip = AddClipFile("Holiday.avi", 1);
    clip->SubtitleFile = Srt("cues.srt", kLatin1Srt);
    Build();
    const Lines log = BuilderLog();
    ASSERT_GE(log.size(), 4u);
    EXPECT_EQ(log[2], "Add subtitle to Holiday.avi >>>");
    EXPECT_TRUE(log[3].starts_with("The subtitle of Holiday.avi is skipped: spumux: ")) << log[3];
    EXPECT_EQ(log.back(), "Process finished.");
    const std::vector<Lines> subpictures = SubpictureLines(work_ + "DVD_DISC");
    ASSERT_EQ(subpictures.size(), 1u);   // the clip is on the disc, unsubtitled
    EXPECT_TRUE(subpictures[0].empty());
}

TEST_F(SubtitleRunTest, StopWhileSpumuxRunsLeavesNoChildAndIgnoresALateMessage)
{
    const std::string pidFile = root_ + "/spumux.pid";
    ForceDirectories(root_ + "/fakebin");
    outsidetest::FakePrograms fakes(root_ + "/fakebin");
    fakes.Add("spumux", "echo $$ > '" + pidFile + "'\nexec sleep 60\n");
    TQV_MovieImage* clip = AddClipFile("Holiday.avi", 1);
    clip->SubtitleFile = Srt("cues.srt", kLatin1Srt);
    ReadyBuilder(1);
    builder->Label4->SetChecked(false);   // an NTSC run
    builder->Label5->SetChecked(true);
    StartBuilder();
    ASSERT_TRUE(PumpUntil([&] { return FileExists(pidFile) && !ReadBytes(pidFile).empty(); }, 120));
    const std::string xml = outsidetest::ReadText(program_ + "RES/subtitle.xml");
    EXPECT_NE(xml.find("subtitle-fps=\"29.97\" movie-fps=\"29.97\""), std::string::npos) << xml;
    EXPECT_NE(xml.find("movie-height=\"480\""), std::string::npos) << xml;
    headless->ClickControl(*builder->kivImageButton_Stop);
    EXPECT_FALSE(builder->RunActive());
    EXPECT_EQ(BuilderLog().back(), "Process is terminated.");
    EXPECT_TRUE(NoChildLeft());
    EXPECT_FALSE(outsidetest::ProcessAlive(std::stoi(ReadBytes(pidFile))));
    const Lines log = BuilderLog();
    PostMessage(builder->Handle(), MSG_SPUMUX_DONE, 0, 0);
    PumpUntil([] { return false; }, 2);
    EXPECT_EQ(BuilderLog(), log);
    EXPECT_TRUE(FileExists(work_ + "DVD_DISC_1.vob"));
}

} // namespace
