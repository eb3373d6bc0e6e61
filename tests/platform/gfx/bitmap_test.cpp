// Bitmaps: storage order, formats and conversions, resizing, transparency,
// colours and drawing tools.
#include "gfx/bitmap.h"
#include "gfx/canvas.h"
#include "gfx/graphics.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(Bitmap, RowsAreStoredBottomUpAndPaddedToFourBytes)
{
    TBitmap b(3, 2, pf24bit);
    EXPECT_EQ(b.BytesPerRow(), 12);
    b.SetPixel(0, 0, RGB(1, 2, 3));
    // ScanLine(0) is the top row, which is the last stored row.
    EXPECT_EQ(b.ScanLine(0), b.Bits() + 12);
    EXPECT_EQ(b.ScanLine(0)[0], 3); // blue first
    EXPECT_EQ(b.ScanLine(0)[2], 1);
    EXPECT_THROW(b.ScanLine(2), ERangeError);
    EXPECT_THROW(b.ScanLine(-1), ERangeError);
    EXPECT_EQ(TBitmap(5, 1, pf1bit).BytesPerRow(), 4);
    EXPECT_EQ(TBitmap(33, 1, pf1bit).BytesPerRow(), 8);
    EXPECT_EQ(TBitmap(3, 1, pf4bit).BytesPerRow(), 4);
    EXPECT_EQ(TBitmap(3, 1, pf32bit).BytesPerRow(), 12);
}

TEST(Bitmap, EmptyStateAndResizingKeepsTheTopLeft)
{
    TBitmap e;
    EXPECT_TRUE(e.Empty());
    EXPECT_EQ(e.Width(), 0);
    EXPECT_EQ(e.Pixel(0, 0), 0);
    e.SetPixel(0, 0, clRed); // ignored
    TBitmap b(4, 4);
    EXPECT_EQ(b.Pixel(3, 3), clWhite);
    b.SetPixel(1, 1, clRed);
    b.SetPixel(3, 3, clBlue);
    b.SetSize(6, 2);
    EXPECT_EQ(b.Pixel(1, 1), clRed);
    EXPECT_EQ(b.Pixel(5, 1), clWhite);
    b.SetHeight(0);
    EXPECT_TRUE(b.Empty());
    EXPECT_THROW(b.SetSize(100000, 100000), EOutOfResources);
}

TEST(Bitmap, NoWidthOrNoHeightHasNoBitsInEveryFormat)
{
    // A bitmap 0 wide but some rows high has no bits at all: nothing is filled
    // or kept through a null row (the sanitizer build checks the calls).
    for (TPixelFormat format : {pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit}) {
        TBitmap b(0, 5, format);
        EXPECT_TRUE(b.Empty()) << format;
        b.SetSize(3, 5);
        EXPECT_EQ(b.Pixel(2, 4), clWhite) << format;
        b.SetSize(0, 5);
        b.SetSize(4, 0);
        EXPECT_TRUE(b.Empty()) << format;
    }
}

TEST(Bitmap, PixelFormatConversionsKeepColours)
{
    TBitmap b(4, 1);
    const TColor colours[4] = {clRed, clNavy, clWhite, clBlack};
    for (int x = 0; x < 4; ++x) b.SetPixel(x, 0, colours[x]);
    for (TPixelFormat f : {pf32bit, pf8bit, pf4bit, pf24bit, pf16bit}) {
        b.SetPixelFormat(f);
        EXPECT_EQ(b.PixelFormat(), f);
        for (int x = 0; x < 4; ++x) EXPECT_EQ(b.Pixel(x, 0) & 0xF8F8F8, colours[x] & 0xF8F8F8) << f << " " << x;
    }
    b.SetPixelFormat(pf1bit);
    EXPECT_EQ(b.Pixel(0, 0), clBlack); // nearest of black/white
    EXPECT_EQ(b.Pixel(2, 0), clWhite);
    EXPECT_EQ(b.Colors().size(), 2u);
    TBitmap d;
    d.SetPixelFormat(pfDevice);
    EXPECT_EQ(d.PixelFormat(), pf24bit);
}

TEST(Bitmap, PaletteEntriesAndIndexes)
{
    TBitmap b(4, 1, pf8bit);
    std::vector<TRGBQuad> grey(256);
    for (int i = 0; i < 256; ++i)
        grey[static_cast<std::size_t>(i)] = {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i),
                                             static_cast<std::uint8_t>(i), 0};
    b.SetColors(grey);
    b.ScanLine(0)[2] = 77;
    EXPECT_EQ(b.Pixel(2, 0), RGB(77, 77, 77));
    b.SetPixel(1, 0, RGB(100, 101, 99));
    EXPECT_EQ(b.ScanLine(0)[1], 100);
    // A 4-bit bitmap packs the left pixel into the high nibble.
    TBitmap n(2, 1, pf4bit);
    n.SetPixel(0, 0, clRed);  // VGA entry 9
    n.SetPixel(1, 0, clBlue); // entry 12
    EXPECT_EQ(n.ScanLine(0)[0], 0x9C);
}

TEST(Bitmap, AssignIsADeepCopyWithTransparency)
{
    TBitmap a(2, 2, pf8bit);
    a.SetPixel(0, 0, clRed);
    a.SetTransparent(true);
    a.SetTransparentColor(clRed);
    TBitmap b;
    b.Assign(a);
    a.SetPixel(0, 0, clBlue);
    EXPECT_EQ(b.Pixel(0, 0), clRed);
    EXPECT_EQ(b.PixelFormat(), pf8bit);
    EXPECT_TRUE(b.Transparent());
    EXPECT_EQ(b.TransparentColor(), clRed);
    EXPECT_EQ(b.TransparentMode(), tmFixed);
    b.SetTransparentColor(clDefault);
    EXPECT_EQ(b.TransparentMode(), tmAuto);
    EXPECT_EQ(b.TransparentColor(), b.Pixel(0, 1)); // bottom-left
    int changes = 0;
    b.OnChange = [&](TObject*) { ++changes; };
    b.SetSize(3, 3);
    EXPECT_EQ(changes, 1);
}

TEST(Colours, NamedSystemAndConversions)
{
    EXPECT_EQ(clFuchsia, 0xFF00FF);
    EXPECT_EQ(RGB(1, 2, 3), 0x030201);
    EXPECT_EQ(GetRValue(RGB(1, 2, 3)), 1);
    EXPECT_LT(clBtnFace, 0); // system colours have the high bit set
    EXPECT_EQ(ColorToRGB(clBtnFace), RGB(0xD4, 0xD0, 0xC8));
    EXPECT_EQ(ColorToRGB(clWindow), clWhite);
    EXPECT_EQ(ColorToRGB(clWindowText), clBlack);
    EXPECT_EQ(ColorToRGB(clRed), clRed);
    EXPECT_EQ(ColorToRGB(clNone), clWhite);
    EXPECT_EQ(ColorToString(clYellow), "clYellow");
    EXPECT_EQ(ColorToString(0x123456), "$00123456");
    EXPECT_EQ(StringToColor("clBtnFace"), clBtnFace);
    EXPECT_EQ(StringToColor("$0000FF00"), clLime);
    EXPECT_EQ(StringToColor("255"), clRed);
    EXPECT_THROW(StringToColor("clNoSuchColour"), EConvertError);
}

TEST(Colours, TableOrderStandardExtendedSystemThenNoneAndDefault)
{
    const auto table = ColorIdents();
    ASSERT_EQ(table.size(), 52u);
    const char* standard[16] = {"clBlack", "clMaroon", "clGreen", "clOlive", "clNavy", "clPurple",
                                "clTeal", "clGray", "clSilver", "clRed", "clLime", "clYellow",
                                "clBlue", "clFuchsia", "clAqua", "clWhite"};
    for (int i = 0; i < 16; ++i) EXPECT_STREQ(table[static_cast<std::size_t>(i)].Name, standard[i]);
    EXPECT_EQ(table[15].Value, clWhite);
    EXPECT_STREQ(table[16].Name, "clMoneyGreen");
    EXPECT_STREQ(table[19].Name, "clMedGray");
    EXPECT_EQ(table[20].Value, clScrollBar);
    // The system colours by rising index (25 has no name), the last two none and default.
    for (std::size_t i = 21; i < 50; ++i) EXPECT_GT(table[i].Value & 0xFF, table[i - 1].Value & 0xFF);
    EXPECT_EQ(table[49].Value, clMenuBar);
    EXPECT_EQ(table[50].Value, clNone);
    EXPECT_EQ(table[51].Value, clDefault);
    // Names and values read back both ways.
    for (const TIdentMapEntry& e : table) {
        EXPECT_EQ(ColorToString(e.Value), e.Name);
        TColor c = 0;
        EXPECT_TRUE(IdentToColor(e.Name, c));
        EXPECT_EQ(c, e.Value);
    }
}

TEST(Tools, PenBrushFontProperties)
{
    TPen pen;
    int changes = 0;
    pen.OnChange = [&](TObject*) { ++changes; };
    pen.SetWidth(0);
    EXPECT_EQ(pen.Width(), 1);
    pen.SetColor(clRed);
    pen.SetColor(clRed);
    EXPECT_EQ(changes, 1);
    TBrush brush;
    brush.SetStyle(bsClear);
    brush.SetColor(clRed); // a colour makes a clear brush solid
    EXPECT_EQ(brush.Style(), bsSolid);
    TFont font;
    font.SetSize(12);
    EXPECT_EQ(font.Height(), -16);
    EXPECT_EQ(font.Size(), 12);
    font.SetSize(8);
    EXPECT_EQ(font.Height(), -11);
    EXPECT_EQ(font.Size(), 8);
    font.SetStyle({fsBold, fsUnderline});
    EXPECT_TRUE(font.Style().Contains(fsBold));
    EXPECT_FALSE(font.Style().Contains(fsItalic));
    TFont copy;
    copy.Assign(font);
    EXPECT_EQ(copy.Style(), font.Style());
    EXPECT_EQ(copy.Height(), -11);
}

TEST(Canvas, BitmapCanvasFollowsResizes)
{
    TBitmap b(4, 4);
    TCanvas* c = b.Canvas();
    EXPECT_EQ(c, b.Canvas());
    b.SetSize(10, 10);
    c->Brush()->SetColor(clRed);
    c->FillRect(Rect(0, 0, 10, 10));
    EXPECT_EQ(b.Pixel(9, 9), clRed);
    EXPECT_EQ(c->ClipRect(), Rect(0, 0, 10, 10));
}
