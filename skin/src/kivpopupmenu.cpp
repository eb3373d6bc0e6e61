#include "skin/kivpopupmenu.h"

#include "skin/kivmgr.h"

TkivPopupMenu::TkivPopupMenu(TComponent* AOwner) : TPopupMenu(AOwner)
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

void TkivPopupMenu::SetUIStyle(TkivUIStyle value)
{
    uiStyle_ = value;
    ApplyLook(value, fileTheme_);
}

void TkivPopupMenu::SetFileTheme(TkivFileTheme* value)
{
    if (fileTheme_ && fileTheme_ != value) fileTheme_->RemoveFreeNotification(this);
    fileTheme_ = value;
    if (value) value->FreeNotification(this);
    SetUIStyle(uiStyle_);
}

void TkivPopupMenu::Loaded()
{
    TPopupMenu::Loaded();
    MenuAdded();
}

void TkivPopupMenu::Notification(TComponent* AComponent, TOperation Operation)
{
    TPopupMenu::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == fileTheme_) {
        fileTheme_ = nullptr;
        SetUIStyle(DeepBlue);
    }
    if (Operation == opInsert)
        if (auto* item = dynamic_cast<TMenuItem*>(AComponent); item && item->GetParentMenu() == this) MenuAdded();
}

void TkivPopupMenu::MenuChanged(TMenuItem* item)
{
    TPopupMenu::MenuChanged(item);
    MenuAdded();
}

void TkivPopupMenu::MenuAdded()
{
    Menu_SetItemEvent(
        Items(),
        [this](TObject* sender, TCanvas* canvas, TRect rect, bool selected) {
            DrawItem(static_cast<TMenuItem*>(sender), canvas, rect, selected);
        },
        [this](TObject* sender, TCanvas* canvas, int& width, int& height) {
            MeasureItem(static_cast<TMenuItem*>(sender), canvas, width, height);
        });
}

void TkivPopupMenu::MeasureItem(TMenuItem* item, TCanvas* canvas, int& width, int& height)
{
    MeasureLook(item, canvas, width, height);
}

void TkivPopupMenu::DrawItem(TMenuItem* item, TCanvas* canvas, const TRect& rect, bool selected)
{
    DrawLook(uiStyle_, fileTheme_, item, canvas, rect, selected, Images());
}
