// The theme manager's dialog and its editor: ticks, the select buttons, OK and Cancel.
#include "skin/frmthememgr.h"
#include "skin/kivbutton.h"
#include "skin/kivmgr.h"

#include "kivcontrols_fixture.h"

#include <memory>

TEST_F(KivControlsTest, ThemeManagerDialogTicksAndUnticks)
{
    std::unique_ptr<TfrmMgr> dialog(NewForm<TfrmMgr>(nullptr));
    EXPECT_EQ(dialog->Caption(), "Theme Manager - Kivarna");
    EXPECT_EQ(dialog->ClientWidth(), 233);
    EXPECT_EQ(dialog->ClientHeight(), 301);
    EXPECT_EQ(dialog->BorderStyle(), bsDialog);
    EXPECT_EQ(dialog->Position(), poScreenCenter);
    EXPECT_EQ(dialog->btn_unsel->Caption(), "&Unselect all");
    EXPECT_EQ(dialog->btn_sel->Caption(), "&Select all");
    EXPECT_EQ(dialog->btn_ok->Caption(), "&OK");
    EXPECT_TRUE(dialog->btn_ok->Default());
    EXPECT_EQ(dialog->btn_ok->ModalResult(), mrOk);

    TThemeMgrCheckList* list = dialog->List;
    for (const char* name : {"kivButton1", "kivCheckBox1", "kivProgressBar1"}) list->Items()->Add(name);
    dialog->Show();
    headless->ClickControl(*dialog->btn_sel);
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(list->Checked(i)) << i;
    headless->ClickControl(*dialog->btn_unsel);
    for (int i = 0; i < 3; ++i) EXPECT_FALSE(list->Checked(i)) << i;

    // A press on an item's box ticks it; on its text it only selects it.
    const TRect item = list->ItemRect(1);
    const TPoint p = list->ClientToScreen(Point(item.Left + 6, item.Top + 6));
    const TPoint q = list->ClientToScreen(Point(item.Left + 60, item.Top + 6));
    const TPoint origin = dialog->ClientOrigin();
    headless->Click(*dialog, p.X - origin.X, p.Y - origin.Y);
    EXPECT_TRUE(list->Checked(1));
    headless->Click(*dialog, q.X - origin.X, q.Y - origin.Y);
    EXPECT_TRUE(list->Checked(1));
    EXPECT_EQ(list->ItemIndex(), 1);
    headless->PressKey(VK_SPACE);
    EXPECT_FALSE(list->Checked(1));

    list->SetChecked(7, true); // no such item
    EXPECT_FALSE(list->Checked(7));
    EXPECT_FALSE(list->Checked(-1));
}

TEST_F(KivControlsTest, ThemeManagerEditChangesTheListOnOkOnly)
{
    auto* manager = new TkivThemeManager(form);
    for (const char* name : {"kivButton1", "kivButton2", "kivButton3"}) {
        auto* b = new TkivButton(form);
        b->SetName(name);
        b->SetParent(form);
    }
    manager->CompList().Add("kivButton2");
    manager->SetUIStyle(WinXP);

    std::vector<std::string> listed;
    std::vector<bool> ticks;
    headless->OnNextModal([&](TCustomForm& f) {
        auto& dialog = dynamic_cast<TfrmMgr&>(f);
        for (int i = 0; i < dialog.List->Count(); ++i) {
            listed.push_back(dialog.List->Items()->Get(i));
            ticks.push_back(dialog.List->Checked(i));
        }
        dialog.List->SetChecked(2, true);
        headless->ClickControl(*dialog.btn_ok);
    });
    ASSERT_TRUE(ThemeManagerEdit(manager));
    EXPECT_EQ(listed, (std::vector<std::string>{"kivButton1", "kivButton2", "kivButton3"}));
    EXPECT_EQ(ticks, (std::vector<bool>{false, true, false}));
    ASSERT_EQ(manager->CompList().Count(), 2);
    EXPECT_EQ(manager->CompList().Get(0), "kivButton2");
    EXPECT_EQ(manager->CompList().Get(1), "kivButton3");
    EXPECT_EQ(dynamic_cast<TkivButton*>(form->FindComponent("kivButton3"))->UIStyle(), WinXP);
    EXPECT_EQ(dynamic_cast<TkivButton*>(form->FindComponent("kivButton1"))->UIStyle(), DeepBlue);

    headless->OnNextModal([&](TCustomForm& f) {
        auto& dialog = dynamic_cast<TfrmMgr&>(f);
        headless->ClickControl(*dialog.btn_unsel);
        f.SetModalResult(mrCancel);
    });
    EXPECT_FALSE(ThemeManagerEdit(manager));
    EXPECT_EQ(manager->CompList().Count(), 2);
    EXPECT_FALSE(ThemeManagerEdit(nullptr));
}
