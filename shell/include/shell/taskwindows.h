#pragma once
// The four tasks of the main window, each a chain of modal windows. The
// chains talk to the windows through TaskWindows, which the windows made at
// start-up provide; a task whose windows are not there is not offered.
#include <string>

enum class TTask { DiscBuilder, Convert, MenuCreator, DiscBurner };

// What the chains ask of the windows, in the windows' own terms.
class TaskWindows {
public:
    virtual ~TaskWindows() = default;
    // True when every window the task chains exists.
    virtual bool Available(TTask task) const = 0;

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

// The windows the start-up made (see startup.h).
TaskWindows& StartupTaskWindows();

// Shown while a task's windows are not part of the program yet.
extern const char* const kTaskNotAvailableText;
