#pragma once
// The sink's one input pin: accepts its server's kind of decoded stream and
// hands the connection type and every sample to the installed callback.
#include "dshow/dshow.h"
#include "sinkkind.h"

#include <atomic>

class SinkInputPin final : public CRenderedInputPin {
public:
    SinkInputPin(CBaseFilter* filter, CCritSec* filterLock, CCritSec* receiveLock, HRESULT* hr);

    HRESULT CheckMediaType(const CMediaType* mt) override;
    HRESULT GetMediaType(int position, CMediaType* mt) override;
    HRESULT SetMediaType(const CMediaType* mt) override;

    HRESULT STDMETHODCALLTYPE Receive(IMediaSample* sample) override;
    HRESULT STDMETHODCALLTYPE ReceiveCanBlock() override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) override;
    HRESULT STDMETHODCALLTYPE QueryInternalConnections(IPin**, ULONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EndOfStream() override;
    HRESULT STDMETHODCALLTYPE BeginFlush() override;
    HRESULT STDMETHODCALLTYPE EndFlush() override;

    // Null installs the do-nothing callback. Swapped under the receive lock:
    // once this returns, the callback replaced gets no further call.
    void SetCallback(SampleCallback* callback);
    // OnDetach on the current callback, which is then replaced by the
    // do-nothing one, so it is called once however often this runs.
    void Detach();

private:
    CCritSec* receiveLock_;
    SampleCallback* callback_;               // guarded by receiveLock_
    std::atomic<bool> flushing_{false};
};

// The audio server's sample-rate mode, process-wide (1: 48000 Hz, else 44100 Hz).
int SampleRateMode();
void SetProcessSampleRateMode(int mode);
