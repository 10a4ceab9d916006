#pragma once

#include "sound/SoundResult.h"

struct Mix_Chunk;
class SoundSystem;

// A sound decoded whole into memory, made by SoundSystem::createSound and
// freed by release(). Its loop mode applies to each later start.
class Sound {
public:
    Sound(const Sound&) = delete;
    Sound& operator=(const Sound&) = delete;

    // SOUND_LOOP_OFF or SOUND_LOOP_NORMAL, nothing else.
    SoundResult setMode(unsigned int mode);
    // Ends every playback of the sound and frees it; the pointer is invalid afterwards.
    SoundResult release();

private:
    friend class SoundSystem;

    Sound(SoundSystem* system, Mix_Chunk* chunk, bool looping);
    ~Sound() = default;

    SoundSystem* system; // the system that made it and frees its samples
    Mix_Chunk* chunk;    // owned; freed by the system
    bool looping;
};
