#include "samplesink.h"

#include <new>

CUnknown* SampleSink::CreateInstance(IUnknown* outer, HRESULT* hr)
{
    HRESULT local = S_OK;
    if (!hr) hr = &local;
    *hr = S_OK;
    std::unique_ptr<SampleSink> sink(new (std::nothrow) SampleSink(outer, hr));
    if (!sink) {
        *hr = E_OUTOFMEMORY;
        return nullptr;
    }
    if (FAILED(*hr)) return nullptr;   // freed here, never handed out
    return sink.release();
}

SampleSink::SampleSink(IUnknown* outer, HRESULT* hr)
    : CUnknown(kAudioSink ? "audio sample sink" : "video sample sink", outer)
{
    filter_.reset(new (std::nothrow) SinkFilter(this, GetOwner(), &filterLock_));
    if (!filter_) {
        *hr = E_OUTOFMEMORY;
        return;
    }
    pin_.reset(new (std::nothrow) SinkInputPin(filter_.get(), &filterLock_, &receiveLock_, hr));
    if (!pin_) *hr = E_OUTOFMEMORY;
}

SampleSink::~SampleSink()
{
    // The host learns first that its callback is no longer used.
    if (pin_) pin_->Detach();
    seeking_.reset();
    pin_.reset();
    filter_.reset();
}

HRESULT SampleSink::NonDelegatingQueryInterface(REFIID riid, void** ppv)
{
    if (!ppv) return E_POINTER;
    CAutoLock lock(&filterLock_);
    if (riid == IID_ISinkControl) return GetInterface(static_cast<ISinkControl*>(this), ppv);
    if (riid == IID_IBaseFilter || riid == IID_IMediaFilter || riid == IID_IPersist)
        return filter_->NonDelegatingQueryInterface(riid, ppv);
    if (riid == IID_IMediaSeeking || riid == IID_IMediaPosition) {
        if (!seeking_) {
            HRESULT hr = S_OK;
            seeking_.reset(new (std::nothrow) CPosPassThru(kAudioSink ? "audio sink seeking" : "video sink seeking",
                                                           GetOwner(), &hr, static_cast<IPin*>(pin_.get())));
            if (!seeking_) {
                *ppv = nullptr;
                return E_OUTOFMEMORY;
            }
            if (FAILED(hr)) {
                seeking_.reset();
                *ppv = nullptr;
                return hr;
            }
        }
        return seeking_->NonDelegatingQueryInterface(riid, ppv);
    }
    return CUnknown::NonDelegatingQueryInterface(riid, ppv);
}

HRESULT SampleSink::SetCallback(SampleCallback* callback)
{
    pin_->SetCallback(callback);
    return S_OK;
}

#ifdef KELDARA_SINK_AUDIO
HRESULT SampleSink::SetSampleRateMode(int mode)
{
    SetProcessSampleRateMode(mode);
    return S_OK;
}
#endif
