#pragma once
// The DVD menu designer: the user lays out the title menu on a 468 x 352
// design area: a background (a shipped picture or the user's own), the title
// text, and one picture button per title with its caption under it. Buttons
// and the title text are moved and resized with the mouse and kept inside the
// area. Two modes: with the clips of the disc-build task (Next renders the
// menus and opens the disc builder, Back goes back to the clips), or alone for
// the menu-creator task (finished VOB files are added as titles; Next renders
// the title menu and hands over to the convert window, which only authors).
#include "base/taskwindows.h"
#include "menu/backgroundlist.h"
#include "menu/chaptergrabgraph.h"

#include "gfx/types.h"
#include "vcl/forms.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

struct MenuModel;
class BackgroundChooser;
class ButtonDrag;
class ChapterPages;
class ChapterThumbnails;
class DesignerDialogs;
class DesignerPreview;
class MenuHandover;
class TitleLayout;
class TitleList;
class TBitmap;
class TImage;
class TLabel;
class TMenuItem;
class TOpenDialog;
class TPopupMenu;
class TQV_Image;
class TQV_LoadFile;
class TQV_MovieImage;
class TTimer;
class TkivComboBox;
class TkivImageButton;
class TkivImagePanel;
class TkivProgressBar;
class TkivSkinForm;
class TkivTrackBar;

// The open dialogs' filters.
extern const char* const kMenuVobFilter;
extern const char* const kMenuImageFilter;
// The biggest own background accepted, in pixels a side.
constexpr int kMaxBackgroundSide = 8192;

// The disc-fill gauge: the titles' lengths summed in whole seconds (halves to
// even after each addition), at 0.5 MB a second, against 4300 MB. Answers the
// gauge's position, 100 when full.
int MenuSizeGaugePosition(const std::vector<double>& titleSeconds, bool* full = nullptr);

// Automatic chapters of a title L seconds long: one when the clip cannot seek
// (or the interval is not positive), two when L is shorter than the interval,
// else one for every whole interval, at most 12.
int AutoChapterCount(double length, double interval, bool canSeek);
// Where automatic chapter j starts, in clip seconds: StartPoint + j x interval,
// or the middle of the trimmed span when that passes EndPoint.
double AutoChapterTime(double startPoint, double endPoint, double interval, int j);


class TQV_Video_DVD_Setup_DVD_Menu_Form : public TForm, public MenuDesignerSteps {
public:
    explicit TQV_Video_DVD_Setup_DVD_Menu_Form(TComponent* AOwner);
    ~TQV_Video_DVD_Setup_DVD_Menu_Form() override;

    // --- the task's steps -------------------------------------------------------
    // Ready for a ShowModal: FromClipList turns the clip list into title buttons,
    // otherwise the window starts empty and owns the titles the user adds. Always true.
    bool InitMenuDesigner(bool FromClipList) override;
    int SelectedClipIndex() const override { return SelectedIndex; }
    void SetSelectedClipIndex(int index) override { SelectedIndex = index; }
    void SetProgressPosition(int position) override;
    void StartAutoChapters(double interval) override;
    int ShowMenuDesigner() override { return ShowModal(); }

    // --- components ---------------------------------------------------------------
    TkivSkinForm* kivSkinForm1 = nullptr;
    TkivImagePanel* kivImagePanel_Preview = nullptr;   // the design area
    TImage* Image = nullptr;                           // the background as shown
    TLabel* Label_Title = nullptr;                     // the title text
    TkivProgressBar* kivProgressBar = nullptr;         // disc-fill gauge, vertical
    TkivImageButton* kivImageButton_AddVOB = nullptr;
    TkivImageButton* kivImageButton_DeleteVOB = nullptr;
    TkivImageButton* kivImageButton_Preview = nullptr;
    TkivImageButton* kivImageButton_Stop = nullptr;
    TkivImageButton* kivImageButton_PreviousChapter = nullptr;
    TkivImageButton* kivImageButton_NextChapter = nullptr;
    TkivImagePanel* kivImagePanel_Background = nullptr;   // the thumbnail column
    TkivTrackBar* kivTrackBar_Image = nullptr;
    TkivImageButton* kivImageButton_LoadImage = nullptr;
    TLabel* Label_BackGround = nullptr;
    TLabel* Label_Language = nullptr;
    TkivComboBox* kivComboBox_Language = nullptr;
    TkivImageButton* kivImageButton_Back = nullptr;
    TkivImageButton* kivImageButton_Next = nullptr;
    TkivImageButton* kivImageButton_Exit = nullptr;
    TkivImagePanel* Panel_Progress = nullptr;
    TLabel* Label13 = nullptr;
    TkivProgressBar* kivProgressBar1 = nullptr;
    TOpenDialog* OpenDialog = nullptr;
    TTimer* Timer = nullptr;
    TPopupMenu* PopupMenu = nullptr;               // a chapter button's right click
    TMenuItem* CreateChpaterbyManual1 = nullptr;
    TMenuItem* DeleteChapter1 = nullptr;

    // --- window state -------------------------------------------------------------
    TPoint DragStartCursor;                        // screen cursor at the last drag step
    TPoint DragCursor;
    bool TitleTextDragging = false;
    std::vector<TLabel*> TitleLabels;              // caption of title i, owned by the window
    std::vector<BackgroundProperty> BackgroundList;
    std::vector<TImage*> BackgroundThumbnails;     // owned by the window
    std::int32_t SelectedBackground = -1;          // -1: the user's own picture or none
    std::int32_t BackgroundCount = 0;
    std::string BackgroundFile;
    bool SkipNextMouseDown = false;                // set by a double click
    std::unique_ptr<TQV_LoadFile> FileLoader;      // the probe of the title being added
    std::unique_ptr<TBitmap> BackgroundPicture;    // the title background at its own size
    bool Shown = false;
    std::int32_t ChapterPage = -1;                 // -1: the title menu is on show
    TQV_Image* ChapterButton = nullptr;
    bool ButtonMoveMode = false;
    bool HasCornerButton = false;
    TRect CornerButtonRect;
    std::int32_t CornerPictureHeight = 10;
    std::int32_t SelectedIndex = -1;
    double ChapterInterval = 600;
    bool FromClipList = false;
    std::int32_t TotalChapters = 0;                // chapter pictures to grab, and grabbed
    std::int32_t ChaptersDone = 0;
    std::int32_t PopupChapterIndex = -1;           // the chapter under the last right click
    std::function<std::unique_ptr<ChapterGrabGraph>()> MakeGrabGraph = NewChapterGrabGraph;

    // --- behaviour ----------------------------------------------------------------
    void LoadBackgroundList();
    void ScrollThumbnails();
    // False, with nothing changed, when the picture cannot be loaded.
    bool SelectBackground(int k);
    // The title buttons on the points, the rest in the overflow row; all kept in the area.
    void LayoutTitles(int count, const std::vector<TPoint>& points);
    void PlaceTitleLabel(int i);
    void SelectTitle(TQV_MovieImage* button);
    void UpdateSizeGauge(bool quiet);
    // The menu as it stands, for the writers.
    MenuModel BuildMenuModel() const;
    // The title text's width: caption length x font size.
    void SizeTitleText();

    // --- chapter pages ---------------------------------------------------------------
    // A page for every title by ChapterInterval, its pictures grabbed from the video.
    void MakeAutoChapters();
    void BuildChapterPage(int t, int count);
    void GrabChapterThumbnails(int t);
    void RebuildChapterPicture(int t, int j);
    // Title t's chapter page on the design area, or the title menu for -1.
    void ShowPage(int t);
    void TimerTick(TObject* Sender);
    void kivImageButton_NextChapterClick(TObject* Sender);
    void kivImageButton_PreviousChapterClick(TObject* Sender);
    void ChapterButtonMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void ChapterButtonMouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
    void ChapterButtonMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    // The chapter dialog's points become the page on show.
    void MakeManualChapters(TObject* Sender);
    void DeleteChapter(TObject* Sender);
    // A moment of the clip picked in the clip property dialog becomes the chapter.
    void EditChapterButton(TObject* Sender);

    void FormShow(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);
    void NextToDiscBuilder(TObject* Sender);
    void NextToConvert(TObject* Sender);
    void kivImageButton_AddVOBClick(TObject* Sender);
    void kivImageButton_DeleteVOBClick(TObject* Sender);
    void kivImageButton_PreviewClick(TObject* Sender);
    void kivImageButton_StopClick(TObject* Sender);
    void kivImageButton_LoadImageClick(TObject* Sender);
    void kivTrackBar_ImageChange(TObject* Sender);
    void kivComboBox_LanguageChange(TObject* Sender);
    void ThumbnailClick(TObject* Sender);
    void TitleButtonMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void TitleButtonMouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
    void TitleButtonMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void EditTitleButton(TObject* Sender);
    void Label_TitleMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void Label_TitleMouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
    void Label_TitleMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void Label_TitleDblClick(TObject* Sender);

    // 1225, 1226 and 1230 from the probe, 1155 the preview's tick, 1154 graph events.
    void WndProc(TMessage& Message) override;

private:
    // The units the window's work is split into; each works on the window's
    // controls and fields, the window's handlers hand over to them.
    friend class TitleLayout;
    friend class TitleList;
    friend class ButtonDrag;
    friend class DesignerDialogs;
    friend class BackgroundChooser;
    friend class DesignerPreview;
    friend class ChapterPages;
    friend class ChapterThumbnails;
    friend class MenuHandover;
    std::unique_ptr<TitleLayout> titles_;
    std::unique_ptr<TitleList> titleList_;
    std::unique_ptr<ButtonDrag> drag_;
    std::unique_ptr<DesignerDialogs> dialogs_;
    std::unique_ptr<BackgroundChooser> backgrounds_;
    std::unique_ptr<DesignerPreview> preview_;
    std::unique_ptr<ChapterPages> chapters_;
    std::unique_ptr<ChapterThumbnails> thumbnails_;
    std::unique_ptr<MenuHandover> handover_;

    void BuildControls();
};
