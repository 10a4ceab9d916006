#include "platform/GamePad.h"

#include <gtest/gtest.h>

namespace {

TEST(GamePad, StickValuesHaveADeadZoneAndReachOneAtFullTravel)
{
    const struct {
        int raw;
        float value;
    } cases[] = {
        {0, 0.0f},      {6000, 0.0f},    {-6553, 0.0f},  // inside the 20 % dead zone
        {32767, 1.0f},  {-32768, -1.0f},                  // the negative side is one longer
        {19660, 0.5f},  {-19660, -0.5f},                  // halfway between the dead zone and the end
    };
    for (const auto& c : cases)
        EXPECT_NEAR(GamePad::stickValue(c.raw), c.value, 1e-3f) << c.raw;
}

}  // namespace
