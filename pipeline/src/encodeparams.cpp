#include "pipeline/encodeparams.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>

namespace pipeline {
namespace {

constexpr EncoderTable kTables[4] = {
    {48000, 192, 3, 2, 720, 576, 480, 6000000, ".ac3", ".mpg"},
    {48000, 192, 3, 2, 720, 576, 480, 6000000, ".ac3", ".mpg"},
    {44100, 224, 1, 2, 480, 576, 480, 2040000, "_aud.mpa", "_vid.mpg"},
    {44100, 224, 1, 1, 352, 288, 240, 1150000, "_aud.mpa", "_vid.mpg"},
};

bool CopyPath(const std::string& path, char (&field)[kEncoderPathBytes])
{
    if (path.empty() || path.size() >= kEncoderPathBytes) return false;
    std::memset(field, 0, sizeof field);
    std::memcpy(field, path.data(), path.size());
    return true;
}

} // namespace

const EncoderTable& EncoderTableOf(int outputType) { return kTables[std::clamp(outputType, 0, 3)]; }

Margins LetterBoxMargins(int W, int H, int w, int h, int aspectIndex, bool letterBox)
{
    Margins m;
    if (W <= 0 || H <= 0) {
        m.top = m.bottom = 4;
        return m;
    }
    if (!letterBox) return m;
    if (aspectIndex != 1 && aspectIndex != 2) {
        m.top = m.bottom = 4;
        return m;
    }
    // The frame is shown at an:ad whatever its pixel count, so the picture's
    // share of it follows from the display shape alone, in whole numbers.
    const std::int64_t an = aspectIndex == 2 ? 16 : 4, ad = aspectIndex == 2 ? 9 : 3;
    if (std::int64_t(W) * ad > std::int64_t(H) * an) {          // wider than the frame's shape
        std::int64_t lines = std::int64_t(h) * an * H / (ad * W);
        int bars = static_cast<int>(h - lines);
        m.top = m.bottom = bars / 2;
    } else if (std::int64_t(W) * ad < std::int64_t(H) * an) {   // narrower
        std::int64_t cols = std::int64_t(w) * ad * W / (an * H);
        int bars = static_cast<int>(w - cols);
        m.left = m.right = bars / 2;
    }
    m.top = m.bottom = std::max(m.top, 4);
    return m;
}

std::string AudioOutputPath(const std::string& base, int outputType)
{
    return base + EncoderTableOf(outputType).audioSuffix;
}
std::string VideoOutputPath(const std::string& base, int outputType)
{
    return base + EncoderTableOf(outputType).videoSuffix;
}

bool FillEncoderParams(const ClipEncodeInput& clip, int outputType, bool pal, EncoderParams* params,
                       EncoderAdvSettings* adv)
{
    const EncoderTable& t = EncoderTableOf(outputType);
    EncoderParams p{};
    if (!CopyPath(AudioOutputPath(clip.outputBase, outputType), p.AudioOutput) ||
        !CopyPath(VideoOutputPath(clip.outputBase, outputType), p.VideoOutput) ||
        !CopyPath(clip.sourcePath, p.SourcePath))
        return false;
    p.AudioSampleRate = t.sampleRate;
    p.AudioBitRateKbps = t.audioKbps;
    p.AudioFormat = t.audioFormat;
    p.MpegVersion = t.mpegVersion;
    p.FrameWidth = t.width;
    p.FrameHeight = pal ? t.heightPal : t.heightNtsc;
    p.VideoBitRate = t.videoBitRate;
    p.FrameRate = pal ? 25.0f : 29.97f;
    // The picture keeps the shape it is shown at, which for pixels that are not
    // square is the one its file declares, not its size's.
    const bool declared =
        clip.pictureAspectX > 0 && clip.pictureAspectY > 0 && clip.videoWidth > 0 && clip.videoHeight > 0;
    Margins m = LetterBoxMargins(declared ? clip.pictureAspectX : clip.videoWidth,
                                 declared ? clip.pictureAspectY : clip.videoHeight, p.FrameWidth, p.FrameHeight,
                                 clip.aspectIndex, clip.letterBox);
    p.MarginTop = m.top;
    p.MarginBottom = m.bottom;
    p.MarginLeft = m.left;
    p.MarginRight = m.right;
    p.Value344 = 16;
    p.Value348 = 128;
    p.Value34C = 128;
    p.EngineChoice = clip.engineItem + 2;
    p.Value354 = 1;
    *params = p;
    *adv = EncoderAdvSettings{clip.aspectIndex, 18, 0, 1, 0, 0, 0};
    // Old outputs of the clip go before it is encoded again.
    std::error_code ec;
    std::filesystem::remove(p.AudioOutput, ec);
    std::filesystem::remove(p.VideoOutput, ec);
    return true;
}

EncoderTrim EncoderTrimOf(double startPoint, double endPoint, double videoDuration, bool supportsSeek)
{
    const bool untrimmed = startPoint == 0 && endPoint == std::trunc(videoDuration);
    if (untrimmed || !supportsSeek) return {};
    return {startPoint, endPoint};
}

bool TrimmedToNothing(double startPoint, double endPoint, double videoDuration, bool supportsSeek)
{
    const bool untrimmed = startPoint == 0 && endPoint == std::trunc(videoDuration);
    return supportsSeek && !untrimmed && !(endPoint > startPoint);
}

double KeptSeconds(double startPoint, double endPoint, double videoDuration, double audioDuration,
                   bool supportsSeek)
{
    const double longer = std::max(videoDuration, audioDuration);
    const EncoderTrim trim = EncoderTrimOf(startPoint, endPoint, videoDuration, supportsSeek);
    if (trim.Whole()) return longer;
    const double end = longer > 0 ? std::min(trim.end, longer) : trim.end;
    return std::max(0.0, end - trim.start);
}

} // namespace pipeline
