// Loads the generated data through the game's own loaders (Targa, DDS, texture
// cache, materials, mesh import) under a real GL context.
#include "level/MaterialManager.h"
#include "level/MeshImporter.h"
#include "level/TextureManager.h"
#include "math/Vertex.h"

#include "GeneratedFiles.h"
#include "GlTestContext.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>

// Sizes, channels and mip levels of the files are checked by DataGeneratorTest;
// here the game's own loaders must accept them.
TEST(GameLoaders, LoadTheMaterialsAndSkyBoxesWithAllTheirTextures)
{
    GlTestContext::ensure();
    // The materials file names its textures relative to the game's folder; the
    // test runs where the generated data folder is called "data".
    ASSERT_EQ(std::string(DATA_DIR), "data");
    MaterialManager::instance()->loadMaterials(MATERIALS_FILE);
    std::set<int> all;
    for (int id = 1; id <= 18; ++id)
        all.insert(id);
    MaterialManager::instance()->useMaterials(all);
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

// Seen in the levels' screenshots of the integration tests; here the importer
// must hand out lit, whole triangles.
TEST(GameLoaders, ImportEveryMesh)
{
    for (const char* name : {"halfpipe", "bridge", "trunk", "rock", "crater", "funnel"}) {
        SCOPED_TRACE(name);
        int vertexCount = 0, indexCount = 0;
        Vertex* vertices = nullptr;
        std::uint32_t* indices = nullptr;
        MeshImporter::instance()->importMesh((std::string(name) + ".mesh").c_str(), vertexCount, vertices,
                                             indexCount, indices);
        const std::unique_ptr<Vertex[]> ownedVertices(vertices);
        const std::unique_ptr<std::uint32_t[]> ownedIndices(indices);
        ASSERT_GT(vertexCount, 0);
        ASSERT_GT(indexCount, 0);
        ASSERT_EQ(indexCount % 3, 0);
        for (int i = 0; i < vertexCount; ++i)
            EXPECT_NEAR(vertices[i].normal.length(), 1.0f, 1e-3f);
        for (int i = 0; i < indexCount; ++i)
            ASSERT_LT(indices[i], static_cast<std::uint32_t>(vertexCount));
    }
}
