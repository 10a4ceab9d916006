#pragma once

class SpriteBatch;

// The game's particle atlas layout: which pixels of data/Textures/particle.tga
// each of the 40 sprite frames covers. The data generator paints the atlas
// into the same rectangles.
class ParticleFrames {
public:
    static constexpr int COUNT = 40;

    // A frame's rectangle in atlas pixels, origin at the top-left of the picture
    // (texture coordinate t = y / 1024).
    struct Rectangle {
        int x;
        int y;
        int width;
        int height;
    };

    static Rectangle rectangle(int frame);
    // Defines frames 0 .. COUNT-1 of the batch.
    static void defineAll(SpriteBatch& batch);
};
