// Progress-bar arithmetic, caption and the filled and empty parts as painted.
#include "kivcontrols_fixture.h"

#include "skin/kivprogressbar.h"

#include "gfx/picture.h"

namespace {

class KivProgress : public KivControlsTest {
protected:
    TkivProgressBar* MakeBar(TkivProgressBarOrientation o, int w, int h)
    {
        auto* bar = new TkivProgressBar(form);
        bar->SetParent(form);
        bar->SetOrientation(o);
        bar->SetBounds(10, 10, w, h);
        TBitmap red = Solid(8, 8, clRed, clRed);
        TPicture pic;
        pic.SetGraphic(&red);
        bar->SetPicture(pic);
        bar->SetColor(clBlue);
        bar->SetBorderColor(clBlack);
        bar->SetShowCaption(false);
        form->Show();
        return bar;
    }
};

TEST_F(KivProgress, CaptionIsTheUnclampedPercentage)
{
    TkivProgressBar bar(nullptr);
    EXPECT_EQ(bar.Caption(), "50%");
    bar.SetPosition(150);
    EXPECT_EQ(bar.Caption(), "150%");
    bar.SetPosition(-5);
    EXPECT_EQ(bar.Caption(), "-5%");
    bar.StepBy(-10);
    EXPECT_EQ(bar.Position(), -15);
    bar.SetMin(100);
    bar.SetMax(100);
    EXPECT_EQ(bar.Caption(), "0%");
    EXPECT_EQ(bar.GetWidthFromPosition(200), 0);
}

TEST_F(KivProgress, ByteCountsDoNotOverflow)
{
    TkivProgressBar bar(nullptr);
    bar.SetMax(2'000'000'000);
    bar.SetPosition(1'000'000'000);
    EXPECT_EQ(bar.GetPercentFromPosition(), 50);
    EXPECT_EQ(bar.Caption(), "50%");
    EXPECT_EQ(bar.GetWidthFromPosition(1000), 500);
    bar.SetMin(-2'000'000'000);
    bar.SetPosition(0);
    EXPECT_EQ(bar.GetPercentFromPosition(), 50);
    bar.SetPosition(2'000'000'001);
    EXPECT_EQ(bar.GetWidthFromPosition(1000), 1000);
}

TEST_F(KivProgress, HorizontalFillAtZeroMiddleAndMaximum)
{
    auto* bar = MakeBar(kivHorizontal, 101, 10);
    bar->SetPosition(0);
    EXPECT_EQ(At(10, 15), clBlack);      // frame
    EXPECT_EQ(At(11, 15), clBlue);       // a 1-pixel fill is empty
    EXPECT_EQ(At(109, 15), clBlue);
    bar->SetPosition(50);
    EXPECT_EQ(At(11, 15), clRed);
    EXPECT_EQ(At(10 + 49, 15), clRed);
    EXPECT_EQ(At(10 + 50, 15), clBlue);
    EXPECT_EQ(At(10 + 100, 15), clBlack);
    bar->SetPosition(100);
    EXPECT_EQ(At(10 + 99, 15), clRed);
    EXPECT_EQ(At(10 + 100, 15), clBlack);
    bar->SetPosition(-5);
    EXPECT_EQ(At(11, 15), clBlue);
    bar->SetPosition(1000);
    EXPECT_EQ(At(10 + 99, 15), clRed);
}

TEST_F(KivProgress, VerticalFillsFromTheFootAndDropsTheCaption)
{
    auto* bar = MakeBar(kivVertical, 10, 101);
    bar->SetShowCaption(true);
    bar->SetPosition(0);
    EXPECT_EQ(At(15, 10 + 99), clBlue);
    EXPECT_FALSE(bar->ShowCaption()); // cleared by the first paint
    bar->SetPosition(50);
    EXPECT_EQ(At(15, 10 + 99), clRed);
    EXPECT_EQ(At(15, 10 + 60), clRed);
    EXPECT_EQ(At(15, 10 + 40), clBlue);
    EXPECT_EQ(At(15, 10 + 50), clRed);
    EXPECT_EQ(At(15, 10 + 49), clBlue);
    bar->SetPosition(100);
    EXPECT_EQ(At(15, 10 + 1), clRed);
    EXPECT_EQ(At(15, 10 + 0), clBlack);
    EXPECT_EQ(At(15, 10 + 100), clBlack);
    bar->SetOrientation(kivHorizontal);
    EXPECT_FALSE(bar->ShowCaption());
}

TEST_F(KivProgress, SmartCaptionHiddenAtMinimum)
{
    auto* bar = MakeBar(kivHorizontal, 101, 20);
    bar->SetColor(clWhite);
    bar->SetShowCaption(true);
    bar->SetSmartShowCaption(true);
    bar->SetPosition(0);
    auto dark = [&] {
        int n = 0;
        for (int y = 11; y < 29; ++y)
            for (int x = 40; x < 80; ++x) n += At(x, y) == clBlack;
        return n;
    };
    EXPECT_EQ(dark(), 0);
    bar->StepIt();
    EXPECT_GT(dark(), 0);
}

TEST_F(KivProgress, StyleGivesThemePictureAndColours)
{
    TkivProgressBar bar(nullptr);
    bar.SetUIStyle(WinXP);
    EXPECT_EQ(bar.BorderColor(), static_cast<TColor>(GetInsideThemeColor(WinXP, 25)));
    EXPECT_EQ(bar.Color(), static_cast<TColor>(GetInsideThemeColor(WinXP, 26)));
    ASSERT_NE(bar.Picture()->Graphic(), nullptr);
    const int w = bar.Picture()->Width(), h = bar.Picture()->Height();
    bar.SetOrientation(kivVertical);
    EXPECT_EQ(bar.Picture()->Width(), h); // turned a quarter
    EXPECT_EQ(bar.Picture()->Height(), w);
}

} // namespace
