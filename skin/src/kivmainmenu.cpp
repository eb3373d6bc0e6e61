#include "skin/kivmainmenu.h"

#include "skin/kivmgr.h"
#include "skin/kivresources.h"

#include "gfx/bitmap.h"

// Our forms have no native menu bar, so there is nothing to detach the menu from.
TkivMainMenu::TkivMainMenu(TComponent* AOwner)
    : TMainMenu(AOwner), TkivMenuLook(static_cast<TMenu&>(*this)), defaultImages_(std::make_unique<TImageList>(16, 16))
{
    TBitmap mark;
    LoadBitmapResource("MENU_CHECKED", mark);
    defaultImages_->AddMasked(mark, clWhite);
    TMainMenu::SetImages(defaultImages_.get());
    TMainMenu::SetOwnerDraw(true);
    SetUIStyle(GetKIVFormStyle(AOwner));
    MenuAdded();
}

TkivMainMenu::~TkivMainMenu() { TMainMenu::SetImages(nullptr); }

void TkivMainMenu::SetSeparatorHeight(int value)
{
    if (uiStyle_ != MacOS) separatorHeight_ = value;
}

void TkivMainMenu::SetUseSystemFont(bool value)
{
    useSystemFont_ = value;
    if (form_) form_->RepaintMenuBar();
}

TImageList* TkivMainMenu::Images() const
{
    TImageList* list = TMainMenu::Images();
    return list == defaultImages_.get() ? nullptr : list;
}

void TkivMainMenu::SetImages(TImageList* value) { TMainMenu::SetImages(value ? value : defaultImages_.get()); }

void TkivMainMenu::Loaded()
{
    TMainMenu::Loaded();
    MenuAdded();
    if (form_) form_->RebuildMenuBar();
}

void TkivMainMenu::Notification(TComponent* AComponent, TOperation Operation)
{
    TMainMenu::Notification(AComponent, Operation);
    LookNotification(AComponent, Operation);
}

void TkivMainMenu::MenuChanged(TMenuItem* item)
{
    TMainMenu::MenuChanged(item);
    MenuAdded();
    if (form_ && !Loading()) form_->RefreshTopMenu();
}
