// The subtitle stage: the spumux description byte for byte, the region's font
// and character set, a real spumux run of an 8-bit subtitle file, and the
// disc builder's runs with a subtitled clip (read back with lsdvd and
// spuunmux): the same text in UTF-8, UTF-16 and ISO-8859-1, a trimmed clip, an
// SVCD run, a broken and a missing subtitle file, clips whose multiplex failed,
// and Stop while spumux runs.
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
    // spumux got the cues with the file's own bytes, in the region's character set.
    EXPECT_EQ(outsidetest::ReadText(program_ + "RES/Subtitle.srt"),
              "1\n00:00:00,200 --> 00:00:01,400\nCaf\xE9 cr\xE8me \xE0 la gare\n\n"
              "2\n00:00:01,500 --> 00:00:02,400\nGr\xFC\xDF" "e aus K\xF6ln\n\n"
              "3\n00:00:02,500 --> 00:00:02,900\nNa\xEFve \xC9t\xE9\n\n");
    const std::string xml = outsidetest::ReadText(program_ + "RES/subtitle.xml");
    EXPECT_NE(xml.find("fontsize=\"28\" font=\"ARIAL.TTF\""), std::string::npos) << xml;
    EXPECT_NE(xml.find("characterset=\"ISO-8859-1\""), std::string::npos) << xml;
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

// The same two cues as other programs save them: the disc's subpictures are the
// same pictures at the same times, whatever the file's encoding. The files stay as
// they were. With KELDARA_KEEP_TEST_OUTPUT=1 a frame of the UTF-8 title with its
// subtitle is kept.
TEST_F(SubtitleRunTest, TheSameTextInUtf8Utf16AndLatin1GivesTheSameSubpictures)
{
    const std::string latin1 = "1\r\n00:00:00,200 --> 00:00:01,400\r\nBonjour, \xE7" "a va ? \xC9t\xE9 \xE0 No\xEBl\r\n\r\n"
                               "2\r\n00:00:01,500 --> 00:00:02,400\r\nGr\xFC\xDF" "e aus K\xF6ln\r\n";
    const std::string utf8 = "1\n00:00:00,200 --> 00:00:01,400\nBonjour, \xC3\xA7" "a va ? \xC3\x89t\xC3\xA9 \xC3\xA0 No\xC3\xABl\n\n"
                             "2\n00:00:01,500 --> 00:00:02,400\nGr\xC3\xBC\xC3\x9F" "e aus K\xC3\xB6ln\n";
    std::string utf16 = "\xFF\xFE";   // the Latin-1 text's bytes are its code points
    for (const char c : latin1) utf16 += c, utf16 += '\0';
    const std::vector<std::pair<std::string, std::string>> files = {
        {"utf8.srt", utf8}, {"latin1.srt", latin1}, {"marked.srt", "\xEF\xBB\xBF" + utf8}, {"utf16.srt", utf16}};
    for (const auto& [name, bytes] : files) {
        TQV_MovieImage* clip = AddClipFile(name.substr(0, name.size() - 4) + ".avi", 3);
        clip->SubtitleFile = Srt(name, bytes);
        clip->SubtitleFontSize = 28;
    }
    Build();
    for (const std::string& line : BuilderLog()) EXPECT_EQ(line.find("skipped"), std::string::npos) << line;
    // The last clip's description: a UTF-16 file goes to spumux as UTF-8.
    EXPECT_NE(outsidetest::ReadText(program_ + "RES/subtitle.xml").find("characterset=\"UTF-8\""), std::string::npos);
    EXPECT_EQ(outsidetest::ReadText(program_ + "RES/Subtitle.srt"),
              "1\n00:00:00,200 --> 00:00:01,400\nBonjour, \xC3\xA7" "a va ? \xC3\x89t\xC3\xA9 \xC3\xA0 No\xC3\xABl\n\n"
              "2\n00:00:01,500 --> 00:00:02,400\nGr\xC3\xBC\xC3\x9F" "e aus K\xC3\xB6ln\n\n");
    for (const auto& [name, bytes] : files) EXPECT_EQ(outsidetest::ReadText(media_ + name), bytes) << name;

    const std::string dest = work_ + "DVD_DISC";
    const std::string vob = dest + "/VIDEO_TS/VTS_01_1.VOB";
    const std::vector<disctest::Subpicture> pictures = disctest::ReadSubpictures({vob}, root_ + "/spu");
    ASSERT_EQ(pictures.size(), 8u);
    const double title = pictures[2].start - 0.2;   // the titles follow each other in the stream
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        SCOPED_TRACE(i);
        const disctest::Subpicture& first = pictures[i % 2];
        EXPECT_FALSE(pictures[i].png.empty());
        EXPECT_TRUE(pictures[i].png == first.png) << files[i / 2].first << " draws another picture";
        EXPECT_NEAR(pictures[i].start - first.start, (i / 2) * title, 0.05);
        EXPECT_NEAR(pictures[i].end - pictures[i].start, first.end - first.start, 0.05);
    }
    EXPECT_NEAR(pictures[0].start, 0.2, 0.05);
    EXPECT_NEAR(pictures[0].end, 1.4, 0.05);
    EXPECT_NEAR(pictures[1].start, 1.5, 0.05);
    EXPECT_NE(pictures[0].png, pictures[1].png);

    // A frame of the UTF-8 title (the first) while its first cue shows, the subpictures drawn by ffmpeg.
    outsidetest::OutputFolder frames("keldara-subtitle-utf8-frame");
    EXPECT_EQ(outsidetest::Run({"ffmpeg", "-nostdin", "-v", "error", "-y", "-probesize", "50M", "-analyzeduration",
                                "50M", "-i", vob, "-filter_complex", "[0:v][0:s:0]overlay", "-ss", "0.8",
                                "-frames:v", "1", frames.File("utf8-title.png")}),
              0);
}

// A clip whose begin is set at 4 s and its end at 9 s: the disc shows each cue at
// its time less 4 s, cuts the cues that run over either edge, and leaves out
// those before the begin and after the end (the times spuunmux reads back). An
// untrimmed clip leaves out the cues past its end.
TEST_F(SubtitleRunTest, ATrimmedClipsCuesComeAtTheirTimeInTheKeptPart)
{
    TQV_MovieImage* clip = AddClipFile("Trimmed.avi", 12);
    clip->StartPoint = 4;
    clip->EndPoint = 9;
    clip->SubtitleFile = Srt("trimmed.srt",
                             "1\n00:00:01,000 --> 00:00:03,000\nBefore\n\n"
                             "2\n00:00:03,500 --> 00:00:05,000\nAcross the begin\n\n"
                             "3\n00:00:05,000 --> 00:00:06,000\nAt five\n\n"
                             "4\n00:00:08,500 --> 00:00:10,000\nAcross the end\n\n"
                             "5\n00:00:09,500 --> 00:00:11,000\nAfter\n");
    Build();
    const std::vector<disctest::DiscTitle> disc = disctest::ReadDisc(work_ + "DVD_DISC");
    ASSERT_EQ(disc.size(), 1u);
    EXPECT_NEAR(disc[0].length, 5, 0.6);
    const std::vector<disctest::Subpicture> pictures =
        disctest::ReadSubpictures({work_ + "DVD_DISC/VIDEO_TS/VTS_01_1.VOB"}, root_ + "/spu");
    ASSERT_EQ(pictures.size(), 3u);
    const double want[3][2] = {{0, 1}, {1, 2}, {4.5, 5}};
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_NEAR(pictures[i].start, want[i][0], 0.05) << i;
        EXPECT_NEAR(pictures[i].end, want[i][1], 0.05) << i;
    }
    EXPECT_EQ(outsidetest::ReadText(media_ + "trimmed.srt").substr(0, 2), "1\n");   // the user's file as it was

    // Every cue outside the kept part: the clip goes on without a subtitle, and the log says why.
    ReleaseProjectData();
    builder->Memo1->Lines()->Clear();
    std::filesystem::remove_all(work_ + "DVD_DISC");
    TQV_MovieImage* late = AddClipFile("Late.avi", 12);
    late->StartPoint = 0;
    late->EndPoint = 2;
    late->SubtitleFile = Srt("late.srt", "1\n00:00:05,000 --> 00:00:06,000\nToo late\n");
    // An untrimmed clip keeps its cues up to its own end.
    AddClipFile("Whole.avi", 3)->SubtitleFile =
        Srt("whole.srt", "1\n00:00:01,000 --> 00:00:02,000\nIn time\n\n2\n00:00:05,000 --> 00:00:06,000\nPast the end\n");
    Build();
    EXPECT_EQ(disctest::ReadSubpictures({work_ + "DVD_DISC/VIDEO_TS/VTS_01_1.VOB"}, root_ + "/spu2").size(), 1u);
    const Lines log = BuilderLog();
    EXPECT_NE(std::find(log.begin(), log.end(),
                        "The subtitle of Late.avi is skipped: none of its cues falls within the part of the clip that "
                        "is kept."),
              log.end())
        << ::testing::PrintToString(log);
    EXPECT_EQ(log.back(), "Process finished.");
}

// SVCD and VCD discs carry no subtitles: the run says so once for each clip that has one.
TEST_F(SubtitleRunTest, SvcdRunSaysOnceForEachClipThatItsSubtitleIsLeftOut)
{
    AddClipFile("Holiday.avi", 1);
    TQV_MovieImage* second = AddClipFile("Garden party.avi", 1);
    second->SubtitleFile = Srt("garden.srt", kLatin1Srt);
    Record();
    ReadyBuilder(2);
    StartBuilder();
    ASSERT_TRUE(BuildToEnd());
    const Lines log = BuilderLog();
    const std::string note = "The subtitle of Garden party.avi is skipped: SVCD and VCD discs carry no subtitles.";
    EXPECT_EQ(std::count(log.begin(), log.end(), note), 1) << ::testing::PrintToString(log);
    const auto mux = std::find(log.begin(), log.end(), "Mux Garden party.avi >>>");
    ASSERT_NE(mux, log.end());
    EXPECT_EQ(*std::next(mux), note);
    for (const std::string& line : log) {
        EXPECT_EQ(line.find("Holiday.avi is skipped"), std::string::npos);
        EXPECT_EQ(line.find("Add subtitle"), std::string::npos);
    }
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

// A clip that was not multiplexed has no stream to take a subtitle: its subtitle
// stage is left out, with no line or box about a subtitle of a clip that failed.
TEST_F(SubtitleRunTest, AClipWhoseMultiplexFailedGetsNoSubtitleStage)
{
    ForceDirectories(root_ + "/fakebin");
    outsidetest::FakePrograms fakes(root_ + "/fakebin");
    fakes.Add("mplex", "case \"$*\" in *_DISC_[12][._]*) echo '**ERROR: [mplex] Could not write: No space left on device' "
                       ">&2\nexit 1;; esac\nexec /usr/bin/mplex \"$@\"\n");
    AddClipFile("Holiday.avi", 1)->SubtitleFile = Srt("holiday.srt", kLatin1Srt);
    AddClipFile("Birthday.avi", 1)->SubtitleFile = media_ + "gone.srt";
    AddClipFile("Garden party.avi", 1)->SubtitleFile = Srt("garden.srt", kLatin1Srt);
    Build();
    const std::string reason = "mplex: **ERROR: [mplex] Could not write: No space left on device";
    const Lines log = BuilderLog();
    EXPECT_EQ(Lines(log.begin(), log.begin() + std::min<std::size_t>(log.size(), 13)),
              (Lines{"Convert Holiday.avi >>> DVD_DISC_1.vob", "Mux Holiday.avi >>>", "Loading tormux.dll wrong.",
                     "Can not mux Holiday.avi!", reason, "Convert Birthday.avi >>> DVD_DISC_2.vob",
                     "Mux Birthday.avi >>>", "Loading tormux.dll wrong.", "Can not mux Birthday.avi!", reason,
                     "Convert Garden party.avi >>> DVD_DISC_3.vob", "Mux Garden party.avi >>>",
                     "Add subtitle to Garden party.avi >>>"}));
    for (const std::string& line : log) EXPECT_EQ(line.find("skipped"), std::string::npos) << line;
    // The only box is the author stage's about the missing first title, never one about a subtitle file.
    for (const std::string& text : BoxTexts()) EXPECT_EQ(text.find("Subtitle"), std::string::npos) << text;
    EXPECT_EQ(log.back(), "Process is terminated.");
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
