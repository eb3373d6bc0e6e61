// The canvas's pixel rules: which pixels a shape, a line, a fill covers.
#include "gfx/bitmap.h"
#include "gfx/canvas.h"
#include "gfx/gdi.h"

#include <gtest/gtest.h>

#include <set>

namespace {

TBitmap White(int w, int h)
{
    TBitmap b(w, h, pf24bit);
    return b; // new bitmaps are white
}

// Columns of row y that have colour c.
std::vector<int> ColumnsOf(const TBitmap& b, int y, TColor c)
{
    std::vector<int> xs;
    for (int x = 0; x < b.Width(); ++x)
        if (b.Pixel(x, y) == c) xs.push_back(x);
    return xs;
}

std::set<TColor> Colours(const TBitmap& b)
{
    std::set<TColor> s;
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x) s.insert(b.Pixel(x, y));
    return s;
}

} // namespace

TEST(CanvasRules, OnePixelPenRectangleCoversLeftToRightMinusOne)
{
    TBitmap b = White(12, 10);
    TCanvas* c = b.Canvas();
    c->Brush()->SetColor(clRed);
    c->Pen()->SetColor(clBlack);
    c->Rectangle(2, 3, 8, 7);
    for (int x = 2; x <= 7; ++x) {
        EXPECT_EQ(b.Pixel(x, 3), clBlack) << x;
        EXPECT_EQ(b.Pixel(x, 6), clBlack) << x;
    }
    for (int y = 3; y <= 6; ++y) {
        EXPECT_EQ(b.Pixel(2, y), clBlack);
        EXPECT_EQ(b.Pixel(7, y), clBlack);
    }
    for (int y = 4; y <= 5; ++y)
        for (int x = 3; x <= 6; ++x) EXPECT_EQ(b.Pixel(x, y), clRed);
    // Right and bottom edges stay outside.
    for (int y = 0; y < 10; ++y) EXPECT_EQ(b.Pixel(8, y), clWhite);
    for (int x = 0; x < 12; ++x) EXPECT_EQ(b.Pixel(x, 7), clWhite);
    EXPECT_EQ(b.Pixel(1, 3), clWhite);
    EXPECT_EQ(b.Pixel(2, 2), clWhite);
}

TEST(CanvasRules, WidePenIsCentredOnTheOutlineAndReachesTwoPixelsInside)
{
    // A button at (10,10)-(30,30); the frame is drawn around it one pixel out,
    // as the menu masks do, with a width-5 pen.
    const TColor key = RGB(1, 1, 1);
    TBitmap b = White(40, 40);
    TCanvas* c = b.Canvas();
    c->Brush()->SetColor(key);
    c->Pen()->SetColor(clBlue);
    c->Pen()->SetWidth(5);
    c->Rectangle(9, 9, 31, 31);
    const int mid = 20;
    // Left side: columns 7..11 blue: 10 and 11 inside the button.
    EXPECT_EQ(ColumnsOf(b, mid, clBlue), (std::vector<int>{7, 8, 9, 10, 11, 28, 29, 30, 31, 32}));
    EXPECT_EQ(b.Pixel(12, mid), key);
    EXPECT_EQ(b.Pixel(27, mid), key);
    EXPECT_EQ(b.Pixel(6, mid), clWhite);
    EXPECT_EQ(b.Pixel(33, mid), clWhite);
    // Same rule vertically.
    std::vector<int> rows;
    for (int y = 0; y < 40; ++y)
        if (b.Pixel(mid, y) == clBlue) rows.push_back(y);
    EXPECT_EQ(rows, (std::vector<int>{7, 8, 9, 10, 11, 28, 29, 30, 31, 32}));
    // Corners are filled (square join), nothing but the three colours appear.
    EXPECT_EQ(b.Pixel(7, 7), clBlue);
    EXPECT_EQ(b.Pixel(32, 32), clBlue);
    EXPECT_EQ(Colours(b), (std::set<TColor>{clWhite, clBlue, key}));
}

TEST(CanvasRules, WholeBitmapRectangleLeavesABorderOfThePenWidth)
{
    TBitmap b = White(30, 20);
    TCanvas* c = b.Canvas();
    c->Brush()->SetColor(RGB(1, 1, 1));
    c->Pen()->SetColor(clBlack);
    c->Rectangle(0, 0, 30, 20);
    EXPECT_EQ(b.Pixel(0, 0), clBlack);
    EXPECT_EQ(b.Pixel(29, 19), clBlack);
    EXPECT_EQ(b.Pixel(1, 1), RGB(1, 1, 1));
    // Width 5 on the bitmap's own bounds: three pixels of it show on each side.
    c->Pen()->SetWidth(5);
    c->Rectangle(0, 0, 30, 20);
    EXPECT_EQ(ColumnsOf(b, 10, clBlack), (std::vector<int>{0, 1, 2, 27, 28, 29}));
}

TEST(CanvasRules, InsideFrameAndClearPen)
{
    TBitmap b = White(20, 20);
    TCanvas* c = b.Canvas();
    c->Pen()->SetStyle(psInsideFrame);
    c->Pen()->SetWidth(3);
    c->Brush()->SetColor(clLime);
    c->Rectangle(2, 2, 12, 12);
    EXPECT_EQ(ColumnsOf(b, 6, clBlack), (std::vector<int>{2, 3, 4, 9, 10, 11}));
    // Without a pen the fill stops one pixel short on the right and bottom.
    TBitmap d = White(10, 10);
    d.Canvas()->Pen()->SetStyle(psClear);
    d.Canvas()->Brush()->SetColor(clRed);
    d.Canvas()->Rectangle(1, 1, 6, 6);
    EXPECT_EQ(ColumnsOf(d, 3, clRed), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(d.Pixel(3, 5), clWhite);
}

TEST(CanvasRules, FillRectExcludesRightAndBottomAndFrameRectUsesTheBrush)
{
    TBitmap b = White(10, 10);
    TCanvas* c = b.Canvas();
    c->Brush()->SetColor(clNavy);
    c->FillRect(Rect(1, 2, 4, 5));
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            EXPECT_EQ(b.Pixel(x, y) == clNavy, x >= 1 && x < 4 && y >= 2 && y < 5) << x << "," << y;
    // A reversed rectangle fills nothing; a clear brush paints nothing.
    c->Brush()->SetColor(clRed);
    c->FillRect(Rect(8, 8, 6, 6));
    EXPECT_EQ(b.Pixel(7, 7), clWhite);
    c->Brush()->SetStyle(bsClear);
    c->FillRect(Rect(0, 0, 10, 10));
    EXPECT_EQ(b.Pixel(0, 0), clWhite);

    TBitmap f = White(10, 10);
    f.Canvas()->Brush()->SetColor(clGreen);
    f.Canvas()->FrameRect(Rect(2, 2, 7, 6));
    EXPECT_EQ(ColumnsOf(f, 2, clGreen), (std::vector<int>{2, 3, 4, 5, 6}));
    EXPECT_EQ(ColumnsOf(f, 3, clGreen), (std::vector<int>{2, 6}));
    EXPECT_EQ(ColumnsOf(f, 5, clGreen), (std::vector<int>{2, 3, 4, 5, 6}));
    EXPECT_EQ(f.Pixel(4, 6), clWhite);
}

TEST(CanvasRules, LinesLeaveOutTheirEndPoint)
{
    TBitmap b = White(10, 10);
    TCanvas* c = b.Canvas();
    c->MoveTo(1, 1);
    c->LineTo(5, 1);
    EXPECT_EQ(ColumnsOf(b, 1, clBlack), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(c->PenPos(), Point(5, 1));
    c->MoveTo(0, 3);
    c->LineTo(4, 7);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(b.Pixel(i, 3 + i), clBlack);
    EXPECT_EQ(b.Pixel(4, 7), clWhite);
    // Going left and up behaves the same.
    c->MoveTo(8, 9);
    c->LineTo(8, 5);
    EXPECT_EQ(b.Pixel(8, 9), clBlack);
    EXPECT_EQ(b.Pixel(8, 6), clBlack);
    EXPECT_EQ(b.Pixel(8, 5), clWhite);
    // A polyline continues: only its very last point is left out.
    TBitmap p = White(10, 10);
    const TPoint pts[] = {{1, 1}, {6, 1}, {6, 6}};
    p.Canvas()->Polyline(pts);
    EXPECT_EQ(p.Pixel(6, 1), clBlack);
    EXPECT_EQ(p.Pixel(6, 5), clBlack);
    EXPECT_EQ(p.Pixel(6, 6), clWhite);
}

TEST(CanvasRules, XorPenAndFocusRectUndoThemselves)
{
    TBitmap b(16, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) b.SetPixel(x, y, RGB(x * 16, y * 16, 77));
    TBitmap before;
    before.Assign(b);
    TCanvas* c = b.Canvas();
    c->Pen()->SetMode(pmXor);
    c->Pen()->SetColor(clWhite);
    c->Pen()->SetWidth(3);
    for (int pass = 0; pass < 2; ++pass) {
        c->MoveTo(1, 1);
        c->LineTo(14, 9);
    }
    c->DrawFocusRect(Rect(2, 2, 12, 12));
    EXPECT_NE(b.Pixel(2, 2), before.Pixel(2, 2));
    EXPECT_EQ(b.Pixel(3, 2), before.Pixel(3, 2)); // dotted: every other pixel
    c->DrawFocusRect(Rect(2, 2, 12, 12));
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) ASSERT_EQ(b.Pixel(x, y), before.Pixel(x, y)) << x << "," << y;
}

TEST(CanvasRules, EllipseAndRoundRectStayInsideTheirBounds)
{
    TBitmap b = White(24, 24);
    TCanvas* c = b.Canvas();
    c->Brush()->SetColor(clYellow);
    c->Ellipse(2, 4, 22, 16);
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 24; ++x)
            if (x < 2 || x >= 22 || y < 4 || y >= 16) {
                ASSERT_EQ(b.Pixel(x, y), clWhite) << x << "," << y;
            }
    EXPECT_EQ(b.Pixel(12, 10), clYellow);
    EXPECT_EQ(b.Pixel(2, 10), clBlack);  // leftmost point of the outline
    EXPECT_EQ(b.Pixel(21, 10), clBlack); // rightmost
    EXPECT_EQ(b.Pixel(2, 4), clWhite);   // corners of the box are outside
    TBitmap r = White(24, 24);
    r.Canvas()->Brush()->SetColor(clAqua);
    r.Canvas()->RoundRect(2, 2, 22, 22, 10, 10);
    EXPECT_EQ(r.Pixel(2, 2), clWhite);
    EXPECT_EQ(r.Pixel(12, 2), clBlack);
    EXPECT_EQ(r.Pixel(2, 12), clBlack);
    EXPECT_EQ(r.Pixel(12, 12), clAqua);
    EXPECT_EQ(r.Pixel(22, 12), clWhite);
}

TEST(CanvasRules, PolygonFillsWithTheBrushAndOutlinesEveryVertex)
{
    TBitmap b = White(20, 20);
    TCanvas* c = b.Canvas();
    c->Brush()->SetColor(clRed);
    const TPoint tri[] = {{2, 2}, {17, 2}, {2, 17}};
    c->Polygon(tri);
    EXPECT_EQ(b.Pixel(2, 2), clBlack);
    EXPECT_EQ(b.Pixel(17, 2), clBlack);
    EXPECT_EQ(b.Pixel(2, 17), clBlack);
    EXPECT_EQ(b.Pixel(5, 5), clRed);
    EXPECT_EQ(b.Pixel(15, 15), clWhite);

    // A drop-down arrow (7, 5, 3, 1 pixels wide) is solid: no gap between fill and outline.
    TBitmap a = White(10, 6);
    a.Canvas()->Brush()->SetColor(clBlack);
    const TPoint arrow[] = {{1, 1}, {7, 1}, {4, 4}};
    a.Canvas()->Polygon(arrow);
    const char* rows[] = {"..........", ".#######..", "..#####...", "...###....", "....#.....", ".........."};
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 10; ++x) EXPECT_EQ(a.Pixel(x, y) == clBlack, rows[y][x] == '#') << x << "," << y;
}

TEST(CanvasRules, ClipOriginAndSavedStates)
{
    TBitmap b = White(20, 20);
    TCanvas* c = b.Canvas();
    c->Brush()->SetColor(clRed);
    const int saved = c->SaveDC();
    c->SetClipRect(Rect(5, 5, 10, 10));
    c->FillRect(Rect(0, 0, 20, 20));
    EXPECT_EQ(b.Pixel(4, 5), clWhite);
    EXPECT_EQ(b.Pixel(5, 5), clRed);
    EXPECT_EQ(b.Pixel(10, 9), clWhite);
    EXPECT_EQ(c->ClipRect(), Rect(5, 5, 10, 10));
    EXPECT_EQ(c->Pixels(0, 0), -1); // outside the clip
    // Moving the origin: logical (0,0) lands on device (5,5); the clip moves with it in logical terms.
    c->SetViewportOrg(Point(5, 5));
    EXPECT_EQ(c->ClipRect(), Rect(0, 0, 5, 5));
    c->Brush()->SetColor(clBlue);
    c->FillRect(Rect(0, 0, 2, 2));
    EXPECT_EQ(b.Pixel(5, 5), clBlue);
    EXPECT_EQ(b.Pixel(7, 7), clRed);
    EXPECT_TRUE(c->RestoreDC(saved));
    EXPECT_FALSE(c->HasClip());
    EXPECT_EQ(c->ViewportOrg(), Point(0, 0));
    EXPECT_EQ(c->Brush()->Color(), clRed);
    EXPECT_EQ(c->ClipRect(), Rect(0, 0, 20, 20));
    EXPECT_FALSE(c->RestoreDC(-1)); // nothing left to restore
    // An excluded rectangle is kept out.
    c->ExcludeClipRect(Rect(0, 0, 10, 20));
    c->Brush()->SetColor(clLime);
    c->FillRect(Rect(0, 0, 20, 20));
    EXPECT_EQ(b.Pixel(0, 0), clWhite);
    EXPECT_EQ(b.Pixel(15, 0), clLime);
}

TEST(CanvasRules, ClipToARegion)
{
    TBitmap b = White(20, 20);
    TCanvas* c = b.Canvas();
    const TRegion rgn = TRegion::FromRects({Rect(0, 0, 5, 5), Rect(10, 10, 15, 15)});
    c->SelectClipRegion(&rgn);
    c->Brush()->SetColor(clRed);
    c->FillRect(Rect(0, 0, 20, 20));
    EXPECT_EQ(b.Pixel(2, 2), clRed);
    EXPECT_EQ(b.Pixel(12, 12), clRed);
    EXPECT_EQ(b.Pixel(7, 7), clWhite);
    c->SelectClipRegion(nullptr);
    EXPECT_FALSE(c->HasClip());
}

TEST(CanvasRules, PixelsAndFloodFill)
{
    TBitmap b = White(10, 10);
    TCanvas* c = b.Canvas();
    c->SetPixels(3, 4, clPurple);
    EXPECT_EQ(c->Pixels(3, 4), clPurple);
    EXPECT_EQ(c->Pixels(-1, 0), -1);
    EXPECT_EQ(c->Pixels(10, 0), -1);
    c->SetPixels(50, 50, clRed); // ignored, no crash
    c->Rectangle(2, 2, 8, 8);
    c->Brush()->SetColor(clTeal);
    c->FloodFill(5, 5, clBlack, fsBorder);
    EXPECT_EQ(b.Pixel(5, 5), clTeal);
    EXPECT_EQ(b.Pixel(2, 5), clBlack);
    EXPECT_EQ(b.Pixel(1, 1), clWhite);
    c->Brush()->SetColor(clYellow);
    c->FloodFill(0, 0, clWhite, fsSurface);
    EXPECT_EQ(b.Pixel(0, 9), clYellow);
    EXPECT_EQ(b.Pixel(5, 5), clTeal);
}

TEST(CanvasRules, PatternAndHatchBrushes)
{
    TBitmap pattern(2, 2);
    pattern.SetPixel(0, 0, clRed);
    pattern.SetPixel(1, 1, clRed);
    TBitmap b = White(8, 8);
    b.Canvas()->Brush()->SetBitmap(&pattern);
    b.Canvas()->FillRect(Rect(0, 0, 8, 8));
    EXPECT_EQ(b.Pixel(4, 4), clRed);
    EXPECT_EQ(b.Pixel(5, 4), clWhite);
    b.Canvas()->Brush()->SetBitmap(nullptr);
    // A hatch draws its lines only; the gaps stay (background mode transparent).
    TBitmap h(8, 8);
    h.Canvas()->Brush()->SetColor(clBlack);
    h.Canvas()->Brush()->SetStyle(bsHorizontal);
    h.Canvas()->FillRect(Rect(0, 0, 8, 8));
    EXPECT_EQ(ColumnsOf(h, 0, clBlack).size(), 8u);
    EXPECT_TRUE(ColumnsOf(h, 3, clBlack).empty());
}

TEST(CanvasRules, PaletteBitmapsTakeTheNearestEntry)
{
    TBitmap b(8, 8, pf8bit);
    b.Canvas()->Brush()->SetColor(clRed);
    b.Canvas()->FillRect(Rect(0, 0, 4, 4));
    EXPECT_EQ(b.Pixel(1, 1), clRed);
    EXPECT_EQ(b.Pixel(5, 5), clWhite);
    TBitmap m(16, 4, pf1bit);
    m.Canvas()->Brush()->SetColor(clBlack);
    m.Canvas()->FillRect(Rect(3, 0, 11, 4));
    EXPECT_EQ(ColumnsOf(m, 2, clBlack), (std::vector<int>{3, 4, 5, 6, 7, 8, 9, 10}));
}

TEST(CanvasRules, NoTargetDrawsNothing)
{
    TCanvas c;
    c.Rectangle(0, 0, 10, 10);
    c.TextOut(0, 0, "x");
    EXPECT_EQ(c.Pixels(0, 0), -1);
    EXPECT_EQ(c.ClipRect(), TRect{});
    TBitmap empty;
    empty.Canvas()->FillRect(Rect(0, 0, 5, 5));
    EXPECT_TRUE(empty.Empty());
}

TEST(CanvasRules, DottedPensNotModeAndBrushCopy)
{
    TBitmap b = White(20, 3);
    TCanvas* c = b.Canvas();
    c->Pen()->SetStyle(psDot);
    c->MoveTo(0, 0);
    c->LineTo(20, 0);
    EXPECT_EQ(ColumnsOf(b, 0, clBlack), (std::vector<int>{0, 1, 2, 6, 7, 8, 12, 13, 14, 18, 19}));
    // Dots need a one-pixel pen; a wide one draws solid.
    c->Pen()->SetWidth(3);
    c->MoveTo(0, 2);
    c->LineTo(19, 2);
    EXPECT_EQ(ColumnsOf(b, 2, clBlack).size(), 20u);
    // The not mode inverts whatever lies below, whatever the pen colour.
    TBitmap n = White(4, 1);
    n.Canvas()->Pen()->SetMode(pmNot);
    n.Canvas()->Pen()->SetColor(clRed);
    n.Canvas()->MoveTo(0, 0);
    n.Canvas()->LineTo(2, 0);
    EXPECT_EQ(n.Pixel(0, 0), clBlack);
    EXPECT_EQ(n.Pixel(2, 0), clWhite);
    // BrushCopy swaps one colour for the brush colour.
    TBitmap src(2, 1);
    src.SetPixel(0, 0, clFuchsia);
    src.SetPixel(1, 0, clNavy);
    TBitmap dst = White(2, 1);
    dst.Canvas()->Brush()->SetColor(clYellow);
    dst.Canvas()->BrushCopy(Rect(0, 0, 2, 1), src, Rect(0, 0, 2, 1), clFuchsia);
    EXPECT_EQ(dst.Pixel(0, 0), clYellow);
    EXPECT_EQ(dst.Pixel(1, 0), clNavy);
}

TEST(CanvasRules, TextAndShapesFollowTheOrigin)
{
    TBitmap b = White(20, 20);
    TCanvas* c = b.Canvas();
    c->MoveViewportOrg(-5, -5); // a child painting its parent's background at an offset
    c->Brush()->SetColor(clRed);
    c->Rectangle(5, 5, 10, 10);
    EXPECT_EQ(b.Pixel(0, 0), clBlack);
    EXPECT_EQ(b.Pixel(2, 2), clRed);
    EXPECT_EQ(c->Pixels(5, 5), clBlack);
    c->SetPixels(6, 6, clBlue);
    EXPECT_EQ(b.Pixel(1, 1), clBlue);
    c->IntersectClipRect(Rect(5, 5, 7, 7));
    c->SetPixels(8, 8, clLime); // outside the clip now
    EXPECT_EQ(b.Pixel(3, 3), clRed);
    EXPECT_EQ(c->Pixels(8, 8), -1);
}
