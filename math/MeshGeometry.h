#pragma once

#include "math/Vertex.h"

#include <cstdint>

// The vertex and index arrays of a render object. The physics reads them to
// build triangle meshes without knowing anything of rendering.
struct MeshGeometry {
    int vertexCount = 0;
    int indexCount = 0;
    Vertex* vertices = nullptr;   // vertexCount records
    std::uint32_t* indices = nullptr;  // indexCount entries, three per triangle; may be null
};
