#include "math/Matrix4.h"

#include "ExpectNear.h"

#include <gtest/gtest.h>

namespace {

constexpr float TOLERANCE = 1e-5f;

}  // namespace

TEST(Matrix4, RotationXYZTurnsAboutZThenXThenY)
{
    const float x = 0.3f, y = -1.1f, z = 0.7f;
    const Vector3 p{1, 2, 3};
    const Vector3 stepwise = Matrix4::transformPoint(
        Matrix4::rotationY(y),
        Matrix4::transformPoint(Matrix4::rotationX(x), Matrix4::transformPoint(Matrix4::rotationZ(z), p)));
    EXPECT_NEAR((Matrix4::transformPoint(Matrix4::rotationXYZ(x, y, z), p) - stepwise).length(), 0.0f, TOLERANCE);
}

TEST(Matrix4, InverseAffineUndoesRotationAndTranslation)
{
    const Matrix4 m = Matrix4::rotationXYZ(0.4f, 1.3f, -0.8f) * Matrix4::translation({5, -7, 12});
    expectNear(Matrix4::inverseAffine(m) * m, Matrix4(), TOLERANCE);
    expectNear(m * Matrix4::inverseAffine(m), Matrix4(), TOLERANCE);
}

TEST(Matrix4, InverseAffineOfSingularMatrixIsIdentity)
{
    float zero[16] = {};
    zero[12] = 4.0f;
    zero[15] = 1.0f;
    EXPECT_EQ(Matrix4::inverseAffine(Matrix4(zero)), Matrix4()) << "no NaN from a singular matrix";
}
