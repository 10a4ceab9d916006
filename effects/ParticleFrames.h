#pragma once

class SpriteBatch;

// The game's particle atlas layout: which pixels of data/Textures/particle.tga
// each of the 40 sprite frames covers.
class ParticleFrames {
public:
    static constexpr int COUNT = 40;

    // Defines frames 0 .. COUNT-1 of the batch.
    static void defineAll(SpriteBatch& batch);
};
