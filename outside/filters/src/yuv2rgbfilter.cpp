#include "yuv2rgbfilter.h"

#include "filters/yuv2rgb.h"

#include <algorithm>

namespace {

bool ReadInput(const CMediaType* mt, VideoShape* shape)
{
    return mt && ReadVideoShape(*mt, shape) && shape->layout != PixelLayout::RGB24;
}

REFERENCE_TIME FrameDuration(const CMediaType& mt)
{
    if (const VIDEOINFOHEADER* vih = VideoInfo(mt)) return vih->AvgTimePerFrame;
    if (const VIDEOINFOHEADER2* vih2 = VideoInfo2(mt)) return vih2->AvgTimePerFrame;
    return 0;
}

} // namespace

CYuvToRgbFilter::CYuvToRgbFilter(IUnknown* outer) : CTransformFilter("My YUV2RGB", outer, CLSID_MyYUV2RGB) {}

CUnknown* CYuvToRgbFilter::CreateInstance(IUnknown* outer, HRESULT* hr)
{
    if (hr) *hr = S_OK;
    return new CYuvToRgbFilter(outer);
}

HRESULT CYuvToRgbFilter::CheckInputType(const CMediaType* mt)
{
    VideoShape shape;
    return ReadInput(mt, &shape) ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT CYuvToRgbFilter::CheckTransform(const CMediaType* in, const CMediaType* out)
{
    VideoShape from, to;
    if (!ReadInput(in, &from) || !out || !ReadVideoShape(*out, &to)) return VFW_E_TYPE_NOT_ACCEPTED;
    if (to.layout != PixelLayout::RGB24 || to.width != from.width || to.height != from.height)
        return VFW_E_TYPE_NOT_ACCEPTED;
    return S_OK;
}

HRESULT CYuvToRgbFilter::GetMediaType(int position, CMediaType* mt)
{
    if (!mt) return E_POINTER;
    if (position < 0) return E_INVALIDARG;
    if (!InputPin() || !InputPin()->IsConnected()) return E_UNEXPECTED;
    if (position > 0) return VFW_S_NO_MORE_ITEMS;
    VideoShape in;
    const CMediaType& input = InputPin()->CurrentMediaType();
    if (!ReadInput(&input, &in)) return E_UNEXPECTED;
    *mt = VideoMediaType(PixelLayout::RGB24, in.width, in.height, FrameDuration(input));
    return S_OK;
}

HRESULT CYuvToRgbFilter::DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request)
{
    if (!allocator || !request) return E_POINTER;
    VideoShape out;
    if (!ReadVideoShape(OutputPin()->CurrentMediaType(), &out)) return E_UNEXPECTED;
    request->cBuffers = std::max<LONG>(request->cBuffers, 4);
    request->cbBuffer = std::max<LONG>(request->cbBuffer, static_cast<LONG>(out.bytes));
    request->cbAlign = std::max<LONG>(request->cbAlign, 1);
    ALLOCATOR_PROPERTIES actual{};
    HRESULT hr = allocator->SetProperties(request, &actual);
    if (FAILED(hr)) return hr;
    return actual.cbBuffer >= request->cbBuffer ? S_OK : E_FAIL;
}

HRESULT CYuvToRgbFilter::Transform(IMediaSample* in, IMediaSample* out)
{
    if (!in || !out) return E_POINTER;
    VideoShape from, to;
    if (!ReadInput(&InputPin()->CurrentMediaType(), &from) ||
        !ReadVideoShape(OutputPin()->CurrentMediaType(), &to))
        return E_UNEXPECTED;
    BYTE* src = nullptr;
    BYTE* dst = nullptr;
    if (FAILED(in->GetPointer(&src)) || FAILED(out->GetPointer(&dst)) || !src || !dst) return E_POINTER;
    LONG have = in->GetActualDataLength();
    LONG room = out->GetSize();
    if (have < 0 || room < 0) return E_UNEXPECTED;
    // A short input sample is refused by the converter rather than read past its end.
    if (!converter_.Convert(src, static_cast<std::size_t>(have), from.layout, from.width, from.height, to.layout,
                            to.width, to.height, dst, static_cast<std::size_t>(room)))
        return E_FAIL;
    out->SetActualDataLength(static_cast<LONG>(to.bytes));
    out->SetSyncPoint(TRUE);
    return S_OK;
}
