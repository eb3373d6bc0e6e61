#pragma once
// A timer firing OnTimer on the GUI thread every Interval milliseconds of the
// current clock. Interval 0 never fires; the handler may disable or free the
// timer. Ticks do not pile up: a late timer fires once.
#include "vcl/components.h"

#include <cstdint>

class TTimer : public TComponent {
public:
    explicit TTimer(TComponent* AOwner);
    ~TTimer() override;

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value);
    unsigned Interval() const { return interval_; }
    void SetInterval(unsigned value);

    TNotifyEvent OnTimer;

protected:
    virtual void Timer();

private:
    friend class TApplication;
    void Schedule();
    bool enabled_ = true;
    unsigned interval_ = 1000;
    std::uint64_t due_ = 0;
    std::uint64_t id_ = 0;
};
