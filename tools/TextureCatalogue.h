#pragma once

#include "tools/Image.h"

#include <cstdint>
#include <string>
#include <vector>

// Every material texture the generator writes, with the recipe that draws it.
// The file names are those that data/util/materials.xml names.
class TextureCatalogue {
public:
    enum class Format { TARGA, DDS };

    struct Entry {
        std::string name;                            // file name without extension, under Textures/
        Image (*recipe)(int size, std::uint32_t seed);
        int size;                                    // pixels per side
        std::uint32_t seed;
        Format format;
        // Depth of the relief as a fraction of the texture width; 0 = no normal
        // map. The normal map is written as <name>_normal.tga.
        float bumpiness;
    };

    static const std::vector<Entry>& entries();
};
