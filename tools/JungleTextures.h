#pragma once

#include "tools/Image.h"

#include <cstdint>

// Material pictures of the jungle level. Each returns a square picture of the
// given size whose colour channels are the texture and whose alpha holds the
// height field (0..1) that the normal map is derived from.
class JungleTextures {
public:
    // Short grass blades in clumps over dark moss and soil.
    static Image grass(int size, std::uint32_t seed);
    // Vertical bark plates split by deep cracks, with lichen and moss in the cracks.
    static Image bark(int size, std::uint32_t seed);
    // Warm brown boards with staggered joints, knots and nails.
    static Image planks(int size, std::uint32_t seed);
    // Irregular stones bedded in moss.
    static Image mossyStone(int size, std::uint32_t seed);
    // A dense layer of overlapping leaves.
    static Image leaves(int size, std::uint32_t seed);
};
