#include "base/taskwindows.h"

#include "vcl/application.h"
#include "vcl/dialogs.h"

const char* const kTaskNotAvailableText = "This task is not available in this version yet.";

void RunDiscBuilderTask(TaskWindows& windows)
{
    const int kind = windows.ChooseDiscKind(0);
    if (kind == 0) return;
    if (!windows.PrepareClipsForm(0, kind) || !windows.InitMenuDesigner(false)) return;
    for (;;) {
        windows.PrepareClipsForm(1, kind);
        if (windows.ShowClipsWizard() != 1) return;
        windows.PassClipsToMenuDesigner();
        if (!windows.InitMenuDesigner(true)) return;
        windows.PassAutoChapters();
        if (windows.ShowMenuDesigner() != 4) return;   // 4: back to the clips, anything else ends
    }
}

void RunConvertTask(TaskWindows& windows)
{
    const int kind = windows.ChooseDiscKind(1);
    if (kind == 0) return;
    if (windows.PrepareClipsForm(0, kind)) windows.ShowClipsForConversion();
}

void RunMenuCreatorTask(TaskWindows& windows)
{
    if (!windows.InitMenuDesigner(false)) return;
    windows.InitMenuDesigner(false);
    windows.ShowMenuDesigner();
}

void RunDiscBurnerTask(TaskWindows& windows)
{
    const int kind = windows.ChooseDiscKind(2);
    if (kind == 0) return;
    windows.InitBurnFileList(kind);
    windows.ShowDiscBurnerSetup();
}

TComponent* FindProgramWindow(const std::string& name)
{
    return Application ? Application->FindComponent(name) : nullptr;
}

void ShowTaskNotAvailable() { MessageDlg(kTaskNotAvailableText, mtInformation, MsgButtons({mbOK})); }

namespace {

template <class Steps>
Steps& Need(const char* name)
{
    if (Steps* steps = FindTaskWindow<Steps>(name)) return *steps;
    throw ETaskWindowMissing(name);
}

// Each step goes to the window that takes it, as the start-up made them.
class TStartupTaskWindows : public TaskWindows {
public:
    int ChooseDiscKind(int selectMode) override
    {
        return Need<DiscKindChoiceSteps>(kSelectWindowName).ChooseDiscKind(selectMode);
    }
    bool PrepareClipsForm(int mode, int kind) override
    {
        return Need<SourceClipsSteps>(kSourceClipsWindowName).PrepareClipsForm(mode, kind);
    }
    bool InitMenuDesigner(bool withClips) override
    {
        // A designer the program does not have yet has nothing to reset: the
        // build goes on to the clips and ends where the designer is needed.
        if (!withClips && !FindTaskWindow<MenuDesignerSteps>(kMenuDesignerWindowName)) return true;
        return Need<MenuDesignerSteps>(kMenuDesignerWindowName).InitMenuDesigner(withClips);
    }
    int ShowClipsWizard() override
    {
        SourceClipsSteps& clips = Need<SourceClipsSteps>(kSourceClipsWindowName);
        if (const MenuDesignerSteps* menu = FindTaskWindow<MenuDesignerSteps>(kMenuDesignerWindowName))
            clips.SetSelectedClipIndex(menu->SelectedClipIndex());
        return clips.ShowClipsWizard();
    }
    void PassClipsToMenuDesigner() override
    {
        const SourceClipsSteps& clips = Need<SourceClipsSteps>(kSourceClipsWindowName);
        MenuDesignerSteps& menu = Need<MenuDesignerSteps>(kMenuDesignerWindowName);
        menu.SetSelectedClipIndex(clips.SelectedClipIndex());
        menu.SetProgressPosition(clips.ProgressPosition());
    }
    void PassAutoChapters() override
    {
        const SourceClipsSteps& clips = Need<SourceClipsSteps>(kSourceClipsWindowName);
        if (clips.AutoChapters())
            Need<MenuDesignerSteps>(kMenuDesignerWindowName).StartAutoChapters(clips.ChapterIntervalSeconds());
    }
    int ShowMenuDesigner() override { return Need<MenuDesignerSteps>(kMenuDesignerWindowName).ShowMenuDesigner(); }
    void ShowClipsForConversion() override { Need<SourceClipsSteps>(kSourceClipsWindowName).ShowClipsForConversion(); }
    void InitBurnFileList(int kind) override
    {
        Need<DiscBurnerSetupSteps>(kDiscBurnerSetupWindowName).InitBurnFileList(kind);
    }
    void ShowDiscBurnerSetup() override
    {
        Need<DiscBurnerSetupSteps>(kDiscBurnerSetupWindowName).ShowDiscBurnerSetup();
    }
};

} // namespace

TaskWindows& StartupTaskWindows()
{
    static TStartupTaskWindows windows;
    return windows;
}
