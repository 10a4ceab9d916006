#include "platform/fx/FxParameter.h"

#include <GL/glew.h>

#include <algorithm>
#include <cassert>
#include <utility>

namespace {

int floatCount(FxUniformType type)
{
    switch (type) {
    case FX_FLOAT:
        return 1;
    case FX_FLOAT3:
        return 3;
    case FX_FLOAT4:
        return 4;
    case FX_FLOAT4X4:
        return 16;
    case FX_SAMPLER2D:
    case FX_SAMPLER2DSHADOW:
        break;
    }
    return 0;
}

}  // namespace

FxParameter::FxParameter(std::string name, FxUniformType type, int textureUnit)
    : parameterName(std::move(name)), uniformType(type), unit(textureUnit)
{
}

void FxParameter::setValues(const float* values)
{
    assert(values && !isSampler());
    std::copy_n(values, floatCount(uniformType), value);
}

void FxParameter::upload(int location) const
{
    switch (uniformType) {
    case FX_FLOAT:
        glUniform1fv(location, 1, value);
        break;
    case FX_FLOAT3:
        glUniform3fv(location, 1, value);
        break;
    case FX_FLOAT4:
        glUniform4fv(location, 1, value);
        break;
    case FX_FLOAT4X4:
        glUniformMatrix4fv(location, 1, GL_FALSE, value);
        break;
    case FX_SAMPLER2D:
    case FX_SAMPLER2DSHADOW: {
        glUniform1i(location, unit);
        // Bind on the parameter's own unit without disturbing the unit others rely on.
        GLint active = GL_TEXTURE0;
        glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
        glActiveTexture(GL_TEXTURE0 + unit);
        glBindTexture(GL_TEXTURE_2D, textureName);
        glActiveTexture(static_cast<GLenum>(active));
        break;
    }
    }
}
