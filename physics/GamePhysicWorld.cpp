#include "physics/GamePhysicWorld.h"

#include <BulletCollision/Gimpact/btGImpactCollisionAlgorithm.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>

using namespace physicsworld;

namespace {

constexpr btScalar GRAVITY_Y = -9.8f;
constexpr btScalar GROUND_PLANE_Y = -250.0f;

btScalar combine(CombineMode a, CombineMode b, btScalar x, btScalar y)
{
    return std::max(a, b) == COMBINE_MAX ? std::max(x, y) : (x + y) * 0.5f;
}

Material materialOf(const btCollisionObject* object)
{
    if (const Actor* actor = actorOf(object))
        return actor->material;
    Material probe;  // query shapes that belong to no actor
    probe.friction = object->getFriction();
    probe.restitution = object->getRestitution();
    return probe;
}

btScalar combinedFriction(const btCollisionObject* a, const btCollisionObject* b)
{
    const Material ma = materialOf(a), mb = materialOf(b);
    return combine(ma.frictionCombine, mb.frictionCombine, ma.friction, mb.friction);
}

btScalar combinedRestitution(const btCollisionObject* a, const btCollisionObject* b)
{
    const Material ma = materialOf(a), mb = materialOf(b);
    return combine(ma.restitutionCombine, mb.restitutionCombine, ma.restitution, mb.restitution);
}

// Called for every new contact with a body that holds triangle meshes: a ball
// rolling over the shared edge of two flat triangles must not hit that edge.
bool correctInternalEdge(btManifoldPoint& point, const btCollisionObjectWrapper* other, int, int,
                         const btCollisionObjectWrapper* triangle, int partId, int index)
{
    if (triangle->getCollisionShape()->getShapeType() != TRIANGLE_SHAPE_PROXYTYPE)
        return false;
    const btCollisionObjectWrapper* meshWrapper = triangle->m_parent;
    if (!meshWrapper || meshWrapper->getCollisionShape()->getShapeType() != TRIANGLE_MESH_SHAPE_PROXYTYPE)
        return false;
    const auto* mesh = static_cast<const MeshShape*>(meshWrapper->getCollisionShape()->getUserPointer());
    if (!mesh)
        return false;

    // The utility works in mesh coordinates; the contact keeps its local point
    // relative to the level body.
    const btTransform& meshPose = triangle->getWorldTransform();
    const btVector3 surfacePoint = point.m_positionWorldOnB;
    const btVector3 edgeNormal = point.m_normalWorldOnB;
    const btCollisionObjectWrapper standIn(nullptr, triangle->getCollisionShape(), &mesh->edgeProxy, meshPose,
                                           partId, index);
    point.m_localPointB = meshPose.invXform(surfacePoint);
    btAdjustInternalEdgeContacts(point, &standIn, other, partId, index,
                                 BT_TRIANGLE_CONVEX_DOUBLE_SIDED | BT_TRIANGLE_CONCAVE_DOUBLE_SIDED);

    // The utility turns the normal but leaves the point on the ball where the
    // edge touched it, off to the side of the ball's centre, and the floor's
    // push there would spin the ball sideways. A sphere touches a face along
    // the normal through its centre: put the contact there.
    if (other->getCollisionShape()->getShapeType() == SPHERE_SHAPE_PROXYTYPE && point.m_normalWorldOnB != edgeNormal) {
        const btScalar radius = static_cast<const btSphereShape*>(other->getCollisionShape())->getRadius();
        const btVector3 centre = other->getWorldTransform().getOrigin();
        const btVector3& normal = point.m_normalWorldOnB;
        point.m_distance1 = (centre - surfacePoint).dot(normal) - radius;
        point.m_positionWorldOnA = centre - normal * radius;
        point.m_positionWorldOnB = point.m_positionWorldOnA - normal * point.m_distance1;
        point.m_localPointA = other->getCollisionObject()->getWorldTransform().invXform(point.m_positionWorldOnA);
    }
    point.m_localPointB = triangle->getCollisionObject()->getWorldTransform().invXform(point.m_positionWorldOnB);
    return false;
}

}  // namespace

// ---------------------------------------------------------------------------
// World set-up and teardown

GamePhysic::World::World(bool debugVisualisation_) : debugVisualisation(debugVisualisation_)
{
    btGImpactCollisionAlgorithm::registerAlgorithm(&dispatcher);  // mesh element bodies
    dynamics.setGravity(btVector3(0, GRAVITY_Y, 0));
    dynamics.setInternalTickCallback(&World::beforeSubStep, this, true);
    dynamics.setInternalTickCallback(&World::afterSubStep, this, false);
    // Only the level is moved by hand, and it never sleeps.
    dynamics.setForceUpdateAllAabbs(false);
    dynamics.setDebugDrawer(&collector);
    if (debugVisualisation)
        collector.setDebugMode(btIDebugDraw::DBG_DrawWireframe | btIDebugDraw::DBG_DrawConstraints |
                               btIDebugDraw::DBG_DrawConstraintLimits);

    gContactAddedCallback = &correctInternalEdge;
    gCalculateCombinedFrictionCallback = &combinedFriction;
    gCalculateCombinedRestitutionCallback = &combinedRestitution;

    // Ground plane y = GROUND_PLANE_Y: static, default material, shape group 0.
    auto ground = std::make_unique<Actor>();
    ground->shapes.push_back(std::make_unique<btStaticPlaneShape>(btVector3(0, 1, 0), GROUND_PLANE_Y));
    ground->object = std::make_unique<btCollisionObject>();
    ground->object->setCollisionShape(ground->shapes.back().get());
    ground->object->setFriction(DEFAULT_FRICTION);
    ground->object->setRestitution(DEFAULT_RESTITUTION);
    add(std::move(ground));
}

GamePhysic::World::~World()
{
    releaseJoints();
    for (const auto& actor : actors)
        dynamics.removeCollisionObject(actor->object.get());
    gContactAddedCallback = nullptr;
    gCalculateCombinedFrictionCallback = &btManifoldResult::calculateCombinedFriction;
    gCalculateCombinedRestitutionCallback = &btManifoldResult::calculateCombinedRestitution;
}

Actor* GamePhysic::World::add(std::unique_ptr<Actor> actor)
{
    btCollisionObject* object = actor->object.get();
    object->setUserPointer(actor.get());
    object->setUserIndex(actor->id);
    if (btRigidBody* body = actor->body())
        dynamics.addRigidBody(body);  // the engine's filter: fixed and kinematic bodies skip each other
    else
        dynamics.addCollisionObject(object, btBroadphaseProxy::StaticFilter,
                                    btBroadphaseProxy::AllFilter ^ btBroadphaseProxy::StaticFilter);
    actors.push_back(std::move(actor));
    return actors.back().get();
}

void GamePhysic::World::release(std::size_t actorIndex)
{
    Actor* actor = actors[actorIndex].get();
    detachJoints(actor);
    if (level == actor)
        level = nullptr;
    dynamics.removeCollisionObject(actor->object.get());
    actors.erase(actors.begin() + static_cast<std::ptrdiff_t>(actorIndex));
}

void GamePhysic::World::detachJoints(const Actor* actor)
{
    const btRigidBody* body = actor->body();
    for (const auto& record : records) {
        btTypedConstraint* joint = record->joint.get();
        if (joint && (&joint->getRigidBodyA() == body || &joint->getRigidBodyB() == body)) {
            dynamics.removeConstraint(joint);
            record->joint.reset();
        }
        if (record->element == actor)
            record->element = nullptr;
    }
}

void GamePhysic::World::releaseJoints()
{
    for (const auto& record : records)
        if (record->joint)
            dynamics.removeConstraint(record->joint.get());
    records.clear();
    movingTable.clear();
    movingTable.shrink_to_fit();
}

void GamePhysic::World::report(const char* format, ...) const
{
    char message[256];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(message, sizeof(message), format, arguments);
    va_end(arguments);
    output.reportError(SDK_ERROR_INVALID_PARAMETER, message);
}

// ---------------------------------------------------------------------------
// Stepping

void GamePhysic::World::step()
{
    for (const auto& record : records) {
        if (record->element && !record->stepForce.fuzzyZero()) {
            record->element->body()->applyCentralForce(record->stepForce);  // for all sub-steps
            record->element->body()->activate();
        }
        record->stepForce.setZero();
    }

    if (level) {
        motion.start = level->body()->getWorldTransform();
        motion.translation = motion.stepTarget.getOrigin() - motion.start.getOrigin();
        btQuaternion turn = motion.stepTarget.getRotation() * motion.start.getRotation().inverse();
        if (turn.getW() < 0.0f)
            turn = -turn;  // the short way round
        motion.angle = turn.getAngle();
        motion.axis = turn.getAxis();
        motion.subStep = 0;
    }

    dynamics.stepSimulation(TIME_STEP, SUB_STEPS, SUB_STEP);

    if (level) {
        btRigidBody* body = level->body();
        body->setWorldTransform(motion.stepTarget);
        body->setInterpolationWorldTransform(motion.stepTarget);
        dynamics.updateSingleAabb(body);
    }
}

void GamePhysic::World::beforeSubStep(btDynamicsWorld* dynamics, btScalar)
{
    static_cast<World*>(dynamics->getWorldUserInfo())->driveLevel();
}

void GamePhysic::World::afterSubStep(btDynamicsWorld* dynamics, btScalar)
{
    static_cast<World*>(dynamics->getWorldUserInfo())->holdSlidersAtTheirEnds();
}

// The slider's limit row stops an element at an end only up to what one
// sub-step's solve leaves over, and a stiff limit turns the overrun into a
// rebound. Putting an element that overran back on its end, with its outward
// speed relative to the parent taken away, lets a push into an end hold it there.
void GamePhysic::World::holdSlidersAtTheirEnds()
{
    for (const auto& record : records) {
        if (record->kind != JOINT_SLIDING || !record->joint || !record->element)
            continue;
        auto& slider = static_cast<btSliderConstraint&>(*record->joint);
        btRigidBody& parent = record->joint->getRigidBodyA();
        btRigidBody& element = *record->element->body();
        const btTransform frame = parent.getWorldTransform() * slider.getFrameOffsetA();
        const btVector3 axis = frame.getBasis().getColumn(0);
        const btVector3 pivot = element.getWorldTransform() * slider.getFrameOffsetB().getOrigin();
        const btScalar position = (pivot - frame.getOrigin()).dot(axis);
        const btScalar end = btMax(slider.getLowerLinLimit(), btMin(position, slider.getUpperLinLimit()));
        if (position == end)
            continue;
        element.getWorldTransform().setOrigin(element.getWorldTransform().getOrigin() + axis * (end - position));
        const btVector3 relative =
            element.getLinearVelocity() - parent.getVelocityInLocalPoint(pivot - parent.getCenterOfMassPosition());
        const btScalar along = relative.dot(axis);
        if ((position > end) == (along > 0.0f))
            element.setLinearVelocity(element.getLinearVelocity() - axis * along);
    }
}

void GamePhysic::World::driveLevel()
{
    if (!level)
        return;
    // Where the level stands at the start of this sub-step, and the constant
    // velocity that takes it to the target by the end of the step.
    const btScalar fraction = btScalar(motion.subStep) / SUB_STEPS;
    const btQuaternion turned = btQuaternion(motion.axis, motion.angle * fraction) * motion.start.getRotation();
    const btTransform pose(turned, motion.start.getOrigin() + motion.translation * fraction);
    const btVector3 linear = motion.translation / TIME_STEP;
    const btVector3 angular = motion.axis * (motion.angle / TIME_STEP);

    btRigidBody* body = level->body();
    body->setWorldTransform(pose);
    body->setInterpolationWorldTransform(pose);
    body->setLinearVelocity(linear);
    body->setAngularVelocity(angular);
    body->setInterpolationLinearVelocity(linear);
    body->setInterpolationAngularVelocity(angular);
    ++motion.subStep;
}

void GamePhysic::World::collectDebugData()
{
    if (!debugVisualisation)
        return;
    collector.data.clear();
    dynamics.debugDrawWorld();
    for (const auto& actor : actors)
        if (actor->body())
            collector.drawTransform(actor->pose(), VISUALISATION_SCALE);
    debugDataFetched = true;
}
