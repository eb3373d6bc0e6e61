// The skinned tab strip: tab widths, scrolling, hit testing, the asking and
// reporting of tab changes, and top and bottom strips.
#include "kivcontrols_fixture.h"

#include "skin/kivpublic.h"
#include "skin/kivtabcontrol.h"
#include "skin/kivthemes.h"

#include "gfx/canvas.h"

#include <string>

namespace {

class KivTabs : public KivControlsTest {
protected:
    TkivTabControl* MakeTabs(int width, int count, const std::string& stem = "Tab ")
    {
        auto* t = new TkivTabControl(form);
        t->SetParent(form);
        t->SetBounds(10, 10, width, 120);
        t->SetUIStyle(DeepBlue);
        TStringList list;
        for (int i = 0; i < count; ++i) list.Add(stem + std::to_string(i));
        t->SetTabs(list);
        return t;
    }
    static int TextWidthIn(const TFont& font, const std::string& text)
    {
        TBitmap scratch(1, 1);
        scratch.Canvas()->SetFont(font);
        return scratch.Canvas()->TextWidth(text);
    }
    // A point in the middle of a tab or arrow box of the strip, in form coordinates.
    static TPoint Middle(TkivTab* t, const TRect& r)
    {
        const TkivTabControlTopPanel* strip = t->TopPanel();
        return Point(t->Left() + strip->Left() + (r.Left + r.Right) / 2,
                     t->Top() + strip->Top() + (r.Top + r.Bottom) / 2);
    }
    void ClickAt(TPoint p) { headless->Click(*form, p.X, p.Y); }
};

TEST_F(KivTabs, TabWidthsFollowTheCaptions)
{
    auto* t = MakeTabs(300, 0);
    TStringList list;
    list.Add("");
    list.Add("i");
    list.Add("Image");
    t->SetTabs(list);
    TkivTabControlTopPanel* strip = t->TopPanel();
    EXPECT_EQ(strip->TabWidth(0), 80); // an empty caption
    EXPECT_GE(strip->TabWidth(1), 15);
    EXPECT_EQ(strip->TabWidth(1), TextWidthIn(*t->Font(), "i") + 20);
    EXPECT_EQ(strip->TabWidth(2), TextWidthIn(*t->Font(), "Image") + 20);
    EXPECT_EQ(strip->TabRect(0).Left, 10); // LeftMargin
    EXPECT_EQ(strip->TabRect(1).Left, 90);
    strip->SetTabVisible(1, false);
    EXPECT_EQ(strip->TabWidth(1), 0);
    EXPECT_TRUE(strip->TabRect(1).IsEmpty());
    EXPECT_EQ(strip->TabRect(2).Left, 90); // hidden tabs take no room
    EXPECT_EQ(strip->TabWidth(3), -1);
}

TEST_F(KivTabs, OnChangingCanRefuseAClickButCodeNeverAsks)
{
    auto* t = MakeTabs(300, 3);
    int asked = 0, changes = 0;
    bool allow = false;
    std::vector<int> activated;
    t->OnChanging = [&](TObject* sender, bool& allowChange) {
        EXPECT_EQ(sender, t);
        ++asked;
        allowChange = allow;
    };
    t->OnChange = [&](TObject*) { ++changes; };
    t->OnTabActive = [&](TObject*, int index) { activated.push_back(index); };
    form->Show();
    const TRect tab1 = t->TopPanel()->TabRect(1);
    ClickAt(Middle(t, tab1));
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(t->TabIndex(), 0);
    EXPECT_EQ(changes, 0);
    allow = true;
    ClickAt(Middle(t, tab1));
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(t->TabIndex(), 1);
    EXPECT_EQ(changes, 1);
    t->SetTabIndex(2);
    EXPECT_EQ(asked, 2); // code does not ask, but the change is reported
    EXPECT_EQ(t->TabIndex(), 2);
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(activated, (std::vector<int>{1, 2}));
    t->SetTabIndex(7); // outside the tabs: nothing
    t->SetTabIndex(2); // unchanged: nothing
    EXPECT_EQ(t->TabIndex(), 2);
    EXPECT_EQ(changes, 2);
    t->SetTabIndex(-1);
    EXPECT_EQ(t->TabIndex(), -1);
}

TEST_F(KivTabs, OverflowShowsTheArrowsAndCutsTheLastTabWithItsCaptionLeftAligned)
{
    auto* t = MakeTabs(200, 6, "Caption ");
    t->Font()->SetColor(clRed);
    form->Show();
    TkivTabControlTopPanel* strip = t->TopPanel();
    EXPECT_TRUE(strip->ArrowsShown());
    EXPECT_TRUE(strip->Truncated());
    const int last = strip->LastWholeTab();
    ASSERT_GE(last, 0);
    const TRect cut = strip->TabRect(last + 1);
    EXPECT_EQ(cut.Right, 200 - 2 * 15 - 2); // the available width, left of the two arrows
    EXPECT_LT(cut.Width(), strip->TabWidth(last + 1));
    // The cut caption starts 10 pixels in, where a centred one would not.
    int firstRed = -1;
    for (int x = cut.Left; x < cut.Right && firstRed < 0; ++x)
        for (int y = cut.Top; y < cut.Bottom; ++y)
            if (headless->PixelAt(*form, 10 + x, 10 + y) == clRed) {
                firstRed = x;
                break;
            }
    EXPECT_GE(firstRed, cut.Left + 10);
    EXPECT_LE(firstRed, cut.Left + 12);
    // The right arrow's picture is drawn where its box is.
    TBitmap arrows, right;
    GetInsideThemeBitmap(DeepBlue, 38, &arrows);
    SpitBitmap(&arrows, &right, 4, 1);
    const TRect box = strip->ArrowRect(true);
    EXPECT_EQ(box.Right, 200 - 2);
    EXPECT_EQ(headless->PixelAt(*form, 10 + box.Left + 7, 10 + box.Top + 7), right.Pixel(7, 7));

    // Few tabs: no arrows; the last one may reach to 10 pixels from the end.
    auto* few = MakeTabs(200, 2);
    EXPECT_FALSE(few->TopPanel()->ArrowsShown());
    EXPECT_EQ(few->TopPanel()->LastWholeTab(), 1);
}

TEST_F(KivTabs, ArrowsScrollOneVisibleTabAtATime)
{
    auto* t = MakeTabs(200, 8, "Caption ");
    form->Show();
    TkivTabControlTopPanel* strip = t->TopPanel();
    const TPoint forward = Middle(t, strip->ArrowRect(true)), back = Middle(t, strip->ArrowRect(false));
    ClickAt(back);
    EXPECT_EQ(strip->FirstVisibleTab(), 0);
    ClickAt(forward);
    EXPECT_EQ(strip->FirstVisibleTab(), 1);
    EXPECT_EQ(strip->TabRect(1).Left, 10); // the second tab now starts the strip
    EXPECT_TRUE(strip->TabRect(0).IsEmpty());
    ClickAt(forward);
    ClickAt(back);
    EXPECT_EQ(strip->FirstVisibleTab(), 1);
    EXPECT_EQ(t->TabIndex(), 0); // arrows never select
}

TEST_F(KivTabs, AClickAfterScrollingPastHiddenTabsSelectsTheTabUnderThePointer)
{
    auto* t = MakeTabs(200, 10, "Caption ");
    form->Show();
    TkivTabControlTopPanel* strip = t->TopPanel();
    strip->SetTabVisible(1, false);
    strip->SetTabVisible(2, false);
    const TPoint forward = Middle(t, strip->ArrowRect(true));
    ClickAt(forward);
    ClickAt(forward); // tabs 0 and 3 scrolled off: tab 4 comes first
    const TRect first = strip->TabRect(4);
    ASSERT_FALSE(first.IsEmpty());
    EXPECT_EQ(first.Left, 10);
    ClickAt(Middle(t, first));
    EXPECT_EQ(t->TabIndex(), 4);
    const TRect next = strip->TabRect(5);
    ClickAt(Middle(t, next));
    EXPECT_EQ(t->TabIndex(), 5);
}

TEST_F(KivTabs, SeventyTabsAreLaidOutScrolledAndSelected)
{
    auto* t = MakeTabs(400, 70);
    form->Show();
    TkivTabControlTopPanel* strip = t->TopPanel();
    EXPECT_EQ(strip->TabWidth(69), -1); // past the cut: not laid out
    strip->SetTabVisible(66, false);
    t->SetTabIndex(69); // scrolled into view
    EXPECT_EQ(strip->LastWholeTab(), 69);
    EXPECT_GT(strip->TabWidth(69), 15);
    EXPECT_EQ(strip->TabWidth(66), 0);
    const TRect last = strip->TabRect(69);
    ASSERT_FALSE(last.IsEmpty());
    ClickAt(Middle(t, strip->TabRect(67)));
    EXPECT_EQ(t->TabIndex(), 67);
    t->SetTabIndex(0); // and back to the start
    EXPECT_EQ(strip->FirstVisibleTab(), 0);
    EXPECT_EQ(strip->TabRect(0).Left, 10);
    for (int i = 0; i < 70; ++i) t->Tabs()->Delete(0);
    EXPECT_EQ(strip->TabWidth(0), -1);
    headless->Snapshot(*form); // paints an empty strip
}

TEST_F(KivTabs, TopAndBottomStripsFrameTheBodyOnTheOtherThreeSides)
{
    auto* t = MakeTabs(200, 2);
    t->SetBorderColor(clRed);
    t->SetColor(clWhite);
    auto* child = new TkivTabControl(form);
    child->SetParent(t);
    child->SetAlign(alClient);
    form->Show();
    TkivTabControlTopPanel* strip = t->TopPanel();
    const int stripHeight = strip->Height();
    EXPECT_EQ(stripHeight, 22 + 3); // the active tab picture and the line
    EXPECT_EQ(strip->BoundsRect(), Rect(0, 0, 200, stripHeight));
    EXPECT_EQ(child->BoundsRect(), Rect(3, stripHeight + 3, 197, 117));
    EXPECT_EQ(At(10, 10 + 119), clRed);             // bottom edge
    EXPECT_EQ(At(10, 10 + 60), clRed);              // left edge
    EXPECT_EQ(At(10 + 199, 10 + 60), clRed);        // right edge
    EXPECT_EQ(At(10 + 1, 10 + stripHeight + 1), clWhite);
    EXPECT_EQ(strip->TabRect(0).Top, 1);            // the active tab one pixel lower
    EXPECT_EQ(strip->TabRect(1).Top, 0);
    // The line's top row is the body's top edge; the active tab opens through it.
    const int lineTop = 10 + 22;
    const TRect active = strip->TabRect(0), inactive = strip->TabRect(1);
    const TColor edge = static_cast<TColor>(GetInsideThemeColor(DeepBlue, 25));
    EXPECT_EQ(At(10 + (inactive.Left + inactive.Right) / 2, lineTop), edge);
    EXPECT_EQ(At(10 + 150, lineTop), edge);
    EXPECT_EQ(At(10 + (active.Left + active.Right) / 2, lineTop),
              static_cast<TColor>(GetInsideThemeColor(DeepBlue, 26)));

    t->SetTabPosition(kivBottom);
    EXPECT_EQ(strip->BoundsRect(), Rect(0, 120 - stripHeight, 200, 120));
    EXPECT_EQ(child->BoundsRect(), Rect(3, 3, 197, 120 - stripHeight - 3));
    EXPECT_EQ(At(10 + 60, 10), clRed);              // top edge now
    EXPECT_EQ(At(10, 10 + 60), clRed);
    EXPECT_EQ(At(10 + 60, 10 + 119 - stripHeight), clWhite);
    EXPECT_EQ(strip->TabRect(0).Bottom, stripHeight - 1); // the active tab one pixel higher
    EXPECT_EQ(strip->TabRect(1).Bottom, stripHeight);
    // The pictures are turned: the active tab's keyed corners are at its bottom now.
    TBitmap tabs;
    GetInsideThemeBitmap(DeepBlue, 39, &tabs, 2, 1);
    ASSERT_EQ(tabs.Pixel(0, 0), static_cast<TColor>(kivKeyColor));
    const TRect box = strip->TabRect(0);
    const TColor below = At(10 + box.Left, 10 + strip->Top() + box.Bottom - 1);
    EXPECT_NE(below, static_cast<TColor>(kivKeyColor));
    EXPECT_NE(below, tabs.Pixel(1, 1));
}

TEST_F(KivTabs, ASizeSetWhileTheFormLoadsPlacesTheStrip)
{
    form->BeginLoading();
    auto* t = new TkivTabControl(form);
    t->SetParent(form);
    t->SetTabPosition(kivBottom);
    t->SetBounds(0, 0, 260, 140);
    EXPECT_EQ(t->TopPanel()->BoundsRect(), Rect(0, 140 - t->TopPanel()->Height(), 260, 140));
    form->EndLoading();
}

TEST_F(KivTabs, StyleSetsTheBorderStripAndBodyColours)
{
    auto* t = MakeTabs(200, 2);
    for (TkivUIStyle s : {MacOS, WinXP, DeepBlue, Protein, BlueGlass}) {
        t->SetUIStyle(s);
        EXPECT_EQ(t->BorderColor(), static_cast<TColor>(GetInsideThemeColor(s, 25)));
        EXPECT_EQ(t->TopPanel()->Color(), static_cast<TColor>(GetInsideThemeColor(s, 26)));
        EXPECT_EQ(t->Color(), s == WinXP ? clWhite : static_cast<TColor>(GetInsideThemeColor(s, 26)));
    }
}

} // namespace
