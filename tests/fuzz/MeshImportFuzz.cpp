// OGRE mesh files through the importer: the chunk check, OGRE's reader and
// the copy into the game's arrays. OGRE keeps every mesh it loads, so each
// input's mesh is removed again.
#include "FuzzInput.h"

#include "level/MeshImporter.h"
#include "math/Vertex.h"

#include <OgreMeshManager.h>
#include <OgreResourceGroupManager.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // The importer reads data/meshes under the working directory.
    std::filesystem::create_directories(FuzzInput::directory() + "/data/meshes");
    std::filesystem::current_path(FuzzInput::directory());
    FuzzInput::write(nullptr, 0, "data/meshes/input.mesh");
    MeshImporter::instance();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput::write(data, size, "data/meshes/input.mesh");
    int vertexCount = 0, indexCount = 0;
    Vertex* vertices = nullptr;
    std::uint32_t* indices = nullptr;
    MeshImporter::instance()->importMesh("input.mesh", vertexCount, vertices, indexCount, indices);
    const std::unique_ptr<Vertex[]> ownedVertices(vertices);
    const std::unique_ptr<std::uint32_t[]> ownedIndices(indices);
    for (int i = 0; i < indexCount; ++i) {
        if (indices[i] >= static_cast<std::uint32_t>(vertexCount))
            __builtin_trap();
    }
    Ogre::MeshManager& meshes = Ogre::MeshManager::getSingleton();
    if (meshes.resourceExists("input.mesh", Ogre::RGN_DEFAULT))
        meshes.remove("input.mesh", Ogre::RGN_DEFAULT);
    return 0;
}
