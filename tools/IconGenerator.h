#pragma once

#include "tools/Image.h"

// The game's desktop icon, from the game's own textures: the marble ball,
// lit as the game lights it, resting on a rounded tile of jungle grass.
class IconGenerator {
public:
    // A size x size picture with alpha (transparent outside the tile).
    static Image icon(int size);
};
