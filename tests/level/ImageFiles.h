#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Image files that the texture tests write themselves. Pixel arrays are given
// top row first, tightly packed, red-green-blue(-alpha).
namespace imagefiles {

using Bytes = std::vector<std::uint8_t>;

// A path in a directory private to this test process.
std::string tempPath(const std::string& name);

// The 18-byte Targa header fields.
struct TgaHeader {
    std::uint8_t idLength = 0;
    std::uint8_t colourMapType = 0;
    std::uint8_t imageType = 2;
    std::uint16_t mapLength = 0;
    std::uint8_t mapEntryBits = 0;
    std::uint16_t width = 0;
    std::uint16_t height = 0;
    std::uint8_t bits = 24;
};

// The header followed by `body` exactly as given.
void writeTgaRaw(const std::string& path, const TgaHeader& header, const Bytes& body);
// A bottom-up true-colour Targa of `channels` 1, 3 or 4 (stored as BGR(A)).
void writeTga(const std::string& path, int width, int height, int channels, const Bytes& pixels);
// An uncompressed 24-bit DDS file with the given levels (each RGB, top row first).
void writeDds(const std::string& path, int width, int height, const std::vector<Bytes>& levels);
// A DDS file of half-float RGBA pixels (D3DFMT_A16B16G16R16F), all 1.0.
void writeHalfFloatDds(const std::string& path, int width, int height);
// A DXT5 DDS file written by DevIL with a full mipmap chain built by ILU.
bool writeDevilDds(const std::string& path, int width, int height, const Bytes& rgba);
// Any file with these bytes.
void writeBytes(const std::string& path, const Bytes& bytes);
Bytes readBytes(const std::string& path);

// width x height pixels of one colour; `colour` holds one value per channel.
Bytes solid(int width, int height, const Bytes& colour);
// The upper half in `top`, the lower half in `bottom`.
Bytes twoBands(int width, int height, const Bytes& top, const Bytes& bottom);

} // namespace imagefiles
