#include "math/BoundingSphere.h"

#include "math/Ray.h"

#include <cmath>

namespace {
const Vector3& pointAt(const Vector3* points, int i, std::size_t stride)
{
    return *reinterpret_cast<const Vector3*>(reinterpret_cast<const char*>(points) + i * stride);
}
}

BoundingSphere BoundingSphere::fromPoints(const Vector3* points, int count, std::size_t stride)
{
    BoundingSphere s;
    if (count <= 0)
        return s;
    Vector3 sum;
    for (int i = 0; i < count; ++i)
        sum += pointAt(points, i, stride);
    s.center = sum * (1.0f / static_cast<float>(count));
    float largest = 0.0f;
    for (int i = 0; i < count; ++i) {
        const Vector3 d = pointAt(points, i, stride) - s.center;
        const float squared = d.dot(d);
        if (squared > largest)
            largest = squared;
    }
    s.radius = std::sqrt(largest);
    return s;
}

bool BoundingSphere::intersectsRay(const Ray& ray, float maxDistance) const
{
    const Vector3 w = ray.origin - center;
    const float b = ray.direction.dot(w);
    const float disc = b * b - (w.dot(w) - radius * radius);
    if (disc < 0.0f)
        return false;
    const float t0 = -b - std::sqrt(disc);
    return t0 < maxDistance;
}
