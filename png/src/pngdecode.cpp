// Reading image data: inflate across the run of IDAT chunks, unfilter each row and
// convert it into the header's pixel storage.
#include "png/pngimage.h"
#include "png/pnglang.h"
#include "pngcrc.h"
#include "pngformat.h"

#include <zlib.h>

#include <algorithm>
#include <bit>
#include <cstring>

using namespace pngdetail;

TChunkIDAT::TChunkIDAT(TPNGObject* owner) : TChunk(owner) { SetChunkName(GetName()); }

std::unique_ptr<TChunk> TChunkIDAT::Create(TPNGObject* owner) const
{
    return std::make_unique<TChunkIDAT>(owner);
}

namespace {

constexpr std::size_t kInputSize = 65535;

// Compressed bytes of the IDAT run, read piece by piece and never past the current
// chunk; each chunk's CRC is checked as its end is reached.
class IdatReader {
public:
    IdatReader(TStream& stream, std::uint32_t length) : stream_(stream), input_(kInputSize)
    {
        StartChunk(length);
        if (inflateInit(&z_) != Z_OK) throw EPNGZLIBError(pnglang::ZlibErrorText(Z_MEM_ERROR));
    }
    ~IdatReader() { inflateEnd(&z_); }
    IdatReader(const IdatReader&) = delete;
    IdatReader& operator=(const IdatReader&) = delete;

    // Delivers up to count bytes; fewer only once the compressed stream has ended.
    std::size_t Read(std::uint8_t* out, std::size_t count)
    {
        z_.next_out = out;
        z_.avail_out = static_cast<uInt>(count);
        while (z_.avail_out != 0 && !ended_) {
            if (z_.avail_in == 0) {
                if (left_ == 0) NextChunk();
                const std::size_t piece = std::min<std::uint64_t>(left_, kInputSize);
                if (piece != 0) {
                    if (stream_.Read(input_.data(), std::int64_t(piece)) != std::int64_t(piece))
                        throw EPngUnexpectedEnd(pnglang::EPNGUnexpectedEndText);
                    crc_ = update_crc(crc_, input_.data(), piece);
                    left_ -= piece;
                }
                z_.next_in = input_.data();
                z_.avail_in = static_cast<uInt>(piece);
                if (piece == 0) continue; // an empty IDAT chunk: go on to the next one
            }
            const int ret = inflate(&z_, Z_NO_FLUSH);
            if (ret == Z_STREAM_END) {
                ended_ = true; // bytes after the end of the stream are ignored, not re-read
            } else if (ret == Z_NEED_DICT || (ret < 0 && ret != Z_BUF_ERROR)) {
                throw EPNGZLIBError(pnglang::ZlibErrorText(ret));
            }
        }
        return count - z_.avail_out;
    }

    // Consumes what is left of the current chunk and checks its CRC.
    void Finish()
    {
        while (left_ != 0) {
            const std::size_t piece = std::min<std::uint64_t>(left_, kInputSize);
            if (stream_.Read(input_.data(), std::int64_t(piece)) != std::int64_t(piece))
                throw EPngUnexpectedEnd(pnglang::EPNGUnexpectedEndText);
            crc_ = update_crc(crc_, input_.data(), piece);
            left_ -= piece;
        }
        CheckCrc();
    }

private:
    void StartChunk(std::uint32_t length)
    {
        static const std::uint8_t name[4] = {'I', 'D', 'A', 'T'};
        crc_ = update_crc(0xFFFFFFFFu, name, 4);
        left_ = length;
    }

    void CheckCrc()
    {
        std::uint8_t raw[4];
        if (stream_.Read(raw, 4) != 4) throw EPngUnexpectedEnd(pnglang::EPNGUnexpectedEndText);
        if ((crc_ ^ 0xFFFFFFFFu) != ReadBE32(raw)) throw EPngInvalidCRC(pnglang::EPngInvalidCRCText);
    }

    void NextChunk()
    {
        CheckCrc();
        std::uint8_t head[8];
        if (stream_.Read(head, 8) != 8) throw EPngUnexpectedEnd(pnglang::EPNGUnexpectedEndText);
        if (std::memcmp(head + 4, "IDAT", 4) != 0)
            throw EPNGMissingMultipleIDAT(pnglang::EPNGMissingMultipleIDATText);
        const std::uint32_t length = ReadBE32(head);
        const std::int64_t bytesLeft = std::max<std::int64_t>(0, stream_.Size() - stream_.Position());
        if (length > kMaxChunkLength || std::int64_t(length) + 4 > bytesLeft)
            throw EPngUnexpectedEnd(pnglang::EPNGUnexpectedEndText);
        StartChunk(length);
    }

    TStream& stream_;
    std::vector<std::uint8_t> input_;
    z_stream z_{};
    std::uint64_t left_ = 0; // data bytes of the current chunk not yet read
    std::uint32_t crc_ = 0;
    bool ended_ = false;
};

inline std::uint8_t PaethPredictor(int a, int b, int c)
{
    const int p = a + b - c;
    const int pa = p > a ? p - a : a - p;
    const int pb = p > b ? p - b : b - p;
    const int pc = p > c ? p - c : c - p;
    if (pa <= pb && pa <= pc) return static_cast<std::uint8_t>(a);
    if (pb <= pc) return static_cast<std::uint8_t>(b);
    return static_cast<std::uint8_t>(c);
}

// row and prev point at the first sample byte (after the filter byte).
void FilterRow(std::uint8_t type, std::uint8_t* __restrict row, const std::uint8_t* __restrict prev, std::size_t n,
               std::size_t bpp)
{
    switch (type) {
    case 1:
        if ((bpp == 3 || bpp == 4) && std::endian::native == std::endian::little && n >= 8) {
            // Each pixel depends on the one before it. Two pixels are summed at once in a
            // 64-bit word, byte by byte without carries: first the pair's own prefix sum
            // (independent of the left pixel), then the left pixel is added to both, so
            // the chain is one addition per two pixels. The next pair is loaded before
            // this one is stored, so no load waits on an overlapping store.
            const std::size_t step = 2 * bpp;
            const int shift = static_cast<int>(8 * bpp);
            const std::uint64_t pairMask = bpp == 3 ? 0x0000FFFFFFFFFFFFull : ~0ull;
            const std::uint64_t pixelMask = bpp == 3 ? 0xFFFFFFull : 0xFFFFFFFFull;
            auto add8 = [](std::uint64_t a, std::uint64_t b) {
                return ((a & 0x7F7F7F7F7F7F7F7Full) + (b & 0x7F7F7F7F7F7F7F7Full)) ^ ((a ^ b) & 0x8080808080808080ull);
            };
            std::uint64_t left = 0, cur;
            std::memcpy(&cur, row, 8);
            std::size_t i = 0;
            for (;;) {
                const bool more = i + step + 8 <= n;
                std::uint64_t next = 0;
                if (more) std::memcpy(&next, row + i + step, 8);
                const std::uint64_t pair = cur & pairMask;
                const std::uint64_t own = add8(pair, pair << shift) & pairMask;
                const std::uint64_t sum = add8(own, left | (left << shift)) & pairMask;
                const std::uint64_t keep = sum | (cur & ~pairMask);
                std::memcpy(row + i, &keep, 8);
                left = (sum >> shift) & pixelMask;
                i += step;
                if (!more) break;
                cur = next;
            }
            for (; i < n; ++i) row[i] = static_cast<std::uint8_t>(row[i] + row[i - bpp]);
            break;
        }
        for (std::size_t i = bpp; i < n; ++i) row[i] = static_cast<std::uint8_t>(row[i] + row[i - bpp]);
        break;
    case 2:
        for (std::size_t i = 0; i < n; ++i) row[i] = static_cast<std::uint8_t>(row[i] + prev[i]);
        break;
    case 3:
        for (std::size_t i = 0; i < std::min(bpp, n); ++i) row[i] = static_cast<std::uint8_t>(row[i] + (prev[i] >> 1));
        for (std::size_t i = bpp; i < n; ++i)
            row[i] = static_cast<std::uint8_t>(row[i] + ((prev[i] + row[i - bpp]) >> 1));
        break;
    case 4:
        for (std::size_t i = 0; i < std::min(bpp, n); ++i) row[i] = static_cast<std::uint8_t>(row[i] + prev[i]);
        for (std::size_t i = bpp; i < n; ++i)
            row[i] = static_cast<std::uint8_t>(row[i] + PaethPredictor(row[i - bpp], prev[i], prev[i - bpp]));
        break;
    default: break; // 0 and unknown types leave the row as it is
    }
}

// Places the n pixels of one unfiltered row at columns x0, x0 + dx, ... of image row y.
class RowConverter {
public:
    RowConverter(TPNGObject& png, TChunkIHDR& h) : png_(png), h_(h), gamma_(png.GammaTable.data())
    {
        identity_ = true;
        for (int i = 0; i < 256; ++i) identity_ = identity_ && gamma_[i] == i;
    }

    void Put(const std::uint8_t* src, std::uint32_t n, std::uint32_t y, std::uint32_t x0, std::uint32_t dx)
    {
        std::uint8_t* dst = png_.GetScanline(static_cast<int>(y));
        std::uint8_t* alpha = png_.GetAlphaScanline(static_cast<int>(y));
        const std::uint8_t* g = gamma_;
        switch (h_.ColorType * 100 + h_.BitDepth) {
        case 1:
        case 4:
        case 8:
        case 301:
        case 304:
        case 308: PutPacked(src, n, dst, x0, dx, h_.BitDepth, false); break;
        case 2: PutPacked(src, n, dst, x0, dx, 2, true); break;
        case 302: PutPacked(src, n, dst, x0, dx, 2, false); break;
        case 16:
            for (std::uint32_t i = 0, x = x0; i < n; ++i, x += dx) dst[x] = src[2 * i];
            break;
        case 208:
            if (identity_ && dx == 1) {
                SwapRedBlue(dst + 3 * x0, src, n);
            } else {
                for (std::uint32_t i = 0, x = x0; i < n; ++i, x += dx, src += 3) {
                    std::uint8_t* d = dst + 3 * x;
                    d[0] = g[src[2]];
                    d[1] = g[src[1]];
                    d[2] = g[src[0]];
                }
            }
            break;
        case 216:
            for (std::uint32_t i = 0, x = x0; i < n; ++i, x += dx, src += 6) {
                std::uint8_t* d = dst + 3 * x;
                d[0] = g[src[4]];
                d[1] = g[src[2]];
                d[2] = g[src[0]];
            }
            break;
        case 408:
            for (std::uint32_t i = 0, x = x0; i < n; ++i, x += dx, src += 2) {
                dst[x] = src[0];
                alpha[x] = src[1];
            }
            break;
        case 416:
            for (std::uint32_t i = 0, x = x0; i < n; ++i, x += dx, src += 4) {
                dst[x] = src[0];
                alpha[x] = src[2];
            }
            break;
        case 608:
            for (std::uint32_t i = 0, x = x0; i < n; ++i, x += dx, src += 4) {
                std::uint8_t* d = dst + 3 * x;
                d[0] = g[src[2]];
                d[1] = g[src[1]];
                d[2] = g[src[0]];
                alpha[x] = src[3];
            }
            break;
        case 616:
            for (std::uint32_t i = 0, x = x0; i < n; ++i, x += dx, src += 8) {
                std::uint8_t* d = dst + 3 * x;
                d[0] = g[src[4]];
                d[1] = g[src[2]];
                d[2] = g[src[0]];
                alpha[x] = src[6];
            }
            break;
        default: break;
        }
    }

private:
    // Sub-byte samples; 2-bit samples are stored at 4 bits (grey scaled 0, 5, 10, 15 so
    // that white stays white on the 16-level grey palette).
    static void PutPacked(const std::uint8_t* src, std::uint32_t n, std::uint8_t* dst, std::uint32_t x0,
                          std::uint32_t dx, int depth, bool grey2)
    {
        if (depth != 2 && dx == 1 && x0 == 0) {
            std::memcpy(dst, src, (std::size_t(n) * depth + 7) / 8);
            return;
        }
        const int outBits = depth == 2 ? 4 : depth;
        const int inPer = 8 / depth, outPer = 8 / outBits;
        const int mask = (1 << depth) - 1;
        for (std::uint32_t i = 0, x = x0; i < n; ++i, x += dx) {
            int s = (src[i / inPer] >> (8 - depth - int(i % inPer) * depth)) & mask;
            if (grey2) s *= 5;
            const int shift = 8 - outBits - int(x % outPer) * outBits;
            std::uint8_t& byte = dst[x / outPer];
            byte = static_cast<std::uint8_t>((byte & ~(((1 << outBits) - 1) << shift)) | (s << shift));
        }
    }

    TPNGObject& png_;
    TChunkIHDR& h_;
    const std::uint8_t* gamma_;
    bool identity_ = true;
};

// Grey palettes: the first 2^b colours become evenly spaced grey levels through gamma.
void PreparePalette(TPNGObject& png, TChunkIHDR& h)
{
    if (h.ColorType != 0 && h.ColorType != 4) return;
    const int b = h.DibBitsPerPixel();
    const int count = 1 << b;
    for (int i = 0; i < count; ++i) {
        const int level = (i * 255 + (count - 1) / 2) / (count - 1); // MulDiv rounding
        TRGBQuad& q = h.BitmapInfo.bmiColors[i];
        q.rgbRed = q.rgbGreen = q.rgbBlue = png.GammaTable[level];
        q.rgbReserved = 0;
    }
}

} // namespace

bool TChunkIDAT::LoadFromStream(TStream& stream, const std::string& chunkName, std::uint32_t size)
{
    SetChunkName(chunkName);
    TChunkIHDR* header = GetHeader();
    TPNGObject* png = Owner();
    if (!header || !png || header->ImageData.empty()) {
        ReadData(stream, size); // no header to decode into: keep the bytes
        return ReadAndCheckCRC(stream);
    }
    if (header->HasPalette) PreparePalette(*png, *header);
    const std::uint32_t width = header->Width, height = header->Height;
    const std::size_t rowBytes = PngRowBytes(header->ColorType, header->BitDepth, width);
    const std::size_t offset = static_cast<std::size_t>(PixelOffset(header->ColorType, header->BitDepth));

    IdatReader reader(stream, size);
    RowConverter convert(*png, *header);
    std::vector<std::uint8_t> rows[2] = {std::vector<std::uint8_t>(rowBytes + 1, 0),
                                         std::vector<std::uint8_t>(rowBytes + 1, 0)};
    int used = 1;

    // One row: false when the image data ran out (the rest of the image stays zero).
    auto decodeRow = [&](std::size_t bytes, std::uint32_t n, std::uint32_t y, std::uint32_t x0, std::uint32_t dx) {
        std::uint8_t* cur = rows[used].data();
        const std::size_t got = reader.Read(cur, bytes + 1);
        if (got == 0) return false;
        if (got < bytes + 1) std::memset(cur + got, 0, bytes + 1 - got);
        FilterRow(cur[0], cur + 1, rows[1 - used].data() + 1, bytes, offset);
        convert.Put(cur + 1, n, y, x0, dx);
        used = 1 - used;
        return got == bytes + 1;
    };

    if (png->InterlaceMethod == imAdam7) {
        bool more = true;
        for (int pass = 0; pass < 7 && more; ++pass) {
            const std::uint32_t pw = PassWidth(width, pass);
            const std::size_t bytes = PngRowBytes(header->ColorType, header->BitDepth, pw);
            if (bytes == 0) continue;
            std::memset(rows[1 - used].data(), 0, bytes + 1);
            for (std::uint32_t y = kRowStart[pass]; y < height && more; y += kRowIncrement[pass])
                more = decodeRow(bytes, pw, y, kColumnStart[pass], kColumnIncrement[pass]);
        }
    } else {
        for (std::uint32_t y = 0; y < height; ++y)
            if (!decodeRow(rowBytes, width, y, 0, 1)) break;
    }
    reader.Finish();
    return true;
}
