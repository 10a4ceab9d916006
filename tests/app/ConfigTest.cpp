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
    void SetUp() override
    {
        delete Config::instance();  // every case starts from a fresh object
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

TEST_F(ConfigTest, MissingOrEmptyFileKeepsDefaults)
{
    config->load("/nonexistent/config.txt");
    EXPECT_EQ(config->screenWidth, 640);
    EXPECT_EQ(config->screenHeight, 480);
    EXPECT_EQ(config->bitsPerPixel, 32);
    EXPECT_EQ(config->refreshRate, 60);
    EXPECT_EQ(config->fullScreen, 0);
    EXPECT_EQ(config->windowName, "");
    load("");
    EXPECT_EQ(config->screenWidth, 640);
}

TEST_F(ConfigTest, ReadsEveryKeyAcrossSpacesAndLines)
{
    load("screenWidth 1024\nscreenHeight\t768 bitsPerPixel 16\n refreshRate 75 fullScreen 0\n"
         "windowName Pitchroll dataPath data/\n");
    EXPECT_EQ(config->screenWidth, 1024);
    EXPECT_EQ(config->screenHeight, 768);
    EXPECT_EQ(config->bitsPerPixel, 16);
    EXPECT_EQ(config->refreshRate, 75);
    EXPECT_EQ(config->windowName, "Pitchroll");
    EXPECT_EQ(config->dataPath, "data/");
}

TEST_F(ConfigTest, UnknownWordsAreSkippedOneAtATime)
{
    load("hello screenWidth 800 world");
    EXPECT_EQ(config->screenWidth, 800);
    EXPECT_EQ(config->screenHeight, 480);
    // Keys compare whole and with case.
    load("ScreenWidth 900 screenwidth 901 screenWidthX 902");
    EXPECT_EQ(config->screenWidth, 640);
}

TEST_F(ConfigTest, TwoWordWindowNameKeepsTheFirstWord)
{
    load("windowName My Game screenHeight 600");
    EXPECT_EQ(config->windowName, "My");
    EXPECT_EQ(config->screenHeight, 600);
}

TEST_F(ConfigTest, LaterValueWinsAndSignedValuesRead)
{
    load("screenWidth 800 screenWidth 1280 refreshRate -1 refreshRate +85");
    EXPECT_EQ(config->screenWidth, 1280);
    EXPECT_EQ(config->refreshRate, 85);
}

TEST_F(ConfigTest, UnreadableValueStopsReadingAndKeepsWhatWasRead)
{
    load("screenWidth 800 screenHeight tall bitsPerPixel 16");
    EXPECT_EQ(config->screenWidth, 800);
    EXPECT_EQ(config->screenHeight, 480);
    EXPECT_EQ(config->bitsPerPixel, 32);
    load("screenWidth 99999999999 screenHeight 600");
    EXPECT_EQ(config->screenHeight, 480);
    load("screenHeight 600 windowName");
    EXPECT_EQ(config->screenHeight, 600);
}

TEST_F(ConfigTest, OverlongTokensAreCutNotOverflowed)
{
    load("windowName " + std::string(5000, 'x') + " screenWidth 800");
    EXPECT_EQ(config->windowName.size(), Config::MAX_TOKEN_LENGTH);
    EXPECT_EQ(config->screenWidth, 800);
}

TEST_F(ConfigTest, StringsSurviveAReloadButIntegersReset)
{
    load("windowName First screenWidth 800");
    load("screenHeight 600");
    EXPECT_EQ(config->windowName, "First");
    EXPECT_EQ(config->screenWidth, 640);
}

TEST_F(ConfigTest, FullScreenKeepsSupportedSizesAndFallsBackToDesktop)
{
    load("fullScreen 1 screenWidth 800 screenHeight 600");
    EXPECT_EQ(config->screenWidth, 800);
    EXPECT_EQ(config->screenHeight, 600);
    load("fullScreen 1 screenWidth 1000 screenHeight 700");
    EXPECT_EQ(config->screenWidth, 1920);
    EXPECT_EQ(config->screenHeight, 1080);
    load("fullScreen 1");
    EXPECT_EQ(config->screenWidth, 640);  // 640x480 is in the list
    // Window mode never changes the size.
    load("screenWidth 1000 screenHeight 700");
    EXPECT_EQ(config->screenWidth, 1000);
}

TEST_F(ConfigTest, WindowSizeStaysWithinOneAndTheDesktop)
{
    struct Case {
        const char* text;
        int width, height;
    };
    const Case cases[] = {
        {"screenWidth 100000 screenHeight 100000", 1920, 1080},
        {"screenWidth 0 screenHeight -5", 1, 1},
        {"screenWidth 1920 screenHeight 1080", 1920, 1080},
        {"screenWidth 2000 screenHeight 600", 1920, 600},
    };
    for (const Case& c : cases) {
        load(c.text);
        EXPECT_EQ(config->screenWidth, c.width) << c.text;
        EXPECT_EQ(config->screenHeight, c.height) << c.text;
    }
    // Without a known desktop the GL viewport limit bounds the window.
    config->desktopSize = nullptr;
    load("screenWidth 100000");
    EXPECT_EQ(config->screenWidth, Config::MAX_WINDOW_EXTENT);
}

TEST_F(ConfigTest, NamedPipeIsNotOpenedAndKeepsDefaults)
{
    const std::string pipe = ::testing::TempDir() + "config_test_pipe";
    unlink(pipe.c_str());
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    config->load(pipe.c_str());  // blocked for ever when opened for reading
    unlink(pipe.c_str());
    EXPECT_EQ(config->screenWidth, 640);
}
