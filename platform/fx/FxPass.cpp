#include "platform/fx/FxPass.h"

#include "platform/fx/FxParameter.h"

#include <GL/glew.h>

#include <algorithm>

namespace {

std::string infoLog(GLuint object, bool isProgram)
{
    GLint length = 0;
    if (isProgram)
        glGetProgramiv(object, GL_INFO_LOG_LENGTH, &length);
    else
        glGetShaderiv(object, GL_INFO_LOG_LENGTH, &length);
    if (length <= 0)
        return std::string();
    std::string text(static_cast<std::size_t>(length), '\0');
    if (isProgram)
        glGetProgramInfoLog(object, length, nullptr, &text[0]);
    else
        glGetShaderInfoLog(object, length, nullptr, &text[0]);
    text.resize(text.find('\0') == std::string::npos ? text.size() : text.find('\0'));
    return text;
}

}  // namespace

FxPass::FxPass(std::string name, std::vector<State> states, std::string vertexShader,
               std::string fragmentShader)
    : passName(std::move(name)),
      stateList(std::move(states)),
      vertexSource(std::move(vertexShader)),
      fragmentSource(std::move(fragmentShader))
{
}

FxPass::~FxPass()
{
    if (programObject)
        glDeleteProgram(programObject);
}

bool FxPass::setsState(const FxRenderState* state) const
{
    return std::any_of(stateList.begin(), stateList.end(),
                       [state](const State& s) { return s.state == state; });
}

bool FxPass::link(const std::vector<FxParameter*>& parameters)
{
    if (linkTried)
        return programObject != 0;
    linkTried = true;

    const GLuint vertex = compile(GL_VERTEX_SHADER, vertexSource, "vertex");
    const GLuint fragment = compile(GL_FRAGMENT_SHADER, fragmentSource, "fragment");
    if (!vertex || !fragment) {
        glDeleteShader(vertex);
        glDeleteShader(fragment);
        return false;
    }
    const GLuint program = glCreateProgram();
    glAttachShader(program, vertex);
    glAttachShader(program, fragment);
    glLinkProgram(program);
    // The program keeps what it needs; the shader objects go once it is linked.
    glDeleteShader(vertex);
    glDeleteShader(fragment);
    GLint linked = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    if (!linked) {
        log += "pass " + passName + ": link:\n" + infoLog(program, true);
        glDeleteProgram(program);
        return false;
    }

    GLint maxUnits = 0;
    glGetIntegerv(GL_MAX_COMBINED_TEXTURE_IMAGE_UNITS, &maxUnits);
    for (const FxParameter* parameter : parameters) {
        const GLint where = glGetUniformLocation(program, parameter->name().c_str());
        if (where < 0)
            continue;
        if (parameter->isSampler() && parameter->textureUnit() >= maxUnits) {
            log += "pass " + passName + ": sampler " + parameter->name() + " needs texture unit " +
                   std::to_string(parameter->textureUnit()) + ", the driver has " +
                   std::to_string(maxUnits) + "\n";
            glDeleteProgram(program);
            locations.clear();
            return false;
        }
        locations.emplace_back(parameter, where);
    }
    programObject = program;
    return true;
}

GLuint FxPass::compile(GLenum stage, const std::string& source, const char* stageName)
{
    const GLuint shader = glCreateShader(stage);
    const GLchar* text = source.c_str();
    const GLint length = static_cast<GLint>(source.size());
    glShaderSource(shader, 1, &text, &length);
    glCompileShader(shader);
    GLint compiled = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
    if (compiled)
        return shader;
    log += "pass " + passName + ": " + stageName + " shader:\n" + infoLog(shader, false);
    glDeleteShader(shader);
    return 0;
}

void FxPass::use() const
{
    glUseProgram(programObject);
    for (const auto& entry : locations)
        entry.first->upload(entry.second);
}

void FxPass::update(const FxParameter* parameter) const
{
    const int where = location(parameter);
    if (where >= 0)
        parameter->upload(where);
}

int FxPass::location(const FxParameter* parameter) const
{
    for (const auto& entry : locations) {
        if (entry.first == parameter)
            return entry.second;
    }
    return -1;
}
