#pragma once

// What a game controller holds this frame. Stick axes run from -1 to 1 (x to
// the right, y downwards, as the mouse's), 0 inside the dead zone and without
// a controller.
struct PadState {
    float leftX = 0.0f;
    float leftY = 0.0f;
    float rightX = 0.0f;
    float rightY = 0.0f;
    bool a = false;
    bool b = false;
    bool start = false;
};
