#pragma once
// The skinned MDI frame: takes its form's caption away and draws the frame
// itself (border, rounded corners, the skinned title bar), shows a skinned menu
// bar with the active child's menu or the frame's own, the control buttons of a
// maximized child at the bar's right end, and the child list in the window menu.
#include "skin/kivform.h"

#include <string>
#include <vector>

class TkivToolBarSpeedButton;
struct TkivFrameLook;

// Tags of the control buttons shown for a maximized child.
constexpr int kMDIMinimizeTag = -1383, kMDIRestoreTag = -1382, kMDICloseTag = -1381;

class TkivMDIForm : public TComponent, public IKivFormFrame, public IKivMenuBar {
public:
    // The owner must be a form (an MDI frame to host children); the constructor hooks it.
    explicit TkivMDIForm(TComponent* AOwner);
    ~TkivMDIForm() override;

    TCustomForm* Form() const { return form_; }
    TkivTitleBar* TitleBar() const { return titleBar_; }
    TkivMenuBar* MenuBar() const { return menuBar_; }
    // The top panel carrying the menu bar and the control buttons, hidden while no menu is shown.
    TPanel* MenuPanel() const { return menuPanel_; }
    TkivToolBarSpeedButton* ControlButton(int tag) const;

    TkivUIStyle UIStyle() const override { return uiStyle_; }
    void SetUIStyle(TkivUIStyle value) override;
    TkivFileTheme* FileTheme() const override { return fileTheme_; }
    void SetFileTheme(TkivFileTheme* value) override;

    // The frame's own main menu.
    TMainMenu* Menu() const { return menu_; }
    void SetMenu(TMainMenu* value);
    // The menu the bar shows now: the active child's frame menu when it has one, else Menu.
    TMainMenu* ShownMenu() const;
    TColor MenuBarColor() const { return menuBarColor_; }
    void SetMenuBarColor(TColor value);
    TColor BorderColor() const;
    void SetBorderColor(TColor value);
    // The frame form's and the title bar's caption (the bar adds a maximized child's).
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& value);
    bool TitleBarDrawAppIcon() const { return titleBar_->DrawAppIcon(); }
    void SetTitleBarDrawAppIcon(bool value) { titleBar_->SetDrawAppIcon(value); }
    bool TitleBarCustom() const { return titleBar_->Custom(); }
    void SetTitleBarCustom(bool value) { titleBar_->SetCustom(value); }
    bool TitleBarVisible() const { return titleBar_->Visible(); }
    void SetTitleBarVisible(bool value);
    TkivTitleBarButtons* TitleBarButtons() { return titleBar_->Buttons(); }
    TkivTitleBarSections* TitleBarSections() { return titleBar_->Sections(); }
    bool TitleBarDrawChildCaptions() const { return drawChildCaptions_; }
    void SetTitleBarDrawChildCaptions(bool value);
    bool TitleBarDrawChildMenus() const { return drawChildMenus_; }
    void SetTitleBarDrawChildMenus(bool value);
    int RoundCorner() const { return titleBar_->Visible() ? titleBar_->RoundCorner() : 0; }
    void SetRoundCorner(int value);
    int RoundCornerBottom() const { return titleBar_->Visible() ? titleBar_->RoundCornerBottom() : 0; }
    void SetRoundCornerBottom(int value);
    // The title bar and the menu bar.
    int TitleBarHeight() const;

    // The frame's own cascading and tiling (the client's WM_MDICASCADE and WM_MDITILE).
    void Cascade();
    void Tile(TTileMode mode);

    // IKivMenuBar
    void RebuildMenuBar() override;
    void RefreshTopMenu() override;
    void RepaintMenuBar() override;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    void FormWndProc(TMessage& m);
    void ClientWndProc(TMessage& m);
    bool ApplicationHook(MSG& msg);
    void RefreshCaption();
    void RefreshWindowMenu();
    void ShowControlButtons(bool show);
    void ControlClick(int tag);
    void Shape();

    TCustomForm* form_ = nullptr;
    TWinControl* client_ = nullptr;
    TWndMethod savedProc_;
    TWndMethod savedClientProc_;
    TkivTitleBar* titleBar_ = nullptr;
    TPanel* menuPanel_ = nullptr;
    TkivMenuBar* menuBar_ = nullptr;
    std::vector<TkivToolBarSpeedButton*> controlButtons_;
    TMainMenu* menu_ = nullptr;
    std::vector<TMenuItem*> windowItems_; // what the window menu got last time
    TkivUIStyle uiStyle_ = DeepBlue;
    TkivFileTheme* fileTheme_ = nullptr;
    std::unique_ptr<TkivFrameLook> look_;
    TColor menuBarColor_ = clBtnFace;
    std::string caption_;
    bool drawChildCaptions_ = true;
    bool drawChildMenus_ = true;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};
