#include "taskdriver.h"

#include "scriptedqt.h"

#include "app/startup.h"
#include "base/taskwindows.h"

#include "gfx/bitmap.h"
#include "vcl/application.h"
#include "vcl/controls.h"
#include "vcl/dialogs.h"
#include "vcl/headless.h"
#include "vcl/menus.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace testkit {

void TaskClock::SleepMs(std::uint32_t ms)
{
    now_ += ms;
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

TaskDriver::TaskDriver(int watchdogSeconds) : scope_(std::make_unique<ScopedClock>(clock_))
{
    ScriptedDialogs().Reset();
    watchdog_ = std::thread([this, watchdogSeconds] { Watch(watchdogSeconds); });
}

TaskDriver::~TaskDriver()
{
    EndProgram();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        done_ = true;
    }
    wake_.notify_all();
    watchdog_.join();
    scope_.reset();
}

std::unique_ptr<THeadlessBackend> MakeTaskScreen()
{
    // KELDARA_TASK_BACKEND=qt shows the task on the display's real windows.
    const char* backend = std::getenv("KELDARA_TASK_BACKEND");
    if (!backend || std::string(backend) != "qt") return std::make_unique<THeadlessBackend>();
    if (!std::getenv("DISPLAY")) throw std::runtime_error("KELDARA_TASK_BACKEND=qt needs a display (run under xvfb-run)");
    return std::make_unique<TScriptedQtBackend>();
}

void TaskDriver::StartProgram()
{
    app_ = std::make_unique<TApplication>();
    app_->SetBackend(MakeTaskScreen());
    screen_ = HeadlessBackend();
    for (const StartupWindow& window : StartupWindows())
        if (window.create) window.create(*app_);
}

void TaskDriver::EndProgram()
{
    app_.reset();
    screen_ = nullptr;
}

TApplication& TaskDriver::App()
{
    if (!app_) throw std::runtime_error("the program is not started");
    return *app_;
}

THeadlessBackend& TaskDriver::Screen()
{
    if (!screen_) throw std::runtime_error("the program is not started");
    return *screen_;
}

TComponent* TaskDriver::FindWindow(const std::string& name) { return app_ ? FindProgramWindow(name) : nullptr; }

void TaskDriver::OnNextModal(std::function<void(TCustomForm&)> step)
{
    Screen().OnNextModal([this, step = std::move(step)](TCustomForm& shown) {
        try {
            step(shown);
        } catch (const std::exception& e) {
            EndRun(std::string("a step threw: ") + e.what());
        }
        if (failed_ && failed_()) EndRun("a step failed (its failure is told above)");
    });
}

void TaskDriver::EndRunWhen(std::function<bool()> failed) { failed_ = std::move(failed); }

void TaskDriver::Click(TControl& control)
{
    Sample();
    Screen().ClickControl(control);
}

void TaskDriver::Drag(TControl& grip, TControl& onto, int x, int y)
{
    TCustomForm* form = grip.ParentForm();
    if (!form || onto.ParentForm() != form) throw std::runtime_error("a drag stays within one window");
    const TPoint from = form->ScreenToClient(grip.ClientToScreen(Point(grip.Width() / 2, grip.Height() / 2)));
    const TPoint to = form->ScreenToClient(onto.ClientToScreen(Point(x, y)));
    Sample();
    Screen().MouseMove(*form, from.X, from.Y);
    Screen().MouseDown(*form, from.X, from.Y);
    Screen().MouseMove(*form, (from.X + to.X) / 2, (from.Y + to.Y) / 2);
    Screen().MouseMove(*form, to.X, to.Y);
    Screen().MouseUp(*form, to.X, to.Y);
}

void TaskDriver::RightClick(TControl& control)
{
    TCustomForm* form = control.ParentForm();
    if (!form) throw std::runtime_error("a right click needs a control in a window");
    const TPoint at = form->ScreenToClient(control.ClientToScreen(Point(control.Width() / 2, control.Height() / 2)));
    Sample();
    Screen().MouseMove(*form, at.X, at.Y);
    Screen().MouseDown(*form, at.X, at.Y, mbRight);
    Screen().MouseUp(*form, at.X, at.Y, mbRight);
}

void TaskDriver::ChooseMenuItem(TCustomForm& menu, const TMenuItem& item)
{
    auto* window = dynamic_cast<TMenuWindow*>(&menu);
    if (!window) throw std::runtime_error("the modal window is not a popup menu");
    const TRect r = window->ItemRect(&item);
    if (r.Width() <= 0 || r.Height() <= 0) throw std::runtime_error("the popup menu does not show " + item.Caption());
    Sample();
    Screen().Click(menu, r.Left + r.Width() / 2, r.Top + r.Height() / 2);
}

void TaskDriver::TypeInto(TControl& edit, const std::string& text)
{
    Click(edit);
    Screen().PressKey('A', ssCtrl);
    Screen().TypeText(text);
}

void ShootWindow(THeadlessBackend& screen, TCustomForm& window, const std::string& name)
{
    const char* folder = std::getenv("KELDARA_TASK_SHOTS");
    if (!folder || !*folder) return;
    std::filesystem::create_directories(folder);
    // On real windows, what the display shows; headless, the window's picture in memory.
    auto* qt = dynamic_cast<TScriptedQtBackend*>(&screen);
    std::unique_ptr<TBitmap> picture = qt ? qt->WindowPicture(window) : nullptr;
    if (!picture) picture = screen.Snapshot(window);
    picture->SaveToFile((std::filesystem::path(folder) / (name + ".bmp")).string());
}

void TaskDriver::Shoot(TCustomForm& window, const std::string& name) { ShootWindow(Screen(), window, name); }

void TaskDriver::AnswerFiles(std::vector<std::string> files) { ScriptedDialogs().AnswerFiles(std::move(files)); }

void TaskDriver::AnswerNextMessageBox(int answer) { Screen().AnswerNextMessageBox(answer); }

bool TaskDriver::PumpUntil(const std::function<bool()>& done, int seconds)
{
    const auto begin = std::chrono::steady_clock::now();
    auto last = begin;
    while (std::chrono::steady_clock::now() - begin < std::chrono::seconds(seconds)) {
        App().ProcessMessages();
        Sample();
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        const auto now = std::chrono::steady_clock::now();
        clock_.Advance(static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now - last).count()));
        last = now;
    }
    return false;
}

void TaskDriver::Step(const std::string& what)
{
    Sample();
    std::lock_guard<std::mutex> lock(mutex_);
    steps_.push_back(what);
}

void TaskDriver::WatchLog(std::function<std::vector<std::string>()> log) { log_ = std::move(log); }

std::vector<std::string> TaskDriver::Steps() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return steps_;
}

// Read on the program's thread, for a report from any thread.
void TaskDriver::Sample()
{
    std::vector<std::string> lines = log_ ? log_() : std::vector<std::string>{};
    std::vector<std::string> boxes;
    if (screen_)
        for (const HeadlessMessageBox& box : screen_->MessageBoxes()) boxes.push_back(box.text);
    std::lock_guard<std::mutex> lock(mutex_);
    lastLog_ = std::move(lines);
    lastBoxes_ = std::move(boxes);
}

namespace {

void Report(const char* heading, const std::vector<std::string>& lines)
{
    std::fprintf(stderr, "%s:\n", heading);
    for (const std::string& line : lines) std::fprintf(stderr, "  %s\n", line.c_str());
}

} // namespace

void TaskDriver::EndRun(const std::string& why)
{
    Sample();
    std::lock_guard<std::mutex> lock(mutex_);
    std::fprintf(stderr, "task: %s\n", why.c_str());
    Report("steps", steps_);
    Report("message boxes", lastBoxes_);
    Report("run log", lastLog_);
    std::fflush(stderr);
    std::_Exit(1);
}

void TaskDriver::Watch(int seconds)
{
    std::unique_lock<std::mutex> lock(mutex_);
    if (wake_.wait_for(lock, std::chrono::seconds(seconds), [this] { return done_; })) return;
    // The program's thread is stuck somewhere no step returns from: say where
    // the script was and what the run logged, and end the test process.
    std::fprintf(stderr, "task watchdog: no end after %d s\n", seconds);
    Report("steps", steps_);
    Report("message boxes", lastBoxes_);
    Report("run log", lastLog_);
    std::fflush(stderr);
    std::_Exit(1);
}

} // namespace testkit
