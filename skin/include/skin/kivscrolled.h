#pragma once
// What the skinned memo, lists and grids share over their framework control:
// a one-pixel skin border in BorderColor, a style and file theme, and skinned
// bars (TkivScrollBar) that can take over from the control's own.
#include "skin/kivscrollbar.h"
#include "skin/kivskinnable.h"

#include "vcl/controls.h"

template <class Base>
class TkivScrolled : public Base, public ISkinnable {
public:
    ~TkivScrolled() override;

    TColor BorderColor() const { return borderColor_; }
    void SetBorderColor(TColor value);
    // A skinned bar lying over the control's own vertical bar (nullptr: the control's own).
    TkivScrollBar* VScrollBar() const { return link_.Bar(sbVertical); }
    void SetVScrollBar(TkivScrollBar* value) { AttachBar(sbVertical, value); }
    // The skinned controls draw flat: their three-dimensional look is always off.
    bool Ctl3D() const { return false; }

    TkivUIStyle UIStyle() const override { return uiStyle_; }
    // Takes BorderColor and the control's other colours from the style.
    void SetUIStyle(TkivUIStyle value) override;
    TkivFileTheme* FileTheme() const override { return fileTheme_; }
    void SetFileTheme(TkivFileTheme* value) override;

    void WndProc(TMessage& Message) override;

protected:
    // Border width 2 for lists and memo, 1 for grids, inside a border of style none.
    TkivScrolled(TComponent* AOwner, TkivScrollBarLink::TPlacement placement, int borderWidth);
    // Only on a change; a memo or grid then keeps its own bars for the attached ones.
    void AttachBar(TScrollBarKind kind, TkivScrollBar* bar);
    TkivScrollBar* AttachedBar(TScrollBarKind kind) const { return link_.Bar(kind); }
    // The colours a style brings besides BorderColor.
    virtual void TakeThemeColors() {}
    // Theme colour `item` of the control's style (or file theme).
    int ThemeColor(int item) const;
    // Whether the border has a second line inside in the control's colour.
    virtual bool BorderInner() const { return true; }
    // Read right to left, the horizontal bar shows the position mirrored.
    void MirrorHorizontalBarRightToLeft() { link_.SetMirrorsRightToLeft(true); }
    void Paint() override;
    void ScrollStateChanged() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    void KeepOwnBars();

    TColor borderColor_ = clBlack;
    TkivUIStyle uiStyle_ = DeepBlue;
    TkivFileTheme* fileTheme_ = nullptr;
    TkivScrollBarLink link_;
};
