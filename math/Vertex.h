#pragma once

#include "math/Vector3.h"

#include <cstddef>

// The 60-byte vertex of every render object, uploaded to buffer objects as is
// and read by the physics when it builds triangle meshes.
struct Vertex {
    float u = 0.0f, v = 0.0f;   // texture unit 0
    Vector3 tangent;            // texture unit 1
    Vector3 binormal;           // texture unit 2, xyz
    float handedness = 0.0f;    // texture unit 2, w: +1 or -1
    Vector3 normal;
    Vector3 position;           // object space
};

static_assert(sizeof(Vertex) == 60, "Vertex must stay 60 bytes: buffers and strides depend on it");
static_assert(offsetof(Vertex, u) == 0 && offsetof(Vertex, tangent) == 8 &&
                  offsetof(Vertex, binormal) == 20 && offsetof(Vertex, handedness) == 32 &&
                  offsetof(Vertex, normal) == 36 && offsetof(Vertex, position) == 48,
              "Vertex attribute offsets are fixed by the drawing code");
