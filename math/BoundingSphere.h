#pragma once

#include "math/Vector3.h"

#include <cstddef>

class Ray;

class BoundingSphere {
public:
    Vector3 center;
    float radius = 0.0f;

    // Centre at the mean of the points, radius to the farthest of them.
    // count points, stride bytes apart; an empty set gives the zero sphere.
    static BoundingSphere fromPoints(const Vector3* points, int count,
                                     std::size_t stride = sizeof(Vector3));
    // Entry distance along a unit-direction ray below maxDistance. A sphere
    // wholly behind the origin also answers true; callers accept that.
    bool intersectsRay(const Ray& ray, float maxDistance) const;
};
