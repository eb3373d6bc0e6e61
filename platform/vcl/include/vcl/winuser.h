#pragma once
// The window calls the program and the skinned controls make by handle,
// answered by the framework's control tree (FindControl) and the backend.
#include "gfx/region.h"
#include "gfx/types.h"
#include "vcl/controls.h"

#include <cstdint>
#include <optional>

// Layered windows: only the constant alpha is supported (the colour key is ignored).
constexpr std::uint32_t LWA_COLORKEY = 0x1, LWA_ALPHA = 0x2;
constexpr int SM_CXSCREEN = 0, SM_CYSCREEN = 1;
constexpr int SW_HIDE = 0, SW_SHOWNORMAL = 1, SW_SHOW = 5, SW_MINIMIZE = 6, SW_SHOWMINIMIZED = 2,
              SW_MAXIMIZE = 3, SW_RESTORE = 9;

// A form's window shape (nullopt: rectangular again); 0 when the handle is no form.
int SetWindowRgn(HWND hwnd, std::optional<TRegion> region, bool redraw);
bool SetLayeredWindowAttributes(HWND hwnd, std::uint32_t colorKey, std::uint8_t alpha, std::uint32_t flags);
bool GetCursorPos(TPoint& point);
bool SetCursorPos(int x, int y);
HWND SetCapture(HWND hwnd);  // answers the handle that had it
bool ReleaseCapture();
HWND GetCapture();
HWND GetFocus();
HWND SetFocus(HWND hwnd);    // answers the handle that had it
HWND GetActiveWindow();
// Negative while a key is held; Shift, Ctrl and Alt (VK_SHIFT, VK_CONTROL, VK_MENU) are known.
short GetKeyState(int vk);
int GetSystemMetrics(int index);
// Plays the alert sound of a kind (MB_OK, MB_ICONERROR, ... or 0xFFFFFFFF for the simple beep).
bool MessageBeep(unsigned type);
bool GetWindowRect(HWND hwnd, TRect& rect);   // screen coordinates
bool GetClientRect(HWND hwnd, TRect& rect);
bool InvalidateRect(HWND hwnd, const TRect* rect, bool erase);
bool UpdateWindow(HWND hwnd);
bool ShowWindow(HWND hwnd, int command);
bool IsWindowVisible(HWND hwnd);
bool EnableWindow(HWND hwnd, bool enable);
bool IsWindowEnabled(HWND hwnd);
