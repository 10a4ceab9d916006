#include "sound/GameSound.h"

#include "sound/SoundResult.h"

#include "DiskAudioTest.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <map>
#include <set>
#include <string>

namespace {
const double JUNGLE1_HZ = 300;
const double JUNGLE2_HZ = 500;
const double LAVA_HZ = 700;
const double LAGOON1_HZ = 900;
const double LAGOON2_HZ = 1100;
const double TRACK_SECONDS = 0.25;
const std::map<double, const char*> TRACKS = {
    {JUNGLE1_HZ, "backgroundJungle01.mp3"}, {JUNGLE2_HZ, "backgroundJungle02.mp3"},
    {LAVA_HZ, "backgroundLava01.wav"},      {LAGOON1_HZ, "backgroundLagoon01.wav"},
    {LAGOON2_HZ, "backgroundLagoon02.wav"},
};

// The effects are constant levels, told apart from the tones by the window mean.
const short BALL_LOST_LEVEL = 3000;
const short END_LEVEL_LEVEL = -3000;
const double EFFECT_SECONDS = 0.3;

// Tone levels against the test amplitude of 6000; a tone moves a window's
// mean by less than the mean tolerance.
const double PRESENT = 3000;
const double ABSENT = 300;
const double MEAN_TOLERANCE = 300;

std::string errorLine(SoundResult result)
{
    char line[200];
    snprintf(line, sizeof line, "FMOD error! (%d) %s\n", static_cast<int>(result),
             soundErrorString(result));
    return line;
}

std::string printed(const std::function<void()>& call)
{
    testing::internal::CaptureStdout();
    call();
    return testing::internal::GetCapturedStdout();
}

int windowsNear(const std::vector<double>& means, double level)
{
    int count = 0;
    for (const double mean : means)
        count += std::abs(mean - level) < MEAN_TOLERANCE;
    return count;
}
}  // namespace

class GameSoundTest : public DiskAudioTest {
protected:
    // Every file the game loads: effects as WAV levels, music as tones.
    void writeGameSounds() const
    {
        writeLevelWav("ballLost.wav", BALL_LOST_LEVEL, EFFECT_SECONDS);
        writeLevelWav("endLevel.wav", END_LEVEL_LEVEL, EFFECT_SECONDS);
        for (const auto& [hz, name] : TRACKS) {
            if (std::string(name).find(".mp3") != std::string::npos)
                writeToneMp3(name, hz, TRACK_SECONDS);
            else
                writeToneWav(name, hz, TRACK_SECONDS);
        }
    }

    // Of the level tracks exactly those in playing sound throughout [from, to).
    static void expectTracks(const std::vector<short>& samples, long from, long to,
                             const std::set<double>& playing)
    {
        for (const auto& [hz, name] : TRACKS) {
            const std::vector<double> levels = toneLevels(samples, from, to, hz);
            ASSERT_GE(levels.size(), 4u);
            if (playing.count(hz))
                EXPECT_GT(minimum(levels), PRESENT) << name;
            else
                EXPECT_LT(maximum(levels), ABSENT) << name;
        }
    }
};

TEST_F(GameSoundTest, StartChecksTheLibraryVersion)
{
    {
        GameSound sound;
        EXPECT_EQ(printed([&] { sound.start(); }), "");
        sound.shutdown();
    }
    GameSound sound(0x40618);
    EXPECT_EQ(printed([&] { sound.start(); }),
              "Error!  You are using an old version of FMOD 00040618.  This program requires 00040619\n");
    // The game goes on with a working system.
    writeGameSounds();
    EXPECT_EQ(printed([&] { sound.setupLevel(1); }), "");
}

TEST_F(GameSoundTest, EachLevelStartsItsTracksAndStopsThePrevious)
{
    writeGameSounds();
    GameSound sound;
    sound.start();

    // Lagoon, volcano, jungle, then round to the lagoon again.
    const int levels[] = {2, 1, 0, 2};
    std::vector<long> marks;
    for (const int level : levels) {
        marks.push_back(framesRecorded());
        EXPECT_EQ(printed([&] { sound.setupLevel(level); }), "");
        runFrames(0.5, [&] { sound.update(); });
    }
    marks.push_back(framesRecorded());
    sound.shutdown();

    const std::vector<short> samples = recording();
    const std::set<double> expected[] = {
        {LAGOON1_HZ, LAGOON2_HZ}, {LAVA_HZ}, {JUNGLE1_HZ, JUNGLE2_HZ}, {LAGOON1_HZ, LAGOON2_HZ}};
    for (size_t i = 0; i < std::size(levels); ++i) {
        SCOPED_TRACE("level " + std::to_string(levels[i]));
        expectTracks(samples, marks[i] + SETTLE_FRAMES, marks[i + 1], expected[i]);
    }
}

TEST_F(GameSoundTest, LoadsTheTracksInTheTablesOrder)
{
    writeGameSounds();
    // One bad and one missing track per level shows the order of the loads.
    writeSoundFile("backgroundJungle01.mp3", "not a sound");
    removeSoundFile("backgroundJungle02.mp3");
    removeSoundFile("backgroundLagoon01.wav");
    writeSoundFile("backgroundLagoon02.wav", "not a sound");
    GameSound sound;
    sound.start();
    EXPECT_EQ(printed([&] { sound.setupLevel(0); }),
              errorLine(SOUND_ERR_FORMAT) + errorLine(SOUND_ERR_FILE_NOTFOUND));
    EXPECT_EQ(printed([&] { sound.setupLevel(2); }),
              errorLine(SOUND_ERR_FILE_NOTFOUND) + errorLine(SOUND_ERR_FORMAT));
}

TEST_F(GameSoundTest, AMissingEffectPrintsAtEverySetupAndTheGameGoesOn)
{
    writeGameSounds();
    removeSoundFile("endLevel.wav");
    GameSound sound;
    sound.start();
    EXPECT_EQ(printed([&] { sound.setupLevel(0); }), errorLine(SOUND_ERR_FILE_NOTFOUND));
    EXPECT_EQ(printed([&] { sound.setupLevel(1); }), errorLine(SOUND_ERR_FILE_NOTFOUND));

    const long started = framesRecorded();
    sound.playEffect(GameSound::EFFECT_END_LEVEL);
    runFrames(0.3, [&] { sound.update(); });
    const long ballLost = framesRecorded();
    sound.playEffect(GameSound::EFFECT_BALL_LOST);
    runFrames(0.5, [&] { sound.update(); });
    const long ended = framesRecorded();
    sound.shutdown();

    const std::vector<short> samples = recording();
    expectTracks(samples, started + SETTLE_FRAMES, ended, {LAVA_HZ});
    // The effect without a sound stays silent; the other one still plays.
    const std::vector<double> silent = meanLevels(samples, started, ballLost);
    EXPECT_EQ(windowsNear(silent, 0), static_cast<int>(silent.size()));
    EXPECT_GE(windowsNear(meanLevels(samples, ballLost, ended), BALL_LOST_LEVEL), 8);
}

TEST_F(GameSoundTest, AMissingTrackLeavesTheOtherPlaying)
{
    writeGameSounds();
    removeSoundFile("backgroundLagoon01.wav");
    GameSound sound;
    sound.start();
    const long started = framesRecorded();
    EXPECT_EQ(printed([&] { sound.setupLevel(2); }), errorLine(SOUND_ERR_FILE_NOTFOUND));
    runFrames(0.5, [&] { sound.update(); });
    const long ended = framesRecorded();
    sound.shutdown();

    expectTracks(recording(), started + SETTLE_FRAMES, ended, {LAGOON2_HZ});
}

TEST_F(GameSoundTest, MusicPlaysOnThroughPausedFramesUnderOverlappingEffects)
{
    writeGameSounds();
    GameSound sound;
    sound.start();
    sound.setupLevel(1);

    // A paused game still updates the sound each frame and plays the loss effect.
    const long started = framesRecorded();
    sound.playEffect(GameSound::EFFECT_BALL_LOST);
    runFrames(0.1, [&] { sound.update(); });
    sound.playEffect(GameSound::EFFECT_BALL_LOST);
    runFrames(0.9, [&] { sound.update(); });
    const long ended = framesRecorded();
    sound.shutdown();

    const std::vector<short> samples = recording();
    expectTracks(samples, started + SETTLE_FRAMES, ended, {LAVA_HZ});
    const std::vector<double> means = meanLevels(samples, started, ended);
    EXPECT_GE(windowsNear(means, 2 * BALL_LOST_LEVEL), 4); // about 0.2 s of overlap
    EXPECT_GE(windowsNear(means, BALL_LOST_LEVEL), 2);
}

TEST_F(GameSoundTest, OtherLevelIndicesGetEffectsButNoMusic)
{
    writeGameSounds();
    GameSound sound;
    sound.start();
    EXPECT_EQ(printed([&] { sound.setupLevel(-1); }), "");
    EXPECT_EQ(printed([&] { sound.setupLevel(3); }), "");
    const long started = framesRecorded();
    sound.playEffect(GameSound::EFFECT_END_LEVEL);
    runFrames(0.5, [&] { sound.update(); });
    const long ended = framesRecorded();
    sound.shutdown();

    const std::vector<short> samples = recording();
    expectTracks(samples, started, ended, {});
    EXPECT_GE(windowsNear(meanLevels(samples, started, ended), END_LEVEL_LEVEL), 8);
}

TEST_F(GameSoundTest, WorksQuietlyWithoutStartAndRestartsAfterShutdown)
{
    writeGameSounds();
    {
        GameSound sound;
        EXPECT_EQ(printed([&] {
                      sound.setupLevel(0);
                      sound.playEffect(GameSound::EFFECT_BALL_LOST);
                      sound.update();
                      sound.shutdown();
                  }),
                  "");
    }
    {
        // Left running: the destructor releases the mixer for the next one.
        GameSound sound;
        sound.start();
        sound.setupLevel(2);
    }
    GameSound sound;
    EXPECT_EQ(printed([&] {
                  sound.start();
                  sound.setupLevel(0);
                  sound.shutdown();
                  sound.playEffect(GameSound::EFFECT_BALL_LOST);
                  sound.update();
              }),
              "");
}
