#pragma once
// The folder chooser placed on the convert, disc-builder and burner windows:
// a non-visual component that asks the user for a folder through the folder
// dialog. The shell's browse flags are kept as properties with their rules,
// though the dialog here has one look for all of them.
#include "vcl/components.h"
#include "win32/messages.h"

#include <functional>
#include <string>

// Callback messages of a running dialog: it is up (lParam 0), and the
// selection changed (lParam points at the selected folder's path, a
// zero-ended text valid for the call).
constexpr UINT BFFM_INITIALIZED = 1;
constexpr UINT BFFM_SELCHANGED = 2;

// (window, message, lpData, lParam). The dialog is not one of the program's
// windows, so window is 0; lpData is 0.
using TfsCallBackEvent = std::function<void(HWND Wnd, UINT Msg, LPARAM lpData, LPARAM lParam)>;

class TfsChooseFolder : public TComponent {
public:
    explicit TfsChooseFolder(TComponent* AOwner);
    ~TfsChooseFolder() override;

    // Asks for a folder. The owner must be a windowed control, else
    // Exception "Component has no parent.". True with FolderName (no trailing
    // separator) and DisplayName set; false on cancel or when nothing usable
    // was chosen, with both left as they were.
    bool Execute();

    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& value) { title_ = value; }
    // The flags hang together: NewUI on turns OnlyComputer and NoNetWork off,
    // NewUI turned off takes ShowStatus with it; OnlyComputer or NoNetWork on
    // turn NewUI off; ShowStatus or HandleCallBack on turn NewUI on.
    bool NewUI() const { return newUI_; }
    void SetNewUI(bool value);
    bool ShowStatus() const { return showStatus_; }
    void SetShowStatus(bool value);
    bool NoNetWork() const { return noNetWork_; }
    void SetNoNetWork(bool value);
    bool OnlyComputer() const { return onlyComputer_; }
    void SetOnlyComputer(bool value);
    bool HandleCallBack() const { return handleCallBack_; }
    void SetHandleCallBack(bool value);

    std::string FolderName;     // the chosen folder's full path
    std::string DisplayName;    // its last component
    // Called for each callback message while HandleCallBack is set.
    TfsCallBackEvent OnCallBack;

private:
    void CallBack(UINT message, LPARAM lParam);

    std::string title_;
    bool newUI_ = false;
    bool showStatus_ = false;
    bool noNetWork_ = false;
    bool onlyComputer_ = false;
    bool handleCallBack_ = false;
};
