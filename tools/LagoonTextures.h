#pragma once

#include "tools/Image.h"

#include <cstdint>

// Material pictures of the lagoon level; colour in RGB, height field in alpha.
class LagoonTextures {
public:
    // Pale beach sand with wind ripples and shell grit.
    static Image sand(int size, std::uint32_t seed);
    // Clear turquoise shallow water with caustic light on the sandy floor.
    static Image shallowWater(int size, std::uint32_t seed);
    // Brain coral: meandering ridges and grooves in coral pink.
    static Image coral(int size, std::uint32_t seed);
    // Rounded dark stones, glossy with water, algae in the gaps.
    static Image wetStone(int size, std::uint32_t seed);
    // Sun-bleached grey pier boards with rusty bolts and salt stains.
    static Image pierPlanks(int size, std::uint32_t seed);
};
