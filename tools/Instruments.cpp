#include "tools/Instruments.h"

#include "math/MathConstants.h"
#include "tools/AudioBuffer.h"
#include "tools/Biquad.h"
#include "tools/Noise.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr float RATE = static_cast<float>(AudioBuffer::SAMPLE_RATE);

long frameOf(double seconds)
{
    return static_cast<long>(std::lround(seconds * AudioBuffer::SAMPLE_RATE));
}

// White noise in -1..1 from a hash, so a voice sounds the same wherever it starts.
float noiseAt(long i, std::uint32_t seed)
{
    return 2.0f * Noise::hashUnit(static_cast<int>(i), 0, 0, seed) - 1.0f;
}

// One cycle of a soft sawtooth (harmonics 1/k, rolled off above the 12th),
// read with linear interpolation: a cheap oscillator for long pad notes.
class SoftSawTable {
public:
    static constexpr int LENGTH = 4096;
    SoftSawTable() : samples(LENGTH + 1)
    {
        for (int i = 0; i <= LENGTH; ++i) {
            const double phase = 6.283185307179586 * i / LENGTH;
            double sum = 0.0;
            for (int k = 1; k <= 24; ++k) {
                sum += std::sin(k * phase) / k * std::exp(-k / 8.0);
            }
            samples[static_cast<std::size_t>(i)] = static_cast<float>(sum * 0.6);
        }
    }
    float at(double phase) const  // phase in cycles
    {
        const double x = (phase - std::floor(phase)) * LENGTH;
        const auto i = static_cast<std::size_t>(x);
        const float f = static_cast<float>(x - static_cast<double>(i));
        return samples[i] + (samples[i + 1] - samples[i]) * f;
    }

private:
    std::vector<float> samples;
};

const SoftSawTable& softSaw()
{
    static const SoftSawTable table;
    return table;
}

}  // namespace

void Instruments::marimba(AudioBuffer& out, double start, float frequency, float gain, float pan)
{
    const float decay = std::clamp(0.55f * std::sqrt(300.0f / frequency), 0.18f, 1.1f);
    const float ratios[3] = {1.0f, 3.93f, 9.2f};
    const float levels[3] = {1.0f, 0.32f, 0.1f};
    const float decays[3] = {decay, decay * 0.28f, decay * 0.1f};
    const long first = frameOf(start);
    const long length = static_cast<long>(decay * 6.0f * RATE);
    Biquad click(Biquad::Type::LOWPASS, 2500.0f, 0.7f);
    for (long i = 0; i < length; ++i) {
        const float t = static_cast<float>(i) / RATE;
        const float attack = std::min(1.0f, t / 0.002f);
        float sample = 0.0f;
        for (int m = 0; m < 3; ++m) {
            if (frequency * ratios[m] < 16000.0f) {
                sample += levels[m] * std::exp(-t / decays[m]) * std::sin(TWO_PI * frequency * ratios[m] * t);
            }
        }
        const float knock = i < 400 ? click.process(noiseAt(i, 17u)) * std::exp(-t / 0.002f) : 0.0f;
        out.add(first + i, gain * (attack * sample + 0.35f * knock), pan);
    }
}

void Instruments::logDrum(AudioBuffer& out, double start, float frequency, float gain, float pan)
{
    const long first = frameOf(start);
    const long length = static_cast<long>(1.2f * RATE);
    double phase = 0.0;
    double phase2 = 0.0;
    for (long i = 0; i < length; ++i) {
        const float t = static_cast<float>(i) / RATE;
        const float f = frequency * (1.0f + 0.35f * std::exp(-t / 0.015f));
        phase += f / RATE;
        phase2 += 2.02f * f / RATE;
        const float body = std::exp(-t / 0.22f) * std::sin(TWO_PI * static_cast<float>(phase)) +
                           0.25f * std::exp(-t / 0.08f) * std::sin(TWO_PI * static_cast<float>(phase2));
        const float knock = std::exp(-t / 0.003f) * noiseAt(i, 23u) * 0.3f;
        out.add(first + i, gain * std::min(1.0f, t / 0.001f) * (body + knock), pan);
    }
}

void Instruments::conga(AudioBuffer& out, double start, float frequency, float gain, float pan, std::uint32_t seed)
{
    const long first = frameOf(start);
    const long length = static_cast<long>(0.6f * RATE);
    Biquad slapFilter(Biquad::Type::BANDPASS, 1800.0f, 1.2f);
    double phase = 0.0;
    for (long i = 0; i < length; ++i) {
        const float t = static_cast<float>(i) / RATE;
        phase += frequency * (1.0f + 0.12f * std::exp(-t / 0.01f)) / RATE;
        const float body = std::exp(-t / 0.12f) * std::sin(TWO_PI * static_cast<float>(phase));
        const float slap = slapFilter.process(noiseAt(i, seed)) * std::exp(-t / 0.012f) * 1.5f;
        out.add(first + i, gain * std::min(1.0f, t / 0.0008f) * (body + slap), pan);
    }
}

void Instruments::shaker(AudioBuffer& out, double start, float gain, float pan, std::uint32_t seed)
{
    const long first = frameOf(start);
    const long length = static_cast<long>(0.12f * RATE);
    Biquad band(Biquad::Type::BANDPASS, 6500.0f, 1.4f);
    for (long i = 0; i < length; ++i) {
        const float t = static_cast<float>(i) / RATE;
        const float envelope = std::min(1.0f, t / 0.012f) * std::exp(-t / 0.035f);
        out.add(first + i, gain * envelope * band.process(noiseAt(i, seed)) * 2.0f, pan);
    }
}

void Instruments::clave(AudioBuffer& out, double start, float gain, float pan)
{
    const long first = frameOf(start);
    const long length = static_cast<long>(0.15f * RATE);
    for (long i = 0; i < length; ++i) {
        const float t = static_cast<float>(i) / RATE;
        const float tone = std::sin(TWO_PI * 2480.0f * t) + 0.3f * std::sin(TWO_PI * 3720.0f * t);
        out.add(first + i, gain * std::min(1.0f, t / 0.0005f) * std::exp(-t / 0.022f) * tone, pan);
    }
}

void Instruments::chirp(AudioBuffer& out, double start, double duration, float fromHz, float toHz, float vibratoHz,
                        float vibratoDepth, float gain, float pan)
{
    const long first = frameOf(start);
    const long length = static_cast<long>(duration * RATE);
    double phase = 0.0;
    for (long i = 0; i < length; ++i) {
        const float t = static_cast<float>(i) / RATE;
        const float x = static_cast<float>(i) / static_cast<float>(length);
        // The glide eases in and out; the vibrato is a fraction of the pitch.
        const float glide = x * x * (3.0f - 2.0f * x);
        const float f = (fromHz + (toHz - fromHz) * glide) * (1.0f + vibratoDepth * std::sin(TWO_PI * vibratoHz * t));
        phase += f / RATE;
        const float envelope = std::sin(PI * x);
        const float p = TWO_PI * static_cast<float>(phase - std::floor(phase));
        const float tone = std::sin(p) + 0.12f * std::sin(2.0f * p);
        out.add(first + i, gain * envelope * envelope * tone, pan);
    }
}

void Instruments::brass(AudioBuffer& out, double start, double duration, float frequency, float gain, float pan)
{
    const long first = frameOf(start);
    const float release = 0.18f;
    const long length = static_cast<long>((duration + release) * RATE);
    for (long i = 0; i < length; ++i) {
        const float t = static_cast<float>(i) / RATE;
        const float attack = 1.0f - std::exp(-t / 0.03f);
        const float tail = t > duration ? std::exp(-(t - static_cast<float>(duration)) / (release / 4.0f)) : 1.0f;
        const float envelope = attack * tail * (0.85f + 0.15f * std::exp(-t / 0.15f));
        const float vibrato = 1.0f + 0.004f * std::min(1.0f, t / 0.3f) * std::sin(TWO_PI * 5.5f * t);
        float sample = 0.0f;
        for (int k = 1; k <= 14 && k * frequency < 15000.0f; ++k) {
            // Upper harmonics open up with loudness, as lips buzz harder.
            const float level = std::pow(envelope, 0.4f + 0.22f * k) / static_cast<float>(k);
            sample += level * std::sin(TWO_PI * k * frequency * vibrato * t);
        }
        out.add(first + i, gain * envelope * sample, pan);
    }
}

void Instruments::bell(AudioBuffer& out, double start, float frequency, float decay, float gain, float pan)
{
    const float ratios[5] = {1.0f, 2.76f, 5.40f, 8.93f, 13.34f};
    const float levels[5] = {1.0f, 0.45f, 0.25f, 0.12f, 0.06f};
    const long first = frameOf(start);
    const long length = static_cast<long>(decay * 5.0f * RATE);
    for (long i = 0; i < length; ++i) {
        const float t = static_cast<float>(i) / RATE;
        float sample = 0.0f;
        for (int m = 0; m < 5; ++m) {
            if (frequency * ratios[m] < 16000.0f) {
                sample += levels[m] * std::exp(-t * (1.0f + m * 1.5f) / decay) * std::sin(TWO_PI * frequency * ratios[m] * t);
            }
        }
        out.add(first + i, gain * std::min(1.0f, t / 0.003f) * sample, pan);
    }
}

void Instruments::pad(AudioBuffer& out, double start, double duration, float frequency, float gain, float pan)
{
    const long first = frameOf(start);
    const float attack = 1.4f;
    const float release = 2.2f;
    const long length = static_cast<long>((duration + release) * RATE);
    const float detune[3] = {0.9965f, 1.0f, 1.0035f};
    const float spread[3] = {-0.6f, 0.0f, 0.6f};
    const SoftSawTable& table = softSaw();
    for (long i = 0; i < length; ++i) {
        const float t = static_cast<float>(i) / RATE;
        const float rise = std::min(1.0f, t / attack);
        const float fall = t > duration ? std::exp(-(t - static_cast<float>(duration)) / (release / 3.0f)) : 1.0f;
        const float envelope = rise * rise * (3.0f - 2.0f * rise) * fall;
        for (int v = 0; v < 3; ++v) {
            const double phase = static_cast<double>(frequency * detune[v]) * t + 0.31 * v;
            out.add(first + i, gain * envelope * table.at(phase) / 3.0f, std::clamp(pan + spread[v], -1.0f, 1.0f));
        }
    }
}

void Instruments::boom(AudioBuffer& out, double start, float frequency, float decay, float gain, float pan,
                       std::uint32_t seed)
{
    const long first = frameOf(start);
    const long length = static_cast<long>(decay * 6.0f * RATE);
    Biquad thump(Biquad::Type::LOWPASS, 180.0f, 0.8f);
    double phase = 0.0;
    for (long i = 0; i < length; ++i) {
        const float t = static_cast<float>(i) / RATE;
        phase += frequency * (1.0f + 1.2f * std::exp(-t / 0.04f)) / RATE;
        const float body = std::exp(-t / decay) * std::sin(TWO_PI * static_cast<float>(phase));
        const float noise = thump.process(noiseAt(i, seed)) * std::exp(-t / (decay * 0.5f)) * 1.5f;
        out.add(first + i, gain * std::min(1.0f, t / 0.004f) * (body + noise), pan);
    }
}
