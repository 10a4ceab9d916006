#include "level/MaterialManager.h"

#include "effects/EffectParameter.h"
#include "effects/ShaderManager.h"
#include "level/TextureManager.h"
#include "GlTestContext.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

namespace fs = std::filesystem;

const fs::path folder = fs::path(testing::TempDir()) / "materialmanager";

// An uncompressed 2 x 2 24-bit Targa image.
std::string writeTarga(const char* name)
{
    const unsigned char header[18] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 2, 0, 24, 0};
    const unsigned char pixels[12] = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};
    const fs::path path = folder / name;
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(header), sizeof header);
    file.write(reinterpret_cast<const char*>(pixels), sizeof pixels);
    return path.string();
}

std::string writeMaterials(const char* name, const std::string& text)
{
    fs::create_directories(folder);
    const fs::path path = folder / name;
    std::ofstream(path) << text;
    return path.string();
}

// A fresh manager, as at game start.
MaterialManager* freshManager()
{
    GlTestContext::ensure();
    delete MaterialManager::instance();
    return MaterialManager::instance();
}

std::string colour(const char* wrapper, const char* r, const char* g, const char* b, const char* a = nullptr)
{
    std::string text = std::string("<") + wrapper + "><red>" + r + "</red><green>" + g + "</green><blue>" + b + "</blue>";
    if (a)
        text += std::string("<alpha>") + a + "</alpha>";
    return text + "</" + wrapper + ">";
}

// Three materials: lit and textured; unlit with an empty normal map; one with no
// lighting, no alpha and odd decimals.
std::string threeMaterials(const std::string& textureFile, const std::string& normalMapFile)
{
    return "<materials>\n"
           "<material><lighting><useLight>true</useLight></lighting>" +
           colour("ambiente", "0.1", "0.2", "0.3", "1") + colour("diffuse", "0.4", "0.5", "0.6", "0.75") +
           colour("specular", "0.7", "0.8", "0.9", "1") +
           "<shininess><shininessValue>32</shininessValue></shininess>"
           "<texture><textureFileName>" + textureFile + "</textureFileName></texture>"
           "<normalMap><normalMapFileName>" + normalMapFile + "</normalMapFileName></normalMap></material>\n"
           "<material><lighting><useLight>false</useLight></lighting>" +
           colour("diffuse", "1", "1", "1", "1") +
           "<normalMap><normalMapFileName></normalMapFileName></normalMap></material>\n"
           "<material><ambient><red>0.9</red></ambient>" +
           colour("diffuse", "  -2.5e1xyz", "+.5", "abc") +
           "<shininess><shininessValue>0x10</shininessValue><useLight>false</useLight></shininess>"
           "</material>\n"
           "</materials>";
}

// The value of uniform name in the program in use.
void readUniform(const char* name, float* values)
{
    GLint program = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    ASSERT_NE(program, 0);
    glGetUniformfv(static_cast<GLuint>(program), glGetUniformLocation(static_cast<GLuint>(program), name), values);
}

// The texture bound to the unit that sampler name of the program in use reads.
GLuint boundTexture(const char* name)
{
    GLint program = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    GLint unit = 0;
    glGetUniformiv(static_cast<GLuint>(program), glGetUniformLocation(static_cast<GLuint>(program), name), &unit);
    GLint active = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
    glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(unit));
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    glActiveTexture(static_cast<GLenum>(active));
    return static_cast<GLuint>(bound);
}

// The game's effect, with the scene pass current so that uniforms can be read back.
void initEffect()
{
    const fs::path previous = fs::current_path();
    fs::current_path(PITCHROLL_SOURCE_DIR);
    delete ShaderManager::instance();
    testing::internal::CaptureStdout();
    ShaderManager::instance()->init();
    std::fflush(stdout);
    testing::internal::GetCapturedStdout();
    fs::current_path(previous);
    ShaderManager::instance()->setPass("parallaxShadowMapping");
}

}  // namespace

TEST(MaterialManager, NumbersMaterialsFromOneInFileOrder)
{
    MaterialManager* manager = freshManager();
    fs::create_directories(folder);
    const std::string colourFile = writeTarga("colour.tga");
    const std::string bumpFile = writeTarga("bumps.tga");
    manager->loadMaterials(writeMaterials("three.xml", threeMaterials(colourFile, bumpFile)).c_str());

    const Material first = manager->getMaterial(1);
    EXPECT_TRUE(first.useLight);
    EXPECT_FLOAT_EQ(first.ambient[2], 0.3f);
    EXPECT_FLOAT_EQ(first.diffuse[3], 0.75f);
    EXPECT_FLOAT_EQ(first.specular[1], 0.8f);
    EXPECT_FLOAT_EQ(first.shininess, 32.0f);
    EXPECT_EQ(first.texture, TextureManager::instance()->loadTexture(colourFile.c_str(), true, true, false));
    EXPECT_NE(first.texture, 0u);
    EXPECT_NE(first.normalMap, 0u);
    EXPECT_NE(first.normalMap, first.texture);
    EXPECT_TRUE(first.hasNormalMap);

    const Material second = manager->getMaterial(2);
    EXPECT_FALSE(second.useLight);
    EXPECT_EQ(second.texture, 0u);
    EXPECT_TRUE(second.hasNormalMap) << "an empty normal map name still asks for the parallax pass";
    EXPECT_EQ(second.normalMap, 0u);
    EXPECT_FLOAT_EQ(second.ambient[0], 0.0f) << "colours start at 0 for every material";

    const Material third = manager->getMaterial(3);
    EXPECT_FALSE(third.useLight) << "without \"lighting\" the previous material's switch carries over";
    EXPECT_FLOAT_EQ(third.diffuse[0], -25.0f);
    EXPECT_FLOAT_EQ(third.diffuse[1], 0.5f);
    EXPECT_FLOAT_EQ(third.diffuse[2], 0.0f);
    EXPECT_FLOAT_EQ(third.diffuse[3], 0.0f) << "a missing alpha is 0";
    EXPECT_FLOAT_EQ(third.ambient[0], 0.0f) << "\"ambient\" is not the ambient wrapper";
    EXPECT_FLOAT_EQ(third.shininess, 0.0f) << "hexadecimal is not a decimal";
    EXPECT_FALSE(third.hasNormalMap);

    EXPECT_EQ(manager->addMaterial(Material()), 4);
}

TEST(MaterialManager, UnknownNumbersGiveABlankMaterialWithoutGrowingTheTable)
{
    MaterialManager* manager = freshManager();
    Material lit;
    lit.hasNormalMap = true;
    EXPECT_EQ(manager->addMaterial(lit), 1);
    for (int id : {-1, 0, 2, 1000}) {
        const Material blank = manager->getMaterial(id);
        EXPECT_FALSE(blank.hasNormalMap);
        EXPECT_EQ(blank.texture, 0u);
    }
    EXPECT_EQ(manager->addMaterial(lit), 2);
}

TEST(MaterialManager, MissingOrEmptyFilesAddNoMaterial)
{
    MaterialManager* manager = freshManager();
    manager->loadMaterials((folder / "none.xml").string().c_str());
    manager->loadMaterials(writeMaterials("empty.xml", "").c_str());
    manager->loadMaterials(writeMaterials("nomaterial.xml", "<materials><other><x>1</x></other></materials>").c_str());
    EXPECT_EQ(manager->addMaterial(Material()), 1);
}

TEST(MaterialManager, MalformedFileKeepsWhatWasReadAndLaterFilesAppend)
{
    MaterialManager* manager = freshManager();
    manager->loadMaterials(writeMaterials("cut.xml", "<materials><material>" + colour("diffuse", "1", "0", "0", "1") +
                                                         "</material><material>" + colour("diffuse", "0", "1", "0", "1") +
                                                         "</material><material><diffuse><red>1</materials>").c_str());
    EXPECT_FLOAT_EQ(manager->getMaterial(1).diffuse[0], 1.0f);
    EXPECT_FLOAT_EQ(manager->getMaterial(2).diffuse[1], 1.0f);

    manager->loadMaterials(writeMaterials("more.xml", "<m><material>" + colour("diffuse", "0", "0", "1", "1") + "</material></m>").c_str());
    EXPECT_FLOAT_EQ(manager->getMaterial(3).diffuse[2], 1.0f) << "a second file numbers on";
}

TEST(MaterialManager, ApplyFeedsLightingColoursAndTexturesToTheEffect)
{
    MaterialManager* manager = freshManager();
    initEffect();
    fs::create_directories(folder);
    manager->loadMaterials(writeMaterials("apply.xml", threeMaterials(writeTarga("colour.tga"), writeTarga("bumps.tga"))).c_str());
    const Material first = manager->getMaterial(1);

    glDisable(GL_LIGHTING);
    manager->applyMaterial(1);
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    float values[4] = {};
    readUniform("Ka", values);
    EXPECT_FLOAT_EQ(values[1], 0.2f);
    readUniform("Kd", values);
    EXPECT_FLOAT_EQ(values[3], 0.75f);
    readUniform("Ks", values);
    EXPECT_FLOAT_EQ(values[2], 0.9f);
    readUniform("shininess", values);
    EXPECT_FLOAT_EQ(values[0], 32.0f);
    EXPECT_EQ(boundTexture("textureMap"), first.texture);
    EXPECT_EQ(boundTexture("normalMap"), first.normalMap);

    // Blended pass: alpha for this call only.
    manager->applyMaterial(1, 0.3f);
    readUniform("Kd", values);
    EXPECT_FLOAT_EQ(values[0], 0.4f);
    EXPECT_FLOAT_EQ(values[3], 0.3f);
    manager->applyMaterial(1);
    readUniform("Kd", values);
    EXPECT_FLOAT_EQ(values[3], 0.75f);

    // Unlit, no textures: lighting off, colours and textures stay as material 1 left them.
    manager->applyMaterial(2);
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    readUniform("Ka", values);
    EXPECT_FLOAT_EQ(values[1], 0.2f);
    EXPECT_EQ(boundTexture("textureMap"), first.texture);
    EXPECT_EQ(boundTexture("normalMap"), first.normalMap);

    // 0 and numbers without a material change nothing.
    glEnable(GL_LIGHTING);
    manager->applyMaterial(0);
    manager->applyMaterial(-1);
    manager->applyMaterial(77, 0.5f);
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    readUniform("Kd", values);
    EXPECT_FLOAT_EQ(values[3], 0.75f);
    ShaderManager::instance()->resetPass();
}

// The game's start-up: effect, then materials, then every material applied once in
// each scene pass, all without a line on standard output. The materials file and
// its textures come from the data generator (scripts/setup.sh).
TEST(MaterialManager, GameMaterialsLoadAndApplyWithoutAnErrorLine)
{
    const fs::path source = PITCHROLL_SOURCE_DIR;
    if (!fs::exists(source / "data/util/materials.xml"))
        GTEST_SKIP() << "data/util/materials.xml not generated yet";
    std::ifstream file(source / "data/util/materials.xml");
    const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    int count = 0;
    for (std::size_t at = text.find("<material>"); at != std::string::npos; at = text.find("<material>", at + 1))
        ++count;
    MaterialManager* manager = freshManager();
    const fs::path previous = fs::current_path();
    fs::current_path(source);
    delete ShaderManager::instance();
    testing::internal::CaptureStdout();
    ShaderManager::instance()->init();
    manager->loadMaterials("data/util/materials.xml");
    for (const char* pass : {"shadowMapping", "parallaxShadowMapping"}) {
        ShaderManager::instance()->setPass(pass);
        for (int id = 1; id <= count; ++id)
            manager->applyMaterial(id);
        ShaderManager::instance()->resetPass();
    }
    std::fflush(stdout);
    const std::string output = testing::internal::GetCapturedStdout();
    fs::current_path(previous);
    EXPECT_EQ(output, "Use technique pcfSteepParallax.\n");
    ASSERT_GT(count, 0);
    int textured = 0;
    for (int id = 1; id <= count; ++id)
        textured += manager->getMaterial(id).texture != 0 ? 1 : 0;
    EXPECT_GT(textured, 0) << "the textures named by the file load";
}
