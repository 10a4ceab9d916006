#include "platform/PerformanceCounter.h"

#include <chrono>
#include <thread>

// steady_clock never jumps with wall-clock changes; its ticks are nanoseconds here.
std::int64_t PerformanceCounter::counter() const
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::int64_t PerformanceCounter::frequency() const
{
    return 1000000000;
}

void PerformanceCounter::sleep(std::int64_t ticks) const
{
    std::this_thread::sleep_for(std::chrono::nanoseconds(ticks));
}
