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
void main() { gl_FragColor = Kd; }
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
    EXPECT_FALSE(context.validateTechnique(broken));
    EXPECT_NE(std::string(context.lastListing()).find("pass a: fragment shader:"), std::string::npos)
        << context.lastListing();
    EXPECT_EQ(error(), FX_NO_ERROR);

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
    const float values[3] = {1.0f, 2.0f, 3.0f};
    context.setParameter3fv(parameter("Kd"), values);
    EXPECT_EQ(error(), FX_PARAMETER_TYPE_ERROR);
    EXPECT_EQ(lastText, "parameter Kd is a vec4 and cannot take a vec3");
    EXPECT_EQ(parameter("Kd")->values()[0], 0.0f);

    EXPECT_EQ(context.firstTechnique(nullptr), nullptr);
    EXPECT_EQ(error(), FX_INVALID_EFFECT_HANDLE_ERROR);
    EXPECT_STREQ(context.techniqueName(nullptr), "");
    context.setPassState(context.namedPass(nullptr, "a"));
    EXPECT_EQ(error(), FX_INVALID_PASS_HANDLE_ERROR);
    context.setParameter1f(nullptr, 1.0f);
    EXPECT_EQ(error(), FX_INVALID_PARAMETER_HANDLE_ERROR);
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
