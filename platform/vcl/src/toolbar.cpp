#include "vcl/toolbar.h"

#include "gfx/gdi.h"
#include "vcl/menus.h"

#include "edges.h"
#include "internal.h"

#include <algorithm>

namespace {
bool IsSeparator(const TToolButton& b) { return b.Style() == tbsSeparator || b.Style() == tbsDivider; }

// A caption as it reads on screen: "&x" marks an accelerator, "&&" is one "&".
std::string StripAccel(const std::string& s)
{
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '&') {
            if (i + 1 < s.size() && s[i + 1] == '&') out += '&';
            ++i;
            if (i < s.size() && s[i] != '&') out += s[i];
            continue;
        }
        out += s[i];
    }
    return out;
}

// A vertical etched line: shadow with a highlight right of it.
void EtchedLine(TCanvas& c, int x, int top, int bottom)
{
    c.Brush()->SetStyle(bsSolid);
    c.Brush()->SetColor(clBtnShadow);
    c.FillRect(Rect(x, top, x + 1, bottom));
    c.Brush()->SetColor(clBtnHighlight);
    c.FillRect(Rect(x + 1, top, x + 2, bottom));
}

void DropArrow(TCanvas& c, int cx, int cy, TColor ink)
{
    c.Brush()->SetStyle(bsSolid);
    c.Brush()->SetColor(ink);
    for (int i = 0; i < 3; ++i) c.FillRect(Rect(cx - 2 + i, cy + i, cx + 3 - i, cy + i + 1));
}
} // namespace

// ---------------------------------------------------------------------------
TToolButton::TToolButton(TComponent* AOwner) : TGraphicControl(AOwner)
{
    // A quick second press is another click, not a double click.
    SetControlStyle(ControlStyle() & ~csDoubleClicks);
    SetBounds(0, 0, 23, 22);
}

TToolButton::~TToolButton()
{
    *alive_ = false;
    if (toolBar_) toolBar_->RemoveButton(this);
}

int TToolButton::Index() const
{
    if (!toolBar_) return -1;
    auto& list = toolBar_->buttons_;
    auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TToolButton::ButtonChanged()
{
    if (toolBar_) toolBar_->ArrangeButtons();
    Invalidate();
}

void TToolButton::SetStyle(TToolButtonStyle value)
{
    if (style_ == value) return;
    style_ = value;
    if (style_ != tbsCheck && style_ != tbsButton) down_ = false;
    ButtonChanged();
}

void TToolButton::SetDown(bool value)
{
    if (down_ == value || IsSeparator(*this)) return;
    down_ = value;
    if (down_ && grouped_ && style_ == tbsCheck) ReleaseGroup();
    Invalidate();
}

void TToolButton::SetGrouped(bool value)
{
    if (grouped_ == value) return;
    grouped_ = value;
    if (down_ && grouped_ && style_ == tbsCheck) ReleaseGroup();
}

void TToolButton::SetAllowAllUp(bool value) { allowAllUp_ = value; }

void TToolButton::SetImageIndex(int value)
{
    if (imageIndex_ == value) return;
    imageIndex_ = value;
    Invalidate();
}

void TToolButton::SetIndeterminate(bool value)
{
    if (indeterminate_ == value) return;
    indeterminate_ = value;
    Invalidate();
}

void TToolButton::SetMarked(bool value)
{
    if (marked_ == value) return;
    marked_ = value;
    Invalidate();
}

void TToolButton::SetWrap(bool value)
{
    if (wrap_ == value) return;
    wrap_ = value;
    ButtonChanged();
}

void TToolButton::SetAutoSize(bool value)
{
    if (autoSize_ == value) return;
    autoSize_ = value;
    ButtonChanged();
}

void TToolButton::SetDropdownMenu(TPopupMenu* value)
{
    if (dropdownMenu_ == value) return;
    if (dropdownMenu_) dropdownMenu_->RemoveFreeNotification(this);
    dropdownMenu_ = value;
    if (dropdownMenu_) dropdownMenu_->FreeNotification(this);
}

void TToolButton::Notification(TComponent* AComponent, TOperation Operation)
{
    TGraphicControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == dropdownMenu_) dropdownMenu_ = nullptr;
}

// The other grouped check buttons next to this one (no separator between) go up.
void TToolButton::ReleaseGroup()
{
    if (!toolBar_) return;
    auto& list = toolBar_->buttons_;
    int i = Index();
    if (i < 0) return;
    auto inGroup = [](TToolButton* b) { return b->grouped_ && b->style_ == tbsCheck; };
    for (int j = i - 1; j >= 0 && inGroup(list[static_cast<std::size_t>(j)]); --j) {
        TToolButton* b = list[static_cast<std::size_t>(j)];
        if (b->down_) { b->down_ = false; b->Invalidate(); }
    }
    for (std::size_t j = static_cast<std::size_t>(i) + 1; j < list.size() && inGroup(list[j]); ++j) {
        TToolButton* b = list[j];
        if (b->down_) { b->down_ = false; b->Invalidate(); }
    }
}

void TToolButton::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    // Placed by the bar; a separator keeps the width asked of it.
    if (toolBar_ && !toolBar_->arranging_) {
        if (IsSeparator(*this) && AWidth > 0 && AWidth != separatorWidth_) {
            separatorWidth_ = AWidth;
            toolBar_->ArrangeButtons();
        }
        return;
    }
    if (!toolBar_ && IsSeparator(*this) && AWidth > 0) separatorWidth_ = AWidth;
    TGraphicControl::SetBounds(ALeft, ATop, AWidth, AHeight);
}

void TToolButton::Click()
{
    if (style_ == tbsCheck) {
        if (!down_) SetDown(true);
        else if (!grouped_ || allowAllUp_) SetDown(false);
    }
    TGraphicControl::Click();
}

void TToolButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button == mbLeft && !IsSeparator(*this)) {
        if (style_ == tbsDropDown && X >= Width() - ToolDropDownWidth && dropdownMenu_) {
            // The arrow part opens the menu below the button instead of clicking.
            SetMouseCapture(false);
            TGraphicControl::MouseDown(Button, Shift, X, Y);
            Perform(WM_CANCELMODE, 0, 0);
            pressing_ = pressInside_ = true;
            Invalidate();
            TPoint at = ClientToScreen(Point(0, Height()));
            dropdownMenu_->SetPopupComponent(this);
            // The picked item's handler may free this button (or its bar).
            std::shared_ptr<bool> alive = alive_;
            dropdownMenu_->Popup(at.X, at.Y);
            if (!*alive) return;
            pressing_ = pressInside_ = false;
            Invalidate();
            return;
        }
        pressing_ = pressInside_ = true;
        Invalidate();
    }
    TGraphicControl::MouseDown(Button, Shift, X, Y);
}

void TToolButton::MouseMove(TShiftState Shift, int X, int Y)
{
    if (pressing_) {
        bool inside = PtInRect(ClientRect(), Point(X, Y));
        if (inside != pressInside_) {
            pressInside_ = inside;
            Invalidate();
        }
    }
    TGraphicControl::MouseMove(Shift, X, Y);
}

void TToolButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button == mbLeft && pressing_) {
        pressing_ = pressInside_ = false;
        Invalidate();
    }
    TGraphicControl::MouseUp(Button, Shift, X, Y);
}

void TToolButton::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case CM_MOUSEENTER:
        if (toolBar_ && (m.LParam == 0 || m.LParam == reinterpret_cast<LPARAM>(this))) toolBar_->SetHot(this);
        break;
    case CM_MOUSELEAVE:
        if (toolBar_ && toolBar_->hot_ == this && (m.LParam == 0 || m.LParam == reinterpret_cast<LPARAM>(this)))
            toolBar_->SetHot(nullptr);
        break;
    case WM_CANCELMODE:
        if (pressing_) {
            pressing_ = pressInside_ = false;
            Invalidate();
        }
        break;
    case CM_TEXTCHANGED:
    case CM_VISIBLECHANGED:
        if (toolBar_) toolBar_->ArrangeButtons();
        break;
    case CM_ENABLEDCHANGED:
        if (!Enabled() && toolBar_ && toolBar_->hot_ == this) toolBar_->SetHot(nullptr);
        break;
    }
    TGraphicControl::WndProc(m);
}

// ---------------------------------------------------------------------------
TToolBar::TToolBar(TComponent* AOwner) : TCustomControl(AOwner)
{
    SetControlStyle((ControlStyle() | csAcceptsControls | csOpaque) & ~csSetCaption);
    SetBounds(0, 0, 150, 29);
    SetAlign(alTop);
}

TToolBar::~TToolBar()
{
    // The buttons go with the bar (as its children) after it is no longer a bar.
    for (TToolButton* b : buttons_) b->toolBar_ = nullptr;
    buttons_.clear();
    hot_ = nullptr;
}

TToolButton* TToolBar::Buttons(int index) const
{
    if (index < 0 || index >= ButtonCount()) return nullptr;
    return buttons_[static_cast<std::size_t>(index)];
}

void TToolBar::AddButton(TToolButton* button)
{
    if (std::find(buttons_.begin(), buttons_.end(), button) != buttons_.end()) return;
    buttons_.push_back(button);
    button->toolBar_ = this;
    ArrangeButtons();
}

void TToolBar::RemoveButton(TToolButton* button)
{
    auto it = std::find(buttons_.begin(), buttons_.end(), button);
    if (it == buttons_.end()) return;
    buttons_.erase(it);
    button->toolBar_ = nullptr;
    if (hot_ == button) hot_ = nullptr;
    ArrangeButtons();
}

void TToolBar::SetButtonWidth(int value)
{
    value = std::max(value, 1);
    if (buttonWidth_ == value) return;
    buttonWidth_ = value;
    ArrangeButtons();
}

void TToolBar::SetButtonHeight(int value)
{
    value = std::max(value, 1);
    if (buttonHeight_ == value) return;
    buttonHeight_ = value;
    ArrangeButtons();
}

void TToolBar::SetIndent(int value)
{
    if (indent_ == value) return;
    indent_ = std::max(value, 0);
    ArrangeButtons();
}

void TToolBar::SetImages(TImageList* value)
{
    if (images_ == value) return;
    images_ = value;
    ArrangeButtons();
}

void TToolBar::SetHotImages(TImageList* value)
{
    hotImages_ = value;
    Invalidate();
}

void TToolBar::SetDisabledImages(TImageList* value)
{
    disabledImages_ = value;
    Invalidate();
}

void TToolBar::SetShowCaptions(bool value)
{
    if (showCaptions_ == value) return;
    showCaptions_ = value;
    ArrangeButtons();
}

void TToolBar::SetList(bool value)
{
    if (list_ == value) return;
    list_ = value;
    ArrangeButtons();
}

void TToolBar::SetFlat(bool value)
{
    if (flat_ == value) return;
    flat_ = value;
    if (!flat_) hot_ = nullptr;
    Invalidate();
}

void TToolBar::SetTransparent(bool value)
{
    if (transparent_ == value) return;
    transparent_ = value;
    TControlStyle s = ControlStyle();
    SetControlStyle(value ? (s & ~csOpaque) : (s | csOpaque));
    Invalidate();
}

void TToolBar::SetWrapable(bool value)
{
    if (wrapable_ == value) return;
    wrapable_ = value;
    ArrangeButtons();
}

void TToolBar::SetEdgeBorders(TEdgeBorders value)
{
    if (edgeBorders_ == value) return;
    edgeBorders_ = value;
    ArrangeButtons();
    Invalidate();
}

void TToolBar::SetEdgeInner(TEdgeStyle value)
{
    if (edgeInner_ == value) return;
    edgeInner_ = value;
    ArrangeButtons();
    Invalidate();
}

void TToolBar::SetEdgeOuter(TEdgeStyle value)
{
    if (edgeOuter_ == value) return;
    edgeOuter_ = value;
    ArrangeButtons();
    Invalidate();
}

int TToolBar::EdgeWidth(unsigned side) const
{
    if (!(edgeBorders_ & side)) return 0;
    return (edgeInner_ != esNone ? 1 : 0) + (edgeOuter_ != esNone ? 1 : 0);
}

TSize TToolBar::ButtonSize() const
{
    TSize size{buttonWidth_, buttonHeight_};
    if (!showCaptions_) return size;
    const int imgH = images_ ? images_->Height() : 0;
    TBitmap probe(1, 1, pf24bit);
    TCanvas& c = *probe.Canvas();
    c.SetFont(*Font());
    int textW = 0;
    for (TToolButton* b : buttons_)
        if (!IsSeparator(*b)) textW = std::max(textW, c.TextWidth(StripAccel(b->Caption())));
    const int textH = c.TextHeight("Wg");
    size.cx = std::max(size.cx, CaptionButtonWidth(textW));
    if (list_) size.cy = std::max(size.cy, std::max(imgH, textH) + 8);
    else size.cy = std::max(size.cy, (imgH ? imgH + 4 : 4) + textH + 6);
    return size;
}

int TToolBar::CaptionButtonWidth(int textW) const
{
    const int imgW = images_ ? images_->Width() : 0;
    return list_ ? (imgW ? imgW + 7 : 8) + textW + 8 : std::max(imgW, textW) + 16;
}

void TToolBar::ArrangeButtons()
{
    if (arranging_) return;
    arranging_ = true;
    try {
        const TSize size = ButtonSize();
        TBitmap probe(1, 1, pf24bit);
        TCanvas& c = *probe.Canvas();
        c.SetFont(*Font());
        const int left = EdgeWidth(ebLeft) + indent_;
        const int right = Width() - EdgeWidth(ebRight);
        int x = left, y = EdgeWidth(ebTop);
        for (TToolButton* b : buttons_) {
            if (!b->Visible()) continue;
            int w = IsSeparator(*b) ? b->separatorWidth_
                    : (b->autoSize_ && showCaptions_ ? CaptionButtonWidth(c.TextWidth(StripAccel(b->Caption())))
                                                      : size.cx) +
                          (b->style_ == tbsDropDown ? ToolDropDownWidth : 0);
            if (wrapable_ && x > left && x + w > right && !IsSeparator(*b)) {
                x = left;
                y += size.cy;
            }
            b->SetBounds(x, y, w, size.cy);
            x += w;
            if (b->wrap_) {
                x = left;
                y += size.cy;
            }
        }
    } catch (...) {
        arranging_ = false;
        throw;
    }
    arranging_ = false;
    Invalidate();
}

void TToolBar::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    const int oldW = Width();
    TCustomControl::SetBounds(ALeft, ATop, AWidth, AHeight);
    if (Width() != oldW) ArrangeButtons();
}

void TToolBar::SetHot(TToolButton* button)
{
    if (button && (!flat_ || !button->Enabled() || IsSeparator(*button))) button = nullptr;
    if (hot_ == button) return;
    if (hot_) hot_->Invalidate();
    hot_ = button;
    if (hot_) hot_->Invalidate();
}

TToolButton* TToolBar::ButtonAtPos(TPoint pos) const
{
    for (TToolButton* b : buttons_)
        if (b->Visible() && PtInRect(b->BoundsRect(), pos)) return b;
    return nullptr;
}

TCustomDrawState TToolBar::ButtonState(const TToolButton& b) const
{
    TCustomDrawState s = 0;
    if (b.Pressed()) s |= cdsSelected;
    if (b.down_) s |= cdsChecked;
    if (!b.Enabled()) s |= cdsDisabled | cdsGrayed;
    if (hot_ == &b) s |= cdsHot;
    if (b.marked_) s |= cdsMarked;
    if (b.indeterminate_) s |= cdsIndeterminate;
    return s;
}

void TToolBar::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case WM_ERASEBKGND:
        // Paint covers the bar, or shows the parent through it.
        m.Result = 1;
        return;
    case CM_CONTROLLISTCHANGE: {
        auto* c = reinterpret_cast<TControl*>(m.WParam);
        if (m.LParam) {
            if (auto* b = dynamic_cast<TToolButton*>(c)) AddButton(b);
        } else {
            // Found by identity: the control may be part-way through its destruction.
            for (TToolButton* b : buttons_)
                if (static_cast<TControl*>(b) == c) {
                    RemoveButton(b);
                    break;
                }
        }
        break;
    }
    case CM_FONTCHANGED:
        TCustomControl::WndProc(m);
        ArrangeButtons();
        return;
    case CM_MOUSELEAVE:
        if (m.LParam == 0 || m.LParam == reinterpret_cast<LPARAM>(this)) SetHot(nullptr);
        break;
    }
    TCustomControl::WndProc(m);
}

void TToolBar::DrawEdges(TCanvas& c)
{
    TRect r = ClientRect();
    auto line = [&](TEdgeStyle style, TRect& box) {
        if (style == esNone) return;
        const TColor hi = style == esRaised ? clBtnHighlight : clBtnShadow;
        const TColor lo = style == esRaised ? clBtnShadow : clBtnHighlight;
        c.Brush()->SetStyle(bsSolid);
        if (edgeBorders_ & ebTop) { c.Brush()->SetColor(hi); c.FillRect(Rect(box.Left, box.Top, box.Right, box.Top + 1)); }
        if (edgeBorders_ & ebLeft) { c.Brush()->SetColor(hi); c.FillRect(Rect(box.Left, box.Top, box.Left + 1, box.Bottom)); }
        if (edgeBorders_ & ebBottom) { c.Brush()->SetColor(lo); c.FillRect(Rect(box.Left, box.Bottom - 1, box.Right, box.Bottom)); }
        if (edgeBorders_ & ebRight) { c.Brush()->SetColor(lo); c.FillRect(Rect(box.Right - 1, box.Top, box.Right, box.Bottom)); }
        if (edgeBorders_ & ebTop) ++box.Top;
        if (edgeBorders_ & ebLeft) ++box.Left;
        if (edgeBorders_ & ebBottom) --box.Bottom;
        if (edgeBorders_ & ebRight) --box.Right;
    };
    line(edgeOuter_, r);
    line(edgeInner_, r);
}

void TToolBar::Paint()
{
    TCanvas& c = *Canvas();
    if (transparent_ && Parent()) {
        Parent()->PaintBackgroundFor(*this, c);
    } else {
        c.Brush()->SetStyle(bsSolid);
        c.Brush()->SetColor(Color());
        c.FillRect(ClientRect());
    }
    DrawEdges(c);
    bool defaultDraw = true;
    if (OnCustomDraw) {
        SavedDC dc(c);
        OnCustomDraw(this, ClientRect(), defaultDraw);
    }
    if (!defaultDraw) return;
    for (TToolButton* b : buttons_) {
        if (!b->Visible()) continue;
        SavedDC dc(c);
        c.SetFont(*Font());
        c.Brush()->SetStyle(bsSolid);
        c.Brush()->SetColor(Color());
        const TCustomDrawState state = ButtonState(*b);
        bool drawIt = true;
        if (OnCustomDrawButton && !IsSeparator(*b)) OnCustomDrawButton(this, b, state, drawIt);
        if (drawIt) {
            c.RestoreDC(-1);
            c.SaveDC();
            c.SetFont(*Font());
            DefaultDrawButton(*b, state);
        }
    }
}

void TToolBar::DefaultDrawButton(TToolButton& b, TCustomDrawState state)
{
    TCanvas& c = *Canvas();
    TRect r = b.BoundsRect();
    if (b.style_ == tbsDivider || (b.style_ == tbsSeparator && flat_)) {
        EtchedLine(c, (r.Left + r.Right) / 2 - 1, r.Top + 1, r.Bottom - 1);
        return;
    }
    if (b.style_ == tbsSeparator) return;

    const bool sunken = (state & cdsSelected) || (state & cdsChecked);
    const bool raised = !sunken && (!flat_ || (state & cdsHot));
    TRect face = r;
    if (b.style_ == tbsDropDown) face.Right -= ToolDropDownWidth;
    if ((state & cdsChecked) && !(state & cdsSelected) && !(state & cdsHot)) {
        // A checked button shows a lighter face.
        c.Brush()->SetStyle(bsSolid);
        c.Brush()->SetColor(RGB(0xF4, 0xF4, 0xF4));
        TRect inner = r;
        InflateRect(inner, -1, -1);
        c.FillRect(inner);
    }
    auto edge = [&](TRect box) {
        if (sunken) Frame3D(&c, box, clBtnShadow, clBtnHighlight, 1);
        else if (raised && flat_) Frame3D(&c, box, clBtnHighlight, clBtnShadow, 1);
        else if (raised) RaisedEdge(c, box);
    };
    edge(face);
    if (b.style_ == tbsDropDown) {
        TRect arrow = Rect(face.Right, r.Top, r.Right, r.Bottom);
        if (sunken || raised) edge(arrow);
        DropArrow(c, (arrow.Left + arrow.Right) / 2, (arrow.Top + arrow.Bottom) / 2 - 1,
                  (state & cdsDisabled) ? clGrayText : clBtnText);
    }

    const int shift = (state & cdsSelected) ? 1 : 0;
    TImageList* list = images_;
    if ((state & cdsHot) && hotImages_) list = hotImages_;
    const bool enabled = !(state & cdsDisabled);
    if (!enabled && disabledImages_) list = disabledImages_;
    const bool picture = list && b.imageIndex_ >= 0 && b.imageIndex_ < list->Count();
    const int imgW = images_ ? images_->Width() : 0;
    const int imgH = images_ ? images_->Height() : 0;
    const std::string caption = showCaptions_ ? b.Caption() : std::string();
    const int textH = showCaptions_ ? c.TextHeight("Wg") : 0;
    int imgX, imgY;
    if (list_ && showCaptions_) {
        imgX = face.Left + 5;
        imgY = face.Top + (face.Height() - imgH) / 2;
    } else if (showCaptions_) {
        imgX = face.Left + (face.Width() - imgW) / 2;
        imgY = face.Top + 3;
    } else {
        imgX = face.Left + (face.Width() - imgW) / 2;
        imgY = face.Top + (face.Height() - imgH) / 2;
    }
    if (picture) list->Draw(&c, imgX + shift, imgY + shift, b.imageIndex_, enabled || list == disabledImages_);

    if (!caption.empty()) {
        TRect tr;
        if (list_) {
            int x = images_ ? face.Left + imgW + 7 : face.Left + 8;
            tr = Rect(x, face.Top, face.Right - 2, face.Bottom);
        } else {
            int top = images_ ? face.Top + imgH + 4 : face.Top + (face.Height() - textH) / 2;
            tr = Rect(face.Left + 2, top, face.Right - 2, top + textH);
        }
        OffsetRect(tr, shift, shift);
        c.Brush()->SetStyle(bsClear);
        unsigned flags = DT_SINGLELINE | (list_ ? DT_LEFT | DT_VCENTER : DT_CENTER);
        if (!enabled) {
            TRect shadow = tr;
            OffsetRect(shadow, 1, 1);
            c.Font()->SetColor(clBtnHighlight);
            DrawText(&c, caption, shadow, flags);
            c.Font()->SetColor(clBtnShadow);
        } else {
            c.Font()->SetColor(Font()->Color());
        }
        DrawText(&c, caption, tr, flags);
    }
}
