#include "effects/ShaderManager.h"

#include "effects/EffectParameter.h"
#include "GlTestContext.h"

#include <GL/glew.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int WIDTH = 640;
constexpr int HEIGHT = 480;
const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

// Runs a fresh ShaderManager's init in a working folder of its own whose
// data/shaders/effectShader.cgfx holds effectText (no file for null) and returns
// what init printed.
std::string initWithEffect(const std::string& caseName, const std::string* effectText)
{
    GlTestContext::ensure(WIDTH, HEIGHT);
    const fs::path folder = fs::path(testing::TempDir()) / ("shadermanager-" + caseName);
    fs::create_directories(folder / "data/shaders");
    fs::remove(folder / "data/shaders/effectShader.cgfx");
    if (effectText)
        std::ofstream(folder / "data/shaders/effectShader.cgfx") << *effectText;

    const fs::path previous = fs::current_path();
    fs::current_path(folder);
    delete ShaderManager::instance();
    testing::internal::CaptureStdout();
    ShaderManager::instance()->init();
    std::fflush(stdout);
    const std::string output = testing::internal::GetCapturedStdout();
    fs::current_path(previous);
    return output;
}

std::string initWithGameEffect()
{
    std::ifstream in(PITCHROLL_DATA_DIR "/shaders/effectShader.cgfx");
    const std::string effect((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return initWithEffect("game", &effect);
}

// An effect of the given techniques, each one pass of a vertex shader and the named
// fragment code ("broken" does not compile); it declares no parameters.
std::string effectWith(const std::vector<std::pair<std::string, std::string>>& techniques)
{
    std::string text = "code v {{\nvoid main() { gl_Position = gl_Vertex; }\n}}\n"
                       "code f {{\nvoid main() { gl_FragColor = vec4(1.0); }\n}}\n"
                       "code broken {{\nvoid main() { gl_FragColor = notDeclared; }\n}}\n";
    for (const auto& [name, fragment] : techniques)
        text += "technique " + name + " { pass p { VertexShader = v; FragmentShader = " + fragment + "; } }\n";
    return text;
}

// A depth texture compared as the shadow mapper sets it up, lighting everything.
GLuint makeLitShadowMap()
{
    const std::vector<float> depths(16 * 16, 1.0f);
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_DEPTH_COMPONENT, 16, 16, 0, GL_DEPTH_COMPONENT, GL_FLOAT, depths.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_COMPARE_MODE, GL_COMPARE_R_TO_TEXTURE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_COMPARE_FUNC, GL_LEQUAL);
    glBindTexture(GL_TEXTURE_2D, 0);
    return texture;
}

// Round domes in a 4 x 4 grid on flat ground: height in alpha, the tangent-space
// normal in RGB with +X along s and +Y along t (the next row), as the data tools
// write normal maps.
GLuint makeBumpMap(bool flat)
{
    const int size = 128;
    const int cells = 4;
    const float pi = 3.14159265f;
    const float relief = 0.05f;  // dome height in texture widths
    return GlTestContext::makeTexture(size, size, [=](int x, int y, float* c) {
        // Position in the dome's cell, -1..1 on both axes.
        const float cx = std::fmod((x + 0.5f) * cells / size, 1.0f) * 2.0f - 1.0f;
        const float cy = std::fmod((y + 0.5f) * cells / size, 1.0f) * 2.0f - 1.0f;
        const float r = std::sqrt(cx * cx + cy * cy);
        const bool onDome = !flat && r < 1.0f && r > 0.0f;
        // dh/dr, then per texture width: r changes by 2 * cells per unit of s or t.
        const float slope = onDome ? -0.5f * pi * std::sin(pi * r) * 2.0f * cells * relief : 0.0f;
        const float dhds = onDome ? slope * cx / r : 0.0f;
        const float dhdt = onDome ? slope * cy / r : 0.0f;
        const float length = std::sqrt(dhds * dhds + dhdt * dhdt + 1.0f);
        c[0] = -dhds / length * 0.5f + 0.5f;
        c[1] = -dhdt / length * 0.5f + 0.5f;
        c[2] = 1.0f / length * 0.5f + 0.5f;
        c[3] = flat ? 0.5f : (onDome ? 0.5f + 0.5f * std::cos(pi * r) : 0.0f);
    });
}

struct Image {
    std::vector<std::uint8_t> rgba;

    float luminance(int x, int y) const
    {
        const std::uint8_t* p = GlTestContext::pixel(rgba, WIDTH, x, y);
        return (p[0] + p[1] + p[2]) / 3.0f;
    }
    // Mean luminance of the box [x0, x1) x [y0, y1), rows top-down.
    float mean(int x0, int y0, int x1, int y1) const
    {
        double sum = 0.0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                sum += luminance(x, y);
        return static_cast<float>(sum / ((x1 - x0) * (y1 - y0)));
    }
};

// The material and a light in world space, which is also the quad's object space,
// seen by a camera 3.2 units in front of the origin.
void setSceneParameters(GLuint colour, GLuint bumps, GLuint shadow, const float (&light)[3])
{
    ShaderManager* shaders = ShaderManager::instance();
    const float lightInEye[3] = {light[0], light[1], light[2] - 3.2f};
    const float eye[3] = {0.0f, 0.0f, 3.2f};
    const float ka[3] = {0.15f, 0.15f, 0.15f};
    const float kd[4] = {0.9f, 0.9f, 0.9f, 1.0f};
    const float ks[3] = {0.0f, 0.0f, 0.0f};
    for (int matrix : {EFFECTPARAMETER_MODELMATRIX, EFFECTPARAMETER_LIGHTVIEW, EFFECTPARAMETER_LIGHTPROJ})
        shaders->setMatrix(matrix, identity);
    shaders->setVector3(EFFECTPARAMETER_LIGHTPOSITION, light);
    shaders->setVector3(EFFECTPARAMETER_VIEWLIGHTPOSITION, lightInEye);
    shaders->setVector3(EFFECTPARAMETER_EYEPOSITION, eye);
    shaders->setVector3(EFFECTPARAMETER_KA, ka);
    shaders->setVector4(EFFECTPARAMETER_KD, kd);
    shaders->setVector3(EFFECTPARAMETER_KS, ks);
    shaders->setFloat(EFFECTPARAMETER_SHININESS, 24.0f);
    shaders->setTexture(EFFECTPARAMETER_TEXTUREMAP, colour);
    shaders->setTexture(EFFECTPARAMETER_NORMALMAP, bumps);
    shaders->setTexture(EFFECTPARAMETER_SHADOWMAP, shadow);
}

// The 2 x 2 quad at z = 0 facing the camera through the pass, in the render objects'
// vertex layout (a box's front face): texture repeated twice, t growing downwards.
Image renderQuad(const char* pass, const char* screenshot = nullptr)
{
    glViewport(0, 0, WIDTH, HEIGHT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(40.0, static_cast<double>(WIDTH) / HEIGHT, 0.5, 10.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(0.0, 0.0, 3.2, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    ShaderManager::instance()->setPass(pass);
    const float corners[4][4] = {{-1, 1, 0, 0}, {-1, -1, 0, 2}, {1, 1, 2, 0}, {1, -1, 2, 2}};
    glBegin(GL_TRIANGLE_STRIP);
    for (const auto& c : corners) {
        glTexCoord2f(c[2], c[3]);
        glMultiTexCoord3fARB(GL_TEXTURE1_ARB, 1.0f, 0.0f, 0.0f);
        glMultiTexCoord4fARB(GL_TEXTURE2_ARB, 0.0f, -1.0f, 0.0f, 1.0f);
        glNormal3f(0.0f, 0.0f, 1.0f);
        glVertex3f(c[0], c[1], 0.0f);
    }
    glEnd();
    ShaderManager::instance()->resetPass();
    return Image{GlTestContext::readPixels(WIDTH, HEIGHT, screenshot)};
}

}  // namespace

// Both techniques of the game's effect compile here, so each could be the one in use.
TEST(ShaderManager, GameEffectInitialisesWithBothTechniquesValid)
{
    EXPECT_EQ(initWithGameEffect(), "Use technique pcfSteepParallax.\n");
    FxContext context;
    context.setOptimalOptions(FX_PROFILE_GLSL_VERTEX);
    context.setOptimalOptions(FX_PROFILE_GLSL_FRAGMENT);
    context.registerStates();
    FxEffect* effect = context.createEffectFromFile(PITCHROLL_DATA_DIR "/shaders/effectShader.cgfx");
    ASSERT_NE(effect, nullptr) << context.lastListing();
    FxTechnique* first = context.firstTechnique(effect);
    FxTechnique* second = context.nextTechnique(first);
    ASSERT_NE(second, nullptr);
    EXPECT_STREQ(context.techniqueName(second), "simpleParallax");
    for (FxTechnique* technique : {first, second}) {
        EXPECT_TRUE(context.validateTechnique(technique)) << context.lastListing();
        for (const char* pass : {"shadowMapping", "parallaxShadowMapping", "normalMapShadowMapping", "glowShade", "glowBlur", "glow"})
            EXPECT_NE(context.namedPass(technique, pass), nullptr) << pass;
    }
}

// Each problem is printed under its situation, every missing parameter too, and
// init still finishes.
TEST(ShaderManager, InitReportsEffectProblemsAndTheGameGoesOn)
{
    const std::string skip = effectWith({{"needsMore", "broken"}, {"fallback", "f"}});
    const std::string none = effectWith({{"first", "broken"}, {"second", "broken"}});
    const std::string malformed = "technique t {\n  pass p {\n    DepthTestEnable = maybe;\n";
    struct Case {
        const std::string* effect;  // null: no effect file
        const char* start;
        const char* glowMapReason;
    };
    const Case cases[] = {
        {&skip, "Technique needsMore did not validate.  Skipping.\nUse technique fallback.\n",
         "the effect has no parameter named glowMap\n"},
        {&none, "Technique first did not validate.  Skipping.\nTechnique second did not validate.  Skipping.\n"
                "No valid technique\n", ""},
        {&malformed, "vertex_and_fragment_program: creating effectShader.cgfx effect: the effect file "
                     "data/shaders/effectShader.cgfx does not compile\n"
                     "data/shaders/effectShader.cgfx:2: pass \"p\" is not closed with \"}\"\nNo valid technique\n", ""},
        {nullptr, "vertex_and_fragment_program: creating effectShader.cgfx effect: "
                  "cannot read effect file data/shaders/effectShader.cgfx\nNo valid technique\n", ""},
    };
    for (const Case& c : cases) {
        const std::string output = initWithEffect(std::to_string(&c - cases), c.effect);
        EXPECT_EQ(output.rfind(c.start, 0), 0u) << output;
        EXPECT_NE(output.find(std::string("vertex_and_fragment_program: getting glowMap: ") + c.glowMapReason),
                  std::string::npos) << output;
    }
}

TEST(ShaderManager, ParallaxPassLightsANormalMappedQuadPerPixel)
{
    initWithGameEffect();
    glEnable(GL_DEPTH_TEST);
    // Sand-coloured checks, 8 per texture side.
    const GLuint colour = GlTestContext::makeTexture(64, 64, [](int x, int y, float* c) {
        const bool dark = ((x / 8) + (y / 8)) % 2 == 1;
        c[0] = dark ? 0.75f : 0.9f;
        c[1] = dark ? 0.62f : 0.78f;
        c[2] = dark ? 0.45f : 0.6f;
        c[3] = 1.0f;
    });
    const GLuint textures[4] = {colour, makeBumpMap(false), makeBumpMap(true), makeLitShadowMap()};
    const GLuint bumps = textures[1], flat = textures[2], lit = textures[3];

    // Lit from far away at the upper left, every dome is brighter on its upper-left
    // slope than on its lower-right one: the normal map's X and Y point the right way.
    const float farUpperLeftLight[3] = {-30.0f, 30.0f, 10.0f};
    setSceneParameters(colour, bumps, lit, farUpperLeftLight);
    const Image domes = renderQuad("parallaxShadowMapping", "parallax-domes.ppm");
    ShaderManager::instance()->setTexture(EFFECTPARAMETER_NORMALMAP, flat);
    const Image plain = renderQuad("parallaxShadowMapping");
    const auto relief = [&](int x0, int y0) { return domes.mean(x0, y0, x0 + 14, y0 + 14) - plain.mean(x0, y0, x0 + 14, y0 + 14); };
    // The quad spans x 114..526 and y 34..446: 8 x 8 domes, 51.5 pixels apart.
    int brighterUpperLeft = 0;
    for (int j = 0; j < 8; ++j) {
        for (int i = 0; i < 8; ++i) {
            const int x0 = 114 + static_cast<int>(i * 51.5f);
            const int y0 = 34 + static_cast<int>(j * 51.5f);
            brighterUpperLeft += relief(x0 + 8, y0 + 8) > relief(x0 + 30, y0 + 30) + 10.0f;
        }
    }
    EXPECT_EQ(brighterUpperLeft, 64);
    glDeleteTextures(4, textures);
}
