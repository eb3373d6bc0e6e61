#pragma once
// The one way tests wait for something another thread or process does: for a
// bounded time, so that a fault fails the test with its reason at once instead
// of hanging it until the test runner gives up.
#include <functional>

namespace testkit {

// Calls `step` (a millisecond's sleep when none is given) until `done` holds;
// false when it still does not hold after `seconds` of real time.
bool WaitUntil(const std::function<bool()>& done, double seconds = 60, const std::function<void()>& step = {});

} // namespace testkit
