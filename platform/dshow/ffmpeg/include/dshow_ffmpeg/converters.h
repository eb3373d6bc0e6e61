#pragma once
// Conversion of decoded frames to the uncompressed layouts the media graph carries.
#include "dshow/export.h"
#include "dshow/videoformat.h"
#include "dshow_ffmpeg/mediafile.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace ffmpeg {

// The picture layouts of the graph (dshow/videoformat.h).
using ::BitsPerPixel;
using ::PictureBytes;
using ::PixelLayout;
using ::RowBytes;

class DSHOW_API VideoConverter {
public:
    VideoConverter();
    ~VideoConverter();
    VideoConverter(const VideoConverter&) = delete;
    VideoConverter& operator=(const VideoConverter&) = delete;

    // Scales and converts `frame` into `out` (of `outSize` bytes) as a width x height
    // picture in `layout`. False (nothing written) when the frame is not video or
    // the buffer is too small.
    bool Convert(const DecodedFrame& frame, PixelLayout layout, int width, int height, std::uint8_t* out,
                 std::size_t outSize);

private:
    struct State;
    std::unique_ptr<State> state_;
};

// Audio to interleaved signed 16-bit PCM at a chosen rate and channel count.
class DSHOW_API AudioConverter {
public:
    AudioConverter();
    ~AudioConverter();
    AudioConverter(const AudioConverter&) = delete;
    AudioConverter& operator=(const AudioConverter&) = delete;

    // Appends the converted samples to `out`; false when the frame is not audio or
    // the conversion cannot be set up. The resampler keeps a little history: call
    // Reset after a seek.
    bool Convert(const DecodedFrame& frame, int sampleRate, int channels, std::vector<std::int16_t>& out);
    void Reset();

private:
    struct State;
    std::unique_ptr<State> state_;
};

} // namespace ffmpeg
