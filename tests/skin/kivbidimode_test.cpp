// Right-to-left reading of the skinned controls on a Middle-East system, and
// the left-to-right look everywhere else.
#include "kivcontrols_fixture.h"

#include "skin/kivbutton.h"
#include "skin/kivimagepanel.h"
#include "skin/kivpopupmenu.h"

#include "gfx/canvas.h"
#include "win32/progfolders.h"

#include <functional>

namespace {

class KivBiDiMode : public KivControlsTest {
protected:
    void TearDown() override
    {
        SetUserLocale("");
        KivControlsTest::TearDown();
    }
    // Pixels of this colour inside the rectangle of a picture.
    static int Count(const TBitmap& b, const TRect& r, TColor c)
    {
        int n = 0;
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = r.Left; x < r.Right; ++x) n += b.Pixel(x, y) == c;
        return n;
    }
    int FormCount(const TRect& r, TColor c) { return Count(*headless->Snapshot(*form), r, c); }
};

TEST_F(KivBiDiMode, CheckBoxPutsItsBoxAtTheRightOnlyOnAMiddleEastSystem)
{
    form->SetBiDiMode(bdRightToLeft);
    auto* c = new TkivCheckBox(form);
    c->SetParent(form);
    c->SetAutoSize(false);
    c->SetBounds(20, 20, 120, 20);
    c->SetColor(clWhite);
    c->SetCaption("WWW");
    c->Font()->SetColor(clRed);
    c->SetTabStop(false); // no focus frame
    form->Show();
    const TRect left = Rect(20, 20, 40, 40), right = Rect(120, 20, 140, 40);
    const TRect textLeft = Rect(40, 20, 80, 40), textRight = Rect(80, 20, 120, 40);

    SetUserLocale("en_US.UTF-8");
    c->Invalidate();
    EXPECT_GT(FormCount(left, clWhite), 0);
    EXPECT_LT(FormCount(left, clWhite), 400);          // the box at the left
    EXPECT_EQ(FormCount(right, clWhite), 400);         // nothing at the right
    EXPECT_GT(FormCount(textLeft, clRed), 10);         // caption after the box
    EXPECT_EQ(FormCount(textRight, clRed), 0);

    SetUserLocale("ar_EG.UTF-8");
    c->Invalidate();
    EXPECT_EQ(FormCount(left, clWhite), 400);
    EXPECT_LT(FormCount(right, clWhite), 400);
    EXPECT_EQ(FormCount(textLeft, clRed), 0);          // caption ends before the box
    EXPECT_GT(FormCount(textRight, clRed), 10);

    c->SetBiDiMode(bdRightToLeftReadingOnly);          // reading only: the layout stays
    EXPECT_GT(FormCount(textLeft, clRed), 10);
}

TEST_F(KivBiDiMode, GroupPanelCaptionEndsBeforeItsButton)
{
    auto* p = new TkivPanel(form);
    p->SetParent(form);
    p->SetBounds(10, 10, 200, 100);
    p->SetCaption("WW");
    p->SetCaptionFontColor(clRed);
    p->SetBiDiMode(bdRightToLeft);
    form->Show();
    const int th = p->TitleImage()->Height() ? p->TitleImage()->Height() : 20;
    const TRect start = Rect(10, 10, 60, 10 + th), end = Rect(140, 10, 190, 10 + th);

    SetUserLocale("C");
    p->Invalidate();
    EXPECT_GT(FormCount(start, clRed), 5);
    EXPECT_EQ(FormCount(end, clRed), 0);

    SetUserLocale("fa_IR");
    p->Invalidate();
    EXPECT_EQ(FormCount(start, clRed), 0);
    EXPECT_GT(FormCount(end, clRed), 5);
    EXPECT_EQ(FormCount(Rect(190, 10, 210, 10 + th), clRed), 0); // the last 20 pixels hold the button
}

TEST_F(KivBiDiMode, PopupMenuMirrorsBarCheckMarkCaptionAndShortcut)
{
    auto* menu = new TkivPopupMenu(form);
    menu->SetBarWidth(24);
    menu->SetBarColor(clLime);
    menu->SetColor(clWhite);
    menu->SetFontColor(clRed);
    auto* item = new TMenuItem(form);
    item->SetCaption("WWWW");
    item->SetChecked(true);
    item->SetShortCut(ShortCut('Q', ssCtrl));
    menu->Items()->Add(item);
    auto* line = new TMenuItem(form);
    line->SetCaption("-");
    menu->Items()->Add(line);
    form->SetBiDiMode(bdRightToLeft);
    form->Show();

    auto open = [&](std::function<void(const TBitmap&, const TRect&, const TRect&)> check) {
        headless->OnNextModal([&](TCustomForm& f) {
            auto& w = dynamic_cast<TMenuWindow&>(f);
            check(*headless->Snapshot(w), w.ItemRect(item), w.ItemRect(line));
            w.SetModalResult(mrCancel);
        });
        menu->Popup(100, 100);
    };
    SetUserLocale("en_GB");
    open([&](const TBitmap& s, const TRect& r, const TRect& sep) {
        EXPECT_EQ(s.Pixel(r.Left + 1, r.Bottom - 2), clLime);          // bar at the left
        EXPECT_EQ(s.Pixel(r.Right - 2, r.Bottom - 2), clWhite);
        EXPECT_GT(Count(s, Rect(r.Left + 4, r.Top + 3, r.Left + 20, r.Top + 19), clBlack), 8);
        EXPECT_GT(Count(s, Rect(r.Left + 28, r.Top, r.Left + 60, r.Bottom), clRed), 5);
        EXPECT_EQ(s.Pixel(sep.Right - 5, sep.Top + 2), menu->SeparatorColor());
    });
    SetUserLocale("he_IL.UTF-8");
    open([&](const TBitmap& s, const TRect& r, const TRect& sep) {
        EXPECT_EQ(s.Pixel(r.Right - 2, r.Bottom - 2), clLime);         // bar at the right
        EXPECT_EQ(s.Pixel(r.Left + 1, r.Bottom - 2), clWhite);
        EXPECT_GT(Count(s, Rect(r.Right - 20, r.Top + 3, r.Right - 4, r.Top + 19), clBlack), 8);
        EXPECT_EQ(Count(s, Rect(r.Left + 4, r.Top + 3, r.Left + 14, r.Top + 19), clBlack), 0);
        // Caption right-aligned before the bar, shortcut from left + 16.
        EXPECT_GT(Count(s, Rect(r.Right - 24 - 4 - 30, r.Top, r.Right - 24 - 4, r.Bottom), clRed), 5);
        EXPECT_GT(Count(s, Rect(r.Left + 16, r.Top, r.Left + 40, r.Bottom), clRed), 5);
        EXPECT_EQ(s.Pixel(sep.Left + 3, sep.Top + 2), clWhite);
        EXPECT_EQ(s.Pixel(sep.Left + 4, sep.Top + 2), menu->SeparatorColor());
        EXPECT_EQ(s.Pixel(sep.Right - 2, sep.Top + 2), clLime);
    });
}

} // namespace
