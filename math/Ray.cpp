#include "math/Ray.h"

#include "math/Matrix4.h"

#include <cmath>

Ray::Ray(const Vector3& o, const Vector3& d) : origin(o)
{
    direction = d * (1.0f / std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z));
}

void Ray::transform(const Matrix4& m)
{
    origin = Matrix4::transformPoint(m, origin);
    const Vector3 d = direction;
    direction = {m[0] * d.x + m[4] * d.y + m[8] * d.z,
                 m[1] * d.x + m[5] * d.y + m[9] * d.z,
                 m[2] * d.x + m[6] * d.y + m[10] * d.z};
}

bool intersectRayTriangle(const Ray& ray, const Vector3& a, const Vector3& b, const Vector3& c,
                          float& t, float& u, float& v)
{
    constexpr float EPSILON = 0.000001f;
    const Vector3 e1 = b - a;
    const Vector3 e2 = c - a;
    const Vector3 p = ray.direction.cross(e2);
    const float det = e1.dot(p);
    if (det > -EPSILON && det < EPSILON)
        return false;
    const float inv = 1.0f / det;
    const Vector3 s = ray.origin - a;
    const float uu = s.dot(p) * inv;
    if (uu < 0.0f || uu > 1.0f)
        return false;
    const Vector3 q = s.cross(e1);
    const float vv = ray.direction.dot(q) * inv;
    if (vv < 0.0f || uu + vv > 1.0f)
        return false;
    t = e2.dot(q) * inv;
    u = uu;
    v = vv;
    return true;
}
