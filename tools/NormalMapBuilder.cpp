#include "tools/NormalMapBuilder.h"

#include "tools/Image.h"

#include <cmath>

Image NormalMapBuilder::build(const Image& heightInAlpha, float bumpiness)
{
    const int w = heightInAlpha.width();
    const int h = heightInAlpha.height();
    // The Sobel sums below are 8 times the height step per pixel; a step per
    // pixel times w is the step per texture width.
    const float scale = bumpiness * static_cast<float>(w) / 8.0f;
    Image result(w, h);
    result.fill([&](int x, int y) {
        auto height = [&](int dx, int dy) { return heightInAlpha.wrapped(x + dx, y + dy).a; };
        const float dhdx = (height(1, -1) + 2.0f * height(1, 0) + height(1, 1)) -
                           (height(-1, -1) + 2.0f * height(-1, 0) + height(-1, 1));
        const float dhdy = (height(-1, 1) + 2.0f * height(0, 1) + height(1, 1)) -
                           (height(-1, -1) + 2.0f * height(0, -1) + height(1, -1));
        float nx = -dhdx * scale;
        float ny = -dhdy * scale;
        float nz = 1.0f;
        const float length = std::sqrt(nx * nx + ny * ny + nz * nz);
        nx /= length;
        ny /= length;
        nz /= length;
        return Colour(nx * 0.5f + 0.5f, ny * 0.5f + 0.5f, nz * 0.5f + 0.5f, height(0, 0));
    });
    return result;
}
