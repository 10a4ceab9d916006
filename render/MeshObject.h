#pragma once

#include "render/RenderObject.h"

// An imported OGRE mesh: indexed triangles whose tangent frames are computed
// when it is built.
class MeshObject : public RenderObject {
public:
    // Imports data/meshes/<fileName> and builds it. A missing or damaged file
    // (reported by the importer) gives an empty mesh that draws nothing.
    void init(int objectId, const char* fileName, int material, bool flag1, bool flag2, int moving);
};
