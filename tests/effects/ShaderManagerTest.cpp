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
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int WIDTH = 640;
constexpr int HEIGHT = 480;
const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

std::string readText(const fs::path& path)
{
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

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
    const std::string text = readText(PITCHROLL_DATA_DIR "/shaders/effectShader.cgfx");
    return initWithEffect("game", &text);
}

// A small effect declaring all sixteen parameters; techniques are given by the test.
std::string effectWith(const std::string& techniques, bool withGlowMap = true)
{
    std::string text = R"(
code v110 {{
#version 110
}}
code vertex {{
uniform mat4 modelMatrix;
uniform mat4 lightProj;
uniform mat4 lightView;
uniform vec3 lightPosition;
uniform vec3 eyePosition;
uniform vec3 viewLightPosition;
void main() { gl_Position = lightProj * lightView * modelMatrix * gl_Vertex + vec4(lightPosition + eyePosition + viewLightPosition, 0.0); }
}}
code fragment {{
uniform vec3 Ka;
uniform vec4 Kd;
uniform vec3 Ks;
uniform float shininess;
uniform float xOffset;
uniform float yOffset;
uniform sampler2D textureMap;
uniform sampler2D normalMap;
uniform sampler2DShadow shadowMap;
GLOW_DECLARATION
void main() { gl_FragColor = Kd + vec4(Ka + Ks, shininess + xOffset + yOffset) + texture2D(textureMap, vec2(0.0))
                             + texture2D(normalMap, vec2(0.0)) + shadow2D(shadowMap, vec3(0.0)) GLOW_USE; }
}}
code broken {{
float brokenHelper() { return notDeclared; }
}}
)";
    const auto replace = [&text](const std::string& key, const std::string& value) {
        text.replace(text.find(key), key.size(), value);
    };
    replace("GLOW_DECLARATION", withGlowMap ? "uniform sampler2D glowMap;" : "");
    replace("GLOW_USE", withGlowMap ? "+ texture2D(glowMap, vec2(0.0))" : "");
    return text + techniques;
}

std::string technique(const std::string& name, const std::string& fragment)
{
    return "technique " + name + " { pass shadowMapping { VertexShader = v110 vertex; FragmentShader = v110 " +
           fragment + "; } }\n";
}

GLuint makeFlatTexture(float r, float g, float b)
{
    return GlTestContext::makeTexture(4, 4, [=](int, int, float* c) {
        c[0] = r;
        c[1] = g;
        c[2] = b;
        c[3] = 1.0f;
    });
}

// A depth texture set up as the shadow mapper does, every texel at depth.
GLuint makeShadowMap(float depth)
{
    const std::vector<float> depths(16 * 16, depth);
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_DEPTH_COMPONENT, 16, 16, 0, GL_DEPTH_COMPONENT, GL_FLOAT, depths.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
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
        const float height = onDome ? 0.5f + 0.5f * std::cos(pi * r) : 0.0f;
        // dh/dr, then per texture width: r changes by 2 * cells per unit of s or t.
        const float slope = onDome ? -0.5f * pi * std::sin(pi * r) * 2.0f * cells * relief : 0.0f;
        const float dhds = onDome ? slope * cx / r : 0.0f;
        const float dhdt = onDome ? slope * cy / r : 0.0f;
        const float length = std::sqrt(dhds * dhds + dhdt * dhdt + 1.0f);
        c[0] = -dhds / length * 0.5f + 0.5f;
        c[1] = -dhdt / length * 0.5f + 0.5f;
        c[2] = 1.0f / length * 0.5f + 0.5f;
        c[3] = flat ? 0.5f : height;
    });
}

// Camera 3.2 units in front of the origin, looking down -Z.
void applyCamera()
{
    glViewport(0, 0, WIDTH, HEIGHT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(40.0, static_cast<double>(WIDTH) / HEIGHT, 0.5, 10.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(0.0, 0.0, 3.2, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);
}

// The 2 x 2 quad at z = 0 facing the camera, in the render objects' vertex layout
// (a box's front face): texture repeated twice, t growing downwards.
void drawQuad()
{
    struct Corner {
        float x, y, u, v;
    };
    const Corner corners[4] = {{-1, 1, 0, 0}, {-1, -1, 0, 2}, {1, 1, 2, 0}, {1, -1, 2, 2}};
    glBegin(GL_TRIANGLE_STRIP);
    for (const Corner& c : corners) {
        glTexCoord2f(c.u, c.v);
        glMultiTexCoord3fARB(GL_TEXTURE1_ARB, 1.0f, 0.0f, 0.0f);
        glMultiTexCoord4fARB(GL_TEXTURE2_ARB, 0.0f, -1.0f, 0.0f, 1.0f);
        glNormal3f(0.0f, 0.0f, 1.0f);
        glVertex3f(c.x, c.y, 0.0f);
    }
    glEnd();
}

void fullScreenQuad()
{
    glBegin(GL_QUADS);
    glTexCoord2i(0, 0);
    glVertex3i(-1, -1, 0);
    glTexCoord2i(1, 0);
    glVertex3i(1, -1, 0);
    glTexCoord2i(1, 1);
    glVertex3i(1, 1, 0);
    glTexCoord2i(0, 1);
    glVertex3i(-1, 1, 0);
    glEnd();
}

struct Image {
    std::vector<std::uint8_t> rgba;

    int at(int x, int y, int channel) const { return rgba[(static_cast<std::size_t>(y) * WIDTH + x) * 4 + channel]; }
    float luminance(int x, int y) const { return (at(x, y, 0) + at(x, y, 1) + at(x, y, 2)) / 3.0f; }
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

Image grab(const char* screenshot = nullptr)
{
    glFinish();
    Image image{GlTestContext::readPixels(WIDTH, HEIGHT)};
    if (screenshot)
        GlTestContext::writePpm(screenshot, image.rgba, WIDTH, HEIGHT);
    return image;
}

// Lights in world space, which is also the quad's object space.
const float nearLeftLight[3] = {-1.2f, 0.6f, 0.8f};
const float farUpperLeftLight[3] = {-30.0f, 30.0f, 10.0f};

// The material and light of the lit-quad pictures.
void setSceneParameters(GLuint colour, GLuint bumps, GLuint shadow, float diffuse, float specular,
                        const float (&light)[3] = nearLeftLight)
{
    ShaderManager* shaders = ShaderManager::instance();
    const float* lightInObject = light;
    const float lightInEye[3] = {light[0], light[1], light[2] - 3.2f};
    const float eye[3] = {0.0f, 0.0f, 3.2f};
    const float ka[3] = {0.15f, 0.15f, 0.15f};
    const float kd[4] = {diffuse, diffuse, diffuse, 1.0f};
    const float ks[3] = {specular, specular, specular};
    shaders->setMatrix(EFFECTPARAMETER_MODELMATRIX, identity);
    shaders->setMatrix(EFFECTPARAMETER_LIGHTVIEW, identity);
    shaders->setMatrix(EFFECTPARAMETER_LIGHTPROJ, identity);
    shaders->setVector3(EFFECTPARAMETER_LIGHTPOSITION, lightInObject);
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

Image renderQuad(const char* pass, const char* screenshot = nullptr)
{
    applyCamera();
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    ShaderManager::instance()->setPass(pass);
    drawQuad();
    ShaderManager::instance()->resetPass();
    return grab(screenshot);
}

GLuint makeColourTexture()
{
    // Sand-coloured checks, 8 per texture side.
    return GlTestContext::makeTexture(64, 64, [](int x, int y, float* c) {
        const bool dark = ((x / 8) + (y / 8)) % 2 == 1;
        c[0] = dark ? 0.75f : 0.9f;
        c[1] = dark ? 0.62f : 0.78f;
        c[2] = dark ? 0.45f : 0.6f;
        c[3] = 1.0f;
    });
}

}  // namespace

TEST(ShaderManager, GameEffectInitialisesWithoutAnErrorLine)
{
    EXPECT_EQ(initWithGameEffect(), "Use technique pcfSteepParallax.\n");
}

TEST(ShaderManager, SkipsATechniqueThatDoesNotValidate)
{
    const std::string text = effectWith(technique("needsMore", "fragment broken") + technique("fallback", "fragment"));
    EXPECT_EQ(initWithEffect("skip", &text),
              "Technique needsMore did not validate.  Skipping.\nUse technique fallback.\n");
}

TEST(ShaderManager, ReportsWhenNoTechniqueValidates)
{
    const std::string text = effectWith(technique("first", "fragment broken") + technique("second", "broken fragment"));
    EXPECT_EQ(initWithEffect("none", &text),
              "Technique first did not validate.  Skipping.\n"
              "Technique second did not validate.  Skipping.\n"
              "No valid technique\n");
}

TEST(ShaderManager, MissingEffectFileIsReportedAndTheGameGoesOn)
{
    const std::string output = initWithEffect("missing", nullptr);
    EXPECT_EQ(output.rfind("vertex_and_fragment_program: creating effectShader.cgfx effect: "
                           "cannot read effect file data/shaders/effectShader.cgfx\n"
                           "No valid technique\n",
                           0),
              0u)
        << output;
    EXPECT_NE(output.find("vertex_and_fragment_program: getting glowMap: "), std::string::npos);

    // Every later use reports its own error, and nothing breaks.
    testing::internal::CaptureStdout();
    ShaderManager::instance()->setPass("shadowMapping");
    const float values[3] = {1.0f, 2.0f, 3.0f};
    ShaderManager::instance()->setVector3(EFFECTPARAMETER_KA, values);
    ShaderManager::instance()->resetPass();
    std::fflush(stdout);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "vertex_and_fragment_program: SetParameter3fv: invalid parameter handle\n");
}

TEST(ShaderManager, MissingParameterIsReportedUnderItsSituation)
{
    const std::string text = effectWith(technique("only", "fragment"), false);
    EXPECT_EQ(initWithEffect("noglow", &text),
              "Use technique only.\n"
              "vertex_and_fragment_program: getting glowMap: the effect has no parameter named glowMap\n");
}

TEST(ShaderManager, MalformedEffectFilePrintsTheListing)
{
    const std::string text = "technique t {\n  pass p {\n    DepthTestEnable = maybe;\n";
    const std::string output = initWithEffect("malformed", &text);
    EXPECT_EQ(output.rfind("vertex_and_fragment_program: creating effectShader.cgfx effect: the effect file "
                           "data/shaders/effectShader.cgfx does not compile\n"
                           "data/shaders/effectShader.cgfx:2: pass \"p\" is not closed with \"}\"\n"
                           "No valid technique\n",
                           0),
              0u)
        << output;
}

// Both techniques of the game's effect compile here, so each could be the one in use.
TEST(ShaderManager, GameEffectFallbackTechniqueAlsoValidates)
{
    GlTestContext::ensure(WIDTH, HEIGHT);
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
        for (const char* pass : {"shadowMapping", "parallaxShadowMapping", "glowShade", "glowBlur", "glow"})
            EXPECT_NE(context.namedPass(technique, pass), nullptr) << pass;
    }
    FxError error = FX_NO_ERROR;
    context.lastErrorString(&error);
    EXPECT_EQ(error, FX_NO_ERROR);
}

TEST(ShaderManager, DiffuseAlphaReachesTheUniformUnchanged)
{
    initWithGameEffect();
    ShaderManager::instance()->setPass("shadowMapping");
    const float kd[4] = {0.8f, 0.6f, 0.4f, 0.25f};
    ShaderManager::instance()->setVector4(EFFECTPARAMETER_KD, kd);
    GLint program = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    ASSERT_NE(program, 0);
    float read[4] = {};
    glGetUniformfv(static_cast<GLuint>(program), glGetUniformLocation(static_cast<GLuint>(program), "Kd"), read);
    EXPECT_EQ(read[0], 0.8f);
    EXPECT_EQ(read[3], 0.25f);

    // Another pass made current later receives the same value.
    ShaderManager::instance()->setPass("parallaxShadowMapping");
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    glGetUniformfv(static_cast<GLuint>(program), glGetUniformLocation(static_cast<GLuint>(program), "Kd"), read);
    EXPECT_EQ(read[3], 0.25f);
    ShaderManager::instance()->resetPass();
}

TEST(ShaderManager, ResetPassLeavesFixedFunctionTexturingOnUnitZero)
{
    initWithGameEffect();
    glEnable(GL_DEPTH_TEST);
    ShaderManager::instance()->setPass("glow");
    glActiveTextureARB(GL_TEXTURE2_ARB);
    glClientActiveTextureARB(GL_TEXTURE2_ARB);
    glDisable(GL_TEXTURE_2D);
    ShaderManager::instance()->resetPass();
    GLint value = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &value);
    EXPECT_EQ(value, GL_TEXTURE0);
    glGetIntegerv(GL_CLIENT_ACTIVE_TEXTURE, &value);
    EXPECT_EQ(value, GL_TEXTURE0);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    glGetIntegerv(GL_CURRENT_PROGRAM, &value);
    EXPECT_EQ(value, 0);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST)) << "the glow pass's depth state is put back";
}

// Screenshots: parallax-shadow-bumps.ppm and parallax-shadow-flat.ppm in the test's
// build folder.
TEST(ShaderManager, ParallaxPassLightsANormalMappedQuadPerPixel)
{
    initWithGameEffect();
    glEnable(GL_DEPTH_TEST);
    const GLuint colour = makeColourTexture();
    const GLuint bumps = makeBumpMap(false);
    const GLuint flat = makeBumpMap(true);
    const GLuint lit = makeShadowMap(1.0f);

    setSceneParameters(colour, bumps, lit, 0.9f, 0.5f);
    const Image bumpy = renderQuad("parallaxShadowMapping", "parallax-shadow-bumps.ppm");
    ShaderManager::instance()->setTexture(EFFECTPARAMETER_NORMALMAP, flat);
    const Image smooth = renderQuad("parallaxShadowMapping", "parallax-shadow-flat.ppm");

    // The quad covers roughly x 150..490, y 70..410 at this distance.
    const float left = smooth.mean(170, 200, 250, 280);
    const float right = smooth.mean(390, 200, 470, 280);
    EXPECT_GT(left, right + 40.0f) << "the light stands by the left edge";
    EXPECT_GT(right, 20.0f) << "the far side still gets ambient and some diffuse light";
    EXPECT_LT(smooth.mean(0, 0, 40, 40), 1.0f) << "nothing is drawn around the quad";

    // The domes change the shading from pixel to pixel, against the flat map.
    double difference = 0.0;
    for (int y = 100; y < 380; ++y)
        for (int x = 180; x < 460; ++x)
            difference += std::fabs(bumpy.luminance(x, y) - smooth.luminance(x, y));
    EXPECT_GT(difference / (280.0 * 280.0), 8.0);

    // Lit from far away at the upper left, every dome is brighter on its upper-left
    // slope than on its lower-right one: the normal map's X and Y point the right way.
    setSceneParameters(colour, bumps, lit, 0.9f, 0.0f, farUpperLeftLight);
    const Image domes = renderQuad("parallaxShadowMapping", "parallax-domes.ppm");
    ShaderManager::instance()->setTexture(EFFECTPARAMETER_NORMALMAP, flat);
    const Image plain = renderQuad("parallaxShadowMapping");
    // The quad spans x 114..526 and y 34..446: 8 x 8 domes, 51.5 pixels apart.
    int brighterUpperLeft = 0;
    for (int j = 0; j < 8; ++j) {
        for (int i = 0; i < 8; ++i) {
            const int x0 = 114 + static_cast<int>(i * 51.5f);
            const int y0 = 34 + static_cast<int>(j * 51.5f);
            const float upperLeft = domes.mean(x0 + 8, y0 + 8, x0 + 22, y0 + 22) - plain.mean(x0 + 8, y0 + 8, x0 + 22, y0 + 22);
            const float lowerRight = domes.mean(x0 + 30, y0 + 30, x0 + 44, y0 + 44) - plain.mean(x0 + 30, y0 + 30, x0 + 44, y0 + 44);
            if (upperLeft > lowerRight + 10.0f)
                ++brighterUpperLeft;
        }
    }
    EXPECT_EQ(brighterUpperLeft, 64);
    glDeleteTextures(1, &colour);
    glDeleteTextures(1, &bumps);
    glDeleteTextures(1, &flat);
    glDeleteTextures(1, &lit);
}

// In shadow the lamp's light falls to a quarter; the ambient part stays.
TEST(ShaderManager, ShadowedFragmentsKeepAQuarterOfTheDirectLight)
{
    initWithGameEffect();
    glEnable(GL_DEPTH_TEST);
    const GLuint colour = makeFlatTexture(1.0f, 1.0f, 1.0f);
    const GLuint flat = makeBumpMap(true);
    const GLuint lit = makeShadowMap(1.0f);
    const GLuint hidden = makeShadowMap(0.0f);

    for (const char* pass : {"shadowMapping", "parallaxShadowMapping"}) {
        setSceneParameters(colour, flat, lit, 0.6f, 0.0f);
        const float full = renderQuad(pass, "shadow-lit.ppm").mean(200, 200, 300, 280);
        ShaderManager::instance()->setTexture(EFFECTPARAMETER_SHADOWMAP, hidden);
        const float shadowed = renderQuad(pass, "shadow-hidden.ppm").mean(200, 200, 300, 280);
        setSceneParameters(colour, flat, lit, 0.0f, 0.0f);
        const float ambient = renderQuad(pass).mean(200, 200, 300, 280);
        ASSERT_GT(full - ambient, 40.0f) << pass;
        EXPECT_NEAR((shadowed - ambient) / (full - ambient), 0.25f, 0.03f) << pass;
    }
    glDeleteTextures(1, &colour);
    glDeleteTextures(1, &flat);
    glDeleteTextures(1, &lit);
    glDeleteTextures(1, &hidden);
}

TEST(ShaderManager, GlowPassesExtractBlurAndAdd)
{
    initWithGameEffect();
    ShaderManager* shaders = ShaderManager::instance();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glViewport(0, 0, WIDTH, HEIGHT);

    // Extraction: a dim left half stays dark, a white right half glows.
    const GLuint halves = GlTestContext::makeTexture(64, 64, [](int x, int, float* c) {
        c[0] = c[1] = c[2] = x < 32 ? 0.4f : 1.0f;
        c[3] = 1.0f;
    });
    shaders->setTexture(EFFECTPARAMETER_TEXTUREMAP, halves);
    shaders->setPass("glowShade");
    fullScreenQuad();
    shaders->resetPass();
    Image image = grab("glow-shade.ppm");
    EXPECT_LT(image.mean(20, 200, 140, 280), 2.0f);
    EXPECT_GT(image.mean(500, 200, 620, 280), 250.0f);

    // Blur across: one bright column spreads to its neighbours.
    const GLuint column = GlTestContext::makeTexture(64, 64, [](int x, int, float* c) {
        c[0] = c[1] = c[2] = x == 32 ? 1.0f : 0.0f;
        c[3] = 1.0f;
    });
    shaders->setTexture(EFFECTPARAMETER_GLOWMAP, column);
    shaders->setFloat(EFFECTPARAMETER_XOFFSET, 1.0f / 64.0f);
    shaders->setFloat(EFFECTPARAMETER_YOFFSET, 0.0f);
    shaders->setPass("glowBlur");
    fullScreenQuad();
    shaders->resetPass();
    image = grab("glow-blur.ppm");
    const int centre = static_cast<int>(32.5f / 64.0f * WIDTH);
    EXPECT_LT(image.luminance(centre, 240), 200.0f);
    EXPECT_GT(image.luminance(centre + 3 * WIDTH / 64, 240), 5.0f);
    EXPECT_LT(image.luminance(40, 240), 1.0f);

    // Composition: scene plus glow.
    const GLuint scene = makeFlatTexture(0.25f, 0.25f, 0.25f);
    const GLuint glow = makeFlatTexture(0.5f, 0.5f, 0.5f);
    shaders->setTexture(EFFECTPARAMETER_TEXTUREMAP, scene);
    shaders->setTexture(EFFECTPARAMETER_GLOWMAP, glow);
    shaders->setPass("glow");
    fullScreenQuad();
    shaders->resetPass();
    image = grab();
    EXPECT_NEAR(image.luminance(320, 240), 0.75f * 255.0f, 2.0f);
    const GLuint textures[] = {halves, column, scene, glow};
    glDeleteTextures(4, textures);
}
