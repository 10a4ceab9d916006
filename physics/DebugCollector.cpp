#include "physics/DebugCollector.h"

#include "physics/SdkOutputStream.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

Vector3 fromBullet(const btVector3& v)
{
    return {v.x(), v.y(), v.z()};
}

std::uint32_t packColour(const btVector3& colour)
{
    const auto channel = [](btScalar value) {
        return static_cast<std::uint32_t>(std::lround(std::clamp(value, 0.0f, 1.0f) * 255.0f));
    };
    return channel(colour.x()) << 16 | channel(colour.y()) << 8 | channel(colour.z());
}

}  // namespace

void DebugCollector::drawLine(const btVector3& from, const btVector3& to, const btVector3& colour)
{
    data.lines.push_back({fromBullet(from), fromBullet(to), packColour(colour)});
}

void DebugCollector::drawTriangle(const btVector3& a, const btVector3& b, const btVector3& c,
                                  const btVector3& colour, btScalar)
{
    data.triangles.push_back({{fromBullet(a), fromBullet(b), fromBullet(c)}, packColour(colour)});
}

void DebugCollector::drawContactPoint(const btVector3& point, const btVector3&, btScalar, int,
                                      const btVector3& colour)
{
    data.points.push_back({fromBullet(point), packColour(colour)});
}

void DebugCollector::reportErrorWarning(const char* text)
{
    output.reportError(SDK_ERROR_INTERNAL, text);
}
