#include "tools/Image.h"

#include "tools/Noise.h"

#include <cassert>

Image::Image(int width, int height) : w(width), h(height), pixels(static_cast<std::size_t>(width) * height)
{
    assert(width > 0 && height > 0);
}

const Colour& Image::wrapped(int x, int y) const
{
    x %= w;
    y %= h;
    return at(x < 0 ? x + w : x, y < 0 ? y + h : y);
}

std::vector<std::uint8_t> Image::toBytes(int channels, bool dither) const
{
    assert(channels == 3 || channels == 4);
    std::vector<std::uint8_t> bytes(pixels.size() * channels);
    std::size_t out = 0;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const Colour& c = at(x, y);
            const float values[4] = {c.r, c.g, c.b, c.a};
            for (int k = 0; k < channels; ++k) {
                float offset = 0.5f;
                if (dither && k < 3) {
                    offset += Noise::hashUnit(x, y, k, 0x5eedu) - Noise::hashUnit(x, y, k + 3, 0x5eedu);
                }
                const float scaled = values[k] * 255.0f + offset;
                bytes[out++] = static_cast<std::uint8_t>(scaled <= 0.0f ? 0.0f : (scaled >= 255.0f ? 255.0f : scaled));
            }
        }
    }
    return bytes;
}
