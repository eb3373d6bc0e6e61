#pragma once
// Flicker-free panels: the picture panel (normal, stretched or tiled picture
// under a caption, also the surface the preview's video frames are shown on)
// and the skinned group panel with a title strip and a collapse button.
#include "skin/kivskinnable.h"

#include "gfx/bitmap.h"
#include "gfx/picture.h"
#include "vcl/controls.h"

#include <optional>

enum TkivDrawStyle { kivNormal, kivStretch, kivTile };
// Caption alignment of the picture panel.
enum TkivAlignment { kivLeftJustify, kivRightJustify, kivCenter };

class TkivCustomPanel : public TCustomControl {
public:
    explicit TkivCustomPanel(TComponent* AOwner);
    ~TkivCustomPanel() override;

    TPicture* Picture() { return &picture_; }
    void SetPicture(const TPicture& value);
    bool Transparent() const { return transparent_; }
    virtual void SetTransparent(bool value);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool value);
    int CaptionPosX() const { return captionPosX_; }
    void SetCaptionPosX(int value);
    int CaptionPosY() const { return captionPosY_; }
    void SetCaptionPosY(int value);
    TkivDrawStyle DrawStyle() const { return drawStyle_; }
    void SetDrawStyle(TkivDrawStyle value);
    TkivAlignment Alignment() const { return alignment_; }
    void SetAlignment(TkivAlignment value);
    TRect TextRect() const { return textRect_; }

    // A video frame shown over the picture, stretched into `dest` (client
    // coordinates; the whole client area when none). GUI thread only: a
    // renderer's thread posts to the panel's handle and the handler calls this.
    void ShowFrame(const TBitmap& frame, std::optional<TRect> dest = std::nullopt);
    void ClearFrame();
    bool HasFrame() const { return !frame_.Empty(); }

    void WndProc(TMessage& Message) override;

protected:
    virtual void ClearPanel();
    virtual void RepaintText(const TRect&) {}
    virtual void PictureChanged(TObject* Sender);

    void Paint() override;
    void Resize() override;

private:
    void ApplyAutoSize();
    void ApplyTransparent();
    bool HasGraphic() const;

    TPicture picture_;
    bool transparent_ = false;
    bool autoSize_ = false;
    int captionPosX_ = -1;
    int captionPosY_ = -1;
    TkivDrawStyle drawStyle_ = kivNormal;
    TkivAlignment alignment_ = kivCenter;
    TRect textRect_{};
    TBitmap frame_;
    std::optional<TRect> frameDest_;
};

// The picture panel placed on forms.
class TkivImagePanel : public TkivCustomPanel {
public:
    using TkivCustomPanel::TkivCustomPanel;
};

// A skinned group panel: themed title strip, caption and a push/pop button
// that collapses it to the strip and restores its height.
class TkivPanel : public TCustomControl, public ISkinnable {
public:
    explicit TkivPanel(TComponent* AOwner);
    ~TkivPanel() override;

    TColor BorderColor() const { return borderColor_; }
    void SetBorderColor(TColor value);
    TColor CaptionFontColor() const { return captionFontColor_; }
    void SetCaptionFontColor(TColor value);
    bool ShowButton() const { return showButton_; }
    void SetShowButton(bool value);
    TBitmap* TitleImage() { return &titleImage_; }
    // The expanded height; the control follows it while expanded.
    int ExpandedHeight() const { return expandedHeight_; }
    void SetHeight(int value);
    bool Expanded() const { return expanded_; }
    bool Pushed() const { return !expanded_; }
    bool MouseOnButton() const { return mouseOnButton_; }

    // Collapse to the title strip in 15-pixel steps (raises when aligned
    // alClient, alLeft or alRight), and expand back.
    void Push();
    void Pop();

    TkivUIStyle UIStyle() const override { return uiStyle_; }
    void SetUIStyle(TkivUIStyle value) override;
    TkivFileTheme* FileTheme() const override { return fileTheme_; }
    void SetFileTheme(TkivFileTheme* value) override;

    void AlignControls(TControl* AControl, TRect& Rect) override;
    void WndProc(TMessage& Message) override;

    TNotifyEvent OnPush;
    TNotifyEvent OnPop;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Paint() override;
    void Resize() override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

private:
    int TitleHeight() const { return titleImage_.Height(); }
    TRect ButtonRect(int frameWidth, int frameHeight) const;

    TColor borderColor_ = clBlack;
    TkivUIStyle uiStyle_ = DeepBlue;
    TkivFileTheme* fileTheme_ = nullptr;
    TBitmap titleImage_;
    bool showButton_ = true;
    bool mouseOnButton_ = false;
    bool expanded_ = true;
    int expandedHeight_ = 100;
    bool animating_ = false;
    bool applyingFileTheme_ = false;
    TColor captionFontColor_ = clBlack;
    TPoint mouse_{-1, -1};
};
