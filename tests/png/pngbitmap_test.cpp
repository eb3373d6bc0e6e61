// The PNG object with the graphics layer: filled from bitmaps, handed back to them,
// drawn on canvases, and found by the picture class for ".png" files.
#include "png/pngimage.h"
#include "pngtestutil.h"

#include "gfx/bitmap.h"
#include "gfx/canvas.h"
#include "gfx/picture.h"
#include "testkit/tempfolder.h"

#include <gtest/gtest.h>

using namespace pngtest;

namespace {

std::vector<std::string> ListNames(const TPNGObject& png)
{
    std::vector<std::string> names;
    for (int i = 0; i < png.Chunks.Count(); ++i) names.push_back(png.Chunks.GetItem(i)->GetChunkName());
    return names;
}

TColor Pattern(int x, int y)
{
    return RGB((x * 37 + y) & 0xFF, (y * 11) & 0xFF, (x ^ y) & 0xFF);
}

TEST(PngBitmap, TrueColourBitmapBecomesRgbImage)
{
    TBitmap bitmap(23, 9, pf24bit);
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 23; ++x) bitmap.SetPixel(x, y, Pattern(x, y));
    TPNGObject png;
    png.SetTransparentColor(clRed); // no header yet: ignored, and Assign replaces everything
    png.Assign(bitmap);
    EXPECT_EQ(ListNames(png), (std::vector<std::string>{"IHDR", "IDAT", "IEND"}));
    EXPECT_EQ(png.GetHeader()->ColorType, 2);
    EXPECT_EQ(png.GetHeader()->BitDepth, 8);
    EXPECT_EQ(png.Width(), 23);
    EXPECT_EQ(png.Height(), 9);
    RawImage back;
    std::string error;
    ASSERT_TRUE(ReadWithLibpng(SaveToBytes(png), back, error)) << error;
    ASSERT_EQ(back.colorType, 2);
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 23; ++x) {
            const TColor c = Pattern(x, y);
            ASSERT_EQ(RGB(back.rows[y][3 * x], back.rows[y][3 * x + 1], back.rows[y][3 * x + 2]), c) << x << "," << y;
        }
    EXPECT_FALSE(back.hasTrnsColor);

    // Other true-colour formats are written as RGB as well.
    TBitmap wide(5, 4, pf32bit);
    wide.SetPixel(3, 2, RGB(9, 8, 7));
    png.Assign(wide);
    EXPECT_EQ(png.GetHeader()->ColorType, 2);
    EXPECT_EQ(png.GetPixels(3, 2), RGB(9, 8, 7));
}

TEST(PngBitmap, TransparentBitmapAddsTransparencyChunk)
{
    TBitmap bitmap(6, 6, pf24bit);
    bitmap.Canvas()->Brush()->SetColor(RGB(1, 1, 1));
    bitmap.Canvas()->FillRect(Rect(0, 0, 6, 6));
    bitmap.SetTransparentColor(RGB(1, 1, 1));
    bitmap.SetTransparent(true);
    TPNGObject png;
    png.Assign(bitmap);
    EXPECT_EQ(ListNames(png), (std::vector<std::string>{"IHDR", "tRNS", "IDAT", "IEND"}));
    EXPECT_EQ(png.GetTransparencyMode(), ptmBit);
    EXPECT_EQ(png.GetTransparentColor(), RGB(1, 1, 1));
    const auto chunks = SplitChunks(SaveToBytes(png));
    ASSERT_EQ(chunks[1].name, "tRNS");
    EXPECT_EQ(chunks[1].data, (Bytes{0, 1, 0, 1, 0, 1}));
}

TEST(PngBitmap, PaletteBitmapsBecomePaletteImages)
{
    for (TPixelFormat format : {pf1bit, pf4bit, pf8bit}) {
        TBitmap bitmap(13, 5, format);
        const int entries = static_cast<int>(bitmap.Colors().size());
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 13; ++x) bitmap.SetPixel(x, y, QuadToColor(bitmap.Colors()[(x + 3 * y) % entries]));
        TPNGObject png;
        png.Assign(bitmap);
        EXPECT_EQ(ListNames(png), (std::vector<std::string>{"IHDR", "PLTE", "IDAT", "IEND"}));
        EXPECT_EQ(png.GetHeader()->ColorType, 3);
        EXPECT_EQ(png.GetHeader()->BitDepth, bitmap.BitsPerPixel());
        EXPECT_EQ(png.Chunks.ItemFromClass<TChunkPLTE>()->Count, static_cast<std::uint32_t>(entries));
        RawImage back;
        std::string error;
        ASSERT_TRUE(ReadWithLibpng(SaveToBytes(png), back, error)) << error;
        ASSERT_EQ(back.palette.size(), static_cast<std::size_t>(entries) * 3);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 13; ++x) {
                const unsigned index = Sample(back.rows[y], x, back.bitDepth);
                EXPECT_EQ(RGB(back.palette[3 * index], back.palette[3 * index + 1], back.palette[3 * index + 2]),
                          bitmap.Pixel(x, y));
            }
    }
}

TEST(PngBitmap, AssignToBitmapGivesThePixelsBack)
{
    RawImage img = MakeTestImage(17, 11, 3, 4, 41);
    img.trnsAlpha = {255, 0};
    TPNGObject png;
    LoadFromBytes(png, WriteWithLibpng(img));
    TBitmap bitmap;
    bitmap.Assign(png);
    ASSERT_EQ(bitmap.Width(), 17);
    ASSERT_EQ(bitmap.Height(), 11);
    EXPECT_EQ(bitmap.PixelFormat(), pf4bit);
    for (int y = 0; y < 11; ++y)
        for (int x = 0; x < 17; ++x) ASSERT_EQ(bitmap.Pixel(x, y), png.GetPixels(x, y));
    EXPECT_TRUE(bitmap.Transparent());
    EXPECT_EQ(bitmap.TransparentColor(), RGB(img.palette[3], img.palette[4], img.palette[5]));

    TPNGObject rgb;
    LoadFromBytes(rgb, WriteWithLibpng(MakeTestImage(8, 8, 2, 16, 42)));
    bitmap.Assign(rgb);
    EXPECT_EQ(bitmap.PixelFormat(), pf24bit);
    EXPECT_EQ(bitmap.Pixel(7, 7), rgb.GetPixels(7, 7));
}

TEST(PngBitmap, DrawOpaqueStretchedAndWithTransparentColour)
{
    TBitmap source(2, 2, pf24bit);
    source.SetPixel(0, 0, clRed);
    source.SetPixel(1, 0, clLime);
    source.SetPixel(0, 1, clBlue);
    source.SetPixel(1, 1, RGB(1, 1, 1));
    TPNGObject png;
    png.Assign(source);

    TBitmap target(6, 6, pf24bit);
    target.Canvas()->Brush()->SetColor(clWhite);
    target.Canvas()->FillRect(Rect(0, 0, 6, 6));
    target.Canvas()->StretchDraw(Rect(1, 1, 5, 5), png);
    EXPECT_EQ(target.Pixel(0, 0), clWhite);
    EXPECT_EQ(target.Pixel(1, 1), clRed);
    EXPECT_EQ(target.Pixel(2, 2), clRed);
    EXPECT_EQ(target.Pixel(3, 1), clLime);
    EXPECT_EQ(target.Pixel(1, 4), clBlue);
    EXPECT_EQ(target.Pixel(4, 4), RGB(1, 1, 1));
    EXPECT_EQ(target.Pixel(5, 5), clWhite);

    png.SetTransparentColor(RGB(1, 1, 1));
    target.Canvas()->FillRect(Rect(0, 0, 6, 6));
    png.Draw(*target.Canvas(), Rect(1, 1, 5, 5));
    EXPECT_EQ(target.Pixel(1, 1), clRed);
    EXPECT_EQ(target.Pixel(4, 4), clWhite); // the key colour leaves the background
    EXPECT_EQ(target.Pixel(3, 3), clWhite);
    EXPECT_EQ(target.Pixel(2, 4), clBlue);

    TPNGObject empty;
    target.Canvas()->FillRect(Rect(0, 0, 6, 6));
    empty.Draw(*target.Canvas(), Rect(0, 0, 6, 6));
    EXPECT_EQ(target.Pixel(3, 3), clWhite);
}

TEST(PngBitmap, DrawBlendsPerPixelAlpha)
{
    RawImage img;
    img.width = 3, img.height = 1, img.colorType = 6, img.bitDepth = 8;
    img.rows = {{200, 100, 0, 0, 200, 100, 0, 255, 200, 100, 0, 128}};
    TPNGObject png;
    LoadFromBytes(png, WriteWithLibpng(img));
    TBitmap target(3, 1, pf24bit);
    target.Canvas()->Brush()->SetColor(RGB(50, 50, 50));
    target.Canvas()->FillRect(Rect(0, 0, 3, 1));
    png.Draw(*target.Canvas(), Rect(0, 0, 3, 1));
    EXPECT_EQ(target.Pixel(0, 0), RGB(50, 50, 50)); // transparent
    EXPECT_EQ(target.Pixel(1, 0), RGB(200, 100, 0)); // opaque
    auto blend = [](int s, int a, int bg) { return (s * a + 255 + (255 - a) * bg) >> 8; };
    EXPECT_EQ(target.Pixel(2, 0), RGB(blend(200, 128, 50), blend(100, 128, 50), blend(0, 128, 50)));

    // Palette entries with partial opacity blend the same way, also stretched.
    RawImage pal;
    pal.width = 2, pal.height = 1, pal.colorType = 3, pal.bitDepth = 8;
    pal.palette = {255, 255, 255, 0, 0, 0};
    pal.trnsAlpha = {64, 255};
    pal.rows = {{0, 1}};
    LoadFromBytes(png, WriteWithLibpng(pal));
    ASSERT_EQ(png.GetTransparencyMode(), ptmPartial);
    TBitmap wide(4, 2, pf24bit);
    wide.Canvas()->Brush()->SetColor(clBlack);
    wide.Canvas()->FillRect(Rect(0, 0, 4, 2));
    png.Draw(*wide.Canvas(), Rect(0, 0, 4, 2));
    const int v = blend(255, 64, 0);
    EXPECT_EQ(wide.Pixel(0, 0), RGB(v, v, v));
    EXPECT_EQ(wide.Pixel(1, 1), RGB(v, v, v));
    EXPECT_EQ(wide.Pixel(3, 1), clBlack);
}

TEST(PngBitmap, PictureLoadsPngFilesByExtension)
{
    testkit::TempFolder folder("png-picture");
    TBitmap bitmap(4, 3, pf24bit);
    bitmap.SetPixel(2, 1, RGB(10, 20, 30));
    TPNGObject png;
    png.Assign(bitmap);
    const std::string path = folder.File("pic.PNG");
    png.SaveToFile(path);
    TPicture picture;
    picture.LoadFromFile(path);
    ASSERT_NE(dynamic_cast<TPNGObject*>(picture.Graphic()), nullptr);
    EXPECT_EQ(picture.Width(), 4);
    EXPECT_EQ(picture.Bitmap()->Pixel(2, 1), RGB(10, 20, 30));
}

} // namespace
