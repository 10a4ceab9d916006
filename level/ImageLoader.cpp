#include "level/ImageLoader.h"

#include "app/DataFile.h"
#include "app/Report.h"
#include "level/TextureManager.h"

#include <IL/il.h>

#include <string>

namespace {

// The DDS header: magic, the 124-byte surface description with its 32-byte
// pixel format. Offsets are from the start of the file.
constexpr std::size_t DDS_HEADER_SIZE = 128;
constexpr std::size_t HEADER_SIZE_AT = 4, FLAGS_AT = 8, HEIGHT_AT = 12, WIDTH_AT = 16;
constexpr std::size_t DEPTH_AT = 24, MIPMAP_COUNT_AT = 28, FORMAT_SIZE_AT = 76;
constexpr std::size_t FORMAT_FLAGS_AT = 80, FOUR_CC_AT = 84, BIT_COUNT_AT = 88, CAPS2_AT = 112;
constexpr std::uint32_t DDSD_DEPTH = 0x800000;
constexpr std::uint32_t DDPF_FOURCC = 0x4, DDPF_RGB = 0x40;
constexpr std::uint32_t DDSCAPS2_CUBEMAP = 0x200, DDSCAPS2_VOLUME = 0x200000;

std::uint32_t fourCc(const char (&code)[5])
{
    return static_cast<std::uint32_t>(code[0]) | static_cast<std::uint32_t>(code[1]) << 8 |
           static_cast<std::uint32_t>(code[2]) << 16 | static_cast<std::uint32_t>(code[3]) << 24;
}

std::uint32_t readU32(const std::string& bytes, std::size_t at)
{
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i)
        value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
    return value;
}

// Bytes of one level of a width x height image: 4x4 blocks of blockBytes for a
// compressed format (blockBytes > 0), else bitCount bits per pixel.
std::uint64_t levelBytes(std::uint32_t width, std::uint32_t height, std::uint32_t blockBytes,
                         std::uint32_t bitCount)
{
    if (blockBytes > 0)
        return std::uint64_t{(width + 3) / 4} * ((height + 3) / 4) * blockBytes;
    return std::uint64_t{width} * height * (bitCount / 8);
}

// DevIL's DDS reader trusts the header: sizes that wrap its 32-bit arithmetic
// make it write past its buffers, and some formats make it read past them. So
// the header is checked first, and only the formats the game uses pass: DXT1,
// DXT3, DXT5 and uncompressed 24- or 32-bit RGB(A), 2D, with the file holding
// every level it declares. Returns why a file is refused, empty when it passes.
std::string checkDds(const std::string& bytes)
{
    if (bytes.size() < DDS_HEADER_SIZE || bytes.compare(0, 4, "DDS ") != 0)
        return "not a DDS file";
    if (readU32(bytes, HEADER_SIZE_AT) != 124 || readU32(bytes, FORMAT_SIZE_AT) != 32)
        return "damaged header (wrong header or pixel-format size)";
    const std::uint32_t width = readU32(bytes, WIDTH_AT);
    const std::uint32_t height = readU32(bytes, HEIGHT_AT);
    if (width == 0 || height == 0 || width > ImageLoader::MAX_EXTENT || height > ImageLoader::MAX_EXTENT)
        return "size " + std::to_string(width) + "x" + std::to_string(height) + " is outside 1 to " +
               std::to_string(ImageLoader::MAX_EXTENT);
    if ((readU32(bytes, FLAGS_AT) & DDSD_DEPTH) || readU32(bytes, DEPTH_AT) > 1 ||
        (readU32(bytes, CAPS2_AT) & (DDSCAPS2_CUBEMAP | DDSCAPS2_VOLUME)))
        return "cube maps and volume textures are not supported";

    std::uint32_t largest = width > height ? width : height;
    std::uint32_t fullChain = 1;
    while (largest > 1) {
        largest >>= 1;
        ++fullChain;
    }
    const std::uint32_t mipmaps = readU32(bytes, MIPMAP_COUNT_AT);
    if (mipmaps > fullChain)
        return std::to_string(mipmaps) + " mipmap levels for a " + std::to_string(width) + "x" +
               std::to_string(height) + " image";

    const std::uint32_t formatFlags = readU32(bytes, FORMAT_FLAGS_AT);
    const std::uint32_t bitCount = readU32(bytes, BIT_COUNT_AT);
    std::uint32_t blockBytes = 0;
    if (formatFlags & DDPF_FOURCC) {
        const std::uint32_t code = readU32(bytes, FOUR_CC_AT);
        if (code == fourCc("DXT1"))
            blockBytes = 8;
        else if (code == fourCc("DXT3") || code == fourCc("DXT5"))
            blockBytes = 16;
        else
            return "pixel format is not DXT1, DXT3 or DXT5";
    } else if (!(formatFlags & DDPF_RGB) || (bitCount != 24 && bitCount != 32)) {
        return "pixel format is not 24- or 32-bit RGB";
    }

    std::uint64_t needed = DDS_HEADER_SIZE;
    for (std::uint32_t i = 0; i < (mipmaps > 0 ? mipmaps : 1); ++i) {
        needed += levelBytes(TextureManager::levelExtent(width, static_cast<int>(i)),
                             TextureManager::levelExtent(height, static_cast<int>(i)), blockBytes,
                             bitCount);
    }
    if (bytes.size() < needed)
        return "truncated: the header declares " + std::to_string(needed) + " bytes, the file has " +
               std::to_string(bytes.size());
    return {};
}

// Owns one DevIL image name for the duration of a load.
class DevilImage {
public:
    DevilImage() { ilGenImages(1, &name); }
    ~DevilImage() { ilDeleteImages(1, &name); }
    DevilImage(const DevilImage&) = delete;
    DevilImage& operator=(const DevilImage&) = delete;

    ILuint get() const { return name; }

private:
    ILuint name = 0;
};

// DevIL keeps a stack of error codes; empties it and returns the oldest, so
// one failed file does not leave errors behind for the next.
ILenum takeErrors()
{
    const ILenum first = ilGetError();
    while (ilGetError() != IL_NO_ERROR) {
    }
    return first;
}

} // namespace

int ImageLoader::load(const char* fileName, std::vector<std::vector<std::uint8_t>>& levels,
                      unsigned int& width, unsigned int& height, unsigned int& channels,
                      bool mipmaps)
{
    levels.clear();
    width = height = channels = 0;
    std::string bytes;
    const DataFile::Outcome outcome = DataFile::read(fileName, bytes);
    if (outcome != DataFile::READ) {
        report("Image file %s %s\n", fileName, DataFile::describe(outcome));
        return 0;
    }
    const std::string fault = checkDds(bytes);
    if (!fault.empty()) {
        report("Image file %s: %s\n", fileName, fault.c_str());
        return 0;
    }

    // DevIL reads the checked bytes, not the file again.
    ilInit();
    const DevilImage image;
    ilBindImage(image.get());
    if (!ilLoadL(IL_DDS, bytes.data(), static_cast<ILuint>(bytes.size()))) {
        report("Image file %s: DevIL cannot read it (error 0x%x)\n", fileName, takeErrors());
        return 0;
    }
    if (ilGetInteger(IL_IMAGE_TYPE) != IL_UNSIGNED_BYTE) {
        report("Image file %s: only 8 bits per channel are supported\n", fileName);
        return 0;
    }

    width = static_cast<unsigned int>(ilGetInteger(IL_IMAGE_WIDTH));
    height = static_cast<unsigned int>(ilGetInteger(IL_IMAGE_HEIGHT));
    channels = static_cast<unsigned int>(ilGetInteger(IL_IMAGE_BYTES_PER_PIXEL));
    const int fileLevels = mipmaps ? ilGetInteger(IL_NUM_MIPMAPS) + 1 : 1;

    // ilActiveMipmap steps down from the bound image, so the base image is
    // bound again before each level. A level whose size does not continue the
    // chain ends it: the levels before it form a complete texture.
    for (int i = 0; i < fileLevels; ++i) {
        ilBindImage(image.get());
        if (!ilActiveMipmap(static_cast<ILuint>(i)))
            break;
        const std::size_t bytes = std::size_t{TextureManager::levelExtent(width, i)} *
                                  TextureManager::levelExtent(height, i) * channels;
        if (ilGetInteger(IL_IMAGE_WIDTH) != static_cast<ILint>(TextureManager::levelExtent(width, i)) ||
            ilGetInteger(IL_IMAGE_HEIGHT) != static_cast<ILint>(TextureManager::levelExtent(height, i)) ||
            ilGetInteger(IL_IMAGE_BYTES_PER_PIXEL) != static_cast<ILint>(channels) ||
            static_cast<std::size_t>(ilGetInteger(IL_IMAGE_SIZE_OF_DATA)) < bytes)
            break;
        const ILubyte* data = ilGetData();
        levels.emplace_back(data, data + bytes);
    }
    ilBindImage(image.get());
    takeErrors();
    return static_cast<int>(levels.size());
}
