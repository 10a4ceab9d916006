#pragma once

// Surface properties of one entry of the materials file. Colours are r, g, b, a.
struct Material {
    bool useLight = true;      // fixed-function lighting on; lit unless the file says otherwise
    float ambient[4] = {};
    float diffuse[4] = {};     // alpha: the opacity of the blended pass
    float specular[4] = {};
    float shininess = 0.0f;    // specular exponent
    unsigned int texture = 0;    // GL texture name of the colour texture, 0 = none
    unsigned int normalMap = 0;  // GL texture name of the normal map, 0 = none
    bool hasNormalMap = false;   // drawn with the parallax pass
};
