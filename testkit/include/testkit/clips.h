#pragma once
// Synthetic media files for tests and benchmarks, written with FFmpeg at test time,
// so the repository holds no binary media. Every picture carries content a test
// can check after decoding: four fixed colour blocks in the top half (channel
// order and orientation) and the frame number as twelve black/white bars in the
// bottom half. Audio is a sine per channel (440 Hz left, 660 Hz right).
#include <cstdint>
#include <stdexcept>
#include <string>

namespace testkit {

enum class VideoCodec { None, Mpeg4, Mpeg1, Mpeg2, Wmv2, Flv, Rv10 };
enum class AudioCodec { None, Mp2, Pcm, Ac3, Mp3 };

// Generators refuse anything longer or larger, so a fixture can never run away.
constexpr double kMaxClipSeconds = 120.0;
constexpr int kMaxWidth = 1920;
constexpr int kMaxHeight = 1080;

struct ClipSpec {
    int width = 320;
    int height = 240;
    int fpsNum = 25;
    int fpsDen = 1;
    int sarNum = 1;           // pixel aspect written into the stream
    int sarDen = 1;
    double seconds = 5.0;
    VideoCodec video = VideoCodec::Mpeg4;
    AudioCodec audio = AudioCodec::Mp2;
    int sampleRate = 44100;
    int channels = 2;
    int gop = 12;             // key frame distance in frames
    bool grain = false;       // film grain and motion (DrawGrainFrame) instead of the test pattern
    std::string container;    // FFmpeg muxer name; empty = guessed from the file extension
};

class ClipError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Writes the clip; raises ClipError when the spec is out of bounds or FFmpeg fails.
void WriteClip(const std::string& path, const ClipSpec& spec);

// Ready-made clips written into a folder; each answers the file's path.
std::string MakeStandardClip(const std::string& folder);   // 5 s 320x240 25 fps MPEG-4 AVI, stereo MP2
std::string MakeNtscClip(const std::string& folder);       // 3 s 352x240 29.97 fps MPEG-2 PS, 48 kHz
std::string MakeVideoOnlyClip(const std::string& folder);  // 2 s 320x240 MPEG-4 AVI without audio
std::string MakeAudioOnlyFile(const std::string& folder);  // 3 s 44.1 kHz stereo PCM WAV
std::string MakeWideClip(const std::string& folder);       // 2 s 720x576 MPEG-2 PS, 16:9 pixel aspect
std::string MakeTruncatedClip(const std::string& folder);  // the standard clip cut to 40 % of its bytes
std::string MakeNotMediaFile(const std::string& folder);   // a text file named .avi
// A 720x576 25 fps MPEG-2 PS flagged 4:3 with stereo MP2 for benchmarks (seconds bounded as above).
std::string MakeBenchClip(const std::string& folder, double seconds);
// A clip like a person's own for benchmarks: 720x576 25 fps MPEG-4 AVI flagged
// 4:3 with stereo MP2 at 48 kHz, film grain over a panning picture with moving discs,
// hard enough to code that a DVD's rate leaves it near 38 dB.
std::string MakeGrainBenchClip(const std::string& folder, double seconds);

// ---- picture content ----
struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
};
constexpr int kRegionCount = 4;   // red, green, blue, yellow from left to right
constexpr int kCounterBits = 12;  // most significant bit leftmost
Rgb RegionColour(int region);

// Draws frame `index` into a top-down RGB24 buffer (r, g, b byte order).
void DrawFrame(int index, int width, int height, std::uint8_t* rgb, int stride);
// The same for a grain clip: a textured picture panning a few pixels a frame,
// bright discs crossing it, and fresh grain in every pixel of every frame.
void DrawGrainFrame(int index, int width, int height, std::uint8_t* rgb, int stride);

// A picture to read back: 24-bit rows of `stride` bytes, bytes in r,g,b or b,g,r order,
// top-down or bottom-up (as DIBs are).
struct PictureView {
    const std::uint8_t* data = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;
    bool bottomUp = false;
    bool bgr = false;
    Rgb At(int x, int y) const;   // y counted from the top; bounds-checked (ClipError)
};

// The frame number drawn in the picture, or -1 when the bars cannot be read.
int ReadFrameCounter(const PictureView& picture);
// True when every colour block is within `tolerance` per channel of its drawn colour.
bool RegionsMatch(const PictureView& picture, int tolerance = 40);

// The sample value the generator wrote for a channel at a sample index (s16 range).
std::int16_t SineSample(int channel, std::int64_t sampleIndex, int sampleRate);

} // namespace testkit
