#include "game/PassTimer.h"

#include <GL/gl.h>

#include <chrono>
#include <ctime>

namespace {

double nowMilliseconds()
{
    using Clock = std::chrono::steady_clock;
    return std::chrono::duration<double, std::milli>(Clock::now().time_since_epoch()).count();
}


}  // namespace

double PassTimer::processorNow()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1.0e6;
}

const char* PassTimer::name(Pass pass)
{
    static const char* const names[PASS_COUNT] = {"update", "shadow", "scene", "glow", "overlay", "swap"};
    return names[pass];
}

void PassTimer::begin()
{
    if (!enabled)
        return;
    glFinish();
    last = nowMilliseconds();
    lastProcessor = processorNow();
}

void PassTimer::mark(Pass pass)
{
    if (!enabled)
        return;
    glFinish();
    const double now = nowMilliseconds();
    const double processorTime = processorNow();
    milliseconds[pass] += now - last;
    processorMilliseconds[pass] += processorTime - lastProcessor;
    last = now;
    lastProcessor = processorTime;
}

void PassTimer::reset()
{
    for (int pass = 0; pass < PASS_COUNT; ++pass)
        milliseconds[pass] = processorMilliseconds[pass] = 0.0;
}
