#pragma once
// Media types of the uncompressed streams the FFmpeg filters carry.
#include "dshow/export.h"
#include "dshow/mediatype.h"
#include "dshow_ffmpeg/converters.h"
#include "dshow_ffmpeg/mediafile.h"

#include <vector>

namespace ffmpeg {

// The video types of the graph (dshow/videoformat.h).
using ::LayoutOfSubtype;
using ::ReadVideoShape;
using ::SubtypeOf;
using ::VideoMediaType;
using ::VideoShape;

// A 16-bit PCM type (FORMAT_WaveFormatEx, 18-byte WAVEFORMATEX).
DSHOW_API CMediaType AudioMediaType(int sampleRate, int channels);

// The types a source pin offers for a stream, preferred first: video in every
// layout at its own size; audio at its own rate (at most two channels), then the
// disc rates 48 and 44.1 kHz in stereo.
DSHOW_API std::vector<CMediaType> OfferedTypes(const StreamInfo& stream);

// What an audio connection type asks for; false when it is not 16-bit PCM a
// pin of ours can produce.
struct AudioShape {
    int sampleRate = 0;
    int channels = 0;
};
DSHOW_API bool ReadAudioShape(const AM_MEDIA_TYPE& mt, AudioShape* shape);

} // namespace ffmpeg
