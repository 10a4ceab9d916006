#include "tools/SoundTracks.h"

#include "GeneratedFiles.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

generated::Sound asSound(const AudioBuffer& buffer)
{
    generated::Sound sound;
    sound.sampleRate = AudioBuffer::SAMPLE_RATE;
    sound.channels = 2;
    sound.samples = buffer.toPcm16();
    return sound;
}

double rmsDecibels(const AudioBuffer& buffer)
{
    double sum = 0.0;
    for (int f = 0; f < buffer.frames(); ++f) {
        sum += buffer.at(0, f) * buffer.at(0, f) + buffer.at(1, f) * buffer.at(1, f);
    }
    return 10.0 * std::log10(sum / (2.0 * buffer.frames()) + 1e-20);
}

float peak(const AudioBuffer& buffer)
{
    float loudest = 0.0f;
    for (int f = 0; f < buffer.frames(); ++f) {
        loudest = std::max({loudest, std::fabs(buffer.at(0, f)), std::fabs(buffer.at(1, f))});
    }
    return loudest;
}

}  // namespace

TEST(SoundTracks, MusicLoopsAreLongAudibleUnclippedAndSeamless)
{
    struct Track {
        const char* name;
        AudioBuffer (*make)();
        float peak;  // layers that play together leave room for each other
    };
    const Track tracks[] = {{"jungle rhythm", SoundTracks::jungleRhythm, SoundTracks::LAYER_PEAK},
                            {"jungle ambience", SoundTracks::jungleAmbience, SoundTracks::LAYER_PEAK},
                            {"lava drone", SoundTracks::lavaDrone, SoundTracks::PEAK},
                            {"lagoon waves", SoundTracks::lagoonWaves, SoundTracks::LAYER_PEAK},
                            {"lagoon pad", SoundTracks::lagoonPad, SoundTracks::LAYER_PEAK}};
    for (const Track& track : tracks) {
        SCOPED_TRACE(track.name);
        const AudioBuffer loop = track.make();
        EXPECT_TRUE(loop.isLooping());
        EXPECT_GE(loop.seconds(), 30.0);
        EXPECT_NEAR(peak(loop), track.peak, 1e-3f);
        EXPECT_GT(rmsDecibels(loop), -40.0);
        EXPECT_LT(generated::loopJumpScore(asSound(loop)), 6.0);
    }
}

TEST(SoundTracks, EffectsAreShortAndEndInSilence)
{
    for (const AudioBuffer& effect : {SoundTracks::ballLost(), SoundTracks::endLevel()}) {
        EXPECT_FALSE(effect.isLooping());
        EXPECT_LT(effect.seconds(), 4.0);
        EXPECT_NEAR(peak(effect), SoundTracks::PEAK, 1e-3f);
        EXPECT_GT(rmsDecibels(effect), -30.0);
        EXPECT_LT(std::fabs(effect.at(0, effect.frames() - 1)), 1e-3f);
    }
}

TEST(SoundTracks, ALoopingBufferCarriesANoteOnPastItsEnd)
{
    AudioBuffer loop(1.0, true);
    loop.add(AudioBuffer::SAMPLE_RATE + 10, 0.5f, -1.0f);
    EXPECT_NEAR(loop.at(0, 10), 0.5f, 1e-6f);
    AudioBuffer once(1.0, false);
    once.add(AudioBuffer::SAMPLE_RATE + 10, 0.5f, -1.0f);
    EXPECT_EQ(once.at(0, 10), 0.0f);
}
