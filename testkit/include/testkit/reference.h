#pragma once
// A plain FFmpeg decode loop, the yardstick the media graph is measured against:
// demux, decode every video frame and convert it to bottom-up RGB24, nothing else.
#include <cstdint>
#include <string>

namespace testkit {

struct ReferenceResult {
    int frames = 0;
    std::uint64_t checksum = 0;   // sum of one byte per picture, so the work cannot be skipped
};

// Raises ClipError when the file cannot be decoded.
ReferenceResult ReferenceDecodeToRgb24(const std::string& path);

} // namespace testkit
