// The filter graph manager over the test filters.
#include "../com/testregistry.h"
#include "testfilters.h"
#include "win32/messages.h"

#include <chrono>
#include <fstream>
#include <gtest/gtest.h>

namespace {

constexpr REFERENCE_TIME kPeriod = 10 * MILLISECONDS;

struct Graph {
    ComPtr<IGraphBuilder> builder;
    ComPtr<IMediaControl> control;
    ComPtr<IMediaEventEx> events;
    ComPtr<IMediaSeeking> seeking;
    ComPtr<IMediaFilter> filter;

    Graph()
    {
        EXPECT_EQ(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                   builder.PutVoid()),
                  S_OK);
        builder.As(IID_IMediaControl, control);
        builder.As(IID_IMediaEventEx, events);
        builder.As(IID_IMediaSeeking, seeking);
        builder.As(IID_IMediaFilter, filter);
    }
    // As fast as the filters go.
    void Unclocked() { EXPECT_EQ(filter->SetSyncSource(nullptr), S_OK); }
    LONG WaitDone(LONG ms = 10000)
    {
        LONG code = 0;
        EXPECT_EQ(events->WaitForCompletion(ms, &code), S_OK);
        return code;
    }
    int Count()
    {
        ComPtr<IEnumFilters> e;
        builder->EnumFilters(e.Put());
        int n = 0;
        IBaseFilter* f = nullptr;
        while (e->Next(1, &f, nullptr) == S_OK) {
            f->Release();
            ++n;
        }
        return n;
    }
    ~Graph()
    {
        if (control) control->Stop();
    }
};

void ExpectFrames(const std::vector<TestRenderer::Record>& records, int first, int count, REFERENCE_TIME segment)
{
    ASSERT_EQ(int(records.size()), count);
    for (int i = 0; i < count; ++i) {
        EXPECT_EQ(records[std::size_t(i)].frame, first + i);
        EXPECT_EQ(records[std::size_t(i)].start + records[std::size_t(i)].segment, (first + i) * kPeriod);
        EXPECT_EQ(records[std::size_t(i)].segment, segment);
        EXPECT_TRUE(records[std::size_t(i)].sync);
    }
}

constexpr CLSID CLSID_LateEndSink{0x7A11E0F1, 0x5EED, 0x4C0D, {0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xF1}};

// A sink whose end of stream lands just after its pin has been told to run and
// before its filter counts as running, as a streaming thread's may.
class LateEndSink final : public CBaseFilter {
public:
    LateEndSink() : CBaseFilter("late end sink", nullptr, &lock_, CLSID_LateEndSink), pin_(this, &lock_) {}
    int GetPinCount() override { return 1; }
    CBasePin* GetPin(int index) override { return index == 0 ? &pin_ : nullptr; }

private:
    class Pin final : public CRenderedInputPin {
    public:
        Pin(CBaseFilter* filter, CCritSec* lock) : CRenderedInputPin("late end pin", filter, lock, nullptr, L"In") {}
        HRESULT CheckMediaType(const CMediaType*) override { return S_OK; }
        HRESULT Run(REFERENCE_TIME start) override
        {
            HRESULT hr = CRenderedInputPin::Run(start);
            EndOfStream();
            return hr;
        }
    };
    CCritSec lock_;
    Pin pin_;
};

} // namespace

TEST(FilterGraph, AnEndOfStreamAsTheSinkStartsRunningCompletesOnce)
{
    ScopedTestRegistry registry;
    Graph g;
    auto s = Hold(new TestSource(1, kPeriod)), k = Hold(new LateEndSink);
    ASSERT_EQ(g.builder->AddFilter(s.Get(), L"Source"), S_OK);
    ASSERT_EQ(g.builder->AddFilter(k.Get(), L"Sink"), S_OK);
    ASSERT_EQ(g.builder->ConnectDirect(FirstPin(s.Get(), PINDIR_OUTPUT).Get(), FirstPin(k.Get(), PINDIR_INPUT).Get(),
                                       nullptr),
              S_OK);
    ASSERT_EQ(g.events->CancelDefaultHandling(EC_COMPLETE), S_OK);   // the sink's own event is queued as it is
    // Only the sink changes state: no streaming thread takes part.
    ASSERT_EQ(k->Pause(), S_OK);
    ASSERT_EQ(k->Run(0), S_OK);
    LONG code = 0;
    LONG_PTR p1 = 0, p2 = 0;
    ASSERT_EQ(g.events->GetEvent(&code, &p1, &p2, 0), S_OK);
    EXPECT_EQ(code, EC_COMPLETE);
    EXPECT_EQ(g.events->GetEvent(&code, &p1, &p2, 0), E_ABORT);
    EXPECT_EQ(k->Stop(), S_OK);
}

TEST(FilterGraph, DeliversEverySampleInOrderThroughATransform)
{
    ScopedTestRegistry registry;
    Graph g;
    auto* renderer = new TestRenderer(MEDIASUBTYPE_RGB32);
    auto s = Hold(new TestSource(50, kPeriod)), t = Hold(new TestTransform), r = Hold(renderer);
    ASSERT_EQ(g.builder->AddFilter(s.Get(), L"Source"), S_OK);
    ASSERT_EQ(g.builder->AddFilter(t.Get(), L"Transform"), S_OK);
    ASSERT_EQ(g.builder->AddFilter(r.Get(), L"Renderer"), S_OK);
    ASSERT_EQ(g.builder->ConnectDirect(FirstPin(s.Get(), PINDIR_OUTPUT).Get(), FirstPin(t.Get(), PINDIR_INPUT).Get(),
                                       nullptr),
              S_OK);
    ASSERT_EQ(g.builder->ConnectDirect(FirstPin(t.Get(), PINDIR_OUTPUT).Get(), FirstPin(r.Get(), PINDIR_INPUT).Get(),
                                       nullptr),
              S_OK);
    g.Unclocked();
    ASSERT_EQ(g.control->Run(), S_OK);
    EXPECT_EQ(g.WaitDone(), EC_COMPLETE);
    ExpectFrames(renderer->Records(), 0, 50, 0);

    // One completion reaches the application, once.
    LONG code = 0;
    LONG_PTR p1 = 0, p2 = 0;
    ASSERT_EQ(g.events->GetEvent(&code, &p1, &p2, 0), S_OK);
    EXPECT_EQ(code, EC_COMPLETE);
    EXPECT_EQ(p1, S_OK);
    EXPECT_EQ(g.events->GetEvent(&code, &p1, &p2, 0), E_ABORT);

    ASSERT_EQ(g.control->Stop(), S_OK);
    OAFilterState state = -1;
    EXPECT_EQ(g.control->GetState(0, &state), S_OK);
    EXPECT_EQ(state, State_Stopped);
    EXPECT_EQ(g.builder->RemoveFilter(t.Get()), S_OK);
    EXPECT_FALSE(Peer(FirstPin(s.Get(), PINDIR_OUTPUT).Get()));
    EXPECT_FALSE(Peer(FirstPin(r.Get(), PINDIR_INPUT).Get()));
}

TEST(FilterGraph, ConnectInsertsARegisteredIntermediateFilter)
{
    ScopedTestRegistry registry;
    RegisterProcessFilter(kTestTransformSetup, MakeClassCreator(&TestTransform::CreateInstance));
    Graph g;
    auto* renderer = new TestRenderer(MEDIASUBTYPE_RGB32);
    auto s = Hold(new TestSource(20, kPeriod)), r = Hold(renderer);
    g.builder->AddFilter(s.Get(), L"Source");
    g.builder->AddFilter(r.Get(), L"Renderer");
    ComPtr<IPin> out = FirstPin(s.Get(), PINDIR_OUTPUT), in = FirstPin(r.Get(), PINDIR_INPUT);
    EXPECT_TRUE(FAILED(g.builder->ConnectDirect(out.Get(), in.Get(), nullptr)));
    ASSERT_EQ(g.builder->Connect(out.Get(), in.Get()), S_OK);
    EXPECT_EQ(g.Count(), 3);
    ComPtr<IBaseFilter> middle;
    ASSERT_EQ(g.builder->FindFilterByName(L"Test Transform", middle.Put()), S_OK);
    PIN_INFO info{};
    ASSERT_EQ(Peer(out.Get())->QueryPinInfo(&info), S_OK);
    EXPECT_EQ(info.pFilter, middle.Get());
    info.pFilter->Release();
    g.Unclocked();
    ASSERT_EQ(g.control->Run(), S_OK);
    g.WaitDone();
    ExpectFrames(renderer->Records(), 0, 20, 0);
}

TEST(FilterGraph, RenderFileFindsTheSourceAndTheRendererThroughRegistration)
{
    ScopedTestRegistry registry;
    RegisterProcessFileSource(CLSID_TestFileSource, MERIT_NORMAL, MakeClassCreator(&TestFileSource::CreateInstance));
    RegisterProcessFilter(kTestRendererSetup, MakeClassCreator(&TestRenderer::CreateInstance));
    std::string clip = JoinPath(registry.Folder(), "clip.tst");
    std::string text = JoinPath(registry.Folder(), "notes.txt");
    std::ofstream(clip) << "10";
    std::ofstream(text) << "10";

    Graph g;
    EXPECT_EQ(g.builder->RenderFile(Utf8ToWide(JoinPath(registry.Folder(), "missing.tst")).c_str(), nullptr),
              HResultFromCode(0x80070002u));
    EXPECT_TRUE(FAILED(g.builder->RenderFile(Utf8ToWide(text).c_str(), nullptr)));
    EXPECT_EQ(g.Count(), 0);

    std::wstring wide = Utf8ToWide(clip);
    ASSERT_EQ(g.builder->RenderFile(wide.c_str(), nullptr), S_OK);
    EXPECT_EQ(g.Count(), 2);
    ComPtr<IBaseFilter> source, renderer;
    ASSERT_EQ(g.builder->FindFilterByName(wide.c_str(), source.Put()), S_OK);
    ASSERT_EQ(g.builder->FindFilterByName(L"Test Renderer", renderer.Put()), S_OK);
    EXPECT_TRUE(Peer(FirstPin(source.Get(), PINDIR_OUTPUT).Get()));
    g.Unclocked();
    ASSERT_EQ(g.control->Run(), S_OK);
    EXPECT_EQ(g.WaitDone(), EC_COMPLETE);
    auto* r = static_cast<TestRenderer*>(static_cast<CBaseFilter*>(renderer.Get()));
    ExpectFrames(r->Records(), 0, 10, 0);
}

TEST(FilterGraph, SeekingFlushesAndRestartsTheStreamAtThePosition)
{
    ScopedTestRegistry registry;
    Graph g;
    auto* renderer = new TestRenderer(MEDIASUBTYPE_RGB24);
    auto s = Hold(new TestSource(100, kPeriod)), r = Hold(renderer);
    g.builder->AddFilter(s.Get(), L"Source");
    g.builder->AddFilter(r.Get(), L"Renderer");
    ASSERT_EQ(g.builder->Connect(FirstPin(s.Get(), PINDIR_OUTPUT).Get(), FirstPin(r.Get(), PINDIR_INPUT).Get()), S_OK);
    g.Unclocked();

    DWORD caps = AM_SEEKING_CanSeekAbsolute;
    EXPECT_EQ(g.seeking->CheckCapabilities(&caps), S_OK);
    LONGLONG duration = 0;
    ASSERT_EQ(g.seeking->GetDuration(&duration), S_OK);
    EXPECT_EQ(duration, 100 * kPeriod);

    // Paused: the first frame is held, nothing is presented.
    ASSERT_EQ(g.control->Pause(), S_OK);
    OAFilterState state = -1;
    EXPECT_EQ(g.control->GetState(5000, &state), S_OK);
    EXPECT_EQ(state, State_Paused);
    EXPECT_EQ(renderer->FirstSamples(), 1);
    EXPECT_TRUE(renderer->Records().empty());

    LONGLONG to = 50 * kPeriod;
    ASSERT_EQ(g.seeking->SetPositions(&to, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning), S_OK);
    EXPECT_GE(renderer->Flushes(), 1);
    LONGLONG now = 0;
    g.seeking->GetCurrentPosition(&now);
    EXPECT_EQ(now, to);
    ASSERT_EQ(g.control->Run(), S_OK);
    EXPECT_EQ(g.WaitDone(), EC_COMPLETE);
    ExpectFrames(renderer->Records(), 50, 50, to);
    g.seeking->GetCurrentPosition(&now);
    EXPECT_EQ(now, duration);

    // After a stop the next run goes on from where it was; a seek back plays again.
    ASSERT_EQ(g.control->Stop(), S_OK);
    LONGLONG back = 90 * kPeriod;
    ASSERT_EQ(g.seeking->SetPositions(&back, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning), S_OK);
    ASSERT_EQ(g.control->Run(), S_OK);
    EXPECT_EQ(g.WaitDone(), EC_COMPLETE);
    auto records = renderer->Records();
    ASSERT_EQ(records.size(), 60u);
    EXPECT_EQ(records[50].frame, 90);
    EXPECT_EQ(records.back().frame, 99);
}

TEST(FilterGraph, StopReleasesARendererHoldingItsFirstSample)
{
    ScopedTestRegistry registry;
    Graph g;
    auto* renderer = new TestRenderer(MEDIASUBTYPE_RGB24);
    auto s = Hold(new TestSource(1000, kPeriod)), r = Hold(renderer);
    g.builder->AddFilter(s.Get(), L"Source");
    g.builder->AddFilter(r.Get(), L"Renderer");
    ASSERT_EQ(g.builder->Connect(FirstPin(s.Get(), PINDIR_OUTPUT).Get(), FirstPin(r.Get(), PINDIR_INPUT).Get()), S_OK);
    for (int round = 0; round < 3; ++round) {
        ASSERT_EQ(g.control->Pause(), S_OK);
        OAFilterState state;
        EXPECT_EQ(g.control->GetState(5000, &state), S_OK);
        ASSERT_EQ(g.control->Stop(), S_OK);
    }
    EXPECT_TRUE(renderer->Records().empty());
    // And a running graph with a clock stops at once, long before its end.
    ASSERT_EQ(g.control->Run(), S_OK);
    auto begin = std::chrono::steady_clock::now();
    ASSERT_EQ(g.control->Stop(), S_OK);
    EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(2));
    EXPECT_LT(renderer->Records().size(), 1000u);
}

TEST(FilterGraph, PresentsAgainstTheGraphClock)
{
    ScopedTestRegistry registry;
    Graph g;
    auto* renderer = new TestRenderer(MEDIASUBTYPE_RGB24);
    constexpr REFERENCE_TIME period = 20 * MILLISECONDS;
    auto s = Hold(new TestSource(5, period)), r = Hold(renderer);
    g.builder->AddFilter(s.Get(), L"Source");
    g.builder->AddFilter(r.Get(), L"Renderer");
    ASSERT_EQ(g.builder->Connect(FirstPin(s.Get(), PINDIR_OUTPUT).Get(), FirstPin(r.Get(), PINDIR_INPUT).Get()), S_OK);
    auto begin = std::chrono::steady_clock::now();
    ASSERT_EQ(g.control->Run(), S_OK);
    EXPECT_EQ(g.WaitDone(), EC_COMPLETE);
    auto elapsed = std::chrono::steady_clock::now() - begin;
    EXPECT_GE(elapsed, std::chrono::milliseconds(80));   // the last frame starts at 4 periods
    EXPECT_EQ(renderer->Records().size(), 5u);
    ComPtr<IReferenceClock> clock;
    ASSERT_EQ(g.filter->GetSyncSource(clock.Put()), S_OK);
    EXPECT_TRUE(clock);
    LONGLONG now = 0;
    g.seeking->GetCurrentPosition(&now);
    EXPECT_GE(now, 4 * period);
    EXPECT_LE(now, 5 * period);
}

TEST(FilterGraph, EventsAreAnnouncedToTheNotifyWindow)
{
    ScopedTestRegistry registry;
    MessageQueue queue;
    std::vector<MSG> seen;
    HWND window = AllocateHWnd(queue, [&](UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
        seen.push_back({nullptr, message, wParam, lParam});
        return 0;
    });
    {
        Graph g;
        auto s = Hold(new TestSource(5, kPeriod)), r = Hold(new TestRenderer);
        g.builder->AddFilter(s.Get(), L"Source");
        g.builder->AddFilter(r.Get(), L"Renderer");
        ASSERT_EQ(g.builder->Connect(FirstPin(s.Get(), PINDIR_OUTPUT).Get(), FirstPin(r.Get(), PINDIR_INPUT).Get()),
                  S_OK);
        ASSERT_EQ(g.events->SetNotifyWindow(reinterpret_cast<OAHWND>(window), 1154, 77), S_OK);
        OAEVENT handle = 0;
        ASSERT_EQ(g.events->GetEventHandle(&handle), S_OK);
        g.Unclocked();
        ASSERT_EQ(g.control->Run(), S_OK);
        g.WaitDone();
        EXPECT_EQ(reinterpret_cast<TEvent*>(handle)->WaitFor(0), wrSignaled);
        PumpPending(queue);
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0].message, 1154u);
        EXPECT_EQ(seen[0].lParam, 77);
        LONG code;
        LONG_PTR p1, p2;
        ASSERT_EQ(g.events->GetEvent(&code, &p1, &p2, 0), S_OK);
        EXPECT_EQ(code, EC_COMPLETE);
        EXPECT_EQ(reinterpret_cast<TEvent*>(handle)->WaitFor(0), wrTimeout);
        g.control->Stop();
    }
    DeallocateHWnd(window);
}

TEST(FilterGraph, NamesAreUniqueAndRemovalBreaksConnections)
{
    ScopedTestRegistry registry;
    Graph g;
    auto a = Hold(new TestRenderer), b = Hold(new TestRenderer), s = Hold(new TestSource(1, kPeriod));
    EXPECT_EQ(g.builder->AddFilter(a.Get(), L"Renderer"), S_OK);
    EXPECT_EQ(g.builder->AddFilter(b.Get(), L"Renderer"), VFW_S_DUPLICATE_NAME);
    EXPECT_EQ(g.builder->AddFilter(a.Get(), L"Again"), E_INVALIDARG);
    EXPECT_EQ(g.builder->AddFilter(s.Get(), nullptr), S_OK);
    ComPtr<IBaseFilter> found;
    ASSERT_EQ(g.builder->FindFilterByName(L"Renderer 0001", found.Put()), S_OK);
    EXPECT_EQ(found.Get(), b.Get());
    EXPECT_EQ(g.builder->FindFilterByName(L"renderer", found.Put()), VFW_E_NOT_FOUND);
    EXPECT_FALSE(found);
    FILTER_INFO info{};
    ASSERT_EQ(b->QueryFilterInfo(&info), S_OK);
    EXPECT_EQ(std::wstring(info.achName), L"Renderer 0001");
    ASSERT_NE(info.pGraph, nullptr);
    info.pGraph->Release();

    ASSERT_EQ(g.builder->ConnectDirect(FirstPin(s.Get(), PINDIR_OUTPUT).Get(), FirstPin(a.Get(), PINDIR_INPUT).Get(),
                                       nullptr),
              S_OK);
    EXPECT_EQ(g.builder->ConnectDirect(FirstPin(a.Get(), PINDIR_INPUT).Get(), FirstPin(s.Get(), PINDIR_OUTPUT).Get(),
                                       nullptr),
              VFW_E_INVALID_DIRECTION);
    EXPECT_EQ(g.builder->RemoveFilter(a.Get()), S_OK);
    EXPECT_FALSE(Peer(FirstPin(s.Get(), PINDIR_OUTPUT).Get()));
    EXPECT_EQ(g.builder->RemoveFilter(a.Get()), VFW_E_NOT_FOUND);
    ASSERT_EQ(a->QueryFilterInfo(&info), S_OK);
    EXPECT_EQ(info.pGraph, nullptr);
    EXPECT_EQ(g.Count(), 2);
    // Filters outside the graph cannot be connected through it.
    EXPECT_EQ(g.builder->ConnectDirect(FirstPin(s.Get(), PINDIR_OUTPUT).Get(), FirstPin(a.Get(), PINDIR_INPUT).Get(),
                                       nullptr),
              VFW_E_NOT_IN_GRAPH);
}

TEST(FilterGraph, WithoutRenderersThereIsNoWindowAndNoSeeking)
{
    ScopedTestRegistry registry;
    Graph g;
    ComPtr<IVideoWindow> window;
    ASSERT_EQ(g.builder.As(IID_IVideoWindow, window), S_OK);
    EXPECT_EQ(window->put_Visible(OAFALSE), E_NOINTERFACE);
    DWORD caps = AM_SEEKING_CanSeekAbsolute;
    EXPECT_EQ(g.seeking->CheckCapabilities(&caps), E_FAIL);
    LONG code = 0;
    EXPECT_EQ(g.events->WaitForCompletion(0, &code), VFW_E_WRONG_STATE);
    ComPtr<IPin> none;
    EXPECT_EQ(g.builder->Render(nullptr), E_POINTER);
}

TEST(CaptureGraphBuilder, RenderStreamConnectsIntoTheGivenSink)
{
    ScopedTestRegistry registry;
    Graph g;
    ComPtr<ICaptureGraphBuilder2> builder;
    ASSERT_EQ(CoCreateInstance(CLSID_CaptureGraphBuilder2, nullptr, CLSCTX_INPROC_SERVER, IID_ICaptureGraphBuilder2,
                               builder.PutVoid()),
              S_OK);
    ASSERT_EQ(builder->SetFiltergraph(g.builder.Get()), S_OK);
    auto* renderer = new TestRenderer;
    auto s = Hold(new TestSource(5, kPeriod)), r = Hold(renderer);
    g.builder->AddFilter(s.Get(), L"Source");
    g.builder->AddFilter(r.Get(), L"NullRenderer");
    EXPECT_TRUE(FAILED(builder->RenderStream(nullptr, &MEDIATYPE_Audio, s.Get(), nullptr, r.Get())));
    ComPtr<IPin> out = FirstPin(s.Get(), PINDIR_OUTPUT);
    ASSERT_EQ(builder->RenderStream(nullptr, &MEDIATYPE_Video, out.Get(), nullptr, r.Get()), S_OK);
    EXPECT_TRUE(Peer(out.Get()));
    g.Unclocked();
    ASSERT_EQ(g.control->Run(), S_OK);
    g.WaitDone();
    EXPECT_EQ(renderer->Records().size(), 5u);
}
