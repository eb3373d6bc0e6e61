// The vertical bar that lists, memos and grids draw inside themselves, driven
// by the mouse: arrows scroll a line, the lane a page, the thumb follows a drag
// until the button is released, and a press on the bar is not a press on the content.
#include "democontrols.h"

#include "vcl/grids.h"
#include "vcl/stdctrls_edit.h"
#include "vcl/stdctrls_list.h"

#include <functional>

namespace {

TScrollBarQuery QueryBar(TControl& c, TScrollBarKind kind = sbVertical)
{
    TScrollBarQuery q;
    EXPECT_EQ(c.Perform(CM_GETSCROLLBAR, kind == sbVertical ? SB_VERT : SB_HORZ, reinterpret_cast<LPARAM>(&q)), 1);
    return q;
}

// Clicks the arrows and the lane, then drags the thumb to the end and lets go.
void DriveBar(THeadlessBackend& h, TForm& form, TControl& c, const std::function<int()>& pos,
              TScrollBarKind kind = sbVertical, int line = 1)
{
    const bool v = kind == sbVertical;
    c.Perform(v ? WM_VSCROLL : WM_HSCROLL, SB_TOP, 0);
    TScrollBarQuery q = QueryBar(c, kind);
    ASSERT_FALSE(q.Bar.IsEmpty());
    const TRect bar = q.Bar;
    // Points along the bar (y of a vertical one, x of a horizontal one) in form coordinates.
    auto at = [&](int along) {
        return v ? Point(c.Left() + (bar.Left + bar.Right) / 2, c.Top() + along)
                 : Point(c.Left() + along, c.Top() + (bar.Top + bar.Bottom) / 2);
    };
    auto lead = [&](const TRect& r) { return v ? r.Top : r.Left; };
    auto tail = [&](const TRect& r) { return v ? r.Bottom : r.Right; };
    auto click = [&](int along) { h.Click(form, at(along).X, at(along).Y); };
    const int start = pos(), last = q.State.MaxPos();
    ASSERT_GT(last, start + q.State.Page);

    click(tail(bar) - 3);
    EXPECT_EQ(pos(), start + line) << "increase arrow";
    click(lead(bar) + 3);
    EXPECT_EQ(pos(), start) << "decrease arrow";
    TRect thumb = ScrollThumbRect(bar, QueryBar(c, kind).State, kind);
    click(tail(thumb) + 2);
    EXPECT_EQ(pos(), start + q.State.Page) << "lane after the thumb";
    thumb = ScrollThumbRect(bar, QueryBar(c, kind).State, kind);
    click(lead(thumb) - 2);
    EXPECT_EQ(pos(), start) << "lane before the thumb";

    // The thumb's leading edge dragged to the lane's end: the last position.
    thumb = ScrollThumbRect(bar, QueryBar(c, kind).State, kind);
    const int grab = (lead(thumb) + tail(thumb)) / 2;
    const int laneEnd = tail(bar) - ScrollBarSize;
    h.MouseDown(form, at(grab).X, at(grab).Y);
    const TPoint half = at(grab + (laneEnd - tail(thumb)) / 2);
    h.MouseMove(form, half.X, half.Y, ssLeft);
    EXPECT_GT(pos(), start);
    EXPECT_LT(pos(), last);
    const TPoint end = at(grab + laneEnd - tail(thumb));
    h.MouseMove(form, end.X, end.Y, ssLeft);
    EXPECT_EQ(pos(), last) << "thumb dragged to the end";
    h.MouseUp(form, end.X, end.Y);
    // Released: moving the mouse no longer scrolls.
    h.MouseMove(form, at(grab).X, at(grab).Y, 0);
    EXPECT_EQ(pos(), last);
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

TEST_F(EmbeddedBarTest, UnwrappedMemoScrollsSidewaysByBarAndFollowsTheCaret)
{
    auto* memo = new TMemo(form);
    memo->SetParent(form);
    memo->SetBounds(10, 10, 200, 120);
    memo->SetWordWrap(false);
    memo->SetScrollBars(ssBoth);
    std::string wide(120, 'w');
    for (int i = 1; i <= 30; ++i) memo->Lines()->Add(std::to_string(i) + " " + wide);
    form->Show();

    // Both bars share the inside of the frame; the corner between them belongs to neither.
    const TScrollBarQuery v = QueryBar(*memo), h = QueryBar(*memo, sbHorizontal);
    EXPECT_EQ(v.Bar.Bottom, h.Bar.Top);
    EXPECT_EQ(h.Bar.Right, v.Bar.Left);
    EXPECT_EQ(h.Bar.Height(), ScrollBarSize);
    EXPECT_TRUE(h.State.Needed());
    EXPECT_EQ(h.State.Page, memo->EditRect().Width());
    // An arrow steps one character ("0" wide) sideways.
    TBitmap probe(1, 1);
    probe.Canvas()->SetFont(*memo->Font());
    DriveBar(*headless, *form, *memo, [&] { return memo->ScrollLeft(); }, sbHorizontal,
             probe.Canvas()->TextWidth("0"));

    // The caret at the end of a widest line brings that end into view, and Home brings the start back.
    memo->Perform(WM_HSCROLL, SB_LEFT, 0);
    memo->SetFocus();
    const std::string last = memo->Lines()->Get(29);
    memo->SetSelStart(static_cast<int>(memo->Text().size() - 2 - last.size()));
    headless->PressKey(VK_END);
    EXPECT_EQ(memo->ScrollLeft(), memo->HorzScrollState().MaxPos() - 1);
    headless->PressKey(VK_HOME);
    EXPECT_EQ(memo->ScrollLeft(), 0);

    // Wrapped text never runs past the width: the bar stays but has nothing to scroll.
    memo->SetWordWrap(true);
    EXPECT_FALSE(memo->HorzScrollState().Needed());
    EXPECT_EQ(memo->ScrollLeft(), 0);
}

TEST_F(EmbeddedBarTest, GridScrollsColumnsByItsHorizontalBar)
{
    auto* grid = new TStringGrid(form);
    grid->SetParent(form);
    grid->SetBounds(10, 10, 300, 150);
    grid->SetColCount(12);
    grid->SetRowCount(3);
    form->Show();
    // Three rows fit: only the horizontal bar shows, and it leaves the rows above it.
    EXPECT_TRUE(QueryBar(*grid).Bar.IsEmpty());
    const TScrollBarQuery h = QueryBar(*grid, sbHorizontal);
    ASSERT_FALSE(h.Bar.IsEmpty());
    EXPECT_EQ(h.State.Min, 1);
    EXPECT_EQ(h.State.Max, 11);
    DriveBar(*headless, *form, *grid, [&] { return grid->LeftCol(); }, sbHorizontal);
    // The last column is wholly in view at the end.
    EXPECT_FALSE(grid->CellRect(11, 1).IsEmpty());
    EXPECT_LE(grid->CellRect(11, 1).Right, h.Bar.Right);
    grid->Perform(WM_HSCROLL, SB_LEFT, 0);
    EXPECT_EQ(grid->LeftCol(), 1);

    // Enough rows for both bars: the vertical one stops above the horizontal one.
    grid->SetRowCount(40);
    const TScrollBarQuery v = QueryBar(*grid), h2 = QueryBar(*grid, sbHorizontal);
    ASSERT_FALSE(v.Bar.IsEmpty());
    EXPECT_EQ(v.Bar.Bottom, h2.Bar.Top);
    EXPECT_EQ(h2.Bar.Right, v.Bar.Left);
    // Moving the current cell right scrolls the columns along.
    grid->SetFocus();
    for (int i = 0; i < 10; ++i) headless->PressKey(VK_RIGHT);
    EXPECT_EQ(grid->Col(), 11);
    EXPECT_EQ(grid->LeftCol(), grid->HorzScrollState().MaxPos());
}

TEST_F(EmbeddedBarTest, ThumbPositionsPast65535ReachTheControlWhole)
{
    auto* list = new TListBox(form);
    list->SetParent(form);
    list->SetBounds(10, 10, 120, 100);
    list->Items()->BeginUpdate();
    for (int i = 0; i < 70000; ++i) list->Items()->Add(std::to_string(i));
    list->Items()->EndUpdate();
    form->Show();
    list->Perform(WM_VSCROLL, MakeScrollWParam(SB_THUMBPOSITION, 69000), 0);
    EXPECT_EQ(list->TopIndex(), 69000);
    list->Perform(WM_VSCROLL, MakeScrollWParam(SB_THUMBTRACK, 65536 + 7), 0);
    EXPECT_EQ(list->TopIndex(), 65543);
    EXPECT_EQ(ScrollMessagePos(MakeScrollWParam(SB_THUMBPOSITION, -5)), -5);
    EXPECT_EQ(ScrollMessageCode(MakeScrollWParam(SB_THUMBPOSITION, 123456)), SB_THUMBPOSITION);
}

} // namespace
