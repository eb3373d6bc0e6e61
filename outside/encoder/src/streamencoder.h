#pragma once
// The encode half of a clip: the letter-boxed picture at the disc's size and
// frame rate into an MPEG-1/2 elementary stream, and stereo sound at the
// disc's rate into an AC-3 or MPEG-1 Layer II elementary stream.
#include "clipjob.h"
#include "encodegraph.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

namespace kvrencoder {

struct EncodeFailure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The caller's thread only copies or holds each picture; a scaling thread and an
// encoding thread of the encoder's own do the rest, so decoding, scaling and
// encoding overlap.
class VideoEncoder {
public:
    explicit VideoEncoder(const ClipJob& job);   // opens the codec and the output file
    ~VideoEncoder();
    VideoEncoder(const VideoEncoder&) = delete;
    VideoEncoder& operator=(const VideoEncoder&) = delete;

    // One picture shown from `seconds` into the clip: repeated or dropped to the
    // output rate. The picture is copied, or its buffer held, before the call returns.
    void Take(const PictureShape& shape, const PictureSample& picture, double seconds);
    // Holds the last picture on towards `seconds`, at most `maxFrames` pictures
    // a call, so a caller can report progress and stop between the calls.
    // Called on the thread that took the pictures, or after it has finished.
    void Pad(double seconds, int maxFrames);
    // Pads to `seconds` with the last picture, flushes and closes; raises EncodeFailure.
    void Finish(double seconds);
    // Ends the encoding thread without finishing the file (Take returns at once from then on).
    void Abort();

    double Seconds() const;
    std::int64_t Frames() const { return frames_.load(); }

private:
    struct State;
    std::unique_ptr<State> state_;
    std::atomic<std::int64_t> frames_{0};
};

class AudioEncoder {
public:
    explicit AudioEncoder(const ClipJob& job);
    ~AudioEncoder();
    AudioEncoder(const AudioEncoder&) = delete;
    AudioEncoder& operator=(const AudioEncoder&) = delete;

    // Interleaved 16-bit samples of 1 or 2 channels at `rate`.
    void Take(const std::int16_t* samples, int frames, int channels, int rate);
    // Silence of the given number of samples at the output rate.
    void Silence(std::int64_t frames);
    void Finish();
    int Rate() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

} // namespace kvrencoder
