#include "platform/fx/FxRenderState.h"

#include <GL/glew.h>

namespace {

struct EnumName {
    const char* name;
    GLenum value;
};

const EnumName depthFuncs[] = {
    {"Never", GL_NEVER},   {"Less", GL_LESS},       {"Equal", GL_EQUAL},   {"LEqual", GL_LEQUAL},
    {"Greater", GL_GREATER}, {"NotEqual", GL_NOTEQUAL}, {"GEqual", GL_GEQUAL}, {"Always", GL_ALWAYS},
};

const EnumName cullFaces[] = {
    {"Front", GL_FRONT}, {"Back", GL_BACK}, {"FrontAndBack", GL_FRONT_AND_BACK},
};

const EnumName blendFactors[] = {
    {"Zero", GL_ZERO},
    {"One", GL_ONE},
    {"SrcColor", GL_SRC_COLOR},
    {"OneMinusSrcColor", GL_ONE_MINUS_SRC_COLOR},
    {"DstColor", GL_DST_COLOR},
    {"OneMinusDstColor", GL_ONE_MINUS_DST_COLOR},
    {"SrcAlpha", GL_SRC_ALPHA},
    {"OneMinusSrcAlpha", GL_ONE_MINUS_SRC_ALPHA},
    {"DstAlpha", GL_DST_ALPHA},
    {"OneMinusDstAlpha", GL_ONE_MINUS_DST_ALPHA},
};

template <std::size_t N>
bool lookUp(const EnumName (&table)[N], const std::string& word, unsigned int& value)
{
    for (const EnumName& entry : table) {
        if (word == entry.name) {
            value = entry.value;
            return true;
        }
    }
    return false;
}

bool parseFlag(const std::string& word, unsigned int& value)
{
    if (word == "true" || word == "false") {
        value = word == "true" ? 1 : 0;
        return true;
    }
    return false;
}

GLint queryInteger(GLenum name)
{
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}

}  // namespace

FxRenderState::FxRenderState(const char* name, Kind kind, unsigned int capability)
    : stateName(name), kind(kind), capability(capability)
{
}

const std::vector<FxRenderState>& FxRenderState::standardStates()
{
    static const std::vector<FxRenderState> states = {
        {"DepthTestEnable", CAPABILITY, GL_DEPTH_TEST},
        {"CullFaceEnable", CAPABILITY, GL_CULL_FACE},
        {"BlendEnable", CAPABILITY, GL_BLEND},
        {"DepthMask", DEPTH_MASK, 0},
        {"DepthFunc", DEPTH_FUNC, 0},
        {"CullFace", CULL_FACE, 0},
        {"BlendFunc", BLEND_FUNC, 0},
    };
    return states;
}

bool FxRenderState::parse(const std::vector<std::string>& words, Value& value) const
{
    value = {0, 0};
    const std::size_t count = kind == BLEND_FUNC ? 2 : 1;
    if (words.size() != count)
        return false;
    switch (kind) {
    case CAPABILITY:
    case DEPTH_MASK:
        return parseFlag(words[0], value[0]);
    case DEPTH_FUNC:
        return lookUp(depthFuncs, words[0], value[0]);
    case CULL_FACE:
        return lookUp(cullFaces, words[0], value[0]);
    case BLEND_FUNC:
        return lookUp(blendFactors, words[0], value[0]) && lookUp(blendFactors, words[1], value[1]);
    }
    return false;
}

FxRenderState::Value FxRenderState::query() const
{
    switch (kind) {
    case CAPABILITY:
        return {glIsEnabled(capability) ? 1u : 0u, 0};
    case DEPTH_MASK: {
        GLboolean mask = GL_TRUE;
        glGetBooleanv(GL_DEPTH_WRITEMASK, &mask);
        return {mask ? 1u : 0u, 0};
    }
    case DEPTH_FUNC:
        return {static_cast<unsigned int>(queryInteger(GL_DEPTH_FUNC)), 0};
    case CULL_FACE:
        return {static_cast<unsigned int>(queryInteger(GL_CULL_FACE_MODE)), 0};
    case BLEND_FUNC:
        return {static_cast<unsigned int>(queryInteger(GL_BLEND_SRC_RGB)),
                static_cast<unsigned int>(queryInteger(GL_BLEND_DST_RGB))};
    }
    return {0, 0};
}

void FxRenderState::apply(const Value& value) const
{
    switch (kind) {
    case CAPABILITY:
        if (value[0])
            glEnable(capability);
        else
            glDisable(capability);
        break;
    case DEPTH_MASK:
        glDepthMask(value[0] ? GL_TRUE : GL_FALSE);
        break;
    case DEPTH_FUNC:
        glDepthFunc(value[0]);
        break;
    case CULL_FACE:
        glCullFace(value[0]);
        break;
    case BLEND_FUNC:
        // Colour and alpha factors alike, as glBlendFunc sets them.
        glBlendFunc(value[0], value[1]);
        break;
    }
}
