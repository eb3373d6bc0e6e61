#pragma once
// FFmpeg handles held by RAII, shared by the engine's sources.
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/frame.h>
}

#include "dshow_ffmpeg/mediafile.h"

#include <memory>
#include <string>

namespace ffmpeg {

struct FrameFree {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct PacketFree {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct CodecFree {
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct InputClose {
    void operator()(AVFormatContext* f) const { avformat_close_input(&f); }
};
using FramePtr = std::unique_ptr<AVFrame, FrameFree>;
using PacketPtr = std::unique_ptr<AVPacket, PacketFree>;
using CodecPtr = std::unique_ptr<AVCodecContext, CodecFree>;
using InputPtr = std::unique_ptr<AVFormatContext, InputClose>;

struct DecodedFrame::Payload {
    FramePtr frame;
    int skipSamples = 0;   // audio before the asked position, to be left out
};

std::string AvErrorText(int err);

} // namespace ffmpeg
