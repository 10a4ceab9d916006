#pragma once

#include <string>

// Surface properties of one entry of the materials file. Colours are r, g, b, a.
// The textures are loaded when a level that uses the material is loaded (or when
// it is first applied), and freed again when a level without it is loaded.
struct Material {
    bool useLight = true;      // fixed-function lighting on; lit unless the file says otherwise
    float ambient[4] = {};
    float diffuse[4] = {};     // alpha: the opacity of the blended pass
    float specular[4] = {};
    float shininess = 0.0f;    // specular exponent
    unsigned int texture = 0;    // GL texture name of the colour texture, 0 = none
    unsigned int normalMap = 0;  // GL texture name of the normal map, 0 = none
    bool hasNormalMap = false;   // drawn with the parallax pass
    std::string textureFile;     // as the materials file names them; empty = none
    std::string normalMapFile;
    bool texturesLoaded = false; // texture and normalMap hold what the files gave
};
