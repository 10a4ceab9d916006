#pragma once

#include <cstdint>
#include <string>

// Writes 8-bit pictures as PNG files through DevIL.
class PngWriter {
public:
    // pixels: width x height x channels (3 RGB, 4 RGBA) bytes, rows from the top,
    // or from the bottom when bottomUp (as OpenGL reads them). An existing file
    // is replaced. False when the file cannot be written.
    static bool write(const std::string& path, int width, int height, int channels,
                      const std::uint8_t* pixels, bool bottomUp);
};
