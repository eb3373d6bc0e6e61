#pragma once
// The system reference clock: monotonic time in 100 ns units, with advise
// requests served by one timer thread.
#include "dshow/export.h"
#include "com/cunknown.h"
#include "dshow/interfaces.h"

#include <functional>
#include <memory>

class DSHOW_API CSystemClock : public CUnknown, public IReferenceClock {
public:
    CSystemClock(const char* name, IUnknown* outer, HRESULT* hr);
    ~CSystemClock() override;

    DECLARE_IUNKNOWN
    HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    HRESULT STDMETHODCALLTYPE GetTime(REFERENCE_TIME* time) override;
    HRESULT STDMETHODCALLTYPE AdviseTime(REFERENCE_TIME base, REFERENCE_TIME stream, LONG_PTR event,
                                         DWORD_PTR* cookie) override;
    HRESULT STDMETHODCALLTYPE AdvisePeriodic(REFERENCE_TIME start, REFERENCE_TIME period, LONG_PTR event,
                                             DWORD_PTR* cookie) override;
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD_PTR cookie) override;

    static CUnknown* CreateInstance(IUnknown* outer, HRESULT* hr);

private:
    struct Timer;
    std::unique_ptr<Timer> timer_;
};

// Waits until clock reaches time, or until wake() answers true (checked at
// least every few milliseconds). Answers true when the time was reached.
// Helper for renderers that present against a clock.
DSHOW_API bool WaitForClock(IReferenceClock* clock, REFERENCE_TIME time, const std::function<bool()>& wake);
