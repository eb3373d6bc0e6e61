#pragma once
// What one clip's encode is asked to do, read from the parameter block.
#include <string>

namespace kvrencoder {

struct ClipJob {
    std::string source;
    std::string videoOutput;
    std::string audioOutput;
    int mpegVersion = 2;          // 1 or 2
    int width = 720;
    int height = 576;
    int videoBitRate = 6000000;
    bool ntsc = false;            // 29.97 fps, else 25
    bool wide = false;            // display aspect 16:9, else 4:3
    int marginTop = 0, marginBottom = 0, marginLeft = 0, marginRight = 0;
    bool ac3 = true;              // AC-3, else MPEG-1 Layer II
    int sampleRate = 48000;
    int audioBitRateKbps = 192;
};

} // namespace kvrencoder
