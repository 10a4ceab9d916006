#include "tools/AudioBuffer.h"

#include "math/MathConstants.h"

#include <algorithm>
#include <cassert>
#include <cmath>

AudioBuffer::AudioBuffer(double seconds, bool loop)
    : left(static_cast<std::size_t>(std::lround(seconds * SAMPLE_RATE))),
      right(left.size()),
      looping(loop)
{
    assert(!left.empty());
}

void AudioBuffer::add(long frame, float sample, float pan)
{
    const float angle = (std::clamp(pan, -1.0f, 1.0f) + 1.0f) * 0.25f * PI;
    addStereo(frame, sample * std::cos(angle), sample * std::sin(angle));
}

void AudioBuffer::addStereo(long frame, float l, float r)
{
    const long count = static_cast<long>(left.size());
    if (looping) {
        frame %= count;
        if (frame < 0) {
            frame += count;
        }
    } else if (frame < 0 || frame >= count) {
        return;
    }
    left[static_cast<std::size_t>(frame)] += l;
    right[static_cast<std::size_t>(frame)] += r;
}

void AudioBuffer::normalise(float peak)
{
    float loudest = 0.0f;
    for (std::size_t i = 0; i < left.size(); ++i) {
        loudest = std::max({loudest, std::fabs(left[i]), std::fabs(right[i])});
    }
    if (loudest <= 0.0f) {
        return;
    }
    const float gain = peak / loudest;
    for (std::size_t i = 0; i < left.size(); ++i) {
        left[i] *= gain;
        right[i] *= gain;
    }
}

std::vector<std::int16_t> AudioBuffer::toPcm16() const
{
    std::vector<std::int16_t> pcm(left.size() * 2);
    for (std::size_t i = 0; i < left.size(); ++i) {
        pcm[2 * i] = static_cast<std::int16_t>(std::lround(std::clamp(left[i], -1.0f, 1.0f) * 32767.0f));
        pcm[2 * i + 1] = static_cast<std::int16_t>(std::lround(std::clamp(right[i], -1.0f, 1.0f) * 32767.0f));
    }
    return pcm;
}
