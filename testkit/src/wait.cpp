#include "testkit/wait.h"

#include <chrono>
#include <thread>

namespace testkit {

bool WaitUntil(const std::function<bool()>& done, double seconds, const std::function<void()>& step)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return done();
        if (step)
            step();
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

} // namespace testkit
