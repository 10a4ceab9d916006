// Loads the generated data through the game's own loaders (Targa, DDS, texture
// cache, materials, mesh import) under a real GL context, and draws the meshes
// textured into a screenshot (generated_meshes.ppm) for looking at.
#include "level/MaterialManager.h"
#include "level/MeshImporter.h"
#include "level/TextureManager.h"
#include "math/Vertex.h"

#include "GeneratedFiles.h"
#include "GlTestContext.h"

#include <GL/glew.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

struct MeshFile {
    const char* name;
    const char* texture;
    float distance;
};

const MeshFile MESHES[] = {{"halfpipe", "jungle_planks.tga", 90.0f}, {"bridge", "lagoon_pier.tga", 120.0f},
                           {"trunk", "jungle_bark.tga", 130.0f},     {"rock", "jungle_stone.tga", 40.0f},
                           {"crater", "volcano_basalt.tga", 260.0f}, {"funnel", "volcano_grate.tga", 100.0f}};

}  // namespace

// Sizes, channels and mip levels of the files are checked by DataGeneratorTest;
// here the game's own loaders must accept them.
TEST(GameLoaders, LoadTheMaterialsAndSkyBoxesWithAllTheirTextures)
{
    GlTestContext::ensure();
    // The materials file names its textures relative to the game's folder; the
    // test runs where the generated data folder is called "data".
    ASSERT_EQ(std::string(DATA_DIR), "data");
    MaterialManager::instance()->loadMaterials(MATERIALS_FILE);
    for (int id = 1; id <= 18; ++id) {
        const Material material = MaterialManager::instance()->getMaterial(id);
        EXPECT_NE(material.texture, 0u) << "material " << id;
        EXPECT_TRUE(material.useLight) << "material " << id;
        EXPECT_EQ(material.hasNormalMap, material.normalMap != 0u) << "material " << id;
    }
    EXPECT_FALSE(MaterialManager::instance()->getMaterial(2).hasNormalMap);  // the ball
    EXPECT_TRUE(MaterialManager::instance()->getMaterial(4).hasNormalMap);   // jungle grass
    for (const char* world : {"jungle", "volcano", "lagoon"}) {
        for (const char* face : {"left", "right", "top", "bottom", "front", "back"}) {
            const std::string file = generated::path(std::string("skybox/") + world + "/" + face + ".tga");
            EXPECT_NE(TextureManager::instance()->loadTexture(file.c_str(), false, true, true), 0u) << file;
        }
    }
}

TEST(GameLoaders, ImportEveryMeshAndDrawIt)
{
    constexpr int SIZE = 160;  // six tiles fit the test window of 640 x 480
    GlTestContext::ensure();
    glClearColor(0.15f, 0.18f, 0.22f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    for (GLenum capability : {GL_DEPTH_TEST, GL_CULL_FACE, GL_LIGHTING, GL_LIGHT0, GL_NORMALIZE, GL_TEXTURE_2D})
        glEnable(capability);
    const GLfloat lightDirection[4] = {0.4f, 0.8f, 0.5f, 0.0f};
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    for (int m = 0; m < 6; ++m) {
        SCOPED_TRACE(MESHES[m].name);
        int vertexCount = 0, indexCount = 0;
        Vertex* vertices = nullptr;
        std::uint32_t* indices = nullptr;
        MeshImporter::instance()->importMesh((std::string(MESHES[m].name) + ".mesh").c_str(), vertexCount, vertices,
                                             indexCount, indices);
        ASSERT_GT(vertexCount, 0);
        ASSERT_GT(indexCount, 0);
        ASSERT_EQ(indexCount % 3, 0);
        Vector3 centre;
        for (int i = 0; i < vertexCount; ++i) {
            EXPECT_NEAR(vertices[i].normal.length(), 1.0f, 1e-3f);
            centre += vertices[i].position * (1.0f / static_cast<float>(vertexCount));
        }
        for (int i = 0; i < indexCount; ++i)
            ASSERT_LT(indices[i], static_cast<std::uint32_t>(vertexCount));
        // Draw from above at an angle into this mesh's tile of the window.
        glViewport((m % 3) * SIZE, (1 - m / 3) * SIZE, SIZE, SIZE);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(45.0, 1.0, 1.0, 2000.0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        const float d = MESHES[m].distance;
        gluLookAt(centre.x + 0.7f * d, centre.y + 0.55f * d, centre.z + 0.6f * d, centre.x, centre.y, centre.z, 0, 1, 0);
        glLightfv(GL_LIGHT0, GL_POSITION, lightDirection);
        const unsigned int texture = TextureManager::instance()->loadTexture(
            generated::path(std::string("Textures/") + MESHES[m].texture).c_str(), true, true, false);
        glBindTexture(GL_TEXTURE_2D, texture);
        glBegin(GL_TRIANGLES);
        for (int i = 0; i < indexCount; ++i) {
            const Vertex& v = vertices[indices[i]];
            glTexCoord2f(v.u, v.v);
            glNormal3f(v.normal.x, v.normal.y, v.normal.z);
            glVertex3f(v.position.x, v.position.y, v.position.z);
        }
        glEnd();
        delete[] vertices;
        delete[] indices;
    }
    const std::vector<std::uint8_t> pixels = GlTestContext::readPixels(3 * SIZE, 2 * SIZE, "generated_meshes.ppm");
    // Every tile shows its mesh: a good share of it differs from the background.
    for (int m = 0; m < 6; ++m) {
        int covered = 0;
        for (int y = (m / 3) * SIZE; y < (m / 3 + 1) * SIZE; ++y) {
            for (int x = (m % 3) * SIZE; x < (m % 3 + 1) * SIZE; ++x) {
                const std::uint8_t* p = &pixels[(static_cast<std::size_t>(y) * 3 * SIZE + x) * 4];
                covered += std::abs(p[0] - 38) + std::abs(p[1] - 46) + std::abs(p[2] - 56) > 30 ? 1 : 0;
            }
        }
        EXPECT_GT(covered, SIZE * SIZE / 20) << MESHES[m].name;
    }
}
