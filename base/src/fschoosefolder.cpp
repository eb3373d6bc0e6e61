#include "base/fschoosefolder.h"

#include "rtl/paths.h"
#include "rtl/sysutils.h"
#include "vcl/controls.h"
#include "vcl/dialogs.h"

TfsChooseFolder::TfsChooseFolder(TComponent* AOwner) : TComponent(AOwner) {}

TfsChooseFolder::~TfsChooseFolder() = default;

void TfsChooseFolder::SetNewUI(bool value)
{
    if (value != newUI_) {
        newUI_ = value;
        if (!value) showStatus_ = false;
    }
    if (value) {
        onlyComputer_ = false;
        noNetWork_ = false;
    }
}

void TfsChooseFolder::SetShowStatus(bool value)
{
    showStatus_ = value;
    if (value) SetNewUI(true);
}

void TfsChooseFolder::SetNoNetWork(bool value)
{
    noNetWork_ = value;
    if (value) SetNewUI(false);
}

void TfsChooseFolder::SetOnlyComputer(bool value)
{
    onlyComputer_ = value;
    if (value) SetNewUI(false);
}

void TfsChooseFolder::SetHandleCallBack(bool value)
{
    handleCallBack_ = value;
    if (value) SetNewUI(true);
}

void TfsChooseFolder::CallBack(UINT message, LPARAM lParam)
{
    if (OnCallBack && handleCallBack_) OnCallBack(nullptr, message, 0, lParam);
}

bool TfsChooseFolder::Execute()
{
    if (!dynamic_cast<TWinControl*>(Owner())) throw Exception("Component has no parent.");
    // The dialog reports to the chooser running it, however many there are.
    TFolderDialogEvents events;
    events.Opened = [this] { CallBack(BFFM_INITIALIZED, 0); };
    events.SelectionChanged = [this](const std::string& folder) {
        CallBack(BFFM_SELCHANGED, reinterpret_cast<LPARAM>(folder.c_str()));
    };
    std::string chosen;
    if (!DialogProvider().FolderDialog(title_, chosen, events)) return false;
    // Something without a place on disk is no answer; callers add the separator.
    chosen = ExcludeTrailingPathDelimiter(chosen);
    if (chosen.empty()) return false;
    FolderName = chosen;
    DisplayName = chosen == "/" ? chosen : ExtractFileName(chosen);
    return true;
}
