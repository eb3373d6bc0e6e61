#pragma once
// The one clock and sleeper the program's polling loops use. Tests install a
// ManualClock so that loops of "sleep 500 ms, try again" run without real waiting.
#include "rtl/export.h"

#include <atomic>
#include <cstdint>
#include <mutex>

class Clock {
public:
    virtual ~Clock() = default;
    virtual std::uint64_t NowMs() = 0;            // monotonic milliseconds
    virtual void SleepMs(std::uint32_t ms) = 0;
};

RTL_API Clock& SystemClock();
RTL_API Clock& CurrentClock();
// Installs a clock for the whole process (nullptr restores the system clock).
RTL_API void SetCurrentClock(Clock* clock);

// The framework's names, through the current clock.
RTL_API std::uint32_t GetTickCount();
RTL_API std::uint64_t GetTickCount64();
RTL_API void Sleep(std::uint32_t ms);

// A clock whose sleeps advance time at once; thread-safe. Sleep(0) only yields.
class RTL_API ManualClock : public Clock {
public:
    std::uint64_t NowMs() override { return now_.load(); }
    void SleepMs(std::uint32_t ms) override;
    void Advance(std::uint64_t ms) { now_ += ms; }
    std::uint64_t TotalSlept() const { return slept_.load(); }

private:
    std::atomic<std::uint64_t> now_{1000};
    std::atomic<std::uint64_t> slept_{0};
};

// Installs a clock for one scope.
class ScopedClock {
public:
    explicit ScopedClock(Clock& clock) { SetCurrentClock(&clock); }
    ~ScopedClock() { SetCurrentClock(nullptr); }
    ScopedClock(const ScopedClock&) = delete;
    ScopedClock& operator=(const ScopedClock&) = delete;
};
