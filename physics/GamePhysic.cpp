#include "physics/GamePhysic.h"

#include "physics/CookedTriangleMesh.h"
#include "physics/DebugData.h"
#include "physics/DebugView.h"
#include "physics/MemoryReadStream.h"
#include "physics/MemoryWriteStream.h"
#include "physics/MeshMass.h"
#include "physics/SdkOutputStream.h"

#include <BulletCollision/CollisionDispatch/btInternalEdgeUtility.h>
#include <BulletCollision/Gimpact/btGImpactCollisionAlgorithm.h>
#include <BulletCollision/Gimpact/btGImpactShape.h>
#include <btBulletDynamicsCommon.h>

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr btScalar GRAVITY_Y = -9.8f;
constexpr btScalar SUB_STEP = GamePhysic::TIME_STEP / GamePhysic::SUB_STEPS;  // 1/64 s
constexpr btScalar GROUND_PLANE_Y = -250.0f;

// The engine has one friction coefficient where the materials give a static
// and a dynamic one; it takes the dynamic value, the one that acts while
// surfaces slide (a rolling ball needs far less than either).
constexpr btScalar DEFAULT_RESTITUTION = 0.2f;
constexpr btScalar DEFAULT_FRICTION = 0.95f;  // dynamic; static is 0.5
constexpr btScalar ELEMENT_FRICTION = 0.5f;   // static and dynamic of an element's own material

// A flat mesh body weighs as a plate of the engine's collision skin on both sides.
constexpr btScalar FLAT_MESH_THICKNESS = 2.0f * CONVEX_DISTANCE_MARGIN;

constexpr btScalar BALL_DENSITY = 1.0f;
constexpr btScalar ELEMENT_DENSITY = 10.0f;
// Angular damping rates, per second: velocity decays like exp(-rate * t).
constexpr btScalar BALL_ANGULAR_DAMPING = 0.1f;
constexpr btScalar ELEMENT_ANGULAR_DAMPING = 0.05f;
constexpr btScalar ROTOR_ANGULAR_DAMPING = 100.0f;

constexpr btScalar MOTOR_SPEED_PER_SPEED_FACTOR = 0.1f;  // rad/s
constexpr btScalar MOTOR_MAX_TORQUE = 1e8f;
constexpr btScalar PUSH_FORCE_PER_SPEED_FACTOR = 10000.0f;

// Rays have no maximum length; this one reaches beyond any level.
constexpr btScalar RAY_LENGTH = 10000.0f;
// Length of drawn body axes and joint frames in the debug view.
constexpr btScalar VISUALISATION_SCALE = 10.0f;
// Moving indexes come from a counter over one level's elements; anything
// beyond this is a caller's fault and is not stored.
constexpr int MAX_MOVING_INDEX = 1 << 16;

// How a level element hangs on its parent; only sliding elements are pushed.
enum JointKind {
    JOINT_NONE,     // a free body: no joint
    JOINT_HELD,     // fixed or turning about the vertical
    JOINT_SLIDING,  // a btSliderConstraint
};

btVector3 toBullet(const Vector3& v)
{
    return {v.x, v.y, v.z};
}

Vector3 fromBullet(const btVector3& v)
{
    return {v.x(), v.y(), v.z()};
}

bool isFinite(const Vector3& v)
{
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// The engine's damping keeps (1 - d) of a velocity per second; this gives the
// d that makes a velocity decay like exp(-rate * t).
btScalar dampingForRate(btScalar rate)
{
    return 1.0f - std::exp(-rate);
}

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

std::uint32_t packColour(const btVector3& colour)
{
    const auto channel = [](btScalar value) {
        return static_cast<std::uint32_t>(std::lround(std::clamp(value, 0.0f, 1.0f) * 255.0f));
    };
    return channel(colour.x()) << 16 | channel(colour.y()) << 8 | channel(colour.z());
}

// Surface values of a body. When two meet, the combine mode of higher priority
// (the later enumerator) decides how their values mix.
enum CombineMode { COMBINE_AVERAGE, COMBINE_MAX };

struct Material {
    btScalar friction = DEFAULT_FRICTION;
    btScalar restitution = DEFAULT_RESTITUTION;
    CombineMode frictionCombine = COMBINE_AVERAGE;
    CombineMode restitutionCombine = COMBINE_AVERAGE;
};

btScalar combine(CombineMode a, CombineMode b, btScalar x, btScalar y)
{
    return std::max(a, b) == COMBINE_MAX ? std::max(x, y) : (x + y) * 0.5f;
}

// Triangle data of one cooked mesh; the engine's shapes point into it.
struct MeshShape {
    CookedTriangleMesh mesh;
    std::unique_ptr<btTriangleIndexVertexArray> triangles;
    std::unique_ptr<btTriangleInfoMap> edgeInfo;
    // Stands in for the level body when internal edges are corrected: the
    // engine's edge utility looks for the mesh as the body's own shape, but the
    // level holds its meshes inside a compound.
    btCollisionObject edgeProxy;
};

// One body (or the static ground) and everything it owns. Its actor frame is
// where the game places it; the engine's body frame may sit at the centre of
// mass with principal axes: body = actor * bodyFromActor.
struct Actor {
    int id = 0;
    int actorGroup = 0;
    int shapeGroup = 0;
    Material material;
    btTransform bodyFromActor = btTransform::getIdentity();
    std::vector<std::unique_ptr<MeshShape>> meshes;
    std::vector<std::unique_ptr<btCollisionShape>> shapes;
    std::unique_ptr<btCollisionObject> object;  // destroyed first: it refers to the shapes

    btRigidBody* body() const { return btRigidBody::upcast(object.get()); }
    btTransform pose() const { return object->getWorldTransform() * bodyFromActor.inverse(); }
};

const Actor* actorOf(const btCollisionObject* object)
{
    return object ? static_cast<const Actor*>(object->getUserPointer()) : nullptr;
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

// Collects what the engine draws into DebugData; also the engine's only
// channel for warnings, so it stays attached with drawing switched off.
class DebugCollector : public btIDebugDraw {
public:
    explicit DebugCollector(const SdkOutputStream& output_) : output(output_) {}

    DebugData data;

    using btIDebugDraw::drawLine;
    using btIDebugDraw::drawTriangle;

    void drawLine(const btVector3& from, const btVector3& to, const btVector3& colour) override
    {
        data.lines.push_back({fromBullet(from), fromBullet(to), packColour(colour)});
    }

    void drawTriangle(const btVector3& a, const btVector3& b, const btVector3& c, const btVector3& colour,
                      btScalar) override
    {
        data.triangles.push_back({{fromBullet(a), fromBullet(b), fromBullet(c)}, packColour(colour)});
    }

    void drawContactPoint(const btVector3& point, const btVector3&, btScalar, int, const btVector3& colour) override
    {
        data.points.push_back({fromBullet(point), packColour(colour)});
    }

    void reportErrorWarning(const char* text) override { output.reportError(SDK_ERROR_INTERNAL, text); }
    void draw3dText(const btVector3&, const char*) override {}  // text has no place in the debug data
    void setDebugMode(int mode_) override { mode = mode_; }
    int getDebugMode() const override { return mode; }

private:
    const SdkOutputStream& output;
    int mode = DBG_NoDebug;
};

// A connected element: its joint to the parent body and how it is pushed.
struct MovingElementRecord {
    JointKind kind = JOINT_NONE;
    std::unique_ptr<btTypedConstraint> joint;  // null once a body of it was released
    Actor* element = nullptr;                  // the joint's second body
    btVector3 axisInParent{0, 0, 0};           // unit slide axis in the parent's body frame
    float timeFactor = 0.0f;
    float speedFactor = 0.0f;
    btVector3 pendingForce{0, 0, 0};  // given this frame, acts in the next step
    btVector3 stepForce{0, 0, 0};     // acts in the outstanding step
};

// The kinematic level's way to its target: the engine reads a kinematic
// body's pose once per step, so the level is instead moved before each
// sub-step along a straight line and a constant-speed rotation, with the
// velocity the solver needs to carry the ball.
struct LevelMotion {
    btTransform pendingTarget = btTransform::getIdentity();  // from MoveLevel*, for the next Simulate
    btTransform stepTarget = btTransform::getIdentity();     // latched by Simulate
    btTransform start = btTransform::getIdentity();
    btVector3 translation{0, 0, 0};
    btVector3 axis{1, 0, 0};
    btScalar angle = 0.0f;
    int subStep = 0;
};

}  // namespace

struct GamePhysic::World {
    explicit World(bool debugVisualisation);
    ~World();

    Actor* add(std::unique_ptr<Actor> actor);
    void release(std::size_t actorIndex);
    void detachJoints(const Actor* actor);
    void step();
    void driveLevel();
    static void beforeSubStep(btDynamicsWorld* dynamics, btScalar timeStep);
    static void afterSubStep(btDynamicsWorld* dynamics, btScalar timeStep);
    void holdSlidersAtTheirEnds();
    void collectDebugData();

    void createLevel(int levelActorId, const std::list<PhysicsElement*>& elements);
    void CreateElementChildren(Actor& parent, const std::list<PhysicsElement*>& children,
                               const Vector3& parentPosition);
    Actor* createElementBody(const PhysicsElement& element, const Vector3& worldPosition);
    btCollisionShape* makeElementShape(const PhysicsElement& element, Actor& owner, MeshMass& mass);
    void connect(Actor& parent, Actor& element, const PhysicsElement& description, const Vector3& parentPosition,
                 const Vector3& worldPosition);
    btCollisionShape* CookTriangleMesh(const MeshGeometry* geometry, Actor& owner, bool dynamicBody);
    btCollisionShape* makeBox(const Vector3& measures, Actor& owner);
    btCollisionShape* makeSphere(float radius, Actor& owner);
    void report(const char* format, ...) const;

    SdkOutputStream output;
    const bool debugVisualisation;
    DebugCollector collector{output};
    bool debugDataFetched = false;

    btDefaultCollisionConfiguration configuration;
    btCollisionDispatcher dispatcher{&configuration};
    btDbvtBroadphase broadphase;
    btSequentialImpulseConstraintSolver solver;
    btDiscreteDynamicsWorld dynamics{&dispatcher, &broadphase, &solver, &configuration};

    std::vector<std::unique_ptr<Actor>> actors;  // creation order, for lookups by id
    std::vector<std::unique_ptr<MovingElementRecord>> records;
    std::vector<MovingElementRecord*> movingTable;  // by moving index; null where none
    Actor* level = nullptr;
    LevelMotion motion;
    double physicsClock = 0.0;  // seconds; double so that hours of play keep the push in phase
    bool stepOutstanding = false;
};


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
    for (const auto& record : records)
        if (record->joint)
            dynamics.removeConstraint(record->joint.get());
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

// ---------------------------------------------------------------------------
// GamePhysic

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
    for (std::size_t i = 0; i < world->actors.size();) {
        if (world->actors[i]->id == actorId)
            world->release(i);
        else
            ++i;
    }
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
        std::printf("GamePhysic::CreateKinematicLevel Unable to create kinematic level\n");
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
    for (const auto& record : world->records)
        if (record->joint)
            world->dynamics.removeConstraint(record->joint.get());
    world->records.clear();
    world->movingTable.clear();
    world->movingTable.shrink_to_fit();
    for (std::size_t i = 0; i < world->actors.size();) {
        if (world->actors[i]->actorGroup == LEVEL_ACTOR_GROUP)
            world->release(i);
        else
            ++i;
    }
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
