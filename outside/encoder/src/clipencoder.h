#pragma once
// One clip encoded to an elementary MPEG video file and an elementary audio
// file: decode, letter-box scaling, frame-rate conversion, resampling, encoding.
#include <atomic>
#include <cstdint>
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
    double start = 0;             // seconds; start = end = 0 for the whole clip
    double end = 0;
};

// Read by the host while the job runs on its worker thread.
struct ClipProgress {
    std::atomic<double> position{0};     // seconds of output written
    std::atomic<float> framesPerSecond{0};
    std::atomic<std::int32_t> frame{0};
};

enum class ClipResult { Encoded, EncodedSilentAudio, Failed, Cancelled };

// Runs the whole job on the calling thread; stops early when cancel is set.
// A failed or cancelled job leaves no output files behind.
ClipResult EncodeClip(const ClipJob& job, ClipProgress& progress, const std::atomic<bool>& cancel,
                      std::string* error = nullptr);

} // namespace kvrencoder
