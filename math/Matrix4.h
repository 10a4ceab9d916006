#pragma once

#include "math/Vector3.h"

// 4x4 float matrix in OpenGL's column-major order: row r, column c at [c*4 + r].
// Handed to glLoadMatrixf/glMultMatrixf unchanged. a * b applies a first, then b.
class Matrix4 {
public:
    Matrix4();  // identity
    explicit Matrix4(const float values[16]);

    float& operator[](int i) { return m[i]; }
    float operator[](int i) const { return m[i]; }
    const float* data() const { return m; }
    float* data() { return m; }

    // Composition: applying a * b to a point equals applying a and then b.
    Matrix4 operator*(const Matrix4& b) const;
    bool operator==(const Matrix4& o) const;

    static Matrix4 translation(const Vector3& t);
    static Matrix4 rotationX(float radians);
    static Matrix4 rotationY(float radians);
    static Matrix4 rotationZ(float radians);
    // Rotation about Z first, then X, then Y.
    static Matrix4 rotationXYZ(float x, float y, float z);
    // Inverse of a rotation-plus-translation matrix; identity when the 3x3 is singular.
    static Matrix4 inverseAffine(const Matrix4& m);
    static Matrix4 transposed(const Matrix4& m);
    // m applied to p with w = 1, no perspective divide.
    static Vector3 transformPoint(const Matrix4& m, const Vector3& p);

private:
    float m[16];
};
