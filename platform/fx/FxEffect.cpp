#include "platform/fx/FxEffect.h"

#include "platform/fx/FxParameter.h"
#include "platform/fx/FxPass.h"
#include "platform/fx/FxRenderState.h"
#include "platform/fx/FxSource.h"
#include "platform/fx/FxTechnique.h"

#include <algorithm>

namespace {

// The pass's "Name = value" lines as known states with their values; false with
// error set at the first that is not known or not valid.
bool resolveStates(const FxPassSource& pass, const std::string& fileName,
                   const std::vector<const FxRenderState*>& knownStates,
                   std::vector<FxPass::State>& states, std::string& error)
{
    for (const FxStateSource& line : pass.states) {
        const auto known = std::find_if(knownStates.begin(), knownStates.end(),
                                        [&line](const FxRenderState* s) { return s->name() == line.name; });
        const std::string where = fileName + ":" + std::to_string(line.line) + ": ";
        if (known == knownStates.end()) {
            error = where + "unknown render state \"" + line.name + "\"";
            return false;
        }
        FxPass::State state{*known, {}};
        if (!state.state->parse(line.values, state.value)) {
            error = where + "invalid value for render state \"" + line.name + "\"";
            return false;
        }
        const auto same = [&state](const FxPass::State& s) { return s.state == state.state; };
        if (std::any_of(states.begin(), states.end(), same)) {
            error = where + "render state \"" + line.name + "\" is set twice";
            return false;
        }
        states.push_back(state);
    }
    return true;
}

}  // namespace

std::unique_ptr<FxEffect> FxEffect::create(const FxSource& source, const std::string& fileName,
                                           const std::vector<const FxRenderState*>& knownStates,
                                           std::string& error)
{
    std::unique_ptr<FxEffect> effect(new FxEffect());
    int nextUnit = FIRST_SAMPLER_UNIT;
    for (const FxUniformSource& uniform : source.uniforms()) {
        const bool sampler = uniform.type == FX_SAMPLER2D || uniform.type == FX_SAMPLER2DSHADOW;
        effect->ownedParameters.push_back(
            std::make_unique<FxParameter>(uniform.name, uniform.type, sampler ? nextUnit++ : -1));
        effect->parameterList.push_back(effect->ownedParameters.back().get());
    }
    for (const FxTechniqueSource& techniqueSource : source.techniques()) {
        auto technique = std::make_unique<FxTechnique>(techniqueSource.name);
        for (const FxPassSource& passSource : techniqueSource.passes) {
            std::vector<FxPass::State> states;
            if (!resolveStates(passSource, fileName, knownStates, states, error))
                return nullptr;
            technique->addPass(std::make_unique<FxPass>(passSource.name, std::move(states),
                                                        passSource.vertexShader, passSource.fragmentShader));
        }
        effect->techniques.push_back(std::move(technique));
    }
    return effect;
}

FxEffect::~FxEffect() = default;

FxTechnique* FxEffect::techniqueAfter(const FxTechnique* previous) const
{
    if (!previous)
        return techniques.empty() ? nullptr : techniques.front().get();
    for (std::size_t i = 0; i + 1 < techniques.size(); ++i) {
        if (techniques[i].get() == previous)
            return techniques[i + 1].get();
    }
    return nullptr;
}

bool FxEffect::contains(const FxTechnique* technique) const
{
    return std::any_of(techniques.begin(), techniques.end(),
                       [technique](const std::unique_ptr<FxTechnique>& t) { return t.get() == technique; });
}

bool FxEffect::contains(const FxPass* pass) const
{
    return std::any_of(techniques.begin(), techniques.end(),
                       [pass](const std::unique_ptr<FxTechnique>& t) { return t->contains(pass); });
}

FxParameter* FxEffect::parameter(const std::string& name) const
{
    for (FxParameter* candidate : parameterList) {
        if (candidate->name() == name)
            return candidate;
    }
    return nullptr;
}
