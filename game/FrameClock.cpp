#include "game/FrameClock.h"

#include "platform/PerformanceCounter.h"

#include <cmath>
#include <cstdio>
#include <thread>

FrameClock::FrameClock() : performanceCounter(std::make_unique<PerformanceCounter>()) {}

FrameClock::FrameClock(std::unique_ptr<PerformanceCounter> counter) : performanceCounter(std::move(counter)) {}

FrameClock::~FrameClock() = default;

void FrameClock::start()
{
    frameTime = 0.0;
    lastCounter = performanceCounter->counter();
    minFrameTime = MIN_FRAME_TIME;
    elapsedTime = 0.0;
    fpsTime = 0.0f;
    workTime = 0.0f;
    frameCount = 1;
    std::snprintf(fpsText, sizeof(fpsText), "FPS:");
}

// The wait sleeps for most of what is left of the frame, so an idle game leaves
// the processor free, and yields through the last SLEEP_MARGIN so the frame
// still ends on time.
void FrameClock::measure()
{
    counterFrequency = performanceCounter->frequency();
    const double tickSeconds = 1.0 / static_cast<double>(counterFrequency);
    std::int64_t now = performanceCounter->counter();
    frameTime = static_cast<double>(now - lastCounter) * tickSeconds;
    workTime += static_cast<float>(frameTime);
    while (capped && frameTime <= minFrameTime) {
        const double left = minFrameTime - frameTime;
        if (left > SLEEP_MARGIN)
            performanceCounter->sleep(static_cast<std::int64_t>((left - SLEEP_MARGIN) / tickSeconds));
        else
            std::this_thread::yield();
        now = performanceCounter->counter();
        frameTime = static_cast<double>(now - lastCounter) * tickSeconds;
    }
    elapsedTime += frameTime;
    lastCounter = now;
    frameCount += 1;
    fpsTime += static_cast<float>(frameTime);
}

void FrameClock::updateCounterText()
{
    if (fpsTime < 1.0f)
        return;
    // workTime is above zero once a frame has passed; the bound keeps the
    // conversion to int defined on a frame of no measurable time.
    const float uncapped = workTime > 0.0f ? static_cast<float>(frameCount) / workTime + 1.0f : 0.0f;
    std::snprintf(fpsText, sizeof(fpsText), "FPS: %d (%d)", frameCount,
                  static_cast<int>(std::fmin(uncapped, 1.0e9f)));
    fpsTime = 0.0f;
    workTime = 0.0f;
    frameCount = 0;
}
