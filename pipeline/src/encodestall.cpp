#include "pipeline/encodestall.h"

namespace pipeline {

bool EncodeStallWatch::Tick(double framesPerSecond, double position)
{
    const int rate = static_cast<int>(framesPerSecond);
    const int pos = static_cast<int>(position);
    bool skip = false;
    if (rate == lastRate_ && pos == lastPosition_) {
        skip = ++ticks_ > kLimit;
    } else {
        ticks_ = 0;
    }
    lastRate_ = rate;
    lastPosition_ = pos;
    if (skip) Reset();
    return skip;
}

} // namespace pipeline
