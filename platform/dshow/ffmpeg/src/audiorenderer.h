#pragma once
// The audio renderer: plays 16-bit PCM through the sound server at the samples'
// times, or, without a sound device, renders silently at the same pace. It
// offers the graph clock.
#include "audiooutput.h"
#include "dshow/dshow.h"
#include "dshow/mediafilters.h"
#include "dshow_ffmpeg/streamtypes.h"

#include <memory>
#include <mutex>

namespace ffmpeg {

class CAudioRenderer : public CBaseRenderer, public IReferenceClock {
public:
    CAudioRenderer(IUnknown* outer, HRESULT* hr);
    ~CAudioRenderer() override;
    static CUnknown* CreateInstance(IUnknown* outer, HRESULT* hr);

    DECLARE_IUNKNOWN
    HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    HRESULT CheckMediaType(const CMediaType* mt) override;
    HRESULT SetMediaType(const CMediaType* mt) override;
    HRESULT DoRenderSample(IMediaSample* sample) override;
    HRESULT OnStartStreaming() override;
    HRESULT OnStopStreaming() override;

    // IReferenceClock: monotonic time, shared by the whole graph.
    HRESULT STDMETHODCALLTYPE GetTime(REFERENCE_TIME* time) override;
    HRESULT STDMETHODCALLTYPE AdviseTime(REFERENCE_TIME base, REFERENCE_TIME stream, LONG_PTR event,
                                         DWORD_PTR* cookie) override;
    HRESULT STDMETHODCALLTYPE AdvisePeriodic(REFERENCE_TIME start, REFERENCE_TIME period, LONG_PTR event,
                                             DWORD_PTR* cookie) override;
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD_PTR cookie) override;

    bool HasSoundDevice();

private:
    std::mutex mutex_;
    AudioShape shape_;
    std::unique_ptr<AudioOutput> output_;
    ComPtr<IReferenceClock> clock_;
};

} // namespace ffmpeg
