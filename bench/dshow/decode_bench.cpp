// Decode-and-grab throughput of a 720x576 clip: a plain FFmpeg loop against the
// engine and against the whole media graph (source -> sample grabber in RGB24,
// audio to the null renderer, no clock), so the graph's overhead can be read off.
#include "dshow/dshow.h"
#include "dshow_ffmpeg/converters.h"
#include "dshow/mediafilters.h"
#include "dshow/videosurface.h"
#include "dshow_ffmpeg/mediafile.h"
#include "dshow/qedit.h"
#include "testkit/clips.h"
#include "testkit/reference.h"
#include "testkit/tempfolder.h"

#include <benchmark/benchmark.h>

#include <atomic>
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

// One decoded 720x576 picture converted per iteration into a graph layout at its
// own size: what the source's output pin does for every frame.
void ConvertOnePicture(benchmark::State& state, ffmpeg::PixelLayout layout)
{
    auto file = ffmpeg::MediaFile::Open(BenchClip());
    ffmpeg::DecodedFrame frame;
    if (!file || !file->SelectStream(file->FindStream(ffmpeg::StreamKind::Video)) ||
        file->Read(frame) != ffmpeg::ReadResult::Frame) {
        state.SkipWithError("cannot decode the clip");
        return;
    }
    ffmpeg::VideoConverter converter;
    std::vector<std::uint8_t> out(ffmpeg::PictureBytes(layout, frame.width, frame.height));
    for (auto _ : state) {
        converter.Convert(frame, layout, frame.width, frame.height, out.data(), out.size());
        benchmark::DoNotOptimize(out.data());
    }
}
void BM_ConvertToYuy2(benchmark::State& state) { ConvertOnePicture(state, ffmpeg::PixelLayout::YUY2); }
void BM_ConvertToRgb24(benchmark::State& state) { ConvertOnePicture(state, ffmpeg::PixelLayout::RGB24); }
BENCHMARK(BM_ConvertToYuy2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ConvertToRgb24)->Unit(benchmark::kMicrosecond);

template <class T>
ComPtr<T> Query(IUnknown* object, REFIID iid)
{
    ComPtr<T> out;
    if (object) object->QueryInterface(iid, out.PutVoid());
    return out;
}

ComPtr<IPin> PinOf(IBaseFilter* filter, PIN_DIRECTION dir, const GUID* major)
{
    ComPtr<IEnumPins> pins;
    filter->EnumPins(pins.Put());
    ComPtr<IPin> pin;
    while (pins->Next(1, pin.Put(), nullptr) == S_OK) {
        PIN_DIRECTION d;
        pin->QueryDirection(&d);
        if (d != dir) continue;
        if (!major) return pin;
        ComPtr<IEnumMediaTypes> types;
        pin->EnumMediaTypes(types.Put());
        AM_MEDIA_TYPE* mt = nullptr;
        bool match = types && types->Next(1, &mt, nullptr) == S_OK && mt->majortype == *major;
        if (mt) DeleteMediaType(mt);
        if (match) return pin;
    }
    return {};
}

ComPtr<IBaseFilter> Create(REFCLSID clsid)
{
    ComPtr<IBaseFilter> filter;
    CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, filter.PutVoid());
    return filter;
}

// Counts what passes the grabber, so the benchmark knows every frame went through.
class FrameCounter : public ISampleGrabberCB {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        *ppv = riid == IID_IUnknown || riid == IID_ISampleGrabberCB ? this : nullptr;
        return *ppv ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE SampleCB(double, IMediaSample*) override
    {
        ++frames;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE BufferCB(double, BYTE*, LONG) override { return S_OK; }
    std::atomic<long> frames{0};
};

// The snapshot graph: source -> sample grabber (RGB24, buffering) -> null renderer,
// audio -> null renderer, no clock: as fast as the graph can go.
void BM_GraphDecodeAndGrab(benchmark::State& state)
{
    const std::string& path = BenchClip();
    std::wstring wide = Utf8ToWide(path);
    CoInitialize(nullptr);
    RegisterMediaFilters();
    long frames = 0;
    for (auto _ : state) {
        ComPtr<IGraphBuilder> graph;
        CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder, graph.PutVoid());
        ComPtr<IBaseFilter> source;
        if (!graph || FAILED(graph->AddSourceFilter(wide.c_str(), L"Source", source.Put()))) {
            state.SkipWithError("no graph");
            break;
        }
        ComPtr<IBaseFilter> grabberFilter = Create(CLSID_SampleGrabber);
        ComPtr<IBaseFilter> videoSink = Create(CLSID_NullRenderer);
        ComPtr<IBaseFilter> audioSink = Create(CLSID_NullRenderer);
        graph->AddFilter(grabberFilter.Get(), L"Image Grabber");
        graph->AddFilter(videoSink.Get(), L"Video Sink");
        graph->AddFilter(audioSink.Get(), L"NullRenderer");
        auto grabber = Query<ISampleGrabber>(grabberFilter.Get(), IID_ISampleGrabber);
        CMediaType rgb(MEDIATYPE_Video);
        rgb.SetSubtype(&MEDIASUBTYPE_RGB24);
        grabber->SetMediaType(&rgb);
        grabber->SetBufferSamples(TRUE);
        FrameCounter counter;
        grabber->SetCallback(&counter, 0);
        graph->Connect(PinOf(source.Get(), PINDIR_OUTPUT, &MEDIATYPE_Video).Get(),
                       PinOf(grabberFilter.Get(), PINDIR_INPUT, nullptr).Get());
        graph->Connect(PinOf(grabberFilter.Get(), PINDIR_OUTPUT, nullptr).Get(),
                       PinOf(videoSink.Get(), PINDIR_INPUT, nullptr).Get());
        graph->Connect(PinOf(source.Get(), PINDIR_OUTPUT, &MEDIATYPE_Audio).Get(),
                       PinOf(audioSink.Get(), PINDIR_INPUT, nullptr).Get());
        Query<IMediaFilter>(graph.Get(), IID_IMediaFilter)->SetSyncSource(nullptr);
        auto control = Query<IMediaControl>(graph.Get(), IID_IMediaControl);
        auto events = Query<IMediaEvent>(graph.Get(), IID_IMediaEvent);
        control->Run();
        LONG code = 0;
        if (events->WaitForCompletion(60000, &code) != S_OK || code != EC_COMPLETE) {
            state.SkipWithError("the graph did not complete");
            break;
        }
        control->Stop();
        LONG size = 0;
        grabber->GetCurrentBuffer(&size, nullptr);
        benchmark::DoNotOptimize(size);
        frames += counter.frames;
    }
    CoUninitialize();
    state.counters["fps"] = benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_GraphDecodeAndGrab)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
