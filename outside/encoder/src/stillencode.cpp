#include "stillencode.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include <cstring>
#include <filesystem>
#include <memory>
#include <stdexcept>

namespace kvrencoder {
namespace {

struct Failure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

void Check(int rc, const char* what)
{
    if (rc < 0) throw Failure(what);
}

// A still is shown by the player holding its last picture; a short run of
// identical frames (one GOP) keeps every authoring tool content.
constexpr int kStillFrames = 8;

struct Output {
    AVFormatContext* fmt = nullptr;
    ~Output()
    {
        if (fmt) {
            if (fmt->pb) avio_closep(&fmt->pb);
            avformat_free_context(fmt);
        }
    }
};

void Encode(const std::uint8_t* rows, int width, int height, bool ntsc, const std::string& path)
{
    const AVRational rate = ntsc ? AVRational{30000, 1001} : AVRational{25, 1};
    Output out;
    Check(avformat_alloc_output_context2(&out.fmt, nullptr, "dvd", path.c_str()), "program stream");
    av_opt_set_int(out.fmt->priv_data, "packet_size", 2048, 0);
    av_opt_set_int(out.fmt->priv_data, "muxrate", 10080000 / 400 * 400, 0);

    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_MPEG2VIDEO);
    if (!codec) throw Failure("no MPEG-2 encoder");
    std::unique_ptr<AVCodecContext, void (*)(AVCodecContext*)> enc(
        avcodec_alloc_context3(codec), [](AVCodecContext* c) { avcodec_free_context(&c); });
    AVCodecContext* e = enc.get();
    e->width = width;
    e->height = height;
    e->pix_fmt = AV_PIX_FMT_YUV420P;
    e->time_base = av_inv_q(rate);
    e->framerate = rate;
    e->bit_rate = 6000000;
    e->rc_max_rate = 9000000;
    e->rc_buffer_size = 224 * 1024 * 8;
    e->gop_size = kStillFrames;
    e->max_b_frames = 0;
    e->sample_aspect_ratio = av_mul_q(AVRational{4, 3}, AVRational{height, width});
    if (out.fmt->oformat->flags & AVFMT_GLOBALHEADER) e->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    Check(avcodec_open2(e, codec, nullptr), "open encoder");

    AVStream* stream = avformat_new_stream(out.fmt, nullptr);
    if (!stream) throw Failure("stream");
    Check(avcodec_parameters_from_context(stream->codecpar, e), "stream");
    stream->time_base = e->time_base;
    Check(avio_open(&out.fmt->pb, path.c_str(), AVIO_FLAG_WRITE), "create file");
    Check(avformat_write_header(out.fmt, nullptr), "header");

    std::unique_ptr<AVFrame, void (*)(AVFrame*)> frame(av_frame_alloc(), [](AVFrame* f) { av_frame_free(&f); });
    frame->format = AV_PIX_FMT_YUV420P;
    frame->width = width;
    frame->height = height;
    Check(av_frame_get_buffer(frame.get(), 0), "picture");
    std::unique_ptr<SwsContext, void (*)(SwsContext*)> sws(
        sws_getContext(width, height, AV_PIX_FMT_BGR24, width, height, AV_PIX_FMT_YUV420P, SWS_BICUBIC,
                       nullptr, nullptr, nullptr),
        sws_freeContext);
    if (!sws) throw Failure("scaler");
    const std::uint8_t* src[4] = {rows, nullptr, nullptr, nullptr};
    int srcStride[4] = {width * 3, 0, 0, 0};
    sws_scale(sws.get(), src, srcStride, 0, height, frame->data, frame->linesize);

    // Each packet is held until the next one comes, so that the last can
    // carry the sequence end code that tells readers the last picture is whole.
    using Packet = std::unique_ptr<AVPacket, void (*)(AVPacket*)>;
    auto newPacket = [] {
        Packet p(av_packet_alloc(), [](AVPacket* q) { av_packet_free(&q); });
        if (!p) throw Failure("out of memory");
        return p;
    };
    Packet packet = newPacket(), held = newPacket();
    bool holding = false;
    auto write = [&](AVPacket* p) {
        av_packet_rescale_ts(p, e->time_base, stream->time_base);
        p->stream_index = stream->index;
        Check(av_interleaved_write_frame(out.fmt, p), "write");
    };
    auto drain = [&](AVFrame* f) {
        Check(avcodec_send_frame(e, f), "encode");
        for (;;) {
            int rc = avcodec_receive_packet(e, packet.get());
            if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF) return;
            Check(rc, "encode");
            if (holding) write(held.get());
            std::swap(packet, held);
            holding = true;
        }
    };
    for (int i = 0; i < kStillFrames; ++i) {
        frame->pts = i;
        drain(frame.get());
    }
    drain(nullptr);
    if (!holding) throw Failure("no picture");
    const int size = held->size;
    Check(av_grow_packet(held.get(), 4), "end code");
    static const std::uint8_t kSequenceEnd[4] = {0x00, 0x00, 0x01, 0xB7};
    std::memcpy(held->data + size, kSequenceEnd, sizeof kSequenceEnd);
    write(held.get());
    Check(av_write_trailer(out.fmt), "trailer");
    Check(avio_closep(&out.fmt->pb), "close file");
}

} // namespace

bool EncodeStill(const std::uint8_t* rows, int width, int height, bool ntsc, const std::string& path,
                 std::string* error)
{
    try {
        if (!rows || width <= 0 || height <= 0 || path.empty()) throw Failure("bad arguments");
        Encode(rows, width, height, ntsc, path);
        return true;
    } catch (const std::exception& e) {
        if (error) *error = e.what();
        std::error_code ec;
        std::filesystem::remove(path, ec);
        return false;
    }
}

} // namespace kvrencoder
