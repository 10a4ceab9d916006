#include "physics/GamePhysic.h"

#include "app/Report.h"
#include "physics/DebugView.h"
#include "physics/GamePhysicWorld.h"


using namespace physicsworld;

namespace {

constexpr btScalar BALL_DENSITY = 1.0f;
// Angular damping rate, per second: velocity decays like exp(-rate * t).
constexpr btScalar BALL_ANGULAR_DAMPING = 0.1f;
constexpr btScalar PUSH_FORCE_PER_SPEED_FACTOR = 10000.0f;

// Rays have no maximum length; this one reaches beyond any level.
constexpr btScalar RAY_LENGTH = 10000.0f;

// Matrix4 in OpenGL order holds row r, column c at [c * 4 + r].
Matrix4 toMatrix(const btTransform& pose)
{
    Matrix4 m;
    const btMatrix3x3& basis = pose.getBasis();
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column)
            m[column * 4 + row] = basis[row][column];
    m[12] = pose.getOrigin().x();
    m[13] = pose.getOrigin().y();
    m[14] = pose.getOrigin().z();
    return m;
}

// Ray callback that sees only bodies whose shape group is in the ray group mask.
struct LevelRayCallback : btCollisionWorld::ClosestRayResultCallback {
    using ClosestRayResultCallback::ClosestRayResultCallback;

    bool needsCollision(btBroadphaseProxy* proxy) const override
    {
        const Actor* actor = actorOf(static_cast<const btCollisionObject*>(proxy->m_clientObject));
        return actor && ((1u << actor->shapeGroup) & GamePhysic::RAY_GROUP_MASK) != 0;
    }
};

// Contact callback that reports whether any body (not the static ground) overlaps the probe.
struct BodyOverlapCallback : btCollisionWorld::ContactResultCallback {
    bool found = false;

    bool needsCollision(btBroadphaseProxy* proxy) const override
    {
        return btRigidBody::upcast(static_cast<const btCollisionObject*>(proxy->m_clientObject)) != nullptr;
    }

    btScalar addSingleResult(btManifoldPoint& point, const btCollisionObjectWrapper*, int, int,
                             const btCollisionObjectWrapper*, int, int) override
    {
        if (point.getDistance() <= 0.0f)
            found = true;
        return 0.0f;
    }
};

}  // namespace

GamePhysic::GamePhysic() = default;

GamePhysic::~GamePhysic() = default;

void GamePhysic::Init(bool debugVisualisation)
{
    if (world) {
        world->output.reportError(SDK_ERROR_INVALID_OPERATION, "the physics world exists already");
        return;
    }
    world = std::make_unique<World>(debugVisualisation);
}

void GamePhysic::Simulate()
{
    if (!world)
        return;
    if (world->stepOutstanding) {
        world->output.reportError(SDK_ERROR_INVALID_OPERATION, "a step is outstanding already");
        return;
    }
    world->motion.stepTarget = world->motion.pendingTarget;
    for (const auto& record : world->records) {
        record->stepForce = record->pendingForce;
        record->pendingForce.setZero();
    }
    world->stepOutstanding = true;
}

bool GamePhysic::FetchResults()
{
    if (!world || !world->stepOutstanding)
        return false;
    world->step();
    world->stepOutstanding = false;
    return true;
}

void GamePhysic::CreateSphere(int actorId, const Vector3& position, int radius)
{
    if (!world || world->actors.size() >= std::size_t(MAX_ACTORS))
        return;
    if (radius <= 0 || !isFinite(position)) {
        world->report("ball with radius %d refused", radius);
        return;
    }
    auto actor = std::make_unique<Actor>();
    actor->id = actorId;
    const btScalar r = btScalar(radius);
    auto sphere = std::make_unique<btSphereShape>(r);
    const btScalar mass = BALL_DENSITY * 4.0f / 3.0f * SIMD_PI * r * r * r;
    btVector3 inertia;
    sphere->calculateLocalInertia(mass, inertia);

    btRigidBody::btRigidBodyConstructionInfo info(mass, nullptr, sphere.get(), inertia);
    info.m_startWorldTransform.setOrigin(toBullet(position));
    info.m_angularDamping = dampingForRate(BALL_ANGULAR_DAMPING);
    info.m_friction = DEFAULT_FRICTION;
    info.m_restitution = DEFAULT_RESTITUTION;
    actor->shapes.push_back(std::move(sphere));
    actor->object = std::make_unique<btRigidBody>(info);
    world->add(std::move(actor))->body()->setLinearVelocity(btVector3(0, 0, 0));
}

namespace {

// First actor carrying id in creation order; id 0 never matches.
template <typename Actors>
const Actor* findActor(const Actors& actors, int id)
{
    if (id == 0)
        return nullptr;
    for (const auto& actor : actors)
        if (actor->id == id)
            return actor.get();
    return nullptr;
}

}  // namespace

Matrix4 GamePhysic::GetActorPose(const int& actorId) const
{
    const Actor* actor = world ? findActor(world->actors, actorId) : nullptr;
    return actor ? toMatrix(actor->pose()) : Matrix4();
}

Vector3 GamePhysic::GetActorVelocity(const int& actorId) const
{
    const Actor* actor = world ? findActor(world->actors, actorId) : nullptr;
    return actor && actor->body() ? fromBullet(actor->body()->getLinearVelocity()) : Vector3();
}

void GamePhysic::ReleaseActor(const int& actorId)
{
    if (!world || actorId == 0)
        return;
    world->releaseActors([actorId](const Actor& actor) { return actor.id == actorId; });
}

float GamePhysic::RaycastDistance(const Vector3& origin, const Vector3& direction) const
{
    if (!world || !isFinite(origin) || !isFinite(direction) || direction.dot(direction) == 0.0f)
        return NO_HIT_DISTANCE;
    const btVector3 from = toBullet(origin);
    const btVector3 to = from + toBullet(direction) * RAY_LENGTH;
    LevelRayCallback callback(from, to);
    world->dynamics.rayTest(from, to, callback);
    if (!callback.hasHit())
        return NO_HIT_DISTANCE;
    return callback.m_closestHitFraction * (to - from).length();
}

bool GamePhysic::IsDynamicShapeInSphere(const Vector3& center, const float& radius) const
{
    if (!world || !isFinite(center) || !(radius > 0.0f) || !std::isfinite(radius))
        return false;
    btSphereShape probeShape(radius);
    btCollisionObject probe;
    probe.setCollisionShape(&probeShape);
    probe.setWorldTransform(btTransform(btMatrix3x3::getIdentity(), toBullet(center)));
    BodyOverlapCallback callback;
    world->dynamics.contactTest(&probe, callback);
    return callback.found;
}

void GamePhysic::MoveLevelPosition(const Vector3& position)
{
    if (world && world->level && isFinite(position))
        world->motion.pendingTarget.setOrigin(toBullet(position));
}

void GamePhysic::MoveLevelOrientation(const Matrix4& m)
{
    if (!world || !world->level)
        return;
    const btMatrix3x3 rows(m[0], m[1], m[2], m[4], m[5], m[6], m[8], m[9], m[10]);
    btQuaternion rotation;
    rows.getRotation(rotation);
    const btScalar length = rotation.length();
    if (!(length > 0.0f) || !std::isfinite(length))
        return;
    world->motion.pendingTarget.setRotation(rotation / length);
}

void GamePhysic::CreateKinematicLevel(const int& levelActorId, const std::list<PhysicsElement*>& elements)
{
    if (!world) {
        report("GamePhysic::CreateKinematicLevel Unable to create kinematic level\n");
        return;
    }
    world->createLevel(levelActorId, elements);
}

void GamePhysic::UpdateMovingElements(float elapsedSeconds)
{
    if (!world)
        return;
    world->collectDebugData();
    if (std::isfinite(elapsedSeconds))
        world->physicsClock += elapsedSeconds;
    for (MovingElementRecord* record : world->movingTable) {
        if (!record || record->kind != JOINT_SLIDING || !record->joint || !record->element)
            continue;
        const btVector3 axis = record->joint->getRigidBodyA().getWorldTransform().getBasis() * record->axisInParent;
        const double push = std::sin(record->timeFactor * world->physicsClock) * record->speedFactor *
                            PUSH_FORCE_PER_SPEED_FACTOR;
        record->pendingForce += axis * btScalar(push);
    }
}

Matrix4 GamePhysic::GetMovingElementPose(const int& movingIndex) const
{
    if (!world || movingIndex < 0 || std::size_t(movingIndex) >= world->movingTable.size())
        return Matrix4();
    const MovingElementRecord* record = world->movingTable[std::size_t(movingIndex)];
    return record && record->element ? toMatrix(record->element->pose()) : Matrix4();
}

void GamePhysic::ClearLevel()
{
    if (!world)
        return;
    world->releaseJoints();
    world->releaseActors([](const Actor& actor) { return actor.actorGroup == LEVEL_ACTOR_GROUP; });
    world->level = nullptr;
    world->physicsClock = 0.0;
}

void GamePhysic::SetDebugRenderer(std::unique_ptr<DebugView> renderer)
{
    debugRenderer = std::move(renderer);
}

void GamePhysic::RenderDebugView()
{
    if (world && world->debugVisualisation && world->debugDataFetched && debugRenderer)
        debugRenderer->render(world->collector.data);
}
