// Checks the files that the test fixture generated with pitchroll-datagen into
// DATA_DIR as the game reads them: its Targa and DDS loaders, its SDL_mixer.
#include "tools/DataGenerator.h"

#include "effects/ParticleFrames.h"
#include "math/MathConstants.h"
#include "tools/SkyBoxGenerator.h"
#include "tools/TextureCatalogue.h"

#include "GeneratedFiles.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_mixer.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using generated::Picture;

namespace {

// Tiling: the step from the last column to the first is no larger than the
// texture's own steps, with a little slack.
void expectTiles(const Picture& picture, bool rowsToo = true)
{
    for (const bool columns : {true, false}) {
        if (columns || rowsToo) {
            EXPECT_LE(generated::edgeDifference(picture, columns), 1.5 * generated::roughness(picture, columns) + 2.0)
                << (columns ? "left/right" : "top/bottom");
        }
    }
}

double meanChannel(const Picture& p, int channel)
{
    double sum = 0.0;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x)
            sum += p.at(x, y)[channel];
    return sum / (p.width * p.height);
}

// Face g and its texture coordinates (s, t) where direction d meets the cube, or
// -1 when d meets no face but f.
int locate(const Vector3& d, int f, float& s, float& t)
{
    int found = -1;
    for (int g = 0; g < SkyBoxGenerator::FACE_COUNT; ++g) {
        const Vector3 centre = SkyBoxGenerator::direction(g, 0.5f, 0.5f);
        const float along = d.dot(centre);
        if (g == f || along <= 0.0f)
            continue;
        // Solve d = k (o + s a + t b) on face g's plane.
        const auto onPlane = [&](float ps, float pt) {
            const Vector3 p = SkyBoxGenerator::direction(g, ps, pt);
            return p * (1.0f / p.dot(centre));
        };
        const Vector3 o = onPlane(0.0f, 0.0f);
        const Vector3 a = onPlane(1.0f, 0.0f) - o;
        const Vector3 b = onPlane(0.0f, 1.0f) - o;
        const Vector3 q = d * (o.dot(centre) / along) - o;
        const float sg = q.dot(a) / a.dot(a);
        const float tg = q.dot(b) / b.dot(b);
        if (sg >= -0.01f && sg <= 1.01f && tg >= -0.01f && tg <= 1.01f) {
            found = g;
            s = sg;
            t = tg;
        }
    }
    return found;
}

// The game's mixer, opened on SDL's silent driver for as long as it lives.
class Mixer {
public:
    Mixer()
    {
        SDL_setenv("SDL_AUDIODRIVER", "dummy", 1);
        const bool opened = SDL_Init(SDL_INIT_AUDIO) == 0 && Mix_OpenAudio(44100, AUDIO_S16SYS, 2, 1024) == 0;
        EXPECT_TRUE(opened) << SDL_GetError();
    }
    ~Mixer()
    {
        Mix_CloseAudio();
        SDL_Quit();
    }
    Mixer(const Mixer&) = delete;
    Mixer& operator=(const Mixer&) = delete;

    // The generated sound file decoded as the game plays it; empty when it cannot be.
    generated::Sound decode(const std::string& file) const
    {
        generated::Sound sound;
        Mix_Chunk* chunk = Mix_LoadWAV(generated::path("sound/" + file).c_str());
        EXPECT_NE(chunk, nullptr) << Mix_GetError();
        if (!chunk)
            return sound;
        sound.channels = 2;
        const auto* samples = reinterpret_cast<const std::int16_t*>(chunk->abuf);
        sound.samples.assign(samples, samples + chunk->alen / 2);
        Mix_FreeChunk(chunk);
        return sound;
    }
};

}  // namespace

// Colour maps vary and tile (the ball's only around the equator); DDS files are
// DXT1 with a full mip chain whose levels keep the average colour and tile; normal maps are
// unit normals facing out, with a visible relief and its height in alpha.
TEST(DataGenerator, MaterialTexturesHaveTheirSizesChannelsAndTile)
{
    for (const TextureCatalogue::Entry& entry : TextureCatalogue::entries()) {
        SCOPED_TRACE(entry.name);
        Picture colour;
        if (entry.format == TextureCatalogue::Format::DDS) {
            int format = 0;
            const std::vector<Picture> levels = generated::readDds(generated::path("Textures/" + entry.name + ".dds"), &format);
            ASSERT_EQ(levels.size(), static_cast<std::size_t>(std::log2(entry.size)) + 1);
            EXPECT_EQ(format, 1);
            for (std::size_t i = 0; i < levels.size(); ++i) {
                SCOPED_TRACE("level " + std::to_string(i));
                EXPECT_EQ(levels[i].width, entry.size >> i);
                for (int c = 0; c < 3; ++c)
                    EXPECT_NEAR(meanChannel(levels[i], c), meanChannel(levels[0], c), 10.0);
                if (levels[i].width >= 8)
                    expectTiles(levels[i]);  // seen from afar, the level's mipmaps tile too
            }
            colour = levels[0];
        } else {
            colour = generated::readTarga(generated::path("Textures/" + entry.name + ".tga"));
            EXPECT_EQ(colour.channels, 3);
        }
        ASSERT_EQ(colour.width, entry.size);
        ASSERT_EQ(colour.height, entry.size);
        double variance = 0.0;
        const double mean = meanChannel(colour, 1);
        for (int y = 0; y < colour.height; y += 3)
            for (int x = 0; x < colour.width; x += 3)
                variance += std::pow(colour.at(x, y)[1] - mean, 2.0);
        EXPECT_GT(variance / (colour.width * colour.height / 9.0), 4.0) << "not a flat colour";
        expectTiles(colour, entry.name != "ball_marble");
        if (entry.bumpiness <= 0.0f)
            continue;

        const Picture normal = generated::readTarga(generated::path("Textures/" + entry.name + "_normal.tga"));
        ASSERT_EQ(normal.channels, 4);
        ASSERT_EQ(normal.width, entry.size);
        expectTiles(normal);
        int steep = 0;
        int low = 255, high = 0;
        for (int y = 0; y < normal.height; y += 7) {
            for (int x = 0; x < normal.width; x += 7) {
                const std::uint8_t* n = normal.at(x, y);
                const double nx = n[0] / 127.5 - 1.0, ny = n[1] / 127.5 - 1.0, nz = n[2] / 127.5 - 1.0;
                EXPECT_NEAR(nx * nx + ny * ny + nz * nz, 1.0, 0.05);
                EXPECT_GT(nz, 0.0);
                steep += nz < 0.97;
                low = std::min<int>(low, n[3]);
                high = std::max<int>(high, n[3]);
            }
        }
        EXPECT_GT(steep, 20) << "the relief shows";
        EXPECT_GT(high - low, 60) << "the height uses the range";
    }
}

// For every border pixel of every face, the pixel on the other side of the cube
// edge, found by direction, looks alike.
TEST(DataGenerator, SkyBoxFacesMeetAlongEveryEdgeAsTheGameDrawsThem)
{
    constexpr int SIZE = DataGenerator::SKY_SIZE;
    for (const char* world : {"jungle", "volcano", "lagoon"}) {
        SCOPED_TRACE(world);
        Picture faces[SkyBoxGenerator::FACE_COUNT];
        for (int f = 0; f < SkyBoxGenerator::FACE_COUNT; ++f) {
            faces[f] = generated::readTarga(generated::path(std::string("skybox/") + world + "/" + SkyBoxGenerator::faceName(f) + ".tga"));
            ASSERT_EQ(faces[f].width, SIZE);
            ASSERT_EQ(faces[f].height, SIZE);
        }
        double total = 0.0, worstEdge = 0.0;
        for (int f = 0; f < SkyBoxGenerator::FACE_COUNT; ++f) {
            for (int side = 0; side < 4; ++side) {
                double edgeSum = 0.0;
                for (int i = 0; i < SIZE; ++i) {
                    const int x = side == 0 ? 0 : side == 1 ? SIZE - 1 : i;
                    const int y = side == 2 ? 0 : side == 3 ? SIZE - 1 : i;
                    // A direction just beyond this face's edge.
                    const float beyond = 0.5f / SIZE;
                    const float s = side == 0 ? -beyond : side == 1 ? 1.0f + beyond : (x + 0.5f) / SIZE;
                    const float t = side == 2 ? -beyond : side == 3 ? 1.0f + beyond : (y + 0.5f) / SIZE;
                    float sg = 0.0f, tg = 0.0f;
                    const int g = locate(SkyBoxGenerator::direction(f, s, t), f, sg, tg);
                    ASSERT_GE(g, 0);
                    const std::uint8_t* other = faces[g].at(std::clamp(static_cast<int>(sg * SIZE), 0, SIZE - 1),
                                                            std::clamp(static_cast<int>(tg * SIZE), 0, SIZE - 1));
                    for (int c = 0; c < 3; ++c)
                        edgeSum += std::abs(faces[f].at(x, y)[c] - other[c]) / 3.0;
                }
                total += edgeSum;
                worstEdge = std::max(worstEdge, edgeSum / SIZE);
            }
        }
        EXPECT_LT(total / (SkyBoxGenerator::FACE_COUNT * 4 * SIZE), 6.0);
        EXPECT_LT(worstEdge, 12.0);
    }
}

// All round the horizon, the step in colour from just above it to just below
// it is no larger than the sky's own change over the same angle nearby: no hard
// line where the ridges meet the plain. The lagoon's sky is left out: the game's
// sea plane covers it up to the horizon.
TEST(DataGenerator, SkyHasNoHardLineAtTheHorizon)
{
    constexpr int AZIMUTHS = 720;
    constexpr float STEP = 0.004f;  // about three texels of a face
    const auto difference = [](const Colour& a, const Colour& b) {
        return std::fabs(a.r - b.r) + std::fabs(a.g - b.g) + std::fabs(a.b - b.b);
    };
    for (const auto world : {SkyBoxGenerator::World::JUNGLE, SkyBoxGenerator::World::VOLCANO}) {
        double across = 0.0;
        double above = 0.0;
        for (int i = 0; i < AZIMUTHS; ++i) {
            const float azimuth = TWO_PI * float(i) / AZIMUTHS;
            const auto at = [&](float y) {
                return SkyBoxGenerator::sky(world, Vector3::normalized(Vector3(std::cos(azimuth), y, std::sin(azimuth))));
            };
            across += difference(at(STEP), at(-STEP));
            above += difference(at(3.0f * STEP), at(STEP));
        }
        EXPECT_LT(across / AZIMUTHS, 2.0 * above / AZIMUTHS + 0.02) << SkyBoxGenerator::worldName(world);
    }
}

// Every frame has content that fades out before its border; no two frames
// overlap; outside the frames the atlas is transparent black.
TEST(DataGenerator, ParticleAtlasHasContentInEveryFrameAndNothingOutside)
{
    const Picture atlas = generated::readTarga(generated::path("Textures/particle.tga"));
    ASSERT_EQ(atlas.width, 1024);
    ASSERT_EQ(atlas.height, 1024);
    ASSERT_EQ(atlas.channels, 4);
    std::vector<bool> inFrame(1024 * 1024, false);
    for (int i = 0; i < ParticleFrames::COUNT; ++i) {
        const ParticleFrames::Rectangle f = ParticleFrames::rectangle(i);
        int visible = 0, borderAlpha = 0, overlap = 0;
        for (int y = f.y; y < f.y + f.height; ++y) {
            for (int x = f.x; x < f.x + f.width; ++x) {
                overlap += inFrame[static_cast<std::size_t>(y) * 1024 + x];
                inFrame[static_cast<std::size_t>(y) * 1024 + x] = true;
                visible += atlas.at(x, y)[3] > 32;
                if (x == f.x || y == f.y || x == f.x + f.width - 1 || y == f.y + f.height - 1)
                    borderAlpha = std::max<int>(borderAlpha, atlas.at(x, y)[3]);
            }
        }
        EXPECT_GT(visible, f.width * f.height / 100) << "frame " << i;
        EXPECT_LE(borderAlpha, 4) << "frame " << i;
        EXPECT_EQ(overlap, 0) << "frame " << i;
    }
    int outside = 0;
    for (int y = 0; y < 1024; ++y)
        for (int x = 0; x < 1024; ++x)
            outside += !inFrame[static_cast<std::size_t>(y) * 1024 + x] && (atlas.at(x, y)[3] != 0 || atlas.at(x, y)[0] != 0);
    EXPECT_EQ(outside, 0);
}

// Sounds as the game hears them: decoded by its mixer to 44.1 kHz 16-bit stereo.
// A file of another rate would come out resampled to another length.
TEST(DataGenerator, SoundsDecodeAreAudibleUnclippedAndLoopSeamlessly)
{
    const Mixer mixer;
    const std::pair<const char*, double> sounds[] = {
        {"ballLost.wav", 2.4},           {"endLevel.wav", 3.2},           {"backgroundJungle01.mp3", 40.0},
        {"backgroundJungle02.mp3", 45.0}, {"backgroundLava01.wav", 32.0}, {"backgroundLagoon01.wav", 42.0},
        {"backgroundLagoon02.wav", 32.0}};
    for (const auto& [file, seconds] : sounds) {
        SCOPED_TRACE(file);
        const generated::Sound sound = mixer.decode(file);
        // Gapless decoding gives back exactly the loop: no encoder delay or padding.
        EXPECT_EQ(sound.frames(), static_cast<std::size_t>(std::lround(seconds * 44100)));
        int peak = 0;
        double energy = 0.0;
        for (const std::int16_t s : sound.samples) {
            peak = std::max(peak, std::abs(static_cast<int>(s)));
            energy += static_cast<double>(s) * s;
        }
        EXPECT_LT(peak, 32767);
        EXPECT_GT(std::sqrt(energy / static_cast<double>(sound.samples.size())), 300.0);
        if (std::string(file).rfind("background", 0) == 0)
            EXPECT_LT(generated::loopJumpScore(sound), 6.0);
        else
            EXPECT_LT(std::abs(sound.samples.back()), 40) << "an effect ends in silence";
    }
}

// Both layers loop from the level's start, so sample i of one meets sample i mod
// length of the other.
TEST(DataGenerator, MusicLayersThatPlayTogetherDoNotClipWhenMixed)
{
    const Mixer mixer;
    for (const char* world : {"Jungle", "Lagoon"}) {
        const std::string name = std::string("background") + world;
        const bool mp3 = name == "backgroundJungle";
        const generated::Sound first = mixer.decode(name + (mp3 ? "01.mp3" : "01.wav"));
        const generated::Sound second = mixer.decode(name + (mp3 ? "02.mp3" : "02.wav"));
        ASSERT_FALSE(first.samples.empty() || second.samples.empty());
        int peak = 0;
        for (std::size_t i = 0; i < first.samples.size(); ++i)
            peak = std::max(peak, std::abs(first.samples[i] + second.samples[i % second.samples.size()]));
        EXPECT_LT(peak, 32767) << world;
    }
}
