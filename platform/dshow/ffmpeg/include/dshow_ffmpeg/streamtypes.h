#pragma once
// Media types of the uncompressed streams the FFmpeg filters carry.
#include "dshow/mediatype.h"
#include "dshow_ffmpeg/converters.h"
#include "dshow_ffmpeg/mediafile.h"

#include <vector>

namespace ffmpeg {

// Subtype of a layout, and the layout of a subtype (false when it is not one of ours).
const GUID& SubtypeOf(PixelLayout layout);
bool LayoutOfSubtype(const GUID& subtype, PixelLayout* layout);

// An uncompressed video type (FORMAT_VideoInfo, fixed-size samples) of the given size;
// frameDuration in 100 ns units (0 when unknown).
CMediaType VideoMediaType(PixelLayout layout, int width, int height, REFERENCE_TIME frameDuration);
// A 16-bit PCM type (FORMAT_WaveFormatEx, 18-byte WAVEFORMATEX).
CMediaType AudioMediaType(int sampleRate, int channels);

// The types a source pin offers for a stream, preferred first: video in every
// layout at its own size; audio at its own rate (at most two channels), then the
// disc rates 48 and 44.1 kHz in stereo.
std::vector<CMediaType> OfferedTypes(const StreamInfo& stream);

// What a connection type asks for, read back from its format block; false when
// the type is not one a pin of ours can produce.
struct VideoShape {
    PixelLayout layout = PixelLayout::RGB24;
    int width = 0;
    int height = 0;   // always positive
    std::size_t bytes = 0;
};
bool ReadVideoShape(const AM_MEDIA_TYPE& mt, VideoShape* shape);
struct AudioShape {
    int sampleRate = 0;
    int channels = 0;
};
bool ReadAudioShape(const AM_MEDIA_TYPE& mt, AudioShape* shape);

} // namespace ffmpeg
