#include "math/Matrix4.h"
#include "math/Random.h"
#include "math/Ray.h"
#include "math/Vector3.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(Vector3, RandomDirectionStaysOnUnitSphereAndCoversIt)
{
    Random::seed(7);
    float lowest = 1.0f, highest = -1.0f;
    int octants[8] = {};
    const int count = 20000;
    for (int i = 0; i < count; ++i) {
        const Vector3 d = Vector3::randomDirection();
        ASSERT_GE(d.z, -1.0f);
        ASSERT_LE(d.z, 1.0f);
        ASSERT_NEAR(d.length(), 1.0f, 1e-4f);
        lowest = std::fmin(lowest, d.z);
        highest = std::fmax(highest, d.z);
        ++octants[(d.x > 0) + 2 * (d.y > 0) + 4 * (d.z > 0)];
    }
    EXPECT_LT(lowest, -0.99f);
    EXPECT_GT(highest, 0.99f);
    // Roughly uniform: the 0..32767 -> 0..10000 reduction favours low values a
    // little, but every octant gets a fair share.
    for (const int n : octants)
        EXPECT_GT(n, count / 8 * 3 / 4);
}

TEST(Random, GivesFifteenBitValuesAndRepeatsForASeed)
{
    Random::seed(42);
    int first[8];
    for (int& value : first) {
        value = Random::next();
        EXPECT_GE(value, 0);
        EXPECT_LE(value, Random::MAX);
    }
    Random::seed(42);
    for (const int value : first)
        EXPECT_EQ(Random::next(), value);
    for (int i = 0; i < 1000; ++i) {
        const float u = Random::unit();
        ASSERT_GE(u, 0.0f);
        ASSERT_LE(u, 1.0f);
    }
}

TEST(IntersectRayTriangle, HitsInsideAndReportsDistance)
{
    const Ray ray({0.25f, 0.25f, 5}, {0, 0, -1});
    float t = 0, u = 0, v = 0;
    ASSERT_TRUE(intersectRayTriangle(ray, {0, 0, 0}, {1, 0, 0}, {0, 1, 0}, t, u, v));
    EXPECT_FLOAT_EQ(t, 5.0f);
    EXPECT_FLOAT_EQ(u, 0.25f);
    EXPECT_FLOAT_EQ(v, 0.25f);
}

TEST(IntersectRayTriangle, VertexHitCountsAndParallelRayMisses)
{
    float t = 0, u = 0, v = 0;
    EXPECT_TRUE(intersectRayTriangle(Ray({0, 0, 1}, {0, 0, -1}), {0, 0, 0}, {1, 0, 0}, {0, 1, 0}, t, u, v));
    EXPECT_EQ(u, 0.0f);
    EXPECT_EQ(v, 0.0f);
    EXPECT_FALSE(intersectRayTriangle(Ray({0, 0, 1}, {1, 0, 0}), {0, 0, 0}, {1, 0, 0}, {0, 1, 0}, t, u, v));
    EXPECT_FALSE(intersectRayTriangle(Ray({2, 2, 1}, {0, 0, -1}), {0, 0, 0}, {1, 0, 0}, {0, 1, 0}, t, u, v));
}
