#pragma once

#include "tools/Image.h"

#include <cstdint>

// Pictures that belong to no single world: the ball, the target marker and the
// plain material. Colour in RGB, height field in alpha.
class ObjectTextures {
public:
    // The ball's glass marble, drawn for the sphere's own mapping (s around the
    // equator, t from the south pole at 0 to the north pole at 1): every pixel
    // is coloured from the point of the sphere it lands on, so nothing is
    // stretched at the poles and the pattern shows which way the ball turns.
    static Image marble(int size, std::uint32_t seed);
    // A glowing bull's eye for the target pad; its rim is one plain colour, so it tiles.
    static Image target(int size, std::uint32_t seed);
    // Light grey concrete for the plain material.
    static Image concrete(int size, std::uint32_t seed);
};
