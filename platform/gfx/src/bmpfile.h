#pragma once
// BMP files and the device-independent bitmap format inside them (icons reuse
// the DIB reader).
#include "gfx/bitmap.h"

#include <cstddef>
#include <cstdint>
#include <span>

class TStream;

// Reads a whole BMP file from the stream's position; EInvalidGraphic on any
// fault, the bitmap left unchanged then.
void LoadBmp(TStream& stream, TBitmap& bitmap);
void SaveBmp(const TBitmap& bitmap, TStream& stream);

// A DIB (info header, colour table, pixels) starting at data[0]. For icons the
// header's height counts the colour rows and the mask rows: heightDivisor 2.
// Answers the offset just past the colour pixels (where an icon's mask starts).
std::size_t ReadDib(std::span<const std::uint8_t> data, std::size_t bitsOffset, int heightDivisor, TBitmap& out);
constexpr std::size_t kDibBitsAfterTable = static_cast<std::size_t>(-1);

// The rest of a stream as bytes, refusing streams above the limit.
std::vector<std::uint8_t> ReadRest(TStream& stream, std::int64_t limit = std::int64_t{1} << 30);
