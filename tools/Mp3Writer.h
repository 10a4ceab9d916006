#pragma once

#include <string>

class AudioBuffer;

// Encodes stereo MP3 files with LAME (192 kbit/s constant rate). The file
// starts with LAME's Info tag, which records the encoder's delay and end
// padding; gapless decoders (mpg123, which SDL_mixer uses, and lame --decode)
// trim both, so a loop decodes to exactly its own samples and repeats without
// a gap or click.
class Mp3Writer {
public:
    // False, after a line on standard output, when encoding or writing fails.
    static bool write(const AudioBuffer& buffer, const std::string& path);
};
