#pragma once
// Facts of the PNG format shared by the reader and the writer.
#include <cstddef>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string>

namespace pngdetail {

constexpr std::uint8_t kSignature[8] = {137, 80, 78, 71, 13, 10, 26, 10};
constexpr std::uint32_t kMaxChunkLength = 0x7FFFFFFFu; // the format's own limit

// Adam7 passes: starting row, starting column, row step, column step.
constexpr int kRowStart[7] = {0, 0, 4, 0, 2, 0, 1};
constexpr int kColumnStart[7] = {0, 4, 0, 2, 0, 1, 0};
constexpr int kRowIncrement[7] = {8, 8, 8, 4, 4, 2, 2};
constexpr int kColumnIncrement[7] = {8, 8, 4, 4, 2, 2, 1};

inline std::uint32_t PassWidth(std::uint32_t width, int pass)
{
    const std::uint32_t c = kColumnStart[pass], d = kColumnIncrement[pass];
    return width > c ? (width - c + d - 1) / d : 0;
}
inline std::uint32_t PassHeight(std::uint32_t height, int pass)
{
    const std::uint32_t r = kRowStart[pass], d = kRowIncrement[pass];
    return height > r ? (height - r + d - 1) / d : 0;
}

// Swaps the first and third byte of n 3-byte pixels (RGB <-> BGR); in and out must not
// overlap. Four pixels go through three 32-bit words at a time.
inline void SwapRedBlue(std::uint8_t* __restrict out, const std::uint8_t* __restrict in, std::size_t n)
{
    std::size_t i = 0;
    if constexpr (std::endian::native == std::endian::little) {
        for (; i + 4 <= n; i += 4, in += 12, out += 12) {
            std::uint32_t w[3];
            std::memcpy(w, in, 12);
            // Three separate word stores: building the words in an array and copying it
            // makes the copy wait on the array's narrower stores.
            const std::uint32_t o0 =
                ((w[0] >> 16) & 0xFFu) | (w[0] & 0xFF00u) | ((w[0] & 0xFFu) << 16) | ((w[1] & 0xFF00u) << 16);
            const std::uint32_t o1 = (w[1] & 0xFFu) | ((w[0] >> 24) << 8) | ((w[2] & 0xFFu) << 16) | (w[1] & 0xFF000000u);
            const std::uint32_t o2 =
                ((w[1] >> 16) & 0xFFu) | ((w[2] >> 24) << 8) | (w[2] & 0xFF0000u) | (((w[2] >> 8) & 0xFFu) << 24);
            std::memcpy(out, &o0, 4);
            std::memcpy(out + 4, &o1, 4);
            std::memcpy(out + 8, &o2, 4);
        }
    }
    for (; i < n; ++i, in += 3, out += 3) {
        out[0] = in[2];
        out[1] = in[1];
        out[2] = in[0];
    }
}

bool ValidColorDepth(std::uint8_t colorType, std::uint8_t bitDepth);
// Bytes of filtered image data (filter bytes included) the header describes.
std::uint64_t RawImageBytes(std::uint8_t colorType, std::uint8_t bitDepth, std::uint32_t width,
                            std::uint32_t height, bool adam7);
// Bytes per complete pixel, at least 1: the distance the row filters look back.
int PixelOffset(std::uint8_t colorType, std::uint8_t bitDepth);

// Whole-buffer zlib helpers for text chunks; false on any zlib failure or when the
// inflated text would pass maxOut bytes.
bool InflateBytes(const std::uint8_t* data, std::size_t size, std::size_t maxOut, std::string& out);
bool DeflateBytes(const std::uint8_t* data, std::size_t size, int level, std::string& out);

} // namespace pngdetail
