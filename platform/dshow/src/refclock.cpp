#include "dshow/refclock.h"

#include "com/com.h"
#include "dshow/setup.h"
#include "dshow/uuids.h"
#include "rtl/syncobjs.h"

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

namespace {

REFERENCE_TIME Now()
{
    auto t = std::chrono::steady_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::nanoseconds>(t).count() / 100;
}

const bool g_registered = [] {
    RegisterProcessClass(CLSID_SystemClock, MakeClassCreator(&CSystemClock::CreateInstance));
    return true;
}();

} // namespace

// Advise requests and the thread that signals them.
struct CSystemClock::Timer {
    struct Advise {
        REFERENCE_TIME when;
        REFERENCE_TIME period;   // 0: once
        TEvent* event;
    };
    std::mutex mutex;
    std::condition_variable changed;
    std::map<DWORD_PTR, Advise> advises;
    DWORD_PTR next = 1;
    bool quit = false;
    std::thread thread;

    void Run()
    {
        std::unique_lock lock(mutex);
        while (!quit) {
            REFERENCE_TIME now = Now();
            REFERENCE_TIME earliest = -1;
            for (auto it = advises.begin(); it != advises.end();) {
                Advise& a = it->second;
                if (a.when <= now) {
                    a.event->SetEvent();
                    if (a.period > 0) {
                        while (a.when <= now) a.when += a.period;
                    } else {
                        it = advises.erase(it);
                        continue;
                    }
                }
                if (earliest < 0 || a.when < earliest) earliest = a.when;
                ++it;
            }
            if (earliest < 0) changed.wait(lock);
            else changed.wait_for(lock, std::chrono::nanoseconds((earliest - now) * 100));
        }
    }
    DWORD_PTR Add(Advise a)
    {
        std::lock_guard lock(mutex);
        if (!thread.joinable()) thread = std::thread([this] { Run(); });
        DWORD_PTR id = next++;
        advises[id] = a;
        changed.notify_all();
        return id;
    }
    ~Timer()
    {
        {
            std::lock_guard lock(mutex);
            quit = true;
            changed.notify_all();
        }
        if (thread.joinable()) thread.join();
    }
};

CSystemClock::CSystemClock(const char* name, IUnknown* outer, HRESULT*)
    : CUnknown(name, outer), timer_(std::make_unique<Timer>())
{
}

CSystemClock::~CSystemClock() = default;

CUnknown* CSystemClock::CreateInstance(IUnknown* outer, HRESULT* hr)
{
    (void)g_registered;
    if (hr) *hr = S_OK;
    return new CSystemClock("system clock", outer, hr);
}

HRESULT CSystemClock::NonDelegatingQueryInterface(REFIID riid, void** ppv)
{
    if (riid == IID_IReferenceClock) return GetInterface(static_cast<IReferenceClock*>(this), ppv);
    return CUnknown::NonDelegatingQueryInterface(riid, ppv);
}

HRESULT CSystemClock::GetTime(REFERENCE_TIME* time)
{
    if (!time) return E_POINTER;
    *time = Now();
    return S_OK;
}

HRESULT CSystemClock::AdviseTime(REFERENCE_TIME base, REFERENCE_TIME stream, LONG_PTR event, DWORD_PTR* cookie)
{
    if (!cookie) return E_POINTER;
    if (!event) return E_INVALIDARG;
    *cookie = timer_->Add({base + stream, 0, reinterpret_cast<TEvent*>(event)});
    return S_OK;
}

HRESULT CSystemClock::AdvisePeriodic(REFERENCE_TIME start, REFERENCE_TIME period, LONG_PTR event, DWORD_PTR* cookie)
{
    if (!cookie) return E_POINTER;
    if (!event || period <= 0 || start < 0) return E_INVALIDARG;
    *cookie = timer_->Add({start, period, reinterpret_cast<TEvent*>(event)});
    return S_OK;
}

HRESULT CSystemClock::Unadvise(DWORD_PTR cookie)
{
    std::lock_guard lock(timer_->mutex);
    return timer_->advises.erase(cookie) ? S_OK : S_FALSE;
}

bool WaitForClock(IReferenceClock* clock, REFERENCE_TIME time, const std::function<bool()>& wake)
{
    if (!clock) return true;
    while (true) {
        if (wake && wake()) return false;
        REFERENCE_TIME now = 0;
        if (FAILED(clock->GetTime(&now))) return true;
        if (now >= time) return true;
        REFERENCE_TIME left = time - now;
        // Short slices so a wake-up request is seen promptly.
        std::this_thread::sleep_for(std::chrono::nanoseconds(std::min<REFERENCE_TIME>(left, 5 * MILLISECONDS) * 100));
    }
}
