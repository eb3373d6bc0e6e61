#include "mediadet.h"

#include "com/com.h"
#include "com/widestring.h"
#include "dshow/errors.h"
#include "dshow_ffmpeg/streamtypes.h"
#include "rtl/classes.h"
#include "rtl/paths.h"
#include "rtl/sysutils.h"

#include <cmath>
#include <cstring>
#include <vector>

namespace ffmpeg {

namespace {

constexpr HRESULT kFileNotFound = HResultFromCode(0x80070002u);
constexpr LONG kMaxBitmapSide = 8192;

#pragma pack(push, 1)
struct BitmapFileHeader {
    WORD bfType;
    DWORD bfSize;
    WORD bfReserved1;
    WORD bfReserved2;
    DWORD bfOffBits;
};
#pragma pack(pop)
static_assert(sizeof(BitmapFileHeader) == 14);

BITMAPINFOHEADER Rgb24Header(LONG width, LONG height)
{
    BITMAPINFOHEADER h{};
    h.biSize = sizeof h;
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.biBitCount = 24;
    h.biCompression = BI_RGB;
    h.biSizeImage = static_cast<DWORD>(PictureBytes(PixelLayout::RGB24, width, height));
    return h;
}

// The same picture type told with the shape it is shown at, for a stream whose
// pixels are not square (a 720x576 picture shown at 16:9); false when out of memory.
bool AddPictureAspect(CMediaType& mt, int aspectX, int aspectY)
{
    const VIDEOINFOHEADER* vih = VideoInfo(mt);
    if (!vih || aspectX <= 0 || aspectY <= 0) return true;
    VIDEOINFOHEADER2 vih2{};
    vih2.rcSource = vih->rcSource;
    vih2.rcTarget = vih->rcTarget;
    vih2.dwBitRate = vih->dwBitRate;
    vih2.dwBitErrorRate = vih->dwBitErrorRate;
    vih2.AvgTimePerFrame = vih->AvgTimePerFrame;
    vih2.dwPictAspectRatioX = static_cast<DWORD>(aspectX);
    vih2.dwPictAspectRatioY = static_cast<DWORD>(aspectY);
    vih2.bmiHeader = vih->bmiHeader;
    mt.SetFormatType(&FORMAT_VideoInfo2);
    return mt.SetFormat(reinterpret_cast<const BYTE*>(&vih2), sizeof vih2);
}

} // namespace

CMediaDet::CMediaDet(IUnknown* outer) : CUnknown("MediaDet", outer) {}
CMediaDet::~CMediaDet() = default;

IUnknown* CMediaDet::Create(IUnknown* outer, HRESULT* hr)
{
    auto* det = new CMediaDet(outer);
    det->NonDelegatingAddRef();   // the one reference the caller receives
    if (hr) *hr = S_OK;
    return det->NonDelegatingUnknown();
}

HRESULT CMediaDet::NonDelegatingQueryInterface(REFIID riid, void** ppv)
{
    if (!ppv) return E_POINTER;
    if (riid == IID_IMediaDet) return GetInterface(static_cast<IMediaDet*>(this), ppv);
    return CUnknown::NonDelegatingQueryInterface(riid, ppv);
}

const StreamInfo* CMediaDet::Current() const
{
    if (!file_ || current_ < 0 || current_ >= static_cast<LONG>(file_->Streams().size())) return nullptr;
    return &file_->Streams()[current_];
}

HRESULT CMediaDet::get_Filter(IUnknown** filter)
{
    if (!filter) return E_POINTER;
    *filter = nullptr;
    return E_NOTIMPL;
}

HRESULT CMediaDet::put_Filter(IUnknown*) { return E_NOTIMPL; }

HRESULT CMediaDet::get_OutputStreams(LONG* count)
{
    if (!count) return E_POINTER;
    std::lock_guard lock(mutex_);
    *count = file_ ? static_cast<LONG>(file_->Streams().size()) : 0;
    return file_ ? S_OK : E_INVALIDARG;
}

HRESULT CMediaDet::get_CurrentStream(LONG* stream)
{
    if (!stream) return E_POINTER;
    std::lock_guard lock(mutex_);
    *stream = current_;
    return S_OK;
}

HRESULT CMediaDet::put_CurrentStream(LONG stream)
{
    std::lock_guard lock(mutex_);
    if (!file_) return E_INVALIDARG;
    if (stream < 0 || stream >= static_cast<LONG>(file_->Streams().size())) return E_INVALIDARG;
    current_ = stream;
    return S_OK;
}

HRESULT CMediaDet::get_StreamType(GUID* type)
{
    if (!type) return E_POINTER;
    std::lock_guard lock(mutex_);
    const StreamInfo* s = Current();
    if (!s) return E_INVALIDARG;
    *type = s->kind == StreamKind::Video ? MEDIATYPE_Video : MEDIATYPE_Audio;
    return S_OK;
}

HRESULT CMediaDet::get_StreamTypeB(BSTR* type)
{
    if (!type) return E_POINTER;
    GUID major;
    HRESULT hr = get_StreamType(&major);
    if (FAILED(hr)) return hr;
    // Allocated with CoTaskMemAlloc: free with CoTaskMemFree.
    *type = CoTaskMemWideString(Utf8ToWide(GuidToString(major)));
    return *type ? S_OK : E_OUTOFMEMORY;
}

HRESULT CMediaDet::get_StreamLength(double* seconds)
{
    if (!seconds) return E_POINTER;
    std::lock_guard lock(mutex_);
    const StreamInfo* s = Current();
    if (!s) return E_INVALIDARG;
    *seconds = static_cast<double>(s->duration) / kUnitsPerSecond;
    return S_OK;
}

HRESULT CMediaDet::get_Filename(BSTR* name)
{
    if (!name) return E_POINTER;
    std::lock_guard lock(mutex_);
    // Allocated with CoTaskMemAlloc: free with CoTaskMemFree.
    *name = CoTaskMemWideString(fileName_);
    return *name ? S_OK : E_OUTOFMEMORY;
}

HRESULT CMediaDet::put_Filename(BSTR name)
{
    if (!name) return E_POINTER;
    std::lock_guard lock(mutex_);
    file_.reset();
    grabFile_.reset();
    current_ = 0;
    fileName_ = name;
    std::string path = WideToUtf8(fileName_);
    if (path.empty()) return E_INVALIDARG;
    if (!FileExists(path)) return kFileNotFound;
    file_ = MediaFile::Open(path);
    return file_ ? S_OK : VFW_E_INVALID_FILE_FORMAT;
}

HRESULT CMediaDet::GrabFrame(double seconds, DecodedFrame& frame)
{
    const StreamInfo* s = Current();
    if (!s) return E_INVALIDARG;
    if (s->kind != StreamKind::Video) return VFW_E_INVALIDMEDIATYPE;
    if (!std::isfinite(seconds) || seconds < 0) return E_INVALIDARG;
    if (!grabFile_ || grabStream_ != current_) {
        grabFile_ = MediaFile::Open(file_->Path());
        if (!grabFile_ || !grabFile_->SelectStream(current_)) {
            grabFile_.reset();
            return VFW_E_INVALID_FILE_FORMAT;
        }
        grabStream_ = current_;
    }
    std::int64_t at = static_cast<std::int64_t>(std::min(seconds, 1e6) * kUnitsPerSecond);
    if (grabFile_->CanSeek()) {
        if (!grabFile_->Seek(at)) return E_FAIL;
    } else if (at > 0) {
        return E_FAIL;   // a file that cannot be positioned has only its first picture
    }
    if (grabFile_->Read(frame) == ReadResult::Frame) return S_OK;
    // Asked past the last picture: show the last one there is.
    if (grabFile_->CanSeek() && grabFile_->Seek(std::max<std::int64_t>(0, s->duration - kUnitsPerSecond))) {
        DecodedFrame next;
        bool any = false;
        while (grabFile_->Read(next) == ReadResult::Frame) {
            frame = next;
            any = true;
        }
        if (any) return S_OK;
    }
    return E_FAIL;
}

HRESULT CMediaDet::GetBitmapBits(double streamTime, LONG* size, char* buffer, LONG width, LONG height)
{
    if (!size) return E_POINTER;
    if (width <= 0 || height <= 0 || width > kMaxBitmapSide || height > kMaxBitmapSide) return E_INVALIDARG;
    std::lock_guard lock(mutex_);
    const StreamInfo* s = Current();
    if (!s) return E_INVALIDARG;
    if (s->kind != StreamKind::Video) return VFW_E_INVALIDMEDIATYPE;
    std::size_t bits = PictureBytes(PixelLayout::RGB24, width, height);
    std::size_t need = sizeof(BITMAPINFOHEADER) + bits;
    if (!buffer) {
        *size = static_cast<LONG>(need);
        return S_OK;
    }
    if (*size < 0 || static_cast<std::size_t>(*size) < need) return E_INVALIDARG;
    DecodedFrame frame;
    HRESULT hr = GrabFrame(streamTime, frame);
    if (FAILED(hr)) return hr;
    BITMAPINFOHEADER header = Rgb24Header(width, height);
    std::memcpy(buffer, &header, sizeof header);
    auto* out = reinterpret_cast<std::uint8_t*>(buffer) + sizeof header;
    return converter_.Convert(frame, PixelLayout::RGB24, width, height, out, bits) ? S_OK : E_FAIL;
}

HRESULT CMediaDet::WriteBitmapBits(double streamTime, LONG width, LONG height, BSTR fileName)
{
    if (!fileName) return E_POINTER;
    LONG size = 0;
    HRESULT hr = GetBitmapBits(streamTime, &size, nullptr, width, height);
    if (FAILED(hr)) return hr;
    std::vector<char> dib(static_cast<std::size_t>(size));
    hr = GetBitmapBits(streamTime, &size, dib.data(), width, height);
    if (FAILED(hr)) return hr;
    BitmapFileHeader fh{};
    fh.bfType = 0x4D42;   // "BM"
    fh.bfSize = static_cast<DWORD>(sizeof fh + dib.size());
    fh.bfOffBits = sizeof fh + sizeof(BITMAPINFOHEADER);
    try {
        TFileStream out(WideToUtf8(fileName), fmCreate);
        out.WriteBuffer(&fh, sizeof fh);
        out.WriteBuffer(dib.data(), static_cast<std::int64_t>(dib.size()));
    } catch (const Exception&) {
        return E_FAIL;
    }
    return S_OK;
}

HRESULT CMediaDet::get_StreamMediaType(AM_MEDIA_TYPE* mt)
{
    if (!mt) return E_POINTER;
    std::lock_guard lock(mutex_);
    const StreamInfo* s = Current();
    if (!s) return E_INVALIDARG;
    std::vector<CMediaType> types = OfferedTypes(*s);
    if (types.empty()) return VFW_E_INVALIDMEDIATYPE;
    // Square pixels keep the plain video type; other pixels say what shape they make.
    if (s->kind == StreamKind::Video && s->sarNum != s->sarDen &&
        !AddPictureAspect(types.front(), s->aspectX, s->aspectY))
        return E_OUTOFMEMORY;
    // The caller frees the format block with FreeMediaType.
    return CopyMediaType(mt, &types.front());
}

HRESULT CMediaDet::GetSampleGrabber(ISampleGrabber** grabber)
{
    if (!grabber) return E_POINTER;
    *grabber = nullptr;
    return E_NOTIMPL;
}

HRESULT CMediaDet::get_FrameRate(double* rate)
{
    if (!rate) return E_POINTER;
    std::lock_guard lock(mutex_);
    const StreamInfo* s = Current();
    if (!s) return E_INVALIDARG;
    if (s->kind != StreamKind::Video) return VFW_E_INVALIDMEDIATYPE;
    *rate = s->FrameRate();
    return S_OK;
}

HRESULT CMediaDet::EnterBitmapGrabMode(double seekTime)
{
    std::lock_guard lock(mutex_);
    DecodedFrame frame;
    return GrabFrame(seekTime, frame);
}

} // namespace ffmpeg
