#pragma once

#include "math/Matrix4.h"
#include "math/Vector3.h"

#include <cstdint>
#include <vector>

// The CPU side of particle drawing: turns sprites into camera-aligned quads cut
// from a 1024 x 1024 texture atlas, written into a vertex array that is sized
// once, so a frame needs one upload and one indexed draw. Holds no GL state,
// so the quad building is tested and timed without a context.
class SpriteBatch {
public:
    static constexpr int FRAME_COUNT = 1024;
    static constexpr float ATLAS_SIZE = 1024.0f;  // pixels along each edge
    static constexpr int VERTICES_PER_SPRITE = 4;
    static constexpr int INDICES_PER_SPRITE = 6;

    // addSprite results besides the sprite index.
    static constexpr int REFUSED = -1;        // no collection open, or the batch is full
    static constexpr int FRAME_INVALID = -2;  // frame outside 0..1023

    // The streamed vertex, uploaded as it is: texture coordinate, colour, position.
    struct Vertex {
        float u, v;
        float r, g, b, a;
        float x, y, z;
    };

    // Sizes the vertex array for maximumSprites quads and fills the fixed index array.
    void allocate(int maximumSprites);
    // Frees both arrays; afterwards every sprite is refused until the next allocate.
    void deallocate();

    // Frame k covers the atlas pixels origin .. origin + size; frames outside 0..1023 are ignored.
    void defineFrame(int frame, const float origin[2], const float size[2]);

    // Starts collecting a frame's sprites; camera right and up come from the view matrix.
    void prepare(const Matrix4& view, const Vector3& eye);
    // Appends one quad of edge lengths size (width, height), turned by angle radians in its
    // plane: facing the camera (billboard) or standing upright about world y. Returns the
    // sprite index, REFUSED or FRAME_INVALID.
    int addSprite(int frame, const Vector3& position, float r, float g, float b, float a,
                  const float size[2], float angle, bool billboard);
    // Ends collecting; the sprites stay until the next prepare.
    void finish();

    int maximumSprites() const { return maximum; }
    int spriteCount() const { return sprites; }
    int vertexCount() const { return vertexTotal; }
    bool isFrameDefined(int frame) const;
    const Vertex* vertices() const { return vertexArray.data(); }
    // INDICES_PER_SPRITE per sprite: for first vertex b, the triangles b, b+2, b+1 and b, b+3, b+2.
    const std::uint32_t* indices() const { return indexArray.data(); }

private:
    struct Frame {
        bool defined = false;
        float corners[VERTICES_PER_SPRITE][2] = {};  // texture coordinates of c0..c3
    };

    Frame frames[FRAME_COUNT];
    int maximum = 0;
    std::vector<Vertex> vertexArray;
    std::vector<std::uint32_t> indexArray;
    Vector3 cameraRight{1.0f, 0.0f, 0.0f};
    Vector3 cameraUp{0.0f, 1.0f, 0.0f};
    int sprites = 0;
    int vertexTotal = 0;
    bool open = false;
};
