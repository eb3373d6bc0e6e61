#pragma once
// The colour converter: YUY2, UYVY, YV12 or I420 (or RGB32) in, RGB24 of the same size out.
#include "dshow/dshow.h"
#include "dshow/videoformat.h"

class CYuvToRgbFilter : public CTransformFilter {
public:
    explicit CYuvToRgbFilter(IUnknown* outer);
    static CUnknown* CreateInstance(IUnknown* outer, HRESULT* hr);

    HRESULT CheckInputType(const CMediaType* mt) override;
    HRESULT CheckTransform(const CMediaType* in, const CMediaType* out) override;
    HRESULT GetMediaType(int position, CMediaType* mt) override;
    HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) override;
    HRESULT Transform(IMediaSample* in, IMediaSample* out) override;

private:
    PictureConverter converter_;
};
