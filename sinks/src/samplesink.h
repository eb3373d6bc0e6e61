#pragma once
// The object the class factory makes: owns the locks, the filter, its input
// pin and the seeking pass-through, and implements ISinkControl. The filter
// and pin count references with it, so the host may hold any of them.
#include "sinkfilter.h"
#include "sinkinputpin.h"
#include "sinkkind.h"

#include <memory>

class SampleSink final : public CUnknown, public ISinkControl {
public:
    // Null with hr set when the object cannot be made.
    static CUnknown* CreateInstance(IUnknown* outer, HRESULT* hr);
    ~SampleSink() override;

    DECLARE_IUNKNOWN
    HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    HRESULT STDMETHODCALLTYPE SetCallback(SampleCallback* callback) override;
#ifdef KELDARA_SINK_AUDIO
    HRESULT STDMETHODCALLTYPE SetSampleRateMode(int mode) override;
#endif

    CBasePin* Pin() { return pin_.get(); }

private:
    SampleSink(IUnknown* outer, HRESULT* hr);

    CCritSec filterLock_;
    CCritSec receiveLock_;
    std::unique_ptr<SinkFilter> filter_;
    std::unique_ptr<SinkInputPin> pin_;
    std::unique_ptr<CPosPassThru> seeking_;   // made on the first request
};
