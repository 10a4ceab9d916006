#pragma once

#include "sound/SoundMode.h"
#include "sound/SoundResult.h"

#include <future>

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
    // Whether a sound created with SOUND_NONBLOCKING has been decoded. Returns
    // SOUND_OK, or, with SOUND_OPENSTATE_ERROR, why the sound could not be
    // loaded (the result a blocking createSound would have given).
    SoundResult getOpenState(SoundOpenState* state);
    // Ends every playback of the sound and frees it; the pointer is invalid
    // afterwards. A sound still being decoded is waited for.
    SoundResult release();

private:
    friend class SoundSystem;

    struct Decoded {
        SoundResult result;
        Mix_Chunk* chunk;
    };

    Sound(SoundSystem* system, Mix_Chunk* chunk, bool looping);
    ~Sound() = default;
    // Takes the decoder's result once it is there (at once when wait is set).
    void collect(bool wait);

    SoundSystem* system; // the system that made it and frees its samples
    Mix_Chunk* chunk;    // owned; freed by the system; null until decoded
    bool looping;
    std::future<Decoded> decoding; // valid while a non-blocking decode is pending
    SoundResult loadResult = SOUND_OK;
};
