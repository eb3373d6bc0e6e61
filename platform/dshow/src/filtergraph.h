#pragma once
// The filter graph manager: owns the filters of one graph, builds chains
// between them from the registered filters, and drives their state, clock,
// positions and events for the application.
#include "com/cunknown.h"
#include "dshow/basefilter.h"
#include "dshow/control.h"
#include "dshow/setup.h"
#include "rtl/syncobjs.h"
#include "videowindowmethods.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <set>
#include <string>
#include <vector>

class CFilterGraph : public CUnknown,
                     public IGraphBuilder,
                     public IMediaControl,
                     public IMediaEventEx,
                     public IMediaEventSink,
                     public IMediaSeeking,
                     public IMediaFilter,
                     public IVideoWindow {
public:
    explicit CFilterGraph(IUnknown* outer);
    ~CFilterGraph() override;
    static CUnknown* CreateInstance(IUnknown* outer, HRESULT* hr);

    DECLARE_IUNKNOWN
    HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID riid, void** ppv) override;
    DECLARE_NO_DISPATCH

    // IFilterGraph / IGraphBuilder
    HRESULT STDMETHODCALLTYPE AddFilter(IBaseFilter* filter, LPCWSTR name) override;
    HRESULT STDMETHODCALLTYPE RemoveFilter(IBaseFilter* filter) override;
    HRESULT STDMETHODCALLTYPE EnumFilters(IEnumFilters** filters) override;
    HRESULT STDMETHODCALLTYPE FindFilterByName(LPCWSTR name, IBaseFilter** filter) override;
    HRESULT STDMETHODCALLTYPE ConnectDirect(IPin* output, IPin* input, const AM_MEDIA_TYPE* mt) override;
    HRESULT STDMETHODCALLTYPE Reconnect(IPin* pin) override;
    HRESULT STDMETHODCALLTYPE Disconnect(IPin* pin) override;
    HRESULT STDMETHODCALLTYPE SetDefaultSyncSource() override;
    HRESULT STDMETHODCALLTYPE Connect(IPin* output, IPin* input) override;
    HRESULT STDMETHODCALLTYPE Render(IPin* output) override;
    HRESULT STDMETHODCALLTYPE RenderFile(LPCWSTR file, LPCWSTR playList) override;
    HRESULT STDMETHODCALLTYPE AddSourceFilter(LPCWSTR file, LPCWSTR filterName, IBaseFilter** filter) override;
    HRESULT STDMETHODCALLTYPE SetLogFile(DWORD_PTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Abort() override;
    HRESULT STDMETHODCALLTYPE ShouldOperationContinue() override;

    // IMediaControl (Stop and Pause serve IMediaFilter too)
    HRESULT STDMETHODCALLTYPE Run() override;
    HRESULT STDMETHODCALLTYPE Pause() override;
    HRESULT STDMETHODCALLTYPE Stop() override;
    HRESULT STDMETHODCALLTYPE GetState(LONG timeoutMs, OAFilterState* state) override;
    HRESULT STDMETHODCALLTYPE RenderFile(BSTR file) override;
    HRESULT STDMETHODCALLTYPE AddSourceFilter(BSTR, IDispatch**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_FilterCollection(IDispatch**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_RegFilterCollection(IDispatch**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE StopWhenReady() override;

    // IMediaEvent / IMediaEventEx
    HRESULT STDMETHODCALLTYPE GetEventHandle(OAEVENT* event) override;
    HRESULT STDMETHODCALLTYPE GetEvent(LONG* code, LONG_PTR* param1, LONG_PTR* param2, LONG timeoutMs) override;
    HRESULT STDMETHODCALLTYPE WaitForCompletion(LONG timeoutMs, LONG* code) override;
    HRESULT STDMETHODCALLTYPE CancelDefaultHandling(LONG code) override;
    HRESULT STDMETHODCALLTYPE RestoreDefaultHandling(LONG code) override;
    HRESULT STDMETHODCALLTYPE FreeEventParams(LONG, LONG_PTR, LONG_PTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetNotifyWindow(OAHWND window, LONG message, LONG_PTR instance) override;
    HRESULT STDMETHODCALLTYPE SetNotifyFlags(LONG flags) override;
    HRESULT STDMETHODCALLTYPE GetNotifyFlags(LONG* flags) override;

    // IMediaEventSink
    HRESULT STDMETHODCALLTYPE Notify(LONG code, LONG_PTR param1, LONG_PTR param2) override;

    // IMediaSeeking
    HRESULT STDMETHODCALLTYPE GetCapabilities(DWORD* capabilities) override;
    HRESULT STDMETHODCALLTYPE CheckCapabilities(DWORD* capabilities) override;
    HRESULT STDMETHODCALLTYPE IsFormatSupported(const GUID* format) override;
    HRESULT STDMETHODCALLTYPE QueryPreferredFormat(GUID* format) override;
    HRESULT STDMETHODCALLTYPE GetTimeFormat(GUID* format) override;
    HRESULT STDMETHODCALLTYPE IsUsingTimeFormat(const GUID* format) override;
    HRESULT STDMETHODCALLTYPE SetTimeFormat(const GUID* format) override;
    HRESULT STDMETHODCALLTYPE GetDuration(LONGLONG* duration) override;
    HRESULT STDMETHODCALLTYPE GetStopPosition(LONGLONG* stop) override;
    HRESULT STDMETHODCALLTYPE GetCurrentPosition(LONGLONG* current) override;
    HRESULT STDMETHODCALLTYPE ConvertTimeFormat(LONGLONG* target, const GUID* targetFormat, LONGLONG source,
                                                const GUID* sourceFormat) override;
    HRESULT STDMETHODCALLTYPE SetPositions(LONGLONG* current, DWORD currentFlags, LONGLONG* stop,
                                           DWORD stopFlags) override;
    HRESULT STDMETHODCALLTYPE GetPositions(LONGLONG* current, LONGLONG* stop) override;
    HRESULT STDMETHODCALLTYPE GetAvailable(LONGLONG* earliest, LONGLONG* latest) override;
    HRESULT STDMETHODCALLTYPE SetRate(double rate) override;
    HRESULT STDMETHODCALLTYPE GetRate(double* rate) override;
    HRESULT STDMETHODCALLTYPE GetPreroll(LONGLONG* preroll) override;

    // IMediaFilter
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* clsid) override;
    HRESULT STDMETHODCALLTYPE Run(REFERENCE_TIME start) override;
    HRESULT STDMETHODCALLTYPE GetState(DWORD timeoutMs, FILTER_STATE* state) override;
    HRESULT STDMETHODCALLTYPE SetSyncSource(IReferenceClock* clock) override;
    HRESULT STDMETHODCALLTYPE GetSyncSource(IReferenceClock** clock) override;

    // IVideoWindow: every call goes to the first filter that has one.
    KELDARA_VIDEO_WINDOW_METHODS(KELDARA_VW_DECLARE)

private:
    struct Entry {
        IBaseFilter* filter;     // referenced
        std::wstring name;
    };
    struct Event {
        LONG code;
        LONG_PTR param1, param2;
    };

    IFilterGraph* Self() { return static_cast<IGraphBuilder*>(this); }
    std::vector<IBaseFilter*> DownstreamFirst();
    std::vector<IMediaSeeking*> Seekers();   // referenced; the caller releases them
    HRESULT LatestOfSeekers(LONGLONG* value, HRESULT (STDMETHODCALLTYPE IMediaSeeking::*ask)(LONGLONG*));
    int CountRenderers();
    HRESULT RenderPin(IPin* output, int depth);
    HRESULT ConnectVia(IPin* output, IPin* input, int depth);
    HRESULT TryIntermediate(IPin* output, IPin* input, int depth, const RegFilterInfo& info);
    HRESULT PauseInternal();
    HRESULT RunInternal();
    LONGLONG StreamPosition();
    void QueueEvent(LONG code, LONG_PTR param1, LONG_PTR param2);
    IReferenceClock* ChooseClock();
    void DistributeClock();
    bool HasFilter(IBaseFilter* filter);
    HRESULT FindVideoWindow(IVideoWindow** window);
    void ResetCompletion();

    CCritSec m_lock;
    std::vector<Entry> m_filters;
    std::atomic<FILTER_STATE> m_state{State_Stopped};   // read by streaming threads raising events
    IReferenceClock* m_clock = nullptr;     // referenced
    bool m_clockChosen = false;              // set explicitly (null too) or picked at the first pause
    REFERENCE_TIME m_runStart = 0;           // clock time of the run start
    LONGLONG m_positionBase = 0;             // media position at the run start
    double m_rate = 1.0;
    bool m_abort = false;

    std::mutex m_eventMutex;
    std::condition_variable m_eventChanged;
    std::deque<Event> m_events;
    TEvent m_eventHandle{true, false};
    OAHWND m_notifyWindow = 0;
    LONG m_notifyMessage = 0;
    LONG_PTR m_notifyInstance = 0;
    LONG m_notifyFlags = 0;
    std::set<LONG> m_noDefault;
    int m_renderers = 0;
    int m_completed = 0;
    bool m_completeQueued = false;
    LONG m_completionCode = 0;               // EC_COMPLETE / EC_ERRORABORT / EC_USERABORT once one is queued
};
