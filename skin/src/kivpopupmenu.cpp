#include "skin/kivpopupmenu.h"

#include "skin/kivmgr.h"

TkivPopupMenu::TkivPopupMenu(TComponent* AOwner) : TPopupMenu(AOwner), TkivMenuLook(static_cast<TMenu&>(*this))
{
    TPopupMenu::SetOwnerDraw(true);
    SetUIStyle(GetKIVFormStyle(AOwner));
    MenuAdded();
}

TkivPopupMenu::~TkivPopupMenu() = default;

void TkivPopupMenu::SetMenuItemHeight(int value)
{
    if (uiStyle_ != MacOS) menuItemHeight_ = value;
}

void TkivPopupMenu::SetSeparatorHeight(int value)
{
    if (uiStyle_ != MacOS) separatorHeight_ = value;
}

void TkivPopupMenu::Loaded()
{
    TPopupMenu::Loaded();
    MenuAdded();
}

void TkivPopupMenu::Notification(TComponent* AComponent, TOperation Operation)
{
    TPopupMenu::Notification(AComponent, Operation);
    LookNotification(AComponent, Operation);
}

void TkivPopupMenu::MenuChanged(TMenuItem* item)
{
    TPopupMenu::MenuChanged(item);
    MenuAdded();
}
