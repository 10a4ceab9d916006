#include "math/BoundingBox.h"
#include "math/BoundingSphere.h"
#include "math/Ray.h"
#include "math/Vertex.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(BoundingBox, GrowsOverVertexPositionsWithStride)
{
    Vertex vertices[3];
    vertices[0].position = {1, 5, -2};
    vertices[1].position = {-3, 0.5f, -4};
    vertices[2].position = {2, 1, -1};
    vertices[2].normal = {100, 100, 100};  // must not be read as a position
    BoundingBox box;
    box.grow(nullptr, 0);
    box.grow(&vertices[0].position, 3, sizeof(Vertex));
    // y all above and z all below zero: an empty box starts inverted, not at the origin.
    EXPECT_EQ(box.min, Vector3(-3, 0.5f, -4));
    EXPECT_EQ(box.max, Vector3(2, 5, -1));
    EXPECT_EQ(box.center(), Vector3(-0.5f, 2.75f, -2.5f));
}

TEST(BoundingBox, SegmentIntersection)
{
    BoundingBox box;
    box.grow({-1, -1, -1});
    box.grow({1, 1, 1});
    const struct {
        Vector3 origin, direction;
        float length;
        bool hits;
        const char* what;
    } cases[] = {
        {{0, 0, 0}, {0, 1, 0}, 0.0f, true, "starting inside"},
        {{0, 0, 5}, {0, 0, -1}, 3.999f, false, "ending short of the face"},
        {{0, 0, 5}, {0, 0, -1}, 4.001f, true, "reaching the face"},
        {{3, 0, 5}, {0, 0, -1}, 10.0f, false, "passing beside"},
        {{0, 0, 5}, {0, 0, 1}, 10.0f, false, "pointing away"},
        {{5, 5, 5}, {-1, -1, -1}, 10.0f, true, "diagonal"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(box.intersectsSegment(Ray(c.origin, c.direction), c.length), c.hits) << c.what;
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
