// Every reading fault raises its own class with its own text; hostile files end in the
// codec's exceptions without hanging or allocating what the file cannot hold.
#include "png/pngimage.h"
#include "png/pnglang.h"
#include "pngtestutil.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <string>

using namespace pngtest;

namespace {

Bytes Be32(std::uint32_t v)
{
    return {std::uint8_t(v >> 24), std::uint8_t(v >> 16), std::uint8_t(v >> 8), std::uint8_t(v)};
}

Bytes Header(std::uint32_t w, std::uint32_t h, int depth, int type, int compression = 0, int filter = 0,
             int interlace = 0)
{
    Bytes d = Be32(w);
    const Bytes hb = Be32(h);
    d.insert(d.end(), hb.begin(), hb.end());
    d.insert(d.end(), {std::uint8_t(depth), std::uint8_t(type), std::uint8_t(compression), std::uint8_t(filter),
                       std::uint8_t(interlace)});
    return d;
}

Bytes Deflated(const Bytes& raw)
{
    Bytes out(compressBound(static_cast<uLong>(raw.size())));
    uLongf size = static_cast<uLongf>(out.size());
    EXPECT_EQ(compress(out.data(), &size, raw.data(), static_cast<uLong>(raw.size())), Z_OK);
    out.resize(size);
    return out;
}

// A 4 x 2 RGB image: chunks IHDR, IDAT, IEND.
std::vector<RawChunk> SmallImage()
{
    return SplitChunks(WriteWithLibpng(MakeTestImage(4, 2, 2, 8, 21)));
}

template <class E>
void ExpectLoadFault(const Bytes& file, const std::string& text)
{
    TPNGObject png;
    try {
        LoadFromBytes(png, file);
        ADD_FAILURE() << "no exception, expected: " << text;
    } catch (const E& e) {
        EXPECT_EQ(std::string(e.what()), text);
    } catch (const std::exception& e) {
        ADD_FAILURE() << "other exception: " << e.what();
    }
    // What the failed load left behind is still safe to use.
    for (int y = 0; y < png.Height(); ++y)
        for (int x = 0; x < png.Width(); ++x) png.GetPixels(x, y);
    EXPECT_NO_FATAL_FAILURE(SaveToBytes(png));
}

TEST(PngErrors, SignatureAndChunkSequence)
{
    Bytes notPng = WriteWithLibpng(MakeTestImage(4, 2, 2, 8, 1));
    notPng[1] = 'Q';
    ExpectLoadFault<EPNGInvalidFileHeader>(notPng, pnglang::EPNGInvalidFileHeaderText);
    ExpectLoadFault<EPNGInvalidFileHeader>(Bytes{137, 80}, pnglang::EPNGInvalidFileHeaderText);
    ExpectLoadFault<EPngUnexpectedEnd>(JoinChunks({}), pnglang::EPNGUnexpectedEndText);

    auto chunks = SmallImage();
    std::swap(chunks[0], chunks[1]);
    ExpectLoadFault<EPNGIHDRNotFirst>(JoinChunks(chunks), pnglang::EPNGIHDRNotFirstText);

    chunks = SmallImage();
    chunks.erase(chunks.begin() + 1);
    ExpectLoadFault<EPNGNoImageData>(JoinChunks(chunks), pnglang::EPNGNoImageDataText);

    chunks = SmallImage();
    chunks.insert(chunks.begin() + 1, RawChunk{"ABCD", Bytes{1, 2}});
    ExpectLoadFault<EPNGUnknownCriticalChunk>(JoinChunks(chunks), pnglang::EPNGUnknownCriticalChunkText);

    chunks = SmallImage();
    chunks.pop_back(); // no IEND: the file ends where a chunk length is expected
    ExpectLoadFault<EPngUnexpectedEnd>(JoinChunks(chunks), pnglang::EPNGUnexpectedEndText);

    Bytes badCrc = JoinChunks(SmallImage());
    badCrc[8 + 8 + 13] ^= 1; // the header's CRC
    ExpectLoadFault<EPngInvalidCRC>(badCrc, pnglang::EPngInvalidCRCText);
    Bytes badIdatCrc = JoinChunks(SmallImage());
    badIdatCrc[badIdatCrc.size() - 12 - 1] ^= 0x80; // last byte of the IDAT CRC
    ExpectLoadFault<EPngInvalidCRC>(badIdatCrc, pnglang::EPngInvalidCRCText);
}

TEST(PngErrors, HeaderChecks)
{
    auto withHeader = [](const Bytes& header) {
        auto chunks = SmallImage();
        chunks[0].data = header;
        return JoinChunks(chunks);
    };
    ExpectLoadFault<EPngInvalidIHDR>(withHeader(Bytes(12, 0)), pnglang::EPNGInvalidIHDRText);
    ExpectLoadFault<EPNGSizeExceeds>(withHeader(Header(65536, 2, 8, 2)), pnglang::EPNGSizeExceedsText);
    ExpectLoadFault<EPNGSizeExceeds>(withHeader(Header(4, 70000, 8, 2)), pnglang::EPNGSizeExceedsText);
    ExpectLoadFault<EPNGUnknownCompression>(withHeader(Header(4, 2, 8, 2, 1)), pnglang::EPNGUnknownCompressionText);
    ExpectLoadFault<EPNGUnknownInterlace>(withHeader(Header(4, 2, 8, 2, 0, 0, 2)), pnglang::EPNGUnknownInterlaceText);
    // Impossible type / depth pairs and empty images.
    for (const auto& [type, depth] : std::vector<std::pair<int, int>>{{1, 8}, {5, 8}, {7, 8}, {2, 4}, {3, 16},
                                                                      {4, 1}, {6, 2}, {0, 3}, {0, 32}})
        ExpectLoadFault<EPngInvalidIHDR>(withHeader(Header(4, 2, depth, type)), pnglang::EPNGInvalidIHDRText);
    ExpectLoadFault<EPngInvalidIHDR>(withHeader(Header(0, 2, 8, 2)), pnglang::EPNGInvalidIHDRText);
    // A header far larger than the rest of the file could ever describe is refused
    // before anything is allocated for it.
    ExpectLoadFault<EPNGSizeExceeds>(withHeader(Header(65535, 65535, 16, 6)), pnglang::EPNGSizeExceedsText);
}

TEST(PngErrors, PaletteAndTransparencyLengths)
{
    auto palette = SplitChunks(WriteWithLibpng(MakeTestImage(4, 2, 3, 8, 2)));
    ASSERT_EQ(palette[1].name, "PLTE");
    auto chunks = palette;
    chunks[1].data.assign(770, 7);
    ExpectLoadFault<EPNGInvalidPalette>(JoinChunks(chunks), pnglang::EPNGInvalidPaletteText);
    chunks[1].data.assign(771, 7); // 257 entries
    ExpectLoadFault<EPNGInvalidPalette>(JoinChunks(chunks), pnglang::EPNGInvalidPaletteText);
    chunks = palette;
    chunks.insert(chunks.begin() + 2, RawChunk{"tRNS", Bytes(257, 0)});
    ExpectLoadFault<EPNGInvalidPalette>(JoinChunks(chunks), pnglang::EPNGInvalidPaletteText);
}

TEST(PngErrors, ImageDataFaults)
{
    // A foreign chunk inside the run of image data.
    RawImage img = MakeTestImage(30, 30, 2, 8, 3);
    img.idatBufferSize = 300;
    auto chunks = SplitChunks(WriteWithLibpng(img));
    ASSERT_EQ(chunks[2].name, "IDAT");
    chunks.insert(chunks.begin() + 2, RawChunk{"tEXt", Bytes{'a', 0, 'b'}});
    ExpectLoadFault<EPNGMissingMultipleIDAT>(JoinChunks(chunks), pnglang::EPNGMissingMultipleIDATText);

    // Corrupt compressed data.
    chunks = SmallImage();
    chunks[1].data = {0x78, 0x9C, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    ExpectLoadFault<EPNGZLIBError>(JoinChunks(chunks), pnglang::ZlibErrorText(Z_DATA_ERROR));
    EXPECT_EQ(pnglang::ZlibErrorText(Z_DATA_ERROR),
              "Could not decompress the image because it contains invalid compressed data.\r\n Description: data error (-3)");

    // A stream asking for a preset dictionary cannot be decoded either.
    chunks[1].data = {0x78, 0xBB, 0, 0, 0, 1, 0x03, 0x00};
    ExpectLoadFault<EPNGZLIBError>(JoinChunks(chunks), pnglang::ZlibErrorText(Z_NEED_DICT));

    // A chunk length beyond the end of the file.
    chunks = SmallImage();
    Bytes file = JoinChunks(chunks);
    const std::size_t idatAt = 8 + 12 + 13;
    const Bytes huge = Be32(0x7FFFFFF0u);
    std::copy(huge.begin(), huge.end(), file.begin() + static_cast<std::ptrdiff_t>(idatAt));
    ExpectLoadFault<EPngUnexpectedEnd>(file, pnglang::EPNGUnexpectedEndText);
    const Bytes overLimit = Be32(0xFFFFFFF0u);
    std::copy(overLimit.begin(), overLimit.end(), file.begin() + static_cast<std::ptrdiff_t>(idatAt));
    ExpectLoadFault<EPngUnexpectedEnd>(file, pnglang::EPNGUnexpectedEndText);
}

TEST(PngErrors, ShortImageStreamFollowedByTrailingBytesEnds)
{
    // Only the first of four rows is in the compressed stream, and junk follows it
    // inside the same IDAT chunk: the decoder stops at the stream's end.
    auto chunks = SmallImage();
    Bytes raw = {1, 10, 20, 30, 5, 5, 5, 0, 0, 0, 0, 0, 0};
    Bytes data = Deflated(raw);
    data.insert(data.end(), {0xDE, 0xAD, 0xBE, 0xEF, 0x00, 0x11});
    chunks[0].data = Header(4, 4, 8, 2);
    chunks[1].data = data;
    TPNGObject png;
    ASSERT_NO_THROW(LoadFromBytes(png, JoinChunks(chunks)));
    EXPECT_EQ(png.GetPixels(0, 0), RGB(10, 20, 30));
    EXPECT_EQ(png.GetPixels(1, 0), RGB(15, 25, 35));
    EXPECT_EQ(png.GetPixels(0, 3), RGB(0, 0, 0));

    // A stream cut in the middle and followed by further chunks.
    Bytes full = Deflated(Bytes(4 * 13, 7));
    full.resize(full.size() / 2);
    chunks[1].data = full;
    chunks.insert(chunks.begin() + 2, RawChunk{"IDAT", Bytes{1, 2, 3, 4}});
    chunks.insert(chunks.begin() + 3, RawChunk{"tEXt", Bytes{'k', 0, 'v'}});
    TPNGObject cut;
    try {
        LoadFromBytes(cut, JoinChunks(chunks));
    } catch (const std::exception& e) {
        EXPECT_TRUE(IsCodecError(e)) << e.what();
    }
}

TEST(PngErrors, TextWithoutTerminatorStaysInsideItsChunk)
{
    auto chunks = SmallImage();
    chunks.insert(chunks.begin() + 1, RawChunk{"tEXt", Bytes{'a', 'b', 'c', 'd'}});
    chunks.insert(chunks.begin() + 1, RawChunk{"zTXt", Bytes{'k', 'e', 'y', 'w'}});
    chunks.insert(chunks.begin() + 1, RawChunk{"zTXt", Bytes{'k', 0, 0, 0x78, 0x9C, 1}}); // broken stream
    TPNGObject png;
    LoadFromBytes(png, JoinChunks(chunks));
    std::vector<std::string> seen;
    for (int i = 0; i < png.Chunks.Count(); ++i)
        if (auto* t = dynamic_cast<TChunktEXt*>(png.Chunks.GetItem(i))) seen.push_back(t->Keyword + "|" + t->Text);
    EXPECT_EQ(seen, (std::vector<std::string>{"k|", "keyw|", "abcd|"}));
}

TEST(PngErrors, OperationFaults)
{
    TPNGObject png;
    try {
        png.GetHeader();
        FAIL();
    } catch (const EPNGHeaderNotPresent& e) {
        EXPECT_STREQ(e.what(), pnglang::EPNGHeaderNotPresentText);
    }
    LoadFromBytes(png, WriteWithLibpng(MakeTestImage(4, 2, 3, 2, 4)));
    for (auto set : {+[](TPNGObject& p) { p.SetWidth(10); }, +[](TPNGObject& p) { p.SetHeight(10); }}) {
        try {
            set(png);
            FAIL();
        } catch (const EPngError& e) {
            EXPECT_STREQ(e.what(), pnglang::EPNGCannotChangeSizeText);
        }
    }
    auto* plte = png.Chunks.ItemFromClass<TChunkPLTE>();
    ASSERT_NE(plte, nullptr);
    EXPECT_EQ(plte->Count, 4u);
    EXPECT_NO_THROW(plte->GetPaletteItem(3));
    try {
        plte->GetPaletteItem(4);
        FAIL();
    } catch (const EPngError& e) {
        EXPECT_STREQ(e.what(), pnglang::EPNGUnknownPalEntryText);
    }
    try {
        png.GetHeader()->Assign(*plte);
        FAIL();
    } catch (const EPngError& e) {
        EXPECT_STREQ(e.what(), pnglang::EPNGCannotAssignChunkText);
    }
    TChunkgAMA gamma(&png);
    EXPECT_THROW(plte->Assign(gamma), EPngError);
    EXPECT_THROW(gamma.Assign(*plte), EPngError);
}

TEST(PngErrors, ZlibResultDescriptions)
{
    EXPECT_EQ(pnglang::ZlibResultDescription(-6), "incompatible version (-6)");
    EXPECT_EQ(pnglang::ZlibResultDescription(-5), "buffer error (-5)");
    EXPECT_EQ(pnglang::ZlibResultDescription(-4), "insufficient memory (-4)");
    EXPECT_EQ(pnglang::ZlibResultDescription(-2), "stream error (-2)");
    EXPECT_EQ(pnglang::ZlibResultDescription(-1), "file error (-1)");
    EXPECT_EQ(pnglang::ZlibResultDescription(0), "(0)");
    EXPECT_EQ(pnglang::ZlibResultDescription(1), "stream end (1)");
    EXPECT_EQ(pnglang::ZlibResultDescription(2), "need dictionary (2)");
}

} // namespace
