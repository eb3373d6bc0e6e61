// Automatic graph building from registered filters, and the graph's events.
#include "../com/testregistry.h"
#include "com/registry.h"
#include "testfilters.h"

#include <fstream>
#include <gtest/gtest.h>

namespace {

constexpr REFERENCE_TIME kPeriod = 10 * MILLISECONDS;

ComPtr<IGraphBuilder> NewGraph()
{
    ComPtr<IGraphBuilder> g;
    EXPECT_EQ(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder, g.PutVoid()), S_OK);
    ComPtr<IMediaFilter> f;
    g.As(IID_IMediaFilter, f);
    f->SetSyncSource(nullptr);
    return g;
}

template <class T>
ComPtr<T> As(IUnknown* from, REFIID riid)
{
    ComPtr<T> out;
    from->QueryInterface(riid, out.PutVoid());
    return out;
}

int CountFilters(IGraphBuilder* g)
{
    ComPtr<IEnumFilters> e;
    g->EnumFilters(e.Put());
    int n = 0;
    IBaseFilter* f = nullptr;
    while (e->Next(1, &f, nullptr) == S_OK) {
        f->Release();
        ++n;
    }
    return n;
}

TestRenderer* AsRenderer(IBaseFilter* f) { return static_cast<TestRenderer*>(static_cast<CBaseFilter*>(f)); }

// RGB32 renderer registration, for chains that need the transform.
const AMOVIESETUP_MEDIATYPE kRgb32Types[] = {{&MEDIATYPE_Video, &MEDIASUBTYPE_RGB32}};
const AMOVIESETUP_PIN kRgb32Pins[] = {{L"In", TRUE, FALSE, FALSE, FALSE, nullptr, nullptr, 1, kRgb32Types}};
const AMOVIESETUP_FILTER kRgb32Renderer = {&CLSID_TestRenderer, L"RGB32 Renderer", MERIT_NORMAL, 1, kRgb32Pins};

CUnknown* CreateRgb32Renderer(IUnknown*, HRESULT* hr)
{
    *hr = S_OK;
    return static_cast<CBaseFilter*>(new TestRenderer(MEDIASUBTYPE_RGB32));
}

} // namespace

TEST(GraphBuilding, RenderChainsThroughAnIntermediateToARenderer)
{
    ScopedTestRegistry registry;
    RegisterProcessFilter(kTestTransformSetup, MakeClassCreator(&TestTransform::CreateInstance));
    RegisterProcessFilter(kRgb32Renderer, MakeClassCreator(&CreateRgb32Renderer));
    auto g = NewGraph();
    auto s = Hold(new TestSource(12, kPeriod));
    g->AddFilter(s.Get(), L"Source");
    ComPtr<IPin> out = FirstPin(s.Get(), PINDIR_OUTPUT);
    ASSERT_EQ(g->Render(out.Get()), S_OK);
    EXPECT_EQ(CountFilters(g.Get()), 3);
    EXPECT_EQ(g->Render(out.Get()), VFW_E_ALREADY_CONNECTED);
    ComPtr<IBaseFilter> renderer;
    ASSERT_EQ(g->FindFilterByName(L"RGB32 Renderer", renderer.Put()), S_OK);

    // Seeking through the transform reaches the source; the segment travels down.
    auto seeking = As<IMediaSeeking>(g.Get(), IID_IMediaSeeking);
    LONGLONG to = 6 * kPeriod;
    ASSERT_EQ(seeking->SetPositions(&to, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning), S_OK);
    auto control = As<IMediaControl>(g.Get(), IID_IMediaControl);
    auto events = As<IMediaEvent>(g.Get(), IID_IMediaEvent);
    ASSERT_EQ(control->Run(), S_OK);
    LONG code = 0;
    ASSERT_EQ(events->WaitForCompletion(10000, &code), S_OK);
    auto records = AsRenderer(renderer.Get())->Records();
    ASSERT_EQ(records.size(), 6u);
    EXPECT_EQ(records[0].frame, 6);
    EXPECT_EQ(records[0].start, 0);
    EXPECT_EQ(records[0].segment, to);
    control->Stop();
}

TEST(GraphBuilding, AFailedRenderLeavesNoFiltersBehind)
{
    ScopedTestRegistry registry;
    // A transform that leads nowhere, and a renderer at a merit automatic building never uses.
    RegisterProcessFilter(kTestTransformSetup, MakeClassCreator(&TestTransform::CreateInstance));
    AMOVIESETUP_FILTER lowly = kTestRendererSetup;
    lowly.dwMerit = MERIT_DO_NOT_USE;
    RegisterProcessFilter(lowly, MakeClassCreator(&TestRenderer::CreateInstance));
    auto g = NewGraph();
    auto s = Hold(new TestSource(3, kPeriod));
    g->AddFilter(s.Get(), L"Source");
    EXPECT_EQ(g->Render(FirstPin(s.Get(), PINDIR_OUTPUT).Get()), VFW_E_CANNOT_RENDER);
    EXPECT_EQ(CountFilters(g.Get()), 1);
    EXPECT_FALSE(Peer(FirstPin(s.Get(), PINDIR_OUTPUT).Get()));
}

TEST(GraphBuilding, FiltersRegisteredInTheRegistryAreSeenWithTheirPins)
{
    ScopedTestRegistry registry;
    // A class of its own: no process registration of another test can stand in for it.
    static constexpr CLSID kRegistryOnly{0x7A11E0F0, 0x5EED, 0x4C0D, {0x80, 0, 0, 0, 0, 0, 0, 0xF0}};
    AMOVIESETUP_FILTER setup = kTestTransformSetup;
    setup.clsID = &kRegistryOnly;
    ASSERT_EQ(RegisterFilterData(setup), S_OK);
    bool found = false;
    for (const RegFilterInfo& f : EnumerateRegisteredFilters()) {
        if (f.clsid != kRegistryOnly) continue;
        found = true;
        EXPECT_EQ(f.name, L"Test Transform");
        EXPECT_EQ(f.merit, MERIT_NORMAL);
        ASSERT_EQ(f.pins.size(), 2u);
        EXPECT_FALSE(f.pins[0].output);
        EXPECT_TRUE(f.pins[1].output);
        ASSERT_EQ(f.pins[0].types.size(), 1u);
        EXPECT_EQ(f.pins[0].types[0].first, MEDIATYPE_Video);
        EXPECT_EQ(f.pins[0].types[0].second, MEDIASUBTYPE_RGB24);
    }
    EXPECT_TRUE(found);
    ASSERT_EQ(UnregisterFilterData(kRegistryOnly), S_OK);
    for (const RegFilterInfo& f : EnumerateRegisteredFilters()) EXPECT_NE(f.clsid, kRegistryOnly);
}

TEST(GraphBuilding, AnExtensionInTheRegistryNamesTheSourceFirst)
{
    ScopedTestRegistry registry;
    RegisterProcessFileSource(CLSID_TestSource, MERIT_UNLIKELY, MakeClassCreator(&TestFileSource::CreateInstance));
    RegisterProcessFileSource(CLSID_TestFileSource, MERIT_NORMAL, MakeClassCreator(&TestFileSource::CreateInstance));
    EXPECT_EQ(FileSourcesFor(L"/x/clip.avi"), (std::vector<CLSID>{CLSID_TestFileSource, CLSID_TestSource}));
    ASSERT_TRUE(ImportRegistryText("REGEDIT4\n[HKEY_CLASSES_ROOT\\Media Type\\Extensions\\.avi]\n\"Source Filter\"=\"" +
                                       GuidToString(CLSID_TestSource) + "\"\n",
                                   nullptr));
    EXPECT_EQ(FileSourcesFor(L"/x/CLIP.AVI"), (std::vector<CLSID>{CLSID_TestSource, CLSID_TestFileSource}));
}

TEST(GraphEvents, CompletionWaitsForEveryRenderer)
{
    ScopedTestRegistry registry;
    auto g = NewGraph();
    auto* shortOne = new TestRenderer;
    auto* longOne = new TestRenderer;
    auto s1 = Hold(new TestSource(2, kPeriod)), s2 = Hold(new TestSource(200, kPeriod));
    auto r1 = Hold(shortOne), r2 = Hold(longOne);
    for (auto* f : {s1.Get(), s2.Get(), r1.Get(), r2.Get()}) g->AddFilter(f, nullptr);
    ASSERT_EQ(g->Connect(FirstPin(s1.Get(), PINDIR_OUTPUT).Get(), FirstPin(r1.Get(), PINDIR_INPUT).Get()), S_OK);
    ASSERT_EQ(g->Connect(FirstPin(s2.Get(), PINDIR_OUTPUT).Get(), FirstPin(r2.Get(), PINDIR_INPUT).Get()), S_OK);
    auto control = As<IMediaControl>(g.Get(), IID_IMediaControl);
    auto events = As<IMediaEvent>(g.Get(), IID_IMediaEvent);
    ASSERT_EQ(control->Run(), S_OK);
    LONG code = 0;
    ASSERT_EQ(events->WaitForCompletion(10000, &code), S_OK);
    EXPECT_EQ(longOne->Records().size(), 200u);
    EXPECT_EQ(shortOne->Records().size(), 2u);
    LONG_PTR p1, p2;
    int completions = 0;
    while (events->GetEvent(&code, &p1, &p2, 0) == S_OK) completions += code == EC_COMPLETE;
    EXPECT_EQ(completions, 1);
    control->Stop();
}

TEST(GraphEvents, WithoutDefaultHandlingEachRendererReportsItself)
{
    ScopedTestRegistry registry;
    auto g = NewGraph();
    auto s = Hold(new TestSource(3, kPeriod)), r = Hold(new TestRenderer);
    g->AddFilter(s.Get(), nullptr);
    g->AddFilter(r.Get(), nullptr);
    ASSERT_EQ(g->Connect(FirstPin(s.Get(), PINDIR_OUTPUT).Get(), FirstPin(r.Get(), PINDIR_INPUT).Get()), S_OK);
    auto events = As<IMediaEventEx>(g.Get(), IID_IMediaEventEx);
    ASSERT_EQ(events->CancelDefaultHandling(EC_COMPLETE), S_OK);
    auto control = As<IMediaControl>(g.Get(), IID_IMediaControl);
    ASSERT_EQ(control->Run(), S_OK);
    LONG code = 0;
    LONG_PTR p1 = 0, p2 = 0;
    ASSERT_EQ(events->GetEvent(&code, &p1, &p2, 10000), S_OK);
    EXPECT_EQ(code, EC_COMPLETE);
    EXPECT_EQ(p2, reinterpret_cast<LONG_PTR>(r.Get()));
    control->Stop();

    // With notifications off nothing is queued.
    ASSERT_EQ(events->SetNotifyFlags(AM_MEDIAEVENT_NONOTIFY), S_OK);
    ASSERT_EQ(control->Run(), S_OK);
    EXPECT_EQ(events->GetEvent(&code, &p1, &p2, 200), E_ABORT);
    control->Stop();
    EXPECT_EQ(events->SetNotifyFlags(7), E_INVALIDARG);
}

TEST(GraphEvents, AFailingSourceAbortsWithAnErrorAndEndsTheStream)
{
    ScopedTestRegistry registry;
    auto g = NewGraph();
    auto* source = new TestSource(50, kPeriod);
    source->Stream()->FailAt(5);
    auto* renderer = new TestRenderer;
    auto s = Hold(source), r = Hold(renderer);
    g->AddFilter(s.Get(), nullptr);
    g->AddFilter(r.Get(), nullptr);
    ASSERT_EQ(g->Connect(FirstPin(s.Get(), PINDIR_OUTPUT).Get(), FirstPin(r.Get(), PINDIR_INPUT).Get()), S_OK);
    auto control = As<IMediaControl>(g.Get(), IID_IMediaControl);
    auto events = As<IMediaEvent>(g.Get(), IID_IMediaEvent);
    ASSERT_EQ(control->Run(), S_OK);
    LONG code = 0;
    ASSERT_EQ(events->WaitForCompletion(10000, &code), S_OK);
    EXPECT_EQ(code, EC_ERRORABORT);
    LONG_PTR p1 = 0, p2 = 0;
    ASSERT_EQ(events->GetEvent(&code, &p1, &p2, 0), S_OK);
    EXPECT_EQ(code, EC_ERRORABORT);
    EXPECT_EQ(p1, E_FAIL);
    // The end of stream follows, so the renderer completes too.
    ASSERT_EQ(events->GetEvent(&code, &p1, &p2, 10000), S_OK);
    EXPECT_EQ(code, EC_COMPLETE);
    EXPECT_TRUE(renderer->IsEndOfStream());
    EXPECT_EQ(renderer->Records().size(), 5u);
    control->Stop();
}

TEST(ReferenceClock, AdvisesSetTheirEventsAndCanBeWithdrawn)
{
    HRESULT hr = S_OK;
    ComPtr<IReferenceClock> clock(new CSystemClock("test clock", nullptr, &hr));
    REFERENCE_TIME now = 0, later = 0;
    ASSERT_EQ(clock->GetTime(&now), S_OK);
    ASSERT_EQ(clock->GetTime(&later), S_OK);
    EXPECT_GE(later, now);

    TEvent once(false, false), periodic(false, false), withdrawn(false, false);
    DWORD_PTR a = 0, b = 0, c = 0;
    ASSERT_EQ(clock->AdviseTime(now, 5 * MILLISECONDS, reinterpret_cast<LONG_PTR>(&once), &a), S_OK);
    ASSERT_EQ(clock->AdvisePeriodic(now, 5 * MILLISECONDS, reinterpret_cast<LONG_PTR>(&periodic), &b), S_OK);
    ASSERT_EQ(clock->AdviseTime(now, 60 * UNITS, reinterpret_cast<LONG_PTR>(&withdrawn), &c), S_OK);
    EXPECT_EQ(once.WaitFor(5000), wrSignaled);
    EXPECT_EQ(periodic.WaitFor(5000), wrSignaled);
    EXPECT_EQ(periodic.WaitFor(5000), wrSignaled);   // again: it repeats
    EXPECT_EQ(clock->Unadvise(b), S_OK);
    EXPECT_EQ(clock->Unadvise(a), S_FALSE);           // already done
    EXPECT_EQ(clock->Unadvise(c), S_OK);
    EXPECT_EQ(withdrawn.WaitFor(0), wrTimeout);
    EXPECT_EQ(clock->AdvisePeriodic(now, 0, reinterpret_cast<LONG_PTR>(&periodic), &b), E_INVALIDARG);

    ComPtr<IReferenceClock> made;
    ASSERT_EQ(CoCreateInstance(CLSID_SystemClock, nullptr, CLSCTX_INPROC_SERVER, IID_IReferenceClock, made.PutVoid()),
              S_OK);
    EXPECT_EQ(made->GetTime(&now), S_OK);
}
