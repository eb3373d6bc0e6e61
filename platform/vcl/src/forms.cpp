#include "vcl/forms.h"

#include "vcl/application.h"

#include <algorithm>

#include "internal.h"

namespace {
TScreen g_screen;
std::vector<TCustomForm*> g_modalStack;

// Runs an input step; an exception escaping a handler goes to the application's box.
template <class F>
void Guarded(TObject* sender, F&& f)
{
    try {
        f();
    } catch (...) {
        if (Application) Application->HandleException(sender);
        else throw;
    }
}
} // namespace

TScreen* Screen = &g_screen;

TCustomForm* TopModalForm() { return g_modalStack.empty() ? nullptr : g_modalStack.back(); }

TCustomForm* GetParentForm(const TControl* control)
{
    const TControl* c = control;
    while (c && c->Parent()) c = c->Parent();
    return const_cast<TCustomForm*>(dynamic_cast<const TCustomForm*>(c));
}

int TScreen::Width() const { return CurrentBackend().ScreenSize().cx; }
int TScreen::Height() const { return CurrentBackend().ScreenSize().cy; }
TRect TScreen::WorkAreaRect() const { return CurrentBackend().WorkArea(); }
TWinControl* TScreen::ActiveControl() const { return activeForm_ ? activeForm_->ActiveControl() : nullptr; }
void TScreen::SetCursor(TCursor value)
{
    cursor_ = value;
    for (TCustomForm* f : forms_)
        if (f->HandleAllocated()) CurrentBackend().SetCursorShape(*f, value);
}

void TScreen::FontsChanged()
{
    const std::vector<TCustomForm*> forms = forms_; // a handler may close a form
    for (TCustomForm* f : forms)
        if (std::find(forms_.begin(), forms_.end(), f) != forms_.end()) f->Perform(WM_FONTCHANGE, 0, 0);
}

// ---------------------------------------------------------------------------
TCustomForm::TCustomForm(TComponent* AOwner) : TWinControl(AOwner)
{
    visible_ = false;
    SetControlStyle(csAcceptsControls | csCaptureMouse | csClickEvents | csSetCaption | csDoubleClicks);
    SetParentFont(false);
    SetBounds(0, 0, 320, 240);
    buffer_.SetPixelFormat(pf32bit);
    g_screen.forms_.push_back(this);
}

TCustomForm::~TCustomForm()
{
    // A hooked window procedure may reach parts already gone: plain dispatch from here on.
    WindowProc = nullptr;
    g_modalStack.erase(std::remove(g_modalStack.begin(), g_modalStack.end(), this), g_modalStack.end());
    auto& forms = g_screen.forms_;
    forms.erase(std::remove(forms.begin(), forms.end(), this), forms.end());
    if (g_screen.activeForm_ == this) g_screen.activeForm_ = nullptr;
    if (Application && Application->MainForm() == this) Application->ForgetMainForm();
    DestroyHandle();
}

void TCustomForm::BeforeDestruction()
{
    if (!Destroying() && !destroyFired_) {
        destroyFired_ = true;
        if (OnDestroy) Guarded(this, [&] { OnDestroy(this); });
    }
    TWinControl::BeforeDestruction();
}

void TCustomForm::AfterConstruction()
{
    if (created_) return;
    created_ = true;
    if (Loading()) EndLoading();
    DoCreate();
}

void TCustomForm::DoCreate()
{
    if (OnCreate) OnCreate(this);
}

void TCustomForm::Show()
{
    SetVisible(true);
    if (HandleAllocated()) CurrentBackend().ActivateWindow(*this);
}

void TCustomForm::Hide() { SetVisible(false); }

void TCustomForm::PlaceOnScreen()
{
    TCustomForm* main = Application ? Application->MainForm() : nullptr;
    switch (position_) {
    case poScreenCenter:
    case poDesktopCenter: {
        TSize s = CurrentBackend().ScreenSize();
        SetBounds((s.cx - Width()) / 2, (s.cy - Height()) / 2, Width(), Height());
        break;
    }
    case poMainFormCenter:
    case poOwnerFormCenter: {
        TCustomForm* ref = position_ == poOwnerFormCenter ? dynamic_cast<TCustomForm*>(Owner()) : main;
        if (!ref || ref == this) ref = main;
        if (ref && ref != this)
            SetBounds(ref->Left() + (ref->Width() - Width()) / 2, ref->Top() + (ref->Height() - Height()) / 2,
                      Width(), Height());
        else {
            TSize s = CurrentBackend().ScreenSize();
            SetBounds((s.cx - Width()) / 2, (s.cy - Height()) / 2, Width(), Height());
        }
        break;
    }
    default:
        break;
    }
}

void TCustomForm::VisibleChanging(bool visible)
{
    if (visible) {
        PlaceOnScreen();
        CreateChildHandles();
        visible_ = true;
        Guarded(this, [&] { DoShow(); });
        if (!visible_) return; // OnShow hid it again
        InvalidateArea(ClientRect());
        CurrentBackend().ShowWindow(*this, true);
        InputActivate(true);
    } else {
        if (GetCaptureControl() && ContainsControl(GetCaptureControl())) SetCaptureControl(nullptr);
        if (mouseControl_) {
            TControl* old = mouseControl_;
            mouseControl_ = nullptr;
            old->Perform(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(old));
        }
        visible_ = false;
        if (HandleAllocated()) CurrentBackend().ShowWindow(*this, false);
        Guarded(this, [&] { DoHide(); });
        InputActivate(false);
    }
}

void TCustomForm::DoShow()
{
    if (OnShow) OnShow(this);
}

void TCustomForm::DoHide()
{
    if (OnHide) OnHide(this);
}

bool TCustomForm::CloseQuery()
{
    bool canClose = true;
    if (OnCloseQuery) OnCloseQuery(this, canClose);
    return canClose;
}

void TCustomForm::DoClose(TCloseAction& Action)
{
    if (OnClose) OnClose(this, Action);
}

void TCustomForm::Close()
{
    if (modal_) {
        modalResult_ = mrCancel;
        return;
    }
    if (closing_) return;
    closing_ = true;
    try {
        if (CloseQuery()) {
            TCloseAction action = caHide;
            DoClose(action);
            if (action != caNone) {
                if (Application && Application->MainForm() == this) Application->Terminate();
                else if (action == caHide) Hide();
                else if (action == caMinimize) SetWindowState(wsMinimized);
                else Release();
            }
        }
    } catch (...) {
        closing_ = false;
        throw;
    }
    closing_ = false;
}

void TCustomForm::CloseModal()
{
    TCloseAction action = caNone;
    if (CloseQuery()) {
        action = caHide;
        DoClose(action);
    }
    if (action == caNone) modalResult_ = mrNone;
    else if (action == caFree) Release();
}

TModalResult TCustomForm::ShowModal()
{
    if (Visible() || !Enabled() || modal_) throw EInvalidOperation("Cannot make a visible window modal");
    if (!Application) throw EInvalidOperation("No application for a modal loop");
    SetCaptureControl(nullptr);
    TCustomForm* previous = g_screen.activeForm_;
    modal_ = true;
    g_modalStack.push_back(this);
    modalResult_ = mrNone;
    modalAccepted_ = false;
    auto finish = [&] {
        modal_ = false;
        g_modalStack.erase(std::remove(g_modalStack.begin(), g_modalStack.end(), this), g_modalStack.end());
        Hide();
        if (previous && previous != this && previous->Visible()) previous->InputActivate(true);
    };
    try {
        Show();
        CurrentBackend().ModalStarted(*this);
        while (!ModalCheck()) Application->HandleMessage();
    } catch (...) {
        finish();
        throw;
    }
    TModalResult result = modalResult_;
    finish();
    return result;
}

bool TCustomForm::ModalCheck()
{
    if (!modal_) return true;
    if (Application && Application->Terminated()) {
        modalResult_ = mrCancel;
        modalAccepted_ = true;
    } else if (modalResult_ != mrNone && !modalAccepted_) {
        CloseModal();
        modalAccepted_ = modalResult_ != mrNone;
    }
    return modalAccepted_ && modalResult_ != mrNone;
}

void TCustomForm::Release()
{
    if (HandleAllocated()) PostMessage(Handle(), CM_RELEASE, 0, 0);
    else Free();
}

void TCustomForm::SetBorderStyle(TFormBorderStyle value)
{
    if (borderStyle_ == value) return;
    borderStyle_ = value;
    if (HandleAllocated()) CurrentBackend().SetWindowStyle(*this);
}

void TCustomForm::SetFormStyle(TFormStyle value)
{
    if (formStyle_ == value) return;
    formStyle_ = value;
    if (HandleAllocated()) CurrentBackend().SetWindowStyle(*this);
}

void TCustomForm::SetWindowState(TWindowState value)
{
    if (windowState_ == value) return;
    windowState_ = value;
    if (HandleAllocated()) CurrentBackend().SetWindowState(*this, value);
}

void TCustomForm::SetAlphaBlend(bool value)
{
    if (alphaBlend_ == value) return;
    alphaBlend_ = value;
    if (HandleAllocated()) CurrentBackend().SetWindowAlpha(*this, value ? alpha_ : 255);
}

void TCustomForm::SetAlphaBlendValue(int value)
{
    value = std::clamp(value, 0, 255);
    alpha_ = value;
    if (HandleAllocated() && alphaBlend_) CurrentBackend().SetWindowAlpha(*this, value);
}

void TCustomForm::SetWindowRegion(std::optional<TRegion> region)
{
    region_ = std::move(region);
    if (HandleAllocated()) CurrentBackend().SetWindowShape(*this, region_);
    InvalidateArea(ClientRect());
}

void TCustomForm::SetActiveControl(TWinControl* control)
{
    if (control && (!ContainsControl(control) || control == this))
        throw EInvalidOperation("Invalid ActiveControl");
    if (Visible() && active_ && control) {
        if (!control->CanFocus()) throw EInvalidOperation("Cannot focus a disabled or invisible window");
        SetFocusedControl(control);
    } else {
        activeControl_ = control;
    }
}

void TCustomForm::FocusControl(TWinControl* control)
{
    if (Visible() && active_) SetFocusedControl(control);
    else activeControl_ = control;
}

void TCustomForm::SetFocusedControl(TWinControl* control)
{
    if (control == this) control = nullptr;
    activeControl_ = control;
    if (focused_ == control) return;
    TWinControl* old = focused_;
    focused_ = control;
    if (old) {
        old->Perform(CM_EXIT, 0, 0);
        if (focused_ != control) return; // OnExit moved the focus elsewhere
        old->Perform(WM_KILLFOCUS, reinterpret_cast<WPARAM>(control), 0);
    }
    if (control) {
        control->Perform(CM_ENTER, 0, 0);
        if (focused_ != control) return;
        control->Perform(WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
    }
    Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(control));
}

void TCustomForm::ControlRemoved(TControl* control)
{
    if (!control) return;
    auto inside = [&](TControl* c) {
        if (!c) return false;
        if (c == control) return true;
        return control->IsWindowed() && static_cast<TWinControl*>(control)->ContainsControl(c);
    };
    if (inside(mouseControl_)) mouseControl_ = nullptr;
    if (inside(GetCaptureControl())) SetCaptureControl(nullptr);
    if (inside(focused_)) {
        focused_ = nullptr;
        Perform(CM_FOCUSCHANGED, 0, 0);
    }
    if (inside(activeControl_)) activeControl_ = nullptr;
}

void TCustomForm::Activate()
{
    if (OnActivate) OnActivate(this);
}

void TCustomForm::Deactivate()
{
    if (OnDeactivate) OnDeactivate(this);
}

void TCustomForm::InputActivate(bool active)
{
    if (active == active_) return;
    if (active) {
        if (g_screen.activeForm_ && g_screen.activeForm_ != this) g_screen.activeForm_->InputActivate(false);
        g_screen.activeForm_ = this;
        active_ = true;
        Guarded(this, [&] {
            Activate();
            TWinControl* target = activeControl_;
            if (!target || !target->CanFocus()) target = FindNextControl(nullptr, true, true, false);
            if (target) SetFocusedControl(target);
        });
    } else {
        active_ = false;
        if (g_screen.activeForm_ == this) g_screen.activeForm_ = nullptr;
        Guarded(this, [&] { Deactivate(); });
    }
}

// --- handles and window ------------------------------------------------------
void TCustomForm::CreateWnd()
{
    TWinControl::CreateWnd();
    Backend& b = CurrentBackend();
    b.CreateWindow(*this);
    b.SetWindowTitle(*this, Caption());
    b.SetWindowBounds(*this, BoundsRect());
    b.SetWindowStyle(*this);
    if (alphaBlend_) b.SetWindowAlpha(*this, alpha_);
    if (region_) b.SetWindowShape(*this, region_);
    if (windowState_ != wsNormal) b.SetWindowState(*this, windowState_);
}

void TCustomForm::DestroyWnd()
{
    if (HandleAllocated()) CurrentBackend().DestroyWindow(*this);
    TWinControl::DestroyWnd();
}

void TCustomForm::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case WM_CLOSE:
        Close();
        return;
    case CM_RELEASE:
        Free();
        return;
    case WM_NCLBUTTONDOWN:
        if (m.WParam == static_cast<WPARAM>(HTCAPTION)) {
            SetCaptureControl(nullptr);
            if (HandleAllocated()) CurrentBackend().StartSystemMove(*this);
        }
        return;
    case WM_SIZE:
        TWinControl::WndProc(m);
        if (HandleAllocated()) CurrentBackend().SetWindowBounds(*this, BoundsRect());
        InvalidateArea(ClientRect());
        return;
    case WM_MOVE:
        if (HandleAllocated()) CurrentBackend().SetWindowBounds(*this, BoundsRect());
        return;
    case CM_TEXTCHANGED:
        if (HandleAllocated()) CurrentBackend().SetWindowTitle(*this, Caption());
        return;
    case CM_DIALOGKEY:
        if (!(KeyboardStateToShiftState() & ssAlt)) {
            switch (m.WParam) {
            case VK_TAB:
                if (!(KeyboardStateToShiftState() & ssCtrl)) {
                    SelectNext(activeControl_, !(KeyboardStateToShiftState() & ssShift), true);
                    m.Result = 1;
                    return;
                }
                break;
            case VK_LEFT:
            case VK_RIGHT:
            case VK_UP:
            case VK_DOWN:
                if (activeControl_ && activeControl_->Parent()) {
                    activeControl_->Parent()->SelectNext(activeControl_, m.WParam == VK_RIGHT || m.WParam == VK_DOWN,
                                                         false);
                    m.Result = 1;
                }
                return;
            }
        }
        TWinControl::WndProc(m);
        return;
    case WM_PAINT:
        if (m.WParam) {
            auto* c = reinterpret_cast<TCanvas*>(m.WParam);
            PaintWindow(*c);
            PaintControls(*c, nullptr);
        }
        return;
    }
    TWinControl::WndProc(m);
}

void TCustomForm::PaintWindow(TCanvas& canvas)
{
    TCanvas* saved = paintCanvas_;
    paintCanvas_ = &canvas;
    try {
        Paint();
    } catch (...) {
        paintCanvas_ = saved;
        throw;
    }
    paintCanvas_ = saved;
}

void TCustomForm::Paint()
{
    if (OnPaint) OnPaint(this);
}

TCanvas* TCustomForm::Canvas()
{
    if (paintCanvas_) return paintCanvas_;
    return buffer_.Canvas();
}

// --- painting ------------------------------------------------------------------
void TCustomForm::InvalidateArea(const TRect& r)
{
    TRect clipped;
    if (!IntersectRect(clipped, r, ClientRect())) return;
    UnionRect(dirty_, dirty_, clipped);
}

void TCustomForm::MarkDrawn(const TRect& r)
{
    TRect clipped;
    if (IntersectRect(clipped, r, ClientRect())) UnionRect(drawn_, drawn_, clipped);
}

TRect TCustomForm::PaintDirty()
{
    int w = ClientWidth(), h = ClientHeight();
    if (buffer_.Width() != w || buffer_.Height() != h) {
        buffer_.SetSize(w, h);
        dirty_ = ClientRect();
    }
    if ((dirty_.IsEmpty() && drawn_.IsEmpty()) || w == 0 || h == 0) return {};
    TRect area = dirty_;
    dirty_ = {};
    if (!area.IsEmpty()) {
        TCanvas& c = *buffer_.Canvas();
        SavedDC dc(c);
        c.SetViewportOrg(Point(0, 0));
        c.SetClipRect(area);
        Guarded(this, [&] { PaintSelf(c); });
    }
    TRect shown;
    UnionRect(shown, area, drawn_);
    drawn_ = {};
    if (HandleAllocated()) CurrentBackend().Present(*this, shown);
    return shown;
}

// --- input ------------------------------------------------------------------------
TControl* TCustomForm::InputTarget(int X, int Y) const
{
    const TWinControl* cur = this;
    TPoint p{X, Y};
    for (;;) {
        TControl* c = cur->ControlAtPos(p, false, true);
        if (!c) return const_cast<TWinControl*>(cur);
        p.X -= c->Left();
        p.Y -= c->Top();
        if (!c->IsWindowed()) return c;
        cur = static_cast<TWinControl*>(c);
    }
}

void TCustomForm::UpdateMouseControl(TControl* hit)
{
    if (hit == mouseControl_) return;
    TControl* capture = GetCaptureControl();
    TControl* old = mouseControl_;
    mouseControl_ = hit;
    // While a control holds the capture only it hears of entering and leaving.
    if (old && (!capture || capture == old)) old->Perform(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(old));
    if (mouseControl_ != hit) return; // a handler changed the tree
    if (hit && (!capture || capture == hit)) hit->Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(hit));
}

namespace {
// While a modal loop runs only its form takes input (the others are disabled).
bool AcceptsInput(TCustomForm* form)
{
    TCustomForm* top = TopModalForm();
    return form->Enabled() && (!top || top == form);
}

WPARAM MouseKeys(TShiftState shift)
{
    WPARAM w = 0;
    if (shift & ssShift) w |= MK_SHIFT;
    if (shift & ssCtrl) w |= MK_CONTROL;
    if (shift & ssLeft) w |= MK_LBUTTON;
    if (shift & ssRight) w |= MK_RBUTTON;
    if (shift & ssMiddle) w |= MK_MBUTTON;
    return w;
}
} // namespace

void TCustomForm::InputMouseMove(int X, int Y, TShiftState Shift)
{
    SetKeyboardShiftState(Shift);
    TPoint screen = ClientToScreen(Point(X, Y));
    if (!AcceptsInput(this)) return;
    Guarded(this, [&] {
        TControl* hit = InputTarget(X, Y);
        UpdateMouseControl(hit);
        TControl* target = GetCaptureControl() ? GetCaptureControl() : hit;
        if (!target || GetParentForm(target) != this) return;
        TCursor cur = g_screen.cursor_ != crDefault ? g_screen.cursor_ : target->Cursor();
        if (HandleAllocated()) CurrentBackend().SetCursorShape(*this, cur);
        TPoint local = target->ScreenToClient(screen);
        target->Perform(WM_MOUSEMOVE, MouseKeys(Shift), MakeLParam(local.X, local.Y));
    });
}

void TCustomForm::InputMouseButton(UINT Msg, TMouseButton, int X, int Y, TShiftState Shift)
{
    SetKeyboardShiftState(Shift);
    TPoint screen = ClientToScreen(Point(X, Y));
    if (!AcceptsInput(this)) return;
    Guarded(this, [&] {
        TControl* hit = InputTarget(X, Y);
        UpdateMouseControl(hit);
        TControl* target = GetCaptureControl() ? GetCaptureControl() : hit;
        if (!target) return;
        TPoint local = target->ScreenToClient(screen);
        target->Perform(Msg, MouseKeys(Shift), MakeLParam(local.X, local.Y));
    });
}

void TCustomForm::InputMouseWheel(int X, int Y, int Delta, TShiftState Shift)
{
    SetKeyboardShiftState(Shift);
    if (!AcceptsInput(this)) return;
    Guarded(this, [&] {
        TControl* target = focused_ ? static_cast<TControl*>(focused_) : InputTarget(X, Y);
        TPoint screen = ClientToScreen(Point(X, Y));
        WPARAM w = (static_cast<WPARAM>(static_cast<std::uint16_t>(Delta)) << 16) | MouseKeys(Shift);
        target->Perform(WM_MOUSEWHEEL, w, MakeLParam(screen.X, screen.Y));
    });
}

void TCustomForm::InputMouseLeave()
{
    Guarded(this, [&] { UpdateMouseControl(nullptr); });
}

void TCustomForm::InputKey(UINT Msg, unsigned short Key, TShiftState Shift)
{
    SetKeyboardShiftState(Shift);
    if (!AcceptsInput(this)) return;
    Guarded(this, [&] {
        TWinControl* target = focused_ ? focused_ : this;
        if (Msg == WM_KEYDOWN || Msg == WM_SYSKEYDOWN) {
            LRESULT mask = 0;
            switch (Key) {
            case VK_TAB: mask = DLGC_WANTTAB; break;
            case VK_LEFT:
            case VK_RIGHT:
            case VK_UP:
            case VK_DOWN: mask = DLGC_WANTARROWS; break;
            case VK_RETURN:
            case VK_ESCAPE: mask = DLGC_WANTALLKEYS; break;
            }
            // Keys the control does not keep for itself are the dialog's.
            if (mask && target->Perform(CM_WANTSPECIALKEY, Key, 0) == 0 &&
                (target->Perform(WM_GETDLGCODE, 0, 0) & mask) == 0 && Perform(CM_DIALOGKEY, Key, 0) != 0)
                return;
        }
        target->Perform(Msg, Key, 0);
    });
}

void TCustomForm::InputChar(char Key)
{
    if (!AcceptsInput(this)) return;
    Guarded(this, [&] {
        TWinControl* target = focused_ ? focused_ : this;
        bool alt = (KeyboardStateToShiftState() & ssAlt) != 0;
        if (alt || (target->Perform(WM_GETDLGCODE, 0, 0) & DLGC_WANTCHARS) == 0) {
            auto code = static_cast<WPARAM>(static_cast<unsigned char>(Key));
            if (Perform(CM_DIALOGCHAR, code, 0) != 0) return;
            if (alt) return;
        }
        target->Perform(WM_CHAR, static_cast<unsigned char>(Key), 0);
    });
}

void TCustomForm::InputResize(int ClientW, int ClientH) { SetBounds(Left(), Top(), ClientW, ClientH); }

void TCustomForm::InputMove(int X, int Y)
{
    if (X == Left() && Y == Top()) return;
    left_ = X;
    top_ = Y;
}

void TCustomForm::InputCloseRequest()
{
    Guarded(this, [&] { Close(); });
}
