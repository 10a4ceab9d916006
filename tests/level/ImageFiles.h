#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

// Image files that the texture tests write themselves, in a directory private to
// the test process. Pixels are given top row first, tightly packed, RGB(A).
namespace imagefiles {

using Bytes = std::vector<std::uint8_t>;

std::string tempPath(const std::string& name);
void writeBytes(const std::string& path, const Bytes& bytes);
Bytes readBytes(const std::string& path);

// An 18-byte Targa header (no image id, no colour map) followed by body as given.
void writeTgaRaw(const std::string& path, int type, int width, int height, int bits, const Bytes& body);
// A true-colour Targa of 1, 3 or 4 channels, stored bottom-up as BGR(A).
void writeTga(const std::string& path, int width, int height, int channels, const Bytes& pixels);
// An uncompressed 24-bit DDS file with the given levels (RGB each).
void writeDds(const std::string& path, int width, int height, const std::vector<Bytes>& levels);
// A DXT5 DDS file written by DevIL itself, with a full mipmap chain built by ILU.
bool writeDevilDds(const std::string& path, int width, int height, const Bytes& rgba);

// width x height pixels of one colour, given as one value per channel.
Bytes solid(int width, int height, const Bytes& colour);
// The upper half in top, the lower half in bottom.
Bytes twoBands(int width, int height, const Bytes& top, const Bytes& bottom);

// What a loader (TgaLoader, ImageLoader) handed out and printed for one file.
struct Loaded {
    int count = 0;
    std::vector<Bytes> levels;
    unsigned int width = 0, height = 0, channels = 0;
    std::string output;
};

template <typename Loader> Loaded load(Loader* loader, const std::string& path, bool mipmaps)
{
    Loaded result;
    testing::internal::CaptureStdout();
    result.count = loader->load(path.c_str(), result.levels, result.width, result.height, result.channels, mipmaps);
    result.output = testing::internal::GetCapturedStdout();
    return result;
}

} // namespace imagefiles
