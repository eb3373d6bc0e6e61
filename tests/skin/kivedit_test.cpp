// Skinned edits: the border in the theme's colour, the number edit's key and
// value rules, the spin edit's clamping, keys, repeat on the test clock,
// refused clipboard messages and layout.
#include "kivcontrols_fixture.h"

#include "skin/kivedit.h"
#include "skin/kivthemes.h"

#include "vcl/clipbrd.h"

namespace {

class KivEdits : public KivControlsTest {
protected:
    template <class T>
    T* Make(int top, int width = 120)
    {
        auto* e = new T(form);
        e->SetParent(form);
        e->SetBounds(20, top, width, 21);
        return e;
    }
    size_t Beeps() const { return headless->Beeps().size(); }
};

TEST_F(KivEdits, BorderIsTheThemeColourWithTheControlColourInside)
{
    auto* e = Make<TkivEdit>(20);
    auto* m = Make<TkivMaskEdit>(60);
    e->SetColor(clWhite);
    m->SetColor(clWhite);
    form->Show();
    EXPECT_EQ(e->BorderStyle(), bsNone);
    EXPECT_EQ(e->BorderWidth(), 2);
    for (TkivUIStyle style : {MacOS, WinXP, DeepBlue, Protein, BlueGlass}) {
        e->SetBorderColor(clRed);
        e->SetUIStyle(style);
        EXPECT_EQ(e->BorderColor(), GetInsideThemeColor(style, 25));
    }
    e->SetBorderColor(clPurple);
    EXPECT_EQ(At(20, 20), clPurple);
    EXPECT_EQ(At(139, 40), clPurple);
    EXPECT_EQ(At(21, 21), clWhite);
    m->SetBorderColor(clNavy);
    m->SetEditMask("00:00;1;_");
    EXPECT_EQ(At(20, 60), clNavy);
    EXPECT_EQ(At(21, 61), clWhite);
}

TEST_F(KivEdits, NumberEditTakesOneSeparatorAndNoMinusWithoutOneInTheMask)
{
    auto* n = Make<TkivNumberEdit>(20);
    auto* other = Make<TkivEdit>(60);
    form->Show();
    EXPECT_EQ(n->Text(), "0.00");
    EXPECT_EQ(n->Alignment(), taRightJustify);
    n->SetFocus();
    n->SelectAll();
    headless->TypeText("12.5.3");          // the second "." beeps and is dropped
    EXPECT_EQ(n->Text(), "12.53");
    EXPECT_DOUBLE_EQ(n->Value(), 12.53);
    EXPECT_EQ(Beeps(), 1u);
    n->SetSelStart(0);
    headless->TypeText("-x");              // no "-" in "0.00"; letters beep too
    EXPECT_EQ(n->Text(), "12.53");
    EXPECT_EQ(Beeps(), 3u);

    // Leaving it empty writes the format's zero.
    n->SelectAll();
    headless->PressKey(VK_BACK);
    EXPECT_EQ(n->Text(), "");
    EXPECT_DOUBLE_EQ(n->Value(), 12.53);   // an empty text is no number yet
    other->SetFocus();
    EXPECT_EQ(n->Text(), "0.00");
    EXPECT_DOUBLE_EQ(n->Value(), 0);
}

TEST_F(KivEdits, NumberEditMinusFirstOnceAndHalfTypedNumbersLeaveTheValue)
{
    auto* n = Make<TkivNumberEdit>(20);
    auto* other = Make<TkivEdit>(60);
    n->SetMask("0.00;-0.00");
    n->SetValue(3.25);
    form->Show();
    other->SetFocus();
    n->SetFocus();
    EXPECT_EQ(n->SelText(), "25");         // entering selects the last two signs
    n->SelectAll();
    headless->TypeText("-");
    EXPECT_EQ(n->Text(), "-");
    EXPECT_DOUBLE_EQ(n->Value(), 3.25);    // "-" alone is no number yet
    headless->TypeText(".");               // "-." neither: no error, Value waits
    EXPECT_EQ(n->Text(), "-.");
    EXPECT_DOUBLE_EQ(n->Value(), 3.25);
    headless->TypeText("5-");              // a second "-", away from the start, beeps
    EXPECT_EQ(n->Text(), "-.5");
    EXPECT_DOUBLE_EQ(n->Value(), -0.5);
    other->SetFocus();
    EXPECT_EQ(n->Text(), "-0.50");

    n->SetText(".");                       // a stray separator on leaving keeps the last value
    n->SetFocus();
    other->SetFocus();
    EXPECT_EQ(n->Text(), "-0.50");

    n->SetMask("#,##0.00");                // thousands separators are read past
    n->SetValue(1234.5);
    EXPECT_EQ(n->Text(), "1,234.50");
    n->SetText("2,500.25");
    EXPECT_DOUBLE_EQ(n->Value(), 2500.25);
}

TEST_F(KivEdits, SpinEditClampsOnlyWhenTheFocusLeaves)
{
    auto* s = Make<TkivSpinEdit>(20, 60);
    auto* other = Make<TkivEdit>(60);
    s->SetMaxValue(59);
    form->Show();
    EXPECT_EQ(s->Text(), "0");
    s->SetFocus();
    s->SelectAll();
    headless->TypeText("75");
    EXPECT_EQ(s->Value(), 75);             // unclamped while typing
    EXPECT_EQ(s->Text(), "75");
    other->SetFocus();
    EXPECT_EQ(s->Text(), "59");
    EXPECT_EQ(s->Value(), 59);

    s->SetText("abc");
    EXPECT_EQ(s->Value(), 0);              // not a number: MinValue
    s->SetMinValue(5);
    EXPECT_EQ(s->Value(), 5);

    s->SetMinValue(0);                     // equal limits: anything goes
    s->SetMaxValue(0);
    s->SetValue(-500);
    EXPECT_EQ(s->Text(), "-500");
    s->SetValue(123456);
    EXPECT_EQ(s->Value(), 123456);
    s->SetFocus();
    other->SetFocus();
    EXPECT_EQ(s->Text(), "123456");
}

TEST_F(KivEdits, SpinEditKeysLettersAndReadOnly)
{
    auto* s = Make<TkivSpinEdit>(20, 60);
    s->SetMaxValue(23);
    s->SetIncrement(5);
    form->Show();
    s->SetFocus();
    headless->PressKey(VK_UP);
    EXPECT_EQ(s->Value(), 5);
    headless->PressKey(VK_UP);
    headless->PressKey(VK_UP);
    headless->PressKey(VK_UP);
    headless->PressKey(VK_UP);
    EXPECT_EQ(s->Value(), 23);             // the buttons and keys stop at the limit
    headless->PressKey(VK_DOWN);
    EXPECT_EQ(s->Value(), 18);

    s->SelectAll();
    const size_t before = Beeps();
    headless->TypeText("1a2");             // the letter beeps and goes nowhere
    EXPECT_EQ(s->Text(), "12");
    EXPECT_EQ(Beeps(), before + 1);
    headless->TypeText("-");               // "-" is taken wherever the caret is
    EXPECT_EQ(s->Text(), "12-");
    EXPECT_EQ(s->Value(), 0);

    s->SetText("7");
    s->SetReadOnly(true);
    headless->PressKey(VK_UP);             // read-only: a beep, no step
    EXPECT_EQ(s->Value(), 7);
    EXPECT_EQ(Beeps(), before + 2);
}

TEST_F(KivEdits, SpinButtonsStepOnClickAndEvery400MsWhileHeld)
{
    auto* s = Make<TkivSpinEdit>(20, 60);
    s->SetMaxValue(100);
    form->Show();
    TkivArrowButton* up = s->Buttons()->UpButton();
    const TPoint p = up->ClientToScreen(Point(up->Width() / 2, up->Height() / 2));
    const TPoint inForm = form->ScreenToClient(p);
    headless->MouseMove(*form, inForm.X, inForm.Y);
    headless->MouseDown(*form, inForm.X, inForm.Y);
    EXPECT_EQ(s->Value(), 0);
    clock.Advance(399);
    app->ProcessMessages();
    EXPECT_EQ(s->Value(), 0);
    clock.Advance(1);
    app->ProcessMessages();
    EXPECT_EQ(s->Value(), 1);
    clock.Advance(400);
    app->ProcessMessages();
    EXPECT_EQ(s->Value(), 2);
    headless->MouseUp(*form, inForm.X, inForm.Y); // the release inside is the click
    EXPECT_EQ(s->Value(), 3);
    clock.Advance(2000);
    app->ProcessMessages();
    EXPECT_EQ(s->Value(), 3);

    TkivArrowButton* down = s->Buttons()->DownButton();
    const TPoint q = form->ScreenToClient(down->ClientToScreen(Point(down->Width() / 2, down->Height() / 2)));
    headless->Click(*form, q.X, q.Y);
    EXPECT_EQ(s->Value(), 2);
}

TEST_F(KivEdits, SpinEditRefusesCutAndPasteWhenNotEditable)
{
    auto* s = Make<TkivSpinEdit>(20, 60);
    form->Show();
    s->SetText("42");
    s->SetFocus();
    Clipboard()->SetAsText("17");
    s->SetEditorEnabled(false);
    s->SelectAll();
    headless->PressKey('V', ssCtrl);
    EXPECT_EQ(s->Text(), "42");
    headless->PressKey('X', ssCtrl);
    EXPECT_EQ(s->Text(), "42");
    EXPECT_EQ(Clipboard()->AsText(), "17");
    const size_t before = Beeps();
    headless->TypeText("5");               // without the editor, digits are refused too
    EXPECT_EQ(s->Text(), "42");
    EXPECT_EQ(Beeps(), before + 1);
    headless->PressKey(VK_UP);             // the buttons and keys still step
    EXPECT_EQ(s->Text(), "43");

    s->SetEditorEnabled(true);
    s->SetReadOnly(true);
    s->SelectAll();
    headless->PressKey('V', ssCtrl);
    EXPECT_EQ(s->Text(), "43");
    s->SetReadOnly(false);
    headless->PressKey('V', ssCtrl);
    EXPECT_EQ(s->Text(), "17");
}

TEST_F(KivEdits, SpinButtonsSitInsideTheBorderAndFollowTheStyle)
{
    auto* s = Make<TkivSpinEdit>(20, 80);
    s->SetBounds(20, 20, 80, 25);
    form->Show();
    TkivSpinButtons* b = s->Buttons();
    EXPECT_EQ(b->Width(), 15);
    EXPECT_EQ(b->Left(), 80 - 15 - 2);
    EXPECT_EQ(b->Top(), 2);
    EXPECT_EQ(b->Height(), 21);
    EXPECT_EQ(b->UpButton()->BoundsRect(), Rect(0, 0, 15, 21 / 2 + 1));
    EXPECT_EQ(b->DownButton()->Top(), b->UpButton()->Height() - 1);
    EXPECT_EQ(b->DownButton()->Height(), 21 - b->UpButton()->Height() + 1);
    EXPECT_EQ(s->EditRect().Right, 80 - 15 - 4);
    EXPECT_FALSE(b->UpButton()->TabStop());
    s->SetUIStyle(MacOS);
    EXPECT_EQ(b->UIStyle(), MacOS);
    EXPECT_EQ(b->DownButton()->UIStyle(), MacOS);
    b->SetWidth(6);                        // never narrower than 15
    EXPECT_EQ(b->Width(), 15);
}

} // namespace
