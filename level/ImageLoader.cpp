#include "level/ImageLoader.h"

#include "level/TextureManager.h"

#include <IL/il.h>

#include <cstdio>

namespace {

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
    ilInit();
    const DevilImage image;
    ilBindImage(image.get());
    if (!ilLoadImage(fileName)) {
        const ILenum error = takeErrors();
        if (error != IL_COULD_NOT_OPEN_FILE)
            std::printf("Image file %s: DevIL cannot read it (error 0x%x)\n", fileName, error);
        return 0;
    }
    if (ilGetInteger(IL_IMAGE_TYPE) != IL_UNSIGNED_BYTE) {
        std::printf("Image file %s: only 8 bits per channel are supported\n", fileName);
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
