#include "skin/kivmainmenu.h"

#include "skin/kivmgr.h"
#include "skin/kivresources.h"

#include "gfx/bitmap.h"

// Our forms have no native menu bar, so there is nothing to detach the menu from.
TkivMainMenu::TkivMainMenu(TComponent* AOwner) : TMainMenu(AOwner), defaultImages_(std::make_unique<TImageList>(16, 16))
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

void TkivMainMenu::SetUIStyle(TkivUIStyle value)
{
    uiStyle_ = value;
    ApplyLook(value, fileTheme_);
}

void TkivMainMenu::SetFileTheme(TkivFileTheme* value)
{
    if (fileTheme_ && fileTheme_ != value) fileTheme_->RemoveFreeNotification(this);
    fileTheme_ = value;
    if (value) value->FreeNotification(this);
    SetUIStyle(uiStyle_);
}

void TkivMainMenu::Loaded()
{
    TMainMenu::Loaded();
    MenuAdded();
    if (form_) form_->RebuildMenuBar();
}

void TkivMainMenu::Notification(TComponent* AComponent, TOperation Operation)
{
    TMainMenu::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == fileTheme_) {
        fileTheme_ = nullptr;
        SetUIStyle(DeepBlue);
    }
    if (Operation == opInsert)
        if (auto* item = dynamic_cast<TMenuItem*>(AComponent); item && item->GetParentMenu() == this) MenuAdded();
}

void TkivMainMenu::MenuChanged(TMenuItem* item)
{
    TMainMenu::MenuChanged(item);
    MenuAdded();
    if (form_ && !Loading()) form_->RefreshTopMenu();
}

void TkivMainMenu::MenuAdded()
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

void TkivMainMenu::MeasureItem(TMenuItem* item, TCanvas* canvas, int& width, int& height)
{
    MeasureLook(item, canvas, width, height);
}

void TkivMainMenu::DrawItem(TMenuItem* item, TCanvas* canvas, const TRect& rect, bool selected)
{
    DrawLook(uiStyle_, fileTheme_, item, canvas, rect, selected, TMainMenu::Images());
}
