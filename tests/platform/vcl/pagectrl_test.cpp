// Page and tab controls switched by the user and from code; tab geometry.
#include "democontrols.h"

#include "vcl/comctrls.h"
#include "vcl/stdctrls_edit.h"

#include <string>
#include <vector>

namespace {

class PageControlTest : public HeadlessTest {
protected:
    void SetUp() override
    {
        HeadlessTest::SetUp();
        form = MakeForm(300, 200);
        pc = new TPageControl(form);
        pc->SetParent(form);
        pc->SetBounds(10, 10, 280, 180);
        for (const char* caption : {"General", "Video", "Audio"}) {
            auto* s = new TTabSheet(form);
            s->SetCaption(caption);
            s->SetPageControl(pc);
            s->OnShow = [this, s](TObject*) { log.push_back("show " + s->Caption()); };
            s->OnHide = [this, s](TObject*) { log.push_back("hide " + s->Caption()); };
            sheets.push_back(s);
        }
        pc->OnChanging = [this](TObject*, bool& allow) {
            log.push_back("changing");
            allow = allowChange;
        };
        pc->OnChange = [this](TObject*) { log.push_back("change"); };
        form->Show();
    }
    TPoint TabCentre(int i) const
    {
        TRect r = pc->TabRect(i);
        return Point(pc->Left() + (r.Left + r.Right) / 2, pc->Top() + (r.Top + r.Bottom) / 2);
    }
    TForm* form = nullptr;
    TPageControl* pc = nullptr;
    std::vector<TTabSheet*> sheets;
    std::vector<std::string> log;
    bool allowChange = true;
};

TEST_F(PageControlTest, FirstPageShowsAndCodeSwitchesWithoutAsking)
{
    EXPECT_EQ(pc->PageCount(), 3);
    EXPECT_EQ(pc->ActivePage(), sheets[0]);
    EXPECT_TRUE(sheets[0]->Visible());
    EXPECT_FALSE(sheets[1]->Visible());
    EXPECT_EQ(sheets[1]->BoundsRect(), pc->DisplayRect());
    EXPECT_EQ(sheets[2]->PageIndex(), 2);
    EXPECT_EQ(pc->TabIndex(), 0);

    pc->SetActivePageIndex(2);
    EXPECT_EQ(pc->ActivePage(), sheets[2]);
    EXPECT_EQ(pc->TabIndex(), 2);
    EXPECT_EQ(log, (std::vector<std::string>{"hide General", "show Audio"}));
    pc->SetActivePageIndex(5); // out of range: nothing happens
    EXPECT_EQ(pc->ActivePageIndex(), 2);
    pc->SetActivePageIndex(-1);
    EXPECT_EQ(pc->ActivePage(), nullptr);
    EXPECT_EQ(pc->ActivePageIndex(), -1);
    EXPECT_EQ(pc->TabIndex(), -1);
    EXPECT_FALSE(sheets[2]->Visible());

    sheets[0]->SetPageIndex(2); // reordering keeps the active page
    pc->SetActivePage(sheets[1]);
    EXPECT_EQ(pc->TabCaption(0), "Video");
    EXPECT_EQ(pc->TabIndex(), 0);
}

TEST_F(PageControlTest, ShowingASheetOrAControlOnItActivatesThePage)
{
    sheets[2]->Show();
    EXPECT_EQ(pc->ActivePage(), sheets[2]);
    auto* edit = new TEdit(form);
    edit->SetParent(sheets[1]);
    edit->Hide();
    edit->Show(); // the request travels up through the sheet to the page control
    EXPECT_EQ(pc->ActivePage(), sheets[1]);
    EXPECT_EQ(log, (std::vector<std::string>{"hide General", "show Audio", "hide Audio", "show Video"}));
}

TEST_F(PageControlTest, ClickingATabAsksFirstAndReportsAfter)
{
    // Tabs run left to right along the top and do not overlap.
    TRect t0 = pc->TabRect(0), t1 = pc->TabRect(1);
    EXPECT_EQ(t0.Top, 2);
    EXPECT_EQ(t0.Bottom, pc->TabStripHeight() + 2);
    EXPECT_EQ(t1.Left, t0.Right);
    EXPECT_EQ(pc->IndexOfTabAt(t1.Left + 3, t1.Top + 3), 1);
    EXPECT_EQ(pc->IndexOfTabAt(pc->Width() - 3, 5), -1);
    EXPECT_EQ(pc->BodyRect().Top, t0.Bottom);

    headless->Click(*form, TabCentre(1).X, TabCentre(1).Y);
    EXPECT_EQ(pc->ActivePage(), sheets[1]);
    EXPECT_EQ(log, (std::vector<std::string>{"changing", "hide General", "show Video", "change"}));
    log.clear();
    allowChange = false;
    headless->Click(*form, TabCentre(2).X, TabCentre(2).Y);
    EXPECT_EQ(pc->ActivePage(), sheets[1]);
    EXPECT_EQ(log, (std::vector<std::string>{"changing"}));
    log.clear();
    headless->Click(*form, TabCentre(1).X, TabCentre(1).Y); // the selected tab: nothing to ask
    EXPECT_TRUE(log.empty());

    allowChange = true;
    pc->SetFocus();
    headless->PressKey(VK_RIGHT);
    EXPECT_EQ(pc->ActivePage(), sheets[2]);
    headless->PressKey(VK_RIGHT); // no wrap at the end
    EXPECT_EQ(pc->ActivePage(), sheets[2]);
    headless->PressKey(VK_HOME);
    EXPECT_EQ(pc->ActivePage(), sheets[0]);
}

TEST_F(PageControlTest, TabsFollowCaptionsAndAFixedTabWidth)
{
    const int before = pc->TabRect(0).Width();
    sheets[0]->SetCaption("A much longer caption");
    EXPECT_GT(pc->TabRect(0).Width(), before + 40);
    EXPECT_EQ(pc->TabRect(1).Left, pc->TabRect(0).Right);
    EXPECT_EQ(pc->TabCaption(0), "A much longer caption");
    sheets[1]->SetCaption(""); // an empty caption still gets a tab to click
    EXPECT_EQ(pc->TabRect(1).Width(), 20);
    pc->SetTabWidth(50);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(pc->TabRect(i).Width(), 50);
    pc->SetTabHeight(30);
    EXPECT_EQ(pc->TabStripHeight(), 30);
    EXPECT_EQ(sheets[0]->BoundsRect(), pc->DisplayRect()); // pages follow the taller strip
    EXPECT_EQ(pc->DisplayRect().Top, 30 + 2 + 4);
    pc->SetBounds(0, 0, 150, 100); // and a resized control
    EXPECT_EQ(sheets[2]->BoundsRect(), pc->DisplayRect());
    EXPECT_EQ(pc->DisplayRect().Right, 150 - 4);
}

TEST_F(PageControlTest, CtrlTabFromInsideAPageMovesOnAndTakesTheFocusAlong)
{
    auto* edit = new TEdit(form);
    edit->SetParent(sheets[0]);
    edit->SetBounds(5, 5, 80, 21);
    edit->SetFocus();
    EXPECT_EQ(form->ActiveControl(), edit);
    headless->PressKey(VK_TAB, ssCtrl);
    EXPECT_EQ(pc->ActivePage(), sheets[1]);
    EXPECT_EQ(form->ActiveControl(), pc); // the edit went out of sight
    headless->PressKey(VK_TAB, ssCtrl | ssShift);
    headless->PressKey(VK_TAB, ssCtrl | ssShift); // wraps round to the last
    EXPECT_EQ(pc->ActivePage(), sheets[2]);
    EXPECT_EQ(log.back(), "change");
}

TEST_F(PageControlTest, HiddenTabsAndFreedSheetsMoveTheActivePageOn)
{
    sheets[1]->SetTabVisible(false);
    EXPECT_EQ(pc->TabCount(), 2);
    EXPECT_EQ(sheets[1]->TabIndex(), -1);
    EXPECT_EQ(sheets[2]->TabIndex(), 1);
    EXPECT_EQ(pc->PageForTab(1), sheets[2]);
    headless->Click(*form, TabCentre(1).X, TabCentre(1).Y);
    EXPECT_EQ(pc->ActivePage(), sheets[2]);

    sheets[2]->SetTabVisible(false); // the active one: the next with a tab takes over
    EXPECT_EQ(pc->ActivePage(), sheets[0]);
    EXPECT_EQ(pc->TabIndex(), 0);
    EXPECT_EQ(pc->FindNextPage(sheets[0], true, true), sheets[0]);
    EXPECT_EQ(pc->FindNextPage(sheets[0], true, false), sheets[1]);

    sheets[2]->SetTabVisible(true);
    delete sheets[0]; // freeing the active page shows the next one
    EXPECT_EQ(pc->PageCount(), 2);
    EXPECT_EQ(pc->ActivePage(), sheets[2]);
    EXPECT_EQ(pc->TabIndex(), 0);
    sheets[2]->SetPageControl(nullptr); // taken off: no pages with tabs left
    EXPECT_EQ(pc->ActivePage(), nullptr);
    EXPECT_EQ(sheets[2]->PageIndex(), -1);
    delete pc; // the remaining sheet goes with it
    app->ProcessMessages();
}

TEST_F(PageControlTest, TheActiveSheetAndTheSelectedTabAreDrawn)
{
    sheets[0]->SetColor(clYellow);
    sheets[1]->SetColor(clAqua);
    TRect d = pc->DisplayRect();
    const int x = pc->Left() + d.Left + 20, y = pc->Top() + d.Top + 20;
    EXPECT_EQ(headless->PixelAt(*form, x, y), clYellow);
    pc->SetActivePage(sheets[1]);
    EXPECT_EQ(headless->PixelAt(*form, x, y), clAqua);
    // The selected tab rises above the others: its outline runs two pixels higher.
    TRect sel = pc->TabRect(1), other = pc->TabRect(2);
    EXPECT_EQ(headless->PixelAt(*form, pc->Left() + sel.Left + 5, pc->Top() + sel.Top - 2), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(headless->PixelAt(*form, pc->Left() + other.Left + 5, pc->Top() + other.Top), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(headless->PixelAt(*form, pc->Left() + other.Left + 5, pc->Top() + other.Top - 2), clWhite);
}

// --- tab control -------------------------------------------------------------------
class TabControlTest : public HeadlessTest {
protected:
    void SetUp() override
    {
        HeadlessTest::SetUp();
        form = MakeForm(300, 200);
        tc = new TTabControl(form);
        tc->SetParent(form);
        tc->SetBounds(10, 10, 200, 120);
        tc->OnChange = [this](TObject*) { ++changes; };
    }
    TForm* form = nullptr;
    TTabControl* tc = nullptr;
    int changes = 0;
};

TEST_F(TabControlTest, TabsListSelectsAndKeepsTheIndexInRange)
{
    EXPECT_EQ(tc->TabIndex(), -1);
    tc->Tabs()->Add("One");
    EXPECT_EQ(tc->TabIndex(), 0);
    tc->Tabs()->Add("Two");
    tc->Tabs()->Add("Three");
    form->Show();
    TRect r = tc->TabRect(2);
    headless->Click(*form, tc->Left() + r.Left + 5, tc->Top() + r.Top + 5);
    EXPECT_EQ(tc->TabIndex(), 2);
    EXPECT_EQ(changes, 1);
    tc->SetTabIndex(1); // from code: silent
    EXPECT_EQ(changes, 1);
    tc->SetTabIndex(7);
    EXPECT_EQ(tc->TabIndex(), 1);
    tc->Tabs()->Delete(2);
    tc->Tabs()->Delete(1);
    EXPECT_EQ(tc->TabIndex(), 0);
    tc->Tabs()->Clear();
    EXPECT_EQ(tc->TabIndex(), -1);
    EXPECT_TRUE(tc->TabRect(0).IsEmpty());
}

TEST_F(TabControlTest, ChildrenFillTheDisplayAreaBelowTheTabs)
{
    tc->Tabs()->Add("One");
    auto* panel = new TDemoButton(form);
    panel->SetParent(tc);
    panel->SetAlign(alClient);
    EXPECT_EQ(panel->BoundsRect(), tc->DisplayRect());
    tc->SetTabPosition(tpBottom);
    EXPECT_EQ(panel->BoundsRect(), tc->DisplayRect());
    EXPECT_EQ(tc->TabRect(0).Bottom, tc->Height() - 2);
    EXPECT_LT(tc->DisplayRect().Bottom, tc->TabRect(0).Top);
}

TEST_F(TabControlTest, TabsThatDoNotFitScrollWithArrows)
{
    for (int i = 0; i < 12; ++i) tc->Tabs()->Add("Tab number " + std::to_string(i));
    form->Show();
    ASSERT_TRUE(tc->TabsScroll());
    TRect fwd = tc->ScrollArrowRect(true), back = tc->ScrollArrowRect(false);
    EXPECT_EQ(fwd.Right, tc->Width());
    EXPECT_EQ(back.Right, fwd.Left);
    EXPECT_TRUE(tc->TabRect(11).IsEmpty());
    EXPECT_LE(tc->TabRect(0).Right, back.Left); // shown tabs stop before the arrows
    headless->Click(*form, tc->Left() + fwd.Left + 4, tc->Top() + fwd.Top + 4);
    EXPECT_EQ(tc->FirstVisibleTab(), 1);
    EXPECT_TRUE(tc->TabRect(0).IsEmpty());
    EXPECT_EQ(tc->TabIndex(), 0); // scrolling does not select
    tc->SetFocus();
    headless->PressKey(VK_END);
    EXPECT_EQ(tc->TabIndex(), 11);
    EXPECT_FALSE(tc->TabRect(11).IsEmpty()); // the selected tab is scrolled into view
    const int first = tc->FirstVisibleTab();
    EXPECT_GT(first, 1);
    headless->Click(*form, tc->Left() + back.Left + 4, tc->Top() + back.Top + 4);
    EXPECT_EQ(tc->FirstVisibleTab(), first - 1);
    EXPECT_EQ(tc->TabIndex(), 11);
}

} // namespace
