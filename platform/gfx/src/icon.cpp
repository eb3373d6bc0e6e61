// Icons: .ico files, one picture with its mask.
#include "gfx/icon.h"

#include "bmpfile.h"
#include "gfx/canvas.h"
#include "gfx/picture.h"
#include "painter.h"
#include "rtl/classes.h"

#include <algorithm>

namespace {

[[noreturn]] void Bad(const char* why) { throw EInvalidGraphic(std::string("Icon image is not valid: ") + why); }

std::uint32_t U32(const std::vector<std::uint8_t>& d, std::size_t at)
{
    if (at > d.size() || d.size() - at < 4) Bad("truncated");
    return static_cast<std::uint32_t>(d[at]) | (static_cast<std::uint32_t>(d[at + 1]) << 8) |
           (static_cast<std::uint32_t>(d[at + 2]) << 16) | (static_cast<std::uint32_t>(d[at + 3]) << 24);
}
std::uint16_t U16(const std::vector<std::uint8_t>& d, std::size_t at)
{
    if (at > d.size() || d.size() - at < 2) Bad("truncated");
    return static_cast<std::uint16_t>(d[at] | (d[at + 1] << 8));
}

void Put16(std::vector<std::uint8_t>& v, std::uint16_t x)
{
    v.push_back(static_cast<std::uint8_t>(x));
    v.push_back(static_cast<std::uint8_t>(x >> 8));
}
void Put32(std::vector<std::uint8_t>& v, std::uint32_t x)
{
    for (int i = 0; i < 4; ++i) v.push_back(static_cast<std::uint8_t>(x >> (8 * i)));
}

} // namespace

TIcon::TIcon() { image_.SetPixelFormat(pf32bit); }
TIcon::~TIcon() = default;

void TIcon::SetFromBitmap(const TBitmap& bitmap, TColor transparent)
{
    const TColor key = ColorToRGB(transparent);
    TBitmap img(bitmap.Width(), bitmap.Height(), pf32bit);
    for (int y = 0; y < img.Height(); ++y) {
        std::uint8_t* row = img.ScanLine(y);
        for (int x = 0; x < img.Width(); ++x) {
            const TColor c = bitmap.Pixel(x, y);
            const bool hidden = c == key;
            row[4 * x] = hidden ? 0 : static_cast<std::uint8_t>(GetBValue(c));
            row[4 * x + 1] = hidden ? 0 : static_cast<std::uint8_t>(GetGValue(c));
            row[4 * x + 2] = hidden ? 0 : static_cast<std::uint8_t>(GetRValue(c));
            row[4 * x + 3] = hidden ? 0 : 255;
        }
    }
    image_.Assign(img);
    Changed();
}

void TIcon::Assign(const TGraphic& source)
{
    if (&source == this) return;
    if (auto* i = dynamic_cast<const TIcon*>(&source)) {
        image_.Assign(i->image_);
        Changed();
        return;
    }
    if (auto* b = dynamic_cast<const TBitmap*>(&source)) {
        SetFromBitmap(*b, b->Transparent() ? b->TransparentColor() : clNone);
        return;
    }
    TGraphic::Assign(source);
}

void TIcon::AssignTo(TGraphic& dest) const
{
    if (auto* b = dynamic_cast<TBitmap*>(&dest)) {
        b->Assign(image_);
        return;
    }
    TGraphic::AssignTo(dest);
}

void TIcon::Draw(TCanvas& canvas, const TRect& rect)
{
    if (GetEmpty()) return;
    TCanvasPainter p(canvas);
    if (!p.Ok()) return;
    int l = rect.Left, r = rect.Right, t = rect.Top, b = rect.Bottom;
    const bool mx = r < l, my = b < t;
    if (mx) std::swap(l, r);
    if (my) std::swap(t, b);
    const int w = r - l, h = b - t;
    if (w == 0 || h == 0) return;
    const int iw = image_.Width(), ih = image_.Height();
    for (int y = 0; y < h; ++y) {
        const int sy = static_cast<int>((2 * static_cast<std::int64_t>(my ? h - 1 - y : y) + 1) * ih / (2 * h));
        const std::uint8_t* row = image_.ScanLine(sy);
        for (int x = 0; x < w; ++x) {
            const int sx = static_cast<int>((2 * static_cast<std::int64_t>(mx ? w - 1 - x : x) + 1) * iw / (2 * w));
            const std::uint8_t* px = row + 4 * sx;
            p.Blend(p.DevX(l + x), p.DevY(t + y), RGB(px[2], px[1], px[0]), px[3]);
        }
    }
}

void TIcon::LoadFromStream(TStream& stream)
{
    const std::vector<std::uint8_t> data = ReadRest(stream);
    if (U16(data, 0) != 0 || U16(data, 2) != 1) Bad("not an icon file");
    const int count = U16(data, 4);
    if (count == 0) Bad("no images");
    // Prefer a 16 x 16 entry with the most colours, else the first.
    int chosen = -1, bestBits = -1;
    for (int i = 0; i < count; ++i) {
        const std::size_t e = 6 + 16 * static_cast<std::size_t>(i);
        if (e + 16 > data.size()) Bad("truncated directory");
        const int w = data[e] ? data[e] : 256, h = data[e + 1] ? data[e + 1] : 256;
        const int bits = U16(data, e + 6);
        if (w == 16 && h == 16 && bits > bestBits) {
            chosen = i;
            bestBits = bits;
        }
    }
    if (chosen < 0) chosen = 0;
    const std::size_t e = 6 + 16 * static_cast<std::size_t>(chosen);
    const std::uint32_t size = U32(data, e + 8), offset = U32(data, e + 12);
    if (offset > data.size() || size > data.size() - offset || size < 8) Bad("entry outside the file");
    std::vector<std::uint8_t> entry(data.begin() + offset, data.begin() + offset + size);

    TBitmap img;
    if (entry[0] == 0x89 && entry[1] == 'P' && entry[2] == 'N' && entry[3] == 'G') {
        // PNG entries go through whichever PNG kind is registered.
        std::unique_ptr<TGraphic> png = TPicture::CreateGraphic("png");
        if (!png) Bad("PNG icon entries need the PNG codec");
        TMemoryStream ms;
        ms.WriteBuffer(entry.data(), static_cast<std::int64_t>(entry.size()));
        ms.SetPosition(0);
        png->LoadFromStream(ms);
        TBitmap colour;
        colour.Assign(*png);
        img.SetPixelFormat(pf32bit);
        img.SetSize(colour.Width(), colour.Height());
        for (int y = 0; y < img.Height(); ++y)
            for (int x = 0; x < img.Width(); ++x) {
                img.SetPixel(x, y, colour.Pixel(x, y));
                img.ScanLine(y)[4 * x + 3] = 255;
            }
    } else {
        TBitmap colour;
        const std::size_t maskAt = ReadDib(entry, kDibBitsAfterTable, 2, colour);
        const int w = colour.Width(), h = colour.Height();
        img.SetPixelFormat(pf32bit);
        img.SetSize(w, h);
        bool hasAlpha = false;
        if (colour.BitsPerPixel() == 32)
            for (int y = 0; y < h && !hasAlpha; ++y)
                for (int x = 0; x < w; ++x)
                    if (colour.ScanLine(y)[4 * x + 3]) {
                        hasAlpha = true;
                        break;
                    }
        const std::size_t maskStride = static_cast<std::size_t>(BytesPerScanline(w, 1));
        const bool haveMask = maskAt <= entry.size() && entry.size() - maskAt >= maskStride * static_cast<std::size_t>(h);
        for (int y = 0; y < h; ++y) {
            std::uint8_t* dst = img.ScanLine(y);
            for (int x = 0; x < w; ++x) {
                const TColor c = colour.Pixel(x, y);
                int alpha = 255;
                if (hasAlpha) alpha = colour.ScanLine(y)[4 * x + 3];
                else if (haveMask) {
                    const std::uint8_t* mrow = entry.data() + maskAt + maskStride * static_cast<std::size_t>(h - 1 - y);
                    if ((mrow[x / 8] >> (7 - (x & 7))) & 1) alpha = 0;
                }
                dst[4 * x] = static_cast<std::uint8_t>(GetBValue(c));
                dst[4 * x + 1] = static_cast<std::uint8_t>(GetGValue(c));
                dst[4 * x + 2] = static_cast<std::uint8_t>(GetRValue(c));
                dst[4 * x + 3] = static_cast<std::uint8_t>(alpha);
            }
        }
    }
    image_.Assign(img);
    Changed();
}

void TIcon::SaveToStream(TStream& stream) const
{
    const int w = image_.Width(), h = image_.Height();
    if (w == 0 || h == 0) throw EInvalidGraphicOperation("Cannot save an empty icon");
    if (w > 256 || h > 256) throw EInvalidGraphicOperation("Icon too large");
    const std::size_t maskStride = static_cast<std::size_t>(BytesPerScanline(w, 1));
    std::vector<std::uint8_t> dib;
    Put32(dib, 40);
    Put32(dib, static_cast<std::uint32_t>(w));
    Put32(dib, static_cast<std::uint32_t>(h * 2));
    Put16(dib, 1);
    Put16(dib, 32);
    for (int i = 0; i < 6; ++i) Put32(dib, 0);
    dib.insert(dib.end(), image_.Bits(), image_.Bits() + static_cast<std::size_t>(image_.BytesPerRow()) * h);
    std::vector<std::uint8_t> mask(maskStride * static_cast<std::size_t>(h), 0);
    for (int sy = 0; sy < h; ++sy) { // stored bottom-up like the colour rows
        const std::uint8_t* row = image_.Bits() + static_cast<std::size_t>(sy) * image_.BytesPerRow();
        for (int x = 0; x < w; ++x)
            if (row[4 * x + 3] == 0) mask[maskStride * static_cast<std::size_t>(sy) + x / 8] |= static_cast<std::uint8_t>(0x80 >> (x & 7));
    }
    dib.insert(dib.end(), mask.begin(), mask.end());
    std::vector<std::uint8_t> head;
    Put16(head, 0);
    Put16(head, 1);
    Put16(head, 1);
    head.push_back(static_cast<std::uint8_t>(w == 256 ? 0 : w));
    head.push_back(static_cast<std::uint8_t>(h == 256 ? 0 : h));
    head.push_back(0);
    head.push_back(0);
    Put16(head, 1);
    Put16(head, 32);
    Put32(head, static_cast<std::uint32_t>(dib.size()));
    Put32(head, 22);
    stream.WriteBuffer(head.data(), static_cast<std::int64_t>(head.size()));
    stream.WriteBuffer(dib.data(), static_cast<std::int64_t>(dib.size()));
}

void TIcon::SetWidthImpl(int) { throw EInvalidGraphicOperation("Cannot change the size of an icon"); }
void TIcon::SetHeightImpl(int) { throw EInvalidGraphicOperation("Cannot change the size of an icon"); }
