// Device-independent bitmaps.
#include "gfx/bitmap.h"

#include "gfx/canvas.h"

TBitmap::TBitmap() = default;
TBitmap::TBitmap(int width, int height, TPixelFormat format) : format_(format) { Reallocate(width, height, format, false); }
TBitmap::~TBitmap() = default;
void TBitmap::SetSize(int width, int height) { Reallocate(width, height, format_, true); }
void TBitmap::SetPixelFormat(TPixelFormat value) { format_ = value; }
int TBitmap::BitsPerPixel() const { return 24; }
std::uint8_t* TBitmap::ScanLine(int y) { return bits_.data() + static_cast<std::size_t>(height_ - 1 - y) * stride_; }
const std::uint8_t* TBitmap::ScanLine(int y) const { return bits_.data() + static_cast<std::size_t>(height_ - 1 - y) * stride_; }
TColor TBitmap::Pixel(int, int) const { return 0; }
void TBitmap::SetPixel(int, int, TColor) {}
void TBitmap::SetColors(const std::vector<TRGBQuad>& entries) { palette_ = entries; }
void TBitmap::SetColor(int, TRGBQuad) {}
int TBitmap::NearestIndex(TColor) const { return 0; }
TCanvas* TBitmap::Canvas()
{
    if (!canvas_) canvas_ = std::make_unique<TCanvas>(this);
    return canvas_.get();
}
TColor TBitmap::TransparentColor() const { return transparentColor_; }
void TBitmap::SetTransparentColor(TColor value) { transparentColor_ = value; transparentMode_ = tmFixed; }
void TBitmap::SetTransparentMode(TTransparentMode value) { transparentMode_ = value; }
void TBitmap::Assign(const TGraphic& source) { TGraphic::Assign(source); }
void TBitmap::Draw(TCanvas&, const TRect&) {}
void TBitmap::LoadFromStream(TStream&) {}
void TBitmap::SaveToStream(TStream&) const {}
void TBitmap::FreeImage() { Reallocate(0, 0, format_, false); }
void TBitmap::Reallocate(int width, int height, TPixelFormat, bool)
{
    width_ = width;
    height_ = height;
    stride_ = BytesPerScanline(width, 24);
    bits_.assign(static_cast<std::size_t>(stride_) * height, 0xFF);
}
std::size_t TBitmap::Offset(int x, int y) const { return static_cast<std::size_t>(height_ - 1 - y) * stride_ + x * 3; }
int BytesPerScanline(int width, int bitsPerPixel) { return ((width * bitsPerPixel + 31) / 32) * 4; }
std::vector<TRGBQuad> DefaultPalette(int) { return {}; }
