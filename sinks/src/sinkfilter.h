#pragma once
// The sink's filter: one input pin, no output; its graph event on Stop tells
// the host the stream was cut off (audio) or is over (video).
#include "dshow/dshow.h"

class SampleSink;

class SinkFilter final : public CBaseFilter {
public:
    SinkFilter(SampleSink* sink, IUnknown* owner, CCritSec* lock);

    int GetPinCount() override { return 1; }
    CBasePin* GetPin(int index) override;

    HRESULT STDMETHODCALLTYPE Stop() override;
    HRESULT STDMETHODCALLTYPE Pause() override;
    HRESULT STDMETHODCALLTYPE Run(REFERENCE_TIME start) override;

private:
    SampleSink* sink_;
};
