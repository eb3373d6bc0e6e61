// Button and check-box state machines driven by synthesised input.
#include "kivcontrols_fixture.h"

#include "skin/kivbutton.h"
#include "skin/kivmgr.h"

#include "gfx/picture.h"
#include "vcl/messages.h"

namespace {

class KivButtons : public KivControlsTest {
protected:
    // An image button with four distinct one-colour pictures.
    TkivImageButton* MakeImageButton()
    {
        auto* b = new TkivImageButton(form);
        b->SetParent(form);
        b->SetBounds(20, 20, 40, 20);
        const TColor colours[4] = {clRed, clLime, clBlue, clGray};
        TPicture* pics[4] = {b->PicNormal(), b->PicMouseOn(), b->PicMouseDown(), b->PicDisabled()};
        for (int i = 0; i < 4; ++i) {
            TBitmap bmp = Solid(40, 20, colours[i], colours[i]);
            pics[i]->SetGraphic(&bmp);
        }
        form->Show();
        return b;
    }
};

TEST_F(KivButtons, ImageButtonShowsEachStatePicture)
{
    auto* b = MakeImageButton();
    int clicks = 0;
    b->OnClick = [&](TObject*) { ++clicks; };
    EXPECT_EQ(At(30, 30), clRed);
    headless->MouseMove(*form, 30, 30);
    EXPECT_TRUE(b->MouseOn());
    EXPECT_EQ(At(30, 30), clLime);
    headless->MouseDown(*form, 30, 30);
    EXPECT_TRUE(b->IsMouseDown());
    EXPECT_EQ(At(30, 30), clBlue);
    headless->MouseUp(*form, 30, 30);
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(b->IsMouseDown());
    EXPECT_EQ(At(30, 30), clLime);
    b->SetEnabled(false);
    EXPECT_EQ(At(30, 30), clGray);
}

TEST_F(KivButtons, OnlyNormalPictureServesEveryState)
{
    auto* b = new TkivImageButton(form);
    b->SetParent(form);
    b->SetBounds(20, 20, 40, 20);
    TBitmap bmp = Solid(40, 20, clRed, clRed);
    b->PicNormal()->SetGraphic(&bmp);
    form->Show();
    headless->MouseMove(*form, 30, 30);
    EXPECT_EQ(At(30, 30), clRed);
    headless->MouseDown(*form, 30, 30);
    EXPECT_EQ(At(30, 30), clRed);
    headless->MouseUp(*form, 30, 30);
    b->SetEnabled(false);
    EXPECT_EQ(At(30, 30), clRed);
}

TEST_F(KivButtons, LeavingWhilePressedCancelsTheClickAndTheRepeat)
{
    auto* b = MakeImageButton();
    int clicks = 0, repeats = 0;
    b->OnClick = [&](TObject*) { ++clicks; };
    b->OnMouseContinuouslyDown = [&](TObject*) { ++repeats; };
    headless->MouseMove(*form, 30, 30);
    headless->MouseDown(*form, 30, 30);
    EXPECT_TRUE(b->Repeating());
    clock.Advance(100);
    app->ProcessMessages();
    EXPECT_EQ(repeats, 1);
    clock.Advance(100);
    app->ProcessMessages();
    EXPECT_EQ(repeats, 2);
    headless->MouseMove(*form, 150, 150);
    EXPECT_FALSE(b->IsMouseDown());
    EXPECT_FALSE(b->MouseOn());
    headless->MouseMove(*form, 30, 30); // back inside: no pressed look until the next press
    EXPECT_FALSE(b->IsMouseDown());
    EXPECT_EQ(At(30, 30), clLime);
    headless->MouseMove(*form, 150, 150);
    headless->MouseUp(*form, 150, 150);
    EXPECT_EQ(clicks, 0);
    EXPECT_FALSE(b->Repeating());
    clock.Advance(500);
    app->ProcessMessages();
    EXPECT_EQ(repeats, 2);
}

TEST_F(KivButtons, RepeatStopsOnReleaseAndZeroIntervalNeverFires)
{
    auto* b = MakeImageButton();
    int repeats = 0;
    b->OnMouseContinuouslyDown = [&](TObject*) { ++repeats; };
    b->SetMouseContinuouslyDownInterval(-5);
    headless->MouseDown(*form, 30, 30);
    for (int i = 0; i < 5; ++i) {
        clock.Advance(1000);
        app->ProcessMessages();
    }
    EXPECT_EQ(repeats, 0);
    headless->MouseUp(*form, 30, 30);
    EXPECT_FALSE(b->Repeating());
}

TEST_F(KivButtons, ClickSetsTheFormsModalResult)
{
    auto* b = MakeImageButton();
    b->SetModalResult(mrOk);
    headless->Click(*form, 30, 30);
    EXPECT_EQ(form->ModalResult(), mrOk);
    b->SetModalResult(mrNone);
    form->SetModalResult(mrCancel);
    headless->Click(*form, 30, 30);
    EXPECT_EQ(form->ModalResult(), mrNone);
}

TEST_F(KivButtons, AutoSizeTakesThePictureSize)
{
    auto* b = new TkivImageButton(form);
    b->SetParent(form);
    b->SetAutoSize(true);
    TBitmap bmp = Solid(33, 17, clRed, clRed);
    b->PicNormal()->SetGraphic(&bmp);
    EXPECT_EQ(b->Width(), 33);
    EXPECT_EQ(b->Height(), 17);
}

TEST_F(KivButtons, TransparentImageButtonKeysTheCornerColour)
{
    auto* b = new TkivImageButton(form);
    b->SetParent(form);
    b->SetBounds(20, 20, 40, 20);
    TBitmap bmp = Solid(40, 20, clRed, clBlue);
    bmp.SetPixel(5, 5, clBlue);
    b->PicNormal()->SetGraphic(&bmp);
    b->SetTransparent(true);
    form->Show();
    EXPECT_EQ(At(25, 25), clWhite); // the form shows through the keyed pixel
    EXPECT_EQ(At(30, 30), clRed);
}

TEST_F(KivButtons, SpaceAndEnterPressTheFocusedButton)
{
    auto* b = MakeImageButton();
    int clicks = 0;
    b->OnClick = [&](TObject*) { ++clicks; };
    form->Show();
    b->SetFocus();
    headless->KeyDown(VK_SPACE);
    EXPECT_TRUE(b->IsMouseDown());
    headless->KeyUp(VK_SPACE);
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(b->IsMouseDown());
}

TEST_F(KivButtons, DefaultAndCancelKeys)
{
    auto* ok = new TkivButton(form);
    ok->SetParent(form);
    ok->SetBounds(10, 10, 80, 27);
    ok->SetCaption("OK");
    auto* other = new TkivButton(form);
    other->SetParent(form);
    other->SetBounds(100, 10, 80, 27);
    auto* cancel = new TkivImageButton(form);
    cancel->SetParent(form);
    cancel->SetBounds(10, 60, 40, 20);
    cancel->SetCancel(true);
    int okClicks = 0, otherClicks = 0, cancelClicks = 0;
    ok->OnClick = [&](TObject*) { ++okClicks; };
    other->OnClick = [&](TObject*) { ++otherClicks; };
    cancel->OnClick = [&](TObject*) { ++cancelClicks; };
    form->Show();
    ok->SetDefault(true);
    cancel->SetFocus();
    headless->PressKey(VK_RETURN);
    EXPECT_EQ(okClicks, 1);
    headless->PressKey(VK_RETURN, ssCtrl); // not the dialog's key: the focused button takes it
    EXPECT_EQ(okClicks, 1);
    EXPECT_EQ(cancelClicks, 1);
    cancelClicks = 0;
    other->SetFocus(); // another push button has the focus: Enter is its own
    headless->PressKey(VK_RETURN);
    EXPECT_EQ(okClicks, 1);
    EXPECT_EQ(otherClicks, 1);
    headless->PressKey(VK_ESCAPE);
    EXPECT_EQ(cancelClicks, 1);
    headless->PressKey(VK_ESCAPE, ssShift);
    EXPECT_EQ(cancelClicks, 1);
}

TEST_F(KivButtons, AcceleratorClicksAndBlankCaptionIsNotDrawn)
{
    auto* b = new TkivButton(form);
    b->SetParent(form);
    b->SetBounds(10, 10, 80, 27);
    b->SetUIStyle(WinXP);
    b->SetTabStop(false);
    int clicks = 0;
    b->OnClick = [&](TObject*) { ++clicks; };
    form->Show();
    auto blank = headless->Snapshot(*form);
    b->SetCaption("   ");
    auto spaced = headless->Snapshot(*form);
    for (int y = 10; y < 37; ++y)
        for (int x = 10; x < 90; ++x) ASSERT_EQ(blank->Pixel(x, y), spaced->Pixel(x, y)) << x << "," << y;
    b->SetCaption("&Go");
    headless->Char('g');
    EXPECT_EQ(clicks, 1);
    b->SetEnabled(false);
    headless->Char('g');
    EXPECT_EQ(clicks, 1);
}

TEST_F(KivButtons, TwoImageGlyphShowsTheSecondWhenDisabled)
{
    auto* b = new TkivButton(form);
    b->SetParent(form);
    b->SetBounds(10, 10, 80, 40);
    TBitmap glyph(32, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 32; ++x) glyph.SetPixel(x, y, x < 16 ? clRed : clBlue);
    glyph.SetPixel(0, 0, clWhite);
    glyph.SetPixel(16, 0, clWhite);
    b->SetGlyph(glyph);
    form->Show();
    // No caption: the glyph is centred at ((80 - 16 - 4) / 2, (40 - 16) / 2).
    const int gx = 10 + (80 - (b->Canvas()->TextWidth("") + 16 + 4)) / 2, gy = 10 + 12;
    EXPECT_EQ(At(gx + 8, gy + 8), clRed);
    b->SetEnabled(false);
    EXPECT_EQ(At(gx + 8, gy + 8), clBlue);
}

TEST_F(KivButtons, RemovedFileThemeReturnsToDeepBlue)
{
    auto* theme = new TkivFileTheme(form);
    auto* b = new TkivButton(form);
    auto* c = new TkivCheckBox(form);
    b->SetUIStyle(FromThemeFile);
    b->SetFileTheme(theme);
    c->SetUIStyle(FromThemeFile);
    c->SetFileTheme(theme);
    theme->Free();
    EXPECT_EQ(b->FileTheme(), nullptr);
    EXPECT_EQ(b->UIStyle(), DeepBlue);
    EXPECT_EQ(c->FileTheme(), nullptr);
    EXPECT_EQ(c->UIStyle(), DeepBlue);
}

TEST_F(KivButtons, PushButtonPaintsTheThemeFrameOfEachState)
{
    for (TkivUIStyle style : {MacOS, WinXP, DeepBlue, Protein, BlueGlass}) {
        SCOPED_TRACE(style);
        auto* b = new TkivButton(form);
        b->SetParent(form);
        b->SetBounds(20, 20, 80, 27);
        b->SetUIStyle(style);
        b->SetTabStop(false);
        form->Show();
        TBitmap frames[3];
        for (int f = 0; f < 3; ++f) GetInsideThemeBitmap(style, 1, &frames[f], 3, f + 1);
        auto centre = [&](int f) { return frames[f].Pixel(frames[f].Width() / 2, frames[f].Height() / 2); };
        EXPECT_EQ(At(60, 33), centre(0));
        headless->MouseMove(*form, 60, 33);
        EXPECT_EQ(At(60, 33), centre(1));
        headless->MouseDown(*form, 60, 33);
        EXPECT_EQ(At(60, 33), centre(2));
        headless->MouseUp(*form, 60, 33);
        b->SetEnabled(false); // the disabled state shows the normal frame
        headless->MouseMove(*form, 200, 150);
        EXPECT_EQ(At(60, 33), centre(0));
        b->Free();
    }
}

TEST_F(KivButtons, ArrowButtonDrawsItsTriangle)
{
    auto* b = new TkivArrowButton(form);
    b->SetParent(form);
    b->SetBounds(20, 20, 16, 12);
    form->Show();
    // X0 = 5, Y0 = 4: the up arrow's apex is (8, 4), its base the row of y 7.
    EXPECT_EQ(At(20 + 8, 20 + 5), clBlack);
    EXPECT_NE(At(20 + 5, 20 + 4), clBlack);
    b->SetArrow(kivDown);
    EXPECT_EQ(At(20 + 8, 20 + 5), clBlack);
    EXPECT_EQ(At(20 + 6, 20 + 4), clBlack);
}

TEST_F(KivButtons, ControlButtonTakesItsFrameSize)
{
    auto* b = new TkivControlButton(form);
    b->SetParent(form);
    b->SetBounds(20, 20, 50, 50);
    b->SetThemeID(5);
    b->SetPicCount(18);
    b->SetPicIndex(16);
    EXPECT_FALSE(b->TabStop());
    form->Show();
    At(0, 0); // paints the form
    TBitmap frame;
    GetInsideThemeBitmap(DeepBlue, 5, &frame, 18, 16);
    EXPECT_EQ(b->Width(), frame.Width());
    EXPECT_EQ(b->Height(), frame.Height());
}

// Every built-in style's button pictures, drawn the way the library draws them
// (the close frame keyed as a title bar keys it), leave no key colour on screen.
TEST_F(KivButtons, NoKeyColourShowsInAnyStyle)
{
    for (TkivUIStyle style : {MacOS, WinXP, DeepBlue, Protein, BlueGlass}) {
        auto* host = NewForm<TForm>(app.get());
        host->SetBounds(0, 0, 240, 120);
        host->SetColor(clWhite);
        auto place = [&](auto* control, int left, int top, int width, int height) {
            control->SetParent(host);
            control->SetBounds(left, top, width, height);
            control->SetUIStyle(style);
            return control;
        };
        place(new TkivButton(host), 4, 4, 80, 27)->SetCaption("OK");
        place(new TkivArrowButton(host), 90, 4, 17, 12);
        auto* close = place(new TkivControlButton(host), 110, 4, 20, 20);
        close->SetThemeID(5);
        close->SetPicCount(18);
        close->SetPicIndex(16);
        close->SetPicTransparent(GetInsideThemeBool(style, 6));
        for (int k = 0; k < 3; ++k) {
            auto* box = place(new TkivCheckBox(host), 4, 36 + k * 24, 93, 21);
            box->SetCaption("Box");
            box->SetChecked(k != 1);
            box->SetEnabled(k != 2);
            auto* radio = place(new TkivRadioButton(host), 120, 36 + k * 24, 93, 21);
            radio->SetCaption("Radio");
            radio->SetChecked(k != 1);
            radio->SetEnabled(k != 2);
        }
        host->Show();
        const std::unique_ptr<TBitmap> shot = headless->Snapshot(*host);
        ASSERT_TRUE(shot);
        int keyed = 0;
        for (int y = 0; y < shot->Height(); ++y)
            for (int x = 0; x < shot->Width(); ++x) keyed += shot->Pixel(x, y) == clFuchsia;
        EXPECT_EQ(keyed, 0) << "style " << int(style);
        delete host;
    }
}

// --- check boxes and radio buttons --------------------------------------------
TEST_F(KivButtons, CheckBoxFiresOnlyOnChangeAndNeverWhileLoading)
{
    auto* c = new TkivCheckBox(form);
    c->SetParent(form);
    c->SetCaption("Add menu");
    int fired = 0;
    c->OnClick = [&](TObject* s) {
        EXPECT_EQ(s, c);
        ++fired;
    };
    c->SetChecked(false);
    EXPECT_EQ(fired, 0);
    c->SetChecked(true);
    EXPECT_EQ(fired, 1);
    c->SetState(cbGrayed);
    EXPECT_FALSE(c->Checked());
    EXPECT_EQ(c->State(), cbUnchecked);
    EXPECT_EQ(fired, 2);
    form->BeginLoading();
    c->SetChecked(true);
    form->EndLoading();
    EXPECT_TRUE(c->Checked());
    EXPECT_EQ(fired, 2);
}

TEST_F(KivButtons, CheckBoxTogglesOnClickAndSpaceAndShowsItsFrame)
{
    auto* c = new TkivCheckBox(form);
    c->SetParent(form);
    c->SetLeft(20);
    c->SetTop(20);
    c->SetCaption("Box");
    form->Show();
    auto unchecked = headless->Snapshot(*form);
    headless->ClickControl(*c);
    EXPECT_TRUE(c->Checked());
    auto checked = headless->Snapshot(*form);
    bool differs = false;
    for (int y = 20; y < 20 + c->Height(); ++y)
        for (int x = 20; x < 40; ++x) differs |= unchecked->Pixel(x, y) != checked->Pixel(x, y);
    EXPECT_TRUE(differs);
    EXPECT_TRUE(c->Focused());
    headless->PressKey(VK_SPACE);
    EXPECT_FALSE(c->Checked());
    // Auto-size: the picture, 8 pixels and the caption.
    EXPECT_GT(c->Width(), c->Canvas()->TextWidth("Box"));
}

TEST_F(KivButtons, RadioButtonsUncheckTheirGroupOnly)
{
    auto* a = new TkivRadioButton(form);
    auto* b = new TkivRadioButton(form);
    auto* other = new TkivRadioButton(form);
    for (auto* r : {a, b, other}) r->SetParent(form);
    a->SetBounds(10, 10, 90, 20);
    b->SetBounds(10, 40, 90, 20);
    other->SetBounds(10, 70, 90, 20);
    for (auto* r : {a, b, other}) r->SetAutoSize(false);
    other->SetGroupIndex(1);
    int aFired = 0, bFired = 0, otherFired = 0;
    a->OnClick = [&](TObject*) { ++aFired; };
    b->OnClick = [&](TObject*) { ++bFired; };
    other->OnClick = [&](TObject*) { ++otherFired; };
    form->Show();
    other->SetChecked(true);
    headless->ClickControl(*a);
    EXPECT_TRUE(a->Checked());
    EXPECT_EQ(aFired, 1);
    headless->ClickControl(*a); // already checked: nothing
    EXPECT_EQ(aFired, 1);
    headless->ClickControl(*b);
    EXPECT_TRUE(b->Checked());
    EXPECT_FALSE(a->Checked());
    EXPECT_EQ(aFired, 1); // unchecking fires nothing
    EXPECT_EQ(bFired, 1);
    EXPECT_TRUE(other->Checked());
    EXPECT_EQ(otherFired, 1);
}

} // namespace
