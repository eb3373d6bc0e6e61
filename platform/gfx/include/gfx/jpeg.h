#pragma once
// JPEG pictures through libjpeg: read, write with a quality, convert to and
// from bitmaps.
#include "gfx/export.h"
#include "gfx/bitmap.h"

#include <cstdint>
#include <memory>
#include <vector>

class GFX_API TJPEGImage : public TGraphic {
public:
    TJPEGImage();
    ~TJPEGImage() override;

    int CompressionQuality() const { return quality_; } // 1..100; 75, the library's default
    void SetCompressionQuality(int value);
    bool Grayscale() const { return grayscale_; }
    void SetGrayscale(bool value);
    bool ProgressiveEncoding() const { return progressive_; }
    void SetProgressiveEncoding(bool value);

    // The decoded picture (24 bits), decoded on first use.
    const TBitmap& Bitmap() const;
    void DIBNeeded() const { Bitmap(); }
    // Encodes the current picture now (done by SaveToStream anyway).
    void Compress();

    void Assign(const TGraphic& source) override; // a bitmap or another JPEG
    void AssignTo(TGraphic& dest) const override;  // to a bitmap
    void Draw(TCanvas& canvas, const TRect& rect) override;
    void LoadFromStream(TStream& stream) override; // EInvalidGraphic("JPEG error #n") on bad data
    void SaveToStream(TStream& stream) const override;
    std::string ClassName() const override { return "TJPEGImage"; }

protected:
    int GetWidth() const override;
    int GetHeight() const override;
    bool GetEmpty() const override;
    void SetWidthImpl(int value) override;
    void SetHeightImpl(int value) override;

private:
    void Decode() const;
    void Encode() const;

    int quality_ = 75;
    bool grayscale_ = false;
    bool progressive_ = false;
    int width_ = 0;
    int height_ = 0;
    mutable std::vector<std::uint8_t> data_;   // the JPEG stream, when current
    mutable std::unique_ptr<TBitmap> bitmap_;   // the decoded picture, when current
};

// Whole-file helpers: writes a bitmap as a JPEG file with the quality.
GFX_API void SaveBitmapAsJpeg(const TBitmap& bitmap, const std::string& path, int quality = 75);
