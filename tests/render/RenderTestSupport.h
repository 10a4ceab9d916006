#pragma once

#include "math/Matrix4.h"
#include "math/Vector3.h"
#include "math/Vertex.h"
#include "render/BoxObject.h"

#include <GL/glew.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// Shared set-up of the render tests that draw: one GL context, a private working
// folder holding the game's effect (data/shaders) and written meshes
// (data/meshes), the effect, the physics world and a few materials.
namespace rendertest {

constexpr int WIDTH = 320;
constexpr int HEIGHT = 240;

// Materials added by setUp(), by number.
struct Materials {
    // Diffuse red 0.91, 0.92 and 0.93 respectively, to tell them apart in "Kd".
    int red = 0;       // lit, checker texture, no normal map
    int blue = 0;      // lit, checker texture, no normal map
    int bumpy = 0;     // lit, checker texture and a bumpy normal map (parallax pass)
};

// Once per process; later calls return the same materials.
const Materials& setUp();

// Writes data/meshes/<fileName> through OGRE's serializer: positions, normals and
// texture coordinates of vertices, one sub-mesh with 32-bit indices.
void writeMesh(const std::string& fileName, const std::vector<Vertex>& vertices,
               const std::vector<std::uint32_t>& indices);

// Perspective camera at eye looking at target; loads the GL matrices and publishes
// the view, eye, light, frustum and the scene pass in FrameData. Also sets the
// effect's per-frame parameters (light far from any shadow).
void applyCamera(const Vector3& eye, const Vector3& target);
Matrix4 viewMatrix(const Vector3& eye, const Vector3& target);

// FrameData and RenderManager switches as at the start of a scene pass: culling
// on, blending on, no depth pass, nothing hiding the ball; the blended queue empty.
void resetFrame();

// Clears colour and depth to dark grey.
void clear();

using Image = std::vector<std::uint8_t>;  // RGBA, rows top-down
Image capture();
// Writes <name>.ppm into the test's build folder for viewing.
void save(const Image& image, const std::string& name);
// Pixels whose largest channel difference exceeds tolerance.
int differingPixels(const Image& a, const Image& b, int tolerance);
// Pixels that differ from the clear colour.
int coveredPixels(const Image& image);
// RGBA at (x, y), y counted from the top.
const std::uint8_t* pixel(const Image& image, int x, int y);
// Window position of a world point under the current GL matrices (y from the top).
void project(const Vector3& world, float& x, float& y);

// Releases an object's buffers before deleting it, as its owners do.
struct Release {
    void operator()(RenderObject* object) const
    {
        object->releaseBuffers();
        delete object;
    }
};
template <typename T>
using Owned = std::unique_ptr<T, Release>;

// What a ProbeBox saw when it was asked to draw.
struct DrawRecord {
    int id = -1;
    bool storedWorld = false;
    float kd[4] = {};      // the effect's "Kd" in the current program
    int program = 0;       // the current program: tells the effect passes apart
    int frontFace = 0;     // GL_CW or GL_CCW
};

// "Kd" after a probe has drawn: a later probe that still sees it knows that no
// material was applied in between.
extern const float KD_SENTINEL[4];

// A unit box that logs every render call, then overwrites "Kd" with KD_SENTINEL
// and draws as any box does.
class ProbeBox : public BoxObject {
public:
    ProbeBox(std::vector<DrawRecord>& log, int objectId, int material);
    void render(int renderMethod, bool useDisplayLists, bool useStoredWorld) override;

private:
    std::vector<DrawRecord>& log;
};

// The GL program of the effect pass of that name.
int passProgram(const char* name);

}  // namespace rendertest
