#pragma once
// The application object: the GUI thread's message loop, the forms it owns,
// timers, the exception box and the backend in use.
#include "gfx/icon.h"
#include "vcl/backend.h"
#include "vcl/components.h"
#include "vcl/forms.h"

#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

class MessageQueue;
class TTimer;

using TMessageEvent = std::function<void(MSG& Msg, bool& Handled)>;
// Answers true to swallow the message.
using TMessageHook = std::function<bool(MSG& Msg)>;
using TExceptionEvent = std::function<void(TObject* Sender, const std::exception& E)>;

class TApplication : public TComponent {
public:
    // The thread that makes the application is the GUI thread. Sets the global
    // Application (one at a time).
    TApplication();
    ~TApplication() override;

    // Chooses the backend: KELDARA_BACKEND=headless (or the "--headless" option
    // in argv) selects the headless one, otherwise `windowed` when given, else headless.
    void Initialize(const BackendFactory& windowed = nullptr, int argc = 0, char** argv = nullptr);
    void SetBackend(std::unique_ptr<Backend> backend);
    Backend& GetBackend();

    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& value) { title_ = value; }
    // The program's icon (empty until the program sets one).
    TIcon* Icon() { return &icon_; }
    std::string ExeName() const;
    HWND Handle() const { return handle_; }
    MessageQueue& Queue() { return *queue_; }
    bool IsGuiThread() const { return std::this_thread::get_id() == guiThread_; }

    // The first form made through CreateForm is the main form; closing it ends Run.
    TCustomForm* MainForm() const { return mainForm_; }
    template <class T>
    void CreateForm(T*& reference)
    {
        T* form = new T(this);
        reference = form;
        if (!mainForm_) mainForm_ = form;
        form->AfterConstruction();
    }

    // Run shows the main form first when set.
    bool ShowMainForm = true;
    void Run();
    // Handles one message (or waits for one, running due timers and painting first).
    void HandleMessage();
    // Handles everything pending, then paints; re-entrant; does nothing off the GUI thread.
    void ProcessMessages();
    void Terminate();
    bool Terminated() const { return terminated_; }
    void Minimize();
    void Restore();
    bool Minimized() const { return minimized_; }
    // One of the application's forms has the input focus.
    bool Active() const { return Screen->ActiveForm() != nullptr; }

    // Hook for every queued message before it is dispatched; Handled swallows it.
    TMessageEvent OnMessage;
    // Hooks of components that watch the whole application: they see every queued
    // message and every key a form receives, before OnMessage, in the order added.
    void HookMessages(const void* owner, TMessageHook hook);
    void UnhookMessages(const void* owner);
    bool RunMessageHooks(MSG& msg);
    TExceptionEvent OnException;
    TNotifyEvent OnIdle;

    // Exceptions escaping handlers come here: OnException, else the standard box.
    void HandleException(TObject* Sender);
    void ShowException(const std::exception& E);
    int MessageBox(const std::string& text, const std::string& caption, unsigned flags = MB_OK);

    // For timers: registers and unregisters (TTimer does this itself).
    void AddTimer(TTimer* timer);
    void RemoveTimer(TTimer* timer);
    // Milliseconds until the next timer is due, -1 for none.
    int NextTimerDelay() const;
    void FireDueTimers();
    // Paints every form with invalidated areas and presents them.
    void PaintForms();

    void ForgetMainForm() { mainForm_ = nullptr; }

private:
    bool ProcessMessage(MSG& msg);
    void Idle();
    void InstallSynchronizer();

    std::unique_ptr<MessageQueue> ownQueue_;
    MessageQueue* queue_ = nullptr;
    std::unique_ptr<Backend> backend_;
    HWND handle_ = nullptr;
    std::thread::id guiThread_;
    std::string title_;
    TIcon icon_;
    std::vector<std::pair<const void*, TMessageHook>> hooks_;
    TCustomForm* mainForm_ = nullptr;
    bool terminated_ = false;
    bool minimized_ = false;
    std::map<std::uint64_t, TTimer*> timers_;
    std::uint64_t nextTimerId_ = 1;
    int handling_ = 0;
};

extern TApplication* Application;
