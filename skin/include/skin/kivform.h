#pragma once
// The skinned form frame: a panel filling its form that takes the window's
// caption away and draws the frame itself (border, rounded corners, the
// skinned title bar over the top, a skinned menu bar below it), and the menu
// bar it shows a main menu in.
#include "skin/kivmainmenu.h"
#include "skin/kivskinnable.h"
#include "skin/kivtitlebar.h"

#include "vcl/application.h"
#include "vcl/extctrls.h"
#include "vcl/toolbar.h"

#include <memory>
#include <string>

class TkivForm;
struct TkivFrameLook;

// The tool bar that carries one button per top-level item of a main menu;
// pressing one drops the item's sub-items down below it.
class TkivMenuBar : public TToolBar {
public:
    explicit TkivMenuBar(TComponent* AOwner);
    ~TkivMenuBar() override;

    // The menu whose items the buttons show, drawn in its look.
    TMainMenu* Menu() const { return menu_; }
    // Makes one button per top-level item, in order, in the menu's font (the
    // system menu font when it uses that).
    void SetMenu(TMainMenu* menu);
    // Copies each item's caption and enabled state to its button.
    void RefreshItems();
    TMenuItem* MenuItemOf(const TToolButton* button) const;
    TToolButton* ButtonOf(const TMenuItem* item) const;
    // Drops a top-level item down below its button (what a press does).
    void DropDown(TToolButton* button);
    // The button whose items are dropped down now, nullptr for none.
    TToolButton* DroppedButton() const { return dropped_; }

    TColor MenuBarColor() const { return Color(); }
    void SetMenuBarColor(TColor value);
    int MenuBarHeight() const { return menuBarHeight_; }
    void SetMenuBarHeight(int value);
    // The look of the bar: MacOS draws pictures, the other styles plain colours.
    TkivUIStyle UIStyle() const { return uiStyle_; }
    void SetUIStyle(TkivUIStyle value);

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    void DrawMenuBar(const TRect& rect, bool& defaultDraw);
    void DrawButton(TToolButton* button, TCustomDrawState state, bool& defaultDraw);
    void FitHeight();

    TMainMenu* menu_ = nullptr;
    TToolButton* dropped_ = nullptr;
    int menuBarHeight_ = 22;
    TkivUIStyle uiStyle_ = DeepBlue;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

class TkivForm : public TCustomPanel, public IKivFormFrame, public IKivMenuBar {
public:
    // The owner must be a form with no skinned frame yet; the constructor hooks it.
    explicit TkivForm(TComponent* AOwner);
    ~TkivForm() override;

    TCustomForm* Form() const { return form_; }
    TkivTitleBar* TitleBar() const { return titleBar_; }
    TkivMenuBar* MenuBar() const { return menuBar_; }

    TkivUIStyle UIStyle() const override { return uiStyle_; }
    void SetUIStyle(TkivUIStyle value) override;
    TkivFileTheme* FileTheme() const override { return fileTheme_; }
    void SetFileTheme(TkivFileTheme* value) override;
    // Children take the style with the frame.
    bool UIStyleAutoUpdateSub() const { return autoUpdateSub_; }
    void SetUIStyleAutoUpdateSub(bool value) { autoUpdateSub_ = value; }

    TColor BorderColor() const;
    void SetBorderColor(TColor value);
    // The frame's border (the panel's own border stays 0).
    int BorderWidth() const;
    void SetBorderWidth(int value);
    bool TitleBarVisible() const { return titleBar_->Visible(); }
    void SetTitleBarVisible(bool value);
    bool TitleBarCustom() const { return titleBar_->Custom(); }
    void SetTitleBarCustom(bool value) { titleBar_->SetCustom(value); }
    bool TitleBarDrawAppIcon() const { return titleBar_->DrawAppIcon(); }
    void SetTitleBarDrawAppIcon(bool value) { titleBar_->SetDrawAppIcon(value); }
    TkivTitleBarButtons* TitleBarButtons() { return titleBar_->Buttons(); }
    TkivTitleBarSections* TitleBarSections() { return titleBar_->Sections(); }
    // The title bar's font (the panel's own font stays the children's).
    TFont* Font() { return titleBar_->Font(); }
    // The caption is the title bar's and the form's.
    int RoundCorner() const { return titleBar_->Visible() ? titleBar_->RoundCorner() : 0; }
    void SetRoundCorner(int value);
    int RoundCornerBottom() const { return titleBar_->Visible() ? titleBar_->RoundCornerBottom() : 0; }
    void SetRoundCornerBottom(int value);
    int TitleBarHeight() const { return titleBar_->Visible() ? titleBar_->Height() : 0; }
    TkivTitleBarButtonClickEvent& OnTitleBarCustomBtnsClick() { return titleBar_->OnCustomBtnsClick; }
    TkivTitleBarButtonClickEvent& OnTitleBarHelpBtnClick() { return titleBar_->OnHelpBtnClick; }
    std::string Version() const { return "5.83"; }
    void SetVersion(const std::string&) {}

    // The panel that fills the rest of the frame; the form itself is refused with an error box.
    TWinControl* FormPanel() const { return formPanel_; }
    void SetFormPanel(TWinControl* value);

    // A main menu shown in the menu bar below the title bar (none: no bar).
    TMainMenu* Menu() const { return menu_; }
    void SetMenu(TMainMenu* value);
    TColor MenuBarColor() const { return menuBarColor_; }
    void SetMenuBarColor(TColor value);
    int MenuBarHeight() const { return menuBarHeight_; }
    void SetMenuBarHeight(int value);

    // Shapes the window: rounded top corners by RoundCorner, bottom ones by RoundCornerBottom.
    void RegionWindow();
    // The frame round the client area, painted on the window's canvas (origin at its top-left).
    void PaintFormBorder(TCanvas* canvas);
    // The width of the left border picture (file themes), 0 without one.
    int LeftBorderWidth() const;

    // IKivMenuBar
    void RebuildMenuBar() override;
    void RefreshTopMenu() override;
    void RepaintMenuBar() override;

    void WndProc(TMessage& Message) override;

protected:
    void Paint() override;
    void Resize() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    void FormWndProc(TMessage& m);
    bool ApplicationHook(MSG& msg);
    void LayoutBars();

    TCustomForm* form_ = nullptr;
    TWndMethod savedProc_;
    TFormBorderStyle savedBorderStyle_ = bsSizeable;
    TkivTitleBar* titleBar_ = nullptr;
    TkivMenuBar* menuBar_ = nullptr;
    TMainMenu* menu_ = nullptr;
    TWinControl* formPanel_ = nullptr;
    TkivUIStyle uiStyle_ = DeepBlue;
    TkivFileTheme* fileTheme_ = nullptr;
    bool autoUpdateSub_ = false;
    std::unique_ptr<TkivFrameLook> look_;
    TColor menuBarColor_ = clBtnFace;
    int menuBarHeight_ = 22;
};
