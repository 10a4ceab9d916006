#include "math/Matrix4.h"

#include <cmath>
#include <cstring>

Matrix4::Matrix4() : m{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1} {}

Matrix4::Matrix4(const float values[16])
{
    std::memcpy(m, values, sizeof(m));
}

Matrix4 Matrix4::operator*(const Matrix4& b) const
{
    // The algebraic product b·a, so that a acts on a point first.
    Matrix4 r;
    for (int c = 0; c < 4; ++c) {
        for (int row = 0; row < 4; ++row) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k)
                sum += b.m[k * 4 + row] * m[c * 4 + k];
            r.m[c * 4 + row] = sum;
        }
    }
    return r;
}

bool Matrix4::operator==(const Matrix4& o) const
{
    return std::memcmp(m, o.m, sizeof(m)) == 0;
}

Matrix4 Matrix4::translation(const Vector3& t)
{
    Matrix4 r;
    r.m[12] = t.x;
    r.m[13] = t.y;
    r.m[14] = t.z;
    return r;
}

Matrix4 Matrix4::rotationX(float a)
{
    Matrix4 r;
    r.m[5] = std::cos(a);
    r.m[6] = std::sin(a);
    r.m[9] = -std::sin(a);
    r.m[10] = std::cos(a);
    return r;
}

Matrix4 Matrix4::rotationY(float a)
{
    Matrix4 r;
    r.m[0] = std::cos(a);
    r.m[2] = -std::sin(a);
    r.m[8] = std::sin(a);
    r.m[10] = std::cos(a);
    return r;
}

Matrix4 Matrix4::rotationZ(float a)
{
    Matrix4 r;
    r.m[0] = std::cos(a);
    r.m[1] = std::sin(a);
    r.m[4] = -std::sin(a);
    r.m[5] = std::cos(a);
    return r;
}

Matrix4 Matrix4::rotationXYZ(float x, float y, float z)
{
    return rotationZ(z) * rotationX(x) * rotationY(y);
}

Matrix4 Matrix4::inverseAffine(const Matrix4& a)
{
    const float* s = a.m;
    const float det = s[0] * (s[5] * s[10] - s[9] * s[6]) - s[1] * (s[4] * s[10] - s[8] * s[6]) +
                      s[2] * (s[4] * s[9] - s[8] * s[5]);
    Matrix4 r;
    if (det == 0.0f)
        return r;
    const float inv = 1.0f / det;
    float* d = r.m;
    d[0] = (s[5] * s[10] - s[6] * s[9]) * inv;
    d[1] = (s[2] * s[9] - s[1] * s[10]) * inv;
    d[2] = (s[1] * s[6] - s[2] * s[5]) * inv;
    d[4] = (s[6] * s[8] - s[4] * s[10]) * inv;
    d[5] = (s[0] * s[10] - s[2] * s[8]) * inv;
    d[6] = (s[2] * s[4] - s[0] * s[6]) * inv;
    d[8] = (s[4] * s[9] - s[5] * s[8]) * inv;
    d[9] = (s[1] * s[8] - s[0] * s[9]) * inv;
    d[10] = (s[0] * s[5] - s[1] * s[4]) * inv;
    d[3] = d[7] = d[11] = 0.0f;
    d[15] = 1.0f;
    d[12] = -(d[0] * s[12] + d[4] * s[13] + d[8] * s[14]);
    d[13] = -(d[1] * s[12] + d[5] * s[13] + d[9] * s[14]);
    d[14] = -(d[2] * s[12] + d[6] * s[13] + d[10] * s[14]);
    return r;
}

Matrix4 Matrix4::transposed(const Matrix4& a)
{
    Matrix4 r;
    for (int row = 0; row < 4; ++row)
        for (int c = 0; c < 4; ++c)
            r.m[row * 4 + c] = a.m[c * 4 + row];
    return r;
}

Vector3 Matrix4::transformPoint(const Matrix4& a, const Vector3& p)
{
    const float* s = a.m;
    return {s[0] * p.x + s[4] * p.y + s[8] * p.z + s[12],
            s[1] * p.x + s[5] * p.y + s[9] * p.z + s[13],
            s[2] * p.x + s[6] * p.y + s[10] * p.z + s[14]};
}
