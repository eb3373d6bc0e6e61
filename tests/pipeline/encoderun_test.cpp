// The encode step driving the real encoder library over real clips: each
// clip's completion message reaches the step, which hands the clip on; the
// outputs are the disc kind's streams.
#include "pipeline/encodesequence.h"
#include "testkit/clips.h"
#include "testkit/tempfolder.h"
#include "win32/messages.h"
#include "win32/process.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace pipeline;

namespace {

std::string CodecOf(const std::string& path)
{
    ProcessSpec spec;
    spec.argv = {"ffprobe", "-v", "error", "-show_entries", "stream=codec_name", "-of", "default=noprint_wrappers=1:nokey=1", path};
    spec.captureOutput = true;
    ProcessResult r = RunProcess(spec, 60000);
    return r.output.substr(0, r.output.find('\n'));
}

class Window final : public EncodeView {
public:
    void Log(const std::string& line) override { log.push_back(line); }
    void SetFileLabel(const std::string&) override {}
    void SetUsedTime(int) override {}
    void SetFramesPerSecond(int) override {}
    void SetCurrentTime(int) override {}
    void SetConvertingBar(int p) override { bar = std::max(bar, p); }
    void SetTotalBar(int) override {}
    void MuxClip(int index) override
    {
        muxed.push_back(index);
        // As the run window does once the clip is multiplexed.
        sequence->DoneSeconds += 1;
        sequence->CurrentClipIndex = index + 1;
        sequence->EncodeClip();
    }
    void ClipStageOver() override { over = true; }
    void RunTerminated() override { terminated = true; }

    ClipEncodeSequence* sequence = nullptr;
    std::vector<std::string> log;
    std::vector<int> muxed;
    int bar = 0;
    bool over = false, terminated = false;
};

TEST(EncodeRun, TwoClipsThroughTheLinkedLibraryForSvcd)
{
    testkit::TempFolder folder;
    EncodeClipInfo first;
    first.ClipName = "standard.avi";
    first.OutputName = "first.mpg";
    first.SourcePath = testkit::MakeStandardClip(folder.Path());
    first.VideoDuration = first.AudioDuration = 5;
    first.StartPoint = 1;
    first.EndPoint = 3;
    first.VideoWidth = 320;
    first.VideoHeight = 240;
    EncodeClipInfo second = first;
    second.ClipName = "mute.avi";
    second.OutputName = "second.mpg";
    second.SourcePath = testkit::MakeVideoOnlyClip(folder.Path());
    second.VideoDuration = second.AudioDuration = 2;
    second.StartPoint = 0;
    second.EndPoint = 2;

    MessageQueue queue;
    Window window;
    ClipEncodeSequence* sequence = nullptr;
    HWND handle = AllocateHWnd(queue, [&](UINT m, WPARAM, LPARAM l) -> LRESULT {
        if (m == MSG_ENCODER_DONE && sequence) sequence->EncoderDone(l);
        return 0;
    });
    ClipEncodeSequence run(ClipEncodeSequence::RunWindow::Convert, LinkedEncoderLibrary(), window, handle);
    sequence = window.sequence = &run;
    run.Start({first, second}, 2, true, folder.Path(), 0);
    for (int i = 0; i < 600 && !window.over && !window.terminated; ++i) {
        MSG msg;
        if (queue.Get(msg, 50) == GetResult::Message) DispatchMessage(msg);
        run.TimerTimer();   // the window's timer, as often as the loop turns
    }
    run.Stop();
    DeallocateHWnd(handle);

    ASSERT_TRUE(window.over);
    EXPECT_FALSE(window.terminated);
    EXPECT_EQ(window.muxed, (std::vector<int>{0, 1}));
    EXPECT_GT(window.bar, 0);
    for (const char* base : {"first", "second"}) {
        EXPECT_EQ(CodecOf(folder.File(std::string(base) + "_vid.mpg")), "mpeg2video") << base;
        EXPECT_EQ(CodecOf(folder.File(std::string(base) + "_aud.mpa")), "mp2") << base;
    }
}

} // namespace
