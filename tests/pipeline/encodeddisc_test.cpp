// Discs made the whole way from synthetic source clips: encoded by the
// encoder library with the run's parameter block and trim, multiplexed and
// authored by the worker from the Author.xml the writers make, and read back
// with lsdvd (titles, lengths, aspect, chapter starts).
#include "discfixture.h"

#include "encoder/kvrencoder.h"
#include "pipeline/authorxml.h"
#include "pipeline/encodeparams.h"
#include "testkit/clips.h"
#include "testkit/tempfolder.h"
#include "win32/process.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <vector>

using namespace disctest;

namespace {

class EncodedDiscTest : public WorkerTest {
protected:
    // The encoder creates the sample sinks by class identifier: they are
    // registered with regsvr32 first, as the program does at start-up, into a
    // registry of the test's own.
    static void SetUpTestSuite()
    {
        registry_ = std::make_unique<testkit::TempFolder>("keldara-disc-registry");
        const std::string registry = registry_->File("registry");
        setenv("KELDARA_REGISTRY", registry.c_str(), 1);
        const char* bin = std::getenv("KELDARA_BIN_DIR");
        for (const char* server : {"audio.dll", "video.dll"}) {
            ProcessSpec spec;
            spec.argv = {JoinPath(bin ? bin : ".", "regsvr32"), "/s", server};
            spec.captureOutput = true;
            const ProcessResult r = RunProcess(spec, 30000);
            ASSERT_TRUE(r.Succeeded()) << server << ": " << r.errors << r.error;
        }
    }
    static void TearDownTestSuite() { registry_.reset(); }

    // The encoder library keeps its last finished worker until D_Stop; it is
    // let go here so that none outlives the test.
    void TearDown() override
    {
        D_Stop();
        WorkerTest::TearDown();
    }

    // A synthetic source clip in the working folder, as the probe leaves it.
    TQV_MovieImage* AddSourceClip(const std::string& name, double seconds, int width, int height, int aspect)
    {
        testkit::ClipSpec spec;
        spec.width = width;
        spec.height = height;
        spec.seconds = seconds;
        TQV_MovieImage* clip = AddClip(name, aspect);
        testkit::WriteClip(clip->SourcePath, spec);
        clip->VideoWidth = width;
        clip->VideoHeight = height;
        clip->FrameRate = spec.fpsNum;
        clip->Duration = clip->VideoDuration = clip->AudioDuration = seconds;
        clip->StartPoint = 0;
        clip->EndPoint = seconds;
        return clip;
    }

    // Encodes the clip as a DVD title the way a run does: block from the DVD
    // table, the trim passed unless it is the whole clip, completion awaited.
    Streams Encode(Receiver& r, const TQV_MovieImage& clip, bool pal, int outputType = 1)
    {
        pipeline::ClipEncodeInput in;
        in.sourcePath = clip.SourcePath;
        in.outputBase = work_ + StripFileExt(clip.OutputName);
        in.videoWidth = clip.VideoWidth;
        in.videoHeight = clip.VideoHeight;
        in.aspectIndex = clip.AspectIndex;
        in.letterBox = clip.LetterBox;
        EncoderParams params{};
        EncoderAdvSettings adv{};
        if (!pipeline::FillEncoderParams(in, outputType, pal, &params, &adv))
            throw std::runtime_error("the parameter block refused " + clip.SourcePath);
        D_InitEncoderDLL(r.Handle());
        D_AdvSettings(adv);
        D_CreateParam(params);
        D_BuildEncoder();
        D_BuildGraph();
        D_InitCPU();
        const bool whole = clip.StartPoint == 0 && clip.EndPoint == std::trunc(clip.VideoDuration);
        D_SetStartEndTime(whole ? 0 : clip.StartPoint, whole ? 0 : clip.EndPoint);
        D_Run();
        const Posted done = r.Next();
        if (done.message != MSG_ENCODER_DONE || done.l != kEncoderDoneVideoAndAudio)
            throw std::runtime_error("the encoder did not finish " + clip.SourcePath);
        return {params.VideoOutput, params.AudioOutput};
    }

    // Encodes and multiplexes every clip into its title VOB.
    void MakeTitles(bool pal)
    {
        Receiver r;
        for (std::int64_t i = 0; i < MyMovieImage.Length(); ++i) {
            const TQV_MovieImage& clip = *MyMovieImage[i];
            const Streams s = Encode(r, clip, pal);
            auto worker = MakeWorker(r.Handle());
            worker->StartMux(1, work_ + clip.OutputName, s.video, s.audio);
            const Posted p = r.Next();
            ASSERT_EQ(p.message, MSG_MUX_DONE);
            ASSERT_EQ(p.w, kMuxSucceeded) << worker->LastErrorText;
            EXPECT_EQ(p.l, kMuxDvdArgc);
            EXPECT_FALSE(FileExists(s.video));   // the encoder outputs go once muxed
            EXPECT_FALSE(FileExists(s.audio));
        }
    }

    // A menu still made by the encoder library, as the menu stages make theirs.
    std::string Still(const std::string& name)
    {
        std::vector<unsigned char> rows(720 * 576 * 3);
        for (std::size_t p = 0; p < rows.size(); p += 3)
            rows[p] = 160, rows[p + 1] = 60, rows[p + 2] = 20;   // blue-ish, b g r
        const std::string path = work_ + name;
        if (MPEG2StillEncode(rows.data(), 1, 2, path.c_str()) != 0)
            throw std::runtime_error("the menu still could not be encoded");
        return path;
    }

    // Runs the author job on RES/Author.xml; answers MSG_AUTHOR_DONE's LPARAM.
    LPARAM Author(const std::string& menuXml)
    {
        Receiver r;
        auto worker = MakeWorker(r.Handle());
        worker->MenuXmlPath = menuXml;
        worker->WithMenu = !menuXml.empty();
        worker->JobCode = kJobAuthor;
        const Posted p = r.Next();
        EXPECT_EQ(p.message, MSG_AUTHOR_DONE);
        EXPECT_EQ(p.w, 0u);
        lastError_ = worker->LastErrorText;
        return p.l;
    }

    std::string lastError_;
    static std::unique_ptr<testkit::TempFolder> registry_;
};

std::unique_ptr<testkit::TempFolder> EncodedDiscTest::registry_;

} // namespace

// Pictures of the video stream in a file, as the ffmpeg program decodes them.
int CountPictures(const std::string& path)
{
    std::string out;
    Run({"ffprobe", "-v", "error", "-select_streams", "v", "-count_frames", "-show_entries", "stream=nb_read_frames",
         "-of", "default=noprint_wrappers=1:nokey=1", path},
        &out);
    return std::atoi(out.c_str());
}

TEST_F(EncodedDiscTest, EveryPictureEncodedIsMultiplexedForEachDiscKind)
{
    TQV_MovieImage* clip = AddSourceClip("count", 3.0, 320, 240, 1);
    Receiver r;
    for (int outputType : {1, 2, 3}) {
        for (bool pal : {true, false}) {
            SCOPED_TRACE(testing::Message() << "output type " << outputType << (pal ? " PAL" : " NTSC"));
            const Streams s = Encode(r, *clip, pal, outputType);
            // The stream ends with its sequence end code.
            const std::string bytes = Read(s.video);
            ASSERT_GE(bytes.size(), 4u);
            EXPECT_EQ(bytes.substr(bytes.size() - 4), std::string("\0\0\1\xB7", 4));
            const int encoded = CountPictures(s.video);
            EXPECT_EQ(encoded, pal ? 75 : 90);
            const std::string output = work_ + (outputType == 1 ? "count.vob" : "count.mpg");
            auto worker = MakeWorker(r.Handle());
            worker->StartMux(outputType, output, s.video, s.audio);
            const Posted p = r.Next();
            ASSERT_EQ(p.w, kMuxSucceeded) << worker->LastErrorText;
            EXPECT_EQ(CountPictures(output), encoded);
        }
    }
}

TEST_F(EncodedDiscTest, WideNtscClipBecomesAOneTitleDisc)
{
    AddSourceClip("wide & \"new\"", 3.0, 640, 360, 2);
    MakeTitles(false);
    const std::string vob = work_ + MyMovieImage[0]->OutputName;
    const auto streams = ProbeStreams(vob);
    EXPECT_EQ(streams, (std::vector<std::string>{"data:dvd_nav_packet", "video:mpeg2video", "audio:ac3"}));

    AuthorXmlRun run;
    run.ClipCount = 1;
    run.Pal = false;
    ASSERT_TRUE(WriteTitleMenuAuthorXml(run)) << run.ErrorText;
    ASSERT_EQ(Author(""), 0) << lastError_ << "\n" << Read(AuthorXmlPath());
    const auto titles = ReadDisc(run.Dest);
    ASSERT_EQ(titles.size(), 1u);
    EXPECT_NEAR(titles[0].length, 3.0, 0.3);
    EXPECT_EQ(titles[0].aspect, "16/9");
    EXPECT_EQ(titles[0].chapters, 1);
    EXPECT_TRUE(FileExists(run.Dest + "/VIDEO_TS/VIDEO_TS.IFO"));
}

TEST_F(EncodedDiscTest, TrimmedClipsWithChapterMenusHaveTheirChaptersWhereAsked)
{
    TQV_MovieImage* a = AddSourceClip("first", 5.0, 320, 240, 1);
    TQV_MovieImage* b = AddSourceClip("Zweite Ünï", 5.0, 320, 240, 1);
    b->StartPoint = 1.0;   // trimmed to 1 s .. 4 s of the source
    b->EndPoint = 4.0;
    AddChapters(a, {0, 2, 4});
    // In clip time: 1 is the trim start, 2.5 and 3 fall 1 s and 2 s into the
    // title, 4.5 lies past the encoded end (its button jumps to the last chapter).
    AddChapters(b, {1, 2.5, 3, 4.5});
    MakeTitles(true);

    // The menus: title page with 1 + 2 buttons, chapter pages with one button
    // per chapter point plus the way back.
    std::string menuXml;
    MakeMenu(work_, Still("Title.vob"), work_ + "TitleSub.vob", 3, &menuXml);
    for (int k = 0; k < 2; ++k) {
        const std::string page = Still("Chapter_" + IntToStr(k) + ".vob");
        MakeMenu(work_, page, work_ + "ChapterSub_" + IntToStr(k) + ".vob",
                 1 + static_cast<int>(MyDVDChapter[k].ChapterTimes.Length()));
    }
    // The main menu is the stream delivered with the program.
    std::filesystem::copy_file(JoinPath(std::getenv("KELDARA_BIN_DIR"), "MainSubP.vob"), program_ + "MainSubP.vob");

    AuthorXmlRun run;
    run.ClipCount = 2;
    run.WithMenu = true;
    ASSERT_TRUE(WriteChapterMenuAuthorXml(run)) << run.ErrorText;
    const std::string xml = Read(AuthorXmlPath());
    EXPECT_NE(xml.find("chapters=\"0, 00:00:01.00, 00:00:02.00\""), std::string::npos) << xml;
    EXPECT_NE(xml.find("<button> jump title 2 chapter 3 ; </button>\n        <button> jump title 2 chapter 3 ; "),
              std::string::npos)
        << xml;
    ASSERT_EQ(Author(menuXml), 0) << lastError_ << "\n" << xml;
    EXPECT_FALSE(FileExists(work_ + "TitleSub.vob"));

    const auto titles = ReadDisc(run.Dest);
    ASSERT_EQ(titles.size(), 2u);
    EXPECT_NEAR(titles[0].length, 5.0, 0.3);
    ASSERT_EQ(titles[0].starts.size(), 3u);
    EXPECT_NEAR(titles[0].starts[1], 2.0, 0.5);
    EXPECT_NEAR(titles[0].starts[2], 4.0, 0.5);
    EXPECT_NEAR(titles[1].length, 3.0, 0.3);
    ASSERT_EQ(titles[1].starts.size(), 3u);
    EXPECT_NEAR(titles[1].starts[1], 1.0, 0.5);
    EXPECT_NEAR(titles[1].starts[2], 2.0, 0.5);
    EXPECT_EQ(titles[1].aspect, "4/3");
    // The titleset menus (root and chapter pages) are on the disc.
    EXPECT_TRUE(FileExists(run.Dest + "/VIDEO_TS/VTS_01_0.VOB"));
}
