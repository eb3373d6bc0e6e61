#include "testkit/reference.h"

#include "testkit/clips.h"

#include "avdeleters.h"

#include <cmath>
#include <vector>

namespace testkit {
namespace {

// The video pictures of a file, one after another, in decoding's output order.
class VideoFrames {
public:
    explicit VideoFrames(const std::string& path)
    {
        AVFormatContext* raw = nullptr;
        if (avformat_open_input(&raw, path.c_str(), nullptr, nullptr) < 0) throw ClipError("cannot open " + path);
        input_.reset(raw);
        if (avformat_find_stream_info(raw, nullptr) < 0) throw ClipError("cannot probe " + path);
        const AVCodec* dec = nullptr;
        index_ = av_find_best_stream(raw, AVMEDIA_TYPE_VIDEO, -1, -1, &dec, 0);
        if (index_ < 0 || !dec) throw ClipError("no video in " + path);
        codec_.reset(avcodec_alloc_context3(dec));
        if (!codec_ || avcodec_parameters_to_context(codec_.get(), raw->streams[index_]->codecpar) < 0)
            throw ClipError("decoder parameters");
        codec_->thread_count = 0;   // as the engine does
        if (avcodec_open2(codec_.get(), dec, nullptr) < 0) throw ClipError("cannot open decoder");
        for (unsigned i = 0; i < raw->nb_streams; ++i)
            raw->streams[i]->discard = static_cast<int>(i) == index_ ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
        packet_.reset(av_packet_alloc());
        frame_.reset(av_frame_alloc());
        if (!packet_ || !frame_) throw ClipError("out of memory");
    }

    // The next picture (valid until the next call), or null after the last.
    const AVFrame* Next()
    {
        av_frame_unref(frame_.get());
        for (;;) {
            if (avcodec_receive_frame(codec_.get(), frame_.get()) == 0) return frame_.get();
            if (flushed_) return nullptr;
            if (av_read_frame(input_.get(), packet_.get()) < 0) {
                avcodec_send_packet(codec_.get(), nullptr);
                flushed_ = true;
                continue;
            }
            if (packet_->stream_index == index_) avcodec_send_packet(codec_.get(), packet_.get());
            av_packet_unref(packet_.get());
        }
    }

private:
    std::unique_ptr<AVFormatContext, InputCloser> input_;
    CodecPtr codec_;
    PacketPtr packet_;
    FramePtr frame_;
    int index_ = -1;
    bool flushed_ = false;
};

// A picture taken to 4:2:0 at a given size, kept between calls.
class Planar {
public:
    Planar(int width, int height) : width_(width), height_(height)
    {
        for (int p = 0; p < 3; ++p) planes_[p].resize(static_cast<std::size_t>(Width(p)) * Height(p));
    }

    void Take(const AVFrame* frame)
    {
        scaler_.reset(sws_getCachedContext(scaler_.release(), frame->width, frame->height,
                                           static_cast<AVPixelFormat>(frame->format), width_, height_,
                                           AV_PIX_FMT_YUV420P, SWS_BICUBIC, nullptr, nullptr, nullptr));
        if (!scaler_) throw ClipError("no scaler");
        std::uint8_t* dst[4] = {planes_[0].data(), planes_[1].data(), planes_[2].data(), nullptr};
        const int stride[4] = {Width(0), Width(1), Width(2), 0};
        sws_scale(scaler_.get(), frame->data, frame->linesize, 0, frame->height, dst, stride);
    }
    int Width(int plane) const { return plane ? (width_ + 1) / 2 : width_; }
    int Height(int plane) const { return plane ? (height_ + 1) / 2 : height_; }
    const std::vector<std::uint8_t>& Plane(int plane) const { return planes_[plane]; }

private:
    int width_, height_;
    std::vector<std::uint8_t> planes_[3];
    ScalePtr scaler_;
};

double Psnr(double squaredError, double samples)
{
    if (samples <= 0) return 0;
    const double mse = squaredError / samples;
    return mse <= 0 ? 100.0 : 10.0 * std::log10(255.0 * 255.0 / mse);
}

} // namespace

ReferenceResult ReferenceDecodeToRgb24(const std::string& path)
{
    VideoFrames frames(path);
    ScalePtr scaler;
    std::vector<std::uint8_t> rgb;
    ReferenceResult result;
    while (const AVFrame* frame = frames.Next()) {
        int w = frame->width, h = frame->height, row = (w * 3 + 3) & ~3;
        rgb.resize(static_cast<std::size_t>(row) * h);
        scaler.reset(sws_getCachedContext(scaler.release(), w, h, static_cast<AVPixelFormat>(frame->format), w, h,
                                          AV_PIX_FMT_BGR24, SWS_BICUBIC, nullptr, nullptr, nullptr));
        if (!scaler) throw ClipError("no scaler");
        std::uint8_t* dst[4] = {rgb.data() + static_cast<std::ptrdiff_t>(row) * (h - 1)};
        int stride[4] = {-row};
        sws_scale(scaler.get(), frame->data, frame->linesize, 0, h, dst, stride);
        result.checksum += rgb[rgb.size() / 2];
        ++result.frames;
    }
    return result;
}

PictureQuality ComparePictures(const std::string& encoded, const std::string& reference)
{
    VideoFrames a(encoded), b(reference);
    PictureQuality q;
    std::unique_ptr<Planar> pa, pb;
    double error[3] = {}, samples[3] = {};
    const AVFrame* fa = a.Next();
    const AVFrame* fb = b.Next();
    for (; fa && fb; fa = a.Next(), fb = b.Next()) {
        if (!pa) {
            pa = std::make_unique<Planar>(fa->width, fa->height);
            pb = std::make_unique<Planar>(fa->width, fa->height);
        }
        pa->Take(fa);
        pb->Take(fb);
        for (int p = 0; p < 3; ++p) {
            const std::vector<std::uint8_t>& x = pa->Plane(p);
            const std::vector<std::uint8_t>& y = pb->Plane(p);
            std::uint64_t sum = 0;
            for (std::size_t i = 0; i < x.size(); ++i) {
                const int d = x[i] - y[i];
                sum += static_cast<std::uint64_t>(d * d);
            }
            error[p] += static_cast<double>(sum);
            samples[p] += static_cast<double>(x.size());
        }
        ++q.framesCompared;
    }
    q.encodedFrames = q.referenceFrames = q.framesCompared;
    for (; fa; fa = a.Next()) ++q.encodedFrames;
    for (; fb; fb = b.Next()) ++q.referenceFrames;
    if (q.framesCompared == 0) throw ClipError("no pictures to compare");
    q.psnr = Psnr(error[0] + error[1] + error[2], samples[0] + samples[1] + samples[2]);
    q.psnrY = Psnr(error[0], samples[0]);
    return q;
}

} // namespace testkit
