#pragma once

#include <string>

// Checks an OGRE mesh file (format version 1.100, either byte order) before
// OGRE reads it. OGRE's reader trusts the file: a lying count makes it
// allocate gigabytes, a sub-mesh index beyond the sub-meshes crashes it, a
// bool byte other than 0 or 1 is undefined behaviour, a chunk that runs past
// its parent makes it read the wrong data. Only the chunks the importer uses
// pass, each checked whole: the mesh, its shared geometry, sub-meshes of
// triangle lists with their geometry, bounds, the sub-mesh name table and
// extremes. Anything else is refused.
class MeshFileCheck {
public:
    // Why the file is refused, or empty when OGRE may read it.
    static std::string check(const std::string& bytes);
};
