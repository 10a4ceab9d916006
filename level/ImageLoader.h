#pragma once

#include "app/Singleton.h"

#include <cstdint>
#include <vector>

// Reads DirectDraw Surface files through DevIL, taking the file's own mipmaps.
// Levels come as DevIL delivers them: 8-bit RGB, RGBA or single-channel
// pixels, top row first, like TgaLoader's.
class ImageLoader : public Singleton<ImageLoader> {
    friend class Singleton<ImageLoader>;

public:
    // Fills `levels` (level i is levelExtent(width, i) x levelExtent(height, i)
    // x channels bytes) and the size of level 0; returns the level count, 0
    // when DevIL cannot load the file (a line on standard output names the
    // file, except for a missing one). Without `mipmaps` only level 0.
    int load(const char* fileName, std::vector<std::vector<std::uint8_t>>& levels,
             unsigned int& width, unsigned int& height, unsigned int& channels, bool mipmaps);

private:
    ImageLoader() = default;
};
