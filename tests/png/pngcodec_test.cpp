// Pixels survive both directions against libpng: files libpng writes decode to the right
// colours, and files the codec writes read back in libpng with the right samples.
#include "png/pngimage.h"
#include "pngtestutil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

using namespace pngtest;

namespace {

struct Format {
    int colorType;
    int bitDepth;
};

const Format kFormats[] = {{0, 1}, {0, 2}, {0, 4}, {0, 8}, {0, 16}, {2, 8}, {2, 16}, {3, 1}, {3, 2},
                           {3, 4}, {3, 8}, {4, 8}, {4, 16}, {6, 8}, {6, 16}};

int Channels(int colorType)
{
    return colorType == 0 || colorType == 3 ? 1 : colorType == 2 ? 3 : colorType == 4 ? 2 : 4;
}

// The 8-bit value the codec keeps for a sample: the high byte of 16-bit samples, grey
// below 8 bits spread over 0..255.
int Level(unsigned sample, int bitDepth)
{
    if (bitDepth == 16) return static_cast<int>(sample >> 8);
    return static_cast<int>(sample * 255 / ((1u << bitDepth) - 1));
}

// The colour and opacity libpng's samples describe at (x, y).
void Expected(const RawImage& img, int x, int y, TColor& colour, int& alpha)
{
    const Bytes& row = img.rows[static_cast<std::size_t>(y)];
    const int ch = Channels(img.colorType);
    auto s = [&](int c) { return Sample(row, x * ch + c, img.bitDepth); };
    alpha = 255;
    switch (img.colorType) {
    case 0: {
        const int g = Level(s(0), img.bitDepth);
        colour = RGB(g, g, g);
        break;
    }
    case 2: colour = RGB(Level(s(0), img.bitDepth), Level(s(1), img.bitDepth), Level(s(2), img.bitDepth)); break;
    case 3: {
        const unsigned i = s(0);
        colour = RGB(img.palette[3 * i], img.palette[3 * i + 1], img.palette[3 * i + 2]);
        break;
    }
    case 4: {
        const int g = Level(s(0), img.bitDepth);
        colour = RGB(g, g, g);
        alpha = Level(s(1), img.bitDepth);
        break;
    }
    default:
        colour = RGB(Level(s(0), img.bitDepth), Level(s(1), img.bitDepth), Level(s(2), img.bitDepth));
        alpha = Level(s(3), img.bitDepth);
        break;
    }
}

// The sample the codec writes back for one libpng sample.
unsigned Rewritten(unsigned sample, int colorType, int bitDepth)
{
    if (bitDepth == 16) return sample & 0xFF00u;
    if (bitDepth == 2 && colorType == 0) return sample * 5; // saved as 4-bit grey
    return sample;
}

void ExpectDecodedLike(const TPNGObject& png, const RawImage& img)
{
    ASSERT_EQ(png.GetWidth(), img.width);
    ASSERT_EQ(png.GetHeight(), img.height);
    int bad = 0;
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x) {
            TColor colour;
            int alpha;
            Expected(img, x, y, colour, alpha);
            const TColor got = png.GetPixels(x, y);
            const std::uint8_t* a = png.GetAlphaScanline(y);
            const int gotAlpha = a ? a[x] : 255;
            if ((got != colour || gotAlpha != alpha) && bad++ < 5)
                ADD_FAILURE() << "pixel " << x << "," << y << " is " << std::hex << got << "/" << gotAlpha
                              << ", expected " << colour << "/" << alpha;
        }
    EXPECT_EQ(bad, 0);
}

class Formats : public ::testing::TestWithParam<std::tuple<Format, bool>> {};

// libpng writes, the codec reads; the codec writes (plain and Adam7, every filter), libpng reads.
TEST_P(Formats, RoundTripThroughLibpng)
{
    const auto [format, interlace] = GetParam();
    RawImage img = MakeTestImage(37, 23, format.colorType, format.bitDepth, 7u + format.colorType * 31u + format.bitDepth);
    img.interlace = interlace;
    img.idatBufferSize = 97; // many small IDAT chunks
    const Bytes file = WriteWithLibpng(img);
    ASSERT_FALSE(file.empty());
    const auto chunks = SplitChunks(file);
    ASSERT_GT(std::count_if(chunks.begin(), chunks.end(), [](const RawChunk& c) { return c.name == "IDAT"; }), 1);

    TPNGObject png;
    LoadFromBytes(png, file);
    EXPECT_EQ(png.InterlaceMethod, interlace ? imAdam7 : imNone);
    ExpectDecodedLike(png, img);

    for (TFilters filters : {TFilters(FilterBit(pfSub)), TFilters(0x1F), TFilters(FilterBit(pfPaeth))}) {
        for (TInterlaceMethod method : {imNone, imAdam7}) {
            png.Filters = filters;
            png.InterlaceMethod = method;
            RawImage back;
            std::string error;
            ASSERT_TRUE(ReadWithLibpng(SaveToBytes(png), back, error)) << error;
            const int depth = format.bitDepth == 2 ? 4 : format.bitDepth; // 2-bit pixels are held at 4 bits
            ASSERT_EQ(back.colorType, format.colorType);
            ASSERT_EQ(back.bitDepth, depth);
            EXPECT_EQ(back.interlace, method == imAdam7);
            if (format.colorType == 3) {
                EXPECT_EQ(back.palette, img.palette);
            }
            const int n = img.width * Channels(format.colorType);
            int bad = 0;
            for (int y = 0; y < img.height; ++y)
                for (int i = 0; i < n; ++i) {
                    const unsigned want = Rewritten(Sample(img.rows[y], i, format.bitDepth), format.colorType,
                                                    format.bitDepth);
                    const unsigned got = Sample(back.rows[y], i, depth);
                    if (want != got && bad++ < 5)
                        ADD_FAILURE() << "row " << y << " sample " << i << ": " << got << " != " << want
                                      << " (filters " << int(filters) << ", interlace " << method << ")";
                }
            EXPECT_EQ(bad, 0);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(AllColourTypes, Formats,
                         ::testing::Combine(::testing::ValuesIn(kFormats), ::testing::Bool()),
                         [](const auto& param) {
                             const Format f = std::get<0>(param.param);
                             return "Type" + std::to_string(f.colorType) + "Depth" + std::to_string(f.bitDepth) +
                                    (std::get<1>(param.param) ? "Adam7" : "Plain");
                         });

// Narrow images have Adam7 passes without pixels; they carry no rows at all.
TEST(PngCodec, TinyInterlacedImagesRoundTrip)
{
    for (int w = 1; w <= 9; ++w)
        for (int h = 1; h <= 9; h += 4) {
            RawImage img = MakeTestImage(w, h, 2, 8, static_cast<unsigned>(w * 10 + h));
            img.interlace = true;
            TPNGObject png;
            LoadFromBytes(png, WriteWithLibpng(img));
            ExpectDecodedLike(png, img);
            RawImage back;
            std::string error;
            ASSERT_TRUE(ReadWithLibpng(SaveToBytes(png), back, error)) << w << "x" << h;
            EXPECT_EQ(back.rows, img.rows) << w << "x" << h;
        }
}

TEST(PngCodec, AncillaryChunksWrittenByLibpngAreRead)
{
    RawImage img = MakeTestImage(8, 4, 2, 8, 3);
    img.texts = {{"Title", "Keldara menu"}, {"Comment", std::string(3000, 'x') + "end", true}};
    img.hasTime = true;
    img.year = 2026, img.month = 12, img.day = 9, img.hour = 5, img.minute = 41, img.second = 7;
    img.hasTrnsColor = true;
    img.trnsRed = 1, img.trnsGreen = 2, img.trnsBlue = 3;
    TPNGObject png;
    LoadFromBytes(png, WriteWithLibpng(img));

    auto* text = png.Chunks.ItemFromClass<TChunktEXt>();
    ASSERT_NE(text, nullptr);
    bool sawPlain = false, sawCompressed = false;
    for (int i = 0; i < png.Chunks.Count(); ++i) {
        if (auto* z = dynamic_cast<TChunkzTXt*>(png.Chunks.GetItem(i))) {
            sawCompressed = true;
            EXPECT_EQ(z->Keyword, "Comment");
            EXPECT_EQ(z->Text, std::string(3000, 'x') + "end");
        } else if (auto* t = dynamic_cast<TChunktEXt*>(png.Chunks.GetItem(i))) {
            sawPlain = true;
            EXPECT_EQ(t->Keyword, "Title");
            EXPECT_EQ(t->Text, "Keldara menu");
        }
    }
    EXPECT_TRUE(sawPlain);
    EXPECT_TRUE(sawCompressed);
    auto* time = png.Chunks.ItemFromClass<TChunktIME>();
    ASSERT_NE(time, nullptr);
    EXPECT_EQ(time->Year, 2026);
    EXPECT_EQ(time->Month, 12);
    EXPECT_EQ(time->Day, 9);
    EXPECT_EQ(time->Second, 7);
    EXPECT_EQ(png.GetTransparencyMode(), ptmBit);
    EXPECT_EQ(png.GetTransparentColor(), RGB(1, 2, 3));

    // Written back, libpng reads the same texts and transparent colour.
    RawImage back;
    std::string error;
    ASSERT_TRUE(ReadWithLibpng(SaveToBytes(png), back, error)) << error;
    ASSERT_EQ(back.texts.size(), 2u);
    EXPECT_TRUE(back.hasTrnsColor);
    EXPECT_EQ(back.trnsRed, 1);
    EXPECT_EQ(back.trnsBlue, 3);
}

TEST(PngCodec, GreyAndPaletteTransparencyFromLibpng)
{
    RawImage grey = MakeTestImage(4, 4, 0, 8, 1);
    grey.hasTrnsColor = true;
    grey.trnsGrey = 0x7F;
    TPNGObject png;
    LoadFromBytes(png, WriteWithLibpng(grey));
    EXPECT_EQ(png.GetTransparencyMode(), ptmBit);
    EXPECT_EQ(png.GetTransparentColor(), RGB(0x7F, 0x7F, 0x7F)); // the value's low byte at 8 bits

    RawImage grey4 = MakeTestImage(4, 4, 0, 4, 1);
    grey4.hasTrnsColor = true;
    grey4.trnsGrey = 15;
    LoadFromBytes(png, WriteWithLibpng(grey4));
    EXPECT_EQ(png.GetTransparentColor(), RGB(255, 255, 255));

    RawImage pal = MakeTestImage(4, 4, 3, 8, 1);
    pal.trnsAlpha = {255, 255, 0};
    LoadFromBytes(png, WriteWithLibpng(pal));
    EXPECT_EQ(png.GetTransparencyMode(), ptmBit);
    EXPECT_EQ(png.GetTransparentColor(), RGB(pal.palette[6], pal.palette[7], pal.palette[8]));
    pal.trnsAlpha = {255, 128, 255};
    LoadFromBytes(png, WriteWithLibpng(pal));
    EXPECT_EQ(png.GetTransparencyMode(), ptmPartial); // a half-transparent entry needs blending
}

TEST(PngCodec, GammaOfOneOverTwoPointTwoIsAlmostIdentity)
{
    RawImage img = MakeTestImage(16, 16, 2, 8, 5);
    img.gamma = 0.45455;
    TPNGObject png;
    LoadFromBytes(png, WriteWithLibpng(img));
    for (int i = 0; i < 256; ++i) EXPECT_NEAR(png.GammaTable[i], i, 1) << i;
    EXPECT_NE(png.Chunks.ItemFromClass<TChunkgAMA>(), nullptr);
    EXPECT_EQ(png.Chunks.ItemFromClass<TChunkgAMA>()->GetValue(), 45455u);
}

TEST(PngCodec, TwoBitGreyKeepsWhiteAndPixelAccessReadsTheRightBits)
{
    RawImage img;
    img.width = 4, img.height = 1, img.colorType = 0, img.bitDepth = 2;
    img.rows = {{0x1B}}; // samples 0, 1, 2, 3
    TPNGObject png;
    LoadFromBytes(png, WriteWithLibpng(img));
    EXPECT_EQ(png.GetPixels(0, 0), RGB(0, 0, 0));
    EXPECT_EQ(png.GetPixels(1, 0), RGB(85, 85, 85));
    EXPECT_EQ(png.GetPixels(2, 0), RGB(170, 170, 170));
    EXPECT_EQ(png.GetPixels(3, 0), RGB(255, 255, 255));
    png.SetPixels(0, 0, RGB(250, 250, 250));
    png.SetPixels(3, 0, clBlack);
    EXPECT_EQ(png.GetPixels(0, 0), RGB(255, 255, 255));
    EXPECT_EQ(png.GetPixels(1, 0), RGB(85, 85, 85)); // neighbours untouched
    EXPECT_EQ(png.GetPixels(3, 0), RGB(0, 0, 0));
}

} // namespace

namespace {

// The pixel-wide unfiltering of Sub rows against its own encoder, at every row length
// around its word sizes.
TEST(PngCodec, SubRowsOfEveryWidthReadBackExactly)
{
    for (int type : {2, 6})
        for (int depth : {8, 16})
            for (int w = 1; w <= 21; ++w) {
                RawImage img = MakeTestImage(w, 3, type, depth, static_cast<unsigned>(w + type + depth));
                TPNGObject png;
                LoadFromBytes(png, WriteWithLibpng(img));
                TPNGObject again;
                LoadFromBytes(again, SaveToBytes(png)); // default filters: Sub on every row
                for (int y = 0; y < 3; ++y)
                    for (int x = 0; x < w; ++x) {
                        ASSERT_EQ(again.GetPixels(x, y), png.GetPixels(x, y)) << type << "/" << depth << " w" << w;
                        if (type == 6) {
                            ASSERT_EQ(again.GetAlphaScanline(y)[x], png.GetAlphaScanline(y)[x]);
                        }
                    }
            }
}

} // namespace
