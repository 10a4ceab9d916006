#pragma once

#include "tools/Colour.h"
#include "tools/Image.h"

#include "math/Vector3.h"
#include "render/SkyBoxCorners.h"

// The sky boxes of the three worlds. Every pixel of a face is coloured from
// the view direction through it, taken from SKYBOX_CORNERS, the table the
// game's sky box is drawn with, so neighbouring faces agree along their edges.
class SkyBoxGenerator {
public:
    enum class World { JUNGLE, VOLCANO, LAGOON };
    static constexpr int FACE_COUNT = SKYBOX_FACE_COUNT;

    // "left", "right", "top", "bottom", "front", "back": the order of the level
    // file's sky box entries and of the game's face table.
    static const char* faceName(int face);
    static const char* worldName(World world);

    // The unit view direction through texture coordinate (s, t) of a face, in
    // the sky box's own frame (y up).
    static Vector3 direction(int face, float s, float t);
    static Image face(World world, int face, int size);
    static Colour sky(World world, const Vector3& direction);
};
