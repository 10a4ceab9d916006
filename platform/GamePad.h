#pragma once

#include "platform/PadState.h"

struct _SDL_GameController;

// The first game controller SDL knows, read once a frame. A controller plugged
// in later is opened at the next read; one pulled out reads as released.
class GamePad {
public:
    // Fraction of a stick's travel that reads as centred: worn sticks rest off centre.
    static constexpr float DEAD_ZONE = 0.2f;

    GamePad();
    ~GamePad();
    GamePad(const GamePad&) = delete;
    GamePad& operator=(const GamePad&) = delete;

    // This frame's state; all released while SDL's controller support is missing.
    PadState read();

    // An axis value (-32768..32767) as -1..1, 0 inside the dead zone and scaled
    // so that the edge of the dead zone is 0 and full travel 1.
    static float stickValue(int raw);

private:
    bool started = false;
    _SDL_GameController* controller = nullptr;
};
