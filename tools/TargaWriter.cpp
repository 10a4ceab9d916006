#include "tools/TargaWriter.h"

#include "tools/Image.h"

#include <cassert>
#include <cstdint>
#include <cstdio>
#include <vector>

bool TargaWriter::write(const Image& image, const std::string& path, int channels, bool dither)
{
    assert(channels == 3 || channels == 4);
    const int width = image.width();
    const int height = image.height();
    std::uint8_t header[18] = {};
    header[2] = 2;  // uncompressed true-colour
    header[12] = static_cast<std::uint8_t>(width & 0xff);
    header[13] = static_cast<std::uint8_t>(width >> 8);
    header[14] = static_cast<std::uint8_t>(height & 0xff);
    header[15] = static_cast<std::uint8_t>(height >> 8);
    header[16] = static_cast<std::uint8_t>(channels * 8);
    header[17] = channels == 4 ? 8 : 0;  // alpha bits; origin lower left

    const std::vector<std::uint8_t> rgb = image.toBytes(channels, dither);
    const std::size_t rowBytes = static_cast<std::size_t>(width) * channels;
    std::vector<std::uint8_t> body(rgb.size());
    for (int row = 0; row < height; ++row) {
        // File rows run bottom-up; Targa stores blue, green, red(, alpha).
        const std::uint8_t* src = &rgb[static_cast<std::size_t>(height - 1 - row) * rowBytes];
        std::uint8_t* dst = &body[static_cast<std::size_t>(row) * rowBytes];
        for (int x = 0; x < width; ++x) {
            dst[x * channels + 0] = src[x * channels + 2];
            dst[x * channels + 1] = src[x * channels + 1];
            dst[x * channels + 2] = src[x * channels + 0];
            if (channels == 4) {
                dst[x * channels + 3] = src[x * channels + 3];
            }
        }
    }

    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        std::printf("Cannot write %s\n", path.c_str());
        return false;
    }
    const bool ok = std::fwrite(header, sizeof header, 1, file) == 1 &&
                    std::fwrite(body.data(), body.size(), 1, file) == 1;
    if (std::fclose(file) != 0 || !ok) {
        std::printf("Writing %s failed\n", path.c_str());
        return false;
    }
    return true;
}
