// Skinned combo boxes: the frame and button painted over the framework's,
// in the flat styles and with the MacOS and WinXP pictures, disabled, simple,
// mirrored, and the open list framed in its own window.
#include "kivcontrols_fixture.h"

#include "skin/kivcombobox.h"
#include "skin/kivpublic.h"
#include "skin/kivthemes.h"

#include "win32/progfolders.h"

namespace {

class KivCombos : public KivControlsTest {
protected:
    void TearDown() override
    {
        SetUserLocale("");
        KivControlsTest::TearDown();
    }
    TkivComboBox* MakeCombo(TComboBoxStyle style = csDropDownList)
    {
        auto* c = new TkivComboBox(form);
        c->SetParent(form);
        c->SetBounds(20, 20, 150, 21);
        c->SetStyle(style);
        for (const char* s : {"5 minutes", "10 minutes", "15 minutes"}) c->Items()->Add(s);
        c->SetItemIndex(0);
        c->SetTabStop(false); // no focus picture over the text
        form->Show();
        return c;
    }
    // Pixel of the combo's client area.
    TColor C(const TkivComboBox* c, int x, int y) { return At(c->Left() + x, c->Top() + y); }
    // The arrow's origin inside the button, as the skin places it.
    static TPoint ArrowOrigin(const TRect& b) { return Point(b.Width() / 2 + b.Left - 3, b.Height() / 2); }
};

TEST_F(KivCombos, StyleTakesTheThemeColoursAndABlackArrow)
{
    auto* c = MakeCombo();
    for (TkivUIStyle style : {MacOS, WinXP, DeepBlue, Protein, BlueGlass}) {
        c->SetArrowColor(clRed);
        c->SetUIStyle(style);
        EXPECT_EQ(c->BorderColor(), GetInsideThemeColor(style, 25)) << int(style);
        EXPECT_EQ(c->ButtonColor(), GetInsideThemeColor(style, 15)) << int(style);
        EXPECT_EQ(c->ArrowColor(), clBlack);
    }
    auto* fresh = new TkivComboBox(form); // a form without a skinned frame gives DeepBlue
    EXPECT_EQ(fresh->UIStyle(), DeepBlue);
}

TEST_F(KivCombos, FlatButtonFrameSeparatorAndArrow)
{
    auto* c = MakeCombo();
    c->SetUIStyle(DeepBlue);
    c->SetBorderColor(clNavy);
    c->SetButtonColor(0xE8E8E8);
    c->SetArrowColor(clRed);
    c->SetColor(clWhite);
    const TRect b = c->ButtonRect();
    const TPoint a = ArrowOrigin(b);
    EXPECT_EQ(C(c, 0, 0), clNavy);                        // the frame in the border colour
    EXPECT_EQ(C(c, 149, 20), clNavy);
    EXPECT_EQ(C(c, 1, 1), clWhite);                       // then a ring in the control's colour
    EXPECT_EQ(C(c, 10, 19), clWhite);
    EXPECT_EQ(C(c, b.Left, b.Top + 2), clNavy);           // the separating line at the button's left
    EXPECT_EQ(C(c, b.Left, b.Top - 1), clNavy);           // it starts a pixel above the button
    EXPECT_EQ(C(c, b.Left + 2, b.Top + 1), TColor(0xE8E8E8)); // the face
    EXPECT_EQ(C(c, b.Right - 2, b.Bottom - 2), TColor(0xE8E8E8));
    EXPECT_EQ(C(c, a.X, a.Y), clRed);                     // the triangle, point down
    EXPECT_EQ(C(c, a.X + 6, a.Y), clRed);
    EXPECT_EQ(C(c, a.X + 3, a.Y + 2), clRed);
    EXPECT_EQ(C(c, a.X + 3, a.Y + 4), TColor(0xE8E8E8));
    EXPECT_EQ(C(c, a.X - 1, a.Y), TColor(0xE8E8E8));
}

TEST_F(KivCombos, DisabledArrowIsGreyOverAWhiteShadow)
{
    auto* c = MakeCombo();
    c->SetButtonColor(clSilver);
    c->SetEnabled(false);
    const TPoint a = ArrowOrigin(c->ButtonRect());
    EXPECT_EQ(C(c, a.X + 3, a.Y + 1), clGray);
    EXPECT_EQ(C(c, a.X, a.Y), clGray);
    EXPECT_EQ(C(c, a.X + 7, a.Y + 1), clWhite);           // the shadow one pixel right and down
    EXPECT_EQ(C(c, a.X + 4, a.Y + 4), clWhite);
    c->SetEnabled(true);
    EXPECT_EQ(C(c, a.X + 7, a.Y + 1), clSilver);
    EXPECT_EQ(C(c, a.X + 3, a.Y + 1), clBlack);
}

TEST_F(KivCombos, MacOSAndWinXPStretchTheirButtonPictures)
{
    auto* c = MakeCombo();
    c->SetUIStyle(MacOS);
    c->SetButtonColor(clRed);
    c->SetArrowColor(clBlue);
    const TRect b = c->ButtonRect();
    const TPoint a = ArrowOrigin(b);
    int face = 0;
    for (int y = b.Top; y < b.Bottom; ++y)
        for (int x = b.Left; x < b.Right; ++x) face += C(c, x, y) == clRed;
    EXPECT_EQ(face, 0);                                   // the picture, not the face colour
    EXPECT_EQ(C(c, a.X + 3, a.Y + 1), clBlue);            // MacOS: the arrow over the picture

    c->SetUIStyle(WinXP);
    c->SetArrowColor(clBlue);
    int arrow = 0;
    for (int y = b.Top; y < b.Bottom; ++y)
        for (int x = b.Left; x < b.Right; ++x) arrow += C(c, x, y) == clBlue;
    EXPECT_EQ(arrow, 0);                                  // WinXP: the picture's own arrow only
    EXPECT_NE(C(c, b.Left + b.Width() / 2, b.Top + b.Height() / 2), C(c, b.Left + 1, b.Top + 1));
}

TEST_F(KivCombos, SimpleComboGetsNoSkinnedButtonOrFrame)
{
    auto* c = MakeCombo(csSimple);
    c->SetBorderColor(clRed);
    c->SetButtonColor(clRed);
    COMBOBOXINFO info;
    ASSERT_TRUE(KIVGetComboBoxInfo(c->Handle(), info));
    EXPECT_TRUE(info.rcButton.IsEmpty());
    int red = 0;
    for (int y = 0; y < 21; ++y)
        for (int x = 0; x < 150; ++x) red += C(c, x, y) == clRed;
    EXPECT_EQ(red, 0);
}

TEST_F(KivCombos, OpenListIsFramedInTheBorderColourInItsOwnWindow)
{
    auto* c = MakeCombo();
    c->SetBorderColor(clRed);
    bool framed = false, inside = false;
    headless->OnNextModal([&](TCustomForm& list) {
        auto shot = headless->Snapshot(list);
        const int w = shot->Width(), h = shot->Height();
        framed = shot->Pixel(0, 0) == clRed && shot->Pixel(w - 1, h - 1) == clRed && shot->Pixel(w / 2, 0) == clRed;
        inside = shot->Pixel(1, 1) != clRed;
        EXPECT_TRUE(c->DroppedDown());
        list.SetModalResult(mrCancel);
    });
    c->SetDroppedDown(true);
    EXPECT_TRUE(framed);
    EXPECT_TRUE(inside);
    // Nothing of the frame is left on the form below the combo.
    for (int x = 20; x < 170; ++x) EXPECT_NE(At(x, 42), clRed) << x;
}

TEST_F(KivCombos, MirroredComboHasItsButtonAtTheLeftWithTheLineAtItsRight)
{
    SetUserLocale("ar_EG.UTF-8");
    form->SetBiDiMode(bdRightToLeft);
    auto* c = MakeCombo();
    c->SetBorderColor(clNavy);
    c->SetButtonColor(clSilver);
    const TRect b = c->ButtonRect();
    EXPECT_EQ(b.Left, 2);
    EXPECT_EQ(C(c, b.Right - 1, b.Top + 3), clNavy);
    EXPECT_EQ(C(c, b.Left, b.Top + 3), clSilver);
    EXPECT_GT(c->EditRect().Left, b.Right - 1);
}

TEST_F(KivCombos, DriveAndFilterCombosAreSkinnedToo)
{
    auto* filters = new TkivFilterComboBox(form);
    filters->SetParent(form);
    filters->SetBounds(20, 60, 150, 21);
    filters->SetFilter("Video|*.vob;*.mpg|Text|*.txt");
    filters->SetButtonColor(clRed);
    auto* drives = new TkivDriveComboBox(form);
    drives->SetParent(form);
    drives->SetBounds(20, 100, 150, 21);
    form->Show();
    EXPECT_EQ(filters->ItemHeight(), 15);
    EXPECT_EQ(drives->ItemHeight(), 15);
    EXPECT_EQ(filters->Mask(), "*.vob;*.mpg");
    const TRect b = filters->ButtonRect();
    EXPECT_EQ(At(20 + b.Left + 2, 60 + b.Top + 1), clRed);
    bool opened = false;
    headless->OnNextModal([&](TCustomForm& list) {
        opened = true;
        list.SetModalResult(mrCancel);
    });
    filters->SetDroppedDown(true);
    EXPECT_TRUE(opened);
    EXPECT_FALSE(filters->DroppedDown());
}

} // namespace
