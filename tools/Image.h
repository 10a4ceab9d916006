#pragma once

#include "tools/Colour.h"

#include <cstdint>
#include <vector>

// A picture being composed: width x height colours, row 0 at the top. Row 0 is
// what the game's texture coordinate t = 0 shows (its Targa reader turns the
// bottom-up file over), so recipes read (x / width, y / height) as (s, t).
class Image {
public:
    Image(int width, int height);

    int width() const { return w; }
    int height() const { return h; }

    Colour& at(int x, int y) { return pixels[static_cast<std::size_t>(y) * w + x]; }
    const Colour& at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * w + x]; }
    // The pixel at (x, y) with both coordinates wrapped into the picture.
    const Colour& wrapped(int x, int y) const;

    // Fills every pixel with f(x, y), row by row.
    template <typename F>
    void fill(const F& f)
    {
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                at(x, y) = f(x, y);
            }
        }
    }

    // 8-bit channels, rows top to bottom, in R, G, B(, A) order; channels is 3 or 4.
    // With dither, a small triangular noise hides banding in smooth gradients.
    std::vector<std::uint8_t> toBytes(int channels, bool dither) const;

private:
    int w;
    int h;
    std::vector<Colour> pixels;
};
