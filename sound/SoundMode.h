#pragma once

// Mode flags of a sound, combined with |.
enum SoundMode : unsigned int {
    SOUND_DEFAULT = 0x0,        // decoded whole, played once
    SOUND_LOOP_OFF = 0x1,       // plays once
    SOUND_LOOP_NORMAL = 0x2,    // plays from the start again at its end, until stopped
    SOUND_CREATESAMPLE = 0x100, // decoded whole into memory when created
    SOUND_NONBLOCKING = 0x10000, // decoded on a thread of its own; see Sound::getOpenState
};

// Where a sound created with SOUND_NONBLOCKING stands.
enum SoundOpenState : int {
    SOUND_OPENSTATE_READY = 0,   // decoded (or created blocking): it can be played
    SOUND_OPENSTATE_LOADING = 1, // still being decoded
    SOUND_OPENSTATE_ERROR = 2,   // it could not be loaded; it can only be released
};
