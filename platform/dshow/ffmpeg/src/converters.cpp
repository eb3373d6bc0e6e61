#include "dshow_ffmpeg/converters.h"

#include "avinternal.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/imgutils.h>
#include <libavutil/pixdesc.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <limits>

namespace ffmpeg {

namespace {

AVPixelFormat AvFormat(PixelLayout layout)
{
    switch (layout) {
    case PixelLayout::RGB24: return AV_PIX_FMT_BGR24;
    case PixelLayout::RGB32: return AV_PIX_FMT_BGRA;
    case PixelLayout::YUY2: return AV_PIX_FMT_YUYV422;
    case PixelLayout::UYVY: return AV_PIX_FMT_UYVY422;
    case PixelLayout::YV12:
    case PixelLayout::I420: return AV_PIX_FMT_YUV420P;
    }
    return AV_PIX_FMT_NONE;
}

bool IsRgb(PixelLayout layout) { return layout == PixelLayout::RGB24 || layout == PixelLayout::RGB32; }
bool IsPlanar(PixelLayout layout) { return layout == PixelLayout::YV12 || layout == PixelLayout::I420; }

// Plane pointers and strides of a picture held in one buffer in a layout. RGB
// pictures are bottom-up: the first row in memory is the bottom one, so the
// pointer starts at the last row and the stride is negative.
bool PlanesOf(PixelLayout layout, int width, int height, std::uint8_t* base, std::uint8_t* planes[4], int strides[4])
{
    std::fill(planes, planes + 4, nullptr);
    std::fill(strides, strides + 4, 0);
    int row = RowBytes(layout, width);
    if (row <= 0 || height <= 0) return false;
    if (IsRgb(layout)) {
        planes[0] = base + static_cast<std::ptrdiff_t>(row) * (height - 1);
        strides[0] = -row;
        return true;
    }
    planes[0] = base;
    strides[0] = row;
    if (!IsPlanar(layout)) return true;
    std::uint8_t* second = base + static_cast<std::ptrdiff_t>(row) * height;
    int chromaRow = (width + 1) / 2;
    std::uint8_t* third = second + static_cast<std::ptrdiff_t>(chromaRow) * ((height + 1) / 2);
    // I420 stores U before V, YV12 V before U.
    planes[1] = layout == PixelLayout::I420 ? second : third;
    planes[2] = layout == PixelLayout::I420 ? third : second;
    strides[1] = strides[2] = chromaRow;
    return true;
}

// Bicubic where the picture is scaled or its chroma is filtered down. A YUV
// picture kept at its size into a layout with as much chroma or more only needs
// its chroma samples repeated: point sampling does that at a fraction of the
// cost and leaves the luma exactly as it was.
int ScaleFlags(AVPixelFormat from, int fromWidth, int fromHeight, PixelLayout to, int toWidth, int toHeight)
{
    if (IsRgb(to) || fromWidth != toWidth || fromHeight != toHeight) return SWS_BICUBIC;
    const AVPixFmtDescriptor* in = av_pix_fmt_desc_get(from);
    const AVPixFmtDescriptor* out = av_pix_fmt_desc_get(AvFormat(to));
    if (!in || !out || (in->flags & AV_PIX_FMT_FLAG_RGB) || in->nb_components < 3) return SWS_BICUBIC;
    if (in->log2_chroma_w < out->log2_chroma_w || in->log2_chroma_h < out->log2_chroma_h) return SWS_BICUBIC;
    return SWS_POINT;
}

} // namespace
} // namespace ffmpeg

using namespace ffmpeg;

int BitsPerPixel(PixelLayout layout)
{
    switch (layout) {
    case PixelLayout::RGB24: return 24;
    case PixelLayout::RGB32: return 32;
    case PixelLayout::YUY2:
    case PixelLayout::UYVY: return 16;
    case PixelLayout::YV12:
    case PixelLayout::I420: return 12;
    }
    return 0;
}

int RowBytes(PixelLayout layout, int width)
{
    if (width <= 0 || width > 1 << 16) return 0;
    switch (layout) {
    case PixelLayout::RGB24: return (width * 3 + 3) & ~3;
    case PixelLayout::RGB32: return width * 4;
    case PixelLayout::YUY2:
    case PixelLayout::UYVY: return ((width + 1) / 2) * 4;
    case PixelLayout::YV12:
    case PixelLayout::I420: return width;
    }
    return 0;
}

std::size_t PictureBytes(PixelLayout layout, int width, int height)
{
    int row = RowBytes(layout, width);
    if (row <= 0 || height <= 0 || height > 1 << 16) return 0;
    std::size_t bytes = static_cast<std::size_t>(row) * height;
    if (IsPlanar(layout)) bytes += 2 * static_cast<std::size_t>((width + 1) / 2) * ((height + 1) / 2);
    return bytes;
}

// ---------------------------------------------------------------------------

struct PictureConverter::State {
    SwsContext* scaler = nullptr;
    ~State() { sws_freeContext(scaler); }
};

PictureConverter::PictureConverter() : state_(std::make_unique<State>()) {}
PictureConverter::~PictureConverter() = default;

bool PictureConverter::Convert(const std::uint8_t* in, std::size_t inSize, PixelLayout inLayout, int inWidth,
                               int inHeight, PixelLayout layout, int width, int height, std::uint8_t* out,
                               std::size_t outSize)
{
    std::size_t have = PictureBytes(inLayout, inWidth, inHeight);
    std::size_t need = PictureBytes(layout, width, height);
    if (!in || !out || have == 0 || need == 0 || inSize < have || outSize < need) return false;
    std::uint8_t* srcPlanes[4];
    int srcStrides[4];
    std::uint8_t* dstPlanes[4];
    int dstStrides[4];
    if (!PlanesOf(inLayout, inWidth, inHeight, const_cast<std::uint8_t*>(in), srcPlanes, srcStrides) ||
        !PlanesOf(layout, width, height, out, dstPlanes, dstStrides))
        return false;
    state_->scaler = sws_getCachedContext(state_->scaler, inWidth, inHeight, AvFormat(inLayout), width, height,
                                          AvFormat(layout),
                                          ScaleFlags(AvFormat(inLayout), inWidth, inHeight, layout, width, height),
                                          nullptr, nullptr, nullptr);
    if (!state_->scaler) return false;
    const std::uint8_t* const* src = srcPlanes;
    return sws_scale(state_->scaler, src, srcStrides, 0, inHeight, dstPlanes, dstStrides) > 0;
}

// ---------------------------------------------------------------------------

namespace ffmpeg {

struct VideoConverter::State {
    SwsContext* scaler = nullptr;
    ~State() { sws_freeContext(scaler); }
};

VideoConverter::VideoConverter() : state_(std::make_unique<State>()) {}
VideoConverter::~VideoConverter() = default;

bool VideoConverter::Convert(const DecodedFrame& frame, PixelLayout layout, int width, int height, std::uint8_t* out,
                             std::size_t outSize)
{
    if (frame.kind != StreamKind::Video || !frame.payload || !frame.payload->frame || !out) return false;
    const AVFrame* f = frame.payload->frame.get();
    std::size_t need = PictureBytes(layout, width, height);
    if (need == 0 || outSize < need || f->width <= 0 || f->height <= 0) return false;
    std::uint8_t* planes[4];
    int strides[4];
    if (!PlanesOf(layout, width, height, out, planes, strides)) return false;
    AVPixelFormat from = static_cast<AVPixelFormat>(f->format);
    state_->scaler = sws_getCachedContext(state_->scaler, f->width, f->height, from, width, height, AvFormat(layout),
                                          ScaleFlags(from, f->width, f->height, layout, width, height), nullptr,
                                          nullptr, nullptr);
    if (!state_->scaler) return false;
    return sws_scale(state_->scaler, f->data, f->linesize, 0, f->height, planes, strides) > 0;
}

// ---------------------------------------------------------------------------

struct AudioConverter::State {
    SwrContext* resampler = nullptr;
    int inRate = 0, inFormat = -1, outRate = 0, outChannels = 0;
    AVChannelLayout inLayout{};
    ~State()
    {
        swr_free(&resampler);
        av_channel_layout_uninit(&inLayout);
    }
};

AudioConverter::AudioConverter() : state_(std::make_unique<State>()) {}
AudioConverter::~AudioConverter() = default;

void AudioConverter::Reset() { swr_free(&state_->resampler); }

bool AudioConverter::Convert(const DecodedFrame& frame, int sampleRate, int channels, std::vector<std::int16_t>& out)
{
    if (frame.kind != StreamKind::Audio || !frame.payload || !frame.payload->frame) return false;
    if (sampleRate <= 0 || channels < 1 || channels > 8) return false;
    const AVFrame* f = frame.payload->frame.get();
    State& s = *state_;
    if (!s.resampler || s.inRate != f->sample_rate || s.inFormat != f->format || s.outRate != sampleRate ||
        s.outChannels != channels || av_channel_layout_compare(&s.inLayout, const_cast<AVChannelLayout*>(&f->ch_layout)) != 0) {
        swr_free(&s.resampler);
        AVChannelLayout outLayout;
        av_channel_layout_default(&outLayout, channels);
        int err = swr_alloc_set_opts2(&s.resampler, &outLayout, AV_SAMPLE_FMT_S16, sampleRate, const_cast<AVChannelLayout*>(&f->ch_layout),
                                      static_cast<AVSampleFormat>(f->format), f->sample_rate, 0, nullptr);
        av_channel_layout_uninit(&outLayout);
        if (err < 0 || swr_init(s.resampler) < 0) {
            swr_free(&s.resampler);
            return false;
        }
        s.inRate = f->sample_rate;
        s.inFormat = f->format;
        s.outRate = sampleRate;
        s.outChannels = channels;
        av_channel_layout_uninit(&s.inLayout);
        av_channel_layout_copy(&s.inLayout, &f->ch_layout);
    }
    int skip = std::clamp(frame.payload->skipSamples, 0, f->nb_samples);
    int inSamples = f->nb_samples - skip;
    // Point past the samples before the asked position.
    int bytes = av_get_bytes_per_sample(static_cast<AVSampleFormat>(f->format));
    bool planar = av_sample_fmt_is_planar(static_cast<AVSampleFormat>(f->format));
    int planes = planar ? f->ch_layout.nb_channels : 1;
    if (!f->extended_data) return false;
    std::ptrdiff_t offset = static_cast<std::ptrdiff_t>(skip) * bytes * (planar ? 1 : f->ch_layout.nb_channels);
    std::vector<const std::uint8_t*> inPlanes(planes);
    for (int p = 0; p < planes; ++p) inPlanes[p] = f->extended_data[p] + offset;

    int room = swr_get_out_samples(s.resampler, inSamples);
    if (room < 0) return false;
    std::size_t old = out.size();
    out.resize(old + static_cast<std::size_t>(room) * channels);
    std::uint8_t* dst = reinterpret_cast<std::uint8_t*>(out.data() + old);
    int got = swr_convert(s.resampler, &dst, room, inPlanes.data(), inSamples);
    if (got < 0) {
        out.resize(old);
        return false;
    }
    out.resize(old + static_cast<std::size_t>(got) * channels);
    return true;
}

} // namespace ffmpeg
