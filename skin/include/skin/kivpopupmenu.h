#pragma once
// The skinned popup menu: the framework's popup menu with every item drawn in
// the skin's colours (bar strip, selection frame, MacOS pictures, check marks).
#include "skin/kivmenu.h"

#include "vcl/menus.h"

class TkivPopupMenu : public TPopupMenu, public TkivMenuLook {
public:
    explicit TkivPopupMenu(TComponent* AOwner);
    ~TkivPopupMenu() override;

    // Always owner-drawn.
    void SetOwnerDraw(bool) override {}
    // Both heights stay fixed while the style is MacOS.
    void SetMenuItemHeight(int value) override;
    void SetSeparatorHeight(int value) override;

    using TMenu::DrawItem;
    using TMenu::MeasureItem;
    using TkivMenuLook::DrawItem;
    using TkivMenuLook::MeasureItem;

protected:
    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    // Items added at any time are drawn by the skin like the loaded ones.
    void MenuChanged(TMenuItem* item) override;
};
