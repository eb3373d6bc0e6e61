#pragma once
// The skinned scroll bar: a decrease arrow, a thumb lane and an increase
// arrow drawn from the theme's scroll-bar pictures. Memos, lists and grids
// hand their scrolling to attached ones through TkivScrollBarLink.
#include "skin/kivbutton.h"
#include "skin/kivprogressbar.h"
#include "skin/kivskinnable.h"
#include "skin/kivtrackbar.h"

#include "gfx/bitmap.h"
#include "vcl/extctrls.h"
#include "vcl/scrollstate.h"

#include <cstdint>
#include <functional>

class TkivScrollBar : public TCustomPanel, public ISkinnable {
public:
    explicit TkivScrollBar(TComponent* AOwner);
    ~TkivScrollBar() override;

    // The range and position are the lane's, with its clamping setters.
    int Max() const { return lane_->Max(); }
    void SetMax(int value) { lane_->SetMax(value); }
    int Min() const { return lane_->Min(); }
    void SetMin(int value) { lane_->SetMin(value); }
    int Position() const { return lane_->Position(); }
    void SetPosition(int value);
    // The lane's page size; setting it sizes the thumb again.
    int PageSize() const { return lane_->PageSize(); }
    void SetPageSize(int value);
    // The same page size as 16 bits; setting it leaves the thumb alone.
    std::uint16_t LargeChange() const { return static_cast<std::uint16_t>(lane_->PageSize()); }
    void SetLargeChange(std::uint16_t value) { lane_->SetPageSize(value); }
    // Step of an arrow button.
    std::uint16_t SmallChange() const { return smallChange_; }
    void SetSmallChange(std::uint16_t value) { smallChange_ = value; }
    // A fixed thumb length in pixels (at least 18), 0 for a thumb sized by the page.
    int LineButton() const { return lineButton_; }
    void SetLineButton(int value);
    TkivProgressBarOrientation Orientation() const { return orientation_; }
    void SetOrientation(TkivProgressBarOrientation value);
    bool SliderVisible() const { return lane_->SliderVisible(); }
    void SetSliderVisible(bool value) { lane_->SetSliderVisible(value); }
    int LastChange() const { return lane_->LastChange(); }
    // Kept in the lane and fired by it, with the lane as sender.
    const TNotifyEvent& OnChange() const { return lane_->OnChange; }
    void SetOnChange(TNotifyEvent value) { lane_->OnChange = std::move(value); }

    TkivScrollTrackBar* Lane() const { return lane_; }
    TkivImageButton* DecreaseButton() const { return decrease_; }
    TkivImageButton* IncreaseButton() const { return increase_; }

    TkivUIStyle UIStyle() const override { return uiStyle_; }
    void SetUIStyle(TkivUIStyle value) override;
    TkivFileTheme* FileTheme() const override { return fileTheme_; }
    void SetFileTheme(TkivFileTheme* value) override;

    void WndProc(TMessage& Message) override;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Resize() override;

private:
    void UpdatePictures();
    void PlaceTrackBarAndButton();
    void UpdateSliderPic();
    void Step(int direction);
    int LaneLength() const;

    TkivScrollTrackBar* lane_ = nullptr;
    TkivImageButton* increase_ = nullptr;
    TkivImageButton* decrease_ = nullptr;
    TBitmap thumbStart_, thumbMiddle_, thumbEnd_;
    TkivUIStyle uiStyle_ = DeepBlue;
    TkivFileTheme* fileTheme_ = nullptr;
    TkivProgressBarOrientation orientation_ = kivHorizontal;
    std::uint16_t smallChange_ = 1;
    int lineButton_ = 0;
    bool placing_ = true; // no layout until the constructor has loaded the pictures
};

// Hands a memo's, list's or grid's scrolling to skinned bars lying over the
// control's own: attaching and releasing them, keeping both sides in step (a
// bar's move scrolls the control, the control's scrolling moves the bar,
// never feeding back) and placing them over the control's own bars.
class TkivScrollBarLink {
public:
    // Which row of the placement rules the control follows.
    enum TPlacement { kpListBox, kpMemo, kpGrid };

    TkivScrollBarLink(TWinControl& control, TPlacement placement);
    ~TkivScrollBarLink();
    TkivScrollBarLink(const TkivScrollBarLink&) = delete;
    TkivScrollBarLink& operator=(const TkivScrollBarLink&) = delete;

    TkivScrollBar* Bar(TScrollBarKind kind) const { return kind == sbVertical ? vbar_ : hbar_; }
    // Only on a change: the old bar is released (no handler, LineButton 0, Max
    // 100, enabled), the new one turned to the direction, bound and placed by
    // the caller. False when the bar was already the attached one.
    bool Attach(TScrollBarKind kind, TkivScrollBar* bar);
    // From the control's Notification: forgets an attached bar being freed.
    bool Forget(TComponent* component);
    // The control's own bars to keep: one for each attached skinned bar.
    TScrollStyle AttachedStyle() const { return ScrollStyleOf(hbar_ != nullptr, vbar_ != nullptr); }
    void SetFileTheme(TkivFileTheme* theme);
    void SetUIStyle(TkivUIStyle style);

    // Reads the control's own bars into the attached ones.
    void UpdateScrollBars();
    // Places the attached bars over the control's own, in the parent's coordinates.
    void UpdateScrollBarsPos();
    // The control's scroll range, page or position changed.
    void ScrollStateChanged();
    // After the control has handled a message: moving, sizing, showing and
    // hiding, enabling, focus and the reading direction reach the bars.
    void AfterMessage(const TMessage& m);
    bool Updating() const { return updating_; }
    // A control read right to left shows its horizontal position mirrored:
    // its start at the bar's right end, both ways between bar and control.
    void SetMirrorsRightToLeft(bool value) { mirrorsRightToLeft_ = value; }

private:
    void Release(TkivScrollBar* bar);
    void BarChanged(TScrollBarKind kind);
    void UpdateBar(TScrollBarKind kind, TkivScrollBar* bar);
    void PlaceBars();
    void ShowBar(TkivScrollBar* bar, bool visible);
    // The bar's position for the control's (and back): mirrored for a mirroring control read right to left.
    int BarPosition(TScrollBarKind kind, int position) const;

    TWinControl& control_;
    TPlacement placement_;
    TkivScrollBar* vbar_ = nullptr;
    TkivScrollBar* hbar_ = nullptr;
    bool updating_ = false;
    bool scrollingFromBar_ = false;
    bool mirrorsRightToLeft_ = false;
};
