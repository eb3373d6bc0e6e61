#pragma once
// The thread that follows an erase: it waits for the drive to finish blanking
// or formatting (writing the zeros a DVD+RW or quick DVD-RAM erase needs),
// reports progress against the time the erase should take, puts the drive back
// in order and fires the device's OnEraseDone on the main thread.
#include "discrec/dkdrvlib.h"
#include "rtl/thread.h"

#include <atomic>
#include <cstdint>
#include <string>

class TEraseThread : public TThread {
public:
    // Created suspended; seconds is the time the erase should take.
    TEraseThread(TSCSIDevice& device, std::uint16_t kind, std::uint8_t eraseType, std::uint16_t seconds);
    ~TEraseThread() override;

    int Progress() const { return progress_; }
    // The done event has been handled: the erase is over.
    bool Delivered() const { return delivered_; }

protected:
    void Execute() override;

private:
    void UpdateProgress();
    // Sleeps on the process clock; false once the thread is told to stop.
    bool Pause(std::uint32_t ms);
    bool WithinExpected() const;
    bool WriteZeros(std::uint32_t writes);
    // A step of the erase: true when done, else it is kept as the erase's failure.
    bool Step(bool done, std::uint8_t opcode);
    bool Failed(const std::string& text);

    TSCSIDevice& device_;
    std::uint16_t kind_;
    std::uint8_t eraseType_;
    std::uint16_t expectedSeconds_;
    std::uint64_t started_ = 0;
    std::atomic<int> progress_{0};
    std::atomic<bool> delivered_{false};
    bool error_ = false;
    std::string errorText_;   // the first thing that failed
};
