#include "physics/GamePhysicWorld.h"

#include "physics/MemoryReadStream.h"
#include "physics/MemoryWriteStream.h"
#include "physics/MeshMass.h"

#include <BulletCollision/Gimpact/btGImpactShape.h>

#include <algorithm>

using namespace physicsworld;

namespace {

constexpr btScalar ELEMENT_FRICTION = 0.5f;  // static and dynamic of an element's own material

// A flat mesh body weighs as a plate of the engine's collision skin on both sides.
constexpr btScalar FLAT_MESH_THICKNESS = 2.0f * CONVEX_DISTANCE_MARGIN;

constexpr btScalar ELEMENT_DENSITY = 10.0f;
// Angular damping rates, per second: velocity decays like exp(-rate * t).
constexpr btScalar ELEMENT_ANGULAR_DAMPING = 0.05f;
constexpr btScalar ROTOR_ANGULAR_DAMPING = 100.0f;

constexpr btScalar MOTOR_SPEED_PER_SPEED_FACTOR = 0.1f;  // rad/s
constexpr btScalar MOTOR_MAX_TORQUE = 1e8f;

// Moving indexes come from a counter over one level's elements; anything
// beyond this is a caller's fault and is not stored.
constexpr int MAX_MOVING_INDEX = 1 << 16;

// An element's rotation as the basis of its shape: the rotationXYZ matrix itself.
btMatrix3x3 elementBasis(const Vector3& rotation)
{
    const Matrix4 m = Matrix4::rotationXYZ(rotation.x, rotation.y, rotation.z);
    return btMatrix3x3(m[0], m[4], m[8], m[1], m[5], m[9], m[2], m[6], m[10]);
}

// A frame at origin whose column `column` is the unit vector axis (right-handed).
btTransform frameAlong(const btVector3& origin, const btVector3& axis, int column)
{
    btVector3 p, q;
    btPlaneSpace1(axis, p, q);  // axis, p, q are orthonormal with axis x p = q
    btMatrix3x3 basis;
    if (column == 0)
        basis.setValue(axis.x(), p.x(), q.x(), axis.y(), p.y(), q.y(), axis.z(), p.z(), q.z());
    else  // column 2: p x q = axis
        basis.setValue(p.x(), q.x(), axis.x(), p.y(), q.y(), axis.y(), p.z(), q.z(), axis.z());
    return btTransform(basis, origin);
}

}  // namespace

// ---------------------------------------------------------------------------
// Level geometry

btCollisionShape* GamePhysic::World::makeBox(const Vector3& measures, Actor& owner)
{
    if (!isFinite(measures)) {
        report("box with measures that are not numbers left out");
        return nullptr;
    }
    const btVector3 half = toBullet(measures).absolute() * 0.5f;
    auto box = std::make_unique<btBoxShape>(half);
    // The margin lies inside the box; it must not exceed the thinnest side.
    box->setMargin(std::min(box->getMargin(), half[half.minAxis()]));
    owner.shapes.push_back(std::move(box));
    return owner.shapes.back().get();
}

btCollisionShape* GamePhysic::World::makeSphere(float radius, Actor& owner)
{
    if (!(radius > 0.0f) || !std::isfinite(radius)) {
        report("sphere with radius %g left out", double(radius));
        return nullptr;
    }
    owner.shapes.push_back(std::make_unique<btSphereShape>(radius));
    return owner.shapes.back().get();
}

btCollisionShape* GamePhysic::World::CookTriangleMesh(const MeshGeometry* geometry, Actor& owner, bool dynamicBody)
{
    if (!geometry) {
        report("mesh element without mesh data left out");
        return nullptr;
    }
    const CookedTriangleMesh cooked = CookedTriangleMesh::cook(*geometry);
    if (cooked.droppedTriangles() > 0)
        report("mesh triangles with missing or repeated vertices left out: %d", cooked.droppedTriangles());
    MemoryWriteStream written;
    cooked.write(written);

    auto data = std::make_unique<MeshShape>();
    MemoryReadStream reader(written.data(), written.size());
    if (!data->mesh.read(reader) || data->mesh.triangleCount() == 0) {
        report("mesh without triangles left out");
        return nullptr;
    }
    // The engine reads the arrays through mutable pointers but does not write them.
    auto* indices = const_cast<int*>(reinterpret_cast<const int*>(data->mesh.triangles().data()));
    auto* points = const_cast<btScalar*>(data->mesh.positions().data());
    data->triangles = std::make_unique<btTriangleIndexVertexArray>(
        data->mesh.triangleCount(), indices, int(3 * sizeof(int)), data->mesh.vertexCount(), points,
        int(3 * sizeof(btScalar)));

    if (dynamicBody) {
        // Moving bodies need the engine's dynamic mesh shape.
        auto shape = std::make_unique<btGImpactMeshShape>(data->triangles.get());
        shape->updateBound();
        owner.shapes.push_back(std::move(shape));
    } else {
        auto shape = std::make_unique<btBvhTriangleMeshShape>(data->triangles.get(), true);
        data->edgeInfo = std::make_unique<btTriangleInfoMap>();
        btGenerateInternalEdgeInfo(shape.get(), data->edgeInfo.get());
        data->edgeProxy.setCollisionShape(shape.get());
        shape->setUserPointer(data.get());
        owner.shapes.push_back(std::move(shape));
    }
    owner.meshes.push_back(std::move(data));
    return owner.shapes.back().get();
}

void GamePhysic::World::createLevel(int levelActorId, const std::list<PhysicsElement*>& elements)
{
    auto actor = std::make_unique<Actor>();
    actor->id = levelActorId;
    actor->actorGroup = LEVEL_ACTOR_GROUP;
    actor->shapeGroup = LEVEL_SHAPE_GROUP;

    // Boxes, then spheres, then meshes, each in list order.
    std::vector<std::pair<btTransform, btCollisionShape*>> boxes, spheres, meshes;
    for (const PhysicsElement* element : elements) {
        if (!element)
            continue;
        if (!isFinite(element->position) || !isFinite(element->rotation)) {
            report("level element at a position that is not a number left out");
            continue;
        }
        const btTransform local(elementBasis(element->rotation), toBullet(element->position));
        if (element->type == "box") {
            if (btCollisionShape* shape = makeBox(element->measures, *actor))
                boxes.emplace_back(local, shape);
        } else if (element->type == "sphere") {
            if (btCollisionShape* shape = makeSphere(element->radius, *actor))
                spheres.emplace_back(local, shape);
        } else if (element->type == "mesh") {
            if (btCollisionShape* shape = CookTriangleMesh(element->mesh, *actor, false))
                meshes.emplace_back(local, shape);
        }
    }

    auto compound = std::make_unique<btCompoundShape>();
    for (const auto* group : {&boxes, &spheres, &meshes})
        for (const auto& [local, shape] : *group)
            compound->addChildShape(local, shape);

    auto body = std::make_unique<btRigidBody>(0.0f, nullptr, compound.get());
    int flags = body->getCollisionFlags() | btCollisionObject::CF_KINEMATIC_OBJECT;
    if (!meshes.empty())
        flags |= btCollisionObject::CF_CUSTOM_MATERIAL_CALLBACK;  // internal edge correction
    body->setCollisionFlags(flags);
    body->setActivationState(DISABLE_DEACTIVATION);
    body->setFriction(DEFAULT_FRICTION);
    body->setRestitution(DEFAULT_RESTITUTION);
    actor->shapes.push_back(std::move(compound));
    actor->object = std::move(body);

    level = add(std::move(actor));
    motion.pendingTarget = motion.stepTarget = level->body()->getWorldTransform();

    for (const PhysicsElement* element : elements)
        if (element && !element->children.empty())
            CreateElementChildren(*level, element->children, element->position);
}

// ---------------------------------------------------------------------------
// Connected elements

void GamePhysic::World::CreateElementChildren(Actor& parent, const std::list<PhysicsElement*>& children,
                                               const Vector3& parentPosition)
{
    for (const PhysicsElement* child : children) {
        if (!child)
            continue;
        const Vector3 worldPosition = parentPosition + child->position;
        if (!isFinite(worldPosition) || !isFinite(child->rotation)) {
            report("level element at a position that is not a number left out");
            continue;
        }
        Actor* element = createElementBody(*child, worldPosition);
        if (!element)
            continue;
        connect(parent, *element, *child, parentPosition, worldPosition);
        if (!child->children.empty())
            CreateElementChildren(*element, child->children, worldPosition);
    }
}

btCollisionShape* GamePhysic::World::makeElementShape(const PhysicsElement& element, Actor& owner, MeshMass& mass)
{
    mass = MeshMass();
    if (element.type == "box") {
        mass.volume = std::fabs(element.measures.x * element.measures.y * element.measures.z);
        return makeBox(element.measures, owner);
    }
    if (element.type == "sphere") {
        mass.volume = 4.0f / 3.0f * SIMD_PI * element.radius * element.radius * element.radius;
        return makeSphere(element.radius, owner);
    }
    if (element.type != "mesh")
        return nullptr;
    btCollisionShape* shape = CookTriangleMesh(element.mesh, owner, true);
    if (shape)
        mass = MeshMass::of(owner.meshes.back()->mesh, FLAT_MESH_THICKNESS);
    return shape;
}

Actor* GamePhysic::World::createElementBody(const PhysicsElement& element, const Vector3& worldPosition)
{
    auto actor = std::make_unique<Actor>();
    actor->actorGroup = LEVEL_ACTOR_GROUP;
    actor->shapeGroup = LEVEL_SHAPE_GROUP;
    if (element.restitution >= 0.0f) {
        actor->material.friction = ELEMENT_FRICTION;
        actor->material.restitution = element.restitution;
        actor->material.restitutionCombine = COMBINE_MAX;
    }

    MeshMass solid;
    btCollisionShape* shape = makeElementShape(element, *actor, solid);
    if (!shape)
        return nullptr;
    const btScalar mass = ELEMENT_DENSITY * solid.volume;
    if (!(mass > 0.0f) || !std::isfinite(mass)) {
        report("level element without volume left out");
        return nullptr;
    }

    // One shape turned by the element's rotation; the body frame goes to the
    // shape's principal axes, the actor frame stays unturned at the position.
    auto compound = std::make_unique<btCompoundShape>(false);
    const btTransform local(elementBasis(element.rotation));
    compound->addChildShape(local, shape);
    btTransform principal;
    btVector3 inertia;
    if (element.type == "mesh") {
        // The engine would take a mesh's inertia from its bounding box about its origin.
        btMatrix3x3 axes;
        btMatrix3x3 diagonal = solid.inertia * ELEMENT_DENSITY;
        diagonal.diagonalize(axes, 1e-6f, 32);
        inertia.setValue(diagonal[0][0], diagonal[1][1], diagonal[2][2]);
        principal = local * btTransform(axes, solid.centre);
    } else {
        compound->calculatePrincipalAxisTransform(&mass, principal, inertia);
    }
    compound->updateChildTransform(0, principal.inverse() * local);
    actor->bodyFromActor = principal;

    btRigidBody::btRigidBodyConstructionInfo info(mass, nullptr, compound.get(), inertia);
    info.m_startWorldTransform = btTransform(btMatrix3x3::getIdentity(), toBullet(worldPosition)) * principal;
    info.m_angularDamping = dampingForRate(element.connection == CONNECTION_ROTATION ? ROTOR_ANGULAR_DAMPING
                                                                                     : ELEMENT_ANGULAR_DAMPING);
    info.m_friction = actor->material.friction;
    info.m_restitution = actor->material.restitution;
    auto body = std::make_unique<btRigidBody>(info);
    if (element.connection != CONNECTION_NONE) {
        // Jointed elements float; they never sleep, or they would stop
        // following the tilted level and their motors.
        body->setFlags(body->getFlags() | BT_DISABLE_WORLD_GRAVITY);
        body->setActivationState(DISABLE_DEACTIVATION);
    }
    actor->shapes.push_back(std::move(compound));
    actor->object = std::move(body);
    return add(std::move(actor));
}

void GamePhysic::World::connect(Actor& parent, Actor& element, const PhysicsElement& description,
                                const Vector3& parentPosition, const Vector3& worldPosition)
{
    btRigidBody& parentBody = *parent.body();
    btRigidBody& childBody = *element.body();
    const btTransform& parentPose = parentBody.getWorldTransform();
    const btTransform& childPose = childBody.getWorldTransform();
    const btVector3 anchor = toBullet(worldPosition);

    auto record = std::make_unique<MovingElementRecord>();
    record->element = &element;
    const auto fixedJoint = [&] {
        const btTransform frame(btMatrix3x3::getIdentity(), toBullet(parentPosition));
        return std::make_unique<btFixedConstraint>(parentBody, childBody, parentPose.inverse() * frame,
                                                   childPose.inverse() * frame);
    };

    switch (description.connection) {
    case CONNECTION_NONE:
        break;  // a free body under gravity: a record without a joint, so it is drawn where it goes
    case CONNECTION_FIXED:
        record->kind = JOINT_HELD;
        record->joint = fixedJoint();
        break;
    case CONNECTION_ROTATION: {
        const btTransform frame = frameAlong(anchor, btVector3(0, 1, 0), 2);
        auto hinge = std::make_unique<btHingeConstraint>(parentBody, childBody, parentPose.inverse() * frame,
                                                         childPose.inverse() * frame);
        // The engine's motor turns the first body against the second; the
        // element is to turn counter-clockwise seen from above for positive speeds.
        hinge->enableAngularMotor(true, -description.speedFactor * MOTOR_SPEED_PER_SPEED_FACTOR,
                                  MOTOR_MAX_TORQUE * SUB_STEP);
        record->kind = JOINT_HELD;
        record->joint = std::move(hinge);
        break;
    }
    case CONNECTION_MOVING: {
        const btVector3 axis = toBullet(description.axis);
        const btScalar length = axis.length();
        if (!(length > 0.0f) || !std::isfinite(length) || !std::isfinite(description.distanceFactor)) {
            report("moving element without a usable axis is held in place");
            record->kind = JOINT_HELD;
            record->joint = fixedJoint();
            break;
        }
        const btVector3 unit = axis / length;
        const btTransform frame = frameAlong(anchor, unit, 0);
        auto slider = std::make_unique<btSliderConstraint>(parentBody, childBody, parentPose.inverse() * frame,
                                                           childPose.inverse() * frame, true);
        const btScalar travel = std::fabs(description.distanceFactor) * length;
        slider->setLowerLinLimit(-travel);
        slider->setUpperLinLimit(travel);
        record->kind = JOINT_SLIDING;
        record->axisInParent = parentPose.getBasis().transpose() * unit;
        record->timeFactor = description.timeFactor;
        record->speedFactor = description.speedFactor;
        record->joint = std::move(slider);
        break;
    }
    }

    if (record->joint) {
        record->joint->setDbgDrawSize(VISUALISATION_SCALE);
        dynamics.addConstraint(record->joint.get(), true);  // the two bodies do not collide
    }
    MovingElementRecord* stored = record.get();
    records.push_back(std::move(record));

    const int index = description.movingIndex;
    if (index < 0 || index >= MAX_MOVING_INDEX) {
        report("level element with moving index %d cannot be drawn", index);
        return;
    }
    if (movingTable.size() <= std::size_t(index))
        movingTable.resize(std::size_t(index) + 1, nullptr);
    movingTable[std::size_t(index)] = stored;
}
