#pragma once

#include <cstddef>

// The time a level has been played: it advances only while the game says so
// (not while paused) and ends either timed, at the target, or without a time.
class LevelTimer {
public:
    // Most a frame adds: a longer one holds a level load or a stall, not play
    // (the physics steps the same amount in any frame).
    static constexpr double MAX_FRAME_TIME = 0.25;

    // Zero seconds, running.
    void restart();
    // Adds frame time, at most MAX_FRAME_TIME, while running.
    void advance(double seconds);
    // Ends the level without a time (finished by key, not played to the target).
    void cancel();
    // Stops the clock; true only for the first stop of a running clock: a timed finish.
    bool finish();

    double seconds() const { return elapsed; }
    bool running() const { return state == RUNNING; }
    bool timed() const { return state == TIMED; }

    // "m:ss.cc", rounded to hundredths; negative times read as zero.
    static void format(double seconds, char* text, std::size_t size);

private:
    enum State { STOPPED, RUNNING, TIMED };
    State state = STOPPED;
    double elapsed = 0.0;
};
