// Preloaded into the real game by the integration tests (LD_PRELOAD): at the
// game's first controller read it attaches SDL's virtual controller, and at
// every read it sets the controller from the file PITCHROLL_TEST_PAD names:
// "leftX leftY rightX rightY a b start", axes as raw values (-32768..32767).
#include <SDL.h>

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>

namespace {

SDL_Joystick* virtualPad()
{
    static SDL_Joystick* joystick = nullptr;
    if (joystick)
        return joystick;
    SDL_VirtualJoystickDesc desc;
    SDL_zero(desc);
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = SDL_CONTROLLER_AXIS_MAX;
    desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    const int device = SDL_JoystickAttachVirtualEx(&desc);
    if (device >= 0)
        joystick = SDL_JoystickOpen(device);
    return joystick;
}

void applyFile(SDL_Joystick* joystick)
{
    const char* path = std::getenv("PITCHROLL_TEST_PAD");
    std::FILE* file = path ? std::fopen(path, "r") : nullptr;
    if (!file)
        return;
    int axes[4] = {};
    int buttons[3] = {};
    const int read = std::fscanf(file, "%d %d %d %d %d %d %d", &axes[0], &axes[1], &axes[2], &axes[3],
                                 &buttons[0], &buttons[1], &buttons[2]);
    std::fclose(file);
    if (read != 7)
        return;
    const SDL_GameControllerAxis axisOf[] = {SDL_CONTROLLER_AXIS_LEFTX, SDL_CONTROLLER_AXIS_LEFTY,
                                             SDL_CONTROLLER_AXIS_RIGHTX, SDL_CONTROLLER_AXIS_RIGHTY};
    const SDL_GameControllerButton buttonOf[] = {SDL_CONTROLLER_BUTTON_A, SDL_CONTROLLER_BUTTON_B,
                                                 SDL_CONTROLLER_BUTTON_START};
    for (int i = 0; i < 4; ++i)
        SDL_JoystickSetVirtualAxis(joystick, axisOf[i], static_cast<Sint16>(axes[i]));
    for (int i = 0; i < 3; ++i)
        SDL_JoystickSetVirtualButton(joystick, buttonOf[i], static_cast<Uint8>(buttons[i] != 0));
}

}  // namespace

extern "C" void SDL_GameControllerUpdate(void)
{
    using Update = void (*)();
    static const Update real = reinterpret_cast<Update>(dlsym(RTLD_NEXT, "SDL_GameControllerUpdate"));
    if (SDL_Joystick* joystick = virtualPad())
        applyFile(joystick);
    if (real)
        real();
}
