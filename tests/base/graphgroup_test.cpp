// The preview graph on the synthetic clips: the grabbing and muted chain, the
// frame file, positioning, the position tick and its ticker, and what happens
// without a graph.
#include "previewfixture.h"

#include "base/qv_graphgroupclass.h"
#include "dshow/qedit.h"
#include "gfx/bitmap.h"

namespace {

class GraphGroupTest : public PreviewTest {
protected:
    // A graph over the clip, rendered; grabbing and muting as asked.
    void Open(GraphGroup& graph, const std::string& clip, bool grab, bool mute)
    {
        graph.GrabFrames = grab;
        graph.MuteAudio = mute;
        ASSERT_EQ(graph.BuildGraph(), S_OK);
        ASSERT_EQ(graph.RenderClip(Utf8ToWide(clip)), S_OK);
    }

    static ComPtr<IBaseFilter> FilterOf(GraphGroup& graph, REFCLSID clsid, int* count = nullptr)
    {
        ComPtr<IEnumFilters> filters;
        ComPtr<IBaseFilter> found;
        if (count)
            *count = 0;
        if (FAILED(graph.Graph->EnumFilters(filters.Put())))
            return {};
        ComPtr<IBaseFilter> filter;
        while (filters->Next(1, filter.Put(), nullptr) == S_OK) {
            CLSID id{};
            if (SUCCEEDED(filter->GetClassID(&id)) && id == clsid) {
                if (count)
                    ++*count;
                if (!found)
                    found = filter;
            }
        }
        return found;
    }

    // The filter upstream of a filter's first input pin.
    static CLSID Upstream(IBaseFilter* filter)
    {
        ComPtr<IEnumPins> pins;
        ComPtr<IPin> pin, peer;
        filter->EnumPins(pins.Put());
        while (pins->Next(1, pin.Put(), nullptr) == S_OK) {
            PIN_DIRECTION d;
            pin->QueryDirection(&d);
            if (d == PINDIR_INPUT && SUCCEEDED(pin->ConnectedTo(peer.Put())) && peer) {
                PIN_INFO info{};
                peer->QueryPinInfo(&info);
                CLSID id{};
                if (info.pFilter) {
                    info.pFilter->GetClassID(&id);
                    info.pFilter->Release();
                }
                return id;
            }
        }
        return GUID{};
    }

    static void WaitForState(GraphGroup& graph)
    {
        OAFilterState state = 0;
        ASSERT_EQ(graph.Control->GetState(10000, &state), S_OK);
    }
};

} // namespace

TEST_F(GraphGroupTest, GrabbingAndMutedChainReplacesBothRenderers)
{
    GraphGroup graph;
    Open(graph, testkit::MakeStandardClip(folder.Path()), true, true);
    ASSERT_TRUE(graph.GrabberFilter && graph.Grabber && graph.NullRendererFilter);
    ComPtr<IBaseFilter> byName;
    ASSERT_EQ(graph.Graph->FindFilterByName(L"Image Grabber", byName.Put()), S_OK);
    EXPECT_EQ(byName.Get(), graph.GrabberFilter.Get());
    ASSERT_EQ(graph.Graph->FindFilterByName(L"NullRenderer", byName.Put()), S_OK);
    EXPECT_EQ(byName.Get(), graph.NullRendererFilter.Get());

    int audioRenderers = 0, videoRenderers = 0;
    EXPECT_FALSE(FilterOf(graph, CLSID_DSoundRender, &audioRenderers));
    EXPECT_EQ(audioRenderers, 0);
    auto video = FilterOf(graph, CLSID_VideoRenderer, &videoRenderers);
    ASSERT_TRUE(video);
    EXPECT_EQ(videoRenderers, 1);   // the old one left, a new one follows the grabber
    EXPECT_EQ(Upstream(video.Get()), CLSID_SampleGrabber);
    EXPECT_EQ(Upstream(graph.GrabberFilter.Get()), CLSID_FfmpegSource);   // RGB24 straight from the decoder
    EXPECT_EQ(Upstream(graph.NullRendererFilter.Get()), CLSID_FfmpegSource);
    EXPECT_FALSE(graph.ColourConverter);

    AM_MEDIA_TYPE mt{};
    ASSERT_EQ(graph.Grabber->GetConnectedMediaType(&mt), S_OK);
    EXPECT_EQ(mt.majortype, MEDIATYPE_Video);
    EXPECT_EQ(mt.subtype, MEDIASUBTYPE_RGB24);
    FreeMediaType(mt);
}

TEST_F(GraphGroupTest, PlainPreviewKeepsTheDefaultChain)
{
    GraphGroup graph;
    Open(graph, testkit::MakeStandardClip(folder.Path()), false, false);
    EXPECT_FALSE(graph.GrabberFilter);
    EXPECT_FALSE(graph.NullRendererFilter);
    EXPECT_TRUE(FilterOf(graph, CLSID_DSoundRender));
    auto video = FilterOf(graph, CLSID_VideoRenderer);
    ASSERT_TRUE(video);
    EXPECT_EQ(Upstream(video.Get()), CLSID_FfmpegSource);
    EXPECT_EQ(graph.CheckSeeking(), S_OK);
}

TEST_F(GraphGroupTest, RefusedFilesFailAtOnce)
{
    for (const std::string& path : {testkit::MakeNotMediaFile(folder.Path()), folder.File("missing.avi")}) {
        GraphGroup graph;
        graph.GrabFrames = true;
        ASSERT_EQ(graph.BuildGraph(), S_OK);
        EXPECT_TRUE(FAILED(graph.RenderClip(Utf8ToWide(path)))) << path;
        EXPECT_FALSE(graph.GrabberFilter);   // nothing was rearranged
    }
    std::ofstream(folder.File("empty.avi")).close();
    GraphGroup graph;
    ASSERT_EQ(graph.BuildGraph(), S_OK);
    EXPECT_TRUE(FAILED(graph.RenderClip(Utf8ToWide(folder.File("empty.avi")))));
}

TEST_F(GraphGroupTest, FrameFileIsTheCurrentPictureAsABottomUpBmp)
{
    GraphGroup graph;
    Open(graph, testkit::MakeStandardClip(folder.Path()), true, true);
    ASSERT_EQ(graph.Pause(), S_OK);
    ASSERT_EQ(graph.SeekTo(2 * kGraphUnitsPerSecond), S_OK);
    WaitForState(graph);
    const std::string path = folder.File("frame.bmp");
    ASSERT_EQ(graph.SaveFrameBitmap(path), S_OK);

    auto bmp = ReadBytes(path);
    ExpectBmpHeader(bmp, 320, 240);
    auto picture = BmpPicture(bmp, 320, 240);
    EXPECT_TRUE(testkit::RegionsMatch(picture));   // colours in B,G,R order, rows bottom-up
    EXPECT_EQ(testkit::ReadFrameCounter(picture), 50);

    // The program's own reader takes it as it is.
    TBitmap loaded;
    loaded.LoadFromFile(path);
    EXPECT_EQ(loaded.Width(), 320);
    EXPECT_EQ(loaded.Height(), 240);
    const testkit::Rgb red = testkit::RegionColour(0);
    const TColor c = loaded.Pixel(10, 10);
    EXPECT_NEAR(static_cast<int>(c & 0xFF), red.r, 40);
    EXPECT_NEAR(static_cast<int>(c >> 8 & 0xFF), red.g, 40);
    EXPECT_NEAR(static_cast<int>(c >> 16 & 0xFF), red.b, 40);

    // Saving again replaces the file rather than adding to it.
    ASSERT_EQ(graph.SaveFrameBitmap(path), S_OK);
    EXPECT_EQ(ReadBytes(path).size(), bmp.size());
    EXPECT_EQ(graph.Stop(), S_OK);
}

TEST_F(GraphGroupTest, FrameFileBeforeAnyPictureFailsAndLeavesNoFile)
{
    const std::string path = folder.File("frame.bmp");
    std::ofstream(path) << "an older picture";
    GraphGroup graph;
    Open(graph, testkit::MakeStandardClip(folder.Path()), true, true);
    EXPECT_TRUE(FAILED(graph.SaveFrameBitmap(path)));
    EXPECT_FALSE(FileExists(path));

    // Without a grabber there is nothing to save either.
    GraphGroup plain;
    Open(plain, testkit::MakeStandardClip(folder.Path()), false, false);
    std::ofstream(path) << "an older picture";
    EXPECT_EQ(plain.SaveFrameBitmap(path), E_POINTER);
    EXPECT_FALSE(FileExists(path));

    // Nor into a folder that is not there.
    ASSERT_EQ(graph.Pause(), S_OK);
    WaitForState(graph);
    EXPECT_TRUE(FAILED(graph.SaveFrameBitmap(folder.File("no/such/folder/frame.bmp"))));
    EXPECT_FALSE(FileExists(folder.File("no/such/folder/frame.bmp")));
}

TEST_F(GraphGroupTest, SeekingNeverGoesBeforePointOneSecond)
{
    GraphGroup graph;
    Open(graph, testkit::MakeStandardClip(folder.Path()), true, true);
    ASSERT_EQ(graph.Pause(), S_OK);
    LONGLONG at = -1;
    ASSERT_EQ(graph.SeekTo(0), S_OK);
    WaitForState(graph);
    ASSERT_EQ(graph.GetCurrentPosition(&at), S_OK);
    EXPECT_EQ(at, 1'000'000);
    ASSERT_EQ(graph.SeekTo(-5 * kGraphUnitsPerSecond), S_OK);
    ASSERT_EQ(graph.GetCurrentPosition(&at), S_OK);
    EXPECT_EQ(at, 1'000'000);
    ASSERT_EQ(graph.SeekTo(3 * kGraphUnitsPerSecond), S_OK);
    WaitForState(graph);
    ASSERT_EQ(graph.GetCurrentPosition(&at), S_OK);
    EXPECT_EQ(at, 3 * kGraphUnitsPerSecond);
    // The picture shown is the one at the position.
    ASSERT_EQ(graph.SaveFrameBitmap(folder.File("three.bmp")), S_OK);
    auto bmp = ReadBytes(folder.File("three.bmp"));
    EXPECT_EQ(testkit::ReadFrameCounter(BmpPicture(bmp, 320, 240)), 75);
    // The stop position is left where it was: the end of the clip.
    LONGLONG current = 0, stop = 0;
    ASSERT_EQ(graph.Seeking->GetPositions(&current, &stop), S_OK);
    EXPECT_NEAR(static_cast<double>(stop) / kGraphUnitsPerSecond, 5.0, 0.1);
}

TEST_F(GraphGroupTest, TickerPostsThePositionEvery40MsWithThePlayState)
{
    GateClock clock;
    ScopedClock scoped(clock);
    GraphGroup graph;
    Open(graph, testkit::MakeStandardClip(folder.Path()), false, true);
    graph.NotifyWindow = window;
    ASSERT_EQ(graph.Run(), S_OK);
    EXPECT_NEAR(graph.Duration, 5.0, 0.1);
    ASSERT_EQ(graph.StartTicker(), S_OK);
    ASSERT_TRUE(graph.Ticker);

    ASSERT_TRUE(clock.WaitForSleeps(1));
    clock.Advance(40);
    auto tick = NextMessage(MSG_GRAPH_TICK);
    ASSERT_TRUE(tick);
    EXPECT_EQ(tick->wParam, 0u);   // running
    EXPECT_EQ(tick->lParam, 0);
    EXPECT_GE(graph.Position, 0.0);
    EXPECT_LT(graph.Position, 5.0);
    EXPECT_EQ(graph.Percent, static_cast<int>(graph.Position * 100 / graph.Duration));

    ASSERT_EQ(graph.Pause(), S_OK);
    ASSERT_TRUE(clock.WaitForSleeps(2));
    clock.Advance(40);
    tick = NextMessage(MSG_GRAPH_TICK);
    ASSERT_TRUE(tick);
    EXPECT_EQ(tick->wParam, 1u);   // paused, and still ticking
    ASSERT_TRUE(clock.WaitForSleeps(3));
    for (std::uint32_t ms : clock.Requested())
        EXPECT_EQ(ms, 40u);

    // Stop ends the ticker: it is joined, and no tick follows.
    clock.Open();
    ASSERT_EQ(graph.Stop(), S_OK);
    EXPECT_FALSE(graph.Ticker);
    EXPECT_EQ(graph.State, GraphGroup::Stopped);
}

TEST_F(GraphGroupTest, ZeroDurationReportsOneHundredPercent)
{
    GraphGroup graph;
    Open(graph, testkit::MakeStandardClip(folder.Path()), false, true);
    graph.NotifyWindow = window;
    // Never run: no duration read yet.
    EXPECT_EQ(graph.Duration, 0.0);
    ASSERT_EQ(graph.Tick(), S_OK);
    EXPECT_EQ(graph.Percent, 100);
    EXPECT_EQ(graph.Position, 0.0);
    auto tick = NextMessage(MSG_GRAPH_TICK, 5);
    ASSERT_TRUE(tick);
    EXPECT_EQ(tick->wParam, 2u);   // stopped

    // Past the end also counts as the end.
    ASSERT_EQ(graph.Pause(), S_OK);
    ASSERT_EQ(graph.SeekTo(2 * kGraphUnitsPerSecond), S_OK);
    graph.Duration = 1.5;
    ASSERT_EQ(graph.Tick(), S_OK);
    EXPECT_EQ(graph.Percent, 100);
    EXPECT_EQ(graph.Position, 1.5);
    graph.Duration = 4.0;
    ASSERT_EQ(graph.Tick(), S_OK);
    EXPECT_EQ(graph.Percent, 50);
    EXPECT_EQ(graph.Position, 2.0);
}

TEST_F(GraphGroupTest, WithoutAGraphEveryOperationAnswersEPointer)
{
    ManualClock clock;
    ScopedClock scoped(clock);
    GraphGroup graph;
    LONGLONG at = 0;
    EXPECT_EQ(graph.RenderClip(L"x.avi"), E_POINTER);
    EXPECT_EQ(graph.Run(), E_POINTER);
    EXPECT_EQ(graph.Pause(), E_POINTER);
    EXPECT_EQ(graph.SeekTo(0), E_POINTER);
    EXPECT_EQ(graph.GetCurrentPosition(&at), E_POINTER);
    EXPECT_EQ(graph.CheckSeeking(), E_POINTER);
    EXPECT_EQ(graph.SetVideoWindow(window, TRect{0, 0, 10, 10}), E_POINTER);
    EXPECT_EQ(graph.ShowVideo(true), E_POINTER);
    EXPECT_EQ(graph.SetNotifyWindow(window, MSG_GRAPH_EVENT, 0), E_POINTER);
    EXPECT_EQ(graph.AddSampleGrabber(), E_POINTER);
    EXPECT_EQ(graph.SaveFrameBitmap(folder.File("x.bmp")), E_POINTER);
    EXPECT_EQ(graph.Tick(), E_POINTER);

    // The ticker still ends first, with or without the interfaces.
    ASSERT_EQ(graph.StartTicker(), S_OK);
    EXPECT_EQ(graph.Stop(), E_POINTER);
    EXPECT_FALSE(graph.Ticker);
    ASSERT_EQ(graph.StartTicker(), S_OK);
    EXPECT_EQ(graph.ReleaseGraph(), S_OK);
    EXPECT_FALSE(graph.Ticker);
    ASSERT_EQ(graph.StartTicker(), S_OK);   // and the destructor ends a running one
}

TEST_F(GraphGroupTest, VideoWindowAndGraphEventsReachTheOwner)
{
    testkit::ClipSpec spec;
    spec.seconds = 0.4;
    spec.width = 160;
    spec.height = 120;
    const std::string clip = folder.File("short.avi");
    testkit::WriteClip(clip, spec);
    GraphGroup graph;
    Open(graph, clip, true, true);
    ASSERT_EQ(graph.SetVideoWindow(window, TRect{8, 6, 168, 126}), S_OK);
    auto renderer = FilterOf(graph, CLSID_VideoRenderer);
    ComPtr<IVideoFrameAccess> frames;
    ASSERT_EQ(renderer.As(IID_IVideoFrameAccess, frames), S_OK);
    VideoWindowSettings settings;
    ASSERT_EQ(frames->GetWindowSettings(&settings), S_OK);
    EXPECT_EQ(settings.owner, reinterpret_cast<LONG_PTR>(window));
    EXPECT_EQ(settings.style, WS_CHILD | WS_CLIPSIBLINGS);
    EXPECT_EQ(settings.left, 8);
    EXPECT_EQ(settings.top, 6);
    EXPECT_EQ(settings.width, 160);
    EXPECT_EQ(settings.height, 120);
    EXPECT_TRUE(settings.visible);
    ASSERT_EQ(graph.ShowVideo(false), S_OK);
    ASSERT_EQ(frames->GetWindowSettings(&settings), S_OK);
    EXPECT_FALSE(settings.visible);

    ASSERT_EQ(graph.SetNotifyWindow(window, MSG_GRAPH_EVENT, 77), S_OK);
    EXPECT_EQ(graph.NotifyWindow.load(), window);
    ASSERT_EQ(graph.Run(), S_OK);
    bool complete = false;
    while (!complete) {
        auto note = NextMessage(MSG_GRAPH_EVENT, 20);
        ASSERT_TRUE(note);
        EXPECT_EQ(note->lParam, 77);
        LONG code = 0;
        LONG_PTR p1 = 0, p2 = 0;
        while (graph.Event->GetEvent(&code, &p1, &p2, 0) == S_OK)
            complete = complete || code == EC_COMPLETE;
    }
    EXPECT_EQ(graph.Stop(), S_OK);
    EXPECT_EQ(graph.ReleaseGraph(), S_OK);
    EXPECT_FALSE(graph.Graph);
    EXPECT_EQ(graph.Run(), E_POINTER);
}
