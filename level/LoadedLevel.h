#pragma once

#include "math/Vector3.h"

// What loading a level reports to the caller. The game's level record derives
// from it and adds the tilt state; the loader writes these fields only.
struct LoadedLevel {
    int actorId = 0;                  // the level body's actor id; 0 while no level is loaded
    const char* fileName = nullptr;   // the caller's string, not copied
    Vector3 startPosition;            // where the ball starts, level coordinates
    Vector3 targetPosition;           // where it has to go, level coordinates
    // The file gave both a start and a target: only then can the level be
    // finished (a cut or empty file would otherwise finish at once at the origin).
    bool playable = false;
};
