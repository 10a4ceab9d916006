#pragma once

#include "math/MeshGeometry.h"
#include "math/Vector3.h"

#include <list>
#include <string>

// How a level element is joined to the body of its parent element.
enum ConnectionKind {
    CONNECTION_NONE = 0,      // a child: a free body under gravity; top level: part of the level body
    CONNECTION_FIXED = 1,     // welded to the parent
    CONNECTION_ROTATION = 2,  // spun about the vertical axis by a motor
    CONNECTION_MOVING = 3,    // slides along its axis, pushed by a periodic force
};

// One box, sphere or mesh element of a level as the level builder hands it to
// GamePhysic::CreateKinematicLevel. The physics copies what it keeps; the
// builder deletes the whole tree (children included) when the call returns.
// Fields that the element's type does not use are not read.
struct PhysicsElement {
    std::string type;  // "box", "sphere" or "mesh"; anything else is no collision geometry
    ConnectionKind connection = CONNECTION_NONE;
    int movingIndex = -1;  // index of a child's pose for the renderer; -1 at the top level
    Vector3 position;      // for a child: offset from the parent's position, not rotated with it
    Vector3 rotation;      // radians, as Matrix4::rotationXYZ takes them
    Vector3 measures;      // box width, height, depth
    float radius = 0.0f;   // sphere
    float restitution = -1.0f;  // 0 or more: own material (combined by maximum); negative: default
    Vector3 axis;               // slide direction of a moving element; its length scales the travel
    float distanceFactor = 0.0f;  // travel to either side, in units of the axis
    float timeFactor = 0.0f;      // angular frequency of the push, rad per second of physics clock
    float speedFactor = 0.0f;     // strength of the push, or motor speed (x 0.1 rad/s)
    const MeshGeometry* mesh = nullptr;  // mesh elements: the render object's arrays, not owned; may be null
    std::list<PhysicsElement*> children;  // owned by the level builder, see above
};
