#include "math/Matrix4.h"

#include <gtest/gtest.h>

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
    EXPECT_EQ(Matrix4::inverseAffine(Matrix4(zero)), Matrix4()) << "no NaN from a singular matrix";
}
