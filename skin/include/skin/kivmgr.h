#pragma once
// Theme components: a theme file on disk or carried in memory, the rule by
// which controls choose between it and the built-in tables, and the manager
// that pushes one style and file theme into a list of controls.
#include "skin/kivthemes.h"

#include "rtl/classes.h"
#include "vcl/components.h"

#include <cstdint>
#include <span>

class TBitmap;

class TkivFileTheme : public TComponent {
public:
    explicit TkivFileTheme(TComponent* AOwner);
    ~TkivFileTheme() override;

    bool CanUse() const { return canUse_; }
    const std::string& ThemeFile() const { return themeFile_; }
    static bool CheckThemeFile(const std::string& name);
    // Looks for the file as named, then beside the program; a file found nowhere
    // is ignored; one failing the format test raises "Invalid skin file for Kivarna!".
    void SetThemeFile(const std::string& name);
    void GetBitmap(int item, TBitmap* bitmap, int count = 0, int index = 0) const;
    bool GetBool(int item) const { return mgr_.GetBool(item); }
    int GetColor(int item) const { return mgr_.GetColor(item); }
    int GetInt(int item) const { return mgr_.GetInt(item); }

protected:
    // A loaded theme makes every skinned component of the form that uses it reload.
    void ThemeLoaded();
    TkivFileThemeMgr mgr_;
    bool canUse_ = false;
    std::string themeFile_;
};

// A theme file's bytes kept with the form; loaded from memory, never through a temporary file.
class TkivBuiltInFileTheme : public TkivFileTheme {
public:
    using TkivFileTheme::TkivFileTheme;
    void SetSkinData(std::span<const std::uint8_t> data);
};

// Answers whether the control draws from the file theme; `suggested` is the
// built-in style to use otherwise (DeepBlue in place of FromThemeFile).
bool UsingFileTheme(const TkivFileTheme* fileTheme, TkivUIStyle style, TkivUIStyle& suggested);

class TkivThemeManager : public TComponent {
public:
    explicit TkivThemeManager(TComponent* AOwner);
    ~TkivThemeManager() override;

    TkivUIStyle UIStyle() const { return style_; }
    void SetUIStyle(TkivUIStyle style);
    TkivFileTheme* FileTheme() const { return fileTheme_; }
    void SetFileTheme(TkivFileTheme* theme);
    TStringList& CompList() { return list_; }
    void SetList(const TStrings& names) { list_.Assign(names); }
    // Every named component of the owner form gets the style and file theme.
    void UpdateAll();
    void UpdateTheme() { UpdateAll(); }

    TNotifyEvent OnUIStyleChanged;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    TkivUIStyle style_ = DeepBlue;
    TkivFileTheme* fileTheme_ = nullptr;
    TStringList list_;
};
