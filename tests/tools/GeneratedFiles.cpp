#include "GeneratedFiles.h"

#include "level/ImageLoader.h"
#include "level/TextureManager.h"
#include "level/TgaLoader.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>

namespace generated {

std::string path(const std::string& relative)
{
    return std::string(DATA_DIR) + "/" + relative;
}

namespace {

// A picture per level as the game's loader hands the file over.
std::vector<Picture> pictures(int count, const std::vector<std::vector<std::uint8_t>>& levels, unsigned int width,
                              unsigned int height, unsigned int channels)
{
    std::vector<Picture> result;
    for (int i = 0; i < count; ++i) {
        result.push_back({int(TextureManager::levelExtent(width, i)), int(TextureManager::levelExtent(height, i)),
                          int(channels), levels[std::size_t(i)]});
    }
    return result;
}

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

Picture readTarga(const std::string& file)
{
    std::vector<std::vector<std::uint8_t>> levels;
    unsigned int width = 0, height = 0, channels = 0;
    const int count = TgaLoader::instance()->load(file.c_str(), levels, width, height, channels, false);
    return count > 0 ? pictures(count, levels, width, height, channels)[0] : Picture();
}

std::vector<Picture> readDds(const std::string& file, int* dxtFormat)
{
    std::vector<std::vector<std::uint8_t>> levels;
    unsigned int width = 0, height = 0, channels = 0;
    const int count = ImageLoader::instance()->load(file.c_str(), levels, width, height, channels, true);
    // The compression is read from the header's FourCC: the loader hands out pixels.
    char header[88] = {};
    std::ifstream(file, std::ios::binary).read(header, sizeof header);
    const std::string fourCc(header + 84, 4);
    *dxtFormat = fourCc == "DXT1" ? 1 : fourCc == "DXT5" ? 5 : 0;
    return pictures(count, levels, width, height, channels);
}

double edgeDifference(const Picture& picture, bool columns)
{
    const int last = (columns ? picture.width : picture.height) - 1;
    return lineDifference(picture, columns, last, 0);
}

double roughness(const Picture& picture, bool columns)
{
    const int extent = columns ? picture.width : picture.height;
    double sum = 0.0;
    for (int i = 0; i + 1 < extent; ++i)
        sum += lineDifference(picture, columns, i, i + 1);
    return std::max({sum / (extent - 1), lineDifference(picture, columns, extent - 2, extent - 1),
                     lineDifference(picture, columns, 0, 1)});
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
