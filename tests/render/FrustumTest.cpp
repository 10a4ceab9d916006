#include "render/Frustum.h"

#include "Perspective.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

BoundingSphere sphere(const Vector3& center, float radius)
{
    BoundingSphere s;
    s.center = center;
    s.radius = radius;
    return s;
}

}  // namespace

TEST(Frustum, SphereOutsideByItsRadiusIsCulled)
{
    const Frustum f = extractFrustum(perspective(90, 1, 1, 100), Matrix4());
    // Unit normals: the plane distance compares with the radius on every plane.
    for (const auto& plane : f.planes)
        EXPECT_NEAR(std::sqrt(plane[0] * plane[0] + plane[1] * plane[1] + plane[2] * plane[2]), 1.0f, 1e-5f);
    const float* left = f.planes[Frustum::LEFT];
    // A point on the left plane, then moved along the plane's inward normal.
    const Vector3 onPlane{-10.0f, 0.0f, -10.0f};
    ASSERT_NEAR(left[0] * onPlane.x + left[1] * onPlane.y + left[2] * onPlane.z + left[3], 0.0f, 1e-4f);
    const Vector3 normal{left[0], left[1], left[2]};
    EXPECT_FALSE(sphereInFrustum(f, sphere(onPlane - normal * 2.0f, 2.0f), Matrix4()));
    EXPECT_TRUE(sphereInFrustum(f, sphere(onPlane - normal * 1.99f, 2.0f), Matrix4()));
}

TEST(Frustum, ViewAndWorldMatricesMoveTheTest)
{
    const Matrix4 projection = perspective(40, 4.0f / 3.0f, 1, 1000);
    // Camera 250 back from the origin: the origin is visible, a point behind the eye is not.
    const Frustum f = extractFrustum(projection, Matrix4::translation({0, 0, -250}));
    EXPECT_TRUE(sphereInFrustum(f, sphere({0, 0, 0}, 1), Matrix4()));
    EXPECT_FALSE(sphereInFrustum(f, sphere({0, 0, 0}, 1), Matrix4::translation({0, 0, 300})));
    EXPECT_FALSE(sphereInFrustum(f, sphere({0, 0, 0}, 1), Matrix4::translation({0, 0, -900})));
    EXPECT_TRUE(sphereInFrustum(f, sphere({0, 0, 0}, 200), Matrix4::translation({0, 0, 300})));
}
