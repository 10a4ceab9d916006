#pragma once

#include "math/Vector3.h"
#include "render/BoxObject.h"

#include <cstdint>
#include <memory>
#include <vector>

// Shared set-up of the render tests that draw: one GL context in a private
// working folder holding the game's effect, the effect and the physics world
// started, and three materials.
namespace rendertest {

constexpr int WIDTH = 320;
constexpr int HEIGHT = 240;

// Material numbers; diffuse red 0.91, 0.92 and 0.93 tell them apart in "Kd".
struct Materials {
    int red = 0;    // lit, checker texture
    int blue = 0;   // lit, checker texture
    int bumpy = 0;  // lit, checker texture and a normal map (parallax pass)
};

// Sets everything up on the first call; every call then resets FrameData and the
// RenderManager switches as at the start of a scene pass: culling and blending
// on, no depth pass, nothing hiding the ball, the blended queue empty.
const Materials& startScenePass();

// Perspective camera at eye looking at target: the GL matrices, FrameData (view,
// eye, light, frustum, scene pass) and the effect's per-frame parameters.
void applyCamera(const Vector3& eye, const Vector3& target);
// FrameData's ray from the eye to the ball.
void lookAtBall(const Vector3& eye, const Vector3& ball);

using Image = std::vector<std::uint8_t>;  // RGBA, rows top-down
void clear();                             // colour and depth; grey 51
// The window's pixels; with a name also written to <name>.ppm in the test's build folder.
Image capture(const char* name = nullptr);
// Pixels whose largest channel difference exceeds tolerance.
int differingPixels(const Image& a, const Image& b, int tolerance);
// Pixels that differ from the clear colour.
int coveredPixels(const Image& image);
// RGBA at (x, y), y counted from the top.
const std::uint8_t* pixel(const Image& image, int x, int y);
// Display lists, and buffer objects, among the names 1 .. 4000.
int countLists();
int countBuffers();
// The GL program of the effect pass of that name.
int passProgram(const char* name);

// Releases an object's buffers before deleting it, as its owners do.
struct Release {
    void operator()(RenderObject* object) const
    {
        object->releaseBuffers();
        delete object;
    }
};
template <typename T> using Owned = std::unique_ptr<T, Release>;

// What a ProbeBox saw when it was asked to draw.
struct DrawRecord {
    int id = -1;
    bool storedWorld = false;
    float kd[4] = {};  // "Kd" in the current program
    int program = 0;   // tells the effect passes apart
    int frontFace = 0;
};

// "Kd" after a probe has drawn: a later probe that still sees it knows that no
// material was applied in between.
extern const float KD_SENTINEL[4];

// A unit box that logs every render call, then sets "Kd" to KD_SENTINEL and
// draws as any box does.
class ProbeBox : public BoxObject {
public:
    ProbeBox(std::vector<DrawRecord>& log, int objectId, int material);
    void render(int renderMethod, bool useDisplayLists, bool useStoredWorld) override;

private:
    std::vector<DrawRecord>& log;
};

}  // namespace rendertest
