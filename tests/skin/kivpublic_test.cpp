#include "skin/kivpublic.h"

#include "gfx/bitmap.h"
#include "gfx/canvas.h"

#include <gtest/gtest.h>

namespace {

// Pixel colour = x + 256 * y, so every pixel tells where it came from.
TBitmap Coded(int w, int h)
{
    TBitmap b(w, h, pf24bit);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) b.SetPixel(x, y, x + 256 * y + 0x010000);
    return b;
}

} // namespace

TEST(KivPublic, SpitBitmapCutsStripsAndSurvivesZeroCount)
{
    TBitmap src = Coded(64, 16), dst;
    SpitBitmap(&src, &dst, 4, 2);
    EXPECT_EQ(dst.Width(), 16);
    EXPECT_EQ(dst.Height(), 16);
    EXPECT_EQ(dst.Pixel(0, 0), src.Pixel(16, 0));
    EXPECT_EQ(dst.Pixel(15, 15), src.Pixel(31, 15));
    SpitBitmap(&src, &dst, 0, 0);
    EXPECT_EQ(dst.Width(), 64);
    SpitBitmap(&src, &dst, 4, 9);
    EXPECT_EQ(dst.Pixel(0, 0), src.Pixel(48, 0));
    // A strip narrower than its count of pieces (a theme's picture too small)
    // gives pieces with no pixels.
    TBitmap narrow = Coded(3, 16);
    SpitBitmap(&narrow, &dst, 4, 2);
    EXPECT_TRUE(dst.Empty());
}

TEST(KivPublic, TileDrawRepeatsAndIgnoresAnEmptyPicture)
{
    TBitmap target(10, 7, pf24bit), pic = Coded(3, 2), empty;
    TileDraw(target.Canvas(), &empty, Rect(0, 0, 10, 7)); // must return
    TileDraw(target.Canvas(), &pic, Rect(0, 0, 10, 7));
    EXPECT_EQ(target.Pixel(4, 3), pic.Pixel(1, 1));
    EXPECT_EQ(target.Pixel(9, 6), pic.Pixel(0, 0));
}

TEST(KivPublic, SpitDrawKeepsCornersAndStretchesCentre)
{
    TBitmap pic = Coded(5, 5), target(20, 12, pf24bit);
    target.Canvas()->Brush()->SetColor(clWhite);
    target.Canvas()->FillRect(Rect(0, 0, 20, 12));
    SpitDraw(&pic, target.Canvas(), Rect(0, 0, 20, 12), false);
    EXPECT_EQ(target.Pixel(0, 0), pic.Pixel(0, 0));
    EXPECT_EQ(target.Pixel(1, 1), pic.Pixel(1, 1));
    EXPECT_EQ(target.Pixel(19, 11), pic.Pixel(4, 4));
    EXPECT_EQ(target.Pixel(19, 0), pic.Pixel(4, 0));
    EXPECT_EQ(target.Pixel(0, 11), pic.Pixel(0, 4));
    EXPECT_EQ(target.Pixel(10, 6), pic.Pixel(2, 2));  // centre
    EXPECT_EQ(target.Pixel(10, 0), pic.Pixel(2, 0));  // top band
    EXPECT_EQ(target.Pixel(0, 6), pic.Pixel(0, 2));   // left band
    EXPECT_EQ(target.Pixel(19, 6), pic.Pixel(4, 2));  // right band
    EXPECT_EQ(target.Pixel(10, 11), pic.Pixel(2, 4)); // bottom band

    // Keyed corners leave the key colour's pixels undrawn.
    TBitmap keyed = Coded(5, 5);
    keyed.SetPixel(0, 0, 0xFF00FF);
    SpitDraw(&keyed, target.Canvas(), Rect(0, 0, 20, 12), true);
    EXPECT_EQ(target.Pixel(0, 0), pic.Pixel(0, 0));
    // A destination smaller than the picture and an empty one do no harm.
    SpitDraw(&pic, target.Canvas(), Rect(0, 0, 1, 1), false);
    SpitDraw(&pic, target.Canvas(), Rect(0, 0, 0, 0), false);
}

TEST(KivPublic, ThreePartDrawStretchesTheMiddle)
{
    TBitmap pic = Coded(9, 2), target(20, 2, pf24bit);
    SpitDrawHorizontal(&pic, target.Canvas(), Rect(0, 0, 20, 2), false, false);
    EXPECT_EQ(target.Pixel(0, 0), pic.Pixel(0, 0));
    EXPECT_EQ(target.Pixel(19, 1), pic.Pixel(8, 1));
    EXPECT_EQ(target.Pixel(10, 0) & 0xFF, 3 + (10 - 3) * 3 / 14);
    TBitmap narrow(2, 2, pf24bit);
    SpitDrawHorizontal(&pic, narrow.Canvas(), Rect(0, 0, 2, 2), false, false);
    EXPECT_EQ(narrow.Pixel(1, 0), pic.Pixel(1, 0));
}

TEST(KivPublic, RegionScanDropsKeyPixelsAndTheLastColumn)
{
    TBitmap pic(6, 3, pf24bit);
    pic.Canvas()->Brush()->SetColor(clRed);
    pic.Canvas()->FillRect(Rect(0, 0, 6, 3));
    pic.SetPixel(0, 0, 0xFF00FF);
    pic.SetPixel(2, 1, 0xFF00FF);
    const TRegion r = BitmapRegion(&pic, 0xFF00FF);
    EXPECT_FALSE(r.Contains(0, 0));
    EXPECT_TRUE(r.Contains(1, 0));
    EXPECT_TRUE(r.Contains(4, 0));
    EXPECT_FALSE(r.Contains(5, 0)); // the last column never joins a run
    EXPECT_TRUE(r.Contains(1, 1));
    EXPECT_FALSE(r.Contains(2, 1));
    EXPECT_TRUE(r.Contains(3, 1));
    EXPECT_EQ(r.Bounds(), Rect(0, 0, 5, 3));
    EXPECT_TRUE(BitmapRegion(nullptr, 0).Empty());
}

TEST(KivPublic, TurnsMapPixels)
{
    TBitmap b = Coded(3, 2);
    const TBitmap orig = Coded(3, 2);
    RoundPicture(&b);
    ASSERT_EQ(b.Width(), 2);
    ASSERT_EQ(b.Height(), 3);
    EXPECT_EQ(b.Pixel(1, 3 - 1 - 2), orig.Pixel(2, 1));
    b = Coded(3, 2);
    RoundPicture2(&b);
    EXPECT_EQ(b.Pixel(0, 0), orig.Pixel(2, 1));
    b = Coded(3, 2);
    RoundPicture3(&b);
    EXPECT_EQ(b.Pixel(2 - 1 - 1, 2), orig.Pixel(2, 1));
    EXPECT_TRUE(InRect(5, 5, Rect(0, 0, 5, 5)));
    EXPECT_FALSE(InRect(6, 5, Rect(0, 0, 5, 5)));
}

#include "skin/kivskinform.h"
#include "vcl/application.h"
#include "vcl/forms.h"
#include "vcl/headless.h"

TEST(KivSkinForm, ShapesItsFormByThePicture)
{
    TApplication app;
    app.SetBackend(std::make_unique<THeadlessBackend>());
    auto* form = NewForm<TForm>(&app);
    auto* skin = new TkivSkinForm(form);
    skin->SetParent(form);
    EXPECT_EQ(form->BorderStyle(), bsNone);
    TBitmap pic(300, 200, pf24bit);
    pic.Canvas()->Brush()->SetColor(0xFF00FF);
    pic.Canvas()->FillRect(Rect(0, 0, 300, 200));
    pic.Canvas()->Brush()->SetColor(clBlue);
    pic.Canvas()->FillRect(Rect(10, 10, 290, 190));
    int changed = 0;
    skin->OnRegionChanged = [&](TObject*) { ++changed; };
    skin->SetGlyph(pic);
    EXPECT_EQ(changed, 1);
    EXPECT_EQ(form->ClientWidth(), 300);
    EXPECT_EQ(form->ClientHeight(), 200);
    ASSERT_TRUE(form->WindowRegion().has_value());
    EXPECT_EQ(form->WindowRegion()->Bounds(), Rect(10, 10, 290, 190));
    EXPECT_FALSE(form->WindowRegion()->Contains(5, 5));
    form->Show();
    EXPECT_EQ(HeadlessBackend()->Snapshot(*form)->Pixel(150, 100), clBlue);
    form->Free();
}

TEST(KivSkinForm, APictureFromASourceShapesTheFormAtOnceAndIsKeptOnlyOnceDrawn)
{
    TApplication app;
    app.SetBackend(std::make_unique<THeadlessBackend>());
    auto* form = NewForm<TForm>(&app);
    auto* skin = new TkivSkinForm(form);
    skin->SetParent(form);
    int loads = 0;
    skin->SetGlyphSource([&](TBitmap& pic) {
        ++loads;
        pic.SetSize(300, 200);
        pic.Canvas()->Brush()->SetColor(0xFF00FF);
        pic.Canvas()->FillRect(Rect(0, 0, 300, 200));
        pic.Canvas()->Brush()->SetColor(clGreen);
        pic.Canvas()->FillRect(Rect(20, 10, 280, 190));
        return true;
    });
    EXPECT_EQ(loads, 1);
    EXPECT_EQ(form->ClientWidth(), 300);
    ASSERT_TRUE(form->WindowRegion().has_value());
    EXPECT_EQ(form->WindowRegion()->Bounds(), Rect(20, 10, 280, 190));
    EXPECT_TRUE(skin->Glyph()->Empty());   // not shown: no pixels held
    // A new transparent colour reshapes the form from the source.
    skin->SetTransparentColor(clGreen);
    EXPECT_EQ(loads, 2);
    EXPECT_TRUE(form->WindowRegion()->Contains(5, 5));
    EXPECT_FALSE(form->WindowRegion()->Contains(150, 100));
    skin->SetTransparentColor(0xFF00FF);
    form->Show();
    EXPECT_EQ(HeadlessBackend()->Snapshot(*form)->Pixel(150, 100), clGreen);
    EXPECT_EQ(skin->Glyph()->Width(), 300);   // drawn once, kept
    const int afterShow = loads;
    form->Invalidate();
    EXPECT_EQ(HeadlessBackend()->Snapshot(*form)->Pixel(150, 100), clGreen);
    EXPECT_EQ(loads, afterShow);
    form->Free();
}
