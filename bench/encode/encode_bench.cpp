// A 60 s 720x576 25 fps clip with stereo sound encoded for a PAL DVD: through
// the encoder library (graph, sinks, encoders, as the run windows drive it)
// and through the ffmpeg program's own DVD target, on the same input in the
// same run. Counters: pictures per second, cores busy (CPU time / wall time)
// and peak resident memory.
#include "encoder/kvrencoder.h"
#include "pipeline/encodeparams.h"
#include "rtl/paths.h"
#include "testkit/clips.h"
#include "testkit/tempfolder.h"
#include "win32/process.h"

#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace {

constexpr double kClipSeconds = 60.0;
constexpr double kFrames = kClipSeconds * 25;

testkit::TempFolder& Folder()
{
    static testkit::TempFolder folder("keldara-bench-encode");
    return folder;
}

const std::string& BenchClip()
{
    static const std::string path = testkit::MakeBenchClip(Folder().Path(), kClipSeconds);
    return path;
}

std::string BinDir()
{
    if (const char* dir = std::getenv("KELDARA_BIN_DIR")) return dir;
    return (std::filesystem::read_symlink("/proc/self/exe").parent_path().parent_path() / "bin").string();
}

// The sinks are created by class identifier: register them as the program does.
bool RegisterSinks()
{
    static const bool done = [] {
        const std::string registry = Folder().File("registry");
        setenv("KELDARA_REGISTRY", registry.c_str(), 1);
        for (const char* server : {"audio.dll", "video.dll"}) {
            ProcessSpec spec;
            spec.argv = {JoinPath(BinDir(), "regsvr32"), "/s", server};
            spec.extraEnv = {{"KELDARA_REGISTRY", registry}};
            if (!RunProcess(spec, 30000).Succeeded()) return false;
        }
        return true;
    }();
    return done;
}

double CpuSeconds(int who)
{
    rusage u{};
    getrusage(who, &u);
    return u.ru_utime.tv_sec + u.ru_utime.tv_usec / 1e6 + u.ru_stime.tv_sec + u.ru_stime.tv_usec / 1e6;
}

// The whole benchmark process's high-water mark (an upper bound for the encode).
double PeakMegabytes()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss / 1024.0;
}

void Count(benchmark::State& state, double cpu, double wall, double peakMegabytes)
{
    state.counters["fps"] = benchmark::Counter(kFrames * state.iterations(), benchmark::Counter::kIsRate);
    state.counters["cores"] = cpu / wall;
    state.counters["peak_MB"] = peakMegabytes;
}

void BM_StandInPalDvd(benchmark::State& state)
{
    const std::string& clip = BenchClip();
    if (!RegisterSinks()) {
        state.SkipWithError("cannot register the sinks");
        return;
    }
    MessageQueue queue;
    LPARAM result = 0;
    HWND window = AllocateHWnd(queue, [&](UINT m, WPARAM, LPARAM l) -> LRESULT {
        if (m == MSG_ENCODER_DONE) result = l;
        return 0;
    });
    pipeline::ClipEncodeInput input;
    input.sourcePath = clip;
    input.outputBase = Folder().File("standin");
    input.videoWidth = 720;
    input.videoHeight = 576;
    double cpu = 0, wall = 0;
    for (auto _ : state) {
        EncoderParams params{};
        EncoderAdvSettings adv{};
        pipeline::FillEncoderParams(input, 1, true, &params, &adv);
        const double cpu0 = CpuSeconds(RUSAGE_SELF);
        const auto t0 = std::chrono::steady_clock::now();
        result = 0;
        D_InitEncoderDLL(window);
        D_AdvSettings(adv);
        D_CreateParam(params);
        D_BuildEncoder();
        D_BuildGraph();
        D_InitCPU();
        D_SetStartEndTime(0, 0);
        D_Run();
        while (result == 0) {
            MSG msg;
            if (queue.Get(msg, 500) == GetResult::Message) DispatchMessage(msg);
        }
        wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        cpu += CpuSeconds(RUSAGE_SELF) - cpu0;
        if (result != kEncoderDoneVideoAndAudio) {
            state.SkipWithError("the encode failed");
            break;
        }
    }
    D_Stop();
    DeallocateHWnd(window);
    Count(state, cpu, wall, PeakMegabytes());
}
BENCHMARK(BM_StandInPalDvd)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);

void BM_FfmpegTargetPalDvd(benchmark::State& state)
{
    const std::string& clip = BenchClip();
    double cpu = 0, wall = 0;
    for (auto _ : state) {
        // GNU time reports the program's own peak (the spawn shares our pages until exec).
        ProcessSpec spec;
        spec.argv = {"/usr/bin/time", "-f", "%M", "-o", Folder().File("ffmpeg.peak"),
                     "ffmpeg", "-v", "error", "-y", "-i", clip, "-target", "pal-dvd", Folder().File("ffmpeg.mpg")};
        const double cpu0 = CpuSeconds(RUSAGE_CHILDREN);
        const auto t0 = std::chrono::steady_clock::now();
        const bool ok = RunProcess(spec, 600000).Succeeded();
        wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        cpu += CpuSeconds(RUSAGE_CHILDREN) - cpu0;
        if (!ok) {
            state.SkipWithError("ffmpeg failed");
            break;
        }
    }
    double peakKb = 0;
    if (std::FILE* f = std::fopen(Folder().File("ffmpeg.peak").c_str(), "r")) {
        if (std::fscanf(f, "%lf", &peakKb) != 1) peakKb = 0;
        std::fclose(f);
    }
    Count(state, cpu, wall, peakKb / 1024.0);
}
BENCHMARK(BM_FfmpegTargetPalDvd)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);

} // namespace

BENCHMARK_MAIN();
