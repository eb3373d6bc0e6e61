#include "vcl/winuser.h"

#include "vcl/application.h"
#include "vcl/backend.h"
#include "vcl/forms.h"

namespace {
TCustomForm* FormOf(HWND hwnd) { return dynamic_cast<TCustomForm*>(FindControl(hwnd)); }
HWND HandleOf(TControl* c)
{
    auto* w = dynamic_cast<TWinControl*>(c);
    return w && w->HandleAllocated() ? w->Handle() : nullptr;
}
} // namespace

int SetWindowRgn(HWND hwnd, std::optional<TRegion> region, bool redraw)
{
    TCustomForm* f = FormOf(hwnd);
    if (!f) return 0;
    f->SetWindowRegion(std::move(region));
    if (redraw) f->Update();
    return 1;
}

bool SetLayeredWindowAttributes(HWND hwnd, std::uint32_t, std::uint8_t alpha, std::uint32_t flags)
{
    TCustomForm* f = FormOf(hwnd);
    if (!f) return false;
    if (flags & LWA_ALPHA) {
        f->SetAlphaBlendValue(alpha);
        f->SetAlphaBlend(true);
    }
    return true;
}

bool GetCursorPos(TPoint& point)
{
    point = Mouse->CursorPos();
    return true;
}

bool SetCursorPos(int x, int y)
{
    Mouse->SetCursorPos(Point(x, y));
    return true;
}

HWND SetCapture(HWND hwnd)
{
    HWND old = GetCapture();
    SetCaptureControl(FindControl(hwnd));
    return old;
}

bool ReleaseCapture()
{
    SetCaptureControl(nullptr);
    return true;
}

HWND GetCapture() { return HandleOf(GetCaptureControl()); }

HWND GetFocus()
{
    TCustomForm* f = Screen->ActiveForm();
    if (!f) return nullptr;
    TWinControl* c = f->ActiveControl();
    return c && c->Focused() ? HandleOf(c) : HandleOf(f);
}

HWND SetFocus(HWND hwnd)
{
    HWND old = GetFocus();
    if (TWinControl* c = FindControl(hwnd); c && c->CanFocus()) c->SetFocus();
    return old;
}

HWND GetActiveWindow() { return Screen->ActiveForm() ? HandleOf(Screen->ActiveForm()) : nullptr; }

short GetKeyState(int vk)
{
    TShiftState s = KeyboardStateToShiftState();
    bool down = (vk == VK_SHIFT && (s & ssShift)) || (vk == VK_CONTROL && (s & ssCtrl)) ||
                (vk == VK_MENU && (s & ssAlt));
    return down ? static_cast<short>(-128) : 0;
}

bool MessageBeep(unsigned type)
{
    CurrentBackend().Beep(type);
    return true;
}

int GetSystemMetrics(int index)
{
    switch (index) {
    case SM_CXSCREEN: return Screen->Width();
    case SM_CYSCREEN: return Screen->Height();
    default: return 0;
    }
}

bool GetWindowRect(HWND hwnd, TRect& rect)
{
    TWinControl* c = FindControl(hwnd);
    if (!c) return false;
    TPoint o = c->ClientToScreen(Point(0, 0));
    rect = Bounds(o.X, o.Y, c->Width(), c->Height());
    return true;
}

bool GetClientRect(HWND hwnd, TRect& rect)
{
    TWinControl* c = FindControl(hwnd);
    if (!c) return false;
    rect = c->ClientRect();
    return true;
}

bool InvalidateRect(HWND hwnd, const TRect* rect, bool)
{
    TWinControl* c = FindControl(hwnd);
    if (!c) return false;
    if (!rect) {
        c->Invalidate();
        return true;
    }
    TCustomForm* f = c->ParentForm();
    if (!f) return true;
    TPoint o = f->ScreenToClient(c->ClientToScreen(Point(0, 0)));
    TRect r = *rect;
    OffsetRect(r, o.X, o.Y);
    f->InvalidateArea(r);
    return true;
}

bool UpdateWindow(HWND hwnd)
{
    TWinControl* c = FindControl(hwnd);
    if (!c) return false;
    c->Update();
    return true;
}

bool ShowWindow(HWND hwnd, int command)
{
    TWinControl* c = FindControl(hwnd);
    if (!c) return false;
    bool was = c->Visible();
    auto* f = dynamic_cast<TCustomForm*>(c);
    switch (command) {
    case SW_HIDE: c->Hide(); break;
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
        if (f) f->SetWindowState(wsMinimized);
        break;
    case SW_MAXIMIZE:
        if (f) f->SetWindowState(wsMaximized);
        c->Show();
        break;
    case SW_RESTORE:
        if (f) f->SetWindowState(wsNormal);
        c->Show();
        break;
    default: c->Show(); break;
    }
    return was;
}

bool IsWindowVisible(HWND hwnd)
{
    TWinControl* c = FindControl(hwnd);
    return c && c->Showing();
}

bool EnableWindow(HWND hwnd, bool enable)
{
    TWinControl* c = FindControl(hwnd);
    if (!c) return false;
    bool wasDisabled = !c->Enabled();
    c->SetEnabled(enable);
    return wasDisabled;
}

bool IsWindowEnabled(HWND hwnd)
{
    TWinControl* c = FindControl(hwnd);
    return c && c->Enabled();
}
