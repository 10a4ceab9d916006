#include "physics/CookedTriangleMesh.h"

#include "physics/MemoryReadStream.h"
#include "physics/MemoryWriteStream.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// Four vertices of a square; positions sit in the last three floats of Vertex.
struct Square {
    Vertex vertices[4];
    std::uint32_t indices[7] = {0, 1, 2, 0, 2, 3, 1};  // the seventh index makes no triangle
    MeshGeometry geometry;

    Square()
    {
        vertices[0].position = {0, 0, 0};
        vertices[1].position = {0, 0, 1};
        vertices[2].position = {1, 0, 1};
        vertices[3].position = {1, 0, 0};
        vertices[2].normal = {9, 9, 9};  // must not leak into the positions
        geometry.vertexCount = 4;
        geometry.indexCount = 7;
        geometry.vertices = vertices;
        geometry.indices = indices;
    }
};

}  // namespace

TEST(CookedTriangleMesh, SevenIndicesMakeTwoTriangles)
{
    const Square square;
    const CookedTriangleMesh mesh = CookedTriangleMesh::cook(square.geometry);
    EXPECT_EQ(mesh.vertexCount(), 4);
    EXPECT_EQ(mesh.triangleCount(), 2);
    EXPECT_EQ(mesh.droppedTriangles(), 0);
    EXPECT_EQ(mesh.positions()[6], 1.0f);
    EXPECT_EQ(mesh.positions()[7], 0.0f);
    EXPECT_EQ(mesh.positions()[8], 1.0f);
    EXPECT_EQ(mesh.triangles()[5], 3u);
}

TEST(CookedTriangleMesh, LeavesOutTrianglesWithMissingOrRepeatedVertices)
{
    Square square;
    square.indices[4] = 4;  // beyond the last vertex
    square.geometry.indexCount = 6;
    CookedTriangleMesh mesh = CookedTriangleMesh::cook(square.geometry);
    EXPECT_EQ(mesh.triangleCount(), 1);
    EXPECT_EQ(mesh.droppedTriangles(), 1);

    square.indices[4] = 0;  // 0, 0, 3 names one vertex twice
    mesh = CookedTriangleMesh::cook(square.geometry);
    EXPECT_EQ(mesh.triangleCount(), 1);
    EXPECT_EQ(mesh.droppedTriangles(), 1);
}

TEST(CookedTriangleMesh, MissingArraysGiveAnEmptyMesh)
{
    Square square;
    square.geometry.indices = nullptr;
    EXPECT_EQ(CookedTriangleMesh::cook(square.geometry).triangleCount(), 0);
    square.geometry.vertices = nullptr;
    square.geometry.indices = square.indices;
    const CookedTriangleMesh mesh = CookedTriangleMesh::cook(square.geometry);
    EXPECT_EQ(mesh.vertexCount(), 0);
    EXPECT_EQ(mesh.triangleCount(), 0);
    EXPECT_EQ(mesh.droppedTriangles(), 2);
    square.geometry.vertices = square.vertices;
    square.geometry.vertexCount = -5;
    square.geometry.indexCount = -3;
    EXPECT_EQ(CookedTriangleMesh::cook(square.geometry).triangleCount(), 0);
}

TEST(CookedTriangleMesh, RoundTripsThroughTheStreams)
{
    const Square square;
    const CookedTriangleMesh cooked = CookedTriangleMesh::cook(square.geometry);
    MemoryWriteStream written;
    cooked.write(written);
    EXPECT_EQ(written.size(), 3u * 4 + 4 * 12 + 2 * 12);

    MemoryReadStream reader(written.data(), written.size());
    CookedTriangleMesh back;
    ASSERT_TRUE(back.read(reader));
    EXPECT_EQ(back.positions(), cooked.positions());
    EXPECT_EQ(back.triangles(), cooked.triangles());
    EXPECT_EQ(reader.remaining(), 0u);
}

TEST(CookedTriangleMesh, RefusesCutOrCorruptData)
{
    const Square square;
    MemoryWriteStream written;
    CookedTriangleMesh::cook(square.geometry).write(written);

    for (std::uint32_t size = 0; size < written.size(); ++size) {
        MemoryReadStream cut(written.data(), size);
        CookedTriangleMesh mesh;
        EXPECT_FALSE(mesh.read(cut)) << "cut at " << size;
        EXPECT_EQ(mesh.triangleCount(), 0);
    }

    // A huge vertex count must be refused before anything is allocated.
    std::vector<std::uint8_t> bytes(written.data(), written.data() + written.size());
    const std::uint32_t huge = 0xffffffffu;
    std::memcpy(bytes.data() + 4, &huge, 4);
    MemoryReadStream inflated(bytes.data(), std::uint32_t(bytes.size()));
    CookedTriangleMesh mesh;
    EXPECT_FALSE(mesh.read(inflated));

    // An index naming a vertex that does not exist.
    bytes.assign(written.data(), written.data() + written.size());
    const std::uint32_t beyond = 4;
    std::memcpy(bytes.data() + bytes.size() - 4, &beyond, 4);
    MemoryReadStream badIndex(bytes.data(), std::uint32_t(bytes.size()));
    EXPECT_FALSE(mesh.read(badIndex));
    EXPECT_EQ(mesh.vertexCount(), 0);

    // Not a cooked mesh at all.
    bytes.assign(written.data(), written.data() + written.size());
    bytes[0] ^= 0xff;
    MemoryReadStream wrongTag(bytes.data(), std::uint32_t(bytes.size()));
    EXPECT_FALSE(mesh.read(wrongTag));
}
