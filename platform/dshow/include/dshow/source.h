#pragma once
// Source filters: each output pin runs its own streaming thread from pause to
// stop, filling buffers until FillBuffer reports the end of the stream.
#include "dshow/export.h"
#include "dshow/basepin.h"

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

class CSourceStream;

class DSHOW_API CSource : public CBaseFilter {
public:
    CSource(const char* name, IUnknown* outer, REFCLSID clsid, HRESULT* hr);
    ~CSource() override;

    int GetPinCount() override;
    CBasePin* GetPin(int index) override;

    // Pins add themselves on construction; the filter owns and deletes them.
    HRESULT AddPin(CSourceStream* pin);
    HRESULT RemovePin(CSourceStream* pin);
    CCritSec* pStateLock() { return &m_cStateLock; }

protected:
    CCritSec m_cStateLock;
    std::vector<CSourceStream*> m_paStreams;
};

class DSHOW_API CSourceStream : public CBaseOutputPin {
public:
    CSourceStream(const char* objectName, HRESULT* hr, CSource* filter, LPCWSTR pinName);
    ~CSourceStream() override;

    // S_OK: deliver the sample; S_FALSE: the stream has ended; a failure ends it
    // with EC_ERRORABORT.
    virtual HRESULT FillBuffer(IMediaSample* sample) = 0;
    virtual HRESULT OnThreadCreate() { return S_OK; }
    virtual HRESULT OnThreadDestroy() { return S_OK; }
    // Before the first buffer of a run of the thread: the base sends NewSegment
    // with the pin's current segment (SetSegment).
    virtual HRESULT OnThreadStartPlay();

    HRESULT Active() override;     // commits, starts the thread
    HRESULT Inactive() override;   // decommits, joins the thread

    // For seeking: stop and restart the thread around a flush.
    HRESULT StopStreamingThread();
    HRESULT StartStreamingThread();
    bool ThreadRunning() const { return thread_.joinable(); }
    bool StopRequested() const { return stop_.load(); }
    void SetSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate);

protected:
    CSource* m_pFilter;

private:
    void ThreadProc();
    std::thread thread_;
    std::atomic<bool> stop_{false};
    REFERENCE_TIME segStart_ = 0, segStop_ = 0x7FFFFFFFFFFFFFFFLL;
    double segRate_ = 1.0;
};

// IMediaSeeking for a source pin in media time. The derived pin calls
// through to it from its QueryInterface and supplies the reaction to changes.
class DSHOW_API CSourceSeeking : public IMediaSeeking {
public:
    explicit CSourceSeeking(CCritSec* lock);

    HRESULT STDMETHODCALLTYPE GetCapabilities(DWORD* capabilities) override;
    HRESULT STDMETHODCALLTYPE CheckCapabilities(DWORD* capabilities) override;
    HRESULT STDMETHODCALLTYPE IsFormatSupported(const GUID* format) override;
    HRESULT STDMETHODCALLTYPE QueryPreferredFormat(GUID* format) override;
    HRESULT STDMETHODCALLTYPE GetTimeFormat(GUID* format) override;
    HRESULT STDMETHODCALLTYPE IsUsingTimeFormat(const GUID* format) override;
    HRESULT STDMETHODCALLTYPE SetTimeFormat(const GUID* format) override;
    HRESULT STDMETHODCALLTYPE GetDuration(LONGLONG* duration) override;
    HRESULT STDMETHODCALLTYPE GetStopPosition(LONGLONG* stop) override;
    HRESULT STDMETHODCALLTYPE GetCurrentPosition(LONGLONG* current) override;   // E_NOTIMPL: the renderer knows
    HRESULT STDMETHODCALLTYPE ConvertTimeFormat(LONGLONG* target, const GUID* targetFormat, LONGLONG source,
                                                const GUID* sourceFormat) override;
    HRESULT STDMETHODCALLTYPE SetPositions(LONGLONG* current, DWORD currentFlags, LONGLONG* stop,
                                           DWORD stopFlags) override;
    HRESULT STDMETHODCALLTYPE GetPositions(LONGLONG* current, LONGLONG* stop) override;
    HRESULT STDMETHODCALLTYPE GetAvailable(LONGLONG* earliest, LONGLONG* latest) override;
    HRESULT STDMETHODCALLTYPE SetRate(double rate) override;
    HRESULT STDMETHODCALLTYPE GetRate(double* rate) override;
    HRESULT STDMETHODCALLTYPE GetPreroll(LONGLONG* preroll) override;

protected:
    virtual HRESULT ChangeStart() = 0;   // m_rtStart changed (a seek)
    virtual HRESULT ChangeStop() = 0;
    virtual HRESULT ChangeRate() = 0;

    REFERENCE_TIME m_rtDuration = 0;
    REFERENCE_TIME m_rtStart = 0;
    REFERENCE_TIME m_rtStop = 0;
    double m_dRateSeeking = 1.0;
    DWORD m_dwSeekingCaps = AM_SEEKING_CanSeekForwards | AM_SEEKING_CanSeekBackwards |
                            AM_SEEKING_CanSeekAbsolute | AM_SEEKING_CanGetStopPos | AM_SEEKING_CanGetDuration;
    CCritSec* m_pLock;
};
