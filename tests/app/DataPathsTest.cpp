#include "app/DataPaths.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Each case runs in a fresh folder with HOME and the XDG variables of its own.
class DataPathsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        previous = fs::current_path();
        base = fs::temp_directory_path() / ("datapaths-" + std::to_string(getpid()));
        fs::remove_all(base);
        fs::create_directories(base / "start");
        fs::current_path(base / "start");
        setenv("HOME", (base / "home").c_str(), 1);
        for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_PICTURES_DIR"})
            unsetenv(name);
        delete DataPaths::instance();
        paths = DataPaths::instance();
    }
    void TearDown() override
    {
        fs::current_path(previous);
        fs::remove_all(base);
    }

    fs::path previous;
    fs::path base;
    DataPaths* paths = nullptr;
};

TEST_F(DataPathsTest, FoldersFollowTheXdgVariablesAndIgnoreRelativeOnes)
{
    paths->locate("");
    const std::string home = (base / "home").string();
    const std::string start = paths->startFolder();
    const struct {
        const char* config;
        const char* data;
        const char* pictures;
        std::string configFile, saveFolder, picturesFolder;
    } cases[] = {
        {"/c", "/d", "/p", "/c/pitchroll/config.txt", "/d/pitchroll", "/p"},
        {"c", "d", "p", home + "/.config/pitchroll/config.txt", home + "/.local/share/pitchroll", start},
    };
    for (const auto& c : cases) {
        const char* const names[] = {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_PICTURES_DIR"};
        const char* const values[] = {c.config, c.data, c.pictures};
        for (int i = 0; i < 3; ++i)
            setenv(names[i], values[i], 1);
        EXPECT_EQ(paths->configFile(), c.configFile);
        EXPECT_EQ(paths->saveFolder(), c.saveFolder);
        EXPECT_EQ(paths->picturesFolder(), c.picturesFolder);
    }

    // A config.txt in the start folder comes first.
    std::ofstream(base / "start/config.txt") << "screenWidth 800\n";
    EXPECT_EQ(paths->configFile(), start + "/config.txt");
}

}  // namespace
