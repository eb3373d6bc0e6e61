#include "testkit/clips.h"

#include "avdeleters.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/imgutils.h>
#include <libavutil/log.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

namespace testkit {
namespace {

struct FormatCloser {
    void operator()(AVFormatContext* f) const
    {
        if (!f) return;
        if (f->pb && !(f->oformat->flags & AVFMT_NOFILE)) avio_closep(&f->pb);
        avformat_free_context(f);
    }
};

void Check(int err, const char* what)
{
    if (err >= 0) return;
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(err, text, sizeof text);
    throw ClipError(std::string(what) + ": " + text);
}

AVCodecID VideoId(VideoCodec c)
{
    switch (c) {
    case VideoCodec::Mpeg4: return AV_CODEC_ID_MPEG4;
    case VideoCodec::Mpeg1: return AV_CODEC_ID_MPEG1VIDEO;
    case VideoCodec::Mpeg2: return AV_CODEC_ID_MPEG2VIDEO;
    case VideoCodec::Wmv2: return AV_CODEC_ID_WMV2;
    case VideoCodec::Flv: return AV_CODEC_ID_FLV1;
    case VideoCodec::Rv10: return AV_CODEC_ID_RV10;
    case VideoCodec::None: break;
    }
    return AV_CODEC_ID_NONE;
}

AVCodecID AudioId(AudioCodec c)
{
    switch (c) {
    case AudioCodec::Mp2: return AV_CODEC_ID_MP2;
    case AudioCodec::Pcm: return AV_CODEC_ID_PCM_S16LE;
    case AudioCodec::Ac3: return AV_CODEC_ID_AC3;
    case AudioCodec::Mp3: return AV_CODEC_ID_MP3;
    case AudioCodec::None: break;
    }
    return AV_CODEC_ID_NONE;
}

// One encoder feeding one stream of the muxer.
struct Track {
    CodecPtr codec;
    AVStream* stream = nullptr;
};

void Drain(AVFormatContext* fmt, Track& t, AVFrame* frame)
{
    Check(avcodec_send_frame(t.codec.get(), frame), "encode");
    PacketPtr pkt(av_packet_alloc());
    if (!pkt) throw ClipError("out of memory");
    for (;;) {
        int err = avcodec_receive_packet(t.codec.get(), pkt.get());
        if (err == AVERROR(EAGAIN) || err == AVERROR_EOF) return;
        Check(err, "encode");
        av_packet_rescale_ts(pkt.get(), t.codec->time_base, t.stream->time_base);
        pkt->stream_index = t.stream->index;
        Check(av_interleaved_write_frame(fmt, pkt.get()), "write packet");
    }
}

void CheckSpec(const ClipSpec& s)
{
    if (!(s.seconds > 0.0) || s.seconds > kMaxClipSeconds) throw ClipError("clip length out of bounds");
    if (s.video == VideoCodec::None && s.audio == AudioCodec::None) throw ClipError("clip without streams");
    if (s.video != VideoCodec::None) {
        if (s.width < 16 || s.height < 16 || s.width > kMaxWidth || s.height > kMaxHeight || s.width % 2 ||
            s.height % 2)
            throw ClipError("picture size out of bounds");
        if (s.fpsNum <= 0 || s.fpsDen <= 0 || s.fpsNum / s.fpsDen > 60) throw ClipError("frame rate out of bounds");
        if (s.sarNum <= 0 || s.sarDen <= 0) throw ClipError("bad pixel aspect");
    }
    if (s.audio != AudioCodec::None) {
        if (s.sampleRate < 8000 || s.sampleRate > 96000) throw ClipError("sample rate out of bounds");
        if (s.channels < 1 || s.channels > 2) throw ClipError("channel count out of bounds");
    }
}

} // namespace

void WriteClip(const std::string& path, const ClipSpec& spec)
{
    CheckSpec(spec);
    // The muxers' advice on disc compliance is noise for a test fixture.
    if (av_log_get_level() > AV_LOG_ERROR) av_log_set_level(AV_LOG_ERROR);
    AVFormatContext* raw = nullptr;
    Check(avformat_alloc_output_context2(&raw, nullptr, spec.container.empty() ? nullptr : spec.container.c_str(),
                                         path.c_str()),
          "output format");
    std::unique_ptr<AVFormatContext, FormatCloser> fmt(raw);

    Track video, audio;
    if (spec.video != VideoCodec::None) {
        const AVCodec* enc = avcodec_find_encoder(VideoId(spec.video));
        if (!enc) throw ClipError("no video encoder");
        video.codec.reset(avcodec_alloc_context3(enc));
        video.stream = avformat_new_stream(fmt.get(), nullptr);
        if (!video.codec || !video.stream) throw ClipError("out of memory");
        AVCodecContext* c = video.codec.get();
        c->width = spec.width;
        c->height = spec.height;
        c->time_base = AVRational{spec.fpsDen, spec.fpsNum};
        c->framerate = AVRational{spec.fpsNum, spec.fpsDen};
        c->sample_aspect_ratio = AVRational{spec.sarNum, spec.sarDen};
        c->pix_fmt = AV_PIX_FMT_YUV420P;
        c->gop_size = spec.gop;
        c->max_b_frames = spec.video == VideoCodec::Mpeg2 || spec.video == VideoCodec::Mpeg1 ? 2 : 0;
        c->bit_rate = static_cast<int64_t>(spec.width) * spec.height * 8;   // high: the bars stay crisp
        c->qmin = 2;
        c->qmax = 6;
        if (spec.grain) {   // as a person's file: its rate bounded, the grain kept only in part
            c->bit_rate = 8000000;
            c->rc_max_rate = 12000000;
            c->rc_buffer_size = 12000000;
            c->qmax = 31;
        }
        if (fmt->oformat->flags & AVFMT_GLOBALHEADER) c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        Check(avcodec_open2(c, enc, nullptr), "open video encoder");
        Check(avcodec_parameters_from_context(video.stream->codecpar, c), "video parameters");
        video.stream->time_base = c->time_base;
        video.stream->sample_aspect_ratio = c->sample_aspect_ratio;
        video.stream->avg_frame_rate = c->framerate;
    }
    if (spec.audio != AudioCodec::None) {
        const AVCodec* enc = avcodec_find_encoder(AudioId(spec.audio));
        if (!enc) throw ClipError("no audio encoder");
        audio.codec.reset(avcodec_alloc_context3(enc));
        audio.stream = avformat_new_stream(fmt.get(), nullptr);
        if (!audio.codec || !audio.stream) throw ClipError("out of memory");
        AVCodecContext* c = audio.codec.get();
        c->sample_rate = spec.sampleRate;
        av_channel_layout_default(&c->ch_layout, spec.channels);
        c->sample_fmt = AV_SAMPLE_FMT_S16;
        if (spec.audio == AudioCodec::Ac3) c->sample_fmt = AV_SAMPLE_FMT_FLTP;
        if (spec.audio == AudioCodec::Mp3) c->sample_fmt = AV_SAMPLE_FMT_S16P;
        c->bit_rate = spec.audio == AudioCodec::Pcm ? 0 : 192000;
        c->time_base = AVRational{1, spec.sampleRate};
        if (fmt->oformat->flags & AVFMT_GLOBALHEADER) c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        Check(avcodec_open2(c, enc, nullptr), "open audio encoder");
        Check(avcodec_parameters_from_context(audio.stream->codecpar, c), "audio parameters");
        audio.stream->time_base = c->time_base;
    }

    if (!(fmt->oformat->flags & AVFMT_NOFILE)) Check(avio_open(&fmt->pb, path.c_str(), AVIO_FLAG_WRITE), "create file");
    Check(avformat_write_header(fmt.get(), nullptr), "write header");

    // Video frames and audio blocks are interleaved by time so the muxer never has to buffer much.
    const int64_t frameCount =
        video.codec ? static_cast<int64_t>(std::floor(spec.seconds * spec.fpsNum / spec.fpsDen + 1e-9)) : 0;
    const int64_t sampleCount = audio.codec ? static_cast<int64_t>(spec.seconds * spec.sampleRate) : 0;
    const int blockSamples = audio.codec && audio.codec->frame_size > 0 ? audio.codec->frame_size : 1024;

    FramePtr picture, yuv, sound;
    ScalePtr scaler;
    std::vector<uint8_t> rgb;
    if (video.codec) {
        AVCodecContext* c = video.codec.get();
        yuv.reset(av_frame_alloc());
        if (!yuv) throw ClipError("out of memory");
        yuv->format = c->pix_fmt;
        yuv->width = c->width;
        yuv->height = c->height;
        Check(av_frame_get_buffer(yuv.get(), 0), "frame buffer");
        rgb.resize(static_cast<size_t>(c->width) * c->height * 3);
        scaler.reset(sws_getContext(c->width, c->height, AV_PIX_FMT_RGB24, c->width, c->height, c->pix_fmt,
                                    SWS_BICUBIC, nullptr, nullptr, nullptr));
        if (!scaler) throw ClipError("no scaler");
    }
    if (audio.codec) {
        AVCodecContext* c = audio.codec.get();
        sound.reset(av_frame_alloc());
        if (!sound) throw ClipError("out of memory");
        sound->format = c->sample_fmt;
        sound->nb_samples = blockSamples;
        sound->sample_rate = c->sample_rate;
        Check(av_channel_layout_copy(&sound->ch_layout, &c->ch_layout), "channel layout");
        Check(av_frame_get_buffer(sound.get(), 0), "audio buffer");
    }

    int64_t nextFrame = 0, nextSample = 0;
    while (nextFrame < frameCount || nextSample < sampleCount) {
        double videoTime = nextFrame < frameCount ? static_cast<double>(nextFrame) * spec.fpsDen / spec.fpsNum : 1e30;
        double audioTime = nextSample < sampleCount ? static_cast<double>(nextSample) / spec.sampleRate : 1e30;
        if (videoTime <= audioTime) {
            AVCodecContext* c = video.codec.get();
            if (spec.grain)
                DrawGrainFrame(static_cast<int>(nextFrame), c->width, c->height, rgb.data(), c->width * 3);
            else
                DrawFrame(static_cast<int>(nextFrame), c->width, c->height, rgb.data(), c->width * 3);
            Check(av_frame_make_writable(yuv.get()), "frame buffer");
            const uint8_t* src[1] = {rgb.data()};
            int srcStride[1] = {c->width * 3};
            sws_scale(scaler.get(), src, srcStride, 0, c->height, yuv->data, yuv->linesize);
            yuv->pts = nextFrame;
            Drain(fmt.get(), video, yuv.get());
            ++nextFrame;
        } else {
            AVCodecContext* c = audio.codec.get();
            Check(av_frame_make_writable(sound.get()), "audio buffer");
            int n = static_cast<int>(std::min<int64_t>(blockSamples, sampleCount - nextSample));
            // Fixed-size encoders want whole blocks: the tail is padded with silence.
            int channels = c->ch_layout.nb_channels;
            for (int i = 0; i < blockSamples; ++i) {
                for (int ch = 0; ch < channels; ++ch) {
                    int16_t s = i < n ? SineSample(ch, nextSample + i, c->sample_rate) : 0;
                    switch (c->sample_fmt) {
                    case AV_SAMPLE_FMT_S16: reinterpret_cast<int16_t*>(sound->data[0])[i * channels + ch] = s; break;
                    case AV_SAMPLE_FMT_S16P: reinterpret_cast<int16_t*>(sound->data[ch])[i] = s; break;
                    case AV_SAMPLE_FMT_FLTP: reinterpret_cast<float*>(sound->data[ch])[i] = s / 32768.0f; break;
                    default: throw ClipError("unexpected sample format");
                    }
                }
            }
            if (audio.codec->frame_size == 0) sound->nb_samples = n;
            sound->pts = nextSample;
            Drain(fmt.get(), audio, sound.get());
            nextSample += n;
        }
    }
    if (video.codec) Drain(fmt.get(), video, nullptr);
    if (audio.codec) Drain(fmt.get(), audio, nullptr);
    Check(av_write_trailer(fmt.get()), "write trailer");
}

namespace {

std::string InFolder(const std::string& folder, const char* name)
{
    return (std::filesystem::path(folder) / name).string();
}

} // namespace

std::string MakeStandardClip(const std::string& folder)
{
    std::string path = InFolder(folder, "standard.avi");
    WriteClip(path, ClipSpec{});
    return path;
}

std::string MakeNtscClip(const std::string& folder)
{
    ClipSpec s;
    s.width = 352;
    s.height = 240;
    s.fpsNum = 30000;
    s.fpsDen = 1001;
    s.seconds = 3.0;
    s.video = VideoCodec::Mpeg2;
    s.sampleRate = 48000;
    s.gop = 15;
    s.container = "mpeg";
    std::string path = InFolder(folder, "ntsc.mpg");
    WriteClip(path, s);
    return path;
}

std::string MakeVideoOnlyClip(const std::string& folder)
{
    ClipSpec s;
    s.seconds = 2.0;
    s.audio = AudioCodec::None;
    std::string path = InFolder(folder, "videoonly.avi");
    WriteClip(path, s);
    return path;
}

std::string MakeAudioOnlyFile(const std::string& folder)
{
    ClipSpec s;
    s.seconds = 3.0;
    s.video = VideoCodec::None;
    s.audio = AudioCodec::Pcm;
    std::string path = InFolder(folder, "audioonly.wav");
    WriteClip(path, s);
    return path;
}

std::string MakeWideClip(const std::string& folder)
{
    ClipSpec s;
    s.width = 720;
    s.height = 576;
    s.sarNum = 64;   // 720x576 shown at 16:9
    s.sarDen = 45;
    s.seconds = 2.0;
    s.video = VideoCodec::Mpeg2;
    s.sampleRate = 48000;
    s.container = "mpeg";
    std::string path = InFolder(folder, "wide.mpg");
    WriteClip(path, s);
    return path;
}

std::string MakeTruncatedClip(const std::string& folder)
{
    std::string full = InFolder(folder, "truncated-source.avi");
    WriteClip(full, ClipSpec{});
    std::string path = InFolder(folder, "truncated.avi");
    std::filesystem::copy_file(full, path, std::filesystem::copy_options::overwrite_existing);
    std::filesystem::resize_file(path, std::filesystem::file_size(full) * 2 / 5);
    std::filesystem::remove(full);
    return path;
}

std::string MakeNotMediaFile(const std::string& folder)
{
    std::string path = InFolder(folder, "notmedia.avi");
    std::ofstream out(path, std::ios::binary);
    for (int i = 0; i < 200; ++i) out << "This is a plain text file, line " << i << ", and not a movie.\n";
    if (!out) throw ClipError("cannot write " + path);
    return path;
}

std::string MakeBenchClip(const std::string& folder, double seconds)
{
    ClipSpec s;
    s.width = 720;
    s.height = 576;
    s.seconds = seconds;
    s.sarNum = 16;   // shown at 4:3, as PAL pictures are
    s.sarDen = 15;
    s.video = VideoCodec::Mpeg2;
    s.sampleRate = 48000;
    s.container = "mpeg";
    std::string path = InFolder(folder, "bench720x576.mpg");
    WriteClip(path, s);
    return path;
}

std::string MakeGrainBenchClip(const std::string& folder, double seconds)
{
    ClipSpec s;
    s.width = 720;
    s.height = 576;
    s.seconds = seconds;
    s.video = VideoCodec::Mpeg4;
    s.sampleRate = 48000;
    s.sarNum = 16;   // shown at 4:3
    s.sarDen = 15;
    s.gop = 250;   // as camcorder and web files come: a key picture every ten seconds
    s.grain = true;
    std::string path = InFolder(folder, "grain720x576.avi");
    WriteClip(path, s);
    return path;
}

} // namespace testkit
