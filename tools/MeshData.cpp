#include "tools/MeshData.h"

#include <algorithm>
#include <limits>

void MeshData::bounds(Vector3& minimum, Vector3& maximum) const
{
    const float big = std::numeric_limits<float>::max();
    minimum = Vector3(big, big, big);
    maximum = Vector3(-big, -big, -big);
    auto grow = [&](const std::vector<Vertex>& vertices) {
        for (const Vertex& v : vertices) {
            minimum = Vector3(std::min(minimum.x, v.position.x), std::min(minimum.y, v.position.y),
                              std::min(minimum.z, v.position.z));
            maximum = Vector3(std::max(maximum.x, v.position.x), std::max(maximum.y, v.position.y),
                              std::max(maximum.z, v.position.z));
        }
    };
    grow(shared);
    for (const SubMesh& subMesh : subMeshes) {
        grow(subMesh.vertices);
    }
}

float MeshData::radius() const
{
    float largest = 0.0f;
    auto grow = [&](const std::vector<Vertex>& vertices) {
        for (const Vertex& v : vertices) {
            largest = std::max(largest, v.position.length());
        }
    };
    grow(shared);
    for (const SubMesh& subMesh : subMeshes) {
        grow(subMesh.vertices);
    }
    return largest;
}
