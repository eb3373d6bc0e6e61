#include "vcl/dialogs.h"

#include "rtl/paths.h"
#include "vcl/application.h"

#include <map>

// --- message dialogs ----------------------------------------------------------
std::string MsgDlgCaption(TMsgDlgType type)
{
    switch (type) {
    case mtWarning: return "Warning";
    case mtError: return "Error";
    case mtInformation: return "Information";
    case mtConfirmation: return "Confirm";
    default: return Application ? Application->Title() : std::string();
    }
}

unsigned MsgDlgFlags(TMsgDlgType type, TMsgDlgButtons b)
{
    unsigned icon = 0;
    switch (type) {
    case mtWarning: icon = MB_ICONWARNING; break;
    case mtError: icon = MB_ICONERROR; break;
    case mtInformation: icon = MB_ICONINFORMATION; break;
    case mtConfirmation: icon = MB_ICONQUESTION; break;
    default: break;
    }
    auto has = [b](TMsgDlgBtn x) { return (b & (1u << x)) != 0; };
    // Sets beyond the platform's boxes keep their Yes/No/Cancel core (All and Help are dropped).
    unsigned set = MB_OK;
    if (has(mbAbort) || (has(mbRetry) && has(mbIgnore))) set = MB_ABORTRETRYIGNORE;
    else if (has(mbYes) || has(mbNo) || has(mbYesToAll) || has(mbNoToAll)) set = has(mbCancel) ? MB_YESNOCANCEL : MB_YESNO;
    else if (has(mbRetry)) set = MB_RETRYCANCEL;
    else if (has(mbCancel)) set = MB_OKCANCEL;
    return set | icon;
}

TModalResult MessageDlg(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int)
{
    if (!Application) return mrCancel;
    // The box answers IDOK..IDNO, which number the same as mrOk..mrNo.
    return Application->MessageBox(Msg, MsgDlgCaption(DlgType), MsgDlgFlags(DlgType, Buttons));
}

void ShowMessage(const std::string& Msg)
{
    if (Application) Application->MessageBox(Msg, Application->Title(), MB_OK);
}

// --- filters ------------------------------------------------------------------------
std::vector<TFileFilter> ParseFileFilter(const std::string& filter)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= filter.size()) {
        std::size_t bar = filter.find('|', start);
        if (bar == std::string::npos) {
            parts.push_back(filter.substr(start));
            break;
        }
        parts.push_back(filter.substr(start, bar - start));
        start = bar + 1;
    }
    std::vector<TFileFilter> out;
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
        TFileFilter f;
        f.Text = parts[i];
        std::size_t s = 0;
        const std::string& masks = parts[i + 1];
        while (s <= masks.size()) {
            std::size_t semi = masks.find(';', s);
            std::string m = Trim(masks.substr(s, semi == std::string::npos ? std::string::npos : semi - s));
            if (!m.empty()) f.Masks.push_back(m);
            if (semi == std::string::npos) break;
            s = semi + 1;
        }
        out.push_back(std::move(f));
    }
    return out;
}

bool FilterMatches(const TFileFilter& filter, const std::string& fileName)
{
    std::string name = ExtractFileName(fileName);
    for (const std::string& m : filter.Masks)
        if (MatchesMask(name, m)) return true;
    return false;
}

// --- providers ----------------------------------------------------------------------
namespace {
std::map<std::string, std::unique_ptr<TDialogProvider>>& Providers()
{
    static std::map<std::string, std::unique_ptr<TDialogProvider>> map;
    return map;
}
} // namespace

TScriptedDialogs& ScriptedDialogs()
{
    static TScriptedDialogs scripted;
    return scripted;
}

void InstallDialogProvider(const std::string& backendName, std::unique_ptr<TDialogProvider> provider)
{
    if (provider) Providers()[backendName] = std::move(provider);
    else Providers().erase(backendName);
}

TDialogProvider& DialogProvider()
{
    auto& map = Providers();
    auto it = map.find(CurrentBackend().Name());
    return it != map.end() ? *it->second : ScriptedDialogs();
}

void TScriptedDialogs::AnswerFiles(std::vector<std::string> files, int filterIndex)
{
    Answer a;
    a.kind = "open";
    a.files = std::move(files);
    a.filterIndex = filterIndex;
    answers_.push_back(std::move(a));
}

void TScriptedDialogs::AnswerFolder(const std::string& folder)
{
    Answer a;
    a.kind = "folder";
    a.folder = folder;
    answers_.push_back(std::move(a));
}

void TScriptedDialogs::AnswerFont(const TFont& font)
{
    Answer a;
    a.kind = "font";
    a.font = std::make_shared<TFont>();
    a.font->Assign(font);
    answers_.push_back(std::move(a));
}

void TScriptedDialogs::AnswerColor(TColor color)
{
    Answer a;
    a.kind = "color";
    a.color = color;
    answers_.push_back(std::move(a));
}

void TScriptedDialogs::CancelNext() { answers_.push_back(Answer{}); }

void TScriptedDialogs::Reset()
{
    answers_.clear();
    requests_.clear();
    unscripted_.clear();
}

bool TScriptedDialogs::Take(const std::string& kind, Answer& a)
{
    if (answers_.empty()) {
        unscripted_.push_back(kind);
        return false;
    }
    a = std::move(answers_.front());
    answers_.pop_front();
    if (a.kind.empty()) return false; // scripted cancel
    bool fits = a.kind == kind || (a.kind == "open" && kind == "save");
    if (!fits) throw EInvalidOperation("Scripted " + a.kind + " answer given to a " + kind + " dialog");
    return true;
}

bool TScriptedDialogs::FileDialog(const TFileDialogRequest& request, TFileDialogAnswer& answer)
{
    std::string kind = request.Save ? "save" : "open";
    requests_.push_back({kind, request.Title, request, 0, {}});
    Answer a;
    if (!Take(kind, a)) return false;
    answer.Files = a.files;
    if (!request.MultiSelect && answer.Files.size() > 1) answer.Files.resize(1);
    answer.FilterIndex = a.filterIndex > 0 ? a.filterIndex : request.FilterIndex;
    return !answer.Files.empty();
}

bool TScriptedDialogs::FolderDialog(const std::string& title, std::string& folder, const TFolderDialogEvents& events)
{
    requests_.push_back({"folder", title, {}, 0, {}});
    if (events.Opened) events.Opened();
    Answer a;
    if (!Take("folder", a)) return false;
    if (!a.folder.empty() && events.SelectionChanged) events.SelectionChanged(a.folder);
    folder = a.folder;
    return true;
}

bool TScriptedDialogs::FontDialog(TFont& font)
{
    requests_.push_back({"font", "", {}, 0, {}});
    Answer a;
    if (!Take("font", a) || !a.font) return false;
    font.Assign(*a.font);
    return true;
}

bool TScriptedDialogs::ColorDialog(TColor& color, std::vector<TColor>& customColors)
{
    requests_.push_back({"color", "", {}, color, customColors});
    Answer a;
    if (!Take("color", a)) return false;
    color = a.color;
    return true;
}

// --- components -----------------------------------------------------------------------
TOpenDialog::TOpenDialog(TComponent* AOwner) : TCommonDialog(AOwner), files_(std::make_unique<TStringList>()) {}
TOpenDialog::~TOpenDialog() = default;

bool TOpenDialog::Execute()
{
    TFileDialogRequest req;
    req.Save = IsSave();
    req.Title = Title;
    req.InitialDir = InitialDir;
    req.FileName = FileName;
    req.DefaultExt = DefaultExt;
    req.Filters = ParseFileFilter(Filter);
    req.FilterIndex = FilterIndex < 1 ? 1 : FilterIndex;
    if (!req.Filters.empty() && req.FilterIndex > static_cast<int>(req.Filters.size())) req.FilterIndex = 1;
    req.MultiSelect = !req.Save && (Options & ofAllowMultiSelect);
    req.MustExist = (Options & ofFileMustExist) != 0;
    if (OnShow) OnShow(this);
    TFileDialogAnswer answer;
    bool ok = DialogProvider().FileDialog(req, answer);
    if (OnClose) OnClose(this);
    if (!ok || answer.Files.empty()) return false; // a cancelled dialog changes nothing
    if (req.Save && !DefaultExt.empty()) {
        for (auto& f : answer.Files)
            if (ExtractFileExt(f).empty()) f += "." + DefaultExt;
    }
    files_->Clear();
    for (const auto& f : answer.Files) files_->Add(f);
    FileName = answer.Files.front();
    FilterIndex = answer.FilterIndex;
    return true;
}

TFontDialog::TFontDialog(TComponent* AOwner) : TCommonDialog(AOwner) {}

bool TFontDialog::Execute()
{
    TFont chosen;
    chosen.Assign(font_);
    if (OnShow) OnShow(this);
    bool ok = DialogProvider().FontDialog(chosen);
    if (OnClose) OnClose(this);
    if (ok) font_.Assign(chosen);
    return ok;
}

TColorDialog::TColorDialog(TComponent* AOwner) : TCommonDialog(AOwner), custom_(std::make_unique<TStringList>()) {}
TColorDialog::~TColorDialog() = default;

bool TColorDialog::Execute()
{
    // Custom colours travel as "ColorA".."ColorP" = hex values.
    std::vector<TColor> custom(16, clWhite);
    for (int i = 0; i < 16; ++i) {
        std::string v = custom_->Values(std::string("Color") + static_cast<char>('A' + i));
        if (v.empty()) continue;
        try {
            custom[static_cast<std::size_t>(i)] = static_cast<TColor>(std::stoul(v, nullptr, 16));
        } catch (...) {
            // A malformed entry keeps white.
        }
    }
    TColor c = Color;
    if (OnShow) OnShow(this);
    bool ok = DialogProvider().ColorDialog(c, custom);
    if (OnClose) OnClose(this);
    if (!ok) return false;
    Color = c;
    for (int i = 0; i < 16 && i < static_cast<int>(custom.size()); ++i)
        custom_->SetValue(std::string("Color") + static_cast<char>('A' + i),
                          Format("%.8x", static_cast<unsigned>(custom[static_cast<std::size_t>(i)])));
    return true;
}

bool SelectDirectory(const std::string& Caption, const std::string& Root, std::string& Directory)
{
    std::string folder = Directory.empty() ? Root : Directory;
    if (!DialogProvider().FolderDialog(Caption, folder, {}) || folder.empty()) return false;
    Directory = folder;
    return true;
}
