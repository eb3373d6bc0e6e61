#pragma once
// The base of every filter: state, clock, graph membership and events. A
// derived filter supplies its pins (GetPinCount/GetPin); the pins belong to
// the filter and share its reference count.
#include "dshow/export.h"
#include "com/cunknown.h"
#include "dshow/interfaces.h"
#include "rtl/syncobjs.h"

#include <atomic>
#include <mutex>
#include <string>

using CCritSec = TCriticalSection;

// Holds a lock for one scope.
class CAutoLock {
public:
    explicit CAutoLock(CCritSec* lock) : lock_(lock) { lock_->Enter(); }
    ~CAutoLock() { lock_->Leave(); }
    CAutoLock(const CAutoLock&) = delete;
    CAutoLock& operator=(const CAutoLock&) = delete;

private:
    CCritSec* lock_;
};

class CBasePin;

class DSHOW_API CBaseFilter : public CUnknown, public IBaseFilter {
public:
    CBaseFilter(const char* name, IUnknown* outer, CCritSec* lock, REFCLSID clsid);
    ~CBaseFilter() override;

    DECLARE_IUNKNOWN
    // IBaseFilter, IMediaFilter, IPersist.
    HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* clsid) override;
    // Stop: every connected pin's Inactive; Pause from stopped: every connected pin's Active;
    // Run from stopped pauses first, then each connected pin's Run(start).
    HRESULT STDMETHODCALLTYPE Stop() override;
    HRESULT STDMETHODCALLTYPE Pause() override;
    HRESULT STDMETHODCALLTYPE Run(REFERENCE_TIME start) override;
    HRESULT STDMETHODCALLTYPE GetState(DWORD timeoutMs, FILTER_STATE* state) override;
    HRESULT STDMETHODCALLTYPE SetSyncSource(IReferenceClock* clock) override;
    HRESULT STDMETHODCALLTYPE GetSyncSource(IReferenceClock** clock) override;

    HRESULT STDMETHODCALLTYPE EnumPins(IEnumPins** pins) override;
    HRESULT STDMETHODCALLTYPE FindPin(LPCWSTR id, IPin** pin) override;   // by pin name
    HRESULT STDMETHODCALLTYPE QueryFilterInfo(FILTER_INFO* info) override;
    HRESULT STDMETHODCALLTYPE JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) override;
    HRESULT STDMETHODCALLTYPE QueryVendorInfo(LPWSTR* info) override;

    virtual int GetPinCount() = 0;
    virtual CBasePin* GetPin(int index) = 0;     // null outside 0..count-1

    // Sends an event to the graph's IMediaEventSink (E_NOTIMPL outside a graph).
    HRESULT NotifyEvent(LONG code, LONG_PTR param1, LONG_PTR param2);

    bool IsActive();                              // paused or running
    bool IsStopped();
    FILTER_STATE State();
    IFilterGraph* GetFilterGraph() const { return m_pGraph; }
    const std::wstring& FilterName() const { return m_pName; }
    CCritSec* FilterLock() const { return m_pLock; }
    IReferenceClock* Clock() const { return m_pClock; }
    REFERENCE_TIME StartTime() const { return m_tStart; }

protected:
    // Written under the filter lock; read without it by pins and streaming threads.
    std::atomic<FILTER_STATE> m_State{State_Stopped};
    IReferenceClock* m_pClock = nullptr;      // referenced
    REFERENCE_TIME m_tStart = 0;
    CLSID m_clsid;
    CCritSec* m_pLock;
    std::wstring m_pName;
    IFilterGraph* m_pGraph = nullptr;         // not referenced
    IMediaEventSink* m_pSink = nullptr;       // not referenced
};
