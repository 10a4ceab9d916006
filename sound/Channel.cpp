#include "sound/Channel.h"

#include <SDL_mixer.h>

Channel::Channel(int index)
    : index(index)
{
}

SoundResult Channel::isPlaying(bool* playing) const
{
    if (!playing)
        return SOUND_ERR_INVALID_PARAM;
    *playing = sound && Mix_Playing(index) != 0;
    return SOUND_OK;
}
