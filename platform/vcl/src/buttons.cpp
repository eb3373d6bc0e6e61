#include "vcl/buttons.h"

#include "gfx/gdi.h"
#include "vcl/extctrls.h"
#include "vcl/stdctrls.h"

#include <algorithm>

TSpeedButton::TSpeedButton(TComponent* AOwner) : TGraphicControl(AOwner), glyph_(std::make_unique<TBitmap>())
{
    // Presses are tracked here; a quick second press toggles again.
    SetControlStyle((ControlStyle() | csCaptureMouse) & ~(csClickEvents | csDoubleClicks));
    SetParentColor(true);
    glyph_->OnChange = [this](TObject*) { Invalidate(); };
    SetBounds(0, 0, 23, 22);
}

TSpeedButton::~TSpeedButton() { glyph_->OnChange = nullptr; }

void TSpeedButton::SetGlyph(const TBitmap& value)
{
    glyph_->Assign(value);
    // A strip of square pictures says how many it holds.
    if (glyph_->Height() > 0 && glyph_->Width() % glyph_->Height() == 0) {
        const int n = glyph_->Width() / glyph_->Height();
        if (n >= 1 && n <= 4) numGlyphs_ = n;
    }
    Invalidate();
}

void TSpeedButton::SetNumGlyphs(TNumGlyphs value)
{
    value = std::clamp(value, 1, 4);
    if (numGlyphs_ == value) return;
    numGlyphs_ = value;
    Invalidate();
}

void TSpeedButton::SetFlat(bool value)
{
    if (flat_ == value) return;
    flat_ = value;
    Invalidate();
}

void TSpeedButton::SetDown(bool value)
{
    if (groupIndex_ == 0) value = false;
    if (value == down_) return;
    if (down_ && !allowAllUp_) return;
    down_ = value;
    state_ = value ? bsExclusive : bsUp;
    Invalidate();
    if (value) UpdateExclusive();
}

void TSpeedButton::SetGroupIndex(int value)
{
    if (groupIndex_ == value) return;
    groupIndex_ = value;
    UpdateExclusive();
}

void TSpeedButton::SetAllowAllUp(bool value)
{
    if (allowAllUp_ == value) return;
    allowAllUp_ = value;
    UpdateExclusive();
}

void TSpeedButton::UpdateExclusive()
{
    if (groupIndex_ == 0 || !Parent()) return;
    TMessage m{CM_BUTTONPRESSED, static_cast<WPARAM>(groupIndex_), reinterpret_cast<LPARAM>(this), 0};
    Parent()->Broadcast(m);
}

void TSpeedButton::Click() { TGraphicControl::Click(); }

void TSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TGraphicControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft || !Enabled()) return;
    if (!down_) {
        state_ = bsDown;
        Invalidate();
    }
    dragging_ = true;
}

void TSpeedButton::MouseMove(TShiftState Shift, int X, int Y)
{
    TGraphicControl::MouseMove(Shift, X, Y);
    if (!dragging_) return;
    TButtonState s = down_ ? bsExclusive : bsUp;
    if (!down_ && PtInRect(ClientRect(), Point(X, Y))) s = bsDown;
    if (s != state_) {
        state_ = s;
        Invalidate();
    }
}

void TSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TGraphicControl::MouseUp(Button, Shift, X, Y);
    if (Button != mbLeft || !dragging_) return;
    dragging_ = false;
    const bool doClick = PtInRect(ClientRect(), Point(X, Y));
    if (groupIndex_ == 0) {
        state_ = bsUp;
        Invalidate();
    } else if (doClick) {
        SetDown(!down_);
        state_ = down_ ? bsExclusive : bsUp;
        Invalidate();
    } else {
        state_ = down_ ? bsExclusive : bsUp;
        Invalidate();
    }
    if (doClick) Click();
}

void TSpeedButton::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case CM_BUTTONPRESSED: {
        auto* sender = reinterpret_cast<TSpeedButton*>(m.LParam);
        if (static_cast<int>(m.WParam) == groupIndex_ && sender != this) {
            if (sender->down_ && down_) {
                down_ = false;
                state_ = bsUp;
                Invalidate();
            }
            allowAllUp_ = sender->allowAllUp_;
        }
        return;
    }
    case CM_DIALOGCHAR:
        if (IsAccel(static_cast<unsigned short>(m.WParam), Caption()) && Enabled() && Showing()) {
            Click();
            m.Result = 1;
            return;
        }
        break;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
        TGraphicControl::WndProc(m);
        if (flat_) Invalidate(); // the frame comes and goes with the pointer
        return;
    case CM_ENABLEDCHANGED:
        if (!Enabled()) dragging_ = false;
        if (!Enabled() && state_ == bsDown) state_ = bsUp;
        break;
    }
    TGraphicControl::WndProc(m);
}

void TSpeedButton::DrawGlyph(TCanvas& c, int x, int y)
{
    if (glyph_->Empty()) return;
    const int w = glyph_->Width() / numGlyphs_, h = glyph_->Height();
    int index = 0;
    if (!Enabled()) index = numGlyphs_ >= 2 ? 1 : -1;
    else if (state_ == bsDown && numGlyphs_ >= 3) index = 2;
    else if (state_ == bsExclusive && numGlyphs_ >= 4) index = 3;
    const TColor key = glyph_->TransparentColor();
    if (index >= 0) {
        TransparentBlt(&c, x, y, w, h, glyph_->Canvas(), index * w, 0, w, h, key);
        return;
    }
    // No disabled picture: the up one embossed in the button's shades.
    for (int pass = 0; pass < 2; ++pass) {
        const TColor ink = pass == 0 ? clBtnHighlight : clBtnShadow;
        const int d = pass == 0 ? 1 : 0;
        for (int gy = 0; gy < h; ++gy)
            for (int gx = 0; gx < w; ++gx)
                if (glyph_->Pixel(gx, gy) != key) c.SetPixels(x + gx + d, y + gy + d, ink);
    }
}

void TSpeedButton::Paint()
{
    TCanvas* c = Canvas();
    TRect r = ClientRect();
    const bool pushed = state_ == bsDown || state_ == bsExclusive;
    const bool hot = MouseInControl() && Enabled();
    c->Brush()->SetStyle(bsSolid);
    if (!flat_) {
        if (pushed) {
            Frame3D(c, r, cl3DDkShadow, clBtnHighlight, 1);
            Frame3D(c, r, clBtnShadow, Color(), 1);
        } else {
            Frame3D(c, r, clBtnHighlight, cl3DDkShadow, 1);
            Frame3D(c, r, Color(), clBtnShadow, 1);
        }
        c->Brush()->SetColor(Color());
        c->FillRect(r);
    } else if (pushed || hot) {
        // Flat buttons show a thin frame only when pointed at or down; the parent shows through.
        if (pushed) Frame3D(c, r, clBtnShadow, clBtnHighlight, 1);
        else Frame3D(c, r, clBtnHighlight, clBtnShadow, 1);
    }
    if (state_ == bsExclusive) {
        // A down button of a set shows a light checkered face.
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = r.Left + ((y - r.Top) & 1); x < r.Right; x += 2) c->SetPixels(x, y, clBtnHighlight);
    }

    // Glyph left of the caption, the pair centred; both move one pixel when pressed.
    const int gw = glyph_->Empty() ? 0 : glyph_->Width() / numGlyphs_;
    const int gh = glyph_->Empty() ? 0 : glyph_->Height();
    c->SetFont(*Font());
    TRect calc = Rect(0, 0, 0, 0);
    if (!Caption().empty()) DrawText(c, Caption(), calc, DT_SINGLELINE | DT_CALCRECT);
    const int spacing = (gw > 0 && calc.Width() > 0) ? 4 : 0;
    const int total = gw + spacing + calc.Width();
    const int off = pushed ? 1 : 0;
    int x = (Width() - total) / 2 + off;
    DrawGlyph(*c, x, (Height() - gh) / 2 + off);
    if (!Caption().empty()) {
        TRect tr = Bounds(x + gw + spacing, (Height() - calc.Height()) / 2 + off, calc.Width(), calc.Height());
        DrawControlText(*c, Caption(), tr, DT_SINGLELINE, Enabled());
    }
}
