#pragma once

#include <mutex>
#include <string>

class Image;

// Writes DXT-compressed DirectDraw Surface files with a complete mipmap chain
// through DevIL. The levels are filtered here (MipChain): DevIL's own builder
// point-samples. DevIL keeps global state, so all calls are serialised.
class DdsWriter {
public:
    // DXT1 without alpha, DXT5 with. False, after a line on standard output, on failure.
    static bool write(const Image& image, const std::string& path, bool withAlpha);
    // Held by every DevIL call of the generator: DevIL's current image is one per process.
    static std::mutex& devilMutex();
};
