#pragma once

// The engine side of GamePhysic, private to the physics target: the world and
// the records it keeps. GamePhysicWorld.cpp sets the world up and steps it,
// GamePhysicLevel.cpp builds the level bodies, shapes and joints, and
// GamePhysic.cpp is the public layer over both.

#include "physics/CookedTriangleMesh.h"
#include "physics/DebugCollector.h"
#include "physics/GamePhysic.h"
#include "physics/SdkOutputStream.h"

#include <BulletCollision/CollisionDispatch/btInternalEdgeUtility.h>
#include <btBulletDynamicsCommon.h>

#include <cmath>
#include <cstddef>
#include <list>
#include <memory>
#include <vector>

class MeshMass;

namespace physicsworld {

constexpr btScalar SUB_STEP = GamePhysic::TIME_STEP / GamePhysic::SUB_STEPS;  // 1/64 s

// The engine has one friction coefficient where the materials give a static
// and a dynamic one; it takes the dynamic value, the one that acts while
// surfaces slide (a rolling ball needs far less than either).
constexpr btScalar DEFAULT_RESTITUTION = 0.2f;
constexpr btScalar DEFAULT_FRICTION = 0.95f;  // dynamic; static is 0.5
// Length of drawn body axes and joint frames in the debug view.
constexpr btScalar VISUALISATION_SCALE = 10.0f;

// How a level element hangs on its parent; only sliding elements are pushed.
enum JointKind {
    JOINT_NONE,     // a free body: no joint
    JOINT_HELD,     // fixed or turning about the vertical
    JOINT_SLIDING,  // a btSliderConstraint
};

inline btVector3 toBullet(const Vector3& v)
{
    return {v.x, v.y, v.z};
}

inline Vector3 fromBullet(const btVector3& v)
{
    return {v.x(), v.y(), v.z()};
}

inline bool isFinite(const Vector3& v)
{
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// The engine's damping keeps (1 - d) of a velocity per second; this gives the
// d that makes a velocity decay like exp(-rate * t).
inline btScalar dampingForRate(btScalar rate)
{
    return 1.0f - std::exp(-rate);
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

inline const Actor* actorOf(const btCollisionObject* object)
{
    return object ? static_cast<const Actor*>(object->getUserPointer()) : nullptr;
}

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

}  // namespace physicsworld

struct GamePhysic::World {
    using Actor = physicsworld::Actor;
    using MovingElementRecord = physicsworld::MovingElementRecord;

    // Set-up, teardown and stepping (GamePhysicWorld.cpp).
    explicit World(bool debugVisualisation);
    ~World();

    Actor* add(std::unique_ptr<Actor> actor);
    void release(std::size_t actorIndex);
    void detachJoints(const Actor* actor);
    // Releases, in creation order, every actor for which matches is true.
    template <typename Matches>
    void releaseActors(Matches matches)
    {
        for (std::size_t i = 0; i < actors.size();) {
            if (matches(*actors[i]))
                release(i);
            else
                ++i;
        }
    }
    // Takes every joint out of the world and empties the records and the moving table.
    void releaseJoints();
    void step();
    void driveLevel();
    static void beforeSubStep(btDynamicsWorld* dynamics, btScalar timeStep);
    static void afterSubStep(btDynamicsWorld* dynamics, btScalar timeStep);
    void holdSlidersAtTheirEnds();
    void collectDebugData();
    // Passes a message to the SDK output stream as an invalid parameter.
    void report(const char* format, ...) const;

    // Level bodies, shapes and joints (GamePhysicLevel.cpp).
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
    physicsworld::LevelMotion motion;
    double physicsClock = 0.0;  // seconds; double so that hours of play keep the push in phase
    bool stepOutstanding = false;
};
