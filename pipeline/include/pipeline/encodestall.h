#pragma once
// Stall detection of the encode timer: an encoder whose frame rate and
// position stay the same for eleven 500 ms ticks is given up.
namespace pipeline {

class EncodeStallWatch {
public:
    static constexpr int kLimit = 10;
    // One timer tick's report; true when the clip is to be skipped. The caller
    // stops the encoder (D_Stop) before moving on, so it cannot finish later.
    bool Tick(double framesPerSecond, double position);
    void Reset() { ticks_ = 0, lastRate_ = -1, lastPosition_ = -1; }
    int Ticks() const { return ticks_; }

private:
    int ticks_ = 0;
    int lastRate_ = -1;
    int lastPosition_ = -1;
};

} // namespace pipeline
