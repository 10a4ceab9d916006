#include "platform/fx/FxContext.h"

#include "platform/fx/FxEffect.h"
#include "platform/fx/FxParameter.h"
#include "platform/fx/FxPass.h"
#include "GlTestContext.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A technique that does not compile, then two passes over the same uniforms with
// different render states.
const char* const effectText = R"(
code v110 {{
#version 110
}}
code vertex {{
uniform mat4 modelMatrix;
void main() { gl_Position = modelMatrix * gl_Vertex; }
}}
code fragment {{
uniform vec4 Kd;
uniform float shininess;
uniform sampler2D textureMap;
uniform sampler2D glowMap;
void main() { gl_FragColor = Kd * shininess + texture2D(textureMap, vec2(0.5)) + texture2D(glowMap, vec2(0.5)); }
}}
code brokenFragment {{
void main() { gl_FragColor = undeclaredThing; }
}}
technique broken {
    pass a { VertexShader = v110 vertex; FragmentShader = v110 brokenFragment; }
}
technique working {
    pass a { DepthTestEnable = false; BlendFunc = One, One; VertexShader = v110 vertex; FragmentShader = v110 fragment; }
    pass b { BlendEnable = false; VertexShader = v110 vertex; FragmentShader = v110 fragment; }
}
)";

std::string writeEffect(const char* name, const std::string& text)
{
    const std::string path = testing::TempDir() + name;
    std::ofstream(path) << text;
    return path;
}

GLint integer(GLenum name)
{
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}

// A context ready to load effects, as ShaderManager sets one up, with the test
// effect loaded and its working technique validated.
class FxContextTest : public testing::Test {
protected:
    void SetUp() override
    {
        GlTestContext::ensure();
        context.setOptimalOptions(FX_PROFILE_GLSL_VERTEX);
        context.setOptimalOptions(FX_PROFILE_GLSL_FRAGMENT);
        context.registerStates();
        effect = context.createEffectFromFile(writeEffect("fx-test.cgfx", effectText).c_str());
        ASSERT_NE(effect, nullptr) << context.lastListing();
        working = context.nextTechnique(context.firstTechnique(effect));
        ASSERT_TRUE(context.validateTechnique(working)) << context.lastListing();
        ASSERT_EQ(error(), FX_NO_ERROR);
    }

    // The context's error, read (and so cleared); its text goes to lastText.
    FxError error()
    {
        FxError code = FX_NO_ERROR;
        lastText = context.lastErrorString(&code);
        return code;
    }

    FxParameter* parameter(const char* name) { return context.namedEffectParameter(effect, name); }

    FxContext context;
    FxEffect* effect = nullptr;
    FxTechnique* working = nullptr;
    std::string lastText;
};

}  // namespace

// A technique that does not validate is skipped, not an error; its pass cannot be
// set and changes nothing.
TEST_F(FxContextTest, TechniqueThatDoesNotCompileFailsValidationWithItsListing)
{
    FxTechnique* broken = context.firstTechnique(effect);
    EXPECT_STREQ(context.techniqueName(broken), "broken");
    EXPECT_FALSE(context.validateTechnique(broken));
    EXPECT_NE(std::string(context.lastListing()).find("pass a: fragment shader:"), std::string::npos)
        << context.lastListing();
    EXPECT_EQ(error(), FX_NO_ERROR);
    EXPECT_STREQ(context.techniqueName(working), "working");
    EXPECT_EQ(context.nextTechnique(working), nullptr);

    glEnable(GL_DEPTH_TEST);
    context.setPassState(context.namedPass(broken, "a"));
    EXPECT_EQ(error(), FX_COMPILER_ERROR);
    EXPECT_EQ(lastText, "pass a does not compile or link");
    EXPECT_NE(std::string(context.lastListing()).find("undeclaredThing"), std::string::npos) << context.lastListing();
    EXPECT_EQ(context.currentPass(), nullptr);
    EXPECT_EQ(integer(GL_CURRENT_PROGRAM), 0);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
}

TEST_F(FxContextTest, FailuresAndBadHandlesAreReportedOnceWithTheirText)
{
    EXPECT_EQ(context.createEffectFromFile("no/such/effect.cgfx"), nullptr);
    EXPECT_EQ(error(), FX_FILE_ERROR);
    EXPECT_EQ(lastText, "cannot read effect file no/such/effect.cgfx");
    EXPECT_EQ(error(), FX_NO_ERROR) << "reading the error clears it";
    // A pipe in place of the file: opening it for reading would wait for ever.
    const std::string pipe = testing::TempDir() + "fx-pipe.cgfx";
    unlink(pipe.c_str());
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_EQ(context.createEffectFromFile(pipe.c_str()), nullptr);
    EXPECT_EQ(error(), FX_FILE_ERROR);
    EXPECT_EQ(lastText, "cannot read effect file " + pipe);
    unlink(pipe.c_str());

    const std::string bad = writeEffect("fx-bad.cgfx", "technique t {\n pass p {\n DepthTest = true;\n"
                                                       " VertexShader = x; FragmentShader = x; } }\n"
                                                       "code x {{\nvoid main() {}\n}}\n");
    EXPECT_EQ(context.createEffectFromFile(bad.c_str()), nullptr);
    EXPECT_EQ(error(), FX_COMPILER_ERROR);
    EXPECT_EQ(context.lastListing(), bad + ":3: unknown render state \"DepthTest\"");

    EXPECT_EQ(parameter("Ka"), nullptr);
    EXPECT_EQ(error(), FX_UNKNOWN_PARAMETER_ERROR);
    EXPECT_EQ(lastText, "the effect has no parameter named Ka");
    EXPECT_EQ(context.namedPass(working, "glow"), nullptr);
    EXPECT_EQ(error(), FX_UNKNOWN_PASS_ERROR);
    EXPECT_EQ(lastText, "technique working has no pass named glow");

    // A setter that does not fit the type stores nothing.
    const float values[4] = {1.0f, 2.0f, 3.0f, 4.0f};
    context.setParameter3fv(parameter("Kd"), values);
    EXPECT_EQ(error(), FX_PARAMETER_TYPE_ERROR);
    EXPECT_EQ(lastText, "parameter Kd is a vec4 and cannot take a vec3");
    EXPECT_EQ(parameter("Kd")->values()[0], 0.0f);
    context.setTextureParameter(parameter("Kd"), 7);
    EXPECT_EQ(error(), FX_PARAMETER_TYPE_ERROR);
    context.setMatrixParameterfc(parameter("textureMap"), values);
    EXPECT_EQ(error(), FX_PARAMETER_TYPE_ERROR);

    EXPECT_EQ(context.firstTechnique(nullptr), nullptr);
    EXPECT_EQ(error(), FX_INVALID_EFFECT_HANDLE_ERROR);
    EXPECT_EQ(context.namedEffectParameter(nullptr, "Kd"), nullptr);
    EXPECT_EQ(error(), FX_INVALID_EFFECT_HANDLE_ERROR);
    EXPECT_STREQ(context.techniqueName(nullptr), "");
    context.setPassState(context.namedPass(nullptr, "a"));
    EXPECT_EQ(error(), FX_INVALID_PASS_HANDLE_ERROR);
    context.setParameter1f(nullptr, 1.0f);
    EXPECT_EQ(error(), FX_INVALID_PARAMETER_HANDLE_ERROR);
}

// The value set before a pass, while it is current and before a later pass all
// reach the program the next draw uses.
TEST_F(FxContextTest, ParameterValuesReachTheCurrentPassAndPersistForLaterOnes)
{
    FxPass* a = context.namedPass(working, "a");
    FxPass* b = context.namedPass(working, "b");
    FxParameter* kd = parameter("Kd");
    const float before[4] = {0.1f, 0.2f, 0.3f, 0.25f};
    context.setParameter4fv(kd, before);
    context.setPassState(a);
    float read[4] = {};
    glGetUniformfv(a->program(), a->location(kd), read);
    EXPECT_EQ(read[0], 0.1f);
    EXPECT_EQ(read[3], 0.25f);

    const float during[4] = {0.5f, 0.6f, 0.7f, 0.75f};
    context.setParameter4fv(kd, during);
    glGetUniformfv(a->program(), a->location(kd), read);
    EXPECT_EQ(read[3], 0.75f) << "a pass that is already current sees the new value at once";

    context.setPassState(b);
    glGetUniformfv(b->program(), b->location(kd), read);
    EXPECT_EQ(read[2], 0.7f);
    context.resetPassState(b);
    EXPECT_EQ(error(), FX_NO_ERROR) << lastText;
}

// Switching straight from a to b leaves what resetting a and setting b leaves; the
// reset gives back what the program had before any pass, as does destroying the
// effect of the current pass.
TEST_F(FxContextTest, PassStatesArePutBackOnSwitchResetAndDestroy)
{
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    context.setPassState(context.namedPass(working, "a"));
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_EQ(integer(GL_BLEND_SRC_RGB), GL_ONE);
    EXPECT_EQ(integer(GL_BLEND_DST_RGB), GL_ONE);

    FxPass* b = context.namedPass(working, "b");
    context.setPassState(b);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_EQ(integer(GL_BLEND_SRC_RGB), GL_SRC_ALPHA);
    EXPECT_EQ(integer(GL_BLEND_DST_RGB), GL_ONE_MINUS_SRC_ALPHA);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(static_cast<GLuint>(integer(GL_CURRENT_PROGRAM)), b->program());

    context.resetPassState(b);
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_EQ(integer(GL_CURRENT_PROGRAM), 0);
    EXPECT_EQ(context.currentPass(), nullptr);
    context.resetPassState(b);
    EXPECT_EQ(error(), FX_NO_ERROR) << "resetting a pass that is not current does nothing";

    context.setPassState(context.namedPass(working, "a"));
    context.destroyEffect(effect);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_EQ(integer(GL_CURRENT_PROGRAM), 0);
    EXPECT_EQ(context.currentPass(), nullptr);
    context.destroyEffect(effect);
    EXPECT_EQ(error(), FX_INVALID_EFFECT_HANDLE_ERROR) << "a destroyed effect is a stale handle";
}

TEST_F(FxContextTest, EachSamplerHasItsOwnUnitAndTheActiveUnitIsKept)
{
    FxParameter* textureMap = parameter("textureMap");
    FxParameter* glowMap = parameter("glowMap");
    EXPECT_EQ(textureMap->textureUnit(), 1);
    EXPECT_EQ(glowMap->textureUnit(), 2);

    GLuint textures[2];
    glGenTextures(2, textures);
    glActiveTexture(GL_TEXTURE0);
    context.setTextureParameter(textureMap, textures[0]);
    FxPass* a = context.namedPass(working, "a");
    context.setPassState(a);
    context.setTextureParameter(glowMap, textures[1]);
    EXPECT_EQ(integer(GL_ACTIVE_TEXTURE), GL_TEXTURE0);
    GLint unit = -1;
    glGetUniformiv(a->program(), a->location(glowMap), &unit);
    EXPECT_EQ(unit, 2);
    for (int k = 0; k < 2; ++k) {
        glActiveTexture(GL_TEXTURE1 + k);
        EXPECT_EQ(static_cast<GLuint>(integer(GL_TEXTURE_BINDING_2D)), textures[k]);
    }
    glActiveTexture(GL_TEXTURE0);
    context.resetPassState(a);
    glDeleteTextures(2, textures);
    EXPECT_EQ(error(), FX_NO_ERROR) << lastText;
}
