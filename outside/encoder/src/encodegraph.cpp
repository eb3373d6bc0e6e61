#include "encodegraph.h"

#include "com/widestring.h"
#include "dshow/dshow.h"
#include "dshow/mediafilters.h"
#include "sinkcontrol/sinkcontrol.h"

#include <algorithm>
#include <atomic>
#include <cmath>

namespace kvrencoder {
namespace {

template <class T>
ComPtr<T> Query(IUnknown* object, REFIID iid)
{
    ComPtr<T> out;
    if (object) object->QueryInterface(iid, out.PutVoid());
    return out;
}

// The source's first output pin of a major type.
ComPtr<IPin> SourcePin(IBaseFilter* source, const GUID& major)
{
    ComPtr<IEnumPins> pins;
    if (FAILED(source->EnumPins(pins.Put()))) return {};
    ComPtr<IPin> pin;
    while (pins->Next(1, pin.Put(), nullptr) == S_OK) {
        ComPtr<IEnumMediaTypes> types;
        if (FAILED(pin->EnumMediaTypes(types.Put()))) continue;
        AM_MEDIA_TYPE* mt = nullptr;
        if (types->Next(1, &mt, nullptr) == S_OK) {
            const bool match = mt->majortype == major;
            DeleteMediaType(mt);
            if (match) return pin;
        }
    }
    return {};
}

ComPtr<IPin> InputPin(IBaseFilter* filter)
{
    ComPtr<IEnumPins> pins;
    if (!filter || FAILED(filter->EnumPins(pins.Put()))) return {};
    ComPtr<IPin> pin;
    if (pins->Next(1, pin.Put(), nullptr) != S_OK) return {};
    return pin;
}

ComPtr<IBaseFilter> Create(REFCLSID clsid)
{
    ComPtr<IBaseFilter> filter;
    CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, filter.PutVoid());
    return filter;
}

// Pictures come in YUY2 whenever the source offers it: the encoder takes it to
// 4:2:0 without a detour through RGB. RGB24 serves sources that offer nothing
// else the sink takes.
HRESULT ConnectVideo(IGraphBuilder* graph, IPin* out, IPin* in)
{
    for (const GUID* subtype : {&MEDIASUBTYPE_YUY2, &MEDIASUBTYPE_RGB24}) {
        ComPtr<IEnumMediaTypes> types;
        if (FAILED(out->EnumMediaTypes(types.Put()))) break;
        AM_MEDIA_TYPE* mt = nullptr;
        while (types->Next(1, &mt, nullptr) == S_OK) {
            const bool match = mt->subtype == *subtype;
            CMediaType type(*mt);
            DeleteMediaType(mt);
            if (match && graph->ConnectDirect(out, in, &type) == S_OK) return S_OK;
        }
    }
    return graph->Connect(out, in);
}

constexpr double kUnits = 10000000.0;


bool SampleTimes(IMediaSample* sample, double* start, double* stop)
{
    REFERENCE_TIME a = 0, b = 0;
    HRESULT hr = sample->GetTime(&a, &b);
    if (FAILED(hr)) return false;
    if (hr == VFW_S_NO_STOP_TIME) b = a;
    *start = a / kUnits;
    *stop = b / kUnits;
    return true;
}

class PictureCallback final : public videosink::SampleCallback {
public:
    HRESULT OnMediaType(const AM_MEDIA_TYPE* mt) override
    {
        PictureShape connected;
        const BITMAPINFOHEADER* bih = mt ? VideoBitmapHeader(*mt) : nullptr;
        if (!bih) return S_OK;
        connected.layout = mt->subtype == MEDIASUBTYPE_RGB24 ? PictureLayout::Rgb24 : PictureLayout::Yuy2;
        connected.width = bih->biWidth;
        connected.height = bih->biHeight < 0 ? -bih->biHeight : bih->biHeight;
        const int bits = connected.layout == PictureLayout::Rgb24 ? 24 : 16;
        connected.stride = ((connected.width * bits + 31) & ~31) / 8;
        shape = connected;
        return S_OK;
    }
    HRESULT OnSample(IMediaSample* sample) override
    {
        PictureSample picture;
        BYTE* data = nullptr;
        if (!sink || FAILED(sample->GetPointer(&data)) || !data) return S_OK;
        if (!SampleTimes(sample, &picture.start, &picture.stop)) return S_OK;
        picture.data = data;
        picture.sample = sample;
        picture.bytes = static_cast<std::size_t>(std::max<LONG>(0, sample->GetActualDataLength()));
        // A short sample would be read past its end.
        if (picture.bytes < static_cast<std::size_t>(shape.stride) * shape.height) return S_OK;
        sink(picture);
        return S_OK;
    }
    HRESULT OnDetach() override { return S_OK; }

    PictureShape shape;
    std::function<void(const PictureSample&)> sink;
};

class SoundCallback final : public audiosink::SampleCallback {
public:
    HRESULT OnSample(IMediaSample* sample) override
    {
        SoundSample sound;
        BYTE* data = nullptr;
        if (!sink || shape.channels <= 0 || FAILED(sample->GetPointer(&data)) || !data) return S_OK;
        double stop = 0;
        if (!SampleTimes(sample, &sound.start, &stop)) return S_OK;
        const LONG bytes = std::max<LONG>(0, sample->GetActualDataLength());
        sound.data = reinterpret_cast<const std::int16_t*>(data);
        sound.frames = static_cast<int>(bytes / (2 * shape.channels));
        if (sound.frames > 0) sink(sound);
        return S_OK;
    }
    HRESULT OnMediaType(const AM_MEDIA_TYPE* mt) override
    {
        const WAVEFORMATEX* wave = mt ? WaveFormat(*mt) : nullptr;
        if (wave) shape = SoundShape{static_cast<int>(wave->nSamplesPerSec), wave->nChannels};
        return S_OK;
    }
    HRESULT OnDetach() override { return S_OK; }

    SoundShape shape;
    std::function<void(const SoundSample&)> sink;
};

} // namespace

std::shared_ptr<const std::uint8_t> PictureSample::Hold() const
{
    if (!sample || !data) return {};
    IMediaSample* held = sample;
    held->AddRef();
    return std::shared_ptr<const std::uint8_t>(data, [held](const std::uint8_t*) { held->Release(); });
}

// The callbacks come first: the sinks call them until they are released below.
struct EncodeGraph::State {
    PictureCallback pictures;
    SoundCallback sounds;
    ComPtr<IGraphBuilder> graph;
    ComPtr<IBaseFilter> source, video, audio;
    ComPtr<IMediaControl> control;
    ComPtr<IMediaEvent> events;
    bool sound = false;
    double seconds = 0;
    std::atomic<bool> videoEnded{false}, soundEnded{false};

    ~State()
    {
        if (control) control->Stop();
        if (auto c = Query<videosink::ISinkControl>(video.Get(), videosink::IID_ISinkControl)) c->SetCallback(nullptr);
        if (auto c = Query<audiosink::ISinkControl>(audio.Get(), audiosink::IID_ISinkControl)) c->SetCallback(nullptr);
        if (graph)
            for (IBaseFilter* f : {audio.Get(), video.Get(), source.Get()})
                if (f) graph->RemoveFilter(f);
        events.Reset();
        control.Reset();
        graph.Reset();
        audio.Reset();
        video.Reset();
        source.Reset();
    }
};

EncodeGraph::EncodeGraph() : state_(std::make_unique<State>()) {}
EncodeGraph::~EncodeGraph() = default;

bool EncodeGraph::Build(const std::string& path, int sampleRate, GraphSinks sinks, std::string* error)
{
    RegisterMediaFilters();
    ComPtr<IBaseFilter> source = Create(CLSID_FfmpegSource);
    auto load = Query<IFileSourceFilter>(source.Get(), IID_IFileSourceFilter);
    if (!load) {
        if (error) *error = "no file source";
        return false;
    }
    if (FAILED(load->Load(Utf8ToWide(path).c_str(), nullptr))) {
        if (error) *error = "cannot open the source";
        return false;
    }
    return Build(source.Get(), sampleRate, std::move(sinks), error);
}

bool EncodeGraph::Build(IBaseFilter* source, int sampleRate, GraphSinks sinks, std::string* error)
{
    auto fail = [error](const char* why) {
        if (error) *error = why;
        return false;
    };
    State& s = *state_;
    RegisterMediaFilters();
    if (FAILED(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                s.graph.PutVoid())))
        return fail("no filter graph");
    s.source = ComPtr<IBaseFilter>(source);
    if (!s.source || FAILED(s.graph->AddFilter(s.source.Get(), L"Source"))) return fail("no file source");

    ComPtr<IPin> videoOut = SourcePin(s.source.Get(), MEDIATYPE_Video);
    if (!videoOut) return fail("the source has no video");
    s.video = Create(CLSID_VideoSink);
    auto videoControl = Query<videosink::ISinkControl>(s.video.Get(), videosink::IID_ISinkControl);
    if (!videoControl) return fail("the video sink is not registered");
    s.pictures.sink = std::move(sinks.picture);
    videoControl->SetCallback(&s.pictures);   // before connecting: the connection type reaches us
    if (FAILED(s.graph->AddFilter(s.video.Get(), L"Video Sink")) ||
        FAILED(ConnectVideo(s.graph.Get(), videoOut.Get(), InputPin(s.video.Get()).Get())) || s.pictures.shape.width <= 0 ||
        s.pictures.shape.height <= 0)
        return fail("the video stream cannot be decoded");

    if (ComPtr<IPin> audioOut = SourcePin(s.source.Get(), MEDIATYPE_Audio)) {
        s.audio = Create(CLSID_AudioSink);
        auto audioControl = Query<audiosink::ISinkControl>(s.audio.Get(), audiosink::IID_ISinkControl);
        if (!audioControl) return fail("the audio sink is not registered");
        audioControl->SetSampleRateMode(sampleRate == 48000 ? 1 : 0);
        s.sounds.sink = std::move(sinks.sound);
        audioControl->SetCallback(&s.sounds);
        // A sound track that cannot be decoded leaves the clip silent rather than lost.
        s.sound = SUCCEEDED(s.graph->AddFilter(s.audio.Get(), L"Audio Sink")) &&
                  SUCCEEDED(s.graph->Connect(audioOut.Get(), InputPin(s.audio.Get()).Get())) &&
                  s.sounds.shape.channels > 0;
        if (!s.sound) {
            audioControl->SetCallback(nullptr);
            s.graph->RemoveFilter(s.audio.Get());
            s.audio.Reset();
        }
    }

    for (IBaseFilter* sink : {s.video.Get(), s.audio.Get()}) {
        LONGLONG duration = 0;
        auto seeking = Query<IMediaSeeking>(sink, IID_IMediaSeeking);
        if (seeking && seeking->GetDuration(&duration) == S_OK) s.seconds = std::max(s.seconds, duration / kUnits);
    }
    ComPtr<IMediaFilter> timing = Query<IMediaFilter>(s.graph.Get(), IID_IMediaFilter);
    s.control = Query<IMediaControl>(s.graph.Get(), IID_IMediaControl);
    s.events = Query<IMediaEvent>(s.graph.Get(), IID_IMediaEvent);
    if (!timing || !s.control || !s.events) return fail("the graph cannot be run");
    timing->SetSyncSource(nullptr);   // as fast as it decodes
    // Each sink's end is told apart: a picture held while the sound goes on is padded as it goes.
    s.events->CancelDefaultHandling(EC_COMPLETE);
    return true;
}

bool EncodeGraph::HasSound() const { return state_->sound; }
const PictureShape& EncodeGraph::Picture() const { return state_->pictures.shape; }
const SoundShape& EncodeGraph::Sound() const { return state_->sounds.shape; }
double EncodeGraph::Seconds() const { return state_->seconds; }
bool EncodeGraph::VideoEnded() const { return state_->videoEnded.load(); }

bool EncodeGraph::Seek(double start, double stop)
{
    // Each source pin positions its own stream, so the position goes in through both sinks.
    bool ok = true;
    for (IBaseFilter* sink : {state_->video.Get(), state_->audio.Get()}) {
        if (!sink) continue;
        auto seeking = Query<IMediaSeeking>(sink, IID_IMediaSeeking);
        if (!seeking) {
            ok = false;
            continue;
        }
        // To the end: the stream's own length, which lets it run out by itself.
        LONGLONG a = static_cast<LONGLONG>(start * kUnits), b = 0;
        DWORD stopFlags = AM_SEEKING_AbsolutePositioning;
        if (!std::isinf(stop)) b = static_cast<LONGLONG>(stop * kUnits);
        else if (seeking->GetDuration(&b) != S_OK) stopFlags = AM_SEEKING_NoPositioning;
        ok = SUCCEEDED(seeking->SetPositions(&a, AM_SEEKING_AbsolutePositioning, &b, stopFlags)) && ok;
    }
    return ok;
}

EncodeGraph::Outcome EncodeGraph::Run(const std::atomic<bool>& cancel, const std::function<bool()>& finished,
                                      const std::function<void()>& idle)
{
    State& s = *state_;
    s.videoEnded.store(false);
    s.soundEnded.store(!s.sound);
    if (!s.control) return Outcome::Failed;
    // The sinks report their stop as events: those of an earlier run are no end of this one.
    LONG code = 0;
    LONG_PTR param1 = 0, param2 = 0;
    while (s.events->GetEvent(&code, &param1, &param2, 0) == S_OK) s.events->FreeEventParams(code, param1, param2);
    if (FAILED(s.control->Run())) return Outcome::Failed;
    const LONG_PTR videoSink = reinterpret_cast<LONG_PTR>(s.video.Get());
    const LONG_PTR audioSink = reinterpret_cast<LONG_PTR>(s.audio.Get());
    Outcome outcome = Outcome::Failed;
    for (;;) {
        if (cancel.load()) {
            outcome = Outcome::Cancelled;
            break;
        }
        if (finished && finished()) {
            outcome = Outcome::Complete;
            break;
        }
        if (s.events->GetEvent(&code, &param1, &param2, 10) != S_OK) {
            if (idle) idle();
            continue;
        }
        s.events->FreeEventParams(code, param1, param2);
        if (code == EC_COMPLETE) {
            if (param2 == videoSink) s.videoEnded.store(true);
            if (param2 == audioSink) s.soundEnded.store(true);
            if (s.videoEnded.load() && s.soundEnded.load()) {
                outcome = Outcome::Complete;
                break;
            }
        } else if (code == EC_ERRORABORT) {
            outcome = static_cast<HRESULT>(param1) == VFW_E_FILE_TOO_SHORT ? Outcome::CutShort : Outcome::Failed;
            break;
        } else if (code == EC_USERABORT) {
            break;
        }
        if (idle) idle();
    }
    s.control->Stop();
    return outcome;
}

} // namespace kvrencoder
