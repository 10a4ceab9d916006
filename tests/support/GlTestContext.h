#pragma once

#include <cstdint>
#include <functional>
#include <vector>

// A real OpenGL context for tests: one freeglut window (double-buffered RGBA
// with depth, as the game opens it) and GLEW initialised. Made once per process.
class GlTestContext {
public:
    // Creates the window on the first call; later calls only make it current.
    static void ensure(int width = 640, int height = 480);

    // RGBA pixels of the back buffer, rows top-down (row 0 is the window's top);
    // with a file name also written there as a PPM for viewing.
    static std::vector<std::uint8_t> readPixels(int width, int height, const char* ppmFile = nullptr);
    // RGBA at (x, y), y counted from the top, of pixels width wide as readPixels returns them.
    static const std::uint8_t* pixel(const std::vector<std::uint8_t>& rgba, int width, int x, int y)
    {
        return &rgba[(static_cast<std::size_t>(y) * width + x) * 4];
    }
    // A linear-filtered RGBA8 texture of width x height whose texel (x, y) the
    // function fills with four floats.
    static unsigned int makeTexture(int width, int height, const std::function<void(int, int, float*)>& texel);

private:
    // Writes pixels (as readPixels returns them) to a binary PPM file for viewing.
    static bool writePpm(const char* fileName, const std::vector<std::uint8_t>& rgba, int width, int height);
};
