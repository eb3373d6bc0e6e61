// Skinned memo, list boxes and grids: skin borders and colours, item and cell
// drawing, attaching and releasing skinned bars, where the bars go (left to
// right and right to left), and bars and controls scrolling each other.
#include "kivcontrols_fixture.h"

#include "skin/kivgrid.h"
#include "skin/kivlistbox.h"
#include "skin/kivmemo.h"
#include "skin/kivmgr.h"
#include "skin/kivpublic.h"
#include "skin/kivthemefile.h"

#include "gfx/canvas.h"
#include "rtl/paths.h"
#include "win32/progfolders.h"

namespace {

class KivLists : public KivControlsTest {
protected:
    void SetUp() override
    {
        KivControlsTest::SetUp();
        form->SetBounds(10, 10, 480, 400);
    }
    void TearDown() override
    {
        SetUserLocale("");
        KivControlsTest::TearDown();
    }
    template <class T>
    T* Place(int x, int y, int w, int h)
    {
        auto* c = new T(form);
        c->SetParent(form);
        c->SetBounds(x, y, w, h);
        return c;
    }
    TkivScrollBar* Bar() { return Place<TkivScrollBar>(0, 0, 16, 100); }
    int Count(const TRect& r, TColor c)
    {
        auto shot = headless->Snapshot(*form);
        int n = 0;
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = r.Left; x < r.Right; ++x) n += shot->Pixel(x, y) == c;
        return n;
    }
    static void ExpectBounds(TControl* c, int left, int top, int width, int height)
    {
        EXPECT_EQ(c->Left(), left);
        EXPECT_EQ(c->Top(), top);
        EXPECT_EQ(c->Width(), width);
        EXPECT_EQ(c->Height(), height);
    }
};

TEST_F(KivLists, MemoKeepsItsOwnBarsForTheAttachedOnesAndForgetsAFreedBar)
{
    auto* memo = Place<TkivMemo>(20, 20, 200, 120);
    EXPECT_EQ(memo->BorderWidth(), 2);
    EXPECT_EQ(memo->BorderStyle(), bsNone);
    EXPECT_FALSE(memo->Ctl3D());
    auto* v = Bar();
    auto* h = Bar();
    memo->SetVScrollBar(v);
    EXPECT_EQ(memo->ScrollBars(), ssVertical);
    EXPECT_EQ(v->Orientation(), kivVertical);
    memo->SetHScrollBar(h);
    EXPECT_EQ(memo->ScrollBars(), ssBoth);
    EXPECT_EQ(h->Orientation(), kivHorizontal);

    // Detaching releases the bar: no handler, no fixed thumb, Max 100, enabled.
    h->SetMax(7);
    memo->SetHScrollBar(nullptr);
    EXPECT_EQ(memo->ScrollBars(), ssVertical);
    EXPECT_FALSE(h->OnChange());
    EXPECT_EQ(h->LineButton(), 0);
    EXPECT_EQ(h->Max(), 100);
    EXPECT_TRUE(h->Enabled());

    // A bar freed while attached is forgotten, and the memo's own bar goes with it.
    v->Free();
    EXPECT_EQ(memo->VScrollBar(), nullptr);
    EXPECT_EQ(memo->ScrollBars(), ssNone);
    form->Show();
    for (int i = 0; i < 30; ++i) memo->Lines()->Add("after");
    // A memo freed first leaves its bar with no handler into it.
    memo->SetHScrollBar(h);
    memo->Free();
    EXPECT_FALSE(h->OnChange());
    h->SetPosition(3);
}

TEST_F(KivLists, ANativeRangeOf100WithAPageOf10GivesTheBarMax90)
{
    auto* list = Place<TkivListBox>(20, 20, 150, 164); // 160 pixels inside: ten rows of 16
    list->SetItemHeight(16);
    for (int i = 0; i < 100; ++i) list->Items()->Add("item " + std::to_string(i));
    auto* v = Bar();
    form->Show();
    list->SetVScrollBar(v);
    EXPECT_EQ(v->Min(), 0);
    EXPECT_EQ(v->Max(), 90);
    EXPECT_EQ(v->Position(), 0);
    EXPECT_TRUE(v->Visible());
    EXPECT_TRUE(v->Enabled());
    EXPECT_GE(v->LineButton(), 18); // the list's own thumb, at least 18 pixels

    // Too few items for a bar: the list's own bar goes, and the skinned one is hidden and idle.
    list->Items()->Clear();
    list->Items()->Add("one");
    EXPECT_FALSE(v->Visible());
    EXPECT_FALSE(v->Enabled());
    EXPECT_EQ(v->LineButton(), 0);
}

TEST_F(KivLists, PlacementOverTheControlsOwnBarsLeftToRightAndRightToLeft)
{
    auto* list = Place<TkivListBox>(20, 20, 150, 100);
    auto* memo = Place<TkivMemo>(200, 20, 200, 120);
    auto* grid = Place<TkivStringGrid>(20, 160, 200, 120);
    for (int i = 0; i < 40; ++i) list->Items()->Add("item");
    grid->SetColCount(10);
    grid->SetRowCount(30);
    TkivScrollBar* lv = Bar();
    TkivScrollBar *mv = Bar(), *mh = Bar(), *gv = Bar(), *gh = Bar();
    form->Show();
    list->SetVScrollBar(lv);
    memo->SetVScrollBar(mv);
    memo->SetHScrollBar(mh);
    grid->SetVScrollBar(gv);
    grid->SetHScrollBar(gh);
    auto leftToRight = [&] {
        ExpectBounds(lv, 20 + 150 - 16 - 2, 21, 16, 98);
        ExpectBounds(mv, 200 + 200 - 16 - 2, 21, 16, 120 - 2 - 16);
        ExpectBounds(mh, 201, 20 + 120 - 16 - 2, 200 - 1 - 16, 16);
        ExpectBounds(gv, 20 + 200 - 16 - 1, 161, 16, 120 - 1 - 16);
        ExpectBounds(gh, 21, 160 + 120 - 16 - 1, 200 - 1 - 16, 16);
    };
    leftToRight();

    // The bars follow a moved control.
    memo->SetBounds(210, 30, 200, 120);
    ExpectBounds(mv, 210 + 200 - 16 - 2, 31, 16, 120 - 2 - 16);
    memo->SetBounds(200, 20, 200, 120);

    // Right to left only on a Middle-East system: elsewhere nothing moves.
    form->SetBiDiMode(bdRightToLeft);
    leftToRight();
    SetUserLocale("ar_EG.UTF-8");
    form->SetBiDiMode(bdLeftToRight);
    form->SetBiDiMode(bdRightToLeft);
    ExpectBounds(lv, 22, 21, 16, 98);
    ExpectBounds(mv, 202, 21, 16, 120 - 2 - 16);
    ExpectBounds(mh, 201 + 16, 20 + 120 - 16 - 2, 200 - 2 - 16, 16);
    ExpectBounds(gv, 21, 161, 16, 120 - 1 - 16);
    ExpectBounds(gh, 21 + 16, 160 + 120 - 16 - 1, 200 - 1 - 16, 16);
    // The controls' own vertical bars moved to the left too, under the skinned ones.
    SCROLLBARINFO info;
    ASSERT_TRUE(KIVGetScrollBarInfo(grid->Handle(), OBJID_VSCROLL, info));
    EXPECT_EQ(info.rcScrollBar.Left, grid->ClientToScreen(Point(1, 0)).X);
    // Reading right to left without the mirrored layout keeps the bars on the right.
    form->SetBiDiMode(bdRightToLeftNoAlign);
    leftToRight();

    // A list narrower than its bar puts the bar at its left edge; hiding a control hides its bars.
    form->SetBiDiMode(bdLeftToRight);
    list->SetWidth(10);
    EXPECT_EQ(lv->Left(), 20);
    memo->Hide();
    EXPECT_FALSE(mv->Visible());
    EXPECT_FALSE(mh->Visible());
    memo->Show();
    EXPECT_TRUE(mv->Visible());
}

TEST_F(KivLists, DraggingABarScrollsTheControlAndScrollingTheControlMovesTheBar)
{
    auto* list = Place<TkivListBox>(20, 20, 150, 164);
    list->SetItemHeight(16);
    for (int i = 0; i < 100; ++i) list->Items()->Add("item " + std::to_string(i));
    auto* memo = Place<TkivMemo>(200, 20, 200, 120);
    for (int i = 0; i < 60; ++i) memo->Lines()->Add("log line " + std::to_string(i));
    auto* grid = Place<TkivDrawGrid>(20, 200, 300, 150);
    grid->SetRowCount(60);
    grid->SetColCount(12);
    TkivScrollBar *lv = Bar(), *mv = Bar(), *gv = Bar(), *gh = Bar();
    form->Show();
    list->SetVScrollBar(lv);
    memo->SetVScrollBar(mv);
    grid->SetVScrollBar(gv);
    grid->SetHScrollBar(gh);
    // Appending keeps the newest line in view, and the bar at its end.
    EXPECT_EQ(mv->Position(), memo->TopRow());
    EXPECT_EQ(mv->Position(), mv->Max());
    EXPECT_GT(mv->Max(), 0);

    // Count the scroll messages each control gets: one per move of a bar, none fed back.
    int listScrolls = 0;
    list->WindowProc = [&](TMessage& m) {
        if (m.Msg == WM_VSCROLL) ++listScrolls;
        list->WndProc(m);
    };
    auto drag = [&](TkivScrollBar* bar, int to) {
        TkivImagePanel* thumb = bar->Lane()->Slider();
        const TPoint grab = form->ScreenToClient(thumb->ClientToScreen(Point(thumb->Width() / 2, thumb->Height() / 2)));
        const bool v = bar->Orientation() == kivVertical;
        headless->MouseDown(*form, grab.X, grab.Y);
        headless->MouseMove(*form, v ? grab.X : grab.X + to, v ? grab.Y + to : grab.Y, ssLeft);
        headless->MouseUp(*form, v ? grab.X : grab.X + to, v ? grab.Y + to : grab.Y);
    };
    drag(lv, 60);
    EXPECT_GT(lv->Position(), 0);
    EXPECT_EQ(list->TopIndex(), lv->Position());
    EXPECT_EQ(listScrolls, 1);
    drag(mv, -40);
    EXPECT_LT(mv->Position(), mv->Max());
    EXPECT_EQ(memo->TopRow(), mv->Position());
    drag(gv, 40);
    EXPECT_GT(gv->Position(), 1);
    EXPECT_EQ(grid->TopRow(), gv->Position());
    drag(gh, 1000);
    EXPECT_EQ(gh->Position(), gh->Max());
    EXPECT_EQ(grid->LeftCol(), gh->Position());

    // An arrow held for one tick of its auto-repeat steps the control one line.
    const int before = list->TopIndex();
    TkivImageButton& arrow = *lv->IncreaseButton();
    const TPoint on = form->ScreenToClient(arrow.ClientToScreen(Point(arrow.Width() / 2, arrow.Height() / 2)));
    headless->MouseDown(*form, on.X, on.Y);
    clock.Advance(100);
    app->ProcessMessages();
    headless->MouseUp(*form, on.X, on.Y);
    EXPECT_EQ(list->TopIndex(), before + 1);
    EXPECT_EQ(listScrolls, 2);

    // Keys and the wheel scroll the controls; their bars follow without scrolling them back.
    list->SetFocus();
    headless->PressKey(VK_HOME);
    EXPECT_EQ(list->TopIndex(), 0);
    EXPECT_EQ(lv->Position(), 0);
    headless->Wheel(*form, 60, 60, -120);
    EXPECT_EQ(list->TopIndex(), 3);
    EXPECT_EQ(lv->Position(), 3);
    EXPECT_EQ(listScrolls, 2);
    memo->SetFocus();
    headless->KeyDown(VK_HOME, ssCtrl);
    memo->SetSelStart(0);
    EXPECT_EQ(memo->TopRow(), 0);
    EXPECT_EQ(mv->Position(), 0);
    grid->SetFocus();
    headless->PressKey(VK_END, ssCtrl);
    EXPECT_EQ(gv->Position(), grid->TopRow());
    EXPECT_EQ(gv->Position(), gv->Max());
    headless->PressKey(VK_HOME);
    EXPECT_EQ(gh->Position(), 1);

    // A disabled control disables its bar.
    list->SetEnabled(false);
    EXPECT_FALSE(lv->Enabled());
    list->SetEnabled(true);
    EXPECT_TRUE(lv->Enabled());
}

TEST_F(KivLists, ARightToLeftStringGridShowsItsHorizontalPositionMirrored)
{
    auto* grid = Place<TkivStringGrid>(20, 20, 200, 120);
    grid->SetColCount(12);
    grid->SetRowCount(4);
    TkivScrollBar* gh = Bar();
    form->Show();
    grid->SetHScrollBar(gh);
    const int first = grid->LeftCol();
    ASSERT_GT(gh->Max(), gh->Min());
    EXPECT_EQ(gh->Position(), first);

    // Read right to left on a Middle-East system: the start is at the bar's right end,
    // not only when the reading direction changes but whenever the bar follows the
    // grid or the grid the bar, so that the two never disagree.
    SetUserLocale("ar_EG.UTF-8");
    grid->SetBiDiMode(bdRightToLeft);
    const auto mirrored = [&](int column) { return gh->Min() + gh->Max() - column; };
    EXPECT_EQ(gh->Position(), gh->Max());
    EXPECT_EQ(gh->Position(), mirrored(first));
    // The bar moved to its left end scrolls the grid to its last columns, and back.
    gh->SetPosition(gh->Min());
    EXPECT_EQ(grid->LeftCol(), mirrored(gh->Min()));
    EXPECT_GT(grid->LeftCol(), first + 2);
    gh->SetPosition(gh->Max() - 1);
    EXPECT_EQ(grid->LeftCol(), first + 1);
    // The grid scrolled by itself: the bar follows, mirrored.
    grid->SetLeftCol(first + 2);
    EXPECT_EQ(gh->Position(), mirrored(first + 2));
    grid->SetLeftCol(first);
    // Reading only, the position is mirrored all the same; left to right again, it is not.
    grid->SetBiDiMode(bdRightToLeftReadingOnly);
    EXPECT_EQ(gh->Position(), gh->Max());
    grid->SetBiDiMode(bdLeftToRight);
    EXPECT_EQ(gh->Position(), first);

    // The draw grid is not mirrored.
    auto* drawGrid = Place<TkivDrawGrid>(20, 160, 200, 120);
    drawGrid->SetColCount(12);
    TkivScrollBar* dh = Bar();
    drawGrid->SetHScrollBar(dh);
    drawGrid->SetBiDiMode(bdRightToLeft);
    EXPECT_EQ(dh->Position(), drawGrid->LeftCol());
}

TEST_F(KivLists, ListItemsInTheirColoursAlignmentsAndTheEmptyListsFocus)
{
    auto* list = Place<TkivListBox>(20, 20, 200, 100);
    list->SetItemHeight(16);
    list->SetColor(clWhite);
    list->Font()->SetColor(clBlack);
    list->Items()->Add("WWWW");
    list->Items()->Add("WWWW");
    list->SetSelectedColor(clRed);
    list->SetSelectedTextColor(clYellow);
    list->SetDisabledTextColor(clBlue);
    form->Show();
    // The border: a line in BorderColor, a second in the list's colour.
    EXPECT_EQ(list->BorderColor(), static_cast<TColor>(GetInsideThemeColor(DeepBlue, 25)));
    list->SetBorderColor(clFuchsia);
    EXPECT_EQ(At(20, 60), clFuchsia);
    EXPECT_EQ(At(21, 60), clWhite);

    const TRect row0 = Rect(22, 22, 218, 38), row1 = Rect(22, 38, 218, 54);
    list->SetItemIndex(0);
    EXPECT_EQ(At(210, 30), clRed);
    EXPECT_GT(Count(row0, clYellow), 0);
    EXPECT_EQ(At(210, 46), clWhite);
    EXPECT_GT(Count(row1, clBlack), 0);

    // Left, centred and right: the text moves across the row.
    auto ink = [&](int from, int to) { return Count(Rect(from, 38, to, 54), clBlack); };
    EXPECT_GT(ink(22, 60), 0);
    EXPECT_EQ(ink(160, 218), 0);
    list->SetAlignment(taRightJustify);
    EXPECT_EQ(ink(22, 60), 0);
    EXPECT_GT(ink(160, 218), 0);
    list->SetAlignment(taCenter);
    EXPECT_EQ(ink(22, 60), 0);
    EXPECT_GT(ink(100, 140), 0);

    // Disabled: every item's text in DisabledTextColor.
    list->SetEnabled(false);
    EXPECT_GT(Count(row1, clBlue), 0);
    EXPECT_EQ(Count(row1, clBlack), 0);
    EXPECT_GT(Count(row0, clBlue), 0);
    list->SetEnabled(true);

    // A focused item gets a focus rectangle only with ShowFocusRect.
    list->SetFocus();
    list->SetItemIndex(1);
    list->SetSelectedColor(clWhite);
    list->SetAlignment(taRightJustify);
    const TRect leftEnd = Rect(22, 38, 60, 54);
    EXPECT_GT(Count(leftEnd, clWhite), 0);
    const int withFrame = Count(leftEnd, clWhite);
    list->SetShowFocusRect(false);
    EXPECT_GT(Count(leftEnd, clWhite), withFrame);

    // An item-less list shows a focus rectangle when it has the focus, and only then.
    list->Items()->Clear();
    const TRect top = Rect(22, 22, 218, 38);
    const int focused = Count(top, clWhite);
    EXPECT_LT(focused, top.Width() * top.Height());
    list->SetShowFocusRect(true);
    auto* other = Place<TkivListBox>(240, 20, 100, 100);
    other->SetFocus();
    EXPECT_EQ(Count(top, clWhite), top.Width() * top.Height());
}

TEST_F(KivLists, VariableListItemsAreAsTallAsTheirWrappedTextAndDrawnWrapped)
{
    auto* list = Place<TkivListBox>(20, 20, 200, 300);
    list->SetColor(clWhite);
    list->Font()->SetColor(clBlack);
    list->Items()->Add("One");
    list->Items()->Add("Two\nlines");
    list->Items()->Add("Three\nlines\nhere");
    list->Items()->Add("a line of words long enough that it wraps in the list");
    list->SetStyle(lbOwnerDrawVariable);
    form->Show();
    const int line = list->HeightOfItem(0);
    EXPECT_GT(line, 8);
    EXPECT_EQ(list->HeightOfItem(1), 2 * line);
    EXPECT_EQ(list->HeightOfItem(2), 3 * line);
    EXPECT_GE(list->HeightOfItem(3), 2 * line);   // wrapped at the list's width
    EXPECT_EQ(list->ItemRect(2).Top, list->ItemRect(0).Top + 3 * line);

    // Each line of an item is drawn inside it, the last one too: a measured
    // item is drawn wrapped, as it was measured, not on the one line of a
    // fixed list's items (which would cut it at the edge).
    const TRect item = list->ItemRect(2);
    const TRect lastLine = Rect(20 + item.Left, 20 + item.Top + 2 * line, 20 + item.Right, 20 + item.Bottom);
    EXPECT_GT(Count(lastLine, clBlack), 0);
    EXPECT_EQ(Count(Rect(20 + item.Left, 20 + item.Bottom, 20 + item.Right, 20 + item.Bottom + 2), clBlack), 0);

    // A handler of the list's own decides instead; a taller font measures taller.
    list->OnMeasureItem = [](TWinControl*, int, int& height) { height = 40; };
    list->Items()->Add("Four");
    EXPECT_EQ(list->HeightOfItem(0), 40);
    list->OnMeasureItem = nullptr;
    list->Font()->SetSize(list->Font()->Size() * 2);
    EXPECT_GT(list->HeightOfItem(0), line * 3 / 2);
}

TEST_F(KivLists, GridCellsFillInOrderAndTakeTheThemesColours)
{
    auto* grid = Place<TkivDrawGrid>(20, 20, 300, 150);
    auto* strings = Place<TkivStringGrid>(20, 200, 300, 150);
    EXPECT_EQ(grid->FocusedColor(), clGreen);
    EXPECT_EQ(grid->SelectedColor(), clYellow);
    EXPECT_EQ(strings->FocusedColor(), clLime);
    EXPECT_EQ(grid->BorderWidth(), 1);
    // Theme colours: border 25, fixed cells 19, cells 26, fixed text 20, text 22.
    grid->SetUIStyle(WinXP);
    EXPECT_EQ(grid->BorderColor(), static_cast<TColor>(GetInsideThemeColor(WinXP, 25)));
    EXPECT_EQ(grid->FixedBGColor(), static_cast<TColor>(GetInsideThemeColor(WinXP, 19)));
    EXPECT_EQ(grid->BGColor(), static_cast<TColor>(GetInsideThemeColor(WinXP, 26)));
    EXPECT_EQ(grid->FixedFontColor(), static_cast<TColor>(GetInsideThemeColor(WinXP, 20)));
    EXPECT_EQ(grid->FontColor(), static_cast<TColor>(GetInsideThemeColor(WinXP, 22)));

    grid->SetBGColor(clWhite);
    form->Show();
    auto centre = [&](TCustomGrid* g, int col, int row) {
        const TRect r = g->CellRect(col, row);
        return At(g->Left() + (r.Left + r.Right) / 2, g->Top() + (r.Top + r.Bottom) / 2);
    };
    // Neither selected nor focused: the cells' colour; the current cell without
    // the focus: SelectedColor; with it: FocusedColor, which wins.
    strings->SetFocus();
    EXPECT_EQ(centre(grid, 2, 2), clWhite);
    EXPECT_EQ(centre(grid, 1, 1), clYellow);
    grid->SetFocus();
    EXPECT_EQ(centre(grid, 1, 1), clGreen);
    grid->SetFocusedColor(clNavy);
    EXPECT_EQ(centre(grid, 1, 1), clNavy);
    // The border: the draw grid has its inner line, the string grid none.
    EXPECT_EQ(At(20, 80), grid->BorderColor());
    EXPECT_EQ(At(21, 80), clWhite);
    strings->SetBorderColor(clRed);
    EXPECT_EQ(At(20, 280), clRed);
    EXPECT_NE(At(21, 280), strings->BGColor());

    // Fixed cells' text in FixedFontColor.
    strings->SetCells(1, 0, "WWW");
    strings->SetFixedFontColor(clRed);
    const TRect fixed = strings->CellRect(1, 0);
    EXPECT_GT(Count(Rect(20 + fixed.Left, 200 + fixed.Top, 20 + fixed.Right, 200 + fixed.Bottom), clRed), 0);
}

TEST_F(KivLists, AWhiteThemeFontIsDrawnBlack)
{
    const std::string dir = MakeTempFolder("kivlists");
    {
        TkivThemeFileWriter w(dir + "/white.kiv");
        w.AddInteger("MenuFontColor", 0xFFFFFF);
        w.AddInteger("ControlBorderColor", 0x123456);
    }
    auto* theme = new TkivFileTheme(form);
    theme->SetThemeFile(dir + "/white.kiv");
    ASSERT_TRUE(theme->CanUse());
    auto* grid = Place<TkivStringGrid>(20, 20, 300, 150);
    auto* memo = Place<TkivMemo>(20, 200, 200, 100);
    for (TkivFileTheme* t : {theme}) {
        grid->SetFileTheme(t);
        memo->SetFileTheme(t);
    }
    grid->SetUIStyle(FromThemeFile);
    memo->SetUIStyle(FromThemeFile);
    EXPECT_EQ(grid->FontColor(), clBlack);
    EXPECT_EQ(grid->BorderColor(), static_cast<TColor>(0x123456));
    EXPECT_EQ(memo->BorderColor(), static_cast<TColor>(0x123456));
    // The theme going away brings DeepBlue back.
    theme->Free();
    EXPECT_EQ(grid->UIStyle(), DeepBlue);
    EXPECT_EQ(memo->FileTheme(), nullptr);
    EXPECT_EQ(memo->BorderColor(), static_cast<TColor>(GetInsideThemeColor(DeepBlue, 25)));
    DeleteFilesIn(dir, false);
    RemoveDir(dir);
}

TEST_F(KivLists, FolderAndFileListsTakeTheSkinAndABar)
{
    const std::string dir = ExcludeTrailingPathDelimiter(MakeTempFolder("kivfiles"));
    for (int i = 0; i < 30; ++i) TStringList().SaveToFile(JoinPath(dir, "clip" + std::to_string(100 + i) + ".vob"));
    auto* files = Place<TkivFileListBox>(20, 20, 160, 120);
    auto* dirs = Place<TkivDirectoryListBox>(200, 20, 160, 120);
    dirs->SetFileList(files);
    dirs->SetDirectory(dir);
    files->SetMask("*.VOB");
    EXPECT_EQ(files->Count(), 30);
    auto* v = Bar();
    form->Show();
    files->SetVScrollBar(v);
    EXPECT_TRUE(v->Visible());
    EXPECT_EQ(v->Max(), files->VertScrollState().MaxPos());
    files->SetTopIndex(5);
    EXPECT_EQ(v->Position(), 5);
    dirs->SetUIStyle(MacOS);
    EXPECT_EQ(dirs->BorderColor(), static_cast<TColor>(GetInsideThemeColor(MacOS, 25)));
    EXPECT_EQ(At(200, 60), dirs->BorderColor());
    DeleteFilesIn(dir, false);
    RemoveDir(dir);
}

} // namespace
