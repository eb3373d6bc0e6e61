#pragma once
// The source clips window: the user builds the clip list of a task here. Files
// are added (probed one at a time on a worker thread), ordered and deleted; a
// clip is previewed and trimmed, a snapshot picture taken, its aspect, letter
// box and subtitle set; automatic chapters and the DVD menu switched; and the
// disc space the clips take is estimated. It is a page of the disc-build
// wizard (before the menu designer or the disc builder) and of the convert
// task (before the convert window).
#include "base/taskwindows.h"

#include "vcl/forms.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TBitmap;
class TImage;
class TLabel;
class TOpenDialog;
class TQV_LoadFile;
class TQV_MovieImage;
class TSaveDialog;
class TTimer;
class TkivButton;
class TkivCheckBox;
class TkivComboBox;
class TkivImageButton;
class TkivImagePanel;
class TkivProgressBar;
class TkivRadioGroup;
class TkivSkinForm;
class TkivTrackBar;

// The open dialog's filter, as the user sees it ("*rmvb" has no dot).
extern const char* const kClipsOpenFilter;
extern const char* const kClipsLoadFailedHead;   // the failure warning up to the web address
extern const char* const kClipsLoadFailedList;   // from the address on to the list of files

// Output megabytes of clips lasting `seconds` at `megabytesPerMinute`.
double EstimateDiscMegabytes(std::int64_t seconds, int megabytesPerMinute);
// Where the video goes in the preview panel: with the letter box and a known
// picture size, fitted keeping the picture's shape and centred; else the whole panel.
TRect LetterBoxRect(int panelWidth, int panelHeight, int videoWidth, int videoHeight, bool letterBox);

class TQV_Video_DVD_Setup_Source_Clips_Form : public TForm, public SourceClipsSteps {
public:
    explicit TQV_Video_DVD_Setup_Source_Clips_Form(TComponent* AOwner);
    ~TQV_Video_DVD_Setup_Source_Clips_Form() override;

    // --- the task's steps -------------------------------------------------------
    // mode 1 (step): the clips are taken back from the menu designer; mode 0: a
    // new list. False, after "Convert mode error!", for a kind other than 1..3.
    bool PrepareClipsForm(int mode, int kind) override;
    int SelectedClipIndex() const override { return SelectedIndex; }
    void SetSelectedClipIndex(int index) override { SelectedIndex = index; }
    int ShowClipsWizard() override;
    void ShowClipsForConversion() override;
    int ProgressPosition() const override;
    bool AutoChapters() const override;
    double ChapterIntervalSeconds() const override { return ChapterInterval; }

    // --- components ---------------------------------------------------------------
    TkivSkinForm* kivSkinForm1 = nullptr;
    TOpenDialog* OpenDialog = nullptr;
    TSaveDialog* SaveDialog = nullptr;
    TkivImagePanel* kivImagePanel_Clips = nullptr;   // the strip holding the thumbnails
    TLabel* ClipCaptions[5] = {};
    TkivTrackBar* kivTrackBar_Image = nullptr;       // scrolls the strip
    TkivImagePanel* kivImagePanel_Preview = nullptr;
    TImage* Image_Preview = nullptr;                 // the still picture of the selected clip
    TkivTrackBar* kivTrackBar = nullptr;             // play position, with the trim span drawn on it
    TkivImageButton* kivImageButton_Add = nullptr;
    TkivImageButton* kivImageButton_Delete = nullptr;
    TkivImageButton* kivImageButton_Up = nullptr;
    TkivImageButton* kivImageButton_Down = nullptr;
    TkivImageButton* kivImageButton_Preview = nullptr;
    TkivImageButton* kivImageButton_Stop = nullptr;
    TkivImageButton* kivImageButton_SetBegin = nullptr;
    TkivImageButton* kivImageButton_SetEnd = nullptr;
    TkivImageButton* kivImageButton_SavePic = nullptr;
    TkivImageButton* kivImageButton_Burn = nullptr;  // Next
    TkivImageButton* kivImageButton_Exit = nullptr;
    TkivImageButton* kivImageButton_Min = nullptr;
    TkivCheckBox* kivCheckBox1 = nullptr;            // "Add DVD menu."
    TkivCheckBox* kivCheckBox = nullptr;             // "Auto add letter box."
    TkivCheckBox* kivCheckBox_Chapter = nullptr;     // "Auto split DVD chapter"
    TkivComboBox* kivComboBox_ChapterInterval = nullptr;
    TkivRadioGroup* kivRadioGroup = nullptr;         // "Image Ratio Setting"
    TkivImagePanel* kivImagePanel_Info = nullptr;
    TLabel* Label_ClipName = nullptr;
    TLabel* Label_FrameRate = nullptr;
    TLabel* Label_AudioDuration = nullptr;
    TLabel* Label_VideoDuration = nullptr;
    TLabel* Label_Width = nullptr;
    TLabel* Label_Height = nullptr;
    TLabel* Label_SupportSeek = nullptr;
    TLabel* Label_AudioChannels = nullptr;
    TLabel* Label_VideoChannels = nullptr;
    TLabel* Label_StartPoint = nullptr;
    TLabel* Label_EndPoint = nullptr;
    TLabel* Label_Subtitle = nullptr;
    TkivButton* kivButton_LoadSubtitle = nullptr;    // "Setup Subtitle"
    TLabel* Label_DiscSpace = nullptr;
    TImage* Image_DiscKind = nullptr;                // DVD, SVCD or VCD
    TkivProgressBar* kivProgressBar = nullptr;       // disc space used
    TkivImagePanel* Panel_Progress = nullptr;        // shown while files load
    TLabel* Label_Loading = nullptr;
    TkivProgressBar* kivProgressBar_Loading = nullptr;
    TTimer* Timer = nullptr;

    // --- window state -------------------------------------------------------------
    std::int32_t DiscType = 1;                       // 1 DVD, 2 SVCD, 3 VCD
    bool AddMenu = true;
    std::unique_ptr<TQV_LoadFile> Loader;            // the running probe, or none
    bool Shown = false;                              // loader and tick messages count only while shown
    std::vector<std::string> PendingFiles;           // the files chosen in the open dialog
    std::int32_t PendingCount = 0;
    std::int32_t NextFile = 0;
    std::int32_t FirstNewIndex = 0;                  // length of the clip list before the add
    std::vector<std::string> FailedFiles;
    std::int32_t TickPercent = 0;
    double CurrentPosition = 0;                      // seconds, last play position of the preview
    double PreviewDuration = 0;
    std::int32_t WizardResult = 3;                   // 1 Next, 3 closed another way
    // The selected clip's place in the list, -1 for none; always the place of
    // OldMovieImage while the window is shown.
    std::int32_t SelectedIndex = -1;
    double ChapterInterval = 600;                    // seconds: 600, 900 or 1200

    // --- behaviour ----------------------------------------------------------------
    // Output name of clip i: its name, with "_k" added when earlier clips took it.
    std::string UniqueOutputName(int i) const;
    // Sets the space bar from the clips' lengths; false when they do not fit on
    // the disc and `warn` asked for the warning.
    bool CheckDiscSpace(bool warn);
    // The play bar's picture: a grey line, and the clip's kept span in blue.
    void DrawTrimBar(const TQV_MovieImage* clip);
    void ShowClipInfo(int index);
    void LayoutClips();
    void ClipClick(TQV_MovieImage* clip);
    // The still picture of the clip in the preview, at the shape it is shown at.
    void ShowStill(const TQV_MovieImage& clip);
    void StopPreview();

    void FormShow(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);
    void kivImageButton_AddClick(TObject* Sender);
    void kivImageButton_DeleteClick(TObject* Sender);
    void kivImageButton_UpClick(TObject* Sender);
    void kivImageButton_DownClick(TObject* Sender);
    void kivImageButton_PreviewClick(TObject* Sender);
    void kivImageButton_StopClick(TObject* Sender);
    void kivImageButton_SetBeginClick(TObject* Sender);   // also set end: the sender tells
    void kivImageButton_SavePicClick(TObject* Sender);
    void kivImageButton_ExitClick(TObject* Sender);
    void kivImageButton_MinClick(TObject* Sender);
    // Next, as bound for the task and the kind.
    void kivImageButton_NextToMenuClick(TObject* Sender);        // DVD build with a menu
    void kivImageButton_NextToBuilderClick(TObject* Sender);     // SVCD, VCD, or DVD without a menu
    void kivImageButton_NextToConvertClick(TObject* Sender);     // conversion to SVCD or VCD
    void kivImageButton_BurnClick(TObject* Sender);              // conversion to DVD
    void kivTrackBarMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void kivTrackBarMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void kivTrackBar_ImageChange(TObject* Sender);
    void kivRadioGroupClick(TObject* Sender);
    void kivCheckBoxClick(TObject* Sender);
    void kivCheckBox1Click(TObject* Sender);
    void kivCheckBox_ChapterClick(TObject* Sender);
    void kivComboBox_ChapterIntervalChange(TObject* Sender);
    void kivButton_LoadSubtitleClick(TObject* Sender);

    // 1225 OnLoadFailed, 1226 and 1230 OnLoadReady, 1155 OnGraphTick.
    void WndProc(TMessage& Message) override;

private:
    void OnLoadReady(WPARAM wparam, LPARAM lparam);
    void OnLoadFailed(WPARAM wparam, LPARAM lparam);
    void OnGraphTick(WPARAM state);
    bool FromCurrentLoader(WPARAM wparam) const;
    void LoadNextFile();
    void LoadReport();
    void ForgetLoader();
    void AbandonLoading();
    // Drops the empty slots of the add and takes the clips it loaded into the window.
    void AdoptNewClips();
    void AdoptClip(TQV_MovieImage& clip);
    void AdvanceLoadingBar();
    void SetScrollMaximum();
    TQV_MovieImage* SelectedClip() const;
    void SyncSelection();
    void ScrollToSelection();
    void SetTrimControlsEnabled(bool enabled);
    void ApplyVideoRect();
    void ShowSubtitleLine(const TQV_MovieImage& clip);
    void ShowKindBadge(int kind);
    void SetMenuControlsVisible(bool visible);
    // The convert window made ready for this kind, or nullptr after saying why not.
    ConvertProcessSteps* ReadyConvertWindow(const char* failure);
    void BindNext(void (TQV_Video_DVD_Setup_Source_Clips_Form::*handler)(TObject*));

    bool inNext_ = false;        // a Next handler is running
    HWND loaderRelay_ = nullptr; // the current loader's messages come through here
    bool relayed_ = false;       // the message being handled came through loaderRelay_
    std::unique_ptr<TBitmap> playBar_;   // the play bar's own picture, under the trim lines
};
