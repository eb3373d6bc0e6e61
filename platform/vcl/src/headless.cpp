#include "vcl/headless.h"

#include "rtl/clock.h"
#include "vcl/application.h"
#include "vcl/forms.h"

#include <chrono>

#include "internal.h"

THeadlessBackend* HeadlessBackend() { return dynamic_cast<THeadlessBackend*>(&CurrentBackend()); }

THeadlessBackend::THeadlessBackend() = default;

THeadlessBackend::~THeadlessBackend()
{
    if (hooked_ && Application && &Application->Queue() == hooked_) hooked_->SetWakeup(nullptr);
}

THeadlessBackend::Window& THeadlessBackend::Win(const TCustomForm& form) { return windows_[&form]; }

const THeadlessBackend::Window* THeadlessBackend::FindWin(const TCustomForm& form) const
{
    auto it = windows_.find(&form);
    return it == windows_.end() ? nullptr : &it->second;
}

// Input is handled the way a real event loop would: the form reacts, then
// whatever was posted meanwhile is delivered and the screen repainted.
void THeadlessBackend::Flush()
{
    if (Application) Application->ProcessMessages();
    if (TCustomForm* modal = TopModalForm()) modal->ModalCheck();
}

void THeadlessBackend::MouseMove(TCustomForm& form, int x, int y, TShiftState shift)
{
    cursor_ = form.ClientToScreen(Point(x, y));
    form.InputMouseMove(x, y, shift);
    Flush();
}

namespace {
TShiftState ButtonShift(TMouseButton b)
{
    return b == mbLeft ? ssLeft : b == mbRight ? ssRight : ssMiddle;
}
UINT DownMsg(TMouseButton b)
{
    return b == mbLeft ? WM_LBUTTONDOWN : b == mbRight ? WM_RBUTTONDOWN : WM_MBUTTONDOWN;
}
UINT UpMsg(TMouseButton b) { return b == mbLeft ? WM_LBUTTONUP : b == mbRight ? WM_RBUTTONUP : WM_MBUTTONUP; }
UINT DblMsg(TMouseButton b)
{
    return b == mbLeft ? WM_LBUTTONDBLCLK : b == mbRight ? WM_RBUTTONDBLCLK : WM_MBUTTONDBLCLK;
}
} // namespace

void THeadlessBackend::MouseDown(TCustomForm& form, int x, int y, TMouseButton button, TShiftState shift)
{
    cursor_ = form.ClientToScreen(Point(x, y));
    form.InputMouseButton(DownMsg(button), button, x, y, shift | ButtonShift(button));
    Flush();
}

void THeadlessBackend::MouseUp(TCustomForm& form, int x, int y, TMouseButton button, TShiftState shift)
{
    cursor_ = form.ClientToScreen(Point(x, y));
    form.InputMouseButton(UpMsg(button), button, x, y, shift);
    Flush();
}

void THeadlessBackend::DoubleClick(TCustomForm& form, int x, int y, TMouseButton button)
{
    // As the platform reports it: down, up, double-click, up.
    form.InputMouseButton(DownMsg(button), button, x, y, ButtonShift(button));
    form.InputMouseButton(UpMsg(button), button, x, y, 0);
    form.InputMouseButton(DblMsg(button), button, x, y, ButtonShift(button));
    form.InputMouseButton(UpMsg(button), button, x, y, 0);
    Flush();
}

void THeadlessBackend::Click(TCustomForm& form, int x, int y, TMouseButton button)
{
    MouseMove(form, x, y);
    MouseDown(form, x, y, button);
    MouseUp(form, x, y, button);
}

void THeadlessBackend::ClickControl(TControl& control)
{
    TCustomForm* form = control.ParentForm();
    if (!form) return;
    TPoint p = control.ClientToScreen(Point(control.Width() / 2, control.Height() / 2));
    TPoint local = form->ScreenToClient(p);
    Click(*form, local.X, local.Y);
}

void THeadlessBackend::Wheel(TCustomForm& form, int x, int y, int delta)
{
    form.InputMouseWheel(x, y, delta, 0);
    Flush();
}

void THeadlessBackend::MouseLeave(TCustomForm& form)
{
    form.InputMouseLeave();
    Flush();
}

TCustomForm* THeadlessBackend::KeyTarget() const { return Screen->ActiveForm(); }

void THeadlessBackend::KeyDown(unsigned short key, TShiftState shift)
{
    if (TCustomForm* f = KeyTarget()) f->InputKey((shift & ssAlt) ? WM_SYSKEYDOWN : WM_KEYDOWN, key, shift);
    Flush();
}

void THeadlessBackend::KeyUp(unsigned short key, TShiftState shift)
{
    if (TCustomForm* f = KeyTarget()) f->InputKey((shift & ssAlt) ? WM_SYSKEYUP : WM_KEYUP, key, shift);
    Flush();
}

void THeadlessBackend::Char(char c)
{
    if (TCustomForm* f = KeyTarget()) f->InputChar(c);
    Flush();
}

void THeadlessBackend::PressKey(unsigned short key, TShiftState shift)
{
    KeyDown(key, shift);
    // The characters the platform makes from a key press.
    char c = 0;
    if (key == VK_RETURN) c = '\r';
    else if (key == VK_ESCAPE) c = 27;
    else if (key == VK_BACK) c = 8;
    else if (key == VK_TAB) c = '\t';
    else if (key == VK_SPACE) c = ' ';
    else if (key >= '0' && key <= '9') c = static_cast<char>(key);
    else if (key >= 'A' && key <= 'Z') c = static_cast<char>((shift & ssShift) ? key : key + 32);
    if (c && !(shift & ssCtrl)) {
        if (TCustomForm* f = KeyTarget()) f->InputChar(c);
        Flush();
    }
    KeyUp(key, shift);
}

void THeadlessBackend::TypeText(const std::string& text)
{
    for (char c : text) Char(c);
}

std::unique_ptr<TBitmap> THeadlessBackend::Snapshot(TCustomForm& form)
{
    Flush();
    form.PaintDirty();
    auto shot = std::make_unique<TBitmap>();
    shot->Assign(form.BackBuffer());
    if (const auto& region = form.WindowRegion()) {
        for (int y = 0; y < shot->Height(); ++y)
            for (int x = 0; x < shot->Width(); ++x)
                if (!region->Contains(x, y)) shot->SetPixel(x, y, desktop_);
    }
    return shot;
}

TColor THeadlessBackend::PixelAt(TCustomForm& form, int x, int y)
{
    auto shot = Snapshot(form);
    return shot->Pixel(x + form.FrameInsets().Left, y + form.FrameInsets().Top);
}

unsigned THeadlessBackend::SystemResizeEdges(const TCustomForm& form) const
{
    const Window* w = FindWin(form);
    return w ? w->resizeEdges : 0;
}

int THeadlessBackend::NativeWindowState(const TCustomForm& form) const
{
    const Window* w = FindWin(form);
    return w ? w->state : 0;
}

bool THeadlessBackend::WindowVisible(const TCustomForm& form) const
{
    const Window* w = FindWin(form);
    return w && w->visible;
}

int THeadlessBackend::WindowAlpha(const TCustomForm& form) const
{
    const Window* w = FindWin(form);
    return w ? w->alpha : 255;
}

TRect THeadlessBackend::WindowBounds(const TCustomForm& form) const
{
    const Window* w = FindWin(form);
    return w ? w->bounds : TRect{};
}

int THeadlessBackend::SystemMoves(const TCustomForm& form) const
{
    const Window* w = FindWin(form);
    return w ? w->systemMoves : 0;
}

int THeadlessBackend::Presents(const TCustomForm& form) const
{
    const Window* w = FindWin(form);
    return w ? w->presents : 0;
}

TCursor THeadlessBackend::WindowCursor(const TCustomForm& form) const
{
    const Window* w = FindWin(form);
    return w ? w->cursor : crDefault;
}

void THeadlessBackend::OnNextModal(ModalStep step) { steps_.push_back(std::move(step)); }

void THeadlessBackend::AnswerNextMessageBox(int answer) { answers_.push_back(answer); }

// --- Backend ---------------------------------------------------------------------
void THeadlessBackend::CreateWindow(TCustomForm& form) { Win(form); }
void THeadlessBackend::DestroyWindow(TCustomForm& form) { windows_.erase(&form); }
void THeadlessBackend::ShowWindow(TCustomForm& form, bool visible) { Win(form).visible = visible; }
void THeadlessBackend::SetWindowBounds(TCustomForm& form, const TRect& r) { Win(form).bounds = r; }
void THeadlessBackend::SetWindowTitle(TCustomForm& form, const std::string& t) { Win(form).title = t; }
void THeadlessBackend::SetWindowStyle(TCustomForm& form) { Win(form); }
void THeadlessBackend::SetWindowAlpha(TCustomForm& form, int alpha) { Win(form).alpha = alpha; }
void THeadlessBackend::SetWindowShape(TCustomForm& form, const std::optional<TRegion>&) { Win(form); }
void THeadlessBackend::SetWindowState(TCustomForm& form, int state) { Win(form).state = state; }
void THeadlessBackend::ActivateWindow(TCustomForm& form) { form.InputActivate(true); }
void THeadlessBackend::Present(TCustomForm& form, const TRect&) { ++Win(form).presents; }
void THeadlessBackend::StartSystemMove(TCustomForm& form) { ++Win(form).systemMoves; }
void THeadlessBackend::SetCursorShape(TCustomForm& form, TCursor cursor) { Win(form).cursor = cursor; }

void THeadlessBackend::WaitForWork(MessageQueue& queue, int timeoutMs)
{
    if (hooked_ != &queue) {
        hooked_ = &queue;
        queue.SetWakeup([this] {
            std::lock_guard<std::mutex> lock(wakeMutex_);
            woken_ = true;
            wakeCv_.notify_all();
        });
    }
    std::unique_lock<std::mutex> lock(wakeMutex_);
    if (woken_ || queue.Pending() > 0 || queue.QuitPosted()) {
        woken_ = false;
        return;
    }
    if (timeoutMs == 0) return;
    if (timeoutMs > 0 && &CurrentClock() != &SystemClock()) {
        // A test clock: waiting for a timer passes its time at once.
        lock.unlock();
        CurrentClock().SleepMs(static_cast<std::uint32_t>(timeoutMs));
        return;
    }
    if (timeoutMs < 0) wakeCv_.wait(lock, [this] { return woken_; });
    else wakeCv_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return woken_; });
    woken_ = false;
}

void THeadlessBackend::ModalStarted(TCustomForm& form)
{
    Flush();
    if (steps_.empty()) {
        unscripted_.push_back(form.Name().empty() ? form.Caption() : form.Name());
        form.SetModalResult(mrCancel);
        return;
    }
    ModalStep step = std::move(steps_.front());
    steps_.pop_front();
    step(form);
}

int THeadlessBackend::MessageBox(const std::string& text, const std::string& caption, unsigned flags)
{
    int answer;
    if (!answers_.empty()) {
        answer = answers_.front();
        answers_.pop_front();
    } else {
        switch (flags & 0x0F) {
        case MB_OKCANCEL: answer = IDOK; break;
        case MB_ABORTRETRYIGNORE: answer = IDABORT; break;
        case MB_YESNOCANCEL:
        case MB_YESNO: answer = IDYES; break;
        case MB_RETRYCANCEL: answer = IDRETRY; break;
        default: answer = IDOK; break;
        }
    }
    boxes_.push_back({text, caption, flags, answer});
    return answer;
}
