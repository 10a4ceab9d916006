#pragma once

#include <cstdint>

// Building blocks that several material recipes share. All take texture
// coordinates in [0, 1) and repeat with the texture.
class TexturePatterns {
public:
    // Where a point lies on a floor of boards running along s.
    struct Plank {
        std::uint32_t id = 0;   // the board's own random number
        float along = 0.0f;     // 0..1 from the board's start joint to its end joint
        float across = 0.0f;    // 0..1 across the board
        float edge = 0.0f;      // distance to the nearest gap or joint, in texture units
        float length = 0.0f;    // board length in texture units
    };

    // rows boards across the texture; each row is cut by one to three joints at
    // random places, so the joints of neighbouring rows are staggered.
    static Plank planks(float u, float v, int rows, std::uint32_t seed);
    // Growth rings of a flat-sawn board (nested arches along the board, bent
    // around knots) as a value in 0..1: 1 in the dark late wood of a ring.
    static float woodGrain(float u, float v, const Plank& plank, int rows, std::uint32_t seed);
    // Fine fibres along s, 0..1.
    static float woodFibres(float u, float v, std::uint32_t seed);
    // Per-pixel grains of sand or grit: a hash in 0..1 for the pixel at (x, y) of
    // a size x size texture, softened by its neighbours (wrapping at the edges).
    static float grit(int x, int y, int size, std::uint32_t seed);
};
