#include "menu/qv_videodvdsetupdvdmenuform.h"

#include "base/burnpubfunction.h"
#include "base/programpictures.h"
#include "base/projectdata.h"
#include "base/qv_graphgroupclass.h"
#include "base/qv_loadfile.h"
#include "base/qv_movieimage.h"
#include "base/qv_pubfunction.h"
#include "menu/menudesignerlayout.h"
#include "menu/menumodel.h"
#include "menu/menuoutput.h"
#include "menu/qv_videodvdtextpropertyform.h"
#include "pipeline/handlemoviethread.h"

#include "gfx/bitmap.h"
#include "gfx/canvas.h"
#include "gfx/jpeg.h"
#include "rtl/paths.h"
#include "rtl/sysutils.h"
#include "skin/kivbutton.h"
#include "skin/kivcombobox.h"
#include "skin/kivimagepanel.h"
#include "skin/kivprogressbar.h"
#include "skin/kivskinform.h"
#include "skin/kivtrackbar.h"
#include "vcl/application.h"
#include "vcl/dialogs.h"
#include "vcl/extctrls.h"
#include "vcl/stdctrls.h"
#include "vcl/timer.h"
#include "win32/progfolders.h"

#include <algorithm>
#include <cmath>

const char* const kMenuVobFilter = "VOB File (*.vob,*.VOB)|*.vob";
const char* const kMenuImageFilter =
    "Image File|*.jpg;*.bmp|Bitmap File (*.bmp,*.BMP)|*.bmp|Jpeg File (*.jpg,*.JPG)|*.jpg";

namespace {

namespace layout = menulayout;

constexpr int kThumbWidth = 101, kThumbHeight = 76;
constexpr int kThumbLeft = 3, kThumbTop = 30, kThumbStep = 120, kThumbParked = 510;
constexpr int kVisibleThumbnails = 4;
constexpr int kOverflowTop = 216, kOverflowLeft = 20, kOverflowStep = 40, kOverflowLastLeft = 360;
constexpr int kMinButtonWidth = 56, kMaxButtonWidth = 280, kMinButtonHeight = 42, kMaxButtonHeight = 210;
constexpr int kResizeEdge = 5;
constexpr double kMegabytesPerSecond = 0.5, kDiscMegabytes = 4300;

TLabel* NewDesignLabel(TComponent* owner, TWinControl* parent, int fontSize, bool bold)
{
    auto* label = new TLabel(owner);
    label->SetTransparent(true);
    // Captions are the user's words, as the menu shows them: "&" is a letter, no accelerator mark.
    label->SetShowAccelChar(false);
    label->Font()->SetName("Arial");
    label->Font()->SetSize(fontSize);
    label->Font()->SetStyle(bold ? TFontStyles{fsBold} : TFontStyles{});
    label->Font()->SetColor(clWhite);
    label->SetParent(parent);
    return label;
}

// A picture file read whole: a Windows bitmap when its name ends in ".bmp"
// (any case), else JPEG. Throws on a file that cannot be read, and on a picture
// of no size or past kMaxBackgroundSide a side.
TBitmap LoadPictureFile(const std::string& path)
{
    TBitmap picture;
    if (SameText(ExtractFileExt(path), ".bmp")) {
        picture.LoadFromFile(path);
    } else {
        TJPEGImage jpeg;
        jpeg.LoadFromFile(path);
        picture.Assign(jpeg);
    }
    if (picture.Width() <= 0 || picture.Height() <= 0 || picture.Width() > kMaxBackgroundSide ||
        picture.Height() > kMaxBackgroundSide)
        throw EInvalidGraphic("picture size out of range");
    return picture;
}

MenuFont ToMenuFont(const TFont& font)
{
    return MenuFont{font.Name(), font.Size(), font.Style(), font.Color()};
}

MenuPicture CopyPicture(const TBitmap* picture)
{
    if (!picture || picture->Empty()) return nullptr;
    auto copy = std::make_shared<TBitmap>();
    copy->Assign(*picture);
    return copy;
}

} // namespace

int MenuSizeGaugePosition(const std::vector<double>& titleSeconds, bool* full)
{
    double seconds = 0;
    for (double s : titleSeconds) {
        // A damaged length counts as nothing rather than poisoning the sum.
        if (!(s > 0) || !std::isfinite(s)) s = 0;
        seconds = std::nearbyint(seconds + std::min(s, 1e9));   // halves to even
    }
    const double megabytes = seconds * kMegabytesPerSecond;
    if (full) *full = !(megabytes < kDiscMegabytes);
    if (megabytes < kDiscMegabytes) return static_cast<int>(megabytes * 100 / kDiscMegabytes);
    return 100;
}

TQV_Video_DVD_Setup_DVD_Menu_Form::TQV_Video_DVD_Setup_DVD_Menu_Form(TComponent* AOwner)
    : TForm(AOwner), BackgroundPicture(std::make_unique<TBitmap>())
{
    using namespace layout;
    using Self = TQV_Video_DVD_Setup_DVD_Menu_Form;
    BeginLoading();
    SetName(kMenuDesignerWindowName);
    SetCaption("Setup DVD menu");
    SetPosition(poScreenCenter);
    SetColor(0x5A3015);
    kivSkinForm1 = ApplyProgramSkin(this, kSkinFile, kWidth, kHeight);

    auto on = [this](void (Self::*handler)(TObject*)) {
        return [this, handler](TObject* sender) { (this->*handler)(sender); };
    };

    OpenDialog = new TOpenDialog(this);
    OpenDialog->SetName("OpenDialog");
    OpenDialog->Options |= ofFileMustExist;

    // The design area, its background picture and the title text.
    kivImagePanel_Preview = new TkivImagePanel(this);
    kivImagePanel_Preview->SetName("kivImagePanel_Preview");
    kivImagePanel_Preview->SetColor(clBlack);
    kivImagePanel_Preview->SetBounds(kPreview.left, kPreview.top, kPreview.width, kPreview.height);
    kivImagePanel_Preview->SetParent(this);
    Image = new TImage(this);
    Image->SetName("Image");
    Image->SetBounds(0, 0, kDesignWidth, kDesignHeight);
    Image->SetStretch(true);
    Image->SetParent(kivImagePanel_Preview);
    Label_Title = NewDesignLabel(this, kivImagePanel_Preview, 20, true);
    Label_Title->SetName("Label_Title");
    Label_Title->SetAutoSize(false);
    Label_Title->SetCaption("My Title");
    Label_Title->SetBounds(150, 20, 160, 32);
    Label_Title->SetCursor(crHandPoint);
    Label_Title->OnMouseDown = [this](TObject* s, TMouseButton b, TShiftState sh, int x, int y) {
        Label_TitleMouseDown(s, b, sh, x, y);
    };
    Label_Title->OnMouseMove = [this](TObject* s, TShiftState sh, int x, int y) { Label_TitleMouseMove(s, sh, x, y); };
    Label_Title->OnMouseUp = [this](TObject* s, TMouseButton b, TShiftState sh, int x, int y) {
        Label_TitleMouseUp(s, b, sh, x, y);
    };
    Label_Title->OnDblClick = on(&Self::Label_TitleDblClick);
    SizeTitleText();

    kivProgressBar = new TkivProgressBar(this);
    kivProgressBar->SetName("kivProgressBar");
    kivProgressBar->SetOrientation(kivVertical);
    kivProgressBar->SetBounds(kGauge.left, kGauge.top, kGauge.width, kGauge.height);
    kivProgressBar->SetMax(100);
    kivProgressBar->SetPosition(0);
    kivProgressBar->SetParent(this);
    TLabel* gaugeLabel = NewSkinLabel(this, "Label_Gauge", "Disc", kGaugeLabel);
    gaugeLabel->SetAlignment(taCenter);

    kivImageButton_AddVOB = NewPictureButton(this, "kivImageButton_AddVOB", kTitleButtons[0], kTitleButtonFiles[0],
                                             "Add a VOB file as a title", on(&Self::kivImageButton_AddVOBClick));
    kivImageButton_DeleteVOB = NewPictureButton(this, "kivImageButton_DeleteVOB", kTitleButtons[1],
                                                kTitleButtonFiles[1], "Remove the selected title",
                                                on(&Self::kivImageButton_DeleteVOBClick));
    kivImageButton_Preview = NewPictureButton(this, "kivImageButton_Preview", kTitleButtons[2], kTitleButtonFiles[2],
                                              "Play the selected title", on(&Self::kivImageButton_PreviewClick));
    kivImageButton_Stop = NewPictureButton(this, "kivImageButton_Stop", kTitleButtons[3], kTitleButtonFiles[3], "",
                                           on(&Self::kivImageButton_StopClick));
    kivImageButton_PreviousChapter = NewPictureButton(this, "kivImageButton_PreviousChapter", kTitleButtons[4],
                                                      kTitleButtonFiles[4], "Back to the title menu",
                                                      on(&Self::kivImageButton_PreviousChapterClick));
    kivImageButton_NextChapter = NewPictureButton(this, "kivImageButton_NextChapter", kTitleButtons[5],
                                                  kTitleButtonFiles[5], "The selected title's chapter page",
                                                  on(&Self::kivImageButton_NextChapterClick));
    kivImageButton_PreviousChapter->SetEnabled(false);
    kivImageButton_NextChapter->SetEnabled(false);

    // The shipped backgrounds, a scrolling column of thumbnails.
    kivImagePanel_Background = new TkivImagePanel(this);
    kivImagePanel_Background->SetName("kivImagePanel_Background");
    kivImagePanel_Background->SetBounds(kBackgrounds.left, kBackgrounds.top, kBackgrounds.width, kBackgrounds.height);
    kivImagePanel_Background->SetTransparent(true);
    kivImagePanel_Background->SetParent(this);
    NewSkinLabel(kivImagePanel_Background, "Label_Backgrounds", "Backgrounds",
                 {kBackgroundsLabel.left - kBackgrounds.left + 4, 6, kBackgroundsLabel.width - 8,
                  kBackgroundsLabel.height});
    kivTrackBar_Image = new TkivTrackBar(this);
    kivTrackBar_Image->SetName("kivTrackBar_Image");
    kivTrackBar_Image->SetOrientation(kivVertical);
    kivTrackBar_Image->SetShowTick(false);
    kivTrackBar_Image->SetTransparent(true);
    kivTrackBar_Image->SetBounds(kBackgroundScroll.left, kBackgroundScroll.top, kBackgroundScroll.width,
                                 kBackgroundScroll.height);
    kivTrackBar_Image->SetMin(0);
    kivTrackBar_Image->SetMax(0);
    kivTrackBar_Image->SetPageSize(0);
    kivTrackBar_Image->OnChange = on(&Self::kivTrackBar_ImageChange);
    kivTrackBar_Image->SetParent(this);
    kivImageButton_LoadImage = NewPictureButton(this, "kivImageButton_LoadImage", kLoadImage, kLoadImageFile,
                                                "Add background picture", on(&Self::kivImageButton_LoadImageClick));

    Label_BackGround = NewSkinLabel(this, "Label_BackGround", "", kBackgroundName);
    Label_Language = NewSkinLabel(this, "Label_Language", "Select audio language :", kLanguageLabel);
    kivComboBox_Language = new TkivComboBox(this);
    kivComboBox_Language->SetName("kivComboBox_Language");
    kivComboBox_Language->SetStyle(csDropDownList);
    kivComboBox_Language->SetBounds(kLanguage.left, kLanguage.top, kLanguage.width, kLanguage.height);
    kivComboBox_Language->SetParent(this);
    kivComboBox_Language->OnChange = on(&Self::kivComboBox_LanguageChange);

    kivImageButton_Back = NewPictureButton(this, "kivImageButton_Back", kBack, kBackFile, "Previous step", nullptr);
    kivImageButton_Next = NewPictureButton(this, "kivImageButton_Next", kNext, kNextFile, "Next step", nullptr);
    kivImageButton_Exit = NewPictureButton(this, "kivImageButton_Exit", kClose, kCloseFile, "Close", nullptr);
    kivImageButton_Exit->SetModalResult(3);

    // In front of everything while chapter pictures are made.
    Panel_Progress = new TkivImagePanel(this);
    Panel_Progress->SetName("Panel_Progress");
    Panel_Progress->SetBounds(kProgressBox.left, kProgressBox.top, kProgressBox.width, kProgressBox.height);
    Panel_Progress->SetColor(0x4A2612);
    TBitmap box;
    if (LoadProgramPicture(kProgressFile, box)) Panel_Progress->Picture()->SetGraphic(&box);
    Panel_Progress->SetVisible(false);
    Panel_Progress->SetParent(this);
    Label13 = NewSkinLabel(Panel_Progress, "Label13", "Creating chapter image, please waitting...", kProgressLabel);
    kivProgressBar1 = new TkivProgressBar(this);
    kivProgressBar1->SetName("kivProgressBar1");
    kivProgressBar1->SetBounds(kProgressBar.left, kProgressBar.top, kProgressBar.width, kProgressBar.height);
    kivProgressBar1->SetMax(100);
    kivProgressBar1->SetParent(Panel_Progress);

    Timer = new TTimer(this);
    Timer->SetName("Timer");
    Timer->SetEnabled(false);
    Timer->SetInterval(1000);
    Timer->OnTimer = on(&Self::TimerTick);   // one shot: the automatic chapters
    MakeChapterPopup();

    OnShow = on(&Self::FormShow);
    OnClose = [this](TObject* sender, TCloseAction& action) { FormClose(sender, action); };
    EndLoading();

    MenuModel corner;
    LoadCornerPictures(corner);
    CornerPictureHeight = ::CornerPictureHeight(corner);
    LoadBackgroundList();

    // The languages a menu can be made for.
    for (const std::string& language : RegionLanguage) kivComboBox_Language->Items()->Add(language);
    if (g_i_LanguageIndex >= 0 && g_i_LanguageIndex < kivComboBox_Language->Items()->Count())
        kivComboBox_Language->SetItemIndex(g_i_LanguageIndex);
}

TQV_Video_DVD_Setup_DVD_Menu_Form::~TQV_Video_DVD_Setup_DVD_Menu_Form()
{
    ForgetLoader();
    if (GRAPH) FreePreviewGraph();
    FreeChapterPages();
    MyDVDChapter.SetLength(0);
}

// --- the task's steps -------------------------------------------------------------------
bool TQV_Video_DVD_Setup_DVD_Menu_Form::InitMenuDesigner(bool fromClipList)
{
    FromClipList = fromClipList;
    ForgetLoader();
    StopPreview();
    kivImageButton_AddVOB->SetVisible(!fromClipList);
    kivImageButton_DeleteVOB->SetVisible(!fromClipList);
    FreeTitleLabels();
    if (fromClipList) {
        kivImageButton_Next->SetDefault(true);
        kivImageButton_AddVOB->SetDefault(false);
        TitleLabels.assign(static_cast<std::size_t>(MyMovieImage.Length()), nullptr);
        for (std::int64_t i = 0; i < MyMovieImage.Length(); ++i)
            if (TQV_MovieImage* clip = MyMovieImage[i]) MakeTitleButton(*clip, static_cast<int>(i));
        kivImageButton_Back->SetModalResult(4);
        kivImageButton_Next->SetModalResult(0);
        kivImageButton_Next->OnClick = [this](TObject* sender) { NextToDiscBuilder(sender); };
        kivImageButton_Back->OnClick = nullptr;
    } else {
        kivImageButton_AddVOB->SetDefault(true);
        kivImageButton_Next->SetDefault(false);
        // The titles of this mode are the window's own: they go with the list.
        MyMovieImage.Clear();
        OldMovieImage = nullptr;
        SelectedIndex = -1;
        kivImageButton_Back->SetModalResult(0);
        kivImageButton_Next->SetModalResult(0);
        kivImageButton_Next->OnClick = [this](TObject* sender) { NextToConvert(sender); };
        kivImageButton_Back->OnClick = [this](TObject*) { Close(); };
        kivProgressBar->SetPosition(0);
    }

    if (!BackgroundList.empty()) {
        Label_BackGround->SetCaption("");
        SelectFirstBackground(0);
    }
    if (fromClipList) LayoutOnSelectedBackground();
    ShowPage(-1);
    FreeChapterPages();
    MyDVDChapter.SetLength(0);
    ChapterPage = -1;
    kivImageButton_PreviousChapter->SetEnabled(false);
    kivImageButton_NextChapter->SetEnabled(false);
    // A multiplex/author worker of an earlier run is let go; none of its messages reaches a window again.
    ReleaseHandleMovieThread(true);
    if (g_i_LanguageIndex >= 0 && g_i_LanguageIndex < kivComboBox_Language->Items()->Count())
        kivComboBox_Language->SetItemIndex(g_i_LanguageIndex);
    Label_Title->SetCaption("My Title");
    SizeTitleText();
    return true;
}

void TQV_Video_DVD_Setup_DVD_Menu_Form::SetProgressPosition(int position) { kivProgressBar->SetPosition(position); }

void TQV_Video_DVD_Setup_DVD_Menu_Form::StartAutoChapters(double interval)
{
    ChapterInterval = interval;
    Timer->SetEnabled(true);
}

void TQV_Video_DVD_Setup_DVD_Menu_Form::MakeTitleButton(TQV_MovieImage& clip, int index)
{
    clip.SetParent(kivImagePanel_Preview);
    clip.ClipIndex = index;
    clip.OnClick = [this](TObject* sender) { SelectTitle(dynamic_cast<TQV_MovieImage*>(sender)); };
    clip.OnDblClick = [this](TObject* sender) { EditTitleButton(sender); };
    clip.OnMouseDown = [this](TObject* s, TMouseButton b, TShiftState sh, int x, int y) {
        TitleButtonMouseDown(s, b, sh, x, y);
    };
    clip.OnMouseMove = [this](TObject* s, TShiftState sh, int x, int y) { TitleButtonMouseMove(s, sh, x, y); };
    clip.OnMouseUp = [this](TObject* s, TMouseButton b, TShiftState sh, int x, int y) {
        TitleButtonMouseUp(s, b, sh, x, y);
    };
    clip.MenuButtonMode = true;
    clip.Dragging = false;
    clip.SetCursor(crHandPoint);
    TLabel* label = NewDesignLabel(this, kivImagePanel_Preview, 10, true);
    label->SetAutoSize(true);
    label->SetAlignment(taCenter);
    label->SetCaption(StripFileExt(clip.ClipName));
    if (index >= static_cast<int>(TitleLabels.size())) TitleLabels.resize(static_cast<std::size_t>(index) + 1, nullptr);
    TitleLabels[static_cast<std::size_t>(index)] = label;
}

void TQV_Video_DVD_Setup_DVD_Menu_Form::FreeTitleLabels()
{
    for (TLabel* label : TitleLabels)
        if (label) label->Free();
    TitleLabels.clear();
}

TQV_MovieImage* TQV_Video_DVD_Setup_DVD_Menu_Form::TitleAt(int i) const
{
    return i >= 0 && i < MyMovieImage.Length() ? MyMovieImage[i] : nullptr;
}

TQV_MovieImage* TQV_Video_DVD_Setup_DVD_Menu_Form::SelectedTitle() const
{
    return MyMovieImage.IndexOf(OldMovieImage) >= 0 ? OldMovieImage : nullptr;
}

// --- showing and closing ------------------------------------------------------------------
void TQV_Video_DVD_Setup_DVD_Menu_Form::FormShow(TObject*)
{
    Shown = true;
    SetControlsEnabled(true, this);
    Panel_Progress->Hide();
    // The page buttons serve once there are chapter pages.
    kivImageButton_PreviousChapter->SetEnabled(!MyDVDChapter.empty());
    kivImageButton_NextChapter->SetEnabled(!MyDVDChapter.empty());
    // The title the clips window had selected is the designer's too.
    if (!SelectedTitle() && SelectedIndex >= 0) OldMovieImage = TitleAt(SelectedIndex);
    for (std::int64_t i = 0; i < MyMovieImage.Length(); ++i)
        if (TQV_MovieImage* clip = MyMovieImage[i]) clip->SetSelected(clip == SelectedTitle());
    SelectedIndex = static_cast<std::int32_t>(MyMovieImage.IndexOf(SelectedTitle()));
}

void TQV_Video_DVD_Setup_DVD_Menu_Form::FormClose(TObject*, TCloseAction&)
{
    Shown = false;
    if (FileLoader) {
        ForgetLoader();
        AddTitleDone();
    }
    StopPreview();
}

// --- messages -------------------------------------------------------------------------------
void TQV_Video_DVD_Setup_DVD_Menu_Form::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case MSG_GRAPH_TICK:
        if (GRAPH && Message.WParam == GraphGroup::Running && GRAPH->Percent >= 100) StopPreview();
        return;
    case MSG_GRAPH_EVENT:
        // Nothing here waits on the graph's events; they are taken so none piles up.
        if (GRAPH && GRAPH->EventEx) {
            LONG code = 0;
            LONG_PTR p1 = 0, p2 = 0;
            while (SUCCEEDED(GRAPH->EventEx->GetEvent(&code, &p1, &p2, 0)))
                GRAPH->EventEx->FreeEventParams(code, p1, p2);
        }
        return;
    case kMsgChapterPopup:
        ShowChapterPopup();
        return;
    case MSG_LOAD_FAILED:
    case MSG_LOAD_GAVE_UP:
    case MSG_LOAD_READY: {
        // Only the current probe's word counts, and only while the window is shown.
        if (!Shown || !FileLoader || Message.LParam != loaderSerial_ ||
            static_cast<WPARAM>(FileLoader->MessageWParam) != Message.WParam)
            return;
        FileLoader->WaitFor();
        const auto index = static_cast<std::int64_t>(Message.WParam);
        if (Message.Msg != MSG_LOAD_FAILED && FileLoader->Clip && index < MyMovieImage.Length())
            MyMovieImage.Adopt(index, std::move(FileLoader->Clip));
        ForgetLoader();
        AddTitleDone();
        return;
    }
    default:
        TForm::WndProc(Message);
    }
}

// --- titles ---------------------------------------------------------------------------------
void TQV_Video_DVD_Setup_DVD_Menu_Form::kivImageButton_AddVOBClick(TObject*)
{
    if (FileLoader) return;   // one title at a time
    OpenDialog->Filter = kMenuVobFilter;
    if (!OpenDialog->Execute()) return;
    const std::int64_t slot = MyMovieImage.Length();
    MyMovieImage.SetLength(slot + 1);
    SetEnabled(false);
    FileLoader = std::make_unique<TQV_LoadFile>(false, OpenDialog->FileName, static_cast<int>(slot), ++loaderSerial_,
                                                Handle());
    OpenDialog->FileName.clear();
}

void TQV_Video_DVD_Setup_DVD_Menu_Form::ForgetLoader()
{
    FileLoader.reset();   // a running probe is cancelled and waited for
}

void TQV_Video_DVD_Setup_DVD_Menu_Form::AddTitleDone()
{
    SetEnabled(true);
    // The slots past the last title are empty: the new one failed, or was let go.
    const std::int64_t last = MyMovieImage.Length() - 1;
    if (last < 0) return;
    TQV_MovieImage* clip = MyMovieImage[last];
    if (!clip) {
        MyMovieImage.Delete(last);
        if (Shown) MessageDlg("Can not load this file", mtInformation, MsgButtons({mbOK}));
        return;
    }
    FitSnapshotToTile(*clip);
    MakeTitleButton(*clip, static_cast<int>(last));
    if (!SelectedTitle()) SelectTitle(MyMovieImage[0]);
    // A shipped background lays every title out on its points; on the user's own
    // picture the titles placed stay where the user put them and the new one
    // takes its place in the row under them.
    if (SelectedBackground != -1)
        LayoutOnSelectedBackground();
    else
        PlaceTitle(static_cast<int>(last), OverflowPlace(static_cast<int>(last)));
    UpdateSizeGauge(true);
}

void TQV_Video_DVD_Setup_DVD_Menu_Form::kivImageButton_DeleteVOBClick(TObject*)
{
    if (MyMovieImage.empty() || !SelectedTitle()) return;
    StopPreview();
    const std::int64_t index = std::clamp<std::int64_t>(SelectedIndex, 0, MyMovieImage.Length() - 1);
    if (index < static_cast<std::int64_t>(TitleLabels.size())) {
        if (TLabel* label = TitleLabels[static_cast<std::size_t>(index)]) label->Free();
        TitleLabels.erase(TitleLabels.begin() + index);
    }
    MyMovieImage.Delete(index);
    for (std::int64_t i = index; i < MyMovieImage.Length(); ++i)
        if (TQV_MovieImage* clip = MyMovieImage[i]) clip->ClipIndex = static_cast<int>(i);
    OldMovieImage = nullptr;
    SelectedIndex = -1;
    const std::int64_t count = MyMovieImage.Length();
    if (count > 0) SelectTitle(MyMovieImage[std::min(index, count - 1)]);
    if (SelectedBackground != -1) LayoutOnSelectedBackground();
    UpdateSizeGauge(false);
}

void TQV_Video_DVD_Setup_DVD_Menu_Form::SelectTitle(TQV_MovieImage* button)
{
    if (button && button == SelectedTitle()) return;
    if (TQV_MovieImage* old = SelectedTitle()) old->SetSelected(false);
    OldMovieImage = button;
    if (TQV_MovieImage* selected = SelectedTitle()) selected->SetSelected(true);
    SelectedIndex = static_cast<std::int32_t>(MyMovieImage.IndexOf(SelectedTitle()));
}

void TQV_Video_DVD_Setup_DVD_Menu_Form::LayoutTitles(int count, const std::vector<TPoint>& points)
{
    int overflow = 0;
    for (int i = 0; i < count; ++i) {
        if (!TitleAt(i)) continue;
        PlaceTitle(i, i < static_cast<int>(points.size()) ? points[static_cast<std::size_t>(i)]
                                                           : OverflowPlace(overflow++));
    }
}

TPoint TQV_Video_DVD_Setup_DVD_Menu_Form::OverflowPlace(int k)
{
    return {std::min(kOverflowLeft + kOverflowStep * k, kOverflowLastLeft), kOverflowTop};
}

void TQV_Video_DVD_Setup_DVD_Menu_Form::PlaceTitle(int i, TPoint at)
{
    TQV_MovieImage* clip = TitleAt(i);
    if (!clip) return;
    // A point of a data file may lie anywhere, a resized button may be wide: one
    // that would reach past the picture is moved in.
    const TRect r = KeepOnPicture(Rect(at.X, at.Y, at.X + clip->Width(), at.Y + clip->Height()), CornerPictureHeight);
    clip->SetBounds(r.Left, r.Top, r.Width(), r.Height());
    PlaceTitleLabel(i);
}

void TQV_Video_DVD_Setup_DVD_Menu_Form::LayoutOnSelectedBackground()
{
    static const std::vector<TPoint> none;
    const bool shipped = SelectedBackground >= 0 && SelectedBackground < static_cast<int>(BackgroundList.size());
    LayoutTitles(static_cast<int>(MyMovieImage.Length()),
                 shipped ? BackgroundList[static_cast<std::size_t>(SelectedBackground)].Points : none);
}

void TQV_Video_DVD_Setup_DVD_Menu_Form::PlaceTitleLabel(int i)
{
    const TQV_MovieImage* clip = TitleAt(i);
    if (!clip || i >= static_cast<int>(TitleLabels.size()) || !TitleLabels[static_cast<std::size_t>(i)]) return;
    TLabel* label = TitleLabels[static_cast<std::size_t>(i)];
    // Centred under its button, but never past the picture's edge, where a long
    // clip name would lose its first or last letters on the menu.
    label->SetTop(std::min(clip->Top() + clip->Height() + 3, std::max(kDesignHeight - label->Height(), 0)));
    label->SetLeft(std::clamp(clip->Left() + (clip->Width() - label->Width()) / 2, 0,
                              std::max(kDesignWidth - label->Width(), 0)));
}

void TQV_Video_DVD_Setup_DVD_Menu_Form::UpdateSizeGauge(bool quiet)
{
    std::vector<double> seconds;
    for (std::int64_t i = 0; i < MyMovieImage.Length(); ++i)
        if (const TQV_MovieImage* clip = MyMovieImage[i])
            seconds.push_back(std::max(clip->AudioDuration, clip->VideoDuration));
    bool full = false;
    kivProgressBar->SetPosition(MenuSizeGaugePosition(seconds, &full));
    if (full && !quiet)
        MessageDlg("Exceeding the DVD media limite size, can not burn to one disc!", mtInformation,
                   MsgButtons({mbOK}));
}

// --- dragging and resizing the title buttons ----------------------------------------------------
void TQV_Video_DVD_Setup_DVD_Menu_Form::StartButtonDrag(TControl& button, int X, int Y)
{
    button.BringToFront();
    ButtonMoveMode = button.Cursor() == crHandPoint;
    // The edge taken stays the one resized, even when the mouse passes the button's middle.
    resizeNearEdge_ = button.Cursor() == crSizeNS ? Y < button.Height() / 2 : X < button.Width() / 2;
    DragStartCursor = Mouse->CursorPos();
}

void TQV_Video_DVD_Setup_DVD_Menu_Form::DragButton(TControl& button, bool dragging, int X, int Y)
{
    const int width = button.Width(), height = button.Height();
    if (!dragging) {
        // Near the top or bottom edge resizes up and down, near the sides across, elsewhere moves.
        if (Y < kResizeEdge || Y > height - kResizeEdge)
            button.SetCursor(crSizeNS);
        else if (X >= kResizeEdge && X <= width - kResizeEdge)
            button.SetCursor(crHandPoint);
        else
            button.SetCursor(crSizeWE);
        return;
    }
    DragCursor = Mouse->CursorPos();
    const int dx = DragCursor.X - DragStartCursor.X, dy = DragCursor.Y - DragStartCursor.Y;
    if (ButtonMoveMode) {
        button.SetBounds(button.Left() + dx, button.Top() + dy, width, height);
    } else if (button.Cursor() == crSizeNS) {
        if (!resizeNearEdge_) {
            button.SetHeight(std::clamp(height + dy, kMinButtonHeight, kMaxButtonHeight));
        } else {
            // The top edge moves; the bottom edge stays where it is.
            const int newHeight = std::clamp(height - dy, kMinButtonHeight, kMaxButtonHeight);
            button.SetBounds(button.Left(), button.Top() - (newHeight - height), width, newHeight);
        }
    } else {
        if (!resizeNearEdge_) {
            button.SetWidth(std::clamp(width + dx, kMinButtonWidth, kMaxButtonWidth));
        } else {
            const int newWidth = std::clamp(width - dx, kMinButtonWidth, kMaxButtonWidth);
            button.SetBounds(button.Left() - (newWidth - width), button.Top(), newWidth, height);
        }
    }
    DragStartCursor = DragCursor;
}

void TQV_Video_DVD_Setup_DVD_Menu_Form::TitleButtonMouseDown(TObject* Sender, TMouseButton, TShiftState, int X, int Y)
{
    auto* button = dynamic_cast<TQV_MovieImage*>(Sender);
    if (!button) return;
    if (SkipNextMouseDown) {
        SkipNextMouseDown = false;
        return;
    }
    StartButtonDrag(*button, X, Y);
    button->Dragging = true;
}

void TQV_Video_DVD_Setup_DVD_Menu_Form::TitleButtonMouseMove(TObject* Sender, TShiftState, int X, int Y)
{
    auto* button = dynamic_cast<TQV_MovieImage*>(Sender);
    if (!button) return;
    DragButton(*button, button->Dragging, X, Y);
    if (button->Dragging && ButtonMoveMode) PlaceTitleLabel(static_cast<int>(MyMovieImage.IndexOf(button)));
}

void TQV_Video_DVD_Setup_DVD_Menu_Form::TitleButtonMouseUp(TObject* Sender, TMouseButton, TShiftState, int, int)
{
    auto* button = dynamic_cast<TQV_MovieImage*>(Sender);
    if (!button) return;
    if (button->Dragging && !ButtonMoveMode) FitSnapshotToTile(*button);
    // The button dragged is the one kept in the area (it is selected only by the click after this).
    const TRect r = ClampToDesignArea(button->BoundsRect(), CornerPictureHeight);
    button->SetBounds(r.Left, r.Top, r.Width(), r.Height());
    button->Dragging = false;
    PlaceTitleLabel(static_cast<int>(MyMovieImage.IndexOf(button)));
}

void TQV_Video_DVD_Setup_DVD_Menu_Form::EditTitleButton(TObject* Sender)
{
    SkipNextMouseDown = true;
    auto* button = dynamic_cast<TQV_MovieImage*>(Sender);
    const int i = static_cast<int>(MyMovieImage.IndexOf(button));
    if (!button || i < 0) return;
    button->Dragging = false;
    ClipPropertySteps* dialog = OpenClipDialog(i);
    if (!dialog) return;
    TLabel* label = i < static_cast<int>(TitleLabels.size()) ? TitleLabels[static_cast<std::size_t>(i)] : nullptr;
    if (label) dialog->SetFontControls(*label->Font(), label->Caption());
    dialog->ShowTextControls(true);
    if (dialog->ShowClipProperty() == mrOk && MyMovieImage.IndexOf(button) == i) {
        if (label) {
            TFont font;
            font.Assign(*label->Font());
            label->SetCaption(dialog->GetFontControls(font));
            label->Font()->Assign(font);
            PlaceTitleLabel(i);
        }
        // The moment picked becomes the button's picture.
        if (GrabDialogFrame(*button->Snapshot)) FitSnapshotToTile(*button);
    }
    dialog->ClosePreview();
    SkipNextMouseDown = true;
}

ClipPropertySteps* TQV_Video_DVD_Setup_DVD_Menu_Form::OpenClipDialog(int clipIndex)
{
    StopPreview();   // the dialog makes the one preview graph its own
    auto* dialog = FindTaskWindow<ClipPropertySteps>(kClipPropertyWindowName);
    if (!dialog) {
        ShowTaskNotAvailable();
        return nullptr;
    }
    return dialog->OpenClipPreview(clipIndex) ? dialog : nullptr;
}

bool TQV_Video_DVD_Setup_DVD_Menu_Form::GrabDialogFrame(TBitmap& into)
{
    const std::string file = JoinPath(ProgramFolder(), "Snapshot/t-1.bmp");
    if (!GRAPH || FAILED(GRAPH->SaveFrameBitmap(file))) return false;
    try {
        TBitmap grabbed;
        grabbed.LoadFromFile(file);
        if (grabbed.Empty()) return false;
        into.Assign(grabbed);
        return true;
    } catch (const std::exception&) {
        return false;   // an unreadable grab leaves the picture it had
    }
}

// --- the title text --------------------------------------------------------------------------
void TQV_Video_DVD_Setup_DVD_Menu_Form::SizeTitleText()
{
    const std::string caption = Label_Title->Caption();
    TBitmap measure(1, 1);
    measure.Canvas()->Font()->Assign(*Label_Title->Font());
    const int height = std::max(measure.Canvas()->TextHeight(caption.empty() ? "M" : caption), 1);
    // The width the menu keeps for the text: its length times its size.
    Label_Title->SetBounds(Label_Title->Left(), Label_Title->Top(),
                           static_cast<int>(caption.size()) * Label_Title->Font()->Size(), height);
}

void TQV_Video_DVD_Setup_DVD_Menu_Form::Label_TitleMouseDown(TObject*, TMouseButton, TShiftState, int, int)
{
    if (SkipNextMouseDown) {
        SkipNextMouseDown = false;
        return;
    }
    DragStartCursor = Mouse->CursorPos();
    TitleTextDragging = true;
}

void TQV_Video_DVD_Setup_DVD_Menu_Form::Label_TitleMouseMove(TObject*, TShiftState, int, int)
{
    if (!TitleTextDragging) return;
    DragCursor = Mouse->CursorPos();
    Label_Title->SetBounds(Label_Title->Left() + DragCursor.X - DragStartCursor.X,
                           Label_Title->Top() + DragCursor.Y - DragStartCursor.Y, Label_Title->Width(),
                           Label_Title->Height());
    DragStartCursor = DragCursor;
}

void TQV_Video_DVD_Setup_DVD_Menu_Form::Label_TitleMouseUp(TObject*, TMouseButton, TShiftState, int, int)
{
    TitleTextDragging = false;
    const TRect r = ClampToDesignArea(Label_Title->BoundsRect(), CornerPictureHeight);
    Label_Title->SetBounds(r.Left, r.Top, r.Width(), r.Height());
}

void TQV_Video_DVD_Setup_DVD_Menu_Form::Label_TitleDblClick(TObject*)
{
    TitleTextDragging = false;
    SkipNextMouseDown = true;
    TQV_Video_DVD_Text_Property_Form* dialog = QV_Video_DVD_Text_Property_Form;
    if (!dialog) {
        ShowTaskNotAvailable();
        return;
    }
    dialog->SetTextProperties(*Label_Title->Font(), Label_Title->Caption());
    if (dialog->ShowModal() != mrOk) return;
    std::string text;
    TFont font;
    font.Assign(*Label_Title->Font());
    dialog->GetTextProperties(font, text);
    Label_Title->Font()->Assign(font);
    Label_Title->SetCaption(text);
    SizeTitleText();
}

void TQV_Video_DVD_Setup_DVD_Menu_Form::kivComboBox_LanguageChange(TObject*) { SizeTitleText(); }

// --- backgrounds ----------------------------------------------------------------------------
void TQV_Video_DVD_Setup_DVD_Menu_Form::LoadBackgroundList()
{
    BackgroundList = LoadShippedBackgroundList();
    BackgroundCount = static_cast<std::int32_t>(BackgroundList.size());
    if (BackgroundCount < 1) return;
    bool anyLoaded = false;
    for (std::size_t k = 0; k < BackgroundList.size(); ++k) {
        auto* thumbnail = new TImage(this);
        thumbnail->SetName("Image_Background" + IntToStr(static_cast<int>(k)));
        thumbnail->SetBounds(kThumbLeft, kThumbTop, kThumbWidth, kThumbHeight);
        thumbnail->SetStretch(true);
        thumbnail->SetCursor(crHandPoint);
        thumbnail->OnClick = [this](TObject* sender) { ThumbnailClick(sender); };
        thumbnail->SetParent(kivImagePanel_Background);
        BackgroundThumbnails.push_back(thumbnail);
        const std::string file = ShippedBackgroundFile(BackgroundList[k]);
        if (file.empty()) continue;
        try {
            TBitmap picture = LoadPictureFile(file);
            TBitmap small(kThumbWidth, kThumbHeight, pf24bit);
            small.Canvas()->StretchDraw(Rect(0, 0, kThumbWidth, kThumbHeight), picture);
            thumbnail->Picture()->SetGraphic(&small);
            anyLoaded = true;
        } catch (const std::exception&) {
            // A damaged picture leaves its thumbnail empty; the others still serve.
        }
    }
    kivTrackBar_Image->SetMax(BackgroundCount > kVisibleThumbnails ? BackgroundCount - kVisibleThumbnails : 0);
    ScrollThumbnails();
    if (!anyLoaded || !SelectFirstBackground(0))
        MessageDlg("Can not load background picture.\nPlease reinstall software to fix it!", mtInformation,
                   MsgButtons({mbOK}));
}

void TQV_Video_DVD_Setup_DVD_Menu_Form::ScrollThumbnails()
{
    const int first = kivTrackBar_Image->Position();
    for (std::size_t k = 0; k < BackgroundThumbnails.size(); ++k) {
        const int at = static_cast<int>(k) - first;
        BackgroundThumbnails[k]->SetTop(at < 0 ? kThumbParked : kThumbTop + kThumbStep * std::min(at, 1000));
    }
}

void TQV_Video_DVD_Setup_DVD_Menu_Form::kivTrackBar_ImageChange(TObject*) { ScrollThumbnails(); }

void TQV_Video_DVD_Setup_DVD_Menu_Form::ShowBackground(TBitmap& picture)
{
    TBitmap shown(kDesignWidth, kDesignHeight, pf24bit);
    shown.Canvas()->Brush()->SetColor(clBlack);
    shown.Canvas()->FillRect(Rect(0, 0, kDesignWidth, kDesignHeight));
    shown.Canvas()->StretchDraw(Rect(0, 0, kDesignWidth, kDesignHeight), picture);
    Image->Picture()->SetGraphic(&shown);
}

bool TQV_Video_DVD_Setup_DVD_Menu_Form::SelectBackground(int k)
{
    if (k < 0 || k >= static_cast<int>(BackgroundList.size())) return false;
    const std::string file = ShippedBackgroundFile(BackgroundList[static_cast<std::size_t>(k)]);
    if (file.empty()) return false;
    try {
        TBitmap picture = LoadPictureFile(file);
        ShowBackground(picture);
        BackgroundPicture->Assign(picture);
    } catch (const std::exception&) {
        return false;
    }
    BackgroundFile = file;
    SelectedBackground = k;
    return true;
}

bool TQV_Video_DVD_Setup_DVD_Menu_Form::SelectFirstBackground(int k)
{
    for (int i = std::max(k, 0); i < static_cast<int>(BackgroundList.size()); ++i)
        if (SelectBackground(i)) return true;
    return false;
}

void TQV_Video_DVD_Setup_DVD_Menu_Form::ThumbnailClick(TObject* Sender)
{
    Label_BackGround->SetCaption("");
    const auto found = std::find(BackgroundThumbnails.begin(), BackgroundThumbnails.end(), Sender);
    if (found == BackgroundThumbnails.end()) return;
    const int k = static_cast<int>(found - BackgroundThumbnails.begin());
    if (ChapterPage == -1) {
        if (k != SelectedBackground && SelectBackground(k)) LayoutOnSelectedBackground();
        return;
    }
    // A chapter page on show takes the picture for itself; the title menu keeps its own.
    const std::string file = ShippedBackgroundFile(BackgroundList[static_cast<std::size_t>(k)]);
    if (file.empty()) return;
    try {
        SetPageBackground(LoadPictureFile(file));
    } catch (const std::exception&) {
        // A picture that cannot be read leaves the page as it was.
    }
}

void TQV_Video_DVD_Setup_DVD_Menu_Form::SetPageBackground(const TBitmap& picture)
{
    DVDChapter& page = ChapterListAt(ChapterPage);
    if (!page.PageBackground) page.PageBackground = new TBitmap;
    page.PageBackground->Assign(picture);
    ShowBackground(*page.PageBackground);
}

void TQV_Video_DVD_Setup_DVD_Menu_Form::kivImageButton_LoadImageClick(TObject*)
{
    OpenDialog->Filter = kMenuImageFilter;
    if (!OpenDialog->Execute()) return;
    const std::string file = OpenDialog->FileName;
    OpenDialog->FileName.clear();
    if (file.empty()) return;
    TBitmap picture;
    try {
        picture = LoadPictureFile(file);
    } catch (const std::exception&) {
        MessageDlg("Can not load this bitmap file.Please reinstall...", mtInformation, MsgButtons({mbOK}));
        return;
    }
    if (ChapterPage != -1) {
        SetPageBackground(picture);   // the page on show only
        return;
    }
    ShowBackground(picture);
    BackgroundFile = file;
    SelectedBackground = -1;
    BackgroundPicture->Assign(picture);
    Label_BackGround->SetCaption(file);
}

// --- preview --------------------------------------------------------------------------------
void TQV_Video_DVD_Setup_DVD_Menu_Form::kivImageButton_PreviewClick(TObject*)
{
    TQV_MovieImage* clip = SelectedTitle();
    if (!clip) return;
    StopPreview();
    Repaint();
    if (!FileExists(clip->SourcePath)) return;
    GRAPH = new GraphGroup;
    GRAPH->GrabFrames = true;
    if (FAILED(GRAPH->BuildGraph()) || FAILED(GRAPH->RenderClip(clip->WidePath))) {
        FreePreviewGraph();
        return;
    }
    if (clip->SupportsSeek) GRAPH->SeekTo(kGraphUnitsPerSecond / 10);
    GRAPH->SetVideoWindow(kivImagePanel_Preview->Handle(),
                          Rect(0, 0, kivImagePanel_Preview->Width(), kivImagePanel_Preview->Height()));
    // The video takes the whole design area while it plays.
    ShowDesignArea(false);
    GRAPH->Run();
    GRAPH->StartTicker();
    GRAPH->SetNotifyWindow(Handle(), MSG_GRAPH_EVENT, 0);
}

void TQV_Video_DVD_Setup_DVD_Menu_Form::ShowDesignArea(bool show)
{
    for (int i = 0; i < kivImagePanel_Preview->ControlCount(); ++i)
        kivImagePanel_Preview->Controls(i)->SetVisible(show);
}

void TQV_Video_DVD_Setup_DVD_Menu_Form::StopPreview()
{
    if (!GRAPH) return;
    FreePreviewGraph();
    kivImagePanel_Preview->ClearFrame();
    ShowDesignArea(true);
    kivImagePanel_Preview->Invalidate();
}

void TQV_Video_DVD_Setup_DVD_Menu_Form::kivImageButton_StopClick(TObject*) { StopPreview(); }

// --- Next -----------------------------------------------------------------------------------
MenuModel TQV_Video_DVD_Setup_DVD_Menu_Form::BuildMenuModel() const
{
    MenuModel menu;
    menu.ResFolder = JoinPath(ProgramFolder(), "RES/");
    menu.Background = CopyPicture(BackgroundPicture.get());
    menu.Title = {Label_Title->Caption(), ToMenuFont(*Label_Title->Font()), {Label_Title->Left(), Label_Title->Top()}};
    for (std::int64_t i = 0; i < MyMovieImage.Length(); ++i) {
        const TQV_MovieImage* clip = MyMovieImage[i];
        if (!clip) continue;
        MenuTitleButton button;
        button.Rect = clip->BoundsRect();
        button.Snapshot = CopyPicture(clip->Snapshot.get());
        button.SnapshotRatio = ClipPictureRatio(*clip, *clip->Snapshot);
        if (i < static_cast<std::int64_t>(TitleLabels.size()) && TitleLabels[static_cast<std::size_t>(i)]) {
            const TLabel* label = TitleLabels[static_cast<std::size_t>(i)];
            button.Caption = {label->Caption(), ToMenuFont(*label->Font()),
                              {label->Left(), label->Top()}};
        }
        menu.Titles.push_back(std::move(button));
    }
    // One page per title, in title order, as the author file numbers them.
    for (const DVDChapter& chapter : MyDVDChapter) {
        MenuChapterPage page;
        page.Background = CopyPicture(chapter.PageBackground);
        page.TrimStart = chapter.Title ? chapter.Title->StartPoint : 0;
        for (std::int64_t j = 0; j < chapter.ChapterButtons.Length(); ++j) {
            const TQV_Image* button = chapter.ChapterButtons[j];
            const TBitmap* thumbnail = j < chapter.ChapterThumbnails.Length() ? chapter.ChapterThumbnails[j] : nullptr;
            const double ratio = chapter.Title && thumbnail ? ClipPictureRatio(*chapter.Title, *thumbnail) : 0;
            page.Buttons.push_back({button->BoundsRect(), CopyPicture(thumbnail), ChapterTimeAt(chapter, j), ratio});
        }
        menu.ChapterPages.push_back(std::move(page));
    }
    LoadCornerPictures(menu);
    return menu;
}

bool TQV_Video_DVD_Setup_DVD_Menu_Form::WriteMenus(bool withChapters)
{
    const MenuModel menu = BuildMenuModel();
    MenuOutput out;
    bool written = WriteTitleMenuBackground(menu, out) && WriteTitleMenuMasks(menu, out);
    if (written && withChapters && !menu.ChapterPages.empty())
        written = WriteChapterMenuBackgrounds(menu, out) && WriteChapterMenuMasks(menu, out);
    HasCornerButton = out.HasCornerButton;
    CornerButtonRect = out.CornerButtonRect;
    if (!written) MessageDlg(out.ErrorText, mtError, MsgButtons({mbOK}));
    return written;
}

void TQV_Video_DVD_Setup_DVD_Menu_Form::NextToDiscBuilder(TObject*)
{
    if (inNext_) return;   // one Next at a time
    TFlagScope busy(inNext_);
    // Next before the automatic chapters were made: make them now, or the menu goes without its
    // chapter pages and the timer would fire under the disc builder.
    if (Timer->Enabled()) {
        TimerTick(Timer);
        if (ModalResult() != mrNone) return;   // Exit during the grab
    }
    auto* builder = FindTaskWindow<DiscBuilderSteps>(kDiscBuilderWindowName);
    if (!builder) {
        ShowTaskNotAvailable();
        return;
    }
    if (!builder->InitDiscBuilder(0)) {
        MessageDlg("Can not initialize burning system!", mtInformation, MsgButtons({mbOK}));
        return;
    }
    StopPreview();
    if (!WriteMenus(true)) return;
    builder->BuildWithMenu(kivComboBox_Language->ItemIndex());
    builder->ShowDiscBuilder();
}

void TQV_Video_DVD_Setup_DVD_Menu_Form::NextToConvert(TObject*)
{
    if (inNext_) return;   // one Next at a time
    TFlagScope busy(inNext_);
    auto* convert = FindTaskWindow<ConvertProcessSteps>(kConvertProcessWindowName);
    if (!convert) {
        ShowTaskNotAvailable();
        return;
    }
    if (!convert->InitConvertProcess(true, 0)) {
        MessageDlg("Can not initialize convert system!", mtInformation, MsgButtons({mbOK}));
        return;
    }
    StopPreview();
    if (!WriteMenus(false)) return;
    convert->SetAuthorOnly(kivComboBox_Language->ItemIndex());
    convert->ShowConvertProcess();
}
