#include "physics/CookedTriangleMesh.h"

#include "physics/MemoryReadStream.h"
#include "physics/MemoryWriteStream.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// A unit square of four vertices; the seventh index makes no triangle.
struct Square {
    Vertex vertices[4];
    std::uint32_t indices[7] = {0, 1, 2, 0, 2, 3, 1};
    MeshGeometry geometry{4, 7, vertices, indices};

    Square()
    {
        const Vector3 corners[4] = {{0, 0, 0}, {0, 0, 1}, {1, 0, 1}, {1, 0, 0}};
        for (int i = 0; i < 4; ++i)
            vertices[i].position = corners[i];
    }
};

// The square cooked and written, as bytes.
std::vector<std::uint8_t> cookedBytes()
{
    const Square square;
    MemoryWriteStream written;
    CookedTriangleMesh::cook(square.geometry).write(written);
    return {written.data(), written.data() + written.size()};
}

bool reads(const std::vector<std::uint8_t>& bytes, std::uint32_t size, CookedTriangleMesh& mesh)
{
    MemoryReadStream stream(bytes.data(), size);
    return mesh.read(stream);
}

}  // namespace

TEST(CookedTriangleMesh, LeavesOutBadTrianglesAndMissingArrays)
{
    Square square;
    square.geometry.indexCount = 6;
    for (const std::uint32_t bad : {4u, 0u}) {  // beyond the last vertex; 0, 0, 3 names one vertex twice
        square.indices[4] = bad;
        const CookedTriangleMesh mesh = CookedTriangleMesh::cook(square.geometry);
        EXPECT_EQ(mesh.triangleCount(), 1) << bad;
        EXPECT_EQ(mesh.droppedTriangles(), 1) << bad;
    }
    Square missing;
    missing.geometry.indices = nullptr;
    EXPECT_EQ(CookedTriangleMesh::cook(missing.geometry).triangleCount(), 0);
    missing.geometry = {4, 6, nullptr, missing.indices};
    EXPECT_EQ(CookedTriangleMesh::cook(missing.geometry).vertexCount(), 0);
    EXPECT_EQ(CookedTriangleMesh::cook(missing.geometry).droppedTriangles(), 2);
    missing.geometry = {-5, -3, missing.vertices, missing.indices};
    EXPECT_EQ(CookedTriangleMesh::cook(missing.geometry).triangleCount(), 0);
}

TEST(CookedTriangleMesh, RefusesCutOrCorruptData)
{
    const std::vector<std::uint8_t> good = cookedBytes();
    CookedTriangleMesh mesh;
    EXPECT_FALSE(reads(good, std::uint32_t(good.size() - 1), mesh)) << "cut";
    EXPECT_EQ(mesh.triangleCount(), 0);
    // A huge vertex count (refused before anything is allocated), an index naming
    // a vertex that does not exist, a wrong tag.
    const struct {
        std::size_t offset;
        std::uint32_t value;
    } corruptions[] = {{4, 0xffffffffu}, {good.size() - 4, 4u}, {0, 0x12345678u}};
    for (const auto& corruption : corruptions) {
        std::vector<std::uint8_t> bytes = good;
        std::memcpy(bytes.data() + corruption.offset, &corruption.value, 4);
        EXPECT_FALSE(reads(bytes, std::uint32_t(bytes.size()), mesh)) << corruption.offset;
        EXPECT_EQ(mesh.vertexCount(), 0);
    }
}
