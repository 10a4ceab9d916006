#pragma once

class Image;

// Turns the height field that a material recipe leaves in the alpha channel of
// its colour picture into a tangent-space normal map for parallax mapping:
// RGB = normal * 0.5 + 0.5 with +Z out of the surface, +X along increasing s
// and +Y along increasing t (towards the next row of the picture, which is
// "down" when the picture is viewed with row 0 on top); alpha = height, 255
// the highest. The slopes are taken with wrap-around, so the map tiles like the
// colour picture.
class NormalMapBuilder {
public:
    // bumpiness: the depth that a height difference of 1 stands for, as a fraction
    // of the texture's width; larger values give steeper normals.
    static Image build(const Image& heightInAlpha, float bumpiness);
};
