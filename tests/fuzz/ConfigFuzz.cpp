// config.txt files through Config::load.
#include "FuzzInput.h"

#include "app/Config.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string path = FuzzInput::write(data, size, "config.txt");
    Config* config = Config::instance();
    // As main installs it: full-screen sizes off the list become the desktop's.
    config->desktopSize = [](int& width, int& height) {
        width = 1920;
        height = 1080;
    };
    config->load(path.c_str());
    if (config->screenWidth < 1 || config->screenHeight < 1)
        __builtin_trap();
    return 0;
}
