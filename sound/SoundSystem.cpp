#include "sound/SoundSystem.h"

#include "app/DataFile.h"
#include "sound/Channel.h"
#include "sound/Sound.h"
#include "sound/SoundMode.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <cstdint>
#include <future>
#include <string>

namespace {
// Output format: CD rate, 16-bit stereo; 1024 frames (23 ms) per mix.
const int OUTPUT_RATE = 44100;
const int OUTPUT_CHANNELS = 2;
const int MIX_FRAMES = 1024;
const int MAX_CHANNELS = 4093;

const unsigned int CREATE_MODES = SOUND_CREATESAMPLE | SOUND_LOOP_OFF | SOUND_LOOP_NORMAL | SOUND_NONBLOCKING;

// The mixer is process-wide: at most one system may hold it.
bool mixerTaken = false;

bool openMixer()
{
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return false;
    if (Mix_OpenAudioDevice(OUTPUT_RATE, AUDIO_S16SYS, OUTPUT_CHANNELS, MIX_FRAMES, nullptr, 0) == 0)
        return true;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
}

std::uint32_t littleEndian32(const std::string& bytes, std::size_t at)
{
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i)
        value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
    return value;
}

// SDL's WAV reader allocates what a chunk's size field says before reading it,
// so a lying size asks for up to 4 GB. Every chunk of a RIFF WAVE file must fit
// in the file; other files (MP3) carry no such sizes and pass.
bool wavSizesFit(const std::string& bytes)
{
    constexpr std::size_t RIFF_HEADER = 12;  // "RIFF", size, "WAVE"
    constexpr std::size_t CHUNK_HEADER = 8;  // id, size
    if (bytes.compare(0, 4, "RIFF") != 0)
        return true;
    if (bytes.size() < RIFF_HEADER || bytes.compare(8, 4, "WAVE") != 0)
        return false;
    for (std::size_t at = RIFF_HEADER; at < bytes.size();) {
        if (bytes.size() - at < CHUNK_HEADER)
            return false;
        const std::uint32_t size = littleEndian32(bytes, at + 4);
        if (size > bytes.size() - at - CHUNK_HEADER)
            return false;
        at += CHUNK_HEADER + size + (size & 1);  // chunks are padded to even sizes
    }
    return true;
}

// Reads and decodes a sound file whole into the output format. Touches no
// state of the system, so it may run on a thread of its own.
SoundResult decodeFile(const char* fileName, Mix_Chunk** decoded)
{
    // Read whole from a regular file only (a pipe would block the game), and
    // checked before the decoder trusts the sizes in it.
    std::string bytes;
    const DataFile::Outcome outcome = DataFile::read(fileName, bytes);
    if (outcome == DataFile::MISSING)
        return SOUND_ERR_FILE_NOTFOUND;
    if (outcome != DataFile::READ || !wavSizesFit(bytes))
        return SOUND_ERR_FORMAT;
    SDL_RWops* file = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
    if (!file)
        return SOUND_ERR_FORMAT;
    // Decodes and converts to the output format. The stream is closed here:
    // the mixer leaks it on some failures (an unknown file under 12 bytes).
    *decoded = Mix_LoadWAV_RW(file, 0);
    SDL_RWclose(file);
    return *decoded ? SOUND_OK : SOUND_ERR_FORMAT;
}

bool openOutput()
{
    // The game reads no SDL events: SDL must not swallow Ctrl-C and SIGTERM.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (openMixer())
        return true;
    // A machine without a sound card (SDL picks ALSA, which then finds no
    // device): the dummy driver takes the mix at the real rate, so the game
    // runs on in silence.
    SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
    const bool opened = openMixer();
    SDL_ResetHint(SDL_HINT_AUDIODRIVER);
    return opened;
}
}  // namespace

SoundSystem::SoundSystem(unsigned int reportedVersion)
    : reportedVersion(reportedVersion)
{
}

SoundSystem::~SoundSystem() = default;

SoundResult SoundSystem::create(SoundSystem** system, unsigned int reportedVersion)
{
    if (!system)
        return SOUND_ERR_INVALID_PARAM;
    *system = new SoundSystem(reportedVersion);
    return SOUND_OK;
}

SoundResult SoundSystem::getVersion(unsigned int* version) const
{
    if (!version)
        return SOUND_ERR_INVALID_PARAM;
    *version = reportedVersion;
    return SOUND_OK;
}

SoundResult SoundSystem::init(int maxChannels)
{
    if (maxChannels < 1 || maxChannels > MAX_CHANNELS)
        return SOUND_ERR_INVALID_PARAM;
    if (initialised || mixerTaken)
        return SOUND_ERR_INITIALIZED;
    if (!openOutput())
        return SOUND_ERR_OUTPUT_INIT;
    // Without the MP3 decoder MP3 files fail to load with a format error.
    Mix_Init(MIX_INIT_MP3);
    Mix_AllocateChannels(maxChannels);
    for (int i = 0; i < maxChannels; ++i)
        channels.emplace_back(new Channel(i));
    initialised = true;
    mixerTaken = true;
    return SOUND_OK;
}

SoundResult SoundSystem::createSound(const char* fileName, unsigned int mode, Sound** sound)
{
    if (!sound)
        return SOUND_ERR_INVALID_PARAM;
    *sound = nullptr;
    if (!fileName || (mode & ~CREATE_MODES) != 0
        || ((mode & SOUND_LOOP_OFF) && (mode & SOUND_LOOP_NORMAL)))
        return SOUND_ERR_INVALID_PARAM;
    if (!initialised)
        return SOUND_ERR_UNINITIALIZED;

    const bool looping = (mode & SOUND_LOOP_NORMAL) != 0;
    if (mode & SOUND_NONBLOCKING) {
        *sound = new Sound(this, nullptr, looping);
        (*sound)->decoding = std::async(std::launch::async, [name = std::string(fileName)] {
            Mix_Chunk* chunk = nullptr;
            const SoundResult result = decodeFile(name.c_str(), &chunk);
            // SDL keeps data (its error text) for each thread that calls it and
            // frees it only for threads of its own making.
            SDL_TLSCleanup();
            return Sound::Decoded{result, chunk};
        });
        sounds.push_back(*sound);
        return SOUND_OK;
    }
    Mix_Chunk* chunk = nullptr;
    const SoundResult result = decodeFile(fileName, &chunk);
    if (result != SOUND_OK)
        return result;
    *sound = new Sound(this, chunk, looping);
    sounds.push_back(*sound);
    return SOUND_OK;
}

SoundResult SoundSystem::playSound(Sound* sound, Channel** channel)
{
    if (channel)
        *channel = nullptr;
    if (!sound)
        return SOUND_ERR_INVALID_PARAM;
    if (sound->system != this)
        return SOUND_ERR_INVALID_HANDLE;
    if (!initialised)
        return SOUND_ERR_UNINITIALIZED;

    sound->collect(false);
    if (!sound->chunk)
        return SOUND_ERR_NOTREADY;
    const int index = Mix_PlayChannel(-1, sound->chunk, sound->looping ? -1 : 0);
    if (index < 0)
        return SOUND_ERR_CHANNEL_ALLOC;
    channels[index]->sound = sound;
    if (channel)
        *channel = channels[index].get();
    return SOUND_OK;
}

SoundResult SoundSystem::update()
{
    return initialised ? SOUND_OK : SOUND_ERR_UNINITIALIZED;
}

SoundResult SoundSystem::close()
{
    if (!initialised)
        return SOUND_OK;
    Mix_HaltChannel(-1);
    while (!sounds.empty())
        releaseSound(sounds.back());
    channels.clear();
    Mix_CloseAudio();
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    initialised = false;
    mixerTaken = false;
    return SOUND_OK;
}

SoundResult SoundSystem::release()
{
    const SoundResult result = close();
    delete this;
    return result;
}

SoundResult SoundSystem::releaseSound(Sound* sound)
{
    sound->collect(true);
    stopPlayback(sound);
    Mix_FreeChunk(sound->chunk);
    sounds.erase(std::remove(sounds.begin(), sounds.end(), sound), sounds.end());
    delete sound;
    return SOUND_OK;
}

// Halts the channels still playing the sound, so its samples can be freed.
void SoundSystem::stopPlayback(const Sound* sound)
{
    for (const std::unique_ptr<Channel>& channel : channels) {
        if (channel->sound != sound)
            continue;
        Mix_HaltChannel(channel->index);
        channel->sound = nullptr;
    }
}
