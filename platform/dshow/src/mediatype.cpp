#include "dshow/mediatype.h"

#include "com/com.h"

#include <cstring>

void FreeMediaType(AM_MEDIA_TYPE& mt)
{
    if (mt.cbFormat != 0 || mt.pbFormat) {
        CoTaskMemFree(mt.pbFormat);
        mt.cbFormat = 0;
        mt.pbFormat = nullptr;
    }
    if (mt.pUnk) {
        mt.pUnk->Release();
        mt.pUnk = nullptr;
    }
}

void DeleteMediaType(AM_MEDIA_TYPE* mt)
{
    if (!mt) return;
    FreeMediaType(*mt);
    CoTaskMemFree(mt);
}

HRESULT CopyMediaType(AM_MEDIA_TYPE* dest, const AM_MEDIA_TYPE* source)
{
    if (!dest || !source) return E_POINTER;
    if (dest == source) return S_OK;
    *dest = *source;
    if (source->cbFormat != 0 && source->pbFormat) {
        dest->pbFormat = static_cast<BYTE*>(CoTaskMemAlloc(source->cbFormat));
        if (!dest->pbFormat) {
            dest->cbFormat = 0;
            dest->pUnk = nullptr;
            return E_OUTOFMEMORY;
        }
        std::memcpy(dest->pbFormat, source->pbFormat, source->cbFormat);
    } else {
        dest->cbFormat = 0;
        dest->pbFormat = nullptr;
    }
    if (dest->pUnk) dest->pUnk->AddRef();
    return S_OK;
}

AM_MEDIA_TYPE* CreateMediaType(const AM_MEDIA_TYPE* source)
{
    auto* mt = static_cast<AM_MEDIA_TYPE*>(CoTaskMemAlloc(sizeof(AM_MEDIA_TYPE)));
    if (!mt) return nullptr;
    if (FAILED(CopyMediaType(mt, source))) {
        CoTaskMemFree(mt);
        return nullptr;
    }
    return mt;
}

CMediaType::CMediaType() { InitMediaType(); }

CMediaType::CMediaType(const GUID& major)
{
    InitMediaType();
    majortype = major;
}

CMediaType::CMediaType(const AM_MEDIA_TYPE& other)
{
    InitMediaType();
    CopyMediaType(this, &other);
}

CMediaType::CMediaType(const CMediaType& other) : AM_MEDIA_TYPE()
{
    InitMediaType();
    CopyMediaType(this, &other);
}

CMediaType& CMediaType::operator=(const AM_MEDIA_TYPE& other)
{
    if (&other != this) {
        FreeMediaType(*this);
        InitMediaType();
        CopyMediaType(this, &other);
    }
    return *this;
}

CMediaType& CMediaType::operator=(const CMediaType& other)
{
    return *this = static_cast<const AM_MEDIA_TYPE&>(other);
}

CMediaType::~CMediaType() { FreeMediaType(*this); }

bool CMediaType::operator==(const CMediaType& o) const
{
    return majortype == o.majortype && subtype == o.subtype && formattype == o.formattype &&
           cbFormat == o.cbFormat && (cbFormat == 0 || std::memcmp(pbFormat, o.pbFormat, cbFormat) == 0);
}

void CMediaType::SetSampleSize(ULONG size)
{
    if (size == 0) {
        SetVariableSize();
    } else {
        bFixedSizeSamples = TRUE;
        lSampleSize = size;
    }
}

bool CMediaType::SetFormat(const BYTE* format, ULONG length)
{
    if (!AllocFormatBuffer(length) && length) return false;
    if (length) std::memcpy(pbFormat, format, length);
    return true;
}

BYTE* CMediaType::AllocFormatBuffer(ULONG length)
{
    if (length == 0) {
        ResetFormatBuffer();
        return nullptr;
    }
    if (cbFormat == length && pbFormat) {
        std::memset(pbFormat, 0, length);
        return pbFormat;
    }
    auto* p = static_cast<BYTE*>(CoTaskMemAlloc(length));
    if (!p) return nullptr;
    std::memset(p, 0, length);
    CoTaskMemFree(pbFormat);
    pbFormat = p;
    cbFormat = length;
    return p;
}

BYTE* CMediaType::ReallocFormatBuffer(ULONG length)
{
    if (length <= cbFormat && pbFormat) {
        cbFormat = length;
        return pbFormat;
    }
    auto* p = static_cast<BYTE*>(CoTaskMemAlloc(length));
    if (!p) return nullptr;
    std::memset(p, 0, length);
    if (pbFormat && cbFormat) std::memcpy(p, pbFormat, cbFormat);
    CoTaskMemFree(pbFormat);
    pbFormat = p;
    cbFormat = length;
    return p;
}

void CMediaType::ResetFormatBuffer()
{
    CoTaskMemFree(pbFormat);
    pbFormat = nullptr;
    cbFormat = 0;
}

void CMediaType::InitMediaType()
{
    std::memset(static_cast<AM_MEDIA_TYPE*>(this), 0, sizeof(AM_MEDIA_TYPE));
    bFixedSizeSamples = TRUE;
    lSampleSize = 1;
}

bool CMediaType::MatchesPartial(const CMediaType* partial) const
{
    if (partial->majortype != GUID_NULL && partial->majortype != majortype) return false;
    if (partial->subtype != GUID_NULL && partial->subtype != subtype) return false;
    if (partial->formattype != GUID_NULL) {
        if (partial->formattype != formattype || partial->cbFormat != cbFormat) return false;
        if (cbFormat && std::memcmp(partial->pbFormat, pbFormat, cbFormat) != 0) return false;
    }
    return true;
}

bool CMediaType::IsPartiallySpecified() const
{
    return majortype == GUID_NULL || subtype == GUID_NULL || formattype == GUID_NULL;
}

const VIDEOINFOHEADER* VideoInfo(const AM_MEDIA_TYPE& mt)
{
    if (mt.formattype != FORMAT_VideoInfo || mt.cbFormat < sizeof(VIDEOINFOHEADER) || !mt.pbFormat) return nullptr;
    return reinterpret_cast<const VIDEOINFOHEADER*>(mt.pbFormat);
}

const VIDEOINFOHEADER2* VideoInfo2(const AM_MEDIA_TYPE& mt)
{
    if (mt.formattype != FORMAT_VideoInfo2 || mt.cbFormat < sizeof(VIDEOINFOHEADER2) || !mt.pbFormat)
        return nullptr;
    return reinterpret_cast<const VIDEOINFOHEADER2*>(mt.pbFormat);
}

const WAVEFORMATEX* WaveFormat(const AM_MEDIA_TYPE& mt)
{
    if (mt.formattype != FORMAT_WaveFormatEx || mt.cbFormat < sizeof(WAVEFORMATEX) || !mt.pbFormat) return nullptr;
    return reinterpret_cast<const WAVEFORMATEX*>(mt.pbFormat);
}

const BITMAPINFOHEADER* VideoBitmapHeader(const AM_MEDIA_TYPE& mt)
{
    if (auto* v = VideoInfo(mt)) return &v->bmiHeader;
    if (auto* v = VideoInfo2(mt)) return &v->bmiHeader;
    return nullptr;
}

DWORD DibImageSize(const BITMAPINFOHEADER& h)
{
    std::uint64_t width = h.biWidth < 0 ? std::uint64_t(-std::int64_t(h.biWidth)) : std::uint64_t(h.biWidth);
    std::uint64_t height = h.biHeight < 0 ? std::uint64_t(-std::int64_t(h.biHeight)) : std::uint64_t(h.biHeight);
    std::uint64_t stride = ((width * h.biBitCount + 31) / 32) * 4;
    std::uint64_t size = stride * height;
    return size > 0xFFFFFFFFu ? 0xFFFFFFFFu : DWORD(size);
}
