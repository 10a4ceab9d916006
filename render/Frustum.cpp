#include "render/Frustum.h"

#include <cmath>

Frustum extractFrustum(const Matrix4& projection, const Matrix4& view)
{
    const Matrix4 m = view * projection;
    // Row r of the clip matrix.
    auto row = [&m](int r, int c) { return m[c * 4 + r]; };
    Frustum f;
    for (int c = 0; c < 4; ++c) {
        f.planes[Frustum::FAR][c] = row(3, c) - row(2, c);
        f.planes[Frustum::NEAR][c] = row(3, c) + row(2, c);
        f.planes[Frustum::BOTTOM][c] = row(3, c) + row(1, c);
        f.planes[Frustum::TOP][c] = row(3, c) - row(1, c);
        f.planes[Frustum::RIGHT][c] = row(3, c) - row(0, c);
        f.planes[Frustum::LEFT][c] = row(3, c) + row(0, c);
    }
    for (auto& plane : f.planes) {
        const float length = std::sqrt(plane[0] * plane[0] + plane[1] * plane[1] + plane[2] * plane[2]);
        if (length > 0.0f) {
            for (float& value : plane)
                value /= length;
        }
    }
    return f;
}

bool sphereInFrustum(const Frustum& frustum, const BoundingSphere& sphere, const Matrix4& world)
{
    const Vector3 c = Matrix4::transformPoint(world, sphere.center);
    for (const auto& plane : frustum.planes) {
        const float distance = plane[0] * c.x + plane[1] * c.y + plane[2] * c.z + plane[3];
        if (distance <= -sphere.radius)
            return false;
    }
    return true;
}
