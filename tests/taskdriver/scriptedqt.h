#pragma once
// The task driver's screen on real windows: the Qt backend shows every form
// in its own window on the X display, while the script acts as it does
// headless (input at form coordinates, modal steps, message box answers,
// scripted open dialogs). Chosen with KELDARA_TASK_BACKEND=qt, for a person
// to watch or picture the whole task under Xvfb.
#include "vcl/headless.h"

#include <memory>

class TScriptedQtBackend final : public THeadlessBackend {
public:
    // Makes the Qt backend (and Qt's application object); DISPLAY must name a display.
    TScriptedQtBackend();
    ~TScriptedQtBackend() override;

    // A screenshot of the form's window as the display shows it now.
    std::unique_ptr<TBitmap> WindowPicture(TCustomForm& form);

    // Not "qt": the common dialogs stay the script's.
    const char* Name() const override { return "scripted-qt"; }
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
    void SetCursorShape(TCustomForm& form, TCursor cursor) override;
    TSize ScreenSize() override;
    TRect WorkArea() override;
    TRect WorkAreaAt(TPoint p) override;
    void WaitForWork(MessageQueue& queue, int timeoutMs) override;
    void ProcessNativeEvents() override;
    void ModalStarted(TCustomForm& form) override;

private:
    std::unique_ptr<Backend> qt_;
};
