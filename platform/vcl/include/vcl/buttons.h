#pragma once
// Speed buttons: windowless tool buttons that never take the focus. Buttons
// beside each other with the same GroupIndex act as one set: at most one is
// Down, and with AllowAllUp all may be up.
#include "gfx/bitmap.h"
#include "vcl/ctrltypes.h"

#include <memory>

enum TButtonState { bsUp, bsDisabled, bsDown, bsExclusive };
using TNumGlyphs = int; // 1..4 pictures side by side: up, disabled, pressed, down

class TSpeedButton : public TGraphicControl {
public:
    explicit TSpeedButton(TComponent* AOwner);
    ~TSpeedButton() override;

    // Down stays set only in a group (GroupIndex > 0); a down button of a set
    // without AllowAllUp is raised only by pressing another one.
    bool Down() const { return down_; }
    void SetDown(bool value);
    int GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(int value);
    bool AllowAllUp() const { return allowAllUp_; }
    void SetAllowAllUp(bool value);
    // Flat: no frame until the pointer is over it or it is down.
    bool Flat() const { return flat_; }
    void SetFlat(bool value);
    // The picture; its bottom-left pixel's colour is see-through.
    TBitmap* Glyph() { return glyph_.get(); }
    void SetGlyph(const TBitmap& value);
    TNumGlyphs NumGlyphs() const { return numGlyphs_; }
    void SetNumGlyphs(TNumGlyphs value);
    TButtonState State() const { return state_; }

    void Click() override;
    void WndProc(TMessage& Message) override;

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

private:
    // Tells the buttons beside this one with its GroupIndex that it went down
    // (or that AllowAllUp changed), so they come up and share the setting.
    void UpdateExclusive();
    void DrawGlyph(TCanvas& c, int x, int y);

    std::unique_ptr<TBitmap> glyph_;
    TNumGlyphs numGlyphs_ = 1;
    TButtonState state_ = bsUp;
    bool down_ = false;
    int groupIndex_ = 0;
    bool allowAllUp_ = false;
    bool flat_ = false;
    bool dragging_ = false;
};
