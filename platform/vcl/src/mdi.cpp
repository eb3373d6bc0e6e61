#include "mdi.h"

#include "vcl/application.h"
#include "vcl/menus.h"

#include <algorithm>

#include "internal.h"

TMDIClient::TMDIClient(TCustomForm* frame) : TWinControl(frame), frame_(frame)
{
    SetControlStyle(csAcceptsControls | csCaptureMouse);
    SetColor(clAppWorkSpace);
    SetParentColor(false);
    SetParent(frame);
    SetAlign(alClient);
}

std::vector<TCustomForm*> TMDIClient::Children() const
{
    std::vector<TCustomForm*> list;
    for (int i = ControlCount() - 1; i >= 0; --i)
        if (auto* f = dynamic_cast<TCustomForm*>(Controls(i)); f && !f->Destroying()) list.push_back(f);
    return list;
}

TCustomForm* TMDIClient::NextActive(const TCustomForm* leaving) const
{
    for (TCustomForm* f : Children())
        if (f != leaving && f->Visible()) return f;
    return nullptr;
}

// --- what the children tell --------------------------------------------------------
void TMDIClient::ChildShown(TCustomForm* child)
{
    Invalidate();
    Activate(child);
}

void TMDIClient::ChildHidden(TCustomForm* child)
{
    Invalidate();
    // The maximized look goes on with the child that comes forward.
    const bool maximized = active_ == child && child->windowState_ == wsMaximized;
    if (maximized) Perform(WM_MDIRESTORE, reinterpret_cast<WPARAM>(child), 0);
    icons_.erase(std::remove(icons_.begin(), icons_.end(), child), icons_.end());
    if (active_ == child) {
        active_ = nullptr;
        child->active_ = false;
        if (TCustomForm* next = NextActive(child)) Activate(next);
    }
    if (maximized && active_ && active_->windowState_ == wsNormal) Maximize(active_);
    ArrangeIcons();
    RefreshMenu();
}

void TMDIClient::ChildGone(TCustomForm* child)
{
    if (track_.child == child) {
        track_ = {};
        if (GetCaptureControl() == this) SetCaptureControl(nullptr);
    }
    ChildHidden(child);
}

// --- activation ---------------------------------------------------------------------
void TMDIClient::Activate(TCustomForm* child)
{
    if (!child || child->Parent() != this || !child->Visible() || child->Destroying()) return;
    child->BringToFront();
    Invalidate();
    if (active_ == child) return;
    TCustomForm* old = active_;
    const bool maximized = old && old->windowState_ == wsMaximized;
    active_ = child;
    if (old) {
        old->active_ = false;
        old->InvalidateFrame();
        old->Deactivate();
        old->Perform(WM_ACTIVATE, WA_INACTIVE, 0);
    }
    // Only the active child is shown maximized: the maximized look moves on.
    if (maximized && child->windowState_ != wsMinimized) {
        Perform(WM_MDIRESTORE, reinterpret_cast<WPARAM>(old), 0);
        Perform(WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(child), 0);
    }
    child->active_ = true;
    child->InvalidateFrame();
    child->Activate();
    child->Perform(WM_ACTIVATE, WA_ACTIVE, 0);
    TWinControl* target = child->activeControl_;
    if (!target || !child->ContainsControl(target) || !target->CanFocus())
        target = child->FindNextControl(nullptr, true, true, false);
    frame_->FocusControl(target);
    RefreshMenu();
}

// --- window states ----------------------------------------------------------------
void TMDIClient::FitMaximized(TCustomForm* child)
{
    const TRect& in = child->insets_;
    child->SetWindowRect(Rect(-in.Left, -in.Top, ClientWidth() + in.Right, ClientHeight() + in.Bottom));
}

void TMDIClient::Maximize(TCustomForm* child)
{
    if (child->windowState_ == wsMaximized) return;
    if (child->windowState_ == wsMinimized) icons_.erase(std::remove(icons_.begin(), icons_.end(), child), icons_.end());
    else child->restoreBounds_ = child->BoundsRect();
    child->windowState_ = wsMaximized;
    FitMaximized(child);
    child->Perform(WM_SIZE, SIZE_MAXIMIZED, MakeLParam(child->Width(), child->Height()));
    ArrangeIcons();
    Activate(child);
}

void TMDIClient::Restore(TCustomForm* child)
{
    if (child->windowState_ == wsNormal) return;
    icons_.erase(std::remove(icons_.begin(), icons_.end(), child), icons_.end());
    child->windowState_ = wsNormal;
    if (child->restoreBounds_) {
        const TRect r = *child->restoreBounds_;
        child->restoreBounds_.reset();
        child->SetBounds(r.Left, r.Top, r.Width(), r.Height());
    }
    child->Perform(WM_SIZE, SIZE_RESTORED, MakeLParam(child->Width(), child->Height()));
    ArrangeIcons();
}

void TMDIClient::Minimize(TCustomForm* child)
{
    if (child->windowState_ == wsMinimized) return;
    if (child->windowState_ == wsMaximized) Perform(WM_MDIRESTORE, reinterpret_cast<WPARAM>(child), 0);
    child->restoreBounds_ = child->BoundsRect();
    child->windowState_ = wsMinimized;
    icons_.push_back(child);
    ArrangeIcons();
    child->Perform(WM_SIZE, SIZE_MINIMIZED, MakeLParam(child->Width(), child->Height()));
    Invalidate();
}

// Minimized children side by side along the bottom, further rows above.
void TMDIClient::ArrangeIcons()
{
    const int perRow = std::max(1, ClientWidth() / kIconWidth);
    int i = 0;
    for (TCustomForm* f : icons_) {
        const int x = (i % perRow) * kIconWidth, y = ClientHeight() - (i / perRow + 1) * kIconHeight;
        f->SetWindowRect(Bounds(x, y, kIconWidth, kIconHeight));
        ++i;
    }
}

// --- arranging --------------------------------------------------------------------------
namespace {
std::vector<TCustomForm*> Arrangeable(const std::vector<TCustomForm*>& children)
{
    std::vector<TCustomForm*> list;
    for (TCustomForm* f : children)
        if (f->Visible() && f->WindowState() != wsMinimized) list.push_back(f);
    return list;
}
} // namespace

// Each window two thirds of the client, the bottom one at the top-left, each
// next one a caption's height further right and down.
void TMDIClient::Cascade()
{
    const std::vector<TCustomForm*> list = Arrangeable(Children());
    int offset = 0;
    for (auto it = list.rbegin(); it != list.rend(); ++it) {
        TCustomForm* f = *it;
        if (f->WindowState() == wsMaximized) Restore(f);
        f->SetWindowRect(Bounds(offset, offset, ClientWidth() * 2 / 3, ClientHeight() * 2 / 3));
        f->BringToFront();
        offset += std::max(f->FrameInsets().Top, 20);
        if (offset > ClientHeight() / 3) offset = 0;
    }
    Invalidate();
}

// The client shared out in rows (horizontal) or columns, the top window first;
// a row of icons at the bottom stays free.
void TMDIClient::Tile(bool horizontal)
{
    const std::vector<TCustomForm*> list = Arrangeable(Children());
    if (list.empty()) return;
    const int n = static_cast<int>(list.size());
    const int height = ClientHeight() - (icons_.empty() ? 0 : kIconHeight);
    for (int i = 0; i < n; ++i) {
        TCustomForm* f = list[static_cast<std::size_t>(i)];
        if (f->WindowState() == wsMaximized) Restore(f);
        TRect r = horizontal ? Rect(0, height * i / n, ClientWidth(), height * (i + 1) / n)
                             : Rect(ClientWidth() * i / n, 0, ClientWidth() * (i + 1) / n, height);
        f->SetWindowRect(r);
    }
    Invalidate();
}

// --- dragging a child's frame ----------------------------------------------------------
void TMDIClient::BeginTrack(TCustomForm* child, unsigned edges, TPoint screen)
{
    if (child->windowState_ == wsMaximized) return;
    if (child->windowState_ == wsMinimized) edges = 0;
    track_ = {child, edges, screen, child->WindowRect()};
    SetCaptureControl(this);
}

void TMDIClient::Track(TPoint screen)
{
    TCustomForm* f = track_.child;
    const int dx = screen.X - track_.start.X, dy = screen.Y - track_.start.Y;
    TRect r = track_.rect;
    if (!track_.edges) {
        OffsetRect(r, dx, dy);
    } else {
        // The frame may not get narrower than the form's constraints allow.
        const TRect& in = f->insets_;
        const int minW = f->Constraints()->ConstrainWidth(0) + in.Left + in.Right;
        const int minH = f->Constraints()->ConstrainHeight(0) + in.Top + in.Bottom;
        if (track_.edges & akLeft) r.Left = std::min(r.Left + dx, r.Right - minW);
        if (track_.edges & akRight) r.Right = std::max(r.Right + dx, r.Left + minW);
        if (track_.edges & akTop) r.Top = std::min(r.Top + dy, r.Bottom - minH);
        if (track_.edges & akBottom) r.Bottom = std::max(r.Bottom + dy, r.Top + minH);
    }
    if (r != f->WindowRect()) f->SetWindowRect(r);
}

// --- messages and painting -----------------------------------------------------------
void TMDIClient::WndProc(TMessage& m)
{
    auto child = [&] { return reinterpret_cast<TCustomForm*>(m.WParam); };
    auto mine = [&] { return child() && child()->Parent() == this && !child()->Destroying(); };
    switch (m.Msg) {
    case WM_MDIACTIVATE:
        if (mine()) Activate(child());
        return;
    case WM_MDIMAXIMIZE:
        if (mine()) Maximize(child());
        return;
    case WM_MDIRESTORE:
        if (mine()) Restore(child());
        return;
    case WM_MDIGETACTIVE:
        m.Result = reinterpret_cast<LRESULT>(active_);
        return;
    case WM_MDICASCADE:
        Cascade();
        return;
    case WM_MDITILE:
        Tile((m.WParam & MDITILE_HORIZONTAL) != 0);
        return;
    case WM_MDIICONARRANGE:
        ArrangeIcons();
        return;
    case WM_MDIREFRESHMENU:
        return;
    case WM_SIZE:
        TWinControl::WndProc(m);
        for (TCustomForm* f : Children())
            if (f->windowState_ == wsMaximized) FitMaximized(f);
        ArrangeIcons();
        return;
    case WM_MOUSEMOVE:
        if (track_.child) {
            Track(ClientToScreen(Point(LParamX(m.LParam), LParamY(m.LParam))));
            return;
        }
        break;
    case WM_LBUTTONUP:
        if (track_.child) {
            Track(ClientToScreen(Point(LParamX(m.LParam), LParamY(m.LParam))));
            track_ = {};
            SetCaptureControl(nullptr);
            return;
        }
        break;
    case WM_CANCELMODE:
        track_ = {};
        break;
    }
    TWinControl::WndProc(m);
}

void TMDIClient::PaintSelf(TCanvas& canvas)
{
    {
        SavedDC dc(canvas);
        Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(&canvas), 0);
    }
    PaintControls(canvas, nullptr);
    // The children bottom up, each with the frame round it.
    const TRect clip = canvas.ClipRect();
    const std::vector<TCustomForm*> top = Children();
    for (auto it = top.rbegin(); it != top.rend(); ++it) {
        TCustomForm* f = *it;
        const TRect w = f->WindowRect();
        TRect r;
        if (!f->Visible() || !IntersectRect(r, w, clip)) continue;
        SavedDC dc(canvas);
        canvas.MoveViewportOrg(w.Left, w.Top);
        canvas.IntersectClipRect(Rect(0, 0, w.Width(), w.Height()));
        const TRect& in = f->insets_;
        if (in != TRect{}) {
            SavedDC frame(canvas);
            canvas.ExcludeClipRect(Bounds(in.Left, in.Top, f->Width(), f->Height()));
            f->Perform(WM_NCPAINT, reinterpret_cast<WPARAM>(&canvas), 0);
        }
        f->PaintTo(canvas, in.Left, in.Top);
    }
}
