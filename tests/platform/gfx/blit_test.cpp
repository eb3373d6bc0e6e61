// Block transfers: nearest-neighbour and halftone stretching, mirroring,
// raster operations, transparency.
#include "gfx/bitmap.h"
#include "gfx/canvas.h"
#include "gfx/gdi.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <set>

using gfxtest::Pattern;

namespace {

const TColor kA = RGB(10, 20, 30), kB = RGB(200, 100, 50), kC = RGB(0, 255, 0), kD = RGB(255, 0, 255);

TBitmap TwoByTwo()
{
    TBitmap b(2, 2);
    b.SetPixel(0, 0, kA);
    b.SetPixel(1, 0, kB);
    b.SetPixel(0, 1, kC);
    b.SetPixel(1, 1, kD);
    return b;
}

} // namespace

TEST(Blit, ColorOnColorStretchOfTwoByTwoToFiveByThree)
{
    TBitmap src = TwoByTwo();
    TBitmap dst(5, 3);
    SetStretchBltMode(dst.Canvas(), COLORONCOLOR);
    ASSERT_TRUE(StretchBlt(dst.Canvas(), 0, 0, 5, 3, src.Canvas(), 0, 0, 2, 2, SRCCOPY));
    // Destination pixel centres mapped onto the source: columns 0,0,1,1,1 and rows 0,1,1.
    const TColor row0[5] = {kA, kA, kB, kB, kB};
    const TColor row1[5] = {kC, kC, kD, kD, kD};
    for (int x = 0; x < 5; ++x) {
        EXPECT_EQ(dst.Pixel(x, 0), row0[x]) << x;
        EXPECT_EQ(dst.Pixel(x, 1), row1[x]) << x;
        EXPECT_EQ(dst.Pixel(x, 2), row1[x]) << x;
    }
}

TEST(Blit, MaskStretchKeepsExactColours)
{
    // The menu masks: a key-coloured 468x352 picture with black and blue
    // frames stretched to 720x576 and 720x480 must hold only those colours.
    const TColor key = RGB(1, 1, 1);
    TBitmap mask(468, 352);
    TCanvas* c = mask.Canvas();
    c->Brush()->SetColor(key);
    c->Rectangle(0, 0, 468, 352);
    c->Pen()->SetColor(clBlue);
    c->Pen()->SetWidth(5);
    c->Rectangle(49, 49, 151, 126);
    for (int h : {576, 480}) {
        TBitmap out(720, h);
        out.Canvas()->CopyRect(Rect(0, 0, 720, h), *mask.Canvas(), Rect(0, 0, 468, 352));
        std::set<TColor> seen;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < 720; ++x) seen.insert(out.Pixel(x, y));
        EXPECT_EQ(seen, (std::set<TColor>{key, clBlack, clBlue})) << h;
        EXPECT_EQ(out.Pixel(0, 0), clBlack);
        EXPECT_EQ(out.Pixel(719, h - 1), clBlack);
    }
}

TEST(Blit, ReversedRectanglesMirror)
{
    TBitmap src = TwoByTwo();
    TBitmap dst(2, 2);
    dst.Canvas()->StretchDraw(Rect(2, 0, 0, 2), src);
    EXPECT_EQ(dst.Pixel(0, 0), kB);
    EXPECT_EQ(dst.Pixel(1, 0), kA);
    EXPECT_EQ(dst.Pixel(0, 1), kD);
    TBitmap flip(2, 2);
    flip.Canvas()->StretchDraw(Rect(0, 2, 2, 0), src);
    EXPECT_EQ(flip.Pixel(0, 0), kC);
    EXPECT_EQ(flip.Pixel(1, 1), kB);
    // Mirrored and stretched: 2 -> 4 wide, reversed.
    TBitmap wide(4, 1);
    StretchBlt(wide.Canvas(), 3, 0, -4, 1, src.Canvas(), 0, 0, 2, 1, SRCCOPY);
    EXPECT_EQ(wide.Pixel(0, 0), kB);
    EXPECT_EQ(wide.Pixel(1, 0), kB);
    EXPECT_EQ(wide.Pixel(2, 0), kA);
    EXPECT_EQ(wide.Pixel(3, 0), kA);
}

TEST(Blit, HalftoneAveragesWhenShrinking)
{
    TBitmap src = Pattern(4, 2, [](int x, int) { return x % 2 ? clWhite : clBlack; });
    TBitmap dst(2, 1);
    SetStretchBltMode(dst.Canvas(), HALFTONE);
    StretchBlt(dst.Canvas(), 0, 0, 2, 1, src.Canvas(), 0, 0, 4, 2, SRCCOPY);
    for (int x = 0; x < 2; ++x) {
        EXPECT_NEAR(GetRValue(dst.Pixel(x, 0)), 128, 1);
        EXPECT_NEAR(GetGValue(dst.Pixel(x, 0)), 128, 1);
    }
    // The same stretch colour-on-colour keeps source colours only.
    TBitmap exact(2, 1);
    SetStretchBltMode(exact.Canvas(), COLORONCOLOR);
    StretchBlt(exact.Canvas(), 0, 0, 2, 1, src.Canvas(), 0, 0, 4, 2, SRCCOPY);
    EXPECT_TRUE(exact.Pixel(0, 0) == clBlack || exact.Pixel(0, 0) == clWhite);
}

TEST(Blit, RasterOperations)
{
    const TColor s = RGB(0xF0, 0x0F, 0x55), d = RGB(0x3C, 0xC3, 0xAA), p = RGB(0x12, 0x34, 0x56);
    struct Case {
        std::uint32_t rop;
        TColor expected;
    };
    const Case cases[] = {
        {SRCCOPY, s},
        {SRCAND, s & d},
        {SRCPAINT, s | d},
        {SRCINVERT, s ^ d},
        {NOTSRCCOPY, ~s & 0xFFFFFF},
        {DSTINVERT, ~d & 0xFFFFFF},
        {SRCERASE, s & ~d & 0xFFFFFF},
        {MERGEPAINT, (~s | d) & 0xFFFFFF},
        {PATCOPY, p},
        {PATINVERT, p ^ d},
        {MERGECOPY, p & s},
        {BLACKNESS, 0},
        {WHITENESS, 0xFFFFFF},
    };
    TBitmap src = Pattern(3, 3, [&](int, int) { return s; });
    for (const Case& k : cases) {
        TBitmap dst = Pattern(3, 3, [&](int, int) { return d; });
        dst.Canvas()->Brush()->SetColor(p);
        ASSERT_TRUE(BitBlt(dst.Canvas(), 1, 1, 1, 1, src.Canvas(), 0, 0, k.rop)) << std::hex << k.rop;
        EXPECT_EQ(dst.Pixel(1, 1), k.expected) << std::hex << k.rop;
        EXPECT_EQ(dst.Pixel(0, 0), d) << std::hex << k.rop;
        EXPECT_EQ(dst.Pixel(2, 2), d) << std::hex << k.rop;
    }
    // PatBlt has no source; asking it for one is refused.
    TBitmap dst(2, 2);
    dst.Canvas()->Brush()->SetColor(clRed);
    EXPECT_TRUE(PatBlt(dst.Canvas(), 0, 0, 2, 2, PATCOPY));
    EXPECT_EQ(dst.Pixel(1, 1), clRed);
    EXPECT_FALSE(PatBlt(dst.Canvas(), 0, 0, 2, 2, SRCCOPY));
    EXPECT_FALSE(BitBlt(nullptr, 0, 0, 1, 1, src.Canvas(), 0, 0, SRCCOPY));
}

TEST(Blit, OverlappingCopyWithinOneBitmap)
{
    TBitmap b = Pattern(6, 1, [](int x, int) { return RGB(x * 40, 0, 0); });
    BitBlt(b.Canvas(), 1, 0, 5, 1, b.Canvas(), 0, 0, SRCCOPY);
    for (int x = 1; x < 6; ++x) EXPECT_EQ(b.Pixel(x, 0), RGB((x - 1) * 40, 0, 0));
}

TEST(Blit, SourceOutsideItsBitmapLeavesTheDestination)
{
    TBitmap src = TwoByTwo();
    TBitmap dst(4, 4);
    BitBlt(dst.Canvas(), 0, 0, 4, 4, src.Canvas(), -1, -1, SRCCOPY);
    EXPECT_EQ(dst.Pixel(0, 0), clWhite);
    EXPECT_EQ(dst.Pixel(1, 1), kA);
    EXPECT_EQ(dst.Pixel(2, 2), kD);
    EXPECT_EQ(dst.Pixel(3, 3), clWhite);
}

TEST(Blit, DrawHonoursTransparency)
{
    TBitmap sprite = Pattern(3, 3, [](int x, int y) { return (x == 1 || y == 1) ? clRed : clFuchsia; });
    TBitmap dst = Pattern(5, 5, [](int, int) { return clBlue; });
    sprite.SetTransparent(true); // automatic: the bottom-left pixel's colour
    EXPECT_EQ(sprite.TransparentMode(), tmAuto);
    EXPECT_EQ(sprite.TransparentColor(), clFuchsia);
    dst.Canvas()->Draw(1, 1, sprite);
    EXPECT_EQ(dst.Pixel(1, 1), clBlue);
    EXPECT_EQ(dst.Pixel(2, 1), clRed);
    EXPECT_EQ(dst.Pixel(2, 2), clRed);
    EXPECT_EQ(dst.Pixel(3, 3), clBlue);
    // A fixed colour wins over the corner pixel.
    sprite.SetTransparentColor(clRed);
    EXPECT_EQ(sprite.TransparentMode(), tmFixed);
    TBitmap dst2 = Pattern(5, 5, [](int, int) { return clBlue; });
    dst2.Canvas()->Draw(1, 1, sprite);
    EXPECT_EQ(dst2.Pixel(1, 1), clFuchsia);
    EXPECT_EQ(dst2.Pixel(2, 2), clBlue);
    // Opaque drawing copies everything.
    sprite.SetTransparent(false);
    dst2.Canvas()->Draw(1, 1, sprite);
    EXPECT_EQ(dst2.Pixel(2, 2), clRed);
}

TEST(Blit, PaletteSourcesKeepTheirColours)
{
    TBitmap src(4, 1, pf8bit);
    src.SetPixel(0, 0, clRed);
    src.SetPixel(1, 0, clLime);
    src.SetPixel(2, 0, clBlue);
    TBitmap dst(4, 1);
    BitBlt(dst.Canvas(), 0, 0, 4, 1, src.Canvas(), 0, 0, SRCCOPY);
    EXPECT_EQ(dst.Pixel(0, 0), clRed);
    EXPECT_EQ(dst.Pixel(1, 0), clLime);
    EXPECT_EQ(dst.Pixel(2, 0), clBlue);
    EXPECT_EQ(dst.Pixel(3, 0), clWhite);
}

TEST(Blit, ClipAndOriginApplyToTheDestination)
{
    TBitmap src = Pattern(10, 10, [](int, int) { return clGreen; });
    TBitmap dst(10, 10);
    dst.Canvas()->SetClipRect(Rect(2, 2, 5, 5));
    BitBlt(dst.Canvas(), 0, 0, 10, 10, src.Canvas(), 0, 0, SRCCOPY);
    EXPECT_EQ(dst.Pixel(1, 1), clWhite);
    EXPECT_EQ(dst.Pixel(2, 2), clGreen);
    EXPECT_EQ(dst.Pixel(5, 5), clWhite);
    TBitmap moved(10, 10);
    moved.Canvas()->SetViewportOrg(Point(-3, 0));
    BitBlt(moved.Canvas(), 3, 0, 2, 2, src.Canvas(), 0, 0, SRCCOPY);
    EXPECT_EQ(moved.Pixel(0, 0), clGreen);
    EXPECT_EQ(moved.Pixel(2, 0), clWhite);
}
