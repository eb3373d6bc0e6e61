#pragma once
// The uncompressed picture layouts the media graph carries, their media types,
// and conversion of raw pictures from one layout and size to another. Provided
// by the decoding engine's module (dshow_filters).
#include "dshow/export.h"
#include "dshow/mediatype.h"

#include <cstddef>
#include <cstdint>
#include <memory>

// RGB layouts are device-independent bitmaps: bottom-up rows, blue-green-red
// byte order, rows padded to 4 bytes. YUV layouts are top-down.
enum class PixelLayout { RGB24, RGB32, YUY2, UYVY, YV12, I420 };

DSHOW_API int BitsPerPixel(PixelLayout layout);
// Bytes of one picture in the layout; 0 when the size is not valid for it.
DSHOW_API std::size_t PictureBytes(PixelLayout layout, int width, int height);
// Bytes per row of an RGB picture (padded to 4) or of the luma plane of a YUV one.
DSHOW_API int RowBytes(PixelLayout layout, int width);

// Subtype of a layout, and the layout of a subtype (false when it is not one of ours).
DSHOW_API const GUID& SubtypeOf(PixelLayout layout);
DSHOW_API bool LayoutOfSubtype(const GUID& subtype, PixelLayout* layout);

// An uncompressed video type (FORMAT_VideoInfo, fixed-size samples) of the given size;
// frameDuration in 100 ns units (0 when unknown).
DSHOW_API CMediaType VideoMediaType(PixelLayout layout, int width, int height, REFERENCE_TIME frameDuration);

// What a connection type asks for, read back from its format block; false when
// the type is not one of the layouts above at a size a picture can have.
struct VideoShape {
    PixelLayout layout = PixelLayout::RGB24;
    int width = 0;
    int height = 0;   // always positive
    std::size_t bytes = 0;
};
DSHOW_API bool ReadVideoShape(const AM_MEDIA_TYPE& mt, VideoShape* shape);

// Scales and converts raw pictures; keeps its scaler between calls of the same shape.
class DSHOW_API PictureConverter {
public:
    PictureConverter();
    ~PictureConverter();
    PictureConverter(const PictureConverter&) = delete;
    PictureConverter& operator=(const PictureConverter&) = delete;

    // Converts the picture `in` (of `inSize` bytes) into `out` (of `outSize` bytes).
    // False (nothing written) when either buffer is shorter than its picture.
    bool Convert(const std::uint8_t* in, std::size_t inSize, PixelLayout inLayout, int inWidth, int inHeight,
                 PixelLayout layout, int width, int height, std::uint8_t* out, std::size_t outSize);

private:
    struct State;
    std::unique_ptr<State> state_;
};
