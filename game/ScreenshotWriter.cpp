#include "game/ScreenshotWriter.h"

#include "app/DataPaths.h"
#include "app/Report.h"
#include "level/PngWriter.h"

#include <GL/gl.h>

#include <cstdint>
#include <filesystem>
#include <vector>

namespace fs = std::filesystem;

std::string ScreenshotWriter::capture(int width, int height) const
{
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());

    // Two shots within a second get a number instead of replacing each other.
    const std::string folder = DataPaths::instance()->picturesFolder();
    const std::string stem = fileStem(std::time(nullptr));
    std::string name = stem + ".png";
    std::error_code error;
    for (int n = 2; fs::exists(fs::path(folder) / name, error) && n < 100; ++n)
        name = stem + "-" + std::to_string(n) + ".png";
    const std::string path = (fs::path(folder) / name).string();

    if (!PngWriter::write(path, width, height, 3, pixels.data(), true)) {
        report("Cannot write the screenshot %s\n", path.c_str());
        return "Screenshot could not be saved";
    }
    report("Screenshot saved to %s\n", path.c_str());
    return "Screenshot saved: " + name;
}

std::string ScreenshotWriter::fileStem(std::time_t when)
{
    std::tm local{};
    localtime_r(&when, &local);
    char name[64];
    std::strftime(name, sizeof(name), "pitchroll-%Y-%m-%d-%H-%M-%S", &local);
    return name;
}
