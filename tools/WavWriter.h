#pragma once

#include <string>

class AudioBuffer;

// Writes 16-bit stereo PCM RIFF/WAVE files at the buffer's sample rate.
class WavWriter {
public:
    // False, after a line on standard output, when the file cannot be written.
    static bool write(const AudioBuffer& buffer, const std::string& path);
};
