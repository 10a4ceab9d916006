#include "platform/GamePad.h"

#include <SDL.h>
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

// SDL's virtual controller stands in for a real one: it is attached after the
// pad started, so the pad must find it, read it, and let go when it is pulled out.
TEST(GamePad, ReadsAControllerPluggedInLaterAndReleasesItWhenPulled)
{
    GamePad pad;
    EXPECT_EQ(pad.read().leftX, 0.0f);

    SDL_VirtualJoystickDesc desc;
    SDL_zero(desc);
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = SDL_CONTROLLER_AXIS_MAX;
    desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    const int device = SDL_JoystickAttachVirtualEx(&desc);
    ASSERT_GE(device, 0) << SDL_GetError();
    SDL_Joystick* joystick = SDL_JoystickOpen(device);
    ASSERT_NE(joystick, nullptr);
    SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_LEFTX, 32767);
    SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_LEFTY, -32768);
    SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_RIGHTX, 19660);
    SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_RIGHTY, 1000);
    SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_B, 1);
    SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_START, 1);

    pad.read();  // the first read finds the controller
    const PadState state = pad.read();
    EXPECT_NEAR(state.leftX, 1.0f, 1e-3f);
    EXPECT_NEAR(state.leftY, -1.0f, 1e-3f);
    EXPECT_NEAR(state.rightX, 0.5f, 1e-3f);
    EXPECT_EQ(state.rightY, 0.0f);
    EXPECT_FALSE(state.a);
    EXPECT_TRUE(state.b);
    EXPECT_TRUE(state.start);

    SDL_JoystickClose(joystick);
    SDL_JoystickDetachVirtual(device);
    const PadState released = pad.read();
    EXPECT_EQ(released.leftX, 0.0f);
    EXPECT_FALSE(released.b);
}

}  // namespace
