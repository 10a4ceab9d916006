#include "sound/SoundSystem.h"

#include "sound/Channel.h"
#include "sound/Sound.h"
#include "sound/SoundMode.h"

#include "DiskAudioTest.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

class SoundSystemTest : public DiskAudioTest {
protected:
    void TearDown() override
    {
        if (system)
            system->release();
        DiskAudioTest::TearDown();
    }

    // Starts a system with `channels` mixer channels and loads data/sound/tone.wav.
    Sound* start(int channels = 32, unsigned int mode = SOUND_CREATESAMPLE)
    {
        writeTone("tone.wav", 440, 0.25);
        Sound* sound = nullptr;
        EXPECT_EQ(SoundSystem::create(&system), SOUND_OK);
        EXPECT_EQ(system->init(channels), SOUND_OK);
        EXPECT_EQ(system->createSound("data/sound/tone.wav", mode, &sound), SOUND_OK);
        return sound;
    }

    SoundSystem* system = nullptr;
};

TEST_F(SoundSystemTest, RefusesBadArgumentsAndFilesItCannotDecode)
{
    std::ofstream("data/sound/truncated.wav") << "RIFF1234WAVEfmt ";
    std::ofstream("data/sound/tiny.mp3") << "not sound"; // under the 12 bytes the mixer's type check reads
    // A tone whose data chunk claims 4 GB (the decoder would allocate it), and a
    // pipe (opening it would wait for a writer for ever).
    writeTone("lying.wav", 440, 0.05);
    std::fstream lying("data/sound/lying.wav", std::ios::in | std::ios::out | std::ios::binary);
    const std::string head(44, '\0');
    lying.read(const_cast<char*>(head.data()), 44);
    lying.seekp(static_cast<std::streamoff>(head.find("data") + 4));
    lying.write("\xf0\xff\xff\xff", 4);
    lying.close();
    unlink("data/sound/pipe.wav");
    ASSERT_EQ(mkfifo("data/sound/pipe.wav", 0600), 0);
    EXPECT_EQ(SoundSystem::create(nullptr), SOUND_ERR_INVALID_PARAM);
    ASSERT_EQ(SoundSystem::create(&system), SOUND_OK);
    Sound* sound = nullptr;
    EXPECT_EQ(system->createSound("data/sound/tiny.mp3", SOUND_CREATESAMPLE, &sound), SOUND_ERR_UNINITIALIZED);
    EXPECT_EQ(system->update(), SOUND_ERR_UNINITIALIZED);
    EXPECT_EQ(system->init(0), SOUND_ERR_INVALID_PARAM);
    system->release();

    sound = start();
    ASSERT_NE(sound, nullptr);
    const struct {
        const char* name;
        unsigned int mode;
        SoundResult result;
    } cases[] = {
        {"data/sound/missing.wav", SOUND_CREATESAMPLE, SOUND_ERR_FILE_NOTFOUND},
        {"data/sound/truncated.wav", SOUND_CREATESAMPLE, SOUND_ERR_FORMAT},
        {"data/sound/tiny.mp3", SOUND_CREATESAMPLE, SOUND_ERR_FORMAT},
        {"data/sound/lying.wav", SOUND_CREATESAMPLE, SOUND_ERR_FORMAT},
        {"data/sound/pipe.wav", SOUND_CREATESAMPLE, SOUND_ERR_FORMAT},
        {nullptr, SOUND_CREATESAMPLE, SOUND_ERR_INVALID_PARAM},
        {"data/sound/tone.wav", SOUND_LOOP_OFF | SOUND_LOOP_NORMAL, SOUND_ERR_INVALID_PARAM},
        {"data/sound/tone.wav", 0x8000, SOUND_ERR_INVALID_PARAM},
    };
    for (const auto& c : cases) {
        Sound* failed = sound;
        EXPECT_EQ(system->createSound(c.name, c.mode, &failed), c.result) << (c.name ? c.name : "null");
        EXPECT_EQ(failed, nullptr);
    }
    // Decoded on a thread of their own, the same files fail through the open state.
    const auto settled = [](Sound* pending, SoundOpenState& state) {
        SoundResult result = SOUND_OK;
        for (int i = 0; i < 10000; ++i) {
            result = pending->getOpenState(&state);
            if (state != SOUND_OPENSTATE_LOADING)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return result;
    };
    for (const auto& c : cases) {
        if (!c.name || c.mode != SOUND_CREATESAMPLE)
            continue;
        Sound* pending = nullptr;
        ASSERT_EQ(system->createSound(c.name, c.mode | SOUND_NONBLOCKING, &pending), SOUND_OK) << c.name;
        SoundOpenState state = SOUND_OPENSTATE_READY;
        EXPECT_EQ(settled(pending, state), c.result) << c.name;
        EXPECT_EQ(state, SOUND_OPENSTATE_ERROR) << c.name;
        EXPECT_EQ(system->playSound(pending, nullptr), SOUND_ERR_NOTREADY) << c.name;
        EXPECT_EQ(pending->release(), SOUND_OK);
    }
    Sound* decoded = nullptr;
    ASSERT_EQ(system->createSound("data/sound/tone.wav", SOUND_CREATESAMPLE | SOUND_NONBLOCKING, &decoded), SOUND_OK);
    SoundOpenState state = SOUND_OPENSTATE_LOADING;
    EXPECT_EQ(settled(decoded, state), SOUND_OK);
    EXPECT_EQ(state, SOUND_OPENSTATE_READY);
    EXPECT_EQ(system->playSound(decoded, nullptr), SOUND_OK);
    EXPECT_EQ(decoded->getOpenState(nullptr), SOUND_ERR_INVALID_PARAM);
    EXPECT_EQ(system->createSound("data/sound/tone.wav", SOUND_CREATESAMPLE, nullptr), SOUND_ERR_INVALID_PARAM);
    EXPECT_EQ(system->playSound(nullptr, nullptr), SOUND_ERR_INVALID_PARAM);
    EXPECT_EQ(sound->setMode(SOUND_LOOP_OFF | SOUND_LOOP_NORMAL), SOUND_ERR_INVALID_PARAM);
}

TEST_F(SoundSystemTest, ChannelsRunOutAndComeBackWhenTheirSoundIsReleased)
{
    Sound* looping = start(2, SOUND_CREATESAMPLE | SOUND_LOOP_NORMAL);
    Sound* other = nullptr;
    ASSERT_EQ(system->createSound("data/sound/tone.wav", SOUND_CREATESAMPLE, &other), SOUND_OK);
    Channel* channel = nullptr;
    EXPECT_EQ(system->playSound(looping, &channel), SOUND_OK);
    EXPECT_EQ(system->playSound(looping, nullptr), SOUND_OK);
    Channel* none = channel;
    EXPECT_EQ(system->playSound(other, &none), SOUND_ERR_CHANNEL_ALLOC);
    EXPECT_EQ(none, nullptr);

    runFrames(0.4); // longer than the sound: it has started over
    bool playing = false;
    EXPECT_EQ(channel->isPlaying(&playing), SOUND_OK);
    EXPECT_TRUE(playing);
    EXPECT_EQ(looping->release(), SOUND_OK);
    EXPECT_EQ(channel->isPlaying(&playing), SOUND_OK);
    EXPECT_FALSE(playing);
    EXPECT_EQ(system->playSound(other, &channel), SOUND_OK);
}

TEST_F(SoundSystemTest, OnlyOneSystemHoldsTheMixerAndCtrlCStaysWithTheGame)
{
    Sound* sound = start();
    EXPECT_EQ(system->init(32), SOUND_ERR_INITIALIZED);
    struct sigaction action = {};
    ASSERT_EQ(sigaction(SIGINT, nullptr, &action), 0);
    EXPECT_EQ(action.sa_handler, SIG_DFL);

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
    Sound* sound = start();
    unsetenv("AUDIODEV");
    EXPECT_EQ(system->playSound(sound, nullptr), SOUND_OK);
    runFrames(0.1, [this] { EXPECT_EQ(system->update(), SOUND_OK); });
    EXPECT_EQ(framesRecorded(), 0);
}
