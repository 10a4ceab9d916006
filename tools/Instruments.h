#pragma once

#include <cstdint>

class AudioBuffer;

// Synthesised voices that add one note or call to a buffer. Times are in
// seconds from the buffer's start (a looping buffer wraps them), frequencies
// in Hz, gains linear, pans from -1 (left) to 1 (right).
class Instruments {
public:
    // A wooden bar: three modes tuned like a marimba's (1 : 3.9 : 9.2), a soft mallet click.
    static void marimba(AudioBuffer& out, double start, float frequency, float gain, float pan);
    // A slit log drum: a round, slightly bending tone with a knock.
    static void logDrum(AudioBuffer& out, double start, float frequency, float gain, float pan);
    // A hand drum: a short pitched body and a slap of noise.
    static void conga(AudioBuffer& out, double start, float frequency, float gain, float pan, std::uint32_t seed);
    // A seed shaker: a short burst of high band-passed noise.
    static void shaker(AudioBuffer& out, double start, float gain, float pan, std::uint32_t seed);
    // Two hardwood sticks: a bright, very short click.
    static void clave(AudioBuffer& out, double start, float gain, float pan);
    // One whistled bird note gliding from one pitch to another with vibrato.
    static void chirp(AudioBuffer& out, double start, double duration, float fromHz, float toHz, float vibratoHz,
                      float vibratoDepth, float gain, float pan);
    // A bright brass tone that grows brighter as it grows louder.
    static void brass(AudioBuffer& out, double start, double duration, float frequency, float gain, float pan);
    // A struck metal bar: inharmonic partials that ring out, upper ones first.
    static void bell(AudioBuffer& out, double start, float frequency, float decay, float gain, float pan);
    // A warm pad note of three detuned voices with slow attack and release.
    static void pad(AudioBuffer& out, double start, double duration, float frequency, float gain, float pan);
    // A deep impact: a sine falling in pitch with a thump of low noise.
    static void boom(AudioBuffer& out, double start, float frequency, float decay, float gain, float pan,
                     std::uint32_t seed);
};
