#include "base/qv_graphgroupclass.h"

#include "base/previewsurface.h"
#include "dshow/mediafilters.h"
#include "dshow/qedit.h"
#include "filters/yuv2rgb.h"
#include "rtl/clock.h"
#include "rtl/paths.h"
#include "rtl/thread.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <vector>

namespace {

constexpr std::uint32_t kTickMs = 40;
constexpr LONGLONG kEarliestSeek = 1'000'000;   // 0.1 s

template <class T>
ComPtr<T> Query(IUnknown* object, REFIID iid)
{
    ComPtr<T> out;
    if (object)
        object->QueryInterface(iid, out.PutVoid());
    return out;
}

ComPtr<IBaseFilter> CreateFilter(REFCLSID clsid)
{
    ComPtr<IBaseFilter> filter;
    CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, filter.PutVoid());
    return filter;
}

// The first pin of a direction that is still free.
ComPtr<IPin> FreePin(IBaseFilter* filter, PIN_DIRECTION dir)
{
    ComPtr<IEnumPins> pins;
    if (!filter || FAILED(filter->EnumPins(pins.Put())) || !pins)
        return {};
    ComPtr<IPin> pin;
    while (pins->Next(1, pin.Put(), nullptr) == S_OK) {
        PIN_DIRECTION d;
        if (FAILED(pin->QueryDirection(&d)) || d != dir)
            continue;
        ComPtr<IPin> peer;
        if (FAILED(pin->ConnectedTo(peer.Put())) || !peer)
            return pin;
    }
    return {};
}

// The renderer of a stream kind: a filter with exactly one input pin and no
// output pin, whose input is connected with that major type.
ComPtr<IBaseFilter> FindRenderer(IGraphBuilder* graph, const GUID& major)
{
    ComPtr<IEnumFilters> filters;
    if (!graph || FAILED(graph->EnumFilters(filters.Put())) || !filters)
        return {};
    ComPtr<IBaseFilter> filter;
    while (filters->Next(1, filter.Put(), nullptr) == S_OK) {
        ComPtr<IEnumPins> pins;
        if (FAILED(filter->EnumPins(pins.Put())) || !pins)
            continue;
        int inputs = 0, outputs = 0;
        bool matches = false;
        ComPtr<IPin> pin;
        while (pins->Next(1, pin.Put(), nullptr) == S_OK) {
            PIN_DIRECTION d;
            if (FAILED(pin->QueryDirection(&d)))
                continue;
            if (d == PINDIR_OUTPUT) {
                ++outputs;
                continue;
            }
            ++inputs;
            AM_MEDIA_TYPE mt{};
            if (SUCCEEDED(pin->ConnectionMediaType(&mt))) {
                matches = mt.majortype == major;
                FreeMediaType(mt);
            }
        }
        if (inputs == 1 && outputs == 0 && matches)
            return filter;
    }
    return {};
}

// Takes a renderer out of the graph; answers the output pin that fed it.
ComPtr<IPin> DetachRenderer(IGraphBuilder* graph, IBaseFilter* renderer)
{
    ComPtr<IEnumPins> pins;
    ComPtr<IPin> input, feeder;
    if (SUCCEEDED(renderer->EnumPins(pins.Put())) && pins)
        pins->Next(1, input.Put(), nullptr);
    if (input)
        input->ConnectedTo(feeder.Put());
    if (feeder)
        graph->Disconnect(feeder.Get());
    if (input)
        graph->Disconnect(input.Get());
    graph->RemoveFilter(renderer);
    return feeder;
}

HRESULT ConnectFilters(IGraphBuilder* graph, IPin* output, IBaseFilter* to)
{
    ComPtr<IPin> input = FreePin(to, PINDIR_INPUT);
    if (!input)
        return VFW_E_NOT_FOUND;
    return graph->Connect(output, input.Get());
}

void PutLe(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

} // namespace

// ---------------------------------------------------------------------------
// Posts the position to the owner window every 40 ms until it is asked to stop.
// The period runs on the program's clock so that tests can step it.
class GraphGroup::MyThread : public TThread {
public:
    explicit MyThread(GraphGroup* owner) : TThread(true), Owner(owner) {}
    ~MyThread() override
    {
        Terminate();
        WaitFor();
    }

    GraphGroup* Owner;

protected:
    void Execute() override
    {
        while (!Terminated()) {
            CurrentClock().SleepMs(kTickMs);
            if (Terminated())
                break;
            Owner->Tick();
        }
    }
};

// ---------------------------------------------------------------------------
GraphGroup::GraphGroup()
{
    comInitialised_ = SUCCEEDED(CoInitialize(nullptr));
}

GraphGroup::~GraphGroup()
{
    EndTicker();
    if (Graph || comInitialised_)
        ReleaseGraph();
}

void GraphGroup::EndTicker()
{
    // Terminated cooperatively and joined: the ticker never dies half-way through a tick.
    Ticker.reset();
}

HRESULT GraphGroup::BuildGraph()
{
    InstallPreviewSurfaces();   // before any video renderer is made
    RegisterMediaFilters();     // the source, renderers and grabber the graph is built from
    HRESULT hr = CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                  Graph.PutVoid());
    if (FAILED(hr))
        return hr;
    hr = CoCreateInstance(CLSID_CaptureGraphBuilder2, nullptr, CLSCTX_INPROC_SERVER, IID_ICaptureGraphBuilder2,
                          Builder.PutVoid());
    if (FAILED(hr))
        return hr;
    if (FAILED(hr = Builder->SetFiltergraph(Graph.Get())))
        return hr;
    if (FAILED(hr = Graph.As(IID_IMediaControl, Control)))
        return hr;
    if (FAILED(hr = Graph.As(IID_IMediaEvent, Event)))
        return hr;
    if (FAILED(hr = Graph.As(IID_IMediaEventEx, EventEx)))
        return hr;
    if (FAILED(hr = Graph.As(IID_IVideoWindow, VideoWindow)))
        return hr;
    return Graph.As(IID_IMediaSeeking, Seeking);
}

HRESULT GraphGroup::RenderClip(const std::wstring& widePath)
{
    if (!Graph)
        return E_POINTER;
    HRESULT hr = Graph->RenderFile(widePath.c_str(), nullptr);
    if (FAILED(hr))
        return hr;
    if (GrabFrames && FAILED(hr = RenderVideoIntoGrabber()))
        return hr;
    if (MuteAudio && FAILED(hr = RenderAudioIntoNullRenderer()))
        return hr;
    return S_OK;
}

HRESULT GraphGroup::RenderVideoIntoGrabber()
{
    HRESULT hr = AddSampleGrabber();
    if (FAILED(hr))
        return hr;
    ComPtr<IBaseFilter> renderer = FindRenderer(Graph.Get(), MEDIATYPE_Video);
    if (!renderer)
        return S_OK;   // nothing to grab from: the grabber stays unconnected
    ComPtr<IPin> video = DetachRenderer(Graph.Get(), renderer.Get());
    renderer.Reset();
    if (!video)
        return VFW_E_NOT_CONNECTED;
    hr = ConnectFilters(Graph.Get(), video.Get(), GrabberFilter.Get());
    if (FAILED(hr)) {
        // The decoder's pictures are not RGB24: convert them on the way.
        ColourConverter = CreateFilter(CLSID_MyYUV2RGB);
        hr = ColourConverter ? Graph->AddFilter(ColourConverter.Get(), L"My YUV2RGB") : REGDB_E_CLASSNOTREG;
        if (SUCCEEDED(hr))
            hr = ConnectFilters(Graph.Get(), video.Get(), ColourConverter.Get());
        if (SUCCEEDED(hr)) {
            ComPtr<IPin> converted = FreePin(ColourConverter.Get(), PINDIR_OUTPUT);
            hr = converted ? ConnectFilters(Graph.Get(), converted.Get(), GrabberFilter.Get()) : VFW_E_NOT_FOUND;
        }
        if (FAILED(hr)) {
            // No way to grab: the video plays as the graph likes, without frames to save.
            if (ColourConverter) {
                Graph->Disconnect(video.Get());
                Graph->RemoveFilter(ColourConverter.Get());
            }
            Graph->RemoveFilter(GrabberFilter.Get());
            ColourConverter.Reset();
            Grabber.Reset();
            GrabberFilter.Reset();
            return Graph->Render(video.Get());
        }
    }
    ComPtr<IPin> grabbed = FreePin(GrabberFilter.Get(), PINDIR_OUTPUT);
    return grabbed ? Graph->Render(grabbed.Get()) : VFW_E_NOT_FOUND;
}

HRESULT GraphGroup::RenderAudioIntoNullRenderer()
{
    ComPtr<IBaseFilter> renderer = FindRenderer(Graph.Get(), MEDIATYPE_Audio);
    if (!renderer)
        return S_OK;
    ComPtr<IPin> audio = DetachRenderer(Graph.Get(), renderer.Get());
    renderer.Reset();
    if (!audio)
        return VFW_E_NOT_CONNECTED;
    NullRendererFilter = CreateFilter(CLSID_NullRenderer);
    if (!NullRendererFilter)
        return REGDB_E_CLASSNOTREG;
    HRESULT hr = Graph->AddFilter(NullRendererFilter.Get(), L"NullRenderer");
    if (FAILED(hr))
        return hr;
    return Builder ? Builder->RenderStream(nullptr, &MEDIATYPE_Audio, audio.Get(), nullptr, NullRendererFilter.Get())
                   : E_POINTER;
}

HRESULT GraphGroup::AddSampleGrabber()
{
    if (!Graph)
        return E_POINTER;
    GrabberFilter = CreateFilter(CLSID_SampleGrabber);
    if (!GrabberFilter)
        return REGDB_E_CLASSNOTREG;
    HRESULT hr = Graph->AddFilter(GrabberFilter.Get(), L"Image Grabber");
    if (FAILED(hr))
        return hr;
    if (FAILED(hr = GrabberFilter.As(IID_ISampleGrabber, Grabber)))
        return hr;
    CMediaType wanted(MEDIATYPE_Video);
    wanted.SetSubtype(&MEDIASUBTYPE_RGB24);
    if (FAILED(hr = Grabber->SetMediaType(&wanted)))
        return hr;
    return Grabber->SetBufferSamples(TRUE);
}

HRESULT GraphGroup::ReleaseGraph()
{
    EndTicker();
    if (Control)
        Control->Stop();   // filters leave a graph only once they are stopped
    if (Graph) {
        std::vector<ComPtr<IBaseFilter>> added;
        ComPtr<IEnumFilters> filters;
        if (SUCCEEDED(Graph->EnumFilters(filters.Put())) && filters) {
            ComPtr<IBaseFilter> filter;
            while (filters->Next(1, filter.Put(), nullptr) == S_OK)
                added.push_back(filter);
        }
        filters.Reset();
        for (auto& filter : added)
            Graph->RemoveFilter(filter.Get());
    }
    NullRendererFilter.Reset();
    ColourConverter.Reset();
    Grabber.Reset();
    GrabberFilter.Reset();
    VideoWindow.Reset();
    EventEx.Reset();
    Event.Reset();
    Control.Reset();
    Seeking.Reset();
    Builder.Reset();
    Graph.Reset();
    State = Stopped;
    if (comInitialised_) {
        comInitialised_ = false;
        CoUninitialize();
    }
    return S_OK;
}

HRESULT GraphGroup::SetVideoWindow(HWND owner, const TRect& rect)
{
    if (!VideoWindow)
        return E_POINTER;
    HRESULT hr = VideoWindow->put_Owner(reinterpret_cast<OAHWND>(owner));
    if (FAILED(hr))
        return hr;
    if (FAILED(hr = VideoWindow->put_WindowStyle(WS_CHILD | WS_CLIPSIBLINGS)))
        return hr;
    if (FAILED(hr = VideoWindow->SetWindowPosition(rect.Left, rect.Top, rect.Width(), rect.Height())))
        return hr;
    return VideoWindow->put_Visible(OATRUE);
}

HRESULT GraphGroup::ShowVideo(bool visible)
{
    if (!VideoWindow)
        return E_POINTER;
    return VideoWindow->put_Visible(visible ? OATRUE : OAFALSE);
}

HRESULT GraphGroup::SetNotifyWindow(HWND window, UINT message, LPARAM lparam)
{
    if (!EventEx)
        return E_POINTER;
    NotifyWindow = window;
    return EventEx->SetNotifyWindow(reinterpret_cast<OAHWND>(window), static_cast<LONG>(message), lparam);
}

HRESULT GraphGroup::Run()
{
    if (!Control)
        return E_POINTER;
    HRESULT hr = Control->Run();
    if (FAILED(hr)) {
        Stop();
        return hr;
    }
    State = Running;
    LONGLONG length = 0;
    Duration = Seeking && SUCCEEDED(Seeking->GetDuration(&length)) ? static_cast<double>(length) / kGraphUnitsPerSecond
                                                                   : 0.0;
    Percent = 0;
    return hr;
}

HRESULT GraphGroup::Pause()
{
    if (!Control)
        return E_POINTER;
    HRESULT hr = Control->Pause();
    if (FAILED(hr)) {
        Stop();
        return hr;
    }
    State = Paused;
    return hr;
}

HRESULT GraphGroup::Stop()
{
    // The ticker goes first, also when there is no graph to stop.
    EndTicker();
    if (!Control)
        return E_POINTER;
    HRESULT hr = Control->Stop();
    State = Stopped;
    return hr;
}

HRESULT GraphGroup::SeekTo(LONGLONG units)
{
    if (!Seeking)
        return E_POINTER;
    LONGLONG at = std::max(units, kEarliestSeek);
    return Seeking->SetPositions(&at, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning);
}

HRESULT GraphGroup::GetCurrentPosition(LONGLONG* units)
{
    if (!units)
        return E_POINTER;
    if (!Seeking)
        return E_POINTER;
    return Seeking->GetCurrentPosition(units);
}

HRESULT GraphGroup::CheckSeeking()
{
    if (!Seeking)
        return E_POINTER;
    DWORD capabilities = AM_SEEKING_CanSeekAbsolute;
    return Seeking->CheckCapabilities(&capabilities);
}

HRESULT GraphGroup::StartTicker()
{
    EndTicker();   // one ticker per graph
    Ticker = std::make_unique<MyThread>(this);
    Ticker->Start();
    return S_OK;
}

HRESULT GraphGroup::Tick()
{
    if (!Seeking)
        return E_POINTER;
    LONGLONG units = 0;
    HRESULT hr = Seeking->GetCurrentPosition(&units);
    if (SUCCEEDED(hr)) {
        const double seconds = static_cast<double>(units) / kGraphUnitsPerSecond;
        const double length = Duration;
        if (seconds >= 0 && length > 0 && seconds <= length) {
            Percent = static_cast<int>(std::trunc(seconds * 100 / length));
            Position = seconds;
        } else {
            Percent = 100;
            Position = length;
        }
    }
    PostMessage(NotifyWindow, MSG_GRAPH_TICK, static_cast<WPARAM>(State.load()), 0);
    return hr;
}

HRESULT GraphGroup::SaveFrameBitmap(const std::string& path)
{
    if (FileExists(path))
        DeleteFile(path);
    if (!Grabber)
        return E_POINTER;
    LONG size = 0;
    HRESULT hr = Grabber->GetCurrentBuffer(&size, nullptr);
    if (FAILED(hr))
        return hr;
    if (size <= 0)
        return VFW_E_WRONG_STATE;
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(size));
    if (FAILED(hr = Grabber->GetCurrentBuffer(&size, reinterpret_cast<LONG*>(buffer.data()))))
        return hr;
    buffer.resize(static_cast<std::size_t>(std::max<LONG>(size, 0)));

    AM_MEDIA_TYPE mt{};
    if (FAILED(hr = Grabber->GetConnectedMediaType(&mt)))
        return hr;
    const bool videoInfo = mt.formattype == FORMAT_VideoInfo && mt.pbFormat && mt.cbFormat >= sizeof(VIDEOINFOHEADER);
    BITMAPINFOHEADER info{};
    if (videoInfo)
        info = reinterpret_cast<const VIDEOINFOHEADER*>(mt.pbFormat)->bmiHeader;
    FreeMediaType(mt);
    if (!videoInfo)
        return VFW_E_INVALIDMEDIATYPE;

    std::vector<std::uint8_t> header;
    header.reserve(54);
    header.push_back('B');
    header.push_back('M');
    PutLe(header, static_cast<std::uint32_t>(14 + 40 + buffer.size()), 4);
    PutLe(header, 0, 4);    // reserved
    PutLe(header, 54, 4);   // pixel offset
    PutLe(header, info.biSize, 4);
    PutLe(header, static_cast<std::uint32_t>(info.biWidth), 4);
    PutLe(header, static_cast<std::uint32_t>(info.biHeight), 4);
    PutLe(header, info.biPlanes, 2);
    PutLe(header, info.biBitCount, 2);
    PutLe(header, info.biCompression, 4);
    PutLe(header, info.biSizeImage, 4);
    PutLe(header, static_cast<std::uint32_t>(info.biXPelsPerMeter), 4);
    PutLe(header, static_cast<std::uint32_t>(info.biYPelsPerMeter), 4);
    PutLe(header, info.biClrUsed, 4);
    PutLe(header, info.biClrImportant, 4);

    bool written = false;
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        if (out) {
            out.write(reinterpret_cast<const char*>(header.data()), static_cast<std::streamsize>(header.size()));
            out.write(reinterpret_cast<const char*>(buffer.data()), static_cast<std::streamsize>(buffer.size()));
            written = static_cast<bool>(out.flush());
        }
    }
    if (!written) {
        DeleteFile(path);   // no half-written picture is left for a reader to trust
        return E_FAIL;
    }
    return S_OK;
}
