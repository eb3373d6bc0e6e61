#include "streamencoder.h"

#include "workqueue.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libavutil/cpu.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <pthread.h>
#include <thread>
#include <vector>

namespace kvrencoder {
namespace {

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
struct PoolFree {
    void operator()(AVBufferPool* p) const { av_buffer_pool_uninit(&p); }
};
struct FileClose {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using CodecPtr = std::unique_ptr<AVCodecContext, CodecFree>;
using FramePtr = std::unique_ptr<AVFrame, FrameFree>;
using PacketPtr = std::unique_ptr<AVPacket, PacketFree>;
using ScalerPtr = std::unique_ptr<SwsContext, SwsFree>;
using PoolPtr = std::unique_ptr<AVBufferPool, PoolFree>;

void Check(int rc, const char* what)
{
    if (rc < 0) {
        char text[AV_ERROR_MAX_STRING_SIZE] = {};
        av_strerror(rc, text, sizeof text);
        throw EncodeFailure(std::string(what) + ": " + text);
    }
}

FramePtr NewFrame()
{
    FramePtr f(av_frame_alloc());
    if (!f) throw EncodeFailure("out of memory");
    return f;
}

// An elementary stream file: the encoder's packets one after another.
class StreamWriter {
public:
    explicit StreamWriter(const std::string& path) : file_(std::fopen(path.c_str(), "wb"))
    {
        if (!file_) throw EncodeFailure("cannot create " + path);
    }
    void Write(const AVPacket& packet)
    {
        if (std::fwrite(packet.data, 1, packet.size, file_.get()) != static_cast<std::size_t>(packet.size))
            throw EncodeFailure("write failed");
    }
    // Ends a video stream with its sequence end code: multiplexers count the
    // last picture as whole only when a start code follows it.
    void EndSequence()
    {
        static const unsigned char kSequenceEnd[4] = {0x00, 0x00, 0x01, 0xB7};
        if (std::fwrite(kSequenceEnd, 1, sizeof kSequenceEnd, file_.get()) != sizeof kSequenceEnd)
            throw EncodeFailure("write failed");
    }
    void Close()
    {
        if (std::fclose(file_.release()) != 0) throw EncodeFailure("write failed");
    }

private:
    std::unique_ptr<std::FILE, FileClose> file_;
};

// Sends a frame (null flushes) and writes every packet the encoder has ready.
void Drain(AVCodecContext* encoder, AVPacket* packet, const AVFrame* frame, StreamWriter& out)
{
    Check(avcodec_send_frame(encoder, frame), "encode");
    for (;;) {
        int rc = avcodec_receive_packet(encoder, packet);
        if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF) return;
        Check(rc, "encode");
        out.Write(*packet);
        av_packet_unref(packet);
    }
}

constexpr std::size_t kQueuedPictures = 6;
// Letter-boxed pictures waiting for the encoding thread: few, as each is a
// picture of the frame's size of its own, and scaling keeps well ahead.
constexpr std::size_t kQueuedFrames = 3;
constexpr int kSliceThreads = 4;
// Letter-boxing a picture takes about as long as encoding it: two threads
// scale pictures in turn and hand them on in order.
constexpr int kScalingThreads = 2;

} // namespace

// ---------------------------------------------------------------------------

// What the decoding side hands on: a decoded picture, as a copy or as the
// source's own buffer held until it is placed, or neither (the last one again);
// shown `count` times from output picture `pts` on.
struct PictureWork {
    std::vector<std::uint8_t> bytes;
    std::shared_ptr<const std::uint8_t> held;
    PictureShape shape;
    std::int64_t order = 0;        // its place in the hand-over to the encoding thread
    std::int64_t pts = 0;
    std::int64_t count = 0;
    bool end = false;
};

// The same after scaling: the picture in the frame's format.
struct FrameWork {
    FramePtr picture;
    std::int64_t pts = 0;
    std::int64_t count = 0;
    bool end = false;
};

// Three stages run at once: the graph's streaming thread copies or holds each
// picture, the scaling threads letter-box them, the encoding thread encodes.
struct VideoEncoder::State {
    AVRational rate{25, 1};
    int width = 0, height = 0;
    int innerWidth = 0, innerHeight = 0, left = 0, top = 0;
    bool bars = false;
    CodecPtr codec;
    std::unique_ptr<StreamWriter> out;

    // Streaming thread.
    std::int64_t next = 0;         // number of the next output picture
    std::int64_t queued = 0;       // pictures handed to the scaling threads
    bool havePicture = false;

    WorkQueue<PictureWork> pictures{kQueuedPictures};
    WorkQueue<FrameWork> frames{kQueuedFrames};
    std::mutex mutex;              // guards spare, error, done
    std::vector<std::vector<std::uint8_t>> spare;   // copies handed back for reuse
    std::string error;
    bool done = false;             // the file is complete
    std::vector<std::thread> scaling;
    std::thread encoding;

    // Scaling threads: each has its scaler; they pass pictures on in the order they came.
    std::mutex turnMutex;
    std::condition_variable turnChanged;
    std::int64_t turn = 0;         // the order of the picture to hand on next
    bool stopped = false;          // a failure or a stop: no picture is handed on any more
    // Encoding thread.
    FramePtr last;                 // the picture shown now, repeated to fill the rate

    // Pictures come in buffers that go back to the pool once the encoder has
    // let go of them, laid out in them as FFmpeg lays out a picture of its
    // own: memory in use already takes a picture for far less than fresh pages.
    PoolPtr pool;
    std::ptrdiff_t planeOffset[3] = {};
    int planeStride[3] = {};

    FramePtr NewPicture(bool black) const
    {
        FramePtr picture = NewFrame();
        picture->format = AV_PIX_FMT_YUV420P;
        picture->width = width;
        picture->height = height;
        if (pool) {
            picture->buf[0] = av_buffer_pool_get(pool.get());
            if (!picture->buf[0]) throw EncodeFailure("out of memory");
            for (int p = 0; p < 3; ++p) {
                picture->data[p] = picture->buf[0]->data + planeOffset[p];
                picture->linesize[p] = planeStride[p];
            }
        } else {
            // Rows padded to 64 bytes, as the MPEG encoder pads those of its own
            // pictures: it takes a picture whose rows match as it is, without a copy.
            Check(av_frame_get_buffer(picture.get(), 64), "picture");
        }
        if (black)
            for (int p = 0; p < 3; ++p)
                std::memset(picture->data[p], p ? 128 : 16,
                            static_cast<std::size_t>(picture->linesize[p]) * (p ? height / 2 : height));
        return picture;
    }

    // The pool, with the layout of a picture FFmpeg allocates; none when that
    // picture's planes are not in one buffer (each is then allocated alone).
    void MakePool()
    {
        FramePtr sample = NewPicture(false);
        if (!sample->buf[0] || sample->buf[1]) return;
        for (int p = 0; p < 3; ++p) {
            planeOffset[p] = sample->data[p] - sample->buf[0]->data;
            planeStride[p] = sample->linesize[p];
        }
        pool.reset(av_buffer_pool_init(sample->buf[0]->size, nullptr));
    }

    // A picture of the frame's own size whose bars take no more than this share
    // of a side (the few lines every frame keeps free at top and bottom) is not
    // squeezed into the space between them: the bars cover its edges instead.
    // Its shape stays exact, and it is not resampled, which would soften it
    // and cost as much as encoding it.
    static constexpr int kCoveredShare = 50;   // 2 %

    // The picture keeps its size and its edges go under the bars.
    bool Covered(const PictureShape& shape) const
    {
        return shape.width == width && shape.height == height && (width - innerWidth) * kCoveredShare <= width &&
               (height - innerHeight) * kCoveredShare <= height;
    }

    // Pictures that need no scaling: YUY2 at the size inside the bars, or
    // covered at its edges, only has its chroma rows paired, which reads no
    // further than the picture, so a scaling thread can do it straight from the
    // source's buffer.
    bool Unscaled(const PictureShape& shape) const
    {
        return shape.layout == PictureLayout::Yuy2 &&
               ((shape.width == innerWidth && shape.height == innerHeight) || Covered(shape));
    }

    // The decoded picture at the frame's size, inside its bars.
    FramePtr Place(ScalerPtr& scaler, const PictureShape& shape, const std::uint8_t* data)
    {
        FramePtr picture = NewPicture(bars);
        const bool rgb = shape.layout == PictureLayout::Rgb24;
        // A covered picture gives only what lies between the bars, from where it lies.
        const bool covered = Covered(shape);
        const int inWidth = covered ? innerWidth : shape.width, inHeight = covered ? innerHeight : shape.height;
        scaler.reset(sws_getCachedContext(scaler.release(), inWidth, inHeight,
                                          rgb ? AV_PIX_FMT_BGR24 : AV_PIX_FMT_YUYV422, innerWidth, innerHeight,
                                          AV_PIX_FMT_YUV420P, SWS_BICUBIC, nullptr, nullptr, nullptr));
        if (!scaler) throw EncodeFailure("cannot scale the picture");
        // Bottom-up rows are read from the last one with a negative stride.
        const int firstRow = covered ? top : 0;
        const std::size_t firstByte = covered ? static_cast<std::size_t>(left) * (rgb ? 3 : 2) : 0;
        const std::uint8_t* in[4] = {
            (rgb ? data + static_cast<std::size_t>(shape.height - 1 - firstRow) * shape.stride
                 : data + static_cast<std::size_t>(firstRow) * shape.stride) +
            firstByte};
        const int inStride[4] = {rgb ? -shape.stride : shape.stride};
        std::uint8_t* dst[4] = {picture->data[0] + top * picture->linesize[0] + left,
                                picture->data[1] + top / 2 * picture->linesize[1] + left / 2,
                                picture->data[2] + top / 2 * picture->linesize[2] + left / 2, nullptr};
        const int dstStride[4] = {picture->linesize[0], picture->linesize[1], picture->linesize[2], 0};
        sws_scale(scaler.get(), in, inStride, 0, inHeight, dst, dstStride);
        return picture;
    }

    void Fail(const char* why)
    {
        {
            std::lock_guard lock(mutex);
            if (error.empty()) error = why;
        }
        StopHandingOn();
        pictures.Close();
        frames.Close();
    }

    void StopHandingOn()
    {
        std::lock_guard lock(turnMutex);
        stopped = true;
        turnChanged.notify_all();
    }

    // Waits for the picture's turn; false once stopped.
    bool AwaitTurn(std::int64_t order)
    {
        std::unique_lock lock(turnMutex);
        turnChanged.wait(lock, [&] { return stopped || turn == order; });
        return !stopped;
    }

    void PassTurn()
    {
        std::lock_guard lock(turnMutex);
        ++turn;
        turnChanged.notify_all();
    }

    void Scale()
    {
        try {
            ScalerPtr scaler;
            while (std::optional<PictureWork> work = pictures.Pop()) {
                FrameWork frame;
                frame.pts = work->pts;
                frame.count = work->count;
                frame.end = work->end;
                if (work->held) {
                    frame.picture = Place(scaler, work->shape, work->held.get());
                    work->held.reset();   // the source may fill the buffer again
                } else if (!work->bytes.empty()) {
                    frame.picture = Place(scaler, work->shape, work->bytes.data());
                    std::lock_guard lock(mutex);
                    if (spare.size() < kQueuedPictures + kScalingThreads) spare.push_back(std::move(work->bytes));
                }
                const bool end = frame.end;
                if (!AwaitTurn(work->order)) return;
                const bool handed = frames.Push(std::move(frame));
                PassTurn();
                if (!handed) return;
                if (end) {
                    // The last picture is on: the other scaling threads wait for none.
                    pictures.Close();
                    return;
                }
            }
        } catch (const std::exception& e) {
            Fail(e.what());
        }
    }

    void Encode()
    {
        try {
            PacketPtr packet(av_packet_alloc());
            if (!packet) throw EncodeFailure("out of memory");
            while (std::optional<FrameWork> work = frames.Pop()) {
                if (work->end) {
                    Drain(codec.get(), packet.get(), nullptr, *out);
                    out->EndSequence();
                    out->Close();
                    std::lock_guard lock(mutex);
                    done = true;
                    return;
                }
                if (work->picture) last = std::move(work->picture);
                if (!last) last = NewPicture(true);
                for (std::int64_t i = 0; i < work->count; ++i) {
                    FramePtr copy(av_frame_clone(last.get()));   // shares the picture's buffers
                    if (!copy) throw EncodeFailure("out of memory");
                    copy->pts = work->pts + i;
                    Drain(codec.get(), packet.get(), copy.get(), *out);
                }
            }
        } catch (const std::exception& e) {
            Fail(e.what());
        }
    }

    // Hands work on, raising the failure of a later stage.
    void Push(PictureWork work)
    {
        work.order = queued++;
        if (pictures.Push(std::move(work))) return;
        std::lock_guard lock(mutex);
        if (!error.empty()) throw EncodeFailure(error);
    }

    std::vector<std::uint8_t> Buffer()
    {
        std::lock_guard lock(mutex);
        if (spare.empty()) return {};
        std::vector<std::uint8_t> buffer = std::move(spare.back());
        spare.pop_back();
        return buffer;
    }

    void Join()
    {
        for (std::thread& thread : scaling)
            if (thread.joinable()) thread.join();
        if (encoding.joinable()) encoding.join();
    }

    void Stop()
    {
        StopHandingOn();
        pictures.Close();
        frames.Close();
        Join();
    }
};

VideoEncoder::VideoEncoder(const ClipJob& job) : state_(std::make_unique<State>())
{
    State& s = *state_;
    s.rate = job.ntsc ? AVRational{30000, 1001} : AVRational{25, 1};
    s.width = job.width;
    s.height = job.height;
    const AVCodec* codec =
        avcodec_find_encoder(job.mpegVersion == 1 ? AV_CODEC_ID_MPEG1VIDEO : AV_CODEC_ID_MPEG2VIDEO);
    if (!codec) throw EncodeFailure("no MPEG video encoder");
    s.codec.reset(avcodec_alloc_context3(codec));
    AVCodecContext* e = s.codec.get();
    if (!e) throw EncodeFailure("out of memory");
    e->width = job.width;
    e->height = job.height;
    e->pix_fmt = AV_PIX_FMT_YUV420P;
    e->time_base = av_inv_q(s.rate);
    e->framerate = s.rate;
    e->bit_rate = job.videoBitRate;
    e->gop_size = job.ntsc ? 18 : 15;
    e->max_b_frames = 0;   // I and P pictures, as the common DVD encoders make them
    // A few slice threads keep the encoder ahead of decoding, which runs on
    // cores of its own; one per core would cost more in waking each other for
    // every picture than they save.
    e->thread_count = std::min(kSliceThreads, av_cpu_count());
    // Rate ceilings and decoder buffers of the three disc kinds.
    if (job.mpegVersion == 1) {   // VCD: constant rate
        e->rc_min_rate = e->rc_max_rate = job.videoBitRate;
        e->rc_buffer_size = 40 * 1024 * 8;
    } else if (job.width == 480) {   // SVCD
        e->rc_max_rate = 2516000;
        e->rc_buffer_size = 112 * 1024 * 8;
    } else {   // DVD
        e->rc_max_rate = 9000000;
        e->rc_buffer_size = 224 * 1024 * 8;
    }
    e->rc_initial_buffer_occupancy = e->rc_buffer_size * 3 / 4;
    // The display shape is stated explicitly: players and dvdauthor know 4:3 and 16:9 only.
    const AVRational dar = job.wide ? AVRational{16, 9} : AVRational{4, 3};
    e->sample_aspect_ratio = av_mul_q(dar, AVRational{job.height, job.width});
    if (job.mpegVersion == 2) av_opt_set_int(e->priv_data, "scan_offset", 0, 0);
    Check(avcodec_open2(e, codec, nullptr), "open video encoder");
    s.out = std::make_unique<StreamWriter>(job.videoOutput);

    s.innerWidth = std::max(2, job.width - job.marginLeft - job.marginRight) & ~1;
    s.innerHeight = std::max(2, job.height - job.marginTop - job.marginBottom) & ~1;
    s.left = std::clamp(job.marginLeft & ~1, 0, job.width - s.innerWidth);
    s.top = std::clamp(job.marginTop & ~1, 0, job.height - s.innerHeight);
    s.bars = s.innerWidth != job.width || s.innerHeight != job.height;
    s.MakePool();
    for (int i = 0; i < kScalingThreads; ++i)
        s.scaling.emplace_back([&s] {
            pthread_setname_np(pthread_self(), "kvr-scale");   // for profilers
            s.Scale();
        });
    s.encoding = std::thread([&s] {
        pthread_setname_np(pthread_self(), "kvr-encode");
        s.Encode();
    });
}

VideoEncoder::~VideoEncoder() { state_->Stop(); }

void VideoEncoder::Take(const PictureShape& shape, const PictureSample& picture, double seconds)
{
    State& s = *state_;
    const std::int64_t target = std::llround(seconds * av_q2d(s.rate));
    if (s.havePicture && target < s.next) return;   // the output is ahead: this picture is dropped
    PictureWork work;
    work.shape = shape;
    if (s.Unscaled(shape)) work.held = picture.Hold();
    if (!work.held) {
        const std::uint8_t* data = picture.data;
        work.bytes = s.Buffer();
        const std::size_t size = static_cast<std::size_t>(shape.stride) * shape.height;
        work.bytes.reserve(size + AV_INPUT_BUFFER_PADDING_SIZE);
        work.bytes.assign(data, data + size);
        // The scaler's vector loads may run a little past the last row it reads.
        work.bytes.resize(size + AV_INPUT_BUFFER_PADDING_SIZE);
    }
    work.pts = s.next;
    work.count = std::max<std::int64_t>(0, target - s.next + 1);
    s.next += work.count;
    s.havePicture = true;
    s.Push(std::move(work));
    frames_.store(s.next);
}

void VideoEncoder::Pad(double seconds, int maxFrames)
{
    State& s = *state_;
    const std::int64_t target = std::llround(seconds * av_q2d(s.rate));
    if (maxFrames <= 0 || s.next >= target) return;
    PictureWork pad;   // no picture: the last one again (black before any)
    pad.pts = s.next;
    pad.count = std::min<std::int64_t>(target - s.next, maxFrames);
    s.next += pad.count;
    s.Push(std::move(pad));
    frames_.store(s.next);
}

void VideoEncoder::Finish(double seconds)
{
    State& s = *state_;
    std::int64_t total = std::llround(seconds * av_q2d(s.rate));
    if (!s.havePicture) total = std::max<std::int64_t>(total, 1);   // a black picture stands in
    if (s.next < total) {
        PictureWork pad;   // the last picture held to the end
        pad.pts = s.next;
        pad.count = total - s.next;
        s.next = total;
        s.Push(std::move(pad));
        frames_.store(s.next);
    }
    PictureWork end;
    end.end = true;
    s.Push(std::move(end));
    s.Join();
    std::lock_guard lock(s.mutex);
    if (!s.error.empty()) throw EncodeFailure(s.error);
    if (!s.done) throw EncodeFailure("stopped");
}

void VideoEncoder::Abort() { state_->Stop(); }

double VideoEncoder::Seconds() const { return frames_.load() / av_q2d(state_->rate); }

// ---------------------------------------------------------------------------

struct AudioEncoder::State {
    std::unique_ptr<StreamWriter> out;
    CodecPtr codec;
    PacketPtr packet;
    std::unique_ptr<SwrContext, SwrFree> resampler;
    int inChannels = 0, inRate = 0;
    std::unique_ptr<AVAudioFifo, FifoFree> fifo;
    FramePtr chunk;
    std::int64_t pts = 0;

    // Encodes whole frames from the queue; `all` pads the last one with silence.
    void Flush(bool all)
    {
        const int size = chunk->nb_samples;
        const AVSampleFormat format = codec->sample_fmt;
        while (av_audio_fifo_size(fifo.get()) >= size || (all && av_audio_fifo_size(fifo.get()) > 0)) {
            Check(av_frame_make_writable(chunk.get()), "audio frame");
            int got = av_audio_fifo_read(fifo.get(), reinterpret_cast<void**>(chunk->data), size);
            if (got < size) av_samples_set_silence(chunk->data, got, size - got, 2, format);
            chunk->pts = pts;
            pts += size;
            Drain(codec.get(), packet.get(), chunk.get(), *out);
        }
    }

    void Convert(const std::uint8_t** in, int count)
    {
        const int room = swr_get_out_samples(resampler.get(), count);
        if (room <= 0) return;
        std::uint8_t** buffer = nullptr;
        Check(av_samples_alloc_array_and_samples(&buffer, nullptr, 2, room, codec->sample_fmt, 0), "audio");
        const int made = swr_convert(resampler.get(), buffer, room, in, count);
        if (made > 0) av_audio_fifo_write(fifo.get(), reinterpret_cast<void**>(buffer), made);
        av_freep(&buffer[0]);
        av_freep(&buffer);
        Check(made, "resample");
        Flush(false);
    }
};

AudioEncoder::AudioEncoder(const ClipJob& job) : state_(std::make_unique<State>())
{
    State& s = *state_;
    const AVCodec* codec = avcodec_find_encoder(job.ac3 ? AV_CODEC_ID_AC3 : AV_CODEC_ID_MP2);
    if (!codec) throw EncodeFailure("no audio encoder");
    s.codec.reset(avcodec_alloc_context3(codec));
    s.packet.reset(av_packet_alloc());
    AVCodecContext* e = s.codec.get();
    if (!e || !s.packet) throw EncodeFailure("out of memory");
    e->sample_rate = job.sampleRate;
    e->bit_rate = static_cast<std::int64_t>(job.audioBitRateKbps) * 1000;
    av_channel_layout_default(&e->ch_layout, 2);
    e->sample_fmt = job.ac3 ? AV_SAMPLE_FMT_FLTP : AV_SAMPLE_FMT_S16;
    e->time_base = AVRational{1, job.sampleRate};
    Check(avcodec_open2(e, codec, nullptr), "open audio encoder");
    s.fifo.reset(av_audio_fifo_alloc(e->sample_fmt, 2, e->frame_size * 4));
    s.chunk = NewFrame();
    s.chunk->format = e->sample_fmt;
    s.chunk->nb_samples = e->frame_size;
    s.chunk->sample_rate = e->sample_rate;
    Check(av_channel_layout_copy(&s.chunk->ch_layout, &e->ch_layout), "audio frame");
    Check(av_frame_get_buffer(s.chunk.get(), 0), "audio frame");
    if (!s.fifo) throw EncodeFailure("out of memory");
    s.out = std::make_unique<StreamWriter>(job.audioOutput);
}

AudioEncoder::~AudioEncoder() = default;

void AudioEncoder::Take(const std::int16_t* samples, int frames, int channels, int rate)
{
    State& s = *state_;
    if (frames <= 0 || channels <= 0 || rate <= 0) return;
    if (!s.resampler || channels != s.inChannels || rate != s.inRate) {
        if (s.resampler) s.Convert(nullptr, 0);   // what the old conversion still holds
        AVChannelLayout layout{};
        av_channel_layout_default(&layout, channels);
        SwrContext* r = nullptr;
        Check(swr_alloc_set_opts2(&r, &s.codec->ch_layout, s.codec->sample_fmt, s.codec->sample_rate, &layout,
                                  AV_SAMPLE_FMT_S16, rate, 0, nullptr),
              "resampler");
        s.resampler.reset(r);
        Check(swr_init(r), "resampler");
        s.inChannels = channels;
        s.inRate = rate;
    }
    const std::uint8_t* in[1] = {reinterpret_cast<const std::uint8_t*>(samples)};
    s.Convert(in, frames);
}

void AudioEncoder::Silence(std::int64_t frames)
{
    State& s = *state_;
    const int size = s.chunk->nb_samples;
    FramePtr quiet = NewFrame();
    quiet->format = s.codec->sample_fmt;
    quiet->nb_samples = size;
    Check(av_channel_layout_copy(&quiet->ch_layout, &s.codec->ch_layout), "audio frame");
    Check(av_frame_get_buffer(quiet.get(), 0), "audio frame");
    av_samples_set_silence(quiet->data, 0, size, 2, s.codec->sample_fmt);
    while (frames > 0) {
        const int n = static_cast<int>(std::min<std::int64_t>(frames, size));
        av_audio_fifo_write(s.fifo.get(), reinterpret_cast<void**>(quiet->data), n);
        frames -= n;
        s.Flush(false);
    }
}

void AudioEncoder::Finish()
{
    State& s = *state_;
    if (s.resampler) s.Convert(nullptr, 0);
    s.Flush(true);
    Drain(s.codec.get(), s.packet.get(), nullptr, *s.out);
    s.out->Close();
}

int AudioEncoder::Rate() const { return state_->codec->sample_rate; }

} // namespace kvrencoder
