#include "pngformat.h"

#include "png/pngimage.h"

#include <zlib.h>

#include <climits>

std::uint32_t PngRowBytes(std::uint8_t colorType, std::uint8_t bitDepth, std::uint32_t pixels)
{
    const std::uint64_t n = pixels;
    switch (colorType) {
    case 0:
    case 3: return static_cast<std::uint32_t>((n * bitDepth + 7) / 8);
    case 2: return static_cast<std::uint32_t>(n * bitDepth * 3 / 8);
    case 4: return static_cast<std::uint32_t>(n * bitDepth * 2 / 8);
    case 6: return static_cast<std::uint32_t>(n * bitDepth * 4 / 8);
    default: return 0;
    }
}

namespace pngdetail {

bool ValidColorDepth(std::uint8_t colorType, std::uint8_t bitDepth)
{
    switch (colorType) {
    case 0: return bitDepth == 1 || bitDepth == 2 || bitDepth == 4 || bitDepth == 8 || bitDepth == 16;
    case 3: return bitDepth == 1 || bitDepth == 2 || bitDepth == 4 || bitDepth == 8;
    case 2:
    case 4:
    case 6: return bitDepth == 8 || bitDepth == 16;
    default: return false;
    }
}

std::uint64_t RawImageBytes(std::uint8_t colorType, std::uint8_t bitDepth, std::uint32_t width,
                            std::uint32_t height, bool adam7)
{
    if (!adam7) return (std::uint64_t(PngRowBytes(colorType, bitDepth, width)) + 1) * height;
    std::uint64_t total = 0;
    for (int p = 0; p < 7; ++p) {
        const std::uint32_t w = PassWidth(width, p);
        if (w == 0) continue;
        total += (std::uint64_t(PngRowBytes(colorType, bitDepth, w)) + 1) * PassHeight(height, p);
    }
    return total;
}

int PixelOffset(std::uint8_t colorType, std::uint8_t bitDepth)
{
    int offset = 1;
    switch (colorType) {
    case 0: offset = bitDepth == 16 ? 2 : 1; break;
    case 2: offset = bitDepth * 3 / 8; break;
    case 3: offset = 1; break;
    case 4: offset = bitDepth * 2 / 8; break;
    case 6: offset = bitDepth * 4 / 8; break;
    default: break;
    }
    return offset < 1 ? 1 : offset;
}

bool InflateBytes(const std::uint8_t* data, std::size_t size, std::size_t maxOut, std::string& out)
{
    if (size > UINT_MAX) return false;
    z_stream z{};
    if (inflateInit(&z) != Z_OK) return false;
    z.next_in = const_cast<Bytef*>(data);
    z.avail_in = static_cast<uInt>(size);
    out.clear();
    unsigned char piece[256]; // output gathered in small steps
    int ret = Z_OK;
    while (ret == Z_OK) {
        z.next_out = piece;
        z.avail_out = sizeof piece;
        ret = inflate(&z, Z_NO_FLUSH);
        const std::size_t got = sizeof piece - z.avail_out;
        if (out.size() + got > maxOut) ret = Z_MEM_ERROR;
        else out.append(reinterpret_cast<const char*>(piece), got);
        if (ret == Z_OK && got == 0 && z.avail_in == 0) ret = Z_BUF_ERROR; // truncated
    }
    inflateEnd(&z);
    return ret == Z_STREAM_END;
}

bool DeflateBytes(const std::uint8_t* data, std::size_t size, int level, std::string& out)
{
    if (size > UINT_MAX) return false;
    z_stream z{};
    if (deflateInit(&z, level) != Z_OK) return false;
    z.next_in = const_cast<Bytef*>(data);
    z.avail_in = static_cast<uInt>(size);
    out.clear();
    unsigned char piece[256];
    int ret = Z_OK;
    while (ret == Z_OK) {
        z.next_out = piece;
        z.avail_out = sizeof piece;
        ret = deflate(&z, Z_FINISH);
        out.append(reinterpret_cast<const char*>(piece), sizeof piece - z.avail_out);
    }
    deflateEnd(&z);
    return ret == Z_STREAM_END;
}

} // namespace pngdetail
