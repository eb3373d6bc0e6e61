#include "pngcrc.h"

#include <zlib.h>

#include <climits>

namespace pngdetail {

// zlib's crc32 is the same CRC-32 (reflected 0xEDB88320) with the register inverted on
// the way in and out; undoing that gives the running form the chunk code keeps.
std::uint32_t update_crc(std::uint32_t crc, const std::uint8_t* buffer, std::size_t length)
{
    uLong c = ~crc & 0xFFFFFFFFu;
    while (length != 0) {
        const uInt piece = length > UINT_MAX ? UINT_MAX : static_cast<uInt>(length);
        c = crc32(c, buffer, piece);
        buffer += piece;
        length -= piece;
    }
    return ~static_cast<std::uint32_t>(c);
}

std::uint32_t ByteSwap(std::uint32_t value)
{
    return (value >> 24) | ((value >> 8) & 0xFF00u) | ((value << 8) & 0xFF0000u) | (value << 24);
}

} // namespace pngdetail
