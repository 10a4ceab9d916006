#pragma once

// Cursor movement in screen pixels since the last query; y grows downwards.
struct MouseDelta {
    int x = 0;
    int y = 0;
};
