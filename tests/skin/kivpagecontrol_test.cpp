// The skinned page control: sheets joining and leaving, activating pages,
// hidden tabs, moving pages, the page order read at load time.
#include "kivcontrols_fixture.h"

#include "skin/kivbutton.h"
#include "skin/kivpagecontrol.h"

#include "vcl/stdctrls_edit.h"

#include <string>
#include <vector>

namespace {

class KivPages : public KivControlsTest {
protected:
    TkivPageControl* MakeControl()
    {
        auto* pc = new TkivPageControl(form);
        pc->SetParent(form);
        pc->SetBounds(10, 10, 300, 150);
        return pc;
    }
    TkivTabSheet* AddSheet(TkivPageControl* pc, const std::string& caption)
    {
        auto* sheet = new TkivTabSheet(form);
        sheet->SetCaption(caption);
        sheet->SetPageControl(pc);
        return sheet;
    }
    std::vector<std::string> Tabs(TkivPageControl* pc)
    {
        std::vector<std::string> out;
        for (int i = 0; i < pc->TopPanel()->TabCount(); ++i) out.push_back(pc->TopPanel()->Tabs()->Get(i));
        return out;
    }
};

// A form owner in design mode, for the page names made there.
class TDesignedForm : public TForm {
public:
    using TForm::TForm;
    void StartDesigning() { SetComponentState(ComponentState() | csDesigning); }
};

TEST_F(KivPages, SheetsAddTheirTabsInOrderAndOnlyTheFirstShows)
{
    auto* pc = MakeControl();
    EXPECT_EQ(pc->TopPanel()->TabCount(), 0); // no "Tab1" on a page control
    EXPECT_EQ(pc->ActivePageIndex(), 0);      // none active reads 0
    auto* image = AddSheet(pc, "Image");
    auto* text = AddSheet(pc, "Text");
    EXPECT_EQ(pc->PageCount(), 2);
    EXPECT_EQ(Tabs(pc), (std::vector<std::string>{"Image", "Text"}));
    EXPECT_EQ(image->PageIndex(), 0);
    EXPECT_EQ(text->PageIndex(), 1);
    EXPECT_TRUE(image->Visible());
    EXPECT_FALSE(text->Visible());
    EXPECT_EQ(pc->ActivePage(), nullptr);
    EXPECT_EQ(image->BoundsRect(), Rect(3, pc->TopPanel()->Height() + 3, 297, 147));
    text->SetCaption("Words");
    EXPECT_EQ(Tabs(pc), (std::vector<std::string>{"Image", "Words"}));
    EXPECT_EQ(image->Color(), pc->Color());
    pc->SetColor(clYellow);
    EXPECT_EQ(text->Color(), clYellow);
    pc->SetBorderColor(clRed);
    EXPECT_EQ(text->BorderColor(), clRed);
}

TEST_F(KivPages, ActivePageIndexIgnoresIndicesOutsideThePages)
{
    auto* pc = MakeControl();
    AddSheet(pc, "Image");
    auto* text = AddSheet(pc, "Text");
    pc->SetActivePageIndex(1);
    EXPECT_EQ(pc->ActivePage(), text);
    pc->SetActivePageIndex(5);
    pc->SetActivePageIndex(-1);
    EXPECT_EQ(pc->ActivePageIndex(), 1);
    EXPECT_EQ(pc->TabIndex(), 1);
    pc->SetActivePage(nullptr);
    EXPECT_EQ(pc->ActivePageIndex(), 0);
    EXPECT_FALSE(text->Visible());
}

TEST_F(KivPages, ActivatingShowsEnablesAndReportsThePage)
{
    auto* pc = MakeControl();
    auto* image = AddSheet(pc, "Image");
    auto* text = AddSheet(pc, "Text");
    text->SetEnabled(false); // the subtitle dialog's "Text" sheet
    std::vector<std::string> log;
    image->OnShow = [&](TObject*) { log.push_back("show image"); };
    image->OnHide = [&](TObject*) { log.push_back("hide image"); };
    text->OnShow = [&](TObject*) { log.push_back("show text"); };
    text->OnHide = [&](TObject*) { log.push_back("hide text"); };
    pc->OnChange = [&](TObject*) { log.push_back("change"); };
    pc->SetActivePage(image);
    pc->SetActivePage(image); // already shown: nothing more
    pc->ActivatePage(1);
    EXPECT_TRUE(text->Visible());
    EXPECT_TRUE(text->Enabled());
    EXPECT_FALSE(image->Visible());
    EXPECT_EQ(log, (std::vector<std::string>{"show image", "hide image", "show text", "change"}));
}

TEST_F(KivPages, ClickingATabShowsItsPageAndFocusesItsFirstControl)
{
    auto* pc = MakeControl();
    auto* image = AddSheet(pc, "Image");
    auto* text = AddSheet(pc, "Text");
    auto* edit = new TEdit(form);
    edit->SetParent(text);
    pc->SetActivePage(image);
    bool refuse = true;
    pc->OnChanging = [&](TObject*, bool& allow) { allow = !refuse; };
    form->Show();
    TkivTabControlTopPanel* strip = pc->TopPanel();
    const TRect tab = strip->TabRect(1);
    const TPoint p = Point(10 + (tab.Left + tab.Right) / 2, 10 + (tab.Top + tab.Bottom) / 2);
    headless->Click(*form, p.X, p.Y);
    EXPECT_EQ(pc->ActivePage(), image);
    refuse = false;
    headless->Click(*form, p.X, p.Y);
    EXPECT_EQ(pc->ActivePage(), text);
    EXPECT_EQ(form->ActiveControl(), edit);
}

TEST_F(KivPages, HidingTheActiveTabActivatesTheNearestVisiblePageBeforeIt)
{
    auto* pc = MakeControl();
    std::vector<TkivTabSheet*> s;
    for (const char* c : {"a", "b", "c", "d"}) s.push_back(AddSheet(pc, c));
    pc->SetActivePage(s[2]);
    s[1]->SetTabVisible(false);
    EXPECT_FALSE(pc->TopPanel()->TabVisible(1));
    s[2]->SetTabVisible(false);
    EXPECT_EQ(pc->ActivePage(), s[0]); // b is hidden too: a comes before it
    s[0]->SetTabVisible(false);
    EXPECT_EQ(pc->ActivePage(), s[3]); // nothing before: the first visible after
    s[1]->SetTabVisible(true);
    EXPECT_EQ(pc->ActivePage(), s[3]);
    EXPECT_EQ(pc->TopPanel()->TabWidth(0), 0);
}

TEST_F(KivPages, MovePageRenumbersRewritesAndActivates)
{
    auto* pc = MakeControl();
    std::vector<TkivTabSheet*> s;
    for (const char* c : {"a", "b", "c"}) s.push_back(AddSheet(pc, c));
    s[2]->SetTabVisible(false);
    int index = 0;
    pc->MovePage(s[2], index);
    EXPECT_EQ(Tabs(pc), (std::vector<std::string>{"c", "a", "b"}));
    EXPECT_FALSE(pc->TopPanel()->TabVisible(0)); // the flag moved with its page
    EXPECT_TRUE(pc->TopPanel()->TabVisible(2));
    EXPECT_EQ(s[0]->PageIndex(), 1);
    EXPECT_EQ(pc->ActivePage(), s[2]);
    index = 3;
    pc->MovePage(s[0], index);
    EXPECT_EQ(index, 1); // set back to the page's own
    s[1]->SetPageIndex(0);
    EXPECT_EQ(Tabs(pc), (std::vector<std::string>{"b", "c", "a"}));
    s[1]->SetPageIndex(9);
    EXPECT_EQ(s[1]->PageIndex(), 0);
}

TEST_F(KivPages, SelectNextPageSkipsHiddenTabsAndWraps)
{
    auto* pc = MakeControl();
    std::vector<TkivTabSheet*> s;
    for (const char* c : {"a", "b", "c"}) s.push_back(AddSheet(pc, c));
    s[1]->SetTabVisible(false);
    pc->SelectNextPage(true); // none active: the first
    EXPECT_EQ(pc->ActivePage(), s[0]);
    pc->SelectNextPage(true);
    EXPECT_EQ(pc->ActivePage(), s[2]);
    pc->SelectNextPage(true);
    EXPECT_EQ(pc->ActivePage(), s[0]);
    pc->SelectNextPage(false);
    EXPECT_EQ(pc->ActivePage(), s[2]);
    s[0]->SetTabVisible(false);
    pc->SelectNextPage(true); // only the active one left
    EXPECT_EQ(pc->ActivePage(), s[2]);
}

TEST_F(KivPages, RemovedAndFreedSheetsLeaveTheControl)
{
    auto* pc = MakeControl();
    auto* a = AddSheet(pc, "a");
    auto* b = AddSheet(pc, "b");
    auto* c = AddSheet(pc, "c");
    pc->SetActivePage(b);
    b->Free(); // the active one
    EXPECT_EQ(pc->ActivePage(), nullptr);
    EXPECT_EQ(Tabs(pc), (std::vector<std::string>{"a", "c"}));
    EXPECT_EQ(c->PageIndex(), 1);
    a->SetPageControl(nullptr);
    EXPECT_EQ(a->PageIndex(), -1);
    EXPECT_EQ(a->Parent(), nullptr);
    EXPECT_EQ(Tabs(pc), (std::vector<std::string>{"c"}));
    a->Free();
    EXPECT_TRUE(PageControl_CanRemove(pc));
    pc->SetActivePage(c);
    PageControl_RemovePage(pc);
    EXPECT_EQ(pc->PageCount(), 0);
    EXPECT_FALSE(PageControl_CanRemove(pc));
    auto* d = AddSheet(pc, "d");
    pc->Free(); // its sheets go with it
    EXPECT_EQ(form->FindComponent("d"), nullptr);
    (void)d;
}

TEST_F(KivPages, NewPageIsNamedOnlyWhileTheOwnerIsDesigned)
{
    auto* pc = MakeControl();
    TkivTabSheet* plain = PageControl_InsertPage(pc);
    EXPECT_EQ(plain->Name(), "");
    EXPECT_EQ(plain->Owner(), form);
    EXPECT_EQ(plain->PageControl(), pc);
    EXPECT_EQ(plain->Align(), alClient);
    auto* designed = NewForm<TDesignedForm>(app.get());
    designed->StartDesigning();
    auto* dpc = new TkivPageControl(designed);
    dpc->SetParent(designed);
    TkivTabSheet* first = dpc->NewPage();
    EXPECT_EQ(first->Name(), "kivTabSheet1");
    EXPECT_EQ(first->Caption(), "kivTabSheet1");
    TkivTabSheet* second = TabSheet_InsertPage(first);
    EXPECT_EQ(second->Name(), "kivTabSheet2");
    TabSheet_RemovePage(first);
    TkivTabSheet* third = dpc->NewPage(); // page count + 1 is taken: the next free one
    EXPECT_EQ(third->Name(), "kivTabSheet3");
    EXPECT_EQ(Tabs(dpc), (std::vector<std::string>{"kivTabSheet2", "kivTabSheet3"}));
}

TEST_F(KivPages, LoadingPutsThePagesInTheOrderOfTheirNames)
{
    form->BeginLoading();
    auto* pc = MakeControl();
    pc->SetName("PageControl1");
    auto* text = AddSheet(pc, "Text");
    text->SetName("TabSheet2");
    auto* image = AddSheet(pc, "Image");
    image->SetName("TabSheet1");
    image->SetTabVisible(false);
    pc->PageNames()->Add("TabSheet1");
    pc->PageNames()->Add("TabSheet2");
    pc->SetActivePage(text);
    form->EndLoading();
    EXPECT_EQ(Tabs(pc), (std::vector<std::string>{"Image", "Text"}));
    EXPECT_EQ(image->PageIndex(), 0);
    EXPECT_FALSE(pc->TopPanel()->TabVisible(0));
    EXPECT_TRUE(pc->TopPanel()->TabVisible(1));

    // A list that does not name every page leaves the order alone.
    form->BeginLoading();
    auto* other = MakeControl();
    AddSheet(other, "x")->SetName("X");
    AddSheet(other, "y")->SetName("Y");
    other->PageNames()->Add("Y");
    other->PageNames()->Add("Z");
    form->EndLoading();
    EXPECT_EQ(Tabs(other), (std::vector<std::string>{"x", "y"}));
}

TEST_F(KivPages, ShowingASheetActivatesIt)
{
    auto* pc = MakeControl();
    AddSheet(pc, "a");
    auto* b = AddSheet(pc, "b");
    auto* inner = new TkivCheckBox(form);
    inner->SetParent(b);
    b->Show();
    EXPECT_EQ(pc->ActivePage(), b);
    EXPECT_EQ(pc->TabIndex(), 1);
}

TEST_F(KivPages, StyleReachesTheSheetsChildren)
{
    auto* pc = MakeControl();
    auto* sheet = AddSheet(pc, "a");
    auto* box = new TkivCheckBox(form);
    box->SetParent(sheet);
    pc->SetUIStyle(Protein);
    EXPECT_EQ(box->UIStyle(), Protein);
    EXPECT_EQ(sheet->Color(), pc->Color());
    EXPECT_EQ(sheet->BorderColor(), pc->BorderColor());
}

} // namespace
