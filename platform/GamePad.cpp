#include "platform/GamePad.h"

#include "app/Report.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>

GamePad::GamePad()
{
    // The window is GLUT's, not SDL's: controller input counts without SDL focus.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    started = SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
    if (!started) {
        report("Game controllers unavailable: %s\n", SDL_GetError());
        return;
    }
    // The state is polled; queued events would only pile up unread.
    SDL_GameControllerEventState(SDL_IGNORE);
    SDL_JoystickEventState(SDL_IGNORE);
}

GamePad::~GamePad()
{
    if (controller)
        SDL_GameControllerClose(controller);
    if (started)
        SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
}

PadState GamePad::read()
{
    PadState state;
    if (!started)
        return state;
    SDL_GameControllerUpdate();
    if (controller && !SDL_GameControllerGetAttached(controller)) {
        SDL_GameControllerClose(controller);
        controller = nullptr;
    }
    for (int i = 0; !controller && i < SDL_NumJoysticks(); ++i) {
        if (SDL_IsGameController(i))
            controller = SDL_GameControllerOpen(i);
    }
    if (!controller)
        return state;

    state.leftX = stickValue(SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_LEFTX));
    state.leftY = stickValue(SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_LEFTY));
    state.rightX = stickValue(SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_RIGHTX));
    state.rightY = stickValue(SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_RIGHTY));
    state.a = SDL_GameControllerGetButton(controller, SDL_CONTROLLER_BUTTON_A) != 0;
    state.b = SDL_GameControllerGetButton(controller, SDL_CONTROLLER_BUTTON_B) != 0;
    state.start = SDL_GameControllerGetButton(controller, SDL_CONTROLLER_BUTTON_START) != 0;
    return state;
}

float GamePad::stickValue(int raw)
{
    const float value = std::clamp(static_cast<float>(raw) / 32767.0f, -1.0f, 1.0f);
    const float magnitude = std::fabs(value);
    if (magnitude <= DEAD_ZONE)
        return 0.0f;
    return std::copysign((magnitude - DEAD_ZONE) / (1.0f - DEAD_ZONE), value);
}
