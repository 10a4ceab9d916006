#pragma once

#include "sound/SoundResult.h"

#include <memory>
#include <vector>

class Channel;
class Sound;

// The sound system: opens the audio output, decodes sounds whole and mixes
// them on a fixed number of channels (SDL2_mixer underneath). Every operation
// returns a result code instead of failing loudly. Only one system can be
// initialised at a time, because the mixer underneath is process-wide.
class SoundSystem {
public:
    // This layer's version, in the 0xMMmmpp form callers compare against.
    static constexpr unsigned int VERSION = 0x00040700;

    SoundSystem(const SoundSystem&) = delete;
    SoundSystem& operator=(const SoundSystem&) = delete;

    // Makes a system that reports reportedVersion from getVersion (tests pass
    // an older one to see how callers react).
    static SoundResult create(SoundSystem** system, unsigned int reportedVersion = VERSION);

    // The reported version, e.g. 0x00040619 for 4.06.19.
    SoundResult getVersion(unsigned int* version) const;
    // Opens the audio output with maxChannels mixer channels. Without a usable
    // device it falls back to a silent output that still consumes the mix.
    SoundResult init(int maxChannels);
    // Decodes fileName (WAV or MP3, relative to the working directory) whole.
    // mode: SOUND_DEFAULT or SOUND_CREATESAMPLE, optionally with one loop flag.
    // On failure *sound is null: SOUND_ERR_FILE_NOTFOUND for a missing file,
    // SOUND_ERR_FORMAT for one that is no regular file, whose WAV chunk sizes
    // run past its end, or that cannot be decoded. With SOUND_NONBLOCKING the
    // sound is made at once and decoded on a thread of its own: its open state
    // tells when it can be played, or gives those failures.
    SoundResult createSound(const char* fileName, unsigned int mode, Sound** sound);
    // Starts the sound at once on a free channel; *channel (may be null) gets it.
    // SOUND_ERR_NOTREADY while the sound is being decoded or when it failed to.
    SoundResult playSound(Sound* sound, Channel** channel);
    // Once per frame. Mixing runs on the output's own thread, so there is
    // nothing to hand over; it reports whether the system is running.
    SoundResult update();
    // Ends all playback, frees every sound still alive and closes the output.
    SoundResult close();
    // Closes the system if open and deletes it; the pointer is invalid afterwards.
    SoundResult release();

private:
    friend class Sound;

    explicit SoundSystem(unsigned int reportedVersion);
    ~SoundSystem();

    SoundResult releaseSound(Sound* sound);
    void stopPlayback(const Sound* sound);

    unsigned int reportedVersion;
    bool initialised = false;
    std::vector<std::unique_ptr<Channel>> channels;
    std::vector<Sound*> sounds; // alive, owned
};
