// The vertical bar that lists, memos and grids draw inside themselves, driven
// by the mouse: arrows scroll a line, the lane a page, the thumb follows a drag
// until the button is released, and a press on the bar is not a press on the content.
#include "democontrols.h"

#include "vcl/grids.h"
#include "vcl/stdctrls_edit.h"
#include "vcl/stdctrls_list.h"

#include <functional>

namespace {

TScrollBarQuery QueryBar(TControl& c)
{
    TScrollBarQuery q;
    EXPECT_EQ(c.Perform(CM_GETVSCROLLBAR, 0, reinterpret_cast<LPARAM>(&q)), 1);
    return q;
}

// Clicks the arrows and the lane, then drags the thumb to the end and lets go.
void DriveBar(THeadlessBackend& h, TForm& form, TControl& c, const std::function<int()>& top)
{
    c.Perform(WM_VSCROLL, SB_TOP, 0);
    TScrollBarQuery q = QueryBar(c);
    ASSERT_FALSE(q.Bar.IsEmpty());
    const TRect bar = q.Bar;
    const int x = c.Left() + (bar.Left + bar.Right) / 2;
    auto y = [&](int barY) { return c.Top() + barY; };
    const int start = top(), last = q.State.MaxPos();
    ASSERT_GT(last, start + q.State.Page);

    h.Click(form, x, y(bar.Bottom - 3));
    EXPECT_EQ(top(), start + 1) << "down arrow";
    h.Click(form, x, y(bar.Top + 3));
    EXPECT_EQ(top(), start) << "up arrow";
    TRect thumb = ScrollThumbRect(bar, QueryBar(c).State);
    h.Click(form, x, y(thumb.Bottom + 2));
    EXPECT_EQ(top(), start + q.State.Page) << "lane below the thumb";
    thumb = ScrollThumbRect(bar, QueryBar(c).State);
    h.Click(form, x, y(thumb.Top - 2));
    EXPECT_EQ(top(), start) << "lane above the thumb";

    // The thumb's top dragged to the lane's end: the last position.
    thumb = ScrollThumbRect(bar, QueryBar(c).State);
    const int grab = (thumb.Top + thumb.Bottom) / 2;
    const int laneEnd = bar.Bottom - ScrollBarSize;
    h.MouseDown(form, x, y(grab));
    h.MouseMove(form, x, y(grab + (laneEnd - thumb.Bottom) / 2), ssLeft);
    EXPECT_GT(top(), start);
    EXPECT_LT(top(), last);
    h.MouseMove(form, x, y(grab + laneEnd - thumb.Bottom), ssLeft);
    EXPECT_EQ(top(), last) << "thumb dragged to the end";
    h.MouseUp(form, x, y(grab + laneEnd - thumb.Bottom));
    // Released: moving the mouse no longer scrolls.
    h.MouseMove(form, x, y(grab), 0);
    EXPECT_EQ(top(), last);
}

class EmbeddedBarTest : public HeadlessTest {
protected:
    void SetUp() override
    {
        HeadlessTest::SetUp();
        form = MakeForm(400, 300);
    }
    TForm* form = nullptr;
};

TEST_F(EmbeddedBarTest, ListScrollsByBarAndWheelWithoutChangingTheSelection)
{
    auto* list = new TListBox(form);
    list->SetParent(form);
    list->SetBounds(10, 10, 120, 100);
    list->SetStyle(lbOwnerDrawFixed);
    list->SetItemHeight(16);
    for (int i = 1; i <= 30; ++i) list->Items()->Add(std::to_string(i));
    list->SetItemIndex(0);
    form->Show();
    DriveBar(*headless, *form, *list, [&] { return list->TopIndex(); });
    EXPECT_EQ(list->ItemIndex(), 0);

    list->Perform(WM_VSCROLL, SB_TOP, 0);
    headless->Wheel(*form, 30, 30, -120);
    EXPECT_EQ(list->TopIndex(), 3);
    headless->Wheel(*form, 30, 30, 60); // less than a notch still scrolls one
    EXPECT_EQ(list->TopIndex(), 0);
}

TEST_F(EmbeddedBarTest, MemoScrollsByBarAndWheel)
{
    auto* memo = new TMemo(form);
    memo->SetParent(form);
    memo->SetBounds(10, 10, 160, 100);
    memo->SetScrollBars(ssVertical);
    for (int i = 1; i <= 40; ++i) memo->Lines()->Add("line " + std::to_string(i));
    form->Show();
    DriveBar(*headless, *form, *memo, [&] { return memo->TopRow(); });

    memo->Perform(WM_VSCROLL, SB_TOP, 0);
    headless->Wheel(*form, 30, 30, -240);
    EXPECT_EQ(memo->TopRow(), 6);
}

TEST_F(EmbeddedBarTest, GridScrollsByBarKeepingTheCurrentRow)
{
    auto* grid = new TStringGrid(form);
    grid->SetParent(form);
    grid->SetBounds(10, 10, 300, 150);
    grid->SetColCount(2);
    grid->SetRowCount(40);
    grid->SetDefaultRowHeight(18);
    form->Show();
    int row = grid->Row();
    DriveBar(*headless, *form, *grid, [&] { return grid->TopRow(); });
    EXPECT_EQ(grid->Row(), row);
}

} // namespace
