#pragma once
// The skinned main menu: items drawn like the skinned popup menu's, shown by
// the skinned form's own menu bar rather than by a native one.
#include "skin/kivmenu.h"

#include "gfx/imagelist.h"
#include "vcl/menus.h"

#include <memory>

// What a skinned form's menu bar does for the main menu it shows.
class IKivMenuBar {
public:
    virtual ~IKivMenuBar() = default;
    virtual void RebuildMenuBar() = 0;  // the menu finished loading
    virtual void RefreshTopMenu() = 0;  // an item changed
    virtual void RepaintMenuBar() = 0;  // the item font changed
};

class TkivMainMenu : public TMainMenu, public TkivMenuLook {
public:
    explicit TkivMainMenu(TComponent* AOwner);
    ~TkivMainMenu() override;

    // Always owner-drawn.
    void SetOwnerDraw(bool) override {}
    // The separator height stays fixed while the style is MacOS.
    void SetSeparatorHeight(int value) override;
    void SetUseSystemFont(bool value) override;

    // nullptr while the default list (the check mark) is in use; setting none restores it.
    TImageList* Images() const;
    void SetImages(TImageList* value);
    TImageList* DefaultImages() const { return defaultImages_.get(); }

    // The skinned form showing the menu, nullptr for none.
    IKivMenuBar* Form() const { return form_; }
    void SetForm(IKivMenuBar* value) { form_ = value; }

    using TMenu::DrawItem;
    using TMenu::MeasureItem;
    using TkivMenuLook::DrawItem;
    using TkivMenuLook::MeasureItem;

protected:
    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void MenuChanged(TMenuItem* item) override;

private:
    std::unique_ptr<TImageList> defaultImages_;
    IKivMenuBar* form_ = nullptr;
};
