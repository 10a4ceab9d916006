#include "ImageFiles.h"

#include <IL/il.h>
#include <IL/ilu.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace imagefiles {

namespace {

void put(Bytes& out, unsigned int value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
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
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
}

Bytes readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeTgaRaw(const std::string& path, int type, int width, int height, int bits, const Bytes& body)
{
    Bytes out = {0, 0, static_cast<std::uint8_t>(type), 0, 0, 0, 0, 0, 0, 0, 0, 0};
    put(out, static_cast<unsigned int>(width), 2);
    put(out, static_cast<unsigned int>(height), 2);
    out.insert(out.end(), {static_cast<std::uint8_t>(bits), 0});
    out.insert(out.end(), body.begin(), body.end());
    writeBytes(path, out);
}

void writeTga(const std::string& path, int width, int height, int channels, const Bytes& pixels)
{
    Bytes body;
    const std::size_t row = static_cast<std::size_t>(width) * channels;
    for (int y = height - 1; y >= 0; --y) {
        for (std::size_t x = y * row; x < (y + 1) * row; x += channels) {
            const std::uint8_t* p = &pixels[x];
            if (channels == 1)
                body.push_back(p[0]);
            else
                body.insert(body.end(), {p[2], p[1], p[0]});
            if (channels == 4)
                body.push_back(p[3]);
        }
    }
    writeTgaRaw(path, 2, width, height, channels * 8, body);
}

void writeDds(const std::string& path, int width, int height, const std::vector<Bytes>& levels)
{
    const unsigned int mipmapped = levels.size() > 1;
    Bytes out = {'D', 'D', 'S', ' '};
    put(out, 124, 4);
    put(out, 0x1 | 0x2 | 0x4 | 0x1000 | (mipmapped ? 0x20000 : 0), 4); // caps, size, format, mip count
    put(out, static_cast<unsigned int>(height), 4);
    put(out, static_cast<unsigned int>(width), 4);
    out.resize(out.size() + 8, 0);
    put(out, static_cast<unsigned int>(levels.size()), 4);
    out.resize(out.size() + 44, 0);
    // Pixel format: its size, RGB, no FourCC, 24 bits, red high (bytes B, G, R).
    for (const unsigned int field : {32u, 0x40u, 0u, 24u, 0xff0000u, 0x00ff00u, 0x0000ffu, 0u})
        put(out, field, 4);
    put(out, 0x1000 | (mipmapped ? 0x400008 : 0), 4);
    out.resize(out.size() + 16, 0);
    for (const Bytes& level : levels) {
        for (std::size_t i = 0; i + 2 < level.size(); i += 3)
            out.insert(out.end(), {level[i + 2], level[i + 1], level[i]});
    }
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
    bool ok = ilTexImage(width, height, 1, 4, IL_RGBA, IL_UNSIGNED_BYTE, bottomUp.data()) && iluBuildMipmaps();
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
