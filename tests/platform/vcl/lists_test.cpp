// List boxes, combo boxes and grids driven through the headless backend.
#include "democontrols.h"

#include "vcl/grids.h"
#include "vcl/stdctrls_edit.h"

#include <algorithm>
#include <map>
#include "vcl/stdctrls_list.h"

namespace {

class ListTest : public HeadlessTest {
protected:
    void SetUp() override
    {
        HeadlessTest::SetUp();
        form = MakeForm(400, 300);
        list = new TListBox(form);
        list->SetParent(form);
        list->SetBounds(10, 10, 120, 100);
        list->SetStyle(lbOwnerDrawFixed);
        list->SetItemHeight(16);
        for (int i = 1; i <= 12; ++i) list->Items()->Add(std::to_string(i));
        form->Show();
    }
    TForm* form = nullptr;
    TListBox* list = nullptr;
};

TEST_F(ListTest, ClickingARowSelectsItAndFiresOnClickOnce)
{
    int clicks = 0;
    list->OnClick = [&](TObject*) { ++clicks; };
    TRect r = list->ItemRect(2);
    headless->Click(*form, 10 + r.Left + 5, 10 + r.Top + 5);
    EXPECT_EQ(list->ItemIndex(), 2);
    EXPECT_TRUE(list->Selected(2));
    EXPECT_EQ(clicks, 1);
    // Clicking the selected row again changes nothing and is no click.
    headless->Click(*form, 10 + r.Left + 5, 10 + r.Top + 5);
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(list->Focused());
}

TEST_F(ListTest, KeysMoveTheSelectionAndScrollItIntoView)
{
    list->SetFocus();
    list->SetItemIndex(0);
    headless->PressKey(VK_END);
    EXPECT_EQ(list->ItemIndex(), 11);
    EXPECT_EQ(list->TopIndex(), 12 - list->VertScrollState().Page);
    headless->PressKey(VK_HOME);
    EXPECT_EQ(list->TopIndex(), 0);
    headless->PressKey(VK_DOWN);
    EXPECT_EQ(list->ItemIndex(), 1);
    headless->Char('9');
    EXPECT_EQ(list->ItemIndex(), 8);
}

TEST_F(ListTest, OwnerDrawGetsEveryVisibleItemWithItsState)
{
    std::vector<std::pair<int, TOwnerDrawState>> drawn;
    list->OnDrawItem = [&](TWinControl*, int index, TRect, TOwnerDrawState st) { drawn.push_back({index, st}); };
    list->SetItemIndex(1);
    list->SetFocus();
    headless->Snapshot(*form);
    ASSERT_GE(drawn.size(), 3u);
    EXPECT_EQ(drawn[0].first, 0);
    EXPECT_EQ(drawn[1].second & (odSelected | odFocused), odSelected | odFocused);
    EXPECT_EQ(drawn[0].second & odSelected, 0u);
    EXPECT_LE(static_cast<int>(drawn.size()), list->VertScrollState().Page + 1);
}

TEST_F(ListTest, MultiSelectWithShiftAndCtrl)
{
    list->SetMultiSelect(true);
    TRect r1 = list->ItemRect(1), r3 = list->ItemRect(3);
    headless->Click(*form, 15, 10 + r1.Top + 3);
    headless->MouseDown(*form, 15, 10 + r3.Top + 3, mbLeft, ssShift);
    headless->MouseUp(*form, 15, 10 + r3.Top + 3);
    EXPECT_EQ(list->SelCount(), 3);
    headless->MouseDown(*form, 15, 10 + r1.Top + 3, mbLeft, ssCtrl);
    headless->MouseUp(*form, 15, 10 + r1.Top + 3);
    EXPECT_FALSE(list->Selected(1));
    EXPECT_EQ(list->SelCount(), 2);
    EXPECT_THROW(list->Selected(12), EListError);
}

TEST_F(ListTest, EmptyListShowsAFocusRectangleAndIgnoresKeys)
{
    list->Items()->Clear();
    list->SetFocus();
    headless->PressKey(VK_DOWN);
    EXPECT_EQ(list->ItemIndex(), -1);
    EXPECT_EQ(list->ItemAtPos(Point(20, 20), true), -1);
}

TEST_F(ListTest, VariableItemsTakeTheHeightsTheyAreMeasuredAt)
{
    // Items of 10, 20 and 30 pixels in turn: 0..10, 10..30, 30..60, 60..70 ...
    std::vector<int> asked;
    list->OnMeasureItem = [&](TWinControl*, int index, int& height) {
        asked.push_back(height);
        height = 10 * (index % 3 + 1);
    };
    std::vector<std::pair<int, TRect>> drawn;
    list->OnDrawItem = [&](TWinControl*, int index, TRect r, TOwnerDrawState) { drawn.push_back({index, r}); };
    list->SetStyle(lbOwnerDrawVariable);
    ASSERT_EQ(asked.size(), 12u);
    EXPECT_EQ(asked.front(), 16);   // each is asked with the list's item height
    EXPECT_EQ(list->HeightOfItem(2), 30);
    headless->Snapshot(*form);
    ASSERT_GE(drawn.size(), 4u);
    EXPECT_EQ(drawn[0].second.Height(), 10);
    EXPECT_EQ(drawn[1].second.Top, drawn[0].second.Bottom);
    EXPECT_EQ(drawn[1].second.Height(), 20);
    EXPECT_EQ(drawn[2].second.Height(), 30);
    EXPECT_EQ(drawn[3].second.Top - drawn[0].second.Top, 60);

    // A click lands on the item drawn under it.
    const int top = 10 + list->ItemRect(0).Top;
    headless->Click(*form, 30, top + 25);   // inside the 20-pixel item
    EXPECT_EQ(list->ItemIndex(), 1);
    headless->Click(*form, 30, top + 59);   // the 30-pixel item's last row
    EXPECT_EQ(list->ItemIndex(), 2);

    // The end: the last items that fill the 96 pixels inside the frame (30+10+20+30) start at 8.
    headless->PressKey(VK_END);
    EXPECT_EQ(list->ItemIndex(), 11);
    EXPECT_EQ(list->TopIndex(), 8);
    EXPECT_EQ(list->VertScrollState().MaxPos(), 8);
    EXPECT_EQ(list->ItemRect(11).Bottom, list->ItemRect(8).Top + 90);
    // Up into the item above the view brings it to the top.
    for (int i = 0; i < 4; ++i) headless->PressKey(VK_UP);
    EXPECT_EQ(list->TopIndex(), 7);

    // A fixed list leaves the measuring alone.
    asked.clear();
    list->SetStyle(lbOwnerDrawFixed);
    list->Items()->Add("13");
    EXPECT_TRUE(asked.empty());
    EXPECT_EQ(list->ItemRect(1).Height(), 16);
}

// ---------------------------------------------------------------------------
class ComboTest : public HeadlessTest {
protected:
    void SetUp() override
    {
        HeadlessTest::SetUp();
        form = MakeForm(400, 300);
        combo = new TComboBox(form);
        combo->SetParent(form);
        combo->SetBounds(20, 20, 150, 21);
        combo->SetStyle(csDropDownList);
        for (const char* s : {"English", "French", "German", "Spanish"}) combo->Items()->Add(s);
        form->Show();
    }
    TForm* form = nullptr;
    TComboBox* combo = nullptr;
};

TEST_F(ComboTest, PickingAnItemWithTheMouseFromTheOpenList)
{
    std::vector<std::string> events;
    combo->OnDropDown = [&](TObject*) { events.push_back("drop"); };
    combo->OnClick = [&](TObject*) { events.push_back("click"); };
    combo->OnSelect = [&](TObject*) { events.push_back("select"); };
    combo->OnChange = [&](TObject*) { events.push_back("change"); };
    combo->OnCloseUp = [&](TObject*) { events.push_back("close"); };
    TRect listRect;
    bool wasDropped = false;
    headless->OnNextModal([&](TCustomForm& f) {
        auto* list = dynamic_cast<TComboListWindow*>(&f);
        ASSERT_NE(list, nullptr);
        wasDropped = combo->DroppedDown();
        listRect = combo->ListRect();
        TRect r = list->ItemRect(2);
        headless->Click(f, r.Left + 5, r.Top + 3);
    });
    TRect b = combo->ButtonRect();
    headless->Click(*form, 20 + b.Left + 3, 20 + b.Top + 3);
    EXPECT_TRUE(wasDropped);
    EXPECT_EQ(listRect.Top, form->ClientToScreen(Point(0, 20 + 21)).Y);
    EXPECT_EQ(combo->ItemIndex(), 2);
    EXPECT_EQ(combo->Text(), "German");
    EXPECT_FALSE(combo->DroppedDown());
    EXPECT_EQ(events, (std::vector<std::string>{"drop", "close", "click", "select", "change"}));
    EXPECT_TRUE(headless->UnscriptedModals().empty());
}

TEST_F(ComboTest, KeysInTheOpenListAndOnTheClosedCombo)
{
    combo->SetFocus();
    headless->PressKey(VK_DOWN);
    EXPECT_EQ(combo->ItemIndex(), 0);
    headless->PressKey(VK_DOWN);
    EXPECT_EQ(combo->Text(), "French");
    headless->OnNextModal([&](TCustomForm&) {
        headless->PressKey(VK_DOWN);
        headless->PressKey(VK_DOWN);
        headless->PressKey(VK_RETURN);
    });
    headless->PressKey(VK_F4);
    EXPECT_EQ(combo->Text(), "Spanish");
    // Escape closes without choosing.
    headless->OnNextModal([&](TCustomForm&) {
        headless->PressKey(VK_UP);
        headless->PressKey(VK_ESCAPE);
    });
    headless->PressKey(VK_F4);
    EXPECT_EQ(combo->Text(), "Spanish");
}

TEST_F(ComboTest, ClickOutsideTheListClosesItAndAnUnscriptedListNeverHangs)
{
    combo->SetItemIndex(1);
    headless->OnNextModal([&](TCustomForm& f) { headless->MouseDown(f, -20, -20); });
    combo->SetDroppedDown(true);
    EXPECT_EQ(combo->ItemIndex(), 1);
    combo->SetDroppedDown(true);
    EXPECT_FALSE(combo->DroppedDown());
    EXPECT_EQ(headless->UnscriptedModals().size(), 1u);
}

TEST_F(ComboTest, TypingCompletesToAMatchingItem)
{
    combo->SetFocus();
    headless->Char('s');
    EXPECT_EQ(combo->Text(), "Spanish");
    headless->Char('g'); // "sg" matches nothing: starts again from "g"
    EXPECT_EQ(combo->Text(), "German");

    auto* free = new TComboBox(form);
    free->SetParent(form);
    free->SetBounds(20, 60, 150, 21);
    free->Items()->Assign(*combo->Items());
    free->SetFocus();
    headless->TypeText("Fr");
    EXPECT_EQ(free->Text(), "French");
    EXPECT_EQ(free->EditControl()->SelText(), "ench");
    EXPECT_EQ(free->ItemIndex(), 1);
}

TEST_F(ComboTest, OwnerDrawItemsDrawOnTheListsCanvas)
{
    combo->SetStyle(csOwnerDrawFixed);
    combo->SetItemHeight(15);
    std::vector<int> drawn;
    TColor swatch = RGB(10, 200, 30);
    combo->OnDrawItem = [&](TWinControl*, int index, TRect r, TOwnerDrawState) {
        drawn.push_back(index);
        combo->Canvas()->Brush()->SetColor(swatch);
        combo->Canvas()->FillRect(r);
    };
    TColor seen = 0;
    headless->OnNextModal([&](TCustomForm& f) {
        TRect r = static_cast<TComboListWindow&>(f).ItemRect(3);
        seen = headless->PixelAt(f, r.Left + 2, r.Top + 2);
        headless->PressKey(VK_ESCAPE);
    });
    combo->SetDroppedDown(true);
    EXPECT_EQ(seen, swatch);
    EXPECT_NE(std::find(drawn.begin(), drawn.end(), 3), drawn.end());
    EXPECT_EQ(combo->ButtonRect().Width(), 17);
    EXPECT_TRUE(combo->ListRect().IsEmpty());
}

// ---------------------------------------------------------------------------
class GridTest : public HeadlessTest {
protected:
    void SetUp() override
    {
        HeadlessTest::SetUp();
        form = MakeForm(400, 300);
        grid = new TStringGrid(form);
        grid->SetParent(form);
        grid->SetBounds(10, 10, 300, 150);
        grid->SetColCount(3);
        grid->SetRowCount(19);
        grid->SetFixedCols(0);
        grid->SetDefaultRowHeight(18);
        grid->SetColWidths(0, 150);
        grid->SetColWidths(1, 60);
        grid->SetColWidths(2, 60);
        grid->SetOptions(grid->Options() | goRowSelect);
        grid->SetCells(0, 0, "File Name");
        for (int r = 1; r < 19; ++r) grid->SetCells(0, r, "file" + std::to_string(r));
        form->Show();
    }
    TForm* form = nullptr;
    TStringGrid* grid = nullptr;
};

TEST_F(GridTest, RowFromMousePositionAndClickSelection)
{
    int c = -1, r = -1;
    ASSERT_TRUE(grid->MouseToCell(160, 2 + 19 + 19 + 5, c, r));
    EXPECT_EQ(c, 1);
    EXPECT_EQ(r, 2);
    headless->Click(*form, 10 + 20, 10 + 2 + 19 * 3 + 4);
    EXPECT_EQ(grid->Row(), 3);
    EXPECT_FALSE(grid->MouseToCell(5000, 5, c, r));
    EXPECT_EQ(r, -1);
}

TEST_F(GridTest, ScrollingKeepsTheFixedRowAndMovesTheRest)
{
    TScrollState s = grid->VertScrollState();
    EXPECT_TRUE(s.Needed());
    grid->Perform(WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(grid->TopRow(), 2);
    EXPECT_FALSE(grid->CellRect(0, 0).IsEmpty());
    EXPECT_TRUE(grid->CellRect(0, 1).IsEmpty());
    int c, r;
    grid->MouseToCell(20, 2 + 19 + 3, c, r);
    EXPECT_EQ(r, 2);
    grid->SetFocus();
    headless->PressKey(VK_END, ssCtrl);
    EXPECT_EQ(grid->Row(), 18);
    EXPECT_EQ(grid->TopRow(), s.MaxPos());
    grid->Perform(WM_VSCROLL, SB_TOP, 0);
    EXPECT_EQ(grid->TopRow(), 1);
}

TEST_F(GridTest, DrawCellReportsFixedSelectedAndFocusedStates)
{
    std::map<std::pair<int, int>, TGridDrawState> states;
    grid->OnDrawCell = [&](TObject*, int c, int r, TRect, TGridDrawState st) { states[{c, r}] = st; };
    grid->SetRow(2);
    grid->SetFocus();
    headless->Snapshot(*form);
    EXPECT_EQ(states[std::make_pair(0, 0)], gdFixed);
    EXPECT_EQ(states[std::make_pair(0, 2)], gdSelected | gdFocused);
    EXPECT_EQ(states[std::make_pair(1, 2)], gdSelected);
    EXPECT_EQ(states[std::make_pair(0, 3)], 0u);
    EXPECT_EQ(grid->Cells(0, 2), "file2");
    EXPECT_EQ(grid->Cells(7, 2), "");
    EXPECT_THROW(grid->SetCells(3, 0, "x"), EListError);
    grid->SetRowCount(5);
    EXPECT_EQ(grid->Cells(0, 4), "file4");
    EXPECT_EQ(grid->Row(), 2);
}

} // namespace
