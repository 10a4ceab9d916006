#include "effects/ShaderManager.h"

#include "app/Report.h"
#include "effects/EffectParameter.h"

#include <GL/glew.h>

#include <cassert>

namespace {

const char* const EFFECT_FILE = "data/shaders/effectShader.cgfx";
// Every error line starts with this, as the shader runtime's programs are named.
const char* const PROGRAM_NAME = "vertex_and_fragment_program";

}  // namespace

ShaderManager::ShaderManager() = default;

// Deleting the instance (tests do) frees the effect with the context.
ShaderManager::~ShaderManager() = default;

void ShaderManager::init()
{
    context = std::make_unique<FxContext>();
    checkError("creating context");
    context->setOptimalOptions(vertexProfile);
    checkError("selecting vertex profile");
    context->setOptimalOptions(fragmentProfile);
    checkError("selecting fragment profile");
    context->registerStates();
    checkError("registering standard CgFX states");
    effect = context->createEffectFromFile(EFFECT_FILE);
    checkError("creating effectShader.cgfx effect");

    // The first technique in file order that runs here; the rest are not looked at.
    technique = context->firstTechnique(effect);
    while (technique && !context->validateTechnique(technique)) {
        report("Technique %s did not validate.  Skipping.\n", context->techniqueName(technique));
        technique = context->nextTechnique(technique);
    }
    if (technique)
        report("Use technique %s.\n", context->techniqueName(technique));
    else
        report("No valid technique\n");

    currentPass = nullptr;

    struct Lookup {
        FxParameter* ShaderManager::*field;
        const char* name;
        const char* situation;
    };
    static const Lookup lookups[] = {
        {&ShaderManager::modelMatrix, "modelMatrix", "could not get modelMatrix parameter"},
        {&ShaderManager::lightProj, "lightProj", "could not get lightProj parameter"},
        {&ShaderManager::lightView, "lightView", "could not get lightView parameter"},
        {&ShaderManager::lightPosition, "lightPosition", "could not get lightPosition parameter"},
        {&ShaderManager::eyePosition, "eyePosition", "could not get eyePosition parameter"},
        {&ShaderManager::normalMap, "normalMap", "getting normalMap"},
        {&ShaderManager::textureMap, "textureMap", "getting textureMap"},
        {&ShaderManager::shadowMap, "shadowMap", "getting shadowMap"},
        {&ShaderManager::viewLightPosition, "viewLightPosition", "getting LightPosition"},
        {&ShaderManager::Ka, "Ka", "getting Ka"},
        {&ShaderManager::Kd, "Kd", "getting Kd"},
        {&ShaderManager::Ks, "Ks", "getting Ks"},
        {&ShaderManager::shininess, "shininess", "getting Shininess"},
        {&ShaderManager::glowMap, "glowMap", "getting glowMap"},
        {&ShaderManager::xOffset, "xOffset", "getting xOffset"},
        {&ShaderManager::yOffset, "yOffset", "getting yOffset"},
    };
    for (const Lookup& lookup : lookups) {
        this->*lookup.field = context->namedEffectParameter(effect, lookup.name);
        checkError(lookup.situation);
    }
}

void ShaderManager::setTexture(int id, unsigned int texture)
{
    if (!context)
        return;
    context->setTextureParameter(parameter(id, SETTER_TEXTURE), texture);
    checkError("SetParameterTexture");
}

void ShaderManager::setFloat(int id, float value)
{
    if (!context)
        return;
    context->setParameter1f(parameter(id, SETTER_FLOAT), value);
    checkError("SetParameter1f");
}

void ShaderManager::setVector3(int id, const float* values)
{
    if (!context)
        return;
    context->setParameter3fv(parameter(id, SETTER_VECTOR3), values);
    checkError("SetParameter3fv");
}

void ShaderManager::setVector4(int id, const float* values)
{
    if (!context)
        return;
    context->setParameter4fv(parameter(id, SETTER_VECTOR4), values);
    checkError("SetParameter4fv");
}

void ShaderManager::setMatrix(int id, const float* m)
{
    if (!context)
        return;
    context->setMatrixParameterfc(parameter(id, SETTER_MATRIX), m);
    checkError("SetMatrixParameterfc");
}

void ShaderManager::setPass(const char* name)
{
    if (!context)
        return;
    currentPass = context->namedPass(technique, name);
    context->setPassState(currentPass);
}

void ShaderManager::resetPass()
{
    if (context && currentPass)
        context->resetPassState(currentPass);
    glActiveTextureARB(GL_TEXTURE0_ARB);
    glClientActiveTextureARB(GL_TEXTURE0_ARB);
    glEnable(GL_TEXTURE_2D);
}

void ShaderManager::shutdown()
{
    if (!context)
        return;
    context->destroyEffect(effect);
    context.reset();
    effect = nullptr;
    technique = nullptr;
    currentPass = nullptr;
}

void ShaderManager::checkError(const char* situation)
{
    FxError error = FX_NO_ERROR;
    const char* text = context->lastErrorString(&error);
    if (error == FX_NO_ERROR)
        return;
    report("%s: %s: %s\n", PROGRAM_NAME, situation, text);
    if (error == FX_COMPILER_ERROR)
        report("%s\n", context->lastListing());
}

FxParameter* ShaderManager::parameter(int id, Setter setter) const
{
    struct Entry {
        FxParameter* ShaderManager::*field;
        Setter setter;
    };
    // Indexed by EffectParameter id; note that the id order is not the field order.
    static const Entry entries[EFFECTPARAMETER_COUNT] = {
        {&ShaderManager::modelMatrix, SETTER_MATRIX},
        {&ShaderManager::lightProj, SETTER_MATRIX},
        {&ShaderManager::lightView, SETTER_MATRIX},
        {&ShaderManager::normalMap, SETTER_TEXTURE},
        {&ShaderManager::textureMap, SETTER_TEXTURE},
        {&ShaderManager::shadowMap, SETTER_TEXTURE},
        {&ShaderManager::viewLightPosition, SETTER_VECTOR3},
        {&ShaderManager::lightPosition, SETTER_VECTOR3},
        {&ShaderManager::eyePosition, SETTER_VECTOR3},
        {&ShaderManager::Ka, SETTER_VECTOR3},
        {&ShaderManager::Kd, SETTER_VECTOR4},
        {&ShaderManager::Ks, SETTER_VECTOR3},
        {&ShaderManager::shininess, SETTER_FLOAT},
        {&ShaderManager::glowMap, SETTER_TEXTURE},
        {&ShaderManager::xOffset, SETTER_FLOAT},
        {&ShaderManager::yOffset, SETTER_FLOAT},
    };
    const bool fits = id >= 0 && id < EFFECTPARAMETER_COUNT && entries[id].setter == setter;
    assert(fits && "effect parameter id used with the wrong setter");
    return fits ? this->*entries[id].field : nullptr;
}
