// Targa files through the game's own reader, with mipmaps built through a
// real GL context (run under Xvfb).
#include "FuzzInput.h"
#include "GlTestContext.h"

#include "level/TgaLoader.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    GlTestContext::ensure();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string path = FuzzInput::write(data, size, "image.tga");
    std::vector<std::vector<std::uint8_t>> levels;
    unsigned int width = 0, height = 0, channels = 0;
    const bool mipmaps = size > 0 && (data[size - 1] & 1) != 0;
    TgaLoader::instance()->load(path.c_str(), levels, width, height, channels, mipmaps);
    return 0;
}
