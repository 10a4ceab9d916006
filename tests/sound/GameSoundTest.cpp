#include "sound/GameSound.h"

#include "DiskAudioTest.h"
#include "game/GameWorld.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <thread>

namespace {
// Music as tones, one frequency per track; effects as constant levels, told apart
// from the tones by the window mean.
const std::map<double, const char*> TRACKS = {
    {300, "backgroundJungle01.mp3"}, {500, "backgroundJungle02.mp3"}, {700, "backgroundLava01.wav"},
    {900, "backgroundLagoon01.wav"}, {1100, "backgroundLagoon02.wav"},
};
const std::array<const char*, 2>& JUNGLE = GAME_WORLDS[0].music;
const std::array<const char*, 2>& VOLCANO = GAME_WORLDS[1].music;
const std::array<const char*, 2>& LAGOON = GAME_WORLDS[2].music;
const short BALL_LOST = 3000;
const short END_LEVEL = -3000;
const std::string NOT_FOUND = "FMOD error! (6) File not found.\n";
const std::string BAD_FORMAT = "FMOD error! (7) Unsupported file or audio format.\n";

std::string printed(const std::function<void()>& call)
{
    testing::internal::CaptureStdout();
    call();
    return testing::internal::GetCapturedStdout();
}

// Sets up a level and updates until its music has been decoded and started.
void setUpLevel(GameSound& sound, const std::array<const char*, 2>& music)
{
    sound.setupLevel(music);
    for (int i = 0; i < 10000 && sound.musicLoading(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        sound.update();
    }
    EXPECT_FALSE(sound.musicLoading());
}
}  // namespace

class GameSoundTest : public DiskAudioTest {
protected:
    // Every file the game loads. The tracks are shorter than the stretches the
    // tests record, so they sound throughout only if they loop.
    void SetUp() override
    {
        DiskAudioTest::SetUp();
        writeLevel("ballLost.wav", BALL_LOST, 0.3);
        writeLevel("endLevel.wav", END_LEVEL, 0.3);
        for (const auto& [hz, name] : TRACKS)
            writeTone(name, hz, 0.25);
    }

    // Of the tracks exactly those in playing sound throughout [from, to), once settled.
    static void expectTracks(const std::vector<short>& samples, long from, long to,
                             const std::set<double>& playing)
    {
        for (const auto& [hz, name] : TRACKS) {
            const std::vector<double> levels = toneLevels(samples, from + SETTLE_FRAMES, to, hz);
            ASSERT_GE(levels.size(), 4u);
            if (playing.count(hz))
                EXPECT_GT(*std::min_element(levels.begin(), levels.end()), TONE_AMPLITUDE / 2) << name;
            else
                EXPECT_LT(*std::max_element(levels.begin(), levels.end()), TONE_AMPLITUDE / 20) << name;
        }
    }
};

TEST_F(GameSoundTest, EachLevelPlaysItsOwnMusicUnderOverlappingEffects)
{
    GameSound sound;
    const auto update = [&] { sound.update(); };
    // Marked once the music has started: decoding takes longer on a busy machine.
    const auto setup = [&](const std::array<const char*, 2>& music) {
        EXPECT_EQ(printed([&] { setUpLevel(sound, music); }), "");
        return framesRecorded();
    };
    EXPECT_EQ(printed([&] { sound.start(); }), "");
    const long lagoon = setup(LAGOON);
    runFrames(0.5, update);
    // A paused game goes on updating; the loss effect starts twice, 0.1 s apart.
    const long volcano = setup(VOLCANO);
    sound.playEffect(GameSound::EFFECT_BALL_LOST);
    runFrames(0.1, update);
    sound.playEffect(GameSound::EFFECT_BALL_LOST);
    runFrames(0.9, update);
    const long jungle = setup(JUNGLE);
    runFrames(0.5, update);
    const long noMusic = setup({});
    sound.playEffect(GameSound::EFFECT_END_LEVEL);
    runFrames(0.5, update);
    const long ended = framesRecorded();
    sound.shutdown();

    const std::vector<short> samples = recording();
    expectTracks(samples, lagoon, volcano, {900, 1100});
    expectTracks(samples, volcano, jungle, {700});
    expectTracks(samples, jungle, noMusic, {300, 500});
    expectTracks(samples, noMusic, ended, {});
    // About 0.2 s of overlap in 23 ms windows, then each start once to its end.
    EXPECT_GE(windowsAt(samples, volcano, jungle, 2 * BALL_LOST), 4);
    EXPECT_GE(windowsAt(samples, volcano, jungle, BALL_LOST), 2);
    EXPECT_GE(windowsAt(samples, volcano, jungle, 0), 10);
    EXPECT_GE(windowsAt(samples, noMusic, ended, END_LEVEL), 8);
}

TEST_F(GameSoundTest, MissingOrBadFilesPrintALineAtEverySetupAndTheRestPlays)
{
    std::filesystem::remove("data/sound/endLevel.wav");
    // A bad and a missing jungle track show that the tracks load in the table's order.
    std::ofstream("data/sound/backgroundJungle01.mp3") << "not a sound";
    std::filesystem::remove("data/sound/backgroundJungle02.mp3");
    std::filesystem::remove("data/sound/backgroundLagoon01.wav");
    GameSound sound(0x40618);
    const auto update = [&] { sound.update(); };
    EXPECT_EQ(printed([&] { sound.start(); }),
              "Error!  You are using an old version of FMOD 00040618.  This program requires 00040619\n");
    // Each error line is followed by one naming the file.
    const auto failed = [](const std::string& line, const std::string& file) {
        return line + "Sound file data/sound/" + file + " could not be loaded\n";
    };
    const std::string endLevel = failed(NOT_FOUND, "endLevel.wav");
    EXPECT_EQ(printed([&] { setUpLevel(sound, JUNGLE); }),
              endLevel + failed(BAD_FORMAT, "backgroundJungle01.mp3") + failed(NOT_FOUND, "backgroundJungle02.mp3"));
    EXPECT_EQ(printed([&] { setUpLevel(sound, VOLCANO); }), endLevel);
    EXPECT_EQ(printed([&] { setUpLevel(sound, LAGOON); }), endLevel + failed(NOT_FOUND, "backgroundLagoon01.wav"));
    const long started = framesRecorded();
    sound.playEffect(GameSound::EFFECT_END_LEVEL);
    runFrames(0.3, update);
    const long ballLost = framesRecorded();
    sound.playEffect(GameSound::EFFECT_BALL_LOST);
    runFrames(0.5, update);
    const long ended = framesRecorded();
    sound.shutdown();

    const std::vector<short> samples = recording();
    expectTracks(samples, started, ended, {1100});
    EXPECT_EQ(windowsAt(samples, started, ballLost, 0), (ballLost - started) / 1024) << "no end-level effect";
    EXPECT_GE(windowsAt(samples, ballLost, ended, BALL_LOST), 8);
}

TEST_F(GameSoundTest, WorksQuietlyWithoutStartAndRestartsAfterShutdown)
{
    const auto useAndShutDown = [](GameSound& sound) {
        sound.setupLevel(JUNGLE);
        sound.playEffect(GameSound::EFFECT_BALL_LOST);
        sound.update();
        sound.shutdown();
    };
    GameSound unstarted;
    EXPECT_EQ(printed([&] { useAndShutDown(unstarted); }), "");
    {
        GameSound leftRunning; // its destructor releases the mixer for the next one
        leftRunning.start();
        leftRunning.setupLevel(LAGOON);
    }
    GameSound restarted;
    EXPECT_EQ(printed([&] {
                  restarted.start();
                  useAndShutDown(restarted);
                  useAndShutDown(restarted);
              }),
              "");
}
