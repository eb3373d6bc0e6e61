#include "shell/qv_videodvdsetupsourceclipsform.h"

#include "base/burnpubfunction.h"
#include "base/programpictures.h"
#include "base/projectdata.h"
#include "base/qv_graphgroupclass.h"
#include "base/qv_loadfile.h"
#include "base/qv_movieimage.h"
#include "base/qv_pubfunction.h"
#include "shell/aboutform.h"
#include "shell/clipslayout.h"

#include "gfx/bitmap.h"
#include "gfx/canvas.h"
#include "gfx/fonts.h"
#include "rtl/paths.h"
#include "rtl/sysutils.h"
#include "skin/kivbutton.h"
#include "skin/kivcombobox.h"
#include "skin/kivimagepanel.h"
#include "skin/kivprogressbar.h"
#include "skin/kivradiogroup.h"
#include "skin/kivskinform.h"
#include "skin/kivtrackbar.h"
#include "vcl/application.h"
#include "vcl/dialogs.h"
#include "vcl/extctrls.h"
#include "vcl/stdctrls.h"
#include "vcl/timer.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <memory>
#include <span>
#include <utility>

// The first entry also lists the other kinds the media layer reads, the most
// common clips on this system among them; the last lets any file be chosen
// (one the probe cannot read is reported after the add).
const char* const kClipsOpenFilter =
    "All Supported Video Media Format|*.avi;*.divx;*.div;*.mpeg;*.mpg;*.wmv;*.rm;*rmvb;*.dat;*.asf;*.mov;*.swf;"
    "*.mp4;*.m4v;*.mkv;*.webm;*.ts;*.m2ts;*.mts;*.flv;*.3gp;*.vob;*.ogv|"
    "AVI (*.avi)|*.avi|Divx (*.divx,*.div)|*.divx;*.div|Mpeg (*.mpeg,*.mpg)|*.mpeg;*.mpg|WMV (*.wmv)|*.wmv|"
    "Real Player Format (*.rm,*rmvb)|*.rm;*rmvb|VCD Format (*.dat)|*.dat|ASF (*.asf)|*.asf|"
    "Quick Time Format (*.mov)|*.mov|Flash Format (*.swf)|*.swf|All files (*)|*";
const char* const kClipsLoadFailedHead =
    "No matched codecs in you system, this file maybe can't be conveted!\nYou need to install some codec,\n"
    "please see Help File or visite:\n";
const char* const kClipsLoadFailedList =
    "\nto download codecs.\n\nCan not load following file(s):\n******************************\n\n";

namespace {

constexpr TColor kFuchsia = 0xFF00FF;
constexpr TColor kTrimGrey = 0x808080;
constexpr int kTileWidth = 101, kTileHeight = 76;
constexpr int kClipLeft = 5, kClipTop = 10, kClipStep = 100;
constexpr int kCaptionLeft = 3, kCaptionTop = 93, kCaptionWidth = 106, kCaptionHeight = 14;
constexpr int kNameWidth = 160;   // pixels of a clip name the info panel shows
constexpr double kChapterIntervals[3] = {600, 900, 1200};

// A track bar drawn from the window's own pictures rather than the theme's.
class TPictureTrackBar : public TkivTrackBar {
public:
    using TkivTrackBar::TkivTrackBar;

protected:
    bool CustomPicture() const override { return true; }
};

using Self = TQV_Video_DVD_Setup_Source_Clips_Form;
using Handler = void (Self::*)(TObject*);

// The window's picture buttons in the order each group is made: the member,
// its name, place, picture file, hint and click (none: the task's step sets it).
struct ButtonRow {
    TkivImageButton* Self::*member;
    const char* name;
    mainlayout::Place place;
    const char* file;
    const char* hint;
    Handler onClick;
};
using namespace clipslayout;
constexpr ButtonRow kListButtonRows[] = {
    {&Self::kivImageButton_Add, "kivImageButton_Add", kListButtons[0], kListButtonFiles[0], "Add video file clip",
     &Self::kivImageButton_AddClick},
    {&Self::kivImageButton_Delete, "kivImageButton_Delete", kListButtons[1], kListButtonFiles[1],
     "Remove video file clip", &Self::kivImageButton_DeleteClick},
    {&Self::kivImageButton_Up, "kivImageButton_Up", kListButtons[2], kListButtonFiles[2], "Move the clip up",
     &Self::kivImageButton_UpClick},
    {&Self::kivImageButton_Down, "kivImageButton_Down", kListButtons[3], kListButtonFiles[3], "Move the clip down",
     &Self::kivImageButton_DownClick},
};
// Set begin and set end share their click: the sender tells which.
constexpr ButtonRow kPreviewButtonRows[] = {
    {&Self::kivImageButton_Preview, "kivImageButton_Preview", kPreviewButtons[0], kPreviewButtonFiles[0], "",
     &Self::kivImageButton_PreviewClick},
    {&Self::kivImageButton_Stop, "kivImageButton_Stop", kPreviewButtons[1], kPreviewButtonFiles[1], "",
     &Self::kivImageButton_StopClick},
    {&Self::kivImageButton_SetBegin, "kivImageButton_SetBegin", kPreviewButtons[2], kPreviewButtonFiles[2], "",
     &Self::kivImageButton_SetBeginClick},
    {&Self::kivImageButton_SetEnd, "kivImageButton_SetEnd", kPreviewButtons[3], kPreviewButtonFiles[3], "",
     &Self::kivImageButton_SetBeginClick},
    {&Self::kivImageButton_SavePic, "kivImageButton_SavePic", kPreviewButtons[4], kPreviewButtonFiles[4], "",
     &Self::kivImageButton_SavePicClick},
};
constexpr ButtonRow kWindowButtonRows[] = {
    {&Self::kivImageButton_Burn, "kivImageButton_Burn", kNext, kNextFile, "Next step", nullptr},
    {&Self::kivImageButton_Min, "kivImageButton_Min", kMin, kMinFile, "", &Self::kivImageButton_MinClick},
    {&Self::kivImageButton_Exit, "kivImageButton_Exit", kClose, kCloseFile, "Close", &Self::kivImageButton_ExitClick},
};

// The settings' check boxes.
struct CheckRow {
    TkivCheckBox* Self::*member;
    const char* name;
    const char* caption;
    mainlayout::Place place;
    Handler onClick;
};
constexpr CheckRow kCheckRows[] = {
    {&Self::kivCheckBox, "kivCheckBox", "Auto add letter box.", kLetterBox, &Self::kivCheckBoxClick},
    {&Self::kivCheckBox1, "kivCheckBox1", "Add DVD menu.", kAddMenu, &Self::kivCheckBox1Click},
    {&Self::kivCheckBox_Chapter, "kivCheckBox_Chapter", "Auto split DVD chapter", kAutoChapter,
     &Self::kivCheckBox_ChapterClick},
};

// The lines of the clip's facts, top to bottom.
struct LineRow {
    TLabel* Self::*member;
    const char* name;
};
constexpr LineRow kInfoLineRows[] = {
    {&Self::Label_ClipName, "Label_ClipName"},           {&Self::Label_FrameRate, "Label_FrameRate"},
    {&Self::Label_AudioDuration, "Label_AudioDuration"}, {&Self::Label_VideoDuration, "Label_VideoDuration"},
    {&Self::Label_Width, "Label_Width"},                 {&Self::Label_Height, "Label_Height"},
    {&Self::Label_SupportSeek, "Label_SupportSeek"},     {&Self::Label_AudioChannels, "Label_AudioChannels"},
    {&Self::Label_VideoChannels, "Label_VideoChannels"}, {&Self::Label_StartPoint, "Label_StartPoint"},
    {&Self::Label_EndPoint, "Label_EndPoint"},           {&Self::Label_Subtitle, "Label_Subtitle"},
};

// A picture panel of the form at `p`; the caller finishes it and gives it its parent.
TkivImagePanel* NewPanel(TComponent* form, const char* name, const mainlayout::Place& p)
{
    auto* panel = new TkivImagePanel(form);
    panel->SetName(name);
    panel->SetBounds(p.left, p.top, p.width, p.height);
    return panel;
}

// A track bar of the form at `p` from 0 to `max`, see-through and without ticks; the caller gives it its parent.
template <class TrackBar>
TrackBar* NewTrackBar(TComponent* form, const char* name, const mainlayout::Place& p, int max,
                      TkivProgressBarOrientation orientation)
{
    auto* bar = new TrackBar(form);
    bar->SetName(name);
    bar->SetOrientation(orientation);
    bar->SetShowTick(false);
    bar->SetTransparent(true);
    bar->SetBounds(p.left, p.top, p.width, p.height);
    bar->SetMin(0);
    bar->SetMax(max);
    return bar;
}

// The play-position bar's groove; without the window's pictures a plain one, its corner the key.
std::unique_ptr<TBitmap> LoadPlayBar()
{
    auto groove = std::make_unique<TBitmap>();
    if (!LoadProgramPicture(kPlayBarFile, *groove)) {
        groove->SetSize(kPlayBar.width, 8);
        groove->Canvas()->Brush()->SetColor(0x3A2414);
        groove->Canvas()->FillRect(Rect(0, 0, kPlayBar.width, 8));
        groove->SetPixel(0, 0, kFuchsia);
    }
    return groove;
}

// The whole seconds a clip lasts, for the space estimate.
std::int64_t WholeSeconds(const TQV_MovieImage& clip)
{
    const double longest = std::max(clip.AudioDuration, clip.VideoDuration);
    if (!(longest > 0)) return 0;
    return static_cast<std::int64_t>(std::min(longest, 1e9));   // a damaged length cannot overflow the sum
}

} // namespace

double EstimateDiscMegabytes(std::int64_t seconds, int megabytesPerMinute)
{
    return static_cast<double>(megabytesPerMinute) * static_cast<double>(seconds) / 60.0;
}

TRect LetterBoxRect(int panelWidth, int panelHeight, int videoWidth, int videoHeight, bool letterBox)
{
    if (!letterBox || videoWidth <= 0 || videoHeight <= 0 || panelWidth <= 0 || panelHeight <= 0)
        return Rect(0, 0, panelWidth, panelHeight);
    const std::int64_t W = panelWidth, H = panelHeight, w = videoWidth, h = videoHeight;
    if (w * H < W * h) {   // narrower than the panel: full height
        const int width = static_cast<int>(H * w / h);
        const int left = (panelWidth - width) / 2;
        return Rect(left, 0, left + width, panelHeight);
    }
    const int height = static_cast<int>(W * h / w);
    const int top = (panelHeight - height) / 2;
    return Rect(0, top, panelWidth, top + height);
}

TQV_Video_DVD_Setup_Source_Clips_Form::TQV_Video_DVD_Setup_Source_Clips_Form(TComponent* AOwner) : TForm(AOwner)
{
    using namespace clipslayout;
    BeginLoading();
    SetName(kSourceClipsWindowName);
    SetCaption("Setup source clips");
    SetPosition(poScreenCenter);
    SetColor(0x5A3015);
    kivSkinForm1 = ApplyProgramSkin(this, kSkinFile, kWidth, kHeight);
    auto on = [this](Handler handler) -> TNotifyEvent {
        if (!handler) return nullptr;
        return [this, handler](TObject* sender) { (this->*handler)(sender); };
    };
    auto buttons = [&](const ButtonRow* rows, std::size_t count) {
        for (const ButtonRow& row : std::span(rows, count))
            this->*row.member = NewPictureButton(this, row.name, row.place, row.file, row.hint, on(row.onClick));
    };

    OpenDialog = new TOpenDialog(this);
    OpenDialog->SetName("OpenDialog");
    OpenDialog->Options |= ofAllowMultiSelect | ofFileMustExist;
    SaveDialog = new TSaveDialog(this);
    SaveDialog->SetName("SaveDialog");
    SaveDialog->Filter = "Bitmap File(*.bmp)|*.bmp";

    // The clip strip, its captions and its scroll lane, and the list's buttons.
    kivImagePanel_Clips = NewPanel(this, "kivImagePanel_Clips", kClipPanel);
    kivImagePanel_Clips->SetTransparent(true);
    kivImagePanel_Clips->SetParent(this);
    for (int i = 0; i < kVisibleClips; ++i) {
        const mainlayout::Place place = {kCaptionLeft, kCaptionTop + kClipStep * i, kCaptionWidth, kCaptionHeight};
        ClipCaptions[i] = NewLabel(kivImagePanel_Clips, nullptr, place, kTextColor);
        ClipCaptions[i]->SetName("Label_Clip" + IntToStr(i));
        ClipCaptions[i]->SetAlignment(taCenter);
    }
    kivTrackBar_Image = NewTrackBar<TkivTrackBar>(this, "kivTrackBar_Image", kClipScroll, 0, kivVertical);
    // A scroll lane for the mouse, like the skinned scroll bar's: it must not open the window
    // with a focus frame around it.
    kivTrackBar_Image->SetTabStop(false);
    kivTrackBar_Image->OnChange = on(&Self::kivTrackBar_ImageChange);
    kivTrackBar_Image->SetParent(this);
    buttons(kListButtonRows, std::size(kListButtonRows));

    // The preview, its still picture, the play-position bar and the preview's buttons.
    kivImagePanel_Preview = NewPanel(this, "kivImagePanel_Preview", kPreview);
    kivImagePanel_Preview->SetColor(clBlack);
    kivImagePanel_Preview->SetParent(this);
    Image_Preview = new TImage(this);
    Image_Preview->SetName("Image_Preview");
    Image_Preview->SetAlign(alClient);
    Image_Preview->SetStretch(true);
    Image_Preview->SetProportional(true);
    Image_Preview->SetCenter(true);
    Image_Preview->SetParent(kivImagePanel_Preview);
    kivTrackBar = NewTrackBar<TPictureTrackBar>(this, "kivTrackBar", kPlayBar, 100, kivHorizontal);
    playBar_ = LoadPlayBar();
    TBitmap slider;
    if (LoadProgramPicture(kPlaySliderFile, slider)) {
        TPicture picture;
        picture.SetGraphic(&slider);
        kivTrackBar->Slider()->SetAutoSize(true);
        kivTrackBar->Slider()->SetTransparent(true);
        kivTrackBar->SetSliderImage(picture);
    }
    kivTrackBar->OnMouseDown = [this](auto... a) { kivTrackBarMouseDown(a...); };
    kivTrackBar->OnMouseUp = [this](auto... a) { kivTrackBarMouseUp(a...); };
    kivTrackBar->SetParent(this);
    buttons(kPreviewButtonRows, std::size(kPreviewButtonRows));

    // The clip's facts.
    kivImagePanel_Info = NewPanel(this, "kivImagePanel_Info", kInfo);
    kivImagePanel_Info->SetTransparent(true);
    kivImagePanel_Info->SetParent(this);
    for (std::size_t i = 0; i < std::size(kInfoLineRows); ++i) {
        const int top = kInfoLineTop + kInfoLineStep * static_cast<int>(i);
        this->*kInfoLineRows[i].member = NewLabel(kivImagePanel_Info, kInfoLineRows[i].name,
                                                  {kInfoLineLeft, top, kInfoLineWidth, kInfoLineHeight}, kTextColor);
    }
    kivButton_LoadSubtitle = new TkivButton(this);
    kivButton_LoadSubtitle->SetName("kivButton_LoadSubtitle");
    kivButton_LoadSubtitle->SetCaption("Setup Subtitle");
    kivButton_LoadSubtitle->SetBounds(kSubtitleButton.left, kSubtitleButton.top, kSubtitleButton.width,
                                      kSubtitleButton.height);
    kivButton_LoadSubtitle->OnClick = on(&Self::kivButton_LoadSubtitleClick);
    kivButton_LoadSubtitle->SetParent(kivImagePanel_Info);

    // The clip's picture settings, the menu and the chapters.
    kivRadioGroup = new TkivRadioGroup(this);
    kivRadioGroup->SetName("kivRadioGroup");
    kivRadioGroup->SetCaption("Image Ratio Setting");
    kivRadioGroup->SetTransparent(true);
    kivRadioGroup->Font()->SetName("Arial");
    kivRadioGroup->Font()->SetSize(8);
    kivRadioGroup->SetBounds(kRatioGroup.left, kRatioGroup.top, kRatioGroup.width, kRatioGroup.height);
    for (const char* item : {"1:1  For square pixels", "4:3  For standard TV", "16:9 For wide screen TV"})
        kivRadioGroup->Items()->Add(item);
    kivRadioGroup->SetParent(this);
    kivRadioGroup->SetItemIndex(1);
    kivRadioGroup->SetFontColor(kTextColor);
    kivRadioGroup->OnClick = on(&Self::kivRadioGroupClick);
    for (const CheckRow& row : kCheckRows) {
        this->*row.member = NewCheckBox(this, row.name, row.caption, row.place, kTextColor);
        (this->*row.member)->OnClick = on(row.onClick);
    }
    kivComboBox_ChapterInterval = new TkivComboBox(this);
    kivComboBox_ChapterInterval->SetName("kivComboBox_ChapterInterval");
    kivComboBox_ChapterInterval->SetStyle(csDropDownList);
    kivComboBox_ChapterInterval->SetBounds(kChapterInterval.left, kChapterInterval.top, kChapterInterval.width,
                                           kChapterInterval.height);
    kivComboBox_ChapterInterval->SetParent(this);
    for (const char* item : {"10 minutes", "15 minutes", "20 minutes"}) kivComboBox_ChapterInterval->Items()->Add(item);
    kivComboBox_ChapterInterval->SetItemIndex(0);
    kivComboBox_ChapterInterval->OnChange = on(&Self::kivComboBox_ChapterIntervalChange);

    // The disc: its kind, the space used, and Next; the title band's buttons.
    Label_DiscSpace = NewLabel(this, "Label_DiscSpace", kSpaceLabel, kTextColor, 8, true);
    Label_DiscSpace->SetCaption("Disc space used by the clips:");
    Image_DiscKind = new TImage(this);
    Image_DiscKind->SetName("Image_DiscKind");
    Image_DiscKind->SetBounds(kKindBadge.left, kKindBadge.top, kKindBadge.width, kKindBadge.height);
    Image_DiscKind->SetParent(this);
    kivProgressBar = NewBar(this, "kivProgressBar", kSpaceBar);
    buttons(kWindowButtonRows, std::size(kWindowButtonRows));
    kivImageButton_Burn->SetDefault(true);

    // In front of everything while files load.
    Panel_Progress = NewPanel(this, "Panel_Progress", kLoading);
    Panel_Progress->SetColor(0x4A2612);
    TBitmap loading;
    if (LoadProgramPicture(kLoadingFile, loading)) Panel_Progress->Picture()->SetGraphic(&loading);
    Panel_Progress->SetVisible(false);
    Panel_Progress->SetParent(this);
    Label_Loading = NewLabel(Panel_Progress, "Label_Loading", kLoadingLabel, kTextColor, 9, true);
    Label_Loading->SetCaption("Loading file, please waitting...");
    kivProgressBar_Loading = NewBar(Panel_Progress, "kivProgressBar_Loading", kLoadingBar, this);

    Timer = new TTimer(this);
    Timer->SetName("Timer");
    Timer->SetInterval(500);
    Timer->OnTimer = [](TObject*) {};

    OnShow = on(&Self::FormShow);
    OnClose = [this](TObject* sender, TCloseAction& action) { FormClose(sender, action); };
    EndLoading();

    ShowClipInfo(-1);
    s_WorkFolderPath = GetWorkingFolder();
    OldMovieImage = nullptr;
    ChapterInterval = 600;
    ReadDiscSizeSettings();
    ShowKindBadge(1);
}

TQV_Video_DVD_Setup_Source_Clips_Form::~TQV_Video_DVD_Setup_Source_Clips_Form()
{
    ForgetLoader();
    if (GRAPH) FreePreviewGraph();
}

// --- the task's steps -------------------------------------------------------------------
bool TQV_Video_DVD_Setup_Source_Clips_Form::PrepareClipsForm(int mode, int kind)
{
    const bool step = mode != 0;
    WizardResult = 3;
    if (step) {
        // The clips come back from the menu designer, where they were title buttons.
        for (std::int64_t i = 0; i < MyMovieImage.Length(); ++i) {
            TQV_MovieImage* clip = MyMovieImage[i];
            if (!clip) continue;
            AdoptClip(*clip);
            if (clip->Width() != kTileWidth || clip->Height() != kTileHeight) {
                clip->SetBounds(clip->Left(), clip->Top(), kTileWidth, kTileHeight);
                FitSnapshotToTile(*clip);
            }
        }
        SetScrollMaximum();
        LayoutClips();
        BindNext(&Self::kivImageButton_NextToMenuClick);
        SetMenuControlsVisible(kind == 1);
    } else {
        MyMovieImage.Clear();
        OldMovieImage = nullptr;
        SelectedIndex = -1;
        Image_Preview->Picture()->SetGraphic(nullptr);
        SetScrollMaximum();
        LayoutClips();
        ShowClipInfo(-1);
        kivProgressBar->SetPosition(0);
        BindNext(&Self::kivImageButton_BurnClick);
        SetMenuControlsVisible(false);
    }
    DiscType = kind;
    if (kind == 1) {
        if (step) {
            kivCheckBox1->SetChecked(true);
            kivCheckBox_Chapter->SetChecked(true);
            kivCheckBox1Click(kivCheckBox1);
            kivCheckBox_ChapterClick(kivCheckBox_Chapter);
        }
        ShowKindBadge(1);
    } else if (kind == 2 || kind == 3) {
        BindNext(step ? &Self::kivImageButton_NextToBuilderClick : &Self::kivImageButton_NextToConvertClick);
        ShowKindBadge(kind);
    } else {
        MessageDlg("Convert mode error!", mtError, MsgButtons({mbOK}));
        return false;
    }
    Timer->SetEnabled(false);
    OpenDialog->FileName.clear();
    return true;
}

int TQV_Video_DVD_Setup_Source_Clips_Form::ShowClipsWizard()
{
    ShowModal();
    return WizardResult;
}

void TQV_Video_DVD_Setup_Source_Clips_Form::ShowClipsForConversion() { ShowModal(); }

int TQV_Video_DVD_Setup_Source_Clips_Form::ProgressPosition() const { return kivProgressBar->Position(); }

bool TQV_Video_DVD_Setup_Source_Clips_Form::AutoChapters() const { return kivCheckBox_Chapter->Checked(); }

// --- showing and closing ------------------------------------------------------------------
void TQV_Video_DVD_Setup_Source_Clips_Form::FormShow(TObject*)
{
    // Any close but Next leaves the task.
    WizardResult = 3;
    Image_Preview->Picture()->SetGraphic(nullptr);
    SetControlsEnabled(true, this);
    Panel_Progress->Hide();
    Shown = true;
    // The selected clip, as the menu designer left it or by the place it passed on.
    if (!SelectedClip() && SelectedIndex >= 0 && SelectedIndex < MyMovieImage.Length())
        OldMovieImage = MyMovieImage[SelectedIndex];
    for (std::int64_t i = 0; i < MyMovieImage.Length(); ++i)
        if (TQV_MovieImage* clip = MyMovieImage[i]) clip->SetSelected(clip == OldMovieImage && OldMovieImage);
    SyncSelection();
    if (TQV_MovieImage* clip = SelectedClip()) ShowStill(*clip);
    ShowClipInfo(SelectedIndex);
    SetTrimControlsEnabled(false);
    kivImageButton_Stop->SetEnabled(false);
}

void TQV_Video_DVD_Setup_Source_Clips_Form::FormClose(TObject*, TCloseAction&)
{
    Shown = false;
    AbandonLoading();
    StopPreview();
}

void TQV_Video_DVD_Setup_Source_Clips_Form::kivImageButton_ExitClick(TObject*)
{
    Shown = false;
    AbandonLoading();
    FailedFiles.clear();
    WizardResult = 3;
    OldMovieImage = nullptr;
    SelectedIndex = -1;
    Close();
}

void TQV_Video_DVD_Setup_Source_Clips_Form::kivImageButton_MinClick(TObject*)
{
    if (Application) Application->Minimize();
}

// --- messages -------------------------------------------------------------------------------
void TQV_Video_DVD_Setup_Source_Clips_Form::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case MSG_LOAD_FAILED:
        OnLoadFailed(Message.WParam, Message.LParam);
        return;
    case MSG_LOAD_GAVE_UP:
    case MSG_LOAD_READY:
        OnLoadReady(Message.WParam, Message.LParam);
        return;
    case MSG_GRAPH_TICK:
        OnGraphTick(Message.WParam);
        return;
    default:
        TForm::WndProc(Message);
    }
}

// --- adding files ---------------------------------------------------------------------------
void TQV_Video_DVD_Setup_Source_Clips_Form::kivImageButton_AddClick(TObject*)
{
    if (Loader) return;   // one add at a time
    OpenDialog->Filter = kClipsOpenFilter;
    if (!OpenDialog->Execute()) return;
    FailedFiles.clear();
    PendingFiles.clear();
    for (int i = 0; i < OpenDialog->Files()->Count(); ++i) PendingFiles.push_back(OpenDialog->Files()->Strings(i));
    PendingCount = static_cast<std::int32_t>(PendingFiles.size());
    NextFile = 0;
    FirstNewIndex = static_cast<std::int32_t>(MyMovieImage.Length());
    MyMovieImage.SetLength(FirstNewIndex + PendingCount);

    kivProgressBar->SetPosition(0);
    kivProgressBar_Loading->SetPosition(0);
    Panel_Progress->Show();
    Panel_Progress->BringToFront();
    SetControlsEnabled(false, this);
    SetControlsEnabled(true, Panel_Progress);
    SetControlsEnabled(true, kivImagePanel_Clips);
    // A long add can still be left: closing lets the probe go and keeps what is loaded.
    kivImageButton_Exit->SetEnabled(true);
    kivImageButton_Min->SetEnabled(true);
    LoadNextFile();
    OpenDialog->FileName.clear();
}

void TQV_Video_DVD_Setup_Source_Clips_Form::LoadNextFile()
{
    ForgetLoader();
    if (NextFile >= PendingCount) {
        LoadReport();
        return;
    }
    // Each probe reports through a handle of its own: once the probe is let go,
    // a message it posted late can no longer reach the window, and a loader
    // message that comes any other way is not the current probe's.
    MessageQueue* queue = QueueOfWindow(Handle());
    if (queue)
        loaderRelay_ = AllocateHWnd(*queue, [this](UINT message, WPARAM wparam, LPARAM lparam) -> LRESULT {
            const bool outer = std::exchange(relayed_, true);
            try {
                const LRESULT result = Perform(message, wparam, lparam);
                relayed_ = outer;
                return result;
            } catch (...) {
                relayed_ = outer;
                throw;
            }
        });
    Loader = std::make_unique<TQV_LoadFile>(false, PendingFiles[static_cast<std::size_t>(NextFile)],
                                            FirstNewIndex + NextFile, 0, loaderRelay_);
    ++NextFile;
}

bool TQV_Video_DVD_Setup_Source_Clips_Form::FromCurrentLoader(WPARAM wparam) const
{
    return relayed_ && Shown && Loader && static_cast<WPARAM>(Loader->MessageWParam) == wparam;
}

void TQV_Video_DVD_Setup_Source_Clips_Form::OnLoadReady(WPARAM wparam, LPARAM)
{
    if (!FromCurrentLoader(wparam)) return;
    Loader->WaitFor();
    ClipPtr& made = Loader->Clip;
    // A clip without both pictures counts as failed; the loader frees it.
    if (made && !made->Tile->Empty() && !made->Snapshot->Empty())
        MyMovieImage.Adopt(static_cast<std::int64_t>(wparam), std::move(made));
    else
        FailedFiles.push_back(PendingFiles.at(static_cast<std::size_t>(wparam) - FirstNewIndex));
    AdvanceLoadingBar();
    LoadNextFile();
}

void TQV_Video_DVD_Setup_Source_Clips_Form::OnLoadFailed(WPARAM wparam, LPARAM)
{
    if (!FromCurrentLoader(wparam)) return;
    FailedFiles.push_back(PendingFiles.at(static_cast<std::size_t>(wparam) - FirstNewIndex));
    AdvanceLoadingBar();
    LoadNextFile();
}

void TQV_Video_DVD_Setup_Source_Clips_Form::AdvanceLoadingBar()
{
    if (PendingCount > 0) kivProgressBar_Loading->SetPosition(NextFile * 100 / PendingCount);
}

void TQV_Video_DVD_Setup_Source_Clips_Form::ForgetLoader()
{
    Loader.reset();   // a running probe is cancelled and waited for; a clip nobody took goes with it
    if (loaderRelay_) DeallocateHWnd(loaderRelay_);
    loaderRelay_ = nullptr;
}

void TQV_Video_DVD_Setup_Source_Clips_Form::LoadReport()
{
    SetControlsEnabled(true, this);
    kivTrackBar_Image->SetEnabled(true);
    Panel_Progress->Hide();
    AdoptNewClips();
    if (MyMovieImage.Length() > 0) ClipClick(MyMovieImage[MyMovieImage.Length() - 1]);
    SetScrollMaximum();
    // The selected clip, the last one added, is brought into view.
    ScrollToSelection();
    CheckDiscSpace(true);
    SetTrimControlsEnabled(false);
    PendingFiles.clear();
    PendingCount = NextFile = 0;
    if (FailedFiles.empty()) return;
    std::string text = std::string(kClipsLoadFailedHead) + kHomePageAddress + kClipsLoadFailedList;
    for (const std::string& file : FailedFiles) text += file + "\n";
    text += "\n******************************";
    FailedFiles.clear();
    MessageDlg(text, mtWarning, MsgButtons({mbOK}));
}

void TQV_Video_DVD_Setup_Source_Clips_Form::AbandonLoading()
{
    if (!Loader) return;
    ForgetLoader();
    AdoptNewClips();
    SetScrollMaximum();
    LayoutClips();
    PendingFiles.clear();
    PendingCount = NextFile = 0;
    FailedFiles.clear();
    Panel_Progress->Hide();
}

void TQV_Video_DVD_Setup_Source_Clips_Form::AdoptNewClips()
{
    const std::int64_t first = std::min<std::int64_t>(FirstNewIndex, MyMovieImage.Length());
    for (std::int64_t i = MyMovieImage.Length() - 1; i >= first; --i)
        if (!MyMovieImage[i]) MyMovieImage.Delete(i);
    for (std::int64_t i = first; i < MyMovieImage.Length(); ++i) {
        TQV_MovieImage& clip = *MyMovieImage[i];
        FitSnapshotToTile(clip);
        AdoptClip(clip);
        clip.OutputName = UniqueOutputName(static_cast<int>(i));
        clip.ClipIndex = static_cast<int>(i);
    }
}

void TQV_Video_DVD_Setup_Source_Clips_Form::AdoptClip(TQV_MovieImage& clip)
{
    clip.SetParent(kivImagePanel_Clips);
    clip.SetLeft(kClipLeft);
    clip.OnClick = [this](TObject* sender) { ClipClick(dynamic_cast<TQV_MovieImage*>(sender)); };
    clip.OnMouseDown = [](TObject*, TMouseButton, TShiftState, int, int) {};
    clip.OnMouseMove = [](TObject*, TShiftState, int, int) {};
    clip.OnMouseUp = [](TObject*, TMouseButton, TShiftState, int, int) {};
    clip.OnDblClick = nullptr;
    clip.MenuButtonMode = false;
    clip.SetCursor(crDefault);
}

std::string TQV_Video_DVD_Setup_Source_Clips_Form::UniqueOutputName(int i) const
{
    const TQV_MovieImage* clip = MyMovieImage[i];
    if (!clip) return "";
    const std::string base = StripFileExt(clip->ClipName);
    std::string candidate = base;
    int k = 1;
    for (int j = 0; j < i; ++j) {
        const TQV_MovieImage* earlier = MyMovieImage[j];
        if (earlier && StripFileExt(earlier->OutputName) == candidate) candidate = base + "_" + IntToStr(k++);
    }
    return candidate + GetFileExtension(clip->ClipName);
}

// --- the list -----------------------------------------------------------------------------
void TQV_Video_DVD_Setup_Source_Clips_Form::SetScrollMaximum()
{
    const std::int64_t hidden = MyMovieImage.Length() - clipslayout::kVisibleClips;
    kivTrackBar_Image->SetMax(static_cast<int>(std::max<std::int64_t>(hidden, 0)));
    // A press on the lane scrolls by one clip.
    kivTrackBar_Image->SetPageSize(std::min(1, kivTrackBar_Image->Max()));
}

void TQV_Video_DVD_Setup_Source_Clips_Form::LayoutClips()
{
    for (TLabel* caption : ClipCaptions) caption->SetCaption("");
    const std::int64_t first = kivTrackBar_Image->Position();
    for (std::int64_t i = 0; i < MyMovieImage.Length(); ++i) {
        TQV_MovieImage* clip = MyMovieImage[i];
        if (!clip) continue;
        if (i < first) {
            clip->SetTop(-kClipStep);
            continue;
        }
        const std::int64_t k = i - first;
        clip->SetTop(static_cast<int>(kClipTop + kClipStep * std::min<std::int64_t>(k, 1000)));
        if (k < clipslayout::kVisibleClips) ClipCaptions[k]->SetCaption(clip->ClipName);
    }
}

void TQV_Video_DVD_Setup_Source_Clips_Form::kivTrackBar_ImageChange(TObject*) { LayoutClips(); }

TQV_MovieImage* TQV_Video_DVD_Setup_Source_Clips_Form::SelectedClip() const
{
    return MyMovieImage.IndexOf(OldMovieImage) >= 0 ? OldMovieImage : nullptr;
}

void TQV_Video_DVD_Setup_Source_Clips_Form::SyncSelection()
{
    SelectedIndex = static_cast<std::int32_t>(MyMovieImage.IndexOf(OldMovieImage));
}

void TQV_Video_DVD_Setup_Source_Clips_Form::ClipClick(TQV_MovieImage* clip)
{
    if (clip && clip == SelectedClip()) return;
    if (TQV_MovieImage* old = SelectedClip()) old->SetSelected(false);
    OldMovieImage = clip;
    SyncSelection();
    if (TQV_MovieImage* selected = SelectedClip()) {
        selected->SetSelected(true);
        ShowStill(*selected);
    } else {
        Image_Preview->Picture()->SetGraphic(nullptr);
    }
    StopPreview();
    ShowClipInfo(SelectedIndex);
}

void TQV_Video_DVD_Setup_Source_Clips_Form::ShowStill(const TQV_MovieImage& clip)
{
    const TBitmap still = SnapshotAsShown(clip);
    Image_Preview->Picture()->SetGraphic(&still);
}

void TQV_Video_DVD_Setup_Source_Clips_Form::kivImageButton_DeleteClick(TObject*)
{
    if (!SelectedClip()) return;
    StopPreview();
    const std::int64_t index = std::min<std::int64_t>(SelectedIndex, MyMovieImage.Length() - 1);
    MyMovieImage.Delete(index);
    for (std::int64_t i = index; i < MyMovieImage.Length(); ++i)
        if (TQV_MovieImage* clip = MyMovieImage[i]) clip->ClipIndex = static_cast<int>(i);
    OldMovieImage = nullptr;
    SelectedIndex = -1;
    SetScrollMaximum();
    const std::int64_t count = MyMovieImage.Length();
    ClipClick(count > 0 ? MyMovieImage[std::min(index, count - 1)] : nullptr);
    LayoutClips();
    CheckDiscSpace(false);
}

void TQV_Video_DVD_Setup_Source_Clips_Form::kivImageButton_UpClick(TObject*)
{
    if (!SelectedClip() || SelectedIndex < 1) return;
    const int i = SelectedIndex;
    MyMovieImage.Exchange(i, i - 1);
    std::swap(MyMovieImage[i]->ClipIndex, MyMovieImage[i - 1]->ClipIndex);
    SyncSelection();
    LayoutClips();
    ScrollToSelection();
}

void TQV_Video_DVD_Setup_Source_Clips_Form::kivImageButton_DownClick(TObject*)
{
    if (!SelectedClip() || SelectedIndex >= MyMovieImage.Length() - 1) return;
    const int i = SelectedIndex;
    MyMovieImage.Exchange(i, i + 1);
    std::swap(MyMovieImage[i]->ClipIndex, MyMovieImage[i + 1]->ClipIndex);
    SyncSelection();
    LayoutClips();
    ScrollToSelection();
}

void TQV_Video_DVD_Setup_Source_Clips_Form::ScrollToSelection()
{
    const int position = kivTrackBar_Image->Position();
    if (SelectedIndex < 0) return;
    if (SelectedIndex < position)
        kivTrackBar_Image->SetPosition(SelectedIndex);
    else if (SelectedIndex > position + clipslayout::kVisibleClips - 1)
        kivTrackBar_Image->SetPosition(SelectedIndex - (clipslayout::kVisibleClips - 1));
    LayoutClips();
}

// --- the info panel -----------------------------------------------------------------------
void TQV_Video_DVD_Setup_Source_Clips_Form::ShowClipInfo(int index)
{
    const TQV_MovieImage* clip = index >= 0 && index < MyMovieImage.Length() ? MyMovieImage[index] : nullptr;
    if (!clip) {
        Label_ClipName->SetCaption("Clip name : ");
        Label_FrameRate->SetCaption("Frames Rate : ");
        Label_AudioDuration->SetCaption("Audio Play Duration : ");
        Label_VideoDuration->SetCaption("Video Play Duration : ");
        Label_Width->SetCaption("Resolution Width : ");
        Label_Height->SetCaption("Resolution Height : ");
        Label_SupportSeek->SetCaption("Support Seek : ");
        Label_AudioChannels->SetCaption("Audio Channels : ");
        Label_VideoChannels->SetCaption("Video Channels : ");
        Label_StartPoint->SetCaption("Start Point : ");
        Label_EndPoint->SetCaption("End Point : ");
        Label_Subtitle->SetCaption("Subtitle : ");
        DrawTrimBar(nullptr);
        return;
    }
    // A name wider than the line shows as many characters as fit on average.
    std::string name = clip->ClipName;
    TBitmap measure(1, 1);
    TCanvas* canvas = measure.Canvas();
    canvas->Font()->Assign(*Label_ClipName->Font());
    if (canvas->TextWidth(name) > kNameWidth) {
        const int average = FontMetrics(*Label_ClipName->Font()).tmAveCharWidth;
        if (average > 0) name = FirstCharacters(name, static_cast<std::size_t>(kNameWidth / average));
    }
    Label_ClipName->SetCaption("Clip name : " + name);
    Label_FrameRate->SetCaption("Frames Rate : " + FormatFloat("0.00", clip->FrameRate));
    Label_AudioDuration->SetCaption("Audio Play Duration : " + FormatSecondsHmsf(clip->AudioDuration));
    Label_VideoDuration->SetCaption("Video Play Duration : " + FormatSecondsHmsf(clip->VideoDuration));
    Label_Width->SetCaption("Resolution Width : " + IntToStr(clip->VideoWidth));
    Label_Height->SetCaption("Resolution Height : " + IntToStr(clip->VideoHeight));
    Label_SupportSeek->SetCaption(std::string("Support Seek : ") + (clip->SupportsSeek ? "Yes" : "No"));
    Label_AudioChannels->SetCaption("Audio Channels : " + IntToStr(clip->AudioStreamCount));
    Label_VideoChannels->SetCaption("Video Channels : " + IntToStr(clip->VideoStreamCount));
    Label_StartPoint->SetCaption("Start Point : " + FormatSecondsHmsf(clip->StartPoint));
    Label_EndPoint->SetCaption("End Point : " + FormatSecondsHmsf(clip->EndPoint));
    ShowSubtitleLine(*clip);
    const bool letterBox = clip->LetterBox;
    kivRadioGroup->SetItemIndex(clip->AspectIndex);
    kivCheckBox->SetChecked(letterBox);
    DrawTrimBar(clip);
}

void TQV_Video_DVD_Setup_Source_Clips_Form::ShowSubtitleLine(const TQV_MovieImage& clip)
{
    Label_Subtitle->SetCaption(clip.SubtitleFile.empty() ? std::string("Subtitle : None")
                                                         : "Subtitle : " + clip.SubtitleFile);
}

void TQV_Video_DVD_Setup_Source_Clips_Form::DrawTrimBar(const TQV_MovieImage* clip)
{
    TBitmap bar;
    bar.Assign(*playBar_);
    const int width = bar.Width();
    TCanvas* canvas = bar.Canvas();
    canvas->Pen()->SetWidth(2);
    canvas->Pen()->SetColor(kTrimGrey);
    canvas->MoveTo(1, 1);
    canvas->LineTo(width - 1, 1);
    // A clip of no length has no span to show.
    if (clip && clip->Duration > 0) {
        auto x = [&](double seconds) {
            const double at = seconds / clip->Duration * (width - 3) + 1;
            return static_cast<int>(std::clamp(at, -1.0, static_cast<double>(width) + 1));
        };
        canvas->Pen()->SetColor(clBlue);
        canvas->MoveTo(x(clip->StartPoint), 1);
        canvas->LineTo(x(clip->EndPoint), 1);
    }
    // The picture's top-left pixel is its transparent key: the wide pen's end must not take it.
    bar.SetPixel(0, 0, playBar_->Pixel(0, 0));
    TPicture picture;
    picture.SetGraphic(&bar);
    kivTrackBar->SetBarImage(picture);
}

// --- the disc -----------------------------------------------------------------------------
bool TQV_Video_DVD_Setup_Source_Clips_Form::CheckDiscSpace(bool warn)
{
    if (DiscType < 0 || DiscType > 3) return true;
    std::int64_t total = 0;
    for (std::int64_t i = 0; i < MyMovieImage.Length(); ++i)
        if (const TQV_MovieImage* clip = MyMovieImage[i]) total += WholeSeconds(*clip);
    const double estimate = EstimateDiscMegabytes(total, i_SizePerMin[DiscType]);
    const std::int32_t capacity = i_FileSize[DiscType];
    // A capacity of nothing holds nothing: it is full, never divided by.
    if (capacity > 0 && capacity >= estimate) {
        kivProgressBar->SetPosition(static_cast<int>(estimate * 100 / capacity));
        return true;
    }
    kivProgressBar->SetPosition(100);
    if (!warn) return true;
    MessageDlg("Exceeding the disc media limite size, can not burn to one disc!", mtWarning, MsgButtons({mbOK}));
    return false;
}

void TQV_Video_DVD_Setup_Source_Clips_Form::ShowKindBadge(int kind)
{
    if (kind < 1 || kind > 3) return;
    TBitmap badge;
    if (LoadProgramPicture(clipslayout::kKindFiles[kind - 1], badge))
        Image_DiscKind->Picture()->SetGraphic(&badge);
    else
        Image_DiscKind->Picture()->SetGraphic(nullptr);
}

// --- preview ------------------------------------------------------------------------------
void TQV_Video_DVD_Setup_Source_Clips_Form::kivImageButton_PreviewClick(TObject*)
{
    TQV_MovieImage* clip = SelectedClip();
    if (!clip || !FileExists(clip->SourcePath)) return;
    FreePreviewGraph();
    kivImagePanel_Preview->ClearFrame();
    Repaint();
    PreviewDuration = clip->Duration;
    GRAPH = new GraphGroup;
    GRAPH->GrabFrames = true;
    if (FAILED(GRAPH->BuildGraph()) || FAILED(GRAPH->RenderClip(clip->WidePath))) {
        // Nothing to play: the still picture stays.
        FreePreviewGraph();
        return;
    }
    Image_Preview->Hide();
    ApplyVideoRect();
    GRAPH->SetNotifyWindow(Handle(), MSG_GRAPH_EVENT, 0);
    GRAPH->Run();
    GRAPH->StartTicker();
    SetTrimControlsEnabled(clip->SupportsSeek);
    kivImageButton_Stop->SetEnabled(true);
}

void TQV_Video_DVD_Setup_Source_Clips_Form::ApplyVideoRect()
{
    const TQV_MovieImage* clip = SelectedClip();
    if (!GRAPH || !clip) return;
    // Pixels that are not square: the picture is shown at the shape its file declares.
    const bool declared = clip->PictureAspectX > 0 && clip->PictureAspectY > 0 && clip->VideoWidth > 0;
    const TRect rect = LetterBoxRect(kivImagePanel_Preview->Width(), kivImagePanel_Preview->Height(),
                                     declared ? clip->PictureAspectX : clip->VideoWidth,
                                     declared ? clip->PictureAspectY : clip->VideoHeight, kivCheckBox->Checked());
    kivImagePanel_Preview->ClearFrame();
    GRAPH->SetVideoWindow(kivImagePanel_Preview->Handle(), rect);
}

void TQV_Video_DVD_Setup_Source_Clips_Form::StopPreview()
{
    if (!GRAPH) return;
    FreePreviewGraph();
    kivImagePanel_Preview->ClearFrame();
    Image_Preview->Show();
    kivTrackBar->SetPosition(0);
    SetTrimControlsEnabled(false);
}

void TQV_Video_DVD_Setup_Source_Clips_Form::kivImageButton_StopClick(TObject*) { StopPreview(); }

void TQV_Video_DVD_Setup_Source_Clips_Form::SetTrimControlsEnabled(bool enabled)
{
    kivImageButton_SetBegin->SetEnabled(enabled);
    kivImageButton_SetEnd->SetEnabled(enabled);
    kivTrackBar->SetEnabled(enabled);
}

void TQV_Video_DVD_Setup_Source_Clips_Form::OnGraphTick(WPARAM state)
{
    if (!Shown || !GRAPH) return;
    if (state == GraphGroup::Running) {
        CurrentPosition = GRAPH->Position;
        TickPercent = GRAPH->Percent;
        if (TickPercent > 99) StopPreview();
        kivTrackBar->SetPosition(TickPercent);
    } else if (state == GraphGroup::Paused) {
        TickPercent = GRAPH->Percent;
    } else {
        TickPercent = 0;
        kivTrackBar->SetPosition(0);
    }
}

void TQV_Video_DVD_Setup_Source_Clips_Form::kivTrackBarMouseDown(TObject*, TMouseButton, TShiftState, int, int)
{
    const TQV_MovieImage* clip = SelectedClip();
    if (GRAPH && GRAPH->State == GraphGroup::Running && clip && clip->SupportsSeek) GRAPH->Pause();
}

void TQV_Video_DVD_Setup_Source_Clips_Form::kivTrackBarMouseUp(TObject*, TMouseButton, TShiftState, int, int)
{
    const TQV_MovieImage* clip = SelectedClip();
    if (!GRAPH || !clip || !clip->SupportsSeek) return;
    const double seconds = kivTrackBar->Position() * PreviewDuration * 0.01;
    GRAPH->SeekTo(static_cast<LONGLONG>(seconds * kGraphUnitsPerSecond));
    GRAPH->Run();
}

void TQV_Video_DVD_Setup_Source_Clips_Form::kivImageButton_SetBeginClick(TObject* Sender)
{
    TQV_MovieImage* clip = SelectedClip();
    if (!GRAPH || !clip || !clip->SupportsSeek) return;
    const double p = CurrentPosition;
    if (Sender == kivImageButton_SetEnd) {
        if (p < clip->StartPoint) {
            if (MessageDlg("Set End wrong, and there will be an unknowable error!\nDo you want to continue anyway?",
                           mtConfirmation, MsgButtons({mbYes, mbNo})) == mrYes)
                clip->EndPoint = clip->StartPoint;
        } else {
            clip->EndPoint = p;
        }
    } else {
        if (p > clip->EndPoint) {
            if (MessageDlg("Set Begin wrong, and there will be an unknowable error!\nDo you want to continue anyway?",
                           mtConfirmation, MsgButtons({mbYes, mbNo})) == mrYes)
                clip->StartPoint = clip->EndPoint;
        } else {
            clip->StartPoint = p;
        }
    }
    Label_StartPoint->SetCaption("Start Point : " + FormatSecondsHmsf(clip->StartPoint));
    Label_EndPoint->SetCaption("End Point : " + FormatSecondsHmsf(clip->EndPoint));
    DrawTrimBar(clip);
}

void TQV_Video_DVD_Setup_Source_Clips_Form::kivImageButton_SavePicClick(TObject*)
{
    if (!GRAPH) {
        MessageDlg("Please preview a video clip to snapshoot!", mtInformation, MsgButtons({mbOK}));
        return;
    }
    GRAPH->Pause();
    if (SaveDialog->Execute() && GRAPH) {
        std::string file = SaveDialog->FileName;
        if (!SameText(ExtractFileExt(file), ".bmp")) file += ".bmp";
        GRAPH->SaveFrameBitmap(file);
    }
    if (GRAPH) GRAPH->Run();
}

// --- the selected clip's settings ----------------------------------------------------------
void TQV_Video_DVD_Setup_Source_Clips_Form::kivRadioGroupClick(TObject*)
{
    TQV_MovieImage* clip = SelectedClip();
    if (clip && kivRadioGroup->ItemIndex() >= 0) clip->AspectIndex = kivRadioGroup->ItemIndex();
}

void TQV_Video_DVD_Setup_Source_Clips_Form::kivCheckBoxClick(TObject*)
{
    TQV_MovieImage* clip = SelectedClip();
    if (!clip) return;
    clip->LetterBox = kivCheckBox->Checked();
    if (GRAPH) ApplyVideoRect();
}

void TQV_Video_DVD_Setup_Source_Clips_Form::kivButton_LoadSubtitleClick(TObject*)
{
    auto* dialog = FindTaskWindow<SubtitlePropertySteps>(kSubtitlePropertyWindowName);
    if (!dialog) {
        ShowTaskNotAvailable();
        return;
    }
    TQV_MovieImage* clip = SelectedClip();
    if (!dialog->PrepareSubtitleDialog(clip, DiscType)) return;
    dialog->ShowSubtitleDialog();
    if (SelectedClip() == clip) ShowSubtitleLine(*clip);
}

// --- menu and chapters ------------------------------------------------------------------------
void TQV_Video_DVD_Setup_Source_Clips_Form::kivCheckBox1Click(TObject*)
{
    AddMenu = kivCheckBox1->Checked();
    kivCheckBox_Chapter->SetChecked(AddMenu);
    kivCheckBox_Chapter->SetVisible(AddMenu);
    kivComboBox_ChapterInterval->SetVisible(AddMenu && kivCheckBox_Chapter->Checked());
    WriteAddDvdMenu(AddMenu);
    BindNext(AddMenu ? &Self::kivImageButton_NextToMenuClick : &Self::kivImageButton_NextToBuilderClick);
}

void TQV_Video_DVD_Setup_Source_Clips_Form::kivCheckBox_ChapterClick(TObject*)
{
    kivComboBox_ChapterInterval->SetVisible(kivCheckBox_Chapter->Checked() && kivCheckBox_Chapter->Visible());
}

void TQV_Video_DVD_Setup_Source_Clips_Form::kivComboBox_ChapterIntervalChange(TObject*)
{
    const int index = kivComboBox_ChapterInterval->ItemIndex();
    if (index >= 0 && index < 3) ChapterInterval = kChapterIntervals[index];
}

void TQV_Video_DVD_Setup_Source_Clips_Form::SetMenuControlsVisible(bool visible)
{
    kivCheckBox1->SetVisible(visible);
    kivCheckBox_Chapter->SetVisible(visible);
    kivComboBox_ChapterInterval->SetVisible(visible && kivCheckBox_Chapter->Checked());
}

// --- Next -----------------------------------------------------------------------------------
void TQV_Video_DVD_Setup_Source_Clips_Form::BindNext(void (TQV_Video_DVD_Setup_Source_Clips_Form::*handler)(TObject*))
{
    kivImageButton_Burn->OnClick = [this, handler](TObject* sender) { (this->*handler)(sender); };
}

void TQV_Video_DVD_Setup_Source_Clips_Form::kivImageButton_NextToMenuClick(TObject*)
{
    if (inNext_) return;   // one Next at a time
    TFlagScope busy(inNext_);
    StopPreview();
    WizardResult = 1;
    Close();
}

void TQV_Video_DVD_Setup_Source_Clips_Form::kivImageButton_NextToBuilderClick(TObject*)
{
    if (inNext_) return;   // one Next at a time
    TFlagScope busy(inNext_);
    auto* builder = FindTaskWindow<DiscBuilderSteps>(kDiscBuilderWindowName);
    if (!builder) {
        ShowTaskNotAvailable();
        return;
    }
    if (!builder->InitDiscBuilder(DiscType)) {
        MessageDlg("Can not initialize burning system!", mtInformation, MsgButtons({mbOK}));
        return;
    }
    StopPreview();
    builder->BuildWithoutMenu(g_i_LanguageIndex);
    builder->ShowDiscBuilder();
}

ConvertProcessSteps* TQV_Video_DVD_Setup_Source_Clips_Form::ReadyConvertWindow(const char* failure)
{
    auto* convert = FindTaskWindow<ConvertProcessSteps>(kConvertProcessWindowName);
    if (!convert) {
        ShowTaskNotAvailable();
        return nullptr;
    }
    if (!convert->InitConvertProcess(false, DiscType)) {
        MessageDlg(failure, mtInformation, MsgButtons({mbOK}));
        return nullptr;
    }
    return convert;
}

void TQV_Video_DVD_Setup_Source_Clips_Form::kivImageButton_NextToConvertClick(TObject*)
{
    if (inNext_) return;   // one Next at a time
    TFlagScope busy(inNext_);
    ConvertProcessSteps* convert = ReadyConvertWindow("Can not initialize convert system!");
    if (!convert) return;
    StopPreview();
    convert->ShowClipPanels();
    convert->ShowConvertProcess();
}

void TQV_Video_DVD_Setup_Source_Clips_Form::kivImageButton_BurnClick(TObject*)
{
    if (inNext_) return;   // one Next at a time
    TFlagScope busy(inNext_);
    ConvertProcessSteps* convert = ReadyConvertWindow("Can not start burning method. Please try again.");
    if (!convert) return;
    // A worker left running from an earlier run is cancelled, and its late messages cannot arrive.
    convert->ReleaseRunWorker();
    StopPreview();
    convert->SetWorkingFolderText(GetWorkingFolder());
    convert->SetWithMenu(false);
    convert->ShowClipPanels();
    convert->ShowConvertProcess();
}
