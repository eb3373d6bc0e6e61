#pragma once
// The media detector: stream facts of a file and pictures of its frames, over
// the decoding engine without building a graph.
#include "com/cunknown.h"
#include "dshow_ffmpeg/converters.h"
#include "dshow_ffmpeg/mediafile.h"
#include "dshow/qedit.h"

#include <memory>
#include <mutex>
#include <string>

namespace ffmpeg {

class CMediaDet : public CUnknown, public IMediaDet {
public:
    explicit CMediaDet(IUnknown* outer);
    ~CMediaDet() override;
    static IUnknown* Create(IUnknown* outer, HRESULT* hr);

    DECLARE_IUNKNOWN
    HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    HRESULT STDMETHODCALLTYPE get_Filter(IUnknown** filter) override;
    HRESULT STDMETHODCALLTYPE put_Filter(IUnknown* filter) override;
    HRESULT STDMETHODCALLTYPE get_OutputStreams(LONG* count) override;
    HRESULT STDMETHODCALLTYPE get_CurrentStream(LONG* stream) override;
    HRESULT STDMETHODCALLTYPE put_CurrentStream(LONG stream) override;
    HRESULT STDMETHODCALLTYPE get_StreamType(GUID* type) override;
    HRESULT STDMETHODCALLTYPE get_StreamTypeB(BSTR* type) override;
    HRESULT STDMETHODCALLTYPE get_StreamLength(double* seconds) override;
    HRESULT STDMETHODCALLTYPE get_Filename(BSTR* name) override;
    HRESULT STDMETHODCALLTYPE put_Filename(BSTR name) override;
    HRESULT STDMETHODCALLTYPE GetBitmapBits(double streamTime, LONG* size, char* buffer, LONG width,
                                            LONG height) override;
    HRESULT STDMETHODCALLTYPE WriteBitmapBits(double streamTime, LONG width, LONG height, BSTR fileName) override;
    HRESULT STDMETHODCALLTYPE get_StreamMediaType(AM_MEDIA_TYPE* mt) override;
    HRESULT STDMETHODCALLTYPE GetSampleGrabber(ISampleGrabber** grabber) override;
    HRESULT STDMETHODCALLTYPE get_FrameRate(double* rate) override;
    HRESULT STDMETHODCALLTYPE EnterBitmapGrabMode(double seekTime) override;

private:
    const StreamInfo* Current() const;
    // Decodes the frame showing at `seconds` of the current video stream.
    HRESULT GrabFrame(double seconds, DecodedFrame& frame);

    std::mutex mutex_;
    std::wstring fileName_;
    std::unique_ptr<MediaFile> file_;
    std::unique_ptr<MediaFile> grabFile_;   // its own decoder, opened on the first picture asked
    int grabStream_ = -1;
    VideoConverter converter_;
    LONG current_ = 0;
};

} // namespace ffmpeg
