#include "menu/qv_videodvdsetupdvdmenuform.h"

#include "backgroundchooser.h"
#include "buttondrag.h"
#include "chapterpages.h"
#include "chapterthumbnails.h"
#include "designerdialogs.h"
#include "designerpreview.h"
#include "menuhandover.h"
#include "titlelayout.h"
#include "titlelist.h"

#include "base/burnpubfunction.h"
#include "base/dvdchapter.h"
#include "base/projectdata.h"
#include "base/qv_graphgroupclass.h"
#include "base/qv_loadfile.h"
#include "base/qv_movieimage.h"
#include "base/qv_pubfunction.h"
#include "menu/menumodel.h"
#include "pipeline/handlemoviethread.h"

#include "gfx/bitmap.h"
#include "skin/kivbutton.h"
#include "skin/kivcombobox.h"
#include "skin/kivimagepanel.h"
#include "skin/kivprogressbar.h"
#include "vcl/stdctrls.h"
#include "vcl/timer.h"

const char* const kMenuVobFilter = "VOB File (*.vob,*.VOB)|*.vob";
const char* const kMenuImageFilter =
    "Image File|*.jpg;*.bmp|Bitmap File (*.bmp,*.BMP)|*.bmp|Jpeg File (*.jpg,*.JPG)|*.jpg";

TQV_Video_DVD_Setup_DVD_Menu_Form::TQV_Video_DVD_Setup_DVD_Menu_Form(TComponent* AOwner)
    : TForm(AOwner), BackgroundPicture(std::make_unique<TBitmap>()),
      titles_(std::make_unique<TitleLayout>(*this)), titleList_(std::make_unique<TitleList>(*this)),
      drag_(std::make_unique<ButtonDrag>(*this)), dialogs_(std::make_unique<DesignerDialogs>(*this)),
      backgrounds_(std::make_unique<BackgroundChooser>(*this)), preview_(std::make_unique<DesignerPreview>(*this)),
      chapters_(std::make_unique<ChapterPages>(*this)), thumbnails_(std::make_unique<ChapterThumbnails>(*this)),
      handover_(std::make_unique<MenuHandover>(*this))
{
    BuildControls();

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
    titleList_->ForgetLoader();
    if (GRAPH) FreePreviewGraph();
    chapters_->FreePages();
    MyDVDChapter.SetLength(0);
}

// --- the task's steps -------------------------------------------------------------------
bool TQV_Video_DVD_Setup_DVD_Menu_Form::InitMenuDesigner(bool fromClipList)
{
    FromClipList = fromClipList;
    titleList_->ForgetLoader();
    preview_->Stop();
    kivImageButton_AddVOB->SetVisible(!fromClipList);
    kivImageButton_DeleteVOB->SetVisible(!fromClipList);
    titles_->FreeLabels();
    if (fromClipList) {
        kivImageButton_Next->SetDefault(true);
        kivImageButton_AddVOB->SetDefault(false);
        TitleLabels.assign(static_cast<std::size_t>(MyMovieImage.Length()), nullptr);
        for (std::int64_t i = 0; i < MyMovieImage.Length(); ++i)
            if (TQV_MovieImage* clip = MyMovieImage[i]) titles_->MakeButton(*clip, static_cast<int>(i));
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
        backgrounds_->SelectFirst(0);
    }
    if (fromClipList) titles_->LayoutOnSelectedBackground();
    ShowPage(-1);
    chapters_->FreePages();
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
    if (!titles_->Selected() && SelectedIndex >= 0) OldMovieImage = titles_->At(SelectedIndex);
    for (std::int64_t i = 0; i < MyMovieImage.Length(); ++i)
        if (TQV_MovieImage* clip = MyMovieImage[i]) clip->SetSelected(clip == titles_->Selected());
    SelectedIndex = static_cast<std::int32_t>(MyMovieImage.IndexOf(titles_->Selected()));
}

void TQV_Video_DVD_Setup_DVD_Menu_Form::FormClose(TObject*, TCloseAction&)
{
    Shown = false;
    if (FileLoader) {
        titleList_->ForgetLoader();
        titleList_->AddDone();
    }
    preview_->Stop();
}

// --- messages -------------------------------------------------------------------------------
void TQV_Video_DVD_Setup_DVD_Menu_Form::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case MSG_GRAPH_TICK:
    case MSG_GRAPH_EVENT:
        preview_->TakeGraphMessage(Message);
        return;
    case kMsgChapterPopup:
        chapters_->ShowPopup();
        return;
    case MSG_LOAD_FAILED:
    case MSG_LOAD_GAVE_UP:
    case MSG_LOAD_READY:
        titleList_->TakeProbeMessage(Message);
        return;
    default:
        TForm::WndProc(Message);
    }
}

// --- the handlers and steps the units carry out ------------------------------------------------
// Titles
void TQV_Video_DVD_Setup_DVD_Menu_Form::kivImageButton_AddVOBClick(TObject*) { titleList_->Add(); }
void TQV_Video_DVD_Setup_DVD_Menu_Form::kivImageButton_DeleteVOBClick(TObject*) { titleList_->Remove(); }
void TQV_Video_DVD_Setup_DVD_Menu_Form::SelectTitle(TQV_MovieImage* button) { titles_->Select(button); }
void TQV_Video_DVD_Setup_DVD_Menu_Form::LayoutTitles(int count, const std::vector<TPoint>& points) { titles_->Layout(count, points); }
void TQV_Video_DVD_Setup_DVD_Menu_Form::PlaceTitleLabel(int i) { titles_->PlaceLabel(i); }
void TQV_Video_DVD_Setup_DVD_Menu_Form::UpdateSizeGauge(bool quiet) { titles_->UpdateSizeGauge(quiet); }
void TQV_Video_DVD_Setup_DVD_Menu_Form::SizeTitleText() { titles_->SizeTitleText(); }
void TQV_Video_DVD_Setup_DVD_Menu_Form::kivComboBox_LanguageChange(TObject*) { titles_->SizeTitleText(); }

// Dragging and the dialogs a double click opens
void TQV_Video_DVD_Setup_DVD_Menu_Form::TitleButtonMouseDown(TObject* Sender, TMouseButton, TShiftState, int X, int Y)
{
    drag_->TitleButtonDown(Sender, X, Y);
}
void TQV_Video_DVD_Setup_DVD_Menu_Form::TitleButtonMouseMove(TObject* Sender, TShiftState, int X, int Y) { drag_->TitleButtonMove(Sender, X, Y); }
void TQV_Video_DVD_Setup_DVD_Menu_Form::TitleButtonMouseUp(TObject* Sender, TMouseButton, TShiftState, int, int) { drag_->TitleButtonUp(Sender); }
void TQV_Video_DVD_Setup_DVD_Menu_Form::ChapterButtonMouseDown(TObject* Sender, TMouseButton, TShiftState, int X, int Y)
{
    drag_->ChapterButtonDown(Sender, X, Y);
}
void TQV_Video_DVD_Setup_DVD_Menu_Form::ChapterButtonMouseMove(TObject* Sender, TShiftState, int X, int Y) { drag_->ChapterButtonMove(Sender, X, Y); }
void TQV_Video_DVD_Setup_DVD_Menu_Form::ChapterButtonMouseUp(TObject* Sender, TMouseButton Button, TShiftState, int, int)
{
    drag_->ChapterButtonUp(Sender, Button);
}
void TQV_Video_DVD_Setup_DVD_Menu_Form::Label_TitleMouseDown(TObject*, TMouseButton, TShiftState, int, int) { drag_->TitleTextDown(); }
void TQV_Video_DVD_Setup_DVD_Menu_Form::Label_TitleMouseMove(TObject*, TShiftState, int, int) { drag_->TitleTextMove(); }
void TQV_Video_DVD_Setup_DVD_Menu_Form::Label_TitleMouseUp(TObject*, TMouseButton, TShiftState, int, int) { drag_->TitleTextUp(); }
void TQV_Video_DVD_Setup_DVD_Menu_Form::EditTitleButton(TObject* Sender) { dialogs_->EditTitleButton(Sender); }
void TQV_Video_DVD_Setup_DVD_Menu_Form::EditChapterButton(TObject* Sender) { dialogs_->EditChapterButton(Sender); }
void TQV_Video_DVD_Setup_DVD_Menu_Form::Label_TitleDblClick(TObject*) { dialogs_->EditTitleText(); }

// Backgrounds
void TQV_Video_DVD_Setup_DVD_Menu_Form::LoadBackgroundList() { backgrounds_->LoadList(); }
void TQV_Video_DVD_Setup_DVD_Menu_Form::ScrollThumbnails() { backgrounds_->ScrollThumbnails(); }
void TQV_Video_DVD_Setup_DVD_Menu_Form::kivTrackBar_ImageChange(TObject*) { backgrounds_->ScrollThumbnails(); }
bool TQV_Video_DVD_Setup_DVD_Menu_Form::SelectBackground(int k) { return backgrounds_->Select(k); }
void TQV_Video_DVD_Setup_DVD_Menu_Form::ThumbnailClick(TObject* Sender) { backgrounds_->ThumbnailClick(Sender); }
void TQV_Video_DVD_Setup_DVD_Menu_Form::kivImageButton_LoadImageClick(TObject*) { backgrounds_->LoadOwnPicture(); }

// Preview
void TQV_Video_DVD_Setup_DVD_Menu_Form::kivImageButton_PreviewClick(TObject*) { preview_->Play(); }
void TQV_Video_DVD_Setup_DVD_Menu_Form::kivImageButton_StopClick(TObject*) { preview_->Stop(); }

// Chapter pages
void TQV_Video_DVD_Setup_DVD_Menu_Form::TimerTick(TObject*) { chapters_->TimerTick(); }
void TQV_Video_DVD_Setup_DVD_Menu_Form::MakeAutoChapters() { chapters_->MakeAuto(); }
void TQV_Video_DVD_Setup_DVD_Menu_Form::BuildChapterPage(int t, int count) { chapters_->BuildPage(t, count); }
void TQV_Video_DVD_Setup_DVD_Menu_Form::GrabChapterThumbnails(int t) { thumbnails_->Grab(t); }
void TQV_Video_DVD_Setup_DVD_Menu_Form::RebuildChapterPicture(int t, int j) { chapters_->RebuildPicture(t, j); }
void TQV_Video_DVD_Setup_DVD_Menu_Form::ShowPage(int t) { chapters_->Show(t); }
void TQV_Video_DVD_Setup_DVD_Menu_Form::kivImageButton_NextChapterClick(TObject*) { chapters_->ShowNext(); }
void TQV_Video_DVD_Setup_DVD_Menu_Form::kivImageButton_PreviousChapterClick(TObject*) { chapters_->ShowPrevious(); }
void TQV_Video_DVD_Setup_DVD_Menu_Form::MakeManualChapters(TObject*) { chapters_->MakeManual(); }
void TQV_Video_DVD_Setup_DVD_Menu_Form::DeleteChapter(TObject*) { chapters_->DeleteChapter(); }

// Next
MenuModel TQV_Video_DVD_Setup_DVD_Menu_Form::BuildMenuModel() const { return handover_->BuildModel(); }
void TQV_Video_DVD_Setup_DVD_Menu_Form::NextToDiscBuilder(TObject*) { handover_->ToDiscBuilder(); }
void TQV_Video_DVD_Setup_DVD_Menu_Form::NextToConvert(TObject*) { handover_->ToConvert(); }
