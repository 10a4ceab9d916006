#include "sound/GameSound.h"

#include "app/Report.h"
#include "sound/Sound.h"
#include "sound/SoundMode.h"

#include <cassert>

namespace {
const unsigned int REQUIRED_VERSION = 0x40619;
const int CHANNEL_COUNT = 32;

const char* const EFFECT_FILES[] = {"data/sound/ballLost.wav", "data/sound/endLevel.wav"};
const int EFFECT_COUNT = 2;

// Prints a failed call's line; the caller carries on either way.
bool succeeded(SoundResult result)
{
    if (result == SOUND_OK)
        return true;
    report("FMOD error! (%d) %s\n", static_cast<int>(result), soundErrorString(result));
    return false;
}
}  // namespace

GameSound::GameSound(unsigned int reportedLibraryVersion)
    : reportedLibraryVersion(reportedLibraryVersion)
{
}

GameSound::~GameSound()
{
    if (soundSystem)
        shutdown();
}

void GameSound::start()
{
    assert(!soundSystem);
    succeeded(SoundSystem::create(&soundSystem, reportedLibraryVersion));
    if (!soundSystem)
        return;

    unsigned int version = 0;
    succeeded(soundSystem->getVersion(&version));
    if (version < REQUIRED_VERSION)
        report("Error!  You are using an old version of FMOD %08x.  This program requires %08x\n",
               version, REQUIRED_VERSION);

    succeeded(soundSystem->init(CHANNEL_COUNT));
}

void GameSound::setupLevel(const std::array<const char*, 2>& music)
{
    releaseSounds(effectSounds);
    releaseSounds(musicSounds);
    releaseDecodingMusic();
    if (!soundSystem)
        return;

    // A failed effect keeps its slot, so the other effect keeps its index.
    for (const char* fileName : EFFECT_FILES)
        effectSounds.push_back(createSound(fileName, SOUND_CREATESAMPLE, SOUND_LOOP_OFF));

    for (const char* fileName : music) {
        if (!fileName)
            continue;
        Sound* track = createSound(fileName, SOUND_CREATESAMPLE | SOUND_NONBLOCKING, SOUND_LOOP_NORMAL);
        if (track)
            decodingMusic.push_back({fileName, track});
    }
}

// The tracks start together once all are decoded, so layered tracks stay in step.
void GameSound::startMusic()
{
    for (const Track& track : decodingMusic) {
        SoundOpenState state = SOUND_OPENSTATE_LOADING;
        track.sound->getOpenState(&state);
        if (state == SOUND_OPENSTATE_LOADING)
            return;
    }
    for (const Track& track : decodingMusic) {
        SoundOpenState state = SOUND_OPENSTATE_LOADING;
        if (!succeeded(track.sound->getOpenState(&state))) {
            report("Sound file %s could not be loaded\n", track.fileName);
            track.sound->release();
            continue;
        }
        soundSystem->playSound(track.sound, &channel);
        musicSounds.push_back(track.sound);
    }
    decodingMusic.clear();
}

void GameSound::playEffect(int index)
{
    assert(index >= 0 && index < EFFECT_COUNT);
    // Before the first level, or for an effect whose file failed: silence.
    if (!soundSystem || index >= static_cast<int>(effectSounds.size()) || !effectSounds[index])
        return;
    soundSystem->playSound(effectSounds[index], &channel);
}

void GameSound::update()
{
    if (!soundSystem)
        return;
    soundSystem->update();
    if (!decodingMusic.empty())
        startMusic();
}

void GameSound::shutdown()
{
    releaseSounds(effectSounds);
    releaseSounds(musicSounds);
    releaseDecodingMusic();
    if (!soundSystem)
        return;
    succeeded(soundSystem->close());
    succeeded(soundSystem->release());
    soundSystem = nullptr;
    channel = nullptr;
}

// Creates a sound loaded whole with the given loop mode; null (after the error
// line) when the file could not be loaded, and then nothing more is done with it.
Sound* GameSound::createSound(const char* fileName, unsigned int mode, unsigned int loopMode)
{
    Sound* sound = nullptr;
    if (!succeeded(soundSystem->createSound(fileName, mode, &sound))) {
        // The library's line has no room for the file; it gets a line of its own.
        report("Sound file %s could not be loaded\n", fileName);
        return nullptr;
    }
    succeeded(sound->setMode(loopMode));
    return sound;
}

// Releases the sounds in order, which ends their playback, and empties the list.
void GameSound::releaseSounds(std::vector<Sound*>& sounds)
{
    for (Sound* sound : sounds) {
        if (sound)
            succeeded(sound->release());
    }
    sounds.clear();
}

// Tracks of a level left before they started; each waits for its decoder.
void GameSound::releaseDecodingMusic()
{
    for (const Track& track : decodingMusic)
        succeeded(track.sound->release());
    decodingMusic.clear();
}
