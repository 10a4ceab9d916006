#pragma once

#include "app/Singleton.h"

#include <cstdint>
#include <vector>

// Reads uncompressed true-colour Targa files (image type 2, 8, 24 or 32 bits
// per pixel, stored bottom row first or, with descriptor bit 5, top row first)
// into tightly packed 8-bit levels, top row first and in RGB(A) order, and builds the mipmap chain with gluScaleImage. Building mipmaps
// needs a current GL context (GLU reads the pixel-store state).
class TgaLoader : public Singleton<TgaLoader> {
    friend class Singleton<TgaLoader>;

public:
    // Fills `levels` (level i is levelExtent(width, i) x levelExtent(height, i)
    // x channels bytes) and the size of level 0; returns the level count, 0
    // when the file is missing, is no regular file or holds no usable image;
    // then a line on standard output names the file and the fault.
    int load(const char* fileName, std::vector<std::vector<std::uint8_t>>& levels,
             unsigned int& width, unsigned int& height, unsigned int& channels, bool mipmaps);

private:
    TgaLoader() = default;
};
