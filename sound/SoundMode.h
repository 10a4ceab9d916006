#pragma once

// Mode flags of a sound, combined with |.
enum SoundMode : unsigned int {
    SOUND_DEFAULT = 0x0,        // decoded whole, played once
    SOUND_LOOP_OFF = 0x1,       // plays once
    SOUND_LOOP_NORMAL = 0x2,    // plays from the start again at its end, until stopped
    SOUND_CREATESAMPLE = 0x100, // decoded whole into memory when created
};
