#pragma once
// Repeats a step while a mouse button stays down on a scroll arrow, a channel
// or a spin button: first after a pause, then quickly, on the framework's
// timers (and so on the current clock). Not part of the public interface.
#include "vcl/timer.h"

#include <functional>

class TAutoRepeat {
public:
    static constexpr unsigned FirstDelay = 400;
    static constexpr unsigned RepeatInterval = 50;

    // The timer belongs to `owner` and goes with it.
    explicit TAutoRepeat(TComponent* owner) : timer_(new TTimer(owner))
    {
        timer_->SetEnabled(false);
        timer_->OnTimer = [this](TObject*) { Tick(); };
    }
    // Starts the pauses; the first step is the caller's own, at once.
    void Start(std::function<void()> step)
    {
        step_ = std::move(step);
        timer_->SetEnabled(false);
        timer_->SetInterval(FirstDelay);
        timer_->SetEnabled(true);
    }
    void Stop()
    {
        timer_->SetEnabled(false);
        step_ = nullptr;
    }
    bool Active() const { return timer_->Enabled(); }

private:
    void Tick()
    {
        timer_->SetInterval(RepeatInterval);
        // The step may stop the repeat; keep it alive while it runs.
        auto step = step_;
        if (step) step();
    }
    TTimer* timer_;
    std::function<void()> step_;
};
