#include "vcl/application.h"
#include "vcl/controls.h"
#include "vcl/forms.h"

#include <algorithm>
#include <mutex>
#include <unordered_map>

#include "internal.h"

namespace {
// Handle -> control, for FindControl. GUI thread only, like the controls.
std::unordered_map<HWND, TWinControl*>& HandleMap()
{
    static std::unordered_map<HWND, TWinControl*> map;
    return map;
}
} // namespace

TWinControl* FindControl(HWND handle)
{
    if (!handle) return nullptr;
    auto& map = HandleMap();
    auto it = map.find(handle);
    return it == map.end() ? nullptr : it->second;
}

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner) {}

TWinControl::~TWinControl()
{
    WindowProc = nullptr;
    // Leave the parent while still windowed: by ~TControl the dynamic type is
    // gone and the parent would look in the wrong list.
    if (parent_) parent_->RemoveControl(this);
    else if (TCustomForm* f = ParentForm()) f->ControlRemoved(this);
    DestroyHandle();
    // Children still here are freed with us (those owned elsewhere included).
    while (!winControls_.empty() || !controls_.empty()) {
        TControl* c = !winControls_.empty() ? winControls_.back() : controls_.back();
        RemoveControl(c);
        c->BeforeDestruction();
        delete c;
    }
}

HWND TWinControl::Handle()
{
    HandleNeeded();
    return handle_;
}

void TWinControl::HandleNeeded()
{
    if (handle_) return;
    if (parent_) parent_->HandleNeeded();
    CreateHandle();
}

void TWinControl::CreateHandle()
{
    if (handle_) return;
    CreateWnd();
}

void TWinControl::CreateWnd()
{
    if (!Application) throw EInvalidOperation("Control '" + Name() + "' has no parent window");
    handle_ = AllocateHWnd(Application->Queue(), [this](UINT msg, WPARAM w, LPARAM l) -> LRESULT {
        // Messages that arrive through the handle (posted or sent): an exception
        // escaping a handler goes to the application's box, never into the queue.
        try {
            return Perform(msg, w, l);
        } catch (...) {
            if (Application) Application->HandleException(this);
            return 0;
        }
    });
    HandleMap()[handle_] = this;
    Perform(WM_CREATE, 0, 0);
}

void TWinControl::DestroyWnd()
{
    if (!handle_) return;
    HandleMap().erase(handle_);
    DeallocateHWnd(handle_);
    handle_ = nullptr;
}

void TWinControl::DestroyHandle()
{
    if (!handle_) return;
    for (TControl* c : winControls_) static_cast<TWinControl*>(c)->DestroyHandle();
    DestroyWnd();
}

void TWinControl::CreateChildHandles()
{
    HandleNeeded();
    for (TControl* c : winControls_)
        if (c->Visible()) static_cast<TWinControl*>(c)->CreateChildHandles();
}

TControl* TWinControl::Controls(int index) const
{
    std::size_t n = controls_.size();
    if (index < 0 || index >= ControlCount()) throw EListError("List index out of bounds (" + std::to_string(index) + ")");
    std::size_t i = static_cast<std::size_t>(index);
    return i < n ? controls_[i] : winControls_[i - n];
}

bool TWinControl::ContainsControl(const TControl* AControl) const
{
    for (const TControl* c = AControl; c; c = c->parent_)
        if (c == this) return true;
    return false;
}

void TWinControl::InsertControl(TControl* AControl)
{
    if (!AControl || AControl->parent_ == this) return;
    if (AControl->IsWindowed() && static_cast<TWinControl*>(AControl)->ContainsControl(this))
        throw EInvalidOperation("A control cannot be placed inside itself");
    AControl->parent_ = this;
    if (AControl->IsWindowed()) {
        winControls_.push_back(AControl);
        tabList_.push_back(static_cast<TWinControl*>(AControl));
    } else {
        controls_.push_back(AControl);
    }
    if (AControl->parentFont_) AControl->ParentFontChanged();
    if (AControl->parentColor_) AControl->ParentColorChanged();
    if (AControl->parentBiDiMode_) AControl->ParentBiDiModeChanged();
    if (AControl->IsWindowed() && HandleAllocated() && AControl->Visible())
        static_cast<TWinControl*>(AControl)->CreateChildHandles();
    AControl->UpdateAnchorRules();
    AControl->Invalidate();
    Perform(CM_CONTROLLISTCHANGE, reinterpret_cast<WPARAM>(AControl), 1);
    if (AControl->align_ != alNone) AlignAll();
}

void TWinControl::RemoveControl(TControl* AControl)
{
    if (!AControl || AControl->parent_ != this) return;
    AControl->Invalidate();
    if (TCustomForm* f = ParentForm()) f->ControlRemoved(AControl);
    if (AControl->IsWindowed()) {
        auto* w = static_cast<TWinControl*>(AControl);
        // A windowed control moving to another form gets a fresh handle there.
        w->DestroyHandle();
        winControls_.erase(std::remove(winControls_.begin(), winControls_.end(), AControl), winControls_.end());
        tabList_.erase(std::remove(tabList_.begin(), tabList_.end(), w), tabList_.end());
    } else {
        controls_.erase(std::remove(controls_.begin(), controls_.end(), AControl), controls_.end());
    }
    AControl->parent_ = nullptr;
    Perform(CM_CONTROLLISTCHANGE, reinterpret_cast<WPARAM>(AControl), 0);
    if (AControl->align_ != alNone) AlignAll();
}

TControl* TWinControl::ControlAtPos(TPoint Pos, bool AllowDisabled, bool AllowWinControls) const
{
    auto hits = [&](TControl* c) {
        if (!c->visible_ || (!AllowDisabled && !c->enabled_)) return false;
        if (!PtInRect(c->BoundsRect(), Pos)) return false;
        if (!c->IsWindowed()) {
            TPoint local{Pos.X - c->left_, Pos.Y - c->top_};
            return c->Perform(CM_HITTEST, 0, MakeLParam(local.X, local.Y)) != 0;
        }
        return true;
    };
    if (AllowWinControls)
        for (auto it = winControls_.rbegin(); it != winControls_.rend(); ++it)
            if (hits(*it)) return *it;
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it)
        if (hits(*it)) return *it;
    return nullptr;
}

void TWinControl::Broadcast(TMessage& Message)
{
    std::vector<TControl*> all(controls_);
    all.insert(all.end(), winControls_.begin(), winControls_.end());
    for (TControl* c : all) {
        if (!ContainsControl(c)) continue; // removed by an earlier handler
        if (!c->WindowProc) continue;      // being destroyed
        c->WindowProc(Message);
        if (Message.Result != 0) return;
    }
}

void TWinControl::ShowControl(TControl*)
{
    if (TWinControl* parent = Parent()) parent->ShowControl(this);
}

void TWinControl::EnableAlign()
{
    if (alignDisabled_ > 0 && --alignDisabled_ == 0) AlignAll();
}

void TWinControl::Realign() { AlignAll(); }

void TWinControl::AlignAll()
{
    if (alignDisabled_ > 0 || aligning_) return;
    aligning_ = true;
    try {
        TRect r = ClientRect();
        AlignControls(nullptr, r);
    } catch (...) {
        aligning_ = false;
        throw;
    }
    aligning_ = false;
}

void TWinControl::AlignControls(TControl*, TRect& r)
{
    std::vector<TControl*> all(controls_);
    all.insert(all.end(), winControls_.begin(), winControls_.end());
    auto place = [&](TAlign align) {
        std::vector<TControl*> list;
        for (TControl* c : all)
            if (c->align_ == align && c->visible_) list.push_back(c);
        std::stable_sort(list.begin(), list.end(), [align](TControl* a, TControl* b) {
            switch (align) {
            case alTop: return a->top_ < b->top_;
            case alBottom: return a->top_ + a->height_ > b->top_ + b->height_;
            case alLeft: return a->left_ < b->left_;
            case alRight: return a->left_ + a->width_ > b->left_ + b->width_;
            default: return false;
            }
        });
        for (TControl* c : list) {
            switch (align) {
            case alTop:
                c->SetBounds(r.Left, r.Top, r.Width(), c->height_);
                r.Top += c->height_;
                break;
            case alBottom:
                c->SetBounds(r.Left, r.Bottom - c->height_, r.Width(), c->height_);
                r.Bottom -= c->height_;
                break;
            case alLeft:
                c->SetBounds(r.Left, r.Top, c->width_, r.Height());
                r.Left += c->width_;
                break;
            case alRight:
                c->SetBounds(r.Right - c->width_, r.Top, c->width_, r.Height());
                r.Right -= c->width_;
                break;
            case alClient:
                c->SetBounds(r.Left, r.Top, r.Width(), r.Height());
                break;
            default:
                break;
            }
        }
    };
    for (TAlign a : {alTop, alBottom, alLeft, alRight, alClient}) place(a);
}

void TWinControl::ApplyAnchors(int, int)
{
    if (Loading()) return;
    std::vector<TControl*> all(controls_);
    all.insert(all.end(), winControls_.begin(), winControls_.end());
    int cw = ClientWidth(), ch = ClientHeight();
    aligning_ = true; // our moves must not re-take the rules
    for (TControl* c : all) {
        if (c->align_ != alNone || !c->anchorValid_) continue;
        int l = c->left_, t = c->top_, w = c->width_, h = c->height_;
        if (c->anchors_ & akRight) {
            if (c->anchors_ & akLeft) w = cw - c->anchorMargins_.X - l;
            else l = cw - c->anchorMargins_.X - w;
        }
        if (c->anchors_ & akBottom) {
            if (c->anchors_ & akTop) h = ch - c->anchorMargins_.Y - t;
            else t = ch - c->anchorMargins_.Y - h;
        }
        c->SetBounds(l, t, w, h);
    }
    aligning_ = false;
}

// --- focus ------------------------------------------------------------------
void TWinControl::SetTabStop(bool value)
{
    if (tabStop_ == value) return;
    tabStop_ = value;
    Perform(CM_TABSTOPCHANGED, 0, 0);
}

int TWinControl::TabOrder() const
{
    if (!parent_) return -1;
    auto& list = parent_->tabList_;
    auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TWinControl::SetTabOrder(int value)
{
    if (!parent_) return;
    auto& list = parent_->tabList_;
    auto it = std::find(list.begin(), list.end(), this);
    if (it == list.end()) return;
    list.erase(it);
    if (value < 0 || value > static_cast<int>(list.size())) value = static_cast<int>(list.size());
    list.insert(list.begin() + value, this);
}

bool TWinControl::CanFocus() const
{
    const TControl* c = this;
    for (; c; c = c->parent_) {
        if (!c->visible_ || !c->enabled_) return false;
        if (!c->parent_) return dynamic_cast<const TCustomForm*>(c) != nullptr;
    }
    return false;
}

void TWinControl::SetFocus()
{
    TCustomForm* f = ParentForm();
    if (!f) return;
    if (f == this) {
        f->InputActivate(true);
        return;
    }
    if (!CanFocus()) throw EInvalidOperation("Cannot focus a disabled or invisible window");
    f->FocusControl(this);
}

bool TWinControl::Focused() const
{
    TCustomForm* f = ParentForm();
    return f && f->focused_ == this && f->Active();
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& list) const
{
    for (TWinControl* c : tabList_) {
        list.push_back(c);
        c->GetTabOrderList(list);
    }
}

TWinControl* TWinControl::FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop,
                                          bool CheckParent) const
{
    std::vector<TWinControl*> list;
    GetTabOrderList(list);
    if (list.empty()) return nullptr;
    int n = static_cast<int>(list.size());
    int start = -1;
    auto it = std::find(list.begin(), list.end(), CurControl);
    if (it != list.end()) start = static_cast<int>(it - list.begin());
    else if (!GoForward) start = 0; // stepping back from nothing starts at the end
    int i = start;
    for (int step = 0; step < n; ++step) {
        i = GoForward ? (i + 1) % n : (i - 1 + n) % n;
        TWinControl* c = list[static_cast<std::size_t>(i)];
        if (c == CurControl) break;
        if ((!CheckTabStop || c->tabStop_) && (!CheckParent || c->parent_ == this) && c->CanFocus()) return c;
    }
    return nullptr;
}

void TWinControl::SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop)
{
    TWinControl* next = FindNextControl(CurControl, GoForward, CheckTabStop, !CheckTabStop);
    if (next) next->SetFocus();
}

void TWinControl::SelectFirst()
{
    TCustomForm* f = ParentForm();
    TWinControl* c = (f ? f : this)->FindNextControl(nullptr, true, true, false);
    if (c) c->SetFocus();
}

void TWinControl::SetEnabled(bool value)
{
    if (Enabled() == value) return;
    TControl::SetEnabled(value);
    if (!value)
        if (TCustomForm* f = ParentForm()) f->ControlRemoved(this);
}

// --- keys -------------------------------------------------------------------
void TWinControl::KeyDown(unsigned short& Key, TShiftState Shift)
{
    if (OnKeyDown) OnKeyDown(this, Key, Shift);
}

void TWinControl::KeyUp(unsigned short& Key, TShiftState Shift)
{
    if (OnKeyUp) OnKeyUp(this, Key, Shift);
}

void TWinControl::KeyPress(char& Key)
{
    if (OnKeyPress) OnKeyPress(this, Key);
}

void TWinControl::DoEnter()
{
    if (OnEnter) OnEnter(this);
}

void TWinControl::DoExit()
{
    if (OnExit) OnExit(this);
}

bool TWinControl::DoKeyDown(TMessage& m)
{
    TShiftState shift = KeyboardStateToShiftState();
    TCustomForm* f = ParentForm();
    auto key = static_cast<unsigned short>(m.WParam);
    if (f && f != this && f->KeyPreview()) {
        f->KeyDown(key, shift);
        if (key == 0) return true;
    }
    KeyDown(key, shift);
    m.WParam = key;
    return key == 0;
}

bool TWinControl::DoKeyUp(TMessage& m)
{
    TShiftState shift = KeyboardStateToShiftState();
    TCustomForm* f = ParentForm();
    auto key = static_cast<unsigned short>(m.WParam);
    if (f && f != this && f->KeyPreview()) {
        f->KeyUp(key, shift);
        if (key == 0) return true;
    }
    KeyUp(key, shift);
    m.WParam = key;
    return key == 0;
}

bool TWinControl::DoKeyPress(TMessage& m)
{
    TCustomForm* f = ParentForm();
    char key = static_cast<char>(m.WParam);
    if (f && f != this && f->KeyPreview()) {
        f->KeyPress(key);
        if (key == 0) {
            m.WParam = 0;
            return true;
        }
    }
    KeyPress(key);
    m.WParam = static_cast<unsigned char>(key);
    return key == 0;
}

void TWinControl::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        if (DoKeyDown(m)) m.Result = 1;
        return;
    case WM_KEYUP:
    case WM_SYSKEYUP:
        if (DoKeyUp(m)) m.Result = 1;
        return;
    case WM_CHAR:
        // WParam is 0 afterwards when KeyPress dropped the character.
        if (DoKeyPress(m)) m.Result = 1;
        return;
    case WM_GETDLGCODE:
        m.Result = 0;
        return;
    case WM_SETFOCUS:
        Invalidate();
        return;
    case WM_KILLFOCUS:
        Invalidate();
        return;
    case CM_ENTER:
        DoEnter();
        return;
    case CM_EXIT:
        DoExit();
        return;
    case CM_DIALOGKEY:
    case CM_DIALOGCHAR:
    case CM_FOCUSCHANGED:
        Broadcast(m);
        return;
    case WM_SIZE:
        if (lastClientW_ >= 0) ApplyAnchors(lastClientW_, lastClientH_);
        lastClientW_ = ClientWidth();
        lastClientH_ = ClientHeight();
        AlignAll();
        return;
    case WM_ERASEBKGND:
        if (m.WParam) {
            auto* c = reinterpret_cast<TCanvas*>(m.WParam);
            c->Brush()->SetColor(Color());
            c->Brush()->SetStyle(bsSolid);
            c->FillRect(ClientRect());
        }
        m.Result = 1;
        return;
    case WM_PAINT:
        if (m.WParam) {
            auto* c = reinterpret_cast<TCanvas*>(m.WParam);
            PaintWindow(*c);
            PaintControls(*c, nullptr);
        }
        return;
    case CM_FONTCHANGED:
        TControl::WndProc(m);
        NotifyControls(CM_PARENTFONTCHANGED);
        return;
    case CM_COLORCHANGED:
        TControl::WndProc(m);
        NotifyControls(CM_PARENTCOLORCHANGED);
        return;
    case CM_BIDIMODECHANGED:
        TControl::WndProc(m);
        NotifyControls(CM_PARENTBIDIMODECHANGED);
        return;
    case WM_FONTCHANGE:
        NotifyControls(WM_FONTCHANGE);
        return;
    case CM_PARENTFONTCHANGED:
        ParentFontChanged();
        return;
    case CM_PARENTCOLORCHANGED:
        ParentColorChanged();
        return;
    case CM_PARENTBIDIMODECHANGED:
        ParentBiDiModeChanged();
        return;
    }
    TControl::WndProc(m);
}

void TWinControl::NotifyControls(UINT Msg)
{
    TMessage pm{Msg, 0, 0, 0};
    std::vector<TControl*> all(controls_);
    all.insert(all.end(), winControls_.begin(), winControls_.end());
    for (TControl* c : all)
        if (c->WindowProc) c->WindowProc(pm);
}

// --- painting -------------------------------------------------------------
void TWinControl::PaintWindow(TCanvas&) {}

namespace {
thread_local TControl* t_backgroundStop = nullptr; // child whose background is being painted
} // namespace

void TWinControl::PaintControls(TCanvas& canvas, TControl* First)
{
    TRect clip = canvas.ClipRect();
    bool started = First == nullptr;
    for (TControl* c : std::vector<TControl*>(controls_)) {
        if (!started) {
            started = c == First;
            if (!started) continue;
        }
        if (c == t_backgroundStop) break; // only what lies below it
        if (!c->visible_) continue;
        TRect r;
        if (!IntersectRect(r, c->BoundsRect(), clip)) continue;
        SavedDC dc(canvas);
        canvas.MoveViewportOrg(c->left_, c->top_);
        canvas.IntersectClipRect(Rect(0, 0, c->width_, c->height_));
        c->PaintSelf(canvas);
    }
}

void TWinControl::PaintSelf(TCanvas& canvas)
{
    {
        SavedDC dc(canvas);
        Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(&canvas), 0);
    }
    {
        SavedDC dc(canvas);
        canvas.SetFont(*Font());
        canvas.Brush()->SetColor(Color());
        Perform(WM_PAINT, reinterpret_cast<WPARAM>(&canvas), 0);
    }
    TRect clip = canvas.ClipRect();
    for (TControl* c : std::vector<TControl*>(winControls_)) {
        if (!c->visible_) continue;
        TRect r;
        if (!IntersectRect(r, c->BoundsRect(), clip)) continue;
        SavedDC dc(canvas);
        canvas.MoveViewportOrg(c->left_, c->top_);
        canvas.IntersectClipRect(Rect(0, 0, c->width_, c->height_));
        c->PaintSelf(canvas);
    }
}

void TWinControl::PaintTo(TCanvas& canvas, int X, int Y) { TControl::PaintTo(canvas, X, Y); }

void TWinControl::PaintBackgroundFor(TControl& child, TCanvas& canvas)
{
    if (t_backgroundStop == &child) return; // already inside this child's background
    TControl* savedStop = t_backgroundStop;
    t_backgroundStop = &child;
    try {
        SavedDC dc(canvas);
        canvas.MoveViewportOrg(-child.Left(), -child.Top());
        canvas.IntersectClipRect(ClientRect());
        {
            SavedDC e(canvas);
            Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(&canvas), 0);
        }
        SavedDC p(canvas);
        canvas.SetFont(*Font());
        canvas.Brush()->SetColor(Color());
        Perform(WM_PAINT, reinterpret_cast<WPARAM>(&canvas), 0);
    } catch (...) {
        t_backgroundStop = savedStop;
        throw;
    }
    t_backgroundStop = savedStop;
}

// ---------------------------------------------------------------------------
TCustomControl::TCustomControl(TComponent* AOwner) : TWinControl(AOwner), own_(std::make_unique<TCanvas>()) {}
TCustomControl::~TCustomControl() = default;

TCanvas* TCustomControl::Canvas()
{
    if (current_) return current_;
    if (TCustomForm* f = ParentForm(); f && static_cast<TControl*>(f) != this) {
        TPoint o = OffsetInForm();
        own_->SetTarget(&f->BackBuffer());
        own_->SetViewportOrg(Point(o.X + f->FrameInsets().Left, o.Y + f->FrameInsets().Top));
        TRect vis = VisibleRectInForm();
        OffsetRect(vis, -o.X, -o.Y);
        own_->SetClipRect(vis);
        OffsetRect(vis, o.X, o.Y);
        f->MarkDrawn(vis);
    } else if (f) {
        own_->SetTarget(&f->BackBuffer());
    }
    return own_.get();
}

void TCustomControl::PaintWindow(TCanvas& canvas)
{
    TCanvas* saved = current_;
    current_ = &canvas;
    try {
        Paint();
    } catch (...) {
        current_ = saved;
        throw;
    }
    current_ = saved;
}

void TCustomControl::WndProc(TMessage& m) { TWinControl::WndProc(m); }
