#pragma once

#include "app/Singleton.h"
#include "math/Matrix4.h"
#include "math/Vector3.h"
#include "physics/PhysicsElement.h"

#include <list>
#include <memory>

class DebugView;

// The game's one entry to rigid-body physics: a single world stepped by a fixed
// 0.25 s per frame, the ball, the level as one kinematic body that the player
// tilts, the jointed level elements, ray and overlap queries and the debug view.
//
// Per frame: FetchResults completes the step that Simulate started at the end of
// the previous frame; between the two every query sees the last completed step.
// Level moves and element forces given during a frame act in the step started at
// its end. Bodies are found again by the integer actor id stored with them.
class GamePhysic : public Singleton<GamePhysic> {
public:
    static constexpr float TIME_STEP = 0.25f;          // simulated seconds per Simulate
    static constexpr int SUB_STEPS = 16;               // fixed sub-steps of 1/64 s per step
    static constexpr float NO_HIT_DISTANCE = 1000.0f;  // RaycastDistance when nothing is hit
    static constexpr int MAX_ACTORS = 1000;            // CreateSphere refuses from this count on
    static constexpr int LEVEL_ACTOR_GROUP = 1;        // every body of the level; ClearLevel releases them
    static constexpr int LEVEL_SHAPE_GROUP = 1;        // collision group of every level shape
    static constexpr unsigned RAY_GROUP_MASK = 1u << LEVEL_SHAPE_GROUP;  // groups that rays test

    ~GamePhysic() override;

    // Creates the world: gravity, default material, ground plane. Once, before anything else.
    void Init(bool debugVisualisation);
    // Starts a step of TIME_STEP with the level target and forces given so far.
    void Simulate();
    // Completes the started step and makes its results current; false at once
    // when no step is outstanding.
    bool FetchResults();

    // The ball: a dynamic sphere of density 1 at position. radius is whole
    // (the caller truncates). Nothing happens when MAX_ACTORS bodies exist.
    void CreateSphere(int actorId, const Vector3& position, int radius);
    // World pose of the first body carrying actorId; identity when none does.
    Matrix4 GetActorPose(const int& actorId) const;
    Vector3 GetActorVelocity(const int& actorId) const;
    // Releases every body carrying actorId (id 0 matches nothing).
    void ReleaseActor(const int& actorId);

    // Distance to the closest level shape along a unit direction, or NO_HIT_DISTANCE.
    float RaycastDistance(const Vector3& origin, const Vector3& direction) const;
    float NoHitDistance() const { return NO_HIT_DISTANCE; }
    // True when a shape of any body (the kinematic level included, the static
    // ground plane never) overlaps the sphere.
    bool IsDynamicShapeInSphere(const Vector3& center, const float& radius) const;

    // Kinematic target of the level body, reached smoothly over the next step.
    void MoveLevelPosition(const Vector3& position);
    // The columns of rotation's upper 3x3 become the target's rows, so the pose
    // read back with GetActorPose is the transpose of what was written.
    void MoveLevelOrientation(const Matrix4& rotation);

    // Builds the level body from the top-level elements and the bodies of
    // their children, jointed or free. Copies what it keeps.
    void CreateKinematicLevel(const int& levelActorId, const std::list<PhysicsElement*>& elements);
    // Advances the physics clock by elapsedSeconds and pushes the sliding
    // elements; also collects the debug data when the debug view is on.
    void UpdateMovingElements(float elapsedSeconds);
    // World pose of the child element with this moving index; identity for
    // an index that names no element.
    Matrix4 GetMovingElementPose(const int& movingIndex) const;
    // Releases the level body, the element bodies and their joints; the ball stays.
    void ClearLevel();

    // Registers the drawing side of the debug view (owned from here on).
    void SetDebugRenderer(std::unique_ptr<DebugView> renderer);
    // Draws the collected debug data; does nothing unless Init switched the view on.
    void RenderDebugView();

private:
    friend class Singleton<GamePhysic>;
    GamePhysic();

    struct World;  // the engine's objects
    std::unique_ptr<World> world;
    std::unique_ptr<DebugView> debugRenderer;
};
