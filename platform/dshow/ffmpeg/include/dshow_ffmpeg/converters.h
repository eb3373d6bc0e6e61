#pragma once
// Conversion of decoded frames to the uncompressed layouts the media graph carries.
#include "dshow_ffmpeg/mediafile.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace ffmpeg {

// Picture layouts. RGB layouts are device-independent bitmaps: bottom-up rows,
// blue-green-red byte order, rows padded to 4 bytes. YUV layouts are top-down.
enum class PixelLayout { RGB24, RGB32, YUY2, UYVY, YV12, I420 };

int BitsPerPixel(PixelLayout layout);
// Bytes of one picture in the layout; 0 when the size is not valid for it.
std::size_t PictureBytes(PixelLayout layout, int width, int height);
// Bytes per row of an RGB picture (padded to 4) or of the luma plane of a YUV one.
int RowBytes(PixelLayout layout, int width);

class VideoConverter {
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
    // The same from a raw picture in memory (used by the colour converter filter).
    bool ConvertRaw(const std::uint8_t* in, std::size_t inSize, PixelLayout inLayout, int inWidth, int inHeight,
                    PixelLayout layout, int width, int height, std::uint8_t* out, std::size_t outSize);

private:
    struct State;
    std::unique_ptr<State> state_;
};

// Audio to interleaved signed 16-bit PCM at a chosen rate and channel count.
class AudioConverter {
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
