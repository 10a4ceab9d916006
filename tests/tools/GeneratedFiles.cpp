#include "GeneratedFiles.h"

#include <IL/il.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <mutex>

namespace generated {

std::string path(const std::string& relative)
{
    return std::string(DATA_DIR) + "/" + relative;
}

Picture readTarga(const std::string& file, std::uint8_t* descriptor, std::uint8_t* imageType)
{
    std::ifstream in(file, std::ios::binary);
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Picture picture;
    if (bytes.size() < 18)
        return picture;
    if (descriptor != nullptr)
        *descriptor = bytes[17];
    if (imageType != nullptr)
        *imageType = bytes[2];
    const int width = bytes[12] | (bytes[13] << 8);
    const int height = bytes[14] | (bytes[15] << 8);
    const int channels = bytes[16] / 8;
    const std::size_t start = 18 + bytes[0];
    const std::size_t size = static_cast<std::size_t>(width) * height * channels;
    if (bytes[2] != 2 || (channels != 3 && channels != 4) || bytes.size() < start + size)
        return picture;
    picture.width = width;
    picture.height = height;
    picture.channels = channels;
    picture.pixels.resize(size);
    const bool topDown = (bytes[17] & 0x20) != 0;
    for (int row = 0; row < height; ++row) {
        const int y = topDown ? row : height - 1 - row;
        for (int x = 0; x < width; ++x) {
            const std::uint8_t* src = &bytes[start + (static_cast<std::size_t>(row) * width + x) * channels];
            std::uint8_t* dst = &picture.pixels[(static_cast<std::size_t>(y) * width + x) * channels];
            dst[0] = src[2];
            dst[1] = src[1];
            dst[2] = src[0];
            if (channels == 4)
                dst[3] = src[3];
        }
    }
    return picture;
}

std::vector<Picture> readDds(const std::string& file, int* dxtFormat)
{
    static std::once_flag once;
    std::call_once(once, [] { ilInit(); });
    std::vector<Picture> levels;
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    if (ilLoadImage(file.c_str()) != IL_TRUE) {
        ilDeleteImages(1, &image);
        return levels;
    }
    if (dxtFormat != nullptr) {
        // The compression is read from the header's FourCC: DevIL reports only
        // the decompressed pixels.
        std::ifstream in(file, std::ios::binary);
        char header[128] = {};
        in.read(header, sizeof header);
        const std::string fourCc(header + 84, 4);
        *dxtFormat = fourCc == "DXT1" ? 1 : fourCc == "DXT5" ? 5 : 0;
    }
    const int count = ilGetInteger(IL_NUM_MIPMAPS) + 1;
    for (int i = 0; i < count; ++i) {
        ilBindImage(image);
        if (i > 0 && ilActiveMipmap(static_cast<ILuint>(i)) != IL_TRUE)
            break;
        Picture level;
        level.width = ilGetInteger(IL_IMAGE_WIDTH);
        level.height = ilGetInteger(IL_IMAGE_HEIGHT);
        level.channels = ilGetInteger(IL_IMAGE_BYTES_PER_PIXEL);
        const ILubyte* data = ilGetData();
        const std::size_t size = static_cast<std::size_t>(level.width) * level.height * level.channels;
        level.pixels.assign(data, data + size);
        levels.push_back(level);
    }
    ilBindImage(image);
    ilDeleteImages(1, &image);
    return levels;
}

namespace {

double lineDifference(const Picture& p, bool columns, int a, int b)
{
    double sum = 0.0;
    const int count = columns ? p.height : p.width;
    for (int i = 0; i < count; ++i) {
        const std::uint8_t* pa = columns ? p.at(a, i) : p.at(i, a);
        const std::uint8_t* pb = columns ? p.at(b, i) : p.at(i, b);
        for (int c = 0; c < std::min(p.channels, 3); ++c)
            sum += std::abs(static_cast<int>(pa[c]) - static_cast<int>(pb[c]));
    }
    return sum / (count * std::min(p.channels, 3));
}

}  // namespace

double edgeDifference(const Picture& picture, bool columns)
{
    const int last = (columns ? picture.width : picture.height) - 1;
    return lineDifference(picture, columns, last, 0);
}

double besideEdgeDifference(const Picture& picture, bool columns)
{
    const int last = (columns ? picture.width : picture.height) - 1;
    return std::max(lineDifference(picture, columns, last - 1, last), lineDifference(picture, columns, 0, 1));
}

double interiorDifference(const Picture& picture, bool columns)
{
    const int extent = columns ? picture.width : picture.height;
    double sum = 0.0;
    for (int i = 0; i + 1 < extent; ++i)
        sum += lineDifference(picture, columns, i, i + 1);
    return sum / (extent - 1);
}

double loopJumpScore(const Sound& sound)
{
    const std::size_t frames = sound.frames();
    const std::size_t window = std::min<std::size_t>(2048, frames / 4);
    double worst = 0.0;
    for (int c = 0; c < sound.channels; ++c) {
        auto sample = [&](std::size_t frame) { return static_cast<double>(sound.samples[frame * sound.channels + c]); };
        double sumSquares = 0.0;
        std::size_t count = 0;
        for (std::size_t i = 0; i + 1 < window; ++i) {
            const double head = sample(i + 1) - sample(i);
            const double tail = sample(frames - window + i + 1) - sample(frames - window + i);
            sumSquares += head * head + tail * tail;
            count += 2;
        }
        const double deviation = std::sqrt(sumSquares / static_cast<double>(count)) + 1.0;
        worst = std::max(worst, std::fabs(sample(0) - sample(frames - 1)) / deviation);
    }
    return worst;
}

}  // namespace generated
