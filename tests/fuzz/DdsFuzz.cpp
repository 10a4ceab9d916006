// DDS files through the header check and DevIL.
#include "FuzzInput.h"

#include "level/ImageLoader.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string path = FuzzInput::write(data, size, "image.dds");
    std::vector<std::vector<std::uint8_t>> levels;
    unsigned int width = 0, height = 0, channels = 0;
    ImageLoader::instance()->load(path.c_str(), levels, width, height, channels, true);
    return 0;
}
