#include "render/MeshObject.h"

#include "level/MeshImporter.h"

#include <cassert>

void MeshObject::init(int objectId, const char* fileName, int material, bool flag1, bool flag2, int moving)
{
    assert(fileName);
    initCommon(objectId, TYPE_MESH, material, flag1, flag2, moving);
    freeArrays();
    MeshImporter::instance()->importMesh(fileName, vertexCount, vertices, indexCount, indices);
    build();
}
