#include "game/BestTimes.h"
#include "game/LevelTimer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

TEST(LevelTimer, FormatsMinutesSecondsAndHundredths)
{
    const struct {
        double seconds;
        const char* text;
    } cases[] = {
        {0.0, "0:00.00"},     {-3.0, "0:00.00"}, {1.234, "0:01.23"}, {59.994, "0:59.99"},
        {59.999, "1:00.00"},  // rounding carries into the minutes
        {61.5, "1:01.50"},    {3600.0, "60:00.00"},
    };
    for (const auto& c : cases) {
        char text[32];
        LevelTimer::format(c.seconds, text, sizeof(text));
        EXPECT_STREQ(text, c.text) << c.seconds;
    }
}

TEST(LevelTimer, CountsRunningFramesOnlyAndFinishesTimedOnce)
{
    LevelTimer timer;
    timer.advance(1.0);  // not started
    EXPECT_EQ(timer.seconds(), 0.0);
    timer.restart();
    timer.advance(0.025);
    timer.advance(3.0);  // a level load: at most one frame's worth
    EXPECT_NEAR(timer.seconds(), 0.025 + LevelTimer::MAX_FRAME_TIME, 1e-9);
    EXPECT_TRUE(timer.finish());
    EXPECT_FALSE(timer.finish());
    timer.advance(1.0);
    EXPECT_NEAR(timer.seconds(), 0.025 + LevelTimer::MAX_FRAME_TIME, 1e-9);
    EXPECT_TRUE(timer.timed());

    timer.restart();
    timer.cancel();  // finished by key: no time
    EXPECT_FALSE(timer.finish());
    EXPECT_FALSE(timer.timed());
}

class BestTimesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = fs::temp_directory_path() / ("besttimes-" + std::to_string(getpid()));
        fs::remove_all(folder);
    }
    void TearDown() override { fs::remove_all(folder); }

    std::string file() const { return (folder / BestTimes::FILE_NAME).string(); }
    std::string fileText() const
    {
        std::ostringstream text;
        text << std::ifstream(file()).rdbuf();
        return text.str();
    }
    // What load() prints.
    std::string loadOutput(BestTimes& times)
    {
        testing::internal::CaptureStdout();
        times.load();
        return testing::internal::GetCapturedStdout();
    }
    long filesInFolder() const { return std::distance(fs::directory_iterator(folder), fs::directory_iterator()); }

    fs::path folder;
};

TEST_F(BestTimesTest, OnlyABetterTimeIsKeptAndItSurvivesANewRun)
{
    BestTimes times(folder.string());
    EXPECT_EQ(loadOutput(times), "");  // no file yet: silent
    EXPECT_LT(times.best("jungle"), 0.0);
    EXPECT_TRUE(times.record("jungle", 42.5));  // makes the folder
    EXPECT_FALSE(times.record("jungle", 50.0));
    EXPECT_TRUE(times.record("jungle", 40.25));
    EXPECT_TRUE(times.record("lagoon", 90.0));
    EXPECT_FALSE(times.record("lagoon", 0.0));
    EXPECT_EQ(filesInFolder(), 1);  // no temporary file left behind

    BestTimes again(folder.string());
    EXPECT_EQ(loadOutput(again), "");
    EXPECT_NEAR(again.best("jungle"), 40.25, 1e-3);
    EXPECT_NEAR(again.best("lagoon"), 90.0, 1e-3);
    EXPECT_LT(again.best("vulkano"), 0.0);
}

TEST_F(BestTimesTest, UnreadableFileIsReportedOnceAndReplacedByTheNextRecord)
{
    const struct {
        const char* name;
        std::string content;
    } cases[] = {
        {"garbage", std::string("\x89PNG\r\n\x1a\n\0\0", 10)},
        {"no number", "jungle fast\n"},
        {"negative", "jungle -4\n"},
        {"not a number", "jungle nan\n"},
        {"extra word", "jungle 12.5 s\n"},
        {"bad name", "../jungle 12.5\n"},
        {"one good line, one bad", "jungle 12.5\nlagoon\n"},
        {"too large", std::string(BestTimes::MAX_FILE_SIZE + 1, '\n')},
    };
    for (const auto& c : cases) {
        fs::create_directories(folder);
        std::ofstream(file(), std::ios::binary) << c.content;
        BestTimes times(folder.string());
        const std::string output = loadOutput(times);
        EXPECT_NE(output.find("unreadable"), std::string::npos) << c.name;
        EXPECT_EQ(std::count(output.begin(), output.end(), '\n'), 1) << c.name;
        EXPECT_LT(times.best("jungle"), 0.0) << c.name;
        EXPECT_TRUE(times.record("jungle", 30.0)) << c.name;
        EXPECT_EQ(fileText(), "jungle 30.000\n") << c.name;
        fs::remove_all(folder);
    }

    // A folder where the file should be is unreadable too; saving over it fails with a line.
    fs::create_directories(folder / BestTimes::FILE_NAME);
    BestTimes times(folder.string());
    EXPECT_NE(loadOutput(times).find("unreadable"), std::string::npos);
    testing::internal::CaptureStdout();
    EXPECT_TRUE(times.record("jungle", 30.0));
    EXPECT_NE(testing::internal::GetCapturedStdout().find("Cannot save"), std::string::npos);
    EXPECT_EQ(filesInFolder(), 1);
}

}  // namespace
