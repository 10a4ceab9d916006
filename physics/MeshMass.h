#pragma once

#include <LinearMath/btMatrix3x3.h>
#include <LinearMath/btVector3.h>

class CookedTriangleMesh;

// Mass properties of the solid a triangle mesh bounds, per unit density, in
// the mesh's own coordinates. A closed mesh gives its own volume; an open one
// (a surface, a shell with holes) is taken as the solid of its convex hull, and
// a flat one as its bounding box made minimumThickness thick. A mesh with a
// position that is not finite has volume 0.
class MeshMass {
public:
    static MeshMass of(const CookedTriangleMesh& mesh, btScalar minimumThickness);

    btScalar volume = 0.0f;
    btVector3 centre{0, 0, 0};
    btMatrix3x3 inertia = btMatrix3x3::getIdentity();  // about centre, along the mesh axes
};
