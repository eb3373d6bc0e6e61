#pragma once
// Message dialogs and the common dialogs (open, save, folder, font, colour).
// The dialogs ask a provider: the Qt backend installs one over Qt's own
// dialogs; otherwise (headless) they answer from a script set by tests.
#include "gfx/graphics.h"
#include "rtl/classes.h"
#include "vcl/components.h"
#include "vcl/forms.h"

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// --- message dialogs --------------------------------------------------------
enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn { mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbHelp };
using TMsgDlgButtons = unsigned; // bits 1 << TMsgDlgBtn
constexpr TMsgDlgButtons MsgButtons(std::initializer_list<TMsgDlgBtn> list)
{
    unsigned bits = 0;
    for (TMsgDlgBtn b : list) bits |= 1u << b;
    return bits;
}
constexpr TMsgDlgButtons mbYesNoCancel = (1u << mbYes) | (1u << mbNo) | (1u << mbCancel);
constexpr TMsgDlgButtons mbOKCancel = (1u << mbOK) | (1u << mbCancel);
constexpr TMsgDlgButtons mbAbortRetryIgnore = (1u << mbAbort) | (1u << mbRetry) | (1u << mbIgnore);

// "Warning", "Error", "Information", "Confirm"; the application's title for mtCustom.
std::string MsgDlgCaption(TMsgDlgType type);
// The message-box flags a dialog of this kind and these buttons is shown with.
unsigned MsgDlgFlags(TMsgDlgType type, TMsgDlgButtons buttons);
// Shows the text exactly as given; answers mrOk, mrYes, mrNo, mrCancel...
TModalResult MessageDlg(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx = 0);
void ShowMessage(const std::string& Msg);

// --- the provider --------------------------------------------------------------
// One "Text|*.a;*.b" pair of a filter.
struct TFileFilter {
    std::string Text;
    std::vector<std::string> Masks;
};
// Splits "Text|*.ext;*.ext2|Text2|*.x" into pairs; a trailing text without masks is dropped.
std::vector<TFileFilter> ParseFileFilter(const std::string& filter);
// True when the file name matches one of the filter's masks, ignoring case.
bool FilterMatches(const TFileFilter& filter, const std::string& fileName);

struct TFileDialogRequest {
    bool Save = false;
    std::string Title;
    std::string InitialDir;
    std::string FileName;
    std::string DefaultExt;
    std::vector<TFileFilter> Filters;
    int FilterIndex = 1;     // from 1
    bool MultiSelect = false;
    bool MustExist = false;
};
struct TFileDialogAnswer {
    std::vector<std::string> Files;
    int FilterIndex = 1;
};
// What a folder dialog tells its caller while it runs (each may be empty).
struct TFolderDialogEvents {
    std::function<void()> Opened;                                   // the dialog is up
    std::function<void(const std::string& folder)> SelectionChanged; // the user picked another folder
};

class TDialogProvider {
public:
    virtual ~TDialogProvider() = default;
    virtual bool FileDialog(const TFileDialogRequest& request, TFileDialogAnswer& answer) = 0;
    // `folder` is where the dialog starts and, on OK, the chosen folder.
    virtual bool FolderDialog(const std::string& title, std::string& folder, const TFolderDialogEvents& events) = 0;
    virtual bool FontDialog(TFont& font) = 0;
    virtual bool ColorDialog(TColor& color, std::vector<TColor>& customColors) = 0;
};

// The dialogs' provider: the one installed for the running backend, else the scripted one.
TDialogProvider& DialogProvider();
// Installs a provider used while the backend of that name is current (nullptr removes it).
void InstallDialogProvider(const std::string& backendName, std::unique_ptr<TDialogProvider> provider);

// Answers from a script, in order; a dialog without an answer is cancelled and recorded.
class TScriptedDialogs : public TDialogProvider {
public:
    void AnswerFiles(std::vector<std::string> files, int filterIndex = 0); // 0: keep the request's
    // The dialog opens, selects the folder (when not empty) and is accepted.
    void AnswerFolder(const std::string& folder);
    void AnswerFont(const TFont& font);
    void AnswerColor(TColor color);
    void CancelNext();
    struct Request {
        std::string kind;              // "open", "save", "folder", "font", "color"
        std::string title;
        TFileDialogRequest file;       // for "open" and "save"
        TColor color = 0;              // for "color": the colour and custom colours it opened with
        std::vector<TColor> customColors;
    };
    const std::vector<Request>& Requests() const { return requests_; }
    std::vector<std::string> Unscripted() const { return unscripted_; }
    void Reset();

    bool FileDialog(const TFileDialogRequest& request, TFileDialogAnswer& answer) override;
    bool FolderDialog(const std::string& title, std::string& folder, const TFolderDialogEvents& events) override;
    bool FontDialog(TFont& font) override;
    bool ColorDialog(TColor& color, std::vector<TColor>& customColors) override;

private:
    struct Answer {
        std::string kind;              // as Request::kind ("open" also answers "save"), "" = cancel
        std::vector<std::string> files;
        int filterIndex = 0;
        std::string folder;
        std::shared_ptr<TFont> font;
        TColor color = 0;
    };
    bool Take(const std::string& kind, Answer& a);
    std::deque<Answer> answers_;
    std::vector<Request> requests_;
    std::vector<std::string> unscripted_;
};
// The scripted provider (always there; in use unless the backend has its own).
TScriptedDialogs& ScriptedDialogs();

// --- the dialog components --------------------------------------------------------
using TOpenOptions = unsigned;
enum : unsigned {
    ofReadOnly = 1u << 0, ofOverwritePrompt = 1u << 1, ofHideReadOnly = 1u << 2, ofAllowMultiSelect = 1u << 9,
    ofPathMustExist = 1u << 11, ofFileMustExist = 1u << 12, ofEnableSizing = 1u << 20,
};

class TCommonDialog : public TComponent {
public:
    explicit TCommonDialog(TComponent* AOwner) : TComponent(AOwner) {}
    virtual bool Execute() = 0;
    TNotifyEvent OnShow;
    TNotifyEvent OnClose;
};

class TOpenDialog : public TCommonDialog {
public:
    explicit TOpenDialog(TComponent* AOwner);
    ~TOpenDialog() override;
    bool Execute() override;

    std::string Filter;
    int FilterIndex = 1;          // from 1; set to the user's choice on OK
    std::string FileName;         // the first chosen file on OK
    std::string InitialDir;
    std::string Title;
    std::string DefaultExt;       // without the dot; added to a save name without extension
    TOpenOptions Options = ofHideReadOnly | ofEnableSizing;
    // Every chosen file, in order (one without ofAllowMultiSelect).
    TStrings* Files() { return files_.get(); }

protected:
    virtual bool IsSave() const { return false; }

private:
    std::unique_ptr<TStringList> files_;
};

class TSaveDialog : public TOpenDialog {
public:
    explicit TSaveDialog(TComponent* AOwner) : TOpenDialog(AOwner) {}

protected:
    bool IsSave() const override { return true; }
};

class TFontDialog : public TCommonDialog {
public:
    explicit TFontDialog(TComponent* AOwner);
    bool Execute() override;
    TFont* Font() { return &font_; }
    void SetFont(const TFont& f) { font_.Assign(f); }

private:
    TFont font_;
};

class TColorDialog : public TCommonDialog {
public:
    explicit TColorDialog(TComponent* AOwner);
    ~TColorDialog() override;
    bool Execute() override;
    TColor Color = clBlack;
    // "ColorA=00BBGGRR" ... "ColorP=..." lines, hex colour values.
    TStrings* CustomColors() { return custom_.get(); }

private:
    std::unique_ptr<TStringList> custom_;
};

// The folder chooser: true with the chosen folder in Directory; false leaves it alone.
bool SelectDirectory(const std::string& Caption, const std::string& Root, std::string& Directory);
