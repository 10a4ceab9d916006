#include "platform/fx/FxSource.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const char* const twoTechniques = R"(// leading comment
code head {{
#version 110
}}
code vs {{
uniform mat4 modelMatrix; // the object's world matrix
/* uniform vec2 commentedOut; */
uniform vec4 Kd, colour2;
void main() { gl_Position = modelMatrix * gl_Vertex; }
}}
code fs {{
uniform sampler2D textureMap;
uniform vec4 Kd;
void main() { gl_FragColor = Kd; }
}}
code unused {{
uniform ivec2 neverScanned;
}}
technique first {
    pass one {
        DepthTestEnable = true;   // comment after a state
        BlendFunc = SrcAlpha, OneMinusSrcAlpha;
        VertexShader = head vs;
        FragmentShader = head fs;
    }
    pass two { VertexShader = head vs; FragmentShader = head fs; }
}
technique second {
    pass one {
        VertexShader = head
                       vs;
        FragmentShader = head fs;
    }
}
)";

// Parses text that must fail and returns the error message.
std::string parseError(const std::string& text)
{
    FxSource source;
    EXPECT_FALSE(source.parse(text, "bad.cgfx")) << text;
    EXPECT_TRUE(source.techniques().empty());
    return source.error();
}

const char* const validPass = "code c {{\nvoid main() {}\n}}\n";

}  // namespace

TEST(FxSource, ReadsTechniquesPassesAndStatesInFileOrder)
{
    FxSource source;
    ASSERT_TRUE(source.parse(twoTechniques, "effect.cgfx")) << source.error();
    ASSERT_EQ(source.techniques().size(), 2u);
    const FxTechniqueSource& first = source.techniques()[0];
    EXPECT_EQ(first.name, "first");
    EXPECT_EQ(source.techniques()[1].name, "second");
    ASSERT_EQ(first.passes.size(), 2u);
    EXPECT_EQ(first.passes[0].name, "one");
    EXPECT_EQ(first.passes[1].name, "two");

    const FxPassSource& one = first.passes[0];
    ASSERT_EQ(one.states.size(), 2u);
    EXPECT_EQ(one.states[0].name, "DepthTestEnable");
    EXPECT_EQ(one.states[0].values, std::vector<std::string>{"true"});
    EXPECT_EQ(one.states[1].name, "BlendFunc");
    EXPECT_EQ(one.states[1].values, (std::vector<std::string>{"SrcAlpha", "OneMinusSrcAlpha"}));
    EXPECT_EQ(one.states[1].line, 22);
}

TEST(FxSource, JoinsCodeBlocksVerbatimInListedOrder)
{
    FxSource source;
    ASSERT_TRUE(source.parse(twoTechniques, "effect.cgfx")) << source.error();
    const FxPassSource& pass = source.techniques()[1].passes[0];
    EXPECT_EQ(pass.fragmentShader,
              "#version 110\nuniform sampler2D textureMap;\nuniform vec4 Kd;\nvoid main() { gl_FragColor = Kd; }\n");
    EXPECT_EQ(pass.vertexShader.rfind("#version 110\nuniform mat4 modelMatrix;", 0), 0u);
}

TEST(FxSource, DeclaresEachUniformOfUsedCodeOnce)
{
    FxSource source;
    ASSERT_TRUE(source.parse(twoTechniques, "effect.cgfx")) << source.error();
    const std::vector<FxUniformSource>& uniforms = source.uniforms();
    ASSERT_EQ(uniforms.size(), 4u);
    EXPECT_EQ(uniforms[0].name, "modelMatrix");
    EXPECT_EQ(uniforms[0].type, FX_FLOAT4X4);
    EXPECT_EQ(uniforms[1].name, "Kd");
    EXPECT_EQ(uniforms[1].type, FX_FLOAT4);
    EXPECT_EQ(uniforms[2].name, "colour2");
    EXPECT_EQ(uniforms[3].name, "textureMap");
    EXPECT_EQ(uniforms[3].type, FX_SAMPLER2D);
}

TEST(FxSource, AnEmptyFileHasNoTechnique)
{
    FxSource source;
    EXPECT_TRUE(source.parse("", "empty.cgfx"));
    EXPECT_TRUE(source.parse("  // only a comment\n\n", "empty.cgfx"));
    EXPECT_TRUE(source.techniques().empty());
}

TEST(FxSource, ReportsFileLineAndProblem)
{
    EXPECT_EQ(parseError("\n\ncode c {{\nvoid main() {}\n"),
              "bad.cgfx:3: code block \"c\" has no closing \"}}\" line");
    EXPECT_EQ(parseError(std::string(validPass) + "technique t {\n pass p {\n VertexShader = c;\n FragmentShader = missing;\n }\n}\n"),
              "bad.cgfx:5: unknown code block \"missing\"");
    EXPECT_EQ(parseError(std::string(validPass) + "technique t { pass p { VertexShader = c; } }"),
              "bad.cgfx:4: pass \"p\" needs both VertexShader and FragmentShader");
    EXPECT_EQ(parseError("shader x"), "bad.cgfx:1: expected \"code\" or \"technique\", found \"shader\"");
    EXPECT_EQ(parseError("technique t {\n pass p {\n DepthMask = true\n }\n}"),
              "bad.cgfx:4: expected \",\" or \";\" between the values of \"DepthMask\"");
    EXPECT_EQ(parseError("technique t {\n pass p {\n"), "bad.cgfx:2: pass \"p\" is not closed with \"}\"");
    EXPECT_EQ(parseError("technique t { pass p { VertexShader = c; FragmentShader = c; }"),
              "bad.cgfx:1: technique \"t\" is not closed with \"}\"");
    EXPECT_EQ(parseError("code c {{ int x;\n}}\n"), "bad.cgfx:1: the code of block \"c\" starts on the line after \"{{\"");
    EXPECT_EQ(parseError(std::string(validPass) + validPass), "bad.cgfx:4: code block \"c\" is defined twice (first on line 1)");
    EXPECT_EQ(parseError("technique t { pass p { VertexShader = c; FragmentShader = c; } pass p {} }"),
              "bad.cgfx:1: technique \"t\" has two passes named \"p\"");
    EXPECT_EQ(parseError("!"), "bad.cgfx:1: expected \"code\" or \"technique\"");
}

TEST(FxSource, RefusesUniformsThatCannotBeParameters)
{
    const auto withUniforms = [](const std::string& declarations) {
        return "code c {{\nvoid main() {}\n" + declarations + "\n}}\n" +
               "technique t { pass p { VertexShader = c; FragmentShader = c; } }";
    };
    EXPECT_EQ(parseError(withUniforms("uniform vec2 offsets[4];")),
              "bad.cgfx:3: uniform \"offsets\" is an array; effect parameters cannot be");
    EXPECT_EQ(parseError(withUniforms("uniform ivec2 size;")),
              "bad.cgfx:3: uniform \"size\" has type ivec2; effect parameters are float, vec3, vec4, mat4, "
              "sampler2D or sampler2DShadow");
    EXPECT_EQ(parseError(withUniforms("uniform vec3 Ka;\nuniform vec4 Ka;")),
              "bad.cgfx:4: uniform \"Ka\" is declared with two different types");
    EXPECT_EQ(parseError(withUniforms("uniform float")), "bad.cgfx:3: incomplete uniform declaration in code block \"c\"");
    EXPECT_EQ(parseError(withUniforms("uniform highp float a b;")), "bad.cgfx:3: expected \";\" after uniform \"a\"");
}

// Every truncation of a valid file either parses or fails with a message; none
// reads past the text.
TEST(FxSource, SurvivesTruncatedAndBinaryInput)
{
    const std::string full = twoTechniques;
    for (std::size_t length = 0; length <= full.size(); ++length) {
        FxSource source;
        if (!source.parse(full.substr(0, length), "cut.cgfx")) {
            EXPECT_FALSE(source.error().empty()) << length;
        }
    }
    std::string junk;
    for (int i = 0; i < 4096; ++i)
        junk += static_cast<char>((i * 7919) % 256);
    FxSource source;
    EXPECT_FALSE(source.parse(junk, "junk.cgfx"));
    EXPECT_FALSE(source.parse(std::string(FxSource::MAX_TEXT + 1, ' '), "huge.cgfx"));
}
