#pragma once

#include "math/Vector3.h"

#include <cstdint>
#include <string>
#include <vector>

// A mesh as the generator builds it, before it is written in OGRE's format:
// optional shared vertices and sub-meshes that index either the shared
// vertices or their own. Triangles wind counter-clockwise seen from outside.
class MeshData {
public:
    struct Vertex {
        Vector3 position;
        Vector3 normal;
        float u = 0.0f;
        float v = 0.0f;
    };

    struct SubMesh {
        std::string name;
        bool usesShared = false;
        std::vector<Vertex> vertices;        // empty when usesShared
        std::vector<std::uint32_t> indices;  // three per triangle
    };

    std::string name;
    std::vector<Vertex> shared;
    std::vector<SubMesh> subMeshes;

    // The vertices a sub-mesh indexes.
    const std::vector<Vertex>& verticesOf(const SubMesh& subMesh) const
    {
        return subMesh.usesShared ? shared : subMesh.vertices;
    }
    // Smallest and largest coordinates over all vertices.
    void bounds(Vector3& minimum, Vector3& maximum) const;
    // Largest distance of a vertex from the origin.
    float radius() const;
};
