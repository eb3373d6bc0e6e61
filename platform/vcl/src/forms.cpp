#include "vcl/forms.h"

#include "vcl/application.h"
#include "vcl/menus.h"
#include "gfx/gdi.h"

#include <algorithm>

#include "internal.h"
#include "mdi.h"

namespace {
TScreen g_screen;
// Height of an MDI child's own caption strip.
constexpr int kChildCaption = 19;
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
        if (f->HandleAllocated() && !f->Parent()) CurrentBackend().SetCursorShape(*f, value);
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
    // Components hooked to the form (freed with its controls below) see it going.
    SetComponentState(ComponentState() | csDestroying);
    if (TMDIClient* client = ParentClient()) client->ChildGone(this);
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
    if (NativeWindow()) CurrentBackend().ActivateWindow(*this);
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
    if (TMDIClient* client = ParentClient()) {
        // A child of an MDI frame: drawn by the frame, activated by the client.
        if (visible) {
            CreateChildHandles();
            visible_ = true;
            Guarded(this, [&] { DoShow(); });
            if (visible_) client->ChildShown(this);
        } else {
            if (GetCaptureControl() && ContainsControl(GetCaptureControl())) SetCaptureControl(nullptr);
            visible_ = false;
            if (TCustomForm* top = ParentForm(); top && top != this) top->ControlRemoved(this);
            Guarded(this, [&] { DoHide(); });
            client->ChildHidden(this);
        }
        return;
    }
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
        if (NativeWindow()) CurrentBackend().ShowWindow(*this, false);
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
            // A closed MDI child goes away (it cannot be hidden in its frame for good).
            TCloseAction action = IsMDIChild() ? caFree : caHide;
            DoClose(action);
            if (action != caNone) {
                if (Application && Application->MainForm() == this) Application->Terminate();
                else if (action == caHide) Hide();
                else if (action == caMinimize) SetWindowState(wsMinimized);
                else {
                    if (IsMDIChild()) Hide();
                    Release();
                }
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
    hasCaption_ = value != bsNone; // a new border brings the caption back, as recreating the window does
    if (NativeWindow()) CurrentBackend().SetWindowStyle(*this);
    FrameChanged();
    Perform(CM_BORDERCHANGED, 0, 0);
}

void TCustomForm::SetHasCaption(bool value)
{
    if (hasCaption_ == value) return;
    hasCaption_ = value;
    if (NativeWindow()) CurrentBackend().SetWindowStyle(*this);
    FrameChanged();
}

TRect TCustomForm::WindowRect() const
{
    return Rect(Left() - insets_.Left, Top() - insets_.Top, Left() + Width() + insets_.Right,
                Top() + Height() + insets_.Bottom);
}

void TCustomForm::SetWindowRect(const TRect& r)
{
    SetBounds(r.Left + insets_.Left, r.Top + insets_.Top, r.Width() - insets_.Left - insets_.Right,
              r.Height() - insets_.Top - insets_.Bottom);
}

// MDI children always draw their frame: no window manager frames them.
bool TCustomForm::HasFrame() const { return borderStyle_ != bsNone && (!hasCaption_ || IsMDIChild()); }

void TCustomForm::FrameChanged()
{
    const TRect window = WindowRect();
    NCCALCSIZE_PARAMS params;
    params.rgrc[0] = params.rgrc[1] = window;
    params.rgrc[2] = BoundsRect();
    Perform(WM_NCCALCSIZE, 1, reinterpret_cast<LPARAM>(&params));
    const TRect& c = params.rgrc[0];
    const TRect insets = Rect(std::max(0, c.Left - window.Left), std::max(0, c.Top - window.Top),
                              std::max(0, window.Right - c.Right), std::max(0, window.Bottom - c.Bottom));
    if (insets != insets_) {
        insets_ = insets;
        if (NativeWindow()) CurrentBackend().SetWindowBounds(*this, WindowRect());
        InvalidateArea(ClientRect());
    }
    InvalidateFrame();
}

void TCustomForm::InvalidateFrame()
{
    if (insets_ == TRect{}) return;
    if (Parent()) Parent()->Invalidate(); // a child's frame is painted by its client
    else frameDirty_ = true;
}

void TCustomForm::DefaultNCCalcSize(NCCALCSIZE_PARAMS& params) const
{
    // The window manager frames a captioned window; our own frame is a plain
    // border, three pixels wide like a dialog frame.
    if (!HasFrame()) return;
    InflateRect(params.rgrc[0], -3, -3);
    if (IsMDIChild() && hasCaption_) params.rgrc[0].Top += kChildCaption;
}

TRect TCustomForm::ChildCaptionRect() const
{
    const TRect w = WindowRect();
    return Rect(3, 3, w.Width() - 3, 3 + kChildCaption);
}

TRect TCustomForm::ChildCloseBox() const
{
    const TRect c = ChildCaptionRect();
    return Rect(c.Right - 18, c.Top + 2, c.Right - 2, c.Bottom - 2);
}

LRESULT TCustomForm::DefaultNCHitTest(TPoint screen) const
{
    const TPoint p = ScreenToClient(screen);
    if (PtInRect(ClientRect(), p)) return HTCLIENT;
    if (!PtInRect(Rect(-insets_.Left, -insets_.Top, Width() + insets_.Right, Height() + insets_.Bottom), p))
        return HTNOWHERE;
    if (IsMDIChild() && hasCaption_) {
        const TPoint w = Point(p.X + insets_.Left, p.Y + insets_.Top);
        if (PtInRect(ChildCloseBox(), w)) return HTCLOSE;
        if (PtInRect(ChildCaptionRect(), w) || windowState_ == wsMinimized) return HTCAPTION;
    }
    if (borderStyle_ != bsSizeable && borderStyle_ != bsSizeToolWin) return HTBORDER;
    // Sizing edges, with corners reaching a little along each side.
    constexpr int corner = 8;
    const bool left = p.X < corner - insets_.Left, right = p.X >= Width() + insets_.Right - corner;
    const bool top = p.Y < corner - insets_.Top, bottom = p.Y >= Height() + insets_.Bottom - corner;
    if (p.Y < 0) return left ? HTTOPLEFT : right ? HTTOPRIGHT : HTTOP;
    if (p.Y >= Height()) return left ? HTBOTTOMLEFT : right ? HTBOTTOMRIGHT : HTBOTTOM;
    if (p.X < 0) return top ? HTTOPLEFT : bottom ? HTBOTTOMLEFT : HTLEFT;
    return top ? HTTOPRIGHT : bottom ? HTBOTTOMRIGHT : HTRIGHT;
}

void TCustomForm::DefaultNCPaint(TCanvas& canvas)
{
    // A raised button-face frame.
    TRect r = Rect(0, 0, Width() + insets_.Left + insets_.Right, Height() + insets_.Top + insets_.Bottom);
    canvas.Brush()->SetStyle(bsSolid);
    canvas.Brush()->SetColor(clBtnFace);
    canvas.FillRect(r);
    canvas.Brush()->SetColor(clBtnShadow);
    canvas.FrameRect(r);
    InflateRect(r, -1, -1);
    canvas.Brush()->SetColor(clBtnHighlight);
    canvas.FrameRect(r);
    if (!IsMDIChild() || !hasCaption_) return;
    // An MDI child's caption: the text left, a close box right.
    const TRect strip = ChildCaptionRect();
    canvas.Brush()->SetColor(active_ ? clActiveCaption : clInactiveCaption);
    canvas.FillRect(strip);
    TRect box = ChildCloseBox();
    canvas.Brush()->SetColor(clBtnFace);
    canvas.FillRect(box);
    canvas.Brush()->SetColor(clBtnShadow);
    canvas.FrameRect(box);
    canvas.Pen()->SetColor(clBtnText);
    for (int d = 0; d < 2; ++d) {
        canvas.MoveTo(box.Left + 4 + d, box.Top + 3);
        canvas.LineTo(box.Right - 4 + d, box.Bottom - 3);
        canvas.MoveTo(box.Left + 4 + d, box.Bottom - 4);
        canvas.LineTo(box.Right - 4 + d, box.Top - 1);
    }
    canvas.SetFont(*Font());
    canvas.Font()->SetStyle(canvas.Font()->Style() + TFontStyles{fsBold});
    canvas.Font()->SetColor(active_ ? clCaptionText : clInactiveCaptionText);
    canvas.Brush()->SetStyle(bsClear);
    TRect text = Rect(strip.Left + 4, strip.Top, box.Left - 4, strip.Bottom);
    DrawText(&canvas, Caption(), text, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
}

namespace {
unsigned EdgesOf(LRESULT hit)
{
    switch (hit) {
    case HTLEFT: return akLeft;
    case HTRIGHT: return akRight;
    case HTTOP: return akTop;
    case HTBOTTOM: return akBottom;
    case HTTOPLEFT: return akTop | akLeft;
    case HTTOPRIGHT: return akTop | akRight;
    case HTBOTTOMLEFT: return akBottom | akLeft;
    case HTBOTTOMRIGHT: return akBottom | akRight;
    default: return 0;
    }
}

TCursor SizingCursor(LRESULT hit)
{
    switch (hit) {
    case HTLEFT:
    case HTRIGHT: return crSizeWE;
    case HTTOP:
    case HTBOTTOM: return crSizeNS;
    case HTTOPLEFT:
    case HTBOTTOMRIGHT: return crSizeNWSE;
    case HTTOPRIGHT:
    case HTBOTTOMLEFT: return crSizeNESW;
    default: return crDefault;
    }
}
} // namespace

bool TCustomForm::NonClientMouse(TControl* target, UINT Msg, TPoint screen)
{
    auto* form = dynamic_cast<TCustomForm*>(target);
    if (!form || GetCaptureControl()) return false; // a capture hears everything as client input
    const TPoint p = form->ScreenToClient(screen);
    // Only the form's own frame: elsewhere (a popup hearing a click beside it) it is client input.
    const TRect& in = form->insets_;
    const TRect window = Rect(-in.Left, -in.Top, form->Width() + in.Right, form->Height() + in.Bottom);
    if (PtInRect(form->ClientRect(), p) || !PtInRect(window, p)) return false;
    const LPARAM where = MakeLParam(screen.X, screen.Y);
    const LRESULT hit = form->Perform(WM_NCHITTEST, 0, where);
    if (hit == HTCLIENT || hit == HTNOWHERE) return false;
    UINT nc = 0;
    switch (Msg) {
    case WM_MOUSEMOVE: nc = WM_NCMOUSEMOVE; break;
    case WM_LBUTTONDOWN: nc = WM_NCLBUTTONDOWN; break;
    case WM_LBUTTONUP: nc = WM_NCLBUTTONUP; break;
    case WM_LBUTTONDBLCLK: nc = WM_NCLBUTTONDBLCLK; break;
    case WM_RBUTTONDOWN: nc = WM_NCRBUTTONDOWN; break;
    case WM_RBUTTONUP: nc = WM_NCRBUTTONUP; break;
    default: return true;
    }
    if (nc == WM_NCMOUSEMOVE && HandleAllocated() && g_screen.cursor_ == crDefault)
        CurrentBackend().SetCursorShape(*this, SizingCursor(hit));
    form->Perform(nc, static_cast<WPARAM>(hit), where);
    return true;
}

void TCustomForm::SysCommand(WPARAM command)
{
    switch (command & 0xFFF0) {
    case SC_MINIMIZE:
        if (Application && Application->MainForm() == this) Application->Minimize();
        else SetWindowState(wsMinimized);
        break;
    case SC_MAXIMIZE:
        SetWindowState(wsMaximized);
        break;
    case SC_RESTORE:
        if (Application && Application->MainForm() == this && Application->Minimized()) Application->Restore();
        else SetWindowState(wsNormal);
        break;
    case SC_CLOSE:
        Close();
        break;
    }
}

namespace {
// The frame a new MDI child goes into: the main form when it is one, else the first frame about.
TCustomForm* FindMDIFrame()
{
    TCustomForm* main = Application ? Application->MainForm() : nullptr;
    if (main && main->MDIClient()) return main;
    for (int i = 0; i < Screen->FormCount(); ++i)
        if (Screen->Forms(i)->MDIClient()) return Screen->Forms(i);
    return nullptr;
}
} // namespace

void TCustomForm::SetFormStyle(TFormStyle value)
{
    if (formStyle_ == value) return;
    const TFormStyle old = formStyle_;
    if (value == fsMDIChild) {
        TCustomForm* frame = FindMDIFrame();
        if (!frame || frame == this) throw EInvalidOperation("Cannot create form. No MDI forms are currently active");
        const bool shown = Visible();
        if (shown) Hide();
        DestroyHandle(); // the native window goes: the frame draws the child
        formStyle_ = value;
        SetParent(frame->mdiClient_);
        FrameChanged();
        if (shown) Show();
        return;
    }
    if (old == fsMDIChild) {
        const bool shown = Visible();
        if (shown) Hide();
        if (windowState_ != wsNormal) SetWindowState(wsNormal);
        DestroyHandle();
        formStyle_ = value;
        SetParent(nullptr);
        FrameChanged();
        if (shown) Show();
        return;
    }
    formStyle_ = value;
    if (value == fsMDIForm && !mdiClient_) {
        mdiClient_ = new TMDIClient(this);
        mdiClient_->FreeNotification(this);
        if (HandleAllocated()) mdiClient_->CreateChildHandles();
    } else if (old == fsMDIForm && mdiClient_ && mdiClient_->Children().empty()) {
        TMDIClient* client = mdiClient_;
        mdiClient_ = nullptr;
        client->Free();
    }
    if (NativeWindow()) CurrentBackend().SetWindowStyle(*this);
}

TMDIClient* TCustomForm::ParentClient() const
{
    return formStyle_ == fsMDIChild ? dynamic_cast<TMDIClient*>(Parent()) : nullptr;
}

TWinControl* TCustomForm::MDIClient() const { return mdiClient_; }
bool TCustomForm::IsMDIChild() const { return ParentClient() != nullptr; }
int TCustomForm::MDIChildCount() const { return mdiClient_ ? static_cast<int>(mdiClient_->Children().size()) : 0; }

TCustomForm* TCustomForm::MDIChildren(int index) const
{
    const std::vector<TCustomForm*> list = mdiClient_ ? mdiClient_->Children() : std::vector<TCustomForm*>{};
    if (index < 0 || index >= static_cast<int>(list.size()))
        throw EListError("List index out of bounds (" + std::to_string(index) + ")");
    return list[static_cast<std::size_t>(index)];
}

TCustomForm* TCustomForm::ActiveMDIChild() const { return mdiClient_ ? mdiClient_->Active() : nullptr; }

void TCustomForm::Cascade()
{
    if (mdiClient_) mdiClient_->Perform(WM_MDICASCADE, 0, 0);
}

void TCustomForm::Tile()
{
    if (mdiClient_) mdiClient_->Perform(WM_MDITILE, tileMode_ == tbHorizontal ? MDITILE_HORIZONTAL : MDITILE_VERTICAL, 0);
}

void TCustomForm::SetWindowMenu(TMenuItem* value)
{
    if (windowMenu_ == value) return;
    if (windowMenu_) windowMenu_->RemoveFreeNotification(this);
    windowMenu_ = value;
    if (value) value->FreeNotification(this);
}

void TCustomForm::Notification(TComponent* AComponent, TOperation Operation)
{
    TWinControl::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == windowMenu_) windowMenu_ = nullptr;
    if (AComponent == mdiClient_) mdiClient_ = nullptr;
}

bool TCustomForm::KeepsConstraints() const { return !(windowState_ == wsMinimized && IsMDIChild()); }

void TCustomForm::SetWindowState(TWindowState value)
{
    if (windowState_ == value) return;
    if (TMDIClient* client = ParentClient()) {
        // The client places its children.
        if (value == wsMinimized) client->Minimize(this);
        else client->Perform(value == wsMaximized ? WM_MDIMAXIMIZE : WM_MDIRESTORE, reinterpret_cast<WPARAM>(this), 0);
        return;
    }
    const TWindowState old = windowState_;
    windowState_ = value;
    if (!HasFrame()) {
        if (HandleAllocated()) CurrentBackend().SetWindowState(*this, value);
        return;
    }
    // A frame of our own: the window manager would maximize to its own idea of the
    // work area, so the form places itself and tells its handlers by WM_SIZE.
    if (value == wsMaximized) {
        if (!restoreBounds_) restoreBounds_ = BoundsRect();
        if (HandleAllocated()) CurrentBackend().SetWindowState(*this, wsNormal);
        const TRect b = BoundsRect();
        SetWindowRect(CurrentBackend().WorkAreaAt(Point(b.Left + b.Width() / 2, b.Top + b.Height() / 2)));
        Perform(WM_SIZE, SIZE_MAXIMIZED, MakeLParam(Width(), Height()));
    } else if (value == wsNormal) {
        if (HandleAllocated()) CurrentBackend().SetWindowState(*this, wsNormal);
        if (old == wsMaximized && restoreBounds_) {
            const TRect r = *restoreBounds_;
            restoreBounds_.reset();
            SetBounds(r.Left, r.Top, r.Width(), r.Height());
        }
        Perform(WM_SIZE, SIZE_RESTORED, MakeLParam(Width(), Height()));
    } else {
        if (HandleAllocated()) CurrentBackend().SetWindowState(*this, wsMinimized);
        Perform(WM_SIZE, SIZE_MINIMIZED, MakeLParam(Width(), Height()));
    }
    InvalidateFrame();
}

void TCustomForm::SetAlphaBlend(bool value)
{
    if (alphaBlend_ == value) return;
    alphaBlend_ = value;
    if (NativeWindow()) CurrentBackend().SetWindowAlpha(*this, value ? alpha_ : 255);
}

void TCustomForm::SetAlphaBlendValue(int value)
{
    value = std::clamp(value, 0, 255);
    alpha_ = value;
    if (NativeWindow() && alphaBlend_) CurrentBackend().SetWindowAlpha(*this, value);
}

void TCustomForm::SetWindowRegion(std::optional<TRegion> region)
{
    region_ = std::move(region);
    if (NativeWindow()) CurrentBackend().SetWindowShape(*this, region_);
    InvalidateArea(ClientRect());
    InvalidateFrame();
}

void TCustomForm::SetActiveControl(TWinControl* control)
{
    if (control && (!ContainsControl(control) || control == this))
        throw EInvalidOperation("Invalid ActiveControl");
    if (IsMDIChild()) {
        // The frame holds the focus of its children.
        activeControl_ = control;
        if (active_ && control && Visible()) ParentForm()->SetActiveControl(control);
        return;
    }
    if (Visible() && active_ && control) {
        if (!control->CanFocus()) throw EInvalidOperation("Cannot focus a disabled or invisible window");
        SetFocusedControl(control);
    } else {
        activeControl_ = control;
    }
}

void TCustomForm::FocusControl(TWinControl* control)
{
    if (IsMDIChild()) {
        activeControl_ = control;
        if (active_ && Visible()) ParentForm()->FocusControl(control);
        return;
    }
    if (Visible() && active_) SetFocusedControl(control);
    else activeControl_ = control;
}

void TCustomForm::SetFocusedControl(TWinControl* control)
{
    if (control == this) control = nullptr;
    activeControl_ = control;
    // The MDI child holding the control remembers it for its next activation.
    for (TWinControl* p = control ? control->Parent() : nullptr; p; p = p->Parent())
        if (auto* child = dynamic_cast<TCustomForm*>(p); child && child->IsMDIChild()) {
            child->activeControl_ = control;
            break;
        }
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
    InvalidateFrame();
    Guarded(this, [&] { Perform(WM_ACTIVATE, active_ ? WA_ACTIVE : WA_INACTIVE, 0); });
}

// --- handles and window ------------------------------------------------------
void TCustomForm::CreateWnd()
{
    TWinControl::CreateWnd();
    if (Parent()) return; // an MDI child: drawn by its frame
    native_ = true;
    Backend& b = CurrentBackend();
    b.CreateWindow(*this);
    b.SetWindowTitle(*this, Caption());
    b.SetWindowBounds(*this, WindowRect());
    b.SetWindowStyle(*this);
    if (alphaBlend_) b.SetWindowAlpha(*this, alpha_);
    if (region_) b.SetWindowShape(*this, region_);
    if (windowState_ != wsNormal) b.SetWindowState(*this, windowState_);
}

void TCustomForm::DestroyWnd()
{
    if (NativeWindow()) CurrentBackend().DestroyWindow(*this);
    native_ = false;
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
        if (TMDIClient* client = ParentClient()) {
            // No window manager inside a frame: the client drags the child's frame.
            const unsigned edges = EdgesOf(static_cast<LRESULT>(m.WParam));
            if (m.WParam == static_cast<WPARAM>(HTCAPTION) || edges) {
                const TPoint at = m.LParam ? Point(LParamX(m.LParam), LParamY(m.LParam)) : CurrentBackend().CursorPos();
                client->BeginTrack(this, edges, at);
            }
            return;
        }
        if (m.WParam == static_cast<WPARAM>(HTCAPTION)) {
            SetCaptureControl(nullptr);
            if (HandleAllocated()) CurrentBackend().StartSystemMove(*this);
        } else if (unsigned edges = EdgesOf(static_cast<LRESULT>(m.WParam))) {
            SetCaptureControl(nullptr);
            if (HandleAllocated()) CurrentBackend().StartSystemResize(*this, edges);
        }
        return;
    case WM_NCLBUTTONUP:
        if (IsMDIChild() && m.WParam == static_cast<WPARAM>(HTCLOSE)) Close();
        return;
    case WM_NCLBUTTONDBLCLK:
        if (IsMDIChild() && m.WParam == static_cast<WPARAM>(HTCAPTION))
            SetWindowState(windowState_ == wsNormal ? wsMaximized : wsNormal);
        return;
    case WM_NCCALCSIZE:
        if (m.LParam) DefaultNCCalcSize(*reinterpret_cast<NCCALCSIZE_PARAMS*>(m.LParam));
        return;
    case WM_NCHITTEST:
        m.Result = DefaultNCHitTest(Point(LParamX(m.LParam), LParamY(m.LParam)));
        return;
    case WM_NCPAINT:
        if (m.WParam) DefaultNCPaint(*reinterpret_cast<TCanvas*>(m.WParam));
        return;
    case WM_SYSCOMMAND:
        SysCommand(m.WParam);
        return;
    case WM_SIZE:
        TWinControl::WndProc(m);
        if (NativeWindow()) CurrentBackend().SetWindowBounds(*this, WindowRect());
        InvalidateArea(ClientRect());
        InvalidateFrame();
        return;
    case WM_MOVE:
        if (NativeWindow()) CurrentBackend().SetWindowBounds(*this, WindowRect());
        if (Parent()) Parent()->Invalidate();
        return;
    case CM_TEXTCHANGED:
        if (NativeWindow()) CurrentBackend().SetWindowTitle(*this, Caption());
        if (TMDIClient* client = ParentClient()) {
            InvalidateFrame();
            client->RefreshMenu();
        }
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
    if (Parent()) {
        InvalidateRectInForm(r); // an MDI child is painted with its frame
        return;
    }
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
    const int w = ClientWidth() + insets_.Left + insets_.Right, h = ClientHeight() + insets_.Top + insets_.Bottom;
    if (buffer_.Width() != w || buffer_.Height() != h) {
        try {
            buffer_.SetSize(w, h);
        } catch (...) {
            // Asked again only when something changes: not at every turn of the message loop.
            dirty_ = drawn_ = {};
            frameDirty_ = false;
            throw;
        }
        dirty_ = ClientRect();
        InvalidateFrame();
    }
    if ((dirty_.IsEmpty() && drawn_.IsEmpty() && !frameDirty_) || w == 0 || h == 0) return {};
    const TPoint origin = Point(insets_.Left, insets_.Top);
    TRect area = dirty_;
    dirty_ = {};
    if (!area.IsEmpty()) {
        TCanvas& c = *buffer_.Canvas();
        SavedDC dc(c);
        c.SetViewportOrg(origin);
        c.SetClipRect(area);
        Guarded(this, [&] { PaintSelf(c); });
    }
    TRect shown;
    UnionRect(shown, area, drawn_);
    OffsetRect(shown, origin.X, origin.Y);
    drawn_ = {};
    if (frameDirty_) {
        frameDirty_ = false;
        TCanvas& c = *buffer_.Canvas();
        SavedDC dc(c);
        c.SetViewportOrg(Point(0, 0));
        c.SetClipRect(Rect(0, 0, w, h));
        c.ExcludeClipRect(Bounds(origin.X, origin.Y, ClientWidth(), ClientHeight()));
        Guarded(this, [&] { Perform(WM_NCPAINT, reinterpret_cast<WPARAM>(&c), 0); });
        shown = Rect(0, 0, w, h);
    }
    if (NativeWindow()) CurrentBackend().Present(*this, shown);
    return shown;
}

// --- input ------------------------------------------------------------------------
TControl* TCustomForm::InputTarget(int X, int Y) const
{
    const TWinControl* cur = this;
    TPoint p{X, Y};
    for (;;) {
        if (auto* client = dynamic_cast<const TMDIClient*>(cur)) {
            // MDI children, the top one first: their frames catch the pointer too.
            TCustomForm* hit = nullptr;
            for (TCustomForm* f : client->Children())
                if (f->Visible() && PtInRect(f->WindowRect(), p)) {
                    hit = f;
                    break;
                }
            if (!hit) return const_cast<TWinControl*>(cur);
            if (!PtInRect(hit->BoundsRect(), p) || !hit->Enabled()) return hit;
            p.X -= hit->Left();
            p.Y -= hit->Top();
            cur = hit;
            continue;
        }
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
        if (NonClientMouse(target, WM_MOUSEMOVE, screen)) return;
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
        if (Msg == WM_LBUTTONDOWN || Msg == WM_RBUTTONDOWN || Msg == WM_MBUTTONDOWN || Msg == WM_LBUTTONDBLCLK)
            for (TControl* c = hit; c; c = c->Parent())
                if (auto* child = dynamic_cast<TCustomForm*>(c); child && child->IsMDIChild()) {
                    child->Parent()->Perform(WM_MDIACTIVATE, reinterpret_cast<WPARAM>(child), 0);
                    break;
                }
        TControl* target = GetCaptureControl() ? GetCaptureControl() : hit;
        if (!target) return;
        if (NonClientMouse(target, Msg, screen)) return;
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
        if (Application) {
            MSG msg{target->Handle(), Msg, Key, 0};
            if (Application->RunMessageHooks(msg)) return;
        }
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

void TCustomForm::InputResize(int WindowW, int WindowH)
{
    SetBounds(Left(), Top(), WindowW - insets_.Left - insets_.Right, WindowH - insets_.Top - insets_.Bottom);
}

void TCustomForm::InputMove(int X, int Y)
{
    X += insets_.Left;
    Y += insets_.Top;
    if (X == Left() && Y == Top()) return;
    left_ = X;
    top_ = Y;
}

void TCustomForm::InputCloseRequest()
{
    Guarded(this, [&] { Close(); });
}
