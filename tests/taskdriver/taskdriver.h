#pragma once
// A whole task of the program, driven as a user drives it: the program's real
// windows made headless as the start-up makes them, open dialogs and message
// boxes answered from a script, steps run when a window becomes the modal one,
// named controls clicked, and a watchdog that ends a run that hangs with what
// the run had logged, instead of leaving the test waiting.
#include "rtl/clock.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

class TApplication;
class TComponent;
class TControl;
class TCustomForm;
class THeadlessBackend;
class TMenuItem;

namespace testkit {

// The program's clock during a task: the driver's pumping keeps it in step
// with real time, so that timers tick as they would; the program's own waits
// (a probe waiting for its first picture) take the real time they ask for, so
// that a busy machine gets as long as a user's would.
class TaskClock : public Clock {
public:
    std::uint64_t NowMs() override { return now_.load(); }
    void SleepMs(std::uint32_t ms) override;
    void Advance(std::uint64_t ms) { now_ += ms; }

private:
    std::atomic<std::uint64_t> now_{1000};
};

// The screen a task runs on: headless, or the display's real windows with
// KELDARA_TASK_BACKEND=qt (which needs DISPLAY, as under xvfb-run).
std::unique_ptr<THeadlessBackend> MakeTaskScreen();

// The window's picture as the headless screen shows it, saved as NAME.bmp into
// the folder KELDARA_TASK_SHOTS names (nothing without it).
void ShootWindow(THeadlessBackend& screen, TCustomForm& window, const std::string& name);

class TaskDriver {
public:
    // The watchdog fires when the whole task takes longer than this.
    explicit TaskDriver(int watchdogSeconds = 600);
    ~TaskDriver();
    TaskDriver(const TaskDriver&) = delete;
    TaskDriver& operator=(const TaskDriver&) = delete;

    // The headless application with every window of the start-up that has
    // its creator, made in the start-up's order (the first is the main form).
    void StartProgram();
    // The windows destroyed (before the test's own clean-up runs).
    void EndProgram();
    TApplication& App();
    THeadlessBackend& Screen();

    // A window of the program by its global's name, as `T`; throws when the
    // program has no such window.
    template <class T>
    T& Window(const std::string& name)
    {
        if (T* window = dynamic_cast<T*>(FindWindow(name))) return *window;
        throw std::runtime_error("the program has no window " + name);
    }

    // --- what the user does ----------------------------------------------------
    // The next modal window runs `step` inside its loop.
    void OnNextModal(std::function<void(TCustomForm&)> step);
    // Asked after every step: when it holds (a test's assertion failed inside the
    // step), or when the step threw, the run ends at once with its report; the
    // step's window would otherwise stay open until the watchdog fires.
    void EndRunWhen(std::function<bool()> failed);
    void Click(TControl& control);
    // Presses the mouse on `grip`'s centre, moves it to (x, y) of `onto` and releases it there.
    void Drag(TControl& grip, TControl& onto, int x, int y);
    // Presses and releases the right button on the control's centre, as for its popup menu.
    void RightClick(TControl& control);
    // In a popup menu's window (the modal step a right click opens), clicks `item`.
    void ChooseMenuItem(TCustomForm& menu, const TMenuItem& item);
    // Clicks into the edit, selects its text (Ctrl+A) and types `text` over it.
    void TypeInto(TControl& edit, const std::string& text);
    // The next open dialog answers these files; the next message box this button.
    void AnswerFiles(std::vector<std::string> files);
    void AnswerNextMessageBox(int answer);

    // Handles the program's messages until `done` holds, the clock keeping
    // pace with real time; false after `seconds` of real time.
    bool PumpUntil(const std::function<bool()>& done, int seconds = 300);

    // The window's picture as the screen shows it, saved as NAME.bmp into the
    // folder KELDARA_TASK_SHOTS names (nothing without it): a person looks at
    // each window as the task passes it.
    void Shoot(TCustomForm& window, const std::string& name);

    // --- what the watchdog tells ---------------------------------------------------
    // A step of the script, noted for the report of a run that hangs.
    void Step(const std::string& what);
    // The run log to report: read on the program's thread at every pump.
    void WatchLog(std::function<std::vector<std::string>()> log);
    std::vector<std::string> Steps() const;

private:
    TComponent* FindWindow(const std::string& name);
    void Watch(int seconds);
    void Sample();
    // Reports where the script was, the message boxes and the run log, and ends the test process.
    [[noreturn]] void EndRun(const std::string& why);

    TaskClock clock_;
    std::unique_ptr<ScopedClock> scope_;
    std::unique_ptr<TApplication> app_;
    THeadlessBackend* screen_ = nullptr;
    std::function<std::vector<std::string>()> log_;
    std::function<bool()> failed_;

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    bool done_ = false;
    std::vector<std::string> steps_, lastLog_, lastBoxes_;
    std::thread watchdog_;
};

} // namespace testkit
