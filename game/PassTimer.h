#pragma once

// Milliseconds of the frame's passes, for the frame benchmark. Each mark waits
// for the GL to finish, so the split is exact but the frame is slower: off
// unless someone asks, and then every call is a test of one flag.
class PassTimer {
public:
    enum Pass { UPDATE, SHADOW, SCENE, GLOW, OVERLAY, SWAP, PASS_COUNT };
    static const char* name(Pass pass);
    // Processor time of all the process's threads so far, in milliseconds.
    static double processorNow();

    // Starts the clock of the next pass (after the GL has finished what came before).
    void begin();
    // Adds the time since begin() or the previous mark to pass and starts the next.
    void mark(Pass pass);
    // Clears the sums.
    void reset();

    bool enabled = false;
    double milliseconds[PASS_COUNT] = {};
    // Processor time of all the process's threads per pass: the driver renders on
    // several, and on a busy machine this is steadier than the wall clock.
    double processorMilliseconds[PASS_COUNT] = {};

private:
    double last = 0.0;
    double lastProcessor = 0.0;
};
