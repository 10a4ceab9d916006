#pragma once

#include "math/Vector3.h"

class Matrix4;

// A ray whose direction the constructor normalizes.
class Ray {
public:
    Vector3 origin;
    Vector3 direction;

    Ray() = default;
    Ray(const Vector3& origin, const Vector3& direction);

    // Moves the ray into the frame of m; the direction is not renormalized.
    void transform(const Matrix4& m);
};

// Möller–Trumbore ray/triangle test. On a hit writes the ray parameter t and the
// barycentric u, v; the sign and range of t are for the caller to judge.
bool intersectRayTriangle(const Ray& ray, const Vector3& a, const Vector3& b, const Vector3& c,
                          float& t, float& u, float& v);
