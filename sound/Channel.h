#pragma once

#include "sound/SoundResult.h"

class Sound;

// One of the system's mixer channels, handed out by SoundSystem::playSound.
// The system owns it; it is valid until the system is closed. A channel that
// a later start takes over reports that start.
class Channel {
public:
    Channel(const Channel&) = delete;
    Channel& operator=(const Channel&) = delete;

    // Whether the sound last started here is still sounding.
    SoundResult isPlaying(bool* playing) const;

private:
    friend class SoundSystem;

    explicit Channel(int index);

    int index;                   // the mixer channel
    const Sound* sound = nullptr; // last started here; null once released
};
