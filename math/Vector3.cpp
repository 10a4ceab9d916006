#include "math/Vector3.h"

#include "math/MathConstants.h"
#include "math/Random.h"

#include <cmath>

float Vector3::length() const
{
    return std::sqrt(x * x + y * y + z * z);
}

Vector3 Vector3::normalized(const Vector3& v)
{
    return v * (1.0f / v.length());
}

Vector3 Vector3::randomDirection()
{
    const float k1 = Random::unit();
    const float k2 = Random::unit();
    const float z = 2.0f * k1 - 1.0f;
    // max() guards the square root against z*z rounding just above 1
    const float s = std::sqrt(std::fmax(0.0f, 1.0f - z * z));
    const float angle = k2 * TWO_PI - PI;
    return {std::cos(angle) * s, std::sin(angle) * s, z};
}
