#pragma once
// A device-independent bitmap: 1, 4 or 8 bits with a palette, 15/16, 24 or 32
// bits of colour. Rows are stored bottom-up and padded to four bytes, as in a
// BMP file; ScanLine(0) is the top row. A 0 x 0 bitmap is empty.
#include "gfx/export.h"
#include "gfx/graphics.h"

#include <cstdint>
#include <memory>
#include <vector>

enum TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };
// Automatic transparency takes the bottom-left pixel's colour.
enum TTransparentMode { tmAuto, tmFixed };

class GFX_API TBitmap : public TGraphic {
public:
    TBitmap();
    TBitmap(int width, int height, TPixelFormat format = pf24bit);
    // Bitmaps move (the canvas moves along and draws on the new owner); copies go through Assign.
    TBitmap(TBitmap&& other) noexcept;
    TBitmap& operator=(TBitmap&& other) noexcept;
    ~TBitmap() override;

    // Resizing keeps the top-left part of the picture and fills new pixels white.
    void SetSize(int width, int height);
    // pfDevice and pfCustom mean 24 bits. Changing the format converts the
    // pixels (to a palette format: nearest colour of the default palette).
    TPixelFormat PixelFormat() const { return format_; }
    void SetPixelFormat(TPixelFormat value);
    int BitsPerPixel() const;
    int BytesPerRow() const { return stride_; }

    // Row y counted from the top; ERangeError("Scan line index out of range") outside 0..Height-1.
    std::uint8_t* ScanLine(int y);
    const std::uint8_t* ScanLine(int y) const;
    // The stored rows, bottom row first (Height * BytesPerRow bytes).
    std::uint8_t* Bits() { return bits_.data(); }
    const std::uint8_t* Bits() const { return bits_.data(); }

    // Colour of a pixel (0 outside), and setting one (ignored outside; palette
    // formats take the nearest entry).
    TColor Pixel(int x, int y) const;
    void SetPixel(int x, int y, TColor color);

    // Colour table of 1/4/8-bit bitmaps (2, 16 or 256 entries); empty otherwise.
    const std::vector<TRGBQuad>& Colors() const { return palette_; }
    void SetColors(const std::vector<TRGBQuad>& entries); // padded or cut to the format's size
    void SetColor(int index, TRGBQuad entry);
    int NearestIndex(TColor color) const;
    std::vector<TRGBQuad> GetPalette() const override { return palette_; }

    // The bitmap's own canvas, made on first use and kept.
    TCanvas* Canvas();

    // tmAuto: the bottom-left pixel's colour (a plain RGB value); tmFixed: the colour set.
    TColor TransparentColor() const;
    void SetTransparentColor(TColor value); // also sets TransparentMode to tmFixed
    TTransparentMode TransparentMode() const { return transparentMode_; }
    void SetTransparentMode(TTransparentMode value);

    void Assign(const TGraphic& source) override;
    void Draw(TCanvas& canvas, const TRect& rect) override;
    // BMP: read 1/4/8/16/24/32 bits, RLE4/RLE8, bottom-up and top-down;
    // written in the bitmap's own format (BI_RGB) with 14 + 40 byte headers.
    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) const override;
    std::string ClassName() const override { return "TBitmap"; }

    // Drops the picture: 0 x 0, same format.
    void FreeImage();
    void Dormant() {}

protected:
    int GetWidth() const override { return width_; }
    int GetHeight() const override { return height_; }
    bool GetEmpty() const override { return width_ == 0 || height_ == 0; }
    void SetWidthImpl(int value) override { SetSize(value, height_); }
    void SetHeightImpl(int value) override { SetSize(width_, value); }

private:
    friend class TCanvas;
    void Reallocate(int width, int height, TPixelFormat format, bool keep);
    std::size_t Offset(int x, int y) const;

    int width_ = 0;
    int height_ = 0;
    TPixelFormat format_ = pf24bit;
    int stride_ = 0;
    std::vector<std::uint8_t> bits_;
    std::vector<TRGBQuad> palette_;
    TColor transparentColor_ = clDefault;
    TTransparentMode transparentMode_ = tmAuto;
    std::unique_ptr<TCanvas> canvas_;
};

// Bytes of one stored row: bits per pixel * width rounded up to four bytes.
GFX_API int BytesPerScanline(int width, int bitsPerPixel);
// The default colour tables: black/white, the 16 VGA colours, and 256 entries
// (the 16 VGA colours, a 6x6x6 cube, then greys).
GFX_API std::vector<TRGBQuad> DefaultPalette(int bitsPerPixel);
