#pragma once

#include <cstdint>
#include <memory>

class PerformanceCounter;

// The game's frame timing: each frame lasts at least minFrameTime (a wait on the
// high-resolution counter, at most 40 frames per second), and the frame counter
// line counts the frames of about a second and the rate the machine would reach
// without the cap.
class FrameClock {
public:
    static constexpr double MIN_FRAME_TIME = 0.025;  // seconds
    // The wait sleeps until this long before the end of the frame, then yields
    // until the end: a sleep may wake late by the scheduler's slack.
    static constexpr double SLEEP_MARGIN = 0.0005;  // seconds

    // Reads the operating system's counter.
    FrameClock();
    // Reads counter instead (tests drive the timing).
    explicit FrameClock(std::unique_ptr<PerformanceCounter> counter);
    ~FrameClock();

    // Starts timing now: no frame time, nothing elapsed, an empty counter line.
    void start();
    // Ends the current frame: waits until it has lasted minFrameTime, then adds it
    // to the elapsed and counter times.
    void measure();
    // Once a second or more of frames has passed, writes "FPS: frames (uncapped
    // rate)" into fpsText and starts counting again.
    void updateCounterText();

    double frameTime = 0.0;    // seconds of the last frame, after the cap
    double elapsedTime = 0.0;  // seconds since the level was loaded (the game resets it)
    float fpsTime = 0.0f;      // seconds since the counter line was written
    float workTime = 0.0f;     // uncapped seconds since the counter line was written
    int frameCount = 1;        // frames since the counter line was written
    char fpsText[32] = "FPS:";
    bool capped = true;        // false: measure() never waits (the frame benchmark)

private:
    std::unique_ptr<PerformanceCounter> performanceCounter;
    std::int64_t lastCounter = 0;
    std::int64_t counterFrequency = 1;
    double minFrameTime = MIN_FRAME_TIME;
};
