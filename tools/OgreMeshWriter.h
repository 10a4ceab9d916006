#pragma once

#include <memory>
#include <string>

class MeshData;

// Writes meshes in OGRE's binary .mesh format with OGRE's own serializer. Each
// vertex buffer interleaves position, normal and the first texture coordinate
// (eight floats, in this order, in one buffer), the layout the game's importer
// reads. Index buffers are 16-bit unless a vertex set needs 32-bit indices.
// OGRE is set up once per writer, without plugins or render system; only one
// writer may exist at a time.
class OgreMeshWriter {
public:
    OgreMeshWriter();
    ~OgreMeshWriter();
    OgreMeshWriter(const OgreMeshWriter&) = delete;
    OgreMeshWriter& operator=(const OgreMeshWriter&) = delete;

    // False, after a line on standard output, when the file cannot be written.
    bool write(const MeshData& mesh, const std::string& path);

private:
    struct Engine;
    std::unique_ptr<Engine> engine;
};
