#include "tools/SoundTracks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

double rmsDecibels(const AudioBuffer& buffer)
{
    double sum = 0.0;
    for (int f = 0; f < buffer.frames(); ++f)
        sum += buffer.at(0, f) * buffer.at(0, f) + buffer.at(1, f) * buffer.at(1, f);
    return 10.0 * std::log10(sum / (2.0 * buffer.frames()) + 1e-20);
}

float peak(const AudioBuffer& buffer)
{
    float loudest = 0.0f;
    for (int f = 0; f < buffer.frames(); ++f)
        loudest = std::max({loudest, std::fabs(buffer.at(0, f)), std::fabs(buffer.at(1, f))});
    return loudest;
}

}  // namespace

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
