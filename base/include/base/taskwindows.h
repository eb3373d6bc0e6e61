#pragma once
// The four tasks of the main window, each a chain of modal windows. The
// chains talk to the windows through TaskWindows. The program's own
// TaskWindows (StartupTaskWindows) finds each window among the application's
// by its name and uses it through the steps below that the window's class
// implements. A step whose window is not part of the program yet raises
// ETaskWindowMissing: the chain ends there, the main window comes back and
// says that this is not available yet.
//
// Bringing a window into the chains: its class implements its steps below,
// and the program's start-up makes it under its name.
#include "rtl/sysutils.h"
#include "vcl/components.h"

#include <cstdint>
#include <string>
#include <vector>

class TFont;

enum class TTask { DiscBuilder, Convert, MenuCreator, DiscBurner };

// What the chains ask of the windows, in the windows' own terms.
class TaskWindows {
public:
    virtual ~TaskWindows() = default;

    // The disc-kind choice shown modally in the mode (0 build, 1 convert, 2 burn);
    // answers the kind chosen: 1 DVD, 2 SVCD, 3 VCD, or 0 when closed without a choice.
    virtual int ChooseDiscKind(int selectMode) = 0;
    // The clips window made ready: mode 0 a new list, 1 going on with the clips it has.
    virtual bool PrepareClipsForm(int mode, int kind) = 0;
    // The menu designer reset, without clips or turning the clips into title buttons.
    virtual bool InitMenuDesigner(bool withClips) = 0;
    // The clips window takes the menu designer's selected clip and is shown modally;
    // answers its wizard result (1 Next).
    virtual int ShowClipsWizard() = 0;
    // The menu designer takes back the selected clip and the clips window's progress position.
    virtual void PassClipsToMenuDesigner() = 0;
    // When the clips window asks for automatic chapters: the menu designer's timer
    // enabled and the chapter interval (seconds) handed over.
    virtual void PassAutoChapters() = 0;
    // The menu designer shown modally; answers its modal result (1 done, 4 back to the clips).
    virtual int ShowMenuDesigner() = 0;
    // The clips window shown modally for a conversion (its Burn button goes on to the convert window).
    virtual void ShowClipsForConversion() = 0;
    // The burner's file list made ready for the kind, and the disc-burner setup shown modally.
    virtual void InitBurnFileList(int kind) = 0;
    virtual void ShowDiscBurnerSetup() = 0;
};

// The chains (the main window hides itself around them).
void RunDiscBuilderTask(TaskWindows& windows);
void RunConvertTask(TaskWindows& windows);
void RunMenuCreatorTask(TaskWindows& windows);
void RunDiscBurnerTask(TaskWindows& windows);

// The windows the start-up made.
TaskWindows& StartupTaskWindows();

// --- the windows' steps --------------------------------------------------------

// The names the chains find the windows by (their globals' names).
constexpr const char* kSelectWindowName = "QV_Video_DVD_Select_Form";
constexpr const char* kSourceClipsWindowName = "QV_Video_DVD_Setup_Source_Clips_Form";
constexpr const char* kMenuDesignerWindowName = "QV_Video_DVD_Setup_DVD_Menu_Form";
constexpr const char* kDiscBurnerSetupWindowName = "QV_Video_DVD_Setup_Disc_Burner_Form";
constexpr const char* kClipPropertyWindowName = "QV_Video_DVD_Clip_Property_Form";
constexpr const char* kDiscBuilderWindowName = "QV_Video_DVD_Disc_Builder_Form";
constexpr const char* kConvertProcessWindowName = "QV_Video_DVD_Convert_Process_Form";
constexpr const char* kSubtitlePropertyWindowName = "QV_Video_DVD_Subtitle_Property_Form";
constexpr const char* kSetupChapterWindowName = "QV_Video_DVD_Setup_Chapter_Form";

// The disc-kind choice.
class DiscKindChoiceSteps {
public:
    virtual ~DiscKindChoiceSteps() = default;
    virtual int ChooseDiscKind(int selectMode) = 0;
};

// The source clips window.
class SourceClipsSteps {
public:
    virtual ~SourceClipsSteps() = default;
    virtual bool PrepareClipsForm(int mode, int kind) = 0;
    // Its SelectedIndex: the selected clip, -1 when none.
    virtual int SelectedClipIndex() const = 0;
    virtual void SetSelectedClipIndex(int index) = 0;
    // Shown modally as a page of the disc-build wizard; answers its WizardResult.
    virtual int ShowClipsWizard() = 0;
    virtual void ShowClipsForConversion() = 0;
    virtual int ProgressPosition() const = 0;       // its disc-space bar
    virtual bool AutoChapters() const = 0;          // automatic chapters asked for
    virtual double ChapterIntervalSeconds() const = 0;
};

// The DVD menu designer.
class MenuDesignerSteps {
public:
    virtual ~MenuDesignerSteps() = default;
    virtual bool InitMenuDesigner(bool withClips) = 0;
    virtual int SelectedClipIndex() const = 0;
    virtual void SetSelectedClipIndex(int index) = 0;
    virtual void SetProgressPosition(int position) = 0;
    // The chapter interval (seconds) handed over and the timer enabled.
    virtual void StartAutoChapters(double interval) = 0;
    virtual int ShowMenuDesigner() = 0;
};

// The disc builder, as the clips window and the menu designer open it.
class DiscBuilderSteps {
public:
    virtual ~DiscBuilderSteps() = default;
    // Made ready for a run of the output type (1 DVD, 2 SVCD, 3 VCD); false when
    // the burning system cannot be set up.
    virtual bool InitDiscBuilder(int outputType) = 0;
    // The run goes without a menu, its disc in the language region given.
    virtual void BuildWithoutMenu(int languageIndex) = 0;
    // The run takes the menus the designer wrote, its audio in the language region given.
    virtual void BuildWithMenu(int languageIndex) = 0;
    virtual void ShowDiscBuilder() = 0;
};

// The conversion window, as the clips window and the menu designer open it.
class ConvertProcessSteps {
public:
    virtual ~ConvertProcessSteps() = default;
    virtual bool InitConvertProcess(bool withMenu, int outputType) = 0;
    // A multiplex/author worker left from an earlier run is let go: its job is
    // cancelled and no message of it reaches a window again.
    virtual void ReleaseRunWorker() = 0;
    virtual void SetWorkingFolderText(const std::string& folder) = 0;
    virtual void SetWithMenu(bool withMenu) = 0;
    // The panels a menu-only run hides are shown.
    virtual void ShowClipPanels() = 0;
    // The menu designer's run: the clips are finished VOB files, nothing is
    // encoded, and the run makes the title menu and the DVD folder, its menus
    // in the language region given. The encoder choice is hidden.
    virtual void SetAuthorOnly(int menuLanguageIndex) = 0;
    virtual void ShowConvertProcess() = 0;
};

class TQV_MovieImage;

// The subtitle dialog for one clip.
class SubtitlePropertySteps {
public:
    virtual ~SubtitlePropertySteps() = default;
    // False for no clip.
    virtual bool PrepareSubtitleDialog(TQV_MovieImage* clip, int discType) = 0;
    virtual void ShowSubtitleDialog() = 0;
};

// The disc-burner setup.
class DiscBurnerSetupSteps {
public:
    virtual ~DiscBurnerSetupSteps() = default;
    virtual void InitBurnFileList(int kind) = 0;
    virtual void ShowDiscBurnerSetup() = 0;
};

// The clip property dialog, as the menu designer uses it: prepared, shown,
// read, and its preview closed in every case.
class ClipPropertySteps {
public:
    virtual ~ClipPropertySteps() = default;
    // The clip's preview opened paused at its StartPoint; false when it cannot be.
    virtual bool OpenClipPreview(int clipIndex) = 0;
    virtual bool ClosePreview() = 0;
    // True for a text (font controls), false for a moment of the clip alone.
    virtual void ShowTextControls(bool show) = 0;
    // The text's font and wording put in, and taken back after OK.
    virtual void SetFontControls(const TFont& font, const std::string& text) = 0;
    virtual std::string GetFontControls(TFont& font) = 0;
    // Shown modally; answers its modal result (1 OK, 2 cancelled or closed).
    virtual int ShowClipProperty() = 0;
    // The moment picked, in seconds on the clip's own time line (StartPoint
    // when the bar was not touched).
    virtual double PickedTime() const = 0;
};

// The chapter setup dialog, as the menu designer uses it.
class ChapterSetupSteps {
public:
    virtual ~ChapterSetupSteps() = default;
    // The chapter times of title `clipIndex` (MyDVDChapter) loaded for editing.
    virtual void LoadClipChapters(int clipIndex) = 0;
    // Shown modally; answers its modal result (1 OK, 2 cancelled or closed).
    virtual int ShowChapterSetup() = 0;
    // The edited chapter points as times on the clip's own time line (the one
    // StartPoint uses), ascending, the title's start first, at most 12.
    virtual std::vector<double> ChapterPoints() const = 0;
};

// The application's window of that name, nullptr when it has none.
TComponent* FindProgramWindow(const std::string& name);
// The window of that name as the steps `Steps`; nullptr while the program has
// no such window (windows reached from inside other windows are found the same way).
template <class Steps>
Steps* FindTaskWindow(const std::string& name)
{
    return dynamic_cast<Steps*>(FindProgramWindow(name));
}

// A step's window is not part of the program yet.
class ETaskWindowMissing : public Exception {
public:
    explicit ETaskWindowMissing(const std::string& windowName)
        : Exception(windowName + " is not part of the program yet") {}
};

// The box standing in for a window that is not part of the program yet.
extern const char* const kTaskNotAvailableText;
void ShowTaskNotAvailable();
