#pragma once
// The disc builder and the convert window as the windows that open them use
// them: every step is noted in order, Init answers as told, and "showing"
// runs the test's hook.
#include "base/taskwindows.h"

#include "vcl/forms.h"

#include <functional>
#include <string>
#include <vector>

class TFakeRunWindows : public TForm, public DiscBuilderSteps, public ConvertProcessSteps {
public:
    TFakeRunWindows(TComponent* owner, const char* name) : TForm(owner) { SetName(name); }
    bool InitDiscBuilder(int outputType) override { return Note("builder init " + std::to_string(outputType), initOk); }
    void BuildWithoutMenu(int languageIndex) override { Note("builder no menu " + std::to_string(languageIndex)); }
    void BuildWithMenu(int languageIndex) override { Note("builder menu " + std::to_string(languageIndex)); }
    void ShowDiscBuilder() override { Shown("builder show"); }
    bool InitConvertProcess(bool withMenu, int outputType) override
    {
        return Note("convert init " + std::to_string(withMenu) + " " + std::to_string(outputType), initOk);
    }
    void ReleaseRunWorker() override { Note("convert release worker"); }
    void SetWorkingFolderText(const std::string& folder) override { Note("convert folder " + folder); }
    void SetWithMenu(bool withMenu) override { Note("convert menu " + std::to_string(withMenu)); }
    void ShowClipPanels() override { Note("convert panels"); }
    void SetAuthorOnly(int languageIndex) override { Note("convert author only " + std::to_string(languageIndex)); }
    void ShowConvertProcess() override { Shown("convert show"); }

    bool initOk = true;
    std::function<void()> whileShown;   // runs when the window is "shown"
    std::vector<std::string> calls;

private:
    bool Note(const std::string& call, bool answer = true)
    {
        calls.push_back(call);
        return answer;
    }
    void Shown(const std::string& call)
    {
        calls.push_back(call);
        if (whileShown) whileShown();
    }
};
