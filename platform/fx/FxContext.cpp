#include "platform/fx/FxContext.h"

#include "app/DataFile.h"
#include "platform/fx/FxEffect.h"
#include "platform/fx/FxParameter.h"
#include "platform/fx/FxPass.h"
#include "platform/fx/FxSource.h"
#include "platform/fx/FxTechnique.h"

#include <GL/glew.h>

#include <algorithm>

namespace {

int typeBit(FxUniformType type)
{
    return 1 << type;
}

const char* typeName(FxUniformType type)
{
    switch (type) {
    case FX_FLOAT:
        return "float";
    case FX_FLOAT3:
        return "vec3";
    case FX_FLOAT4:
        return "vec4";
    case FX_FLOAT4X4:
        return "mat4";
    case FX_SAMPLER2D:
        return "sampler2D";
    case FX_SAMPLER2DSHADOW:
        return "sampler2DShadow";
    }
    return "?";
}

// The whole file, or false when it cannot be read or is no regular file (a pipe
// would block the game at open). Keeps at most one byte more than the parser
// accepts, so that a huge file is refused.
bool readFile(const char* fileName, std::string& text)
{
    if (DataFile::read(fileName, text) != DataFile::READ)
        return false;
    if (text.size() > FxSource::MAX_TEXT)
        text.resize(FxSource::MAX_TEXT + 1);
    return true;
}

}  // namespace

FxContext::FxContext() = default;

FxContext::~FxContext()
{
    while (!effects.empty())
        destroyEffect(effects.back().get());
}

void FxContext::setOptimalOptions(FxProfile profile)
{
    // GLSL shader objects came with OpenGL 2.0; older drivers offer them as extensions.
    const bool shaderObjects = GLEW_VERSION_2_0 != 0;
    if (profile == FX_PROFILE_GLSL_VERTEX)
        vertexProfile = shaderObjects;
    else
        fragmentProfile = shaderObjects;
    if (!shaderObjects)
        setError(FX_UNSUPPORTED_PROFILE_ERROR, std::string("the driver offers no GLSL ") +
                                                   (profile == FX_PROFILE_GLSL_VERTEX ? "vertex" : "fragment") +
                                                   " shaders (OpenGL 2.0 is needed)");
}

void FxContext::registerStates()
{
    knownStates.clear();
    for (const FxRenderState& state : FxRenderState::standardStates())
        knownStates.push_back(&state);
}

FxEffect* FxContext::createEffectFromFile(const char* fileName)
{
    std::string text;
    if (!fileName || !readFile(fileName, text)) {
        setError(FX_FILE_ERROR, std::string("cannot read effect file ") + (fileName ? fileName : "(null)"));
        return nullptr;
    }
    FxSource source;
    std::string problem;
    std::unique_ptr<FxEffect> effect;
    if (source.parse(text, fileName))
        effect = FxEffect::create(source, fileName, knownStates, problem);
    else
        problem = source.error();
    if (!effect) {
        listing = problem;
        setError(FX_COMPILER_ERROR, std::string("the effect file ") + fileName + " does not compile");
        return nullptr;
    }
    effects.push_back(std::move(effect));
    return effects.back().get();
}

void FxContext::destroyEffect(FxEffect* effect)
{
    FxEffect* const owned = findEffect(effect);
    if (!owned) {
        setError(FX_INVALID_EFFECT_HANDLE_ERROR, "invalid effect handle");
        return;
    }
    if (activePass && owned->contains(activePass))
        resetPassState(activePass);
    effects.erase(std::find_if(effects.begin(), effects.end(),
                               [owned](const std::unique_ptr<FxEffect>& e) { return e.get() == owned; }));
}

FxTechnique* FxContext::firstTechnique(FxEffect* effect)
{
    const FxEffect* const owned = findEffect(effect);
    if (!owned) {
        setError(FX_INVALID_EFFECT_HANDLE_ERROR, "invalid effect handle");
        return nullptr;
    }
    return owned->techniqueAfter(nullptr);
}

FxTechnique* FxContext::nextTechnique(FxTechnique* technique)
{
    const FxEffect* const owner = effectOf(technique);
    if (!owner) {
        setError(FX_INVALID_TECHNIQUE_HANDLE_ERROR, "invalid technique handle");
        return nullptr;
    }
    return owner->techniqueAfter(technique);
}

const char* FxContext::techniqueName(FxTechnique* technique)
{
    if (!effectOf(technique)) {
        setError(FX_INVALID_TECHNIQUE_HANDLE_ERROR, "invalid technique handle");
        return "";
    }
    return technique->name().c_str();
}

bool FxContext::validateTechnique(FxTechnique* technique)
{
    const FxEffect* const owner = effectOf(technique);
    if (!owner) {
        setError(FX_INVALID_TECHNIQUE_HANDLE_ERROR, "invalid technique handle");
        return false;
    }
    if (!vertexProfile || !fragmentProfile) {
        listing = "technique " + technique->name() + ": the GLSL vertex and fragment profiles are not both selected";
        return false;
    }
    if (technique->validate(owner->parameters()))
        return true;
    listing = technique->listing();
    return false;
}

FxPass* FxContext::namedPass(FxTechnique* technique, const char* name)
{
    if (!effectOf(technique)) {
        setError(FX_INVALID_TECHNIQUE_HANDLE_ERROR, "invalid technique handle");
        return nullptr;
    }
    FxPass* const pass = name ? technique->pass(name) : nullptr;
    if (!pass)
        setError(FX_UNKNOWN_PASS_ERROR, "technique " + technique->name() + " has no pass named " +
                                            (name ? name : "(null)"));
    return pass;
}

void FxContext::setPassState(FxPass* pass)
{
    const FxEffect* const owner = effectOf(pass);
    if (!owner) {
        setError(FX_INVALID_PASS_HANDLE_ERROR, "invalid pass handle");
        return;
    }
    if (!vertexProfile || !fragmentProfile) {
        listing = "pass " + pass->name() + ": the GLSL vertex and fragment profiles are not both selected";
        setError(FX_COMPILER_ERROR, "pass " + pass->name() + " cannot be compiled");
        return;
    }
    if (!pass->link(owner->parameters())) {
        listing = pass->listing();
        setError(FX_COMPILER_ERROR, "pass " + pass->name() + " does not compile or link");
        return;
    }
    // States the earlier pass changed and this one leaves alone go back first, so
    // the result is the same as after a reset.
    for (auto saved = savedStates.begin(); saved != savedStates.end();) {
        if (pass->setsState(saved->first)) {
            ++saved;
        } else {
            saved->first->apply(saved->second);
            saved = savedStates.erase(saved);
        }
    }
    for (const FxPass::State& state : pass->states()) {
        const auto same = [&state](const auto& saved) { return saved.first == state.state; };
        if (std::none_of(savedStates.begin(), savedStates.end(), same))
            savedStates.emplace_back(state.state, state.state->query());
        state.state->apply(state.value);
    }
    pass->use();
    activePass = pass;
}

void FxContext::resetPassState(FxPass* pass)
{
    if (!effectOf(pass)) {
        setError(FX_INVALID_PASS_HANDLE_ERROR, "invalid pass handle");
        return;
    }
    if (pass != activePass)
        return;
    for (const auto& saved : savedStates)
        saved.first->apply(saved.second);
    savedStates.clear();
    glUseProgram(0);
    activePass = nullptr;
}

FxParameter* FxContext::namedEffectParameter(FxEffect* effect, const char* name)
{
    const FxEffect* const owned = findEffect(effect);
    if (!owned) {
        setError(FX_INVALID_EFFECT_HANDLE_ERROR, "invalid effect handle");
        return nullptr;
    }
    FxParameter* const parameter = name ? owned->parameter(name) : nullptr;
    if (!parameter)
        setError(FX_UNKNOWN_PARAMETER_ERROR, std::string("the effect has no parameter named ") +
                                                 (name ? name : "(null)"));
    return parameter;
}

void FxContext::setTextureParameter(FxParameter* parameter, unsigned int texture)
{
    if (FxParameter* const p = checked(parameter, typeBit(FX_SAMPLER2D) | typeBit(FX_SAMPLER2DSHADOW), "a texture")) {
        p->setTexture(texture);
        changed(p);
    }
}

void FxContext::setParameter1f(FxParameter* parameter, float value)
{
    if (FxParameter* const p = checked(parameter, typeBit(FX_FLOAT), "a float")) {
        p->setValues(&value);
        changed(p);
    }
}

void FxContext::setParameter3fv(FxParameter* parameter, const float* values)
{
    if (FxParameter* const p = checked(parameter, typeBit(FX_FLOAT3), "a vec3")) {
        if (values) {
            p->setValues(values);
            changed(p);
        }
    }
}

void FxContext::setParameter4fv(FxParameter* parameter, const float* values)
{
    if (FxParameter* const p = checked(parameter, typeBit(FX_FLOAT4), "a vec4")) {
        if (values) {
            p->setValues(values);
            changed(p);
        }
    }
}

void FxContext::setMatrixParameterfc(FxParameter* parameter, const float* values)
{
    if (FxParameter* const p = checked(parameter, typeBit(FX_FLOAT4X4), "a mat4")) {
        if (values) {
            p->setValues(values);
            changed(p);
        }
    }
}

const char* FxContext::lastErrorString(FxError* code)
{
    if (code)
        *code = error;
    reportedText = errorText;
    error = FX_NO_ERROR;
    errorText.clear();
    return reportedText.c_str();
}

FxEffect* FxContext::findEffect(const FxEffect* effect) const
{
    for (const auto& owned : effects) {
        if (owned.get() == effect)
            return owned.get();
    }
    return nullptr;
}

FxEffect* FxContext::effectOf(const FxTechnique* technique) const
{
    for (const auto& owned : effects) {
        if (technique && owned->contains(technique))
            return owned.get();
    }
    return nullptr;
}

FxEffect* FxContext::effectOf(const FxPass* pass) const
{
    for (const auto& owned : effects) {
        if (pass && owned->contains(pass))
            return owned.get();
    }
    return nullptr;
}

FxEffect* FxContext::effectOf(const FxParameter* parameter) const
{
    for (const auto& owned : effects) {
        const std::vector<FxParameter*>& list = owned->parameters();
        if (parameter && std::find(list.begin(), list.end(), parameter) != list.end())
            return owned.get();
    }
    return nullptr;
}

FxParameter* FxContext::checked(FxParameter* parameter, int typeMask, const char* value)
{
    if (!effectOf(parameter)) {
        setError(FX_INVALID_PARAMETER_HANDLE_ERROR, "invalid parameter handle");
        return nullptr;
    }
    if (!(typeMask & typeBit(parameter->type()))) {
        setError(FX_PARAMETER_TYPE_ERROR, "parameter " + parameter->name() + " is a " +
                                              typeName(parameter->type()) + " and cannot take " + value);
        return nullptr;
    }
    return parameter;
}

void FxContext::changed(const FxParameter* parameter)
{
    if (activePass)
        activePass->update(parameter);
}

void FxContext::setError(FxError code, std::string text)
{
    error = code;
    errorText = std::move(text);
}
