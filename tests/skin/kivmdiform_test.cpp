// The skinned MDI frame: its refusal, its own cascading and tiling, the control
// buttons of a maximized child, the caption with the child's, the menu shown
// (the active child's or the frame's own), the window menu's child list, and
// whether a form has the focus inside an MDI application.
#include "kivcontrols_fixture.h"

#include "skin/kivbutton.h"
#include "skin/kivmainmenu.h"
#include "skin/kivmdiform.h"
#include "skin/kivpublic.h"
#include "skin/kivthemes.h"

#include "vcl/menus.h"

namespace {

class KivMDIFormTest : public KivControlsTest {
protected:
    void SetUp() override
    {
        KivControlsTest::SetUp();
        headless->SetScreenSize({1024, 768});
        // The frame is the application's main form.
        form->Free();
        app->CreateForm(form);
        form->SetCaption("Keldara");
        form->SetBounds(10, 10, 640, 480);
        form->SetFormStyle(fsMDIForm);
        mdi = new TkivMDIForm(form);
        form->Show();
    }
    TForm* Child(const std::string& caption, bool skinned = false)
    {
        auto* f = NewForm<TForm>(app.get());
        f->SetCaption(caption);
        f->SetFormStyle(fsMDIChild);
        f->SetBounds(0, 0, 200, 120);
        if (skinned) new TkivForm(f);
        f->Show();
        return f;
    }
    TMainMenu* Menu(TComponent* owner, std::initializer_list<const char*> captions)
    {
        auto* menu = new TkivMainMenu(owner);
        for (const char* caption : captions) {
            auto* item = new TMenuItem(owner);
            item->SetCaption(caption);
            menu->Items()->Add(item);
        }
        return menu;
    }
    std::vector<std::string> Captions(TMenuItem* item)
    {
        std::vector<std::string> list;
        for (int i = 0; i < item->Count(); ++i) list.push_back(item->Items(i)->Caption());
        return list;
    }
    TWinControl* Client() { return form->MDIClient(); }

    TkivMDIForm* mdi = nullptr;
};

} // namespace

TEST_F(KivMDIFormTest, TakesTheFrameOverAndMustStandOnAForm)
{
    EXPECT_FALSE(form->HasCaption());
    // The title bar's theme gives the width (DeepBlue's is above 125).
    EXPECT_EQ(form->Constraints()->MinWidth(), GetInsideThemeInt(DeepBlue, 13));
    EXPECT_EQ(form->Constraints()->MinHeight(), 50);
    EXPECT_EQ(mdi->TitleBar()->Parent(), form);
    EXPECT_EQ(mdi->TitleBar()->Top(), 0);
    EXPECT_EQ(mdi->TitleBar()->Caption(), "Keldara");
    // The title bar sits over the client; no menu, no menu bar.
    EXPECT_EQ(Client()->Top(), mdi->TitleBar()->Height());
    EXPECT_FALSE(mdi->MenuPanel()->Visible());
    EXPECT_EQ(mdi->TitleBarHeight(), mdi->TitleBar()->Height());
    EXPECT_TRUE(mdi->TitleBarDrawChildCaptions());
    EXPECT_TRUE(mdi->TitleBarDrawChildMenus());
    EXPECT_EQ(form->Perform(KIV_WM_LEFTBORDERWIDTH, 0, 0), 0);

    TComponent owner(nullptr);
    try {
        TkivMDIForm stray(&owner);
        ADD_FAILURE() << "a frame without a form";
    } catch (const Exception& e) {
        EXPECT_EQ(std::string(e.what()), "Sorry, TkivMDIForm must be placed on a form");
    }

    // Going away hands the form its caption back.
    mdi->Free();
    EXPECT_TRUE(form->HasCaption());
}

TEST_F(KivMDIFormTest, CascadeStepsTwentyTwoPixelsFromTheLastChild)
{
    TForm* a = Child("A");
    TForm* b = Child("B");
    TForm* c = Child("C");
    TForm* d = Child("D");
    c->SetWindowState(wsMinimized);
    form->Cascade();
    const int w = Client()->ClientWidth() * 80 / 100, h = Client()->ClientHeight() * 60 / 100;
    // MDIChildren runs from the top: D, C, B, A. A (the last) goes first to the top-left.
    EXPECT_EQ(a->WindowRect(), Bounds(0, 0, w, h));
    EXPECT_EQ(b->WindowRect(), Bounds(22, 22, w, h));
    EXPECT_EQ(d->WindowRect(), Bounds(44, 44, w, h));
    EXPECT_EQ(c->WindowState(), wsMinimized);
    EXPECT_EQ(form->MDIChildren(0), d);
}

TEST_F(KivMDIFormTest, TileSharesTheClientLessTheStripOfMinimizedChildren)
{
    const int W = Client()->ClientWidth(), H = Client()->ClientHeight();
    TForm* a = Child("A");
    form->SetTileMode(tbHorizontal);
    form->Tile();
    EXPECT_EQ(a->WindowRect(), Bounds(0, 0, W - 4, H - 2));

    TForm* b = Child("B");
    form->Tile();
    EXPECT_EQ(b->WindowRect(), Bounds(0, 0, W - 4, H / 2 - 2));
    EXPECT_EQ(a->WindowRect(), Bounds(0, H / 2, W - 4, H / 2 - 2));

    TForm* c = Child("C");
    b->SetWindowState(wsMinimized);
    form->Tile();
    const int rest = H - 25;
    EXPECT_EQ(c->WindowRect(), Bounds(0, 0, W - 4, rest / 2 - 2));
    EXPECT_EQ(a->WindowRect(), Bounds(0, rest / 2, W - 4, rest / 2 - 2));
    EXPECT_EQ(b->WindowState(), wsMinimized);

    form->SetTileMode(tbVertical);
    form->Tile();
    EXPECT_EQ(c->WindowRect(), Bounds(0, 0, W / 2 - 2, rest - 4));
    EXPECT_EQ(a->WindowRect(), Bounds(W / 2, 0, W / 2 - 2, rest - 4));
    b->SetWindowState(wsNormal);
    form->Tile();
    EXPECT_EQ(a->WindowRect(), Bounds(2 * (W / 3), 0, W / 3 - 2, H - 4));
}

TEST_F(KivMDIFormTest, AMaximizedChildShowsItsControlButtonsAndItsCaption)
{
    mdi->SetMenu(Menu(form, {"&File", "&Window"}));
    TForm* plain = Child("Clips");
    EXPECT_EQ(mdi->TitleBar()->Caption(), "Keldara");
    plain->SetWindowState(wsMaximized);
    EXPECT_EQ(mdi->TitleBar()->Caption(), "Keldara - [Clips]");
    for (int tag : {kMDIMinimizeTag, kMDIRestoreTag, kMDICloseTag}) {
        TkivToolBarSpeedButton* b = mdi->ControlButton(tag);
        ASSERT_NE(b, nullptr);
        EXPECT_TRUE(b->Visible()) << tag;
        EXPECT_EQ(b->Parent(), mdi->MenuPanel());
        EXPECT_EQ(b->Top(), 1);
        EXPECT_FALSE(b->Glyph()->Empty());
    }
    // Right to left: close at the end of the bar.
    EXPECT_LT(mdi->ControlButton(kMDIMinimizeTag)->Left(), mdi->ControlButton(kMDIRestoreTag)->Left());
    EXPECT_LT(mdi->ControlButton(kMDIRestoreTag)->Left(), mdi->ControlButton(kMDICloseTag)->Left());
    EXPECT_EQ(mdi->ControlButton(kMDICloseTag)->Left() + mdi->ControlButton(kMDICloseTag)->Width(),
              mdi->MenuPanel()->ClientWidth() - 2);

    // -1382 restores, and the buttons and the child's caption go.
    headless->ClickControl(*mdi->ControlButton(kMDIRestoreTag));
    EXPECT_EQ(plain->WindowState(), wsNormal);
    EXPECT_FALSE(mdi->ControlButton(kMDICloseTag)->Visible());
    EXPECT_EQ(mdi->TitleBar()->Caption(), "Keldara");
    // -1383 minimizes.
    plain->SetWindowState(wsMaximized);
    headless->ClickControl(*mdi->ControlButton(kMDIMinimizeTag));
    EXPECT_EQ(plain->WindowState(), wsMinimized);

    // A skinned child shows only the buttons its own title bar has; -1381 closes it.
    TForm* skinned = Child("Preview", true);
    TkivForm* frame = dynamic_cast<TkivForm*>(skinned->Components(0));
    ASSERT_NE(frame, nullptr);
    for (int i = 0; i < frame->TitleBarButtons()->Count(); ++i)
        if (frame->TitleBarButtons()->Items(i)->ButtonType() == kivMin)
            frame->TitleBarButtons()->Items(i)->SetVisible(false);
    skinned->SetWindowState(wsMaximized);
    EXPECT_FALSE(mdi->ControlButton(kMDIMinimizeTag)->Visible());
    EXPECT_TRUE(mdi->ControlButton(kMDIRestoreTag)->Visible());
    EXPECT_TRUE(mdi->ControlButton(kMDICloseTag)->Visible());
    headless->ClickControl(*mdi->ControlButton(kMDICloseTag));
    EXPECT_EQ(form->MDIChildCount(), 1);
    EXPECT_EQ(form->ActiveMDIChild(), plain);
    EXPECT_FALSE(mdi->ControlButton(kMDICloseTag)->Visible());
}

TEST_F(KivMDIFormTest, TheBarShowsTheActiveChildsMenuOrTheFramesOwn)
{
    TMainMenu* own = Menu(form, {"&File", "&Window"});
    mdi->SetMenu(own);
    EXPECT_TRUE(mdi->MenuPanel()->Visible());
    EXPECT_EQ(mdi->MenuBar()->ButtonCount(), 2);
    EXPECT_EQ(Client()->Top(), mdi->TitleBar()->Height() + mdi->MenuPanel()->Height());
    EXPECT_EQ(mdi->TitleBarHeight(), Client()->Top());

    TForm* skinned = Child("Preview", true);
    TkivForm* frame = dynamic_cast<TkivForm*>(skinned->Components(0));
    TMainMenu* childMenu = Menu(skinned, {"&Play", "&Seek", "&Snapshot"});
    frame->SetMenu(childMenu);
    // The child's own frame shows no bar: the frame's bar shows its menu.
    EXPECT_EQ(frame->MenuBar(), nullptr);
    EXPECT_EQ(mdi->ShownMenu(), childMenu);
    EXPECT_EQ(mdi->MenuBar()->ButtonCount(), 3);
    EXPECT_EQ(mdi->MenuBar()->Buttons(0)->Caption(), "&Play");

    TForm* plain = Child("Clips");
    EXPECT_EQ(mdi->ShownMenu(), own);
    EXPECT_EQ(mdi->MenuBar()->ButtonCount(), 2);
    Client()->Perform(WM_MDIACTIVATE, reinterpret_cast<WPARAM>(skinned), 0);
    EXPECT_EQ(mdi->ShownMenu(), childMenu);
    mdi->SetTitleBarDrawChildMenus(false);
    EXPECT_EQ(mdi->ShownMenu(), own);
    mdi->SetTitleBarDrawChildMenus(true);
    // The child going takes its menu off the bar.
    skinned->Free();
    EXPECT_EQ(form->ActiveMDIChild(), plain);
    EXPECT_EQ(mdi->MenuBar()->Menu(), own);

    // No menu at all: the bar goes.
    own->Free();
    EXPECT_FALSE(mdi->MenuPanel()->Visible());
    EXPECT_EQ(Client()->Top(), mdi->TitleBar()->Height());
}

TEST_F(KivMDIFormTest, TheWindowMenuListsTheChildren)
{
    TMainMenu* own = Menu(form, {"&File", "&Window"});
    TMenuItem* window = own->Items()->Items(1);
    auto* cascade = new TMenuItem(form);
    cascade->SetCaption("&Cascade");
    window->Add(cascade);
    form->SetWindowMenu(window);
    mdi->SetMenu(own);
    EXPECT_EQ(Captions(window), (std::vector<std::string>{"&Cascade", "-"}));

    TForm* a = Child("First clip");
    TForm* b = Child("Second clip");
    EXPECT_EQ(Captions(window), (std::vector<std::string>{"&Cascade", "-", "Second clip", "First clip"}));
    a->SetWindowState(wsMinimized);
    // Picking a child restores a minimized one and brings it forward.
    window->Items(3)->Click();
    EXPECT_EQ(form->ActiveMDIChild(), a);
    EXPECT_EQ(a->WindowState(), wsNormal);
    EXPECT_EQ(Captions(window), (std::vector<std::string>{"&Cascade", "-", "First clip", "Second clip"}));
    a->SetCaption("Renamed");
    EXPECT_EQ(Captions(window), (std::vector<std::string>{"&Cascade", "-", "Renamed", "Second clip"}));
    b->Free();
    EXPECT_EQ(Captions(window), (std::vector<std::string>{"&Cascade", "-", "Renamed"}));
    // While a child's menu is shown the frame's window menu is left alone.
    TkivForm* frame = new TkivForm(a);
    frame->SetMenu(Menu(a, {"&Play"}));
    EXPECT_EQ(Captions(window), (std::vector<std::string>{"&Cascade"}));
}

TEST_F(KivMDIFormTest, FormHasFocusAsksTheClientForTheActiveChild)
{
    TForm* a = Child("A");
    TForm* b = Child("B");
    form->InputActivate(true);
    EXPECT_TRUE(FormHasFocus(form));
    EXPECT_TRUE(FormHasFocus(b));
    EXPECT_FALSE(FormHasFocus(a));
    Client()->Perform(WM_MDIACTIVATE, reinterpret_cast<WPARAM>(a), 0);
    EXPECT_TRUE(FormHasFocus(a));
    EXPECT_FALSE(FormHasFocus(b));
}
