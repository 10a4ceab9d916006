#pragma once

#include "tools/Image.h"

#include <cstdint>

// The particle sprite atlas, 1024 x 1024 RGBA, drawn for additive blending:
// each sprite's colour is bright and its alpha is the amount it adds, fading
// softly to 0 before the frame's border; everything outside the frames is
// transparent black. The frames are those the game defines at start-up.
class ParticleAtlasGenerator {
public:
    static constexpr int SIZE = 1024;

    // Frame 0 soft dot, 1 small dot, 2-17 explosion turning to smoke, 18 star,
    // 19 spark, 20 drop, 21 glow ring, 22 flare burst, 23-38 expanding shock
    // ring, 39 leaf.
    static Image atlas(std::uint32_t seed);
};
