#pragma once

#include "tools/AudioBuffer.h"

// The game's sound effects and level music, synthesised. The music loops are
// built on circular buffers (notes, echoes and filter states run on across the
// loop point), so each plays seamlessly when repeated. Sounds that play alone
// are normalised to 1 dB below full scale; the two layers of the jungle and of
// the lagoon music play at the same time, so each is normalised to half of full
// scale and their sum cannot clip.
class SoundTracks {
public:
    static constexpr float PEAK = 0.891f;       // -1 dBFS
    static constexpr float LAYER_PEAK = 0.5f;   // -6 dBFS

    // "ballLost.wav": a falling whoosh and a descending tone, then a thud and two small bounces.
    static AudioBuffer ballLost();
    // "endLevel.wav": a short bright brass fanfare in C with a sparkle of bells.
    static AudioBuffer endLevel();
    // "backgroundJungle01.mp3": marimba melody and bass over log drums, congas,
    // claves and shakers; G major pentatonic, 96 BPM, 16 bars (40 s).
    static AudioBuffer jungleRhythm();
    // "backgroundJungle02.mp3": rain-forest ambience: insects, crickets, calls
    // of several kinds of birds, rustling leaves and a distant stream (45 s).
    static AudioBuffer jungleAmbience();
    // "backgroundLava01.wav": a deep D drone with a slow pulse every 4 s, deep
    // booms, rumbling, bubbling and crackling lava (32 s).
    static AudioBuffer lavaDrone();
    // "backgroundLagoon01.wav": waves surging and washing on a beach (42 s).
    static AudioBuffer lagoonWaves();
    // "backgroundLagoon02.wav": a soft, slowly changing pad in D major with a
    // few bell notes, in a wide reverb (32 s).
    static AudioBuffer lagoonPad();
};
