#include "platform/fx/FxContext.h"

#include "platform/fx/FxEffect.h"
#include "platform/fx/FxParameter.h"
#include "platform/fx/FxPass.h"
#include "GlTestContext.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <fstream>
#include <string>

namespace {

// Two passes over the same uniforms, with different render states.
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
    pass a {
        DepthTestEnable = false;
        BlendFunc = One, One;
        VertexShader = v110 vertex;
        FragmentShader = v110 fragment;
    }
    pass b {
        BlendEnable = false;
        VertexShader = v110 vertex;
        FragmentShader = v110 fragment;
    }
}
)";

std::string writeEffect(const char* name, const std::string& text)
{
    const std::string path = testing::TempDir() + name;
    std::ofstream(path) << text;
    return path;
}

// A context ready to load effects, as ShaderManager sets one up.
struct Fixture : testing::Test {
    void SetUp() override
    {
        GlTestContext::ensure();
        context.setOptimalOptions(FX_PROFILE_GLSL_VERTEX);
        context.setOptimalOptions(FX_PROFILE_GLSL_FRAGMENT);
        context.registerStates();
        ASSERT_EQ(error(), FX_NO_ERROR);
    }

    FxError error()
    {
        FxError code = FX_NO_ERROR;
        lastText = context.lastErrorString(&code);
        return code;
    }

    FxEffect* load()
    {
        FxEffect* effect = context.createEffectFromFile(writeEffect("fx-test.cgfx", effectText).c_str());
        EXPECT_NE(effect, nullptr) << context.lastListing();
        return effect;
    }

    FxContext context;
    std::string lastText;
};

using FxContextTest = Fixture;

GLint integer(GLenum name)
{
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}

}  // namespace

TEST_F(FxContextTest, SkipsTechniqueThatDoesNotCompileAndKeepsItsListing)
{
    FxEffect* effect = load();
    FxTechnique* broken = context.firstTechnique(effect);
    ASSERT_NE(broken, nullptr);
    EXPECT_STREQ(context.techniqueName(broken), "broken");
    EXPECT_FALSE(context.validateTechnique(broken));
    EXPECT_NE(std::string(context.lastListing()).find("pass a: fragment shader:"), std::string::npos)
        << context.lastListing();
    EXPECT_EQ(error(), FX_NO_ERROR) << "a technique that does not validate is not an error";

    FxTechnique* working = context.nextTechnique(broken);
    ASSERT_NE(working, nullptr);
    EXPECT_STREQ(context.techniqueName(working), "working");
    EXPECT_TRUE(context.validateTechnique(working));
    EXPECT_EQ(context.nextTechnique(working), nullptr);
    EXPECT_EQ(error(), FX_NO_ERROR);
}

TEST_F(FxContextTest, MissingOrMalformedFileIsAnErrorAndLaterCallsReportBadHandles)
{
    EXPECT_EQ(context.createEffectFromFile("no/such/effect.cgfx"), nullptr);
    EXPECT_EQ(error(), FX_FILE_ERROR);
    EXPECT_EQ(lastText, "cannot read effect file no/such/effect.cgfx");
    EXPECT_EQ(error(), FX_NO_ERROR) << "reading the error clears it";

    EXPECT_EQ(context.firstTechnique(nullptr), nullptr);
    EXPECT_EQ(error(), FX_INVALID_EFFECT_HANDLE_ERROR);
    EXPECT_EQ(context.namedEffectParameter(nullptr, "Kd"), nullptr);
    EXPECT_EQ(error(), FX_INVALID_EFFECT_HANDLE_ERROR);
    EXPECT_STREQ(context.techniqueName(nullptr), "");
    context.setPassState(context.namedPass(nullptr, "a"));
    EXPECT_EQ(error(), FX_INVALID_PASS_HANDLE_ERROR);
    context.setParameter1f(nullptr, 1.0f);
    EXPECT_EQ(error(), FX_INVALID_PARAMETER_HANDLE_ERROR);

    const std::string bad = writeEffect("fx-bad.cgfx", "technique t {\n pass p {\n DepthTest = true;\n"
                                                       " VertexShader = x; FragmentShader = x; } }\n"
                                                       "code x {{\nvoid main() {}\n}}\n");
    EXPECT_EQ(context.createEffectFromFile(bad.c_str()), nullptr);
    EXPECT_EQ(error(), FX_COMPILER_ERROR);
    EXPECT_EQ(context.lastListing(), bad + ":3: unknown render state \"DepthTest\"");
}

TEST_F(FxContextTest, EffectsNeedRegisteredStatesAndTechniquesNeedBothProfiles)
{
    FxContext bare;
    EXPECT_EQ(bare.createEffectFromFile(writeEffect("fx-test.cgfx", effectText).c_str()), nullptr);
    EXPECT_NE(std::string(bare.lastListing()).find("unknown render state \"DepthTestEnable\""), std::string::npos);

    bare.registerStates();
    FxEffect* effect = bare.createEffectFromFile(writeEffect("fx-test.cgfx", effectText).c_str());
    ASSERT_NE(effect, nullptr);
    FxTechnique* working = bare.nextTechnique(bare.firstTechnique(effect));
    EXPECT_FALSE(bare.validateTechnique(working));
    bare.setOptimalOptions(FX_PROFILE_GLSL_VERTEX);
    bare.setOptimalOptions(FX_PROFILE_GLSL_FRAGMENT);
    EXPECT_TRUE(bare.validateTechnique(working));
}

TEST_F(FxContextTest, UnknownParameterOrPassIsAnError)
{
    FxEffect* effect = load();
    EXPECT_NE(context.namedEffectParameter(effect, "Kd"), nullptr);
    EXPECT_EQ(context.namedEffectParameter(effect, "Ka"), nullptr);
    EXPECT_EQ(error(), FX_UNKNOWN_PARAMETER_ERROR);
    EXPECT_EQ(lastText, "the effect has no parameter named Ka");

    FxTechnique* working = context.nextTechnique(context.firstTechnique(effect));
    EXPECT_EQ(context.namedPass(working, "glow"), nullptr);
    EXPECT_EQ(error(), FX_UNKNOWN_PASS_ERROR);
    EXPECT_EQ(lastText, "technique working has no pass named glow");
}

// The value set before a pass, while it is current and before a later pass all
// reach the program the next draw uses.
TEST_F(FxContextTest, ParameterValuesReachTheCurrentPassAndPersistForLaterOnes)
{
    FxEffect* effect = load();
    FxTechnique* working = context.nextTechnique(context.firstTechnique(effect));
    ASSERT_TRUE(context.validateTechnique(working));
    FxPass* a = context.namedPass(working, "a");
    FxPass* b = context.namedPass(working, "b");
    FxParameter* kd = context.namedEffectParameter(effect, "Kd");

    const float before[4] = {0.1f, 0.2f, 0.3f, 0.25f};
    context.setParameter4fv(kd, before);
    context.setPassState(a);
    float read[4] = {};
    glGetUniformfv(a->program(), a->location(kd), read);
    EXPECT_EQ(read[3], 0.25f);
    EXPECT_EQ(read[0], 0.1f);

    const float during[4] = {0.5f, 0.6f, 0.7f, 0.75f};
    context.setParameter4fv(kd, during);
    glGetUniformfv(a->program(), a->location(kd), read);
    EXPECT_EQ(read[3], 0.75f) << "a pass that is already current sees the new value at once";

    context.setPassState(b);
    glGetUniformfv(b->program(), b->location(kd), read);
    EXPECT_EQ(read[2], 0.7f);
    context.resetPassState(b);
    EXPECT_EQ(integer(GL_CURRENT_PROGRAM), 0);
    EXPECT_EQ(error(), FX_NO_ERROR) << lastText;
}

TEST_F(FxContextTest, SettersCheckTheParameterType)
{
    FxEffect* effect = load();
    FxParameter* kd = context.namedEffectParameter(effect, "Kd");
    const float values[4] = {1.0f, 2.0f, 3.0f, 4.0f};
    context.setParameter3fv(kd, values);
    EXPECT_EQ(error(), FX_PARAMETER_TYPE_ERROR);
    EXPECT_EQ(lastText, "parameter Kd is a vec4 and cannot take a vec3");
    EXPECT_EQ(kd->values()[0], 0.0f) << "a refused value is not stored";
    context.setTextureParameter(kd, 7);
    EXPECT_EQ(error(), FX_PARAMETER_TYPE_ERROR);
    context.setMatrixParameterfc(context.namedEffectParameter(effect, "textureMap"), values);
    EXPECT_EQ(error(), FX_PARAMETER_TYPE_ERROR);
}

// Switching straight from a to b must leave what resetting a and setting b leaves,
// and the reset must give back what the program had before any pass.
TEST_F(FxContextTest, PassStatesArePutBackOnSwitchAndReset)
{
    FxEffect* effect = load();
    FxTechnique* working = context.nextTechnique(context.firstTechnique(effect));
    ASSERT_TRUE(context.validateTechnique(working));
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
    EXPECT_EQ(context.currentPass(), nullptr);
    context.resetPassState(b);
    EXPECT_EQ(error(), FX_NO_ERROR) << "resetting a pass that is not current does nothing";
}

TEST_F(FxContextTest, EachSamplerHasItsOwnUnitAndTheActiveUnitIsKept)
{
    FxEffect* effect = load();
    FxTechnique* working = context.nextTechnique(context.firstTechnique(effect));
    ASSERT_TRUE(context.validateTechnique(working));
    FxParameter* textureMap = context.namedEffectParameter(effect, "textureMap");
    FxParameter* glowMap = context.namedEffectParameter(effect, "glowMap");
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
    glActiveTexture(GL_TEXTURE1);
    EXPECT_EQ(static_cast<GLuint>(integer(GL_TEXTURE_BINDING_2D)), textures[0]);
    glActiveTexture(GL_TEXTURE2);
    EXPECT_EQ(static_cast<GLuint>(integer(GL_TEXTURE_BINDING_2D)), textures[1]);
    glActiveTexture(GL_TEXTURE0);
    context.resetPassState(a);
    glDeleteTextures(2, textures);
    EXPECT_EQ(error(), FX_NO_ERROR) << lastText;
}

TEST_F(FxContextTest, DestroyingTheEffectOfTheCurrentPassResetsIt)
{
    FxEffect* effect = load();
    FxTechnique* working = context.nextTechnique(context.firstTechnique(effect));
    ASSERT_TRUE(context.validateTechnique(working));
    glEnable(GL_DEPTH_TEST);
    context.setPassState(context.namedPass(working, "a"));
    context.destroyEffect(effect);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_EQ(integer(GL_CURRENT_PROGRAM), 0);
    EXPECT_EQ(context.currentPass(), nullptr);
    context.destroyEffect(effect);
    EXPECT_EQ(error(), FX_INVALID_EFFECT_HANDLE_ERROR) << "a destroyed effect is a stale handle";
}

TEST_F(FxContextTest, SettingAPassThatDoesNotCompileIsACompilerErrorAndChangesNothing)
{
    FxEffect* effect = load();
    FxPass* broken = context.namedPass(context.firstTechnique(effect), "a");
    glEnable(GL_DEPTH_TEST);
    context.setPassState(broken);
    EXPECT_EQ(error(), FX_COMPILER_ERROR);
    EXPECT_EQ(lastText, "pass a does not compile or link");
    EXPECT_NE(std::string(context.lastListing()).find("undeclaredThing"), std::string::npos) << context.lastListing();
    EXPECT_EQ(context.currentPass(), nullptr);
    EXPECT_EQ(integer(GL_CURRENT_PROGRAM), 0);
}
