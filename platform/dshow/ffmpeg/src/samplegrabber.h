#pragma once
// The sample grabber: passes its stream through unchanged, accepting only the
// type set with SetMediaType, and keeps the last sample for GetCurrentBuffer.
#include "dshow/dshow.h"
#include "dshow/qedit.h"

#include <mutex>
#include <vector>

namespace ffmpeg {

class CSampleGrabber : public CTransformFilter, public ISampleGrabber {
public:
    CSampleGrabber(IUnknown* outer, HRESULT* hr);
    ~CSampleGrabber() override;
    static CUnknown* CreateInstance(IUnknown* outer, HRESULT* hr);

    DECLARE_IUNKNOWN
    HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    // ISampleGrabber; the filter's own SetMediaType (per pin) stays as the base class has it.
    using CTransformFilter::SetMediaType;
    HRESULT STDMETHODCALLTYPE SetOneShot(BOOL oneShot) override;
    HRESULT STDMETHODCALLTYPE SetMediaType(const AM_MEDIA_TYPE* mt) override;
    HRESULT STDMETHODCALLTYPE GetConnectedMediaType(AM_MEDIA_TYPE* mt) override;
    HRESULT STDMETHODCALLTYPE SetBufferSamples(BOOL buffer) override;
    HRESULT STDMETHODCALLTYPE GetCurrentBuffer(LONG* size, LONG* buffer) override;
    HRESULT STDMETHODCALLTYPE GetCurrentSample(IMediaSample** sample) override;
    HRESULT STDMETHODCALLTYPE SetCallback(ISampleGrabberCB* callback, LONG which) override;

    // CTransformFilter
    HRESULT CheckInputType(const CMediaType* mt) override;
    HRESULT CheckTransform(const CMediaType* in, const CMediaType* out) override;
    HRESULT GetMediaType(int position, CMediaType* mt) override;
    HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) override;
    HRESULT Transform(IMediaSample* in, IMediaSample* out) override;
    HRESULT Receive(IMediaSample* sample) override;
    HRESULT StopStreaming() override;
    HRESULT BreakConnect(PIN_DIRECTION dir) override;
    HRESULT StartStreaming() override;

private:
    void LetGo();

    std::mutex mutex_;
    CMediaType wanted_;             // GUID_NULL parts match anything
    bool oneShot_ = false;
    bool shotTaken_ = false;
    bool buffer_ = false;
    // The last sample is held, not copied, while streaming; copied when streaming stops.
    ComPtr<IMediaSample> held_;
    std::vector<BYTE> kept_;
    bool haveBuffer_ = false;
    ComPtr<ISampleGrabberCB> callback_;
    LONG callbackKind_ = 0;
};

} // namespace ffmpeg
