#pragma once
// The base renderer: one input pin; while paused the first sample is held
// (the graph's pause completes when it has one); while running each sample is
// presented when the clock reaches the run start plus its start time, at once
// without a clock or time stamps. The end of stream raises EC_COMPLETE once
// it is reached while running. Stop, flush and pause release a waiting
// Receive at once.
#include "dshow/export.h"
#include "dshow/basepin.h"
#include "dshow/posthru.h"

#include <condition_variable>
#include <memory>
#include <mutex>

class CBaseRenderer;

class DSHOW_API CRendererInputPin : public CBaseInputPin {
public:
    CRendererInputPin(CBaseRenderer* renderer, HRESULT* hr, LPCWSTR pinName);

    HRESULT STDMETHODCALLTYPE Receive(IMediaSample* sample) override;
    HRESULT STDMETHODCALLTYPE EndOfStream() override;
    HRESULT STDMETHODCALLTYPE BeginFlush() override;
    HRESULT STDMETHODCALLTYPE EndFlush() override;
    HRESULT STDMETHODCALLTYPE NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) override;

    HRESULT CheckMediaType(const CMediaType* mt) override;
    HRESULT SetMediaType(const CMediaType* mt) override;
    HRESULT BreakConnect() override;
    HRESULT CompleteConnect(IPin* receivePin) override;
    HRESULT Active() override;
    HRESULT Inactive() override;

private:
    CBaseRenderer* renderer_;
};

class DSHOW_API CBaseRenderer : public CBaseFilter, public IAMFilterMiscFlags {
public:
    CBaseRenderer(REFCLSID clsid, const char* name, IUnknown* outer, HRESULT* hr);
    ~CBaseRenderer() override;

    DECLARE_IUNKNOWN
    ULONG STDMETHODCALLTYPE GetMiscFlags() override { return AM_FILTER_MISC_FLAGS_IS_RENDERER; }

    // IMediaSeeking and IMediaPosition (pass-through upstream), IAMFilterMiscFlags.
    HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    HRESULT STDMETHODCALLTYPE Stop() override;
    HRESULT STDMETHODCALLTYPE Pause() override;
    HRESULT STDMETHODCALLTYPE Run(REFERENCE_TIME start) override;
    // Paused without a sample (and not at the end): waits up to the time-out,
    // then VFW_S_STATE_INTERMEDIATE.
    HRESULT STDMETHODCALLTYPE GetState(DWORD timeoutMs, FILTER_STATE* state) override;

    int GetPinCount() override { return 1; }
    CBasePin* GetPin(int index) override;

    // What a renderer decides.
    virtual HRESULT CheckMediaType(const CMediaType* mt) = 0;
    virtual HRESULT DoRenderSample(IMediaSample* sample) = 0;
    virtual HRESULT SetMediaType(const CMediaType*) { return S_OK; }
    virtual HRESULT CompleteConnect(IPin*) { return S_OK; }
    virtual HRESULT BreakConnect() { return S_OK; }
    // The sample held while paused (a video renderer shows it).
    virtual void OnReceiveFirstSample(IMediaSample*) {}
    virtual HRESULT OnStartStreaming() { return S_OK; }
    virtual HRESULT OnStopStreaming() { return S_OK; }
    // Takes part in the end-of-stream handling; answers the pin's call.
    virtual HRESULT EndOfStream();
    virtual HRESULT BeginFlush();
    virtual HRESULT EndFlush();
    // Receive's body: waits for the presentation time and renders.
    virtual HRESULT Receive(IMediaSample* sample);

    CRendererInputPin* InputPin() { return m_pInputPin.get(); }
    bool IsEndOfStream();
    LONG SamplesRendered();

protected:
    CCritSec m_InterfaceLock;                 // the filter lock
    CCritSec m_RendererLock;                  // serialises rendering with breaking the connection
    std::unique_ptr<CRendererInputPin> m_pInputPin;
    std::unique_ptr<CRendererPosPassThru> m_pPosition;

private:
    friend class CRendererInputPin;
    void NotifyEndOfStream();

    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_bHaveSample = false;
    bool m_bEOS = false;
    bool m_bEOSDelivered = false;
    bool m_bFlushing = false;
    bool m_bStreaming = false;
    LONG m_rendered = 0;
    unsigned long m_generation = 0;           // bumped by every state change and flush
};
