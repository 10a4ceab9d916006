#pragma once

#include "math/Vector3.h"

#include <cstddef>

class Ray;

// Axis-aligned box. Starts inverted (min 10000, max -10000) so that growing an
// empty box by points never shrinks a real extent.
class BoundingBox {
public:
    Vector3 min{10000.0f, 10000.0f, 10000.0f};
    Vector3 max{-10000.0f, -10000.0f, -10000.0f};

    void grow(const Vector3& point);
    // count points, stride bytes apart (a Vertex array's positions, for example).
    void grow(const Vector3* points, int count, std::size_t stride = sizeof(Vector3));
    Vector3 center() const;
    // Distance from point to the nearest point of the box; 0 inside. An empty
    // (inverted) box is everywhere far away.
    float distanceTo(const Vector3& point) const;
    // Does the segment origin .. origin + direction * length touch the box?
    bool intersectsSegment(const Ray& ray, float length) const;
};
