#pragma once
// The skinned memo: the framework's memo with a one-pixel skin border and
// optional skinned bars (TkivScrollBar) that take over from its own.
#include "skin/kivscrollbar.h"
#include "skin/kivskinnable.h"

#include "vcl/stdctrls_edit.h"

class TkivMemo : public TCustomMemo, public ISkinnable {
public:
    explicit TkivMemo(TComponent* AOwner);
    ~TkivMemo() override;

    TColor BorderColor() const { return borderColor_; }
    void SetBorderColor(TColor value);
    // Skinned bars lying over the memo's own; attaching one keeps the memo's
    // own bar of that direction (ScrollBars follows what is attached).
    TkivScrollBar* VScrollBar() const { return link_.Bar(sbVertical); }
    void SetVScrollBar(TkivScrollBar* value);
    TkivScrollBar* HScrollBar() const { return link_.Bar(sbHorizontal); }
    void SetHScrollBar(TkivScrollBar* value);
    bool Ctl3D() const { return false; }

    TkivUIStyle UIStyle() const override { return uiStyle_; }
    void SetUIStyle(TkivUIStyle value) override;
    TkivFileTheme* FileTheme() const override { return fileTheme_; }
    void SetFileTheme(TkivFileTheme* value) override;

    void WndProc(TMessage& Message) override;

protected:
    void Paint() override;
    void ScrollStateChanged() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    void Attach(TScrollBarKind kind, TkivScrollBar* bar);

    TColor borderColor_ = clBlack;
    TkivUIStyle uiStyle_ = DeepBlue;
    TkivFileTheme* fileTheme_ = nullptr;
    TkivScrollBarLink link_;
};
