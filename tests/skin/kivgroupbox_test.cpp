// Group boxes and the check and radio groups: frame painting, button
// building and arrangement, the choice and its events.
#include "kivcontrols_fixture.h"

#include "skin/kivgroupbox.h"
#include "skin/kivmgr.h"
#include "skin/kivradiogroup.h"

#include "gfx/canvas.h"
#include "vcl/messages.h"
#include "win32/progfolders.h"

#include <cstdlib>

namespace {

class KivGroups : public KivControlsTest {
protected:
    void TearDown() override
    {
        SetUserLocale("");
        KivControlsTest::TearDown();
    }
    template <class T>
    T* Make(int x, int y, int w, int h)
    {
        auto* c = new T(form);
        c->SetParent(form);
        c->SetBounds(x, y, w, h);
        return c;
    }
    static void SetLines(TkivCheckGroup* g, std::initializer_list<const char*> lines)
    {
        TStringList list;
        for (const char* l : lines) list.Add(l);
        g->SetItems(list);
    }
    // A monospaced font, so that text widths are the same on every machine.
    static void FixedFont(TControl* c)
    {
        c->Font()->SetName("Liberation Mono");
        c->Font()->SetHeight(-12);
    }
    static int TextWidthIn(const TFont& font, const std::string& text)
    {
        TBitmap scratch(1, 1);
        scratch.Canvas()->SetFont(font);
        return scratch.Canvas()->TextWidth(text);
    }
};

class TLockedRadioGroup : public TkivRadioGroup {
public:
    using TkivRadioGroup::TkivRadioGroup;
    bool CanModify() const override { return false; }
};

TEST_F(KivGroups, FrameRunsRoundTheClientAreaAndBreaksForTheCaption)
{
    auto* g = Make<TkivGroupBox>(20, 20, 160, 90);
    FixedFont(g);
    g->SetCaption("Output Setup");
    g->SetBorderColor(clRed);
    g->SetColor(clWhite);
    form->Show();
    const int top = 20 + 12 / 2 + 1; // client top + |font height| div 2 + 1
    // The top line runs back to caption width + 6, that end point excluded.
    const int gapEnd = 20 + TextWidthIn(*g->Font(), "Output Setup") + 6;
    EXPECT_EQ(At(20, top), clRed);         // the stub left of the caption
    EXPECT_EQ(At(21, top), clRed);
    EXPECT_NE(At(23, top), clRed);     // the caption's gap starts after the stub
    EXPECT_NE(At(gapEnd, top), clRed); // and ends where the top line resumes
    EXPECT_EQ(At(gapEnd + 1, top), clRed);
    EXPECT_EQ(At(179, top), clRed);        // right edge
    EXPECT_EQ(At(20, 60), clRed);          // left edge
    EXPECT_EQ(At(179, 60), clRed);
    EXPECT_EQ(At(100, 109), clRed);        // bottom edge
    EXPECT_EQ(At(150, top - 1), clWhite);  // above the frame: the group's colour
    EXPECT_EQ(At(100, 60), clWhite);

    // Without a caption the top line closes.
    g->SetCaption("");
    EXPECT_EQ(At(40, top), clRed);
}

TEST_F(KivGroups, RightToLeftReadingMirrorsTheFrameAndTheColumnsOnAMiddleEastSystem)
{
    form->SetBiDiMode(bdRightToLeft);
    auto* g = Make<TkivRadioGroup>(20, 20, 160, 90);
    FixedFont(g);
    g->SetCaption("View");
    g->SetBorderColor(clRed);
    g->SetColor(clWhite);
    g->SetColumns(2);
    SetLines(g, {"Image", "Text"});
    form->Show();
    const int top = 20 + 7, captionWidth = TextWidthIn(*g->Font(), "View");
    EXPECT_EQ(At(21, top), clRed); // not mirrored elsewhere: the stub at the left
    EXPECT_EQ(At(20, 60), clRed);
    EXPECT_EQ(g->Buttons(0)->Left(), 8);

    SetUserLocale("ar_EG.UTF-8");
    g->Invalidate();
    EXPECT_EQ(At(179, top), clRed);           // the stub at the right
    EXPECT_EQ(At(177, top), clRed);
    EXPECT_NE(At(176, top), clRed);           // the caption's gap before it
    EXPECT_NE(At(180 - captionWidth - 7, top), clRed);
    EXPECT_EQ(At(180 - captionWidth - 8, top), clRed);
    EXPECT_EQ(At(21, 60), clRed);             // the near edge one pixel in
    EXPECT_EQ(At(20, 60), clWhite);
    EXPECT_EQ(At(100, 109), clRed);
    g->SetBiDiMode(bdLeftToRight);            // the columns follow a change of direction
    g->SetBiDiMode(bdRightToLeft);
    const int columnWidth = (160 - 10) / 2;
    EXPECT_EQ(g->Buttons(0)->Left(), 160 - 8 - g->Buttons(0)->Width());
    EXPECT_EQ(g->Buttons(1)->Left(), 160 - columnWidth - 8 - g->Buttons(1)->Width());
}

TEST_F(KivGroups, ButtonsTakeTheirSizeBeforeTheFirstPaintSoRightToLeftColumnsLineUp)
{
    SetUserLocale("ar_EG.UTF-8");
    form->SetBiDiMode(bdRightToLeft);
    auto* g = Make<TkivRadioGroup>(0, 0, 200, 90);
    SetLines(g, {"16:9"});
    TkivCheckBox* b = g->Buttons(0);
    EXPECT_NE(b->Width(), 93); // no longer the default width
    EXPECT_EQ(b->Left() + b->Width(), 200 - 8);
    g->Font()->SetHeight(-20); // a bigger caption: sized and placed again
    EXPECT_EQ(b->Left() + b->Width(), 200 - 8);
}

TEST_F(KivGroups, ChildrenAreAlignedBelowTheCaptionRow)
{
    auto* g = Make<TkivGroupBox>(0, 0, 160, 90);
    FixedFont(g);
    auto* child = Make<TkivImagePanel>(0, 0, 10, 10);
    child->SetParent(g);
    child->SetAlign(alClient);
    EXPECT_EQ(child->BoundsRect(), Rect(3, 12 + 5, 157, 87));
    g->Font()->SetHeight(-20);
    EXPECT_EQ(child->Top(), 25);
}

TEST_F(KivGroups, DisabledCaptionIsGrey)
{
    auto* g = Make<TkivGroupBox>(20, 20, 160, 90);
    FixedFont(g);
    g->Font()->SetColor(clBlue);
    g->SetCaption("WWWW");
    g->SetColor(clWhite);
    form->Show();
    auto countIn = [&](TColor c) {
        int n = 0;
        for (int y = 20; y < 34; ++y)
            for (int x = 25; x < 25 + TextWidthIn(*g->Font(), "WWWW"); ++x) n += At(x, y) == c;
        return n;
    };
    EXPECT_GT(countIn(clBlue), 10);
    EXPECT_EQ(countIn(clGray), 0);
    g->SetEnabled(false);
    EXPECT_EQ(countIn(clBlue), 0);
    EXPECT_GT(countIn(clGray), 10);
}

TEST_F(KivGroups, StyleGivesTheFrameAndCaptionColoursAndReachesTheChildren)
{
    auto* g = Make<TkivGroupBox>(0, 0, 160, 90);
    auto* box = new TkivCheckBox(form);
    box->SetParent(g);
    g->SetUIStyle(WinXP);
    EXPECT_EQ(g->BorderColor(), static_cast<TColor>(GetInsideThemeColor(WinXP, 25)));
    EXPECT_EQ(g->Font()->Color(), static_cast<TColor>(GetInsideThemeColor(WinXP, 27)));
    EXPECT_EQ(box->UIStyle(), WinXP);

    auto* theme = new TkivFileTheme(form);
    g->SetFileTheme(theme);
    EXPECT_EQ(box->FileTheme(), theme);
    theme->Free(); // its removal sends the group and its children back to DeepBlue
    EXPECT_EQ(g->FileTheme(), nullptr);
    EXPECT_EQ(g->UIStyle(), DeepBlue);
    EXPECT_EQ(box->UIStyle(), DeepBlue);
    EXPECT_EQ(box->FileTheme(), nullptr);
}

TEST_F(KivGroups, ItemIndexIgnoresOutOfRangeAndMinusOneClears)
{
    auto* g = Make<TkivRadioGroup>(10, 10, 150, 100);
    EXPECT_EQ(g->ItemIndex(), -1); // empty group
    SetLines(g, {"1:1", "4:3", "16:9"});
    EXPECT_EQ(g->ButtonCount(), 3);
    EXPECT_EQ(g->ItemIndex(), -1);
    g->SetItemIndex(1);
    EXPECT_EQ(g->ItemIndex(), 1);
    g->SetItemIndex(5);
    g->SetItemIndex(-2);
    EXPECT_EQ(g->ItemIndex(), 1);
    g->SetItemIndex(2);
    EXPECT_FALSE(g->GetChecked(1)); // checking one unchecks the others
    EXPECT_TRUE(g->GetChecked(2));
    g->SetItemIndex(-1);
    for (int i = 0; i < 3; ++i) EXPECT_FALSE(g->GetChecked(i));
    EXPECT_EQ(g->ItemIndex(), -1);
}

TEST_F(KivGroups, SettingItemIndexFiresOnClickExceptWhileLoading)
{
    form->BeginLoading();
    auto* g = Make<TkivRadioGroup>(10, 10, 150, 100);
    int clicks = 0;
    g->OnClick = [&](TObject* sender) {
        EXPECT_EQ(sender, g);
        ++clicks;
    };
    SetLines(g, {"Image", "Text"});
    g->SetItemIndex(0);
    EXPECT_EQ(clicks, 0);
    form->EndLoading();
    EXPECT_FALSE(g->Buttons(0)->Loading()); // the buttons finish loading with the form
    EXPECT_EQ(g->ItemIndex(), 0);
    g->SetItemIndex(1); // the program relies on this reaching OnClick
    EXPECT_EQ(clicks, 1);
    g->SetItemIndex(1); // already checked: nothing changes, nothing fires
    EXPECT_EQ(clicks, 1);
    g->SetItemIndex(-1); // unchecking fires nothing
    EXPECT_EQ(clicks, 1);
}

TEST_F(KivGroups, SevenItemsInTwoColumnsFillTheFirstColumnFirst)
{
    auto* g = Make<TkivRadioGroup>(0, 0, 200, 150);
    FixedFont(g);
    g->SetColumns(2);
    SetLines(g, {"a", "b", "c", "d", "e", "f", "g"});
    // Client area (3, 12, 198, 148), top margin 8: H = 128, four rows of 32.
    const int columnWidth = (200 - 10) / 2;
    for (int i = 0; i < 7; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(g->Buttons(i)->Left(), (i / 4) * columnWidth + 8);
        EXPECT_EQ(g->Buttons(i)->Top(), (i % 4) * 32 + 20);
    }
    // Rows share the height; the rest is split above and below.
    g->SetColumns(1);
    g->SetTopMargin(6);
    // H = 148 - 18 = 130, seven rows of 18, 4 left over: first top 2 + 18.
    for (int i = 0; i < 7; ++i) EXPECT_EQ(g->Buttons(i)->Top(), i * 18 + 20);
    EXPECT_EQ(g->Buttons(6)->Left(), 8);
}

TEST_F(KivGroups, ASizeSetWhileTheFormLoadsArrangesTheButtons)
{
    form->BeginLoading();
    auto* g = Make<TkivRadioGroup>(0, 0, 100, 60);
    FixedFont(g);
    g->SetColumns(2);
    SetLines(g, {"a", "b"});
    g->SetBounds(0, 0, 210, 60);
    EXPECT_EQ(g->Buttons(1)->Left(), (210 - 10) / 2 + 8);
    form->EndLoading();
}

TEST_F(KivGroups, ColumnsBelowOneAndNegativeMarginsAreRefused)
{
    auto* g = Make<TkivRadioGroup>(0, 0, 200, 150);
    SetLines(g, {"a", "b", "c"});
    g->SetColumns(3);
    g->SetColumns(0);
    g->SetColumns(-1);
    EXPECT_EQ(g->Columns(), 3);
    g->SetTopMargin(-4);
    EXPECT_EQ(g->TopMargin(), 8);
    g->SetBounds(0, 0, 200, 160); // arranging again divides by the kept count
    EXPECT_EQ(g->Buttons(2)->Left(), 2 * ((200 - 10) / 3) + 8);
}

TEST_F(KivGroups, RemovingItemsFreesTheLastButtonsAndKeepsTheOthersStates)
{
    auto* g = Make<TkivCheckGroup>(0, 0, 200, 150);
    SetLines(g, {"a", "b", "c", "d", "e"});
    g->SetChecked(1, true);
    g->SetChecked(4, true);
    const int components = g->ComponentCount();
    TkivCheckBox* kept = g->Buttons(2);
    g->Items()->Delete(0);
    g->Items()->Delete(0);
    EXPECT_EQ(g->ButtonCount(), 3);
    EXPECT_EQ(g->ComponentCount(), components - 2);
    EXPECT_EQ(g->Buttons(2), kept);
    EXPECT_TRUE(g->GetChecked(1)); // states stay with the positions
    EXPECT_FALSE(g->GetChecked(2));
    EXPECT_EQ(g->Buttons(0)->Caption(), "c");
    EXPECT_EQ(g->Buttons(2)->Caption(), "e");
    EXPECT_FALSE(g->GetChecked(3)); // reading past the buttons: false
    EXPECT_THROW(g->SetChecked(3, true), EListError);
    EXPECT_FALSE(g->GetItemEnabled(7));
    g->SetItemEnabled(0, false);
    EXPECT_FALSE(g->Buttons(0)->Enabled());
}

TEST_F(KivGroups, ButtonsFollowTheGroupsFontCursorTransparencyAndStyle)
{
    auto* g = Make<TkivCheckGroup>(0, 0, 200, 150);
    g->SetCursor(crHandPoint);
    SetLines(g, {"a", "b"});
    EXPECT_EQ(g->Buttons(1)->Cursor(), crHandPoint);
    EXPECT_FALSE(g->Buttons(1)->TabStop());
    g->Font()->SetStyle(TFontStyles{fsBold});
    EXPECT_TRUE(g->Buttons(0)->Font()->Style().Contains(fsBold));
    g->SetTransparent(true);
    EXPECT_TRUE(g->Buttons(0)->Transparent());
    g->SetCursor(crDefault);
    EXPECT_EQ(g->Buttons(0)->Cursor(), crDefault);
    g->SetUIStyle(Protein);
    EXPECT_EQ(g->Buttons(0)->UIStyle(), Protein);
}

TEST_F(KivGroups, ClickingButtonsReachesTheGroupsOnClick)
{
    auto* checks = Make<TkivCheckGroup>(0, 0, 150, 150);
    SetLines(checks, {"one", "two"});
    auto* radios = Make<TkivRadioGroup>(160, 0, 150, 150);
    SetLines(radios, {"PAL", "NTSC"});
    int checkClicks = 0, radioClicks = 0;
    checks->OnClick = [&](TObject*) { ++checkClicks; };
    radios->OnClick = [&](TObject*) { ++radioClicks; };
    form->Show();
    At(0, 0); // painted: the buttons have taken their auto size
    headless->ClickControl(*checks->Buttons(1));
    EXPECT_TRUE(checks->GetChecked(1));
    headless->ClickControl(*checks->Buttons(1));
    EXPECT_FALSE(checks->GetChecked(1));
    EXPECT_EQ(checkClicks, 2); // a check box fires on both changes
    headless->ClickControl(*radios->Buttons(1));
    headless->ClickControl(*radios->Buttons(1)); // already chosen: nothing
    EXPECT_EQ(radios->ItemIndex(), 1);
    EXPECT_EQ(radioClicks, 1);
}

TEST_F(KivGroups, AGroupThatCannotBeModifiedIgnoresPressesButNotCode)
{
    auto* g = Make<TLockedRadioGroup>(0, 0, 150, 150);
    SetLines(g, {"a", "b"});
    form->Show();
    At(0, 0);
    headless->ClickControl(*g->Buttons(1));
    EXPECT_EQ(g->ItemIndex(), -1);
    g->SetItemIndex(1);
    EXPECT_EQ(g->ItemIndex(), 1);
}

TEST_F(KivGroups, FocusPassesToTheChosenButtonAndArrowsMoveTheChoice)
{
    auto* g = Make<TkivRadioGroup>(0, 0, 150, 150);
    SetLines(g, {"a", "b", "c"});
    g->SetItemIndex(0);
    form->Show();
    g->SetFocus();
    EXPECT_TRUE(g->Buttons(0)->Focused());
    headless->PressKey(VK_DOWN);
    EXPECT_TRUE(g->Buttons(1)->Focused());
    EXPECT_EQ(g->ItemIndex(), 1);

    auto* checks = Make<TkivCheckGroup>(160, 0, 150, 150);
    SetLines(checks, {"x", "y"});
    checks->SetFocus();
    EXPECT_TRUE(checks->Buttons(0)->Focused());
}

} // namespace
