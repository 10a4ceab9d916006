#pragma once

#include "math/Vector3.h"

class SphereObject;

// The player's ball: a physics sphere and the sphere object drawn at its pose.
// Not part of the scene tree; the game creates one per level start and destroys
// it at level unload or reset.
class Ball {
public:
    static constexpr int PRECISION = 50;
    static constexpr int MATERIAL = 2;

    Ball() = default;
    ~Ball();
    Ball(const Ball&) = delete;
    Ball& operator=(const Ball&) = delete;

    // Creates the physics body (whole-unit radius) and the sphere around the origin.
    void create(const Vector3& position, float radius);
    // Places the sphere at the body's pose; the ball never fades.
    void update(float dt);
    // Main pass, while created and visible: its material and effect pass, then the
    // sphere at the body's pose.
    void render(bool useDisplayLists);
    // Shadow depth pass: the same without material or effect pass.
    void renderDepth(bool useDisplayLists);
    // Releases the physics body and the sphere; nothing happens when not created.
    void destroy();

    // Translation of the body's pose.
    Vector3 position() const;
    // Distance from the centre straight down to the level, or the physics' no-hit distance.
    float heightAboveGround() const;
    // The ball's physics actor id (0 before create).
    int getActorId() const { return actorId; }

    bool visible = true;

private:
    void draw(bool useDisplayLists);

    SphereObject* object = nullptr;
    int objectId = 0;
    int actorId = 0;  // 0 matches no physics body
    bool created = false;
};
