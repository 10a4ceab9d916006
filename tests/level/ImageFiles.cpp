#include "ImageFiles.h"

#include <IL/il.h>
#include <IL/ilu.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace imagefiles {

namespace {

void put16(Bytes& out, unsigned int value)
{
    out.push_back(static_cast<std::uint8_t>(value & 0xff));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void put32(Bytes& out, unsigned int value)
{
    put16(out, value & 0xffff);
    put16(out, value >> 16);
}

} // namespace

std::string tempPath(const std::string& name)
{
    // Made on first use, removed with its files when the test process ends.
    struct TempDirectory {
        std::filesystem::path path = std::filesystem::temp_directory_path() /
                                     ("pitchroll-images-" + std::to_string(getpid()));
        TempDirectory() { std::filesystem::create_directories(path); }
        ~TempDirectory()
        {
            std::error_code ignored;
            std::filesystem::remove_all(path, ignored);
        }
    };
    static const TempDirectory directory;
    return (directory.path / name).string();
}

void writeBytes(const std::string& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Bytes readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeTgaRaw(const std::string& path, const TgaHeader& header, const Bytes& body)
{
    Bytes out;
    out.push_back(header.idLength);
    out.push_back(header.colourMapType);
    out.push_back(header.imageType);
    put16(out, 0);
    put16(out, header.mapLength);
    out.push_back(header.mapEntryBits);
    put16(out, 0);
    put16(out, 0);
    put16(out, header.width);
    put16(out, header.height);
    out.push_back(header.bits);
    out.push_back(0);
    out.insert(out.end(), body.begin(), body.end());
    writeBytes(path, out);
}

void writeTga(const std::string& path, int width, int height, int channels, const Bytes& pixels)
{
    TgaHeader header;
    header.width = static_cast<std::uint16_t>(width);
    header.height = static_cast<std::uint16_t>(height);
    header.bits = static_cast<std::uint8_t>(channels * 8);
    Bytes body;
    const std::size_t row = static_cast<std::size_t>(width) * channels;
    for (int y = height - 1; y >= 0; --y) {
        for (std::size_t x = 0; x < row; x += channels) {
            const std::uint8_t* p = &pixels[y * row + x];
            if (channels == 1) {
                body.push_back(p[0]);
                continue;
            }
            body.push_back(p[2]);
            body.push_back(p[1]);
            body.push_back(p[0]);
            if (channels == 4)
                body.push_back(p[3]);
        }
    }
    writeTgaRaw(path, header, body);
}

void writeDds(const std::string& path, int width, int height, const std::vector<Bytes>& levels)
{
    const unsigned int mipmapped = levels.size() > 1;
    Bytes out = {'D', 'D', 'S', ' '};
    put32(out, 124);
    put32(out, 0x1 | 0x2 | 0x4 | 0x8 | 0x1000 | (mipmapped ? 0x20000 : 0)); // caps, size, pitch, format, mip count
    put32(out, static_cast<unsigned int>(height));
    put32(out, static_cast<unsigned int>(width));
    put32(out, static_cast<unsigned int>(width) * 3);
    put32(out, 0);
    put32(out, static_cast<unsigned int>(levels.size()));
    out.resize(out.size() + 44, 0);
    // Pixel format: 24-bit RGB with the red mask high, so bytes are B, G, R.
    put32(out, 32);
    put32(out, 0x40);
    put32(out, 0);
    put32(out, 24);
    put32(out, 0xff0000);
    put32(out, 0x00ff00);
    put32(out, 0x0000ff);
    put32(out, 0);
    put32(out, 0x1000 | (mipmapped ? 0x400008 : 0));
    out.resize(out.size() + 16, 0);
    for (const Bytes& level : levels) {
        for (std::size_t i = 0; i + 2 < level.size(); i += 3) {
            out.push_back(level[i + 2]);
            out.push_back(level[i + 1]);
            out.push_back(level[i]);
        }
    }
    writeBytes(path, out);
}

void writeHalfFloatDds(const std::string& path, int width, int height)
{
    Bytes out = {'D', 'D', 'S', ' '};
    put32(out, 124);
    put32(out, 0x1 | 0x2 | 0x4 | 0x1000); // caps, height, width, pixel format
    put32(out, static_cast<unsigned int>(height));
    put32(out, static_cast<unsigned int>(width));
    out.resize(out.size() + 12 + 44, 0);
    put32(out, 32);
    put32(out, 0x4); // the format is a FourCC code
    put32(out, 113); // D3DFMT_A16B16G16R16F
    out.resize(out.size() + 20, 0);
    put32(out, 0x1000);
    out.resize(out.size() + 16, 0);
    for (int i = 0; i < width * height * 4; ++i)
        put16(out, 0x3c00); // 1.0 as a half float
    writeBytes(path, out);
}

bool writeDevilDds(const std::string& path, int width, int height, const Bytes& rgba)
{
    ilInit();
    iluInit();
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    // DevIL images start at the lower left: hand it the rows bottom-up.
    Bytes bottomUp;
    const std::size_t row = static_cast<std::size_t>(width) * 4;
    for (int y = height - 1; y >= 0; --y)
        bottomUp.insert(bottomUp.end(), rgba.begin() + y * row, rgba.begin() + (y + 1) * row);
    bool ok = ilTexImage(width, height, 1, 4, IL_RGBA, IL_UNSIGNED_BYTE, bottomUp.data()) &&
              iluBuildMipmaps();
    ilEnable(IL_FILE_OVERWRITE);
    ilSetInteger(IL_DXTC_FORMAT, IL_DXT5);
    ok = ok && ilSave(IL_DDS, path.c_str());
    ilDeleteImages(1, &image);
    return ok;
}

Bytes solid(int width, int height, const Bytes& colour)
{
    Bytes pixels;
    for (int i = 0; i < width * height; ++i)
        pixels.insert(pixels.end(), colour.begin(), colour.end());
    return pixels;
}

Bytes twoBands(int width, int height, const Bytes& top, const Bytes& bottom)
{
    Bytes pixels = solid(width, height / 2, top);
    const Bytes lower = solid(width, height - height / 2, bottom);
    pixels.insert(pixels.end(), lower.begin(), lower.end());
    return pixels;
}

} // namespace imagefiles
