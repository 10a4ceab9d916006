#include "sound/Sound.h"

#include "sound/SoundMode.h"
#include "sound/SoundSystem.h"

#include <chrono>

Sound::Sound(SoundSystem* system, Mix_Chunk* chunk, bool looping)
    : system(system), chunk(chunk), looping(looping)
{
}

SoundResult Sound::setMode(unsigned int mode)
{
    if (mode != SOUND_LOOP_OFF && mode != SOUND_LOOP_NORMAL)
        return SOUND_ERR_INVALID_PARAM;
    looping = mode == SOUND_LOOP_NORMAL;
    return SOUND_OK;
}

SoundResult Sound::getOpenState(SoundOpenState* state)
{
    if (!state)
        return SOUND_ERR_INVALID_PARAM;
    collect(false);
    if (decoding.valid())
        *state = SOUND_OPENSTATE_LOADING;
    else
        *state = loadResult == SOUND_OK ? SOUND_OPENSTATE_READY : SOUND_OPENSTATE_ERROR;
    return loadResult;
}

void Sound::collect(bool wait)
{
    if (!decoding.valid())
        return;
    if (!wait && decoding.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
        return;
    const Decoded decoded = decoding.get();
    chunk = decoded.chunk;
    loadResult = decoded.result;
}

SoundResult Sound::release()
{
    return system->releaseSound(this);
}
