// Skinned popup and main menus: the style's heights and colours, item sizes,
// every item kind as drawn in the open menu window, picking by mouse and keys.
#include "kivcontrols_fixture.h"

#include "skin/kivmainmenu.h"
#include "skin/kivmenu.h"
#include "skin/kivmgr.h"
#include "skin/kivpopupmenu.h"
#include "skin/kivresources.h"

#include "gfx/canvas.h"
#include "gfx/imagelist.h"
#include "vcl/messages.h"

#include <functional>

namespace {

class KivMenus : public KivControlsTest {
protected:
    TMenuItem* Add(TMenu* menu, const std::string& caption)
    {
        auto* item = new TMenuItem(form);
        item->SetCaption(caption);
        menu->Items()->Add(item);
        return item;
    }
    // Opens the popup and runs `step` on its window; answers the picked item.
    TMenuItem* Open(TPopupMenu* menu, std::function<void(TMenuWindow&)> step)
    {
        bool ran = false;
        headless->OnNextModal([step, &ran](TCustomForm& f) {
            ran = true;
            step(dynamic_cast<TMenuWindow&>(f));
        });
        menu->Popup(100, 100);
        EXPECT_TRUE(ran);
        return menu->LastPicked();
    }
    // Pixels of exactly this colour inside the rectangle of the picture.
    static int Count(const TBitmap& b, const TRect& r, TColor c)
    {
        int n = 0;
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = r.Left; x < r.Right; ++x) n += b.Pixel(x, y) == c;
        return n;
    }
    // Moves the pointer onto the item, on the menu window's screen position.
    void Hover(TMenuWindow& w, TMenuItem* item)
    {
        const TRect r = w.ItemRect(item);
        headless->MouseMove(w, r.Left + 5, (r.Top + r.Bottom) / 2);
    }
};

TEST_F(KivMenus, StyleSetsHeightsAndThemeColours)
{
    auto* menu = new TkivPopupMenu(form);
    EXPECT_TRUE(menu->OwnerDraw());
    menu->SetOwnerDraw(false);
    EXPECT_TRUE(menu->OwnerDraw());
    EXPECT_EQ(menu->UIStyle(), DeepBlue);
    EXPECT_EQ(menu->MenuItemHeight(), 21);
    EXPECT_EQ(menu->SeparatorHeight(), 5);
    EXPECT_EQ(menu->BarWidth(), 26);
    EXPECT_EQ(menu->SeparatorColor(), TColor(8684164));
    EXPECT_EQ(menu->BarColor(), TColor(0xCED3D6));
    EXPECT_EQ(menu->SelectedColor(), TColor(0xA04A44));
    EXPECT_EQ(menu->SelectedBorderColor(), TColor(0xA04A44));
    EXPECT_EQ(menu->Color(), clWhite);
    EXPECT_EQ(menu->FontColor(), clBlack);
    EXPECT_EQ(menu->SelectedFontColor(), clWhite);

    menu->SetUIStyle(MacOS);
    EXPECT_EQ(menu->MenuItemHeight(), 20);
    EXPECT_EQ(menu->SeparatorHeight(), 12);
    EXPECT_EQ(menu->SeparatorColor(), clBlack);
    menu->SetMenuItemHeight(30);
    menu->SetSeparatorHeight(30);
    EXPECT_EQ(menu->MenuItemHeight(), 20);
    EXPECT_EQ(menu->SeparatorHeight(), 12);
    menu->SetUIStyle(WinXP);
    menu->SetMenuItemHeight(30);
    EXPECT_EQ(menu->MenuItemHeight(), 30);
    EXPECT_EQ(menu->SelectedColor(), TColor(GetInsideThemeColor(WinXP, 19)));

    auto* main = new TkivMainMenu(form);
    main->SetUIStyle(MacOS);
    main->SetSeparatorHeight(3);
    main->SetMenuItemHeight(25);
    EXPECT_EQ(main->SeparatorHeight(), 12);
    EXPECT_EQ(main->MenuItemHeight(), 25);
    main->SetUIStyle(Protein);
    EXPECT_EQ(main->SeparatorHeight(), 5);
    EXPECT_EQ(main->MenuItemHeight(), 21);
}

// Both menus are skinnable components; a freed file theme leaves them in the default style.
TEST_F(KivMenus, RemovedFileThemeReturnsBothMenusToDeepBlue)
{
    auto* theme = new TkivFileTheme(form);
    auto* popup = new TkivPopupMenu(form);
    auto* main = new TkivMainMenu(form);
    for (TComponent* c : {static_cast<TComponent*>(popup), static_cast<TComponent*>(main)}) {
        auto* s = dynamic_cast<ISkinnable*>(c);
        ASSERT_NE(s, nullptr);
        s->SetUIStyle(MacOS);
        s->SetFileTheme(theme);
        EXPECT_EQ(s->FileTheme(), theme);
        EXPECT_EQ(s->UIStyle(), MacOS);
    }
    EXPECT_EQ(popup->MenuItemHeight(), 20);
    theme->Free();
    EXPECT_EQ(popup->FileTheme(), nullptr);
    EXPECT_EQ(popup->UIStyle(), DeepBlue);
    EXPECT_EQ(popup->MenuItemHeight(), 21);
    EXPECT_EQ(main->FileTheme(), nullptr);
    EXPECT_EQ(main->UIStyle(), DeepBlue);
    EXPECT_EQ(main->SeparatorHeight(), 5);
}

TEST_F(KivMenus, ItemsMeasureBySeparatorOrItemHeightAndTextWidth)
{
    auto* menu = new TkivPopupMenu(form);
    TMenuItem* open = Add(menu, "&Open");
    open->SetShortCut(ShortCut('O', ssCtrl));
    TMenuItem* line = Add(menu, "-");
    TMenuItem* bold = Add(menu, "Open");
    bold->SetDefault(true);
    TBitmap b(10, 10);
    TCanvas& c = *b.Canvas();
    TSize s = menu->MeasureItem(open, c);
    Menu_GetSystemFont(c.Font());
    EXPECT_EQ(s.cy, 21);
    EXPECT_EQ(s.cx, c.TextWidth("Open") + c.TextWidth("Ctrl+O") + 26 + 40);
    EXPECT_EQ(menu->MeasureItem(line, c).cy, 5);
    EXPECT_GT(menu->MeasureItem(bold, c).cx, c.TextWidth("Open") + 66);
    // Sizes follow the properties.
    menu->SetSeparatorHeight(9);
    menu->SetBarWidth(0);
    EXPECT_EQ(menu->MeasureItem(line, c).cy, 9);
    EXPECT_EQ(menu->MeasureItem(open, c).cx, s.cx - 26);
}

TEST_F(KivMenus, EveryItemKindIsDrawnInTheSkinColours)
{
    auto* menu = new TkivPopupMenu(form);
    menu->SetSelectedBorderColor(clRed);
    menu->SetSelectedColor(clNavy);
    TMenuItem* plain = Add(menu, "Help");
    TMenuItem* line = Add(menu, "-");
    TMenuItem* off = Add(menu, "Disabled");
    off->SetEnabled(false);
    TMenuItem* checked = Add(menu, "Checked");
    checked->SetChecked(true);
    TImageList images(16, 16);
    TBitmap green = Solid(16, 16, clLime, clLime);
    images.Add(green, nullptr);
    menu->SetImages(&images);
    TMenuItem* pictured = Add(menu, "Pictured");
    pictured->SetImageIndex(0);
    pictured->SetChecked(true);
    form->Show();

    Open(menu, [&](TMenuWindow& w) {
        Hover(w, plain);
        EXPECT_EQ(w.HotItem(), plain);
        auto shot = headless->Snapshot(w);
        const TBitmap& s = *shot;
        // Selected: navy inside a red frame, caption in the selected font colour.
        TRect r = w.ItemRect(plain);
        EXPECT_EQ(s.Pixel(r.Left, r.Top + 5), clRed);
        EXPECT_EQ(s.Pixel(r.Right - 1, r.Top + 5), clRed);
        EXPECT_EQ(s.Pixel(r.Left + 2, r.Top + 2), clNavy);
        EXPECT_GT(Count(s, Rect(r.Left + 30, r.Top + 4, r.Left + 60, r.Bottom), clWhite), 3);
        // Separator: bar strip, white rest, the line at top + 2 in the separator colour.
        r = w.ItemRect(line);
        EXPECT_EQ(r.Height(), 5);
        EXPECT_EQ(s.Pixel(r.Left + 2, r.Top + 2), TColor(0xCED3D6));
        EXPECT_EQ(s.Pixel(r.Left + 26 + 2, r.Top + 2), TColor(8684164));
        EXPECT_EQ(s.Pixel(r.Right - 5, r.Top + 2), TColor(8684164));
        EXPECT_EQ(s.Pixel(r.Right - 4, r.Top + 2), clWhite);
        EXPECT_EQ(s.Pixel(r.Left + 40, r.Top), clWhite);
        // Disabled: grey caption over the plain background.
        r = w.ItemRect(off);
        EXPECT_EQ(s.Pixel(r.Left + 5, r.Top + 10), TColor(0xCED3D6));
        EXPECT_GT(Count(s, Rect(r.Left + 30, r.Top + 4, r.Right, r.Bottom), clGray), 3);
        EXPECT_EQ(Count(s, Rect(r.Left + 30, r.Top + 4, r.Right, r.Bottom), clBlack), 0);
        // Checked without a picture: the black check mark in the bar.
        r = w.ItemRect(checked);
        EXPECT_GT(Count(s, Rect(r.Left + 4, r.Top + 3, r.Left + 20, r.Top + 19), clBlack), 8);
        EXPECT_GT(Count(s, Rect(r.Left + 30, r.Top + 4, r.Right, r.Bottom), clBlack), 3);
        // Checked with a picture: the picture on a selected-colour square in a black frame.
        r = w.ItemRect(pictured);
        const int x = r.Left + 4;
        EXPECT_EQ(s.Pixel(x - 2, r.Top + 1), clBlack);
        EXPECT_EQ(s.Pixel(x - 1, r.Top + 2), clNavy);
        EXPECT_EQ(s.Pixel(x + 8, r.Top + 10), clLime);
        w.SetModalResult(mrCancel);
    });
}

TEST_F(KivMenus, MacOSItemsAreThePicturesStretched)
{
    auto* menu = new TkivPopupMenu(form);
    menu->SetUIStyle(MacOS);
    TMenuItem* a = Add(menu, "About");
    TMenuItem* line = Add(menu, "-");
    TMenuItem* b = Add(menu, "Help");
    TBitmap bar, select;
    LoadBitmapResource("MACOS_MENU_BAR", bar);
    LoadBitmapResource("MACOS_MENU_SELECT", select);
    form->Show();
    Open(menu, [&](TMenuWindow& w) {
        Hover(w, b);
        auto s = headless->Snapshot(w);
        TRect r = w.ItemRect(a);
        EXPECT_EQ(r.Height(), 20);
        EXPECT_EQ(s->Pixel(r.Left + 1, r.Top + 1), bar.Pixel(0, 1));
        EXPECT_EQ(w.ItemRect(line).Height(), 12);
        r = w.ItemRect(b);
        EXPECT_EQ(s->Pixel(r.Left + 1, r.Top + 1), select.Pixel(0, 1));
        EXPECT_EQ(s->Pixel(r.Left + 1, r.Top + 18), select.Pixel(0, 18));
        w.SetModalResult(mrCancel);
    });
}

TEST_F(KivMenus, FlatMenuFramesTheWindow)
{
    auto* menu = new TkivPopupMenu(form);
    menu->SetFlatMenu(true);
    menu->SetBorderColor(clMaroon);
    Add(menu, "One");
    Add(menu, "Two");
    form->Show();
    Open(menu, [&](TMenuWindow& w) {
        auto s = headless->Snapshot(w);
        const int h = s->Height();
        EXPECT_EQ(s->Pixel(0, h / 2), clMaroon);
        EXPECT_EQ(s->Pixel(1, h / 2), clWhite);
        EXPECT_EQ(s->Pixel(5, 0), TColor(GetInsideThemeColor(DeepBlue, 15)));
        EXPECT_EQ(s->Pixel(5, h - 1), TColor(GetInsideThemeColor(DeepBlue, 15)));
        w.SetModalResult(mrCancel);
    });
}

TEST_F(KivMenus, ItemsArePickedByMouseAndByKeys)
{
    auto* menu = new TkivPopupMenu(form);
    TMenuItem* first = Add(menu, "First");
    Add(menu, "-");
    TMenuItem* off = Add(menu, "Off");
    off->SetEnabled(false);
    TMenuItem* last = Add(menu, "&Last");
    int clicks = 0;
    last->OnClick = [&](TObject*) { ++clicks; };
    form->Show();

    EXPECT_EQ(Open(menu, [&](TMenuWindow& w) {
                  Hover(w, last);
                  const TRect r = w.ItemRect(last);
                  headless->MouseDown(w, r.Left + 5, r.Top + 5);
                  headless->MouseUp(w, r.Left + 5, r.Top + 5);
              }),
              last);
    EXPECT_EQ(clicks, 1);
    // A press on a disabled item picks nothing; the menu stays open.
    EXPECT_EQ(Open(menu, [&](TMenuWindow& w) {
                  const TRect r = w.ItemRect(off);
                  headless->MouseMove(w, r.Left + 5, r.Top + 5);
                  headless->MouseDown(w, r.Left + 5, r.Top + 5);
                  headless->MouseUp(w, r.Left + 5, r.Top + 5);
                  EXPECT_EQ(w.ModalResult(), mrNone);
                  headless->PressKey(VK_ESCAPE);
              }),
              nullptr);
    // Down skips the separator; Return on the disabled item picks nothing.
    EXPECT_EQ(Open(menu, [&](TMenuWindow& w) {
                  headless->PressKey(VK_DOWN);
                  headless->PressKey(VK_DOWN);
                  EXPECT_EQ(w.HotItem(), off);
                  headless->PressKey(VK_RETURN);
                  EXPECT_EQ(w.ModalResult(), mrNone);
                  headless->PressKey(VK_ESCAPE);
              }),
              nullptr);
    EXPECT_EQ(Open(menu, [&](TMenuWindow& w) {
                  headless->PressKey(VK_DOWN);
                  EXPECT_EQ(w.HotItem(), first);
                  headless->PressKey(VK_RETURN);
              }),
              first);
    EXPECT_EQ(Open(menu, [&](TMenuWindow&) { headless->PressKey('L'); }), last);
    EXPECT_EQ(clicks, 2);
}

TEST_F(KivMenus, ItemsAddedLaterAreOwnerDrawnToo)
{
    auto* menu = new TkivPopupMenu(form);
    TMenuItem* parent = Add(menu, "Parent");
    auto* child = new TMenuItem(form);
    child->SetCaption("Child");
    parent->Add(child);
    EXPECT_TRUE(static_cast<bool>(child->OnDrawItem));
    EXPECT_TRUE(static_cast<bool>(child->OnMeasureItem));
    // A sub-tree built apart gets the handlers when it joins the menu.
    auto* branch = new TMenuItem(form);
    auto* leaf = new TMenuItem(form);
    branch->Add(leaf);
    EXPECT_FALSE(static_cast<bool>(leaf->OnDrawItem));
    menu->Items()->Insert(0, branch);
    EXPECT_TRUE(static_cast<bool>(leaf->OnDrawItem));

    auto* main = new TkivMainMenu(form);
    TMenuItem* top = Add(main, "&File");
    auto* exit = new TMenuItem(form);
    exit->SetCaption("E&xit");
    top->Add(exit);
    EXPECT_TRUE(static_cast<bool>(exit->OnMeasureItem));
    EXPECT_EQ(main->MeasureItem(exit, *form->BackBuffer().Canvas()).cy, 21);
}

class RecordingMenuBar : public IKivMenuBar {
public:
    void RebuildMenuBar() override { ++rebuilds; }
    void RefreshTopMenu() override { ++refreshes; }
    void RepaintMenuBar() override { ++repaints; }
    int rebuilds = 0, refreshes = 0, repaints = 0;
};

TEST_F(KivMenus, MainMenuKeepsItsCheckMarkListAndTellsItsMenuBar)
{
    auto* main = new TkivMainMenu(form);
    EXPECT_EQ(main->Images(), nullptr);
    EXPECT_EQ(main->DefaultImages()->Count(), 1);
    TImageList own(16, 16);
    main->SetImages(&own);
    EXPECT_EQ(main->Images(), &own);
    main->SetImages(nullptr);
    EXPECT_EQ(main->Images(), nullptr);
    EXPECT_EQ(static_cast<TMenu*>(main)->Images(), main->DefaultImages());

    RecordingMenuBar bar;
    main->SetForm(&bar);
    TMenuItem* file = Add(main, "&File");
    EXPECT_GT(bar.refreshes, 0);
    main->SetUseSystemFont(false);
    EXPECT_EQ(bar.repaints, 1);
    main->BeginLoading();
    main->EndLoading();
    EXPECT_EQ(bar.rebuilds, 1);

    // The dropped-down items are drawn by the skin: a checked item shows the mark.
    auto* open = new TMenuItem(form);
    open->SetCaption("Open");
    open->SetChecked(true);
    file->Add(open);
    form->Show();
    headless->OnNextModal([&](TCustomForm& f) {
        auto& w = dynamic_cast<TMenuWindow&>(f);
        auto s = headless->Snapshot(w);
        const TRect r = w.ItemRect(open);
        EXPECT_EQ(s->Pixel(r.Left + 2, r.Top + 1), TColor(0xCED3D6));
        EXPECT_GT(Count(*s, Rect(r.Left + 4, r.Top + 3, r.Left + 20, r.Top + 19), clBlack), 8);
        w.SetModalResult(mrCancel);
    });
    EXPECT_EQ(main->DropDown(file, 50, 50), nullptr);
    main->SetForm(nullptr);
}

} // namespace
