// The clip property dialog on a synthetic 40-second clip: the preview opens
// paused at the trim start, the bar picks moments inside the trim (the picture
// shown is the one at the moment), clips that cannot be previewed leave no
// graph, the two uses' layouts, the tick and the modal results.
#include "previewfixture.h"

#include "base/projectdata.h"
#include "base/qv_graphgroupclass.h"
#include "base/qv_loadfile.h"
#include "base/qv_movieimage.h"
#include "shell/qv_videodvdclippropertyform.h"

#include "gfx/graphics.h"
#include "skin/kivbutton.h"
#include "skin/kivcolorbox.h"
#include "skin/kivedit.h"
#include "skin/kivfontcombobox.h"
#include "skin/kivimagepanel.h"
#include "skin/kivtrackbar.h"
#include "vcl/application.h"
#include "vcl/headless.h"
#include "vcl/stdctrls.h"

#include <memory>

namespace {

constexpr double kClipSeconds = 40;

// The preview's ticker sleeps on this clock: while the gate is shut it never
// ticks, so a test decides what the bar is told; opened, it ticks in real
// time, so a preview can be stopped (which waits for its ticker).
class TickerGate : public Clock {
public:
    std::uint64_t NowMs() override { return 0; }
    void SleepMs(std::uint32_t ms) override
    {
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [&] { return open_; });
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }
    void SetOpen(bool open)
    {
        std::lock_guard lock(mutex_);
        open_ = open;
        changed_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool open_ = false;
};

class ClipPropertyTest : public PreviewTest {
protected:
    static void SetUpTestSuite()
    {
        clips_ = new testkit::TempFolder("keldara-clipproperty");
        testkit::ClipSpec spec;
        spec.seconds = kClipSeconds;
        testkit::WriteClip(clips_->File("forty.avi"), spec);
    }
    static void TearDownTestSuite()
    {
        delete clips_;
        clips_ = nullptr;
    }

    void SetUp() override
    {
        PreviewTest::SetUp();
        scope = std::make_unique<ScopedClock>(clock);   // the ticker ticks only when a test moves time on
        app = std::make_unique<TApplication>();
        app->SetBackend(std::make_unique<THeadlessBackend>());
        headless = HeadlessBackend();
        app->CreateForm(QV_Video_DVD_Clip_Property_Form);
        form = QV_Video_DVD_Clip_Property_Form;
    }
    void TearDown() override
    {
        clock.SetOpen(true);
        form->ClosePreview();
        MyMovieImage.Clear();
        app.reset();
        QV_Video_DVD_Clip_Property_Form = nullptr;
        scope.reset();
        PreviewTest::TearDown();
    }

    // A clip of the forty-second file trimmed to [start, end], appended to the clip list.
    TQV_MovieImage* AddClip(double start, double end, const std::string& path = clips_->File("forty.avi"))
    {
        ClipPtr clip(new TQV_MovieImage(nullptr, static_cast<int>(MyMovieImage.Length())));
        clip->SourcePath = path;
        clip->WidePath = Utf8ToWide(path);
        clip->Duration = clip->VideoDuration = kClipSeconds;
        clip->StartPoint = start;
        clip->EndPoint = end;
        TQV_MovieImage* raw = clip.get();
        MyMovieImage.Add(std::move(clip));
        return raw;
    }

    // Presses the slider, drags it to `x` (bar coordinates, past either end
    // as a hand would) and lets go.
    void DragBarTo(int x)
    {
        TkivTrackBar& bar = *form->kivTrackBar;
        const TControl& slider = *bar.Slider();
        const int y = bar.Top() + slider.Top() + slider.Height() / 2;
        headless->MouseDown(*form, bar.Left() + slider.Left() + slider.Width() / 2, y);
        headless->MouseMove(*form, bar.Left() + x, y, ssLeft);
        headless->MouseUp(*form, bar.Left() + x, y);
    }

    // The frame number of the picture the preview holds now.
    int ShownFrame()
    {
        OAFilterState state = 0;
        EXPECT_EQ(GRAPH->Control->GetState(10000, &state), S_OK);
        const std::string path = folder.File("shown.bmp");
        if (GRAPH->SaveFrameBitmap(path) != S_OK) return -1;
        const auto bmp = ReadBytes(path);
        return testkit::ReadFrameCounter(BmpPicture(bmp, 320, 240));
    }

    // The frame number of the picture the preview panel shows, once it shows
    // `expected` or after ten seconds: the renderer's thread posts each new
    // picture to the panel, so the window lags the graph by a message.
    int PanelFrame(int expected)
    {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        int shown = -1;
        do {
            Pump();
            const TkivImagePanel& panel = *form->Panel_Preview;
            const auto shot = headless->Snapshot(*form);
            const int left = form->FrameInsets().Left + panel.Left(), top = form->FrameInsets().Top + panel.Top();
            const int width = panel.Width(), height = panel.Height();
            std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * height * 3);
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x) {
                    const TColor c = shot->Pixel(left + x, top + y);
                    std::uint8_t* at = &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
                    at[0] = static_cast<std::uint8_t>(c & 0xFF);
                    at[1] = static_cast<std::uint8_t>(c >> 8 & 0xFF);
                    at[2] = static_cast<std::uint8_t>(c >> 16 & 0xFF);
                }
            shown = testkit::ReadFrameCounter(testkit::PictureView{rgb.data(), width, height, width * 3, false, false});
            if (shown == expected) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        } while (std::chrono::steady_clock::now() < until);
        return shown;
    }

    // Handles what is queued for the program's windows.
    void Pump()
    {
        MSG msg;
        while (app->Queue().Get(msg, 0) == GetResult::Message) DispatchMessage(msg);
    }

    static testkit::TempFolder* clips_;
    TickerGate clock;
    std::unique_ptr<ScopedClock> scope;
    std::unique_ptr<TApplication> app;
    THeadlessBackend* headless = nullptr;
    TQV_Video_DVD_Clip_Property_Form* form = nullptr;
};

testkit::TempFolder* ClipPropertyTest::clips_ = nullptr;

TEST_F(ClipPropertyTest, PreviewOpensPausedOnTheTrimStartWhichOkUntouchedPicks)
{
    AddClip(30, 38);
    form->ChosenTime = 12.5;   // left from an earlier use
    ASSERT_TRUE(form->OpenClipPreview(0));
    EXPECT_TRUE(form->PreviewOpen);
    ASSERT_NE(GRAPH, nullptr);
    EXPECT_EQ(GRAPH->State, GraphGroup::Paused);
    EXPECT_TRUE(GRAPH->Ticker);
    EXPECT_EQ(form->Duration, kClipSeconds);
    EXPECT_EQ(form->kivTrackBar->Position(), 75);   // where the picture is
    EXPECT_EQ(form->PickedTime(), 30.0);
    EXPECT_EQ(ShownFrame(), 30 * 25);

    headless->OnNextModal([&](TCustomForm&) { headless->ClickControl(*form->kivImageButton_Ok); });
    EXPECT_EQ(form->ShowClipProperty(), mrOk);
    EXPECT_EQ(form->PickedTime(), 30.0);

    // The next use, of another clip, starts from that clip's own start.
    AddClip(0, kClipSeconds);
    clock.SetOpen(true);
    ASSERT_TRUE(form->OpenClipPreview(1));
    EXPECT_EQ(form->PickedTime(), 0.0);
    EXPECT_EQ(form->kivTrackBar->Position(), 0);
    EXPECT_TRUE(form->ClosePreview());
    EXPECT_EQ(GRAPH, nullptr);
    EXPECT_FALSE(form->PreviewOpen);
}

TEST_F(ClipPropertyTest, TheBarPicksMomentsInsideTheTrimAndShowsThem)
{
    form->Show();   // the window the user drags in, painted as the screen shows it
    AddClip(30, 38);
    ASSERT_TRUE(form->OpenClipPreview(0));
    EXPECT_EQ(PanelFrame(750), 750);
    // Dragged to 0: before the trim start, so the start.
    DragBarTo(-50);
    EXPECT_EQ(form->PickedTime(), 30.0);
    EXPECT_EQ(form->kivTrackBar->Position(), 75);
    EXPECT_EQ(ShownFrame(), 750);
    // Dragged to 100: past the trim end, so the end, in the graph and in the window.
    DragBarTo(form->kivTrackBar->Width() + 50);
    EXPECT_EQ(form->PickedTime(), 38.0);
    EXPECT_EQ(form->kivTrackBar->Position(), 95);
    EXPECT_EQ(ShownFrame(), 950);
    EXPECT_EQ(PanelFrame(950), 950);
    EXPECT_EQ(GRAPH->State, GraphGroup::Paused);

    // Untrimmed, 100 stops just short of the end of the file. The ticker runs
    // now: the bar stays where the pick put it, not where a tick of the
    // graph's own length would put it (98 %).
    clock.SetOpen(true);
    form->ClosePreview();
    AddClip(0, kClipSeconds);
    ASSERT_TRUE(form->OpenClipPreview(1));
    DragBarTo(form->kivTrackBar->Width() + 50);
    EXPECT_DOUBLE_EQ(form->PickedTime(), kClipSeconds * 0.99);
    EXPECT_EQ(form->kivTrackBar->Position(), 99);
    EXPECT_EQ(ShownFrame(), 990);
    EXPECT_EQ(PanelFrame(990), 990);
    Pump();
    EXPECT_EQ(form->kivTrackBar->Position(), 99);
    // A stopped preview is started again before it is positioned.
    ASSERT_EQ(GRAPH->Stop(), S_OK);
    form->kivTrackBar->SetPosition(50);
    form->kivTrackBarMouseUp(form->kivTrackBar, mbLeft, 0, 0, 0);
    EXPECT_EQ(form->PickedTime(), 20.0);
    EXPECT_EQ(GRAPH->State, GraphGroup::Paused);
    EXPECT_EQ(ShownFrame(), 500);
    EXPECT_EQ(PanelFrame(500), 500);
}

TEST_F(ClipPropertyTest, TheEndGuardComesAfterTheTrim)
{
    // Trimmed to start past 99 % of its length: the guard wins, ending before the start.
    AddClip(39.8, kClipSeconds);
    ASSERT_TRUE(form->OpenClipPreview(0));
    DragBarTo(-50);
    EXPECT_DOUBLE_EQ(form->PickedTime(), kClipSeconds * 0.99);
}

TEST_F(ClipPropertyTest, TheBarDoesNothingWithoutASeekableClipOfSomeLength)
{
    TQV_MovieImage* clip = AddClip(30, 38);
    ASSERT_TRUE(form->OpenClipPreview(0));
    clip->SupportsSeek = false;
    DragBarTo(-50);
    EXPECT_EQ(form->kivTrackBar->Position(), 0);   // dragged, not put back
    EXPECT_EQ(form->PickedTime(), 30.0);
    clip->SupportsSeek = true;
    form->Duration = 0;
    DragBarTo(-50);
    EXPECT_EQ(form->kivTrackBar->Position(), 0);
    EXPECT_EQ(form->PickedTime(), 30.0);
    // Nor without a preview.
    clock.SetOpen(true);
    form->ClosePreview();
    form->Duration = kClipSeconds;
    DragBarTo(-50);
    EXPECT_EQ(form->PickedTime(), 30.0);
}

TEST_F(ClipPropertyTest, AClipThatCannotBePreviewedLeavesNoGraph)
{
    const std::string gone = folder.File("gone.avi");
    testkit::WriteClip(gone, testkit::ClipSpec{});
    AddClip(0, 5, gone);
    std::filesystem::remove(gone);
    EXPECT_FALSE(form->OpenClipPreview(0));
    EXPECT_EQ(GRAPH, nullptr);
    EXPECT_FALSE(form->PreviewOpen);

    // A file the graph cannot play: built, refused, freed, no ticker left running.
    AddClip(0, 5, testkit::MakeNotMediaFile(folder.Path()));
    EXPECT_FALSE(form->OpenClipPreview(1));
    EXPECT_EQ(GRAPH, nullptr);
    EXPECT_FALSE(form->PreviewOpen);

    // No such clip at all.
    EXPECT_FALSE(form->OpenClipPreview(2));
    EXPECT_FALSE(form->OpenClipPreview(-1));
    EXPECT_EQ(GRAPH, nullptr);

    // Opening a removed file over an open preview closes that one too. Closing
    // joins the ticker, so the gate is opened first or the join waits on it.
    clock.SetOpen(true);
    AddClip(0, 5);
    ASSERT_TRUE(form->OpenClipPreview(2));
    ASSERT_NE(GRAPH, nullptr);
    EXPECT_FALSE(form->OpenClipPreview(0));
    EXPECT_EQ(GRAPH, nullptr);
    EXPECT_FALSE(form->PreviewOpen);
}

TEST_F(ClipPropertyTest, TheTwoUsesPlaceThePreviewAndSwapTheControls)
{
    const std::vector<TControl*> text = {form->Label_Font,  form->kivFontComboBox, form->Label_Size,
                                         form->kivFontSizeComboBox, form->Label_Color, form->kivColorBox,
                                         form->Label_Text,  form->kivEdit_Text};
    form->ShowTextControls(true);
    EXPECT_EQ(form->Panel_Preview->Left(), 40);
    EXPECT_EQ(form->kivTrackBar->Left(), 40);
    EXPECT_FALSE(form->Label_ChapterStart->Visible());
    for (TControl* c : text) {
        EXPECT_TRUE(c->Visible()) << c->Name();
        // Beside the preview, not over it.
        EXPECT_GE(c->Left(), form->Panel_Preview->Left() + form->Panel_Preview->Width()) << c->Name();
    }
    form->ShowTextControls(false);
    EXPECT_EQ(form->Panel_Preview->Left(), 127);
    EXPECT_EQ(form->kivTrackBar->Left(), 127);
    EXPECT_TRUE(form->Label_ChapterStart->Visible());
    EXPECT_EQ(form->Label_ChapterStart->Caption(), "Redefine chapter start :");
    for (TControl* c : text) EXPECT_FALSE(c->Visible()) << c->Name();
    EXPECT_EQ(form->Label_Font->Caption(), "Font :");
    EXPECT_EQ(form->Label_Size->Caption(), "Size :");
    EXPECT_EQ(form->Label_Color->Caption(), "Color :");
    EXPECT_EQ(form->Label_Text->Caption(), "Input Text :");
}

TEST_F(ClipPropertyTest, AFontGoesInAndComesBackAsChosen)
{
    form->ShowTextControls(true);
    TFont font;
    font.SetName("Liberation Sans");
    font.SetSize(20);
    font.SetColor(clRed);
    form->SetFontControls(font, "Summer 2026");
    EXPECT_EQ(form->kivFontComboBox->FontName(), "Liberation Sans");
    EXPECT_EQ(form->kivFontSizeComboBox->FontName(), "Liberation Sans");
    EXPECT_EQ(form->kivFontSizeComboBox->Items()->Count(), 16);   // the sizes of a scalable family
    EXPECT_EQ(form->kivFontSizeComboBox->FontSize(), 20);
    EXPECT_EQ(form->kivColorBox->Selected(), clRed);
    EXPECT_EQ(form->kivEdit_Text->Text(), "Summer 2026");

    TFont back;
    EXPECT_EQ(form->GetFontControls(back), "Summer 2026");
    EXPECT_EQ(back.Name(), "Liberation Sans");
    EXPECT_EQ(back.Size(), 20);
    EXPECT_EQ(back.Color(), clRed);

    // What the user changes comes back; the size stays through a change of family.
    form->kivFontComboBox->SetFontName("DejaVu Sans");
    EXPECT_EQ(form->kivFontSizeComboBox->FontName(), "DejaVu Sans");
    EXPECT_EQ(form->kivFontSizeComboBox->FontSize(), 20);
    form->kivFontSizeComboBox->SetFontSize(36);
    form->kivColorBox->SetSelected(clBlue);
    form->kivEdit_Text->SetText("Winter");
    EXPECT_EQ(form->GetFontControls(back), "Winter");
    EXPECT_EQ(back.Name(), "DejaVu Sans");
    EXPECT_EQ(back.Size(), 36);
    EXPECT_EQ(back.Color(), clBlue);

    // A colour outside the named ones stands as the custom one and comes back.
    font.SetColor(0x123456);
    form->SetFontControls(font, "");
    EXPECT_EQ(form->GetFontControls(back), "");
    EXPECT_EQ(back.Color(), 0x123456);
}

TEST_F(ClipPropertyTest, BoxesShowingNoChoiceLeaveTheFontItsOwn)
{
    TFont font;
    font.SetName("No Such Family Anywhere");
    font.SetSize(19);
    font.SetColor(clGreen);
    form->SetFontControls(font, "Title");
    EXPECT_EQ(form->kivFontComboBox->ItemIndex(), -1);
    EXPECT_EQ(form->kivFontSizeComboBox->FontSize(), 0);
    form->kivColorBox->Handle();   // as on screen, where the list answers for the box
    form->kivColorBox->SetItemIndex(-1);
    EXPECT_EQ(form->kivColorBox->Selected(), kivNoColorSelected);
    TFont back;
    back.Assign(font);
    EXPECT_EQ(form->GetFontControls(back), "Title");
    EXPECT_EQ(back.Name(), "No Such Family Anywhere");
    EXPECT_EQ(back.Size(), 19);
    EXPECT_EQ(back.Color(), clGreen);
}

TEST_F(ClipPropertyTest, TheRunningPreviewMovesTheBarAndAProbesWordIsIgnored)
{
    AddClip(0, kClipSeconds);
    ASSERT_TRUE(form->OpenClipPreview(0));
    GRAPH->Percent = 42;
    PostMessage(form->Handle(), MSG_GRAPH_TICK, GraphGroup::Paused, 0);
    Pump();
    EXPECT_EQ(form->kivTrackBar->Position(), 0);
    // A tick of the running graph moves the bar (the ticker is held: the test tells the percent).
    ASSERT_EQ(GRAPH->Run(), S_OK);
    GRAPH->Percent = 42;
    PostMessage(form->Handle(), MSG_GRAPH_TICK, GraphGroup::Running, 0);
    Pump();
    EXPECT_EQ(form->kivTrackBar->Position(), 42);
    // One posted while it ran but handled after a pause is stale: a moment
    // picked with the bar pauses the graph and must stay where it was put.
    PostMessage(form->Handle(), MSG_GRAPH_TICK, GraphGroup::Running, 0);
    ASSERT_EQ(GRAPH->Pause(), S_OK);
    GRAPH->Percent = 60;
    Pump();
    EXPECT_EQ(form->kivTrackBar->Position(), 42);
    PostMessage(form->Handle(), MSG_LOAD_GAVE_UP, 0, 0);
    Pump();
    EXPECT_EQ(form->kivTrackBar->Position(), 42);
    EXPECT_TRUE(form->PreviewOpen);

    // Once closed, a late tick leaves the bar alone.
    clock.SetOpen(true);
    form->ClosePreview();
    form->kivTrackBar->SetPosition(7);
    PostMessage(form->Handle(), MSG_GRAPH_TICK, GraphGroup::Running, 0);
    Pump();
    EXPECT_EQ(form->kivTrackBar->Position(), 7);
}

TEST_F(ClipPropertyTest, CancelAndCloseAnswerTwo)
{
    headless->OnNextModal([&](TCustomForm&) { headless->ClickControl(*form->kivImageButton_Cancel); });
    EXPECT_EQ(form->ShowClipProperty(), mrCancel);
    headless->OnNextModal([&](TCustomForm&) { headless->ClickControl(*form->kivImageButton_Close); });
    EXPECT_EQ(form->ShowClipProperty(), mrCancel);
    EXPECT_TRUE(headless->UnscriptedModals().empty());
}

} // namespace
