#pragma once
// The skinned progress bar: a framed bar whose filled part is a stretched
// picture, its empty part a plain colour, with an optional percentage caption.
#include "skin/kivskinnable.h"

#include "gfx/picture.h"
#include "vcl/controls.h"

#include <cstdint>

enum TkivProgressBarOrientation { kivHorizontal, kivVertical };

class TkivProgressBar : public TCustomControl, public ISkinnable {
public:
    explicit TkivProgressBar(TComponent* AOwner);
    ~TkivProgressBar() override;

    // Positions are never clamped: callers feed byte and frame counts as they come.
    int Max() const { return max_; }
    void SetMax(int value);
    int Min() const { return min_; }
    void SetMin(int value);
    int Position() const { return position_; }
    void SetPosition(int value);
    void StepBy(int delta);
    void StepIt() { StepBy(1); }

    TkivProgressBarOrientation Orientation() const { return orientation_; }
    void SetOrientation(TkivProgressBarOrientation value);
    TColor BorderColor() const { return borderColor_; }
    void SetBorderColor(TColor value);
    TColor Color() const { return TCustomControl::Color(); }
    void SetColor(TColor value);
    TPicture* Picture() { return &picture_; }
    void SetPicture(const TPicture& value);
    bool ShowCaption() const { return showCaption_; }
    void SetShowCaption(bool value);
    TColor CaptionColor() const { return captionColor_; }
    void SetCaptionColor(TColor value);
    bool SmartShowCaption() const { return smartShowCaption_; }
    void SetSmartShowCaption(bool value);

    TkivUIStyle UIStyle() const override { return uiStyle_; }
    void SetUIStyle(TkivUIStyle value) override;
    TkivFileTheme* FileTheme() const override { return fileTheme_; }
    void SetFileTheme(TkivFileTheme* value) override;

    // (Position - Min) * 100 / (Max - Min), 0 for an empty range; may lie outside 0..100.
    int GetPercentFromPosition() const;
    // The filled part of a bar `length` pixels long, within 0..length.
    int GetWidthFromPosition(int length) const;

    void WndProc(TMessage& Message) override;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Paint() override;

private:
    void UpdateProgress();
    void UpdatePicture();

    int max_ = 100;
    int min_ = 0;
    int position_ = 50;
    TkivUIStyle uiStyle_ = DeepBlue;
    TkivFileTheme* fileTheme_ = nullptr;
    TkivProgressBarOrientation orientation_ = kivHorizontal;
    TColor borderColor_ = clBlack;
    TPicture picture_;
    bool showCaption_ = true;
    TColor captionColor_ = clBlack;
    bool smartShowCaption_ = false;
};
