#include "dshow_ffmpeg/mediafile.h"

#include "avinternal.h"

extern "C" {
#include <libavutil/cpu.h>
#include <libavutil/log.h>
#include <libavutil/mathematics.h>
#include <libavutil/rational.h>
}

#include <algorithm>
#include <limits>

namespace ffmpeg {

std::string AvErrorText(int err)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(err, text, sizeof text);
    return text;
}

namespace {

constexpr AVRational kUnits = {1, static_cast<int>(kUnitsPerSecond)};
// A file that gives this many undecodable packets in a row is broken, not merely damaged.
constexpr int kMaxBadPackets = 256;
// How often a seek that landed after its target is retried further back.
constexpr int kMaxSeekRetries = 3;
// Pictures a video stream may end short of its header's count before the file
// counts as cut short (a coder's placeholder pictures decode to nothing).
constexpr std::int64_t kMissingPicturesAllowed = 2;

int InterruptCallback(void* opaque)
{
    return static_cast<std::atomic<bool>*>(opaque)->load() ? 1 : 0;
}

std::shared_ptr<const ReadHook> g_readHook;   // read and set with the atomic shared_ptr functions

void BeforeRead(const std::string& path, const std::atomic<bool>& stop)
{
    if (std::shared_ptr<const ReadHook> hook = std::atomic_load(&g_readHook); hook && *hook) (*hook)(path, stop);
}

} // namespace

struct MediaFile::State {
    InputPtr input;
    CodecPtr codec;
    PacketPtr packet;
    bool packetPending = false;   // a packet the decoder refused with EAGAIN
    bool flushed = false;         // end of file reached, decoder drained
    std::int64_t startTime = 0;   // file start, AV_TIME_BASE units
    std::int64_t nextStart = 0;   // extrapolated start of the next frame, 100 ns units
    int badPackets = 0;
    bool tailCorrupt = false;     // the last packet read was shorter than its header said
    bool cutShort = false;        // the file ended before the data it announces
    // Accurate seeking
    bool seeking = false;
    bool waitKey = false;
    int seekRetries = 0;
    std::int64_t target = 0;
    std::string lastError;

    // Lets go of a packet read but not (or not yet) taken by the decoder; the next
    // read would otherwise write over it and leak its buffer.
    void DropPacket()
    {
        av_packet_unref(packet.get());
        packetPending = false;
    }
};

std::unique_ptr<MediaFile> MediaFile::Open(const std::string& path, std::string* error)
{
    auto fail = [&](std::string text) -> std::unique_ptr<MediaFile> {
        if (error) *error = std::move(text);
        return nullptr;
    };
    // FFmpeg's notes on damaged input are no use on a user's terminal; its errors are reported here.
    if (av_log_get_level() > AV_LOG_ERROR) av_log_set_level(AV_LOG_ERROR);
    std::unique_ptr<MediaFile> file(new MediaFile);
    file->path_ = path;
    file->state_ = std::make_unique<State>();
    State& s = *file->state_;

    AVFormatContext* raw = avformat_alloc_context();
    if (!raw) return fail("out of memory");
    raw->interrupt_callback.callback = InterruptCallback;
    raw->interrupt_callback.opaque = &file->abort_;
    int err = avformat_open_input(&raw, path.c_str(), nullptr, nullptr);
    if (err < 0) return fail(AvErrorText(err));   // raw is freed on failure
    s.input.reset(raw);
    err = avformat_find_stream_info(raw, nullptr);
    if (err < 0) return fail(AvErrorText(err));
    s.packet.reset(av_packet_alloc());
    if (!s.packet) return fail("out of memory");

    s.startTime = raw->start_time != AV_NOPTS_VALUE ? raw->start_time : 0;
    for (unsigned i = 0; i < raw->nb_streams; ++i) {
        const AVStream* st = raw->streams[i];
        const AVCodecParameters* par = st->codecpar;
        if (st->disposition & AV_DISPOSITION_ATTACHED_PIC) continue;
        StreamInfo info;
        info.index = static_cast<int>(i);
        info.codec = avcodec_get_name(par->codec_id);
        info.bitRate = par->bit_rate;
        if (st->duration != AV_NOPTS_VALUE && st->duration > 0)
            info.duration = av_rescale_q(st->duration, st->time_base, kUnits);
        else if (raw->duration != AV_NOPTS_VALUE && raw->duration > 0)
            info.duration = av_rescale_q(raw->duration, AV_TIME_BASE_Q, kUnits);
        if (par->codec_type == AVMEDIA_TYPE_VIDEO) {
            if (par->width <= 0 || par->height <= 0) continue;   // nothing a renderer could show
            info.kind = StreamKind::Video;
            info.width = par->width;
            info.height = par->height;
            AVRational rate = st->avg_frame_rate.num > 0 && st->avg_frame_rate.den > 0 ? st->avg_frame_rate
                                                                                       : st->r_frame_rate;
            if (rate.num > 0 && rate.den > 0) {
                av_reduce(&info.fpsNum, &info.fpsDen, rate.num, rate.den, 1 << 30);
                info.frameDuration = av_rescale_q(1, av_inv_q(rate), kUnits);
            }
            info.declaredFrames = std::max<std::int64_t>(st->nb_frames, 0);
            // A file that lost its tail still announces its whole length in its
            // header: reading runs to the real end, where the loss is seen.
            if (info.declaredFrames > 0 && info.frameDuration > 0)
                info.duration = std::max(info.duration, info.declaredFrames * info.frameDuration);
            AVRational sar = av_guess_sample_aspect_ratio(raw, const_cast<AVStream*>(st), nullptr);
            if (sar.num > 0 && sar.den > 0) av_reduce(&info.sarNum, &info.sarDen, sar.num, sar.den, 1 << 16);
            av_reduce(&info.aspectX, &info.aspectY, static_cast<std::int64_t>(info.width) * info.sarNum,
                      static_cast<std::int64_t>(info.height) * info.sarDen, 1 << 16);
        } else if (par->codec_type == AVMEDIA_TYPE_AUDIO) {
            if (par->sample_rate <= 0 || par->ch_layout.nb_channels <= 0) continue;
            info.kind = StreamKind::Audio;
            info.sampleRate = par->sample_rate;
            info.channels = par->ch_layout.nb_channels;
        } else {
            continue;
        }
        file->duration_ = std::max(file->duration_, info.duration);
        file->streams_.push_back(info);
    }
    if (file->streams_.empty()) return fail("no audio or video stream");
    file->canSeek_ = raw->pb && (raw->pb->seekable & AVIO_SEEKABLE_NORMAL) && file->duration_ > 0;
    return file;
}

void SetReadHook(ReadHook hook)
{
    std::atomic_store(&g_readHook, std::make_shared<const ReadHook>(std::move(hook)));
}

MediaFile::~MediaFile() = default;

int MediaFile::FindStream(StreamKind kind) const
{
    for (size_t i = 0; i < streams_.size(); ++i)
        if (streams_[i].kind == kind) return static_cast<int>(i);
    return -1;
}

std::string MediaFile::FormatName() const
{
    std::lock_guard lock(mutex_);
    return state_->input->iformat ? state_->input->iformat->name : "";
}

std::string MediaFile::LastError() const
{
    std::lock_guard lock(mutex_);
    return state_->lastError;
}

namespace {

// Decoding threads in proportion to the picture's size: two keep a TV-sized
// picture well ahead of whatever takes it (playing, encoding), and every
// thread more holds pictures and tables of its own; larger pictures get more,
// up to the machine's cores. Sound is decoded on one.
int DecodingThreads(const AVCodecParameters& par)
{
    if (par.codec_type != AVMEDIA_TYPE_VIDEO) return 1;
    const std::int64_t tvPictures = std::int64_t(par.width) * par.height / (720 * 576);
    return static_cast<int>(std::clamp<std::int64_t>(2 * tvPictures, 2, std::max(2, av_cpu_count())));
}

} // namespace

bool MediaFile::SelectStream(int position)
{
    std::lock_guard lock(mutex_);
    State& s = *state_;
    if (position < 0 || position >= static_cast<int>(streams_.size())) return false;
    AVStream* st = s.input->streams[streams_[position].index];
    const AVCodec* dec = avcodec_find_decoder(st->codecpar->codec_id);
    if (!dec) {
        s.lastError = "no decoder for " + streams_[position].codec;
        return false;
    }
    CodecPtr codec(avcodec_alloc_context3(dec));
    if (!codec || avcodec_parameters_to_context(codec.get(), st->codecpar) < 0) return false;
    codec->pkt_timebase = st->time_base;
    codec->thread_count = DecodingThreads(*st->codecpar);
    int err = avcodec_open2(codec.get(), dec, nullptr);
    if (err < 0) {
        s.lastError = AvErrorText(err);
        return false;
    }
    for (unsigned i = 0; i < s.input->nb_streams; ++i)
        s.input->streams[i]->discard = static_cast<int>(i) == st->index ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
    s.codec = std::move(codec);
    s.DropPacket();
    s.flushed = false;
    s.badPackets = 0;
    s.tailCorrupt = s.cutShort = false;
    s.nextStart = 0;
    selected_ = position;
    return true;
}

bool MediaFile::Seek(std::int64_t position)
{
    std::lock_guard lock(mutex_);
    State& s = *state_;
    if (selected_ < 0 || !canSeek_) return false;
    position = std::clamp<std::int64_t>(position, 0, std::max<std::int64_t>(duration_, 0));
    AVStream* st = s.input->streams[streams_[selected_].index];
    std::int64_t ts = av_rescale_q(s.startTime, AV_TIME_BASE_Q, st->time_base) + av_rescale_q(position, kUnits, st->time_base);
    int err = av_seek_frame(s.input.get(), st->index, ts, AVSEEK_FLAG_BACKWARD);
    if (err < 0) err = avformat_seek_file(s.input.get(), st->index, std::numeric_limits<std::int64_t>::min(), ts, ts, 0);
    if (err < 0) {
        // A file without an index the demuxer can use: read it again from its start
        // and decode forward to the position.
        err = Reopen();
        if (err < 0) {
            s.lastError = AvErrorText(err);
            return false;
        }
    }
    avcodec_flush_buffers(s.codec.get());
    s.DropPacket();
    s.flushed = false;
    s.badPackets = 0;
    s.tailCorrupt = s.cutShort = false;
    s.seeking = true;
    s.waitKey = streams_[selected_].kind == StreamKind::Video;
    s.seekRetries = 0;
    s.target = position;
    s.nextStart = position;
    return true;
}

bool MediaFile::Restart()
{
    std::lock_guard lock(mutex_);
    State& s = *state_;
    if (selected_ < 0) return false;
    int err = Reopen();
    if (err < 0) {
        s.lastError = AvErrorText(err);
        return false;
    }
    avcodec_flush_buffers(s.codec.get());
    s.flushed = false;
    s.badPackets = 0;
    s.tailCorrupt = s.cutShort = false;
    s.seeking = false;
    s.waitKey = false;
    s.nextStart = 0;
    return true;
}

int MediaFile::Reopen()
{
    State& s = *state_;
    AVFormatContext* raw = avformat_alloc_context();
    if (!raw) return AVERROR(ENOMEM);
    raw->interrupt_callback.callback = InterruptCallback;
    raw->interrupt_callback.opaque = &abort_;
    int err = avformat_open_input(&raw, path_.c_str(), nullptr, nullptr);
    if (err < 0) return err;
    InputPtr input(raw);
    err = avformat_find_stream_info(raw, nullptr);
    if (err < 0) return err;
    if (raw->nb_streams != s.input->nb_streams) return AVERROR_INVALIDDATA;   // not the file it was
    for (unsigned i = 0; i < raw->nb_streams; ++i) raw->streams[i]->discard = s.input->streams[i]->discard;
    s.DropPacket();   // it belongs to the old opening
    s.input = std::move(input);
    return 0;
}

void MediaFile::Abort() { abort_ = true; }
void MediaFile::Resume() { abort_ = false; }

ReadResult MediaFile::Read(DecodedFrame& frame)
{
    std::lock_guard lock(mutex_);
    if (selected_ < 0) return ReadResult::Error;
    return ReadLocked(frame);
}

ReadResult MediaFile::ReadLocked(DecodedFrame& frame)
{
    State& s = *state_;
    const StreamInfo& info = streams_[selected_];
    AVStream* st = s.input->streams[info.index];
    for (;;) {
        ReadResult result;
        if (!DecodeNext(frame, result)) return result;
        if (!s.seeking) return ReadResult::Frame;

        if (s.waitKey) {
            if (!frame.keyFrame) continue;   // pictures before the first key frame are not whole
            s.waitKey = false;
            if (frame.start > s.target && s.target > 0 && s.seekRetries < kMaxSeekRetries) {
                // The demuxer landed after the target: go further back and decode forward again.
                ++s.seekRetries;
                std::int64_t back = s.target - s.seekRetries * kUnitsPerSecond;
                std::int64_t ts = av_rescale_q(s.startTime, AV_TIME_BASE_Q, st->time_base) +
                                  av_rescale_q(std::max<std::int64_t>(back, 0), kUnits, st->time_base);
                if (av_seek_frame(s.input.get(), st->index, ts, AVSEEK_FLAG_BACKWARD) >= 0) {
                    avcodec_flush_buffers(s.codec.get());
                    s.DropPacket();
                    s.flushed = false;
                    s.waitKey = true;
                    continue;
                }
            }
        }
        if (frame.stop <= s.target) continue;
        s.seeking = false;
        if (frame.kind == StreamKind::Audio && frame.start < s.target && frame.sampleRate > 0) {
            int skip = static_cast<int>(av_rescale(s.target - frame.start, frame.sampleRate, kUnitsPerSecond));
            skip = std::clamp(skip, 0, frame.samples);
            frame.payload->skipSamples = skip;
            frame.samples -= skip;
            frame.start = s.target;
        }
        return ReadResult::Frame;
    }
}

// The end of the selected stream: sound, or short of what the file announces.
ReadResult MediaFile::EndOfFile()
{
    State& s = *state_;
    const StreamInfo& info = streams_[selected_];
    // A video stream whose header counts more pictures than the file holds.
    if (info.kind == StreamKind::Video && info.declaredFrames > 0 && info.frameDuration > 0 && !s.cutShort) {
        const std::int64_t announced = info.declaredFrames * info.frameDuration;
        if (s.nextStart + kMissingPicturesAllowed * info.frameDuration < announced) s.cutShort = true;
    }
    if (!s.cutShort) return ReadResult::EndOfStream;
    s.lastError = "the file is cut short";
    return ReadResult::CutShort;
}

// Decodes the next frame of the selected stream. False with `result` set when there is none.
bool MediaFile::DecodeNext(DecodedFrame& frame, ReadResult& result)
{
    State& s = *state_;
    const StreamInfo& info = streams_[selected_];
    AVStream* st = s.input->streams[info.index];
    for (;;) {
        if (abort_) {
            result = ReadResult::Aborted;
            return false;
        }
        FramePtr decoded(av_frame_alloc());
        if (!decoded) {
            s.lastError = "out of memory";
            result = ReadResult::Error;
            return false;
        }
        int err = avcodec_receive_frame(s.codec.get(), decoded.get());
        if (err == 0) {
            s.badPackets = 0;
            std::int64_t pts = decoded->best_effort_timestamp;
            std::int64_t start = pts != AV_NOPTS_VALUE
                                     ? av_rescale_q(pts, st->time_base, kUnits) - av_rescale_q(s.startTime, AV_TIME_BASE_Q, kUnits)
                                     : s.nextStart;
            frame = DecodedFrame{};
            frame.stream = info.index;
            frame.kind = info.kind;
            frame.start = start;
            if (info.kind == StreamKind::Video) {
                if (decoded->width <= 0 || decoded->height <= 0) continue;
                frame.width = decoded->width;
                frame.height = decoded->height;
                frame.keyFrame = decoded->key_frame || decoded->pict_type == AV_PICTURE_TYPE_I;
                std::int64_t length = info.frameDuration;
                if (length <= 0 && decoded->pkt_duration > 0) length = av_rescale_q(decoded->pkt_duration, st->time_base, kUnits);
                if (length <= 0) length = kUnitsPerSecond / 25;
                frame.stop = start + length;
            } else {
                if (decoded->nb_samples <= 0 || decoded->sample_rate <= 0 || decoded->ch_layout.nb_channels <= 0) continue;
                frame.keyFrame = true;
                frame.samples = decoded->nb_samples;
                frame.sampleRate = decoded->sample_rate;
                frame.channels = decoded->ch_layout.nb_channels;
                frame.stop = start + av_rescale(frame.samples, kUnitsPerSecond, frame.sampleRate);
            }
            s.nextStart = frame.stop;
            frame.payload = std::make_shared<DecodedFrame::Payload>();
            frame.payload->frame = std::move(decoded);
            return true;
        }
        if (err == AVERROR_EOF) {
            result = EndOfFile();
            return false;
        }
        if (err != AVERROR(EAGAIN)) {
            s.lastError = AvErrorText(err);
            result = ReadResult::Error;
            return false;
        }
        // The decoder wants more input.
        if (s.flushed) {
            result = EndOfFile();
            return false;
        }
        if (!s.packetPending) {
            BeforeRead(path_, abort_);
            err = av_read_frame(s.input.get(), s.packet.get());
            if (err == AVERROR_EXIT || abort_) {
                s.DropPacket();
                result = ReadResult::Aborted;
                return false;
            }
            if (err < 0) {
                // End of file, or a file cut short: drain what the decoder holds.
                if (err != AVERROR_EOF) s.lastError = AvErrorText(err);
                // A last packet that broke off means the file did too.
                if (s.tailCorrupt) s.cutShort = true;
                avcodec_send_packet(s.codec.get(), nullptr);
                s.flushed = true;
                continue;
            }
            s.tailCorrupt = (s.packet->flags & AV_PKT_FLAG_CORRUPT) != 0;
            if (s.packet->stream_index != info.index) {
                av_packet_unref(s.packet.get());
                continue;
            }
        }
        err = avcodec_send_packet(s.codec.get(), s.packet.get());
        if (err == AVERROR(EAGAIN)) {
            s.packetPending = true;   // give it again after the decoder has handed out a frame
            continue;
        }
        s.packetPending = false;
        av_packet_unref(s.packet.get());
        if (err < 0 && ++s.badPackets >= kMaxBadPackets) {
            s.lastError = AvErrorText(err);
            result = ReadResult::Error;
            return false;
        }
    }
}

} // namespace ffmpeg
