// The chunk list as the encoder writes it: order, transparency chunks, IDAT splitting,
// row filters and the ancillary chunks.
#include "png/pngimage.h"
#include "png/pnglang.h"
#include "pngtestutil.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <memory>

using namespace pngtest;

namespace {

std::unique_ptr<TPNGObject> Loaded(const RawImage& image)
{
    auto png = std::make_unique<TPNGObject>();
    LoadFromBytes(*png, WriteWithLibpng(image));
    return png;
}

std::vector<std::string> Names(const std::vector<RawChunk>& chunks)
{
    std::vector<std::string> names;
    for (const auto& c : chunks) names.push_back(c.name);
    return names;
}

std::vector<std::string> ListNames(const TPNGObject& png)
{
    std::vector<std::string> names;
    for (int i = 0; i < png.Chunks.Count(); ++i) names.push_back(png.Chunks.GetItem(i)->GetChunkName());
    return names;
}

// The filtered image data of a saved file: all IDAT chunks joined and inflated.
Bytes InflatedImageData(const Bytes& file)
{
    Bytes packed;
    for (const auto& c : SplitChunks(file))
        if (c.name == "IDAT") packed.insert(packed.end(), c.data.begin(), c.data.end());
    Bytes out(16u << 20);
    uLongf size = static_cast<uLongf>(out.size());
    EXPECT_EQ(uncompress(out.data(), &size, packed.data(), static_cast<uLong>(packed.size())), Z_OK);
    out.resize(size);
    return out;
}

std::vector<int> FilterBytes(const Bytes& file, std::size_t rowBytes, int rows)
{
    const Bytes data = InflatedImageData(file);
    std::vector<int> filters;
    for (int y = 0; y < rows && (y + 1) * (rowBytes + 1) <= data.size(); ++y) filters.push_back(data[y * (rowBytes + 1)]);
    return filters;
}

// A 720 x 576 RGB picture with a flat key colour and noisy blocks, like a menu mask
// with a photo behind it: large enough to need several IDAT chunks.
RawImage NoisyPicture()
{
    RawImage img = MakeTestImage(720, 576, 2, 8, 11);
    for (int y = 0; y < 200; ++y)
        for (auto& b : img.rows[y]) b = 1;
    return img;
}

TEST(PngChunks, FreshObjectIsEmptyAndIgnoresTransparentColour)
{
    TPNGObject png;
    EXPECT_TRUE(png.Empty());
    EXPECT_EQ(png.Width(), 0);
    EXPECT_EQ(png.Height(), 0);
    EXPECT_FALSE(png.Transparent());
    EXPECT_NO_THROW(png.SetTransparentColor(RGB(1, 1, 1)));
    EXPECT_EQ(png.Chunks.Count(), 0);
    EXPECT_EQ(png.GetPixels(0, 0), 0);
    EXPECT_EQ(png.GetScanline(0), nullptr);
    int rowBytes = -1, offset = -1;
    png.GetPixelInfo(rowBytes, offset);
    EXPECT_EQ(rowBytes, 0);
    EXPECT_EQ(offset, 0);
    EXPECT_EQ(png.GetMaxIdatSize(), 65535);
    png.SetMaxIdatSize(1000);
    EXPECT_EQ(png.GetMaxIdatSize(), 65535);
    png.SetMaxIdatSize(70000);
    EXPECT_EQ(png.GetMaxIdatSize(), 70000);
}

TEST(PngChunks, TransparentColourOfRgbImageIsSixBytesBeforeImageData)
{
    auto png = Loaded(MakeTestImage(5, 5, 2, 8, 1));
    png->SetTransparentColor(RGB(1, 2, 3));
    EXPECT_EQ(ListNames(*png), (std::vector<std::string>{"IHDR", "tRNS", "IDAT", "IEND"}));
    const auto chunks = SplitChunks(SaveToBytes(*png));
    ASSERT_EQ(Names(chunks), (std::vector<std::string>{"IHDR", "tRNS", "IDAT", "IEND"}));
    EXPECT_EQ(chunks[1].data, (Bytes{0, 1, 0, 2, 0, 3}));
    EXPECT_EQ(png->GetTransparencyMode(), ptmBit);
    EXPECT_EQ(png->GetTransparentColor(), RGB(1, 2, 3));
    png->RemoveTransparency();
    EXPECT_EQ(png->Chunks.ItemFromClass<TChunktRNS>(), nullptr);
    EXPECT_EQ(png->GetTransparencyMode(), ptmNone);
}

TEST(PngChunks, TransparentColourOfPaletteImage)
{
    RawImage img = MakeTestImage(5, 5, 3, 4, 2);
    img.palette[3 * 5] = 10, img.palette[3 * 5 + 1] = 20, img.palette[3 * 5 + 2] = 30;
    for (int i = 0; i < 5; ++i) img.palette[3 * i] = 99; // no earlier entry matches
    auto png = Loaded(img);
    png->SetTransparentColor(RGB(10, 20, 30));
    auto chunks = SplitChunks(SaveToBytes(*png));
    ASSERT_EQ(Names(chunks), (std::vector<std::string>{"IHDR", "PLTE", "tRNS", "IDAT", "IEND"}));
    EXPECT_EQ(chunks[2].data, (Bytes{255, 255, 255, 255, 255, 0}));
    EXPECT_EQ(png->GetTransparencyMode(), ptmBit);
    EXPECT_EQ(png->GetTransparentColor(), RGB(10, 20, 30));

    // A colour the palette lacks makes entry 0 the transparent one.
    png->SetTransparentColor(RGB(7, 7, 7));
    chunks = SplitChunks(SaveToBytes(*png));
    EXPECT_EQ(chunks[2].data, (Bytes{0}));
}

TEST(PngChunks, TransparentColourOfGreyImagesMatchesTheSavedSamples)
{
    auto grey8 = Loaded(MakeTestImage(3, 3, 0, 8, 3));
    grey8->SetTransparentColor(RGB(0x40, 0x40, 0x40));
    EXPECT_EQ(grey8->GetTransparentColor(), RGB(0x40, 0x40, 0x40));
    RawImage back;
    std::string error;
    ASSERT_TRUE(ReadWithLibpng(SaveToBytes(*grey8), back, error));
    EXPECT_TRUE(back.hasTrnsColor);
    EXPECT_EQ(back.trnsGrey, 0x40);

    auto grey2 = Loaded(MakeTestImage(3, 3, 0, 2, 3));
    grey2->SetTransparentColor(clWhite);
    ASSERT_TRUE(ReadWithLibpng(SaveToBytes(*grey2), back, error));
    EXPECT_EQ(back.bitDepth, 4);
    EXPECT_EQ(back.trnsGrey, 15); // white of the 4-bit image it is saved as
    EXPECT_EQ(grey2->GetTransparentColor(), clWhite);

    auto grey16 = Loaded(MakeTestImage(3, 3, 0, 16, 3));
    grey16->SetTransparentColor(RGB(0x12, 0x12, 0x12));
    ASSERT_TRUE(ReadWithLibpng(SaveToBytes(*grey16), back, error));
    EXPECT_EQ(back.trnsGrey, 0x1200); // 16-bit samples are written as value x 256
}

TEST(PngChunks, AlphaImagesRefuseATransparentColour)
{
    for (int type : {4, 6}) {
        auto png = Loaded(MakeTestImage(3, 3, type, 8, 4));
        try {
            png->SetTransparentColor(clRed);
            FAIL() << "type " << type;
        } catch (const EPNGCannotChangeTransparent& e) {
            EXPECT_STREQ(e.what(), pnglang::EPNGCannotChangeTransparentText);
        }
        EXPECT_EQ(png->GetTransparencyMode(), ptmPartial);
    }
}

TEST(PngChunks, AddPlacesAncillaryChunksAndRefusesCriticalOnes)
{
    auto png = Loaded(MakeTestImage(4, 4, 3, 8, 5));
    png->Chunks.Add<TChunkgAMA>();
    png->AddtEXt("Title", "x");
    png->Chunks.Add<TChunktRNS>();
    png->AddzTXt("Comment", "y");
    EXPECT_EQ(ListNames(*png),
              (std::vector<std::string>{"IHDR", "gAMA", "PLTE", "tRNS", "IDAT", "tEXt", "zTXt", "IEND"}));
    auto expectRefused = [](auto add) {
        try {
            add();
            ADD_FAILURE() << "no exception";
        } catch (const EPngError& e) {
            EXPECT_STREQ(e.what(), pnglang::EPNGCannotAddChunkText);
        }
    };
    expectRefused([&] { png->Chunks.Add<TChunkgAMA>(); });
    expectRefused([&] { png->Chunks.Add<TChunktRNS>(); });
    expectRefused([&] { png->Chunks.Add<TChunkIHDR>(); });
    expectRefused([&] { png->Chunks.Add<TChunkIDAT>(); });
    expectRefused([&] { png->Chunks.Add<TChunkPLTE>(); });
    expectRefused([&] { png->Chunks.Add<TChunkIEND>(); });

    TPNGObject empty;
    try {
        empty.AddtEXt("a", "b");
        FAIL();
    } catch (const EPngError& e) {
        EXPECT_STREQ(e.what(), pnglang::EPNGCannotAddInvalidImageText);
    }
}

TEST(PngChunks, TextChunksRoundTripAndEmptyZtxtIsOneSpace)
{
    auto png = Loaded(MakeTestImage(4, 4, 2, 8, 6));
    png->AddtEXt("Title", "Main menu");
    png->AddzTXt("Empty", "");
    png->AddzTXt("Long", std::string(10000, 'q'));
    const Bytes file = SaveToBytes(*png);
    for (const auto& c : SplitChunks(file))
        if (c.name == "zTXt" && c.data.size() > 6 && std::string(c.data.begin(), c.data.begin() + 5) == "Empty") {
            ASSERT_EQ(c.data[5], 0);
            ASSERT_EQ(c.data[6], 0); // compression method
            Bytes text(16);
            uLongf size = 16;
            ASSERT_EQ(uncompress(text.data(), &size, c.data.data() + 7, static_cast<uLong>(c.data.size() - 7)), Z_OK);
            EXPECT_EQ(std::string(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(size)), " ");
        }
    RawImage back;
    std::string error;
    ASSERT_TRUE(ReadWithLibpng(file, back, error)) << error;
    ASSERT_EQ(back.texts.size(), 3u);
    EXPECT_EQ(back.texts[0].text, "Main menu");
    EXPECT_EQ(back.texts[2].text, std::string(10000, 'q'));

    TPNGObject again;
    LoadFromBytes(again, file);
    std::vector<std::string> texts;
    for (int i = 0; i < again.Chunks.Count(); ++i)
        if (auto* t = dynamic_cast<TChunktEXt*>(again.Chunks.GetItem(i))) texts.push_back(t->Keyword + "=" + t->Text);
    EXPECT_EQ(texts, (std::vector<std::string>{"Title=Main menu", "Empty= ", "Long=" + std::string(10000, 'q')}));
}

TEST(PngChunks, MaskSizedPictureIsWrittenInFullIdatChunksWithSubFilter)
{
    auto png = Loaded(NoisyPicture());
    png->InterlaceMethod = imNone;
    const Bytes file = SaveToBytes(*png);
    const auto chunks = SplitChunks(file);
    ASSERT_GE(chunks.size(), 4u);
    EXPECT_EQ(chunks.front().name, "IHDR");
    EXPECT_EQ(chunks.front().data[8], 8);  // depth
    EXPECT_EQ(chunks.front().data[9], 2);  // RGB
    EXPECT_EQ(chunks.front().data[12], 0); // not interlaced
    EXPECT_EQ(chunks.back().name, "IEND");
    std::size_t idats = 0;
    for (std::size_t i = 1; i + 1 < chunks.size(); ++i) {
        ASSERT_EQ(chunks[i].name, "IDAT");
        ++idats;
        if (i + 2 < chunks.size()) EXPECT_EQ(chunks[i].data.size(), 65535u) << i;
        else EXPECT_LE(chunks[i].data.size(), 65535u);
    }
    EXPECT_GE(idats, 3u);
    for (int f : FilterBytes(file, 720 * 3, 576)) ASSERT_EQ(f, 1);
}

TEST(PngChunks, CompressedSizeOfExactlyOneOrTwoBuffersLeavesNoEmptyChunk)
{
    auto png = Loaded(NoisyPicture());
    png->SetMaxIdatSize(64 << 20);
    const auto whole = SplitChunks(SaveToBytes(*png));
    ASSERT_EQ(whole.size(), 3u);
    const auto total = static_cast<std::int32_t>(whole[1].data.size());
    ASSERT_GT(total, 2 * 65535);

    png->SetMaxIdatSize(total);
    auto chunks = SplitChunks(SaveToBytes(*png));
    ASSERT_EQ(Names(chunks), (std::vector<std::string>{"IHDR", "IDAT", "IEND"}));
    EXPECT_EQ(chunks[1].data.size(), static_cast<std::size_t>(total));

    if (total % 2 == 0) {
        png->SetMaxIdatSize(total / 2);
        chunks = SplitChunks(SaveToBytes(*png));
        ASSERT_EQ(Names(chunks), (std::vector<std::string>{"IHDR", "IDAT", "IDAT", "IEND"}));
    }
    png->SetMaxIdatSize(total - 1); // one full chunk and a chunk of one byte
    chunks = SplitChunks(SaveToBytes(*png));
    ASSERT_EQ(Names(chunks), (std::vector<std::string>{"IHDR", "IDAT", "IDAT", "IEND"}));
    EXPECT_EQ(chunks[2].data.size(), 1u);
}

TEST(PngChunks, FilterChoiceFollowsTheAllowedSet)
{
    RawImage flat = MakeTestImage(40, 6, 2, 8, 7);
    for (auto& row : flat.rows)
        for (std::size_t i = 0; i < row.size(); ++i) row[i] = static_cast<std::uint8_t>(10 + i % 3 * 40);
    auto png = Loaded(flat);

    png->Filters = FilterBit(pfNone);
    for (int f : FilterBytes(SaveToBytes(*png), 120, 6)) EXPECT_EQ(f, 0);
    png->Filters = 0;
    for (int f : FilterBytes(SaveToBytes(*png), 120, 6)) EXPECT_EQ(f, 0);
    png->Filters = FilterBit(pfAverage);
    for (int f : FilterBytes(SaveToBytes(*png), 120, 6)) EXPECT_EQ(f, 3);

    // All five: the first row is best as differences to the left, later rows as
    // differences to the row above (all zero).
    png->Filters = 0x1F;
    const auto filters = FilterBytes(SaveToBytes(*png), 120, 6);
    ASSERT_EQ(filters.size(), 6u);
    EXPECT_EQ(filters[0], 1);
    for (int y = 1; y < 6; ++y) EXPECT_EQ(filters[y], 2) << y;

    // Rows too short to compare any bytes get filter 0, even when it is not allowed.
    auto narrow = Loaded(MakeTestImage(1, 3, 0, 8, 8));
    narrow->Filters = FilterBit(pfSub) | FilterBit(pfUp);
    for (int f : FilterBytes(SaveToBytes(*narrow), 1, 3)) EXPECT_EQ(f, 0);
}

TEST(PngChunks, HeaderFieldsWrittenFromTheObject)
{
    auto two = Loaded(MakeTestImage(9, 3, 3, 2, 9));
    EXPECT_EQ(SplitChunks(SaveToBytes(*two)).front().data[8], 4); // 2-bit saved as 4-bit
    EXPECT_EQ(two->GetHeader()->BitDepth, 4);

    RawImage interlaced = MakeTestImage(9, 3, 2, 8, 9);
    interlaced.interlace = true;
    auto png = Loaded(interlaced);
    EXPECT_EQ(png->InterlaceMethod, imAdam7);
    png->InterlaceMethod = imNone;
    EXPECT_EQ(SplitChunks(SaveToBytes(*png)).front().data[12], 0);
    auto plain = Loaded(MakeTestImage(9, 3, 2, 8, 9));
    plain->InterlaceMethod = imAdam7;
    EXPECT_EQ(SplitChunks(SaveToBytes(*plain)).front().data[12], 1);
}

TEST(PngChunks, ChrmIsDroppedAndUnknownAncillaryChunksAreKept)
{
    auto chunks = SplitChunks(WriteWithLibpng(MakeTestImage(4, 4, 2, 8, 10)));
    chunks.insert(chunks.begin() + 1, RawChunk{"cHRM", Bytes(32, 1)});
    chunks.insert(chunks.begin() + 1, RawChunk{"bKGD", Bytes{0, 1, 0, 2, 0, 3}});
    TPNGObject png;
    LoadFromBytes(png, JoinChunks(chunks));
    const auto saved = SplitChunks(SaveToBytes(png));
    EXPECT_EQ(Names(saved), (std::vector<std::string>{"IHDR", "bKGD", "IDAT", "IEND"}));
    EXPECT_EQ(saved[1].data, (Bytes{0, 1, 0, 2, 0, 3}));
}

TEST(PngChunks, AssignPngMakesAnIdenticalImage)
{
    RawImage img = MakeTestImage(13, 7, 3, 4, 12);
    img.trnsAlpha = {0, 255, 128};
    img.texts = {{"k", "v"}};
    auto source = Loaded(img);
    source->Filters = 0x1F;
    source->CompressionLevel = 9;
    TPNGObject copy;
    copy.Assign(*source);
    EXPECT_EQ(ListNames(copy), ListNames(*source));
    EXPECT_EQ(copy.Filters, 0x1F);
    EXPECT_EQ(copy.CompressionLevel, 9);
    EXPECT_EQ(SaveToBytes(copy), SaveToBytes(*source));
    EXPECT_EQ(copy.GetTransparencyMode(), ptmPartial);
}

TEST(PngChunks, CreateAlphaAddsAnOpaquePlane)
{
    auto rgb = Loaded(MakeTestImage(6, 4, 2, 8, 13));
    const TColor before = rgb->GetPixels(2, 3);
    rgb->CreateAlpha();
    EXPECT_EQ(rgb->GetHeader()->ColorType, 6);
    EXPECT_EQ(rgb->GetTransparencyMode(), ptmPartial);
    EXPECT_EQ(rgb->GetAlphaScanline(3)[5], 255);
    EXPECT_EQ(rgb->GetPixels(2, 3), before);

    RawImage greyImage = MakeTestImage(11, 3, 0, 1, 14);
    auto grey = Loaded(greyImage);
    std::vector<TColor> colours;
    for (int x = 0; x < 11; ++x) colours.push_back(grey->GetPixels(x, 1));
    grey->CreateAlpha();
    EXPECT_EQ(grey->GetHeader()->ColorType, 4);
    EXPECT_EQ(grey->GetHeader()->BitDepth, 8);
    for (int x = 0; x < 11; ++x) EXPECT_EQ(grey->GetPixels(x, 1), colours[x]) << x;
    RawImage back;
    std::string error;
    ASSERT_TRUE(ReadWithLibpng(SaveToBytes(*grey), back, error)) << error;
    EXPECT_EQ(back.colorType, 4);
    for (int x = 0; x < 11; ++x) {
        EXPECT_EQ(back.rows[1][2 * x], Sample(greyImage.rows[1], x, 1) * 255);
        EXPECT_EQ(back.rows[1][2 * x + 1], 255);
    }

    auto palette = Loaded(MakeTestImage(4, 4, 3, 4, 15));
    palette->CreateAlpha();
    auto* trns = palette->Chunks.ItemFromClass<TChunktRNS>();
    ASSERT_NE(trns, nullptr);
    EXPECT_EQ(trns->DataSize(), 16u);
    EXPECT_EQ(palette->GetTransparencyMode(), ptmPartial);
}

TEST(PngChunks, PixelInfoPerFormat)
{
    struct Case {
        int type, depth, width, rowBytes, offset;
    };
    for (const Case c : {Case{0, 1, 9, 2, 1}, Case{0, 16, 3, 6, 2}, Case{2, 8, 5, 15, 3}, Case{2, 16, 5, 30, 6},
                         Case{3, 4, 5, 3, 1}, Case{4, 8, 5, 10, 2}, Case{6, 16, 2, 16, 8}}) {
        auto png = Loaded(MakeTestImage(c.width, 2, c.type, c.depth, 16));
        int rowBytes = 0, offset = 0;
        png->GetPixelInfo(rowBytes, offset);
        EXPECT_EQ(rowBytes, c.rowBytes) << c.type << "/" << c.depth;
        EXPECT_EQ(offset, c.offset) << c.type << "/" << c.depth;
    }
}

} // namespace

namespace {

TEST(PngChunks, TransparentColourIsLookedUpInThePaletteOnly)
{
    // Black is not among the 16 colours, and the unused table entries (black) must not
    // make the transparency chunk longer than the palette.
    RawImage img = MakeTestImage(4, 4, 3, 4, 17);
    for (auto& v : img.palette) v = static_cast<std::uint8_t>(v | 1);
    auto png = Loaded(img);
    png->SetTransparentColor(clBlack);
    EXPECT_EQ(png->Chunks.ItemFromClass<TChunktRNS>()->DataSize(), 1u);
    RawImage back;
    std::string error;
    EXPECT_TRUE(ReadWithLibpng(SaveToBytes(*png), back, error)) << error;
}

} // namespace
