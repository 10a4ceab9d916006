// pitchroll-datagen <data-dir> [name-filter]
// Writes the game's textures, sky boxes, particle atlas, meshes and sounds into
// <data-dir>. With a filter only the jobs whose name contains it run (for
// working on one recipe).
#include "tools/DataGenerator.h"

#include <chrono>
#include <cstdio>
#include <thread>

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3) {
        std::printf("usage: %s <data-dir> [name-filter]\n", argv[0]);
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    DataGenerator generator(argv[1], argc == 3 ? argv[2] : "");
    const unsigned int cores = std::thread::hardware_concurrency();
    const bool ok = generator.run(cores > 0 ? static_cast<int>(cores) : 2);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("Generated %d files (%.1f MB) in %.1f s\n", generator.filesWritten(),
                static_cast<double>(generator.bytesWritten()) / (1024.0 * 1024.0), seconds);
    return ok ? 0 : 1;
}
