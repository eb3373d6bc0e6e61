// BMP reading (1/4/8/16/24/32 bits, RLE4/RLE8, either row order) and writing.
#include "bmpfile.h"

#include "rtl/classes.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace {

constexpr std::uint32_t BI_RGB = 0, BI_RLE8 = 1, BI_RLE4 = 2, BI_BITFIELDS = 3, BI_ALPHABITFIELDS = 6;

[[noreturn]] void Bad(const char* why)
{
    throw EInvalidGraphic(std::string("Bitmap image is not valid: ") + why);
}

// Bounds-checked little-endian reads.
class Reader {
public:
    explicit Reader(std::span<const std::uint8_t> data) : data_(data) {}
    bool Has(std::size_t at, std::size_t n) const { return at <= data_.size() && n <= data_.size() - at; }
    std::uint8_t U8(std::size_t at) const
    {
        if (!Has(at, 1)) Bad("truncated");
        return data_[at];
    }
    std::uint16_t U16(std::size_t at) const
    {
        if (!Has(at, 2)) Bad("truncated");
        return static_cast<std::uint16_t>(data_[at] | (data_[at + 1] << 8));
    }
    std::uint32_t U32(std::size_t at) const
    {
        if (!Has(at, 4)) Bad("truncated");
        return static_cast<std::uint32_t>(data_[at]) | (static_cast<std::uint32_t>(data_[at + 1]) << 8) |
               (static_cast<std::uint32_t>(data_[at + 2]) << 16) | (static_cast<std::uint32_t>(data_[at + 3]) << 24);
    }
    std::size_t Size() const { return data_.size(); }
    const std::uint8_t* At(std::size_t at) const { return data_.data() + at; }

private:
    std::span<const std::uint8_t> data_;
};

// Scales a masked field to 8 bits.
struct Field {
    std::uint32_t mask = 0;
    int shift = 0;
    int bits = 0;
    explicit Field(std::uint32_t m = 0) : mask(m)
    {
        if (m) {
            shift = std::countr_zero(m);
            bits = std::popcount(m);
        }
    }
    int Get(std::uint32_t v) const
    {
        if (!mask) return 0;
        std::uint32_t f = (v & mask) >> shift;
        if (bits >= 8) return static_cast<int>(f >> (bits - 8));
        // Replicate the high bits into the low ones so full scale maps to 255.
        std::uint32_t r = 0;
        int filled = 0;
        while (filled < 8) {
            r = (r << bits) | f;
            filled += bits;
        }
        return static_cast<int>(r >> (filled - 8));
    }
};

void DecodeRle(const Reader& r, std::size_t at, bool four, TBitmap& out)
{
    const int w = out.Width(), h = out.Height();
    int x = 0, y = 0; // y counts stored rows from the bottom
    auto put = [&](int index) {
        if (x < w && y < h) {
            std::uint8_t* row = out.Bits() + static_cast<std::size_t>(y) * out.BytesPerRow();
            if (four) row[x / 2] = (x & 1) ? static_cast<std::uint8_t>((row[x / 2] & 0xF0) | (index & 0x0F))
                                           : static_cast<std::uint8_t>((row[x / 2] & 0x0F) | (index << 4));
            else row[x] = static_cast<std::uint8_t>(index);
        }
        ++x;
    };
    while (r.Has(at, 2)) {
        const int count = r.U8(at), value = r.U8(at + 1);
        at += 2;
        if (count > 0) {
            for (int i = 0; i < count; ++i) put(four ? ((i & 1) ? (value & 0x0F) : (value >> 4)) : value);
            continue;
        }
        if (value == 0) { // end of line
            x = 0;
            ++y;
        } else if (value == 1) { // end of bitmap
            return;
        } else if (value == 2) { // delta
            x += r.U8(at);
            y += r.U8(at + 1);
            at += 2;
        } else { // absolute run of `value` pixels, padded to a word
            const std::size_t bytes = four ? (static_cast<std::size_t>(value) + 1) / 2 : static_cast<std::size_t>(value);
            if (!r.Has(at, bytes)) Bad("truncated RLE data");
            for (int i = 0; i < value; ++i) {
                int b = r.U8(at + (four ? static_cast<std::size_t>(i / 2) : static_cast<std::size_t>(i)));
                put(four ? ((i & 1) ? (b & 0x0F) : (b >> 4)) : b);
            }
            at += (bytes + 1) & ~std::size_t{1};
        }
        if (y >= h) return;
    }
    // Files without an end marker are accepted: what was decoded stays.
}

void PutU16(std::vector<std::uint8_t>& v, std::uint16_t x)
{
    v.push_back(static_cast<std::uint8_t>(x));
    v.push_back(static_cast<std::uint8_t>(x >> 8));
}
void PutU32(std::vector<std::uint8_t>& v, std::uint32_t x)
{
    for (int i = 0; i < 4; ++i) v.push_back(static_cast<std::uint8_t>(x >> (8 * i)));
}

} // namespace

std::vector<std::uint8_t> ReadRest(TStream& stream, std::int64_t limit)
{
    const std::int64_t pos = stream.Position();
    const std::int64_t size = stream.Size();
    std::int64_t n = size - pos;
    if (n < 0) n = 0;
    if (n > limit) throw EInvalidGraphic("Picture stream too large");
    std::vector<std::uint8_t> data(static_cast<std::size_t>(n));
    if (n) stream.ReadBuffer(data.data(), n);
    return data;
}

std::size_t ReadDib(std::span<const std::uint8_t> data, std::size_t bitsOffset, int heightDivisor, TBitmap& out)
{
    Reader r(data);
    const std::uint32_t headerSize = r.U32(0);
    std::int64_t width = 0, height = 0;
    int bpp = 0;
    std::uint32_t compression = BI_RGB, clrUsed = 0;
    std::uint32_t masks[4] = {0, 0, 0, 0};
    std::size_t tableAt = 0;
    int entrySize = 4;
    if (headerSize == 12) { // OS/2 core header
        width = r.U16(4);
        height = static_cast<std::int16_t>(r.U16(6));
        bpp = r.U16(10);
        tableAt = 12;
        entrySize = 3;
    } else if (headerSize >= 40 && headerSize <= 4096) {
        width = static_cast<std::int32_t>(r.U32(4));
        height = static_cast<std::int32_t>(r.U32(8));
        if (r.U16(12) != 1) Bad("planes");
        bpp = r.U16(14);
        compression = r.U32(16);
        clrUsed = r.U32(32);
        tableAt = headerSize;
        if (headerSize >= 52) {
            for (int i = 0; i < 3; ++i) masks[i] = r.U32(40 + 4 * i);
            if (headerSize >= 56) masks[3] = r.U32(52);
        } else if (compression == BI_BITFIELDS || compression == BI_ALPHABITFIELDS) {
            const int n = compression == BI_ALPHABITFIELDS ? 4 : 3;
            for (int i = 0; i < n; ++i) masks[i] = r.U32(headerSize + 4 * static_cast<std::size_t>(i));
            tableAt += 4 * static_cast<std::size_t>(n);
        }
    } else {
        Bad("unknown header");
    }
    const bool topDown = height < 0;
    if (topDown) height = -height;
    if (heightDivisor > 1) height /= heightDivisor;
    if (width <= 0 || height <= 0 || width > 32768 || height > 32768 || width * height > (std::int64_t{1} << 26))
        Bad("size");
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) Bad("bit count");
    const bool rle = compression == BI_RLE8 || compression == BI_RLE4;
    if (compression == BI_RLE8 && bpp != 8) Bad("RLE8 needs 8 bits");
    if (compression == BI_RLE4 && bpp != 4) Bad("RLE4 needs 4 bits");
    if ((compression == BI_BITFIELDS || compression == BI_ALPHABITFIELDS) && bpp != 16 && bpp != 32)
        Bad("bit fields need 16 or 32 bits");
    if (compression != BI_RGB && !rle && compression != BI_BITFIELDS && compression != BI_ALPHABITFIELDS)
        Bad("compression");
    if (rle && topDown) Bad("top-down RLE");

    std::vector<TRGBQuad> table;
    if (bpp <= 8) {
        std::uint32_t count = clrUsed ? clrUsed : (1u << bpp);
        count = std::min<std::uint32_t>(count, 1u << bpp);
        if (!r.Has(tableAt, static_cast<std::size_t>(count) * entrySize)) Bad("truncated colour table");
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::size_t at = tableAt + static_cast<std::size_t>(i) * entrySize;
            table.push_back({r.U8(at), r.U8(at + 1), r.U8(at + 2), 0});
        }
        tableAt += static_cast<std::size_t>(count) * entrySize;
    }
    const std::size_t bitsAt = bitsOffset == kDibBitsAfterTable ? tableAt : bitsOffset;
    const int w = static_cast<int>(width), h = static_cast<int>(height);
    const std::size_t srcStride = static_cast<std::size_t>(BytesPerScanline(w, bpp));

    // Run-length data of a few bytes cannot honestly describe a huge picture.
    if (rle && static_cast<std::int64_t>(w) * h >
                   std::max<std::int64_t>(std::int64_t{1} << 22, static_cast<std::int64_t>(data.size()) * 255))
        Bad("size");
    // Uncompressed pixels must all be present before anything is allocated.
    if (!rle && !r.Has(bitsAt, srcStride * static_cast<std::size_t>(h))) Bad("truncated pixel data");
    TBitmap bmp;
    bmp.SetPixelFormat(bpp == 1 ? pf1bit : bpp == 4 ? pf4bit : bpp == 8 ? pf8bit : bpp == 32 ? pf32bit : pf24bit);
    bmp.SetSize(w, h);
    if (bpp <= 8) bmp.SetColors(table);

    if (rle) {
        std::fill(bmp.Bits(), bmp.Bits() + static_cast<std::size_t>(bmp.BytesPerRow()) * h, 0);
        DecodeRle(r, bitsAt, compression == BI_RLE4, bmp);
        out.Assign(bmp);
        return data.size();
    }
    const bool fields = compression == BI_BITFIELDS || compression == BI_ALPHABITFIELDS;
    if (bpp == 16 && !fields) {
        masks[0] = 0x7C00;
        masks[1] = 0x03E0;
        masks[2] = 0x001F;
    }
    const Field red(masks[0]), green(masks[1]), blue(masks[2]), alpha(masks[3]);
    for (int sy = 0; sy < h; ++sy) {
        const std::uint8_t* src = r.At(bitsAt + srcStride * static_cast<std::size_t>(sy));
        const int storedRow = topDown ? h - 1 - sy : sy; // our storage is bottom-up
        std::uint8_t* dst = bmp.Bits() + static_cast<std::size_t>(storedRow) * bmp.BytesPerRow();
        if (bpp == 16) {
            for (int x = 0; x < w; ++x) {
                std::uint32_t v = static_cast<std::uint32_t>(src[2 * x] | (src[2 * x + 1] << 8));
                dst[3 * x] = static_cast<std::uint8_t>(blue.Get(v));
                dst[3 * x + 1] = static_cast<std::uint8_t>(green.Get(v));
                dst[3 * x + 2] = static_cast<std::uint8_t>(red.Get(v));
            }
        } else if (bpp == 32 && fields) {
            for (int x = 0; x < w; ++x) {
                std::uint32_t v;
                std::memcpy(&v, src + 4 * x, 4);
                dst[4 * x] = static_cast<std::uint8_t>(blue.Get(v));
                dst[4 * x + 1] = static_cast<std::uint8_t>(green.Get(v));
                dst[4 * x + 2] = static_cast<std::uint8_t>(red.Get(v));
                dst[4 * x + 3] = static_cast<std::uint8_t>(alpha.Get(v));
            }
        } else {
            std::memcpy(dst, src, srcStride);
        }
    }
    out.Assign(bmp);
    return bitsAt + srcStride * static_cast<std::size_t>(h);
}

void LoadBmp(TStream& stream, TBitmap& bitmap)
{
    const std::vector<std::uint8_t> data = ReadRest(stream);
    Reader r(data);
    if (!r.Has(0, 14) || data[0] != 'B' || data[1] != 'M') Bad("no BM signature");
    const std::uint32_t offBits = r.U32(10);
    std::span<const std::uint8_t> dib(data.data() + 14, data.size() - 14);
    std::size_t bitsOffset = kDibBitsAfterTable;
    if (offBits != 0) {
        if (offBits < 14 || offBits > data.size()) Bad("pixel offset");
        bitsOffset = offBits - 14;
    }
    TBitmap result;
    ReadDib(dib, bitsOffset, 1, result);
    // Keep the target's transparency settings: they belong to the object, not the file.
    const bool transparent = bitmap.Transparent();
    const TTransparentMode mode = bitmap.TransparentMode();
    const TColor key = bitmap.TransparentColor();
    bitmap.Assign(result);
    bitmap.SetTransparent(transparent);
    if (mode == tmFixed) bitmap.SetTransparentColor(key);
    else bitmap.SetTransparentMode(tmAuto);
}

void SaveBmp(const TBitmap& bitmap, TStream& stream)
{
    const int w = bitmap.Width(), h = bitmap.Height();
    const int bpp = bitmap.BitsPerPixel();
    const bool fields = bitmap.PixelFormat() == pf16bit;
    const std::uint32_t tableBytes = bpp <= 8 ? (4u << bpp) : fields ? 12u : 0u;
    const std::uint32_t imageBytes = static_cast<std::uint32_t>(bitmap.BytesPerRow()) * static_cast<std::uint32_t>(h);
    const std::uint32_t offBits = 14 + 40 + tableBytes;
    std::vector<std::uint8_t> head;
    head.reserve(offBits);
    head.push_back('B');
    head.push_back('M');
    PutU32(head, offBits + imageBytes);
    PutU32(head, 0);
    PutU32(head, offBits);
    PutU32(head, 40);
    PutU32(head, static_cast<std::uint32_t>(w));
    PutU32(head, static_cast<std::uint32_t>(h));
    PutU16(head, 1);
    PutU16(head, static_cast<std::uint16_t>(bpp));
    PutU32(head, fields ? BI_BITFIELDS : BI_RGB);
    PutU32(head, imageBytes);
    PutU32(head, 3780); // 96 dpi
    PutU32(head, 3780);
    PutU32(head, bpp <= 8 ? (1u << bpp) : 0);
    PutU32(head, 0);
    if (bpp <= 8) {
        std::vector<TRGBQuad> table = bitmap.Colors();
        table.resize(std::size_t{1} << bpp);
        for (const TRGBQuad& q : table) {
            head.push_back(q.rgbBlue);
            head.push_back(q.rgbGreen);
            head.push_back(q.rgbRed);
            head.push_back(0);
        }
    } else if (fields) {
        PutU32(head, 0xF800);
        PutU32(head, 0x07E0);
        PutU32(head, 0x001F);
    }
    stream.WriteBuffer(head.data(), static_cast<std::int64_t>(head.size()));
    if (imageBytes) stream.WriteBuffer(bitmap.Bits(), imageBytes);
}
