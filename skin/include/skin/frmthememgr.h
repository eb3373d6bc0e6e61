#pragma once
// The theme manager's dialog: which of the form's skinned components the
// manager restyles, ticked in a list. Also the editors that hand the theme
// components their files.
#include "vcl/forms.h"
#include "vcl/stdctrls_list.h"

#include <vector>

class TkivButton;
class TkivFileTheme;
class TkivBuiltInFileTheme;
class TkivThemeManager;

// A list box whose items carry a tick box: a click on the box or the space bar toggles it.
class TThemeMgrCheckList : public TCustomListBox {
public:
    explicit TThemeMgrCheckList(TComponent* AOwner);
    bool Checked(int index) const;
    void SetChecked(int index, bool value); // ticks go by position in the list

protected:
    void DrawItem(int Index, TRect Rect, TOwnerDrawState State) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void KeyPress(char& Key) override;

private:
    static constexpr int BoxSize = 13;
    std::vector<bool> checked_;
};

class TfrmMgr : public TForm {
public:
    explicit TfrmMgr(TComponent* AOwner);

    TThemeMgrCheckList* List = nullptr;
    TkivButton* btn_unsel = nullptr;
    TkivButton* btn_sel = nullptr;
    TkivButton* btn_ok = nullptr;

private:
    void CheckAll(bool value);
};

// Lists the manager's form's skinned components, ticks those it restyles and,
// on OK, makes the ticked ones its list (and restyles them). True on OK.
bool ThemeManagerEdit(TkivThemeManager* manager);
// Let the user pick a ".kiv" file for a theme component (a built-in theme takes its bytes).
bool FileThemeEdit(TkivFileTheme* theme);
bool BuiltInFileThemeEdit(TkivBuiltInFileTheme* theme);
