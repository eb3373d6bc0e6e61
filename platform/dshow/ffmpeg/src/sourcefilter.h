#pragma once
// The file source and decoder filter: each audio or video stream of the file
// becomes an output pin that decodes on its own streaming thread from its own
// opening of the file, so a renderer holding one stream never stalls another.
#include "dshow/dshow.h"
#include "dshow_ffmpeg/converters.h"
#include "dshow_ffmpeg/mediafile.h"
#include "dshow_ffmpeg/streamtypes.h"

#include <atomic>
#include <memory>
#include <string>
#include <vector>

namespace ffmpeg {

class CFfmpegSource;

class CFfmpegStream : public CSourceStream, public CSourceSeeking {
public:
    CFfmpegStream(HRESULT* hr, CFfmpegSource* filter, const std::wstring& name, std::unique_ptr<MediaFile> file,
                  int position);
    ~CFfmpegStream() override;

    DECLARE_IUNKNOWN
    HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    HRESULT CheckMediaType(const CMediaType* mt) override;
    HRESULT GetMediaType(int position, CMediaType* mt) override;
    HRESULT SetMediaType(const CMediaType* mt) override;
    HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) override;
    HRESULT FillBuffer(IMediaSample* sample) override;
    HRESULT OnThreadCreate() override;
    HRESULT Active() override;
    HRESULT Inactive() override;

    const StreamInfo& Info() const { return info_; }

protected:
    HRESULT ChangeStart() override;
    HRESULT ChangeStop() override;
    HRESULT ChangeRate() override;

private:
    // The stop FillBuffer ends at: none when it is the stream's whole length.
    REFERENCE_TIME OpenEnded(REFERENCE_TIME stop) const;
    HRESULT FillVideo(IMediaSample* sample);
    HRESULT FillAudio(IMediaSample* sample);
    HRESULT ReadFailure(ReadResult result);
    bool Rewind();
    // Stops the thread around a flush and starts it again at the new segment.
    HRESULT Restart();

    // The positions' own lock: the filter holds its state lock while it waits
    // for this pin's thread to end, and the thread reads the positions.
    CCritSec seekLock_;
    const std::unique_ptr<MediaFile> file_;   // never replaced: other threads abort its reads
    const int position_;
    const StreamInfo info_;
    VideoConverter video_;
    AudioConverter audio_;
    VideoShape videoShape_;
    AudioShape audioShape_;
    std::atomic<bool> rewind_{true};
    bool fresh_ = true;            // nothing read since the file was opened
    bool discontinuity_ = true;
    // Audio converted but not yet delivered.
    std::vector<std::int16_t> pcm_;
    std::size_t pcmPos_ = 0;       // in samples of all channels
    REFERENCE_TIME pcmStart_ = 0;  // stream time of pcm_[pcmPos_]
    bool pcmEnded_ = false;
};

class CFfmpegSource : public CSource, public IFileSourceFilter, public IAMFilterMiscFlags {
public:
    CFfmpegSource(IUnknown* outer, HRESULT* hr);
    ~CFfmpegSource() override;
    static CUnknown* CreateInstance(IUnknown* outer, HRESULT* hr);

    DECLARE_IUNKNOWN
    HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    HRESULT STDMETHODCALLTYPE Load(LPCOLESTR fileName, const AM_MEDIA_TYPE* mt) override;
    HRESULT STDMETHODCALLTYPE GetCurFile(LPOLESTR* fileName, AM_MEDIA_TYPE* mt) override;
    ULONG STDMETHODCALLTYPE GetMiscFlags() override { return AM_FILTER_MISC_FLAGS_IS_SOURCE; }

private:
    std::wstring fileName_;
};

} // namespace ffmpeg
