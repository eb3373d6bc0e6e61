// The designer's chapter pages: how many chapters an interval gives and
// where they start, the pages the one-shot timer makes with their grid and
// title-time labels, pictures grabbed on a fake graph (and Exit stopping the
// grab), showing a page, and Next writing the pages (made first when Next
// comes before the timer).
#include "designerfixture.h"
#include "fakerunwindows.h"

#include "base/dvdchapter.h"
#include "base/programpictures.h"
#include "shell/qv_videodvdsetupchapterform.h"
#include "skin/kivbutton.h"
#include "skin/kivedit.h"
#include "skin/kivlistbox.h"
#include "skin/kivprogressbar.h"
#include "vcl/menus.h"
#include "vcl/timer.h"

#include <cmath>

namespace {

// What the fake graph was asked to do, shared with the test.
struct GrabLog {
    int opens = 0, runs = 0, saves = 0, closes = 0;
    bool openFails = false;
    int lateChecks = 0;   // asked this often after a seek before the new place's picture arrives
    std::vector<double> seeks;
    std::function<void()> onRun;   // e.g. the user pressing Exit during the grab
};

// The picture of second s: its own red level.
TColor ColourOfSecond(double s) { return static_cast<TColor>(static_cast<int>(s) % 256); }

class FakeGrabGraph : public ChapterGrabGraph {
public:
    explicit FakeGrabGraph(GrabLog& log) : log_(log) {}
    ~FakeGrabGraph() override { Close(); }
    bool Open(const std::wstring&, TWinControl&) override
    {
        ++log_.opens;
        open_ = !log_.openFails;
        return open_;
    }
    bool Seek(double seconds) override
    {
        log_.seeks.push_back(seconds);
        at_ = seconds;
        late_ = log_.lateChecks;
        if (late_ == 0) shown_ = at_;
        return true;
    }
    bool FrameSinceSeek() override
    {
        if (late_ > 0 && --late_ == 0) shown_ = at_;
        return late_ == 0;
    }
    bool Run() override
    {
        ++log_.runs;
        if (log_.onRun) log_.onRun();
        return true;
    }
    bool IsRunning() override { return true; }
    bool SaveFrame(const std::string& path) override
    {
        ++log_.saves;
        TBitmap frame(32, 24, pf24bit);
        frame.Canvas()->Brush()->SetColor(ColourOfSecond(shown_));
        frame.Canvas()->FillRect(Rect(0, 0, 32, 24));
        frame.SaveToFile(path);
        return true;
    }
    void Pause() override {}
    void Close() override
    {
        if (!closed_) ++log_.closes;
        closed_ = true;
    }

private:
    GrabLog& log_;
    double at_ = 0, shown_ = 0;   // sought, and the picture the grabber holds
    int late_ = 0;
    bool open_ = false;
    bool closed_ = false;
};

class ChapterPagesTest : public DesignerTest {
protected:
    void MakeFakeDesigner()
    {
        MakeDesigner();
        designer->MakeGrabGraph = [this] { return std::make_unique<FakeGrabGraph>(grabs); };
    }
    // Shows the designer with automatic chapters by `interval`, runs `step` once they are made.
    int ShowWithAutoChapters(double interval, std::function<void()> step = {})
    {
        designer->InitMenuDesigner(true);
        designer->StartAutoChapters(interval);
        return ShowDesigner([&] {
            EXPECT_TRUE(PumpUntil([&] { return TimerFired(); }));
            if (step) step();
        });
    }
    // The test's clock moves on a little; true once the one-shot timer has fired.
    bool TimerFired()
    {
        Sleep(100);
        return !designer->Timer->Enabled();
    }
    // Right-clicks chapter button j of the page on show, picks `caption` from the popup, and
    // runs `then` in the window the item opens.
    void ChooseFromPopup(int j, const char* caption, THeadlessBackend::ModalStep then = {})
    {
        headless->OnNextModal([this, caption](TCustomForm& f) {
            auto& menu = dynamic_cast<TMenuWindow&>(f);
            const TRect r = menu.ItemRect(designer->PopupMenu->Items()->Find(caption));
            headless->Click(f, r.Left + 5, r.Top + 3);
        });
        if (then) headless->OnNextModal(then);
        const TQV_Image& button = *MyDVDChapter[designer->ChapterPage].ChapterButtons[j];
        const TPoint p = At(button.Left() + 40, button.Top() + 30);
        headless->MouseMove(*designer, p.X, p.Y);
        headless->MouseDown(*designer, p.X, p.Y, mbRight);
        headless->MouseUp(*designer, p.X, p.Y, mbRight);
        app->ProcessMessages();
    }
    static std::vector<std::string> Labels(const DVDChapter& page)
    {
        std::vector<std::string> labels;
        for (const TLabel* label : page.ChapterLabels) labels.push_back(label->Caption());
        return labels;
    }

    GrabLog grabs;
};

} // namespace

TEST(AutoChapters, CountsAndStartsFollowTheIntervalWithinTheTrim)
{
    EXPECT_EQ(AutoChapterCount(600, 60, false), 1);    // no seeking: the title start only
    EXPECT_EQ(AutoChapterCount(30, 600, true), 2);     // shorter than one interval
    EXPECT_EQ(AutoChapterCount(130, 10, true), 12);    // thirteen intervals, at most twelve
    EXPECT_EQ(AutoChapterCount(35, 10, true), 3);
    EXPECT_EQ(AutoChapterCount(60, 0, true), 1);       // no interval: one chapter, not a division by zero
    EXPECT_EQ(AutoChapterCount(60, -5, true), 1);
    EXPECT_EQ(AutoChapterCount(60, std::nan(""), true), 1);
    // A 30-second clip and a 600-second interval: its start and its middle.
    EXPECT_EQ(AutoChapterTime(0, 30, 600, 0), 0);
    EXPECT_EQ(AutoChapterTime(0, 30, 600, 1), 15);
    // Trimmed to 20..50: the middle of the kept span.
    EXPECT_EQ(AutoChapterTime(20, 50, 600, 1), 35);
    EXPECT_EQ(AutoChapterTime(20, 50, 10, 2), 40);
}

TEST_F(ChapterPagesTest, TheTimerMakesAPagePerTitleOnceInAGridWithTitleTimeLabels)
{
    MakeFakeDesigner();
    TQV_MovieImage* noSeek = MakeClip("still.mpg", 600);
    noSeek->SupportsSeek = false;
    MakeClip("short.avi", 8);
    MakeClip("long.avi", 130);
    TQV_MovieImage* trimmed = MakeClip("trimmed.avi", 100);
    trimmed->StartPoint = 25;
    trimmed->EndPoint = 70;
    EXPECT_FALSE(designer->kivImageButton_NextChapter->Enabled());

    ShowWithAutoChapters(10, [&] {
        EXPECT_FALSE(designer->Panel_Progress->Visible());
        EXPECT_TRUE(designer->kivImageButton_Next->Enabled());
        EXPECT_TRUE(designer->kivImageButton_PreviousChapter->Enabled());
        EXPECT_TRUE(designer->kivImageButton_NextChapter->Enabled());
        EXPECT_EQ(designer->kivProgressBar1->Position(), 100);
    });
    ASSERT_EQ(MyDVDChapter.Length(), 4);
    // The timer fired once: one graph per title, no more.
    EXPECT_FALSE(designer->Timer->Enabled());
    EXPECT_EQ(grabs.opens, 4);
    EXPECT_EQ(grabs.closes, 4);
    EXPECT_EQ(designer->TotalChapters, 1 + 2 + 12 + 4);
    EXPECT_EQ(designer->ChaptersDone, designer->TotalChapters);

    const DVDChapter& still = MyDVDChapter[0];
    EXPECT_EQ(still.Title, noSeek);
    ASSERT_EQ(still.ChapterTimes.Length(), 1);
    EXPECT_EQ(still.ChapterTimes[0], 0);
    EXPECT_EQ(Labels(still), (std::vector<std::string>{"00:00:00"}));

    const DVDChapter& shortClip = MyDVDChapter[1];
    ASSERT_EQ(shortClip.ChapterTimes.Length(), 2);
    EXPECT_EQ(shortClip.ChapterTimes[1], 4);

    const DVDChapter& grid = MyDVDChapter[2];
    ASSERT_EQ(grid.ChapterButtons.Length(), 12);
    for (int j = 0; j < 12; ++j) {
        const TQV_Image* button = grid.ChapterButtons[j];
        const int left = std::vector<int>{50, 140, 230, 320}[static_cast<std::size_t>(j % 4)];
        EXPECT_EQ(button->BoundsRect(), Rect(left, 45 + 90 * (j / 4), left + 80, 45 + 90 * (j / 4) + 60)) << j;
        EXPECT_EQ(grid.ChapterLabels[j]->Left(), left);
        EXPECT_EQ(grid.ChapterLabels[j]->Top(), button->Top() + 65);
        EXPECT_EQ(grid.ChapterTimes[j], 10.0 * j);
        EXPECT_EQ(button->Parent(), nullptr);   // the title menu is on show
    }
    EXPECT_EQ(grid.ChapterLabels[11]->Caption(), "00:01:50");

    // Trimmed to 25..70: starts in clip time, labels in title time.
    const DVDChapter& trim = MyDVDChapter[3];
    ASSERT_EQ(trim.ChapterTimes.Length(), 4);
    EXPECT_EQ(trim.ChapterTimes[0], 25);
    EXPECT_EQ(trim.ChapterTimes[3], 55);
    EXPECT_EQ(Labels(trim), (std::vector<std::string>{"00:00:00", "00:00:10", "00:00:20", "00:00:30"}));

    // The pictures are the frames at the chapters' whole seconds; the clip that cannot seek is not sought.
    EXPECT_EQ(grabs.seeks.size(), 2u + 12u + 4u);
    EXPECT_EQ(grabs.seeks.front(), 0);
    EXPECT_EQ(grabs.seeks.back(), 55);
    for (int j = 0; j < 4; ++j)
        EXPECT_EQ(trim.ChapterThumbnails[j]->Canvas()->Pixels(16, 12), ColourOfSecond(25 + 10 * j)) << j;
    // The button shows its picture fitted into it, black around.
    const TBitmap* shown = trim.ChapterButtons[1]->Picture()->Bitmap();
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->Width(), 80);
    EXPECT_EQ(const_cast<TBitmap*>(shown)->Canvas()->Pixels(40, 30), ColourOfSecond(35));
}

TEST_F(ChapterPagesTest, APictureLateAfterItsSeekIsWaitedFor)
{
    MakeFakeDesigner();
    MakeClip("busy.avi", 40);
    grabs.lateChecks = 30;   // a loaded machine: the picture of the new place comes late
    ShowWithAutoChapters(10);
    ASSERT_EQ(MyDVDChapter.Length(), 1);
    const DVDChapter& page = MyDVDChapter[0];
    ASSERT_EQ(page.ChapterThumbnails.Length(), 4);
    for (int j = 0; j < 4; ++j)
        EXPECT_EQ(page.ChapterThumbnails[j]->Canvas()->Pixels(16, 12), ColourOfSecond(10 * j)) << j;
}

TEST_F(ChapterPagesTest, APictureThatNeverComesEndsTheWaitAndTheGrabGoesOn)
{
    MakeFakeDesigner();
    MakeClip("stuck.avi", 15);
    grabs.lateChecks = 1 << 30;
    ShowWithAutoChapters(10);
    ASSERT_EQ(MyDVDChapter.Length(), 1);
    EXPECT_GE(grabs.saves, 1);
    EXPECT_EQ(grabs.saves, designer->TotalChapters);   // each chapter still gets the picture the grabber holds
    EXPECT_EQ(designer->ChaptersDone, designer->TotalChapters);
    EXPECT_EQ(designer->kivProgressBar1->Position(), 100);
}

TEST_F(ChapterPagesTest, AGraphThatCannotBeBuiltLeavesThePlaceholdersAndFreesTheWindow)
{
    MakeFakeDesigner();
    grabs.openFails = true;
    MakeClip("a.avi", 60);
    ShowWithAutoChapters(20, [&] {
        EXPECT_FALSE(designer->Panel_Progress->Visible());
        EXPECT_TRUE(designer->kivImageButton_Next->Enabled());
    });
    ASSERT_EQ(MyDVDChapter[0].ChapterThumbnails.Length(), 3);
    TBitmap placeholder;
    ASSERT_TRUE(LoadProgramPicture("VideoP.bmp", placeholder));
    EXPECT_EQ(MyDVDChapter[0].ChapterThumbnails[2]->Width(), placeholder.Width());
    EXPECT_EQ(grabs.runs, 0);
    EXPECT_EQ(grabs.closes, 1);
    EXPECT_EQ(designer->ChaptersDone, 0);
}

TEST_F(ChapterPagesTest, ExitDuringTheGrabStopsItAndClosesTheWindow)
{
    MakeFakeDesigner();
    MakeClip("a.avi", 130);
    MakeClip("b.avi", 130);
    designer->InitMenuDesigner(true);
    designer->StartAutoChapters(10);
    grabs.onRun = [&] {
        if (grabs.runs == 3) headless->ClickControl(*designer->kivImageButton_Exit);
    };
    EXPECT_EQ(ShowDesigner([&] { EXPECT_TRUE(PumpUntil([&] { return TimerFired(); })); }), 3);
    EXPECT_EQ(grabs.runs, 3);
    EXPECT_EQ(grabs.saves, 2);   // the third picture was not taken
    EXPECT_EQ(grabs.opens, 1);   // the second title was not started
    EXPECT_EQ(grabs.closes, 1);  // and nothing is left running
    EXPECT_FALSE(designer->Timer->Enabled());
}

TEST_F(ChapterPagesTest, ShowPageSwapsTheTitleMenuAndAPage)
{
    UseBackgrounds({{"One", {{40, 90}}, clNavy}, {"Two", {{10, 10}}, clMaroon}, {"Three", {{10, 10}}, clGreen}});
    MakeFakeDesigner();
    MakeClip("a.avi", 60);
    MakeClip("b.avi", 60);
    designer->SetSelectedClipIndex(1);
    ShowWithAutoChapters(30, [&] {
        TWinControl* area = designer->kivImagePanel_Preview;
        const DVDChapter& page = MyDVDChapter[1];
        headless->ClickControl(*designer->kivImageButton_NextChapter);
        EXPECT_EQ(designer->ChapterPage, 1);
        EXPECT_EQ(MyMovieImage[0]->Parent(), nullptr);
        EXPECT_EQ(designer->TitleLabels[1]->Parent(), nullptr);
        EXPECT_EQ(designer->Label_Title->Parent(), nullptr);
        EXPECT_EQ(page.ChapterButtons[1]->Parent(), area);
        EXPECT_EQ(page.ChapterLabels[1]->Parent(), area);
        EXPECT_EQ(MyDVDChapter[0].ChapterButtons[0]->Parent(), nullptr);
        // With more than two backgrounds the pages take the second.
        TBitmap* shown = designer->Image->Picture()->Bitmap();
        const TColor page1 = shown->Canvas()->Pixels(5, 5);
        EXPECT_NEAR(GetRValue(page1), GetRValue(clMaroon), 12);
        EXPECT_NEAR(GetBValue(page1), GetBValue(clMaroon), 12);
        // Back on the title menu: its own background shows again. (A background chosen
        // while a page is on show changes only that page: the menu task test.)
        headless->ClickControl(*designer->kivImageButton_PreviousChapter);
        EXPECT_EQ(designer->ChapterPage, -1);
        EXPECT_EQ(MyMovieImage[0]->Parent(), area);
        EXPECT_EQ(designer->Label_Title->Parent(), area);
        EXPECT_EQ(page.ChapterButtons[1]->Parent(), nullptr);
        const TColor menu = designer->Image->Picture()->Bitmap()->Canvas()->Pixels(5, 5);
        EXPECT_NEAR(GetBValue(menu), GetBValue(clNavy), 12);
    });
}

TEST_F(ChapterPagesTest, NextWritesThePagesForTheDiscBuilder)
{
    auto* run = new TFakeRunWindows(app.get(), kDiscBuilderWindowName);
    MakeFakeDesigner();
    MakeClip("a.avi", 60);
    MakeClip("b.avi", 35);
    ShowWithAutoChapters(10, [&] {
        const MenuModel menu = designer->BuildMenuModel();
        ASSERT_EQ(menu.ChapterPages.size(), 2u);
        ASSERT_EQ(menu.ChapterPages[0].Buttons.size(), 6u);
        EXPECT_EQ(menu.ChapterPages[0].Buttons[5].Time, 50);
        EXPECT_EQ(menu.ChapterPages[0].Buttons[5].Rect, Rect(140, 135, 220, 195));
        EXPECT_NE(menu.ChapterPages[1].Background, nullptr);
        headless->ClickControl(*designer->kivImageButton_Next);
        designer->SetModalResult(mrCancel);
    });
    EXPECT_EQ(run->calls, (std::vector<std::string>{"builder init 0", "builder menu 1", "builder show"}));
    for (const char* file : {"Chapter_0_backbitmap.bmp", "Chapter_1_backbitmap.jpg", "Chapter_1_P.xml",
                             "Chapter_1_highlight_N.png"})
        EXPECT_TRUE(FileExists(program_ + "RES/" + file)) << file;
}

TEST_F(ChapterPagesTest, NextBeforeTheTimerMakesThePagesFirstAndTheTimerStaysOff)
{
    auto* run = new TFakeRunWindows(app.get(), kDiscBuilderWindowName);
    MakeFakeDesigner();
    MakeClip("a.avi", 60);
    MakeClip("b.avi", 35);
    ManualClock still;   // time stands: the one-shot timer cannot fire before Next
    SetCurrentClock(&still);
    designer->InitMenuDesigner(true);
    designer->StartAutoChapters(10);
    ShowDesigner([&] {
        ASSERT_TRUE(designer->Timer->Enabled());
        headless->ClickControl(*designer->kivImageButton_Next);
        EXPECT_FALSE(designer->Timer->Enabled());
        EXPECT_FALSE(designer->Panel_Progress->Visible());
        designer->SetModalResult(mrCancel);
    });
    SetCurrentClock(&clock10);
    ASSERT_EQ(MyDVDChapter.Length(), 2);
    EXPECT_EQ(MyDVDChapter[0].ChapterButtons.Length(), 6);
    EXPECT_EQ(grabs.opens, 2);
    EXPECT_EQ(run->calls, (std::vector<std::string>{"builder init 0", "builder menu 1", "builder show"}));
    for (const char* file : {"Chapter_0_backbitmap.bmp", "Chapter_0_P.xml", "Chapter_1_backbitmap.jpg",
                             "Chapter_1_P.xml", "Chapter_1_highlight_N.png"})
        EXPECT_TRUE(FileExists(program_ + "RES/" + file)) << file;
}

// --- chapters by hand ------------------------------------------------------------------------------
TEST_F(ChapterPagesTest, TheChapterDialogMakesThePageByHandAndDeleteKeepsTheGaps)
{
    MakeFakeDesigner();
    app->CreateForm(QV_Video_DVD_Setup_Chapter_Form);
    MakeClip("a.avi", 100);
    TQV_MovieImage* still = MakeClip("still.mpg", 100);
    still->SupportsSeek = false;
    designer->SetSelectedClipIndex(0);
    ShowWithAutoChapters(50, [&] {
        headless->ClickControl(*designer->kivImageButton_NextChapter);
        ASSERT_EQ(designer->ChapterPage, 0);
        ASSERT_EQ(MyDVDChapter[0].ChapterButtons.Length(), 2);

        // The dialog gets the page's chapters; its points become the page.
        TQV_Video_DVD_Setup_Chapter_Form& chapters = *QV_Video_DVD_Setup_Chapter_Form;
        ChooseFromPopup(0, "Create Chpater by Manual", [&](TCustomForm& shown) {
            EXPECT_EQ(&shown, &chapters);
            EXPECT_EQ(chapters.ChapterCount, 2);
            chapters.ChapterSeconds = {0, 10, 20, 30, 40, 50};
            chapters.ChapterCount = 6;
            headless->ClickControl(*chapters.kivImageButton_Ok);
        });
        const DVDChapter& page = MyDVDChapter[0];
        ASSERT_EQ(page.ChapterButtons.Length(), 6);
        EXPECT_EQ(page.ChapterTimes[5], 50);
        EXPECT_EQ(page.ChapterLabels[5]->Caption(), "00:00:50");
        EXPECT_EQ(page.ChapterButtons[5]->BoundsRect(), Rect(140, 135, 220, 195));
        EXPECT_EQ(page.ChapterButtons[5]->Parent(), designer->kivImagePanel_Preview);
        EXPECT_EQ(designer->ChaptersDone, 6);
        EXPECT_FALSE(designer->Panel_Progress->Visible());
        EXPECT_TRUE(designer->kivImageButton_Next->Enabled());

        // Cancel changes nothing.
        ChooseFromPopup(2, "Create Chpater by Manual", [&](TCustomForm&) { chapters.SetModalResult(mrCancel); });
        EXPECT_EQ(page.ChapterButtons.Length(), 6);

        // Delete: No keeps it, the first chapter is refused, a middle one leaves its gap.
        headless->AnswerNextMessageBox(mrNo);
        ChooseFromPopup(2, "Delete Selected Chapter");
        EXPECT_EQ(page.ChapterButtons.Length(), 6);
        const std::size_t boxes = headless->MessageBoxes().size();
        headless->AnswerNextMessageBox(mrYes);
        ChooseFromPopup(0, "Delete Selected Chapter");
        ASSERT_EQ(headless->MessageBoxes().size(), boxes + 2);
        EXPECT_EQ(headless->MessageBoxes().back().text, "Can not delete the first chapter!");
        headless->AnswerNextMessageBox(mrYes);
        ChooseFromPopup(2, "Delete Selected Chapter");
        ASSERT_EQ(page.ChapterButtons.Length(), 5);
        EXPECT_EQ(page.ChapterTimes[2], 30);
        EXPECT_EQ(page.ChapterButtons[2]->Left(), 320);   // the third place stays empty
        EXPECT_EQ(page.ChapterLabels[2]->Caption(), "00:00:30");

        // The clip that cannot seek gets no chapter dialog.
        designer->SetSelectedClipIndex(1);
        headless->ClickControl(*designer->kivImageButton_PreviousChapter);
        headless->ClickControl(*designer->kivImageButton_NextChapter);
        ASSERT_EQ(designer->ChapterPage, 1);
        ChooseFromPopup(0, "Create Chpater by Manual");
        EXPECT_EQ(headless->MessageBoxes().back().text,
                  "Can not create DVD chapter because this clip can't support seek!");
        EXPECT_EQ(MyDVDChapter[1].ChapterButtons.Length(), 1);
        headless->AnswerNextMessageBox(mrYes);
        ChooseFromPopup(0, "Delete Selected Chapter");
        EXPECT_EQ(MyDVDChapter[1].ChapterButtons.Length(), 1);
    });
}

TEST_F(ChapterPagesTest, TheChapterDialogCountsFromTheTitlesStartAsThePageDoes)
{
    MakeFakeDesigner();
    app->CreateForm(QV_Video_DVD_Setup_Chapter_Form);
    TQV_MovieImage* clip = MakeClip("trimmed.avi", 100);
    clip->StartPoint = 4.1;
    designer->SetSelectedClipIndex(0);
    TQV_Video_DVD_Setup_Chapter_Form& chapters = *QV_Video_DVD_Setup_Chapter_Form;
    std::vector<std::string> listed;
    const auto lines = [&] {
        std::vector<std::string> shown;
        for (int i = 0; i < chapters.kivListBox_Time->Items()->Count(); ++i)
            shown.push_back(chapters.kivListBox_Time->Items()->Get(i));
        return shown;
    };
    const auto type = [&](TControl& field, const std::string& text) {
        headless->ClickControl(field);
        headless->PressKey('A', ssCtrl);
        headless->TypeText(text);
    };
    ShowWithAutoChapters(30, [&] {
        headless->ClickControl(*designer->kivImageButton_NextChapter);
        const DVDChapter& page = MyDVDChapter[0];
        EXPECT_EQ(Labels(page), (std::vector<std::string>{"00:00:00", "00:00:30", "00:01:00"}));
        EXPECT_EQ(page.ChapterTimes[2], 64.1);

        // The dialog lists what the page shows; 12 typed is 12 s into the title.
        ChooseFromPopup(0, "Create Chpater by Manual", [&](TCustomForm&) {
            listed = lines();
            type(*chapters.kivSpinEdit_Sec, "12");
            headless->ClickControl(*chapters.kivButton_Insert);
            headless->ClickControl(*chapters.kivImageButton_Ok);
        });
        EXPECT_EQ(listed, (std::vector<std::string>{"00:00:00", "00:00:30", "00:01:00"}));
        ASSERT_EQ(page.ChapterButtons.Length(), 4);
        EXPECT_EQ(Labels(page), (std::vector<std::string>{"00:00:00", "00:00:12", "00:00:30", "00:01:00"}));
        // Kept on the clip's time line: the trim start, the typed point after it, the untouched one as it was.
        EXPECT_EQ(page.ChapterTimes[0], 4.1);
        EXPECT_EQ(page.ChapterTimes[1], 4.1 + 12);
        EXPECT_EQ(page.ChapterTimes[3], 64.1);

        // Opened again and closed with OK, nothing moves.
        ChooseFromPopup(0, "Create Chpater by Manual", [&](TCustomForm&) {
            listed = lines();
            headless->ClickControl(*chapters.kivImageButton_Ok);
        });
        EXPECT_EQ(listed, (std::vector<std::string>{"00:00:00", "00:00:12", "00:00:30", "00:01:00"}));
        EXPECT_EQ(page.ChapterTimes[1], 4.1 + 12);
        EXPECT_EQ(page.ChapterTimes[3], 64.1);
    });
}

TEST_F(ChapterPagesTest, TheClipDialogMovesAChapterButNotTheTitleStart)
{
    MakeFakeDesigner();
    designer->InitMenuDesigner(false);
    const std::string vob = WriteVob("Holiday.vob", 3);
    TQV_Video_DVD_Clip_Property_Form& dialog = *QV_Video_DVD_Clip_Property_Form;
    ShowDesigner([&] {
        AddVobTitle(vob);
        ASSERT_EQ(MyMovieImage.Length(), 1);
        designer->ChapterInterval = 1;
        designer->MakeAutoChapters();
        designer->ShowPage(0);
        const DVDChapter& page = MyDVDChapter[0];
        ASSERT_GE(page.ChapterButtons.Length(), 2);

        auto edit = [&](int j, double picked) {
            headless->OnNextModal([&, picked](TCustomForm& shown) {
                EXPECT_EQ(&shown, &dialog);
                EXPECT_TRUE(dialog.PreviewOpen);
                EXPECT_FALSE(dialog.kivEdit_Text->Visible());   // a moment, no text
                dialog.ChosenTime = picked;
                headless->ClickControl(*dialog.kivImageButton_Ok);
            });
            const TQV_Image& button = *page.ChapterButtons[j];
            const TPoint at = At(button.Left() + 40, button.Top() + 30);
            headless->MouseMove(*designer, at.X, at.Y);
            headless->DoubleClick(*designer, at.X, at.Y);
            headless->MouseUp(*designer, at.X, at.Y);
            EXPECT_FALSE(dialog.PreviewOpen);
        };
        edit(1, 2.5);
        EXPECT_EQ(page.ChapterTimes[1], 2.5);
        EXPECT_EQ(page.ChapterLabels[1]->Caption(), "00:00:02");
        edit(0, 1.5);
        EXPECT_EQ(page.ChapterTimes[0], 0);
        EXPECT_EQ(page.ChapterLabels[0]->Caption(), "00:00:00");
        // The double click's own press starts no drag.
        EXPECT_EQ(designer->ChapterButton, nullptr);
    });
}

TEST_F(ChapterPagesTest, ThePicturesComeFromTheVideoAtTheirChapterTimes)
{
    MakeDesigner();   // the real graph
    designer->InitMenuDesigner(false);
    const std::string vob = WriteVob("Counter.vob", 5);
    ShowDesigner([&] {
        AddVobTitle(vob);
        ASSERT_EQ(MyMovieImage.Length(), 1);
        designer->ChapterInterval = 1;
        designer->MakeAutoChapters();
    });
    const DVDChapter& page = MyDVDChapter[0];
    ASSERT_GE(page.ChapterThumbnails.Length(), 4);
    EXPECT_EQ(designer->ChaptersDone, designer->TotalChapters);
    EXPECT_EQ(designer->kivProgressBar1->Position(), 100);
    for (std::int64_t j = 0; j < page.ChapterThumbnails.Length(); ++j) {
        TBitmap& picture = *page.ChapterThumbnails[j];
        ASSERT_EQ(picture.Width(), 320) << j;   // a frame, not the placeholder
        std::vector<std::uint8_t> rgb(320 * 240 * 3);
        for (int y = 0; y < 240; ++y)
            for (int x = 0; x < 320; ++x) {
                const TColor c = picture.Canvas()->Pixels(x, y);
                std::uint8_t* p = &rgb[static_cast<std::size_t>((y * 320 + x) * 3)];
                p[0] = c & 0xFF;
                p[1] = c >> 8 & 0xFF;
                p[2] = c >> 16 & 0xFF;
            }
        const int frame = testkit::ReadFrameCounter({rgb.data(), 320, 240, 320 * 3, false, false});
        // The picture of the chapter's second, shown a moment after the seek.
        EXPECT_GE(frame, 25 * j) << j;
        EXPECT_LT(frame, 25 * j + 50) << j;   // a loaded machine may play on a little
    }
}
