#include "game/LevelTimer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

void LevelTimer::restart()
{
    state = RUNNING;
    elapsed = 0.0;
}

void LevelTimer::advance(double seconds)
{
    if (state == RUNNING && seconds > 0.0)
        elapsed += std::min(seconds, MAX_FRAME_TIME);
}

void LevelTimer::cancel()
{
    state = STOPPED;
}

bool LevelTimer::finish()
{
    if (state != RUNNING)
        return false;
    state = TIMED;
    return true;
}

void LevelTimer::format(double seconds, char* text, std::size_t size)
{
    // Whole hundredths first, so 59.999 s reads 1:00.00 and not 0:60.00.
    const long long hundredths = seconds > 0.0 ? std::llround(seconds * 100.0) : 0;
    std::snprintf(text, size, "%lld:%02lld.%02lld", hundredths / 6000, hundredths / 100 % 60,
                  hundredths % 100);
}
