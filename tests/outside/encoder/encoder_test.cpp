// The encoder library driven through its entry points: outputs of every disc
// kind and TV standard read back with ffprobe, trimming, the silent track,
// letter-box bars, completion and progress around D_Stop.
#include "encoder_helpers.h"
#include "heldreads.h"
#include "testkit/clips.h"
#include "testkit/tempfolder.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <thread>

namespace {

struct Kind {
    int outputType;   // 1 DVD, 2 SVCD, 3 VCD
    bool pal;
};

class EncoderRun {
public:
    EncoderRun() : window_(AllocateHWnd(queue_, [this](UINT m, WPARAM, LPARAM l) -> LRESULT {
                       if (m == MSG_ENCODER_DONE) results.push_back(l);
                       return 0;
                   }))
    {
    }
    ~EncoderRun()
    {
        D_Stop();
        DeallocateHWnd(window_);
    }

    // Fills the block as the run windows do for the disc kind.
    void Prepare(const std::string& source, const std::string& base, Kind kind, int aspect = 1,
                 int margins[4] = nullptr)
    {
        const bool dvd = kind.outputType <= 1, vcd = kind.outputType == 3;
        EncoderParams p{};
        audio = base + (dvd ? ".ac3" : "_aud.mpa");
        video = base + (dvd ? ".mpg" : "_vid.mpg");
        SetPath(p.AudioOutput, audio);
        SetPath(p.VideoOutput, video);
        SetPath(p.SourcePath, source);
        p.AudioSampleRate = dvd ? 48000 : 44100;
        p.AudioBitRateKbps = dvd ? 192 : 224;
        p.AudioFormat = dvd ? 3 : 1;
        p.MpegVersion = vcd ? 1 : 2;
        p.FrameWidth = dvd ? 720 : vcd ? 352 : 480;
        p.FrameHeight = vcd ? (kind.pal ? 288 : 240) : (kind.pal ? 576 : 480);
        p.VideoBitRate = dvd ? 6000000 : vcd ? 1150000 : 2040000;
        p.FrameRate = kind.pal ? 25.0f : 29.97f;
        p.MarginTop = margins ? margins[0] : 4;
        p.MarginBottom = margins ? margins[1] : 4;
        p.MarginLeft = margins ? margins[2] : 0;
        p.MarginRight = margins ? margins[3] : 0;
        p.Value344 = 16;
        p.Value348 = p.Value34C = 128;
        p.EngineChoice = 2;
        p.Value354 = 1;
        D_InitEncoderDLL(window_);
        D_AdvSettings(EncoderAdvSettings{aspect, 18, 0, 1, 0, 0, 0});
        D_CreateParam(p);
        D_BuildEncoder();
        D_BuildGraph();
        D_InitCPU();
    }

    // Runs to the completion message (polling D_GetInfo as the timer does); answers LPARAM.
    LPARAM RunToEnd(double start = 0, double end = 0)
    {
        D_SetStartEndTime(start, end);
        D_Run();
        for (int i = 0; i < 1200 && results.empty(); ++i) {
            MSG msg;
            if (queue_.Get(msg, 100) == GetResult::Message) DispatchMessage(msg);
            EncoderInfo info{};
            D_GetInfo(&info);
            EXPECT_GE(info.Position, lastPosition);
            lastPosition = info.Position;
        }
        return results.empty() ? -1 : results.front();
    }
    int Pump() { return PumpPending(queue_); }

    std::vector<LPARAM> results;
    std::string audio, video;
    double lastPosition = 0;

private:
    MessageQueue queue_;
    HWND window_;
};

double Num(const std::map<std::string, std::string>& m, const char* key)
{
    auto it = m.find(key);
    return it == m.end() ? -1 : std::atof(it->second.c_str());
}

void ExpectVideo(const std::string& path, const char* codec, int w, int h, const char* rate, const char* dar)
{
    auto v = ProbeMap(path, "stream=codec_name,width,height,r_frame_rate,display_aspect_ratio");
    EXPECT_EQ(v["codec_name"], codec) << path;
    EXPECT_EQ(Num(v, "width"), w);
    EXPECT_EQ(Num(v, "height"), h);
    EXPECT_EQ(v["r_frame_rate"], rate);
    // MPEG-1 states the pixel shape from a short table: the nearest entry to the display shape.
    const std::string& got = v["display_aspect_ratio"];
    if (std::string(codec) == "mpeg1video") {
        double want = dar == std::string("4:3") ? 4.0 / 3 : 16.0 / 9;
        std::size_t colon = got.find(':');
        ASSERT_NE(colon, std::string::npos) << got;
        EXPECT_NEAR(std::atof(got.c_str()) / std::atof(got.c_str() + colon + 1), want, 0.01) << got;
    } else {
        EXPECT_EQ(got, dar);
    }
}

void ExpectAudio(const std::string& path, const char* codec, int rate, int kbps)
{
    auto a = ProbeMap(path, "stream=codec_name,sample_rate,channels,bit_rate");
    EXPECT_EQ(a["codec_name"], codec) << path;
    EXPECT_EQ(Num(a, "sample_rate"), rate);
    EXPECT_EQ(Num(a, "channels"), 2);
    EXPECT_EQ(Num(a, "bit_rate"), kbps * 1000.0);
}

// The rate and decoder buffer the first sequence header states (units of 400 bit/s and 2 KB).
void ExpectRateAndBuffer(const std::string& path, int bitRate, int bufferBytes)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<unsigned char> head(4096);
    in.read(reinterpret_cast<char*>(head.data()), head.size());
    head.resize(static_cast<std::size_t>(in.gcount()));
    ASSERT_GE(head.size(), 12u);
    ASSERT_EQ(head[0], 0);
    ASSERT_EQ(head[3], 0xB3) << "no sequence header first";
    const unsigned char* b = head.data() + 4;
    const int rate = (b[4] << 10) | (b[5] << 2) | (b[6] >> 6);
    const int vbv = ((b[6] & 0x1F) << 5) | (b[7] >> 3);
    EXPECT_EQ(rate * 400, bitRate) << path;
    EXPECT_EQ(vbv * 2048, bufferBytes) << path;
}

// Pictures from one I picture to the next.
int GopLength(const std::string& path)
{
    ProcessSpec spec;
    spec.argv = {"ffprobe", "-v", "error", "-show_entries", "frame=pict_type", "-of", "csv=p=0", path};
    spec.captureOutput = true;
    ProcessResult r = RunProcess(spec, 60000);
    std::vector<int> intra;
    int n = 0;
    for (char c : r.output)
        if (c == 'I' || c == 'P' || c == 'B') {
            if (c == 'I') intra.push_back(n);
            ++n;
        }
    return intra.size() >= 2 ? intra[1] - intra[0] : 0;
}

int CountFrames(const std::string& path)
{
    auto m = ProbeMap(path, "stream=nb_read_frames", nullptr);
    (void)m;
    ProcessSpec spec;
    spec.argv = {"ffprobe", "-v", "error", "-count_frames", "-show_entries", "stream=nb_read_frames", "-of",
                 "default=noprint_wrappers=1:nokey=1", path};
    spec.captureOutput = true;
    ProcessResult r = RunProcess(spec, 60000);
    return std::atoi(r.output.c_str());
}

double AudioSeconds(const std::string& path)
{
    ProcessSpec spec;
    spec.argv = {"ffprobe", "-v", "error", "-show_entries", "packet=duration_time", "-of", "csv=p=0", path};
    spec.captureOutput = true;
    ProcessResult r = RunProcess(spec, 60000);
    double total = 0;
    std::size_t pos = 0;
    while (pos < r.output.size()) {
        total += std::atof(r.output.c_str() + pos);
        pos = r.output.find('\n', pos);
        if (pos == std::string::npos) break;
        ++pos;
    }
    return total;
}

TEST(EncoderOutputs, DvdPalAndNtscStreams)
{
    testkit::TempFolder folder;
    std::string clip = testkit::MakeStandardClip(folder.Path());
    {
        EncoderRun run;
        run.Prepare(clip, folder.File("pal"), {1, true}, 1);
        ASSERT_EQ(run.RunToEnd(), kEncoderDoneVideoAndAudio);
        ExpectVideo(run.video, "mpeg2video", 720, 576, "25/1", "4:3");
        ExpectAudio(run.audio, "ac3", 48000, 192);
        EXPECT_NEAR(CountFrames(run.video), 125, 2);
        ExpectRateAndBuffer(run.video, 9000000, 224 * 1024);
        EXPECT_EQ(GopLength(run.video), 15);
        EXPECT_NEAR(run.lastPosition, 5.0, 0.2);
    }
    {
        EncoderRun run;
        run.Prepare(clip, folder.File("ntsc"), {1, false}, 2);
        ASSERT_EQ(run.RunToEnd(), kEncoderDoneVideoAndAudio);
        ExpectVideo(run.video, "mpeg2video", 720, 480, "30000/1001", "16:9");
        EXPECT_EQ(GopLength(run.video), 18);
        ExpectAudio(run.audio, "ac3", 48000, 192);
        EXPECT_NEAR(CountFrames(run.video), 150, 2);
    }
}

TEST(EncoderOutputs, SvcdAndVcdStreams)
{
    testkit::TempFolder folder;
    std::string clip = testkit::MakeNtscClip(folder.Path());   // 3 s, 29.97 fps, 48 kHz
    {
        EncoderRun run;
        run.Prepare(clip, folder.File("svcd"), {2, false});
        ASSERT_EQ(run.RunToEnd(), kEncoderDoneVideoAndAudio);
        ExpectVideo(run.video, "mpeg2video", 480, 480, "30000/1001", "4:3");
        ExpectAudio(run.audio, "mp2", 44100, 224);
        ExpectRateAndBuffer(run.video, 2516000, 112 * 1024);
    }
    {
        EncoderRun run;
        run.Prepare(clip, folder.File("vcd"), {3, true});
        ASSERT_EQ(run.RunToEnd(), kEncoderDoneVideoAndAudio);
        ExpectVideo(run.video, "mpeg1video", 352, 288, "25/1", "4:3");
        ExpectAudio(run.audio, "mp2", 44100, 224);
        auto v = ProbeMap(run.video, "stream=bit_rate");
        EXPECT_EQ(Num(v, "bit_rate"), 1150000);
        ExpectRateAndBuffer(run.video, 1150000, 40 * 1024);
        EXPECT_NEAR(CountFrames(run.video), 75, 2);
    }
    {
        EncoderRun run;
        run.Prepare(clip, folder.File("svcd_pal"), {2, true});
        ASSERT_EQ(run.RunToEnd(), kEncoderDoneVideoAndAudio);
        ExpectVideo(run.video, "mpeg2video", 480, 576, "25/1", "4:3");
        EXPECT_NEAR(CountFrames(run.video), 75, 2);   // 3 s at 29.97 become 3 s at 25
    }
    {
        EncoderRun run;
        run.Prepare(clip, folder.File("vcd_ntsc"), {3, false});
        ASSERT_EQ(run.RunToEnd(), kEncoderDoneVideoAndAudio);
        ExpectVideo(run.video, "mpeg1video", 352, 240, "30000/1001", "4:3");
        ExpectAudio(run.audio, "mp2", 44100, 224);
    }
}

TEST(EncoderOutputs, TrimmedClipKeepsOnlyTheRange)
{
    testkit::TempFolder folder;
    std::string clip = testkit::MakeStandardClip(folder.Path());
    EncoderRun run;
    run.Prepare(clip, folder.File("trim"), {1, true});
    ASSERT_EQ(run.RunToEnd(1.0, 3.0), kEncoderDoneVideoAndAudio);
    EXPECT_NEAR(CountFrames(run.video), 50, 2);
    EXPECT_NEAR(AudioSeconds(run.audio), 2.0, 0.1);
}

TEST(EncoderOutputs, VideoOnlyClipGetsSilentTrackOfItsLength)
{
    testkit::TempFolder folder;
    std::string clip = testkit::MakeVideoOnlyClip(folder.Path());   // 2 s
    EncoderRun run;
    run.Prepare(clip, folder.File("mute"), {3, true});
    ASSERT_EQ(run.RunToEnd(), kEncoderDoneSilentAudio);
    ExpectAudio(run.audio, "mp2", 44100, 224);
    EXPECT_NEAR(AudioSeconds(run.audio), 2.0, 0.1);
    EXPECT_NEAR(CountFrames(run.video), 50, 2);
}

TEST(EncoderOutputs, FailureIsReportedAndLeavesNoFiles)
{
    testkit::TempFolder folder;
    std::string bad = testkit::MakeNotMediaFile(folder.Path());
    EncoderRun run;
    run.Prepare(bad, folder.File("bad"), {1, true});
    EXPECT_EQ(run.RunToEnd(), kEncoderFailed);
    EXPECT_FALSE(std::filesystem::exists(run.video));
    EXPECT_FALSE(std::filesystem::exists(run.audio));

    // A clip whose file breaks off is reported, not passed off as a shorter clip.
    std::string cut = testkit::MakeTruncatedClip(folder.Path());
    run.results.clear();
    run.Prepare(cut, folder.File("cut"), {1, true});
    EXPECT_EQ(run.RunToEnd(), kEncoderFailed);
    EXPECT_FALSE(std::filesystem::exists(run.video));
    EXPECT_FALSE(std::filesystem::exists(run.audio));
    run.lastPosition = 0;

    // A path field without its terminating zero is refused, never read past.
    EncoderParams p{};
    std::memset(p.SourcePath, 'a', sizeof p.SourcePath);
    SetPath(p.VideoOutput, folder.File("x.mpg"));
    SetPath(p.AudioOutput, folder.File("x.ac3"));
    p.FrameWidth = 720, p.FrameHeight = 576, p.VideoBitRate = 6000000, p.AudioSampleRate = 48000;
    p.AudioBitRateKbps = 192, p.FrameRate = 25;
    run.results.clear();
    D_CreateParam(p);
    EXPECT_EQ(run.RunToEnd(), kEncoderFailed);
}

// An AVI with MPEG-4 video and MP3 sound written by the ffmpeg program, cut to a share of its bytes.
std::string CutProgramAvi(const std::string& folder, int percent)
{
    const std::string full = folder + "/program.avi";
    if (!std::filesystem::exists(full)) {
        ProcessSpec spec;
        spec.argv = {"ffmpeg", "-nostdin", "-v", "error", "-y", "-f", "lavfi", "-i",
                     "testsrc=duration=4:size=320x240:rate=25", "-f", "lavfi", "-i", "sine=frequency=440:duration=4",
                     "-c:v", "mpeg4", "-c:a", "libmp3lame", full};
        EXPECT_TRUE(RunProcess(spec, 60000).Succeeded());
    }
    const std::string cut = folder + "/cut" + std::to_string(percent) + ".avi";
    std::filesystem::copy_file(full, cut, std::filesystem::copy_options::overwrite_existing);
    std::filesystem::resize_file(cut, std::filesystem::file_size(full) * percent / 100);
    return cut;
}

TEST(EncoderOutputs, AviCutShortByAnotherProgramIsReportedWithItsReason)
{
    testkit::TempFolder folder;
    {
        // The whole file is a sound clip.
        std::string whole = CutProgramAvi(folder.Path(), 100);
        EncoderRun run;
        run.Prepare(whole, folder.File("whole"), {1, true});
        EXPECT_EQ(run.RunToEnd(), kEncoderDoneVideoAndAudio);
        EXPECT_EQ(std::string(D_LastError()), "");
        EXPECT_EQ(CountFrames(run.video), 101);
    }
    for (int percent : {40, 66, 95}) {
        SCOPED_TRACE(percent);
        std::string cut = CutProgramAvi(folder.Path(), percent);
        EncoderRun run;
        run.Prepare(cut, folder.File("cut" + std::to_string(percent)), {1, true});
        EXPECT_EQ(run.RunToEnd(), kEncoderFailed);
        EXPECT_EQ(std::string(D_LastError()), "the file is cut short");
        EXPECT_FALSE(std::filesystem::exists(run.video));
        EXPECT_FALSE(std::filesystem::exists(run.audio));
    }
}

// A clip whose sound runs far past its pictures, as the ffmpeg program writes one.
std::string LongSoundClip(const std::string& folder)
{
    const std::string path = folder + "/longsound.avi";
    ProcessSpec spec;
    spec.argv = {"ffmpeg", "-nostdin", "-v", "error", "-y", "-f", "lavfi", "-i", "testsrc=duration=2:size=320x240:rate=25",
                 "-f", "lavfi", "-i", "sine=duration=120", "-c:v", "mpeg4", "-c:a", "mp2", path};
    EXPECT_TRUE(RunProcess(spec, 60000).Succeeded());
    return path;
}

TEST(EncoderOutputs, PicturesHeldThroughALongSoundShowProgressAndHonourAStop)
{
    testkit::TempFolder folder;
    const std::string clip = LongSoundClip(folder.Path());
    {
        // The whole clip: the position keeps moving after the pictures end.
        EncoderRun run;
        run.Prepare(clip, folder.File("long"), {1, true});
        D_SetStartEndTime(0, 0);
        D_Run();
        std::set<int> positions;   // whole seconds seen past the pictures' end
        for (int i = 0; i < 6000 && run.results.empty(); ++i) {
            run.Pump();
            EncoderInfo info{};
            D_GetInfo(&info);
            if (info.Position > 3) positions.insert(static_cast<int>(info.Position));
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        ASSERT_EQ(run.results, (std::vector<LPARAM>{kEncoderDoneVideoAndAudio}));
        EXPECT_GE(positions.size(), 10u);
        EXPECT_NEAR(CountFrames(run.video), 3000, 2);   // 120 s at 25 pictures a second
        EXPECT_NEAR(AudioSeconds(run.audio), 120, 0.5);
    }
    {
        // Stopped while the last picture is held on: nothing of the clip stays.
        EncoderRun run;
        run.Prepare(clip, folder.File("stopped"), {1, true});
        D_SetStartEndTime(0, 0);
        D_Run();
        EncoderInfo info{};
        for (int i = 0; i < 6000 && info.Position < 10; ++i) {
            D_GetInfo(&info);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        ASSERT_GE(info.Position, 10);
        D_Stop();
        EXPECT_FALSE(std::filesystem::exists(run.video));
        EXPECT_FALSE(std::filesystem::exists(run.audio));
        run.Pump();
        EXPECT_TRUE(run.results.empty());
    }
}

TEST(EncoderStop, AHangingSourceReadDoesNotHoldUpTheStop)
{
    testkit::TempFolder folder;
    const std::string clip = testkit::MakeStandardClip(folder.Path());
    HeldReads reads(clip, 39);
    for (bool honourStop : {true, false}) {
        SCOPED_TRACE(honourStop ? "a read the stop interrupts" : "a read nothing interrupts");
        reads.Arm(honourStop);
        EncoderRun run;
        run.Prepare(clip, folder.File(honourStop ? "interrupted" : "stuck"), {1, true});
        D_SetStartEndTime(0, 0);
        D_Run();
        for (int i = 0; i < 3000 && !reads.Hung(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        ASSERT_TRUE(reads.Hung());

        const auto asked = std::chrono::steady_clock::now();
        D_Stop();
        EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::seconds(1));
        if (honourStop) {
            // The read gave way: the clip's files are gone with the stop.
            EXPECT_FALSE(std::filesystem::exists(run.video));
            EXPECT_FALSE(std::filesystem::exists(run.audio));
        }
        // Once the read returns, the clip let go of ends on its own, leaving nothing and posting nothing.
        reads.Open();
        for (int i = 0; i < 3000 && (std::filesystem::exists(run.video) || std::filesystem::exists(run.audio)); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        EXPECT_FALSE(std::filesystem::exists(run.video));
        EXPECT_FALSE(std::filesystem::exists(run.audio));
        run.Pump();
        EXPECT_TRUE(run.results.empty());
    }
}

TEST(EncoderOutputs, SourceNamedInLatin1IsEncoded)
{
    // File names are bytes: one that is not UTF-8 reaches the file unchanged.
    testkit::TempFolder folder;
    const std::string clip = folder.File("Caf\xE9.avi");
    std::filesystem::rename(testkit::MakeVideoOnlyClip(folder.Path()), clip);
    EncoderRun run;
    run.Prepare(clip, folder.File("out \xE9t\xE9"), {3, true});
    ASSERT_EQ(run.RunToEnd(), kEncoderDoneSilentAudio) << D_LastError();
    EXPECT_NEAR(CountFrames(run.video), 50, 2);
}

// Rows of the first picture's luma, read back with the ffmpeg program.
std::vector<unsigned char> FirstLuma(const std::string& path, const std::string& folder, int w, int h)
{
    std::string raw = folder + "/luma.raw";
    ProcessSpec spec;
    spec.argv = {"ffmpeg", "-v", "error", "-y", "-i", path, "-frames:v", "1", "-f", "rawvideo", "-pix_fmt", "gray", raw};
    EXPECT_TRUE(RunProcess(spec, 60000).Succeeded());
    std::vector<unsigned char> data(static_cast<std::size_t>(w) * h);
    FILE* f = std::fopen(raw.c_str(), "rb");
    if (!f) return {};
    std::size_t got = std::fread(data.data(), 1, data.size(), f);
    std::fclose(f);
    EXPECT_EQ(got, data.size());
    return data;
}

double RowMean(const std::vector<unsigned char>& luma, int w, int y)
{
    double sum = 0;
    for (int x = 0; x < w; ++x) sum += luma[static_cast<std::size_t>(y) * w + x];
    return sum / w;
}

TEST(EncoderOutputs, LetterBoxBarsAreBlackAndPictureFillsTheRest)
{
    testkit::TempFolder folder;
    testkit::ClipSpec spec;
    spec.width = 1280;
    spec.height = 720;
    spec.seconds = 1;
    spec.audio = testkit::AudioCodec::None;
    std::string clip = folder.File("wide.avi");
    testkit::WriteClip(clip, spec);
    for (bool pal : {true, false}) {
        const int h = pal ? 576 : 480, bar = pal ? 72 : 60;
        int margins[4] = {bar, bar, 0, 0};
        EncoderRun run;
        run.Prepare(clip, folder.File(pal ? "lb_pal" : "lb_ntsc"), {1, pal}, 1, margins);
        ASSERT_EQ(run.RunToEnd(), kEncoderDoneSilentAudio);
        auto luma = FirstLuma(run.video, folder.Path(), 720, h);
        ASSERT_FALSE(luma.empty());
        EXPECT_LT(RowMean(luma, 720, bar / 2), 24) << pal;
        EXPECT_LT(RowMean(luma, 720, h - bar / 2), 24) << pal;
        // The top of the picture holds the bright colour blocks.
        EXPECT_GT(RowMean(luma, 720, bar + 20), 50) << pal;
    }
}

// A picture of the frame's own size keeps it under the few lines of bars every
// frame has: they cover its edges, it is not squeezed between them. Wider bars
// take it between them. Read on thin bright lines across a PAL picture.
TEST(EncoderOutputs, FrameSizedPicturesAreCoveredByNarrowBarsAndSqueezedBetweenWideOnes)
{
    testkit::TempFolder folder;
    const std::string clip = folder.File("lines.avi");
    ProcessSpec make;
    make.argv = {"ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i",
                 "color=c=black:s=720x576:r=25:d=1,format=yuv420p,"
                 "geq=lum='if(between(Y\\,100\\,101)+between(Y\\,470\\,471)\\,235\\,64)':cb=128:cr=128",
                 "-c:v", "mpeg4", "-q:v", "2", "-an", clip};
    ASSERT_TRUE(RunProcess(make, 60000).Succeeded());
    struct Case {
        int bar;
        std::vector<int> lines;   // where the two bright lines come out (their first rows)
    };
    for (const Case& c : {Case{4, {100, 470}}, Case{20, {20 + 100 * 536 / 576, 20 + 470 * 536 / 576}}}) {
        int margins[4] = {c.bar, c.bar, 0, 0};
        EncoderRun run;
        run.Prepare(clip, folder.File("lines_" + std::to_string(c.bar)), {1, true}, 1, margins);
        ASSERT_EQ(run.RunToEnd(), kEncoderDoneSilentAudio);
        auto luma = FirstLuma(run.video, folder.Path(), 720, 576);
        ASSERT_FALSE(luma.empty());
        EXPECT_LT(RowMean(luma, 720, 1), 24) << c.bar;
        EXPECT_LT(RowMean(luma, 720, 574), 24) << c.bar;
        std::vector<int> bright;
        for (int y = 1; y < 576; ++y)
            if (RowMean(luma, 720, y) > 150 && RowMean(luma, 720, y - 1) <= 150) bright.push_back(y);
        EXPECT_EQ(bright, c.lines) << "bars of " << c.bar << " lines";
    }
}

// Each picture keeps its place however many threads letter-box the pictures:
// a clip the ffmpeg program made, four steps brighter every picture, comes out
// brightening picture by picture.
TEST(EncoderOutputs, LetterBoxedPicturesKeepTheirOrder)
{
    testkit::TempFolder folder;
    const std::string clip = folder.File("ramp.avi");
    ProcessSpec make;
    make.argv = {"ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i",
                 "color=c=black:s=320x240:r=25:d=2,format=yuv420p,geq=lum='16+4*N':cb=128:cr=128", "-c:v", "mpeg4",
                 "-q:v", "2", "-an", clip};
    ASSERT_TRUE(RunProcess(make, 60000).Succeeded());
    int margins[4] = {72, 72, 0, 0};
    EncoderRun run;
    run.Prepare(clip, folder.File("ramp_out"), {1, true}, 1, margins);
    ASSERT_EQ(run.RunToEnd(), kEncoderDoneSilentAudio);

    const std::string raw = folder.File("ramp.gray");
    ProcessSpec read;
    read.argv = {"ffmpeg", "-v", "error", "-y", "-i", run.video, "-f", "rawvideo", "-pix_fmt", "gray", raw};
    ASSERT_TRUE(RunProcess(read, 60000).Succeeded());
    std::vector<unsigned char> luma;
    {
        std::ifstream in(raw, std::ios::binary);
        luma.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    const std::size_t frame = 720 * 576;
    ASSERT_EQ(luma.size() % frame, 0u);
    ASSERT_EQ(luma.size() / frame, 50u);
    std::vector<double> brightness;
    for (std::size_t f = 0; f < 50; ++f) {
        double sum = 0;
        for (int y = 200; y < 376; ++y)
            for (int x = 200; x < 520; ++x) sum += luma[f * frame + static_cast<std::size_t>(y) * 720 + x];
        brightness.push_back(sum / (176 * 320));
    }
    for (std::size_t f = 1; f < brightness.size(); ++f)
        EXPECT_GT(brightness[f], brightness[f - 1] + 1) << "picture " << f;
    EXPECT_GT(brightness.back() - brightness.front(), 150);
}

TEST(EncoderControl, StopPostsNothingAndInfoIsZeroWhenIdle)
{
    testkit::TempFolder folder;
    std::string clip = testkit::MakeStandardClip(folder.Path());
    EncoderRun run;
    run.Prepare(clip, folder.File("stop"), {1, true});
    EncoderInfo info{};
    info.Position = 7;
    D_GetInfo(&info);
    EXPECT_EQ(info.Position, 0);
    EXPECT_EQ(info.FrameNumber, 0);

    D_SetStartEndTime(0, 0);
    D_Run();
    D_Stop();
    D_GetInfo(&info);
    EXPECT_EQ(info.Position, 0);
    EXPECT_EQ(info.FramesPerSecond, 0);
    run.Pump();
    EXPECT_TRUE(run.results.empty());
    EXPECT_FALSE(std::filesystem::exists(run.video));

    // A fresh run after the stop completes and posts once.
    run.Prepare(clip, folder.File("again"), {1, true});
    EXPECT_EQ(run.RunToEnd(), kEncoderDoneVideoAndAudio);
    run.Pump();
    EXPECT_EQ(run.results.size(), 1u);
}

TEST(EncoderControl, StopInTheMiddleEndsTheGraphAndPostsNothing)
{
    testkit::TempFolder folder;
    std::string clip = testkit::MakeStandardClip(folder.Path());
    EncoderRun run;
    run.Prepare(clip, folder.File("mid"), {1, true});
    D_SetStartEndTime(0, 0);
    D_Run();
    EncoderInfo info{};
    for (int i = 0; i < 2000 && info.Position <= 0; ++i) {
        run.Pump();
        D_GetInfo(&info);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));   // waits on the real worker
    }
    ASSERT_GT(info.Position, 0);
    EXPECT_GT(info.FrameNumber, 0);
    D_Stop();
    D_GetInfo(&info);
    EXPECT_EQ(info.Position, 0);
    EXPECT_EQ(info.FrameNumber, 0);
    run.Pump();
    EXPECT_TRUE(run.results.empty());
    EXPECT_FALSE(std::filesystem::exists(run.video));
    EXPECT_FALSE(std::filesystem::exists(run.audio));
}

} // namespace
