#pragma once
// What a windowing backend does for the framework. The framework keeps every
// form's picture in a back buffer; a backend shows it (real windows) or keeps
// it (headless), turns native input into the forms' Input* calls, and waits
// for work. Two exist: the headless one in the core library (tests; selected by
// KELDARA_BACKEND=headless) and the Qt one in vcl_qt (the program's default).
#include "gfx/region.h"
#include "gfx/types.h"
#include "vcl/controls.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class TCustomForm;
class MessageQueue;

// Message-box flags and answers (as the platform numbers them).
constexpr unsigned MB_OK = 0x00, MB_OKCANCEL = 0x01, MB_ABORTRETRYIGNORE = 0x02, MB_YESNOCANCEL = 0x03,
                   MB_YESNO = 0x04, MB_RETRYCANCEL = 0x05, MB_ICONERROR = 0x10, MB_ICONSTOP = 0x10,
                   MB_ICONQUESTION = 0x20, MB_ICONWARNING = 0x30, MB_ICONEXCLAMATION = 0x30,
                   MB_ICONINFORMATION = 0x40, MB_DEFBUTTON2 = 0x100, MB_TOPMOST = 0x40000;
constexpr int IDOK = 1, IDCANCEL = 2, IDABORT = 3, IDRETRY = 4, IDIGNORE = 5, IDYES = 6, IDNO = 7;

class Backend {
public:
    virtual ~Backend() = default;
    virtual const char* Name() const = 0;

    // Native windows, one per form; created with the form's handle. A window
    // covers the form's WindowRect (its own frame included) and shows its back buffer.
    virtual void CreateWindow(TCustomForm& form) = 0;
    virtual void DestroyWindow(TCustomForm& form) = 0;
    virtual void ShowWindow(TCustomForm& form, bool visible) = 0;
    virtual void SetWindowBounds(TCustomForm& form, const TRect& screenRect) = 0;
    virtual void SetWindowTitle(TCustomForm& form, const std::string& title) = 0;
    // Border style, stay-on-top, alpha (0..255) and shape (nullopt: rectangular).
    virtual void SetWindowStyle(TCustomForm& form) = 0;
    virtual void SetWindowAlpha(TCustomForm& form, int alpha) = 0;
    virtual void SetWindowShape(TCustomForm& form, const std::optional<TRegion>& region) = 0;
    virtual void SetWindowState(TCustomForm& form, int state) = 0; // TWindowState
    virtual void ActivateWindow(TCustomForm& form) = 0;
    // The back buffer changed inside `dirty` (window coordinates).
    virtual void Present(TCustomForm& form, const TRect& dirty) = 0;
    // Lets the window manager move the window with the pointer (button held).
    virtual void StartSystemMove(TCustomForm& form) = 0;
    // Lets the window manager size the window from its edges (akLeft | akTop ...) with the pointer.
    virtual void StartSystemResize(TCustomForm& form, unsigned edges) { (void)form, (void)edges; }
    virtual void SetCursorShape(TCustomForm& form, TCursor cursor) = 0;
    // Native capture follows the framework's (a held button keeps reporting to the form).
    virtual void SetMouseGrab(TCustomForm& form, bool grab) = 0;

    virtual TPoint CursorPos() = 0;
    virtual void SetCursorPos(TPoint p) = 0;
    virtual TSize ScreenSize() = 0;
    virtual TRect WorkArea() = 0;
    // The work area of the screen that holds the point (one screen: WorkArea).
    virtual TRect WorkAreaAt(TPoint p) { (void)p; return WorkArea(); }
    virtual std::string ClipboardText() = 0;
    virtual void SetClipboardText(const std::string& text) = 0;
    virtual void MinimizeApp() = 0;
    virtual void RestoreApp() = 0;
    // Keeps the desktop's screen saver from starting while inhibited (the program
    // asks for it for as long as it runs). Backends without a screen ignore it.
    virtual void InhibitScreenSaver(bool inhibit) { (void)inhibit; }
    // The system's alert sound of a kind (MB_OK, MB_ICONERROR, ...); silent without a speaker.
    virtual void Beep(unsigned type) { (void)type; }

    // Handles native events, then waits up to timeoutMs (-1: no limit) for a
    // native event or a message posted to `queue`; never waits when one is there.
    virtual void WaitForWork(MessageQueue& queue, int timeoutMs) = 0;
    // Handles pending native events without waiting.
    virtual void ProcessNativeEvents() = 0;

    // Dialog hooks: a modal loop is about to run (the headless backend answers
    // from its script here), and a message box.
    virtual void ModalStarted(TCustomForm& form) = 0;
    virtual int MessageBox(const std::string& text, const std::string& caption, unsigned flags) = 0;
};

using BackendFactory = std::function<std::unique_ptr<Backend>()>;

// The backend in use (the headless one until an application installs another).
Backend& CurrentBackend();
