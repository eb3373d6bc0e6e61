#pragma once
// The headless backend: forms keep their pictures in memory, tests synthesise
// the mouse and the keyboard at form coordinates, read a form's pixels as the
// screen would show them, and answer modal forms and message boxes from a script.
#include "gfx/bitmap.h"
#include "vcl/backend.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

struct HeadlessMessageBox {
    std::string text;
    std::string caption;
    unsigned flags = 0;
    int answer = 0;
};

class THeadlessBackend : public Backend {
public:
    THeadlessBackend();
    ~THeadlessBackend() override;

    // --- input, at the form's client coordinates --------------------------
    void MouseMove(TCustomForm& form, int x, int y, TShiftState shift = 0);
    void MouseDown(TCustomForm& form, int x, int y, TMouseButton button = mbLeft, TShiftState shift = 0);
    void MouseUp(TCustomForm& form, int x, int y, TMouseButton button = mbLeft, TShiftState shift = 0);
    void DoubleClick(TCustomForm& form, int x, int y, TMouseButton button = mbLeft);
    // Move there, press and release.
    void Click(TCustomForm& form, int x, int y, TMouseButton button = mbLeft);
    // Clicks the centre of a control, wherever it sits.
    void ClickControl(TControl& control);
    void Wheel(TCustomForm& form, int x, int y, int delta);
    void MouseLeave(TCustomForm& form);
    // Keys go to the active form: down, the character it makes, up.
    void KeyDown(unsigned short key, TShiftState shift = 0);
    void KeyUp(unsigned short key, TShiftState shift = 0);
    void Char(char c);
    void PressKey(unsigned short key, TShiftState shift = 0);
    void TypeText(const std::string& text);

    // --- what the screen shows -------------------------------------------
    // The window's picture after a paint pass (the form's own frame included),
    // outside its shape in the desktop colour.
    std::unique_ptr<TBitmap> Snapshot(TCustomForm& form);
    // A pixel at client coordinates (negative ones reach the form's own frame).
    TColor PixelAt(TCustomForm& form, int x, int y);
    TColor DesktopColor() const { return desktop_; }
    void SetDesktopColor(TColor c) { desktop_ = c; }
    bool WindowVisible(const TCustomForm& form) const;
    int WindowAlpha(const TCustomForm& form) const;
    TRect WindowBounds(const TCustomForm& form) const;
    int SystemMoves(const TCustomForm& form) const;
    // The edges (akLeft | akTop ...) of the window manager's last resize, 0 for none.
    unsigned SystemResizeEdges(const TCustomForm& form) const;
    // The native state last set (TWindowState).
    int NativeWindowState(const TCustomForm& form) const;
    int Presents(const TCustomForm& form) const;
    TCursor WindowCursor(const TCustomForm& form) const;
    void SetScreenSize(TSize size) { screen_ = size; }

    // --- script -------------------------------------------------------------
    // The next modal form runs this step inside its loop (steps are used in order).
    using ModalStep = std::function<void(TCustomForm& form)>;
    void OnNextModal(ModalStep step);
    // A modal form without a step closes at once with this result (mrCancel)
    // and is recorded, so that a missing step never hangs a test.
    std::vector<std::string> UnscriptedModals() const { return unscripted_; }
    // Answers for message boxes, in order; without one the box answers its first button.
    void AnswerNextMessageBox(int answer);
    const std::vector<HeadlessMessageBox>& MessageBoxes() const { return boxes_; }

    // --- Backend ------------------------------------------------------------
    const char* Name() const override { return "headless"; }
    void CreateWindow(TCustomForm& form) override;
    void DestroyWindow(TCustomForm& form) override;
    void ShowWindow(TCustomForm& form, bool visible) override;
    void SetWindowBounds(TCustomForm& form, const TRect& screenRect) override;
    void SetWindowTitle(TCustomForm& form, const std::string& title) override;
    void SetWindowStyle(TCustomForm& form) override;
    void SetWindowAlpha(TCustomForm& form, int alpha) override;
    void SetWindowShape(TCustomForm& form, const std::optional<TRegion>& region) override;
    void SetWindowState(TCustomForm& form, int state) override;
    void ActivateWindow(TCustomForm& form) override;
    void Present(TCustomForm& form, const TRect& dirty) override;
    void StartSystemMove(TCustomForm& form) override;
    void StartSystemResize(TCustomForm& form, unsigned edges) override { Win(form).resizeEdges = edges; }
    void SetCursorShape(TCustomForm& form, TCursor cursor) override;
    void SetMouseGrab(TCustomForm&, bool) override {}
    TPoint CursorPos() override { return cursor_; }
    void SetCursorPos(TPoint p) override { cursor_ = p; }
    TSize ScreenSize() override { return screen_; }
    TRect WorkArea() override { return Rect(0, 0, screen_.cx, screen_.cy); }
    // Further screens' work areas, for placement on another screen.
    void SetWorkAreas(std::vector<TRect> areas) { workAreas_ = std::move(areas); }
    TRect WorkAreaAt(TPoint p) override
    {
        for (const TRect& r : workAreas_)
            if (PtInRect(r, p)) return r;
        return WorkArea();
    }
    std::string ClipboardText() override { return clipboard_; }
    void SetClipboardText(const std::string& text) override { clipboard_ = text; }
    void MinimizeApp() override { minimized_ = true; }
    void RestoreApp() override { minimized_ = false; }
    bool AppMinimized() const { return minimized_; }
    // Screen-saver requests in order (true inhibit, false allow again).
    void InhibitScreenSaver(bool inhibit) override { screenSaverCalls_.push_back(inhibit); }
    const std::vector<bool>& ScreenSaverCalls() const { return screenSaverCalls_; }
    bool ScreenSaverInhibited() const { return !screenSaverCalls_.empty() && screenSaverCalls_.back(); }
    // Alert sounds in order, by kind.
    void Beep(unsigned type) override { beeps_.push_back(type); }
    const std::vector<unsigned>& Beeps() const { return beeps_; }
    void WaitForWork(MessageQueue& queue, int timeoutMs) override;
    void ProcessNativeEvents() override {}
    void ModalStarted(TCustomForm& form) override;
    int MessageBox(const std::string& text, const std::string& caption, unsigned flags) override;

private:
    struct Window {
        bool visible = false;
        int alpha = 255;
        TRect bounds;
        std::string title;
        int systemMoves = 0;
        unsigned resizeEdges = 0;
        int presents = 0;
        TCursor cursor = crDefault;
        int state = 0;
    };
    Window& Win(const TCustomForm& form);
    const Window* FindWin(const TCustomForm& form) const;
    void Flush();
    TCustomForm* KeyTarget() const;

    std::map<const TCustomForm*, Window> windows_;
    TPoint cursor_;
    TSize screen_{1024, 768};
    std::vector<TRect> workAreas_;
    TColor desktop_ = 0x404040;
    std::string clipboard_;
    bool minimized_ = false;
    std::vector<bool> screenSaverCalls_;
    std::vector<unsigned> beeps_;
    std::deque<ModalStep> steps_;
    std::vector<std::string> unscripted_;
    std::deque<int> answers_;
    std::vector<HeadlessMessageBox> boxes_;
    std::mutex wakeMutex_;
    std::condition_variable wakeCv_;
    bool woken_ = false;
    MessageQueue* hooked_ = nullptr;
};

// The headless backend in use, or nullptr under another backend.
THeadlessBackend* HeadlessBackend();
