// Device-independent bitmaps: storage, pixels, formats and palettes.
#include "gfx/bitmap.h"

#include "bmpfile.h"
#include "gfx/canvas.h"
#include "gfx/gdi.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

// Pictures larger than this are refused rather than allocated (a lying file
// header must not take the machine's memory).
constexpr std::int64_t kMaxPixels = std::int64_t{1} << 26;
constexpr int kMaxSide = 32768;

int FormatBits(TPixelFormat f)
{
    switch (f) {
    case pf1bit: return 1;
    case pf4bit: return 4;
    case pf8bit: return 8;
    case pf15bit:
    case pf16bit: return 16;
    case pf32bit: return 32;
    default: return 24;
    }
}

TPixelFormat Normalized(TPixelFormat f)
{
    return (f == pfDevice || f == pfCustom) ? pf24bit : f;
}

} // namespace

int BytesPerScanline(int width, int bitsPerPixel)
{
    return static_cast<int>(((static_cast<std::int64_t>(width) * bitsPerPixel + 31) / 32) * 4);
}

std::vector<TRGBQuad> DefaultPalette(int bitsPerPixel)
{
    static const TColor vga[16] = {clBlack, clMaroon, clGreen, clOlive, clNavy, clPurple, clTeal, clGray,
                                   clSilver, clRed, clLime, clYellow, clBlue, clFuchsia, clAqua, clWhite};
    std::vector<TRGBQuad> p;
    if (bitsPerPixel == 1) {
        p = {ColorToQuad(clBlack), ColorToQuad(clWhite)};
    } else if (bitsPerPixel == 4) {
        for (TColor c : vga) p.push_back(ColorToQuad(c));
    } else if (bitsPerPixel == 8) {
        for (TColor c : vga) p.push_back(ColorToQuad(c));
        for (int r = 0; r < 6; ++r)
            for (int g = 0; g < 6; ++g)
                for (int b = 0; b < 6; ++b)
                    p.push_back(ColorToQuad(RGB(r * 51, g * 51, b * 51)));
        while (p.size() < 256) {
            int level = static_cast<int>((p.size() - 232) * 255 / 23);
            p.push_back(ColorToQuad(RGB(level, level, level)));
        }
    }
    return p;
}

TBitmap::TBitmap() = default;

TBitmap::TBitmap(int width, int height, TPixelFormat format)
{
    Reallocate(width, height, Normalized(format), false);
}

TBitmap::TBitmap(TBitmap&& other) noexcept { *this = std::move(other); }

TBitmap& TBitmap::operator=(TBitmap&& other) noexcept
{
    if (this == &other) return *this;
    width_ = std::exchange(other.width_, 0);
    height_ = std::exchange(other.height_, 0);
    format_ = other.format_;
    stride_ = std::exchange(other.stride_, 0);
    bits_ = std::move(other.bits_);
    palette_ = std::move(other.palette_);
    transparent_ = other.transparent_;
    transparentColor_ = other.transparentColor_;
    transparentMode_ = other.transparentMode_;
    canvas_ = std::move(other.canvas_);
    if (canvas_) canvas_->SetTarget(this);
    other.bits_.clear();
    other.palette_.clear();
    return *this;
}

TBitmap::~TBitmap() = default;

int TBitmap::BitsPerPixel() const { return FormatBits(format_); }

void TBitmap::Reallocate(int width, int height, TPixelFormat format, bool keep)
{
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width > kMaxSide || height > kMaxSide || static_cast<std::int64_t>(width) * height > kMaxPixels)
        throw EOutOfResources("Out of system resources");
    format = Normalized(format);
    const int bpp = FormatBits(format);

    TBitmap old;
    if (keep) {
        old.width_ = width_;
        old.height_ = height_;
        old.format_ = format_;
        old.stride_ = stride_;
        old.bits_.swap(bits_);
        old.palette_.swap(palette_);
    }
    width_ = width;
    height_ = height;
    format_ = format;
    stride_ = BytesPerScanline(width, bpp);
    if (bpp <= 8) {
        if (keep && old.palette_.size() == (std::size_t{1} << bpp)) palette_ = old.palette_;
        else palette_ = DefaultPalette(bpp);
    } else {
        palette_.clear();
    }
    bits_.assign(static_cast<std::size_t>(stride_) * static_cast<std::size_t>(height), 0);
    // New pixels are white, as a fresh bitmap of the framework is. A bitmap
    // without pixels (no width or no height) has no bits to fill or keep.
    if (bits_.empty()) {
        // nothing to fill
    } else if (bpp <= 8) {
        int white = NearestIndex(clWhite);
        std::uint8_t fill = 0;
        if (bpp == 8) fill = static_cast<std::uint8_t>(white);
        else if (bpp == 4) fill = static_cast<std::uint8_t>(white * 0x11);
        else fill = white ? 0xFF : 0;
        std::fill(bits_.begin(), bits_.end(), fill);
    } else if (bpp == 16) {
        for (int y = 0; y < height; ++y) {
            std::uint8_t* row = bits_.data() + static_cast<std::size_t>(y) * stride_;
            std::uint16_t v = format == pf16bit ? 0xFFFF : 0x7FFF;
            for (int x = 0; x < width; ++x) std::memcpy(row + 2 * x, &v, 2);
        }
    } else {
        for (int y = 0; y < height; ++y) {
            std::uint8_t* row = bits_.data() + static_cast<std::size_t>(y) * stride_;
            if (bpp == 24) std::memset(row, 0xFF, static_cast<std::size_t>(width) * 3);
            else
                for (int x = 0; x < width; ++x) {
                    row[4 * x] = row[4 * x + 1] = row[4 * x + 2] = 0xFF;
                    row[4 * x + 3] = 0;
                }
        }
    }
    if (keep && !old.GetEmpty() && !bits_.empty()) {
        const int w = std::min(width, old.width_);
        const int h = std::min(height, old.height_);
        for (int y = 0; y < h; ++y) {
            if (bpp >= 8 && old.format_ == format) {
                std::memcpy(ScanLine(y), old.ScanLine(y), static_cast<std::size_t>(w) * bpp / 8);
            } else {
                for (int x = 0; x < w; ++x) SetPixel(x, y, old.Pixel(x, y));
            }
        }
    }
}

void TBitmap::SetSize(int width, int height)
{
    if (width == width_ && height == height_) return;
    Reallocate(width, height, format_, true);
    Changed();
}

void TBitmap::SetPixelFormat(TPixelFormat value)
{
    value = Normalized(value);
    if (value == format_) return;
    TBitmap old;
    old.width_ = width_;
    old.height_ = height_;
    old.format_ = format_;
    old.stride_ = stride_;
    old.bits_.swap(bits_);
    old.palette_.swap(palette_);
    Reallocate(width_, height_, value, false);
    if (FormatBits(value) == FormatBits(old.format_) && FormatBits(value) <= 8) {
        // Same palette depth: keep indexes and colour table.
        bits_ = old.bits_;
        palette_ = old.palette_;
    } else {
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x) SetPixel(x, y, old.Pixel(x, y));
    }
    Changed();
}

std::uint8_t* TBitmap::ScanLine(int y)
{
    if (y < 0 || y >= height_) throw ERangeError("Scan line index out of range");
    return bits_.data() + static_cast<std::size_t>(height_ - 1 - y) * static_cast<std::size_t>(stride_);
}

const std::uint8_t* TBitmap::ScanLine(int y) const
{
    if (y < 0 || y >= height_) throw ERangeError("Scan line index out of range");
    return bits_.data() + static_cast<std::size_t>(height_ - 1 - y) * static_cast<std::size_t>(stride_);
}

std::size_t TBitmap::Offset(int x, int y) const
{
    return static_cast<std::size_t>(height_ - 1 - y) * static_cast<std::size_t>(stride_) +
           static_cast<std::size_t>(x) * static_cast<std::size_t>(FormatBits(format_)) / 8;
}

TColor TBitmap::Pixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
    const std::uint8_t* p = bits_.data() + Offset(x, y);
    switch (format_) {
    case pf1bit: return QuadToColor(palette_[(*p >> (7 - (x & 7))) & 1]);
    case pf4bit: return QuadToColor(palette_[(x & 1) ? (*p & 0x0F) : (*p >> 4)]);
    case pf8bit: return QuadToColor(palette_[*p]);
    case pf15bit:
    case pf16bit: {
        std::uint16_t v = static_cast<std::uint16_t>(p[0] | (p[1] << 8));
        int r, g, b;
        if (format_ == pf16bit) {
            r = (v >> 11) & 31;
            g = (v >> 5) & 63;
            b = v & 31;
            g = (g << 2) | (g >> 4);
        } else {
            r = (v >> 10) & 31;
            g = (v >> 5) & 31;
            b = v & 31;
            g = (g << 3) | (g >> 2);
        }
        return RGB((r << 3) | (r >> 2), g, (b << 3) | (b >> 2));
    }
    default: return RGB(p[2], p[1], p[0]);
    }
}

void TBitmap::SetPixel(int x, int y, TColor color)
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    color = ColorToRGB(color);
    std::uint8_t* p = bits_.data() + Offset(x, y);
    switch (format_) {
    case pf1bit: {
        int bit = 7 - (x & 7);
        *p = static_cast<std::uint8_t>((*p & ~(1 << bit)) | (NearestIndex(color) << bit));
        break;
    }
    case pf4bit: {
        int i = NearestIndex(color);
        *p = (x & 1) ? static_cast<std::uint8_t>((*p & 0xF0) | i) : static_cast<std::uint8_t>((*p & 0x0F) | (i << 4));
        break;
    }
    case pf8bit: *p = static_cast<std::uint8_t>(NearestIndex(color)); break;
    case pf15bit:
    case pf16bit: {
        int r = GetRValue(color), g = GetGValue(color), b = GetBValue(color);
        std::uint16_t v = format_ == pf16bit
                              ? static_cast<std::uint16_t>(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3))
                              : static_cast<std::uint16_t>(((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3));
        p[0] = static_cast<std::uint8_t>(v);
        p[1] = static_cast<std::uint8_t>(v >> 8);
        break;
    }
    case pf32bit:
        p[3] = 0;
        [[fallthrough]];
    default:
        p[0] = static_cast<std::uint8_t>(GetBValue(color));
        p[1] = static_cast<std::uint8_t>(GetGValue(color));
        p[2] = static_cast<std::uint8_t>(GetRValue(color));
        break;
    }
}

void TBitmap::SetColors(const std::vector<TRGBQuad>& entries)
{
    const int bpp = FormatBits(format_);
    if (bpp > 8) return;
    palette_ = entries;
    palette_.resize(std::size_t{1} << bpp);
    Changed();
}

void TBitmap::SetColor(int index, TRGBQuad entry)
{
    if (index < 0 || index >= static_cast<int>(palette_.size())) return;
    palette_[static_cast<std::size_t>(index)] = entry;
}

int TBitmap::NearestIndex(TColor color) const
{
    color = ColorToRGB(color);
    const int r = GetRValue(color), g = GetGValue(color), b = GetBValue(color);
    int best = 0;
    int bestDistance = 1 << 30;
    for (std::size_t i = 0; i < palette_.size(); ++i) {
        const TRGBQuad& q = palette_[i];
        int dr = q.rgbRed - r, dg = q.rgbGreen - g, db = q.rgbBlue - b;
        int d = dr * dr + dg * dg + db * db;
        if (d < bestDistance) {
            bestDistance = d;
            best = static_cast<int>(i);
            if (d == 0) break;
        }
    }
    return best;
}

TCanvas* TBitmap::Canvas()
{
    if (!canvas_) canvas_ = std::make_unique<TCanvas>(this);
    return canvas_.get();
}

TColor TBitmap::TransparentColor() const
{
    if (transparentMode_ == tmFixed && transparentColor_ != clDefault) return transparentColor_;
    if (GetEmpty()) return clDefault;
    return Pixel(0, height_ - 1);
}

void TBitmap::SetTransparentColor(TColor value)
{
    transparentColor_ = value;
    transparentMode_ = value == clDefault ? tmAuto : tmFixed;
    Changed();
}

void TBitmap::SetTransparentMode(TTransparentMode value)
{
    if (value == transparentMode_) return;
    transparentMode_ = value;
    if (value == tmAuto) transparentColor_ = clDefault;
    Changed();
}

void TBitmap::Assign(const TGraphic& source)
{
    if (&source == this) return;
    if (auto* b = dynamic_cast<const TBitmap*>(&source)) {
        width_ = b->width_;
        height_ = b->height_;
        format_ = b->format_;
        stride_ = b->stride_;
        bits_ = b->bits_;
        palette_ = b->palette_;
        transparent_ = b->transparent_;
        transparentColor_ = b->transparentColor_;
        transparentMode_ = b->transparentMode_;
        Changed();
        return;
    }
    try {
        source.AssignTo(*this);
    } catch (const EConvertError&) {
        // A kind that does not know bitmaps is drawn onto one of its size.
        Reallocate(source.Width(), source.Height(), pf24bit, false);
        if (!GetEmpty()) const_cast<TGraphic&>(source).Draw(*Canvas(), Rect(0, 0, width_, height_));
        Changed();
    }
}

void TBitmap::Draw(TCanvas& canvas, const TRect& rect)
{
    if (GetEmpty()) return;
    TCanvas* source = Canvas();
    const int old = canvas.SetStretchBltMode(COLORONCOLOR);
    // A reversed rectangle mirrors over the same pixels as its normal form;
    // a negative block-transfer width counts from its start pixel backwards.
    int x = rect.Left, w = rect.Right - rect.Left, y = rect.Top, h = rect.Bottom - rect.Top;
    if (w < 0) x -= 1;
    if (h < 0) y -= 1;
    if (Transparent()) TransparentBlt(&canvas, x, y, w, h, source, 0, 0, width_, height_, TransparentColor());
    else StretchBlt(&canvas, x, y, w, h, source, 0, 0, width_, height_, canvas.CopyMode());
    canvas.SetStretchBltMode(old);
}

void TBitmap::LoadFromStream(TStream& stream)
{
    LoadBmp(stream, *this);
    Changed();
}

void TBitmap::SaveToStream(TStream& stream) const
{
    SaveBmp(*this, stream);
}

void TBitmap::FreeImage()
{
    Reallocate(0, 0, format_, false);
    Changed();
}
