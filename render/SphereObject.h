#pragma once

#include "math/Vector3.h"
#include "render/RenderObject.h"

// A sphere drawn as one triangle strip of latitude bands.
class SphereObject : public RenderObject {
public:
    // Generates the sphere (|radius|; precision raised to 4, and bounded with a
    // line on standard output when absurdly high) and builds it. The geometry is
    // centred on center only when flag2 is set, otherwise on the origin.
    void init(int objectId, float sphereRadius, int spherePrecision, const Vector3& center, int material,
              bool flag1, bool flag2, int moving);

    float radius = 0.0f;
    int precision = 0;  // as built
};
