// The system clock, the process-wide current clock and the manual test clock.
#include "rtl/clock.h"

#include <chrono>
#include <thread>

namespace {

class SteadyClock : public Clock {
public:
    std::uint64_t NowMs() override
    {
        using namespace std::chrono;
        return static_cast<std::uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
    }
    void SleepMs(std::uint32_t ms) override
    {
        if (ms == 0) std::this_thread::yield();
        else std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }
};

std::atomic<Clock*> g_current{nullptr};

} // namespace

Clock& SystemClock()
{
    static SteadyClock clock;
    return clock;
}

Clock& CurrentClock()
{
    Clock* c = g_current.load(std::memory_order_acquire);
    return c ? *c : SystemClock();
}

void SetCurrentClock(Clock* clock)
{
    g_current.store(clock, std::memory_order_release);
}

std::uint32_t GetTickCount()
{
    return static_cast<std::uint32_t>(CurrentClock().NowMs());
}

std::uint64_t GetTickCount64()
{
    return CurrentClock().NowMs();
}

void Sleep(std::uint32_t ms)
{
    CurrentClock().SleepMs(ms);
}

void ManualClock::SleepMs(std::uint32_t ms)
{
    if (ms > 0) {
        now_ += ms;
        slept_ += ms;
    }
    // Let the threads a polling loop waits for make progress.
    std::this_thread::yield();
}
