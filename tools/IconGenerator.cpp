#include "tools/IconGenerator.h"

#include "tools/JungleTextures.h"
#include "tools/ObjectTextures.h"
#include "tools/TextureCatalogue.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace {

constexpr float PI = 3.14159265f;
constexpr float CORNER = 0.18f;       // tile corner radius, fraction of the size
constexpr float BALL_RADIUS = 0.34f;  // fraction of the size
constexpr float LIGHT[3] = {-0.45f, -0.55f, 0.70f};  // towards the light: up left, towards the viewer

// The catalogue's recipe and seed for a texture, so the icon shows the game's art.
Image catalogueTexture(const std::string& name)
{
    for (const TextureCatalogue::Entry& entry : TextureCatalogue::entries()) {
        if (entry.name == name)
            return entry.recipe(entry.size, entry.seed);
    }
    return Image(1, 1);
}

// How much of the pixel (x, y), in tile units 0..1, lies inside the rounded tile.
float tileCoverage(float x, float y, float pixel)
{
    const float dx = std::max(std::fabs(x - 0.5f) - (0.5f - CORNER), 0.0f);
    const float dy = std::max(std::fabs(y - 0.5f) - (0.5f - CORNER), 0.0f);
    const float outside = std::sqrt(dx * dx + dy * dy) - CORNER;
    return std::clamp(0.5f - outside / pixel, 0.0f, 1.0f);
}

}  // namespace

Image IconGenerator::icon(int size)
{
    const Image grass = catalogueTexture("jungle_grass");
    const Image marble = catalogueTexture("ball_marble");
    const float lightLength = std::sqrt(LIGHT[0] * LIGHT[0] + LIGHT[1] * LIGHT[1] + LIGHT[2] * LIGHT[2]);
    const float pixel = 1.0f / static_cast<float>(size);
    const float centreX = 0.5f, centreY = 0.46f;

    Image image(size, size);
    image.fill([&](int px, int py) {
        const float x = (px + 0.5f) * pixel, y = (py + 0.5f) * pixel;
        const float coverage = tileCoverage(x, y, pixel);
        if (coverage <= 0.0f)
            return Colour(0.0f, 0.0f, 0.0f, 0.0f);

        // The grass, darker towards the tile's rim and under the ball's shadow.
        const Colour& ground = grass.wrapped(px * grass.width() / size, py * grass.height() / size);
        const float rim = 1.0f - 0.35f * std::pow(std::max(std::fabs(x - 0.5f), std::fabs(y - 0.5f)) * 2.0f, 3.0f);
        const float sx = (x - centreX - 0.06f) / (BALL_RADIUS * 1.05f), sy = (y - 0.80f) / (BALL_RADIUS * 0.35f);
        const float shadow = 1.0f - 0.55f * std::exp(-2.5f * (sx * sx + sy * sy));
        Colour colour = ground.scaled(rim * shadow).withAlpha(coverage);

        // The ball: the marble texture in the sphere's own mapping, diffuse and specular light.
        const float bx = (x - centreX) / BALL_RADIUS, by = (y - centreY) / BALL_RADIUS;
        const float r2 = bx * bx + by * by;
        if (r2 < 1.0f) {
            const float bz = std::sqrt(1.0f - r2);
            const float s = 0.5f + std::atan2(bx, bz) / (2.0f * PI);
            const float t = 0.5f - std::asin(std::clamp(by, -1.0f, 1.0f)) / PI;
            const Colour& paint = marble.wrapped(static_cast<int>(s * marble.width()), static_cast<int>(t * marble.height()));
            const float lambert = std::max((bx * LIGHT[0] + by * LIGHT[1] + bz * LIGHT[2]) / lightLength, 0.0f);
            // Blinn half vector between the light and the viewer (0, 0, 1).
            float hx = LIGHT[0] / lightLength, hy = LIGHT[1] / lightLength, hz = LIGHT[2] / lightLength + 1.0f;
            const float hl = std::sqrt(hx * hx + hy * hy + hz * hz);
            hx /= hl, hy /= hl, hz /= hl;
            const float specular = std::pow(std::max(bx * hx + by * hy + bz * hz, 0.0f), 60.0f);
            Colour ball = paint.scaled(0.25f + 0.85f * lambert) + Colour(1.0f, 1.0f, 1.0f, 0.0f) * (0.8f * specular);
            // A soft edge one pixel wide.
            const float edge = std::clamp((1.0f - std::sqrt(r2)) * BALL_RADIUS / pixel, 0.0f, 1.0f);
            colour = Colour::mix(colour, ball.withAlpha(coverage), edge);
        }
        return colour;
    });
    return image;
}
