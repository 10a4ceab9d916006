#include "sound/Channel.h"
#include "sound/Sound.h"
#include "sound/SoundMode.h"
#include "sound/SoundSystem.h"

#include "DiskAudioTest.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

namespace {
const double LOW_HZ = 440;
const double HIGH_HZ = 1000;
// Tone levels against the test amplitude of 6000.
const double PRESENT = 3000;
const double ABSENT = 300;
}  // namespace

class SoundSystemTest : public DiskAudioTest {
protected:
    void TearDown() override
    {
        if (system)
            system->release();
        DiskAudioTest::TearDown();
    }

    void startSystem(int channels = 32)
    {
        ASSERT_EQ(SoundSystem::create(&system), SOUND_OK);
        ASSERT_EQ(system->init(channels), SOUND_OK);
    }

    Sound* load(const std::string& name, unsigned int loopMode)
    {
        Sound* sound = nullptr;
        EXPECT_EQ(system->createSound(("data/sound/" + name).c_str(), SOUND_CREATESAMPLE, &sound),
                  SOUND_OK);
        if (sound) {
            EXPECT_EQ(sound->setMode(loopMode), SOUND_OK);
        }
        return sound;
    }

    // Closes the output, which completes the recording, and returns it.
    std::vector<short> finishRecording()
    {
        system->release();
        system = nullptr;
        return recording();
    }

    SoundSystem* system = nullptr;
};

TEST(SoundSystem, ReportsItsVersionOrAnInjectedOne)
{
    SoundSystem* system = nullptr;
    ASSERT_EQ(SoundSystem::create(&system), SOUND_OK);
    unsigned int version = 0;
    EXPECT_EQ(system->getVersion(&version), SOUND_OK);
    EXPECT_GE(version, 0x40619u);
    EXPECT_EQ(system->getVersion(nullptr), SOUND_ERR_INVALID_PARAM);
    EXPECT_EQ(system->release(), SOUND_OK);

    ASSERT_EQ(SoundSystem::create(&system, 0x40618), SOUND_OK);
    EXPECT_EQ(system->getVersion(&version), SOUND_OK);
    EXPECT_EQ(version, 0x40618u);
    EXPECT_EQ(system->release(), SOUND_OK);

    EXPECT_EQ(SoundSystem::create(nullptr), SOUND_ERR_INVALID_PARAM);
}

TEST(SoundResult, EveryCodeHasATextOfItsOwn)
{
    std::set<std::string> texts;
    for (int code = SOUND_OK; code <= SOUND_ERR_CHANNEL_ALLOC; ++code) {
        const std::string text = soundErrorString(static_cast<SoundResult>(code));
        EXPECT_FALSE(text.empty()) << code;
        texts.insert(text);
    }
    EXPECT_EQ(texts.size(), static_cast<size_t>(SOUND_ERR_CHANNEL_ALLOC + 1));
    EXPECT_STREQ(soundErrorString(static_cast<SoundResult>(99)), "Unknown error.");
}

TEST_F(SoundSystemTest, RefusesWorkBeforeInitAndBadArguments)
{
    writeToneWav("tone.wav", LOW_HZ, 0.1);
    ASSERT_EQ(SoundSystem::create(&system), SOUND_OK);
    Sound* sound = nullptr;
    EXPECT_EQ(system->createSound("data/sound/tone.wav", SOUND_CREATESAMPLE, &sound),
              SOUND_ERR_UNINITIALIZED);
    EXPECT_EQ(sound, nullptr);
    EXPECT_EQ(system->update(), SOUND_ERR_UNINITIALIZED);
    EXPECT_EQ(system->playSound(nullptr, nullptr), SOUND_ERR_INVALID_PARAM);
    EXPECT_EQ(system->init(0), SOUND_ERR_INVALID_PARAM);
    EXPECT_EQ(system->init(-1), SOUND_ERR_INVALID_PARAM);
    EXPECT_EQ(system->close(), SOUND_OK);
}

TEST_F(SoundSystemTest, ReportsWhyAFileDoesNotLoad)
{
    writeToneWav("tone.wav", LOW_HZ, 0.1);
    std::ifstream wav("data/sound/tone.wav", std::ios::binary);
    const std::string wavBytes((std::istreambuf_iterator<char>(wav)), std::istreambuf_iterator<char>());
    writeSoundFile("truncated.wav", wavBytes.substr(0, 30));
    writeSoundFile("text.wav", "this is not a sound file\n");
    writeSoundFile("empty.mp3", "");
    writeSoundFile("tiny.mp3", "not sound"); // under the 12 bytes a type check reads
    startSystem();

    const auto create = [this](const char* name, unsigned int mode) {
        Sound* sound = nullptr;
        const SoundResult result = system->createSound(name, mode, &sound);
        EXPECT_EQ(result != SOUND_OK, sound == nullptr) << name;
        return result;
    };
    EXPECT_EQ(create("data/sound/missing.wav", SOUND_CREATESAMPLE), SOUND_ERR_FILE_NOTFOUND);
    EXPECT_EQ(create("data/sound/truncated.wav", SOUND_CREATESAMPLE), SOUND_ERR_FORMAT);
    EXPECT_EQ(create("data/sound/text.wav", SOUND_CREATESAMPLE), SOUND_ERR_FORMAT);
    EXPECT_EQ(create("data/sound/empty.mp3", SOUND_CREATESAMPLE), SOUND_ERR_FORMAT);
    EXPECT_EQ(create("data/sound/tiny.mp3", SOUND_CREATESAMPLE), SOUND_ERR_FORMAT);
    EXPECT_EQ(create(nullptr, SOUND_CREATESAMPLE), SOUND_ERR_INVALID_PARAM);
    EXPECT_EQ(create("data/sound/tone.wav", SOUND_LOOP_OFF | SOUND_LOOP_NORMAL),
              SOUND_ERR_INVALID_PARAM);
    EXPECT_EQ(create("data/sound/tone.wav", 0x8000), SOUND_ERR_INVALID_PARAM);
    EXPECT_EQ(system->createSound("data/sound/tone.wav", SOUND_CREATESAMPLE, nullptr),
              SOUND_ERR_INVALID_PARAM);

    Sound* sound = load("tone.wav", SOUND_LOOP_OFF);
    ASSERT_NE(sound, nullptr);
    EXPECT_EQ(sound->setMode(SOUND_DEFAULT), SOUND_ERR_INVALID_PARAM);
    EXPECT_EQ(sound->setMode(SOUND_LOOP_OFF | SOUND_LOOP_NORMAL), SOUND_ERR_INVALID_PARAM);
    EXPECT_EQ(sound->release(), SOUND_OK);
}

TEST_F(SoundSystemTest, LoopingSoundsMixTogetherUntilReleased)
{
    writeToneWav("low.wav", LOW_HZ, 0.25);
    writeToneWav("high.wav", HIGH_HZ, 0.25);
    startSystem();
    Sound* low = load("low.wav", SOUND_LOOP_NORMAL);
    Sound* high = load("high.wav", SOUND_LOOP_NORMAL);
    ASSERT_TRUE(low && high);

    const long started = framesRecorded();
    Channel* lowChannel = nullptr;
    ASSERT_EQ(system->playSound(low, &lowChannel), SOUND_OK);
    ASSERT_NE(lowChannel, nullptr);
    ASSERT_EQ(system->playSound(high, nullptr), SOUND_OK);
    runFrames(0.8, [this] { EXPECT_EQ(system->update(), SOUND_OK); });

    bool playing = false;
    EXPECT_EQ(lowChannel->isPlaying(&playing), SOUND_OK);
    EXPECT_TRUE(playing);
    const long released = framesRecorded();
    EXPECT_EQ(low->release(), SOUND_OK);
    EXPECT_EQ(lowChannel->isPlaying(&playing), SOUND_OK);
    EXPECT_FALSE(playing);
    runFrames(0.4);
    const long ended = framesRecorded();

    const std::vector<short> samples = finishRecording();
    // Both tones through three lengths of the sound: they loop, together.
    const auto lowBefore = toneLevels(samples, started + SETTLE_FRAMES, released, LOW_HZ);
    const auto highBefore = toneLevels(samples, started + SETTLE_FRAMES, released, HIGH_HZ);
    ASSERT_GE(lowBefore.size(), 10u);
    EXPECT_GT(minimum(lowBefore), PRESENT);
    EXPECT_GT(minimum(highBefore), PRESENT);
    // The released one falls silent, the other plays on.
    const auto lowAfter = toneLevels(samples, released + SETTLE_FRAMES, ended, LOW_HZ);
    const auto highAfter = toneLevels(samples, released + SETTLE_FRAMES, ended, HIGH_HZ);
    ASSERT_GE(lowAfter.size(), 4u);
    EXPECT_LT(maximum(lowAfter), ABSENT);
    EXPECT_GT(minimum(highAfter), PRESENT);
}

TEST_F(SoundSystemTest, DecodesMp3AndPlaysAnUnloopedSoundOnce)
{
    const double seconds = 0.3;
    writeToneMp3("tone.mp3", LOW_HZ, seconds);
    startSystem();
    Sound* sound = load("tone.mp3", SOUND_LOOP_OFF);
    ASSERT_NE(sound, nullptr);

    const long started = framesRecorded();
    ASSERT_EQ(system->playSound(sound, nullptr), SOUND_OK);
    runFrames(0.8);
    const long ended = framesRecorded();

    const std::vector<short> samples = finishRecording();
    const long playedFrames = static_cast<long>(seconds * RATE);
    EXPECT_GT(maximum(toneLevels(samples, started, started + playedFrames + SETTLE_FRAMES, LOW_HZ)),
              PRESENT);
    const auto afterwards = toneLevels(samples, started + playedFrames + SETTLE_FRAMES, ended, LOW_HZ);
    ASSERT_GE(afterwards.size(), 4u);
    EXPECT_LT(maximum(afterwards), ABSENT);
}

TEST_F(SoundSystemTest, ASoundOverlapsItself)
{
    // A constant level makes the overlap plain: two starts add up to twice it.
    const short level = 3000;
    writeLevelWav("level.wav", level, 0.3);
    startSystem();
    Sound* sound = load("level.wav", SOUND_LOOP_OFF);
    ASSERT_NE(sound, nullptr);

    const long started = framesRecorded();
    ASSERT_EQ(system->playSound(sound, nullptr), SOUND_OK);
    runFrames(0.1);
    ASSERT_EQ(system->playSound(sound, nullptr), SOUND_OK);
    runFrames(0.6);
    const long ended = framesRecorded();

    const std::vector<short> samples = finishRecording();
    int single = 0;
    int doubled = 0;
    for (const double mean : meanLevels(samples, started, ended)) {
        single += std::abs(mean - level) < 0.1 * level;
        doubled += std::abs(mean - 2 * level) < 0.1 * level;
    }
    EXPECT_GE(doubled, 4); // about 0.2 s of overlap in 23 ms windows
    EXPECT_GE(single, 2);
}

TEST_F(SoundSystemTest, RunsOutOfChannelsAndGetsThemBackOnRelease)
{
    writeToneWav("tone.wav", LOW_HZ, 0.25);
    startSystem(2);
    Sound* first = load("tone.wav", SOUND_LOOP_NORMAL);
    Sound* second = load("tone.wav", SOUND_LOOP_NORMAL);
    ASSERT_TRUE(first && second);
    EXPECT_EQ(system->playSound(first, nullptr), SOUND_OK);
    EXPECT_EQ(system->playSound(first, nullptr), SOUND_OK);
    Channel* channel = nullptr;
    EXPECT_EQ(system->playSound(second, &channel), SOUND_ERR_CHANNEL_ALLOC);
    EXPECT_EQ(channel, nullptr);
    EXPECT_EQ(first->release(), SOUND_OK);
    EXPECT_EQ(system->playSound(second, &channel), SOUND_OK);
    EXPECT_NE(channel, nullptr);
}

TEST_F(SoundSystemTest, OnlyOneSystemHoldsTheMixer)
{
    writeToneWav("tone.wav", LOW_HZ, 0.1);
    startSystem();
    EXPECT_EQ(system->init(32), SOUND_ERR_INITIALIZED);
    Sound* sound = load("tone.wav", SOUND_LOOP_OFF);
    ASSERT_NE(sound, nullptr);

    SoundSystem* other = nullptr;
    ASSERT_EQ(SoundSystem::create(&other), SOUND_OK);
    EXPECT_EQ(other->init(32), SOUND_ERR_INITIALIZED);
    EXPECT_EQ(other->playSound(sound, nullptr), SOUND_ERR_INVALID_HANDLE);

    // Closing frees the first system's sounds and hands the mixer on.
    EXPECT_EQ(system->close(), SOUND_OK);
    EXPECT_EQ(other->init(32), SOUND_OK);
    EXPECT_EQ(other->release(), SOUND_OK);
}

TEST_F(SoundSystemTest, FallsBackToASilentOutputWithoutADevice)
{
    // ALSA that cannot open its device, as on a machine without a sound card.
    setenv("SDL_AUDIODRIVER", "alsa", 1);
    setenv("AUDIODEV", "pitchroll-no-such-device", 1);
    writeToneWav("tone.wav", LOW_HZ, 0.1);
    startSystem();
    unsetenv("AUDIODEV");
    Sound* sound = load("tone.wav", SOUND_LOOP_OFF);
    ASSERT_NE(sound, nullptr);
    EXPECT_EQ(system->playSound(sound, nullptr), SOUND_OK);
    runFrames(0.1, [this] { EXPECT_EQ(system->update(), SOUND_OK); });
    EXPECT_EQ(framesRecorded(), 0);
}

TEST_F(SoundSystemTest, LeavesTheInterruptSignalAlone)
{
    startSystem();
    struct sigaction action = {};
    ASSERT_EQ(sigaction(SIGINT, nullptr, &action), 0);
    EXPECT_EQ(action.sa_handler, SIG_DFL);
}
