// Scroll bar: the theme's arrow and thumb pictures turned for each
// orientation, the layout of arrows and lane, the thumb's length from the page
// or a fixed length, clamped positions, and stepping by the arrows.
#include "kivcontrols_fixture.h"

#include "skin/kivmgr.h"
#include "skin/kivpublic.h"
#include "skin/kivscrollbar.h"

namespace {

class KivScrollBars : public KivControlsTest {
protected:
    TkivScrollBar* MakeBar(TkivProgressBarOrientation o, int x, int y, int w, int h)
    {
        form->SetBounds(10, 10, 400, 480);
        auto* b = new TkivScrollBar(form);
        b->SetParent(form);
        b->SetUIStyle(DeepBlue);
        b->SetOrientation(o);
        b->SetBounds(x, y, w, h);
        b->SetOnChange([this](TObject* sender) {
            ++changes;
            lastSender = sender;
        });
        form->Show();
        return b;
    }
    static TBitmap Part(int item, int count, int index)
    {
        TBitmap b;
        GetInsideThemeBitmap(DeepBlue, item, &b, count, index);
        return b;
    }
    static bool Same(const TBitmap& a, const TBitmap& b)
    {
        if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
        for (int y = 0; y < a.Height(); ++y)
            for (int x = 0; x < a.Width(); ++x)
                if (a.Pixel(x, y) != b.Pixel(x, y)) return false;
        return true;
    }
    static const TBitmap& PictureOf(TPicture* p) { return *p->Bitmap(); }
    int changes = 0;
    TObject* lastSender = nullptr;
};

TEST_F(KivScrollBars, ArrowsAndThumbComeFromTheThemeTurnedForTheOrientation)
{
    auto* v = MakeBar(kivVertical, 20, 10, 40, 200);
    // Upright arrows as stored: decrease normal, over, pressed, then increase.
    EXPECT_TRUE(Same(PictureOf(v->DecreaseButton()->PicNormal()), Part(32, 6, 1)));
    EXPECT_TRUE(Same(PictureOf(v->DecreaseButton()->PicMouseOn()), Part(32, 6, 2)));
    EXPECT_TRUE(Same(PictureOf(v->DecreaseButton()->PicMouseDown()), Part(32, 6, 3)));
    EXPECT_TRUE(Same(PictureOf(v->IncreaseButton()->PicNormal()), Part(32, 6, 4)));
    EXPECT_TRUE(Same(PictureOf(v->IncreaseButton()->PicMouseDown()), Part(32, 6, 6)));
    EXPECT_EQ(v->Color(), static_cast<TColor>(GetInsideThemeColor(DeepBlue, 31)));
    EXPECT_EQ(v->Lane()->Color(), v->Color());

    // Layout: arrows at both ends, the lane between them less one pixel, the width of an arrow.
    const TBitmap arrow = Part(32, 6, 1);
    EXPECT_EQ(v->Width(), arrow.Width());
    EXPECT_EQ(v->DecreaseButton()->Top(), 0);
    EXPECT_EQ(v->Lane()->Top(), arrow.Height());
    EXPECT_EQ(v->Lane()->Height(), 200 - 2 * arrow.Height() - 1);
    EXPECT_EQ(v->IncreaseButton()->Top(), 200 - arrow.Height());
    // The lying thumb parts turned upright: the start cap on top.
    TBitmap start = Part(33, 3, 1);
    RoundPicture3(&start);
    const TBitmap& thumb = *v->Lane()->SliderImage()->Bitmap();
    EXPECT_EQ(thumb.Width(), start.Width());
    for (int x = 0; x < start.Width(); ++x) EXPECT_EQ(thumb.Pixel(x, 0), start.Pixel(x, 0)) << x;
    // The thumb is drawn on the screen where it sits.
    const int sx = 20 + v->Lane()->Left() + v->Lane()->Slider()->Left() + thumb.Width() / 2;
    const int sy = 10 + v->Lane()->Top() + v->Lane()->Slider()->Top() + 1;
    EXPECT_EQ(At(sx, sy), thumb.Pixel(thumb.Width() / 2, 1));

    // Horizontal: the arrows turned to point left and right, the bar as high as an arrow.
    auto* h = MakeBar(kivHorizontal, 20, 230, 200, 40);
    TBitmap left = Part(32, 6, 1), right = Part(32, 6, 4);
    RoundPicture(&left);
    RoundPicture(&right);
    EXPECT_TRUE(Same(PictureOf(h->DecreaseButton()->PicNormal()), left));
    EXPECT_TRUE(Same(PictureOf(h->IncreaseButton()->PicNormal()), right));
    EXPECT_EQ(h->Height(), left.Height());
    EXPECT_EQ(h->Lane()->Left(), left.Width());
    EXPECT_EQ(h->Lane()->Width(), 200 - 2 * left.Width());
    EXPECT_EQ(h->IncreaseButton()->Left(), 200 - right.Width());
    const TBitmap& lying = *h->Lane()->SliderImage()->Bitmap();
    const TBitmap cap = Part(33, 3, 1);
    EXPECT_EQ(lying.Height(), cap.Height());
    for (int y = 0; y < cap.Height(); ++y) EXPECT_EQ(lying.Pixel(0, y), cap.Pixel(0, y)) << y;
}

TEST_F(KivScrollBars, ThumbLengthFollowsThePageOrAFixedLength)
{
    auto* v = MakeBar(kivVertical, 20, 10, 40, 233); // a lane of 200 pixels
    const int lane = v->Lane()->Height();
    ASSERT_EQ(lane, 200);
    auto thumb = [&] { return v->Lane()->Slider()->Height(); };
    EXPECT_EQ(thumb(), lane / 10); // the default page of 2 counts as 10
    v->SetPageSize(50);
    EXPECT_EQ(thumb(), lane / 2);
    v->SetPageSize(5);
    EXPECT_EQ(thumb(), lane / 10);
    v->SetPageSize(150); // more than Max: the lane refuses it and the page stays 5
    EXPECT_EQ(v->PageSize(), 5);
    EXPECT_EQ(thumb(), lane / 10);
    v->SetMax(200);
    v->SetPageSize(150);
    EXPECT_EQ(v->PageSize(), 150);
    EXPECT_EQ(thumb(), lane / 10); // above 100 counts as 10
    // LargeChange is the same page, without sizing the thumb.
    v->SetLargeChange(40);
    EXPECT_EQ(v->PageSize(), 40);
    EXPECT_EQ(thumb(), lane / 10);

    v->SetLineButton(10);
    EXPECT_EQ(v->LineButton(), 18);
    EXPECT_EQ(thumb(), 18);
    v->SetLineButton(120);
    EXPECT_EQ(thumb(), 120);
    const int full = 233 - 2 * v->DecreaseButton()->Height();
    v->SetLineButton(full + 1); // longer than the lane: ignored
    EXPECT_EQ(v->LineButton(), 120);
    v->SetLineButton(full);
    EXPECT_EQ(v->LineButton(), full);
    v->SetLineButton(0);
    EXPECT_EQ(thumb(), lane * 40 / 100);
}

TEST_F(KivScrollBars, PositionIsClampedAndReportedOnceThroughTheLane)
{
    auto* h = MakeBar(kivHorizontal, 10, 10, 250, 16);
    h->SetMax(90);
    h->SetPosition(500);
    EXPECT_EQ(h->Position(), 90);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(lastSender, h->Lane());
    EXPECT_EQ(h->LastChange(), 90);
    h->SetPosition(90);
    EXPECT_EQ(changes, 1);
    h->SetMin(95); // Min cannot pass Max
    EXPECT_EQ(h->Min(), 90);

    // A bar with no height left hides itself and its parts.
    h->SetHeight(0);
    EXPECT_FALSE(h->Visible());
    EXPECT_FALSE(h->Lane()->Visible());
    EXPECT_FALSE(h->IncreaseButton()->Visible());
}

TEST_F(KivScrollBars, AQuickClickDoesNotStepAndHoldingStepsEvery100Ms)
{
    auto* v = MakeBar(kivVertical, 20, 10, 16, 200);
    v->SetSmallChange(3);
    auto* inc = v->IncreaseButton();
    const int x = 20 + inc->Left() + inc->Width() / 2, y = 10 + inc->Top() + inc->Height() / 2;
    // Let go before the first tick of the auto-repeat: no step.
    headless->Click(*form, x, y);
    EXPECT_EQ(v->Position(), 0);
    EXPECT_EQ(changes, 0);

    headless->MouseDown(*form, x, y);
    EXPECT_EQ(v->Position(), 0);
    clock.Advance(99);
    app->ProcessMessages();
    EXPECT_EQ(v->Position(), 0);
    clock.Advance(1);
    app->ProcessMessages();
    EXPECT_EQ(v->Position(), 3);
    EXPECT_EQ(changes, 1);
    clock.Advance(100);
    app->ProcessMessages();
    EXPECT_EQ(v->Position(), 6);
    headless->MouseUp(*form, x, y);
    clock.Advance(500);
    app->ProcessMessages();
    EXPECT_EQ(v->Position(), 6);

    // The decrease arrow held steps back and stops at Min; a disabled bar does not step.
    auto* dec = v->DecreaseButton();
    headless->MouseDown(*form, 20 + dec->Width() / 2, 10 + dec->Height() / 2);
    for (int i = 0; i < 4; ++i) {
        clock.Advance(100);
        app->ProcessMessages();
    }
    headless->MouseUp(*form, 20 + dec->Width() / 2, 10 + dec->Height() / 2);
    EXPECT_EQ(v->Position(), 0);
    v->SetEnabled(false);
    headless->MouseDown(*form, x, y);
    clock.Advance(200);
    app->ProcessMessages();
    headless->MouseUp(*form, x, y);
    EXPECT_EQ(v->Position(), 0);
}

TEST_F(KivScrollBars, DraggingTheThumbMovesThePosition)
{
    auto* v = MakeBar(kivVertical, 20, 10, 16, 217);
    v->SetMax(90);
    auto* slider = v->Lane()->Slider();
    const int x = 20 + slider->Width() / 2;
    const int grab = 10 + v->Lane()->Top() + slider->Height() / 2;
    headless->MouseDown(*form, x, grab);
    headless->MouseMove(*form, x, grab + 90, ssLeft);
    EXPECT_GT(v->Position(), 0);
    headless->MouseMove(*form, x, 10 + 217, ssLeft);
    EXPECT_EQ(v->Position(), 90);
    headless->MouseUp(*form, x, 10 + 217);
    EXPECT_GE(changes, 2);
}

TEST_F(KivScrollBars, FreedFileThemeFallsBackToDeepBlue)
{
    auto* v = MakeBar(kivVertical, 20, 10, 16, 200);
    v->SetUIStyle(MacOS);
    EXPECT_EQ(v->Color(), static_cast<TColor>(GetInsideThemeColor(MacOS, 31)));
    auto* theme = new TkivFileTheme(form);
    v->SetFileTheme(theme);
    EXPECT_EQ(v->FileTheme(), theme);
    theme->Free();
    EXPECT_EQ(v->FileTheme(), nullptr);
    EXPECT_EQ(v->UIStyle(), DeepBlue);
    EXPECT_EQ(v->Color(), static_cast<TColor>(GetInsideThemeColor(DeepBlue, 31)));
}

} // namespace
