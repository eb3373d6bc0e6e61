// A sink server built like the program's sample sinks: an aggregating object
// holding a filter with one rendered input pin, a seeking pass-through, and a
// control interface of its own.
#include "dshow/dshow.h"
#include "testsink.h"

#include <cstring>
#include <memory>

namespace {

class SampleSink;

class SinkFilter final : public CBaseFilter {
public:
    SinkFilter(SampleSink* sink, IUnknown* owner, CCritSec* lock)
        : CBaseFilter("test sink filter", owner, lock, CLSID_TestSink), sink_(sink)
    {
    }
    int GetPinCount() override { return 1; }
    CBasePin* GetPin(int index) override;

private:
    SampleSink* sink_;
};

class SinkPin final : public CRenderedInputPin {
public:
    SinkPin(CBaseFilter* filter, CCritSec* lock, CCritSec* receiveLock, HRESULT* hr)
        : CRenderedInputPin("test sink pin", filter, lock, hr, L"Input"), receiveLock_(receiveLock)
    {
    }
    HRESULT CheckMediaType(const CMediaType* mt) override
    {
        return mt->majortype == MEDIATYPE_Video && mt->subtype == MEDIASUBTYPE_RGB24 && mt->IsFixedSize()
                   ? S_OK
                   : E_INVALIDARG;
    }
    HRESULT GetMediaType(int position, CMediaType* mt) override
    {
        if (position < 0) return E_INVALIDARG;
        if (position > 0) return VFW_S_NO_MORE_ITEMS;
        mt->SetType(&MEDIATYPE_Video);
        mt->SetSubtype(&MEDIASUBTYPE_RGB24);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Receive(IMediaSample* sample) override
    {
        if (!sample) return E_POINTER;
        CAutoLock lock(receiveLock_);
        BYTE* data = nullptr;
        sample->GetPointer(&data);
        if (data && sample->GetActualDataLength() >= 4) {
            LONG frame = 0;
            std::memcpy(&frame, data, 4);
            last = frame;
        }
        ++samples;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ReceiveCanBlock() override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE EndOfStream() override
    {
        CAutoLock lock(receiveLock_);
        return CRenderedInputPin::EndOfStream();
    }
    std::atomic<LONG> samples{0};
    std::atomic<LONG> last{-1};

private:
    CCritSec* receiveLock_;
};

class SampleSink final : public CUnknown, public ITestSink {
public:
    SampleSink(IUnknown* outer, HRESULT* hr) : CUnknown("test sink", outer)
    {
        filter_ = std::make_unique<SinkFilter>(this, GetOwner(), &filterLock_);
        pin_ = std::make_unique<SinkPin>(filter_.get(), &filterLock_, &receiveLock_, hr);
    }
    ~SampleSink() override
    {
        seeking_.reset();
        pin_.reset();
        filter_.reset();
    }
    static CUnknown* CreateInstance(IUnknown* outer, HRESULT* hr) { return new SampleSink(outer, hr); }

    DECLARE_IUNKNOWN
    HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID riid, void** ppv) override
    {
        CAutoLock lock(&filterLock_);
        if (riid == IID_ITestSink) return GetInterface(static_cast<ITestSink*>(this), ppv);
        if (riid == IID_IBaseFilter || riid == IID_IMediaFilter || riid == IID_IPersist)
            return filter_->NonDelegatingQueryInterface(riid, ppv);
        if (riid == IID_IMediaSeeking || riid == IID_IMediaPosition) {
            if (!seeking_) {
                HRESULT hr = S_OK;
                seeking_ = std::make_unique<CPosPassThru>("test sink seeking", GetOwner(), &hr,
                                                          static_cast<IPin*>(pin_.get()));
                if (FAILED(hr)) {
                    seeking_.reset();
                    return hr;
                }
            }
            return seeking_->NonDelegatingQueryInterface(riid, ppv);
        }
        return CUnknown::NonDelegatingQueryInterface(riid, ppv);
    }
    LONG STDMETHODCALLTYPE Samples() override { return pin_->samples; }
    LONG STDMETHODCALLTYPE LastFrame() override { return pin_->last; }
    CBasePin* Pin() { return pin_.get(); }

private:
    CCritSec filterLock_;
    CCritSec receiveLock_;
    std::unique_ptr<SinkFilter> filter_;
    std::unique_ptr<SinkPin> pin_;
    std::unique_ptr<CPosPassThru> seeking_;
};

CBasePin* SinkFilter::GetPin(int index) { return index == 0 ? sink_->Pin() : nullptr; }

const AMOVIESETUP_MEDIATYPE kPinTypes[] = {{&MEDIATYPE_Video, &MEDIASUBTYPE_RGB24}};
const AMOVIESETUP_PIN kPins[] = {{L"Video Input", TRUE, FALSE, FALSE, FALSE, nullptr, L"Input", 1, kPinTypes}};
const AMOVIESETUP_FILTER kSetup = {&CLSID_TestSink, L"Keldara Test Sink Filter", 0x00200000, 1, kPins};

const CFactoryTemplate g_Templates[] = {
    {L"Keldara Test Sink", &CLSID_TestSink, &SampleSink::CreateInstance, nullptr, &kSetup},
};

} // namespace

KELDARA_SERVER_EXPORTS(g_Templates)
