#pragma once

// The sky box cube around the eye. Per face, in the order "left", "right",
// "top", "bottom", "front", "back" (the level file's sky box entries), four
// corners, each a texture coordinate (s, t) and a cube corner (x, y, z) in units
// of the cube's half-size. The game draws its sky box with this table and the
// data generator paints the faces from it, so neighbouring pictures join along
// their shared edges.
struct SkyBoxCorner {
    float s, t;
    float x, y, z;
};

constexpr int SKYBOX_FACE_COUNT = 6;

constexpr SkyBoxCorner SKYBOX_CORNERS[SKYBOX_FACE_COUNT][4] = {
    {{0, 0, -1, 1, -1}, {1, 0, -1, 1, 1}, {1, 1, -1, -1, 1}, {0, 1, -1, -1, -1}},  // left
    {{1, 1, 1, -1, -1}, {0, 1, 1, -1, 1}, {0, 0, 1, 1, 1}, {1, 0, 1, 1, -1}},      // right
    {{0, 1, 1, 1, -1}, {0, 0, 1, 1, 1}, {1, 0, -1, 1, 1}, {1, 1, -1, 1, -1}},      // top
    {{1, 0, -1, -1, -1}, {1, 1, -1, -1, 1}, {0, 1, 1, -1, 1}, {0, 0, 1, -1, -1}},  // bottom
    {{0, 1, -1, -1, 1}, {0, 0, -1, 1, 1}, {1, 0, 1, 1, 1}, {1, 1, 1, -1, 1}},      // front
    {{0, 1, 1, -1, -1}, {0, 0, 1, 1, -1}, {1, 0, -1, 1, -1}, {1, 1, -1, -1, -1}},  // back
};
