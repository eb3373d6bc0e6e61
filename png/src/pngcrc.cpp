#include "pngcrc.h"

#include <array>

namespace pngdetail {
namespace {

// Slicing-by-4 tables: the first is the classic byte table, the others let four bytes
// be folded per step, which keeps the CRC well below the cost of inflate.
struct CrcTables {
    std::array<std::array<std::uint32_t, 256>, 4> t{};
    CrcTables()
    {
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[0][n] = c;
        }
        for (std::uint32_t n = 0; n < 256; ++n)
            for (int k = 1; k < 4; ++k) t[k][n] = (t[k - 1][n] >> 8) ^ t[0][t[k - 1][n] & 0xFF];
    }
};

const CrcTables& Tables()
{
    static const CrcTables tables; // built on first use, thread-safe
    return tables;
}

} // namespace

std::uint32_t update_crc(std::uint32_t crc, const std::uint8_t* buffer, std::size_t length)
{
    const auto& t = Tables().t;
    std::size_t i = 0;
    for (; i + 4 <= length; i += 4) {
        crc ^= std::uint32_t(buffer[i]) | (std::uint32_t(buffer[i + 1]) << 8) |
               (std::uint32_t(buffer[i + 2]) << 16) | (std::uint32_t(buffer[i + 3]) << 24);
        crc = t[3][crc & 0xFF] ^ t[2][(crc >> 8) & 0xFF] ^ t[1][(crc >> 16) & 0xFF] ^ t[0][crc >> 24];
    }
    for (; i < length; ++i) crc = t[0][(crc ^ buffer[i]) & 0xFF] ^ (crc >> 8);
    return crc;
}

std::uint32_t ByteSwap(std::uint32_t value)
{
    return (value >> 24) | ((value >> 8) & 0xFF00u) | ((value << 8) & 0xFF0000u) | (value << 24);
}

} // namespace pngdetail
