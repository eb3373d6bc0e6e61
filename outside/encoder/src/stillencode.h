#pragma once
// A menu still as a DVD program stream (2048-byte packs, MPEG-2 video).
#include <cstdint>
#include <string>

namespace kvrencoder {

// rows: bgr, top to bottom, packed, width x height; false (no file left) on failure.
bool EncodeStill(const std::uint8_t* rows, int width, int height, bool ntsc, const std::string& path,
                 std::string* error = nullptr);

} // namespace kvrencoder
