// BMP files: our own round trips at every depth, files from independent
// writers (ImageMagick, hand-made bytes), and malformed files refused cleanly.
#include "gfx/bitmap.h"
#include "rtl/classes.h"
#include "rtl/paths.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace gfxtest;

namespace {

// A picture with n distinct colours, so ImageMagick picks the depth.
Ppm Colourful(int w, int h, int colours)
{
    Ppm p;
    p.width = w;
    p.height = h;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int k = (x + y * w) % colours;
            p.rgb.push_back(static_cast<std::uint8_t>((k * 53) & 0xFF));
            p.rgb.push_back(static_cast<std::uint8_t>((k * 101 + 7) & 0xFF));
            p.rgb.push_back(static_cast<std::uint8_t>((k * 29 + 200) & 0xFF));
        }
    return p;
}

void ExpectSame(const TBitmap& b, const Ppm& p)
{
    ASSERT_EQ(b.Width(), p.width);
    ASSERT_EQ(b.Height(), p.height);
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) ASSERT_EQ(b.Pixel(x, y), p.At(x, y)) << x << "," << y;
}

int BitsInFile(const std::string& path)
{
    const auto d = ReadFile(path);
    return d.size() >= 30 ? d[28] | (d[29] << 8) : 0;
}

std::vector<std::uint8_t> Le32(std::uint32_t v)
{
    return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v >> 16),
            static_cast<std::uint8_t>(v >> 24)};
}

// A BMP file built byte by byte: headers, colour table and pixel bytes as given.
std::vector<std::uint8_t> MakeBmp(int w, int h, int bpp, std::uint32_t compression, const std::vector<std::uint8_t>& table,
                                  const std::vector<std::uint8_t>& pixels)
{
    std::vector<std::uint8_t> f = {'B', 'M'};
    auto add = [&](const std::vector<std::uint8_t>& v) { f.insert(f.end(), v.begin(), v.end()); };
    const std::uint32_t off = 14 + 40 + static_cast<std::uint32_t>(table.size());
    add(Le32(off + static_cast<std::uint32_t>(pixels.size())));
    add(Le32(0));
    add(Le32(off));
    add(Le32(40));
    add(Le32(static_cast<std::uint32_t>(w)));
    add(Le32(static_cast<std::uint32_t>(h)));
    f.push_back(1);
    f.push_back(0);
    f.push_back(static_cast<std::uint8_t>(bpp));
    f.push_back(0);
    add(Le32(compression));
    add(Le32(static_cast<std::uint32_t>(pixels.size())));
    add(Le32(0));
    add(Le32(0));
    add(Le32(static_cast<std::uint32_t>(table.size() / 4)));
    add(Le32(0));
    add(table);
    add(pixels);
    return f;
}

TBitmap LoadBytes(const std::vector<std::uint8_t>& bytes)
{
    TMemoryStream s;
    if (!bytes.empty()) s.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
    s.SetPosition(0);
    TBitmap b;
    b.LoadFromStream(s);
    return b;
}

} // namespace

TEST(BmpFiles, OwnRoundTripAtEveryDepth)
{
    const std::string dir = TempDir();
    for (TPixelFormat f : {pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit}) {
        TBitmap b(13, 7, f);
        for (int y = 0; y < 7; ++y)
            for (int x = 0; x < 13; ++x) b.SetPixel(x, y, (x * 3 + y) % 4 == 0 ? clBlack : (x + y) % 3 ? clRed : clWhite);
        const std::string path = JoinPath(dir, "r" + std::to_string(f) + ".bmp");
        b.SaveToFile(path);
        TBitmap back;
        back.LoadFromFile(path);
        EXPECT_EQ(back.Width(), 13);
        EXPECT_EQ(back.Height(), 7);
        for (int y = 0; y < 7; ++y)
            for (int x = 0; x < 13; ++x) ASSERT_EQ(back.Pixel(x, y), b.Pixel(x, y)) << f << " " << x << "," << y;
        // The standard headers: 14 + 40 bytes, then the colour table.
        const auto bytes = ReadFile(path);
        EXPECT_EQ(bytes[14], 40);
        const std::uint32_t off = bytes[10] | (bytes[11] << 8);
        const int bpp = b.BitsPerPixel();
        EXPECT_EQ(off, 54u + (bpp <= 8 ? 4u << bpp : f == pf16bit ? 12u : 0u));
        EXPECT_EQ(bytes.size(), off + static_cast<std::size_t>(b.BytesPerRow()) * 7);
    }
}

TEST(BmpFiles, ReadsWhatImageMagickWrites)
{
    if (!HaveTool("convert")) GTEST_SKIP() << "ImageMagick not installed";
    const std::string dir = TempDir();
    struct Case {
        int colours;
        std::vector<std::string> options;
        int expectBits;
    };
    const Case cases[] = {
        {2, {"-type", "Palette"}, 1},
        {12, {"-type", "Palette"}, 4},
        {200, {"-type", "Palette"}, 8},
        {200, {"-type", "Palette", "-compress", "RLE"}, 8},
        {1000, {"-type", "TrueColor"}, 24},
        {1000, {"-type", "TrueColorAlpha", "-alpha", "on"}, 32},
    };
    int i = 0;
    for (const Case& k : cases) {
        const Ppm src = Colourful(37, 23, k.colours);
        const std::string in = JoinPath(dir, "in" + std::to_string(i) + ".ppm");
        const std::string out = JoinPath(dir, "out" + std::to_string(i) + ".bmp");
        WritePpm(in, src);
        std::vector<std::string> argv = {"convert", in};
        argv.insert(argv.end(), k.options.begin(), k.options.end());
        argv.push_back((k.expectBits == 32 ? "BMP:" : "BMP3:") + out);
        ASSERT_EQ(RunTool(argv), 0);
        ASSERT_EQ(BitsInFile(out), k.expectBits) << i;
        TBitmap b;
        b.LoadFromFile(out);
        ExpectSame(b, src);
        ++i;
    }
}

TEST(BmpFiles, ImageMagickReadsWhatWeWrite)
{
    if (!HaveTool("convert")) GTEST_SKIP() << "ImageMagick not installed";
    const std::string dir = TempDir();
    const Ppm src = Colourful(31, 17, 1000);
    for (TPixelFormat f : {pf8bit, pf24bit, pf32bit}) {
        TBitmap b(src.width, src.height, pf24bit);
        for (int y = 0; y < src.height; ++y)
            for (int x = 0; x < src.width; ++x) b.SetPixel(x, y, src.At(x, y));
        b.SetPixelFormat(f);
        const std::string bmp = JoinPath(dir, "ours" + std::to_string(f) + ".bmp");
        const std::string ppm = JoinPath(dir, "back" + std::to_string(f) + ".ppm");
        b.SaveToFile(bmp);
        ASSERT_EQ(RunTool({"convert", bmp, "-alpha", "off", "-depth", "8", ppm}), 0);
        Ppm back;
        ASSERT_TRUE(ReadPpm(ppm, back));
        ExpectSame(b, back);
    }
}

TEST(BmpFiles, TopDownAndRunLengthFilesMadeByHand)
{
    // 2 x 2, 24 bits, negative height: the first stored row is the top one.
    const std::vector<std::uint8_t> rows = {0, 0, 255, 0, 255, 0, 0, 0, // red, green + pad
                                            255, 0, 0, 255, 255, 255, 0, 0}; // blue, white + pad
    auto top = MakeBmp(2, -2, 24, 0, {}, rows);
    TBitmap b = LoadBytes(top);
    EXPECT_EQ(b.Pixel(0, 0), clRed);
    EXPECT_EQ(b.Pixel(1, 0), clLime);
    EXPECT_EQ(b.Pixel(0, 1), clBlue);
    EXPECT_EQ(b.Pixel(1, 1), clWhite);
    auto bottom = MakeBmp(2, 2, 24, 0, {}, rows);
    TBitmap u = LoadBytes(bottom);
    EXPECT_EQ(u.Pixel(0, 1), clRed);
    EXPECT_EQ(u.Pixel(0, 0), clBlue);

    const std::vector<std::uint8_t> table = {0, 0, 0, 0, 0, 0, 255, 0, 255, 0, 0, 0}; // black, red, blue
    // RLE8, 6 x 2: bottom row "3 x red, absolute [blue, black, blue]", then a delta to the top row.
    const std::vector<std::uint8_t> rle8 = {3, 1, 0, 3, 2, 0, 2, 0, 0, 0, 0, 2, 2, 0, 2, 2, 0, 1};
    TBitmap r8 = LoadBytes(MakeBmp(6, 2, 8, 1, table, rle8));
    EXPECT_EQ(r8.BitsPerPixel(), 8);
    for (int x = 0; x < 3; ++x) EXPECT_EQ(r8.Pixel(x, 1), clRed);
    EXPECT_EQ(r8.Pixel(3, 1), clBlue);
    EXPECT_EQ(r8.Pixel(4, 1), clBlack);
    EXPECT_EQ(r8.Pixel(5, 1), clBlue);
    EXPECT_EQ(r8.Pixel(0, 0), clBlack); // skipped by the delta: index 0
    EXPECT_EQ(r8.Pixel(2, 0), clBlue);
    EXPECT_EQ(r8.Pixel(3, 0), clBlue);
    // RLE4, 5 x 1: a run of 5 alternating red/blue nibbles.
    const std::vector<std::uint8_t> rle4 = {5, 0x12, 0, 1};
    TBitmap r4 = LoadBytes(MakeBmp(5, 1, 4, 2, table, rle4));
    EXPECT_EQ(r4.Pixel(0, 0), clRed);
    EXPECT_EQ(r4.Pixel(1, 0), clBlue);
    EXPECT_EQ(r4.Pixel(4, 0), clRed);
}

TEST(BmpFiles, MalformedFilesAreRefusedCleanly)
{
    const std::vector<std::uint8_t> pixels(16, 0);
    std::vector<std::vector<std::uint8_t>> bad;
    bad.push_back({});                                    // empty
    bad.push_back({'B', 'M', 0, 0});                      // truncated header
    bad.push_back({'P', 'K', 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 40, 0, 0, 0}); // not a bitmap
    bad.push_back(MakeBmp(2, 2, 7, 0, {}, pixels));        // impossible depth
    bad.push_back(MakeBmp(0, 2, 24, 0, {}, pixels));       // no width
    bad.push_back(MakeBmp(1000000, 1000000, 24, 0, {}, pixels)); // lying size: no huge allocation
    bad.push_back(MakeBmp(3000, 3000, 24, 0, {}, pixels)); // plausible size, pixels missing
    bad.push_back(MakeBmp(2, 2, 24, 9, {}, pixels));       // unknown compression
    bad.push_back(MakeBmp(2, 2, 24, 1, {}, pixels));       // RLE8 on 24 bits
    auto shortTable = MakeBmp(2, 2, 8, 0, std::vector<std::uint8_t>(1024, 0), pixels);
    shortTable.resize(14 + 40 + 100); // colour table cut off
    bad.push_back(shortTable);
    auto badOffset = MakeBmp(2, 2, 24, 0, {}, pixels);
    badOffset[10] = 0xFF;
    badOffset[11] = 0xFF; // pixel data past the end
    bad.push_back(badOffset);
    auto hugeHeader = MakeBmp(2, 2, 24, 0, {}, pixels);
    hugeHeader[14] = 0xFF;
    hugeHeader[15] = 0xFF;
    hugeHeader[16] = 0xFF; // info header claims megabytes
    bad.push_back(hugeHeader);
    for (std::size_t i = 0; i < bad.size(); ++i) {
        TBitmap target(3, 3);
        target.SetPixel(0, 0, clRed);
        TMemoryStream s;
        if (!bad[i].empty()) s.WriteBuffer(bad[i].data(), static_cast<std::int64_t>(bad[i].size()));
        s.SetPosition(0);
        EXPECT_THROW(target.LoadFromStream(s), EInvalidGraphic) << i;
        EXPECT_EQ(target.Width(), 3) << i; // left as it was
        EXPECT_EQ(target.Pixel(0, 0), clRed) << i;
    }
}

TEST(BmpFiles, HostileRunLengthDataStaysInBounds)
{
    const std::vector<std::uint8_t> table = {0, 0, 0, 0, 0, 0, 255, 0};
    // Runs far longer than the row, deltas past the bottom, an absolute run cut short.
    const std::vector<std::vector<std::uint8_t>> streams = {
        {255, 1, 255, 1, 255, 1, 0, 0, 255, 1},
        {0, 2, 255, 255, 5, 1, 0, 1},
        {0, 200, 1, 1},
        {0, 2},
    };
    for (const auto& data : streams) {
        try {
            TBitmap b = LoadBytes(MakeBmp(4, 3, 8, 1, table, data));
            EXPECT_EQ(b.Width(), 4);
        } catch (const EInvalidGraphic&) {
            // refusing is fine too; crashing or writing out of bounds is not
        }
    }
}

TEST(BmpFiles, MutatedFilesNeverCrash)
{
    // Valid files of several kinds, with bytes of their headers and data
    // changed at random: each load either succeeds or raises EInvalidGraphic.
    std::vector<std::vector<std::uint8_t>> seeds;
    for (TPixelFormat f : {pf1bit, pf4bit, pf8bit, pf16bit, pf24bit, pf32bit}) {
        TBitmap b(9, 5, f);
        b.SetPixel(3, 2, clRed);
        TMemoryStream s;
        b.SaveToStream(s);
        seeds.emplace_back(s.Memory(), s.Memory() + s.Size());
    }
    const std::vector<std::uint8_t> table = {0, 0, 0, 0, 0, 0, 255, 0};
    seeds.push_back(MakeBmp(6, 2, 8, 1, table, {3, 1, 0, 3, 1, 0, 1, 0, 0, 0, 2, 1, 0, 1}));
    std::uint32_t state = 12345;
    auto next = [&] {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    };
    int loaded = 0;
    for (int round = 0; round < 3000; ++round) {
        std::vector<std::uint8_t> data = seeds[next() % seeds.size()];
        const int changes = 1 + static_cast<int>(next() % 4);
        for (int k = 0; k < changes; ++k) {
            // Mostly the headers, where the lies are.
            const std::size_t at = next() % 3 ? next() % std::min<std::size_t>(data.size(), 70) : next() % data.size();
            data[at] = static_cast<std::uint8_t>(next());
        }
        if (next() % 8 == 0) data.resize(next() % data.size());
        try {
            TBitmap b = LoadBytes(data);
            for (int y = 0; y < b.Height(); ++y)
                for (int x = 0; x < b.Width(); ++x) (void)b.Pixel(x, y);
            ++loaded;
        } catch (const EInvalidGraphic&) {
        }
    }
    EXPECT_GT(loaded, 0);
}
