#include "render/SphereObject.h"

#include "app/Report.h"
#include "render/GeometryBuilder.h"

#include <cmath>

void SphereObject::init(int objectId, float sphereRadius, int spherePrecision, const Vector3& center, int material,
                        bool flag1, bool flag2, int moving)
{
    initCommon(objectId, TYPE_SPHERE, material, flag1, flag2, moving);
    radius = std::fabs(sphereRadius);
    precision = GeometryBuilder::spherePrecision(spherePrecision);
    if (spherePrecision > precision)
        report("Sphere precision %d is too high, using %d\n", spherePrecision, precision);
    GeometryBuilder::sphere(*this, radius, precision, flag2 ? center : Vector3());
    build();
}
