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
    // Largest side accepted: the GL texture limit of common drivers.
    static constexpr unsigned int MAX_EXTENT = 16384;

    // Fills `levels` (level i is levelExtent(width, i) x levelExtent(height, i)
    // x channels bytes) and the size of level 0; returns the level count, 0
    // when the file is missing, fails the header check (DXT1, DXT3, DXT5 or
    // 24/32-bit RGB, 2D, within MAX_EXTENT, as long as it declares) or DevIL
    // cannot load it; a line on standard output names the file then. Without
    // `mipmaps` only level 0.
    int load(const char* fileName, std::vector<std::vector<std::uint8_t>>& levels,
             unsigned int& width, unsigned int& height, unsigned int& channels, bool mipmaps);

private:
    ImageLoader() = default;
};
