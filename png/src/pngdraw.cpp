// The PNG object as a picture of the graphics layer: exchanging pixels with bitmaps,
// drawing on a canvas, and the picture-kind registration.
#include "png/pngimage.h"
#include "png/pnglang.h"

#include "gfx/bitmap.h"
#include "gfx/canvas.h"
#include "gfx/gdi.h"
#include "gfx/picture.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

namespace {

TPixelFormat FormatForBits(int bits)
{
    switch (bits) {
    case 1: return pf1bit;
    case 4: return pf4bit;
    case 8: return pf8bit;
    default: return pf24bit;
    }
}

// Registers the kind with the picture class for files ending in ".png".
struct Registration {
    Registration()
    {
        TPicture::RegisterFileFormat("PNG", "Portable Network Graphics",
                                     [] { return std::unique_ptr<TGraphic>(new TPNGObject); });
        TPicture::RegisterClass("TPNGObject", [] { return std::unique_ptr<TGraphic>(new TPNGObject); });
    }
    ~Registration() { TPicture::UnregisterFileFormat("PNG"); }
};
const Registration registration;

} // namespace

void TPNGObject::Assign(const TGraphic& source)
{
    if (const auto* png = dynamic_cast<const TPNGObject*>(&source)) {
        AssignPNG(*png);
    } else if (const auto* bitmap = dynamic_cast<const TBitmap*>(&source)) {
        AssignHandle(*bitmap, bitmap->Transparent(), ColorToRGB(bitmap->TransparentColor()));
    } else {
        TGraphic::Assign(source);
    }
}

void TPNGObject::AssignTo(TGraphic& dest) const
{
    if (auto* png = dynamic_cast<TPNGObject*>(&dest)) {
        png->AssignPNG(*this);
        return;
    }
    auto* bitmap = dynamic_cast<TBitmap*>(&dest);
    if (!bitmap) {
        TGraphic::AssignTo(dest);
        return;
    }
    if (!HeaderPresent()) return;
    const TChunkIHDR* h = GetHeader();
    const int bits = h->DibBitsPerPixel();
    TBitmap result(static_cast<int>(h->Width), static_cast<int>(h->Height), FormatForBits(bits));
    if (bits <= 8)
        result.SetColors(std::vector<TRGBQuad>(h->BitmapInfo.bmiColors.begin(),
                                               h->BitmapInfo.bmiColors.begin() + (1 << bits)));
    const std::size_t rowBytes = std::min<std::size_t>(h->BytesPerRow, result.BytesPerRow());
    for (std::uint32_t y = 0; y < h->Height; ++y)
        std::memcpy(result.ScanLine(static_cast<int>(y)), GetScanline(static_cast<int>(y)), rowBytes);
    bitmap->Assign(result);
    if (GetTransparencyMode() == ptmBit) {
        bitmap->SetTransparentColor(GetTransparentColor());
        bitmap->SetTransparent(true);
    }
}

void TPNGObject::AssignHandle(const TBitmap& bitmap, bool transparent, TColor transparentColor)
{
    // 1, 4 and 8-bit bitmaps become palette images; every other format is true colour.
    const int bits = bitmap.BitsPerPixel();
    const bool palette = bits == 1 || bits == 4 || bits == 8;
    TBitmap converted;
    const TBitmap* src = &bitmap;
    if (!palette && bitmap.PixelFormat() != pf24bit) {
        converted.Assign(bitmap);
        converted.SetPixelFormat(pf24bit);
        src = &converted;
    }

    ClearChunks();
    auto header = std::make_unique<TChunkIHDR>(this);
    header->Width = static_cast<std::uint32_t>(std::max(0, src->Width()));
    header->Height = static_cast<std::uint32_t>(std::abs(src->Height()));
    header->BitDepth = static_cast<std::uint8_t>(palette ? bits : 8);
    header->ColorType = palette ? 3 : 2;
    header->CompressionMethod = 0;
    header->FilterMethod = 0;
    header->InterlaceMethod = 0;
    header->PrepareImageData();
    if (palette) {
        const auto& colors = src->Colors();
        for (std::size_t i = 0; i < colors.size() && i < 256; ++i) header->BitmapInfo.bmiColors[i] = colors[i];
    }
    TChunkIHDR* h = header.get();
    Chunks.Append(std::move(header));
    if (palette) {
        auto plte = std::make_unique<TChunkPLTE>(this);
        plte->Count = 1u << bits;
        Chunks.Append(std::move(plte));
    }
    TChunktRNS* trns = nullptr;
    if (transparent) {
        auto chunk = std::make_unique<TChunktRNS>(this);
        trns = chunk.get();
        Chunks.Append(std::move(chunk));
    }
    Chunks.Append(std::make_unique<TChunkIDAT>(this));
    Chunks.Append(std::make_unique<TChunkIEND>(this));

    const std::size_t rowBytes = std::min<std::size_t>(h->BytesPerRow, src->BytesPerRow());
    for (std::uint32_t y = 0; y < h->Height; ++y)
        std::memcpy(GetScanline(static_cast<int>(y)), src->ScanLine(static_cast<int>(y)), rowBytes);
    if (trns) trns->SetTransparentColor(ColorToRGB(transparentColor));
    Changed();
}

std::vector<TRGBQuad> TPNGObject::GetPalette() const
{
    if (!HeaderPresent()) return {};
    const TChunkIHDR* h = GetHeader();
    if (h->ColorType != 0 && h->ColorType != 3) return {};
    return {h->BitmapInfo.bmiColors.begin(), h->BitmapInfo.bmiColors.end()};
}

void TPNGObject::Draw(TCanvas& canvas, const TRect& rect)
{
    if (GetEmpty() || !HeaderPresent()) return;
    const TPNGTransparencyMode mode = GetTransparencyMode();
    if (mode == ptmPartial) {
        DrawPartialTrans(canvas, rect);
        return;
    }
    TBitmap image;
    AssignTo(image);
    const int w = image.Width(), h = image.Height();
    if (mode == ptmNone) {
        const int old = SetStretchBltMode(&canvas, COLORONCOLOR);
        StretchBlt(&canvas, rect.Left, rect.Top, rect.Width(), rect.Height(), image.Canvas(), 0, 0, w, h, SRCCOPY);
        SetStretchBltMode(&canvas, old);
    } else {
        // Pixels of the transparent colour leave the destination as it was.
        const int old = SetStretchBltMode(&canvas, COLORONCOLOR);
        TransparentBlt(&canvas, rect.Left, rect.Top, rect.Width(), rect.Height(), image.Canvas(), 0, 0, w, h,
                       GetTransparentColor());
        SetStretchBltMode(&canvas, old);
    }
}

void TPNGObject::DrawPartialTrans(TCanvas& canvas, const TRect& r)
{
    if (r.Left == r.Right || r.Top == r.Bottom) return;
    TRect rect{std::min(r.Left, r.Right), std::min(r.Top, r.Bottom), std::max(r.Left, r.Right),
               std::max(r.Top, r.Bottom)};
    const TChunkIHDR* h = GetHeader();
    const int w = rect.Width(), hgt = rect.Height();
    const int iw = static_cast<int>(h->Width), ih = static_cast<int>(h->Height);
    const bool scaled = w != iw || hgt != ih;
    const double factorX = double(w) / iw, factorY = double(hgt) / ih;

    TBitmap buffer;
    try {
        buffer.SetSize(w, hgt);
    } catch (const std::bad_alloc&) {
        throw EPNGOutMemory(pnglang::EPNGOutMemoryText);
    }
    BitBlt(buffer.Canvas(), 0, 0, w, hgt, &canvas, rect.Left, rect.Top, SRCCOPY);

    const auto* trns = Chunks.ItemFromClass<TChunktRNS>();
    const int bits = h->DibBitsPerPixel();
    auto blend = [](int s, int a, int bg) { return static_cast<std::uint8_t>((s * a + 255 + (255 - a) * bg) >> 8); };
    for (int y = 0; y < hgt; ++y) {
        const int sy = std::min(ih - 1, scaled ? static_cast<int>(y / factorY) : y);
        const std::uint8_t* src = GetScanline(sy);
        const std::uint8_t* alpha = GetAlphaScanline(sy);
        std::uint8_t* dst = buffer.ScanLine(y);
        for (int x = 0; x < w; ++x, dst += 3) {
            const int sx = std::min(iw - 1, scaled ? static_cast<int>(x / factorX) : x);
            int a = 255;
            TRGBQuad c;
            if (bits == 24) {
                c.rgbBlue = src[3 * sx];
                c.rgbGreen = src[3 * sx + 1];
                c.rgbRed = src[3 * sx + 2];
                a = alpha ? alpha[sx] : 255;
            } else {
                const int per = 8 / bits;
                const int index = (src[sx / per] >> (8 - bits - (sx % per) * bits)) & ((1 << bits) - 1);
                c = h->BitmapInfo.bmiColors[index];
                if (alpha) a = alpha[sx];
                else if (trns) a = trns->PaletteValues[index];
            }
            if (a == 0) continue;
            if (a == 255) {
                dst[0] = c.rgbBlue;
                dst[1] = c.rgbGreen;
                dst[2] = c.rgbRed;
                continue;
            }
            dst[0] = blend(c.rgbBlue, a, dst[0]);
            dst[1] = blend(c.rgbGreen, a, dst[1]);
            dst[2] = blend(c.rgbRed, a, dst[2]);
        }
    }
    BitBlt(&canvas, rect.Left, rect.Top, w, hgt, buffer.Canvas(), 0, 0, SRCCOPY);
}
