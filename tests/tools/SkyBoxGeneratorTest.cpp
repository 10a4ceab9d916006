#include "tools/SkyBoxGenerator.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// The game's sky box: per face, the cube corners (half-size 3) drawn at
// texture coordinates (0,0), (1,0) and (0,1).
const float GAME_TABLE[6][3][3] = {
    {{-3, 3, -3}, {-3, 3, 3}, {-3, -3, -3}},  // left
    {{3, 3, 3}, {3, 3, -3}, {3, -3, 3}},      // right
    {{3, 3, 3}, {-3, 3, 3}, {3, 3, -3}},      // top
    {{3, -3, -3}, {-3, -3, -3}, {3, -3, 3}},  // bottom
    {{-3, 3, 3}, {3, 3, 3}, {-3, -3, 3}},     // front
    {{3, 3, -3}, {-3, 3, -3}, {3, -3, -3}},   // back
};

void expectDirection(const Vector3& d, const float* corner)
{
    const Vector3 expected = Vector3::normalized(Vector3(corner[0], corner[1], corner[2]));
    EXPECT_NEAR(d.x, expected.x, 1e-5f);
    EXPECT_NEAR(d.y, expected.y, 1e-5f);
    EXPECT_NEAR(d.z, expected.z, 1e-5f);
}

}  // namespace

TEST(SkyBoxGenerator, FaceDirectionsFollowTheGamesCornerTable)
{
    for (int face = 0; face < SkyBoxGenerator::FACE_COUNT; ++face) {
        SCOPED_TRACE(SkyBoxGenerator::faceName(face));
        expectDirection(SkyBoxGenerator::direction(face, 0.0f, 0.0f), GAME_TABLE[face][0]);
        expectDirection(SkyBoxGenerator::direction(face, 1.0f, 0.0f), GAME_TABLE[face][1]);
        expectDirection(SkyBoxGenerator::direction(face, 0.0f, 1.0f), GAME_TABLE[face][2]);
    }
    // The top face looks up, the bottom face down.
    EXPECT_NEAR(SkyBoxGenerator::direction(2, 0.5f, 0.5f).y, 1.0f, 1e-5f);
    EXPECT_NEAR(SkyBoxGenerator::direction(3, 0.5f, 0.5f).y, -1.0f, 1e-5f);
}
