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
    // Releases the effects and the music, recreates the effects and starts
    // decoding the level's music, so the level shows while it decodes; null
    // entries are skipped.
    void setupLevel(const std::array<const char*, 2>& music);
    // Starts an effect at once; it may overlap itself and the music.
    void playEffect(int index);
    // Once per frame. When every track of the level has been decoded, starts
    // them in order, looping together, and prints the lines of those that failed.
    void update();
    // Some of the level's music is still being decoded.
    bool musicLoading() const { return !decodingMusic.empty(); }
    // Releases every sound, closes and releases the system.
    void shutdown();

private:
    struct Track {
        const char* fileName;
        Sound* sound;
    };

    Sound* createSound(const char* fileName, unsigned int mode, unsigned int loopMode);
    void startMusic();
    void releaseSounds(std::vector<Sound*>& sounds);
    void releaseDecodingMusic();

    unsigned int reportedLibraryVersion;
    SoundSystem* soundSystem = nullptr;
    std::vector<Sound*> effectSounds; // by effect index; null where loading failed
    std::vector<Sound*> musicSounds;  // in the order started
    std::vector<Track> decodingMusic; // the level's tracks until they start
    Channel* channel = nullptr;       // the channel of the last start
};
