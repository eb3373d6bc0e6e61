// Labels, buttons, check and radio boxes and group boxes driven like a user would.
#include "democontrols.h"

#include "gfx/bitmap.h"
#include "vcl/buttons.h"
#include "vcl/extctrls.h"
#include "vcl/stdctrls.h"

namespace {

class StdCtrls : public HeadlessTest {
protected:
    void SetUp() override
    {
        HeadlessTest::SetUp();
        form = MakeForm(240, 160);
    }
    // Pixels of `ink` inside r of the form's picture.
    int CountInk(const TRect& r, TColor ink)
    {
        auto shot = headless->Snapshot(*form);
        int n = 0;
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = r.Left; x < r.Right; ++x)
                if (shot->Pixel(x, y) == ink) ++n;
        return n;
    }
    // Pixels differing from `background` inside r.
    int CountNot(const TRect& r, TColor background)
    {
        auto shot = headless->Snapshot(*form);
        int n = 0;
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = r.Left; x < r.Right; ++x)
                if (shot->Pixel(x, y) != background) ++n;
        return n;
    }
    TLabel* MakeLabel(const std::string& caption, int x = 10, int y = 10)
    {
        auto* l = new TLabel(form);
        l->SetParent(form);
        l->SetLeft(x);
        l->SetTop(y);
        l->SetCaption(caption);
        return l;
    }
    int TextWidth(const std::string& s)
    {
        TCanvas c;
        c.SetFont(*form->Font());
        return c.TextWidth(s);
    }
    int LineHeight()
    {
        TCanvas c;
        c.SetFont(*form->Font());
        return c.TextHeight("Xg");
    }
    TForm* form = nullptr;
};

// --- labels -------------------------------------------------------------------

TEST_F(StdCtrls, AutoSizedLabelFitsItsTextAndAnEmptyOneKeepsALineHigh)
{
    TLabel* l = MakeLabel("Clip name :");
    EXPECT_EQ(l->Width(), TextWidth("Clip name :"));
    EXPECT_EQ(l->Height(), LineHeight());
    l->SetCaption("");
    EXPECT_EQ(l->Height(), LineHeight());
    EXPECT_LE(l->Width(), TextWidth(" "));
    // "&&" shows one ampersand; the accelerator mark takes no room.
    l->SetCaption("&Save && go");
    EXPECT_EQ(l->Width(), TextWidth("Save & go"));
    l->SetShowAccelChar(false);
    EXPECT_EQ(l->Width(), TextWidth("&Save && go"));

    l->SetAutoSize(false);
    l->SetCaption("a much longer caption than before");
    EXPECT_EQ(l->Width(), TextWidth("&Save && go"));

    // A bigger font grows the label.
    l->SetAutoSize(true);
    const int h = l->Height();
    TFont big;
    big.Assign(*l->Font());
    big.SetSize(big.Size() * 2);
    l->SetFont(big);
    EXPECT_GT(l->Height(), h);
}

TEST_F(StdCtrls, RightAlignedAutoSizeKeepsTheRightEdge)
{
    TLabel* l = MakeLabel("wide caption text");
    l->SetAutoSize(false);
    l->SetBounds(20, 10, 150, 20);
    l->SetAlignment(taRightJustify);
    l->SetAutoSize(true);
    EXPECT_EQ(l->Left() + l->Width(), 170);
    l->SetCaption("x");
    EXPECT_EQ(l->Left() + l->Width(), 170);
}

TEST_F(StdCtrls, WordWrappedLabelKeepsItsWidthAndGrowsDown)
{
    TLabel* l = MakeLabel("");
    l->SetAutoSize(false);
    l->SetBounds(10, 10, 60, 10);
    l->SetWordWrap(true);
    l->SetAutoSize(true);
    l->SetCaption("one two three four five six");
    EXPECT_EQ(l->Width(), 60);
    EXPECT_GE(l->Height(), 3 * LineHeight());
    form->Show();
    // Every line carries ink, nothing is drawn past the width.
    for (int line = 0; line < l->Height() / LineHeight(); ++line)
        EXPECT_GT(CountInk(Rect(10, 10 + line * LineHeight(), 70, 10 + (line + 1) * LineHeight()), clBlack), 0)
            << "line " << line;
    EXPECT_EQ(CountInk(Rect(70, 10, 240, 10 + l->Height()), clBlack), 0);
    // Widening reflows to fewer lines.
    const int tall = l->Height();
    l->SetWidth(200);
    EXPECT_LT(l->Height(), tall);
}

TEST_F(StdCtrls, OpaqueLabelFillsWithItsColourTransparentShowsTheParent)
{
    TLabel* l = MakeLabel("Ab");
    l->SetAutoSize(false);
    l->SetBounds(10, 10, 80, 20);
    form->Show();
    // Parent colour by default.
    EXPECT_EQ(headless->PixelAt(*form, 85, 15), clWhite);
    l->SetColor(clYellow);
    EXPECT_EQ(headless->PixelAt(*form, 85, 15), clYellow);
    EXPECT_GT(CountInk(Rect(10, 10, 90, 30), clBlack), 0);
    l->SetTransparent(true);
    EXPECT_EQ(headless->PixelAt(*form, 85, 15), clWhite);
    EXPECT_GT(CountInk(Rect(10, 10, 90, 30), clBlack), 0);
    // A picture below a transparent label stays visible around the text.
    auto* under = new TDemoLabel(form);
    under->SetParent(form);
    under->SetBounds(10, 10, 80, 20);
    l->BringToFront();
    EXPECT_EQ(headless->PixelAt(*form, 85, 15), clNavy);
}

TEST_F(StdCtrls, AlignmentAndLayoutPlaceTheText)
{
    TLabel* l = MakeLabel("II");
    l->SetAutoSize(false);
    l->SetBounds(0, 0, 240, 60);
    form->Show();
    const int tw = TextWidth("II");
    EXPECT_GT(CountInk(Rect(0, 0, tw + 1, 60), clBlack), 0);
    l->SetAlignment(taCenter);
    EXPECT_EQ(CountInk(Rect(0, 0, 100, 60), clBlack), 0);
    EXPECT_GT(CountInk(Rect(100, 0, 140, 60), clBlack), 0);
    l->SetAlignment(taRightJustify);
    EXPECT_EQ(CountInk(Rect(0, 0, 240 - tw - 1, 60), clBlack), 0);
    EXPECT_GT(CountInk(Rect(240 - tw - 1, 0, 240, 60), clBlack), 0);

    const int lh = LineHeight();
    EXPECT_GT(CountInk(Rect(0, 0, 240, lh), clBlack), 0);
    l->SetLayout(tlBottom);
    EXPECT_EQ(CountInk(Rect(0, 0, 240, 60 - lh), clBlack), 0);
    l->SetLayout(tlCenter);
    EXPECT_EQ(CountInk(Rect(0, 0, 240, (60 - lh) / 2), clBlack), 0);
    EXPECT_EQ(CountInk(Rect(0, (60 + lh) / 2 + 1, 240, 60), clBlack), 0);
    EXPECT_GT(CountInk(Rect(0, 20, 240, 40), clBlack), 0);
}

TEST_F(StdCtrls, DisabledLabelIsEmbossed)
{
    TLabel* l = MakeLabel("Mmm");
    form->Show();
    l->SetEnabled(false);
    const TRect r = Rect(10, 10, 10 + l->Width() + 1, 10 + l->Height() + 1);
    EXPECT_EQ(CountInk(r, clBlack), 0);
    EXPECT_GT(CountInk(r, ColorToRGB(clBtnShadow)), 0);
    EXPECT_GT(CountInk(r, ColorToRGB(clBtnHighlight)), 0);
}

TEST_F(StdCtrls, LabelAcceleratorFocusesItsControl)
{
    auto* a = new TDemoButton(form);
    a->SetParent(form);
    a->SetBounds(10, 100, 75, 25);
    auto* b = new TDemoButton(form);
    b->SetParent(form);
    b->SetBounds(100, 100, 75, 25);
    TLabel* l = MakeLabel("&Name :");
    l->SetFocusControl(b);
    form->Show();
    a->SetFocus();
    headless->PressKey('N', ssAlt);
    EXPECT_TRUE(b->Focused());

    // Without the mark, or disabled, nothing moves.
    a->SetFocus();
    l->SetEnabled(false);
    headless->PressKey('N', ssAlt);
    EXPECT_TRUE(a->Focused());
    l->SetEnabled(true);
    l->SetShowAccelChar(false);
    headless->PressKey('N', ssAlt);
    EXPECT_TRUE(a->Focused());

    // The focus control going away clears the link.
    l->SetShowAccelChar(true);
    b->Free();
    EXPECT_EQ(l->FocusControl(), nullptr);
    headless->PressKey('N', ssAlt);
    EXPECT_TRUE(a->Focused());
}

TEST_F(StdCtrls, LabelClicksAndMouseEventsReachTheHandlers)
{
    TLabel* l = MakeLabel("Click me");
    form->Show();
    int clicks = 0, dbl = 0, downs = 0;
    l->OnClick = [&](TObject*) { ++clicks; };
    l->OnDblClick = [&](TObject*) { ++dbl; };
    l->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { ++downs; };
    headless->ClickControl(*l);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(downs, 1);
    headless->DoubleClick(*form, 12, 12);
    EXPECT_EQ(dbl, 1);
}

// --- push buttons ------------------------------------------------------------

template <class T>
T* Place(TWinControl* parent, int x, int y, int w, int h, const std::string& caption = "")
{
    auto* c = new T(parent);
    c->SetParent(parent);
    c->SetBounds(x, y, w, h);
    if (!caption.empty()) c->SetCaption(caption);
    return c;
}

TEST_F(StdCtrls, ButtonClicksOnAReleaseInsideOnlyAndLooksPushedWhileHeld)
{
    auto* b = Place<TButton>(form, 20, 20, 80, 30, "OK");
    int clicks = 0;
    b->OnClick = [&](TObject*) { ++clicks; };
    form->Show();
    const TColor raised = headless->PixelAt(*form, 20, 20); // highlight edge
    headless->MouseDown(*form, 50, 35);
    EXPECT_TRUE(b->Pressed());
    EXPECT_TRUE(b->Focused()); // a press takes the focus
    EXPECT_NE(headless->PixelAt(*form, 21, 21), raised);
    headless->MouseMove(*form, 150, 100, ssLeft); // dragged off: springs up
    EXPECT_FALSE(b->Pressed());
    headless->MouseUp(*form, 150, 100);
    EXPECT_EQ(clicks, 0);
    headless->Click(*form, 50, 35);
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(b->Pressed());
    // Two quick clicks are two clicks.
    headless->DoubleClick(*form, 50, 35);
    EXPECT_EQ(clicks, 3);
    // Disabled buttons ignore the mouse.
    b->SetEnabled(false);
    headless->Click(*form, 50, 35);
    EXPECT_EQ(clicks, 3);
}

TEST_F(StdCtrls, ButtonSpaceEnterAndAcceleratorPressIt)
{
    auto* a = Place<TButton>(form, 10, 10, 80, 25, "&Apply");
    auto* b = Place<TButton>(form, 100, 10, 80, 25, "&Browse");
    int ca = 0, cb = 0;
    a->OnClick = [&](TObject*) { ++ca; };
    b->OnClick = [&](TObject*) { ++cb; };
    form->Show();
    a->SetFocus();
    headless->KeyDown(VK_SPACE);
    EXPECT_TRUE(a->Pressed());
    EXPECT_EQ(ca, 0);
    headless->KeyUp(VK_SPACE);
    EXPECT_EQ(ca, 1);
    headless->PressKey(VK_RETURN); // the focused button takes Enter
    EXPECT_EQ(ca, 2);
    headless->PressKey('B', ssAlt);
    EXPECT_EQ(cb, 1);
    headless->PressKey('B'); // a button does not want characters: plain letters are accelerators too
    EXPECT_EQ(cb, 2);
    // Tab moves the focus between them.
    headless->PressKey(VK_TAB);
    EXPECT_TRUE(b->Focused());
    headless->PressKey(VK_TAB, ssShift);
    EXPECT_TRUE(a->Focused());
}

TEST_F(StdCtrls, DefaultButtonTakesEnterUnlessAnotherButtonHasTheFocusCancelTakesEscape)
{
    auto* ok = Place<TButton>(form, 10, 10, 80, 25, "OK");
    auto* cancel = Place<TButton>(form, 100, 10, 80, 25, "Cancel");
    auto* box = Place<TCheckBox>(form, 10, 50, 100, 20, "Tick");
    ok->SetDefault(true);
    cancel->SetCancel(true);
    int oks = 0, cancels = 0;
    ok->OnClick = [&](TObject*) { ++oks; };
    cancel->OnClick = [&](TObject*) { ++cancels; };
    form->Show();
    box->SetFocus();
    headless->PressKey(VK_RETURN);
    EXPECT_EQ(oks, 1);
    headless->PressKey(VK_ESCAPE);
    EXPECT_EQ(cancels, 1);
    cancel->SetFocus();
    headless->PressKey(VK_RETURN);
    EXPECT_EQ(oks, 1);
    EXPECT_EQ(cancels, 2);
    // Back on a non-button the default one takes Enter again; a disabled one never.
    box->SetFocus();
    ok->SetEnabled(false);
    headless->PressKey(VK_RETURN);
    EXPECT_EQ(oks, 1);
}

TEST_F(StdCtrls, ModalResultOfAButtonEndsTheModalForm)
{
    auto* dlg = MakeForm(200, 100);
    auto* yes = Place<TButton>(dlg, 10, 10, 80, 25, "Yes");
    auto* no = Place<TButton>(dlg, 100, 10, 80, 25, "No");
    yes->SetModalResult(mrYes);
    no->SetModalResult(mrNo);
    no->SetCancel(true);
    headless->OnNextModal([&](TCustomForm&) { headless->ClickControl(*yes); });
    EXPECT_EQ(dlg->ShowModal(), mrYes);
    headless->OnNextModal([&](TCustomForm&) { headless->PressKey(VK_ESCAPE); });
    EXPECT_EQ(dlg->ShowModal(), mrNo);
    EXPECT_TRUE(headless->UnscriptedModals().empty());
}

TEST_F(StdCtrls, ButtonClickOpeningADialogSeesItRaised)
{
    auto* b = Place<TButton>(form, 10, 10, 80, 25, "Open");
    bool pressedInside = true;
    b->OnClick = [&](TObject*) { pressedInside = b->Pressed(); };
    form->Show();
    headless->ClickControl(*b);
    EXPECT_FALSE(pressedInside);
}

// --- check boxes ---------------------------------------------------------------

TEST_F(StdCtrls, CheckBoxTogglesByMouseSpaceAndAcceleratorAndEveryChangeClicks)
{
    auto* c = Place<TCheckBox>(form, 10, 10, 120, 20, "Auto add &letter box.");
    std::vector<TCheckBoxState> seen;
    c->OnClick = [&](TObject*) { seen.push_back(c->State()); };
    form->Show();
    headless->ClickControl(*c);
    EXPECT_TRUE(c->Checked());
    EXPECT_TRUE(c->Focused());
    headless->PressKey(VK_SPACE);
    EXPECT_FALSE(c->Checked());
    headless->PressKey('L', ssAlt);
    EXPECT_TRUE(c->Checked());
    c->SetChecked(false); // code changes fire OnClick too
    EXPECT_EQ(seen, (std::vector<TCheckBoxState>{cbChecked, cbUnchecked, cbChecked, cbUnchecked}));
    c->SetChecked(false); // no change, no click
    EXPECT_EQ(seen.size(), 4u);

    c->SetAllowGrayed(true);
    headless->ClickControl(*c);
    EXPECT_EQ(c->State(), cbGrayed);
    headless->ClickControl(*c);
    EXPECT_EQ(c->State(), cbChecked);
    headless->ClickControl(*c);
    EXPECT_EQ(c->State(), cbUnchecked);

    // A release outside changes nothing.
    headless->MouseDown(*form, 15, 20);
    headless->MouseUp(*form, 200, 100);
    EXPECT_EQ(c->State(), cbUnchecked);
}

TEST_F(StdCtrls, CheckBoxDrawsItsTickAndSidesByAlignment)
{
    auto* c = Place<TCheckBox>(form, 10, 10, 120, 20, "Tick");
    form->Show();
    const TRect leftBox = Rect(10, 13, 23, 27);
    const int blankInk = CountInk(leftBox, clBlack);
    c->SetChecked(true);
    EXPECT_GT(CountInk(leftBox, clBlack), blankInk + 10);
    // The caption sits right of the box.
    EXPECT_GT(CountNot(Rect(27, 10, 60, 30), clWhite), 0);
    c->SetAlignment(lrLeft);
    const TRect rightBox = Rect(117, 13, 130, 27);
    EXPECT_GT(CountInk(rightBox, clBlack), 10);
    EXPECT_EQ(CountInk(Rect(117, 13, 118, 26), ColorToRGB(clBtnShadow)), 12); // the box's left edge
    EXPECT_LT(CountInk(Rect(10, 13, 11, 26), ColorToRGB(clBtnShadow)), 12);   // the caption is left now
    c->SetState(cbGrayed);
    EXPECT_EQ(CountInk(rightBox, clBlack), 0);
}

// --- radio buttons ---------------------------------------------------------------

TEST_F(StdCtrls, RadioButtonsBesideEachOtherAreExclusiveAndOnlyTheCheckedOneIsATabStop)
{
    auto* r1 = Place<TRadioButton>(form, 10, 10, 100, 20, "&PAL");
    auto* r2 = Place<TRadioButton>(form, 10, 30, 100, 20, "&NTSC");
    auto* panel = Place<TPanel>(form, 120, 10, 100, 60);
    auto* r3 = Place<TRadioButton>(panel, 5, 5, 90, 20, "Other");
    std::vector<std::string> clicks;
    for (TRadioButton* r : {r1, r2, r3}) r->OnClick = [&, r](TObject*) { clicks.push_back(r->Caption()); };
    r3->SetChecked(true);
    form->Show();
    headless->ClickControl(*r1);
    EXPECT_TRUE(r1->Checked());
    EXPECT_TRUE(r3->Checked()); // another parent, another group
    headless->ClickControl(*r2);
    EXPECT_TRUE(r2->Checked());
    EXPECT_FALSE(r1->Checked());
    headless->ClickControl(*r2); // clicking a checked one changes nothing and fires nothing
    EXPECT_EQ(clicks, (std::vector<std::string>{"Other", "&PAL", "&NTSC"}));
    EXPECT_TRUE(r2->TabStop());
    EXPECT_FALSE(r1->TabStop());

    headless->PressKey('P', ssAlt);
    EXPECT_TRUE(r1->Checked());
    EXPECT_TRUE(r1->Focused());
    // Arrows move to the next radio button beside it and check it, round the end.
    headless->PressKey(VK_DOWN);
    EXPECT_TRUE(r2->Checked());
    EXPECT_TRUE(r2->Focused());
    headless->PressKey(VK_DOWN);
    EXPECT_TRUE(r1->Checked());
    headless->PressKey(VK_UP);
    EXPECT_TRUE(r2->Checked());
    EXPECT_FALSE(r1->Checked());
}

TEST_F(StdCtrls, RadioButtonShowsItsDotWhenChecked)
{
    auto* r = Place<TRadioButton>(form, 10, 10, 100, 20, "Dot");
    form->Show();
    const TRect dot = Rect(10 + 4, 13 + 4, 10 + 8, 13 + 8);
    EXPECT_EQ(CountInk(dot, clBlack), 0);
    r->SetChecked(true);
    EXPECT_GT(CountInk(dot, clBlack), 8);
}

// --- group boxes and radio groups -----------------------------------------------

TEST_F(StdCtrls, GroupBoxFramesItsChildrenAndItsAcceleratorFocusesTheFirst)
{
    auto* g = Place<TGroupBox>(form, 10, 10, 200, 120, "&Output Setup");
    auto* inner = Place<TCheckBox>(g, 10, 30, 100, 20, "PAL");
    auto* outside = Place<TButton>(form, 10, 135, 60, 20, "x");
    auto* fill = Place<TPanel>(g, 0, 0, 10, 10);
    fill->SetAlign(alClient);
    form->Show();
    // Children aligned to the client sit below the caption, inside the frame.
    EXPECT_GT(fill->Top(), 8);
    EXPECT_GE(fill->Left(), 2);
    EXPECT_LE(fill->Left() + fill->Width(), 198);
    fill->Free();
    // The caption breaks the top edge of the frame.
    const int captionInk = CountNot(Rect(18, 10, 60, 24), clWhite);
    EXPECT_GT(captionInk, 0);
    EXPECT_NE(headless->PixelAt(*form, 10, 70), clWhite); // left edge
    outside->SetFocus();
    headless->PressKey('O', ssAlt);
    EXPECT_TRUE(inner->Focused());
}

class RadioGroup : public StdCtrls {
protected:
    void SetUp() override
    {
        StdCtrls::SetUp();
        group = Place<TRadioGroup>(form, 10, 10, 200, 120, "Image Ratio Setting");
        group->Items()->Add("1:1  For square pixels");
        group->Items()->Add("4:3  For standard TV");
        group->Items()->Add("16:9 For wide screen TV");
        group->OnClick = [this](TObject*) { clicks.push_back(group->ItemIndex()); };
    }
    TRadioGroup* group = nullptr;
    std::vector<int> clicks;
};

TEST_F(RadioGroup, ItemIndexChecksItsButtonAndOutOfRangeValuesAreIgnored)
{
    EXPECT_EQ(group->ItemIndex(), -1);
    group->SetItemIndex(1);
    EXPECT_TRUE(group->Buttons(1)->Checked());
    EXPECT_EQ(clicks, std::vector<int>{1}); // setting it clicks as a press would
    group->SetItemIndex(5);
    group->SetItemIndex(-2);
    EXPECT_EQ(group->ItemIndex(), 1);
    group->SetItemIndex(-1);
    for (int i = 0; i < 3; ++i) EXPECT_FALSE(group->Buttons(i)->Checked());
    EXPECT_EQ(group->Buttons(3), nullptr);
    EXPECT_EQ(clicks, std::vector<int>{1});

    TRadioGroup empty(nullptr);
    EXPECT_EQ(empty.ItemIndex(), -1);
    empty.SetItemIndex(0);
    EXPECT_EQ(empty.ItemIndex(), -1);
}

TEST_F(RadioGroup, ClickingAndArrowsChooseAnItem)
{
    group->SetItemIndex(1);
    clicks.clear();
    form->Show();
    headless->ClickControl(*group->Buttons(2));
    EXPECT_EQ(group->ItemIndex(), 2);
    EXPECT_FALSE(group->Buttons(1)->Checked());
    headless->PressKey(VK_UP);
    EXPECT_EQ(group->ItemIndex(), 1);
    EXPECT_EQ(clicks, (std::vector<int>{2, 1}));
    // Tab lands on the checked line only.
    auto* after = Place<TButton>(form, 10, 135, 60, 20, "x");
    after->SetFocus();
    headless->PressKey(VK_TAB);
    EXPECT_TRUE(group->Buttons(1)->Focused());
}

TEST_F(RadioGroup, ButtonsFollowTheItemsAndFillTheColumns)
{
    group->SetItemIndex(0);
    for (const char* s : {"d", "e", "f", "g"}) group->Items()->Add(s);
    group->SetColumns(2);
    // Seven items in two columns: four rows, 0-3 left, 4-6 right.
    const int left = group->Buttons(0)->Left();
    for (int i = 1; i < 4; ++i) {
        EXPECT_EQ(group->Buttons(i)->Left(), left);
        EXPECT_GT(group->Buttons(i)->Top(), group->Buttons(i - 1)->Top());
    }
    for (int i = 4; i < 7; ++i) {
        EXPECT_GT(group->Buttons(i)->Left(), left);
        EXPECT_EQ(group->Buttons(i)->Top(), group->Buttons(i - 4)->Top());
    }
    EXPECT_EQ(group->Buttons(0)->Caption(), "1:1  For square pixels");
    // Buttons stay inside the frame, below the caption.
    for (int i = 0; i < 7; ++i) {
        const TRect r = group->Buttons(i)->BoundsRect();
        EXPECT_GE(r.Top, 10);
        EXPECT_LE(r.Bottom, group->Height());
        EXPECT_LE(r.Right, group->Width());
    }
    // Removing lines frees their buttons and keeps the others' states.
    group->Items()->Delete(6);
    group->Items()->Delete(5);
    EXPECT_EQ(group->Buttons(5), nullptr);
    EXPECT_TRUE(group->Buttons(0)->Checked());
    EXPECT_EQ(group->ItemIndex(), 0);
    group->SetItemIndex(4);
    group->Items()->Delete(4);
    EXPECT_EQ(group->ItemIndex(), 3); // the chosen line went: the last one left stays chosen
    group->SetColumns(0);
    EXPECT_EQ(group->Columns(), 1);
}

class TLockedRadioGroup : public TRadioGroup {
public:
    using TRadioGroup::TRadioGroup;
    bool Locked = true;

protected:
    bool CanModify() override { return !Locked; }
};

TEST_F(RadioGroup, ALockedGroupRefusesPressesButCodeStillChoosesAndDisablingReachesTheButtons)
{
    auto* g = Place<TLockedRadioGroup>(form, 10, 10, 200, 80, "View");
    g->Items()->Add("&Image");
    g->Items()->Add("Text");
    g->SetItemIndex(0);
    form->Show();
    headless->ClickControl(*g->Buttons(1));
    headless->PressKey(VK_DOWN);
    EXPECT_EQ(g->ItemIndex(), 0);
    g->SetItemIndex(1);
    EXPECT_EQ(g->ItemIndex(), 1);
    g->Locked = false;
    headless->ClickControl(*g->Buttons(0));
    EXPECT_EQ(g->ItemIndex(), 0);

    g->SetEnabled(false);
    EXPECT_FALSE(g->Buttons(1)->Enabled());
    headless->ClickControl(*g->Buttons(1));
    EXPECT_EQ(g->ItemIndex(), 0);
}

TEST_F(RadioGroup, LoadedInOneGoAndFreedWithItsButtons)
{
    auto* g = new TRadioGroup(form);
    g->BeginLoading();
    g->SetParent(form);
    g->Items()->Add("Image");
    g->Items()->Add("Text");
    g->SetItemIndex(1);
    int loadClicks = 0;
    g->OnClick = [&](TObject*) { ++loadClicks; };
    g->EndLoading();
    ASSERT_NE(g->Buttons(1), nullptr);
    EXPECT_TRUE(g->Buttons(1)->Checked());
    EXPECT_EQ(loadClicks, 0); // loading is quiet
    g->Free();
    form->Show();
    headless->Snapshot(*form);
}

// --- speed buttons ---------------------------------------------------------------

TEST_F(StdCtrls, SpeedButtonsOfAGroupGoDownOneAtATime)
{
    auto* a = Place<TSpeedButton>(form, 10, 10, 23, 22);
    auto* b = Place<TSpeedButton>(form, 40, 10, 23, 22);
    auto* free = Place<TSpeedButton>(form, 70, 10, 23, 22);
    a->SetGroupIndex(1);
    b->SetGroupIndex(1);
    int clicks = 0;
    for (TSpeedButton* s : {a, b, free}) s->OnClick = [&](TObject*) { ++clicks; };
    form->Show();
    headless->ClickControl(*a);
    EXPECT_TRUE(a->Down());
    headless->ClickControl(*b);
    EXPECT_TRUE(b->Down());
    EXPECT_FALSE(a->Down());
    headless->ClickControl(*b); // without AllowAllUp one stays down
    EXPECT_TRUE(b->Down());
    EXPECT_EQ(clicks, 3);
    // AllowAllUp is shared by the set.
    a->SetAllowAllUp(true);
    EXPECT_TRUE(b->AllowAllUp());
    headless->ClickControl(*b);
    EXPECT_FALSE(b->Down());
    // Ungrouped buttons never stay down.
    headless->ClickControl(*free);
    EXPECT_FALSE(free->Down());
    free->SetDown(true);
    EXPECT_FALSE(free->Down());
    EXPECT_EQ(clicks, 5);
    // The press shows while held and a release outside does nothing.
    headless->MouseDown(*form, 80, 20);
    EXPECT_EQ(free->State(), bsDown);
    headless->MouseMove(*form, 150, 100, ssLeft);
    EXPECT_EQ(free->State(), bsUp);
    headless->MouseUp(*form, 150, 100);
    EXPECT_EQ(clicks, 5);
}

TEST_F(StdCtrls, SpeedButtonGlyphIsDrawnSeeThroughAndFlatButtonsShowTheirFrameUnderThePointer)
{
    auto* s = Place<TSpeedButton>(form, 10, 10, 24, 24);
    TBitmap glyph(8, 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) glyph.SetPixel(x, y, (x >= 2 && x < 6) ? clRed : clFuchsia);
    s->SetGlyph(glyph);
    s->SetFlat(true);
    form->Show();
    // Centred: (24 - 8) / 2 = 8.
    EXPECT_EQ(headless->PixelAt(*form, 10 + 8 + 3, 10 + 10), clRed);
    EXPECT_EQ(headless->PixelAt(*form, 10 + 8, 10 + 10), clWhite); // key colour shows the form
    EXPECT_EQ(headless->PixelAt(*form, 33, 33), clWhite);          // flat: no frame
    headless->MouseMove(*form, 20, 20);
    EXPECT_EQ(headless->PixelAt(*form, 33, 33), ColorToRGB(clBtnShadow));
    headless->MouseMove(*form, 200, 100);
    EXPECT_EQ(headless->PixelAt(*form, 33, 33), clWhite);
    // Disabled without a second picture: embossed, no red left.
    s->SetEnabled(false);
    EXPECT_EQ(CountInk(Rect(10, 10, 34, 34), clRed), 0);
    EXPECT_GT(CountNot(Rect(18, 18, 27, 27), clWhite), 0);
}

} // namespace
