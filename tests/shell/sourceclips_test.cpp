// The source clips window on clips made in memory: preparing it for each task
// and kind, taking clips back from the menu designer, the list's rules
// (select, delete, up, down, scroll), the info panel, the trim bar, the
// disc-space estimate, the menu and chapter switches, where Next leads and
// what each way of closing answers.
#include "clipsfixture.h"
#include "fakerunwindows.h"

#include "base/taskwindows.h"
#include "shell/aboutform.h"
#include "shell/qv_videodvdauthorform.h"
#include "shell/qv_videodvdselectform.h"

#include "gfx/canvas.h"
#include "gfx/fonts.h"
#include "rtl/inifiles.h"
#include "skin/kivbutton.h"
#include "skin/kivcombobox.h"
#include "skin/kivimagepanel.h"
#include "skin/kivprogressbar.h"
#include "skin/kivradiogroup.h"
#include "skin/kivtrackbar.h"
#include "vcl/extctrls.h"
#include "vcl/stdctrls.h"
#include "vcl/stdctrls_list.h"
#include "vcl/timer.h"

namespace {

using Calls = std::vector<std::string>;

class TFakeSubtitleDialog : public TForm, public SubtitlePropertySteps {
public:
    explicit TFakeSubtitleDialog(TComponent* owner) : TForm(owner) { SetName(kSubtitlePropertyWindowName); }
    bool PrepareSubtitleDialog(TQV_MovieImage* c, int discType) override
    {
        clip = c;
        kind = discType;
        return c != nullptr;
    }
    void ShowSubtitleDialog() override
    {
        ++shows;
        clip->SubtitleFile = "/subs/film.srt";
    }
    TQV_MovieImage* clip = nullptr;
    int kind = 0, shows = 0;
};

class SourceClipsTest : public ClipsTest {
protected:
    // The window's next binding, found by pressing Next with fake windows in place.
    TFakeRunWindows* MakeRunWindow(const char* name)
    {
        auto* w = new TFakeRunWindows(app.get(), name);
        w->AfterConstruction();
        return w;
    }
    const TkivCheckBox& Box(TkivCheckBox* box) const { return *box; }
    std::string InfoLine(TLabel* label) const { return label->Caption(); }
    std::vector<std::string> Captions() const
    {
        std::vector<std::string> captions;
        for (TLabel* caption : form->ClipCaptions) captions.push_back(caption->Caption());
        return captions;
    }
};

TEST_F(SourceClipsTest, PreparingANewListEmptiesItAndEachKindGetsItsControls)
{
    MakeClips(3);
    form->ClipClick(MyMovieImage[1]);
    form->kivProgressBar->SetPosition(33);
    form->Timer->SetEnabled(true);
    form->OpenDialog->FileName = "old.avi";

    for (int kind : {1, 2, 3}) {
        ASSERT_TRUE(form->PrepareClipsForm(0, kind)) << kind;
        EXPECT_EQ(MyMovieImage.Length(), 0);
        EXPECT_EQ(OldMovieImage, nullptr);
        EXPECT_EQ(form->SelectedIndex, -1);
        EXPECT_EQ(form->DiscType, kind);
        EXPECT_EQ(form->kivProgressBar->Position(), 0);
        EXPECT_EQ(form->kivTrackBar_Image->Max(), 0);
        EXPECT_EQ(Captions(), (std::vector<std::string>(5, "")));
        EXPECT_EQ(form->Label_ClipName->Caption(), "Clip name : ");
        EXPECT_EQ(form->Label_Subtitle->Caption(), "Subtitle : ");
        // A new list is a conversion's: no menu and no chapters.
        EXPECT_FALSE(form->kivCheckBox1->Visible());
        EXPECT_FALSE(form->kivCheckBox_Chapter->Visible());
        EXPECT_FALSE(form->kivComboBox_ChapterInterval->Visible());
        EXPECT_FALSE(form->Timer->Enabled());
        EXPECT_EQ(form->OpenDialog->FileName, "");
        EXPECT_FALSE(form->Image_DiscKind->Picture()->Bitmap()->Empty()) << kind;
    }
    // The badge is the kind's own picture.
    TBitmap vcd;
    vcd.Assign(*form->Image_DiscKind->Picture()->Bitmap());
    ASSERT_TRUE(form->PrepareClipsForm(0, 1));
    EXPECT_NE(form->Image_DiscKind->Picture()->Bitmap()->Pixel(50, 20), vcd.Pixel(50, 20));

    for (int kind : {1, 2, 3}) {
        ASSERT_TRUE(form->PrepareClipsForm(1, kind));
        EXPECT_EQ(form->kivCheckBox1->Visible(), kind == 1) << kind;
        EXPECT_EQ(form->kivCheckBox_Chapter->Visible(), kind == 1) << kind;
        EXPECT_EQ(form->kivComboBox_ChapterInterval->Visible(), kind == 1) << kind;
    }
    EXPECT_TRUE(headless->MessageBoxes().empty());
    EXPECT_TRUE(form->AutoChapters());
}

TEST_F(SourceClipsTest, AKindOutsideTheThreeIsAConvertModeError)
{
    MakeClips(2);
    for (int mode : {0, 1}) {
        form->Timer->SetEnabled(true);
        EXPECT_FALSE(form->PrepareClipsForm(mode, 7));
        ASSERT_EQ(headless->MessageBoxes().size(), static_cast<std::size_t>(mode + 1));
        EXPECT_EQ(headless->MessageBoxes().back().text, "Convert mode error!");
        EXPECT_EQ(headless->MessageBoxes().back().flags & 0xF0, MB_ICONERROR);
        EXPECT_TRUE(form->Timer->Enabled());   // it stopped before the end
    }
    EXPECT_EQ(MyMovieImage.Length(), 0);   // the new list was made before the kind was looked at
    EXPECT_TRUE(form->CheckDiscSpace(true));   // and the space check does not index a table with it
}

TEST_F(SourceClipsTest, ClipsComeBackFromTheMenuDesignerAsThumbnailsOfThisWindow)
{
    // The designer left them on its own panel as large title buttons.
    TForm* designer = nullptr;
    app->CreateForm(designer);
    auto* preview = new TPanel(designer);
    preview->SetParent(designer);
    int designerClicks = 0, designerDoubleClicks = 0;
    for (int i = 0; i < 6; ++i) {
        TQV_MovieImage* clip = MakeClip("t" + std::to_string(i) + ".avi", 30, i % 2 ? clBlue : clRed);
        clip->SetParent(preview);
        clip->SetBounds(100 + i, 50, 150, 60);
        clip->MenuButtonMode = true;
        clip->SetCursor(crHandPoint);
        clip->OnClick = [&](TObject*) { ++designerClicks; };
        clip->OnDblClick = [&](TObject*) { ++designerDoubleClicks; };
    }
    TQV_MovieImage* odd = MyMovieImage[3];
    ASSERT_TRUE(form->PrepareClipsForm(1, 1));

    EXPECT_EQ(preview->ControlCount(), 0);
    for (std::int64_t i = 0; i < MyMovieImage.Length(); ++i) {
        TQV_MovieImage* clip = MyMovieImage[i];
        EXPECT_EQ(clip->Parent(), form->kivImagePanel_Clips) << i;
        EXPECT_EQ(clip->Left(), 5);
        EXPECT_EQ(clip->Width(), 101);
        EXPECT_EQ(clip->Height(), 76);
        EXPECT_FALSE(clip->MenuButtonMode);
        EXPECT_EQ(clip->Cursor(), crDefault);
        EXPECT_FALSE(clip->OnDblClick);
        // The tile was fitted again at the thumbnail's size (a 4:3 snapshot fills it).
        EXPECT_EQ(clip->Tile->Width(), 101);
        EXPECT_EQ(clip->Tile->Height(), 76);
        EXPECT_EQ(clip->Tile->Pixel(50, 38), i % 2 ? clBlue : clRed);
        EXPECT_EQ(clip->Top(), 10 + 100 * static_cast<int>(i));
    }
    EXPECT_EQ(form->kivTrackBar_Image->Max(), 1);
    EXPECT_EQ(Captions(), (std::vector<std::string>{"t0.avi", "t1.avi", "t2.avi", "t3.avi", "t4.avi"}));

    ShowWizard([&] {
        headless->ClickControl(*odd);
        EXPECT_EQ(OldMovieImage, odd);
        EXPECT_EQ(form->SelectedIndex, 3);
        EXPECT_TRUE(odd->Selected);
        headless->DoubleClick(*form, odd->Left() + form->kivImagePanel_Clips->Left() + 20,
                              odd->Top() + form->kivImagePanel_Clips->Top() + 20);
        form->kivImageButton_ExitClick(nullptr);
    });
    EXPECT_EQ(designerClicks, 0);
    EXPECT_EQ(designerDoubleClicks, 0);
}

TEST_F(SourceClipsTest, TheSelectionFollowsTheClipAndTheMenuDesignersIndex)
{
    MakeClips(4);
    // The designer passed on a place: the window selects that clip when shown.
    OldMovieImage = nullptr;
    form->SetSelectedClipIndex(2);
    ShowWizard([&] {
        EXPECT_EQ(OldMovieImage, MyMovieImage[2]);
        EXPECT_EQ(form->SelectedIndex, 2);
        EXPECT_TRUE(MyMovieImage[2]->Selected);
        EXPECT_EQ(form->Label_ClipName->Caption(), "Clip name : c2.avi");
        EXPECT_FALSE(form->kivImageButton_SetBegin->Enabled());
        EXPECT_FALSE(form->kivImageButton_SetEnd->Enabled());
        EXPECT_FALSE(form->kivImageButton_Stop->Enabled());
        // The designer's own choice of clip wins over a stale place.
        form->kivImageButton_ExitClick(nullptr);
    });
    OldMovieImage = MyMovieImage[1];
    form->SetSelectedClipIndex(3);
    ShowWizard([&] {
        EXPECT_EQ(form->SelectedIndex, 1);
        EXPECT_EQ(form->SelectedClipIndex(), 1);
        EXPECT_FALSE(MyMovieImage[2]->Selected);
        EXPECT_TRUE(MyMovieImage[1]->Selected);
        form->kivImageButton_ExitClick(nullptr);
    });
    // A place outside the list is no selection.
    form->SetSelectedClipIndex(9);
    ShowWizard([&] {
        EXPECT_EQ(form->SelectedIndex, -1);
        EXPECT_EQ(form->Label_ClipName->Caption(), "Clip name : ");
        // Every handler takes -1 as no selection.
        form->kivImageButton_DeleteClick(nullptr);
        form->kivImageButton_UpClick(nullptr);
        form->kivImageButton_DownClick(nullptr);
        form->kivImageButton_PreviewClick(nullptr);
        form->kivImageButton_SetBeginClick(form->kivImageButton_SetBegin);
        form->kivRadioGroup->SetItemIndex(2);
        form->kivCheckBox->SetChecked(false);
        form->kivButton_LoadSubtitleClick(nullptr);
        form->kivImageButton_ExitClick(nullptr);
    });
    EXPECT_EQ(Names(), (std::vector<std::string>{"c0.avi", "c1.avi", "c2.avi", "c3.avi"}));
    for (std::int64_t i = 0; i < 4; ++i) {
        EXPECT_EQ(MyMovieImage[i]->AspectIndex, 1);
        EXPECT_TRUE(MyMovieImage[i]->LetterBox);
    }
    ASSERT_EQ(headless->MessageBoxes().size(), 1u);   // the subtitle dialog is not there yet
    EXPECT_EQ(headless->MessageBoxes()[0].text, kTaskNotAvailableText);
}

TEST_F(SourceClipsTest, DeleteSelectsTheClipNowInItsPlaceOrTheNewLast)
{
    MakeClips(6, 1, 600);
    ASSERT_EQ(form->kivTrackBar_Image->Max(), 1);
    form->ClipClick(MyMovieImage[0]);
    form->kivImageButton_DeleteClick(nullptr);   // the first: the next one moves up and is selected
    EXPECT_EQ(Names(), (std::vector<std::string>{"c1.avi", "c2.avi", "c3.avi", "c4.avi", "c5.avi"}));
    EXPECT_EQ(OldMovieImage, MyMovieImage[0]);
    EXPECT_EQ(form->SelectedIndex, 0);
    EXPECT_EQ(form->kivTrackBar_Image->Max(), 0);
    for (std::int64_t i = 0; i < MyMovieImage.Length(); ++i) EXPECT_EQ(MyMovieImage[i]->ClipIndex, i);
    EXPECT_EQ(Captions(), (std::vector<std::string>{"c1.avi", "c2.avi", "c3.avi", "c4.avi", "c5.avi"}));
    EXPECT_EQ(form->kivProgressBar->Position(), 5 * 10 * 30 * 100 / 4300);

    form->ClipClick(MyMovieImage[4]);
    form->kivImageButton_DeleteClick(nullptr);   // the last: the new last is selected
    EXPECT_EQ(OldMovieImage, MyMovieImage[3]);
    EXPECT_EQ(form->SelectedIndex, 3);
    EXPECT_TRUE(MyMovieImage[3]->Selected);
    EXPECT_EQ(form->Label_ClipName->Caption(), "Clip name : c4.avi");

    form->ClipClick(MyMovieImage[1]);
    form->kivImageButton_DeleteClick(nullptr);   // one in the middle
    EXPECT_EQ(Names(), (std::vector<std::string>{"c1.avi", "c3.avi", "c4.avi"}));
    EXPECT_EQ(OldMovieImage->ClipName, "c3.avi");

    while (MyMovieImage.Length() > 0) form->kivImageButton_DeleteClick(nullptr);
    EXPECT_EQ(OldMovieImage, nullptr);
    EXPECT_EQ(form->SelectedIndex, -1);
    EXPECT_TRUE(form->Image_Preview->Picture()->Bitmap()->Empty());
    EXPECT_EQ(form->Label_ClipName->Caption(), "Clip name : ");
    EXPECT_EQ(form->kivProgressBar->Position(), 0);
    form->kivImageButton_DeleteClick(nullptr);   // nothing left to delete
    EXPECT_TRUE(headless->MessageBoxes().empty());
}

TEST_F(SourceClipsTest, UpAndDownSwapNeighboursAndKeepTheClipInView)
{
    MakeClips(8);
    ASSERT_EQ(form->kivTrackBar_Image->Max(), 3);
    // A press on the lane below the slider scrolls by one clip.
    ShowWizard([&] {
        TkivTrackBar& lane = *form->kivTrackBar_Image;
        headless->Click(*form, lane.Left() + lane.Width() / 2, lane.Top() + lane.Height() - 5);
        EXPECT_EQ(lane.Position(), 1);
        EXPECT_EQ(MyMovieImage[0]->Top(), -100);
        EXPECT_EQ(form->ClipCaptions[0]->Caption(), "c1.avi");
        lane.SetPosition(0);
        form->Close();
    });
    TQV_MovieImage* moving = MyMovieImage[3];
    form->ClipClick(moving);
    form->kivImageButton_DownClick(nullptr);
    EXPECT_EQ(MyMovieImage[4], moving);
    EXPECT_EQ(moving->ClipIndex, 4);
    EXPECT_EQ(MyMovieImage[3]->ClipIndex, 3);
    EXPECT_EQ(MyMovieImage[3]->ClipName, "c4.avi");
    EXPECT_EQ(form->SelectedIndex, 4);
    EXPECT_EQ(form->kivTrackBar_Image->Position(), 0);   // still the fifth in view
    form->kivImageButton_DownClick(nullptr);             // sixth: the view follows, it is the last shown
    EXPECT_EQ(form->SelectedIndex, 5);
    EXPECT_EQ(form->kivTrackBar_Image->Position(), 1);
    EXPECT_EQ(moving->Top(), 10 + 100 * 4);
    EXPECT_EQ(MyMovieImage[0]->Top(), -100);             // scrolled out above
    EXPECT_EQ(Captions(), (std::vector<std::string>{"c1.avi", "c2.avi", "c4.avi", "c5.avi", "c3.avi"}));
    form->kivImageButton_DownClick(nullptr);
    form->kivImageButton_DownClick(nullptr);
    EXPECT_EQ(form->SelectedIndex, 7);
    form->kivImageButton_DownClick(nullptr);             // already the last
    EXPECT_EQ(form->SelectedIndex, 7);
    EXPECT_EQ(MyMovieImage[7], moving);
    EXPECT_EQ(form->kivTrackBar_Image->Position(), 3);

    form->kivTrackBar_Image->SetPosition(3);
    form->ClipClick(MyMovieImage[3]);
    form->kivImageButton_UpClick(nullptr);               // above the view: it scrolls up to it
    EXPECT_EQ(form->SelectedIndex, 2);
    EXPECT_EQ(form->kivTrackBar_Image->Position(), 2);
    form->kivImageButton_UpClick(nullptr);
    form->kivImageButton_UpClick(nullptr);
    EXPECT_EQ(form->SelectedIndex, 0);
    form->kivImageButton_UpClick(nullptr);               // already the first
    EXPECT_EQ(form->SelectedIndex, 0);
    EXPECT_EQ(form->kivTrackBar_Image->Position(), 0);
    for (std::int64_t i = 0; i < MyMovieImage.Length(); ++i) EXPECT_EQ(MyMovieImage[i]->ClipIndex, i);
    EXPECT_EQ(OldMovieImage, MyMovieImage[form->SelectedIndex]);
}

TEST_F(SourceClipsTest, TheInfoPanelShowsTheSelectedClipAndItsSettingsGoBackToIt)
{
    MakeClips(2);
    TQV_MovieImage& clip = *MyMovieImage[1];
    clip.ClipName = "a clip whose name is much too long for the panel to show it whole.avi";
    clip.FrameRate = 29.97;
    clip.AudioDuration = 1.5;
    clip.VideoDuration = 3661.5;
    clip.VideoWidth = 720;
    clip.VideoHeight = 480;
    clip.SupportsSeek = false;
    clip.AudioStreamCount = 2;
    clip.StartPoint = 10;
    clip.EndPoint = 20.25;
    clip.AspectIndex = 2;
    clip.LetterBox = false;
    form->ClipClick(&clip);
    const std::string name = form->Label_ClipName->Caption();
    ASSERT_EQ(name.rfind("Clip name : a clip whose", 0), 0u) << name;
    EXPECT_LT(name.size(), std::string("Clip name : ").size() + clip.ClipName.size());
    const int average = FontMetrics(*form->Label_ClipName->Font()).tmAveCharWidth;
    EXPECT_EQ(name.size() - 12, static_cast<std::size_t>(160 / average));
    EXPECT_EQ(form->Label_FrameRate->Caption(), "Frames Rate : 29.97");
    EXPECT_EQ(form->Label_AudioDuration->Caption(), "Audio Play Duration : 00:00:01:12");
    EXPECT_EQ(form->Label_VideoDuration->Caption(), "Video Play Duration : 01:01:01:12");
    EXPECT_EQ(form->Label_Width->Caption(), "Resolution Width : 720");
    EXPECT_EQ(form->Label_Height->Caption(), "Resolution Height : 480");
    EXPECT_EQ(form->Label_SupportSeek->Caption(), "Support Seek : No");
    EXPECT_EQ(form->Label_AudioChannels->Caption(), "Audio Channels : 2");
    EXPECT_EQ(form->Label_VideoChannels->Caption(), "Video Channels : 1");
    EXPECT_EQ(form->Label_StartPoint->Caption(), "Start Point : 00:00:10:00");
    EXPECT_EQ(form->Label_EndPoint->Caption(), "End Point : 00:00:20:06");
    EXPECT_EQ(form->Label_Subtitle->Caption(), "Subtitle : None");
    EXPECT_EQ(form->kivRadioGroup->ItemIndex(), 2);
    EXPECT_FALSE(form->kivCheckBox->Checked());

    // The settings change the selected clip only.
    form->kivRadioGroup->SetItemIndex(0);
    form->kivCheckBox->SetChecked(true);
    EXPECT_EQ(clip.AspectIndex, 0);
    EXPECT_TRUE(clip.LetterBox);
    form->ClipClick(MyMovieImage[0]);
    EXPECT_EQ(form->kivRadioGroup->ItemIndex(), 1);
    form->kivRadioGroup->SetItemIndex(2);
    EXPECT_EQ(MyMovieImage[0]->AspectIndex, 2);
    EXPECT_EQ(clip.AspectIndex, 0);
    // Selecting the selected clip again changes nothing.
    form->kivRadioGroup->SetItemIndex(1);
    form->ClipClick(MyMovieImage[0]);
    EXPECT_EQ(MyMovieImage[0]->AspectIndex, 1);

    // The subtitle dialog edits the selected clip; the panel shows its file afterwards.
    TFakeSubtitleDialog* subtitles = nullptr;
    app->CreateForm(subtitles);
    form->DiscType = 3;
    form->ClipClick(&clip);
    form->kivButton_LoadSubtitleClick(nullptr);
    EXPECT_EQ(subtitles->clip, &clip);
    EXPECT_EQ(subtitles->kind, 3);
    EXPECT_EQ(subtitles->shows, 1);
    EXPECT_EQ(form->Label_Subtitle->Caption(), "Subtitle : /subs/film.srt");
}

TEST_F(SourceClipsTest, TheTrimBarShowsTheKeptSpanOnTheBarPicture)
{
    MakeClips(1);
    TQV_MovieImage& clip = *MyMovieImage[0];
    clip.Duration = 10;
    clip.StartPoint = 2.5;
    clip.EndPoint = 7.5;
    form->DrawTrimBar(&clip);
    TBitmap* bar = form->kivTrackBar->BarImage()->Bitmap();
    ASSERT_EQ(bar->Width(), 384);
    const TColor key = bar->Pixel(0, 0);
    EXPECT_NE(key, clBlue);
    EXPECT_NE(key, TColor(0x808080));
    // From x = 2.5 / 10 * 381 + 1 = 96 to 7.5 / 10 * 381 + 1 = 286 (truncated), with the
    // 2-pixel pen's square ends: one more to the left, the end point included.
    const int from = 96, to = 286;
    for (int x = 0; x < 384; ++x) {
        const TColor expected = x >= from - 1 && x <= to ? clBlue : TColor(0x808080);
        ASSERT_EQ(bar->Pixel(x, 1), expected) << x;
        ASSERT_EQ(bar->Pixel(x, 0), x == 0 ? key : expected) << x;
    }
    EXPECT_EQ(bar->Pixel(200, 2), form->kivTrackBar->BarImage()->Bitmap()->Pixel(200, 3));   // below the lane: the bar
    // The shown bar is this picture: its ends stay transparent.
    ASSERT_FALSE(form->kivTrackBar->BarBuffer().Empty());

    // A clip of no length, or none: the grey line only.
    clip.Duration = 0;
    form->DrawTrimBar(&clip);
    for (TQV_MovieImage* c : {&clip, static_cast<TQV_MovieImage*>(nullptr)}) {
        form->DrawTrimBar(c);
        bar = form->kivTrackBar->BarImage()->Bitmap();
        for (int x = 0; x < 384; ++x) ASSERT_EQ(bar->Pixel(x, 1), TColor(0x808080)) << x;
    }
    // A whole clip, start to end.
    clip.Duration = 10;
    clip.StartPoint = 0;
    clip.EndPoint = 10;
    form->DrawTrimBar(&clip);
    bar = form->kivTrackBar->BarImage()->Bitmap();
    EXPECT_EQ(bar->Pixel(0, 1), clBlue);
    EXPECT_EQ(bar->Pixel(382, 1), clBlue);
    EXPECT_EQ(bar->Pixel(383, 1), TColor(0x808080));
    EXPECT_EQ(bar->Pixel(0, 0), key);
}

TEST_F(SourceClipsTest, DiscSpaceIsEstimatedFromWholeClipLengths)
{
    Write(Config(), "[Config]\nWorking Folder=NOFOLDER\nDVDSPM=30\nDVDSize=4300\nSVCDSPM=22\nVCDSPM=13\nVCDSize=600\n");
    ReadDiscSizeSettings();
    // 60 minutes of clips; the fractions of seconds do not count, nor do trims.
    MakeClip("a.avi", 1799.9);
    MakeClip("b.avi", 1800.9)->StartPoint = 1000;
    MakeClip("c.avi", 0.4);
    ASSERT_TRUE(form->PrepareClipsForm(1, 1));
    EXPECT_DOUBLE_EQ(EstimateDiscMegabytes(3599, 30), 1799.5);
    EXPECT_DOUBLE_EQ(EstimateDiscMegabytes(3600, 30), 1800);
    MyMovieImage[0]->AudioDuration = 1799.9;
    MyMovieImage[0]->VideoDuration = 1700;      // the longer stream counts
    MyMovieImage[1]->VideoDuration = 1801.2;    // 1799 + 1801 = 3600 s
    EXPECT_TRUE(form->CheckDiscSpace(true));
    EXPECT_EQ(form->kivProgressBar->Position(), 41);   // 1800 MB of 4300
    EXPECT_EQ(form->ProgressPosition(), 41);

    // The same clips overflow a VCD (600 MB): the bar is full, the warning only when asked.
    form->DiscType = 3;
    EXPECT_TRUE(form->CheckDiscSpace(false));
    EXPECT_EQ(form->kivProgressBar->Position(), 100);
    EXPECT_TRUE(headless->MessageBoxes().empty());
    EXPECT_FALSE(form->CheckDiscSpace(true));
    ASSERT_EQ(headless->MessageBoxes().size(), 1u);
    EXPECT_EQ(headless->MessageBoxes()[0].text, "Exceeding the disc media limite size, can not burn to one disc!");
    EXPECT_EQ(headless->MessageBoxes()[0].flags & 0xF0, MB_ICONWARNING);

    // A disc that holds nothing is full, however short the clips.
    Write(Config(), "[Config]\nDVDSize=0\n");
    ReadDiscSizeSettings();
    form->DiscType = 1;
    EXPECT_FALSE(form->CheckDiscSpace(true));
    EXPECT_EQ(form->kivProgressBar->Position(), 100);
    EXPECT_EQ(headless->MessageBoxes().size(), 2u);
    MyMovieImage.Clear();
    EXPECT_FALSE(form->CheckDiscSpace(true));   // even an empty list: 0 MB on no disc
    EXPECT_EQ(form->kivProgressBar->Position(), 100);
}

TEST_F(SourceClipsTest, OutputNamesTakeANumberWhenEarlierClipsHaveTheName)
{
    for (const char* name : {"a.avi", "a.avi", "b.mpg", "a.avi", "a_1.avi"}) MakeClip(name, 5);
    std::vector<std::string> names;
    for (int i = 0; i < 5; ++i) {
        names.push_back(form->UniqueOutputName(i));
        MyMovieImage[i]->OutputName = names.back();
    }
    // One pass over the earlier clips: "a_1.avi" is not looked at again after it was taken.
    EXPECT_EQ(names, (std::vector<std::string>{"a.avi", "a_1.avi", "b.mpg", "a_2.avi", "a_1_1.avi"}));
}

TEST_F(SourceClipsTest, MenuAndChapterSwitchesFollowEachOtherAndAreStored)
{
    MakeClips(1);
    ASSERT_TRUE(form->kivCheckBox1->Checked());
    EXPECT_EQ(TIniFile(Config()).ReadString("Config", "Add DVD Menu", ""), "1");
    form->kivCheckBox1->SetChecked(false);
    EXPECT_FALSE(form->AddMenu);
    EXPECT_FALSE(form->kivCheckBox_Chapter->Checked());
    EXPECT_FALSE(form->kivCheckBox_Chapter->Visible());
    EXPECT_FALSE(form->kivComboBox_ChapterInterval->Visible());
    EXPECT_FALSE(form->AutoChapters());
    EXPECT_EQ(TIniFile(Config()).ReadString("Config", "Add DVD Menu", ""), "0");
    form->kivCheckBox1->SetChecked(true);
    EXPECT_TRUE(form->AddMenu);
    EXPECT_TRUE(form->kivCheckBox_Chapter->Checked());
    EXPECT_TRUE(form->kivComboBox_ChapterInterval->Visible());
    EXPECT_EQ(TIniFile(Config()).ReadString("Config", "Add DVD Menu", ""), "1");

    form->kivCheckBox_Chapter->SetChecked(false);
    EXPECT_FALSE(form->kivComboBox_ChapterInterval->Visible());
    EXPECT_TRUE(form->kivCheckBox1->Checked());
    form->kivCheckBox_Chapter->SetChecked(true);
    EXPECT_TRUE(form->kivComboBox_ChapterInterval->Visible());

    EXPECT_DOUBLE_EQ(form->ChapterIntervalSeconds(), 600);
    const double seconds[3] = {600, 900, 1200};
    for (int i : {2, 1, 0}) {
        form->kivComboBox_ChapterInterval->SetItemIndex(i);
        if (form->kivComboBox_ChapterInterval->OnChange) form->kivComboBox_ChapterInterval->OnChange(nullptr);
        EXPECT_DOUBLE_EQ(form->ChapterIntervalSeconds(), seconds[i]);
    }
}

TEST_F(SourceClipsTest, NextLeadsWhereTheTaskKindAndMenuSay)
{
    TFakeRunWindows* builder = MakeRunWindow(kDiscBuilderWindowName);
    TFakeRunWindows* convert = MakeRunWindow(kConvertProcessWindowName);
    g_i_LanguageIndex = 2;
    const std::string folder = GetWorkingFolder();
    struct Case {
        const char* what;
        int mode, kind;
        bool menu;
        int wizardResult;
        Calls builderCalls, convertCalls;
    };
    const Calls toBuilder[4] = {{},
                                {"builder init 1", "builder no menu 2", "builder show"},
                                {"builder init 2", "builder no menu 2", "builder show"},
                                {"builder init 3", "builder no menu 2", "builder show"}};
    const std::vector<Case> cases = {
        {"build DVD with a menu", 1, 1, true, 1, {}, {}},
        {"build DVD without a menu", 1, 1, false, 3, toBuilder[1], {}},
        {"build SVCD", 1, 2, true, 3, toBuilder[2], {}},
        {"build VCD", 1, 3, false, 3, toBuilder[3], {}},
        {"convert DVD", 0, 1, true, 3, {},
         {"convert init 0 1", "convert release worker", "convert folder " + folder, "convert menu 0", "convert panels",
          "convert show"}},
        {"convert SVCD", 0, 2, true, 3, {}, {"convert init 0 2", "convert panels", "convert show"}},
        {"convert VCD", 0, 3, false, 3, {}, {"convert init 0 3", "convert panels", "convert show"}},
    };
    for (const Case& c : cases) {
        builder->calls.clear();
        convert->calls.clear();
        if (c.mode == 1) {
            ASSERT_TRUE(form->PrepareClipsForm(0, c.kind));
        }
        ASSERT_TRUE(form->PrepareClipsForm(c.mode, c.kind));
        bool stillShown = false;
        const int result = ShowWizard([&] {
            if (c.kind == 1 && c.mode == 1) form->kivCheckBox1->SetChecked(c.menu);
            headless->ClickControl(*form->kivImageButton_Burn);
            stillShown = form->ModalResult() == mrNone;
            if (stillShown) form->kivImageButton_ExitClick(nullptr);
        });
        EXPECT_EQ(result, c.wizardResult) << c.what;
        EXPECT_EQ(stillShown, c.wizardResult != 1) << c.what;
        EXPECT_EQ(builder->calls, c.builderCalls) << c.what;
        EXPECT_EQ(convert->calls, c.convertCalls) << c.what;
    }
    EXPECT_TRUE(headless->MessageBoxes().empty());
}

TEST_F(SourceClipsTest, ANextThatCannotGoOnSaysWhyAndLeavesTheWindowOpen)
{
    struct Case {
        int mode, kind;
        bool menu;
        const char* text;
    };
    const Case cases[] = {{1, 1, false, "Can not initialize burning system!"},
                          {1, 2, true, "Can not initialize burning system!"},
                          {0, 2, true, "Can not initialize convert system!"},
                          {0, 1, true, "Can not start burning method. Please try again."}};
    // First without the windows at all, then with windows that fail to start.
    for (bool present : {false, true}) {
        TFakeRunWindows* builder = present ? MakeRunWindow(kDiscBuilderWindowName) : nullptr;
        TFakeRunWindows* convert = present ? MakeRunWindow(kConvertProcessWindowName) : nullptr;
        for (TFakeRunWindows* w : {builder, convert})
            if (w) w->initOk = false;
        for (const Case& c : cases) {
            ASSERT_TRUE(form->PrepareClipsForm(c.mode, c.kind));
            const std::size_t before = headless->MessageBoxes().size();
            bool stillShown = false;
            ShowWizard([&] {
                if (c.kind == 1 && c.mode == 1) form->kivCheckBox1->SetChecked(c.menu);
                headless->ClickControl(*form->kivImageButton_Burn);
                stillShown = form->ModalResult() == mrNone;
                form->kivImageButton_ExitClick(nullptr);
            });
            EXPECT_TRUE(stillShown) << c.text;
            ASSERT_EQ(headless->MessageBoxes().size(), before + 1) << c.text;
            const HeadlessMessageBox& box = headless->MessageBoxes().back();
            EXPECT_EQ(box.text, present ? c.text : kTaskNotAvailableText);
            EXPECT_EQ(box.flags & 0xF0, MB_ICONINFORMATION);
        }
        if (present) {
            EXPECT_EQ(builder->calls.size(), 2u);   // only the two inits
            EXPECT_EQ(convert->calls.size(), 2u);
        }
    }
}

TEST_F(SourceClipsTest, NextRunsOnceAtATime)
{
    TFakeRunWindows* convert = MakeRunWindow(kConvertProcessWindowName);
    ASSERT_TRUE(form->PrepareClipsForm(0, 2));
    convert->whileShown = [&] { headless->ClickControl(*form->kivImageButton_Burn); };
    ShowWizard([&] {
        headless->ClickControl(*form->kivImageButton_Burn);
        headless->ClickControl(*form->kivImageButton_Burn);   // the second run after the first ended
        form->kivImageButton_ExitClick(nullptr);
    });
    EXPECT_EQ(convert->calls, (Calls{"convert init 0 2", "convert panels", "convert show", "convert init 0 2",
                                     "convert panels", "convert show"}));
}

TEST_F(SourceClipsTest, OnlyNextAnswersOneEveryOtherCloseEndsTheTask)
{
    MakeClips(2);
    EXPECT_EQ(ShowWizard([&] { headless->ClickControl(*form->kivImageButton_Burn); }), 1);
    // Back from the menu designer: the stale 1 must not carry the task on.
    ASSERT_TRUE(form->PrepareClipsForm(1, 1));
    EXPECT_EQ(form->WizardResult, 3);
    EXPECT_EQ(ShowWizard([&] { form->InputCloseRequest(); }), 3);
    EXPECT_EQ(ShowWizard([&] { headless->ClickControl(*form->kivImageButton_Burn); }), 1);
    form->WizardResult = 1;   // even without a new preparation
    EXPECT_EQ(ShowWizard([&] { headless->ClickControl(*form->kivImageButton_Exit); }), 3);
    EXPECT_EQ(OldMovieImage, nullptr);
    form->WizardResult = 1;
    EXPECT_EQ(ShowWizard([&] { form->Close(); }), 3);
    EXPECT_EQ(MyMovieImage.Length(), 2);
}

TEST_F(SourceClipsTest, TheBuildAndConvertTasksReachTheClipsWindow)
{
    app->CreateForm(QV_Video_DVD_Author_Form);
    app->CreateForm(QV_Video_DVD_Select_Form);
    TQV_Video_DVD_Author_Form& main = *QV_Video_DVD_Author_Form;
    main.Show();
    auto choose = [this](TkivImageButton* TQV_Video_DVD_Select_Form::*kind) {
        headless->OnNextModal([kind](TCustomForm&) {
            HeadlessBackend()->ClickControl(*(QV_Video_DVD_Select_Form->*kind));
            HeadlessBackend()->ClickControl(*QV_Video_DVD_Select_Form->kivImageButton2);
        });
    };

    // Convert to SVCD: a new, empty list without the menu controls; Exit goes back to the main window.
    MakeClip("left over.avi", 10);
    choose(&TQV_Video_DVD_Select_Form::kivImageButton_SelectSVCD);
    bool clipsShown = false;
    headless->OnNextModal([&](TCustomForm& f) {
        clipsShown = &f == form;
        EXPECT_FALSE(headless->WindowVisible(main));
        EXPECT_EQ(form->DiscType, 2);
        EXPECT_EQ(MyMovieImage.Length(), 0);
        EXPECT_FALSE(form->kivCheckBox1->Visible());
        headless->ClickControl(*form->kivImageButton_Exit);
    });
    headless->ClickControl(*main.Button_ConvertVideoCliptovob);
    EXPECT_TRUE(clipsShown);
    EXPECT_TRUE(headless->WindowVisible(main));
    EXPECT_TRUE(headless->MessageBoxes().empty());

    // Build a DVD: the clips window as a wizard page with the menu; Next goes on to the
    // menu designer, which the program does not have yet.
    choose(&TQV_Video_DVD_Select_Form::kivImageButton_SelectDVD);
    clipsShown = false;
    headless->OnNextModal([&](TCustomForm& f) {
        clipsShown = &f == form;
        EXPECT_EQ(form->DiscType, 1);
        EXPECT_TRUE(form->kivCheckBox1->Visible());
        EXPECT_TRUE(form->kivCheckBox1->Checked());
        headless->ClickControl(*form->kivImageButton_Burn);
    });
    headless->ClickControl(*main.Button_VideoDVDDiscBuilder);
    EXPECT_TRUE(clipsShown);
    EXPECT_EQ(form->WizardResult, 1);
    EXPECT_TRUE(headless->WindowVisible(main));
    ASSERT_EQ(headless->MessageBoxes().size(), 1u);
    EXPECT_EQ(headless->MessageBoxes()[0].text, kTaskNotAvailableText);
}

} // namespace
