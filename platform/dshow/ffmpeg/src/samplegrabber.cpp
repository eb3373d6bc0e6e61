#include "samplegrabber.h"

#include <cstring>

namespace ffmpeg {

CSampleGrabber::CSampleGrabber(IUnknown* outer, HRESULT* hr) : CTransformFilter("SampleGrabber", outer, CLSID_SampleGrabber)
{
    if (hr) *hr = S_OK;
}

CSampleGrabber::~CSampleGrabber() { held_.Reset(); }

CUnknown* CSampleGrabber::CreateInstance(IUnknown* outer, HRESULT* hr)
{
    HRESULT result = S_OK;
    auto* grabber = new CSampleGrabber(outer, &result);
    if (FAILED(result)) {
        delete grabber;
        grabber = nullptr;
    }
    if (hr) *hr = result;
    return grabber;
}

HRESULT CSampleGrabber::NonDelegatingQueryInterface(REFIID riid, void** ppv)
{
    if (!ppv) return E_POINTER;
    if (riid == IID_ISampleGrabber) return GetInterface(static_cast<ISampleGrabber*>(this), ppv);
    return CTransformFilter::NonDelegatingQueryInterface(riid, ppv);
}

HRESULT CSampleGrabber::SetOneShot(BOOL oneShot)
{
    std::lock_guard lock(mutex_);
    oneShot_ = oneShot != FALSE;
    shotTaken_ = false;
    return S_OK;
}

HRESULT CSampleGrabber::SetMediaType(const AM_MEDIA_TYPE* mt)
{
    if (!mt) return E_POINTER;
    std::lock_guard lock(mutex_);
    wanted_ = *mt;
    return S_OK;
}

HRESULT CSampleGrabber::GetConnectedMediaType(AM_MEDIA_TYPE* mt)
{
    if (!mt) return E_POINTER;
    CTransformInputPin* in = InputPin();
    if (!in || !in->IsConnected()) return VFW_E_NOT_CONNECTED;
    return CopyMediaType(mt, &in->CurrentMediaType());
}

HRESULT CSampleGrabber::SetBufferSamples(BOOL buffer)
{
    std::lock_guard lock(mutex_);
    buffer_ = buffer != FALSE;
    return S_OK;
}

HRESULT CSampleGrabber::GetCurrentBuffer(LONG* size, LONG* buffer)
{
    if (!size) return E_POINTER;
    std::lock_guard lock(mutex_);
    if (!buffer_) return E_INVALIDARG;
    if (!haveBuffer_) return VFW_E_WRONG_STATE;
    const BYTE* data = kept_.data();
    LONG length = static_cast<LONG>(kept_.size());
    if (held_) {
        BYTE* p = nullptr;
        if (FAILED(held_->GetPointer(&p)) || !p) return E_FAIL;
        data = p;
        length = held_->GetActualDataLength();
    }
    if (!buffer) {
        *size = length;
        return S_OK;
    }
    if (*size < length) return E_OUTOFMEMORY;
    std::memcpy(buffer, data, static_cast<std::size_t>(length));
    *size = length;
    return S_OK;
}

HRESULT CSampleGrabber::GetCurrentSample(IMediaSample** sample)
{
    if (!sample) return E_POINTER;
    *sample = nullptr;
    return E_NOTIMPL;
}

HRESULT CSampleGrabber::SetCallback(ISampleGrabberCB* callback, LONG which)
{
    if (which != 0 && which != 1) return E_INVALIDARG;
    std::lock_guard lock(mutex_);
    callback_ = ComPtr<ISampleGrabberCB>(callback);
    callbackKind_ = which;
    return S_OK;
}

HRESULT CSampleGrabber::CheckInputType(const CMediaType* mt)
{
    if (!mt) return E_POINTER;
    std::lock_guard lock(mutex_);
    if (wanted_.majortype != GUID_NULL && wanted_.majortype != mt->majortype) return VFW_E_TYPE_NOT_ACCEPTED;
    if (wanted_.subtype != GUID_NULL && wanted_.subtype != mt->subtype) return VFW_E_TYPE_NOT_ACCEPTED;
    if (wanted_.formattype != GUID_NULL && wanted_.formattype != mt->formattype) return VFW_E_TYPE_NOT_ACCEPTED;
    if (mt->cbFormat > 0 && !mt->pbFormat) return VFW_E_TYPE_NOT_ACCEPTED;
    return S_OK;
}

HRESULT CSampleGrabber::CheckTransform(const CMediaType* in, const CMediaType* out)
{
    if (!in || !out) return E_POINTER;
    return *in == *out ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;   // the stream passes unchanged
}

HRESULT CSampleGrabber::GetMediaType(int position, CMediaType* mt)
{
    if (!mt) return E_POINTER;
    if (position < 0) return E_INVALIDARG;
    CTransformInputPin* in = InputPin();
    if (!in || !in->IsConnected()) return E_UNEXPECTED;
    if (position > 0) return VFW_S_NO_MORE_ITEMS;
    *mt = in->CurrentMediaType();
    return S_OK;
}

HRESULT CSampleGrabber::DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request)
{
    if (!allocator || !request) return E_POINTER;
    // Samples pass through as they come; the output's own buffers are only a formality.
    request->cBuffers = std::max<LONG>(request->cBuffers, 1);
    request->cbBuffer = std::max<LONG>(request->cbBuffer, std::max<LONG>(1, InputPin()->CurrentMediaType().lSampleSize));
    request->cbAlign = std::max<LONG>(request->cbAlign, 1);
    ALLOCATOR_PROPERTIES actual{};
    return allocator->SetProperties(request, &actual);
}

HRESULT CSampleGrabber::Transform(IMediaSample*, IMediaSample*) { return S_OK; }

HRESULT CSampleGrabber::Receive(IMediaSample* sample)
{
    if (!sample) return E_POINTER;
    ComPtr<ISampleGrabberCB> callback;
    LONG kind = 0;
    {
        std::lock_guard lock(mutex_);
        if (oneShot_ && shotTaken_) return S_FALSE;
        shotTaken_ = true;
        if (buffer_) {
            held_ = ComPtr<IMediaSample>(sample);
            haveBuffer_ = true;
        }
        callback = callback_;
        kind = callbackKind_;
    }
    if (callback) {
        REFERENCE_TIME start = 0, stop = 0;
        sample->GetTime(&start, &stop);
        double seconds = static_cast<double>(start) / UNITS;
        if (kind == 0) {
            callback->SampleCB(seconds, sample);
        } else {
            BYTE* data = nullptr;
            if (SUCCEEDED(sample->GetPointer(&data)) && data)
                callback->BufferCB(seconds, data, sample->GetActualDataLength());
        }
    }
    HRESULT hr = S_OK;
    CTransformOutputPin* out = OutputPin();
    if (out && out->IsConnected()) hr = out->Deliver(sample);
    bool endNow;
    {
        std::lock_guard lock(mutex_);
        endNow = oneShot_;
    }
    if (endNow) {
        if (out && out->IsConnected()) out->DeliverEndOfStream();
        else NotifyEvent(EC_COMPLETE, S_OK, 0);
        return S_FALSE;
    }
    return hr;
}

void CSampleGrabber::LetGo()
{
    std::lock_guard lock(mutex_);
    if (!held_) return;
    BYTE* data = nullptr;
    LONG length = held_->GetActualDataLength();
    if (SUCCEEDED(held_->GetPointer(&data)) && data && length >= 0) kept_.assign(data, data + length);
    else haveBuffer_ = false;
    held_.Reset();
}

HRESULT CSampleGrabber::StartStreaming()
{
    std::lock_guard lock(mutex_);
    shotTaken_ = false;
    return S_OK;
}

HRESULT CSampleGrabber::StopStreaming()
{
    LetGo();
    return S_OK;
}

HRESULT CSampleGrabber::BreakConnect(PIN_DIRECTION)
{
    LetGo();
    return S_OK;
}

} // namespace ffmpeg
