#include "tools/DataGenerator.h"

#include "level/PngWriter.h"
#include "tools/DdsWriter.h"
#include "tools/IconGenerator.h"
#include "tools/MeshShapes.h"
#include "tools/Mp3Writer.h"
#include "tools/NormalMapBuilder.h"
#include "tools/OgreMeshWriter.h"
#include "tools/ParticleAtlasGenerator.h"
#include "tools/SkyBoxGenerator.h"
#include "tools/SoundTracks.h"
#include "tools/TargaWriter.h"
#include "tools/TextureCatalogue.h"
#include "tools/WavWriter.h"

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <thread>

namespace fs = std::filesystem;

DataGenerator::DataGenerator(std::string dataDirectory, std::string nameFilter)
    : directory(std::move(dataDirectory)), filter(std::move(nameFilter))
{
    addTextureJobs();
    addSkyBoxJobs();
    addSoundJobs();
    add("meshes", [this](std::vector<std::string>& written) {
        // OGRE is set up once for all meshes; it is not safe to use from two threads.
        OgreMeshWriter writer;
        bool ok = true;
        for (MeshData (*shape)() : {MeshShapes::halfPipe, MeshShapes::archBridge, MeshShapes::treeTrunk,
                                   MeshShapes::rock, MeshShapes::crater}) {
            const MeshData mesh = shape();
            const std::string file = path("meshes/" + mesh.name + ".mesh");
            ok = writer.write(mesh, file) && ok;
            written.push_back(file);
        }
        return ok;
    });
    add("icon", [this](std::vector<std::string>& written) {
        const std::string file = path("icon/pitchroll.png");
        written.push_back(file);
        const Image icon = IconGenerator::icon(ICON_SIZE);
        const std::lock_guard<std::mutex> lock(DdsWriter::devilMutex());
        if (PngWriter::write(file, icon.width(), icon.height(), 4, icon.toBytes(4, true).data(), false))
            return true;
        std::printf("Cannot write %s\n", file.c_str());
        return false;
    });
    add("particle atlas", [this](std::vector<std::string>& written) {
        written.push_back(path("Textures/particle.tga"));
        return TargaWriter::write(ParticleAtlasGenerator::atlas(401u), path("Textures/particle.tga"), 4);
    });
}

void DataGenerator::add(const std::string& name, std::function<bool(std::vector<std::string>&)> work)
{
    if (filter.empty() || name.find(filter) != std::string::npos) {
        jobs.push_back({name, std::move(work)});
    }
}

std::string DataGenerator::path(const std::string& relative) const
{
    return (fs::path(directory) / relative).string();
}

void DataGenerator::addTextureJobs()
{
    for (const TextureCatalogue::Entry& entry : TextureCatalogue::entries()) {
        add(entry.name, [this, &entry](std::vector<std::string>& written) {
            const Image image = entry.recipe(entry.size, entry.seed);
            const std::string base = path("Textures/" + entry.name);
            bool ok;
            if (entry.format == TextureCatalogue::Format::DDS) {
                ok = DdsWriter::write(image, base + ".dds", false);
                written.push_back(base + ".dds");
            } else {
                ok = TargaWriter::write(image, base + ".tga", 3);
                written.push_back(base + ".tga");
            }
            if (entry.bumpiness > 0.0f) {
                ok = TargaWriter::write(NormalMapBuilder::build(image, entry.bumpiness), base + "_normal.tga", 4) && ok;
                written.push_back(base + "_normal.tga");
            }
            return ok;
        });
    }
}

void DataGenerator::addSkyBoxJobs()
{
    using World = SkyBoxGenerator::World;
    for (const World world : {World::JUNGLE, World::VOLCANO, World::LAGOON}) {
        for (int face = 0; face < SkyBoxGenerator::FACE_COUNT; ++face) {
            const std::string file = std::string("skybox/") + SkyBoxGenerator::worldName(world) + "/" +
                                     SkyBoxGenerator::faceName(face) + ".tga";
            add(file, [this, world, face, file](std::vector<std::string>& written) {
                written.push_back(path(file));
                return TargaWriter::write(SkyBoxGenerator::face(world, face, SKY_SIZE), path(file), 3, true);
            });
        }
    }
}

void DataGenerator::addSoundJobs()
{
    struct Track {
        const char* file;
        AudioBuffer (*make)();
    };
    // The long music loops first, so they start while the textures keep the other thread busy.
    static const Track tracks[] = {
        {"sound/backgroundJungle01.mp3", SoundTracks::jungleRhythm},
        {"sound/backgroundJungle02.mp3", SoundTracks::jungleAmbience},
        {"sound/backgroundLava01.wav", SoundTracks::lavaDrone},
        {"sound/backgroundLagoon01.wav", SoundTracks::lagoonWaves},
        {"sound/backgroundLagoon02.wav", SoundTracks::lagoonPad},
        {"sound/ballLost.wav", SoundTracks::ballLost},
        {"sound/endLevel.wav", SoundTracks::endLevel},
    };
    for (const Track& track : tracks) {
        add(track.file, [this, &track](std::vector<std::string>& written) {
            const std::string file = path(track.file);
            written.push_back(file);
            const AudioBuffer sound = track.make();
            const bool mp3 = file.size() > 4 && file.compare(file.size() - 4, 4, ".mp3") == 0;
            return mp3 ? Mp3Writer::write(sound, file) : WavWriter::write(sound, file);
        });
    }
}

bool DataGenerator::run(int threads)
{
    for (const char* folder : {"Textures", "skybox/jungle", "skybox/volcano", "skybox/lagoon", "meshes", "sound", "icon"}) {
        std::error_code error;
        fs::create_directories(path(folder), error);
        if (error) {
            std::printf("Cannot create %s: %s\n", path(folder).c_str(), error.message().c_str());
            return false;
        }
    }

    std::atomic<std::size_t> next{0};
    std::atomic<bool> allOk{true};
    std::mutex resultMutex;
    std::vector<std::string> files;
    auto worker = [&] {
        for (std::size_t i = next++; i < jobs.size(); i = next++) {
            std::vector<std::string> written;
            if (!jobs[i].work(written)) {
                allOk = false;
            }
            const std::lock_guard<std::mutex> lock(resultMutex);
            files.insert(files.end(), written.begin(), written.end());
        }
    };
    std::vector<std::thread> pool;
    for (int t = 1; t < threads; ++t) {
        pool.emplace_back(worker);
    }
    worker();
    for (std::thread& thread : pool) {
        thread.join();
    }

    fileCount = static_cast<int>(files.size());
    byteCount = 0;
    for (const std::string& file : files) {
        std::error_code error;
        const std::uintmax_t size = fs::file_size(file, error);
        byteCount += error ? 0 : size;
    }
    return allOk;
}
