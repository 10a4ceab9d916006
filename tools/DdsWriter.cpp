#include "tools/DdsWriter.h"

#include "tools/Image.h"
#include "tools/MipChain.h"

#include <IL/il.h>
#include <IL/ilu.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <vector>

namespace {

// DevIL takes the rows of new images bottom-up and turns them over when it
// saves a DDS file (whose rows run top-down), so hand it the rows reversed.
std::vector<std::uint8_t> bottomUpBytes(const Image& image, int channels)
{
    const std::vector<std::uint8_t> topDown = image.toBytes(channels, false);
    const std::size_t rowBytes = static_cast<std::size_t>(image.width()) * channels;
    std::vector<std::uint8_t> flipped(topDown.size());
    for (int row = 0; row < image.height(); ++row) {
        std::copy_n(&topDown[static_cast<std::size_t>(row) * rowBytes], rowBytes,
                    &flipped[static_cast<std::size_t>(image.height() - 1 - row) * rowBytes]);
    }
    return flipped;
}

}  // namespace

bool DdsWriter::write(const Image& image, const std::string& path, bool withAlpha)
{
    const std::vector<Image> levels = MipChain::build(image);
    const int channels = withAlpha ? 4 : 3;
    const ILenum format = withAlpha ? IL_RGBA : IL_RGB;

    const std::lock_guard<std::mutex> lock(devilMutex());
    static const bool initialised = [] {
        ilInit();
        iluInit();
        ilEnable(IL_FILE_OVERWRITE);
        return true;
    }();
    (void)initialised;

    ILuint name = 0;
    ilGenImages(1, &name);
    ilBindImage(name);
    std::vector<std::uint8_t> bytes = bottomUpBytes(levels[0], channels);
    bool ok = ilTexImage(image.width(), image.height(), 1, static_cast<ILubyte>(channels), format,
                         IL_UNSIGNED_BYTE, bytes.data()) == IL_TRUE;
    // The builder creates the level images; their point-sampled pixels are replaced below.
    ok = ok && iluBuildMipmaps() == IL_TRUE;
    for (std::size_t i = 1; ok && i < levels.size(); ++i) {
        ilBindImage(name);
        ok = ilActiveMipmap(static_cast<ILuint>(i)) == IL_TRUE &&
             ilGetInteger(IL_IMAGE_WIDTH) == levels[i].width();
        if (ok) {
            bytes = bottomUpBytes(levels[i], channels);
            ilSetPixels(0, 0, 0, levels[i].width(), levels[i].height(), 1, format, IL_UNSIGNED_BYTE,
                        bytes.data());
        }
    }
    ilBindImage(name);
    ilSetInteger(IL_DXTC_FORMAT, withAlpha ? IL_DXT5 : IL_DXT1);
    ok = ok && ilSave(IL_DDS, path.c_str()) == IL_TRUE;
    ilDeleteImages(1, &name);
    if (!ok) {
        std::printf("Writing %s failed (DevIL error 0x%x)\n", path.c_str(), ilGetError());
    }
    return ok;
}

std::mutex& DdsWriter::devilMutex()
{
    static std::mutex mutex;
    return mutex;
}
