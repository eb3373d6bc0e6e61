// Track bar: clamping setters, slider geometry at the range ends, dragging,
// paging with the repeat timer, keys, ticks over huge ranges and theme pictures.
#include "kivcontrols_fixture.h"

#include "skin/kivtrackbar.h"

#include "vcl/messages.h"

#include <climits>

namespace {

class KivTrackBars : public KivControlsTest {
protected:
    // A horizontal bar at (20, 40) whose lane is 189 pixels: one value per pixel.
    TkivTrackBar* MakeBar()
    {
        auto* t = new TkivTrackBar(form);
        t->SetParent(form);
        t->SetBounds(20, 40, 200, 30);
        t->SetUIStyle(DeepBlue);
        t->SetShowTick(false);
        t->SetMax(189);
        t->OnChange = [this](TObject*) { ++changes; };
        form->Show();
        return t;
    }
    int changes = 0;
};

TEST_F(KivTrackBars, TakesTheThemePicturesAndSizesToTheThickerOne)
{
    auto* t = MakeBar();
    TBitmap bar, slider, sliderV;
    GetInsideThemeBitmap(DeepBlue, 28, &bar);
    GetInsideThemeBitmap(DeepBlue, 29, &slider);
    GetInsideThemeBitmap(DeepBlue, 30, &sliderV);
    EXPECT_EQ(t->BarImage()->Width(), bar.Width());
    EXPECT_EQ(t->Slider()->Width(), slider.Width());
    EXPECT_EQ(t->Height(), std::max(bar.Height(), slider.Height()));
    EXPECT_EQ(t->BarBuffer().Width(), 200);
    // The slider is drawn where it sits: its centre pixel on the screen is the picture's.
    EXPECT_EQ(At(20 + slider.Width() / 2, 40 + slider.Height() / 2), slider.Pixel(slider.Width() / 2, slider.Height() / 2));

    t->SetOrientation(kivVertical);
    EXPECT_EQ(t->Width(), std::max(bar.Height(), sliderV.Width()));
    EXPECT_EQ(t->Slider()->Height(), sliderV.Height());
    EXPECT_EQ(t->BarBuffer().Width(), bar.Height());
    EXPECT_EQ(t->BarBuffer().Height(), t->Height());
    EXPECT_TRUE(t->Slider()->Transparent());
    // Min at the top, Max at the foot; the centred slider is drawn where it sits.
    t->SetHeight(120);
    t->SetPosition(189);
    EXPECT_EQ(t->Slider()->Top(), 120 - sliderV.Height());
    EXPECT_EQ(t->Slider()->Left(), (t->Width() - sliderV.Width()) / 2);
    EXPECT_EQ(At(20 + t->Slider()->Left() + sliderV.Width() / 2, 40 + t->Slider()->Top() + sliderV.Height() / 2),
              sliderV.Pixel(sliderV.Width() / 2, sliderV.Height() / 2));
    EXPECT_EQ(t->PositionFromPoint(5, 120 - sliderV.Height() / 2 - 1), 189);

    // A new style replaces whatever the form stored; MacOS is transparent.
    TPicture custom;
    TBitmap red = Solid(4, 4, clRed, clRed);
    custom.SetGraphic(&red);
    t->SetBarImage(custom);
    EXPECT_FALSE(t->Transparent());
    t->SetUIStyle(MacOS);
    TBitmap macBar;
    GetInsideThemeBitmap(MacOS, 28, &macBar);
    EXPECT_EQ(t->BarImage()->Bitmap()->Pixel(macBar.Width() / 2, 2), macBar.Pixel(macBar.Width() / 2, 2));
    EXPECT_TRUE(t->Transparent());
}

TEST_F(KivTrackBars, SettersClampAndReportOnlyRealChanges)
{
    auto* t = MakeBar();
    t->SetPosition(1000);
    EXPECT_EQ(t->Position(), 189);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(t->LastChange(), 189);
    t->SetPosition(500);
    EXPECT_EQ(changes, 1);
    // Max below the position lowers it; below Min stores Min.
    t->SetMax(50);
    EXPECT_EQ(t->Position(), 50);
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(t->LastChange(), -139);
    t->SetMin(10);
    t->SetMax(3);
    EXPECT_EQ(t->Max(), 10);
    EXPECT_EQ(t->Position(), 10);
    t->SetMin(20);
    EXPECT_EQ(t->Min(), 10);
    // Page and line sizes must lie within 0..Max.
    t->SetPageSize(11);
    EXPECT_EQ(t->PageSize(), 2);
    t->SetLineSize(-1);
    EXPECT_EQ(t->LineSize(), 1);
    t->SetPageSize(10);
    EXPECT_EQ(t->PageSize(), 10);
}

TEST_F(KivTrackBars, ValueAndSliderRoundTripAtTheRangeEnds)
{
    auto* t = MakeBar();
    const int lane = t->Width() - t->Slider()->Width();
    const int half = t->Slider()->Width() / 2;
    EXPECT_EQ(t->Slider()->Left(), 0);
    EXPECT_EQ(t->PositionFromPoint(half, 5), 0);
    t->SetPosition(189);
    EXPECT_EQ(t->Slider()->Left(), lane);
    EXPECT_EQ(t->PositionFromPoint(lane + half, 5), 189);
    t->SetMin(-40);
    t->SetMax(-40);
    EXPECT_EQ(t->Position(), -40);
    EXPECT_EQ(t->Slider()->Left(), 0);
    EXPECT_EQ(t->PositionFromPoint(150, 5), -40);

    // The whole 32-bit range: no overflow in either direction.
    t->SetMin(INT_MIN);
    t->SetMax(INT_MAX);
    t->SetPosition(INT_MAX);
    EXPECT_EQ(t->Slider()->Left(), lane);
    EXPECT_EQ(t->PositionFromPoint(lane + half, 5), INT_MAX);
    t->SetPosition(INT_MIN);
    EXPECT_EQ(t->Slider()->Left(), 0);
    EXPECT_EQ(t->LastChange(), INT_MIN); // the true difference saturates
    t->SetPosition(0);
    EXPECT_EQ(t->Slider()->Left(), lane / 2);
    // Ties round to even: a four-pixel lane over 1 and over 3 values.
    t->SetMin(0);
    t->SetMax(1);
    t->SetWidth(t->Slider()->Width() + 4);
    EXPECT_EQ(t->PositionFromPoint(half + 2, 5), 0);
    t->SetMax(3);
    EXPECT_EQ(t->PositionFromPoint(half + 2, 5), 2);
}

TEST_F(KivTrackBars, DraggingTheSliderFollowsThePointerWithinTheRange)
{
    auto* t = MakeBar();
    std::vector<TPoint> downs, ups;
    t->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int x, int y) { downs.push_back(Point(x, y)); };
    t->OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int x, int y) { ups.push_back(Point(x, y)); };
    headless->MouseMove(*form, 25, 50);
    headless->MouseDown(*form, 25, 50);
    EXPECT_TRUE(t->Dragging());
    EXPECT_TRUE(t->Focused());
    ASSERT_EQ(downs.size(), 1u);
    EXPECT_EQ(downs[0].X, 5);
    EXPECT_EQ(downs[0].Y, 10);
    EXPECT_FALSE(t->Repeating());

    headless->MouseMove(*form, 125, 50, ssLeft);
    EXPECT_EQ(t->Position(), 100);
    EXPECT_EQ(t->Slider()->Left(), 100);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(t->LastChange(), 100);
    headless->MouseMove(*form, 500, 90, ssLeft);
    EXPECT_EQ(t->Position(), 189);
    headless->MouseMove(*form, 0, 50, ssLeft);
    EXPECT_EQ(t->Position(), 0);
    EXPECT_EQ(changes, 3);
    headless->MouseUp(*form, 0, 50);
    EXPECT_FALSE(t->Dragging());
    ASSERT_EQ(ups.size(), 1u);
    EXPECT_EQ(ups[0].X, -20);
    // After the release the pointer no longer drags.
    headless->MouseMove(*form, 125, 50);
    EXPECT_EQ(t->Position(), 0);
}

TEST_F(KivTrackBars, HoldingOnTheBarPagesEveryTenthOfASecondUpToThePointer)
{
    auto* t = MakeBar();
    t->SetPageSize(10);
    t->SetPosition(150);
    changes = 0;
    headless->MouseMove(*form, 50, 50);
    headless->MouseDown(*form, 50, 50); // bar x 30: the value 25 lies under it
    EXPECT_EQ(t->Position(), 140);
    EXPECT_TRUE(t->Repeating());
    const int expected[] = {110, 80, 50, 25, 25};
    for (int e : expected) {
        clock.Advance(99);
        app->ProcessMessages();
        clock.Advance(1);
        app->ProcessMessages();
        EXPECT_EQ(t->Position(), e);
    }
    EXPECT_EQ(changes, 5);
    headless->MouseUp(*form, 50, 50);
    EXPECT_FALSE(t->Repeating());
    clock.Advance(500);
    app->ProcessMessages();
    EXPECT_EQ(t->Position(), 25);

    // Right of the slider pages up; leaving the control stops the repeat.
    headless->MouseMove(*form, 200, 50);
    headless->MouseDown(*form, 200, 50);
    EXPECT_EQ(t->Position(), 35);
    headless->MouseMove(*form, 200, 150, ssLeft);
    EXPECT_FALSE(t->Repeating());
    clock.Advance(300);
    app->ProcessMessages();
    EXPECT_EQ(t->Position(), 35);
    headless->MouseUp(*form, 200, 150);
}

TEST_F(KivTrackBars, KeysStepByLinesAndPagesAndJumpToTheEnds)
{
    auto* t = MakeBar();
    t->SetPageSize(10);
    t->SetLineSize(3);
    t->SetFocus();
    EXPECT_EQ(t->Perform(WM_GETDLGCODE), DLGC_WANTARROWS);
    headless->PressKey(VK_RIGHT);
    EXPECT_EQ(t->Position(), 3);
    headless->PressKey(VK_DOWN);
    EXPECT_EQ(t->Position(), 6);
    headless->PressKey(VK_NEXT);
    EXPECT_EQ(t->Position(), 16);
    headless->PressKey(VK_UP);
    EXPECT_EQ(t->Position(), 13);
    headless->PressKey(VK_PRIOR);
    headless->PressKey(VK_PRIOR);
    EXPECT_EQ(t->Position(), 0);
    headless->PressKey(VK_END);
    EXPECT_EQ(t->Position(), 189);
    headless->PressKey(VK_RIGHT);
    EXPECT_EQ(t->Position(), 189);
    headless->PressKey(VK_HOME);
    EXPECT_EQ(t->Position(), 0);
    EXPECT_EQ(changes, 8);

    // Near the top of the 32-bit range a page up stops at Max instead of wrapping.
    t->SetMax(INT_MAX);
    t->SetPosition(INT_MAX - 1);
    headless->PressKey(VK_NEXT);
    EXPECT_EQ(t->Position(), INT_MAX);
}

TEST_F(KivTrackBars, TicksMarkMinEveryFrequencyAndMaxEvenOverTheWholeIntRange)
{
    auto* t = MakeBar();
    t->SetShowTick(true);
    t->SetPosition(189);
    const int bottom = 40 + t->Height() - 2; // above the focus rectangle
    const int half = t->Slider()->Width() / 2;
    t->SetFrequency(50);
    EXPECT_EQ(At(20 + half, bottom), clBlack);
    EXPECT_EQ(At(20 + half + 50, bottom), clBlack);
    EXPECT_EQ(At(20 + half + 100, bottom), clBlack);
    EXPECT_EQ(At(20 + half + 51, bottom), clWhite);
    EXPECT_EQ(At(20 + half + 25, bottom), clWhite);
    t->SetFrequency(0);
    EXPECT_EQ(At(20 + half + 50, bottom), clWhite);
    EXPECT_EQ(At(20 + half, bottom), clBlack);

    // Four billion values, one tick per pixel: painted at once, no pixel missed.
    t->SetMin(INT_MIN);
    t->SetMax(INT_MAX);
    t->SetPosition(INT_MIN);
    t->SetFrequency(1);
    const int lane = t->Width() - t->Slider()->Width();
    for (int x = t->Slider()->Width(); x <= lane + half; ++x) ASSERT_EQ(At(20 + x, bottom), clBlack) << x;
    // Narrower than its slider: still one pass over the pixels, not over the values.
    t->SetWidth(t->Slider()->Width() - 4);
    EXPECT_NE(headless->Snapshot(*form), nullptr);
    t->SetWidth(200);
    t->SetMax(INT_MIN);
    EXPECT_EQ(At(20 + 100, bottom), clWhite);
}

TEST_F(KivTrackBars, BarPlacedWhileTheFormLoadsIsPreparedAtItsSize)
{
    form->BeginLoading();
    auto* t = new TkivTrackBar(form);
    t->SetParent(form);
    t->SetOrientation(kivVertical);
    t->SetBounds(20, 40, 260, 130);
    t->SetMax(100);
    t->SetPosition(100);
    form->EndLoading();
    EXPECT_EQ(t->Height(), 130);
    EXPECT_EQ(t->Width(), t->Slider()->Width());
    EXPECT_EQ(t->BarBuffer().Height(), 130);
    EXPECT_EQ(t->Slider()->Top(), 130 - t->Slider()->Height());
}

TEST_F(KivTrackBars, ScrollLaneTakesNoFocusAndNoThemePictures)
{
    auto* s = new TkivScrollTrackBar(form);
    s->SetParent(form);
    s->SetBounds(20, 100, 150, 16);
    form->Show();
    EXPECT_FALSE(s->TabStop());
    EXPECT_EQ(s->BarImage()->Graphic(), nullptr);
    s->SetUIStyle(WinXP);
    EXPECT_EQ(s->BarImage()->Graphic(), nullptr);
    TPicture thumb;
    TBitmap b = Solid(30, 16, clNavy, clNavy);
    thumb.SetGraphic(&b);
    s->SetSliderImage(thumb);
    s->UpdateSliderSize();
    EXPECT_EQ(s->Slider()->Width(), 30);
    s->SetSliderVisible(false);
    EXPECT_FALSE(s->SliderVisible());
    headless->MouseMove(*form, 100, 108);
    headless->MouseDown(*form, 100, 108);
    EXPECT_FALSE(s->Focused());
    headless->MouseUp(*form, 100, 108);
}

} // namespace
