// TEvent over a mutex and condition variable.
#include "rtl/syncobjs.h"

#include <chrono>

TEvent::TEvent(bool manualReset, bool initialState) : manualReset_(manualReset), signaled_(initialState) {}

void TEvent::SetEvent()
{
    // Notify under the lock: a waiter that wakes may destroy the event at once.
    std::lock_guard lock(mutex_);
    signaled_ = true;
    if (manualReset_) cv_.notify_all();
    else cv_.notify_one();
}

void TEvent::ResetEvent()
{
    std::lock_guard lock(mutex_);
    signaled_ = false;
}

TWaitResult TEvent::WaitFor(std::uint32_t timeoutMs)
{
    std::unique_lock lock(mutex_);
    const auto ready = [this] { return signaled_; };
    if (timeoutMs == INFINITE) cv_.wait(lock, ready);
    else if (!cv_.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready)) return wrTimeout;
    if (!manualReset_)
        signaled_ = false;
    return wrSignaled;
}
