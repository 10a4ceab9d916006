#pragma once

#include "sound/SoundSystem.h"

#include <array>
#include <vector>

class Channel;
class Sound;

// The game's sounds: the sound system, the two effects (0: ball lost,
// 1: level finished) and the current level's looping music. Every failed
// call prints "FMOD error! (code) text" and the game goes on.
class GameSound {
public:
    static constexpr int EFFECT_BALL_LOST = 0;
    static constexpr int EFFECT_END_LEVEL = 1;

    // reportedLibraryVersion: the version the sound system will report (tests
    // pass an old one).
    explicit GameSound(unsigned int reportedLibraryVersion = SoundSystem::VERSION);
    ~GameSound();

    GameSound(const GameSound&) = delete;
    GameSound& operator=(const GameSound&) = delete;

    // Creates the sound system, checks its version and opens 32 channels.
    void start();
    // Releases the effects and the music, recreates the effects and starts the
    // level's music: each track in order, looping together; null entries are skipped.
    void setupLevel(const std::array<const char*, 2>& music);
    // Starts an effect at once; it may overlap itself and the music.
    void playEffect(int index);
    // Once per frame.
    void update();
    // Releases every sound, closes and releases the system.
    void shutdown();

private:
    Sound* createSound(const char* fileName, unsigned int loopMode);
    void releaseSounds(std::vector<Sound*>& sounds);

    unsigned int reportedLibraryVersion;
    SoundSystem* soundSystem = nullptr;
    std::vector<Sound*> effectSounds; // by effect index; null where loading failed
    std::vector<Sound*> musicSounds;  // in the order started
    Channel* channel = nullptr;       // the channel of the last start
};
