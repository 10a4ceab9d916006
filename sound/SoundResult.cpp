#include "sound/SoundResult.h"

const char* soundErrorString(SoundResult result)
{
    switch (result) {
    case SOUND_OK:
        return "No errors.";
    case SOUND_ERR_INVALID_PARAM:
        return "An invalid parameter was passed to this function.";
    case SOUND_ERR_INVALID_HANDLE:
        return "The sound belongs to another sound system.";
    case SOUND_ERR_UNINITIALIZED:
        return "The sound system has not been initialized.";
    case SOUND_ERR_INITIALIZED:
        return "A sound system is already initialized.";
    case SOUND_ERR_OUTPUT_INIT:
        return "No audio output could be opened.";
    case SOUND_ERR_FILE_NOTFOUND:
        return "File not found.";
    case SOUND_ERR_FORMAT:
        return "Unsupported file or audio format.";
    case SOUND_ERR_CHANNEL_ALLOC:
        return "No free channel to play the sound on.";
    case SOUND_ERR_NOTREADY:
        return "The sound is still being decoded, or could not be.";
    }
    return "Unknown error.";
}
