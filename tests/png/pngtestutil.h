#pragma once
// Test helpers: libpng as the independent writer and reader, and stream shortcuts.
#include "png/pngimage.h"

#include <cstdint>
#include <exception>
#include <string>
#include <vector>

namespace pngtest {

using Bytes = std::vector<std::uint8_t>;

struct TextItem {
    std::string key;
    std::string text;
    bool compressed = false;
};

// A picture as libpng takes and gives it: packed PNG sample rows.
struct RawImage {
    int width = 0;
    int height = 0;
    int colorType = 0;
    int bitDepth = 8;
    bool interlace = false;
    std::vector<Bytes> rows;                 // top row first, PNG sample layout
    std::vector<std::uint8_t> palette;       // r, g, b triples
    std::vector<std::uint8_t> trnsAlpha;     // palette transparency
    bool hasTrnsColor = false;
    std::uint16_t trnsGrey = 0, trnsRed = 0, trnsGreen = 0, trnsBlue = 0;
    double gamma = 0;                        // 0 = no gAMA chunk
    std::vector<TextItem> texts;
    bool hasTime = false;
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    int idatBufferSize = 0;                  // libpng's IDAT size, 0 = its default
};

// Writes the picture with libpng; fails the calling test (empty result) on a libpng error.
Bytes WriteWithLibpng(const RawImage& image);
// Reads with libpng without transformations (interlaced images come de-interlaced);
// false when libpng refuses the file.
bool ReadWithLibpng(const Bytes& file, RawImage& image, std::string& error);

// Deterministic pseudo-random sample rows (and a palette for colour type 3).
RawImage MakeTestImage(int width, int height, int colorType, int bitDepth, unsigned seed);
// One sample of a packed row.
unsigned Sample(const Bytes& row, int index, int bitDepth);

// Byte streams.
Bytes SaveToBytes(const TPNGObject& png);
void LoadFromBytes(TPNGObject& png, const Bytes& bytes);

// The chunks of a PNG file as (name, data) pairs; empty when the signature is wrong.
struct RawChunk {
    std::string name;
    Bytes data;
};
std::vector<RawChunk> SplitChunks(const Bytes& file);
Bytes JoinChunks(const std::vector<RawChunk>& chunks); // signature, fresh CRCs

// True for the codec's own exception classes.
bool IsCodecError(const std::exception& e);

} // namespace pngtest
