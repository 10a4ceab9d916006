#include "math/Matrix4.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr float TOLERANCE = 1e-5f;

void expectMatrixNear(const Matrix4& a, const Matrix4& b, float tolerance = TOLERANCE)
{
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(a[i], b[i], tolerance) << "element " << i;
}

void expectVectorNear(const Vector3& a, const Vector3& b, float tolerance = TOLERANCE)
{
    EXPECT_NEAR(a.x, b.x, tolerance);
    EXPECT_NEAR(a.y, b.y, tolerance);
    EXPECT_NEAR(a.z, b.z, tolerance);
}

}  // namespace

TEST(Matrix4, ZeroRotationAndTranslationAreIdentity)
{
    EXPECT_EQ(Matrix4::rotationXYZ(0, 0, 0), Matrix4());
    EXPECT_EQ(Matrix4::translation({0, 0, 0}), Matrix4());
}

TEST(Matrix4, ElementsAreColumnMajor)
{
    const Matrix4 t = Matrix4::translation({1, 2, 3});
    EXPECT_EQ(t[12], 1.0f);
    EXPECT_EQ(t[13], 2.0f);
    EXPECT_EQ(t[14], 3.0f);
    const Matrix4 rx = Matrix4::rotationX(0.5f);
    EXPECT_FLOAT_EQ(rx[6], std::sin(0.5f));
    EXPECT_FLOAT_EQ(rx[9], -std::sin(0.5f));
}

TEST(Matrix4, ProductAppliesLeftOperandFirst)
{
    // Move to x = 10, then turn 90 degrees about y: the point ends on -z.
    const Matrix4 m = Matrix4::translation({10, 0, 0}) * Matrix4::rotationY(1.5707964f);
    expectVectorNear(Matrix4::transformPoint(m, {0, 0, 0}), {0, 0, -10}, 1e-4f);
    // The other order turns in place first, then moves.
    const Matrix4 n = Matrix4::rotationY(1.5707964f) * Matrix4::translation({10, 0, 0});
    expectVectorNear(Matrix4::transformPoint(n, {0, 0, 0}), {10, 0, 0});
}

TEST(Matrix4, RotationXYZTurnsAboutZThenXThenY)
{
    const float x = 0.3f, y = -1.1f, z = 0.7f;
    const Vector3 p{1, 2, 3};
    const Vector3 stepwise = Matrix4::transformPoint(
        Matrix4::rotationY(y),
        Matrix4::transformPoint(Matrix4::rotationX(x), Matrix4::transformPoint(Matrix4::rotationZ(z), p)));
    expectVectorNear(Matrix4::transformPoint(Matrix4::rotationXYZ(x, y, z), p), stepwise);
}

TEST(Matrix4, InverseAffineUndoesRotationAndTranslation)
{
    const Matrix4 m = Matrix4::rotationXYZ(0.4f, 1.3f, -0.8f) * Matrix4::translation({5, -7, 12});
    expectMatrixNear(Matrix4::inverseAffine(m) * m, Matrix4());
    expectMatrixNear(m * Matrix4::inverseAffine(m), Matrix4());
}

TEST(Matrix4, InverseAffineOfSingularMatrixIsIdentity)
{
    float zero[16] = {};
    zero[12] = 4.0f;
    zero[15] = 1.0f;
    const Matrix4 inverse = Matrix4::inverseAffine(Matrix4(zero));
    EXPECT_EQ(inverse, Matrix4());
    for (int i = 0; i < 16; ++i)
        EXPECT_FALSE(std::isnan(inverse[i]));
}

TEST(Matrix4, TransposedSwapsRowsAndColumns)
{
    float v[16];
    for (int i = 0; i < 16; ++i)
        v[i] = static_cast<float>(i);
    const Matrix4 t = Matrix4::transposed(Matrix4(v));
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_EQ(t[c * 4 + r], v[r * 4 + c]);
}

TEST(Matrix4, TransformPointIgnoresBottomRow)
{
    float v[16] = {1, 0, 0, 5, 0, 1, 0, 5, 0, 0, 1, 5, 2, 3, 4, 9};
    expectVectorNear(Matrix4::transformPoint(Matrix4(v), {1, 1, 1}), {3, 4, 5});
}
