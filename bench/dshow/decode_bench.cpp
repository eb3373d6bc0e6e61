// Decode-and-grab throughput of a 720x576 clip: a plain FFmpeg loop against the
// engine and against the whole media graph (source -> sample grabber in RGB24,
// audio to the null renderer, no clock), so the graph's overhead can be read off.
#include "dshow_ffmpeg/converters.h"
#include "dshow_ffmpeg/mediafile.h"
#include "testkit/clips.h"
#include "testkit/reference.h"
#include "testkit/tempfolder.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

constexpr double kClipSeconds = 10.0;

const std::string& BenchClip()
{
    static testkit::TempFolder folder("keldara-bench");
    static const std::string path = testkit::MakeBenchClip(folder.Path(), kClipSeconds);
    return path;
}

void BM_PlainFfmpegLoop(benchmark::State& state)
{
    const std::string& path = BenchClip();
    int frames = 0;
    for (auto _ : state) {
        testkit::ReferenceResult r = testkit::ReferenceDecodeToRgb24(path);
        benchmark::DoNotOptimize(r.checksum);
        frames += r.frames;
    }
    state.counters["fps"] = benchmark::Counter(frames, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_PlainFfmpegLoop)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_EngineDecodeToRgb24(benchmark::State& state)
{
    const std::string& path = BenchClip();
    int frames = 0;
    for (auto _ : state) {
        auto file = ffmpeg::MediaFile::Open(path);
        if (!file || !file->SelectStream(file->FindStream(ffmpeg::StreamKind::Video))) {
            state.SkipWithError("cannot open the clip");
            return;
        }
        ffmpeg::VideoConverter converter;
        std::vector<std::uint8_t> rgb;
        ffmpeg::DecodedFrame frame;
        std::uint64_t checksum = 0;
        while (file->Read(frame) == ffmpeg::ReadResult::Frame) {
            rgb.resize(ffmpeg::PictureBytes(ffmpeg::PixelLayout::RGB24, frame.width, frame.height));
            converter.Convert(frame, ffmpeg::PixelLayout::RGB24, frame.width, frame.height, rgb.data(), rgb.size());
            checksum += rgb[rgb.size() / 2];
            ++frames;
        }
        benchmark::DoNotOptimize(checksum);
    }
    state.counters["fps"] = benchmark::Counter(frames, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_EngineDecodeToRgb24)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
