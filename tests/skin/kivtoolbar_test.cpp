// Skinned tool bar: the style's button colours, boxes for hot, pressed and
// checked buttons, the drop-down arrow and the transparent bar.
#include "kivcontrols_fixture.h"

#include "skin/kivtoolbar.h"

#include "gfx/imagelist.h"

namespace {

class KivToolBars : public KivControlsTest {
protected:
    void SetUp() override
    {
        KivControlsTest::SetUp();
        form->SetColor(clTeal);
        bar = new TkivToolBar(form);
        bar->SetParent(form);
        bar->SetUIStyle(DeepBlue);
        images = std::make_unique<TImageList>(16, 16);
        TBitmap red = Solid(16, 16, clRed, clRed);
        images->Add(red, nullptr);
        bar->SetImages(images.get());
        plain = Add(tbsButton);
        check = Add(tbsCheck);
        drop = Add(tbsDropDown);
        form->Show();
    }
    TToolButton* Add(TToolButtonStyle style)
    {
        auto* b = new TToolButton(form);
        b->SetStyle(style);
        b->SetImageIndex(0);
        b->SetParent(bar);
        return b;
    }
    TPoint Inside(TToolButton* b, int dx, int dy) const
    {
        return Point(bar->Left() + b->Left() + dx, bar->Top() + b->Top() + dy);
    }
    TColor AtIn(TToolButton* b, int dx, int dy)
    {
        const TPoint p = Inside(b, dx, dy);
        return At(p.X, p.Y);
    }
    std::unique_ptr<TImageList> images;
    TkivToolBar* bar = nullptr;
    TToolButton *plain = nullptr, *check = nullptr, *drop = nullptr;
};

TEST_F(KivToolBars, StyleGivesTheThemeColoursFlatEdgelessAndTransparency)
{
    EXPECT_TRUE(bar->Flat());
    EXPECT_EQ(bar->ButtonBorderColor(), TColor(GetInsideThemeColor(DeepBlue, 35)));
    EXPECT_EQ(bar->ButtonColor(), TColor(GetInsideThemeColor(DeepBlue, 36)));
    EXPECT_EQ(bar->ButtonDownColor(), TColor(GetInsideThemeColor(DeepBlue, 37)));
    EXPECT_EQ(bar->EdgeInner(), esNone);
    EXPECT_EQ(bar->EdgeOuter(), esNone);
    EXPECT_EQ(plain->Top(), 0);
    EXPECT_FALSE(bar->Transparent());
    bar->SetUIStyle(WinXP);
    EXPECT_EQ(bar->ButtonColor(), TColor(GetInsideThemeColor(WinXP, 36)));
    EXPECT_FALSE(bar->Transparent());
    bar->SetUIStyle(Protein);
    EXPECT_TRUE(bar->Transparent());
    bar->SetUIStyle(MacOS);
    EXPECT_TRUE(bar->Transparent());
    // The form's colour shows through the bar beside the buttons.
    EXPECT_EQ(At(bar->Width() - 5, 5), clTeal);
}

TEST_F(KivToolBars, HotPressedAndCheckedButtonsAreSkinBoxes)
{
    bar->SetButtonColor(clYellow);
    bar->SetButtonDownColor(clLime);
    bar->SetButtonBorderColor(clNavy);
    const TColor face = AtIn(plain, 2, 2);
    EXPECT_NE(face, clYellow);
    EXPECT_EQ(AtIn(plain, plain->Width() / 2, 5), clRed); // the picture, centred at top + 3

    const TPoint p = Inside(plain, 4, 4);
    headless->MouseMove(*form, p.X, p.Y);
    EXPECT_EQ(bar->HotButton(), plain);
    EXPECT_EQ(AtIn(plain, 2, 2), clYellow);
    EXPECT_EQ(AtIn(plain, 0, 0), clNavy);
    EXPECT_EQ(AtIn(plain, plain->Width() - 1, plain->Height() - 1), clNavy);
    EXPECT_EQ(AtIn(plain, (plain->Width() - 16) / 2 + 8, 3 + 8), clRed);
    headless->MouseDown(*form, p.X, p.Y);
    EXPECT_EQ(AtIn(plain, 2, 2), clLime);
    headless->MouseUp(*form, p.X, p.Y);
    headless->MouseLeave(*form);
    EXPECT_EQ(AtIn(plain, 2, 2), face);

    // A checked button away from the pointer keeps the hot box.
    check->SetDown(true);
    EXPECT_EQ(AtIn(check, 2, 2), clYellow);
    EXPECT_EQ(AtIn(check, 0, 0), clNavy);
}

TEST_F(KivToolBars, HotDropDownButtonShowsItsArrowAndDividingLine)
{
    const TPoint p = Inside(drop, 4, 4);
    headless->MouseMove(*form, p.X, p.Y);
    ASSERT_EQ(bar->HotButton(), drop);
    const int right = drop->Width(), y = drop->Height() / 2;
    EXPECT_EQ(AtIn(drop, right - 7, y), clBlack);
    EXPECT_EQ(AtIn(drop, right - 8, y), clBlack);
    EXPECT_EQ(AtIn(drop, right - 14, 3), clBlack);
    EXPECT_EQ(AtIn(drop, right - 14, drop->Height() - 3), clBlack);
    EXPECT_EQ(AtIn(drop, right - 11, 3), bar->ButtonColor());
    // The picture is centred in the part left of the arrow.
    EXPECT_EQ(AtIn(drop, (right - ToolDropDownWidth - 16) / 2 + 8, 3 + 8), clRed);
}

} // namespace
