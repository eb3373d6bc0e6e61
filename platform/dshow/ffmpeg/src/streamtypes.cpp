#include "dshow_ffmpeg/streamtypes.h"

#include <algorithm>
#include <cstring>

namespace ffmpeg {

namespace {

constexpr PixelLayout kOfferOrder[] = {PixelLayout::YUY2, PixelLayout::YV12, PixelLayout::I420,
                                       PixelLayout::RGB24, PixelLayout::RGB32, PixelLayout::UYVY};
constexpr int kMaxPictureSide = 8192;

} // namespace
} // namespace ffmpeg

using namespace ffmpeg;

const GUID& SubtypeOf(PixelLayout layout)
{
    switch (layout) {
    case PixelLayout::RGB24: return MEDIASUBTYPE_RGB24;
    case PixelLayout::RGB32: return MEDIASUBTYPE_RGB32;
    case PixelLayout::YUY2: return MEDIASUBTYPE_YUY2;
    case PixelLayout::UYVY: return MEDIASUBTYPE_UYVY;
    case PixelLayout::YV12: return MEDIASUBTYPE_YV12;
    case PixelLayout::I420: return MEDIASUBTYPE_I420;
    }
    return GUID_NULL;
}

bool LayoutOfSubtype(const GUID& subtype, PixelLayout* layout)
{
    for (PixelLayout l : kOfferOrder)
        if (SubtypeOf(l) == subtype) {
            *layout = l;
            return true;
        }
    if (subtype == MEDIASUBTYPE_IYUV) {   // the same bytes as I420
        *layout = PixelLayout::I420;
        return true;
    }
    return false;
}

CMediaType VideoMediaType(PixelLayout layout, int width, int height, REFERENCE_TIME frameDuration)
{
    CMediaType mt(MEDIATYPE_Video);
    mt.SetSubtype(&SubtypeOf(layout));
    mt.SetFormatType(&FORMAT_VideoInfo);
    mt.SetTemporalCompression(false);
    std::size_t bytes = PictureBytes(layout, width, height);
    mt.SetSampleSize(static_cast<ULONG>(bytes));
    VIDEOINFOHEADER vih{};
    vih.rcSource = RECT{0, 0, width, height};
    vih.rcTarget = vih.rcSource;
    vih.AvgTimePerFrame = frameDuration;
    if (frameDuration > 0)
        vih.dwBitRate = static_cast<DWORD>(std::min<double>(4e9, bytes * 8.0 * UNITS / frameDuration));
    vih.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    vih.bmiHeader.biWidth = width;
    vih.bmiHeader.biHeight = height;   // RGB rows bottom-up, as every DIB with a positive height
    vih.bmiHeader.biPlanes = 1;
    vih.bmiHeader.biBitCount = static_cast<WORD>(BitsPerPixel(layout));
    vih.bmiHeader.biCompression =
        layout == PixelLayout::RGB24 || layout == PixelLayout::RGB32 ? BI_RGB : SubtypeOf(layout).Data1;
    vih.bmiHeader.biSizeImage = static_cast<DWORD>(bytes);
    mt.SetFormat(reinterpret_cast<const BYTE*>(&vih), sizeof vih);
    return mt;
}

bool ReadVideoShape(const AM_MEDIA_TYPE& mt, VideoShape* shape)
{
    if (mt.majortype != MEDIATYPE_Video) return false;
    PixelLayout layout;
    if (!LayoutOfSubtype(mt.subtype, &layout)) return false;
    const BITMAPINFOHEADER* bih = VideoBitmapHeader(mt);
    if (!bih) return false;
    int width = bih->biWidth;
    int height = bih->biHeight < 0 ? -bih->biHeight : bih->biHeight;
    // Top-down RGB (negative height) is not produced here.
    if ((layout == PixelLayout::RGB24 || layout == PixelLayout::RGB32) && bih->biHeight < 0) return false;
    if (width <= 0 || height <= 0 || width > kMaxPictureSide || height > kMaxPictureSide) return false;
    std::size_t bytes = PictureBytes(layout, width, height);
    if (bytes == 0) return false;
    *shape = VideoShape{layout, width, height, bytes};
    return true;
}

namespace ffmpeg {

CMediaType AudioMediaType(int sampleRate, int channels)
{
    CMediaType mt(MEDIATYPE_Audio);
    mt.SetSubtype(&MEDIASUBTYPE_PCM);
    mt.SetFormatType(&FORMAT_WaveFormatEx);
    mt.SetTemporalCompression(false);
    WAVEFORMATEX wfx{};
    wfx.wFormatTag = WAVE_FORMAT_PCM;
    wfx.nChannels = static_cast<WORD>(channels);
    wfx.nSamplesPerSec = static_cast<DWORD>(sampleRate);
    wfx.wBitsPerSample = 16;
    wfx.nBlockAlign = static_cast<WORD>(channels * 2);
    wfx.nAvgBytesPerSec = wfx.nSamplesPerSec * wfx.nBlockAlign;
    wfx.cbSize = 0;
    mt.SetSampleSize(wfx.nBlockAlign);
    mt.SetFormat(reinterpret_cast<const BYTE*>(&wfx), sizeof wfx);
    return mt;
}

std::vector<CMediaType> OfferedTypes(const StreamInfo& stream)
{
    std::vector<CMediaType> types;
    if (stream.kind == StreamKind::Video) {
        for (PixelLayout l : kOfferOrder)
            if (PictureBytes(l, stream.width, stream.height) > 0)
                types.push_back(VideoMediaType(l, stream.width, stream.height, stream.frameDuration));
    } else if (stream.kind == StreamKind::Audio) {
        int channels = std::clamp(stream.channels, 1, 2);
        types.push_back(AudioMediaType(stream.sampleRate, channels));
        for (int rate : {48000, 44100})
            if (rate != stream.sampleRate || channels != 2) types.push_back(AudioMediaType(rate, 2));
    }
    return types;
}

bool ReadAudioShape(const AM_MEDIA_TYPE& mt, AudioShape* shape)
{
    if (mt.majortype != MEDIATYPE_Audio) return false;
    const WAVEFORMATEX* wfx = WaveFormat(mt);
    if (!wfx) return false;
    bool pcm = wfx->wFormatTag == WAVE_FORMAT_PCM;
    if (wfx->wFormatTag == WAVE_FORMAT_EXTENSIBLE && mt.cbFormat >= sizeof(WAVEFORMATEXTENSIBLE)) {
        WAVEFORMATEXTENSIBLE ext;
        std::memcpy(&ext, mt.pbFormat, sizeof ext);
        pcm = ext.SubFormat == MEDIASUBTYPE_PCM;
    }
    if (!pcm || wfx->wBitsPerSample != 16 || wfx->nChannels < 1 || wfx->nChannels > 8 || wfx->nSamplesPerSec < 1000 ||
        wfx->nSamplesPerSec > 384000)
        return false;
    *shape = AudioShape{static_cast<int>(wfx->nSamplesPerSec), wfx->nChannels};
    return true;
}

} // namespace ffmpeg
