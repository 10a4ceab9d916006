// Checks the files that the test fixture generated with pitchroll-datagen into
// DATA_DIR, each through a reader of its own: Targa, DevIL for DDS, OGRE's
// serializer for meshes, a WAV reader and lame --decode and SDL_mixer for sound.
#include "tools/DataGenerator.h"
#include "tools/ParticleAtlasGenerator.h"
#include "tools/SkyBoxGenerator.h"
#include "tools/TextureCatalogue.h"

#include "level/XmlHandler.h"
#include "level/XmlReader.h"

#include "GeneratedFiles.h"

#include <IL/il.h>
#include <OGRE/Ogre.h>
#include <OGRE/OgreDefaultHardwareBufferManager.h>
#include <OGRE/OgreMeshSerializer.h>
#include <SDL2/SDL.h>
#include <SDL2/SDL_mixer.h>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;
using generated::Picture;

namespace {

// Tiling: the step from the last column to the first must be no larger than
// the texture's steps between neighbouring columns, on average or right beside
// the wrap (a groove may lie across it), with a little slack.
void expectTiles(const Picture& picture, const std::string& name)
{
    for (const bool columns : {true, false}) {
        const double edge = generated::edgeDifference(picture, columns);
        const double rough = std::max(generated::interiorDifference(picture, columns),
                                      generated::besideEdgeDifference(picture, columns));
        EXPECT_LE(edge, 1.5 * rough + 2.0) << name << (columns ? " left/right" : " top/bottom");
    }
}

double meanChannel(const Picture& p, int channel)
{
    double sum = 0.0;
    for (int y = 0; y < p.height; ++y) {
        for (int x = 0; x < p.width; ++x) {
            sum += p.at(x, y)[channel];
        }
    }
    return sum / (p.width * p.height);
}

}  // namespace

TEST(DataGenerator, MaterialTexturesHaveTheirSizesChannelsAndTile)
{
    for (const TextureCatalogue::Entry& entry : TextureCatalogue::entries()) {
        SCOPED_TRACE(entry.name);
        const bool dds = entry.format == TextureCatalogue::Format::DDS;
        Picture colour;
        if (dds) {
            int format = 0;
            const std::vector<Picture> levels = generated::readDds(generated::path("Textures/" + entry.name + ".dds"), &format);
            ASSERT_FALSE(levels.empty());
            EXPECT_EQ(format, 1);
            colour = levels[0];
        } else {
            colour = generated::readTarga(generated::path("Textures/" + entry.name + ".tga"));
            EXPECT_EQ(colour.channels, 3);
        }
        ASSERT_EQ(colour.width, entry.size);
        ASSERT_EQ(colour.height, entry.size);
        EXPECT_GE(entry.size, 256);
        EXPECT_LE(entry.size, 512);
        // Not a flat colour: the pixels vary.
        double variance = 0.0;
        const double mean = meanChannel(colour, 1);
        for (int y = 0; y < colour.height; y += 3) {
            for (int x = 0; x < colour.width; x += 3) {
                variance += std::pow(colour.at(x, y)[1] - mean, 2.0);
            }
        }
        EXPECT_GT(variance / (colour.width * colour.height / 9.0), 4.0);
        if (entry.name != "ball_marble") {  // the ball's picture wraps only around the equator
            expectTiles(colour, entry.name);
        } else {
            const double edge = generated::edgeDifference(colour, true);
            EXPECT_LE(edge, 1.5 * generated::interiorDifference(colour, true) + 2.0);
        }
        if (entry.bumpiness > 0.0f) {
            const Picture normal = generated::readTarga(generated::path("Textures/" + entry.name + "_normal.tga"));
            ASSERT_EQ(normal.channels, 4);
            ASSERT_EQ(normal.width, entry.size);
            expectTiles(normal, entry.name + "_normal");
            int steep = 0;
            for (int y = 0; y < normal.height; y += 7) {
                for (int x = 0; x < normal.width; x += 7) {
                    const std::uint8_t* n = normal.at(x, y);
                    const double nx = n[0] / 127.5 - 1.0;
                    const double ny = n[1] / 127.5 - 1.0;
                    const double nz = n[2] / 127.5 - 1.0;
                    EXPECT_NEAR(nx * nx + ny * ny + nz * nz, 1.0, 0.05);
                    EXPECT_GT(nz, 0.0);
                    steep += nz < 0.97 ? 1 : 0;
                }
            }
            EXPECT_GT(steep, 20) << "the relief shows";
            // The height in alpha uses the range.
            double low = 255.0;
            double high = 0.0;
            for (int y = 0; y < normal.height; y += 5) {
                for (int x = 0; x < normal.width; x += 5) {
                    low = std::min<double>(low, normal.at(x, y)[3]);
                    high = std::max<double>(high, normal.at(x, y)[3]);
                }
            }
            EXPECT_GT(high - low, 60.0);
        }
    }
}

TEST(DataGenerator, DdsTexturesCarryAFullFilteredMipChain)
{
    int ddsCount = 0;
    for (const TextureCatalogue::Entry& entry : TextureCatalogue::entries()) {
        if (entry.format != TextureCatalogue::Format::DDS) {
            continue;
        }
        SCOPED_TRACE(entry.name);
        ++ddsCount;
        const std::vector<Picture> levels = generated::readDds(generated::path("Textures/" + entry.name + ".dds"));
        ASSERT_EQ(levels.size(), static_cast<std::size_t>(std::log2(entry.size)) + 1);
        for (std::size_t i = 0; i < levels.size(); ++i) {
            EXPECT_EQ(levels[i].width, entry.size >> i);
            // Filtered levels keep the picture's average colour (point samples would wander).
            for (int c = 0; c < 3; ++c) {
                EXPECT_NEAR(meanChannel(levels[i], c), meanChannel(levels[0], c), 10.0) << "level " << i;
            }
        }
        // The level below the top is smoother than the top, as a filtered image is.
        EXPECT_LT(generated::interiorDifference(levels[3], true), 2.0 * generated::interiorDifference(levels[0], true) + 8.0);
    }
    EXPECT_GE(ddsCount, 3);
}

TEST(DataGenerator, SkyBoxFacesMeetAlongEveryEdgeAsTheGameDrawsThem)
{
    for (const char* world : {"jungle", "volcano", "lagoon"}) {
        SCOPED_TRACE(world);
        Picture faces[SkyBoxGenerator::FACE_COUNT];
        for (int f = 0; f < SkyBoxGenerator::FACE_COUNT; ++f) {
            faces[f] = generated::readTarga(generated::path(std::string("skybox/") + world + "/" +
                                                            SkyBoxGenerator::faceName(f) + ".tga"));
            ASSERT_EQ(faces[f].width, 512);
            ASSERT_EQ(faces[f].height, 512);
        }
        // For every border pixel of every face, find the face and pixel on the
        // other side of the cube edge by direction and compare the two.
        double total = 0.0;
        int count = 0;
        double worstEdge = 0.0;
        for (int f = 0; f < SkyBoxGenerator::FACE_COUNT; ++f) {
            for (int side = 0; side < 4; ++side) {
                double edgeSum = 0.0;
                for (int i = 0; i < 512; ++i) {
                    const int x = side == 0 ? 0 : side == 1 ? 511 : i;
                    const int y = side == 2 ? 0 : side == 3 ? 511 : i;
                    // A direction just beyond this face's edge.
                    const float s = side == 0 ? -0.5f / 512 : side == 1 ? 1.0f + 0.5f / 512 : (x + 0.5f) / 512;
                    const float t = side == 2 ? -0.5f / 512 : side == 3 ? 1.0f + 0.5f / 512 : (y + 0.5f) / 512;
                    const Vector3 d = SkyBoxGenerator::direction(f, s, t);
                    int best = -1;
                    float bestS = 0.0f;
                    float bestT = 0.0f;
                    for (int g = 0; g < SkyBoxGenerator::FACE_COUNT; ++g) {
                        if (g == f) {
                            continue;
                        }
                        // Solve d = k (o + s' a + t' b) on face g's plane.
                        const Vector3 o = SkyBoxGenerator::direction(g, 0.0f, 0.0f);
                        const Vector3 centre = SkyBoxGenerator::direction(g, 0.5f, 0.5f);
                        const float along = d.dot(centre);
                        if (along <= 0.0f) {
                            continue;
                        }
                        const Vector3 oc = o * (1.0f / o.dot(centre));
                        const Vector3 p = d * (oc.dot(centre) / along);
                        const Vector3 sEnd = SkyBoxGenerator::direction(g, 1.0f, 0.0f);
                        const Vector3 tEnd = SkyBoxGenerator::direction(g, 0.0f, 1.0f);
                        const Vector3 a = sEnd * (1.0f / sEnd.dot(centre)) - oc;
                        const Vector3 b = tEnd * (1.0f / tEnd.dot(centre)) - oc;
                        const Vector3 q = p - oc;
                        const float sg = q.dot(a) / a.dot(a);
                        const float tg = q.dot(b) / b.dot(b);
                        if (sg >= -0.01f && sg <= 1.01f && tg >= -0.01f && tg <= 1.01f) {
                            best = g;
                            bestS = sg;
                            bestT = tg;
                        }
                    }
                    ASSERT_GE(best, 0);
                    const int gx = std::clamp(static_cast<int>(bestS * 512), 0, 511);
                    const int gy = std::clamp(static_cast<int>(bestT * 512), 0, 511);
                    double difference = 0.0;
                    for (int c = 0; c < 3; ++c) {
                        difference += std::abs(faces[f].at(x, y)[c] - faces[best].at(gx, gy)[c]);
                    }
                    edgeSum += difference / 3.0;
                }
                total += edgeSum;
                count += 512;
                worstEdge = std::max(worstEdge, edgeSum / 512.0);
            }
        }
        EXPECT_LT(total / count, 6.0);
        EXPECT_LT(worstEdge, 12.0);
    }
}

TEST(DataGenerator, ParticleAtlasHasContentInEveryFrameAndNothingOutside)
{
    const Picture atlas = generated::readTarga(generated::path("Textures/particle.tga"));
    ASSERT_EQ(atlas.width, 1024);
    ASSERT_EQ(atlas.height, 1024);
    ASSERT_EQ(atlas.channels, 4);
    std::vector<bool> inFrame(1024 * 1024, false);
    for (int i = 0; i < ParticleAtlasGenerator::FRAME_COUNT; ++i) {
        const ParticleAtlasGenerator::Frame f = ParticleAtlasGenerator::frame(i);
        int visible = 0;
        int borderAlpha = 0;
        for (int y = f.y; y < f.y + f.height; ++y) {
            for (int x = f.x; x < f.x + f.width; ++x) {
                inFrame[static_cast<std::size_t>(y) * 1024 + x] = true;
                visible += atlas.at(x, y)[3] > 32 ? 1 : 0;
                const bool border = x == f.x || y == f.y || x == f.x + f.width - 1 || y == f.y + f.height - 1;
                borderAlpha = std::max<int>(borderAlpha, border ? atlas.at(x, y)[3] : 0);
            }
        }
        EXPECT_GT(visible, f.width * f.height / 100) << "frame " << i;
        // Soft edges: nothing reaches the frame's border.
        EXPECT_LE(borderAlpha, 4) << "frame " << i;
    }
    int outside = 0;
    for (int y = 0; y < 1024; ++y) {
        for (int x = 0; x < 1024; ++x) {
            if (!inFrame[static_cast<std::size_t>(y) * 1024 + x]) {
                outside += (atlas.at(x, y)[3] != 0 || atlas.at(x, y)[0] != 0) ? 1 : 0;
            }
        }
    }
    EXPECT_EQ(outside, 0);
}

TEST(DataGenerator, MeshesLoadThroughOgreWithTheLayoutTheGameReads)
{
    Ogre::LogManager logs;
    logs.createLog("datagen-test", true, false, true);
    Ogre::Root root("", "", "");
    Ogre::DefaultHardwareBufferManager buffers;
    bool sawShared = false;
    bool sawWide = false;
    int subMeshTotal = 0;
    for (const char* name : {"halfpipe", "bridge", "trunk", "rock", "crater", "funnel"}) {
        SCOPED_TRACE(name);
        const std::string file = generated::path(std::string("meshes/") + name + ".mesh");
        std::ifstream in(file, std::ios::binary);
        ASSERT_TRUE(in.good());
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        Ogre::DataStreamPtr stream(new Ogre::MemoryDataStream(const_cast<char*>(bytes.data()), bytes.size(), false));
        Ogre::MeshPtr mesh = Ogre::MeshManager::getSingleton().createManual(
            name, Ogre::ResourceGroupManager::DEFAULT_RESOURCE_GROUP_NAME);
        mesh->load();  // so that removing it frees what the import adds
        Ogre::MeshSerializer().importMesh(stream, mesh.get());
        ASSERT_GT(mesh->getNumSubMeshes(), 0u);
        subMeshTotal += static_cast<int>(mesh->getNumSubMeshes());
        for (unsigned short s = 0; s < mesh->getNumSubMeshes(); ++s) {
            const Ogre::SubMesh* sub = mesh->getSubMesh(s);
            const Ogre::VertexData* data = sub->useSharedVertices ? mesh->sharedVertexData : sub->vertexData;
            sawShared = sawShared || sub->useSharedVertices;
            ASSERT_NE(data, nullptr);
            // Position, normal and texture coordinate: eight floats in one buffer.
            const Ogre::VertexElement* position = data->vertexDeclaration->findElementBySemantic(Ogre::VES_POSITION);
            const Ogre::VertexElement* normal = data->vertexDeclaration->findElementBySemantic(Ogre::VES_NORMAL);
            const Ogre::VertexElement* uv = data->vertexDeclaration->findElementBySemantic(Ogre::VES_TEXTURE_COORDINATES);
            ASSERT_TRUE(position && normal && uv);
            EXPECT_EQ(normal->getSource(), position->getSource());
            EXPECT_EQ(uv->getSource(), position->getSource());
            EXPECT_EQ(normal->getOffset(), position->getOffset() + 12);
            EXPECT_EQ(uv->getOffset(), position->getOffset() + 24);
            EXPECT_EQ(uv->getType(), Ogre::VET_FLOAT2);
            const bool wide = sub->indexData->indexBuffer->getType() == Ogre::HardwareIndexBuffer::IT_32BIT;
            sawWide = sawWide || wide;
            EXPECT_EQ(wide, data->vertexCount > 65535);
            EXPECT_EQ(sub->indexData->indexCount % 3, 0u);
        }
        mesh.reset();
        Ogre::MeshManager::getSingleton().remove(name, Ogre::ResourceGroupManager::DEFAULT_RESOURCE_GROUP_NAME);
    }
    EXPECT_TRUE(sawShared);
    EXPECT_TRUE(sawWide);
    EXPECT_GE(subMeshTotal, 9);
}

TEST(DataGenerator, SoundsDecodeAreAudibleUnclippedAndLoopSeamlessly)
{
    struct Expected {
        const char* file;
        bool loop;
        double seconds;
    };
    const Expected sounds[] = {{"ballLost.wav", false, 2.4},           {"endLevel.wav", false, 3.2},
                               {"backgroundJungle01.mp3", true, 40.0}, {"backgroundJungle02.mp3", true, 45.0},
                               {"backgroundLava01.wav", true, 32.0},   {"backgroundLagoon01.wav", true, 42.0},
                               {"backgroundLagoon02.wav", true, 32.0}};
    ASSERT_EQ(SDL_setenv("SDL_AUDIODRIVER", "dummy", 1), 0);
    ASSERT_EQ(SDL_Init(SDL_INIT_AUDIO), 0);
    ASSERT_EQ(Mix_OpenAudio(44100, AUDIO_S16SYS, 2, 1024), 0);
    for (const Expected& expected : sounds) {
        SCOPED_TRACE(expected.file);
        const std::string file = generated::path(std::string("sound/") + expected.file);
        const bool mp3 = std::string(expected.file).find(".mp3") != std::string::npos;
        const generated::Sound sound = mp3 ? generated::decodeMp3WithLame(file) : generated::readWav(file);
        ASSERT_EQ(sound.channels, 2);
        EXPECT_EQ(sound.sampleRate, 44100);
        // Gapless decoding gives back exactly the loop: no encoder delay or padding.
        EXPECT_EQ(sound.frames(), static_cast<std::size_t>(std::lround(expected.seconds * 44100)));
        int peak = 0;
        double energy = 0.0;
        for (const std::int16_t s : sound.samples) {
            peak = std::max(peak, std::abs(static_cast<int>(s)));
            energy += static_cast<double>(s) * s;
        }
        EXPECT_LT(peak, 32767);
        EXPECT_GT(std::sqrt(energy / static_cast<double>(sound.samples.size())), 300.0);
        if (expected.loop) {
            EXPECT_LT(generated::loopJumpScore(sound), 6.0);
        }
        // The game's mixer decodes it to the same length.
        Mix_Chunk* chunk = Mix_LoadWAV(file.c_str());
        ASSERT_NE(chunk, nullptr) << Mix_GetError();
        EXPECT_EQ(chunk->alen / 4, sound.frames());
        Mix_FreeChunk(chunk);
    }
    Mix_CloseAudio();
    SDL_Quit();
}

TEST(DataGenerator, MusicLayersThatPlayTogetherDoNotClipWhenMixed)
{
    const std::pair<generated::Sound, generated::Sound> pairs[] = {
        {generated::decodeMp3WithLame(generated::path("sound/backgroundJungle01.mp3")),
         generated::decodeMp3WithLame(generated::path("sound/backgroundJungle02.mp3"))},
        {generated::readWav(generated::path("sound/backgroundLagoon01.wav")),
         generated::readWav(generated::path("sound/backgroundLagoon02.wav"))}};
    for (const auto& [first, second] : pairs) {
        ASSERT_FALSE(first.samples.empty());
        ASSERT_FALSE(second.samples.empty());
        // Both loop from the level's start, so sample i of one meets sample i mod length of the other.
        int peak = 0;
        for (std::size_t i = 0; i < first.samples.size(); ++i) {
            peak = std::max(peak, std::abs(first.samples[i] + second.samples[i % second.samples.size()]));
        }
        EXPECT_LT(peak, 32767);
    }
}

TEST(DataGenerator, MaterialsFileNamesOnlyGeneratedTextures)
{
    // Collects the file names of the materials file with the game's own XML reader.
    class Names : public XmlHandler {
    public:
        void startElement(const std::string& name, const std::string&) override { materials += name == "material"; }
        void leafElement(const std::string& name, const std::string& text, const std::string&) override
        {
            if (name == "textureFileName" || name == "normalMapFileName") {
                files.push_back(text);
            }
        }
        void endElement(const std::string&, const std::string&, const std::string&) override {}
        void characterData(const std::string&, const std::string&, const std::string&) override {}
        int materials = 0;
        std::vector<std::string> files;
    } names;
    std::ifstream in(MATERIALS_FILE);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_FALSE(text.empty());
    XmlReader reader(&names);
    ASSERT_TRUE(reader.parse(text.c_str(), static_cast<int>(text.size())));
    EXPECT_EQ(names.materials, 18);
    EXPECT_EQ(names.files.size(), 18u + 13u);
    for (const std::string& file : names.files) {
        ASSERT_EQ(file.rfind("data/", 0), 0u) << file;
        EXPECT_TRUE(fs::exists(generated::path(file.substr(5)))) << file;
    }
}

TEST(DataGenerator, SameSeedsGiveIdenticalFiles)
{
    for (const char* folder : {"again_a", "again_b"}) {
        DataGenerator generator(folder, "lagoon_coral");
        ASSERT_TRUE(generator.run(2));
    }
    auto bytes = [](const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    };
    const std::string a = bytes("again_a/Textures/lagoon_coral.tga");
    EXPECT_FALSE(a.empty());
    EXPECT_EQ(a, bytes("again_b/Textures/lagoon_coral.tga"));
    EXPECT_EQ(a, bytes(generated::path("Textures/lagoon_coral.tga")));
}
