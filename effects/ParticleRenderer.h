#pragma once

#include "effects/SpriteBatch.h"

// Draws the sprites a SpriteBatch collected: one copy into a streamed vertex buffer
// and one indexed draw per frame from a static index buffer, blended additively
// with the particle atlas. Needs a current GL context for load, render and release.
class ParticleRenderer : public SpriteBatch {
public:
    static constexpr int VERTEX_BYTES_PER_SPRITE = VERTICES_PER_SPRITE * sizeof(Vertex);
    static constexpr int INDEX_BYTES_PER_SPRITE = INDICES_PER_SPRITE * 4;

    ParticleRenderer() = default;
    // Deletes the buffer objects, if any are left.
    ~ParticleRenderer();
    ParticleRenderer(const ParticleRenderer&) = delete;
    ParticleRenderer& operator=(const ParticleRenderer&) = delete;

    // Loads the atlas through TextureManager (mipmapped, compressed, repeating) and
    // creates the arrays and buffer objects for maximumSprites sprites.
    void load(const char* textureFile, int maximumSprites);
    // Draws the sprites collected last. Afterwards blending is off, depth writes and
    // lighting are on, and no texture, buffer or client array is bound or enabled;
    // the blend function stays additive.
    void render();
    // Frees both arrays and deletes both buffer objects; the atlas stays with TextureManager.
    void release();

    unsigned int texture() const { return atlas; }
    unsigned int vertexBufferObject() const { return vertexBuffer; }
    unsigned int indexBufferObject() const { return indexBuffer; }

private:
    unsigned int atlas = 0;  // GL names; GL stays out of this header
    unsigned int vertexBuffer = 0;
    unsigned int indexBuffer = 0;
};
