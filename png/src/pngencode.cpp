// Writing image data: convert each DIB row into PNG samples, choose a filter, deflate,
// and cut the compressed stream into IDAT chunks of MaxIdatSize bytes.
#include "png/pngimage.h"
#include "png/pnglang.h"
#include "pngcrc.h"
#include "pngformat.h"

#include <zlib.h>

#include <cstring>

using namespace pngdetail;

namespace {

// The deflate stream and its output buffer; every full buffer becomes one IDAT chunk.
class IdatWriter {
public:
    IdatWriter(TStream& stream, int level, std::size_t bufferSize) : stream_(stream), out_(bufferSize)
    {
        if (deflateInit(&z_, level) != Z_OK) throw EPNGZLIBError(pnglang::ZlibErrorText(Z_STREAM_ERROR));
        Reset();
    }
    ~IdatWriter() { deflateEnd(&z_); }
    IdatWriter(const IdatWriter&) = delete;
    IdatWriter& operator=(const IdatWriter&) = delete;

    void Write(const std::uint8_t* data, std::size_t size)
    {
        z_.next_in = const_cast<Bytef*>(data);
        z_.avail_in = static_cast<uInt>(size);
        while (z_.avail_in != 0) {
            const int ret = deflate(&z_, Z_NO_FLUSH);
            if (ret != Z_OK && ret != Z_BUF_ERROR) throw EPNGZLIBError(pnglang::ZlibErrorText(ret));
            if (z_.avail_out == 0) Flush();
        }
    }

    void Finish()
    {
        for (;;) {
            const int ret = deflate(&z_, Z_FINISH);
            if (ret != Z_OK && ret != Z_STREAM_END && ret != Z_BUF_ERROR)
                throw EPNGZLIBError(pnglang::ZlibErrorText(ret));
            if (z_.avail_out == 0) Flush();
            if (ret == Z_STREAM_END) break;
        }
        if (z_.avail_out != out_.size()) Flush(); // the last, shorter chunk
    }

private:
    void Reset()
    {
        z_.next_out = out_.data();
        z_.avail_out = static_cast<uInt>(out_.size());
    }

    void Flush()
    {
        const std::uint32_t length = static_cast<std::uint32_t>(out_.size() - z_.avail_out);
        std::uint8_t head[8];
        WriteBE32(head, length);
        std::memcpy(head + 4, "IDAT", 4);
        stream_.WriteBuffer(head, 8);
        stream_.WriteBuffer(out_.data(), length);
        std::uint32_t crc = update_crc(0xFFFFFFFFu, head + 4, 4);
        crc = update_crc(crc, out_.data(), length) ^ 0xFFFFFFFFu;
        std::uint8_t tail[4];
        WriteBE32(tail, crc);
        stream_.WriteBuffer(tail, 4);
        Reset();
    }

    TStream& stream_;
    std::vector<std::uint8_t> out_;
    z_stream z_{};
};

inline std::uint8_t PaethPredictor(int a, int b, int c)
{
    const int pa = b > c ? b - c : c - b;             // |up - upleft|
    const int pb = a > c ? a - c : c - a;             // |left - upleft|
    const int pc = a + b - 2 * c < 0 ? 2 * c - a - b : a + b - 2 * c;
    if (pa <= pb && pa <= pc) return static_cast<std::uint8_t>(a);
    if (pb <= pc) return static_cast<std::uint8_t>(b);
    return static_cast<std::uint8_t>(c);
}

// Row buffers: each holds one leading byte for the filter type, then the samples, so a
// row goes to deflate in one piece.
class RowEncoder {
public:
    RowEncoder(TPNGObject& png, TChunkIHDR& h, std::size_t maxRowBytes, std::size_t offset)
        : png_(png), h_(h), offset_(offset)
    {
        for (int f = 0; f < 6; ++f)
            if (f == 0 || f == 5 || (png.Filters & FilterBit(static_cast<TFilter>(f))))
                buffer_[f].assign(maxRowBytes + 1, 0);
        for (int i = 0; i < 256; ++i) identity_ = identity_ && png.InverseGamma[i] == i;
    }

    void StartPass(std::size_t rowBytes)
    {
        rowBytes_ = rowBytes;
        std::memset(buffer_[0].data(), 0, rowBytes + 1);
    }

    // Converts, filters and returns the row to feed (filter byte first, rowBytes + 1 bytes).
    const std::uint8_t* Encode(std::uint32_t y, std::uint32_t x0, std::uint32_t dx, std::uint32_t n)
    {
        // The menu masks' path (RGB, Sub only, no gamma): convert and filter in one pass.
        if (dx == 1 && identity_ && h_.ColorType == 2 && h_.BitDepth == 8 && (png_.Filters & 0x1F) == FilterBit(pfSub)) {
            std::uint8_t* row = buffer_[1].data();
            row[0] = 1;
            SubFromBgr(row + 1, png_.GetScanline(static_cast<int>(y)) + 3 * x0, n);
            return row;
        }
        Convert(buffer_[5].data() + 1, y, x0, dx, n);
        const int f = FilterToEncode();
        std::uint8_t* row = buffer_[f].data();
        row[0] = static_cast<std::uint8_t>(f);
        return row;
    }

private:
    // Sub-filtered red green blue straight from blue green red.
    static void SubFromBgr(std::uint8_t* __restrict out, const std::uint8_t* __restrict s, std::uint32_t n)
    {
        if (n == 0) return;
        out[0] = s[2], out[1] = s[1], out[2] = s[0];
        for (std::uint32_t i = 1; i < n; ++i) {
            const std::uint8_t* p = s + 3 * i;
            std::uint8_t* o = out + 3 * i;
            o[0] = static_cast<std::uint8_t>(p[2] - p[-1]);
            o[1] = static_cast<std::uint8_t>(p[1] - p[-2]);
            o[2] = static_cast<std::uint8_t>(p[0] - p[-3]);
        }
    }

    void Convert(std::uint8_t* out, std::uint32_t y, std::uint32_t x0, std::uint32_t dx, std::uint32_t n)
    {
        const std::uint8_t* dib = png_.GetScanline(static_cast<int>(y));
        const std::uint8_t* alpha = png_.GetAlphaScanline(static_cast<int>(y));
        const std::uint8_t* inv = png_.InverseGamma.data();
        const int depth = h_.BitDepth == 2 ? 4 : h_.BitDepth;
        switch (h_.ColorType * 100 + depth) {
        case 1:
        case 4:
        case 8:
        case 301:
        case 304:
        case 308:
            if (dx == 1) {
                std::memcpy(out, dib, rowBytes_);
            } else {
                std::memset(out, 0, rowBytes_);
                const int per = 8 / depth, mask = (1 << depth) - 1;
                for (std::uint32_t i = 0, x = x0; i < n; ++i, x += dx) {
                    const int s = (dib[x / per] >> (8 - depth - int(x % per) * depth)) & mask;
                    out[i / per] = static_cast<std::uint8_t>(out[i / per] | (s << (8 - depth - int(i % per) * depth)));
                }
            }
            break;
        case 16:
            for (std::uint32_t i = 0, x = x0; i < n; ++i, x += dx, out += 2) {
                out[0] = dib[x];
                out[1] = 0;
            }
            break;
        case 208:
            if (identity_ && dx == 1) {
                SwapRedBlue(out, dib + 3 * x0, n);
            } else {
                for (std::uint32_t i = 0, x = x0; i < n; ++i, x += dx, out += 3) {
                    const std::uint8_t* s = dib + 3 * x;
                    out[0] = inv[s[2]];
                    out[1] = inv[s[1]];
                    out[2] = inv[s[0]];
                }
            }
            break;
        case 216:
            for (std::uint32_t i = 0, x = x0; i < n; ++i, x += dx, out += 6) {
                const std::uint8_t* s = dib + 3 * x;
                out[0] = inv[s[2]], out[1] = 0;
                out[2] = inv[s[1]], out[3] = 0;
                out[4] = inv[s[0]], out[5] = 0;
            }
            break;
        case 408:
            for (std::uint32_t i = 0, x = x0; i < n; ++i, x += dx, out += 2) {
                out[0] = dib[x];
                out[1] = alpha ? alpha[x] : 255;
            }
            break;
        case 416:
            for (std::uint32_t i = 0, x = x0; i < n; ++i, x += dx, out += 4) {
                out[0] = dib[x], out[1] = 0;
                out[2] = alpha ? alpha[x] : 255, out[3] = 0;
            }
            break;
        case 608:
            for (std::uint32_t i = 0, x = x0; i < n; ++i, x += dx, out += 4) {
                const std::uint8_t* s = dib + 3 * x;
                out[0] = inv[s[2]];
                out[1] = inv[s[1]];
                out[2] = inv[s[0]];
                out[3] = alpha ? alpha[x] : 255;
            }
            break;
        case 616:
            for (std::uint32_t i = 0, x = x0; i < n; ++i, x += dx, out += 8) {
                const std::uint8_t* s = dib + 3 * x;
                out[0] = inv[s[2]], out[1] = 0;
                out[2] = inv[s[1]], out[3] = 0;
                out[4] = inv[s[0]], out[5] = 0;
                out[6] = alpha ? alpha[x] : 255, out[7] = 0;
            }
            break;
        default: std::memset(out, 0, rowBytes_); break;
        }
    }

    int FilterToEncode()
    {
        const std::uint8_t* __restrict cur = buffer_[5].data() + 1;
        const std::uint8_t* __restrict prev = buffer_[0].data() + 1;
        const std::size_t n = rowBytes_, bpp = offset_;
        const TFilters set = png_.Filters;
        if (set & FilterBit(pfSub)) {
            std::uint8_t* __restrict o = buffer_[1].data() + 1;
            for (std::size_t i = 0; i < n && i < bpp; ++i) o[i] = cur[i];
            for (std::size_t i = bpp; i < n; ++i) o[i] = static_cast<std::uint8_t>(cur[i] - cur[i - bpp]);
        }
        if (set & FilterBit(pfUp)) {
            std::uint8_t* __restrict o = buffer_[2].data() + 1;
            for (std::size_t i = 0; i < n; ++i) o[i] = static_cast<std::uint8_t>(cur[i] - prev[i]);
        }
        if (set & FilterBit(pfAverage)) {
            std::uint8_t* o = buffer_[3].data() + 1;
            for (std::size_t i = 0; i < n; ++i) {
                const int left = i >= bpp ? cur[i - bpp] : 0;
                o[i] = static_cast<std::uint8_t>(cur[i] - ((prev[i] + left) >> 1));
            }
        }
        if (set & FilterBit(pfPaeth)) {
            std::uint8_t* o = buffer_[4].data() + 1;
            for (std::size_t i = 0; i < n; ++i) {
                const int left = i >= bpp ? cur[i - bpp] : 0;
                const int upleft = i >= bpp ? prev[i - bpp] : 0;
                o[i] = static_cast<std::uint8_t>(cur[i] - PaethPredictor(left, prev[i], upleft));
            }
        }
        // The unfiltered row becomes the previous row of the next line and the output
        // of filter 0; with Sub alone neither is ever read.
        if ((set & 0x1F) == FilterBit(pfSub)) return 1;
        std::memcpy(buffer_[0].data() + 1, cur, n);
        if ((set & 0x1F) == 0 || (set & 0x1F) == FilterBit(pfNone)) return 0;
        for (int f = 0; f < 5; ++f)
            if ((set & 0x1F) == FilterBit(static_cast<TFilter>(f))) return f;
        int best = 0;
        std::size_t bestCount = 0;
        for (int f = 0; f < 5; ++f) {
            if (!(set & FilterBit(static_cast<TFilter>(f)))) continue;
            const std::uint8_t* o = buffer_[f].data() + 1;
            std::size_t count = 0;
            for (std::size_t j = 2; j < n; ++j) count += (o[j] == o[j - 1] || o[j] == o[j - 2]);
            if (count > bestCount) {
                bestCount = count;
                best = f;
            }
        }
        return best;
    }

    TPNGObject& png_;
    TChunkIHDR& h_;
    std::size_t offset_;
    std::size_t rowBytes_ = 0;
    bool identity_ = true;
    std::vector<std::uint8_t> buffer_[6];
};

} // namespace

bool TChunkIDAT::SaveToStream(TStream& stream)
{
    TChunkIHDR* header = GetHeader();
    TPNGObject* png = Owner();
    if (!header || !png || header->ImageData.empty()) return false;
    const std::uint8_t depth = header->BitDepth == 2 ? 4 : header->BitDepth;
    const std::uint32_t width = header->Width, height = header->Height;
    const std::size_t rowBytes = PngRowBytes(header->ColorType, depth, width);
    const std::size_t offset = static_cast<std::size_t>(PixelOffset(header->ColorType, depth));

    RowEncoder rows(*png, *header, rowBytes, offset);
    IdatWriter writer(stream, png->CompressionLevel, static_cast<std::size_t>(png->GetMaxIdatSize()));
    if (png->InterlaceMethod == imAdam7) {
        for (int pass = 0; pass < 7; ++pass) {
            const std::uint32_t pw = PassWidth(width, pass);
            const std::size_t bytes = PngRowBytes(header->ColorType, depth, pw);
            if (bytes == 0) continue;
            rows.StartPass(bytes);
            for (std::uint32_t y = kRowStart[pass]; y < height; y += kRowIncrement[pass])
                writer.Write(rows.Encode(y, kColumnStart[pass], kColumnIncrement[pass], pw), bytes + 1);
        }
    } else {
        rows.StartPass(rowBytes);
        for (std::uint32_t y = 0; y < height; ++y) writer.Write(rows.Encode(y, 0, 1, width), rowBytes + 1);
    }
    writer.Finish();
    return true;
}
