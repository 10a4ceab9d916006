#include "game/GameWorld.h"

#include <cmath>

namespace {

Vector3 jungleLight(float t)
{
    return {80.0f * std::sin(t / 4.0f), 225.0f, std::fabs(25.0f * std::cos(t / 4.0f)) - 235.0f};
}

Vector3 volcanoLight(float t)
{
    return {std::fabs(25.0f * std::cos(t / 4.0f)) + 210.0f, 240.0f, 75.0f * std::sin(t / 4.0f)};
}

Vector3 lagoonLight(float t)
{
    return {160.0f * std::cos(t / 2.0f), 340.0f, 160.0f * std::sin(t / 2.0f)};
}

}  // namespace

const GameWorld GAME_WORLDS[GAME_WORLD_COUNT] = {
    {"data/levels/jungle.xml",
     {"data/sound/backgroundJungle01.mp3", "data/sound/backgroundJungle02.mp3"},
     jungleLight, {-15.0f, -50.0f, 0.0f}, 1.4f, 180.0f, 420.0f,
     ParticleEffects::Weather::LEAVES, {1.0f, 0.25f, 0.25f}, false},
    {"data/levels/vulkano.xml",
     {"data/sound/backgroundLava01.wav", nullptr},
     volcanoLight, {0.0f, -40.0f, 0.0f}, 1.4f, 180.0f, 420.0f,
     ParticleEffects::Weather::SPARKS, {0.25f, 1.0f, 0.25f}, false},
    {"data/levels/lagoon.xml",
     {"data/sound/backgroundLagoon01.wav", "data/sound/backgroundLagoon02.wav"},
     lagoonLight, {0.0f, -30.0f, 0.0f}, 1.1f, 280.0f, 420.0f,
     ParticleEffects::Weather::DROPS, {0.25f, 0.25f, 1.0f}, true},
};
