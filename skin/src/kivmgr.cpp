#include "skin/kivmgr.h"

#include "skin/kivpublic.h"
#include "skin/kivskinnable.h"
#include "skin/kivthemefile.h"

#include "gfx/bitmap.h"
#include "rtl/paths.h"
#include "vcl/forms.h"

#include <unistd.h>

namespace {

std::string ProgramFolder()
{
    std::string path(4096, '\0');
    const ssize_t n = readlink("/proc/self/exe", path.data(), path.size());
    if (n <= 0) return "";
    path.resize(static_cast<std::size_t>(n));
    return ExtractFilePath(path);
}

} // namespace

bool UsingFileTheme(const TkivFileTheme* fileTheme, TkivUIStyle style, TkivUIStyle& suggested)
{
    suggested = style;
    if (style != FromThemeFile) return false;
    if (fileTheme && fileTheme->CanUse()) return true;
    suggested = DeepBlue;
    return false;
}

// ---------------------------------------------------------------------------
TkivFileTheme::TkivFileTheme(TComponent* AOwner) : TComponent(AOwner) {}
TkivFileTheme::~TkivFileTheme() = default;

bool TkivFileTheme::CheckThemeFile(const std::string& name) { return IsKIVThemeFile(name); }

void TkivFileTheme::SetThemeFile(const std::string& name)
{
    if (name == themeFile_) return;
    std::string found;
    if (FileExists(name)) found = name;
    else if (const std::string beside = ProgramFolder() + ExtractFileName(name); FileExists(beside)) found = beside;
    if (found.empty()) return;
    if (!CheckThemeFile(found)) throw EKivThemeFileError(kInvalidSkinFile);
    themeFile_ = found;
    canUse_ = mgr_.LoadFromFile(themeFile_);
    if (canUse_) ThemeLoaded();
}

void TkivFileTheme::ThemeLoaded()
{
    auto* form = dynamic_cast<TCustomForm*>(Owner());
    if (!form) return;
    for (int i = 0; i < form->ComponentCount(); ++i)
        if (auto* skinnable = dynamic_cast<ISkinnable*>(form->Components(i)); skinnable && skinnable->FileTheme() == this)
            skinnable->SetFileTheme(this);
}

void TkivFileTheme::GetBitmap(int item, TBitmap* bitmap, int count, int index) const
{
    if (!bitmap) return;
    if (count != 0 && index != 0) {
        TBitmap whole;
        mgr_.GetBitmap(item, &whole);
        if (!whole.Empty()) SpitBitmap(&whole, bitmap, count, index);
        return;
    }
    mgr_.GetBitmap(item, bitmap);
}

void TkivBuiltInFileTheme::SetSkinData(std::span<const std::uint8_t> data)
{
    mgr_.SetReader(std::make_unique<TkivThemeFileReader>(data));
    canUse_ = true;
    ThemeLoaded();
}

// ---------------------------------------------------------------------------
TkivThemeManager::TkivThemeManager(TComponent* AOwner) : TComponent(AOwner) { SetUIStyle(DeepBlue); }
TkivThemeManager::~TkivThemeManager() = default;

void TkivThemeManager::SetUIStyle(TkivUIStyle style)
{
    const bool changed = style != style_;
    style_ = style;
    UpdateAll();
    if (changed && OnUIStyleChanged) OnUIStyleChanged(this);
}

void TkivThemeManager::SetFileTheme(TkivFileTheme* theme)
{
    KivLinkFileTheme(this, fileTheme_, theme);
    SetUIStyle(style_);
}

void TkivThemeManager::UpdateAll()
{
    auto* form = dynamic_cast<TCustomForm*>(Owner());
    if (!form) return;
    for (int i = 0; i < list_.Count(); ++i)
        if (auto* skinnable = dynamic_cast<ISkinnable*>(form->FindComponent(list_[i]))) {
            skinnable->SetUIStyle(style_);
            skinnable->SetFileTheme(fileTheme_);
        }
}

void TkivThemeManager::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (const int i = list_.IndexOf(AComponent->Name()); i >= 0 && !AComponent->Name().empty()) list_.Delete(i);
    if (KivFileThemeFreed(fileTheme_, AComponent, Operation)) style_ = DeepBlue;
}

void KivLinkFileTheme(TComponent* watcher, TkivFileTheme*& theme, TkivFileTheme* value)
{
    if (theme && theme != value) theme->RemoveFreeNotification(watcher);
    theme = value;
    if (value) value->FreeNotification(watcher);
}

bool KivFileThemeFreed(TkivFileTheme*& theme, TComponent* component, TOperation operation)
{
    if (operation != opRemove || !theme || component != theme) return false;
    theme = nullptr;
    return true;
}
