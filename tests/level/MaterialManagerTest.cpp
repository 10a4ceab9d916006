#include "level/MaterialManager.h"

#include "effects/ShaderManager.h"
#include "level/TextureManager.h"
#include "GlTestContext.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

const fs::path folder = fs::path(testing::TempDir()) / "materialmanager";

std::string writeFile(const char* name, const std::string& bytes)
{
    fs::create_directories(folder);
    std::ofstream(folder / name, std::ios::binary) << bytes;
    return (folder / name).string();
}

// A fresh manager, as at game start, with the game's effect initialised from the source tree.
MaterialManager* freshManager()
{
    GlTestContext::ensure();
    delete MaterialManager::instance();
    const fs::path previous = fs::current_path();
    fs::current_path(PITCHROLL_SOURCE_DIR);
    delete ShaderManager::instance();
    testing::internal::CaptureStdout();
    ShaderManager::instance()->init();
    testing::internal::GetCapturedStdout();
    fs::current_path(previous);
    return MaterialManager::instance();
}

std::string colour(const char* wrapper, const char* r, const char* g, const char* b, const char* a = nullptr)
{
    return std::string("<") + wrapper + "><red>" + r + "</red><green>" + g + "</green><blue>" + b + "</blue>" +
           (a ? std::string("<alpha>") + a + "</alpha>" : "") + "</" + wrapper + ">";
}

// Three materials: lit and textured; unlit with an empty normal map name; one without
// lighting and alpha, with "ambient" instead of "ambiente". The numbers are read as
// the level file's (LevelBuilderTest).
std::string threeMaterials()
{
    // An uncompressed 2 x 2 24-bit Targa image.
    const std::string targa = std::string("\0\0\2\0\0\0\0\0\0\0\0\0\2\0\2\0\x18\0", 18) + std::string(12, '\x7f');
    return "<materials>\n<material><lighting><useLight>true</useLight></lighting>" +
           colour("ambiente", "0.1", "0.2", "0.3", "1") + colour("diffuse", "0.4", "0.5", "0.6", "0.75") +
           colour("specular", "0.7", "0.8", "0.9", "1") +
           "<shininess><shininessValue>32</shininessValue></shininess>"
           "<texture><textureFileName>" + writeFile("colour.tga", targa) + "</textureFileName></texture>"
           "<normalMap><normalMapFileName>" + writeFile("bumps.tga", targa) + "</normalMapFileName></normalMap>"
           "</material>\n<material><lighting><useLight>false</useLight></lighting>" +
           colour("diffuse", "1", "1", "1", "1") +
           "<normalMap><normalMapFileName></normalMapFileName></normalMap></material>\n"
           "<material><ambient><red>0.9</red></ambient>" + colour("diffuse", "-25", ".5", "") + "</material>\n</materials>";
}

using Rgba = std::array<float, 4>;
Rgba rgba(const float* colour) { return {colour[0], colour[1], colour[2], colour[3]}; }

// Component i of uniform name in the program in use.
float uniform(const char* name, int i)
{
    GLint program = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    float values[4] = {};
    glGetUniformfv(static_cast<GLuint>(program), glGetUniformLocation(static_cast<GLuint>(program), name), values);
    return values[i];
}

// The texture bound to the unit that sampler name of the program in use reads.
GLuint boundTexture(const char* name)
{
    GLint program = 0, unit = 0, bound = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    glGetUniformiv(static_cast<GLuint>(program), glGetUniformLocation(static_cast<GLuint>(program), name), &unit);
    glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(unit));
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    glActiveTexture(GL_TEXTURE0);
    return static_cast<GLuint>(bound);
}

}  // namespace

TEST(MaterialManager, NumbersMaterialsFromOneInFileOrder)
{
    MaterialManager* manager = freshManager();
    manager->loadMaterials(writeFile("three.xml", threeMaterials()).c_str());
    EXPECT_EQ(manager->getMaterial(1).texture, 0u) << "textures wait for a level that uses them";
    manager->useMaterials({1, 2, 3});

    const Material first = manager->getMaterial(1);
    EXPECT_TRUE(first.useLight);
    EXPECT_EQ(rgba(first.ambient), (Rgba{0.1f, 0.2f, 0.3f, 1}));
    EXPECT_EQ(rgba(first.diffuse), (Rgba{0.4f, 0.5f, 0.6f, 0.75f}));
    EXPECT_EQ(rgba(first.specular), (Rgba{0.7f, 0.8f, 0.9f, 1}));
    EXPECT_EQ(first.shininess, 32.0f);
    EXPECT_TRUE(first.hasNormalMap);  // its textures are bound in ApplyFeedsLightingColoursAndTexturesToTheEffect

    const Material second = manager->getMaterial(2);
    EXPECT_FALSE(second.useLight);
    EXPECT_EQ(second.texture, 0u);
    EXPECT_TRUE(second.hasNormalMap) << "an empty normal map name still asks for the parallax pass";
    EXPECT_EQ(second.normalMap, 0u);
    EXPECT_EQ(rgba(second.ambient), Rgba{}) << "colours start at 0 for every material";

    const Material third = manager->getMaterial(3);
    EXPECT_FALSE(third.useLight) << "without \"lighting\" the previous material's switch carries over";
    EXPECT_EQ(rgba(third.diffuse), (Rgba{-25.0f, 0.5f, 0, 0})) << "a missing alpha is 0";
    EXPECT_EQ(rgba(third.ambient), Rgba{}) << "\"ambient\" is not the ambient wrapper";

    // Numbers without a material give a blank one and leave the table as it is.
    for (const int id : {-1, 0, 4, 1000}) {
        EXPECT_FALSE(manager->getMaterial(id).hasNormalMap);
        EXPECT_EQ(manager->getMaterial(id).texture, 0u);
    }
    EXPECT_EQ(manager->addMaterial(Material()), 4);
}

TEST(MaterialManager, BadFilesKeepWhatWasReadAndLaterFilesNumberOn)
{
    MaterialManager* manager = freshManager();
    // A missing file and a pipe (which would block at open) each get a line naming them.
    const std::string pipe = (folder / "pipe.xml").string();
    unlink(pipe.c_str());
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    for (const std::string& path : {(folder / "none.xml").string(), pipe}) {
        testing::internal::CaptureStdout();
        manager->loadMaterials(path.c_str());
        const std::string output = testing::internal::GetCapturedStdout();
        EXPECT_NE(output.find(path), std::string::npos) << output;
    }
    manager->loadMaterials(writeFile("empty.xml", "").c_str());
    manager->loadMaterials(writeFile("cut.xml", "<materials><material>" + colour("diffuse", "1", "0", "0", "1") +
                                                    "</material><material>" + colour("diffuse", "0", "1", "0", "1") +
                                                    "</material><material><diffuse><red>1</materials>")
                               .c_str());
    EXPECT_FLOAT_EQ(manager->getMaterial(1).diffuse[0], 1.0f);
    EXPECT_FLOAT_EQ(manager->getMaterial(2).diffuse[1], 1.0f);
    manager->loadMaterials(writeFile("more.xml", "<m><material>" + colour("diffuse", "0", "0", "1", "1") +
                                                     "</material></m>").c_str());
    EXPECT_FLOAT_EQ(manager->getMaterial(3).diffuse[2], 1.0f);
    EXPECT_EQ(manager->addMaterial(Material()), 4);
}

TEST(MaterialManager, ApplyFeedsLightingColoursAndTexturesToTheEffect)
{
    MaterialManager* manager = freshManager();
    ShaderManager::instance()->setPass("parallaxShadowMapping");
    manager->loadMaterials(writeFile("apply.xml", threeMaterials()).c_str());

    // Applied before any level asked for it, the material loads its textures itself.
    glDisable(GL_LIGHTING);
    manager->applyMaterial(1);
    const Material first = manager->getMaterial(1);
    EXPECT_NE(first.texture, 0u);
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_FLOAT_EQ(uniform("Ka", 1), 0.2f);
    EXPECT_FLOAT_EQ(uniform("Kd", 3), 0.75f);
    EXPECT_FLOAT_EQ(uniform("Ks", 2), 0.9f);
    EXPECT_FLOAT_EQ(uniform("shininess", 0), 32.0f);
    EXPECT_EQ(boundTexture("textureMap"), first.texture);
    EXPECT_EQ(boundTexture("normalMap"), first.normalMap);

    // The blended pass: alpha for this call only.
    manager->applyMaterial(1, 0.3f);
    EXPECT_FLOAT_EQ(uniform("Kd", 0), 0.4f);
    EXPECT_FLOAT_EQ(uniform("Kd", 3), 0.3f);
    manager->applyMaterial(1);
    EXPECT_FLOAT_EQ(uniform("Kd", 3), 0.75f);

    // Unlit, without textures: lighting off; colours and textures stay as material 1 left them.
    manager->applyMaterial(2);
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    EXPECT_FLOAT_EQ(uniform("Kd", 0), 0.4f) << "an unlit material feeds no colours";
    EXPECT_EQ(boundTexture("textureMap"), first.texture);
    EXPECT_EQ(boundTexture("normalMap"), first.normalMap);

    // 0 and numbers without a material change nothing.
    glEnable(GL_LIGHTING);
    manager->applyMaterial(0);
    manager->applyMaterial(-1);
    manager->applyMaterial(77, 0.5f);
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_FLOAT_EQ(uniform("Kd", 3), 0.75f);
    ShaderManager::instance()->resetPass();
}

TEST(MaterialManager, UseMaterialsHoldsTheTexturesOfOneWorld)
{
    MaterialManager* manager = freshManager();
    TextureManager* textures = TextureManager::instance();
    const std::string targa = std::string("\0\0\2\0\0\0\0\0\0\0\0\0\2\0\2\0\x18\0", 18) + std::string(12, '\x7f');
    const auto material = [&](const char* colourFile, const char* normalFile) {
        return std::string("<material><texture><textureFileName>") + writeFile(colourFile, targa) +
               "</textureFileName></texture><normalMap><normalMapFileName>" + writeFile(normalFile, targa) +
               "</normalMapFileName></normalMap></material>";
    };
    // Two worlds' materials sharing one colour texture.
    manager->loadMaterials(writeFile("worlds.xml", "<materials>" + material("shared.tga", "first.tga") +
                                                       material("shared.tga", "second.tga") + "</materials>")
                               .c_str());

    // A player's filter choice holds for textures loaded by a later level.
    textures->setFilterMode(1);
    manager->useMaterials({1});
    const Material first = manager->getMaterial(1);
    ASSERT_NE(first.texture, 0u);
    ASSERT_NE(first.normalMap, 0u);
    EXPECT_EQ(manager->getMaterial(2).texture, 0u);
    GLint filter = 0;
    glBindTexture(GL_TEXTURE_2D, first.normalMap);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &filter);
    EXPECT_EQ(filter, GL_NEAREST);

    manager->useMaterials({2});
    const Material second = manager->getMaterial(2);
    EXPECT_EQ(manager->getMaterial(1).texture, 0u);
    EXPECT_FALSE(glIsTexture(first.normalMap)) << "a texture no material in use needs is freed";
    EXPECT_EQ(second.texture, first.texture) << "the shared texture stays loaded";
    EXPECT_TRUE(glIsTexture(second.texture));
    EXPECT_NE(second.normalMap, 0u);
    textures->setFilterMode(2);
    glBindTexture(GL_TEXTURE_2D, 0);
}
