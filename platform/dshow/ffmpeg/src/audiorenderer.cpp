#include "audiorenderer.h"

namespace ffmpeg {

CAudioRenderer::CAudioRenderer(IUnknown* outer, HRESULT* hr) : CBaseRenderer(CLSID_DSoundRender, "Audio Renderer", outer, hr)
{
    HRESULT result = S_OK;
    CUnknown* clock = CSystemClock::CreateInstance(nullptr, &result);
    if (clock && SUCCEEDED(result)) {
        IReferenceClock* reference = nullptr;
        clock->NonDelegatingAddRef();
        if (SUCCEEDED(clock->NonDelegatingQueryInterface(IID_IReferenceClock, reinterpret_cast<void**>(&reference))))
            clock_ = ComPtr<IReferenceClock>::Attach(reference);
        clock->NonDelegatingRelease();
    }
    if (!clock_ && hr && SUCCEEDED(*hr)) *hr = E_OUTOFMEMORY;
}

CAudioRenderer::~CAudioRenderer() = default;

CUnknown* CAudioRenderer::CreateInstance(IUnknown* outer, HRESULT* hr)
{
    HRESULT result = S_OK;
    auto* renderer = new CAudioRenderer(outer, &result);
    if (FAILED(result)) {
        delete renderer;
        renderer = nullptr;
    }
    if (hr) *hr = result;
    return renderer;
}

HRESULT CAudioRenderer::NonDelegatingQueryInterface(REFIID riid, void** ppv)
{
    if (!ppv) return E_POINTER;
    if (riid == IID_IReferenceClock) return GetInterface(static_cast<IReferenceClock*>(this), ppv);
    return CBaseRenderer::NonDelegatingQueryInterface(riid, ppv);
}

HRESULT CAudioRenderer::CheckMediaType(const CMediaType* mt)
{
    if (!mt) return E_POINTER;
    AudioShape shape;
    return ReadAudioShape(*mt, &shape) ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT CAudioRenderer::SetMediaType(const CMediaType* mt)
{
    std::lock_guard lock(mutex_);
    return mt && ReadAudioShape(*mt, &shape_) ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT CAudioRenderer::OnStartStreaming()
{
    std::lock_guard lock(mutex_);
    if (!output_) output_ = OpenSoundDevice(shape_.sampleRate, shape_.channels);
    return S_OK;
}

HRESULT CAudioRenderer::OnStopStreaming()
{
    std::lock_guard lock(mutex_);
    output_.reset();
    return S_OK;
}

bool CAudioRenderer::HasSoundDevice()
{
    std::lock_guard lock(mutex_);
    return output_ != nullptr;
}

HRESULT CAudioRenderer::DoRenderSample(IMediaSample* sample)
{
    if (!sample) return E_POINTER;
    std::lock_guard lock(mutex_);
    if (!output_) return S_OK;   // silent: the base renderer has already waited for the sample's time
    BYTE* data = nullptr;
    LONG length = sample->GetActualDataLength();
    if (FAILED(sample->GetPointer(&data)) || !data || length <= 0 || length > sample->GetSize()) return S_OK;
    if (!output_->Write(data, static_cast<std::size_t>(length))) output_.reset();   // the server went away: go on silently
    return S_OK;
}

HRESULT CAudioRenderer::GetTime(REFERENCE_TIME* time) { return clock_ ? clock_->GetTime(time) : E_UNEXPECTED; }

HRESULT CAudioRenderer::AdviseTime(REFERENCE_TIME base, REFERENCE_TIME stream, LONG_PTR event, DWORD_PTR* cookie)
{
    return clock_ ? clock_->AdviseTime(base, stream, event, cookie) : E_UNEXPECTED;
}

HRESULT CAudioRenderer::AdvisePeriodic(REFERENCE_TIME start, REFERENCE_TIME period, LONG_PTR event, DWORD_PTR* cookie)
{
    return clock_ ? clock_->AdvisePeriodic(start, period, event, cookie) : E_UNEXPECTED;
}

HRESULT CAudioRenderer::Unadvise(DWORD_PTR cookie) { return clock_ ? clock_->Unadvise(cookie) : E_UNEXPECTED; }

} // namespace ffmpeg
