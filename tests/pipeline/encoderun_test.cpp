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

TEST(EncodeRun, ClipCutShortEndsTheRunAndTheLogSaysWhy)
{
    // An AVI the ffmpeg program wrote, of which a copy broke off at 95 %.
    testkit::TempFolder folder;
    const std::string whole = folder.File("program.avi");
    ProcessSpec spec;
    spec.argv = {"ffmpeg", "-nostdin", "-v", "error", "-y", "-f", "lavfi", "-i", "testsrc=duration=4:size=320x240:rate=25",
                 "-f", "lavfi", "-i", "sine=duration=4", "-c:v", "mpeg4", "-c:a", "libmp3lame", whole};
    ASSERT_TRUE(RunProcess(spec, 60000).Succeeded());
    const std::string cut = folder.File("holiday.avi");
    std::filesystem::copy_file(whole, cut);
    std::filesystem::resize_file(cut, std::filesystem::file_size(whole) * 95 / 100);

    EncodeClipInfo clip;
    clip.ClipName = "holiday.avi";
    clip.OutputName = "holiday.vob";
    clip.SourcePath = cut;
    clip.VideoDuration = clip.AudioDuration = 4.04;   // what the file's header promises
    clip.EndPoint = 4.04;
    MessageQueue queue;
    Window window;
    ClipEncodeSequence* sequence = nullptr;
    HWND handle = AllocateHWnd(queue, [&](UINT m, WPARAM, LPARAM l) -> LRESULT {
        if (m == MSG_ENCODER_DONE && sequence) sequence->EncoderDone(l);
        return 0;
    });
    ClipEncodeSequence run(ClipEncodeSequence::RunWindow::DiscBuilder, LinkedEncoderLibrary(), window, handle);
    sequence = window.sequence = &run;
    run.Start({clip}, 1, true, folder.Path(), 0);
    for (int i = 0; i < 600 && !window.over && !window.terminated; ++i) {
        MSG msg;
        if (queue.Get(msg, 50) == GetResult::Message) DispatchMessage(msg);
        run.TimerTimer();
    }
    run.Stop();
    DeallocateHWnd(handle);

    EXPECT_TRUE(window.terminated);
    EXPECT_TRUE(window.muxed.empty());
    ASSERT_FALSE(window.log.empty());
    EXPECT_EQ(window.log.back(), "Can not convert holiday.avi: the file is cut short.");
    EXPECT_FALSE(std::filesystem::exists(folder.File("holiday.mpg")));
    EXPECT_FALSE(std::filesystem::exists(folder.File("holiday.ac3")));
}

} // namespace
