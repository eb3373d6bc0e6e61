#pragma once
// Yardsticks from plain FFmpeg decode loops: the decode the media graph is
// measured against (demux, decode every video frame, convert it to bottom-up
// RGB24, nothing else), and the picture quality of an encoded stream against
// its source.
#include <cstdint>
#include <string>

namespace testkit {

struct ReferenceResult {
    int frames = 0;
    std::uint64_t checksum = 0;   // sum of one byte per picture, so the work cannot be skipped
};

// Raises ClipError when the file cannot be decoded.
ReferenceResult ReferenceDecodeToRgb24(const std::string& path);

struct PictureQuality {
    int framesCompared = 0;
    int encodedFrames = 0;      // pictures in each file
    int referenceFrames = 0;
    double psnr = 0;            // dB over Y, U and V together (4:2:0, weighted by samples)
    double psnrY = 0;           // dB over the luma only
};

// The PSNR of `encoded` against `reference`, picture n against picture n
// (numbers, not time stamps, pair them), both taken to 4:2:0 at the encoded
// size; from the mean squared error over every compared picture, as the
// ffmpeg program's psnr filter averages. Identical pictures give 100 dB.
// Raises ClipError when either file cannot be decoded.
PictureQuality ComparePictures(const std::string& encoded, const std::string& reference);

} // namespace testkit
