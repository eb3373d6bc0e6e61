// JPEG pictures.
#include "gfx/jpeg.h"

TJPEGImage::TJPEGImage() = default;
TJPEGImage::~TJPEGImage() = default;
void TJPEGImage::SetCompressionQuality(int value) { quality_ = value; }
void TJPEGImage::SetGrayscale(bool value) { grayscale_ = value; }
void TJPEGImage::SetProgressiveEncoding(bool value) { progressive_ = value; }
const TBitmap& TJPEGImage::Bitmap() const
{
    if (!bitmap_) bitmap_ = std::make_unique<TBitmap>();
    return *bitmap_;
}
void TJPEGImage::Compress() {}
void TJPEGImage::Assign(const TGraphic& source) { TGraphic::Assign(source); }
void TJPEGImage::AssignTo(TGraphic& dest) const { TGraphic::AssignTo(dest); }
void TJPEGImage::Draw(TCanvas&, const TRect&) {}
void TJPEGImage::LoadFromStream(TStream&) {}
void TJPEGImage::SaveToStream(TStream&) const {}
int TJPEGImage::GetWidth() const { return width_; }
int TJPEGImage::GetHeight() const { return height_; }
bool TJPEGImage::GetEmpty() const { return width_ == 0 || height_ == 0; }
void TJPEGImage::SetWidthImpl(int) {}
void TJPEGImage::SetHeightImpl(int) {}
void TJPEGImage::Decode() const {}
void TJPEGImage::Encode() const {}
void SaveBitmapAsJpeg(const TBitmap&, const std::string&, int) {}
