#pragma once

#include "math/Matrix4.h"
#include "math/Ray.h"
#include "math/Vector3.h"
#include "render/Frustum.h"

// Values the game publishes once per frame (and per pass) for the render
// objects, which read them without knowing the game.
struct FrameData {
    Frustum frustum;                 // of the last computation; frozen while 'v' is held
    bool frustumCulling = true;
    Ray eyeToBall;                   // from the camera eye towards the ball, unit direction
    float eyeToBallDistance = 0.0f;
    bool noAlphaBlending = false;    // mirrors RenderManager::noAlphaBlending
    bool depthPass = false;          // mirrors RenderManager::depthPass
    int renderPass = 0;              // 1 while the shadow depth pass draws, 2 the scene pass
    Matrix4 viewMatrix;              // view of the pass being drawn: light, camera or identity
    Vector3 eyePosition;             // camera eye, world coordinates
    Vector3 lightPosition;           // light position, world coordinates

    // The one instance, shared by the game and the render objects.
    static FrameData& shared();
};
