#include "physics/CookedTriangleMesh.h"

#include "physics/MemoryReadStream.h"
#include "physics/MemoryWriteStream.h"

#include <algorithm>

CookedTriangleMesh CookedTriangleMesh::cook(const MeshGeometry& geometry)
{
    CookedTriangleMesh mesh;
    const int vertexCount = geometry.vertices ? std::max(geometry.vertexCount, 0) : 0;
    mesh.points.reserve(static_cast<std::size_t>(vertexCount) * 3);
    for (int i = 0; i < vertexCount; ++i) {
        const Vector3& p = geometry.vertices[i].position;
        mesh.points.insert(mesh.points.end(), {p.x, p.y, p.z});
    }

    const int triangleCount = geometry.indices ? std::max(geometry.indexCount, 0) / 3 : 0;
    mesh.indices.reserve(static_cast<std::size_t>(triangleCount) * 3);
    const std::uint32_t limit = static_cast<std::uint32_t>(vertexCount);
    for (int t = 0; t < triangleCount; ++t) {
        const std::uint32_t* corner = geometry.indices + 3 * t;
        const bool exists = corner[0] < limit && corner[1] < limit && corner[2] < limit;
        const bool distinct = corner[0] != corner[1] && corner[1] != corner[2] && corner[0] != corner[2];
        if (exists && distinct)
            mesh.indices.insert(mesh.indices.end(), {corner[0], corner[1], corner[2]});
        else
            ++mesh.dropped;
    }
    return mesh;
}

void CookedTriangleMesh::write(MemoryWriteStream& stream) const
{
    stream.storeDword(COOKED_MESH_TAG)
        .storeDword(static_cast<std::uint32_t>(vertexCount()))
        .storeDword(static_cast<std::uint32_t>(triangleCount()));
    for (const float value : points)
        stream.storeFloat(value);
    for (const std::uint32_t index : indices)
        stream.storeDword(index);
}

bool CookedTriangleMesh::read(MemoryReadStream& stream)
{
    points.clear();
    indices.clear();
    dropped = 0;

    const std::uint32_t tag = stream.readDword();
    const std::uint64_t vertices = stream.readDword();
    const std::uint64_t triangles = stream.readDword();
    // Check the counts against what the stream holds before allocating anything.
    const std::uint64_t needed = (vertices * 3 + triangles * 3) * 4;
    if (stream.overrun() || tag != COOKED_MESH_TAG || needed > stream.remaining())
        return false;

    points.resize(vertices * 3);
    indices.resize(triangles * 3);
    for (float& value : points)
        value = stream.readFloat();
    for (std::uint32_t& index : indices) {
        index = stream.readDword();
        if (index >= vertices) {
            points.clear();
            indices.clear();
            return false;
        }
    }
    return true;
}
