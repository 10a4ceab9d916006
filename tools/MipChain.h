#pragma once

#include "tools/Image.h"

#include <vector>

// The mipmap levels of a repeating texture, each half the size of the one
// before, down to 1 x 1. Each level is filtered from the previous one with a
// 4-tap tent kernel (1 3 3 1) / 8 per axis that wraps around the edges, in
// linear light, so small levels keep the average brightness and the tiling.
class MipChain {
public:
    // Level 0 is a copy of base; base must be square with a power-of-two size.
    static std::vector<Image> build(const Image& base);
    static Image halve(const Image& source);
};
