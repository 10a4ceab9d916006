#pragma once

#include <cstddef>
#include <string>
#include <vector>

// The GLSL uniform types that can be effect parameters.
enum FxUniformType {
    FX_FLOAT,              // float
    FX_FLOAT3,             // vec3
    FX_FLOAT4,             // vec4
    FX_FLOAT4X4,           // mat4, column-major
    FX_SAMPLER2D,          // sampler2D
    FX_SAMPLER2DSHADOW     // sampler2DShadow (depth texture with comparison)
};

// One "Name = value, value;" line of a pass, not yet checked against the known states.
struct FxStateSource {
    std::string name;
    std::vector<std::string> values;
    int line = 0;
};

struct FxPassSource {
    std::string name;
    std::vector<FxStateSource> states;
    std::vector<std::string> vertexBlocks;    // code block names, in order
    std::vector<std::string> fragmentBlocks;
    std::string vertexShader;                 // the blocks joined: the GLSL handed to the driver
    std::string fragmentShader;
    int line = 0;
};

struct FxTechniqueSource {
    std::string name;
    std::vector<FxPassSource> passes;
    int line = 0;
};

struct FxUniformSource {
    std::string name;
    FxUniformType type = FX_FLOAT;
};

// Reads the text of an effect file: named GLSL code blocks and techniques made of
// passes, each pass a list of render states and the code blocks of its two shaders.
// The format is described at the top of data/shaders/effectShader.cgfx. Parsing needs
// no GL; state names and values are checked later against the registered states.
class FxSource {
public:
    // Longest effect file text that is read; anything longer is refused.
    static constexpr std::size_t MAX_TEXT = 1 << 20;

    // Parses the whole text. fileName only names the file in the error message.
    // On failure the lists are left empty and error() says where and what.
    bool parse(const std::string& text, const std::string& fileName);

    // Techniques in the order the file declares them.
    const std::vector<FxTechniqueSource>& techniques() const { return techniqueList; }
    // The uniforms declared in the code blocks that passes use, first declaration first.
    const std::vector<FxUniformSource>& uniforms() const { return uniformList; }
    // "file:line: message" after a failed parse, empty otherwise.
    const std::string& error() const { return errorText; }

private:
    struct CodeBlock {
        std::string name;
        std::string text;
        int line = 0;
    };

    bool parseCode();
    bool parseTechnique();
    bool parsePass(FxTechniqueSource& technique);
    bool parseAssignment(FxPassSource& pass);
    bool resolvePasses();
    bool joinBlocks(const std::vector<std::string>& names, int line, std::string& shader);
    bool scanUniforms(const CodeBlock& block);
    bool addUniform(const std::string& name, const std::string& type, int line);

    void skipSpace();
    bool atEnd() const { return pos >= text->size(); }
    char peek() const { return atEnd() ? '\0' : (*text)[pos]; }
    bool readWord(std::string& word);
    bool expect(char c, const char* what);
    bool fail(int atLine, const std::string& message);

    const std::string* text = nullptr;
    std::string fileName;
    std::size_t pos = 0;
    int line = 1;

    std::vector<CodeBlock> codeBlocks;
    std::vector<FxTechniqueSource> techniqueList;
    std::vector<FxUniformSource> uniformList;
    std::string errorText;
};
