// The preview graph and the probe against the real clock: how long one added
// clip takes from start to its message, what writing a full-size frame file
// costs, and what one position tick costs (against its 40 ms period).
#include "base/qv_graphgroupclass.h"
#include "base/qv_loadfile.h"
#include "com/com.h"
#include "com/widestring.h"
#include "dshow/mediafilters.h"
#include "dshow/videosurface.h"
#include "rtl/paths.h"
#include "testkit/clips.h"
#include "testkit/tempfolder.h"
#include "win32/messages.h"
#include "win32/progfolders.h"

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

struct Setting {
    Setting()
    {
        setenv("KELDARA_AUDIO", "null", 1);
        setenv("KELDARA_REGISTRY", folder.File("registry").c_str(), 1);
        SetProgramFolder(folder.Path() + "/");
        ForceDirectories(folder.Path() + "/Snapshot");
        standard = testkit::MakeStandardClip(folder.Path());
        large = testkit::MakeBenchClip(folder.Path(), 4.0);
    }
    testkit::TempFolder folder{"keldara-bench-preview"};
    std::string standard, large;
};

Setting& Clips()
{
    static Setting setting;
    return setting;
}

// A paused graph showing the picture at 1 s.
bool OpenPaused(GraphGroup& graph, const std::string& clip, bool grab)
{
    graph.GrabFrames = grab;
    graph.MuteAudio = true;
    OAFilterState state = 0;
    return graph.BuildGraph() == S_OK && graph.RenderClip(Utf8ToWide(clip)) == S_OK && graph.Pause() == S_OK &&
           graph.SeekTo(kGraphUnitsPerSecond) == S_OK && graph.Control->GetState(10000, &state) == S_OK;
}

void BM_ProbeStandardClip(benchmark::State& state)
{
    const std::string& clip = Clips().standard;
    MessageQueue queue;
    HWND window = AllocateHWnd(queue, [](UINT, WPARAM, LPARAM) -> LRESULT { return 0; });
    for (auto _ : state) {
        TQV_LoadFile loader(false, clip, 0, 0, window);
        MSG msg;
        while (queue.Get(msg, 60000) == GetResult::Message && msg.message != MSG_LOAD_READY &&
               msg.message != MSG_LOAD_GAVE_UP && msg.message != MSG_LOAD_FAILED) {
        }
        if (msg.message != MSG_LOAD_READY)
            state.SkipWithError("the clip was not made");
    }
    DeallocateHWnd(window);
}
BENCHMARK(BM_ProbeStandardClip)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

void BM_SaveFrameBitmap720x576(benchmark::State& state)
{
    CoInitialize(nullptr);
    {
        GraphGroup graph;
        if (!OpenPaused(graph, Clips().large, true)) {
            state.SkipWithError("cannot show the clip");
        } else {
            const std::string path = Clips().folder.File("frame.bmp");
            for (auto _ : state)
                if (graph.SaveFrameBitmap(path) != S_OK)
                    state.SkipWithError("frame not written");
            state.SetBytesProcessed(state.iterations() * (54 + 720 * 576 * 3));
            graph.Stop();
        }
    }
    CoUninitialize();
}
BENCHMARK(BM_SaveFrameBitmap720x576)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PositionTick(benchmark::State& state)
{
    CoInitialize(nullptr);
    {
        MessageQueue queue;
        HWND window = AllocateHWnd(queue, [](UINT, WPARAM, LPARAM) -> LRESULT { return 0; });
        GraphGroup graph;
        if (!OpenPaused(graph, Clips().standard, false)) {
            state.SkipWithError("cannot show the clip");
        } else {
            graph.NotifyWindow = window;
            MSG msg;
            for (auto _ : state) {
                graph.Tick();
                queue.Peek(msg);   // the window takes each tick as it comes
            }
            graph.Stop();
        }
        DeallocateHWnd(window);
    }
    CoUninitialize();
}
BENCHMARK(BM_PositionTick)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
