#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Independent readers for the generator's output, so the tests do not trust
// the writers they check, and the place the generated data lies.
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

// Reads an uncompressed true-colour Targa file (type 2) into RGB(A), honouring
// the origin bit; an empty picture when the file is not such a file.
Picture readTarga(const std::string& file, std::uint8_t* descriptor = nullptr, std::uint8_t* imageType = nullptr);
// Reads all levels of a DDS file through DevIL, rows in the order DevIL gives
// them (the checks made on them do not depend on it); empty on failure.
// dxtFormat receives 1 or 5 for DXT1 or DXT5 files, 0 for others.
std::vector<Picture> readDds(const std::string& file, int* dxtFormat = nullptr);

// Mean absolute difference, per channel and 0..255, between the first and the
// last column (or row) of a picture: small when the picture tiles.
double edgeDifference(const Picture& picture, bool columns);
// The same between neighbouring columns (or rows) inside the picture: the
// texture's own roughness, against which the edge is judged.
double interiorDifference(const Picture& picture, bool columns);
// The larger difference of the two neighbouring pairs on either side of the
// wrap (last two and first two lines): the picture's roughness right there.
double besideEdgeDifference(const Picture& picture, bool columns);

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
