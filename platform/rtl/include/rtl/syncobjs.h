#pragma once
// Locks and events shared between threads.
#include "rtl/export.h"
#include "rtl/system.h"

#include <condition_variable>
#include <cstdint>
#include <mutex>

// Recursive, as the platform's critical sections are.
class TCriticalSection : public TObject {
public:
    void Enter() { mutex_.lock(); }
    void Leave() { mutex_.unlock(); }
    bool TryEnter() { return mutex_.try_lock(); }
    void Acquire() { Enter(); }
    void Release() { Leave(); }
    // BasicLockable, so std::lock_guard / std::scoped_lock work on it.
    void lock() { Enter(); }
    void unlock() { Leave(); }

private:
    std::recursive_mutex mutex_;
};

enum TWaitResult { wrSignaled, wrTimeout, wrAbandoned, wrError };
constexpr std::uint32_t INFINITE = 0xFFFFFFFFu;

class RTL_API TEvent : public TObject {
public:
    explicit TEvent(bool manualReset = true, bool initialState = false);
    void SetEvent();
    void ResetEvent();
    // Waits in real time (events join real threads); an auto-reset event is cleared by a successful wait.
    TWaitResult WaitFor(std::uint32_t timeoutMs = INFINITE);

private:
    std::mutex mutex_;
    std::condition_variable cv_;
    bool manualReset_;
    bool signaled_;
};
