#pragma once

#include "game/ParticleEffects.h"
#include "math/Vector3.h"

#include <array>

// One world of the game: its level file and everything the game gives it
// beside the level (music, the light's path, weather, fireworks). The worlds
// are played in the order of GAME_WORLDS, then again from the first.
struct GameWorld {
    const char* levelFile;
    std::array<const char*, 2> music;  // tracks that loop together; null where unused
    Vector3 (*lightPosition)(float t);  // the light's path over the game time t in seconds
    Vector3 lightTarget;
    float lightAspect;
    float lightNear;
    float lightFar;
    ParticleEffects::Weather weather;
    Vector3 markerColour;  // red, green, blue of the spark circling the target
    bool fireworks;        // over the finished level
};

constexpr int GAME_WORLD_COUNT = 3;
extern const GameWorld GAME_WORLDS[GAME_WORLD_COUNT];
