// The "My YUV2RGB" plug-in: registered as regsvr32 does, created by its class,
// and converting YUV pictures into bottom-up RGB24 in a graph.
#include "ffmpeg_graph_helpers.h"

#include "com/registry.h"
#include "dshow_ffmpeg/streamtypes.h"
#include "filters/yuv2rgb.h"
#include "win32/dynlib.h"

namespace {

// What regsvr32 does with the module.
HRESULT RegisterPlugin(bool doRegister)
{
    Library module("YUV2RGBFilter.ax");
    if (!module.Loaded()) return E_FAIL;
    auto entry = module.Symbol<DllRegisterServerFn>(doRegister ? "DllRegisterServer" : "DllUnregisterServer");
    return entry ? entry() : E_FAIL;
}

} // namespace

TEST_F(FfmpegGraphTest, ColourConverterRegistersAndIsCreatedByItsClass)
{
    ComPtr<IBaseFilter> none;
    EXPECT_TRUE(FAILED(CoCreateInstance(CLSID_MyYUV2RGB, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, none.PutVoid())));
    ASSERT_EQ(RegisterPlugin(true), S_OK);
    auto tree = ReadRegistry();
    const RegKey* key = tree->Find("HKCR\\CLSID\\" + GuidToString(CLSID_MyYUV2RGB));
    ASSERT_TRUE(key);
    ASSERT_TRUE(key->Value(""));
    EXPECT_EQ(key->Value("")->AsString(), "My YUV2RGB");
    ComPtr<IBaseFilter> filter;
    ASSERT_EQ(CoCreateInstance(CLSID_MyYUV2RGB, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, filter.PutVoid()), S_OK);
    CLSID id{};
    EXPECT_EQ(filter->GetClassID(&id), S_OK);
    EXPECT_EQ(id, CLSID_MyYUV2RGB);
    filter.Reset();
    ASSERT_EQ(RegisterPlugin(false), S_OK);
    EXPECT_FALSE(ReadRegistry()->Find("HKCR\\CLSID\\" + GuidToString(CLSID_MyYUV2RGB)));
}

TEST_F(FfmpegGraphTest, ColourConverterTurnsYuvIntoTheGrabbersRgb24)
{
    ASSERT_EQ(RegisterPlugin(true), S_OK);
    auto graph = MakeGraph();
    ASSERT_TRUE(graph);
    std::wstring path = Utf8ToWide(testkit::MakeStandardClip(folder.Path()));
    ComPtr<IBaseFilter> source;
    ASSERT_EQ(graph->AddSourceFilter(path.c_str(), L"Source", source.Put()), S_OK);
    ComPtr<IPin> videoOut = FindPin(source.Get(), PINDIR_OUTPUT, &MEDIATYPE_Video);
    auto converter = AddFilter(graph.Get(), CLSID_MyYUV2RGB, L"My YUV2RGB");
    ASSERT_TRUE(converter && videoOut);
    auto converterIn = FindPin(converter.Get(), PINDIR_INPUT);
    // RGB in is not what it is for.
    CMediaType rgb = ffmpeg::VideoMediaType(ffmpeg::PixelLayout::RGB24, 320, 240, UNITS / 25);
    EXPECT_TRUE(FAILED(graph->ConnectDirect(videoOut.Get(), converterIn.Get(), &rgb)));
    for (ffmpeg::PixelLayout layout : {ffmpeg::PixelLayout::YUY2, ffmpeg::PixelLayout::YV12}) {
        CMediaType yuv = ffmpeg::VideoMediaType(layout, 320, 240, UNITS / 25);
        ASSERT_EQ(graph->ConnectDirect(videoOut.Get(), converterIn.Get(), &yuv), S_OK);
        auto grabberFilter = AddGrabber(graph.Get(), MEDIATYPE_Video, MEDIASUBTYPE_RGB24, L"Image Grabber");
        auto grabber = Query<ISampleGrabber>(grabberFilter.Get(), IID_ISampleGrabber);
        ASSERT_TRUE(SUCCEEDED(graph->Connect(FindPin(converter.Get(), PINDIR_OUTPUT).Get(),
                                             FindPin(grabberFilter.Get(), PINDIR_INPUT).Get())));
        auto nullRenderer = AddFilter(graph.Get(), CLSID_NullRenderer, L"NullRenderer");
        ASSERT_TRUE(SUCCEEDED(graph->Connect(FindPin(grabberFilter.Get(), PINDIR_OUTPUT).Get(),
                                             FindPin(nullRenderer.Get(), PINDIR_INPUT).Get())));
        auto control = Query<IMediaControl>(graph.Get(), IID_IMediaControl);
        auto seeking = Query<IMediaSeeking>(graph.Get(), IID_IMediaSeeking);
        ASSERT_TRUE(SUCCEEDED(control->Pause()));
        LONGLONG at = 30'200'000;
        ASSERT_TRUE(SUCCEEDED(seeking->SetPositions(&at, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning)));
        OAFilterState state = 0;
        ASSERT_EQ(control->GetState(5000, &state), S_OK);
        EXPECT_EQ(CounterOfBuffer(grabber.Get(), 320, 240), 75);
        ASSERT_EQ(control->Stop(), S_OK);
        // Take the chain apart for the next layout.
        graph->RemoveFilter(nullRenderer.Get());
        graph->RemoveFilter(grabberFilter.Get());
        graph->Disconnect(videoOut.Get());
        graph->Disconnect(converterIn.Get());
    }
}
