// The per-clip encode step against a recording stand-in of the encoder library,
// ticked by a real 500 ms timer on the injectable clock: the calling order and
// trim rules, progress shown, the stall skip (which stops the encoder first),
// completions that arrive too late, and clips whose paths do not fit.
#include "pipeline/encodesequence.h"
#include "rtl/clock.h"
#include "testkit/tempfolder.h"
#include "vcl/application.h"
#include "vcl/headless.h"
#include "vcl/timer.h"

#include <gtest/gtest.h>

#include <memory>

using namespace pipeline;

namespace {

class RecordingLibrary final : public EncoderLibrary {
public:
    void InitEncoderDLL(HWND window) override { calls.push_back("init"), initWindow = window; }
    void AdvSettings(const EncoderAdvSettings& s) override { calls.push_back("adv"), adv = s; }
    void CreateParam(const EncoderParams& p) override { calls.push_back("param"), params = p; }
    void BuildEncoder() override { calls.push_back("encoder"); }
    void BuildGraph() override { calls.push_back("graph"); }
    void InitCPU() override { calls.push_back("cpu"); }
    void SetStartEndTime(double s, double e) override
    {
        calls.push_back("time");
        start = s, end = e;
    }
    void Run() override { calls.push_back("run"); }
    void GetInfo(EncoderInfo* out) override
    {
        ++polls;
        *out = info;
    }
    void Stop() override { calls.push_back("stop"); }
    std::string LastError() override { return lastError; }
    std::string lastError;

    std::vector<std::string> calls;
    HWND initWindow = nullptr;
    EncoderAdvSettings adv{};
    EncoderParams params{};
    double start = -1, end = -1;
    EncoderInfo info{};
    int polls = 0;
};

class RecordingView final : public EncodeView {
public:
    void Log(const std::string& line) override { log.push_back(line); }
    void SetFileLabel(const std::string& text) override { fileLabel = text; }
    void SetUsedTime(int s) override { usedTime = s; }
    void SetFramesPerSecond(int f) override { fps = f; }
    void SetCurrentTime(int s) override { currentTime = s; }
    void SetConvertingBar(int p) override { converting = p; }
    void SetTotalBar(int p) override { total = p; }
    void MuxClip(int index) override { muxed.push_back(index); }
    void ClipStageOver() override { ++stageOver; }
    void RunTerminated() override { ++terminated; }

    std::vector<std::string> log;
    std::string fileLabel;
    int usedTime = -1, fps = -1, currentTime = -1, converting = -1, total = -1;
    std::vector<int> muxed;
    int stageOver = 0, terminated = 0;
};

EncodeClipInfo Clip(const std::string& name, const std::string& folder, double seconds)
{
    EncodeClipInfo c;
    c.ClipName = name + ".avi";
    c.OutputName = name + ".vob";
    c.SourcePath = folder + "/" + name + ".avi";
    c.VideoDuration = seconds + 0.4;
    c.AudioDuration = seconds;
    c.EndPoint = seconds;   // the whole clip: the end point is the length in whole seconds
    c.VideoWidth = 320;
    c.VideoHeight = 240;
    return c;
}

class EncodeSequenceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        scope = std::make_unique<ScopedClock>(clock);
        app = std::make_unique<TApplication>();
        app->SetBackend(std::make_unique<THeadlessBackend>());
        timer = std::make_unique<TTimer>(nullptr);
        timer->SetInterval(500);
        timer->OnTimer = [this](TObject*) {
            if (sequence) sequence->TimerTimer();
        };
    }
    void TearDown() override
    {
        timer.reset();
        app.reset();
        scope.reset();
    }

    void Begin(ClipEncodeSequence::RunWindow window, std::vector<EncodeClipInfo> clips, int outputType = 1)
    {
        sequence = std::make_unique<ClipEncodeSequence>(window, library, view, kWindow);
        sequence->Start(std::move(clips), outputType, true, folder.Path(), 0);
    }
    // Lets `ms` pass on the clock, a timer tick at a time.
    void Wait(int ms)
    {
        for (int t = 0; t < ms; t += 500) {
            clock.Advance(500);
            app->ProcessMessages();
        }
    }

    static inline const HWND kWindow = reinterpret_cast<HWND>(0x4711);
    ManualClock clock;
    std::unique_ptr<ScopedClock> scope;
    std::unique_ptr<TApplication> app;
    std::unique_ptr<TTimer> timer;
    testkit::TempFolder folder;
    RecordingLibrary library;
    RecordingView view;
    std::unique_ptr<ClipEncodeSequence> sequence;
};

TEST_F(EncodeSequenceTest, EachClipIsSetUpInTheLibrarysOrderWithItsTrim)
{
    EncodeClipInfo whole = Clip("whole", folder.Path(), 10);
    EncodeClipInfo trimmed = Clip("trimmed", folder.Path(), 8);
    trimmed.StartPoint = 1.5;
    trimmed.EndPoint = 4;
    EncodeClipInfo fixedOrder = trimmed;   // cannot seek: always encoded whole
    fixedOrder.ClipName = "noseek.avi";
    fixedOrder.SupportsSeek = false;
    Begin(ClipEncodeSequence::RunWindow::Convert, {whole, trimmed, fixedOrder});

    const std::vector<std::string> order{"init", "adv", "param", "encoder", "graph", "cpu", "time", "run"};
    EXPECT_EQ(library.calls, order);
    EXPECT_EQ(library.initWindow, kWindow);
    EXPECT_EQ(library.start, 0);
    EXPECT_EQ(library.end, 0);
    EXPECT_STREQ(library.params.VideoOutput, (folder.Path() + "/whole.mpg").c_str());
    EXPECT_STREQ(library.params.AudioOutput, (folder.Path() + "/whole.ac3").c_str());
    EXPECT_EQ(library.adv.AspectIndex, 1);
    EXPECT_EQ(view.log.back(), "Convert whole.avi >>> whole.vob");
    EXPECT_EQ(view.fileLabel, "Source File : whole.avi --> Destination File : whole.vob");
    EXPECT_DOUBLE_EQ(sequence->ClipSeconds, 10.4);
    // The trimmed clip counts its kept span; the one that cannot seek is encoded whole.
    EXPECT_DOUBLE_EQ(sequence->TotalSeconds, 10.4 + 2.5 + 8.4);
    EXPECT_TRUE(sequence->EncoderRunning);

    sequence->EncoderDone(kEncoderDoneVideoAndAudio);
    EXPECT_EQ(view.muxed, std::vector<int>{0});
    EXPECT_FALSE(sequence->EncoderRunning);

    // The window goes on after multiplexing.
    library.calls.clear();
    sequence->DoneSeconds += 10.4;
    sequence->CurrentClipIndex = 1;
    sequence->EncodeClip();
    EXPECT_EQ(library.calls, order);
    EXPECT_EQ(view.converting, 0);   // the per-clip bar starts again
    EXPECT_EQ(library.start, 1.5);
    EXPECT_EQ(library.end, 4);
    sequence->EncoderDone(kEncoderDoneSilentAudio);
    sequence->CurrentClipIndex = 2;
    sequence->EncodeClip();
    EXPECT_EQ(library.start, 0);
    EXPECT_EQ(library.end, 0);
    sequence->EncoderDone(kEncoderDoneVideoAndAudio);
    EXPECT_EQ(view.muxed, (std::vector<int>{0, 1, 2}));

    sequence->CurrentClipIndex = 3;
    sequence->EncodeClip();
    EXPECT_EQ(view.stageOver, 1);
}

TEST_F(EncodeSequenceTest, TimerShowsProgressEveryHalfSecond)
{
    Begin(ClipEncodeSequence::RunWindow::Convert, {Clip("a", folder.Path(), 10), Clip("b", folder.Path(), 10)});
    library.info.Position = 2.6;
    library.info.FramesPerSecond = 48.7f;
    clock.Advance(400);
    app->ProcessMessages();
    EXPECT_EQ(library.polls, 0);   // no tick before 500 ms
    clock.Advance(100);
    app->ProcessMessages();
    EXPECT_EQ(library.polls, 1);
    EXPECT_EQ(view.fps, 48);
    EXPECT_EQ(view.converting, 25);   // 2.6 of 10.4 s
    EXPECT_EQ(view.total, 12);        // 2.6 of 20.8 s
    EXPECT_EQ(view.currentTime, 2);
    Wait(1500);
    EXPECT_EQ(sequence->TickCount, 4);
    EXPECT_EQ(view.usedTime, 2);

    // While the clip is multiplexed the encoder is not asked and the position counts as 0.
    sequence->Muxing = true;
    sequence->DoneSeconds = 10.4;
    const int polls = library.polls;
    Wait(500);
    EXPECT_EQ(library.polls, polls);
    EXPECT_EQ(view.converting, 0);
    EXPECT_EQ(view.currentTime, 10);
}

TEST_F(EncodeSequenceTest, StalledClipIsStoppedAndSkippedOnTheEleventhUnchangedTick)
{
    Begin(ClipEncodeSequence::RunWindow::Convert, {Clip("stuck", folder.Path(), 6), Clip("next", folder.Path(), 4)});
    library.info.Position = 1.2;
    library.info.FramesPerSecond = 30;
    Wait(500);   // the first report sets the reference
    Wait(5000);  // ten unchanged ticks: still waiting
    EXPECT_EQ(sequence->StallTicks, 10);
    EXPECT_EQ(sequence->CurrentClipIndex, 0);
    library.info.Position = 1.9;   // same whole second: still unchanged
    library.info.FramesPerSecond = 30.6f;
    library.calls.clear();
    Wait(500);
    EXPECT_EQ(sequence->CurrentClipIndex, 1);
    ASSERT_GE(library.calls.size(), 2u);
    EXPECT_EQ(library.calls[0], "stop");   // before the next clip is set up
    EXPECT_EQ(library.calls[1], "init");
    EXPECT_EQ(view.log[view.log.size() - 2], "Skip to convert stuck.avi ...");
    EXPECT_EQ(view.log.back(), "Convert next.avi >>> next.vob");
    EXPECT_EQ(sequence->FailedClips, 1);   // the run will not end as a plain success
    EXPECT_DOUBLE_EQ(sequence->DoneSeconds, 6.4);
    EXPECT_EQ(sequence->StallTicks, 0);

    // A change resets the count.
    Wait(500 * 8);
    library.info.Position = 2.5;
    Wait(500);
    EXPECT_EQ(sequence->StallTicks, 0);
    EXPECT_EQ(sequence->CurrentClipIndex, 1);
}

TEST_F(EncodeSequenceTest, DiscBuilderKeepsWaitingAndShowsTheWholeRun)
{
    Begin(ClipEncodeSequence::RunWindow::DiscBuilder, {Clip("a", folder.Path(), 10), Clip("b", folder.Path(), 10)});
    library.info.Position = 5.2;
    library.info.FramesPerSecond = 20;
    Wait(500 * 30);
    EXPECT_EQ(sequence->CurrentClipIndex, 0);
    EXPECT_EQ(sequence->StallTicks, 0);
    EXPECT_EQ(view.converting, 25);   // 5.2 of the run's 20.8 s
    EXPECT_EQ(view.total, -1);        // it has no total bar
    // The elapsed time never passes the total.
    sequence->DoneSeconds = 19;
    Wait(500);
    EXPECT_EQ(view.converting, 100);
    EXPECT_EQ(view.currentTime, 20);
}

TEST_F(EncodeSequenceTest, CompletionAfterStopOrSkipIsIgnoredAndFailureEndsTheRun)
{
    Begin(ClipEncodeSequence::RunWindow::Convert, {Clip("a", folder.Path(), 3), Clip("b", folder.Path(), 3)});
    sequence->Stop();
    EXPECT_EQ(library.calls.back(), "stop");
    sequence->EncoderDone(kEncoderDoneVideoAndAudio);   // a late one
    EXPECT_TRUE(view.muxed.empty());
    EXPECT_EQ(view.terminated, 0);

    sequence->EncodeClip();
    sequence->EncoderDone(kEncoderFailed);
    EXPECT_EQ(view.terminated, 1);
    EXPECT_TRUE(view.muxed.empty());
    sequence->EncoderDone(kEncoderDoneVideoAndAudio);   // nothing runs any more
    EXPECT_TRUE(view.muxed.empty());
}

TEST_F(EncodeSequenceTest, ClipWhosePathDoesNotFitIsRefusedAndTheNextEncoded)
{
    EncodeClipInfo longPath = Clip("long", folder.Path(), 5);
    longPath.SourcePath = "/" + std::string(300, 'x') + ".avi";
    Begin(ClipEncodeSequence::RunWindow::Convert, {longPath, Clip("short", folder.Path(), 2)});
    EXPECT_EQ(view.log.front(), "Skip to convert long.avi ...");
    EXPECT_EQ(view.log.back(), "Convert short.avi >>> short.vob");
    EXPECT_EQ(sequence->CurrentClipIndex, 1);
    EXPECT_DOUBLE_EQ(sequence->DoneSeconds, 5.4);
    EXPECT_STREQ(library.params.SourcePath, (folder.Path() + "/short.avi").c_str());
}

TEST_F(EncodeSequenceTest, AnIndexOutsideTheClipListEndsTheClipStage)
{
    Begin(ClipEncodeSequence::RunWindow::Convert, {Clip("a", folder.Path(), 3), Clip("b", folder.Path(), 3)});
    const std::size_t logged = view.log.size();
    // The window's fields claim more clips than the list holds.
    sequence->ClipCount = 5;
    sequence->CurrentClipIndex = 2;
    sequence->EncodeClip();
    EXPECT_EQ(view.stageOver, 1);
    EXPECT_FALSE(sequence->EncoderRunning);
    // A stall or a failure at such an index reads no clip either.
    sequence->CurrentClipIndex = -1;
    sequence->EncodeClip();
    EXPECT_EQ(view.stageOver, 2);
    sequence->EncoderRunning = true;
    sequence->CurrentClipIndex = 7;
    library.lastError = "broken";
    sequence->EncoderDone(kEncoderFailed);
    EXPECT_EQ(view.terminated, 1);
    EXPECT_EQ(view.log.size(), logged);
    sequence->EncoderRunning = true;
    sequence->CurrentClipIndex = 9;
    Wait(6000);   // a stalled clip is skipped
    EXPECT_EQ(view.stageOver, 3);
    EXPECT_EQ(view.log.size(), logged);
}

} // namespace

TEST_F(EncodeSequenceTest, ClipTrimmedToNothingEndsTheRunWithoutCallingTheEncoder)
{
    // Begin set at or after the end, at the start, in the middle, at the end;
    // without seeking a clip is always encoded whole.
    struct Case {
        double start, end;
        bool seek, ends;
    };
    for (const Case& c : {Case{0, 0, true, true}, Case{2, 2, true, true}, Case{4, 3, true, true},
                          Case{5, 5, true, true}, Case{2, 2, false, false}, Case{0, 5, true, false}}) {
        library.calls.clear();
        view.terminated = 0;
        EncodeClipInfo clip = Clip("trim", folder.Path(), 5);
        clip.StartPoint = c.start;
        clip.EndPoint = c.end;
        clip.SupportsSeek = c.seek;
        Begin(ClipEncodeSequence::RunWindow::DiscBuilder, {clip});
        EXPECT_EQ(view.terminated, c.ends ? 1 : 0) << c.start << " " << c.end;
        EXPECT_EQ(library.calls.empty(), c.ends) << c.start << " " << c.end;
        EXPECT_EQ(sequence->EncoderRunning, !c.ends);
        if (c.ends) {
            EXPECT_EQ(view.log.back(), "Can not convert trim.avi: its begin is not before its end.");
        }
        sequence->Stop();
    }
}
