#include "platform/fx/FxSource.h"

#include <algorithm>
#include <cctype>
#include <utility>

namespace {

bool isWordChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

// A code block line that closes the block: "}}" with nothing but blanks around it.
bool isBlockEnd(const std::string& text, std::size_t begin, std::size_t end)
{
    while (begin < end && isSpace(text[begin]))
        ++begin;
    while (end > begin && isSpace(text[end - 1]))
        --end;
    return end - begin == 2 && text.compare(begin, 2, "}}") == 0;
}

struct Token {
    std::string text;
    int line;
};

// Words and single punctuation characters of GLSL code, comments left out.
std::vector<Token> tokenizeGlsl(const std::string& code, int firstLine)
{
    std::vector<Token> tokens;
    int line = firstLine;
    std::size_t i = 0;
    while (i < code.size()) {
        const char c = code[i];
        const char next = i + 1 < code.size() ? code[i + 1] : '\0';
        if (c == '\n') {
            ++line;
            ++i;
        } else if (c == '/' && next == '/') {
            while (i < code.size() && code[i] != '\n')
                ++i;
        } else if (c == '/' && next == '*') {
            i += 2;
            while (i < code.size() && !(code[i] == '*' && i + 1 < code.size() && code[i + 1] == '/')) {
                if (code[i] == '\n')
                    ++line;
                ++i;
            }
            i += 2;
        } else if (isWordChar(c)) {
            const std::size_t start = i;
            while (i < code.size() && isWordChar(code[i]))
                ++i;
            tokens.push_back({code.substr(start, i - start), line});
        } else {
            if (!isSpace(c))
                tokens.push_back({std::string(1, c), line});
            ++i;
        }
    }
    return tokens;
}

bool uniformType(const std::string& glslType, FxUniformType& type)
{
    static const std::pair<const char*, FxUniformType> types[] = {
        {"float", FX_FLOAT},         {"vec3", FX_FLOAT3},
        {"vec4", FX_FLOAT4},         {"mat4", FX_FLOAT4X4},
        {"sampler2D", FX_SAMPLER2D}, {"sampler2DShadow", FX_SAMPLER2DSHADOW},
    };
    for (const auto& entry : types) {
        if (glslType == entry.first) {
            type = entry.second;
            return true;
        }
    }
    return false;
}

bool isPrecision(const std::string& word)
{
    return word == "lowp" || word == "mediump" || word == "highp";
}

}  // namespace

bool FxSource::parse(const std::string& sourceText, const std::string& name)
{
    text = &sourceText;
    fileName = name;
    pos = 0;
    line = 1;
    codeBlocks.clear();
    techniqueList.clear();
    uniformList.clear();
    errorText.clear();

    bool ok = true;
    if (sourceText.size() > MAX_TEXT)
        ok = fail(1, "the effect file is larger than " + std::to_string(MAX_TEXT) + " bytes");
    for (skipSpace(); ok && !atEnd(); skipSpace()) {
        std::string keyword;
        if (!readWord(keyword))
            ok = fail(line, "expected \"code\" or \"technique\"");
        else if (keyword == "code")
            ok = parseCode();
        else if (keyword == "technique")
            ok = parseTechnique();
        else
            ok = fail(line, "expected \"code\" or \"technique\", found \"" + keyword + "\"");
    }
    if (ok)
        ok = resolvePasses();
    if (!ok) {
        techniqueList.clear();
        uniformList.clear();
    }
    codeBlocks.clear();
    text = nullptr;
    return ok;
}

// code NAME {{ ... lines ... }}
bool FxSource::parseCode()
{
    CodeBlock block;
    const int startLine = line;
    skipSpace();
    if (!readWord(block.name))
        return fail(line, "a code block needs a name");
    for (const CodeBlock& other : codeBlocks) {
        if (other.name == block.name)
            return fail(line, "code block \"" + block.name + "\" is defined twice (first on line " +
                                  std::to_string(other.line - 1) + ")");
    }
    skipSpace();
    if (text->compare(pos, 2, "{{") != 0)
        return fail(line, "expected \"{{\" after code block \"" + block.name + "\"");
    pos += 2;
    // Nothing but blanks may follow "{{" on its line: the code starts on the next one.
    while (!atEnd() && (peek() == ' ' || peek() == '\t' || peek() == '\r'))
        ++pos;
    if (!atEnd() && peek() != '\n')
        return fail(line, "the code of block \"" + block.name + "\" starts on the line after \"{{\"");
    if (!atEnd())
        ++pos;
    ++line;
    block.line = line;

    while (!atEnd()) {
        const std::size_t lineEnd = std::min(text->find('\n', pos), text->size());
        if (isBlockEnd(*text, pos, lineEnd)) {
            pos = std::min(lineEnd + 1, text->size());
            ++line;
            codeBlocks.push_back(std::move(block));
            return true;
        }
        block.text.append(*text, pos, lineEnd - pos);
        block.text += '\n';
        pos = std::min(lineEnd + 1, text->size());
        ++line;
    }
    return fail(startLine, "code block \"" + block.name + "\" has no closing \"}}\" line");
}

// technique NAME { pass ... }
bool FxSource::parseTechnique()
{
    FxTechniqueSource technique;
    technique.line = line;
    skipSpace();
    if (!readWord(technique.name))
        return fail(line, "a technique needs a name");
    for (const FxTechniqueSource& other : techniqueList) {
        if (other.name == technique.name)
            return fail(line, "technique \"" + technique.name + "\" is defined twice");
    }
    if (!expect('{', "after the technique name"))
        return false;
    for (skipSpace(); !atEnd() && peek() != '}'; skipSpace()) {
        std::string keyword;
        if (!readWord(keyword) || keyword != "pass")
            return fail(line, "expected \"pass\" or \"}\" in technique \"" + technique.name + "\"");
        if (!parsePass(technique))
            return false;
    }
    if (atEnd())
        return fail(technique.line, "technique \"" + technique.name + "\" is not closed with \"}\"");
    ++pos;
    techniqueList.push_back(std::move(technique));
    return true;
}

// pass NAME { assignments }
bool FxSource::parsePass(FxTechniqueSource& technique)
{
    FxPassSource pass;
    pass.line = line;
    skipSpace();
    if (!readWord(pass.name))
        return fail(line, "a pass needs a name");
    for (const FxPassSource& other : technique.passes) {
        if (other.name == pass.name)
            return fail(line, "technique \"" + technique.name + "\" has two passes named \"" +
                                  pass.name + "\"");
    }
    if (!expect('{', "after the pass name"))
        return false;
    for (skipSpace(); !atEnd() && peek() != '}'; skipSpace()) {
        if (!parseAssignment(pass))
            return false;
    }
    if (atEnd())
        return fail(pass.line, "pass \"" + pass.name + "\" is not closed with \"}\"");
    ++pos;
    if (pass.vertexBlocks.empty() || pass.fragmentBlocks.empty())
        return fail(pass.line, "pass \"" + pass.name + "\" needs both VertexShader and FragmentShader");
    technique.passes.push_back(std::move(pass));
    return true;
}

// Name = value, value;   or   VertexShader = block block;
bool FxSource::parseAssignment(FxPassSource& pass)
{
    FxStateSource state;
    state.line = line;
    if (!readWord(state.name))
        return fail(line, "expected a render state or shader name in pass \"" + pass.name + "\"");
    if (!expect('=', ("after \"" + state.name + "\"").c_str()))
        return false;

    const bool isShader = state.name == "VertexShader" || state.name == "FragmentShader";
    for (;;) {
        skipSpace();
        std::string value;
        if (!readWord(value))
            return fail(line, "\"" + state.name + "\" needs a value");
        state.values.push_back(value);
        skipSpace();
        if (peek() == ';')
            break;
        // Shader blocks are listed with blanks between them, state values with commas.
        if (!isShader && !expect(',', ("or \";\" between the values of \"" + state.name + "\"").c_str()))
            return false;
    }
    ++pos;

    if (!isShader) {
        pass.states.push_back(std::move(state));
        return true;
    }
    std::vector<std::string>& blocks = state.name == "VertexShader" ? pass.vertexBlocks : pass.fragmentBlocks;
    if (!blocks.empty())
        return fail(state.line, "pass \"" + pass.name + "\" sets " + state.name + " twice");
    blocks = std::move(state.values);
    return true;
}

// Joins every pass's blocks into its shader texts and collects the uniforms of the
// blocks in use, in file order.
bool FxSource::resolvePasses()
{
    std::vector<bool> used(codeBlocks.size(), false);
    for (FxTechniqueSource& technique : techniqueList) {
        for (FxPassSource& pass : technique.passes) {
            if (!joinBlocks(pass.vertexBlocks, pass.line, pass.vertexShader) ||
                !joinBlocks(pass.fragmentBlocks, pass.line, pass.fragmentShader))
                return false;
            for (std::size_t i = 0; i < codeBlocks.size(); ++i) {
                const std::string& name = codeBlocks[i].name;
                const auto usedBy = [&name](const std::vector<std::string>& names) {
                    return std::find(names.begin(), names.end(), name) != names.end();
                };
                if (usedBy(pass.vertexBlocks) || usedBy(pass.fragmentBlocks))
                    used[i] = true;
            }
        }
    }
    for (std::size_t i = 0; i < codeBlocks.size(); ++i) {
        if (used[i] && !scanUniforms(codeBlocks[i]))
            return false;
    }
    return true;
}

bool FxSource::joinBlocks(const std::vector<std::string>& names, int passLine, std::string& shader)
{
    shader.clear();
    for (const std::string& name : names) {
        const auto block = std::find_if(codeBlocks.begin(), codeBlocks.end(),
                                        [&name](const CodeBlock& b) { return b.name == name; });
        if (block == codeBlocks.end())
            return fail(passLine, "unknown code block \"" + name + "\"");
        shader += block->text;
    }
    return true;
}

// Finds "uniform [precision] type name [, name] ;" declarations.
bool FxSource::scanUniforms(const CodeBlock& block)
{
    const std::vector<Token> tokens = tokenizeGlsl(block.text, block.line);
    std::size_t k = 0;
    const auto next = [&tokens, &k]() -> const Token* { return k < tokens.size() ? &tokens[k++] : nullptr; };
    while (k < tokens.size()) {
        if (tokens[k++].text != "uniform")
            continue;
        const Token* type = next();
        if (type && isPrecision(type->text))
            type = next();
        if (!type)
            return fail(tokens.back().line, "incomplete uniform declaration in code block \"" + block.name + "\"");
        for (;;) {
            const Token* name = next();
            const Token* separator = next();
            if (!name || !separator || !isWordChar(name->text[0]))
                return fail(type->line, "incomplete uniform declaration in code block \"" + block.name + "\"");
            if (separator->text == "[")
                return fail(name->line, "uniform \"" + name->text + "\" is an array; effect parameters cannot be");
            if (!addUniform(name->text, type->text, name->line))
                return false;
            if (separator->text == ";")
                break;
            if (separator->text != ",")
                return fail(name->line, "expected \";\" after uniform \"" + name->text + "\"");
        }
    }
    return true;
}

bool FxSource::addUniform(const std::string& name, const std::string& glslType, int atLine)
{
    FxUniformType type;
    if (!uniformType(glslType, type))
        return fail(atLine, "uniform \"" + name + "\" has type " + glslType +
                                "; effect parameters are float, vec3, vec4, mat4, sampler2D or sampler2DShadow");
    for (const FxUniformSource& uniform : uniformList) {
        if (uniform.name != name)
            continue;
        if (uniform.type != type)
            return fail(atLine, "uniform \"" + name + "\" is declared with two different types");
        return true;
    }
    uniformList.push_back({name, type});
    return true;
}

// Blanks and "//" comments between the elements of the file.
void FxSource::skipSpace()
{
    while (!atEnd()) {
        const char c = peek();
        if (c == '\n') {
            ++line;
            ++pos;
        } else if (isSpace(c)) {
            ++pos;
        } else if (c == '/' && pos + 1 < text->size() && (*text)[pos + 1] == '/') {
            while (!atEnd() && peek() != '\n')
                ++pos;
        } else {
            return;
        }
    }
}

// A name or value: letters, digits, '_', '.', '+' and '-'.
bool FxSource::readWord(std::string& word)
{
    const std::size_t start = pos;
    while (!atEnd() && (isWordChar(peek()) || peek() == '.' || peek() == '+' || peek() == '-'))
        ++pos;
    word = text->substr(start, pos - start);
    return !word.empty();
}

bool FxSource::expect(char c, const char* what)
{
    skipSpace();
    if (peek() != c)
        return fail(line, std::string("expected \"") + c + "\" " + what);
    ++pos;
    return true;
}

bool FxSource::fail(int atLine, const std::string& message)
{
    errorText = fileName + ":" + std::to_string(atLine) + ": " + message;
    return false;
}
