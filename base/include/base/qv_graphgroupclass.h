#pragma once
// The preview graph: one playback graph for one media file, rendered into a
// video window of one of the program's windows. It plays, pauses, stops and
// positions the file, reports the play position to a window every 40 ms from
// a ticker thread, and writes the current frame into a BMP file when it was
// rendered with GrabFrames set.
//
// Everything runs on the thread that made the object, except Tick, which the
// ticker calls; the fields the ticker writes are atomic so the owner window can
// read them when it handles the tick message.
#include "dshow/dshow.h"
#include "gfx/types.h"
#include "win32/messages.h"

#include <atomic>
#include <memory>
#include <string>

class ISampleGrabber;

constexpr UINT MSG_GRAPH_EVENT = 1154;   // graph events, after SetNotifyWindow(window, MSG_GRAPH_EVENT, 0)
constexpr UINT MSG_GRAPH_TICK = 1155;    // WPARAM the play state, LPARAM 0

// 100 ns units per second, the graph's position unit.
constexpr LONGLONG kGraphUnitsPerSecond = 10'000'000;

class GraphGroup {
public:
    enum { Running = 0, Paused = 1, Stopped = 2 };

    GraphGroup();
    // Ends the ticker and releases whatever ReleaseGraph has not.
    ~GraphGroup();
    GraphGroup(const GraphGroup&) = delete;
    GraphGroup& operator=(const GraphGroup&) = delete;

    // Every operation answers an HRESULT; E_POINTER when the interface it needs is missing.
    HRESULT BuildGraph();
    // Renders the file, then puts the sample grabber in the video renderer's place
    // (GrabFrames) and a null renderer in the audio renderer's (MuteAudio).
    HRESULT RenderClip(const std::wstring& widePath);
    HRESULT ReleaseGraph();
    HRESULT SetVideoWindow(HWND owner, const TRect& rect);
    HRESULT ShowVideo(bool visible);
    HRESULT SetNotifyWindow(HWND window, UINT message, LPARAM lparam);
    HRESULT Run();
    HRESULT Pause();
    HRESULT Stop();
    // Absolute position in 100 ns units, never before 0.1 s; the stop position stays.
    HRESULT SeekTo(LONGLONG units);
    HRESULT GetCurrentPosition(LONGLONG* units);
    // S_OK when the file can be positioned.
    HRESULT CheckSeeking();
    HRESULT StartTicker();
    // Reads Position and Percent and posts MSG_GRAPH_TICK to NotifyWindow.
    HRESULT Tick();
    HRESULT AddSampleGrabber();
    // Writes the grabber's current frame as a BMP file; fails (leaving no file)
    // when no frame has arrived.
    HRESULT SaveFrameBitmap(const std::string& path);

    std::atomic<int> State{Stopped};
    bool GrabFrames = false;
    std::atomic<double> Position{0};        // seconds, last read by Tick
    std::atomic<int> Percent{0};            // of Duration, last read by Tick
    bool MuteAudio = false;
    std::atomic<HWND> NotifyWindow{nullptr};
    std::atomic<double> Duration{0};        // seconds, read when the graph starts running

    class MyThread;
    std::unique_ptr<MyThread> Ticker;        // null while no ticker runs
    ComPtr<IGraphBuilder> Graph;
    ComPtr<ICaptureGraphBuilder2> Builder;
    ComPtr<IMediaSeeking> Seeking;
    ComPtr<IMediaControl> Control;
    ComPtr<IMediaEvent> Event;
    ComPtr<IMediaEventEx> EventEx;
    ComPtr<IVideoWindow> VideoWindow;
    ComPtr<IBaseFilter> GrabberFilter;       // the sample grabber, when GrabFrames is set
    ComPtr<ISampleGrabber> Grabber;
    ComPtr<IBaseFilter> ColourConverter;     // "My YUV2RGB", when it had to be put in
    ComPtr<IBaseFilter> NullRendererFilter;  // the audio's end, when MuteAudio is set

private:
    HRESULT RenderVideoIntoGrabber();
    HRESULT RenderAudioIntoNullRenderer();
    void EndTicker();

    bool comInitialised_ = false;
};
