#pragma once

// Result of every sound layer operation. The values are printed in the game's
// error lines, so they stay fixed; the int base makes any code a valid value.
enum SoundResult : int {
    SOUND_OK = 0,
    SOUND_ERR_INVALID_PARAM = 1,
    SOUND_ERR_INVALID_HANDLE = 2,
    SOUND_ERR_UNINITIALIZED = 3,
    SOUND_ERR_INITIALIZED = 4,
    SOUND_ERR_OUTPUT_INIT = 5,
    SOUND_ERR_FILE_NOTFOUND = 6,
    SOUND_ERR_FORMAT = 7,
    SOUND_ERR_CHANNEL_ALLOC = 8,
    SOUND_ERR_NOTREADY = 9,
};

// A readable text for a result, also for values outside the enumeration.
const char* soundErrorString(SoundResult result);
