#pragma once
// The pop-up notice as a component: its settings are handed to a notice
// window (TfrmMSNPopForm) each time Popup shows it.
#include "skin/frmmsnpop.h"

#include "vcl/components.h"

#include <memory>
#include <string>

class TkivMSNPopForm : public TComponent {
public:
    explicit TkivMSNPopForm(TComponent* AOwner);
    ~TkivMSNPopForm() override;

    // Milliseconds of each slide, and how long the notice stays in between.
    int AnimateTime() const { return animateTime_; }
    void SetAnimateTime(int value) { animateTime_ = value; }
    int StayTime() const { return stayTime_; }
    void SetStayTime(int value) { stayTime_ = value; }
    // Where the notice opens unless AutoPosition puts it at the work area's bottom-right.
    int PositionX() const { return positionX_; }
    void SetPositionX(int value) { positionX_ = value; }
    int PositionY() const { return positionY_; }
    void SetPositionY(int value) { positionY_ = value; }
    bool AutoPosition() const { return autoPosition_; }
    void SetAutoPosition(bool value) { autoPosition_ = value; }
    // A click anywhere on the notice closes it.
    bool ClickHide() const { return clickHide_; }
    void SetClickHide(bool value) { clickHide_ = value; }
    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& value) { title_ = value; }
    const std::string& MessageText() const { return messageText_; }
    void SetMessageText(const std::string& value) { messageText_ = value; }
    TFont* TitleFont() { return &titleFont_; }
    TFont* MessageFont() { return &messageFont_; }

    // Hands the settings over, places the notice, slides it in and starts its clock.
    void Popup();
    // Stops the clock and hides the notice at once.
    void Close();
    TfrmMSNPopForm* Window() const { return window_; }

    TNotifyEvent OnShow;
    TNotifyEvent OnClick;
    TNotifyEvent OnClose;
    TNotifyEvent OnTitleClick;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    TfrmMSNPopForm* window_ = nullptr;
    int animateTime_ = 400;
    int stayTime_ = 2000;
    int positionX_ = 0, positionY_ = 0;
    bool autoPosition_ = true;
    bool clickHide_ = false;
    std::string title_, messageText_;
    TFont titleFont_, messageFont_;
};
