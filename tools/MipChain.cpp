#include "tools/MipChain.h"

#include <cassert>
#include <cmath>

namespace {

float toLinear(float c)
{
    return c <= 0.04045f ? c / 12.92f : std::pow((c + 0.055f) / 1.055f, 2.4f);
}

float toSrgb(float c)
{
    return c <= 0.0031308f ? c * 12.92f : 1.055f * std::pow(c, 1.0f / 2.4f) - 0.055f;
}

Colour linearised(const Colour& c)
{
    return {toLinear(c.r), toLinear(c.g), toLinear(c.b), c.a};
}

constexpr float TAPS[4] = {1.0f / 8.0f, 3.0f / 8.0f, 3.0f / 8.0f, 1.0f / 8.0f};

}  // namespace

std::vector<Image> MipChain::build(const Image& base)
{
    assert(base.width() == base.height());
    std::vector<Image> levels;
    levels.push_back(base);
    while (levels.back().width() > 1) {
        levels.push_back(halve(levels.back()));
    }
    return levels;
}

Image MipChain::halve(const Image& source)
{
    const int w = source.width() / 2 > 0 ? source.width() / 2 : 1;
    const int h = source.height() / 2 > 0 ? source.height() / 2 : 1;
    Image linear(source.width(), source.height());
    linear.fill([&](int x, int y) { return linearised(source.at(x, y)); });
    Image result(w, h);
    result.fill([&](int x, int y) {
        Colour sum(0.0f, 0.0f, 0.0f, 0.0f);
        for (int j = 0; j < 4; ++j) {
            for (int i = 0; i < 4; ++i) {
                sum = sum + linear.wrapped(2 * x - 1 + i, 2 * y - 1 + j) * (TAPS[i] * TAPS[j]);
            }
        }
        return Colour(toSrgb(sum.r), toSrgb(sum.g), toSrgb(sum.b), sum.a);
    });
    return result;
}
