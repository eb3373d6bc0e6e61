// Tool bars driven by the mouse: layout, clicks, check groups, hot and pressed
// states handed to custom drawing, pictures, drop-down menus.
#include "democontrols.h"

#include "vcl/menus.h"
#include "vcl/toolbar.h"

#include <string>
#include <vector>

namespace {

class ToolBarTest : public HeadlessTest {
protected:
    void SetUp() override
    {
        HeadlessTest::SetUp();
        form = MakeForm(200, 100);
        bar = new TToolBar(form);
        bar->SetParent(form);
    }
    TToolButton* Add(TToolButtonStyle style = tbsButton, const std::string& caption = "")
    {
        auto* b = new TToolButton(form);
        b->SetStyle(style);
        b->SetCaption(caption);
        b->SetParent(bar);
        return b;
    }
    TPoint Centre(TToolButton* b) const
    {
        TRect r = b->BoundsRect();
        return Point(bar->Left() + (r.Left + r.Right) / 2, bar->Top() + (r.Top + r.Bottom) / 2);
    }
    TForm* form = nullptr;
    TToolBar* bar = nullptr;
};

TEST_F(ToolBarTest, ButtonsRunLeftToRightBelowTheTopEdgeAndWrap)
{
    auto* a = Add();
    auto* sep = Add(tbsSeparator);
    auto* b = Add();
    auto* d = Add(tbsDropDown);
    EXPECT_EQ(bar->Align(), alTop);
    EXPECT_EQ(bar->Width(), form->ClientWidth());
    EXPECT_EQ(bar->ButtonCount(), 4);
    EXPECT_EQ(b->Index(), 2);
    EXPECT_EQ(a->BoundsRect(), Rect(0, 2, 23, 24)); // two edge lines at the top
    EXPECT_EQ(sep->BoundsRect(), Rect(23, 2, 31, 24));
    EXPECT_EQ(b->BoundsRect(), Rect(31, 2, 54, 24));
    EXPECT_EQ(d->Width(), 23 + ToolDropDownWidth);

    sep->SetWidth(20); // a separator keeps its own width; others are placed by the bar
    b->SetBounds(150, 50, 99, 99);
    EXPECT_EQ(b->BoundsRect(), Rect(43, 2, 66, 24));

    bar->SetEdgeBorders(0);
    bar->SetIndent(4);
    EXPECT_EQ(a->BoundsRect(), Rect(4, 0, 27, 22));

    bar->SetWidth(60); // b no longer fits: next row
    bar->SetAlign(alNone);
    bar->SetWidth(60);
    EXPECT_EQ(b->BoundsRect(), Rect(4, 22, 27, 44));
    a->SetWrap(true);
    EXPECT_EQ(sep->Top(), 22);

    delete sep; // the bar forgets it and closes the gap
    EXPECT_EQ(bar->ButtonCount(), 3);
    EXPECT_EQ(b->Index(), 1);
    b->SetVisible(false);
    EXPECT_EQ(d->BoundsRect(), Rect(4, 22, 4 + 23 + ToolDropDownWidth, 44));
}

TEST_F(ToolBarTest, ClickingFiresOnceOnlyWhenReleasedOnTheButton)
{
    auto* a = Add();
    int clicks = 0;
    a->OnClick = [&](TObject* s) {
        EXPECT_EQ(s, a);
        ++clicks;
    };
    form->Show();
    TPoint c = Centre(a);
    headless->Click(*form, c.X, c.Y);
    headless->Click(*form, c.X, c.Y); // a quick second press is a second click
    EXPECT_EQ(clicks, 2);

    headless->MouseDown(*form, c.X, c.Y);
    EXPECT_TRUE(a->Pressed());
    EXPECT_TRUE(bar->ButtonState(*a) & cdsSelected);
    headless->MouseMove(*form, c.X, 80, ssLeft); // dragged off: drawn up again
    EXPECT_FALSE(a->Pressed());
    headless->MouseUp(*form, c.X, 80);
    EXPECT_EQ(clicks, 2);

    a->SetEnabled(false);
    headless->Click(*form, c.X, c.Y);
    EXPECT_EQ(clicks, 2);
    EXPECT_TRUE(bar->ButtonState(*a) & cdsDisabled);
}

TEST_F(ToolBarTest, CheckButtonsToggleAndGroupedOnesActAsRadioButtons)
{
    auto* solo = Add(tbsCheck);
    auto* g1 = Add(tbsCheck);
    auto* g2 = Add(tbsCheck);
    Add(tbsSeparator);
    auto* other = Add(tbsCheck);
    for (auto* b : {g1, g2, other}) b->SetGrouped(true);
    form->Show();
    bool downInClick = false;
    solo->OnClick = [&](TObject*) { downInClick = solo->Down(); };
    headless->Click(*form, Centre(solo).X, Centre(solo).Y);
    EXPECT_TRUE(solo->Down());
    EXPECT_TRUE(downInClick); // the new state is there when OnClick runs
    headless->Click(*form, Centre(solo).X, Centre(solo).Y);
    EXPECT_FALSE(solo->Down());

    headless->Click(*form, Centre(g1).X, Centre(g1).Y);
    headless->Click(*form, Centre(other).X, Centre(other).Y); // past a separator: its own group
    EXPECT_TRUE(g1->Down());
    EXPECT_TRUE(other->Down());
    headless->Click(*form, Centre(g2).X, Centre(g2).Y);
    EXPECT_FALSE(g1->Down());
    EXPECT_TRUE(g2->Down());
    headless->Click(*form, Centre(g2).X, Centre(g2).Y); // stays down without AllowAllUp
    EXPECT_TRUE(g2->Down());
    g2->SetAllowAllUp(true);
    headless->Click(*form, Centre(g2).X, Centre(g2).Y);
    EXPECT_FALSE(g2->Down());
    g1->SetDown(true); // from code the group rule holds too
    g2->SetDown(true);
    EXPECT_FALSE(g1->Down());
    EXPECT_TRUE(bar->ButtonState(*g2) & cdsChecked);
}

TEST_F(ToolBarTest, CustomDrawSeesHotAndPressedStatesAndCanReplaceTheLook)
{
    auto* a = Add();
    auto* b = Add();
    bar->SetFlat(true);
    bar->SetColor(clWhite);
    std::vector<std::pair<TToolButton*, TCustomDrawState>> seen;
    int bars = 0;
    bar->OnCustomDraw = [&](TToolBar* s, const TRect& r, bool& def) {
        EXPECT_EQ(s, bar);
        EXPECT_EQ(r, bar->ClientRect());
        EXPECT_TRUE(def);
        ++bars;
    };
    bar->OnCustomDrawButton = [&](TToolBar* s, TToolButton* btn, TCustomDrawState st, bool& def) {
        seen.emplace_back(btn, st);
        if (btn == a) {
            // Drawn in bar coordinates on the bar's canvas, like a skinned bar does.
            s->Canvas()->Brush()->SetColor(clRed);
            s->Canvas()->FillRect(btn->BoundsRect());
            def = false;
        }
    };
    form->Show();
    EXPECT_EQ(headless->PixelAt(*form, Centre(a).X, Centre(a).Y), clRed);
    EXPECT_GE(bars, 1);
    EXPECT_NE(headless->PixelAt(*form, Centre(b).X, Centre(b).Y), clRed);

    auto lastState = [&](TToolButton* btn) {
        for (auto it = seen.rbegin(); it != seen.rend(); ++it)
            if (it->first == btn) return it->second;
        return TCustomDrawState(~0u);
    };
    seen.clear();
    headless->MouseMove(*form, Centre(b).X, Centre(b).Y);
    EXPECT_EQ(bar->HotButton(), b);
    app->ProcessMessages();
    EXPECT_EQ(lastState(b), TCustomDrawState(cdsHot));
    // A flat button under the mouse gets a raised edge: highlight at its top-left.
    EXPECT_EQ(headless->PixelAt(*form, b->Left(), b->Top() + 5), ColorToRGB(clBtnHighlight));
    headless->MouseDown(*form, Centre(b).X, Centre(b).Y);
    app->ProcessMessages();
    EXPECT_EQ(lastState(b), TCustomDrawState(cdsHot | cdsSelected));
    EXPECT_EQ(headless->PixelAt(*form, b->Left(), b->Top() + 5), ColorToRGB(clBtnShadow)); // sunken
    headless->MouseUp(*form, Centre(b).X, Centre(b).Y);
    headless->MouseMove(*form, 190, 80);
    EXPECT_EQ(bar->HotButton(), nullptr);
    app->ProcessMessages();
    EXPECT_EQ(lastState(b), TCustomDrawState(0));
    EXPECT_EQ(headless->PixelAt(*form, b->Left(), b->Top() + 5), clWhite); // flat again

    // Clearing the bar's DefaultDraw leaves every button to the handler.
    bar->OnCustomDraw = [&](TToolBar*, const TRect&, bool& def) { def = false; };
    seen.clear();
    bar->Invalidate();
    app->ProcessMessages();
    EXPECT_TRUE(seen.empty());
}

TEST_F(ToolBarTest, PicturesAndCaptionsAreDrawnAndSizeTheButtons)
{
    TImageList images(16, 16);
    TBitmap blue(16, 16);
    blue.Canvas()->Brush()->SetColor(clBlue);
    blue.Canvas()->FillRect(Rect(0, 0, 16, 16));
    images.Add(blue, nullptr);
    bar->SetImages(&images);
    bar->SetColor(clWhite);
    auto* a = Add(tbsButton, "&Open");
    a->SetImageIndex(0);
    form->Show();
    TPoint c = Centre(a);
    EXPECT_EQ(headless->PixelAt(*form, c.X, c.Y), clBlue);

    bar->SetShowCaptions(true);
    TSize s = bar->ButtonSize();
    EXPECT_GT(s.cy, 16 + 12); // picture over text
    EXPECT_EQ(a->Height(), s.cy);
    app->ProcessMessages();
    // The picture stands at top + 3, the caption below it in the text colour.
    EXPECT_EQ(headless->PixelAt(*form, a->Left() + a->Width() / 2, bar->Top() + a->Top() + 3), clBlue);
    auto snap = headless->Snapshot(*form);
    int ink = 0;
    for (int y = a->Top() + 20; y < a->Top() + a->Height(); ++y)
        for (int x = a->Left(); x < a->Left() + a->Width(); ++x)
            if (snap->Pixel(x, bar->Top() + y) == clBlack) ++ink;
    EXPECT_GT(ink, 10);

    a->SetImageIndex(7); // out of the list: nothing drawn, nothing thrown
    app->ProcessMessages();
    bar->SetImages(nullptr);
    app->ProcessMessages();
}

TEST_F(ToolBarTest, TransparentBarShowsItsParent)
{
    form->SetColor(clYellow);
    bar->SetColor(clWhite);
    form->Show();
    EXPECT_EQ(headless->PixelAt(*form, 150, 10), clWhite);
    bar->SetTransparent(true);
    app->ProcessMessages();
    EXPECT_EQ(headless->PixelAt(*form, 150, 10), clYellow);
}

TEST_F(ToolBarTest, DropDownArrowOpensItsMenuAndTheFaceClicks)
{
    auto* d = Add(tbsDropDown);
    auto* menu = new TPopupMenu(form);
    auto* item = new TMenuItem(menu);
    item->SetCaption("First");
    menu->Items()->Add(item);
    d->SetDropdownMenu(menu);
    int clicks = 0, picked = 0;
    d->OnClick = [&](TObject*) { ++clicks; };
    item->OnClick = [&](TObject*) { ++picked; };
    form->Show();
    headless->Click(*form, bar->Left() + d->Left() + 5, Centre(d).Y);
    EXPECT_EQ(clicks, 1);

    TRect shown;
    headless->OnNextModal([&](TCustomForm& f) {
        shown = headless->WindowBounds(f);
        EXPECT_TRUE(d->Pressed()); // drawn down while its menu is open
        headless->PressKey(VK_DOWN);
        headless->PressKey(VK_RETURN);
    });
    headless->MouseDown(*form, bar->Left() + d->Left() + d->Width() - 4, Centre(d).Y);
    headless->MouseUp(*form, bar->Left() + d->Left() + d->Width() - 4, Centre(d).Y);
    EXPECT_EQ(picked, 1);
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(d->Pressed());
    TPoint below = d->ClientToScreen(Point(0, d->Height()));
    EXPECT_EQ(shown.Left, below.X);
    EXPECT_EQ(shown.Top, below.Y);

    delete menu; // the button forgets it
    EXPECT_EQ(d->DropdownMenu(), nullptr);
}

TEST_F(ToolBarTest, AMenuItemMayFreeTheBarItDroppedFrom)
{
    auto* d = Add(tbsDropDown);
    auto* menu = new TPopupMenu(form);
    auto* item = new TMenuItem(menu);
    item->SetCaption("Close");
    menu->Items()->Add(item);
    d->SetDropdownMenu(menu);
    item->OnClick = [&](TObject*) {
        delete bar;
        bar = nullptr;
    };
    form->Show();
    headless->OnNextModal([&](TCustomForm&) {
        headless->PressKey(VK_DOWN);
        headless->PressKey(VK_RETURN);
    });
    const int x = bar->Left() + d->Left() + d->Width() - 4, y = bar->Top() + d->Top() + 5;
    headless->MouseDown(*form, x, y);
    headless->MouseUp(*form, x, y);
    EXPECT_EQ(bar, nullptr);
    EXPECT_EQ(form->ControlCount(), 0);
    app->ProcessMessages();
}

TEST_F(ToolBarTest, FreeingTheBarFreesItsButtons)
{
    auto* a = Add();
    Add(tbsCheck)->SetDown(true);
    form->Show();
    headless->MouseMove(*form, Centre(a).X, Centre(a).Y);
    delete bar;
    app->ProcessMessages();
    EXPECT_EQ(form->ControlCount(), 0);
}

} // namespace
