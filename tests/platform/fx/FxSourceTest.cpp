#include "platform/fx/FxSource.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

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

}  // namespace

// Techniques, passes and states in file order; code blocks joined verbatim; each
// uniform of the code passes use declared once, comments and unused blocks skipped.
TEST(FxSource, ReadsTechniquesCodeAndUniformsInFileOrder)
{
    FxSource source;
    ASSERT_TRUE(source.parse(twoTechniques, "effect.cgfx")) << source.error();
    ASSERT_EQ(source.techniques().size(), 2u);
    const FxTechniqueSource& first = source.techniques()[0];
    EXPECT_EQ(first.name, "first");
    EXPECT_EQ(source.techniques()[1].name, "second");
    ASSERT_EQ(first.passes.size(), 2u);
    EXPECT_EQ(first.passes[1].name, "two");
    const FxPassSource& one = first.passes[0];
    ASSERT_EQ(one.states.size(), 2u);
    EXPECT_EQ(one.states[0].name, "DepthTestEnable");
    EXPECT_EQ(one.states[0].values, std::vector<std::string>{"true"});
    EXPECT_EQ(one.states[1].values, (std::vector<std::string>{"SrcAlpha", "OneMinusSrcAlpha"}));
    EXPECT_EQ(one.states[1].line, 22);

    const FxPassSource& split = source.techniques()[1].passes[0];
    EXPECT_EQ(split.fragmentShader,
              "#version 110\nuniform sampler2D textureMap;\nuniform vec4 Kd;\nvoid main() { gl_FragColor = Kd; }\n");
    EXPECT_EQ(split.vertexShader.rfind("#version 110\nuniform mat4 modelMatrix;", 0), 0u);

    const std::vector<std::pair<std::string, FxUniformType>> expected = {
        {"modelMatrix", FX_FLOAT4X4}, {"Kd", FX_FLOAT4}, {"colour2", FX_FLOAT4}, {"textureMap", FX_SAMPLER2D}};
    ASSERT_EQ(source.uniforms().size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(source.uniforms()[i].name, expected[i].first);
        EXPECT_EQ(source.uniforms()[i].type, expected[i].second) << expected[i].first;
    }

    EXPECT_TRUE(source.parse("  // only a comment\n\n", "empty.cgfx"));
    EXPECT_TRUE(source.techniques().empty());
}

TEST(FxSource, ReportsFileLineAndProblem)
{
    const std::string validCode = "code c {{\nvoid main() {}\n}}\n";
    const auto withUniforms = [](const std::string& declarations) {
        return "code c {{\nvoid main() {}\n" + declarations + "\n}}\n" +
               "technique t { pass p { VertexShader = c; FragmentShader = c; } }";
    };
    const std::pair<std::string, std::string> cases[] = {
        {"\n\ncode c {{\nvoid main() {}\n", "3: code block \"c\" has no closing \"}}\" line"},
        {validCode + "technique t {\n pass p {\n VertexShader = c;\n FragmentShader = missing;\n }\n}\n",
         "5: unknown code block \"missing\""},
        {validCode + "technique t { pass p { VertexShader = c; } }", "4: pass \"p\" needs both VertexShader and FragmentShader"},
        {"shader x", "1: expected \"code\" or \"technique\", found \"shader\""},
        {"technique t {\n pass p {\n DepthMask = true\n }\n}", "4: expected \",\" or \";\" between the values of \"DepthMask\""},
        {"technique t {\n pass p {\n", "2: pass \"p\" is not closed with \"}\""},
        {"technique t { pass p { VertexShader = c; FragmentShader = c; }", "1: technique \"t\" is not closed with \"}\""},
        {"code c {{ int x;\n}}\n", "1: the code of block \"c\" starts on the line after \"{{\""},
        {validCode + validCode, "4: code block \"c\" is defined twice (first on line 1)"},
        {"technique t { pass p { VertexShader = c; FragmentShader = c; } pass p {} }",
         "1: technique \"t\" has two passes named \"p\""},
        {withUniforms("uniform vec2 offsets[4];"), "3: uniform \"offsets\" is an array; effect parameters cannot be"},
        {withUniforms("uniform ivec2 size;"), "3: uniform \"size\" has type ivec2; effect parameters are float, vec3, "
                                              "vec4, mat4, sampler2D or sampler2DShadow"},
        {withUniforms("uniform vec3 Ka;\nuniform vec4 Ka;"), "4: uniform \"Ka\" is declared with two different types"},
        {withUniforms("uniform float"), "3: incomplete uniform declaration in code block \"c\""},
        {withUniforms("uniform highp float a b;"), "3: expected \";\" after uniform \"a\""},
    };
    for (const auto& [text, error] : cases) {
        FxSource source;
        EXPECT_FALSE(source.parse(text, "bad.cgfx")) << text;
        EXPECT_TRUE(source.techniques().empty()) << text;
        EXPECT_EQ(source.error(), "bad.cgfx:" + error);
    }
    EXPECT_FALSE(FxSource().parse(std::string(FxSource::MAX_TEXT + 1, ' '), "huge.cgfx"));
}
