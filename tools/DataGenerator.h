#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Generates the game's images, meshes and sounds into a data folder. Every
// file comes from a fixed seed, so two runs give identical files. The work is
// split into independent jobs that run on a few threads.
class DataGenerator {
public:
    // dataDirectory: the game's data folder ("data" when run from the game's
    // working directory). Only jobs whose name contains filter run (all when empty).
    static constexpr int SKY_SIZE = 1024;  // sky box faces: about one texel per pixel of a full-screen view

    DataGenerator(std::string dataDirectory, std::string filter);

    // Runs every job; false when any file could not be written.
    bool run(int threads);
    int filesWritten() const { return fileCount; }
    std::uintmax_t bytesWritten() const { return byteCount; }

private:
    struct Job {
        std::string name;
        std::function<bool(std::vector<std::string>& written)> work;
    };

    static constexpr int ICON_SIZE = 256;  // the desktop's largest usual icon size

    void addTextureJobs();
    void addSkyBoxJobs();
    void addSoundJobs();
    void add(const std::string& name, std::function<bool(std::vector<std::string>&)> work);
    std::string path(const std::string& relative) const;

    std::string directory;
    std::string filter;
    std::vector<Job> jobs;
    int fileCount = 0;
    std::uintmax_t byteCount = 0;
};
