#include "shell/taskwindows.h"

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

namespace {

// The windows of the tasks join the start-up list as they are built; until
// then no task is offered.
class TStartupTaskWindows : public TaskWindows {
public:
    bool Available(TTask) const override { return false; }
    int ChooseDiscKind(int) override { return 0; }
    bool PrepareClipsForm(int, int) override { return false; }
    bool InitMenuDesigner(bool) override { return false; }
    int ShowClipsWizard() override { return 0; }
    void PassClipsToMenuDesigner() override {}
    void PassAutoChapters() override {}
    int ShowMenuDesigner() override { return 0; }
    void ShowClipsForConversion() override {}
    void InitBurnFileList(int) override {}
    void ShowDiscBurnerSetup() override {}
};

} // namespace

TaskWindows& StartupTaskWindows()
{
    static TStartupTaskWindows windows;
    return windows;
}
