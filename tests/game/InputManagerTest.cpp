#include "game/InputManager.h"

#include "FakeCursor.h"

#include <GL/freeglut_std.h>
#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

namespace {

class InputManagerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        cursor = installFakeCursor(1280, 1024, 0, 0);
        input = InputManager::instance();
    }

    InputManager* input = nullptr;
    FakeCursor* cursor = nullptr;
    const int x = 0, y = 0;
};

}  // namespace

TEST_F(InputManagerTest, PressIsReportedOnce)
{
    input->keyDown(13, x, y);
    EXPECT_TRUE(input->wasKeyPressed(13));
    EXPECT_FALSE(input->wasKeyPressed(13));
    EXPECT_FALSE(input->isKeyDown(13));
    // Pressed and released between two polls (a tap shorter than a frame):
    // reported once, and not held.
    input->keyDown('r', x, y);
    input->keyUp('r', x, y);
    EXPECT_FALSE(input->isKeyDown('r'));
    EXPECT_TRUE(input->wasKeyPressed('r'));
    EXPECT_FALSE(input->wasKeyPressed('r'));
    input->specialDown(GLUT_KEY_F3, x, y);
    input->specialUp(GLUT_KEY_F3, x, y);
    EXPECT_TRUE(input->wasKeyPressed(InputManager::SPECIAL_KEY_BASE + GLUT_KEY_F3));
}

// Special keys sit above the character keys; keys and buttons beyond the tables
// are ignored, never written, and read as up.
TEST_F(InputManagerTest, KeysAndButtonsAreHeldUntilReleased)
{
    const int f1 = InputManager::SPECIAL_KEY_BASE + GLUT_KEY_F1;
    input->keyDown('a', x, y);
    input->specialDown(GLUT_KEY_F1, x, y);
    input->mouseButton(GLUT_RIGHT_BUTTON, GLUT_DOWN, x, y);
    input->specialDown(4000, x, y);
    input->mouseButton(3, GLUT_DOWN, x, y);
    input->mouseButton(-1, GLUT_DOWN, x, y);
    EXPECT_TRUE(input->isKeyDown('a'));
    EXPECT_FALSE(input->isKeyDown('A'));
    EXPECT_TRUE(input->isKeyDown(f1));
    EXPECT_FALSE(input->isKeyDown(GLUT_KEY_F1));
    EXPECT_TRUE(input->isMouseButtonDown(GLUT_RIGHT_BUTTON));
    for (const int key : {-1, 512, 100000}) {
        EXPECT_FALSE(input->isKeyDown(key)) << key;
        EXPECT_FALSE(input->wasKeyPressed(key)) << key;
    }
    EXPECT_FALSE(input->isMouseButtonDown(3));
    EXPECT_FALSE(input->isMouseButtonDown(-1));
    input->keyUp('a', x, y);
    input->specialUp(GLUT_KEY_F1, x, y);
    input->mouseButton(GLUT_RIGHT_BUTTON, GLUT_UP, x, y);
    EXPECT_FALSE(input->isKeyDown('a'));
    EXPECT_FALSE(input->isKeyDown(f1));
    EXPECT_FALSE(input->isMouseButtonDown(GLUT_RIGHT_BUTTON));
}

TEST_F(InputManagerTest, CursorAtAnEdgeJumpsToTheOppositeSide)
{
    MouseDelta delta;
    cursor->x = 5, cursor->y = 500;
    input->getMouseDelta(delta);
    cursor->x = 0;
    input->getMouseDelta(delta);
    EXPECT_EQ(delta.x, -5);  // measured before the jump
    ASSERT_EQ(cursor->warps.size(), 1u);
    EXPECT_EQ(cursor->warps[0], std::make_pair(1278, 500));
    cursor->x = 1270;
    input->getMouseDelta(delta);
    EXPECT_EQ(delta.x, -8);  // from the new position, the jump costs nothing
}

TEST_F(InputManagerTest, InAWindowTheCursorWrapsAtTheWindowEdgesAlsoWhenItJumpedPast)
{
    cursor->keepIn(100, 50, 640, 480);  // right edge x = 739, bottom y = 529
    MouseDelta delta;
    const struct {
        int x, y;
        std::pair<int, int> warp;
    } cases[] = {
        {100, 300, {738, 300}},  // on the left edge
        {90, 300, {738, 300}},   // past it: a fast move between two frames
        {760, 300, {101, 300}},  // past the right edge
        {400, 50, {400, 528}},   // top
        {400, 600, {400, 51}},   // below the bottom
    };
    for (const auto& c : cases) {
        cursor->x = 400, cursor->y = 300;
        input->getMouseDelta(delta);
        cursor->x = c.x, cursor->y = c.y;
        cursor->warps.clear();
        input->getMouseDelta(delta);
        EXPECT_EQ(delta.x, c.x - 400);  // measured before the jump
        ASSERT_EQ(cursor->warps.size(), 1u) << c.x << "," << c.y;
        EXPECT_EQ(cursor->warps[0], c.warp);
    }

    // An inactive window keeps no cursor: it goes where the player takes it.
    cursor->keepIn(0, 0, 0, 0);
    cursor->warps.clear();
    cursor->x = 5;
    input->getMouseDelta(delta);
    EXPECT_TRUE(cursor->warps.empty());
}

// The first delta is measured from the origin; an unreadable cursor gives no movement.
TEST_F(InputManagerTest, DeltaIsTheCursorsMoveSinceTheLastRead)
{
    cursor->x = 300, cursor->y = 200;
    MouseDelta delta;
    input->getMouseDelta(delta);
    EXPECT_EQ(delta.x, 300);
    EXPECT_EQ(delta.y, 200);
    cursor->readable = false;
    input->getMouseDelta(delta);
    EXPECT_EQ(delta.x, 0);
    EXPECT_EQ(delta.y, 0);
}
