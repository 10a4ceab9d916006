#pragma once

#include "math/BoundingSphere.h"
#include "math/Matrix4.h"

// The six planes (a, b, c, d) of a view volume, each with a unit normal pointing
// inwards, in the order far, near, bottom, top, right, left. A point p is inside a
// plane when a*p.x + b*p.y + c*p.z + d > 0.
struct Frustum {
    enum Plane { FAR = 0, NEAR, BOTTOM, TOP, RIGHT, LEFT, PLANE_COUNT };
    float planes[PLANE_COUNT][4] = {};
};

// The planes of the volume seen through projection after view (view applied first).
Frustum extractFrustum(const Matrix4& projection, const Matrix4& view);

// False when the sphere, moved by world, lies wholly behind one of the planes
// (a centre exactly radius behind counts as outside). The radius is not scaled:
// world matrices hold no scale.
bool sphereInFrustum(const Frustum& frustum, const BoundingSphere& sphere, const Matrix4& world);
