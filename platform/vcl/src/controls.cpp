#include "vcl/controls.h"

#include "gfx/gdi.h"
#include "vcl/application.h"
#include "vcl/forms.h"
#include "internal.h"
#include "win32/progfolders.h"

#include <algorithm>
#include <cctype>

namespace {
TControl* g_capture = nullptr;
TShiftState g_keys = 0;
std::function<void(TPopupMenu*, TControl*, TPoint)> g_popupHandler;
TMouse g_mouse;
} // namespace

TMouse* Mouse = &g_mouse;

TPoint TMouse::CursorPos() const { return CurrentBackend().CursorPos(); }
void TMouse::SetCursorPos(TPoint p) { CurrentBackend().SetCursorPos(p); }
TControl* TMouse::Capture() const { return g_capture; }

TShiftState KeyboardStateToShiftState() { return g_keys; }
void SetKeyboardShiftState(TShiftState state) { g_keys = state & (ssShift | ssAlt | ssCtrl); }

TControl* GetCaptureControl() { return g_capture; }

void SetCaptureControl(TControl* control)
{
    if (g_capture == control) return;
    TControl* old = g_capture;
    g_capture = control;
    if (old) {
        old->Perform(WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(control));
        if (TCustomForm* f = old->ParentForm()) CurrentBackend().SetMouseGrab(*f, false);
    }
    if (control)
        if (TCustomForm* f = control->ParentForm()) CurrentBackend().SetMouseGrab(*f, true);
}

void SetPopupMenuHandler(std::function<void(TPopupMenu*, TControl*, TPoint)> handler)
{
    g_popupHandler = std::move(handler);
}

bool IsAccel(unsigned short key, const std::string& caption)
{
    for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&') continue;
        if (caption[i + 1] == '&') {
            ++i;
            continue;
        }
        return std::toupper(static_cast<unsigned char>(caption[i + 1])) ==
               std::toupper(static_cast<int>(key & 0xFF));
    }
    return false;
}

TShiftState KeysToShiftState(WPARAM keys)
{
    TShiftState s = 0;
    if (keys & MK_SHIFT) s |= ssShift;
    if (keys & MK_CONTROL) s |= ssCtrl;
    if (keys & MK_LBUTTON) s |= ssLeft;
    if (keys & MK_RBUTTON) s |= ssRight;
    if (keys & MK_MBUTTON) s |= ssMiddle;
    return s;
}

// ---------------------------------------------------------------------------
TControl::TControl(TComponent* AOwner) : TComponent(AOwner), font_(std::make_unique<TFont>())
{
    WindowProc = [this](TMessage& m) { WndProc(m); };
    font_->OnChange = [this](TObject* s) { FontChanged(s); };
}

TControl::~TControl()
{
    WindowProc = nullptr;
    if (g_capture == this) g_capture = nullptr;
    if (parent_) parent_->RemoveControl(this);
    if (popupMenu_) RemoveFreeNotification(reinterpret_cast<TComponent*>(popupMenu_));
}

LRESULT TControl::Perform(UINT Msg, WPARAM WParam, LPARAM LParam)
{
    TMessage m{Msg, WParam, LParam, 0};
    if (WindowProc) WindowProc(m);
    else WndProc(m);
    return m.Result;
}

void TControl::DefaultHandler(TMessage&) {}

TCustomForm* TControl::ParentForm() const { return GetParentForm(this); }

bool TControl::Showing() const
{
    const TControl* c = this;
    while (c) {
        if (!c->visible_) return false;
        if (!c->parent_) return dynamic_cast<const TCustomForm*>(c) != nullptr;
        c = c->parent_;
    }
    return false;
}

void TControl::SetParent(TWinControl* AParent)
{
    if (parent_ == AParent) return;
    if (AParent == this) throw EInvalidOperation("A control cannot have itself as its parent");
    if (parent_) parent_->RemoveControl(this);
    if (AParent) AParent->InsertControl(this);
}

void TSizeConstraints::SetMinWidth(int value)
{
    minWidth_ = std::max(0, value);
    Changed();
}

void TSizeConstraints::SetMinHeight(int value)
{
    minHeight_ = std::max(0, value);
    Changed();
}

void TSizeConstraints::SetMaxWidth(int value)
{
    maxWidth_ = std::max(0, value);
    Changed();
}

void TSizeConstraints::SetMaxHeight(int value)
{
    maxHeight_ = std::max(0, value);
    Changed();
}

int TSizeConstraints::ConstrainWidth(int width) const
{
    if (maxWidth_ > 0) width = std::min(width, std::max(maxWidth_, minWidth_));
    return std::max(width, minWidth_);
}

int TSizeConstraints::ConstrainHeight(int height) const
{
    if (maxHeight_ > 0) height = std::min(height, std::max(maxHeight_, minHeight_));
    return std::max(height, minHeight_);
}

void TSizeConstraints::Changed()
{
    control_.SetBounds(control_.Left(), control_.Top(), control_.Width(), control_.Height());
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    AWidth = std::max(AWidth, 0);
    AHeight = std::max(AHeight, 0);
    if (KeepsConstraints()) {
        AWidth = constraints_.ConstrainWidth(AWidth);
        AHeight = constraints_.ConstrainHeight(AHeight);
    }
    if (ALeft == left_ && ATop == top_ && AWidth == width_ && AHeight == height_) return;
    bool resized = AWidth != width_ || AHeight != height_;
    Invalidate();
    left_ = ALeft;
    top_ = ATop;
    width_ = AWidth;
    height_ = AHeight;
    Invalidate();
    if (resized) Perform(WM_SIZE, 0, MakeLParam(AWidth, AHeight));
    Perform(WM_MOVE, 0, MakeLParam(ALeft, ATop));
    if (parent_ && !parent_->aligning_) {
        UpdateAnchorRules();
        if (align_ != alNone) RequestAlign();
    }
    if (resized && !Loading()) Resize();
}

void TControl::SetClientWidth(int v) { SetWidth(v + (width_ - ClientWidth())); }
void TControl::SetClientHeight(int v) { SetHeight(v + (height_ - ClientHeight())); }

TPoint TControl::ClientOrigin() const
{
    if (!parent_) return {left_, top_};
    TPoint p = parent_->ClientOrigin();
    return {p.X + left_, p.Y + top_};
}

TPoint TControl::ClientToScreen(TPoint p) const
{
    TPoint o = ClientOrigin();
    return {p.X + o.X, p.Y + o.Y};
}

TPoint TControl::ScreenToClient(TPoint p) const
{
    TPoint o = ClientOrigin();
    return {p.X - o.X, p.Y - o.Y};
}

TPoint TControl::OffsetInForm() const
{
    TPoint p;
    for (const TControl* c = this; c && c->parent_; c = c->parent_) {
        p.X += c->left_;
        p.Y += c->top_;
    }
    return p;
}

TRect TControl::VisibleRectInForm() const
{
    if (!Showing()) return {};
    TPoint o = OffsetInForm();
    TRect r = Bounds(o.X, o.Y, width_, height_);
    for (const TControl* c = parent_; c; c = c->parent_) {
        TPoint po = c->OffsetInForm();
        TRect pr = Bounds(po.X, po.Y, c->width_, c->height_);
        if (!IntersectRect(r, r, pr)) return {};
    }
    return r;
}

void TControl::InvalidateRectInForm(const TRect& r) const
{
    TCustomForm* f = ParentForm();
    if (!f) return;
    TPoint o = OffsetInForm();
    TRect fr = r;
    OffsetRect(fr, o.X, o.Y);
    TRect vis = VisibleRectInForm();
    if (IntersectRect(fr, fr, vis)) f->InvalidateArea(fr);
}

void TControl::Invalidate()
{
    if (!parent_) {
        if (auto* f = dynamic_cast<TCustomForm*>(this)) f->InvalidateArea(ClientRect());
        return;
    }
    InvalidateRectInForm(Rect(0, 0, width_, height_));
}

void TControl::Update()
{
    if (TCustomForm* f = ParentForm()) f->PaintDirty();
}

void TControl::Repaint()
{
    Invalidate();
    Update();
}

void TControl::PaintTo(TCanvas& canvas, int X, int Y)
{
    canvas.SaveDC();
    canvas.MoveViewportOrg(X, Y);
    canvas.IntersectClipRect(Rect(0, 0, width_, height_));
    PaintSelf(canvas);
    canvas.RestoreDC(-1);
}

void TControl::PaintSelf(TCanvas& canvas) { Perform(WM_PAINT, reinterpret_cast<WPARAM>(&canvas), 0); }

void TControl::BringToFront()
{
    if (!parent_) return;
    auto& list = IsWindowed() ? parent_->winControls_ : parent_->controls_;
    auto it = std::find(list.begin(), list.end(), this);
    if (it == list.end()) return;
    list.erase(it);
    list.push_back(this);
    Invalidate();
}

void TControl::SendToBack()
{
    if (!parent_) return;
    auto& list = IsWindowed() ? parent_->winControls_ : parent_->controls_;
    auto it = std::find(list.begin(), list.end(), this);
    if (it == list.end()) return;
    list.erase(it);
    list.insert(list.begin(), this);
    Invalidate();
}

void TControl::SetAlign(TAlign value)
{
    if (align_ == value) return;
    align_ = value;
    if (value != alNone) anchors_ = akLeft | akTop;
    RequestAlign();
}

void TControl::SetAnchors(TAnchors value)
{
    anchors_ = value;
    UpdateAnchorRules();
}

void TControl::UpdateAnchorRules()
{
    if (!parent_) return;
    anchorMargins_ = {parent_->ClientWidth() - (left_ + width_), parent_->ClientHeight() - (top_ + height_)};
    anchorValid_ = true;
}

void TControl::RequestAlign()
{
    if (parent_) parent_->AlignAll();
}

void TControl::SetVisible(bool value)
{
    if (visible_ == value) return;
    if (auto* form = dynamic_cast<TCustomForm*>(this)) {
        form->VisibleChanging(value);
        return;
    }
    if (!value) Invalidate();
    visible_ = value;
    if (value) Invalidate();
    Perform(CM_VISIBLECHANGED, value ? 1 : 0, 0);
    if (TCustomForm* f = ParentForm(); f && !value) f->ControlRemoved(this);
    if (value && IsWindowed() && parent_ && parent_->HandleAllocated())
        static_cast<TWinControl*>(this)->CreateChildHandles();
    RequestAlign();
}

void TControl::Show()
{
    if (parent_) parent_->ShowControl(this);
    SetVisible(true);
}

void TControl::SetEnabled(bool value)
{
    if (enabled_ == value) return;
    enabled_ = value;
    Perform(CM_ENABLEDCHANGED, 0, 0);
}

void TControl::SetColor(TColor value)
{
    if (color_ == value && !parentColor_) return;
    color_ = value;
    parentColor_ = false;
    Perform(CM_COLORCHANGED, 0, 0);
}

void TControl::SetParentColor(bool value)
{
    if (parentColor_ == value) return;
    parentColor_ = value;
    if (value) ParentColorChanged();
}

void TControl::ParentColorChanged()
{
    if (!parentColor_ || !parent_) return;
    color_ = parent_->color_;
    Perform(CM_COLORCHANGED, 0, 0);
    parentColor_ = true;
}

void TControl::SetParentFont(bool value)
{
    if (parentFont_ == value) return;
    parentFont_ = value;
    if (value) ParentFontChanged();
}

void TControl::ParentFontChanged()
{
    if (!parentFont_ || !parent_) return;
    changingFont_ = true;
    font_->Assign(*parent_->font_);
    changingFont_ = false;
}

void TControl::FontChanged(TObject*)
{
    if (!changingFont_) parentFont_ = false;
    Perform(CM_FONTCHANGED, 0, 0);
}

bool SysLocaleMiddleEast() { return UserLocaleIsMiddleEast(); }

void TControl::SetBiDiMode(TBiDiMode value)
{
    if (biDiMode_ == value) return;
    biDiMode_ = value;
    parentBiDiMode_ = false;
    Perform(CM_BIDIMODECHANGED, 0, 0);
}

void TControl::SetParentBiDiMode(bool value)
{
    if (parentBiDiMode_ == value) return;
    parentBiDiMode_ = value;
    if (value) ParentBiDiModeChanged();
}

void TControl::ParentBiDiModeChanged()
{
    if (!parentBiDiMode_ || !parent_) return;
    if (biDiMode_ != parent_->biDiMode_) {
        biDiMode_ = parent_->biDiMode_;
        Perform(CM_BIDIMODECHANGED, 0, 0);
    }
    parentBiDiMode_ = true;
}

bool TControl::IsRightToLeft() const { return biDiMode_ != bdLeftToRight && SysLocaleMiddleEast(); }
bool TControl::UseRightToLeftReading() const { return IsRightToLeft(); }
bool TControl::UseRightToLeftAlignment() const { return biDiMode_ == bdRightToLeft && SysLocaleMiddleEast(); }

bool TControl::UseRightToLeftScrollBar() const
{
    return (biDiMode_ == bdRightToLeft || biDiMode_ == bdRightToLeftNoAlign) && SysLocaleMiddleEast();
}

unsigned TControl::DrawTextBiDiModeFlags(unsigned Flags) const
{
    if (UseRightToLeftAlignment()) {
        if (Flags & DT_RIGHT)
            Flags &= ~DT_RIGHT;
        else if (!(Flags & DT_CENTER))
            Flags |= DT_RIGHT;
    }
    return Flags | DrawTextBiDiModeFlagsReadingOnly();
}

unsigned TControl::DrawTextBiDiModeFlagsReadingOnly() const { return UseRightToLeftReading() ? DT_RTLREADING : 0; }

void TControl::SetCursor(TCursor value)
{
    if (cursor_ == value) return;
    cursor_ = value;
    Perform(CM_CURSORCHANGED, 0, 0);
}

void TControl::SetPopupMenu(TPopupMenu* value)
{
    if (popupMenu_ == value) return;
    if (popupMenu_) RemoveFreeNotification(reinterpret_cast<TComponent*>(popupMenu_));
    popupMenu_ = value;
    if (popupMenu_) FreeNotification(reinterpret_cast<TComponent*>(popupMenu_));
}

void TControl::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && popupMenu_ && AComponent == reinterpret_cast<TComponent*>(popupMenu_))
        popupMenu_ = nullptr;
}

void TControl::SetText(const std::string& value)
{
    if (text_ == value) return;
    text_ = value;
    Perform(CM_TEXTCHANGED, 0, 0);
}

bool TControl::MouseCapture() const { return g_capture == this; }

void TControl::SetMouseCapture(bool value)
{
    if (value) SetCaptureControl(this);
    else if (g_capture == this) SetCaptureControl(nullptr);
}

void TControl::Loaded()
{
    TComponent::Loaded();
    UpdateAnchorRules();
    if (parentFont_) ParentFontChanged();
    if (parentColor_) ParentColorChanged();
    if (parentBiDiMode_) ParentBiDiModeChanged();
}

void TControl::Click()
{
    if (OnClick) OnClick(this);
}

void TControl::DblClick()
{
    if (OnDblClick) OnDblClick(this);
}

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}

void TControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}

void TControl::MouseMove(TShiftState Shift, int X, int Y)
{
    if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
}

bool TControl::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos)
{
    bool handled = false;
    if (OnMouseWheel) OnMouseWheel(this, Shift, WheelDelta, MousePos, handled);
    return handled;
}

void TControl::Resize()
{
    if (OnResize) OnResize(this);
}

void TControl::DispatchMouse(TMessage& m)
{
    int x = LParamX(m.LParam), y = LParamY(m.LParam);
    TShiftState shift = KeysToShiftState(m.WParam) | (KeyboardStateToShiftState() & ssAlt);
    switch (m.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (controlStyle_ & csCaptureMouse) SetMouseCapture(true);
        if (controlStyle_ & csClickEvents) clicked_ = true;
        if (m.Msg == WM_LBUTTONDBLCLK) {
            if (controlStyle_ & csClickEvents) DblClick();
            shift |= ssDouble;
        }
        MouseDown(mbLeft, shift, x, y);
        break;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
        MouseDown(mbRight, shift | (m.Msg == WM_RBUTTONDBLCLK ? TShiftState(ssDouble) : 0u), x, y);
        break;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
        MouseDown(mbMiddle, shift | (m.Msg == WM_MBUTTONDBLCLK ? TShiftState(ssDouble) : 0u), x, y);
        break;
    case WM_LBUTTONUP:
        if (controlStyle_ & csCaptureMouse) SetMouseCapture(false);
        if (clicked_) {
            clicked_ = false;
            if (PtInRect(ClientRect(), Point(x, y))) Click();
        }
        MouseUp(mbLeft, shift, x, y);
        break;
    case WM_RBUTTONUP:
        MouseUp(mbRight, shift, x, y);
        if (popupMenu_) {
            TPoint sp = ClientToScreen(Point(x, y));
            Perform(WM_CONTEXTMENU, 0, MakeLParam(sp.X, sp.Y));
        }
        break;
    case WM_MBUTTONUP:
        MouseUp(mbMiddle, shift, x, y);
        break;
    case WM_MOUSEMOVE:
        MouseMove(shift, x, y);
        break;
    }
}

void TControl::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
        // Without double-click support the second press is an ordinary press.
        if (!(controlStyle_ & csDoubleClicks)) m.Msg -= (WM_LBUTTONDBLCLK - WM_LBUTTONDOWN);
        DispatchMouse(m);
        return;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MOUSEMOVE:
        DispatchMouse(m);
        return;
    case WM_MOUSEWHEEL: {
        int delta = static_cast<std::int16_t>((m.WParam >> 16) & 0xFFFF);
        TPoint pos{LParamX(m.LParam), LParamY(m.LParam)};
        if (DoMouseWheel(KeysToShiftState(m.WParam & 0xFFFF), delta, pos)) m.Result = 1;
        else if (parent_) m.Result = parent_->Perform(m.Msg, m.WParam, m.LParam);
        return;
    }
    case WM_CONTEXTMENU:
        if (popupMenu_ && g_popupHandler) {
            g_popupHandler(popupMenu_, this, Point(LParamX(m.LParam), LParamY(m.LParam)));
            m.Result = 1;
        }
        return;
    case WM_CANCELMODE:
        if (MouseCapture()) SetMouseCapture(false);
        clicked_ = false;
        return;
    case CM_MOUSEENTER:
        if (m.LParam == 0 || m.LParam == reinterpret_cast<LPARAM>(this)) {
            mouseInside_ = true;
            if (OnMouseEnter) OnMouseEnter(this);
        }
        return;
    case CM_MOUSELEAVE:
        if (m.LParam == 0 || m.LParam == reinterpret_cast<LPARAM>(this)) {
            mouseInside_ = false;
            if (OnMouseLeave) OnMouseLeave(this);
        }
        return;
    case CM_HITTEST:
        m.Result = HTCLIENT;
        return;
    case CM_TEXTCHANGED:
        TextChanged();
        Invalidate();
        return;
    case CM_FONTCHANGED:
    case CM_COLORCHANGED:
    case CM_ENABLEDCHANGED:
        Invalidate();
        return;
    case CM_PARENTFONTCHANGED:
        ParentFontChanged();
        return;
    case CM_PARENTCOLORCHANGED:
        ParentColorChanged();
        return;
    case CM_BIDIMODECHANGED:
        if (SysLocaleMiddleEast()) Invalidate();
        return;
    case CM_PARENTBIDIMODECHANGED:
        ParentBiDiModeChanged();
        return;
    case WM_ERASEBKGND:
        // Windowless controls erase nothing: their parent's picture is below them.
        return;
    }
    DefaultHandler(m);
}

// ---------------------------------------------------------------------------
TGraphicControl::TGraphicControl(TComponent* AOwner) : TControl(AOwner), own_(std::make_unique<TCanvas>()) {}
TGraphicControl::~TGraphicControl() = default;

TCanvas* TGraphicControl::Canvas()
{
    if (current_) return current_;
    // Outside a paint pass the canvas draws where the control sits in its form.
    if (TCustomForm* f = ParentForm()) {
        TPoint o = OffsetInForm();
        own_->SetTarget(&f->BackBuffer());
        own_->SetViewportOrg(Point(o.X + f->FrameInsets().Left, o.Y + f->FrameInsets().Top));
        TRect vis = VisibleRectInForm();
        OffsetRect(vis, -o.X, -o.Y);
        own_->SetClipRect(vis);
        OffsetRect(vis, o.X, o.Y);
        f->MarkDrawn(vis);
    }
    return own_.get();
}

void TGraphicControl::PaintSelf(TCanvas& canvas)
{
    canvas.SaveDC();
    canvas.SetFont(*Font());
    canvas.Brush()->SetColor(Color());
    try {
        Perform(WM_PAINT, reinterpret_cast<WPARAM>(&canvas), 0);
    } catch (...) {
        canvas.RestoreDC(-1);
        throw;
    }
    canvas.RestoreDC(-1);
}

void TGraphicControl::WndProc(TMessage& m)
{
    if (m.Msg == WM_PAINT && m.WParam) {
        // A background request from inside our own Paint paints what lies below, not us again.
        if (current_) return;
        TCanvas* saved = current_;
        current_ = reinterpret_cast<TCanvas*>(m.WParam);
        try {
            Paint();
        } catch (...) {
            current_ = saved;
            throw;
        }
        current_ = saved;
        return;
    }
    TControl::WndProc(m);
}
