#pragma once
// A windowless control that gives its form the shape of a picture: the form
// loses its border, keeps only the pixels that differ from TransparentColor,
// and is dragged by a press anywhere on the picture.
#include "gfx/bitmap.h"
#include "vcl/controls.h"

#include <functional>

class TkivSkinForm : public TGraphicControl {
public:
    explicit TkivSkinForm(TComponent* AOwner);
    ~TkivSkinForm() override;

    TBitmap* Glyph() { return &glyph_; }
    void SetGlyph(const TBitmap& value);
    // The picture from a source that gives it again whenever it is asked: the
    // form takes its shape from it now, and keeps the pixels only from its
    // first drawing on, so a form that is never shown holds no copy of them.
    void SetGlyphSource(std::function<bool(TBitmap&)> load);
    TColor TransparentColor() const { return transparentColor_; }
    void SetTransparentColor(TColor value);
    TCustomForm* Form() const { return form_; }

    TNotifyEvent OnRegionChanged;
    TNotifyEvent OnPaint;

    void WndProc(TMessage& Message) override;

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;

private:
    void ReSetWndRgn();
    void ReSetWndRgn(TBitmap& picture);
    TCustomForm* form_ = nullptr;
    TBitmap glyph_;
    std::function<bool(TBitmap&)> glyphSource_;   // gives the picture while glyph_ is empty
    TColor transparentColor_ = 0xFF00FF;
};
