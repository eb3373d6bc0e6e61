#pragma once
// The skinned popup menu: the framework's popup menu with every item drawn in
// the skin's colours (bar strip, selection frame, MacOS pictures, check marks).
#include "skin/kivmenu.h"
#include "skin/kivskinnable.h"

#include "vcl/menus.h"

class TkivPopupMenu : public TPopupMenu, public TkivMenuLook, public ISkinnable {
public:
    explicit TkivPopupMenu(TComponent* AOwner);
    ~TkivPopupMenu() override;

    // Always owner-drawn.
    void SetOwnerDraw(bool) override {}
    // Both heights stay fixed while the style is MacOS.
    void SetMenuItemHeight(int value) override;
    void SetSeparatorHeight(int value) override;

    TkivUIStyle UIStyle() const override { return uiStyle_; }
    void SetUIStyle(TkivUIStyle value) override;
    TkivFileTheme* FileTheme() const override { return fileTheme_; }
    void SetFileTheme(TkivFileTheme* value) override;

    using TMenu::DrawItem;
    using TMenu::MeasureItem;
    void MeasureItem(TMenuItem* item, TCanvas* canvas, int& width, int& height);
    void DrawItem(TMenuItem* item, TCanvas* canvas, const TRect& rect, bool selected);

protected:
    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    // Items added at any time are drawn by the skin like the loaded ones.
    void MenuChanged(TMenuItem* item) override;

private:
    void MenuAdded();
    TkivUIStyle uiStyle_ = DeepBlue;
    TkivFileTheme* fileTheme_ = nullptr;
};
