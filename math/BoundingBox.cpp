#include "math/BoundingBox.h"

#include "math/Ray.h"

#include <algorithm>
#include <cmath>

void BoundingBox::grow(const Vector3& p)
{
    if (p.x < min.x) min.x = p.x;
    if (p.x > max.x) max.x = p.x;
    if (p.y < min.y) min.y = p.y;
    if (p.y > max.y) max.y = p.y;
    if (p.z < min.z) min.z = p.z;
    if (p.z > max.z) max.z = p.z;
}

void BoundingBox::grow(const Vector3* points, int count, std::size_t stride)
{
    const char* bytes = reinterpret_cast<const char*>(points);
    for (int i = 0; i < count; ++i)
        grow(*reinterpret_cast<const Vector3*>(bytes + i * stride));
}

Vector3 BoundingBox::center() const
{
    return (min + max) * 0.5f;
}

float BoundingBox::distanceTo(const Vector3& point) const
{
    if (min.x > max.x)
        return 1.0e30f;
    const float dx = std::max({min.x - point.x, 0.0f, point.x - max.x});
    const float dy = std::max({min.y - point.y, 0.0f, point.y - max.y});
    const float dz = std::max({min.z - point.z, 0.0f, point.z - max.z});
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

bool BoundingBox::intersectsSegment(const Ray& ray, float length) const
{
    const float o[3] = {ray.origin.x, ray.origin.y, ray.origin.z};
    const Vector3 dv = ray.direction * length;
    const float d[3] = {dv.x, dv.y, dv.z};
    const float lo[3] = {min.x, min.y, min.z};
    const float hi[3] = {max.x, max.y, max.z};

    // Slab test against the faces the origin sees from outside.
    bool inside = true;
    float T[3];
    for (int i = 0; i < 3; ++i) {
        if (o[i] < lo[i]) {
            if (lo[i] - o[i] > d[i])
                return false;
            T[i] = (lo[i] - o[i]) / d[i];
            inside = false;
        } else if (o[i] > hi[i]) {
            if (hi[i] - o[i] < d[i])
                return false;
            T[i] = (hi[i] - o[i]) / d[i];
            inside = false;
        } else {
            T[i] = -1.0f;
        }
    }
    if (inside)
        return true;

    int axis = 0;
    if (T[1] > T[axis]) axis = 1;
    if (T[2] > T[axis]) axis = 2;
    for (int i = 0; i < 3; ++i) {
        if (i == axis)
            continue;
        const float p = o[i] + T[axis] * d[i];
        if (p < lo[i] || p > hi[i])
            return false;
    }
    return true;
}
