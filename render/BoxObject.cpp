#include "render/BoxObject.h"

#include "render/GeometryBuilder.h"

void BoxObject::init(int objectId, const Vector3& center, float boxWidth, float boxHeight, float boxDepth,
                     const Vector3& uTex, const Vector3& vTex, int material, bool flag1, bool flag2, int moving)
{
    initCommon(objectId, TYPE_BOX, material, flag1, flag2, moving);
    width = boxWidth;
    height = boxHeight;
    depth = boxDepth;
    GeometryBuilder::box(*this, center, width, height, depth, uTex, vTex);
    build();
}
