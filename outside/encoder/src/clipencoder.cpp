#include "clipencoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <chrono>
#include <cstring>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <stdexcept>

namespace kvrencoder {
namespace {

struct Failure : std::runtime_error {
    using std::runtime_error::runtime_error;
};
struct Stopped {};

struct FormatCloser {
    void operator()(AVFormatContext* c) const { avformat_close_input(&c); }
};
struct CodecFree {
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct FrameFree {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct PacketFree {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct SwsFree {
    void operator()(SwsContext* s) const { sws_freeContext(s); }
};
struct SwrFree {
    void operator()(SwrContext* s) const { swr_free(&s); }
};
struct FifoFree {
    void operator()(AVAudioFifo* f) const { av_audio_fifo_free(f); }
};
struct FileClose {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FormatPtr = std::unique_ptr<AVFormatContext, FormatCloser>;
using CodecPtr = std::unique_ptr<AVCodecContext, CodecFree>;
using FramePtr = std::unique_ptr<AVFrame, FrameFree>;
using PacketPtr = std::unique_ptr<AVPacket, PacketFree>;
using FilePtr = std::unique_ptr<std::FILE, FileClose>;

void Check(int rc, const char* what)
{
    if (rc < 0) {
        char text[AV_ERROR_MAX_STRING_SIZE] = {};
        av_strerror(rc, text, sizeof text);
        throw Failure(std::string(what) + ": " + text);
    }
}

FramePtr NewFrame()
{
    FramePtr f(av_frame_alloc());
    if (!f) throw Failure("out of memory");
    return f;
}

// An elementary stream file: the encoder's packets one after another.
class StreamWriter {
public:
    explicit StreamWriter(const std::string& path) : file_(std::fopen(path.c_str(), "wb"))
    {
        if (!file_) throw Failure("cannot create " + path);
    }
    void Write(const AVPacket& packet)
    {
        if (std::fwrite(packet.data, 1, packet.size, file_.get()) != static_cast<std::size_t>(packet.size))
            throw Failure("write failed");
    }
    void Close()
    {
        if (std::fclose(file_.release()) != 0) throw Failure("write failed");
    }

private:
    FilePtr file_;
};

void Drain(AVCodecContext* encoder, AVFrame* frame, StreamWriter& out)
{
    Check(avcodec_send_frame(encoder, frame), "encode");
    PacketPtr packet(av_packet_alloc());
    for (;;) {
        int rc = avcodec_receive_packet(encoder, packet.get());
        if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF) return;
        Check(rc, "encode");
        out.Write(*packet);
        av_packet_unref(packet.get());
    }
}

// The video half: letter-boxed picture at the disc's size and frame rate.
class VideoPath {
public:
    VideoPath(const ClipJob& job, AVStream* in)
        : job_(job), rate_(job.ntsc ? AVRational{30000, 1001} : AVRational{25, 1}), out_(job.videoOutput)
    {
        const AVCodec* codec = avcodec_find_encoder(job.mpegVersion == 1 ? AV_CODEC_ID_MPEG1VIDEO
                                                                         : AV_CODEC_ID_MPEG2VIDEO);
        if (!codec) throw Failure("no MPEG video encoder");
        enc_.reset(avcodec_alloc_context3(codec));
        AVCodecContext* e = enc_.get();
        e->width = job.width;
        e->height = job.height;
        e->pix_fmt = AV_PIX_FMT_YUV420P;
        e->time_base = av_inv_q(rate_);
        e->framerate = rate_;
        e->bit_rate = job.videoBitRate;
        e->gop_size = job.ntsc ? 18 : 15;
        e->max_b_frames = 2;
        e->thread_count = 0;
        // Rate ceilings and decoder buffers of the three disc kinds.
        if (job.mpegVersion == 1) {           // VCD: constant rate
            e->rc_min_rate = e->rc_max_rate = job.videoBitRate;
            e->rc_buffer_size = 40 * 1024 * 8;
        } else if (job.width == 480) {        // SVCD
            e->rc_max_rate = 2516000;
            e->rc_buffer_size = 112 * 1024 * 8;
        } else {                              // DVD
            e->rc_max_rate = 9000000;
            e->rc_buffer_size = 224 * 1024 * 8;
        }
        e->rc_initial_buffer_occupancy = e->rc_buffer_size * 3 / 4;
        // The display shape is stated explicitly: players and dvdauthor know 4:3 and 16:9 only.
        AVRational dar = job.wide ? AVRational{16, 9} : AVRational{4, 3};
        e->sample_aspect_ratio = av_mul_q(dar, AVRational{job.height, job.width});
        if (job.mpegVersion == 2) av_opt_set_int(e->priv_data, "scan_offset", 0, 0);
        Check(avcodec_open2(e, codec, nullptr), "open video encoder");

        picture_ = NewFrame();
        picture_->format = AV_PIX_FMT_YUV420P;
        picture_->width = job.width;
        picture_->height = job.height;
        Check(av_frame_get_buffer(picture_.get(), 0), "picture");
        BlackPicture();
        inner_w_ = std::max(2, job.width - job.marginLeft - job.marginRight) & ~1;
        inner_h_ = std::max(2, job.height - job.marginTop - job.marginBottom) & ~1;
        left_ = std::clamp(job.marginLeft & ~1, 0, job.width - inner_w_);
        top_ = std::clamp(job.marginTop & ~1, 0, job.height - inner_h_);
        (void)in;
    }

    // One decoded picture at `seconds` into the clip: repeated or dropped to the output rate.
    void Take(AVFrame* frame, double seconds)
    {
        Place(frame);
        have_ = true;
        std::int64_t target = std::llround(seconds * av_q2d(rate_));
        if (target < next_) return;   // the output is ahead: drop this picture
        while (next_ <= target) Emit();
    }
    // Pads to the clip's length with the last picture, then flushes.
    void Finish(double seconds)
    {
        std::int64_t total = std::llround(seconds * av_q2d(rate_));
        if (!have_) total = std::max<std::int64_t>(total, 1);
        while (next_ < total) Emit();
        Drain(enc_.get(), nullptr, out_);
        out_.Close();
    }
    double Seconds() const { return next_ / av_q2d(rate_); }
    std::int64_t Frames() const { return next_; }

private:
    void BlackPicture()
    {
        for (int p = 0; p < 3; ++p) {
            int h = p ? job_.height / 2 : job_.height;
            int w = p ? job_.width / 2 : job_.width;
            for (int y = 0; y < h; ++y)
                std::memset(picture_->data[p] + y * picture_->linesize[p], p ? 128 : 16, w);
        }
    }
    void Place(AVFrame* frame)
    {
        sws_.reset(sws_getCachedContext(sws_.release(), frame->width, frame->height,
                                        static_cast<AVPixelFormat>(frame->format), inner_w_, inner_h_,
                                        AV_PIX_FMT_YUV420P, SWS_BICUBIC, nullptr, nullptr, nullptr));
        if (!sws_) throw Failure("cannot scale the picture");
        Check(av_frame_make_writable(picture_.get()), "picture");
        std::uint8_t* dst[4] = {
            picture_->data[0] + top_ * picture_->linesize[0] + left_,
            picture_->data[1] + top_ / 2 * picture_->linesize[1] + left_ / 2,
            picture_->data[2] + top_ / 2 * picture_->linesize[2] + left_ / 2, nullptr};
        int lines[4] = {picture_->linesize[0], picture_->linesize[1], picture_->linesize[2], 0};
        sws_scale(sws_.get(), frame->data, frame->linesize, 0, frame->height, dst, lines);
    }
    void Emit()
    {
        picture_->pts = next_++;
        Drain(enc_.get(), picture_.get(), out_);
    }

    const ClipJob& job_;
    AVRational rate_;
    StreamWriter out_;
    CodecPtr enc_;
    FramePtr picture_;
    std::unique_ptr<SwsContext, SwsFree> sws_;
    int inner_w_ = 0, inner_h_ = 0, left_ = 0, top_ = 0;
    std::int64_t next_ = 0;
    bool have_ = false;
};

// The audio half: stereo at the disc's rate, in encoder-sized frames.
class AudioPath {
public:
    explicit AudioPath(const ClipJob& job) : out_(job.audioOutput)
    {
        const AVCodec* codec = avcodec_find_encoder(job.ac3 ? AV_CODEC_ID_AC3 : AV_CODEC_ID_MP2);
        if (!codec) throw Failure("no audio encoder");
        enc_.reset(avcodec_alloc_context3(codec));
        AVCodecContext* e = enc_.get();
        e->sample_rate = job.sampleRate;
        e->bit_rate = static_cast<std::int64_t>(job.audioBitRateKbps) * 1000;
        av_channel_layout_default(&e->ch_layout, 2);
        e->sample_fmt = job.ac3 ? AV_SAMPLE_FMT_FLTP : AV_SAMPLE_FMT_S16;
        e->time_base = AVRational{1, job.sampleRate};
        Check(avcodec_open2(e, codec, nullptr), "open audio encoder");
        fifo_.reset(av_audio_fifo_alloc(e->sample_fmt, 2, e->frame_size * 4));
        chunk_ = NewFrame();
        chunk_->format = e->sample_fmt;
        chunk_->nb_samples = e->frame_size;
        chunk_->sample_rate = e->sample_rate;
        av_channel_layout_copy(&chunk_->ch_layout, &e->ch_layout);
        Check(av_frame_get_buffer(chunk_.get(), 0), "audio frame");
    }

    // Decoded samples; `skip` leading samples (at the input rate) are dropped and
    // at most `keep` input samples are used (-1 = all).
    void Take(AVFrame* frame, int skip, int keep)
    {
        if (!swr_) {
            SwrContext* s = nullptr;
            Check(swr_alloc_set_opts2(&s, &enc_->ch_layout, enc_->sample_fmt, enc_->sample_rate,
                                      &frame->ch_layout, static_cast<AVSampleFormat>(frame->format),
                                      frame->sample_rate, 0, nullptr),
                  "resampler");
            swr_.reset(s);
            Check(swr_init(s), "resampler");
            in_rate_ = frame->sample_rate;
        }
        int count = frame->nb_samples - skip;
        if (keep >= 0) count = std::min(count, keep);
        if (count <= 0) return;
        const int bps = av_get_bytes_per_sample(static_cast<AVSampleFormat>(frame->format));
        const std::uint8_t* in[AV_NUM_DATA_POINTERS] = {};
        bool planar = av_sample_fmt_is_planar(static_cast<AVSampleFormat>(frame->format));
        for (int c = 0; c < (planar ? frame->ch_layout.nb_channels : 1) && c < AV_NUM_DATA_POINTERS; ++c)
            in[c] = frame->extended_data[c] + skip * bps * (planar ? 1 : frame->ch_layout.nb_channels);
        Convert(in, count);
    }
    // Silence of the given input length, at the output rate.
    void Silence(std::int64_t samples)
    {
        Check(av_frame_make_writable(chunk_.get()), "audio frame");
        av_samples_set_silence(chunk_->data, 0, chunk_->nb_samples, 2, enc_->sample_fmt);
        while (samples > 0) {
            int n = static_cast<int>(std::min<std::int64_t>(samples, chunk_->nb_samples));
            av_audio_fifo_write(fifo_.get(), reinterpret_cast<void**>(chunk_->data), n);
            samples -= n;
            Flush(false);
        }
    }
    void Finish()
    {
        if (swr_) {
            Convert(nullptr, 0);
        }
        Flush(true);
        Drain(enc_.get(), nullptr, out_);
        out_.Close();
    }
    int Rate() const { return enc_->sample_rate; }

private:
    void Convert(const std::uint8_t** in, int count)
    {
        int room = swr_get_out_samples(swr_.get(), count);
        if (room <= 0) return;
        std::uint8_t** buffer = nullptr;
        Check(av_samples_alloc_array_and_samples(&buffer, nullptr, 2, room, enc_->sample_fmt, 0), "audio");
        int made = swr_convert(swr_.get(), buffer, room, in, count);
        if (made > 0) av_audio_fifo_write(fifo_.get(), reinterpret_cast<void**>(buffer), made);
        av_freep(&buffer[0]);
        av_freep(&buffer);
        Check(made, "resample");
        Flush(false);
    }
    void Flush(bool all)
    {
        const int size = chunk_->nb_samples;
        while (av_audio_fifo_size(fifo_.get()) >= size || (all && av_audio_fifo_size(fifo_.get()) > 0)) {
            Check(av_frame_make_writable(chunk_.get()), "audio frame");
            int got = av_audio_fifo_read(fifo_.get(), reinterpret_cast<void**>(chunk_->data), size);
            if (got < size)   // the last frame is filled up with silence
                av_samples_set_silence(chunk_->data, got, size - got, 2, enc_->sample_fmt);
            chunk_->pts = pts_;
            pts_ += size;
            Drain(enc_.get(), chunk_.get(), out_);
        }
    }

    StreamWriter out_;
    CodecPtr enc_;
    std::unique_ptr<SwrContext, SwrFree> swr_;
    std::unique_ptr<AVAudioFifo, FifoFree> fifo_;
    FramePtr chunk_;
    std::int64_t pts_ = 0;
    int in_rate_ = 0;
};

CodecPtr OpenDecoder(AVStream* stream)
{
    const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
    if (!codec) throw Failure("no decoder for the source");
    CodecPtr dec(avcodec_alloc_context3(codec));
    Check(avcodec_parameters_to_context(dec.get(), stream->codecpar), "decoder");
    dec->thread_count = 0;
    dec->pkt_timebase = stream->time_base;
    Check(avcodec_open2(dec.get(), codec, nullptr), "open decoder");
    return dec;
}

double StreamSeconds(AVFormatContext* fmt, AVStream* s)
{
    if (s && s->duration > 0) return s->duration * av_q2d(s->time_base);
    if (fmt->duration > 0) return fmt->duration / double(AV_TIME_BASE);
    return 0;
}

class Encoder {
public:
    Encoder(const ClipJob& job, ClipProgress& progress, const std::atomic<bool>& cancel)
        : job_(job), progress_(progress), cancel_(cancel)
    {
    }

    ClipResult Run()
    {
        AVFormatContext* raw = nullptr;
        Check(avformat_open_input(&raw, job_.source.c_str(), nullptr, nullptr), "open source");
        fmt_.reset(raw);
        Check(avformat_find_stream_info(raw, nullptr), "read source");
        int v = av_find_best_stream(raw, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
        if (v < 0) throw Failure("the source has no video");
        int a = av_find_best_stream(raw, AVMEDIA_TYPE_AUDIO, -1, v, nullptr, 0);
        vin_ = raw->streams[v];
        ain_ = a >= 0 ? raw->streams[a] : nullptr;
        vdec_ = OpenDecoder(vin_);
        if (ain_) adec_ = OpenDecoder(ain_);

        double length = std::max(StreamSeconds(raw, vin_), ain_ ? StreamSeconds(raw, ain_) : 0.0);
        start_ = 0;
        end_ = length;
        if (job_.start > 0 || job_.end > 0) {
            start_ = std::max(0.0, job_.start);
            if (job_.end > start_) end_ = job_.end;
            if (length > 0) end_ = std::min(end_, length);
            if (start_ > 0) {
                av_seek_frame(raw, -1, static_cast<std::int64_t>(start_ * AV_TIME_BASE), AVSEEK_FLAG_BACKWARD);
            }
        }
        clipSeconds_ = std::max(0.0, end_ - start_);

        video_ = std::make_unique<VideoPath>(job_, vin_);
        audio_ = std::make_unique<AudioPath>(job_);
        began_ = std::chrono::steady_clock::now();

        PacketPtr packet(av_packet_alloc());
        FramePtr frame = NewFrame();
        bool videoDone = false, audioDone = !ain_;
        while (!(videoDone && audioDone)) {
            if (cancel_.load()) throw Stopped{};
            int rc = av_read_frame(raw, packet.get());
            if (rc < 0) break;
            if (packet->stream_index == vin_->index && !videoDone)
                videoDone = Decode(vdec_.get(), packet.get(), frame.get(), true);
            else if (ain_ && packet->stream_index == ain_->index && !audioDone)
                audioDone = Decode(adec_.get(), packet.get(), frame.get(), false);
            av_packet_unref(packet.get());
        }
        if (!videoDone) Decode(vdec_.get(), nullptr, frame.get(), true);
        if (ain_ && !audioDone) Decode(adec_.get(), nullptr, frame.get(), false);
        if (cancel_.load()) throw Stopped{};

        // The clip's length is whatever of both halves ran longest within the trim.
        double written = std::max(video_->Seconds(), audioSeconds_);
        double total = std::min(std::max(written, lastVideo_), clipSeconds_ > 0 ? clipSeconds_ : written);
        if (total <= 0) total = written;
        video_->Finish(total);
        if (!ain_) audio_->Silence(std::llround(total * audio_->Rate()));
        audio_->Finish();
        Report();
        return ain_ ? ClipResult::Encoded : ClipResult::EncodedSilentAudio;
    }

private:
    // Sends a packet (nullptr flushes); true once the stream is past the trim end.
    bool Decode(AVCodecContext* dec, AVPacket* packet, AVFrame* frame, bool isVideo)
    {
        int rc = avcodec_send_packet(dec, packet);
        if (rc < 0 && rc != AVERROR_EOF && rc != AVERROR(EAGAIN)) return false;   // a damaged packet is skipped
        for (;;) {
            rc = avcodec_receive_frame(dec, frame);
            if (rc < 0) return false;
            AVStream* s = isVideo ? vin_ : ain_;
            std::int64_t ts = frame->best_effort_timestamp;
            double t = ts == AV_NOPTS_VALUE ? (isVideo ? lastVideo_ : audioSeconds_ + start_)
                                            : ts * av_q2d(s->time_base);
            if (s->start_time != AV_NOPTS_VALUE) t -= s->start_time * av_q2d(s->time_base);
            bool past = false;
            if (isVideo) {
                if (t + 1e-6 >= start_ && t < end_) {
                    video_->Take(frame, t - start_);
                    lastVideo_ = t - start_ + (frame->pkt_duration > 0 ? frame->pkt_duration * av_q2d(s->time_base) : 0);
                }
                past = t >= end_;
            } else {
                double rate = frame->sample_rate;
                int skip = t < start_ ? static_cast<int>(std::min<double>(frame->nb_samples, (start_ - t) * rate)) : 0;
                int keep = static_cast<int>(std::max(0.0, (end_ - std::max(t, start_)) * rate));
                if (keep > 0) {
                    audio_->Take(frame, skip, keep);
                    audioSeconds_ += std::min(keep, frame->nb_samples - skip) / rate;
                }
                past = t + frame->nb_samples / rate >= end_;
            }
            av_frame_unref(frame);
            Report();
            if (past) return true;
        }
    }
    void Report()
    {
        double position = std::min(std::max(video_->Seconds(), 0.0), clipSeconds_ > 0 ? clipSeconds_ : 1e12);
        progress_.position.store(position);
        progress_.frame.store(static_cast<std::int32_t>(video_->Frames()));
        double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - began_).count();
        if (elapsed > 0.2) progress_.framesPerSecond.store(static_cast<float>(video_->Frames() / elapsed));
    }

    const ClipJob& job_;
    ClipProgress& progress_;
    const std::atomic<bool>& cancel_;
    FormatPtr fmt_;
    AVStream* vin_ = nullptr;
    AVStream* ain_ = nullptr;
    CodecPtr vdec_, adec_;
    std::unique_ptr<VideoPath> video_;
    std::unique_ptr<AudioPath> audio_;
    double start_ = 0, end_ = 0, clipSeconds_ = 0;
    double lastVideo_ = 0, audioSeconds_ = 0;
    std::chrono::steady_clock::time_point began_;
};

void RemoveOutputs(const ClipJob& job)
{
    std::error_code ec;
    std::filesystem::remove(job.videoOutput, ec);
    std::filesystem::remove(job.audioOutput, ec);
}

} // namespace

ClipResult EncodeClip(const ClipJob& job, ClipProgress& progress, const std::atomic<bool>& cancel, std::string* error)
{
    ClipResult result = ClipResult::Failed;
    try {
        Encoder encoder(job, progress, cancel);
        result = encoder.Run();
    } catch (const Stopped&) {
        result = ClipResult::Cancelled;
    } catch (const std::exception& e) {
        if (error) *error = e.what();
        result = ClipResult::Failed;
    }
    if (result == ClipResult::Failed || result == ClipResult::Cancelled) RemoveOutputs(job);
    return result;
}

} // namespace kvrencoder
