// Labels, buttons, check and radio boxes and group boxes driven like a user would.
#include "democontrols.h"

#include "gfx/bitmap.h"
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

} // namespace
