#pragma once

#include <string>

class Image;

// Writes uncompressed true-colour Targa files (image type 2): 24-bit for
// opaque pictures, 32-bit with alpha. Rows go bottom-up with the origin bit of
// the descriptor clear, the standard layout that the game's reader expects.
class TargaWriter {
public:
    // False, after a line on standard output naming the file, when it cannot be written.
    static bool write(const Image& image, const std::string& path, int channels, bool dither = false);
};
