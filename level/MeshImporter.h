#pragma once

#include "app/Singleton.h"

#include <cstdint>
#include <memory>

struct Vertex;

// Reads OGRE mesh files from "data/meshes" (relative to the working directory)
// through OGRE's core library, set up once without a render system, and
// copies all sub-meshes into one vertex array and one triangle index array.
// OGRE logs to "Ogre.log" only, never to the console.
class MeshImporter : public Singleton<MeshImporter> {
    friend class Singleton<MeshImporter>;

public:
    ~MeshImporter() override;

    // Imports data/meshes/<fileName>: position, normal and first texture
    // coordinate of every vertex (tangent frame left 0), three indices per
    // triangle into the combined vertex array. Both arrays are made with new[]
    // and belong to the caller. A missing or damaged file prints one line and
    // gives an empty mesh: counts 0, pointers null.
    void importMesh(const char* fileName, int& vertexCount, Vertex*& vertices, int& indexCount,
                    std::uint32_t*& indices);

private:
    struct Engine; // OGRE's log, root and buffer manager

    MeshImporter();

    std::unique_ptr<Engine> engine;
};
