// Pictures, panels, bevels and shapes as a form shows them.
#include "democontrols.h"

#include "gfx/bitmap.h"
#include "vcl/extctrls.h"

namespace {

class ExtCtrls : public HeadlessTest {
protected:
    void SetUp() override
    {
        HeadlessTest::SetUp();
        form = MakeForm(200, 120);
    }
    TForm* form = nullptr;
};

TBitmap Checker(int w, int h, TColor a, TColor b)
{
    TBitmap bmp(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) bmp.SetPixel(x, y, (x < w / 2) ? a : b);
    return bmp;
}

TEST_F(ExtCtrls, ImageDrawsItsPictureAtTheTopLeftStretchedOrCentred)
{
    auto* img = new TImage(form);
    img->SetParent(form);
    img->SetBounds(10, 10, 40, 20);
    TBitmap pic = Checker(10, 10, clRed, clBlue);
    img->Picture()->SetGraphic(&pic);
    form->Show();
    EXPECT_EQ(headless->PixelAt(*form, 10, 10), clRed);
    EXPECT_EQ(headless->PixelAt(*form, 19, 19), clBlue);
    EXPECT_EQ(headless->PixelAt(*form, 25, 15), clWhite); // the form shows beside the picture

    img->SetStretch(true);
    EXPECT_EQ(img->DestRect(), Rect(0, 0, 40, 20));
    EXPECT_EQ(headless->PixelAt(*form, 29, 15), clRed);
    EXPECT_EQ(headless->PixelAt(*form, 49, 29), clBlue);

    img->SetProportional(true); // 10 x 10 into 40 x 20 keeps square
    EXPECT_EQ(img->DestRect(), Rect(0, 0, 20, 20));
    img->SetCenter(true);
    EXPECT_EQ(img->DestRect(), Rect(10, 0, 30, 20));
    EXPECT_EQ(headless->PixelAt(*form, 15, 15), clWhite);
    EXPECT_EQ(headless->PixelAt(*form, 20, 15), clRed);

    img->SetStretch(false); // proportional alone never enlarges
    EXPECT_EQ(img->DestRect(), Rect(15, 5, 25, 15));
}

TEST_F(ExtCtrls, ProportionalShrinksWidePicturesToFit)
{
    auto* img = new TImage(form);
    img->SetBounds(0, 0, 50, 50);
    TBitmap wide(200, 100);
    img->Picture()->SetGraphic(&wide);
    img->SetProportional(true);
    EXPECT_EQ(img->DestRect(), Rect(0, 0, 50, 25));
    TBitmap tall(30, 300);
    img->Picture()->SetGraphic(&tall);
    EXPECT_EQ(img->DestRect(), Rect(0, 0, 5, 50));
}

TEST_F(ExtCtrls, ImageCanvasMakesABitmapOfTheControlSizeAndRepaints)
{
    auto* img = new TImage(form);
    img->SetParent(form);
    img->SetBounds(20, 20, 30, 25);
    form->Show();
    EXPECT_EQ(headless->PixelAt(*form, 25, 25), clWhite);
    TCanvas* c = img->Canvas();
    ASSERT_NE(img->Picture()->Graphic(), nullptr);
    EXPECT_EQ(img->Picture()->Width(), 30);
    EXPECT_EQ(img->Picture()->Height(), 25);
    c->Brush()->SetColor(clGreen);
    c->FillRect(Rect(0, 0, 30, 25));
    EXPECT_EQ(headless->PixelAt(*form, 25, 25), clGreen);
    EXPECT_EQ(headless->PixelAt(*form, 49, 44), clGreen);
    EXPECT_EQ(headless->PixelAt(*form, 50, 45), clWhite);
    // Clearing the picture and drawing again starts over on a fresh bitmap.
    img->Picture()->SetGraphic(nullptr);
    EXPECT_EQ(headless->PixelAt(*form, 25, 25), clWhite);
    img->Canvas()->SetPixels(0, 0, clRed);
    EXPECT_EQ(headless->PixelAt(*form, 20, 20), clRed);
}

TEST_F(ExtCtrls, ImageCanvasRefusesPicturesThatAreNotBitmaps)
{
    class TOther : public TGraphic {
    public:
        void Assign(const TGraphic&) override {}
        void Draw(TCanvas&, const TRect&) override {}
        void LoadFromStream(TStream&) override {}
        void SaveToStream(TStream&) const override {}
        std::string ClassName() const override { return "TOther"; }

    protected:
        int GetWidth() const override { return 4; }
        int GetHeight() const override { return 4; }
        bool GetEmpty() const override { return false; }
        void SetWidthImpl(int) override {}
        void SetHeightImpl(int) override {}
    };
    TPicture::RegisterClass("TOther", [] { return std::make_unique<TOther>(); });
    auto* img = new TImage(form);
    TOther other;
    img->Picture()->SetGraphic(&other);
    EXPECT_THROW(img->Canvas(), EInvalidOperation);
}

TEST_F(ExtCtrls, TransparentImageShowsTheFormWhereTheKeyColourIs)
{
    auto* img = new TImage(form);
    img->SetParent(form);
    img->SetBounds(0, 0, 10, 10);
    TBitmap pic = Checker(10, 10, clYellow, clBlue);
    pic.SetTransparentColor(clYellow);
    img->Picture()->SetGraphic(&pic);
    form->Show();
    EXPECT_EQ(headless->PixelAt(*form, 2, 2), clYellow);
    img->SetTransparent(true);
    EXPECT_TRUE(img->Picture()->Graphic()->Transparent());
    EXPECT_EQ(headless->PixelAt(*form, 2, 2), clWhite);
    EXPECT_EQ(headless->PixelAt(*form, 7, 2), clBlue);
    // A new picture takes the image's transparency.
    img->Picture()->SetGraphic(&pic);
    EXPECT_TRUE(img->Picture()->Graphic()->Transparent());
}

TEST_F(ExtCtrls, AutoSizeImageFollowsItsPicture)
{
    auto* img = new TImage(form);
    img->SetBounds(5, 6, 40, 40);
    img->SetAutoSize(true);
    TBitmap pic(17, 9);
    img->Picture()->SetGraphic(&pic);
    EXPECT_EQ(img->BoundsRect(), Rect(5, 6, 22, 15));
    TBitmap empty;
    img->Picture()->SetGraphic(&empty); // an empty picture keeps the size
    EXPECT_EQ(img->Width(), 17);
}

TEST_F(ExtCtrls, PanelDrawsRaisedBevelFaceAndCentredCaption)
{
    auto* p = new TPanel(form);
    p->SetParent(form);
    p->SetBounds(10, 10, 100, 40);
    p->SetCaption("Wide text");
    p->SetColor(clSilver);
    form->Show();
    EXPECT_EQ(headless->PixelAt(*form, 10, 10), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(headless->PixelAt(*form, 109, 49), ColorToRGB(clBtnShadow));
    EXPECT_EQ(headless->PixelAt(*form, 12, 12), clSilver);
    // Caption ink lies around the middle only.
    auto shot = headless->Snapshot(*form);
    int inkLeft = 1000, inkRight = -1;
    for (int y = 12; y < 48; ++y)
        for (int x = 11; x < 109; ++x)
            if (shot->Pixel(x, y) == ColorToRGB(clWindowText)) {
                inkLeft = std::min(inkLeft, x);
                inkRight = std::max(inkRight, x);
            }
    ASSERT_GE(inkRight, 0);
    EXPECT_NEAR((inkLeft + inkRight) / 2.0, 60, 3);
    p->SetAlignment(taLeftJustify);
    shot = headless->Snapshot(*form);
    bool inkAtLeft = false;
    for (int y = 12; y < 48; ++y)
        for (int x = 11; x < 20; ++x) inkAtLeft |= shot->Pixel(x, y) == ColorToRGB(clWindowText);
    EXPECT_TRUE(inkAtLeft);
}

TEST_F(ExtCtrls, PanelAlignsChildrenInsideBorderAndBevels)
{
    auto* p = new TPanel(form);
    p->SetParent(form);
    p->SetBounds(0, 0, 100, 80);
    p->SetBevelInner(bvLowered);
    p->SetBevelWidth(2);
    p->SetBorderWidth(3);
    EXPECT_EQ(p->FrameWidth(), 7);
    auto* child = new TPanel(form);
    child->SetParent(p);
    child->SetAlign(alClient);
    EXPECT_EQ(child->BoundsRect(), Rect(7, 7, 93, 73));
    p->SetBevelOuter(bvNone);
    EXPECT_EQ(child->BoundsRect(), Rect(5, 5, 95, 75));
}

TEST_F(ExtCtrls, ParentBackgroundPanelShowsItsParentsPicture)
{
    form->SetColor(clFuchsia);
    auto* p = new TPanel(form);
    p->SetParent(form);
    p->SetBounds(0, 0, 60, 40);
    p->SetBevelOuter(bvNone);
    p->SetColor(clSilver);
    form->Show();
    EXPECT_EQ(headless->PixelAt(*form, 30, 20), clSilver);
    p->SetParentBackground(true);
    EXPECT_TRUE(p->ParentBackground());
    EXPECT_EQ(headless->PixelAt(*form, 30, 20), clFuchsia);
}

TEST_F(ExtCtrls, BevelAndShapeDrawTheirOutlines)
{
    auto* b = new TBevel(form);
    b->SetParent(form);
    b->SetBounds(0, 0, 20, 20);
    auto* s = new TShape(form);
    s->SetParent(form);
    s->SetBounds(100, 0, 40, 20);
    s->Brush()->SetColor(clLime);
    s->SetShape(stCircle);
    form->Show();
    EXPECT_EQ(headless->PixelAt(*form, 0, 0), ColorToRGB(clBtnShadow));
    EXPECT_EQ(headless->PixelAt(*form, 19, 19), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(headless->PixelAt(*form, 10, 10), clWhite);
    EXPECT_EQ(headless->PixelAt(*form, 120, 10), clLime);   // the circle's middle
    EXPECT_EQ(headless->PixelAt(*form, 102, 10), clWhite);  // outside the centred circle
    b->SetShape(bsTopLine);
    EXPECT_EQ(headless->PixelAt(*form, 0, 19), clWhite);
    EXPECT_EQ(headless->PixelAt(*form, 10, 1), ColorToRGB(clBtnHighlight));
}

} // namespace
