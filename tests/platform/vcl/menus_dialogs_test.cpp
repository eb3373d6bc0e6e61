// Popup menus picked with the mouse and keys, message dialogs answered from the
// script, and the common dialogs answering from the scripted provider.
#include "democontrols.h"

#include "vcl/dialogs.h"
#include "vcl/menus.h"
#include "vcl/stdctrls_list.h"

namespace {

class MenuTest : public HeadlessTest {
protected:
    void SetUp() override
    {
        HeadlessTest::SetUp();
        form = MakeForm(300, 200);
        menu = new TPopupMenu(form);
        del = Item("Delete");
        del->SetShortCut(ShortCut(VK_DELETE, 0));
        line = Item("-");
        all = Item("Delete &All");
        more = Item("More");
        sub1 = new TMenuItem(form);
        sub1->SetCaption("Sub one");
        more->Add(sub1);
        for (TMenuItem* i : {del, all, sub1})
            i->OnClick = [this](TObject* s) { clicked.push_back(static_cast<TMenuItem*>(s)->Caption()); };
        form->Show();
    }
    TMenuItem* Item(const std::string& caption)
    {
        auto* i = new TMenuItem(form);
        i->SetCaption(caption);
        menu->Items()->Add(i);
        return i;
    }
    TForm* form = nullptr;
    TPopupMenu* menu = nullptr;
    TMenuItem *del = nullptr, *line = nullptr, *all = nullptr, *more = nullptr, *sub1 = nullptr;
    std::vector<std::string> clicked;
};

TEST_F(MenuTest, PopupOpensAtTheScreenPointAndAClickPicksAnItem)
{
    TRect bounds;
    headless->OnNextModal([&](TCustomForm& f) {
        auto& w = dynamic_cast<TMenuWindow&>(f);
        bounds = w.BoundsRect();
        TRect r = w.ItemRect(all);
        headless->Click(f, r.Left + 10, r.Top + 5);
    });
    menu->Popup(100, 120);
    EXPECT_EQ(bounds.Left, 100);
    EXPECT_EQ(bounds.Top, 120);
    EXPECT_EQ(clicked, std::vector<std::string>{"Delete &All"});
    EXPECT_EQ(menu->LastPicked(), all);
}

TEST_F(MenuTest, SeparatorsAndDisabledItemsAreNotPicked)
{
    del->SetEnabled(false);
    headless->OnNextModal([&](TCustomForm& f) {
        auto& w = dynamic_cast<TMenuWindow&>(f);
        TRect r = w.ItemRect(line);
        headless->Click(f, r.Left + 10, r.Top + 2);
        r = w.ItemRect(del);
        headless->Click(f, r.Left + 10, r.Top + 5);
        EXPECT_EQ(f.ModalResult(), mrNone); // still open
        headless->MouseDown(f, -5, -5);     // a press outside closes it
    });
    menu->Popup(10, 10);
    EXPECT_TRUE(clicked.empty());
    EXPECT_EQ(menu->LastPicked(), nullptr);
}

TEST_F(MenuTest, KeysWalkTheMenuIntoASubMenu)
{
    headless->OnNextModal([&](TCustomForm& f) {
        auto& w = dynamic_cast<TMenuWindow&>(f);
        headless->PressKey(VK_UP);   // wraps to the last item, "More"
        EXPECT_EQ(w.HotItem(), more);
        headless->PressKey(VK_RIGHT);
        EXPECT_EQ(w.LevelCount(), 2);
        EXPECT_EQ(w.HotItem(), sub1);
        EXPECT_FALSE(w.ItemRect(sub1).IsEmpty());
        headless->PressKey(VK_RETURN);
    });
    menu->Popup(10, 10);
    EXPECT_EQ(clicked, std::vector<std::string>{"Sub one"});
}

TEST_F(MenuTest, AcceleratorAndEscape)
{
    headless->OnNextModal([&](TCustomForm&) { headless->PressKey('A'); });
    menu->Popup(10, 10);
    headless->OnNextModal([&](TCustomForm&) { headless->PressKey(VK_ESCAPE); });
    menu->Popup(10, 10);
    EXPECT_EQ(clicked, std::vector<std::string>{"Delete &All"});
    // Without a script the menu closes at once and is reported.
    menu->Popup(10, 10);
    EXPECT_EQ(headless->UnscriptedModals().size(), 1u);
}

TEST_F(MenuTest, RightClickOnAControlOpensItsPopupMenuThere)
{
    auto* list = new TListBox(form);
    list->SetParent(form);
    list->SetBounds(20, 20, 100, 80);
    list->SetPopupMenu(menu);
    TPoint at;
    TComponent* source = nullptr;
    menu->OnPopup = [&](TObject*) { source = menu->PopupComponent(); };
    headless->OnNextModal([&](TCustomForm& f) {
        at = f.BoundsRect().TopLeft();
        TRect r = static_cast<TMenuWindow&>(f).ItemRect(del);
        headless->Click(f, r.Left + 5, r.Top + 5);
    });
    headless->Click(*form, 30, 40, mbRight);
    EXPECT_EQ(at, form->ClientToScreen(Point(30, 40)));
    EXPECT_EQ(source, list);
    EXPECT_EQ(clicked, std::vector<std::string>{"Delete"});
}

TEST_F(MenuTest, MenuKeepsItselfOnTheScreenAndMeasuresOwnerDrawnItems)
{
    headless->SetScreenSize({400, 300});
    del->OnMeasureItem = [](TObject*, TCanvas*, int& w, int& h) {
        w = 150;
        h = 30;
    };
    bool drawn = false;
    del->OnDrawItem = [&](TObject*, TCanvas*, TRect r, bool) { drawn = r.Height() == 30; };
    TRect bounds;
    headless->OnNextModal([&](TCustomForm& f) {
        bounds = f.BoundsRect();
        headless->Snapshot(f);
        headless->PressKey(VK_ESCAPE);
    });
    menu->Popup(390, 290);
    EXPECT_LE(bounds.Right, 400);
    EXPECT_LE(bounds.Bottom, 300);
    EXPECT_GE(bounds.Width(), 150);
    EXPECT_TRUE(drawn);
}

TEST(MenuText, ShortCutsAndHotkeys)
{
    EXPECT_EQ(ShortCutToText(ShortCut('S', ssCtrl)), "Ctrl+S");
    EXPECT_EQ(ShortCutToText(ShortCut(VK_DELETE, ssShift)), "Shift+Del");
    EXPECT_EQ(ShortCutToText(ShortCut(VK_F5, 0)), "F5");
    EXPECT_EQ(ShortCutToText(0), "");
    EXPECT_EQ(StripHotkey("Delete &All && more"), "Delete All & more");
}

TEST(MenuItems, SubItemsAreFreedWithTheirParentAndRadioItemsExcludeEachOther)
{
    TMenuItem root(nullptr);
    auto* a = new TMenuItem(nullptr);
    auto* b = new TMenuItem(nullptr);
    a->SetRadioItem(true);
    b->SetRadioItem(true);
    root.Add(a);
    root.Add(b);
    a->SetChecked(true);
    b->SetChecked(true);
    EXPECT_FALSE(a->Checked());
    EXPECT_THROW(root.Add(a), EInvalidOperation);
    EXPECT_THROW(root.Items(2), EListError);
    root.Delete(0);
    EXPECT_EQ(root.Count(), 1);
    EXPECT_EQ(root.IndexOf(b), 0);
}

// ---------------------------------------------------------------------------
class DialogTest : public HeadlessTest {
protected:
    void SetUp() override
    {
        HeadlessTest::SetUp();
        app->SetTitle("Keldara");
        ScriptedDialogs().Reset();
    }
    void TearDown() override
    {
        ScriptedDialogs().Reset();
        HeadlessTest::TearDown();
    }
};

TEST_F(DialogTest, MessageDialogsUseTheFrameworkCaptionsAndTheExactText)
{
    headless->AnswerNextMessageBox(IDNO);
    EXPECT_EQ(MessageDlg("No valid volume for new disc. \nSure to continue?", mtConfirmation, MsgButtons({mbYes, mbNo})),
              mrNo);
    EXPECT_EQ(MessageDlg("Can not create RES folder.", mtError, MsgButtons({mbOK})), mrOk);
    EXPECT_EQ(MessageDlg("No file to burn!", mtInformation, MsgButtons({mbOK})), mrOk);
    EXPECT_EQ(MessageDlg("Careful", mtWarning, mbOKCancel), mrOk);
    const auto& boxes = headless->MessageBoxes();
    ASSERT_EQ(boxes.size(), 4u);
    EXPECT_EQ(boxes[0].text, "No valid volume for new disc. \nSure to continue?");
    EXPECT_EQ(boxes[0].caption, "Confirm");
    EXPECT_EQ(boxes[0].flags, MB_YESNO | MB_ICONQUESTION);
    EXPECT_EQ(boxes[1].caption, "Error");
    EXPECT_EQ(boxes[1].flags, MB_OK | MB_ICONERROR);
    EXPECT_EQ(boxes[2].caption, "Information");
    EXPECT_EQ(boxes[3].caption, "Warning");
    EXPECT_EQ(boxes[3].flags, MB_OKCANCEL | MB_ICONWARNING);
    EXPECT_EQ(MsgDlgFlags(mtCustom, mbYesNoCancel | MsgButtons({mbAll})), MB_YESNOCANCEL);
    EXPECT_EQ(MsgDlgCaption(mtCustom), "Keldara");
}

TEST_F(DialogTest, FiltersSplitIntoPairsAndMatchIgnoringCase)
{
    auto f = ParseFileFilter("DVD Files (*.ifo, *.vob, *.bup)|*.ifo;*.vob;*.bup|IFO File (*.ifo, *.IFO)|*.ifo|Broken");
    ASSERT_EQ(f.size(), 2u);
    EXPECT_EQ(f[0].Text, "DVD Files (*.ifo, *.vob, *.bup)");
    EXPECT_EQ(f[0].Masks, (std::vector<std::string>{"*.ifo", "*.vob", "*.bup"}));
    EXPECT_TRUE(FilterMatches(f[0], "/media/dvd/VIDEO_TS/VTS_01_1.VOB"));
    EXPECT_FALSE(FilterMatches(f[1], "movie.vob"));
    // A mask without a dot, as the clips window's "*rmvb", still matches.
    auto g = ParseFileFilter("Real|*.rm;*rmvb");
    EXPECT_TRUE(FilterMatches(g[0], "clip.rmvb"));
    EXPECT_TRUE(ParseFileFilter("").empty());
}

TEST_F(DialogTest, OpenDialogTakesTheScriptedFilesAndFilterIndex)
{
    TOpenDialog dlg(nullptr);
    dlg.Filter = "SVCD Files (*.mpg, *.mpeg)|*.mpg;*.mpeg|All|*.*";
    dlg.Title = "Add DVD Burning File";
    dlg.Options |= ofAllowMultiSelect;
    ScriptedDialogs().AnswerFiles({"/tmp/a.mpg", "/tmp/b.MPEG"}, 2);
    ASSERT_TRUE(dlg.Execute());
    EXPECT_EQ(dlg.Files()->Count(), 2);
    EXPECT_EQ(dlg.FileName, "/tmp/a.mpg");
    EXPECT_EQ(dlg.FilterIndex, 2);
    const auto& req = ScriptedDialogs().Requests().back();
    EXPECT_EQ(req.kind, "open");
    EXPECT_EQ(req.title, "Add DVD Burning File");
    EXPECT_TRUE(req.file.MultiSelect);
    ASSERT_EQ(req.file.Filters.size(), 2u);

    // Cancelling leaves every result as it was; an unscripted dialog is a cancel.
    ScriptedDialogs().CancelNext();
    EXPECT_FALSE(dlg.Execute());
    EXPECT_FALSE(dlg.Execute());
    EXPECT_EQ(dlg.FileName, "/tmp/a.mpg");
    EXPECT_EQ(dlg.Files()->Count(), 2);
    EXPECT_EQ(ScriptedDialogs().Unscripted(), std::vector<std::string>{"open"});
}

TEST_F(DialogTest, SaveDialogAddsTheDefaultExtensionAndSingleSelectKeepsOneFile)
{
    TSaveDialog dlg(nullptr);
    dlg.Filter = "Bitmap File(*.bmp)|*.bmp";
    dlg.DefaultExt = "bmp";
    dlg.Options |= ofAllowMultiSelect; // ignored for saving
    ScriptedDialogs().AnswerFiles({"/tmp/snap", "/tmp/other.bmp"});
    ASSERT_TRUE(dlg.Execute());
    EXPECT_EQ(dlg.FileName, "/tmp/snap.bmp");
    EXPECT_EQ(dlg.Files()->Count(), 1);
    EXPECT_EQ(ScriptedDialogs().Requests().back().kind, "save");
}

TEST_F(DialogTest, FolderFontAndColourDialogs)
{
    std::string dir = "/old";
    ScriptedDialogs().AnswerFolder("/media/disk/VIDEO_TS");
    EXPECT_TRUE(SelectDirectory("Please select DVD directory in your hard disk.", "", dir));
    EXPECT_EQ(dir, "/media/disk/VIDEO_TS");
    EXPECT_FALSE(SelectDirectory("again", "", dir));
    EXPECT_EQ(dir, "/media/disk/VIDEO_TS");

    TFontDialog fd(nullptr);
    TFont chosen;
    chosen.SetName("Arial");
    chosen.SetSize(24);
    ScriptedDialogs().AnswerFont(chosen);
    ASSERT_TRUE(fd.Execute());
    EXPECT_EQ(fd.Font()->Name(), "Arial");
    EXPECT_EQ(fd.Font()->Size(), 24);

    TColorDialog cd(nullptr);
    cd.CustomColors()->Add("ColorA=00112233");
    ScriptedDialogs().AnswerColor(RGB(1, 2, 3));
    ASSERT_TRUE(cd.Execute());
    EXPECT_EQ(cd.Color, RGB(1, 2, 3));
    EXPECT_EQ(cd.CustomColors()->Values("ColorA"), "00112233");
    // An answer of the wrong kind is a test mistake, reported loudly.
    ScriptedDialogs().AnswerColor(0);
    EXPECT_THROW(fd.Execute(), EInvalidOperation);
}

} // namespace
