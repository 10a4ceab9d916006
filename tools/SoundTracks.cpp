#include "tools/SoundTracks.h"

#include "math/MathConstants.h"
#include "tools/Biquad.h"
#include "tools/Instruments.h"
#include "tools/Reverb.h"
#include "tools/Rng.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

namespace {

constexpr float RATE = static_cast<float>(AudioBuffer::SAMPLE_RATE);

float midi(int note)
{
    return 440.0f * std::pow(2.0f, static_cast<float>(note - 69) / 12.0f);
}

// A stereo noise bed: white noise through a filter, shaped by gain(t) and a
// per-channel pan. In a loop the noise repeats with the loop and the filter runs
// over it twice, keeping the second pass, so there is no jump at the loop point.
struct NoiseSpec {
    Biquad::Type type = Biquad::Type::LOWPASS;
    float frequency = 1000.0f;
    float q = 0.7f;
    // Extra one-pole smoothing (0 = none, towards 1 = darker, "brown" noise).
    float smoothing = 0.0f;
    std::uint64_t seed = 1;
};

void addNoise(AudioBuffer& out, const NoiseSpec& spec, const std::function<float(float t, int channel)>& gain,
              const std::function<float(float t)>& sweep = nullptr)
{
    const int frames = out.frames();
    const int passes = out.isLooping() ? 2 : 1;
    for (int channel = 0; channel < 2; ++channel) {
        Rng rng(spec.seed * 2 + static_cast<std::uint64_t>(channel));
        std::vector<float> white(static_cast<std::size_t>(frames));
        for (float& w : white) {
            w = rng.range(-1.0f, 1.0f);
        }
        Biquad filter(spec.type, spec.frequency, spec.q);
        float smooth = 0.0f;
        for (int pass = 0; pass < passes; ++pass) {
            for (int f = 0; f < frames; ++f) {
                const float t = static_cast<float>(f) / RATE;
                if (sweep && (f & 31) == 0) {
                    filter.set(spec.type, sweep(t), spec.q);
                }
                smooth = spec.smoothing * smooth + (1.0f - spec.smoothing) * white[static_cast<std::size_t>(f)];
                const float y = filter.process(spec.smoothing > 0.0f ? smooth : white[static_cast<std::size_t>(f)]);
                if (pass == passes - 1) {
                    out.at(channel, f) += y * gain(t, channel);
                }
            }
        }
    }
}

// A frequency with a whole number of cycles in the loop, so a sustained tone
// joins up at the loop point.
float loopFrequency(float frequency, double loopSeconds)
{
    return static_cast<float>(std::round(frequency * loopSeconds) / loopSeconds);
}

// A sustained soft sawtooth (additive, rolled off) with a periodic gain.
void addDrone(AudioBuffer& out, float frequency, int harmonics, float brightness, float pan,
              const std::function<float(float t)>& gain)
{
    const float f = loopFrequency(frequency, out.seconds());
    for (int frame = 0; frame < out.frames(); ++frame) {
        const float t = static_cast<float>(frame) / RATE;
        float sample = 0.0f;
        for (int k = 1; k <= harmonics; ++k) {
            sample += std::sin(TWO_PI * std::fmod(f * k * t, 1.0f)) / std::pow(static_cast<float>(k), brightness);
        }
        out.add(frame, sample * gain(t), pan);
    }
}

// A periodic bump: 1 at the given phase of a cycle of length period, easing off to 0.
float pulse(float t, float period, float attack, float decay)
{
    const float x = std::fmod(t, period);
    return x < attack ? std::sin(0.5f * PI * x / attack) : std::exp(-(x - attack) / decay);
}

}  // namespace

AudioBuffer SoundTracks::ballLost()
{
    AudioBuffer out(2.4, false);
    // The whoosh: noise through a band-pass falling from 3 kHz to 250 Hz.
    NoiseSpec whoosh;
    whoosh.type = Biquad::Type::BANDPASS;
    whoosh.frequency = 3000.0f;
    whoosh.q = 2.5f;
    whoosh.seed = 71;
    addNoise(
        out, whoosh,
        [](float t, int channel) {
            const float envelope = std::min(1.0f, t / 0.25f) * (t < 1.05f ? 1.0f : std::exp(-(t - 1.05f) / 0.05f));
            const float pan = 0.5f + (channel == 0 ? 1.0f : -1.0f) * 0.3f * (1.0f - t);
            return 1.6f * envelope * pan;
        },
        [](float t) { return 3000.0f * std::pow(250.0f / 3000.0f, std::min(1.0f, t / 1.1f)); });
    // A falling tone over it, like a marble dropping away.
    Instruments::chirp(out, 0.0, 1.05, 1100.0f, 170.0f, 7.0f, 0.01f, 0.16f, 0.1f);
    // The thud on landing, then two small bounces.
    Instruments::boom(out, 1.1, 62.0f, 0.16f, 0.9f, 0.0f, 73u);
    Instruments::boom(out, 1.42, 80.0f, 0.08f, 0.3f, -0.1f, 74u);
    Instruments::boom(out, 1.62, 95.0f, 0.05f, 0.12f, -0.15f, 75u);
    Reverb(0.4f, 0.5f).apply(out, 0.5f);
    // Fade the last 0.3 s so the effect ends in silence.
    for (int f = 0; f < out.frames(); ++f) {
        const float t = static_cast<float>(f) / RATE;
        const float fade = std::clamp((2.4f - t) / 0.3f, 0.0f, 1.0f);
        out.at(0, f) *= fade;
        out.at(1, f) *= fade;
    }
    out.normalise(PEAK);
    return out;
}

AudioBuffer SoundTracks::endLevel()
{
    AudioBuffer out(3.2, false);
    // Pick-up notes G4 C5 E5, a held G5, then the full C major chord.
    const int pickup[3] = {67, 72, 76};
    for (int i = 0; i < 3; ++i) {
        Instruments::brass(out, 0.12 * i, 0.1, midi(pickup[i]), 0.22f, -0.2f + 0.2f * i);
    }
    Instruments::brass(out, 0.36, 0.24, midi(79), 0.24f, 0.2f);
    const int chord[4] = {60, 64, 67, 72};
    for (int i = 0; i < 4; ++i) {
        Instruments::brass(out, 0.7, 1.3, midi(chord[i]), 0.17f, -0.45f + 0.3f * i);
    }
    Instruments::boom(out, 0.7, 65.4f, 0.35f, 0.45f, 0.0f, 81u);
    const int sparkle[5] = {84, 88, 91, 96, 100};
    for (int i = 0; i < 5; ++i) {
        Instruments::bell(out, 0.72 + 0.07 * i, midi(sparkle[i]), 0.9f, 0.05f, -0.6f + 0.3f * i);
    }
    Reverb(0.75f, 0.4f).apply(out, 0.9f);
    for (int f = 0; f < out.frames(); ++f) {
        const float t = static_cast<float>(f) / RATE;
        const float fade = std::clamp((3.2f - t) / 0.6f, 0.0f, 1.0f);
        out.at(0, f) *= fade;
        out.at(1, f) *= fade;
    }
    out.normalise(PEAK);
    return out;
}

AudioBuffer SoundTracks::jungleRhythm()
{
    constexpr double BEAT = 60.0 / 96.0;
    constexpr double STEP = BEAT / 4.0;  // a sixteenth
    constexpr int BARS = 16;
    AudioBuffer out(BARS * 4 * BEAT, true);
    Rng rng(1001);
    auto at = [&](int bar, int step) { return (bar * 16 + step) * STEP + rng.range(-0.004f, 0.004f); };

    // Chords as bass roots (MIDI) and chord tones for the melody's strong steps.
    struct Chord {
        int root;
        int tones[3];
    };
    const Chord G{43, {67, 71, 74}}, Em{40, {64, 67, 71}}, C{36, {64, 67, 72}}, D{38, {66, 69, 74}}, Am{45, {69, 72, 76}};
    const Chord progression[BARS] = {G, Em, C, D, G, Em, C, D, Em, C, G, D, C, Am, D, D};
    const int scale[] = {67, 69, 71, 74, 76, 79, 81, 83, 86, 88};  // G major pentatonic, G4 to E6
    constexpr int SCALE_SIZE = sizeof scale / sizeof scale[0];

    // Rhythms of the melody, one per bar: a 1 marks a note on that sixteenth.
    const int rhythms[4][16] = {{1, 0, 0, 1, 0, 0, 1, 0, 1, 0, 1, 0, 0, 0, 1, 0},
                                {1, 0, 1, 0, 0, 1, 0, 1, 1, 0, 0, 0, 1, 0, 1, 1},
                                {1, 0, 0, 0, 1, 0, 1, 1, 0, 0, 1, 0, 1, 0, 0, 0},
                                {1, 1, 0, 1, 0, 0, 1, 0, 1, 0, 1, 1, 0, 1, 0, 0}};
    // A two-bar motif comes back every four bars, varied: call and answer.
    std::vector<int> motif;
    int position = 4;
    for (int bar = 0; bar < BARS; ++bar) {
        const int pattern = (bar % 4 < 2) ? bar % 2 : 2 + rng.below(2);
        const Chord& chord = progression[bar];
        for (int step = 0; step < 16; ++step) {
            if (!rhythms[pattern][step]) {
                continue;
            }
            int note;
            if (step == 0 || step == 8) {
                note = chord.tones[rng.below(3)] + (rng.uniform() < 0.4f ? 12 : 0);
                position = static_cast<int>(std::lower_bound(scale, scale + SCALE_SIZE, note) - scale);
                position = std::min(position, SCALE_SIZE - 1);
            } else {
                position = std::clamp(position + rng.below(5) - 2, 0, SCALE_SIZE - 1);
                note = scale[position];
            }
            if (bar % 4 < 2 && bar >= 4 && static_cast<std::size_t>((bar % 4) * 16 + step) < motif.size() &&
                rng.uniform() < 0.7f) {
                note = motif[static_cast<std::size_t>((bar % 4) * 16 + step)];
            }
            if (bar < 2) {
                motif.resize(static_cast<std::size_t>(bar * 16 + 16), 0);
                motif[static_cast<std::size_t>(bar * 16 + step)] = note;
            }
            const float accent = (step % 4 == 0) ? 1.0f : 0.75f;
            Instruments::marimba(out, at(bar, step), midi(note), 0.22f * accent * rng.range(0.85f, 1.0f),
                                 rng.range(-0.3f, 0.3f));
            // Marimba players often double a note with a tremolo roll on long values.
            if (step % 8 == 0 && rng.uniform() < 0.25f) {
                Instruments::marimba(out, at(bar, step) + STEP, midi(note), 0.12f, 0.1f);
            }
        }
        // Bass marimba: root on 1, a syncopated fifth, root again.
        Instruments::marimba(out, at(bar, 0), midi(chord.root), 0.5f, -0.1f);
        Instruments::marimba(out, at(bar, 6), midi(chord.root + 7), 0.34f, -0.1f);
        Instruments::marimba(out, at(bar, 10), midi(chord.root + 12), 0.3f, -0.1f);
    }

    // Percussion.
    const int clave[2][16] = {{1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0},
                              {0, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0}};
    const int logLow[16] = {1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0};
    const int logHigh[16] = {0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 1, 0, 0, 1, 0};
    const int congaOpen[16] = {0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 1, 1};
    const int congaSlap[16] = {0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0};
    std::uint32_t hit = 0;
    for (int bar = 0; bar < BARS; ++bar) {
        const bool fill = bar % 4 == 3;
        for (int step = 0; step < 16; ++step) {
            const float shakerAccent = (step % 4 == 2) ? 1.0f : (step % 2 == 0 ? 0.6f : 0.4f);
            Instruments::shaker(out, at(bar, step), 0.22f * shakerAccent, 0.45f, 900u + hit++);
            if (clave[bar % 2][step]) {
                Instruments::clave(out, at(bar, step), 0.14f, -0.5f);
            }
            if (fill && step >= 8) {
                // A run down the log drum into the next phrase.
                Instruments::logDrum(out, at(bar, step), 200.0f - 6.0f * (step - 8), 0.32f, -0.2f + 0.05f * (step - 8));
            } else {
                if (logLow[step]) {
                    Instruments::logDrum(out, at(bar, step), 110.0f, 0.55f, -0.15f);
                }
                if (logHigh[step]) {
                    Instruments::logDrum(out, at(bar, step), 165.0f, 0.38f, 0.2f);
                }
            }
            if (congaOpen[step]) {
                Instruments::conga(out, at(bar, step), 330.0f, 0.28f, 0.35f, 500u + hit++);
            }
            if (congaSlap[step]) {
                Instruments::conga(out, at(bar, step), 420.0f, 0.3f, 0.35f, 600u + hit++);
            }
        }
    }
    Reverb(0.55f, 0.5f).apply(out, 0.7f);
    out.normalise(LAYER_PEAK);
    return out;
}

AudioBuffer SoundTracks::jungleAmbience()
{
    constexpr double LENGTH = 45.0;
    AudioBuffer out(LENGTH, true);
    Rng rng(2002);

    // Cicadas: high band of noise buzzing at 90 Hz, swelling three times per loop.
    NoiseSpec insects;
    insects.type = Biquad::Type::BANDPASS;
    insects.frequency = 5600.0f;
    insects.q = 5.0f;
    insects.seed = 2003;
    addNoise(out, insects, [&](float t, int channel) {
        const float buzz = std::pow(0.5f + 0.5f * std::sin(TWO_PI * 90.0f * t), 3.0f);
        const float swell = 0.25f + 0.75f * std::pow(0.5f + 0.5f * std::sin(TWO_PI * 3.0f * t / static_cast<float>(LENGTH) + channel * 1.7f), 2.0f);
        return 0.16f * buzz * swell;
    });
    // Leaves rustling in a few gusts, and a distant stream.
    NoiseSpec leaves;
    leaves.type = Biquad::Type::HIGHPASS;
    leaves.frequency = 1800.0f;
    leaves.seed = 2004;
    addNoise(out, leaves, [&](float t, int channel) {
        const float gust = std::pow(0.5f + 0.5f * std::sin(TWO_PI * 4.0f * t / static_cast<float>(LENGTH) + channel), 4.0f);
        return 0.02f + 0.06f * gust;
    });
    NoiseSpec stream;
    stream.type = Biquad::Type::BANDPASS;
    stream.frequency = 600.0f;
    stream.q = 0.8f;
    stream.smoothing = 0.6f;
    stream.seed = 2005;
    addNoise(out, stream, [](float, int) { return 0.18f; });

    // Crickets: two, chirping at steady rates that fit the loop exactly.
    for (int c = 0; c < 2; ++c) {
        const double period = LENGTH / (c == 0 ? 60 : 50);
        const float pitch = c == 0 ? 4300.0f : 4800.0f;
        for (double t = 0.11 * c; t < LENGTH; t += period) {
            for (int p = 0; p < 3; ++p) {
                Instruments::chirp(out, t + p * 0.03, 0.018, pitch, pitch, 0.0f, 0.0f, 0.035f, c == 0 ? -0.7f : 0.6f);
            }
        }
    }

    // Birds: calls of five kinds scattered through the loop, near and far.
    for (int call = 0; call < 34; ++call) {
        const double t = rng.range(0.0f, static_cast<float>(LENGTH));
        const float pan = rng.range(-0.9f, 0.9f);
        const float gain = rng.range(0.05f, 0.16f);
        switch (rng.below(5)) {
        case 0: {  // a falling whistle of two or three notes
            const int notes = 2 + rng.below(2);
            const float top = rng.range(2400.0f, 3200.0f);
            for (int n = 0; n < notes; ++n) {
                Instruments::chirp(out, t + n * 0.32, 0.24, top * (1.0f - 0.08f * n), top * (0.86f - 0.08f * n), 6.0f, 0.01f, gain, pan);
            }
            break;
        }
        case 1: {  // a fast trill
            const float pitch = rng.range(3200.0f, 4200.0f);
            const int notes = 8 + rng.below(6);
            for (int n = 0; n < notes; ++n) {
                Instruments::chirp(out, t + n * 0.055, 0.04, pitch * 1.05f, pitch * 0.95f, 0.0f, 0.0f, gain * 0.8f, pan);
            }
            break;
        }
        case 2:  // a warbling song phrase
            Instruments::chirp(out, t, 0.6, rng.range(2800.0f, 3400.0f), rng.range(3400.0f, 4000.0f), 28.0f, 0.07f, gain, pan);
            break;
        case 3: {  // a low, soft cooing from far away
            const int coos = 2 + rng.below(2);
            for (int n = 0; n < coos; ++n) {
                Instruments::chirp(out, t + n * 0.55, 0.4, 620.0f, 540.0f, 4.0f, 0.01f, gain * 0.8f, pan);
            }
            break;
        }
        default: {  // rising "wheep" calls
            const int calls = 2 + rng.below(2);
            for (int n = 0; n < calls; ++n) {
                Instruments::chirp(out, t + n * 0.38, 0.2, 1800.0f, 3300.0f, 0.0f, 0.0f, gain, pan);
            }
            break;
        }
        }
    }
    Reverb(0.85f, 0.5f).apply(out, 1.2f);
    out.normalise(LAYER_PEAK);
    return out;
}

AudioBuffer SoundTracks::lavaDrone()
{
    constexpr double LENGTH = 32.0;
    constexpr float PULSE = 4.0f;
    AudioBuffer out(LENGTH, true);
    Rng rng(3003);
    const float loop = static_cast<float>(LENGTH);

    // The drone: D1 and A1 with D2 above, swelling with each pulse; the filter
    // of the upper voice opens and closes twice per loop.
    auto swell = [&](float t) { return 0.55f + 0.45f * pulse(t, PULSE, 0.6f, 1.6f); };
    addDrone(out, 36.71f, 12, 1.2f, -0.2f, [&](float t) { return 0.30f * swell(t); });
    addDrone(out, 55.0f, 10, 1.4f, 0.2f, [&](float t) { return 0.20f * swell(t); });
    addDrone(out, 73.42f, 8, 1.8f, 0.0f,
             [&](float t) { return 0.10f * swell(t) * (0.6f + 0.4f * std::sin(TWO_PI * 2.0f * t / loop)); });
    // A dissonant E-flat far above, fading in and out: heat shimmer.
    addDrone(out, 155.56f, 4, 2.0f, 0.4f,
             [&](float t) { return 0.025f * std::pow(0.5f + 0.5f * std::sin(TWO_PI * t / loop), 3.0f); });

    // Rumble: dark noise, heavier on each pulse.
    NoiseSpec rumble;
    rumble.type = Biquad::Type::LOWPASS;
    rumble.frequency = 110.0f;
    rumble.q = 0.9f;
    rumble.smoothing = 0.9f;
    rumble.seed = 3004;
    addNoise(out, rumble, [&](float t, int) { return 3.5f * swell(t); });

    // A deep boom at every pulse.
    for (int p = 0; p < static_cast<int>(LENGTH / PULSE); ++p) {
        Instruments::boom(out, p * PULSE + 0.05, 41.0f, 0.9f, 0.55f, rng.range(-0.2f, 0.2f), 3100u + p);
    }
    // Lava bubbles: short rising bloops, and a crackle of tiny clicks.
    for (int b = 0; b < 40; ++b) {
        const float from = rng.range(60.0f, 90.0f);
        Instruments::chirp(out, rng.range(0.0f, loop), rng.range(0.08f, 0.18f), from, from * rng.range(1.6f, 2.4f), 0.0f, 0.0f,
                           rng.range(0.08f, 0.2f), rng.range(-0.7f, 0.7f));
    }
    for (int c = 0; c < 260; ++c) {
        Instruments::clave(out, rng.range(0.0f, loop), rng.range(0.004f, 0.015f), rng.range(-0.9f, 0.9f));
    }
    Reverb(0.8f, 0.8f).apply(out, 0.6f);
    out.normalise(PEAK);
    return out;
}

AudioBuffer SoundTracks::lagoonWaves()
{
    constexpr double LENGTH = 42.0;
    AudioBuffer out(LENGTH, true);
    Rng rng(4004);
    // Wave arrival times: irregular gaps of 5.5 to 8 s, stretched to fill the loop exactly.
    std::vector<float> gaps;
    float total = 0.0f;
    while (total < LENGTH - 8.0) {
        gaps.push_back(rng.range(5.5f, 8.0f));
        total += gaps.back();
    }
    std::vector<float> starts;
    std::vector<float> pans;
    float time = 0.3f;
    for (const float gap : gaps) {
        starts.push_back(time);
        pans.push_back(rng.range(-0.5f, 0.5f));
        time += gap * static_cast<float>(LENGTH) / total;
    }
    const float loop = static_cast<float>(LENGTH);
    // Each wave: a surge of low noise swelling in, then a hissing wash as it breaks.
    auto envelope = [&](float t, int channel, float delay, float rise, float fall, float flutter) {
        float sum = 0.0f;
        for (std::size_t w = 0; w < starts.size(); ++w) {
            float x = t - starts[w] - delay;
            x -= loop * std::floor(x / loop);  // the last wave runs on into the loop's start
            const float shape = x < rise ? std::pow(std::sin(0.5f * PI * x / rise), 2.0f) : std::exp(-(x - rise) / fall);
            const float side = 0.5f + (channel == 0 ? -0.5f : 0.5f) * pans[w];
            sum += shape * (1.0f + flutter * std::sin(TWO_PI * 7.0f * x + w)) * side;
        }
        return sum;
    };
    NoiseSpec surge;
    surge.type = Biquad::Type::LOWPASS;
    surge.frequency = 500.0f;
    surge.q = 0.7f;
    surge.smoothing = 0.5f;
    surge.seed = 4005;
    addNoise(out, surge, [&](float t, int channel) { return 2.0f * envelope(t, channel, 0.0f, 2.2f, 1.6f, 0.0f); });
    NoiseSpec wash;
    wash.type = Biquad::Type::HIGHPASS;
    wash.frequency = 1200.0f;
    wash.q = 0.6f;
    wash.smoothing = 0.55f;
    wash.seed = 4006;
    addNoise(out, wash, [&](float t, int channel) { return 0.6f * envelope(t, channel, 1.9f, 0.35f, 2.4f, 0.15f); });
    NoiseSpec sea;
    sea.type = Biquad::Type::LOWPASS;
    sea.frequency = 900.0f;
    sea.smoothing = 0.3f;
    sea.seed = 4007;
    addNoise(out, sea, [](float, int) { return 0.35f; });
    Reverb(0.5f, 0.6f).apply(out, 0.25f);
    out.normalise(LAYER_PEAK);
    return out;
}

AudioBuffer SoundTracks::lagoonPad()
{
    constexpr double BAR = 4.0;
    constexpr int BARS = 8;
    AudioBuffer out(BAR * BARS, true);
    Rng rng(5005);
    // Dmaj9, Bm7, Gmaj7, Asus4, Dmaj7, F#m7, Gmaj7, Em7: voiced close, moving little.
    const int chords[BARS][4] = {{50, 57, 61, 64}, {47, 54, 57, 62}, {43, 54, 59, 62}, {45, 52, 57, 62},
                                 {50, 57, 61, 66}, {42, 54, 57, 61}, {43, 54, 59, 62}, {40, 55, 59, 62}};
    for (int bar = 0; bar < BARS; ++bar) {
        for (int n = 0; n < 4; ++n) {
            const float gain = n == 0 ? 0.16f : 0.11f;
            Instruments::pad(out, bar * BAR, BAR + 0.6, midi(chords[bar][n] + (n == 0 ? 0 : 12)), gain, -0.4f + 0.27f * n);
        }
        Instruments::pad(out, bar * BAR, BAR + 0.6, midi(chords[bar][0] - 12), 0.12f, 0.0f);
    }
    // A few bell notes from D major pentatonic drifting over the chords.
    const int bells[] = {74, 76, 78, 81, 83, 86, 88, 90};
    for (int bar = 0; bar < BARS; ++bar) {
        const int count = 1 + rng.below(3);
        for (int i = 0; i < count; ++i) {
            const double t = bar * BAR + rng.below(8) * 0.5;
            Instruments::bell(out, t, midi(bells[rng.below(8)]), 1.4f, rng.range(0.04f, 0.07f), rng.range(-0.7f, 0.7f));
        }
    }
    Reverb(0.92f, 0.3f).apply(out, 1.4f);
    out.normalise(LAYER_PEAK);
    return out;
}
