#include "sinkinputpin.h"

namespace {

// What the pin calls until a host installs its own callback (or after the
// host installed null): samples are accepted and dropped.
class NullCallback final : public SampleCallback {
public:
    HRESULT OnSample(IMediaSample*) override { return S_OK; }
    HRESULT OnMediaType(const AM_MEDIA_TYPE*) override { return S_OK; }
    HRESULT OnDetach() override { return S_OK; }
};
NullCallback NullSampleCallback;

std::atomic<int> g_sampleRateMode{0};

constexpr LPCWSTR kPinName = kAudioSink ? L"Audio" : L"Input";

bool AcceptsWave(const CMediaType& mt)
{
    if (mt.majortype != MEDIATYPE_Audio || mt.IsTemporalCompressed()) return false;
    const WAVEFORMATEX* wave = WaveFormat(mt);   // FORMAT_WaveFormatEx, at least 18 bytes, present
    if (!wave) return false;
    if (wave->wFormatTag != WAVE_FORMAT_PCM && wave->wFormatTag != WAVE_FORMAT_EXTENSIBLE) return false;
    if (wave->nChannels != 1 && wave->nChannels != 2) return false;
    if (wave->wBitsPerSample != 16) return false;
    const DWORD rate = SampleRateMode() == 1 ? 48000 : 44100;
    return wave->nSamplesPerSec == rate;
}

bool AcceptsPicture(const CMediaType& mt)
{
    return mt.majortype == MEDIATYPE_Video && mt.IsFixedSize() &&
           (mt.subtype == MEDIASUBTYPE_YUY2 || mt.subtype == MEDIASUBTYPE_RGB24);
}

// A host reads the whole header its format type names, so the block must hold it
// (the audio sink's build never asks).
[[maybe_unused]] bool HasVideoHeader(const CMediaType& mt) { return VideoInfo(mt) != nullptr || VideoInfo2(mt) != nullptr; }

} // namespace

int SampleRateMode() { return g_sampleRateMode.load(); }
void SetProcessSampleRateMode(int mode) { g_sampleRateMode.store(mode); }

SinkInputPin::SinkInputPin(CBaseFilter* filter, CCritSec* filterLock, CCritSec* receiveLock, HRESULT* hr)
    : CRenderedInputPin(kAudioSink ? "audio sink input" : "video sink input", filter, filterLock, hr, kPinName),
      receiveLock_(receiveLock), callback_(&NullSampleCallback)
{
}

HRESULT SinkInputPin::CheckMediaType(const CMediaType* mt)
{
    if (!mt) return E_POINTER;
    const bool ok = kAudioSink ? AcceptsWave(*mt) : AcceptsPicture(*mt);
    return ok ? S_OK : E_INVALIDARG;
}

HRESULT SinkInputPin::GetMediaType(int position, CMediaType* mt)
{
    if (position < 0) return E_INVALIDARG;
    if (!mt) return E_POINTER;
    static constexpr const GUID* kVideoSubtypes[] = {&MEDIASUBTYPE_YUY2, &MEDIASUBTYPE_RGB24};
    if constexpr (kAudioSink) {
        if (position > 0) return VFW_S_NO_MORE_ITEMS;
        mt->SetType(&MEDIATYPE_Audio);
        mt->SetSubtype(&MEDIASUBTYPE_PCM);
    } else {
        if (position >= int(std::size(kVideoSubtypes))) return VFW_S_NO_MORE_ITEMS;
        mt->SetType(&MEDIATYPE_Video);
        mt->SetSubtype(kVideoSubtypes[position]);
    }
    return S_OK;
}

HRESULT SinkInputPin::SetMediaType(const CMediaType* mt)
{
    if (!mt) return E_POINTER;
    if constexpr (kAudioSink) {
        if (!WaveFormat(*mt)) return VFW_E_INVALIDMEDIATYPE;
        HRESULT hr = CRenderedInputPin::SetMediaType(mt);
        if (FAILED(hr)) return hr;
    } else {
        HRESULT hr = CRenderedInputPin::SetMediaType(mt);
        if (FAILED(hr)) return hr;
        if (!HasVideoHeader(*mt)) return E_INVALIDARG;
    }
    CAutoLock lock(receiveLock_);
    callback_->OnMediaType(mt);
    return S_OK;
}

HRESULT SinkInputPin::Receive(IMediaSample* sample)
{
    if (!sample) return E_POINTER;
    CAutoLock lock(receiveLock_);
    // A sample still in flight when a seek flushes belongs to the old
    // position; handing it on would put stale frames into the host's output.
    if (flushing_) return S_FALSE;
    callback_->OnSample(sample);
    return S_OK;
}

HRESULT SinkInputPin::NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate)
{
    CRenderedInputPin::NewSegment(start, stop, rate);
    return S_OK;
}

HRESULT SinkInputPin::EndOfStream()
{
    CAutoLock lock(receiveLock_);
    return CRenderedInputPin::EndOfStream();
}

HRESULT SinkInputPin::BeginFlush()
{
    flushing_ = true;
    return CRenderedInputPin::BeginFlush();
}

HRESULT SinkInputPin::EndFlush()
{
    HRESULT hr = CRenderedInputPin::EndFlush();
    flushing_ = false;
    return hr;
}

void SinkInputPin::SetCallback(SampleCallback* callback)
{
    CAutoLock lock(receiveLock_);
    callback_ = callback ? callback : &NullSampleCallback;
}

void SinkInputPin::Detach()
{
    CAutoLock lock(receiveLock_);
    SampleCallback* detached = callback_;
    callback_ = &NullSampleCallback;
    detached->OnDetach();
}
