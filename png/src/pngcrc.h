#pragma once
// CRC-32 of the PNG format and big-endian helpers.
#include <cstddef>
#include <cstdint>

namespace pngdetail {

// Continues a running CRC; start at 0xFFFFFFFF and invert the end result.
std::uint32_t update_crc(std::uint32_t crc, const std::uint8_t* buffer, std::size_t length);
std::uint32_t ByteSwap(std::uint32_t value);

inline std::uint32_t ReadBE32(const std::uint8_t* p)
{
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | p[3];
}
inline void WriteBE32(std::uint8_t* p, std::uint32_t v)
{
    p[0] = std::uint8_t(v >> 24);
    p[1] = std::uint8_t(v >> 16);
    p[2] = std::uint8_t(v >> 8);
    p[3] = std::uint8_t(v);
}

} // namespace pngdetail
