#include "sound/Sound.h"

#include "sound/SoundMode.h"
#include "sound/SoundSystem.h"

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

SoundResult Sound::release()
{
    return system->releaseSound(this);
}
