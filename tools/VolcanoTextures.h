#pragma once

#include "tools/Image.h"

#include <cstdint>

// Material pictures of the volcano level; colour in RGB, height field in alpha.
class VolcanoTextures {
public:
    // Dark columnar basalt: polygonal column tops, gas pits, rust-red stains.
    static Image basalt(int size, std::uint32_t seed);
    // Cooled black crust plates floating on glowing lava.
    static Image lava(int size, std::uint32_t seed);
    // Fine grey ash with cinders and a few embers.
    static Image ash(int size, std::uint32_t seed);
    // Black volcanic glass with shell-shaped fractures and a faint sheen.
    static Image obsidian(int size, std::uint32_t seed);
    // A rusted steel grate with lava glowing through its holes.
    static Image grate(int size, std::uint32_t seed);
};
