// Both sinks at the ends of a real graph over a synthetic clip: the
// connection type first, then every decoded sample in time order, seeking
// through the sinks, the Stop events, the callbacks' slot order as laid out
// in memory, and the detach call when the graph lets go.
#include "dshow/qedit.h"
#include "sinkfixture.h"
#include "testkit/clips.h"

#include <typeinfo>

namespace {

constexpr int kFrames = 125;   // the standard clip: 5 s at 25 fps

ComPtr<IPin> SourcePin(IBaseFilter* source, const GUID& major)
{
    ComPtr<IEnumPins> pins;
    source->EnumPins(pins.Put());
    ComPtr<IPin> pin;
    while (pins->Next(1, pin.Put(), nullptr) == S_OK) {
        ComPtr<IEnumMediaTypes> types;
        if (FAILED(pin->EnumMediaTypes(types.Put()))) continue;
        AM_MEDIA_TYPE* mt = nullptr;
        if (types->Next(1, &mt, nullptr) == S_OK) {
            bool match = mt->majortype == major;
            DeleteMediaType(mt);
            if (match) return pin;
        }
    }
    return {};
}

// The full type the source offers in a subtype.
bool OfferedType(IPin* pin, const GUID& subtype, CMediaType* out)
{
    ComPtr<IEnumMediaTypes> types;
    if (FAILED(pin->EnumMediaTypes(types.Put()))) return false;
    AM_MEDIA_TYPE* mt = nullptr;
    while (types->Next(1, &mt, nullptr) == S_OK) {
        bool match = mt->subtype == subtype;
        if (match) *out = *mt;
        DeleteMediaType(mt);
        if (match) return true;
    }
    return false;
}

int FrameNumber(const std::vector<BYTE>& rgb, int width, int height)
{
    testkit::PictureView view{rgb.data(), width, height, (width * 3 + 3) & ~3, true, true};
    return testkit::ReadFrameCounter(view);
}

class SinkGraph : public SinkTest {
protected:
    void Build(audiosink::SampleCallback* audioCallback, videosink::SampleCallback* videoCallback,
               bool rgb = true)
    {
        std::string clip = testkit::MakeStandardClip(folder.Path());
        ASSERT_EQ(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                   graph.PutVoid()),
                  S_OK);
        ASSERT_EQ(CoCreateInstance(CLSID_FfmpegSource, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                   source.PutVoid()),
                  S_OK);
        ASSERT_TRUE(SUCCEEDED(graph->AddFilter(source.Get(), L"Source")));
        auto load = Query<IFileSourceFilter>(source.Get(), IID_IFileSourceFilter);
        ASSERT_TRUE(load);
        ASSERT_EQ(load->Load(Utf8ToWide(clip).c_str(), nullptr), S_OK);

        audio = MakeSink(CLSID_AudioSink);
        video = MakeSink(CLSID_VideoSink);
        ASSERT_TRUE(audio && video);
        // Installed before connecting, so the connection type reaches the host.
        Query<audiosink::ISinkControl>(audio.Get(), audiosink::IID_ISinkControl)->SetCallback(audioCallback);
        Query<videosink::ISinkControl>(video.Get(), videosink::IID_ISinkControl)->SetCallback(videoCallback);
        ASSERT_TRUE(SUCCEEDED(graph->AddFilter(audio.Get(), L"Audio Sink")));
        ASSERT_TRUE(SUCCEEDED(graph->AddFilter(video.Get(), L"Video Sink")));

        auto audioOut = SourcePin(source.Get(), MEDIATYPE_Audio);
        auto videoOut = SourcePin(source.Get(), MEDIATYPE_Video);
        ASSERT_TRUE(audioOut && videoOut);
        ASSERT_EQ(graph->Connect(audioOut.Get(), InputPin(audio.Get()).Get()), S_OK);
        if (rgb) {
            CMediaType type;
            ASSERT_TRUE(OfferedType(videoOut.Get(), MEDIASUBTYPE_RGB24, &type));
            ASSERT_EQ(graph->ConnectDirect(videoOut.Get(), InputPin(video.Get()).Get(), &type), S_OK);
        } else {
            ASSERT_EQ(graph->Connect(videoOut.Get(), InputPin(video.Get()).Get()), S_OK);
        }
        // As fast as it decodes.
        Query<IMediaFilter>(graph.Get(), IID_IMediaFilter)->SetSyncSource(nullptr);
        control = Query<IMediaControl>(graph.Get(), IID_IMediaControl);
        events = Query<IMediaEvent>(graph.Get(), IID_IMediaEvent);
    }

    void RunToTheEnd()
    {
        ASSERT_TRUE(SUCCEEDED(control->Run()));
        LONG code = 0;
        ASSERT_EQ(events->WaitForCompletion(30000, &code), S_OK);
        EXPECT_EQ(code, EC_COMPLETE);
        control->Stop();
    }

    void TearDown() override
    {
        Release();
        SinkTest::TearDown();
    }

    void Release()
    {
        if (graph) {
            if (control) control->Stop();
            for (auto* f : {audio.Get(), video.Get(), source.Get()})
                if (f) graph->RemoveFilter(f);
        }
        events.Reset();
        control.Reset();
        graph.Reset();
        audio.Reset();
        video.Reset();
        source.Reset();
    }

    // The recorders outlive the sinks: the sinks' detach call reaches them
    // when TearDown lets the graph go, also after a failed assertion.
    AudioRecorder audioRec;
    VideoRecorder videoRec;
    ComPtr<IGraphBuilder> graph;
    ComPtr<IBaseFilter> source, audio, video;
    ComPtr<IMediaControl> control;
    ComPtr<IMediaEvent> events;
};

void ExpectMonotonic(const std::vector<REFERENCE_TIME>& starts)
{
    for (std::size_t i = 1; i < starts.size(); ++i) ASSERT_GE(starts[i], starts[i - 1]) << "sample " << i;
}

} // namespace

TEST_F(SinkGraph, EveryDecodedSampleReachesTheCallbacksAfterTheConnectionType)
{
    videoRec.record.keepBytes = true;
    ASSERT_NO_FATAL_FAILURE(Build(&audioRec, &videoRec));
    ASSERT_EQ(audioRec.record.calls, std::vector<std::string>{"type"});
    ASSERT_EQ(videoRec.record.calls, std::vector<std::string>{"type"});
    const WAVEFORMATEX* wave = WaveFormat(audioRec.record.type);
    ASSERT_NE(wave, nullptr);
    EXPECT_EQ(wave->nSamplesPerSec, 44100u);
    EXPECT_EQ(wave->nChannels, 2);
    EXPECT_EQ(wave->wBitsPerSample, 16);
    const BITMAPINFOHEADER* bmi = VideoBitmapHeader(videoRec.record.type);
    ASSERT_NE(bmi, nullptr);
    EXPECT_EQ(videoRec.record.type.subtype, MEDIASUBTYPE_RGB24);
    EXPECT_EQ(bmi->biWidth, 320);

    ASSERT_NO_FATAL_FAILURE(RunToTheEnd());

    // Video: every frame, in order, each whole.
    ASSERT_EQ(videoRec.record.Count("sample"), kFrames);
    for (int i = 0; i < kFrames; ++i) {
        ASSERT_EQ(videoRec.record.firstBytes[i].size(), DibImageSize(*bmi)) << i;
        ASSERT_EQ(FrameNumber(videoRec.record.firstBytes[i], 320, 240), i) << "frame " << i;
    }
    ExpectMonotonic(videoRec.record.starts);
    ExpectMonotonic(audioRec.record.starts);
    ASSERT_EQ(videoRec.record.starts.size(), std::size_t(kFrames));
    EXPECT_EQ(videoRec.record.starts.front(), 0);
    // Audio: five seconds of 16-bit stereo, give or take the last coded frame.
    const long long expected = 5LL * 44100 * 4;
    EXPECT_NEAR(double(audioRec.record.bytes), double(expected), expected * 0.03);
    EXPECT_EQ(audioRec.record.bytes % 4, 0);

    Release();
    for (Delivery* d : {&audioRec.record, &videoRec.record}) {
        EXPECT_EQ(d->Count("detach"), 1);
        EXPECT_EQ(d->calls.back(), "detach");
        EXPECT_EQ(d->Count("type"), 1);
    }
}

TEST_F(SinkGraph, VideoConnectsInYuy2WhenLeftToChoose)
{
    ASSERT_NO_FATAL_FAILURE(Build(&audioRec, &videoRec, false));
    const GUID sub = videoRec.record.type.subtype;
    EXPECT_TRUE(sub == MEDIASUBTYPE_YUY2 || sub == MEDIASUBTYPE_RGB24);
    ASSERT_NO_FATAL_FAILURE(RunToTheEnd());
    EXPECT_EQ(videoRec.record.Count("sample"), kFrames);
    EXPECT_EQ(videoRec.record.bytes, (long long)kFrames * DibImageSize(*VideoBitmapHeader(videoRec.record.type)));
}

TEST_F(SinkGraph, SeekingThroughEitherSinkReachesTheSource)
{
    videoRec.record.keepBytes = true;
    ASSERT_NO_FATAL_FAILURE(Build(&audioRec, &videoRec));
    for (IBaseFilter* sink : {audio.Get(), video.Get()}) {
        auto seeking = Query<IMediaSeeking>(sink, IID_IMediaSeeking);
        ASSERT_TRUE(seeking);
        LONGLONG duration = 0;
        ASSERT_EQ(seeking->GetDuration(&duration), S_OK);
        EXPECT_NEAR(double(duration), 5.0 * UNITS, 0.1 * UNITS);
        auto position = Query<IMediaPosition>(sink, IID_IMediaPosition);
        ASSERT_TRUE(position);
        REFTIME length = 0;
        EXPECT_EQ(position->get_Duration(&length), S_OK);
        EXPECT_NEAR(length, 5.0, 0.1);
    }
    // Start at 3 s: only the last two seconds arrive. Each source pin seeks
    // its own stream, so the position goes in through both sinks, as the
    // graph does for its renderers.
    for (IBaseFilter* sink : {audio.Get(), video.Get()}) {
        auto seeking = Query<IMediaSeeking>(sink, IID_IMediaSeeking);
        LONGLONG start = 3 * UNITS;
        ASSERT_TRUE(SUCCEEDED(seeking->SetPositions(&start, AM_SEEKING_AbsolutePositioning, nullptr,
                                                    AM_SEEKING_NoPositioning)));
    }
    ASSERT_NO_FATAL_FAILURE(RunToTheEnd());
    ASSERT_GT(videoRec.record.Count("sample"), 0);
    EXPECT_NEAR(videoRec.record.Count("sample"), kFrames - 75, 3);
    EXPECT_NEAR(FrameNumber(videoRec.record.firstBytes.front(), 320, 240), 75, 2);
    EXPECT_NEAR(double(audioRec.record.bytes), 2.0 * 44100 * 4, 0.1 * 44100 * 4);
}

TEST_F(SinkGraph, StoppingRaisesEachServersEvent)
{
    ASSERT_NO_FATAL_FAILURE(Build(&audioRec, &videoRec));
    auto flags = Query<IMediaEventEx>(graph.Get(), IID_IMediaEventEx);
    ASSERT_TRUE(flags);
    flags->CancelDefaultHandling(EC_COMPLETE);   // each renderer's own EC_COMPLETE passes through
    ASSERT_TRUE(SUCCEEDED(control->Run()));
    LONG code = 0;
    LONG_PTR p1 = 0, p2 = 0;
    // Both ends of the stream first...
    int completes = 0;
    while (completes < 2 && flags->GetEvent(&code, &p1, &p2, 30000) == S_OK) {
        completes += code == EC_COMPLETE;
        flags->FreeEventParams(code, p1, p2);
    }
    ASSERT_EQ(completes, 2);
    control->Stop();
    // ...then the Stop of each sink: the audio one aborts, the video one completes.
    bool audioAbort = false, videoComplete = false;
    while (flags->GetEvent(&code, &p1, &p2, 0) == S_OK) {
        auto* filter = reinterpret_cast<IBaseFilter*>(p1);
        if (code == EC_USERABORT && filter == audio.Get()) audioAbort = true;
        if (code == EC_COMPLETE && filter == video.Get()) videoComplete = true;
        flags->FreeEventParams(code, p1, p2);
    }
    EXPECT_TRUE(audioAbort);
    EXPECT_TRUE(videoComplete);
}

// ---------------------------------------------------------------------------
// The slot order as a host built elsewhere sees it: a callback object whose
// table of functions is laid out by hand (the compiler's layout: offset to
// top, type information, then the slots), each slot recording its number.

namespace {

struct RawCallback;
using SlotRecord = std::vector<int>;

template <int N>
HRESULT Slot(RawCallback* self, void*);

struct RawCallback {
    void** table;
    SlotRecord* record;
};

template <int N>
HRESULT Slot(RawCallback* self, void*)
{
    self->record->push_back(N);
    return S_OK;
}

// Real types, so that a checked build finds believable type information.
class AudioShape final : public audiosink::SampleCallback {
    HRESULT OnSample(IMediaSample*) override { return S_OK; }
    HRESULT OnMediaType(const AM_MEDIA_TYPE*) override { return S_OK; }
    HRESULT OnDetach() override { return S_OK; }
};
class VideoShape final : public videosink::SampleCallback {
    HRESULT OnMediaType(const AM_MEDIA_TYPE*) override { return S_OK; }
    HRESULT OnSample(IMediaSample*) override { return S_OK; }
    HRESULT OnDetach() override { return S_OK; }
};

template <class Shape>
struct RawTable {
    void* entries[5] = {nullptr, const_cast<std::type_info*>(&typeid(Shape)), reinterpret_cast<void*>(&Slot<0>),
                        reinterpret_cast<void*>(&Slot<1>), reinterpret_cast<void*>(&Slot<2>)};
};

} // namespace

TEST_F(SinkGraph, CallbackSlotsAreCalledInEachServersOrder)
{
    static_assert(sizeof(void*) == 8, "the hand-made table assumes the 64-bit layout");
    RawTable<AudioShape> audioTable;
    RawTable<VideoShape> videoTable;
    SlotRecord audioSlots, videoSlots;
    RawCallback audioRaw{&audioTable.entries[2], &audioSlots};
    RawCallback videoRaw{&videoTable.entries[2], &videoSlots};
    ASSERT_NO_FATAL_FAILURE(Build(reinterpret_cast<audiosink::SampleCallback*>(&audioRaw),
                                  reinterpret_cast<videosink::SampleCallback*>(&videoRaw)));
    ASSERT_NO_FATAL_FAILURE(RunToTheEnd());
    Release();

    // audio: 0 sample, 1 media type, 2 detach; video: 0 media type, 1 sample, 2 detach.
    ASSERT_GE(audioSlots.size(), 3u);
    EXPECT_EQ(audioSlots.front(), 1);
    EXPECT_EQ(audioSlots.back(), 2);
    for (std::size_t i = 1; i + 1 < audioSlots.size(); ++i) ASSERT_EQ(audioSlots[i], 0) << i;
    ASSERT_EQ(videoSlots.size(), std::size_t(kFrames) + 2);
    EXPECT_EQ(videoSlots.front(), 0);
    EXPECT_EQ(videoSlots.back(), 2);
    for (std::size_t i = 1; i + 1 < videoSlots.size(); ++i) ASSERT_EQ(videoSlots[i], 1) << i;
}
