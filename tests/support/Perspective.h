#pragma once

#include "math/Matrix4.h"

#include <cmath>

// gluPerspective's matrix, column-major, for tests that need a projection
// without a GL context.
inline Matrix4 perspective(float fovyDegrees, float aspect, float zNear, float zFar)
{
    const float f = 1.0f / std::tan(fovyDegrees * 0.017453292f / 2.0f);
    float m[16] = {};
    m[0] = f / aspect;
    m[5] = f;
    m[10] = (zFar + zNear) / (zNear - zFar);
    m[11] = -1.0f;
    m[14] = 2.0f * zFar * zNear / (zNear - zFar);
    return Matrix4(m);
}
