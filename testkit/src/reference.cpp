#include "testkit/reference.h"

#include "testkit/clips.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

#include <memory>
#include <vector>

namespace testkit {

ReferenceResult ReferenceDecodeToRgb24(const std::string& path)
{
    AVFormatContext* raw = nullptr;
    if (avformat_open_input(&raw, path.c_str(), nullptr, nullptr) < 0) throw ClipError("cannot open " + path);
    std::unique_ptr<AVFormatContext, void (*)(AVFormatContext*)> input(raw, [](AVFormatContext* f) {
        avformat_close_input(&f);
    });
    if (avformat_find_stream_info(raw, nullptr) < 0) throw ClipError("cannot probe " + path);
    const AVCodec* dec = nullptr;
    int index = av_find_best_stream(raw, AVMEDIA_TYPE_VIDEO, -1, -1, &dec, 0);
    if (index < 0 || !dec) throw ClipError("no video in " + path);
    std::unique_ptr<AVCodecContext, void (*)(AVCodecContext*)> codec(avcodec_alloc_context3(dec), [](AVCodecContext* c) {
        avcodec_free_context(&c);
    });
    if (!codec || avcodec_parameters_to_context(codec.get(), raw->streams[index]->codecpar) < 0)
        throw ClipError("decoder parameters");
    codec->thread_count = 0;   // as the engine does
    if (avcodec_open2(codec.get(), dec, nullptr) < 0) throw ClipError("cannot open decoder");
    for (unsigned i = 0; i < raw->nb_streams; ++i)
        raw->streams[i]->discard = static_cast<int>(i) == index ? AVDISCARD_DEFAULT : AVDISCARD_ALL;

    std::unique_ptr<AVPacket, void (*)(AVPacket*)> packet(av_packet_alloc(), [](AVPacket* p) { av_packet_free(&p); });
    std::unique_ptr<AVFrame, void (*)(AVFrame*)> frame(av_frame_alloc(), [](AVFrame* f) { av_frame_free(&f); });
    SwsContext* scaler = nullptr;
    std::vector<std::uint8_t> rgb;
    ReferenceResult result;

    auto take = [&]() {
        while (avcodec_receive_frame(codec.get(), frame.get()) == 0) {
            int w = frame->width, h = frame->height, row = (w * 3 + 3) & ~3;
            rgb.resize(static_cast<std::size_t>(row) * h);
            scaler = sws_getCachedContext(scaler, w, h, static_cast<AVPixelFormat>(frame->format), w, h,
                                          AV_PIX_FMT_BGR24, SWS_BICUBIC, nullptr, nullptr, nullptr);
            if (!scaler) throw ClipError("no scaler");
            std::uint8_t* dst[4] = {rgb.data() + static_cast<std::ptrdiff_t>(row) * (h - 1)};
            int stride[4] = {-row};
            sws_scale(scaler, frame->data, frame->linesize, 0, h, dst, stride);
            result.checksum += rgb[rgb.size() / 2];
            ++result.frames;
            av_frame_unref(frame.get());
        }
    };
    while (av_read_frame(raw, packet.get()) >= 0) {
        if (packet->stream_index == index) {
            avcodec_send_packet(codec.get(), packet.get());
            take();
        }
        av_packet_unref(packet.get());
    }
    avcodec_send_packet(codec.get(), nullptr);
    take();
    sws_freeContext(scaler);
    return result;
}

} // namespace testkit
