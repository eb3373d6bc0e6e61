#pragma once
// The per-clip parameter block for the encoder library: the fixed tables of
// each disc kind, letter-box margins, and the block's paths.
#include "encoder/kvrencoder.h"

#include <string>

namespace pipeline {

// Output type index of a run: 0, 1 DVD, 2 SVCD, 3 VCD.
struct EncoderTable {
    int sampleRate;
    int audioKbps;
    int audioFormat;
    int mpegVersion;
    int width;
    int heightPal;
    int heightNtsc;
    int videoBitRate;
    const char* audioSuffix;
    const char* videoSuffix;
};
const EncoderTable& EncoderTableOf(int outputType);   // clamps to 0..3

struct Margins {
    int top = 0, bottom = 0, left = 0, right = 0;
};

// Bars that show a picture shown at W:H (its size, for square pixels) at its
// own shape inside a frame of w x h shown at 4:3 (aspectIndex 1) or 16:9 (2);
// aspectIndex 0 and an unknown picture size keep 4 lines top and bottom only.
Margins LetterBoxMargins(int W, int H, int w, int h, int aspectIndex, bool letterBox);

// What FillEncoderParams reads of a clip.
struct ClipEncodeInput {
    std::string sourcePath;
    std::string outputBase;   // work folder + output name without its extension
    int videoWidth = 0;
    int videoHeight = 0;
    int pictureAspectX = 0;   // the shape the file declares for pixels that are not square; 0 when none
    int pictureAspectY = 0;
    int aspectIndex = 1;
    bool letterBox = false;
    int engineItem = 0;       // item index of the "Convert Engine" list
};

// Fills the block; false (block untouched) when a path does not fit its field.
bool FillEncoderParams(const ClipEncodeInput& clip, int outputType, bool pal, EncoderParams* params,
                       EncoderAdvSettings* adv);
// The part of a clip the encoder is asked for, in seconds: (0, 0) is the whole
// clip, as for an untrimmed clip or a source that cannot seek.
struct EncoderTrim {
    double start = 0;
    double end = 0;
    bool Whole() const { return start == 0 && end == 0; }
};
EncoderTrim EncoderTrimOf(double startPoint, double endPoint, double videoDuration, bool supportsSeek);
// A trim that leaves nothing to encode: a seekable clip whose begin was set at
// or after its end (the clips window allows it behind a warning). The encoder
// would take it for the whole clip or for the rest of it.
bool TrimmedToNothing(double startPoint, double endPoint, double videoDuration, bool supportsSeek);
// How long the encoded clip runs, in seconds: its kept span (end point less
// begin point, an end past the clip's length counting to its end) when the
// encoder is asked for a part, else the longer of its streams. The run's
// "Total Time", its bars and the disc-size estimate count this.
double KeptSeconds(double startPoint, double endPoint, double videoDuration, double audioDuration,
                   bool supportsSeek);
// The same for any clip record with the clip's fields (the project's clips, the encode step's copies).
template <class Clip>
double KeptSeconds(const Clip& clip)
{
    return KeptSeconds(clip.StartPoint, clip.EndPoint, clip.VideoDuration, clip.AudioDuration, clip.SupportsSeek);
}

std::string AudioOutputPath(const std::string& outputBase, int outputType);
std::string VideoOutputPath(const std::string& outputBase, int outputType);

} // namespace pipeline
