#include "math/BoundingBox.h"
#include "math/BoundingSphere.h"
#include "math/Ray.h"
#include "math/Vertex.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {
BoundingBox unitBox()
{
    BoundingBox box;
    box.grow({-1, -1, -1});
    box.grow({1, 1, 1});
    return box;
}
}  // namespace

TEST(BoundingBox, EmptyBoxKeepsItsInvertedExtent)
{
    BoundingBox box;
    box.grow(nullptr, 0);
    EXPECT_EQ(box.min, Vector3(10000, 10000, 10000));
    EXPECT_EQ(box.max, Vector3(-10000, -10000, -10000));
}

TEST(BoundingBox, GrowsOverVertexPositionsWithStride)
{
    Vertex vertices[3];
    vertices[0].position = {1, 5, -2};
    vertices[1].position = {-3, 0, 4};
    vertices[2].position = {2, 1, 0};
    vertices[2].normal = {100, 100, 100};  // must not be read as a position
    BoundingBox box;
    box.grow(&vertices[0].position, 3, sizeof(Vertex));
    EXPECT_EQ(box.min, Vector3(-3, 0, -2));
    EXPECT_EQ(box.max, Vector3(2, 5, 4));
    EXPECT_EQ(box.center(), Vector3(-0.5f, 2.5f, 1));
}

TEST(BoundingBox, SegmentFromInsideAlwaysIntersects)
{
    EXPECT_TRUE(unitBox().intersectsSegment(Ray({0, 0, 0}, {0, 1, 0}), 0.0f));
}

TEST(BoundingBox, SegmentEndingShortOfTheFaceMisses)
{
    const BoundingBox box = unitBox();
    EXPECT_FALSE(box.intersectsSegment(Ray({0, 0, 5}, {0, 0, -1}), 3.999f));
    EXPECT_TRUE(box.intersectsSegment(Ray({0, 0, 5}, {0, 0, -1}), 4.001f));
}

TEST(BoundingBox, SegmentPassingBesideTheBoxMisses)
{
    const BoundingBox box = unitBox();
    EXPECT_FALSE(box.intersectsSegment(Ray({3, 0, 5}, {0, 0, -1}), 10.0f));
    EXPECT_FALSE(box.intersectsSegment(Ray({0, 0, 5}, {0, 0, 1}), 10.0f));  // pointing away
    EXPECT_TRUE(box.intersectsSegment(Ray({5, 5, 5}, {-1, -1, -1}), 10.0f));
}

TEST(BoundingSphere, FromPointsUsesMeanAndFarthestPoint)
{
    const Vector3 points[4] = {{0, 0, 0}, {2, 0, 0}, {0, 2, 0}, {2, 2, 0}};
    const BoundingSphere s = BoundingSphere::fromPoints(points, 4);
    EXPECT_EQ(s.center, Vector3(1, 1, 0));
    EXPECT_FLOAT_EQ(s.radius, std::sqrt(2.0f));
    EXPECT_EQ(BoundingSphere::fromPoints(points, 0).radius, 0.0f);
}

TEST(BoundingSphere, RayTestComparesEntryDistance)
{
    BoundingSphere s;
    s.center = {0, 0, 0};
    s.radius = 1.0f;
    const Ray ray({0, 0, 10}, {0, 0, -1});
    EXPECT_TRUE(s.intersectsRay(ray, 9.5f));
    EXPECT_FALSE(s.intersectsRay(ray, 8.5f));
    EXPECT_FALSE(s.intersectsRay(Ray({2, 0, 10}, {0, 0, -1}), 100.0f));
}
