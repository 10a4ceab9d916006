#pragma once

#include "math/MeshGeometry.h"

#include <cstdint>
#include <vector>

class MemoryReadStream;
class MemoryWriteStream;

// A triangle mesh reduced to what collision needs: packed vertex positions and
// validated triangles. Cooked layout in a stream (raw values, see MemoryWriteStream):
//   dword  COOKED_MESH_TAG ("PRTM" read as a little-endian dword)
//   dword  vertex count V
//   dword  triangle count T
//   float  3 x V vertex positions (x, y, z)
//   dword  3 x T vertex indices, each below V
class CookedTriangleMesh {
public:
    static constexpr std::uint32_t COOKED_MESH_TAG = 0x4d545250u;

    // Packs the positions of geometry's vertices and takes indexCount / 3
    // triangles; triangles naming a vertex that does not exist, or naming one
    // vertex twice, are left out and counted in droppedTriangles().
    static CookedTriangleMesh cook(const MeshGeometry& geometry);

    void write(MemoryWriteStream& stream) const;
    // Replaces this mesh with one read from stream. Returns false, leaving the
    // mesh empty, when the data is cut short, has the wrong tag or names
    // vertices that do not exist.
    bool read(MemoryReadStream& stream);

    int vertexCount() const { return static_cast<int>(points.size() / 3); }
    int triangleCount() const { return static_cast<int>(indices.size() / 3); }
    int droppedTriangles() const { return dropped; }
    const std::vector<float>& positions() const { return points; }        // 3 per vertex
    const std::vector<std::uint32_t>& triangles() const { return indices; }  // 3 per triangle

private:
    std::vector<float> points;
    std::vector<std::uint32_t> indices;
    int dropped = 0;
};
