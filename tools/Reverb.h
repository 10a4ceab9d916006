#pragma once

#include <vector>

class AudioBuffer;

// A stereo room reverb after the Schroeder-Moorer design that Freeverb uses:
// eight damped comb filters and four all-pass filters per channel, the right
// channel's delays slightly longer for width.
class Reverb {
public:
    // roomSize 0..1 sets the decay time, damping 0..1 the loss of treble per echo.
    Reverb(float roomSize, float damping);

    // Adds the reverberated signal, scaled by wet, to the buffer. A loop is run
    // through the reverb twice and the second pass kept, so the tail of the
    // loop's end rings on into its start.
    void apply(AudioBuffer& buffer, float wet);

private:
    struct Comb {
        std::vector<float> line;
        std::size_t position = 0;
        float store = 0.0f;
    };
    struct AllPass {
        std::vector<float> line;
        std::size_t position = 0;
    };

    float feedback;
    float damping;
    Comb combs[2][8];
    AllPass allPasses[2][4];
};
