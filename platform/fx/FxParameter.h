#pragma once

#include "platform/fx/FxSource.h"

#include <string>

// A named value of an effect: the GLSL uniforms of that name in all of the effect's
// passes. The value lives here, so a pass made current later still receives it.
// A sampler parameter owns one texture unit for the whole effect.
class FxParameter {
public:
    // textureUnit is used only by sampler types.
    FxParameter(std::string name, FxUniformType type, int textureUnit);

    const std::string& name() const { return parameterName; }
    FxUniformType type() const { return uniformType; }
    bool isSampler() const { return uniformType == FX_SAMPLER2D || uniformType == FX_SAMPLER2DSHADOW; }
    int textureUnit() const { return unit; }

    // Copies as many floats as the type holds (1, 3, 4 or 16); not for samplers.
    void setValues(const float* values);
    void setTexture(unsigned int texture) { textureName = texture; }
    const float* values() const { return value; }

    // Sends the value to the uniform at location of the program in use; a sampler
    // gets its unit there and its texture is bound to that unit.
    void upload(int location) const;

private:
    std::string parameterName;
    FxUniformType uniformType;
    int unit;
    float value[16] = {};
    unsigned int textureName = 0;
};
