#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The generator's output as the game reads it, and the place it lies.
namespace generated {

// The data folder the test fixture generated (DATA_DIR, relative to the test's
// working directory).
std::string path(const std::string& relative);

// An 8-bit picture, rows top-down as the game's texture coordinate t runs.
struct Picture {
    int width = 0;
    int height = 0;
    int channels = 0;
    std::vector<std::uint8_t> pixels;
    const std::uint8_t* at(int x, int y) const { return &pixels[(static_cast<std::size_t>(y) * width + x) * channels]; }
};

// Level 0 of a Targa file and all levels of a DDS file, read by the game's own
// loaders; empty when they refuse the file. dxtFormat receives 1 or 5 for DXT1
// or DXT5 files, 0 for others.
Picture readTarga(const std::string& file);
std::vector<Picture> readDds(const std::string& file, int* dxtFormat);

// Mean absolute difference, per channel and 0..255, between the last and the
// first column (or row) of a picture: small when the picture tiles.
double edgeDifference(const Picture& picture, bool columns);
// The same between neighbouring columns (or rows): the larger of its mean over
// the picture and the steps on either side of the wrap (a groove may lie
// across it). The picture's own roughness, against which the edge is judged.
double roughness(const Picture& picture, bool columns);

// 16-bit samples, channels interleaved.
struct Sound {
    int channels = 0;
    std::vector<std::int16_t> samples;
    std::size_t frames() const { return channels > 0 ? samples.size() / channels : 0; }
};

// How far the jump from the last frame to the first stands out from the
// frame-to-frame changes around the loop point, in standard deviations of them.
double loopJumpScore(const Sound& sound);

}  // namespace generated
