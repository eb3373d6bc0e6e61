#include "scriptedqt.h"

#include "vcl/forms.h"
#include "vcl/qtbackend.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace {

// Qt keeps the arguments it was made with for its whole life.
int g_argc = 1;
char g_name[] = "keldara-task";
char* g_argv[] = {g_name, nullptr};

std::unique_ptr<Backend> MakeQtBackend()
{
    // Without a session bus (as on a private display) Qt is told there is none
    // rather than left to start one, which it never frees.
    setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 0);
    return CreateQtBackend(g_argc, g_argv);
}

} // namespace

TScriptedQtBackend::TScriptedQtBackend() : qt_(MakeQtBackend()) {}

TScriptedQtBackend::~TScriptedQtBackend() = default;

namespace {

// The same pixels within the window's shape (outside it the display shows the desktop).
bool SamePixels(const TCustomForm& form, const TBitmap& a, const TBitmap& b)
{
    if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
    const auto& shape = form.WindowRegion();
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            if ((!shape || shape->Contains(x, y)) && a.Pixel(x, y) != b.Pixel(x, y)) return false;
    return true;
}

} // namespace

std::unique_ptr<TBitmap> TScriptedQtBackend::WindowPicture(TCustomForm& form)
{
    // The display shows a paint a little later than the form makes it: the
    // window is taken once it shows the form's own picture (or after two seconds).
    const std::unique_ptr<TBitmap> drawn = Snapshot(form);
    std::unique_ptr<TBitmap> shown;
    for (int attempt = 0; attempt < 40; ++attempt) {
        qt_->ProcessNativeEvents();
        shown = QtScreenPicture(WindowBounds(form));
        if (!shown || SamePixels(form, *shown, *drawn)) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (shown && !SamePixels(form, *shown, *drawn))
        std::fprintf(stderr, "task driver: the display still shows an older picture of %s\n", form.Name().c_str());
    return shown;
}

// The window state is kept on both sides: the script reads the headless one,
// the display shows the Qt one.
void TScriptedQtBackend::CreateWindow(TCustomForm& form)
{
    THeadlessBackend::CreateWindow(form);
    qt_->CreateWindow(form);
}

void TScriptedQtBackend::DestroyWindow(TCustomForm& form)
{
    qt_->DestroyWindow(form);
    THeadlessBackend::DestroyWindow(form);
}

void TScriptedQtBackend::ShowWindow(TCustomForm& form, bool visible)
{
    THeadlessBackend::ShowWindow(form, visible);
    qt_->ShowWindow(form, visible);
}

void TScriptedQtBackend::SetWindowBounds(TCustomForm& form, const TRect& screenRect)
{
    THeadlessBackend::SetWindowBounds(form, screenRect);
    qt_->SetWindowBounds(form, screenRect);
}

void TScriptedQtBackend::SetWindowTitle(TCustomForm& form, const std::string& title)
{
    THeadlessBackend::SetWindowTitle(form, title);
    qt_->SetWindowTitle(form, title);
}

void TScriptedQtBackend::SetWindowStyle(TCustomForm& form)
{
    THeadlessBackend::SetWindowStyle(form);
    qt_->SetWindowStyle(form);
}

void TScriptedQtBackend::SetWindowAlpha(TCustomForm& form, int alpha)
{
    THeadlessBackend::SetWindowAlpha(form, alpha);
    qt_->SetWindowAlpha(form, alpha);
}

void TScriptedQtBackend::SetWindowShape(TCustomForm& form, const std::optional<TRegion>& region)
{
    THeadlessBackend::SetWindowShape(form, region);
    qt_->SetWindowShape(form, region);
}

void TScriptedQtBackend::SetWindowState(TCustomForm& form, int state)
{
    THeadlessBackend::SetWindowState(form, state);
    qt_->SetWindowState(form, state);
}

void TScriptedQtBackend::ActivateWindow(TCustomForm& form)
{
    THeadlessBackend::ActivateWindow(form);   // the script's keys go to the form at once
    qt_->ActivateWindow(form);
}

void TScriptedQtBackend::Present(TCustomForm& form, const TRect& dirty)
{
    THeadlessBackend::Present(form, dirty);
    qt_->Present(form, dirty);
}

void TScriptedQtBackend::SetCursorShape(TCustomForm& form, TCursor cursor)
{
    THeadlessBackend::SetCursorShape(form, cursor);
    qt_->SetCursorShape(form, cursor);
}

TSize TScriptedQtBackend::ScreenSize() { return qt_->ScreenSize(); }
TRect TScriptedQtBackend::WorkArea() { return qt_->WorkArea(); }
TRect TScriptedQtBackend::WorkAreaAt(TPoint p) { return qt_->WorkAreaAt(p); }

void TScriptedQtBackend::WaitForWork(MessageQueue& queue, int timeoutMs) { qt_->WaitForWork(queue, timeoutMs); }

void TScriptedQtBackend::ProcessNativeEvents() { qt_->ProcessNativeEvents(); }

void TScriptedQtBackend::ModalStarted(TCustomForm& form)
{
    qt_->ModalStarted(form);
    qt_->ProcessNativeEvents();   // shown before the script acts on it
    THeadlessBackend::ModalStarted(form);
}
