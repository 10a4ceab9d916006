#pragma once

#include "math/Vector3.h"
#include "render/RenderObject.h"

// A box of 24 vertices, one triangle strip per face, textured per face by the
// level's uTex/vTex extents.
class BoxObject : public RenderObject {
public:
    // Generates the box around center (the factories pass the origin and place it
    // with localMatrix) and builds it. See GeometryBuilder::boxTextureExtents.
    void init(int objectId, const Vector3& center, float boxWidth, float boxHeight, float boxDepth,
              const Vector3& uTex, const Vector3& vTex, int material, bool flag1, bool flag2, int moving);

    float width = 0.0f;
    float height = 0.0f;
    float depth = 0.0f;
};
