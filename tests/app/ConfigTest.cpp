#include "app/Config.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class ConfigTest : public ::testing::Test {
protected:
    void SetUp() override { fresh(); }

    void fresh()
    {
        delete Config::instance();
        config = Config::instance();
        config->desktopSize = [](int& width, int& height) {
            width = 1920;
            height = 1080;
        };
    }

    void load(const std::string& text)
    {
        std::ofstream(path) << text;
        config->load(path.c_str());
    }

    void TearDown() override { std::remove(path.c_str()); }

    Config* config = nullptr;
    const std::string path = ::testing::TempDir() + "config_test.txt";
};

}  // namespace

// Each text is read by a fresh object on a 1920 x 1080 desktop.
TEST_F(ConfigTest, ReadsKeysAndBoundsTheWindow)
{
    const struct {
        const char* text;
        int width, height, bits, refresh;
        const char* name;
    } cases[] = {
        {"", 640, 480, 32, 60, ""},
        {"screenWidth 1024\nscreenHeight\t768 bitsPerPixel 16\n refreshRate 75 fullScreen 0\nwindowName Pitchroll",
         1024, 768, 16, 75, "Pitchroll"},
        {"hello screenWidth 800 world", 800, 480, 32, 60, ""},  // unknown words skipped one at a time
        {"ScreenWidth 900 screenwidth 901 screenWidthX 902", 640, 480, 32, 60, ""},  // whole keys, with case
        {"windowName My Game screenHeight 600", 640, 600, 32, 60, "My"},
        {"screenWidth 800 screenWidth 1280 refreshRate -1 refreshRate +85", 1280, 480, 32, 85, ""},
        // An unreadable value stops reading and keeps what was read.
        {"screenWidth 800 screenHeight tall bitsPerPixel 16", 800, 480, 32, 60, ""},
        {"screenWidth 99999999999 screenHeight 600", 640, 480, 32, 60, ""},
        {"screenHeight 600 windowName", 640, 600, 32, 60, ""},
        // A window stays within one pixel and the desktop.
        {"screenWidth 100000 screenHeight 100000", 1920, 1080, 32, 60, ""},
        {"screenWidth 0 screenHeight -5", 1, 1, 32, 60, ""},
        // Full screen keeps the supported sizes and falls back to the desktop.
        {"fullScreen 1 screenWidth 800 screenHeight 600", 800, 600, 32, 60, ""},
        {"fullScreen 1 screenWidth 1000 screenHeight 700", 1920, 1080, 32, 60, ""},
    };
    for (const auto& c : cases) {
        fresh();
        load(c.text);
        EXPECT_EQ(config->screenWidth, c.width) << c.text;
        EXPECT_EQ(config->screenHeight, c.height) << c.text;
        EXPECT_EQ(config->bitsPerPixel, c.bits) << c.text;
        EXPECT_EQ(config->refreshRate, c.refresh) << c.text;
        EXPECT_EQ(config->windowName, c.name) << c.text;
    }
    // Without a known desktop the GL viewport limit bounds the window.
    config->desktopSize = nullptr;
    load("screenWidth 100000 dataPath data/");
    EXPECT_EQ(config->screenWidth, Config::MAX_WINDOW_EXTENT);
    EXPECT_EQ(config->dataPath, "data/");
}

// Strings survive a reload, integers reset; an overlong token is cut, not
// overflowed; a named pipe is not opened (it would block for ever).
TEST_F(ConfigTest, ReloadsOverlongTokensAndPipes)
{
    load("windowName First screenWidth 800");
    load("screenHeight 600");
    EXPECT_EQ(config->windowName, "First");
    EXPECT_EQ(config->screenWidth, 640);

    load("windowName " + std::string(5000, 'x') + " screenWidth 800");
    EXPECT_EQ(config->windowName.size(), Config::MAX_TOKEN_LENGTH);
    EXPECT_EQ(config->screenWidth, 800);

    const std::string pipe = ::testing::TempDir() + "config_test_pipe";
    unlink(pipe.c_str());
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    config->load(pipe.c_str());
    unlink(pipe.c_str());
    EXPECT_EQ(config->screenWidth, 640);
}
