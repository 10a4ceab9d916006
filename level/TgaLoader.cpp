#include "level/TgaLoader.h"

#include "app/DataFile.h"
#include "app/Report.h"
#include "level/TextureManager.h"

#include <GL/glew.h>
#include <GL/glu.h>

#include <cstring>
#include <string>
#include <utility>

namespace {

constexpr std::size_t HEADER_SIZE = 18;
// Only uncompressed true-colour images are read; 1 is colour-mapped, 3
// greyscale, 9 to 11 their run-length encoded forms.
constexpr unsigned int TYPE_TRUE_COLOUR = 2;
// Descriptor bit 5: the file stores the top row first.
constexpr unsigned int DESCRIPTOR_TOP_ORIGIN = 0x20;

// gluScaleImage reads and writes rows with the current pixel-store modes; the
// levels are tightly packed, so both directions need byte alignment and no row
// length or skips while it runs. Any other alignment would make it write past
// the end of small RGB levels.
class TightPixelStore {
public:
    TightPixelStore()
    {
        for (std::size_t i = 0; i < MODE_COUNT; ++i) {
            glGetIntegerv(MODES[i], &saved[i]);
            glPixelStorei(MODES[i], isAlignment(MODES[i]) ? 1 : 0);
        }
    }
    ~TightPixelStore()
    {
        for (std::size_t i = 0; i < MODE_COUNT; ++i)
            glPixelStorei(MODES[i], saved[i]);
    }
    TightPixelStore(const TightPixelStore&) = delete;
    TightPixelStore& operator=(const TightPixelStore&) = delete;

private:
    static constexpr std::size_t MODE_COUNT = 8;
    static constexpr GLenum MODES[MODE_COUNT] = {
        GL_PACK_ALIGNMENT,   GL_UNPACK_ALIGNMENT,   GL_PACK_ROW_LENGTH,  GL_UNPACK_ROW_LENGTH,
        GL_PACK_SKIP_ROWS,   GL_UNPACK_SKIP_ROWS,   GL_PACK_SKIP_PIXELS, GL_UNPACK_SKIP_PIXELS};

    static bool isAlignment(GLenum mode)
    {
        return mode == GL_PACK_ALIGNMENT || mode == GL_UNPACK_ALIGNMENT;
    }

    GLint saved[MODE_COUNT] = {};
};

// Levels down to 1x1 along the larger side, so the chain is complete for GL
// whichever side is longer.
int fullChainLength(unsigned int width, unsigned int height)
{
    unsigned int largest = width > height ? width : height;
    int count = 1;
    while (largest > 1) {
        largest >>= 1;
        ++count;
    }
    return count;
}

// Appends levels 1.. to `levels`, each scaled down from the level before it:
// for halved sizes GLU's box filter then reads four texels per new one, where
// scaling every level from level 0 would read the whole image each time. A
// level GLU cannot build ends the chain there; the levels so far stay usable.
void buildMipmaps(const char* fileName, std::vector<std::vector<std::uint8_t>>& levels,
                  unsigned int width, unsigned int height, unsigned int channels)
{
    const GLenum format = channels == 4 ? GL_RGBA : channels == 3 ? GL_RGB : GL_ALPHA;
    const int count = fullChainLength(width, height);
    const TightPixelStore tight;
    for (int i = 1; i < count; ++i) {
        const unsigned int levelWidth = TextureManager::levelExtent(width, i);
        const unsigned int levelHeight = TextureManager::levelExtent(height, i);
        std::vector<std::uint8_t> level(std::size_t{levelWidth} * levelHeight * channels);
        const GLint error = gluScaleImage(format, static_cast<GLint>(TextureManager::levelExtent(width, i - 1)),
                                          static_cast<GLint>(TextureManager::levelExtent(height, i - 1)),
                                          GL_UNSIGNED_BYTE, levels.back().data(), static_cast<GLint>(levelWidth),
                                          static_cast<GLint>(levelHeight), GL_UNSIGNED_BYTE,
                                          level.data());
        if (error != 0) {
            report("Targa file %s: mipmap level %d could not be built (%s)\n", fileName, i,
                   reinterpret_cast<const char*>(gluErrorString(static_cast<GLenum>(error))));
            return;
        }
        levels.push_back(std::move(level));
    }
}

} // namespace

int TgaLoader::load(const char* fileName, std::vector<std::vector<std::uint8_t>>& levels,
                    unsigned int& width, unsigned int& height, unsigned int& channels,
                    bool mipmaps)
{
    levels.clear();
    width = height = channels = 0;
    std::string bytes;
    const DataFile::Outcome outcome = DataFile::read(fileName, bytes);
    if (outcome != DataFile::READ) {
        report("Targa file %s %s\n", fileName, DataFile::describe(outcome));
        return 0;
    }

    // Header fields used: image-ID length, colour-map presence and size, image
    // type, width and height (16-bit little-endian), bits per pixel and the
    // descriptor's origin bit.
    if (bytes.size() < HEADER_SIZE) {
        report("Targa file %s: shorter than its 18-byte header\n", fileName);
        return 0;
    }
    const auto* header = reinterpret_cast<const std::uint8_t*>(bytes.data());
    const unsigned int idLength = header[0];
    const bool hasColourMap = header[1] == 1;
    const unsigned int type = header[2];
    const unsigned int mapLength = header[5] | header[6] << 8;
    const unsigned int mapEntryBits = header[7];
    const unsigned int imageWidth = header[12] | header[13] << 8;
    const unsigned int imageHeight = header[14] | header[15] << 8;
    const unsigned int bits = header[16];
    const bool topRowFirst = (header[17] & DESCRIPTOR_TOP_ORIGIN) != 0;

    if (type != TYPE_TRUE_COLOUR) {
        report("Targa file %s: image type %u is not supported, only uncompressed true-colour\n",
               fileName, type);
        return 0;
    }
    if (bits != 8 && bits != 24 && bits != 32) {
        report("Targa file %s: %u bits per pixel are not supported, only 8, 24 or 32\n",
               fileName, bits);
        return 0;
    }
    if (imageWidth == 0 || imageHeight == 0) {
        report("Targa file %s: the image is %ux%u pixels\n", fileName, imageWidth,
               imageHeight);
        return 0;
    }

    // The declared size must fit the file before anything is allocated, so a
    // damaged header cannot ask for gigabytes. A colour map in a true-colour
    // file is unused but lies between the image ID and the pixels.
    const unsigned int pixelChannels = bits / 8;
    const std::size_t pixelOffset =
        HEADER_SIZE + idLength + (hasColourMap ? mapLength * ((mapEntryBits + 7) / 8) : 0);
    const std::uint64_t imageBytes = std::uint64_t{imageWidth} * imageHeight * pixelChannels;
    if (bytes.size() < pixelOffset || bytes.size() - pixelOffset < imageBytes) {
        report("Targa file %s: truncated, %ux%u pixels of %u bits need %llu bytes after "
               "byte %zu, the file has %zu\n",
               fileName, imageWidth, imageHeight, bits,
               static_cast<unsigned long long>(imageBytes), pixelOffset, bytes.size());
        return 0;
    }

    // Level 0 starts with the top row; most files store the bottom row first.
    std::vector<std::uint8_t> base(static_cast<std::size_t>(imageBytes));
    const std::size_t rowBytes = std::size_t{imageWidth} * pixelChannels;
    const std::uint8_t* pixels = header + pixelOffset;
    for (unsigned int row = 0; row < imageHeight; ++row) {
        const unsigned int target = topRowFirst ? row : imageHeight - 1 - row;
        std::memcpy(base.data() + target * rowBytes, pixels + row * rowBytes, rowBytes);
    }
    // Blue-green-red(-alpha) on disk, red-green-blue(-alpha) for GL.
    if (pixelChannels > 1) {
        for (std::size_t i = 0; i < base.size(); i += pixelChannels)
            std::swap(base[i], base[i + 2]);
    }

    width = imageWidth;
    height = imageHeight;
    channels = pixelChannels;
    levels.push_back(std::move(base));
    if (mipmaps)
        buildMipmaps(fileName, levels, width, height, channels);
    return static_cast<int>(levels.size());
}
