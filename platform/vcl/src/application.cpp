#include "vcl/application.h"

#include <algorithm>

#include "rtl/clock.h"
#include "rtl/thread.h"
#include "vcl/headless.h"
#include "vcl/timer.h"
#include "win32/progfolders.h"

#include "internal.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

TApplication* Application = nullptr;

namespace {
struct SyncCall {
    const std::function<void()>* call = nullptr;
    std::exception_ptr error;
};
} // namespace

Backend& CurrentBackend()
{
    if (Application) return Application->GetBackend();
    static THeadlessBackend fallback;
    return fallback;
}

TApplication::TApplication() : TComponent(nullptr), guiThread_(std::this_thread::get_id())
{
    if (Application) throw EInvalidOperation("An application object exists already");
    Application = this;
    SetKeyboardShiftState(0);
    queue_ = MessageQueue::Current();
    if (!queue_) {
        ownQueue_ = std::make_unique<MessageQueue>();
        queue_ = ownQueue_.get();
    }
    handle_ = AllocateHWnd(*queue_, [](UINT msg, WPARAM w, LPARAM) -> LRESULT {
        if (msg == CM_SYNCHRONIZE) {
            auto* sync = reinterpret_cast<SyncCall*>(w);
            try {
                (*sync->call)();
            } catch (...) {
                sync->error = std::current_exception();
            }
            return 1;
        }
        return 0;
    });
    InstallSynchronizer();
}

TApplication::~TApplication()
{
    TThread::SetSynchronizer(nullptr);
    // Forms go first, while the backend that shows them still exists.
    DestroyComponents();
    timers_.clear();
    DeallocateHWnd(handle_);
    handle_ = nullptr;
    if (queue_) queue_->SetWakeup(nullptr);
    backend_.reset();
    Application = nullptr;
}

void TApplication::InstallSynchronizer()
{
    TThread::SetSynchronizer([this](const std::function<void()>& call) {
        if (IsGuiThread()) {
            call();
            return;
        }
        SyncCall sync{&call, nullptr};
        // SendMessage waits while the GUI thread runs the call between messages.
        SendMessage(handle_, CM_SYNCHRONIZE, reinterpret_cast<WPARAM>(&sync), 0);
        if (sync.error) std::rethrow_exception(sync.error);
    });
}

void TApplication::Initialize(const BackendFactory& windowed, int argc, char** argv)
{
    if (backend_) return;
    bool headless = false;
    if (const char* env = std::getenv("KELDARA_BACKEND")) headless = std::strcmp(env, "headless") == 0;
    for (int i = 1; i < argc && argv; ++i)
        if (argv[i] && std::strcmp(argv[i], "--headless") == 0) headless = true;
    if (!headless && windowed) SetBackend(windowed());
    else SetBackend(std::make_unique<THeadlessBackend>());
}

void TApplication::SetBackend(std::unique_ptr<Backend> backend) { backend_ = std::move(backend); }

Backend& TApplication::GetBackend()
{
    if (!backend_) backend_ = std::make_unique<THeadlessBackend>();
    return *backend_;
}

std::string TApplication::ExeName() const
{
    // /proc/self/exe names the program itself; the folder helper gives only its directory.
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? ExecutableFolder() : exe.string();
}

bool TApplication::ProcessMessage(MSG& msg)
{
    if (!queue_->Peek(msg, true)) return false;
    if (msg.message == WM_QUIT) {
        terminated_ = true;
        return true;
    }
    bool handled = false;
    try {
        handled = RunMessageHooks(msg);
    } catch (...) {
        HandleException(this);
    }
    if (OnMessage && !handled) {
        try {
            OnMessage(msg, handled);
        } catch (...) {
            HandleException(this);
        }
    }
    if (!handled) {
        try {
            DispatchMessage(msg);
        } catch (...) {
            HandleException(this);
        }
    }
    return true;
}

void TApplication::HookMessages(const void* owner, TMessageHook hook)
{
    hooks_.emplace_back(owner, std::move(hook));
}

void TApplication::UnhookMessages(const void* owner)
{
    std::erase_if(hooks_, [owner](const auto& h) { return h.first == owner; });
}

bool TApplication::RunMessageHooks(MSG& msg)
{
    // A hook may add or remove hooks while it runs.
    const auto hooks = hooks_;
    for (const auto& [owner, hook] : hooks) {
        const bool still = std::any_of(hooks_.begin(), hooks_.end(), [o = owner](const auto& h) { return h.first == o; });
        if (still && hook(msg)) return true;
    }
    return false;
}

void TApplication::Idle()
{
    PaintForms();
    if (OnIdle) {
        try {
            OnIdle(this);
        } catch (...) {
            HandleException(this);
        }
    }
}

void TApplication::HandleMessage()
{
    GetBackend().ProcessNativeEvents();
    FireDueTimers();
    MSG msg;
    if (ProcessMessage(msg)) return;
    Idle();
    if (terminated_) return;
    GetBackend().WaitForWork(*queue_, NextTimerDelay());
}

void TApplication::ProcessMessages()
{
    if (!IsGuiThread()) return;
    GetBackend().ProcessNativeEvents();
    FireDueTimers();
    MSG msg;
    while (ProcessMessage(msg)) {
    }
    PaintForms();
}

void TApplication::Run()
{
    if (mainForm_ && ShowMainForm && !mainForm_->Visible()) mainForm_->Show();
    while (!terminated_) HandleMessage();
}

void TApplication::Terminate()
{
    if (terminated_) return;
    terminated_ = true;
    queue_->Quit(0);
}

void TApplication::Minimize()
{
    minimized_ = true;
    GetBackend().MinimizeApp();
}

void TApplication::Restore()
{
    minimized_ = false;
    GetBackend().RestoreApp();
}

void TApplication::HandleException(TObject* Sender)
{
    std::exception_ptr e = std::current_exception();
    if (!e) return;
    try {
        std::rethrow_exception(e);
    } catch (const EAbort&) {
        // Silent by design.
    } catch (const std::exception& ex) {
        if (OnException) OnException(Sender, ex);
        else ShowException(ex);
    } catch (...) {
        Exception unknown("Unknown exception");
        if (OnException) OnException(Sender, unknown);
        else ShowException(unknown);
    }
}

void TApplication::ShowException(const std::exception& E)
{
    std::string text = E.what();
    // A closing period is added unless the text already ends in punctuation ('.', '!', '?'...).
    if (!text.empty() && static_cast<unsigned char>(text.back()) > '.' && text.back() != '?') text += '.';
    MessageBox(text, title_, MB_OK | MB_ICONSTOP);
}

int TApplication::MessageBox(const std::string& text, const std::string& caption, unsigned flags)
{
    return GetBackend().MessageBox(text, caption, flags);
}

// --- timers -------------------------------------------------------------------
void TApplication::AddTimer(TTimer* timer)
{
    if (timer->id_ == 0) timer->id_ = nextTimerId_++;
    timers_[timer->id_] = timer;
}

void TApplication::RemoveTimer(TTimer* timer)
{
    if (timer->id_ != 0) timers_.erase(timer->id_);
}

int TApplication::NextTimerDelay() const
{
    if (timers_.empty()) return -1;
    std::uint64_t now = CurrentClock().NowMs();
    std::uint64_t best = UINT64_MAX;
    for (auto& [id, t] : timers_) best = std::min(best, t->due_);
    if (best <= now) return 0;
    std::uint64_t d = best - now;
    return d > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(d);
}

void TApplication::FireDueTimers()
{
    if (timers_.empty()) return;
    std::uint64_t now = CurrentClock().NowMs();
    std::vector<std::uint64_t> due;
    for (auto& [id, t] : timers_)
        if (t->due_ <= now) due.push_back(id);
    for (std::uint64_t id : due) {
        auto it = timers_.find(id);
        if (it == timers_.end()) continue; // freed or disabled by an earlier tick
        TTimer* t = it->second;
        t->due_ = now + t->interval_;
        try {
            t->Timer();
        } catch (...) {
            HandleException(t);
        }
    }
}

void TApplication::PaintForms()
{
    for (int i = 0; i < Screen->FormCount(); ++i) {
        TCustomForm* f = Screen->Forms(i);
        if (!f->Visible() || !f->Dirty()) continue;
        // A window that cannot be drawn (no memory for a picture of its size) is
        // left as it is: it must not end the program, nor stop the others.
        try {
            f->PaintDirty();
        } catch (const std::exception& e) {
            std::fprintf(stderr, "keldara: the window %s cannot be drawn: %s\n", f->Name().c_str(), e.what());
        }
    }
}

// --- TTimer -----------------------------------------------------------------------
TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner) { Schedule(); }

TTimer::~TTimer()
{
    if (Application) Application->RemoveTimer(this);
}

void TTimer::SetEnabled(bool value)
{
    if (enabled_ == value) return;
    enabled_ = value;
    Schedule();
}

void TTimer::SetInterval(unsigned value)
{
    if (interval_ == value) return;
    interval_ = value;
    Schedule();
}

void TTimer::Schedule()
{
    if (!Application) return;
    if (enabled_ && interval_ > 0) {
        due_ = CurrentClock().NowMs() + interval_;
        Application->AddTimer(this);
    } else {
        Application->RemoveTimer(this);
    }
}

void TTimer::Timer()
{
    if (OnTimer) OnTimer(this);
}
